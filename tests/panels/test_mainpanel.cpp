// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel's handlers: step buttons, value controls, attenuation,
// function change, run control, refused calls and the version panel.
#include "mainpaneltest.h"

#include <tuple>

// Presses control with the first operation of sent refused: the action
// texts reported.
static std::string refusedPress(int control, const std::string &sent, int event = EVENT_COMMIT)
{
    drvtest::Refuse("kq3917e_" + sent.substr(0, sent.find('(')), refusedStatus);
    uitest::ClearPopups();
    press(control, event);
    drvtest::ClearRefusals();
    return reports();
}

// From the start state, prepared as the comments say, and all LEDs dark, one
// press per entry of presses (';' between): its calls, " = " and the LEDs
// after it. Then, from dark again, the first press refused: reported with
// its action text, the LEDs showing the requested state.
TEST_F(MainPanelTest, StepButtonsWalkTheirCycles)
{
    const std::vector<int> hys = {MAIN_IN1_HYST_LED, MAIN_IN2_HYST_LED, MAIN_ARM_HYST_LED};
    const std::tuple<int, std::vector<int>, const char *, const char *> cases[] = {
        // Conditioning starts from the LEDs, not from the record; common inputs.
        {MAIN_COUPLING, controls(MAIN_IN1_COUPLING_LED, MAIN_IN2_COUPLING_LED), "setting IN1 coupling",
         "confInputConditioning(1,0,0,0,1) = 10;confInputConditioning(1,0,1,0,1) confInputConditioning(2,0,0,"
         "0,1) = 01;confInputConditioning(1,0,0,0,1) = 11;confInputConditioning(1,0,1,0,1) "
         "confInputConditioning(2,0,1,0,1) = 00"},
        {MAIN_IMPEDANCE, controls(MAIN_IN1_IMPEDANCE_LED, MAIN_IN2_IMPEDANCE_LED), "setting IN1 impedance",
         "confInputConditioning(1,1,0,0,1) = 10"},
        {MAIN_FILTER, controls(MAIN_IN1_FILTER_LED, MAIN_IN2_FILTER_LED), "setting IN1 filter",
         "confInputConditioning(1,0,0,1,1) = 10"},
        {MAIN_HYSTERESIS, hys, "setting IN1 hysteresis",
         "confInputHysteresis(1,0) = 100;confInputHysteresis(1,1) confInputHysteresis(2,0) = 010;"
         "confInputHysteresis(1,0) = 110;confInputHysteresis(1,1) confInputHysteresis(2,1) "
         "confExtArmHysteresis(0) = 001"},
        // Input 2's slope (1) is sent from the record while its LED stays.
        {MAIN_SLOPE, controls(MAIN_IN1_SLOPE_LED, MAIN_IN2_SLOPE_LED), "setting input slope",
         "confInputSlopes(0,1) = 10;confInputSlopes(1,0) = 01"},
        // Trigger modes and standard step through the record.
        {MAIN_IN1_TRIG_MODE,
         controls(MAIN_IN1_TRIG_MODE1_LED, MAIN_IN1_TRIG_MODE2_LED, MAIN_IN1_TRIG_MODE3_LED,
                  MAIN_IN1_AUTO_LED),
         "setting IN1 trigger mode",
         "confAutoTrigMode(1,2) = 0101;confAutoTrigMode(1,3) = 0011;confAutoTrigMode(1,1) = 1000"},
        {MAIN_IN2_TRIG_MODE,
         controls(MAIN_IN2_TRIG_MODE1_LED, MAIN_IN2_TRIG_MODE2_LED, MAIN_IN2_TRIG_MODE3_LED,
                  MAIN_IN2_AUTO_LED),
         "setting IN2 trigger mode", "confAutoTrigMode(2,2) = 0101"},
        {MAIN_STANDARD, controls(MAIN_STANDARD0_LED, MAIN_STANDARD1_LED, MAIN_STANDARD2_LED),
         "setting frequency standard", "confStandard(1) = 010;confStandard(2) = 001;confStandard(0) = 100"},
        // Two-state toggles through the record (5, 7): any code but 0 counts as 1.
        {MAIN_AUTO_TRIG_FREQ, controls(MAIN_AUTO_FREQ0_LED, MAIN_AUTO_FREQ1_LED),
         "setting auto trigger frequency", "confMinAutoTrigFreq(0) = 10;confMinAutoTrigFreq(1) = 01"},
        {MAIN_ARM_MODE, controls(MAIN_ARM_MODE0_LED, MAIN_ARM_MODE1_LED), "setting arm mode",
         "confExtArmMode(0) = 10;confExtArmMode(1) = 01"},
        // Averaging sends resolution 0, never the record's resolution (6).
        {MAIN_AVERAGING, controls(MAIN_AVERAGING_LED), "setting averaging",
         "confMeasRes(0,1) = 1;confMeasRes(0,0) = 0"},
        // The delay LED decides, not the record (on).
        {MAIN_DELAY_BUTTON, controls(MAIN_DELAY_LED), "setting time interval delay",
         "confDelay(1,0.000192) = 1;confDelay(0,0.000192) = 0"},
        {MAIN_GATE, {MAIN_GATE_LED}, "opening gate", "openCloseGate(1,1) = 1;openCloseGate(1,0) = 0"}};
    auto prepare = [](const std::vector<int> &lit) {
        resetMainPanelState();
        settings.commonInput = settings.in2Slope = settings.delayEnabled = 1;
        settings.minAutoTrigFreq = 5, settings.armMode = 7, settings.resolution = 6;
        setLeds(lit, "0000");
    };
    for (const auto &[control, lit, action, presses] : cases) {
        SCOPED_TRACE(presses);
        prepare(lit);
        for (const QString &expected : QString(presses).split(';')) {
            drvtest::ClearCalls(), press(control);
            EXPECT_EQ(calls() + " = " + leds(lit), expected.toStdString());
        }
        prepare(lit);
        const std::string first = QString(presses).section(';', 0, 0).toStdString();
        EXPECT_EQ(refusedPress(control, first), action);
        EXPECT_EQ(" = " + leds(lit), first.substr(first.find(" = ")));
    }
    setLeds(hys, "110");
    EXPECT_EQ(refusedPress(MAIN_HYSTERESIS, "confExtArmHysteresis("), "setting ARM hysterisis");
    // Counts cannot be cleared while the gate is open.
    prepare({MAIN_GATE_LED});
    press(MAIN_GATE);
    EXPECT_EQ(label(MAIN_GATE) + std::to_string(val<int>(MAIN_CLEAR_COUNTS, ATTR_DIMMED)), "TOT CLOSE1");
}

