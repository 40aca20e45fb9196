// SPDX-License-Identifier: GPL-3.0-or-later
// The step buttons: each press reads the present state back from the LEDs
// or the record, moves one step and sends exactly the calls of that step.
#include "mainpaneltest.h"

namespace
{

// ------------------------------------------------ four-state conditioning

struct ConditioningCase {
    const char *name;
    int button;
    std::vector<int> leds;
    // Per press from both LEDs dark: the calls (arguments channel,
    // impedance, coupling, filter, commonInput) and the LEDs after.
    std::vector<std::vector<std::string>> args;
    std::vector<std::vector<int>> ledsAfter;
};

class ConditioningSteps : public MainPanelHandlerTest, public ::testing::WithParamInterface<ConditioningCase>
{
};

TEST_P(ConditioningSteps, FourPressesWalkTheCycleAndSendTheChangedInputs)
{
    const ConditioningCase &c = GetParam();
    setLeds(c.leds, {0, 0});
    for (size_t step = 0; step < c.args.size(); step++) {
        drvtest::ClearCalls();
        EXPECT_EQ(press(c.button), 0);
        std::vector<CallText> expected;
        for (const std::string &args : c.args[step]) {
            expected.emplace_back("kq3917e_confInputConditioning", args);
        }
        EXPECT_EQ(recordedCalls(), expected) << "press " << step + 1;
        EXPECT_EQ(ledValues(c.leds), c.ledsAfter[step]) << "press " << step + 1;
    }
    EXPECT_TRUE(uitest::Popups().empty());
}

const std::vector<std::vector<int>> fourStates = {{1, 0}, {0, 1}, {1, 1}, {0, 0}};

INSTANTIATE_TEST_SUITE_P(
    Buttons, ConditioningSteps,
    ::testing::Values(
        // Lit means coupling code 0.
        ConditioningCase{
            "Coupling",
            MAIN_COUPLING,
            {MAIN_IN1_COUPLING_LED, MAIN_IN2_COUPLING_LED},
            {{"1,0,0,0,0"}, {"1,0,1,0,0", "2,0,0,0,0"}, {"1,0,0,0,0"}, {"1,0,1,0,0", "2,0,1,0,0"}},
            fourStates},
        // Lit means impedance and filter code 1.
        ConditioningCase{
            "Impedance",
            MAIN_IMPEDANCE,
            {MAIN_IN1_IMPEDANCE_LED, MAIN_IN2_IMPEDANCE_LED},
            {{"1,1,0,0,0"}, {"1,0,0,0,0", "2,1,0,0,0"}, {"1,1,0,0,0"}, {"1,0,0,0,0", "2,0,0,0,0"}},
            fourStates},
        ConditioningCase{
            "Filter",
            MAIN_FILTER,
            {MAIN_IN1_FILTER_LED, MAIN_IN2_FILTER_LED},
            {{"1,0,0,1,0"}, {"1,0,0,0,0", "2,0,0,1,0"}, {"1,0,0,1,0"}, {"1,0,0,0,0", "2,0,0,0,0"}},
            fourStates}),
    [](const ::testing::TestParamInfo<ConditioningCase> &info) { return info.param.name; });

TEST_F(MainPanelHandlerTest, ConditioningStartsFromTheLedsNotFromTheRecord)
{
    // Record and LEDs disagree: the LEDs (IN1 lit, IN2 dark) decide.
    settings.in1Coupling = 1;
    settings.commonInput = 1;
    setLeds({MAIN_IN1_COUPLING_LED, MAIN_IN2_COUPLING_LED}, {1, 0});
    press(MAIN_COUPLING);
    std::vector<CallText> expected = {{"kq3917e_confInputConditioning", "1,0,1,0,1"},
                                      {"kq3917e_confInputConditioning", "2,0,0,0,1"}};
    EXPECT_EQ(recordedCalls(), expected);
}

// ------------------------------------------------------------------ slopes

struct SlopeCase {
    const char *name;
    std::vector<int> ledsBefore;
    uint16_t in2SlopeBefore;
    std::string args; // in1Slope, in2Slope
    std::vector<int> ledsAfter;
};

class SlopeSteps : public MainPanelHandlerTest, public ::testing::WithParamInterface<SlopeCase>
{
};

TEST_P(SlopeSteps, OneCallWithBothSlopes)
{
    const SlopeCase &c = GetParam();
    std::vector<int> leds = {MAIN_IN1_SLOPE_LED, MAIN_IN2_SLOPE_LED};
    setLeds(leds, c.ledsBefore);
    settings.in2Slope = c.in2SlopeBefore;
    press(MAIN_SLOPE);
    EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{"kq3917e_confInputSlopes", c.args}}));
    EXPECT_EQ(ledValues(leds), c.ledsAfter);
}

