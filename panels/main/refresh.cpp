// SPDX-License-Identifier: GPL-3.0-or-later
// Brings the main panel into line with the module: function, averaging,
// resolution, aperture, trigger levels, then every input, trigger and arm
// indicator. Every query's status goes to checkError; outputs are shown only
// when the status is not negative, so a refused query leaves its controls.
#include "mainpanel.h"

#include "app.h"
#include "handlers.h"
#include "kq3917e.h"
#include "maintables.h"
#include "measure.h"
#include "userint.h"
#include <uctpanels.h>

#include <cstdio>

// ------------------------------------------------------------- LED helpers

static void setLed(int control, bool lit)
{
    SetCtrlVal(mainPanel, control, lit ? 1 : 0);
}

int refreshIncomplete = 0;

// Reports any non-zero status; true when the outputs may be shown.
bool answered(ViStatus status, const char *actionText)
{
    checkError(status, actionText);
    refreshIncomplete |= status < 0;
    return status >= 0;
}

// ------------------------------------------------------------ main refresh

static void showTriggerLevel(int control, int16_t rangeAttenuation, double level)
{
    setTriggerLevelRange(control, rangeAttenuation);
    SetCtrlVal(mainPanel, control, level);
}

// The function the LEDs show changes only here (and at the panel's load),
// so they tell which function the reading and unit on display belong to;
// the record may hold a reset value the panel never showed.
static void showModuleFunction(void)
{
    const unsigned shown = readLedBits(functionControls, FUNCTION_COUNT);
    const int16_t code = settings.function;
    const unsigned reported = code >= 0 && code < FUNCTION_COUNT ? 1u << code : 0u;
    if (shown != reported) {
        showOneLit(functionControls, FUNCTION_COUNT, code);
        formatReading(0.0);
        showFunctionUnits(code);
        limitFunctionChanged();
    }
}

static void refreshFromModule(void)
{
    // The first query tells whether the module answers at all.
    ViStatus status = kq3917e_queryMeasurement(instrSession, &settings.function);
    answered(status, "reading function setting");
    showModuleStatus(status < 0 ? MODULE_NO_RESPONSE : MODULE_ONLINE);
    if (status >= 0) {
        showModuleFunction();
    }

    // The module's resolution is shown only; the record keeps the one the
    // reading display uses until the user changes resolution or aperture.
    int16_t resolution = 0;
    if (answered(kq3917e_queryMeasRes(instrSession, &resolution, &settings.averaging),
                 "reading averaging setting")) {
        setLed(MAIN_AVERAGING_LED, settings.averaging != 0);
        SetCtrlVal(mainPanel, MAIN_RESOLUTION, resolution);
    }
    if (answered(kq3917e_queryAperture(instrSession, &settings.aperture), "reading aperture setting")) {
        SetCtrlVal(mainPanel, MAIN_APERTURE, (int)settings.aperture);
    }
    if (answered(kq3917e_queryInputTriggering(instrSession, 1, &settings.in1Attenuation, &settings.in1Level,
                                              &settings.commonInput),
                 "reading IN1 trigger level")) {
        showTriggerLevel(MAIN_TRIG_LEVEL_1, settings.in1Attenuation, settings.in1Level);
    }
    if (answered(kq3917e_queryInputTriggering(instrSession, 2, &settings.in2Attenuation, &settings.in2Level,
                                              &settings.commonInput),
                 "reading IN2 trigger level")) {
        // Common inputs share IN1's attenuator, hence its range.
        showTriggerLevel(MAIN_TRIG_LEVEL_2,
                         settings.commonInput ? settings.in1Attenuation : settings.in2Attenuation,
                         settings.in2Level);
    }
    refreshInputSettings();
}

// A module that is gone fails every query: one report for the whole refresh.
void refreshMainPanel(void)
{
    refreshIncomplete = 0;
    beginReportBatch();
    refreshFromModule();
    endReportBatch();
}

void showMathAnnunciator(int state)
{
    static const char *const texts[] = {"", "MATH", "MATH?"};
    if (state >= MATH_SHOWN_OFF && state <= MATH_SHOWN_UNKNOWN) {
        SetCtrlVal(mainPanel, MAIN_MATH_ANNUNCIATOR, texts[state]);
    }
}

void readMathState(void)
{
    double value1 = 0.0, value2 = 0.0;
    ViUInt16 enable = 0;
    if (kq3917e_queryMathCalculation(instrSession, &value1, &value2, &enable) < 0) {
        showMathAnnunciator(MATH_SHOWN_UNKNOWN);
    } else {
        showMathAnnunciator(enable != 0 ? MATH_SHOWN_ON : MATH_SHOWN_OFF);
    }
}

// ------------------------------------------------ input, trigger and arm

// Controls that only some functions use, in the order of the bits below.
static const int functionDependentControls[] = {MAIN_DELAY_BUTTON,  MAIN_DELAY,         MAIN_CHANNEL_COUPLING,
                                                MAIN_IN1_ATTEN,     MAIN_IN1_TRIG_MODE, MAIN_IN2_ATTEN,
                                                MAIN_IN2_TRIG_MODE, MAIN_SLOPE};