// A value control sends its new value with the rest as the module has it
// (each case keeps what the one before set); other events send nothing. A
// refused value is reported and read back: the control shows what the module
// kept. Aperture and resolution then show what the module works out.
TEST_F(MainPanelTest, ValueControlsSendTheirValueAndShowTheModulesOnRefusal)
{
    const std::tuple<int, int, double, const char *, const char *> cases[] = {
        {MAIN_START_ARM_SOURCE, EVENT_COMMIT, 3, "confArming(3,0,9)", "setting start arm source"},
        {MAIN_STOP_ARM_SOURCE, EVENT_COMMIT, 5, "confArming(3,5,9)", "setting stop arm source"},
        {MAIN_EXT_ARM_SOURCE, EVENT_COMMIT, 2, "confArming(3,5,2)", "setting external arm source"},
        {MAIN_EXT_ARM_LEVEL, EVENT_COMMIT, 0.5, "confArmingLevel(0.5)", "setting external arm level"},
        {MAIN_DELAY, EVENT_COMMIT, 0.001, "confDelay(1,0.001)", "setting time interval delay"},
        {MAIN_GATE_OUTPUT, EVENT_COMMIT, 4, "outputGate(4)", "setting gate output"},
        {MAIN_TRIG_LEVEL_1, EVENT_VAL_CHANGED, 1.25, "confInputTriggering(1,0,1.25,1)",
         "setting trigger 1 level"},
        {MAIN_TRIG_LEVEL_2, EVENT_VAL_CHANGED, -2.5, "confInputTriggering(2,1,-2.5,1)",
         "setting trigger 2 level"},
        {MAIN_APERTURE, EVENT_VAL_CHANGED, 5000, "confAperture(5000) queryMeasRes()", "setting aperture"},
        {MAIN_RESOLUTION, EVENT_VAL_CHANGED, 12, "confMeasRes(12,0) queryAperture()", "setting resolution"},
        {MAIN_APERTURE, EVENT_VAL_CHANGED, 1000, "confAperture(1000) queryMeasRes()", nullptr},
        {MAIN_RESOLUTION, EVENT_VAL_CHANGED, 10, "confMeasRes(10,0) queryAperture()", nullptr},
        {MAIN_TRIG_LEVEL_1, EVENT_COMMIT, 1.25, "", nullptr},
        {MAIN_DELAY, EVENT_VAL_CHANGED, 0.001, "", nullptr}};
    accepted({kq3917e_confInputTriggering(0, 1, 0, 0.0, 1), kq3917e_confInputTriggering(0, 2, 1, 0.0, 1),
              kq3917e_confDelay(0, 1, 0.000192)});
    QString worked;
    for (auto [control, event, asked, sent, reported] : cases) {
        SCOPED_TRACE(sent);
        // A refused delay lights its LED again by the module's answer.
        refreshMainPanel(), SetCtrlVal(mainPanel, MAIN_DELAY_LED, 0);
        const double kept = val(control);
        SetCtrlVal(mainPanel, control, asked);
        if (reported != nullptr) {
            EXPECT_EQ(refusedPress(control, sent, event), reported);
            EXPECT_EQ(val(control), kept);
            EXPECT_EQ(val<int>(MAIN_DELAY_LED), control == MAIN_DELAY ? 1 : 0);
            SetCtrlVal(mainPanel, control, asked);
        }
        drvtest::ClearCalls(), press(control, event);
        EXPECT_EQ(calls(), sent);
        if (!reported && *sent == 'c')
            worked += QString::asprintf("%g/%g/%d ", val(MAIN_RESOLUTION), val(MAIN_APERTURE),
                                        settings.resolution + settings.aperture);
    }
    EXPECT_EQ(worked.toStdString(), "9/1000/1009 10/10000/10010 ");
}