INSTANTIATE_TEST_SUITE_P(States, SlopeSteps,
                         ::testing::Values(
                             // Input 2's slope is not touched while its LED stays.
                             SlopeCase{"DarkDarkKeepsIn2", {0, 0}, 1, "0,1", {1, 0}},
                             SlopeCase{"LitDark", {1, 0}, 0, "1,0", {0, 1}},
                             SlopeCase{"DarkLit", {0, 1}, 0, "0,0", {1, 1}},
                             SlopeCase{"LitLit", {1, 1}, 0, "1,1", {0, 0}}),
                         [](const ::testing::TestParamInfo<SlopeCase> &info) { return info.param.name; });

// -------------------------------------------------------------- hysteresis

TEST_F(MainPanelHandlerTest, EightHysteresisPressesCountThroughAllStates)
{
    std::vector<int> leds = {MAIN_IN1_HYST_LED, MAIN_IN2_HYST_LED, MAIN_ARM_HYST_LED};
    setLeds(leds, {0, 0, 0});
    const std::string in1 = "kq3917e_confInputHysteresis", arm = "kq3917e_confExtArmHysteresis";
    const std::vector<std::vector<CallText>> expected = {
        {{in1, "1,0"}}, {{in1, "1,1"}, {in1, "2,0"}},
        {{in1, "1,0"}}, {{in1, "1,1"}, {in1, "2,1"}, {arm, "0"}},
        {{in1, "1,0"}}, {{in1, "1,1"}, {in1, "2,0"}},
        {{in1, "1,0"}}, {{in1, "1,1"}, {in1, "2,1"}, {arm, "1"}},
    };
    for (size_t step = 0; step < expected.size(); step++) {
        drvtest::ClearCalls();
        press(MAIN_HYSTERESIS);
        EXPECT_EQ(recordedCalls(), expected[step]) << "press " << step + 1;
        unsigned count = (unsigned)step + 1;
        EXPECT_EQ(ledValues(leds),
                  (std::vector<int>{(int)(count & 1), (int)((count >> 1) & 1), (int)((count >> 2) & 1)}))
            << "press " << step + 1;
    }
    EXPECT_EQ(ledValues(leds), (std::vector<int>{0, 0, 0}));
}

// ----------------------------------------------------------- trigger modes

struct TrigModeCase {
    int channel;
    int16_t modeBefore;
    int16_t modeAfter;
    std::vector<int> ledsAfter; // MODE1, MODE2, MODE3, AUTO from 0, 0, 0, 0
};

class TrigModeSteps : public MainPanelHandlerTest, public ::testing::WithParamInterface<TrigModeCase>
{
};

TEST_P(TrigModeSteps, ThreeStateCycleThenOneCall)
{
    const TrigModeCase &c = GetParam();
    int16_t &mode = c.channel == 1 ? settings.in1TrigMode : settings.in2TrigMode;
    std::vector<int> leds = c.channel == 1
                                ? std::vector<int>{MAIN_IN1_TRIG_MODE1_LED, MAIN_IN1_TRIG_MODE2_LED,
                                                   MAIN_IN1_TRIG_MODE3_LED, MAIN_IN1_AUTO_LED}
                                : std::vector<int>{MAIN_IN2_TRIG_MODE1_LED, MAIN_IN2_TRIG_MODE2_LED,
                                                   MAIN_IN2_TRIG_MODE3_LED, MAIN_IN2_AUTO_LED};
    // Only the LEDs of the step change; the others keep the marker 0.
    setLeds(leds, {0, 0, 0, 0});
    mode = c.modeBefore;
    press(c.channel == 1 ? MAIN_IN1_TRIG_MODE : MAIN_IN2_TRIG_MODE);
    EXPECT_EQ(mode, c.modeAfter);
    EXPECT_EQ(ledValues(leds), c.ledsAfter);
    std::string args = std::to_string(c.channel) + "," + std::to_string(c.modeAfter);
    EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{"kq3917e_confAutoTrigMode", args}}));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TrigModeSteps,
    ::testing::Values(TrigModeCase{1, 1, 2, {0, 1, 0, 1}}, TrigModeCase{1, 2, 3, {0, 0, 1, 0}},
                      TrigModeCase{1, 3, 1, {1, 0, 0, 0}}, TrigModeCase{1, 0, 0, {0, 0, 0, 0}},
                      TrigModeCase{1, 4, 4, {0, 0, 0, 0}}, TrigModeCase{2, 1, 2, {0, 1, 0, 1}},
                      TrigModeCase{2, 3, 1, {1, 0, 0, 0}}, TrigModeCase{2, -1, -1, {0, 0, 0, 0}}));

// --------------------------------- two- and three-state record-driven steps