enum {
    DIM_DELAY = 0x03,
    DIM_CHANNEL_COUPLING = 0x04,
    DIM_IN1 = 0x18,
    DIM_IN2 = 0x60,
    DIM_SLOPE = 0x80,
    DIM_ALL = 0xFF
};

static unsigned dimmedForFunction(int16_t function)
{
    switch (function) {
    case 0:
    case 2:
        return DIM_DELAY | DIM_IN2;
    case 1:
    case 3:
        return DIM_DELAY | DIM_IN1;
    case 4:
    case 5:
        return 0;
    case 14:
    case 15:
    case 16:
    case 17:
    case 24:
        return DIM_ALL;
    case 18:
    case 20:
    case 22:
        return DIM_DELAY | DIM_CHANNEL_COUPLING | DIM_IN1;
    case 19:
    case 21:
    case 23:
        return DIM_DELAY | DIM_CHANNEL_COUPLING | DIM_IN2;
    default: // 6 to 13 and unknown codes: both inputs, no delay
        return DIM_DELAY;
    }
}

// The per-input half of the refresh: fields, indicators and action texts.
struct InputIndicators {
    ViInt16 channel;
    int16_t *attenuation;
    double *level;
    int16_t *impedance;
    uint16_t *coupling;
    uint16_t *filter;
    int16_t *trigMode;
    uint16_t *hysteresis;
    int attenuationLeds[2]; // X1, X10
    int couplingLed, impedanceLed, filterLed;
    int trigModeLeds[3]; // modes 1, 2, 3
    int autoLed, hysteresisLed;
    const char *triggeringText, *conditioningText, *trigModeText, *hysteresisText;
};

static const InputIndicators inputs[2] = {
    {1,
     &settings.in1Attenuation,
     &settings.in1Level,
     &settings.in1Impedance,
     &settings.in1Coupling,
     &settings.in1Filter,
     &settings.in1TrigMode,
     &settings.in1Hysteresis,
     {MAIN_IN1_ATT_X1_LED, MAIN_IN1_ATT_X10_LED},
     MAIN_IN1_COUPLING_LED,
     MAIN_IN1_IMPEDANCE_LED,
     MAIN_IN1_FILTER_LED,
     {MAIN_IN1_TRIG_MODE1_LED, MAIN_IN1_TRIG_MODE2_LED, MAIN_IN1_TRIG_MODE3_LED},
     MAIN_IN1_AUTO_LED,
     MAIN_IN1_HYST_LED,
     "reading IN1 input triggering",
     "reading IN1 input conditioning trigger",
     "reading IN1 auto trigger",
     "reading IN1 hysterisis"},
    {2,
     &settings.in2Attenuation,
     &settings.in2Level,
     &settings.in2Impedance,
     &settings.in2Coupling,
     &settings.in2Filter,
     &settings.in2TrigMode,
     &settings.in2Hysteresis,
     {MAIN_IN2_ATT_X1_LED, MAIN_IN2_ATT_X10_LED},
     MAIN_IN2_COUPLING_LED,
     MAIN_IN2_IMPEDANCE_LED,
     MAIN_IN2_FILTER_LED,
     {MAIN_IN2_TRIG_MODE1_LED, MAIN_IN2_TRIG_MODE2_LED, MAIN_IN2_TRIG_MODE3_LED},
     MAIN_IN2_AUTO_LED,
     MAIN_IN2_HYST_LED,
     "reading IN2 input triggering",
     "reading IN2 input conditioning trigger",
     "reading IN2 auto trigger",
     "reading IN2 hysterisis"},
};

static const int autoFreqLeds[2] = {MAIN_AUTO_FREQ0_LED, MAIN_AUTO_FREQ1_LED};
static const int armModeLeds[2] = {MAIN_ARM_MODE0_LED, MAIN_ARM_MODE1_LED};
static const int standardLeds[3] = {MAIN_STANDARD0_LED, MAIN_STANDARD1_LED, MAIN_STANDARD2_LED};

// Modes 1 to 3 light their LED, auto for 2 and 3; other codes show nothing.
static void showTrigMode(const InputIndicators &in)
{
    int16_t mode = *in.trigMode;
    if (mode >= 1 && mode <= 3) {
        showOneLit(in.trigModeLeds, 3, mode - 1);
        setLed(in.autoLed, mode != 1);
    }
}

