// SPDX-License-Identifier: GPL-3.0-or-later
// Input conditioning (coupling, impedance, filter), attenuation, common or
// separate inputs, and the two trigger levels.
#include "app.h"
#include "handlers.h"
#include "mainpanel.h"
#include "maintables.h"
#include "userint.h"
#include <uctpanels.h>

#include <cmath>

// Everything of one input that these handlers touch, indexed by channel - 1.
struct Input {
    int16_t *impedance;
    uint16_t *coupling;
    uint16_t *filter;
    int16_t *attenuation;
    double *level;
    int x1Led, x10Led;
    int levelControl;
    const char *attenuationText;
    const char *levelText;
    const char *readLevelText;
};

static const Input inputs[2] = {
    {&settings.in1Impedance, &settings.in1Coupling, &settings.in1Filter, &settings.in1Attenuation,
     &settings.in1Level, MAIN_IN1_ATT_X1_LED, MAIN_IN1_ATT_X10_LED, MAIN_TRIG_LEVEL_1,
     "setting IN1 attenuation", "setting trigger 1 level", "reading IN1 trigger level"},
    {&settings.in2Impedance, &settings.in2Coupling, &settings.in2Filter, &settings.in2Attenuation,
     &settings.in2Level, MAIN_IN2_ATT_X1_LED, MAIN_IN2_ATT_X10_LED, MAIN_TRIG_LEVEL_2,
     "setting IN2 attenuation", "setting trigger 2 level", "reading IN2 trigger level"},
};

static void sendConditioning(int channel, const char *actionText)
{
    const Input &input = inputs[channel - 1];
    checkError(kq3917e_confInputConditioning(instrSession, (ViInt16)channel, *input.impedance,
                                             *input.coupling, *input.filter, settings.commonInput),
               actionText);
}

static bool sendTriggering(int channel, const char *actionText)
{
    const Input &input = inputs[channel - 1];
    return answered(kq3917e_confInputTriggering(instrSession, (ViInt16)channel, *input.attenuation,
                                                *input.level, settings.commonInput),
                    actionText);
}

// ---- coupling, impedance, filter

enum ConditioningSetting { COUPLING, IMPEDANCE, FILTER };

struct ConditioningButton {
    ConditioningSetting setting;
    int leds[2]; // input 1, input 2
    int litCode; // the code that a lit LED stands for
    const char *actionText[2];
};

static void storeConditioningCode(ConditioningSetting setting, int channel, int code)
{
    const Input &input = inputs[channel - 1];
    switch (setting) {
    case COUPLING:
        *input.coupling = (uint16_t)code;
        break;
    case IMPEDANCE:
        *input.impedance = (int16_t)code;
        break;
    case FILTER:
        *input.filter = (uint16_t)code;
        break;
    }
}

// The two LEDs count through the four combinations, input 1 the low bit. An
// input is sent only when its LED changes; input 1's always does.
static void stepConditioning(const ConditioningButton &button)
{
    unsigned before = readLedBits(button.leds, 2);
    unsigned after = (before + 1) & 3u;
    for (int channel = 1; channel <= 2; channel++) {
        unsigned bit = 1u << (channel - 1);
        if ((before ^ after) & bit) {
            int lit = (after & bit) != 0;
            storeConditioningCode(button.setting, channel, lit ? button.litCode : 1 - button.litCode);
            sendConditioning(channel, button.actionText[channel - 1]);
        }
    }
    writeLedBits(button.leds, 2, after);
}

void stepCoupling(void)
{
    static const ConditioningButton button = {COUPLING,
                                              {MAIN_IN1_COUPLING_LED, MAIN_IN2_COUPLING_LED},
                                              0,
                                              {"setting IN1 coupling", "setting IN2 coupling"}};
    stepConditioning(button);
}

void stepImpedance(void)
{
    static const ConditioningButton button = {IMPEDANCE,
                                              {MAIN_IN1_IMPEDANCE_LED, MAIN_IN2_IMPEDANCE_LED},
                                              1,
                                              {"setting IN1 impedance", "setting IN2 impedance"}};
    stepConditioning(button);
}

void stepFilter(void)
{
    static const ConditioningButton button = {
        FILTER, {MAIN_IN1_FILTER_LED, MAIN_IN2_FILTER_LED}, 1, {"setting IN1 filter", "setting IN2 filter"}};
    stepConditioning(button);
}

// ---- attenuation and levels

// Dropping the x10 attenuator narrows the range tenfold: a level beyond it,
// of either sign, shrinks with it so that it stays within the new range.
static double levelForUnitAttenuation(double level)
{
    return std::fabs(level) > 5.1 ? level / 10.0 : level;
}

// x1 and x10 toggle. Any other code (2, the ±204 V range, only the module
// sets it) is kept and sent again.
void toggleAttenuation(int channel)
{
    const Input &input = inputs[channel - 1];
    int16_t old = *input.attenuation;
    if (old == 0 || old == 1) {
        *input.attenuation = old == 0 ? 1 : 0;
        SetCtrlVal(mainPanel, input.x1Led, old == 0 ? 0 : 1);
        SetCtrlVal(mainPanel, input.x10Led, old == 0 ? 1 : 0);
    }
    if (old == 1) {
        *input.level = levelForUnitAttenuation(*input.level);
        SetCtrlVal(mainPanel, input.levelControl, *input.level);
        // Common inputs share input 1's range, so input 2 follows it down.
        if (channel == 1 && settings.commonInput == 1) {
            settings.in2Level = levelForUnitAttenuation(settings.in2Level);
            SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_2, settings.in2Level);
        }
    }
    sendTriggering(channel, input.attenuationText);
    setTriggerLevelRange(input.levelControl, *input.attenuation);
}

// Common inputs use input 1's range: input 2's level is brought into it on
// the panel and reaches the module with input 2's next triggering call.
static double levelForCommonRange(double level)
{
    double magnitude = std::fabs(level);
    if (settings.in1Attenuation == 0 && magnitude > 5.1) {
        return level / (settings.in2Attenuation == 1 ? 10.0 : 40.0);
    }
    if (magnitude >= 51.0) {
        return level / 4.0;
    }
    return level;
}

void toggleChannelCoupling(void)
{
    settings.commonInput = settings.commonInput == 0 ? 1 : 0;
    SetCtrlVal(mainPanel, MAIN_CHANNEL_COUPLING_LED, settings.commonInput == 0 ? 1 : 0);
    sendTriggering(1, "setting channel coupling");
    if (settings.commonInput == 1 && settings.in1Attenuation < settings.in2Attenuation) {
        settings.in2Level = levelForCommonRange(settings.in2Level);
        SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_2, settings.in2Level);
    }
}

void setTriggerLevel(int channel)
{
    const Input &input = inputs[channel - 1];
    GetCtrlVal(mainPanel, input.levelControl, input.level);
    if (!sendTriggering(channel, input.levelText) &&
        answered(kq3917e_queryInputTriggering(instrSession, (ViInt16)channel, input.attenuation, input.level,
                                              &settings.commonInput),
                 input.readLevelText)) {
        SetCtrlVal(mainPanel, input.levelControl, *input.level);
    }
}