struct RecordStepCase {
    const char *name;
    int button;
    int16_t before;
    int16_t after;
    std::vector<int> leds;
    std::vector<int> ledsAfter; // from all LEDs at 0
    std::string operation;
    std::string args;
};

class RecordSteps : public MainPanelHandlerTest, public ::testing::WithParamInterface<RecordStepCase>
{
  protected:
    static int16_t field(int button)
    {
        switch (button) {
        case MAIN_STANDARD:
            return settings.standard;
        case MAIN_AUTO_TRIG_FREQ:
            return (int16_t)settings.minAutoTrigFreq;
        case MAIN_ARM_MODE:
            return settings.armMode;
        default:
            return (int16_t)settings.averaging;
        }
    }
    static void setField(int button, int16_t value)
    {
        switch (button) {
        case MAIN_STANDARD:
            settings.standard = value;
            break;
        case MAIN_AUTO_TRIG_FREQ:
            settings.minAutoTrigFreq = (uint16_t)value;
            break;
        case MAIN_ARM_MODE:
            settings.armMode = value;
            break;
        default:
            settings.averaging = (uint16_t)value;
            break;
        }
    }
};

TEST_P(RecordSteps, StepFromTheRecord)
{
    const RecordStepCase &c = GetParam();
    setLeds(c.leds, std::vector<int>(c.leds.size(), 0));
    setField(c.button, c.before);
    press(c.button);
    EXPECT_EQ(field(c.button), c.after);
    EXPECT_EQ(ledValues(c.leds), c.ledsAfter);
    EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{c.operation, c.args}}));
}

const std::vector<int> standardLeds = {MAIN_STANDARD0_LED, MAIN_STANDARD1_LED, MAIN_STANDARD2_LED};
const std::vector<int> freqLeds = {MAIN_AUTO_FREQ0_LED, MAIN_AUTO_FREQ1_LED};
const std::vector<int> armModeLeds = {MAIN_ARM_MODE0_LED, MAIN_ARM_MODE1_LED};

INSTANTIATE_TEST_SUITE_P(
    Buttons, RecordSteps,
    ::testing::Values(
        RecordStepCase{
            "Standard0", MAIN_STANDARD, 0, 1, standardLeds, {0, 1, 0}, "kq3917e_confStandard", "1"},
        RecordStepCase{
            "Standard1", MAIN_STANDARD, 1, 2, standardLeds, {0, 0, 1}, "kq3917e_confStandard", "2"},
        RecordStepCase{
            "Standard2", MAIN_STANDARD, 2, 0, standardLeds, {1, 0, 0}, "kq3917e_confStandard", "0"},
        RecordStepCase{
            "Standard3", MAIN_STANDARD, 3, 3, standardLeds, {0, 0, 0}, "kq3917e_confStandard", "3"},
        RecordStepCase{
            "AutoFreq0", MAIN_AUTO_TRIG_FREQ, 0, 1, freqLeds, {0, 1}, "kq3917e_confMinAutoTrigFreq", "1"},
        RecordStepCase{
            "AutoFreq1", MAIN_AUTO_TRIG_FREQ, 1, 0, freqLeds, {1, 0}, "kq3917e_confMinAutoTrigFreq", "0"},
        RecordStepCase{
            "AutoFreq5", MAIN_AUTO_TRIG_FREQ, 5, 0, freqLeds, {1, 0}, "kq3917e_confMinAutoTrigFreq", "0"},
        RecordStepCase{"ArmMode0", MAIN_ARM_MODE, 0, 1, armModeLeds, {0, 1}, "kq3917e_confExtArmMode", "1"},
        RecordStepCase{"ArmMode7", MAIN_ARM_MODE, 7, 0, armModeLeds, {1, 0}, "kq3917e_confExtArmMode", "0"},
        // Averaging sends resolution 0, never the record's resolution.
        RecordStepCase{
            "AveragingOn", MAIN_AVERAGING, 0, 1, {MAIN_AVERAGING_LED}, {1}, "kq3917e_confMeasRes", "0,1"},
        RecordStepCase{
            "AveragingOff", MAIN_AVERAGING, 1, 0, {MAIN_AVERAGING_LED}, {0}, "kq3917e_confMeasRes", "0,0"}),
    [](const ::testing::TestParamInfo<RecordStepCase> &info) { return info.param.name; });

TEST_F(MainPanelHandlerTest, AveragingLeavesTheResolutionControlAlone)
{
    SetCtrlVal(mainPanel, MAIN_RESOLUTION, 6);
    press(MAIN_AVERAGING);
    EXPECT_EQ(mainInt(MAIN_RESOLUTION), 6);
}

// ---------------------------------------------------------- LED-driven toggles