// The attenuation toggles and the channel coupling from prepared settings:
// the call, the LEDs (the input's x1 and x10, or the coupling LED), both
// levels shown (0.75 where not written) and the pressed input's range, the
// module's for the code. x10 to x1 brings a level beyond the new range into
// it (input 2's as well while the inputs are common); x1 to x10, or code 2,
// keeps it. Common inputs bring input 2's level towards input 1's narrower
// range.
TEST_F(MainPanelTest, AttenuationAndCouplingRescaleLevels)
{
    const int A1 = MAIN_IN1_ATTEN, A2 = MAIN_IN2_ATTEN, CC = MAIN_CHANNEL_COUPLING;
    const std::tuple<int, int16_t, int16_t, double, double, uint16_t, const char *> cases[] = {
        {A1, 1, 0, 30, 40, 0, "(1,0,3,0) 10 3/0.75 5.1"},
        {A1, 1, 0, -30, 40, 0, "(1,0,-3,0) 10 -3/0.75 5.1"},
        {A1, 1, 0, 5.1, 40, 0, "(1,0,5.1,0) 10 5.1/0.75 5.1"},
        {A1, 0, 0, 2, 40, 0, "(1,1,2,0) 01 0.75/0.75 51"},
        {A1, 2, 0, 150, 40, 0, "(1,2,150,0) 00 0.75/0.75 204"},
        {A1, 1, 0, 30, 40, 1, "(1,0,3,1) 10 3/4 5.1"},
        {A2, 0, 1, 40, 30, 1, "(2,0,3,1) 10 0.75/3 5.1"},
        {CC, 0, 2, 1.5, 100, 0, "(1,0,1.5,1) 0 0.75/2.5"},
        {CC, 1, 2, 1.5, 51, 0, "(1,1,1.5,1) 0 0.75/12.75"},
        {CC, 0, 1, 1.5, 30, 0, "(1,0,1.5,1) 0 0.75/3"},
        {CC, 0, 2, 1.5, 3, 0, "(1,0,1.5,1) 0 0.75/3"},
        {CC, 1, 2, 1.5, 50, 0, "(1,1,1.5,1) 0 0.75/50"},
        {CC, 0, 2, 1.5, -100, 0, "(1,0,1.5,1) 0 0.75/-2.5"},
        {CC, 2, 1, 1.5, 100, 0, "(1,2,1.5,1) 0 0.75/0.75"},
        {CC, 0, 0, 1.5, 100, 0, "(1,0,1.5,1) 0 0.75/0.75"},
        {CC, 0, 2, 1.5, 100, 1, "(1,0,1.5,0) 1 0.75/0.75"}};
    for (auto [control, attenuation1, attenuation2, level1, level2, common, expected] : cases) {
        const int level = control == A2 ? MAIN_TRIG_LEVEL_2 : MAIN_TRIG_LEVEL_1;
        const std::vector<int> lit = control == CC   ? controls(MAIN_CHANNEL_COUPLING_LED)
                                     : control == A1 ? controls(MAIN_IN1_ATT_X1_LED, MAIN_IN1_ATT_X10_LED)
                                                     : controls(MAIN_IN2_ATT_X1_LED, MAIN_IN2_ATT_X10_LED);
        setLeds(lit, "00");
        setTriggerLevelRange(
            level, (control == A2 ? attenuation2 : attenuation1) == 2 ? 0 : 2); // not the one expected
        SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_1, 0.75), SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_2, 0.75);
        settings.in1Attenuation = attenuation1, settings.in2Attenuation = attenuation2;
        settings.in1Level = level1, settings.in2Level = level2, settings.commonInput = common;
        drvtest::ClearCalls(), press(control);
        const double max = val(level, ATTR_MAX_VALUE);
        const QString range =
            control == CC ? "" : " " + QString::number(max) + (val(level, ATTR_MIN_VALUE) == -max ? "" : "!");
        EXPECT_EQ(calls() + " " + leds(lit) + " " + QString::number(val(MAIN_TRIG_LEVEL_1)).toStdString() +
                      "/" + QString::number(val(MAIN_TRIG_LEVEL_2)).toStdString() + range.toStdString(),
                  "confInputTriggering" + std::string(expected));
    }
    settings.in2Attenuation = settings.commonInput = 0;
    setLeds({MAIN_IN2_ATT_X1_LED, MAIN_IN2_ATT_X10_LED, MAIN_CHANNEL_COUPLING_LED}, "000");
    EXPECT_EQ(refusedPress(MAIN_IN2_ATTEN, "confInputTriggering("), "setting IN2 attenuation");
    EXPECT_EQ(refusedPress(MAIN_CHANNEL_COUPLING, "confInputTriggering("), "setting channel coupling");
    EXPECT_EQ(leds({MAIN_IN2_ATT_X1_LED, MAIN_IN2_ATT_X10_LED, MAIN_CHANNEL_COUPLING_LED}), "010");
    EXPECT_EQ(std::make_pair(triggerLevelLimit(-1), triggerLevelLimit(3)), std::make_pair(5.1, 5.1));
}

