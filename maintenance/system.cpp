// SPDX-License-Identifier: GPL-3.0-or-later
// The system configuration panel CONFIGSYS: timeout, interrupt level and
// mask, power-on and counter self-test, reset, and the doors to the firmware
// update and the FTIC and module data panels.
#include "maintenance.h"

#include "app.h"
#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

#include <cstdio>

int fticPanel = 0;
int nvmPanel = 0;

#define SELF_TEST_TEXT_SIZE 256

// Got focus: the module's timeout and power-on self-test result. A status
// other than 0, a warning included, leaves the control as it was.
int configSysInit(int panel, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_GOT_FOCUS || demoMode != 0) {
        return 0;
    }
    ViInt32 timeout = 0;
    if (kq3917e_readSystTimeout(instrSession, &timeout) == VI_SUCCESS) {
        SetCtrlVal(panel, CONFIGSYS_TIMEOUT, (int)timeout);
    }
    ViInt16 result = 0;
    if (kq3917e_queryPostResult(instrSession, &result) == VI_SUCCESS) {
        SetCtrlVal(panel, CONFIGSYS_POST_RESULT, (int16_t)result);
    }
    return 0;
}

static void closeSystemPanel(void)
{
    DiscardPanel(configSysPanel);
    configSysPanel = 0;
}

// Reports a status of a driver call made from this panel. Returns 1 when the
// user chose "Exit": the panel is gone then and the caller stops.
static int reportSystemStatus(ViStatus status, const char *functionName)
{
    int wasDemo = demoMode;
    int choice = reportSfpError(status, functionName);
    if (demoMode != wasDemo) {
        // The main panel follows the switch to the simulated module at once,
        // as it does whenever it gets the focus.
        fticInit(mainPanel, EVENT_GOT_FOCUS, NULL, 0, 0);
    }
    if (choice == SFP_ERROR_EXIT) {
        closeSystemPanel();
        return 1;
    }
    return 0;
}

// FTIC and NVM are loaded once and then only shown and hidden, so they keep
// their state, also across a closed and reopened CONFIGSYS. A failed load
// leaves the handle 0 for the next press to try again.
static int showKeptPanel(int *handle, int resourceId)
{
    if (*handle == 0) {
        int panel = LoadPanel(0, RESOURCE_FILE, resourceId);
        if (panel < 0) {
            return -1;
        }
        *handle = panel;
    }
    DisplayPanel(*handle);
    return 0;
}

static void runSelfTest(void)
{
    // Preset so that a call that fails without filling them shows defined
    // words and a failure, never a pass.
    ViInt16 result = -1;
    ViUInt32 relay = 0;
    ViUInt16 dac = 0;
    ViStatus status = kq3917e_testCounter(instrSession, &result, &relay, &dac);
    if (reportSystemStatus(status, "kq3917e_testCounter")) {
        return;
    }
    char text[SELF_TEST_TEXT_SIZE] = "";
    if (result == 0) {
        snprintf(text, sizeof text, "Counter Test Pass");
    } else {
        snprintf(text, sizeof text, "Counter Test Fail:\n Result = 0x%X\n Relay = 0x%X\n DAC = 0x%X",
                 (unsigned)(int32_t)result, (unsigned)relay, (unsigned)dac);
    }
    MessagePopup("Counter Test Result", text);
    refreshMainPanel();
}

// The module's reset state in the record; resolution and the start and stop
// arm sources keep their values.
static void writeResetSettings(void)
{
    settings.function = 0;
    settings.aperture = 8;
    settings.averaging = 0;
    settings.standard = 0;
    settings.commonInput = 0;
    settings.in1Coupling = settings.in2Coupling = 0;
    settings.in1Impedance = settings.in2Impedance = 0;
    settings.in1Filter = settings.in2Filter = 0;
    settings.in1Attenuation = settings.in2Attenuation = 0;
    settings.in1Level = settings.in2Level = 0.0;
    settings.in1Slope = settings.in2Slope = 0;
    settings.in1Hysteresis = settings.in2Hysteresis = 0;
    settings.armHysteresis = 0;
    settings.in1TrigMode = settings.in2TrigMode = 1;
    settings.minAutoTrigFreq = 0;
    settings.armMode = 0;
    settings.delayEnabled = 0;
    settings.extArmSource = 10;
    settings.extArmLevel = 1.6;
    settings.delay = 0.000192;
    settings.gateSelector = 1;
    settings.gateOutput = 8;
}

static void resetModule(void)
{
    writeResetSettings();
    continuousMode = 0;
    markRunButtons(0);
    ViStatus status = kq3917e_resetCounter(instrSession);
    if (reportSystemStatus(status, "kq3917e_resetCounter")) {
        return;
    }
    // What a reset changes beyond the settings: it closes the gate, and the
    // math may be off after it.
    if (status >= 0) {
        showGateClosed();
    }
    refreshMainPanel();
    readMathState();
}

static void onCommit(int panel, int control)
{
    switch (control) {
    case CONFIGSYS_CLOSE:
        closeSystemPanel();
        break;
    case CONFIGSYS_FIRMWARE:
        updateFirmware(panel);
        break;
    case CONFIGSYS_SELF_TEST:
        runSelfTest();
        break;
    case CONFIGSYS_RESET:
        resetModule();
        break;
    default:
        break;
    }
}

static void onValueChanged(int panel, int control)
{
    switch (control) {
    case CONFIGSYS_INT_LEVEL: {
        int16_t level = 0;
        GetCtrlVal(panel, control, &level);
        reportSystemStatus(kq3917e_SetInterruptLevel(instrSession, level), "kq3917e_SetInterruptLevel");
        break;
    }
    case CONFIGSYS_INT_MASK: {
        int16_t mask = 0;
        GetCtrlVal(panel, control, &mask);
        reportSystemStatus(kq3917e_SetInterruptMask(instrSession, mask), "kq3917e_SetInterruptMask");
        break;
    }
    case CONFIGSYS_TIMEOUT: {
        int timeout = 0;
        GetCtrlVal(panel, control, &timeout);
        reportSystemStatus(kq3917e_setSystTimeout(instrSession, (ViInt32)timeout), "kq3917e_setSystTimeout");
        break;
    }
    default:
        break;
    }
}

int setConfigSysEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_COMMIT && control == CONFIGSYS_CALIBRATE) {
        return showKeptPanel(&fticPanel, FTIC);
    }
    if (event == EVENT_COMMIT && control == CONFIGSYS_NVM) {
        return showKeptPanel(&nvmPanel, NVM);
    }
    if (event == EVENT_COMMIT) {
        onCommit(panel, control);
    } else if (event == EVENT_VAL_CHANGED) {
        onValueChanged(panel, control);
    }
    return 0;
}

void registerMaintenanceCallbacks(void)
{
    RegisterPanelCallback("configSysInit", configSysInit);
    RegisterCtrlCallback("setConfigSysEvent", setConfigSysEvent);
}
