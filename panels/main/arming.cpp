// SPDX-License-Identifier: GPL-3.0-or-later
// Arm sources, external arm level and mode, time-interval delay, the
// totalize gate and the gate output.
#include "app.h"
#include "handlers.h"
#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

// Each ring writes its own source; the module takes all three in one call.
void setArmSource(int control)
{
    static const struct {
        int control;
        int16_t *source;
        const char *actionText;
    } rings[] = {
        {MAIN_START_ARM_SOURCE, &settings.startArmSource, "setting start arm source"},
        {MAIN_STOP_ARM_SOURCE, &settings.stopArmSource, "setting stop arm source"},
        {MAIN_EXT_ARM_SOURCE, &settings.extArmSource, "setting external arm source"},
    };
    for (const auto &ring : rings) {
        if (ring.control == control) {
            GetCtrlVal(mainPanel, control, ring.source);
            checkError(kq3917e_confArming(instrSession, settings.startArmSource, settings.stopArmSource,
                                          settings.extArmSource),
                       ring.actionText);
        }
    }
}

void setExtArmLevel(void)
{
    GetCtrlVal(mainPanel, MAIN_EXT_ARM_LEVEL, &settings.extArmLevel);
    checkError(kq3917e_confArmingLevel(instrSession, settings.extArmLevel), "setting external arm level");
}

void toggleArmMode(void)
{
    static const int armModeLeds[] = {MAIN_ARM_MODE0_LED, MAIN_ARM_MODE1_LED};
    settings.armMode = settings.armMode == 0 ? 1 : 0;
    showOneLit(armModeLeds, 2, settings.armMode);
    checkError(kq3917e_confExtArmMode(instrSession, settings.armMode), "setting arm mode");
}

static void sendDelay(void)
{
    checkError(kq3917e_confDelay(instrSession, settings.delayEnabled, settings.delay),
               "setting time interval delay");
}

void toggleDelay(void)
{
    settings.delayEnabled = ledIsLit(MAIN_DELAY_LED) ? 0 : 1;
    SetCtrlVal(mainPanel, MAIN_DELAY_LED, settings.delayEnabled);
    sendDelay();
}

void setDelay(void)
{
    GetCtrlVal(mainPanel, MAIN_DELAY, &settings.delay);
    sendDelay();
}

// The gate button's label and the clear-counts button follow gateOpen:
// counts cannot be cleared while the gate is open.
static void showGateControls(void)
{
    SetCtrlAttribute(mainPanel, MAIN_GATE, ATTR_LABEL_TEXT, gateOpen ? "TOT CLOSE" : "TOT OPEN");
    SetCtrlAttribute(mainPanel, MAIN_CLEAR_COUNTS, ATTR_DIMMED, gateOpen);
}

// The labels follow at once, before the module answers.
void toggleGate(void)
{
    gateOpen = ledIsLit(MAIN_GATE_LED) ? 0 : 1;
    showGateControls();
    checkError(kq3917e_openCloseGate(instrSession, settings.gateSelector, (ViInt16)gateOpen),
               gateOpen ? "opening gate" : "closing gate");
    SetCtrlVal(mainPanel, MAIN_GATE_LED, gateOpen);
}

void showGateClosed(void)
{
    gateOpen = 0;
    showGateControls();
    SetCtrlVal(mainPanel, MAIN_GATE_LED, 0);
}

void setGateOutput(void)
{
    GetCtrlVal(mainPanel, MAIN_GATE_OUTPUT, &settings.gateOutput);
    checkError(kq3917e_outputGate(instrSession, settings.gateOutput), "setting gate output");
}
