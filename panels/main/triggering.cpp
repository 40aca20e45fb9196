// SPDX-License-Identifier: GPL-3.0-or-later
// Slopes, hysteresis, trigger modes and the minimum auto-trigger frequency.
// On these LEDs lit means code 0.
#include "app.h"
#include "handlers.h"
#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

static uint16_t codeOfLitBit(unsigned bits, int index)
{
    return ((bits >> index) & 1u) ? 0 : 1;
}

// Four states, input 1 the low bit: input 2's slope is written only when
// its LED changes; one call carries both.
void stepSlopes(void)
{
    static const int slopeLeds[] = {MAIN_IN1_SLOPE_LED, MAIN_IN2_SLOPE_LED};
    unsigned before = readLedBits(slopeLeds, 2);
    unsigned after = (before + 1) & 3u;
    settings.in1Slope = codeOfLitBit(after, 0);
    if ((before ^ after) & 2u) {
        settings.in2Slope = codeOfLitBit(after, 1);
    }
    checkError(kq3917e_confInputSlopes(instrSession, settings.in1Slope, settings.in2Slope),
               "setting input slope");
    writeLedBits(slopeLeds, 2, after);
}

// Eight states, input 1 the low bit and the external arm input the high
// bit; only the inputs whose LED changes are sent, in that order.
void stepHysteresis(void)
{
    static const int hysteresisLeds[] = {MAIN_IN1_HYST_LED, MAIN_IN2_HYST_LED, MAIN_ARM_HYST_LED};
    unsigned before = readLedBits(hysteresisLeds, 3);
    unsigned after = (before + 1) & 7u;
    unsigned changed = before ^ after;
    settings.in1Hysteresis = codeOfLitBit(after, 0);
    settings.in2Hysteresis = codeOfLitBit(after, 1);
    settings.armHysteresis = (int16_t)codeOfLitBit(after, 2);
    if (changed & 1u) {
        checkError(kq3917e_confInputHysteresis(instrSession, 1, settings.in1Hysteresis),
                   "setting IN1 hysteresis");
    }
    if (changed & 2u) {
        checkError(kq3917e_confInputHysteresis(instrSession, 2, settings.in2Hysteresis),
                   "setting IN2 hysteresis");
    }
    if (changed & 4u) {
        checkError(kq3917e_confExtArmHysteresis(instrSession, settings.armHysteresis),
                   "setting ARM hysterisis");
    }
    writeLedBits(hysteresisLeds, 3, after);
}

struct TrigModeInput {
    int16_t *mode;
    int modeLeds[3]; // modes 1, 2, 3
    int autoLed;     // lit for modes 2 and 3
    const char *actionText;
};

// Modes 1, 2, 3 in a cycle. A mode outside them (only the module could
// report one) is sent back unchanged.
void stepTrigMode(int channel)
{
    static const TrigModeInput trigModeInputs[2] = {
        {&settings.in1TrigMode,
         {MAIN_IN1_TRIG_MODE1_LED, MAIN_IN1_TRIG_MODE2_LED, MAIN_IN1_TRIG_MODE3_LED},
         MAIN_IN1_AUTO_LED,
         "setting IN1 trigger mode"},
        {&settings.in2TrigMode,
         {MAIN_IN2_TRIG_MODE1_LED, MAIN_IN2_TRIG_MODE2_LED, MAIN_IN2_TRIG_MODE3_LED},
         MAIN_IN2_AUTO_LED,
         "setting IN2 trigger mode"},
    };
    const TrigModeInput &input = trigModeInputs[channel - 1];
    int old = *input.mode;
    int next = stepLitLed(input.modeLeds, 3, old - 1) + 1;
    // The auto LED changes only when leaving or entering mode 1.
    if (old != next && next != 3) {
        SetCtrlVal(mainPanel, input.autoLed, next == 2 ? 1 : 0);
    }
    *input.mode = (int16_t)next;
    checkError(kq3917e_confAutoTrigMode(instrSession, (ViInt16)channel, *input.mode), input.actionText);
}

void toggleAutoTrigFreq(void)
{
    static const int freqLeds[] = {MAIN_AUTO_FREQ0_LED, MAIN_AUTO_FREQ1_LED};
    settings.minAutoTrigFreq = settings.minAutoTrigFreq == 0 ? 1 : 0;
    showOneLit(freqLeds, 2, settings.minAutoTrigFreq);
    checkError(kq3917e_confMinAutoTrigFreq(instrSession, settings.minAutoTrigFreq),
               "setting auto trigger frequency");
}