// The step buttons cycle through the functions; a code outside the table
// steps to the nearest end.
TEST(FunctionStep, CyclesAndClampsAtBothEnds)
{
    const std::tuple<int16_t, int, int16_t> cases[] = {
        {0, 1, 1},    {13, 1, 14},  {23, 1, 24}, {24, 1, 0},  {25, 1, 0},   {-1, 1, 0},   {30, 1, 0},
        {24, -1, 23}, {13, -1, 12}, {1, -1, 0},  {0, -1, 24}, {-1, -1, 24}, {-3, -1, 24}, {25, -1, 24}};
    for (auto [function, step, after] : cases)
        EXPECT_EQ(functionAfterStep(function, step), after) << function << " " << step;
}

// Stop, configure, restart only when continuous was on, then the refresh.
TEST_F(MainPanelTest, FunctionChangesByButtonsAndLeds)
{
    const std::tuple<int16_t, int, int, int, int16_t> cases[] = {
        {7, MAIN_FUNCTION_UP, EVENT_COMMIT, 1, 8},
        {13, MAIN_FUNCTION_DOWN, EVENT_COMMIT, 0, 12},
        {0, MAIN_FN_17, EVENT_LEFT_CLICK, 1, 17},
        {3, MAIN_FN_09, EVENT_LEFT_CLICK, 0, 9}};
    for (auto [before, control, event, continuous, after] : cases) {
        kq3917e_confMeasurement(instrSession, settings.function = before);
        setLeds({functionControls[0], functionControls[before]}, "01");
        continuousMode = continuous;
        drvtest::ClearCalls(), press(control, event);
        const std::string expected = "triggerContinuous(0) confMeasurement(" + std::to_string(after) + ")" +
                                     (continuous ? " triggerContinuous(1)" : "") + " queryMeasurement()";
        const std::string sent = calls();
        EXPECT_EQ(sent.substr(0, expected.size()), expected);
        EXPECT_EQ(sent.find("triggerContinuous(1)", expected.size()), std::string::npos);
        EXPECT_EQ(std::to_string(settings.function + 100 * continuousMode) +
                      leds({functionControls[before], functionControls[after]}),
                  std::to_string(after + 100 * continuous) + "01");
    }
    drvtest::ClearCalls(), press(MAIN_FN_09, EVENT_LEFT_CLICK); // the current function
    EXPECT_EQ(calls(), "");
    // Refused: the module's function stays lit.
    EXPECT_EQ(refusedPress(MAIN_FUNCTION_UP, "confMeasurement("), "setting function");
    EXPECT_EQ(std::to_string(settings.function) + leds({MAIN_FN_09, MAIN_FN_10}), "910");
}