void refreshInputSettings(void)
{
    unsigned dimmed = dimmedForFunction(settings.function);
    for (unsigned i = 0; i < sizeof functionDependentControls / sizeof functionDependentControls[0]; i++) {
        SetCtrlAttribute(mainPanel, functionDependentControls[i], ATTR_DIMMED, (dimmed >> i) & 1 ? 1 : 0);
    }

    for (const InputIndicators &in : inputs) {
        if (answered(kq3917e_queryInputTriggering(instrSession, in.channel, in.attenuation, in.level,
                                                  &settings.commonInput),
                     in.triggeringText)) {
            showOneLit(in.attenuationLeds, 2, *in.attenuation != 0);
            if (in.channel == 1) {
                setLed(MAIN_CHANNEL_COUPLING_LED, settings.commonInput == 0);
            }
        }
    }
    for (const InputIndicators &in : inputs) {
        if (answered(kq3917e_queryInputConditioning(instrSession, in.channel, in.impedance, in.coupling,
                                                    in.filter, &settings.commonInput),
                     in.conditioningText)) {
            setLed(in.couplingLed, *in.coupling == 0);
            setLed(in.impedanceLed, *in.impedance != 0);
            setLed(in.filterLed, *in.filter != 0);
        }
    }
    for (const InputIndicators &in : inputs) {
        if (answered(kq3917e_queryAutoTrigMode(instrSession, in.channel, in.trigMode), in.trigModeText)) {
            showTrigMode(in);
        }
    }

    int16_t resolution = 0; // shown by refreshMainPanel only
    if (answered(kq3917e_queryMeasRes(instrSession, &resolution, &settings.averaging), "reading averaging")) {
        setLed(MAIN_AVERAGING_LED, settings.averaging != 0);
    }
    if (answered(kq3917e_queryMinAutoTrigFreq(instrSession, &settings.minAutoTrigFreq),
                 "reading auto trigger frequency")) {
        showOneLit(autoFreqLeds, 2, settings.minAutoTrigFreq != 0);
    }
    if (answered(kq3917e_queryInputSlopes(instrSession, &settings.in1Slope, &settings.in2Slope),
                 "reading input slopes")) {
        setLed(MAIN_IN1_SLOPE_LED, settings.in1Slope == 0);
        setLed(MAIN_IN2_SLOPE_LED, settings.in2Slope == 0);
    }
    for (const InputIndicators &in : inputs) {
        if (answered(kq3917e_queryInputHysteresis(instrSession, in.channel, in.hysteresis),
                     in.hysteresisText)) {
            setLed(in.hysteresisLed, *in.hysteresis == 0);
        }
    }
    if (answered(kq3917e_queryExtArmHysteresis(instrSession, &settings.armHysteresis),
                 "reading external arm hysterisis")) {
        setLed(MAIN_ARM_HYST_LED, settings.armHysteresis == 0);
    }
    if (answered(kq3917e_queryArming(instrSession, &settings.startArmSource, &settings.stopArmSource,
                                     &settings.extArmSource),
                 "reading ARM settings")) {
        SetCtrlVal(mainPanel, MAIN_START_ARM_SOURCE, (int)settings.startArmSource);
        SetCtrlVal(mainPanel, MAIN_STOP_ARM_SOURCE, (int)settings.stopArmSource);
        SetCtrlVal(mainPanel, MAIN_EXT_ARM_SOURCE, (int)settings.extArmSource);
    }
    if (answered(kq3917e_queryArmingLevel(instrSession, &settings.extArmLevel),
                 "reading external arm level")) {
        SetCtrlVal(mainPanel, MAIN_EXT_ARM_LEVEL, settings.extArmLevel);
    }
    if (answered(kq3917e_queryExtArmMode(instrSession, &settings.armMode), "reading arm mode")) {
        showOneLit(armModeLeds, 2, settings.armMode != 0);
    }
    if (answered(kq3917e_queryDelay(instrSession, &settings.delayEnabled, &settings.delay),
                 "reading time interval delay settings")) {
        SetCtrlVal(mainPanel, MAIN_DELAY, settings.delay);
        setLed(MAIN_DELAY_LED, settings.delayEnabled != 0);
    }
    if (answered(kq3917e_queryOutputGate(instrSession, &settings.gateOutput),
                 "reading output gate setting")) {
        SetCtrlVal(mainPanel, MAIN_GATE_OUTPUT, (int)settings.gateOutput);
    }
    if (answered(kq3917e_queryStandard(instrSession, &settings.standard),
                 "reading reference standard setting") &&
        settings.standard >= 0 && settings.standard <= 2) {
        showOneLit(standardLeds, 3, settings.standard);
    }
}

// ---------------------------------------------------------- panel callback

int fticInit(int panel, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    switch (event) {
    case EVENT_GOT_FOCUS:
        snprintf(sharedText, sizeof sharedText, "ZORa 3917 Universal Counter Timer [%s]", titledModule());
        SetPanelAttribute(panel, ATTR_TITLE, sharedText);
        refreshMainPanel();
        showFunctionUnits(settings.function);
        readMathState();
        showReadingDisplay();
        break;
    case EVENT_CLOSE:
        // Closing the panel ends the session; the quit control ends the program.
        if (instrSession != 0) {
            kq3917e_close(instrSession);
        }
        break;
    default:
        break;
    }
    return 0;
}