TEST_F(MainPanelHandlerTest, DelayButtonTogglesFromItsLed)
{
    for (int lit : {0, 1}) {
        SetCtrlVal(mainPanel, MAIN_DELAY_LED, lit);
        settings.delayEnabled = (uint16_t)lit; // the LED decides, not the record
        drvtest::ClearCalls();
        press(MAIN_DELAY_BUTTON);
        std::string args = lit ? "0,0.000192" : "1,0.000192";
        EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{"kq3917e_confDelay", args}}));
        EXPECT_EQ(mainInt(MAIN_DELAY_LED), lit ? 0 : 1);
    }
}

TEST_F(MainPanelHandlerTest, TwoGatePressesOpenThenClose)
{
    struct {
        std::string args;
        const char *label;
        int clearCountsDimmed;
    } expected[] = {{"1,1", "TOT CLOSE", 1}, {"1,0", "TOT OPEN", 0}};
    for (const auto &step : expected) {
        drvtest::ClearCalls();
        press(MAIN_GATE);
        EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{"kq3917e_openCloseGate", step.args}}));
        char label[32] = "";
        GetCtrlAttribute(mainPanel, MAIN_GATE, ATTR_LABEL_TEXT, label, (int)sizeof label);
        EXPECT_STREQ(label, step.label);
        EXPECT_EQ(mainAttribute(MAIN_CLEAR_COUNTS, ATTR_DIMMED), step.clearCountsDimmed);
        EXPECT_EQ(mainInt(MAIN_GATE_LED), gateOpen);
    }
    EXPECT_EQ(gateOpen, 0);
}

// ------------------------------------------------------------ value controls

struct ValueCase {
    const char *name;
    int control;
    int event;
    double value;
    std::string operation;
    std::string args;
};

class ValueControls : public MainPanelHandlerTest, public ::testing::WithParamInterface<ValueCase>
{
};

TEST_P(ValueControls, SendTheNewValueWithTheUnchangedRest)
{
    const ValueCase &c = GetParam();
    settings.commonInput = 1;
    settings.in2Attenuation = 1;
    settings.delayEnabled = 1;
    ASSERT_EQ(SetCtrlVal(mainPanel, c.control, c.value), 0);
    EXPECT_EQ(uitest::CallCtrlCallback(mainPanel, c.control, c.event), 0);
    EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{c.operation, c.args}}));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, ValueControls,
    ::testing::Values(
        ValueCase{"StartArm", MAIN_START_ARM_SOURCE, EVENT_COMMIT, 3, "kq3917e_confArming", "3,0,9"},
        ValueCase{"StopArm", MAIN_STOP_ARM_SOURCE, EVENT_COMMIT, 5, "kq3917e_confArming", "0,5,9"},
        ValueCase{"ExtArm", MAIN_EXT_ARM_SOURCE, EVENT_COMMIT, 2, "kq3917e_confArming", "0,0,2"},
        ValueCase{"ExtArmLevel", MAIN_EXT_ARM_LEVEL, EVENT_COMMIT, 0.5, "kq3917e_confArmingLevel", "0.5"},
        ValueCase{"Delay", MAIN_DELAY, EVENT_COMMIT, 0.001, "kq3917e_confDelay", "1,0.001"},
        ValueCase{"GateOutput", MAIN_GATE_OUTPUT, EVENT_COMMIT, 4, "kq3917e_outputGate", "4"},
        ValueCase{"Level1", MAIN_TRIG_LEVEL_1, EVENT_VAL_CHANGED, 1.25, "kq3917e_confInputTriggering",
                  "1,0,1.25,1"},
        ValueCase{"Level2", MAIN_TRIG_LEVEL_2, EVENT_VAL_CHANGED, -2.5, "kq3917e_confInputTriggering",
                  "2,1,-2.5,1"}),
    [](const ::testing::TestParamInfo<ValueCase> &info) { return info.param.name; });

// Events that have no handler send nothing.
TEST_F(MainPanelHandlerTest, EventsWithoutHandlerSendNothing)
{
    const struct {
        int control;
        int event;
    } quiet[] = {{MAIN_TRIG_LEVEL_1, EVENT_COMMIT},         {MAIN_APERTURE, EVENT_COMMIT},
                 {MAIN_DELAY, EVENT_VAL_CHANGED},           {MAIN_FUNCTION_UP, EVENT_VAL_CHANGED},
                 {MAIN_COUPLING, EVENT_VAL_CHANGED},        {MAIN_IN1_COUPLING_LED, EVENT_COMMIT},
                 {MAIN_IN1_COUPLING_LED, EVENT_LEFT_CLICK}, {MAIN_READING, EVENT_LEFT_CLICK},
                 {MAIN_COUPLING, EVENT_GOT_FOCUS}};
    for (const auto &q : quiet) {
        EXPECT_EQ(uitest::CallCtrlCallback(mainPanel, q.control, q.event), 0);
    }
    EXPECT_TRUE(drvtest::Calls().empty());
}

} // namespace