// Continuous marks its button; Single, Abort and Clear Counts zero the
// reading; Abort leaves continuous fetching on; a refused start still sets
// the flag and the mark.
TEST_F(MainPanelTest, RunButtonsSetFlagsMarksAndReading)
{
    // Presses, then the calls of the last, the continuous and single flags and
    // the marks, and the reading (12.5 before each press) in text and value.
    const std::pair<std::vector<int>, const char *> cases[] = {
        {{MAIN_CONTINUOUS}, "triggerContinuous(1) 1010 12.5 12.5"},
        {{MAIN_CONTINUOUS, MAIN_SINGLE}, "triggerContinuous(0) 0101 0.0000000E+00   0"},
        {{MAIN_CONTINUOUS, MAIN_ABORT}, "abortMeasurement() 1010 0.0000000E+00   0"},
        {{MAIN_SINGLE, MAIN_CLEAR_COUNTS}, "clearAccCount(1) clearAccCount(2) 0101 0.0000000E+00   0"}};
    for (const auto &[presses, expected] : cases) {
        resetMainPanelState();
        for (int control : presses) {
            lastReading = 12.5;
            SetCtrlVal(mainPanel, MAIN_READING, "12.5");
            drvtest::ClearCalls();
            press(control);
        }
        EXPECT_EQ(calls() + " " + std::to_string(continuousMode) + std::to_string(singleReadingPending) +
                      leds({MAIN_CONTINUOUS, MAIN_SINGLE}, ATTR_ACTIVE_MARK) + " " + text(MAIN_READING) +
                      " " + QString::number(lastReading).toStdString(),
                  expected);
    }
    EXPECT_EQ(refusedPress(MAIN_CLEAR_COUNTS, "clearAccCount("),
              "clearing input 1 count|clearing input 2 count");
    EXPECT_EQ(refusedPress(MAIN_ABORT, "abortMeasurement("), "aborting measurement");
    resetMainPanelState();
    EXPECT_EQ(refusedPress(MAIN_CONTINUOUS, "triggerContinuous("), "setting continuous mode");
    EXPECT_EQ(std::to_string(continuousMode) + leds({MAIN_CONTINUOUS, MAIN_SINGLE}, ATTR_ACTIVE_MARK), "110");
}
