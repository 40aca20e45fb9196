// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel's handlers: step buttons, value controls, attenuation,
// function change, run control, refused calls, the secondary panels that
// cannot load yet, the version panel, real clicks, typing while continuous
// mode ticks, and a real error popup while it is due.
#include "mainpaneltest.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <tuple>

namespace
{

// Presses control with the first operation of sent refused: the action
// texts reported.
std::string refusedPress(int control, const std::string &sent, int event = EVENT_COMMIT)
{
    drvtest::Refuse("kq3917e_" + sent.substr(0, sent.find('(')), refusedStatus);
    uitest::ClearPopups();
    press(control, event);
    drvtest::ClearRefusals();
    return reports();
}

// From the start state, prepared, and all of lit dark, presses control once
// per entry: the calls of that press, " = " and the LEDs after it. Then,
// from dark again, the first press with its first operation refused: it is
// reported with actionText, and the LEDs show the requested state.
void steps(
    int control, const std::vector<int> &lit, const char *actionText, const std::vector<std::string> &presses,
    const std::function<void()> &prepare = [] {}, int event = EVENT_COMMIT)
{
    SCOPED_TRACE(presses[0]);
    resetMainPanelState();
    prepare();
    setLeds(lit, std::string(lit.size(), '0'));
    for (const std::string &expected : presses) {
        drvtest::ClearCalls();
        EXPECT_EQ(press(control, event), 0);
        EXPECT_EQ(calls() + " = " + leds(lit), expected);
    }
    if (actionText != nullptr) {
        setLeds(lit, std::string(lit.size(), '0'));
        EXPECT_EQ(refusedPress(control, presses[0], event), actionText);
        EXPECT_EQ(" = " + leds(lit), presses[0].substr(presses[0].find(" = ")));
    }
}

TEST_F(MainPanelTest, StepButtonsWalkTheirCycles)
{
    // Conditioning starts from the LEDs, not from the record (lit: code 0).
    steps(MAIN_COUPLING, {MAIN_IN1_COUPLING_LED, MAIN_IN2_COUPLING_LED}, "setting IN1 coupling",
          {"confInputConditioning(1,0,0,0,1) = 10",
           "confInputConditioning(1,0,1,0,1) confInputConditioning(2,0,0,0,1) = 01",
           "confInputConditioning(1,0,0,0,1) = 11",
           "confInputConditioning(1,0,1,0,1) confInputConditioning(2,0,1,0,1) = 00"},
          [] { settings.commonInput = 1, settings.in1Coupling = settings.in2Coupling = 0; });
    // Lit means impedance and filter code 1.
    steps(MAIN_IMPEDANCE, {MAIN_IN1_IMPEDANCE_LED, MAIN_IN2_IMPEDANCE_LED}, "setting IN1 impedance",
          {"confInputConditioning(1,1,0,0,0) = 10",
           "confInputConditioning(1,0,0,0,0) confInputConditioning(2,1,0,0,0) = 01",
           "confInputConditioning(1,1,0,0,0) = 11",
           "confInputConditioning(1,0,0,0,0) confInputConditioning(2,0,0,0,0) = 00"});
    steps(MAIN_FILTER, {MAIN_IN1_FILTER_LED, MAIN_IN2_FILTER_LED}, "setting IN1 filter",
          {"confInputConditioning(1,0,0,1,0) = 10",
           "confInputConditioning(1,0,0,0,0) confInputConditioning(2,0,0,1,0) = 01",
           "confInputConditioning(1,0,0,1,0) = 11",
           "confInputConditioning(1,0,0,0,0) confInputConditioning(2,0,0,0,0) = 00"});
    // Input 2's slope is sent from the record while its LED stays.
    steps(MAIN_SLOPE, {MAIN_IN1_SLOPE_LED, MAIN_IN2_SLOPE_LED}, "setting input slope",
          {"confInputSlopes(0,1) = 10", "confInputSlopes(1,0) = 01", "confInputSlopes(0,0) = 11",
           "confInputSlopes(1,1) = 00"},
          [] { settings.in2Slope = 1; });
    steps(MAIN_HYSTERESIS, {MAIN_IN1_HYST_LED, MAIN_IN2_HYST_LED, MAIN_ARM_HYST_LED},
          "setting IN1 hysteresis",
          {"confInputHysteresis(1,0) = 100", "confInputHysteresis(1,1) confInputHysteresis(2,0) = 010",
           "confInputHysteresis(1,0) = 110",
           "confInputHysteresis(1,1) confInputHysteresis(2,1) confExtArmHysteresis(0) = 001",
           "confInputHysteresis(1,0) = 101", "confInputHysteresis(1,1) confInputHysteresis(2,0) = 011",
           "confInputHysteresis(1,0) = 111",
           "confInputHysteresis(1,1) confInputHysteresis(2,1) confExtArmHysteresis(1) = 000"});
    // Trigger modes and the standard step through the record; a code outside
    // the cycle is sent back unchanged.
    const std::vector<int> in1Modes = {MAIN_IN1_TRIG_MODE1_LED, MAIN_IN1_TRIG_MODE2_LED,
                                       MAIN_IN1_TRIG_MODE3_LED, MAIN_IN1_AUTO_LED};
    const std::vector<int> in2Modes = {MAIN_IN2_TRIG_MODE1_LED, MAIN_IN2_TRIG_MODE2_LED,
                                       MAIN_IN2_TRIG_MODE3_LED, MAIN_IN2_AUTO_LED};
    steps(MAIN_IN1_TRIG_MODE, in1Modes, "setting IN1 trigger mode",
          {"confAutoTrigMode(1,2) = 0101", "confAutoTrigMode(1,3) = 0011", "confAutoTrigMode(1,1) = 1000"},
          [] { settings.in1TrigMode = 1; });
    steps(MAIN_IN2_TRIG_MODE, in2Modes, "setting IN2 trigger mode",
          {"confAutoTrigMode(2,2) = 0101", "confAutoTrigMode(2,3) = 0011", "confAutoTrigMode(2,1) = 1000"},
          [] { settings.in2TrigMode = 1; });
    steps(MAIN_IN1_TRIG_MODE, in1Modes, nullptr, {"confAutoTrigMode(1,4) = 0000"},
          [] { settings.in1TrigMode = 4; });
    steps(MAIN_IN2_TRIG_MODE, in2Modes, nullptr, {"confAutoTrigMode(2,0) = 0000"},
          [] { settings.in2TrigMode = 0; });
    const std::vector<int> standards = {MAIN_STANDARD0_LED, MAIN_STANDARD1_LED, MAIN_STANDARD2_LED};
    steps(MAIN_STANDARD, standards, "setting frequency standard",
          {"confStandard(1) = 010", "confStandard(2) = 001", "confStandard(0) = 100"});
    steps(MAIN_STANDARD, standards, nullptr, {"confStandard(3) = 000"}, [] { settings.standard = 3; });
    // Two-state toggles through the record: any code but 0 counts as 1.
    steps(MAIN_AUTO_TRIG_FREQ, {MAIN_AUTO_FREQ0_LED, MAIN_AUTO_FREQ1_LED}, "setting auto trigger frequency",
          {"confMinAutoTrigFreq(0) = 10", "confMinAutoTrigFreq(1) = 01"},
          [] { settings.minAutoTrigFreq = 5; });
    steps(MAIN_ARM_MODE, {MAIN_ARM_MODE0_LED, MAIN_ARM_MODE1_LED}, "setting arm mode",
          {"confExtArmMode(0) = 10", "confExtArmMode(1) = 01"}, [] { settings.armMode = 7; });
    // Averaging sends resolution 0, never the record's resolution.
    steps(MAIN_AVERAGING, {MAIN_AVERAGING_LED}, "setting averaging",
          {"confMeasRes(0,1) = 1", "confMeasRes(0,0) = 0"},
          [] { SetCtrlVal(mainPanel, MAIN_RESOLUTION, 6); });
    EXPECT_EQ(val(MAIN_RESOLUTION), 6);
    // The delay LED decides, not the record.
    steps(MAIN_DELAY_BUTTON, {MAIN_DELAY_LED}, "setting time interval delay",
          {"confDelay(1,0.000192) = 1", "confDelay(0,0.000192) = 0"}, [] { settings.delayEnabled = 1; });
    steps(MAIN_GATE, {MAIN_GATE_LED}, "opening gate", {"openCloseGate(1,1) = 1", "openCloseGate(1,0) = 0"});
}

TEST_F(MainPanelTest, RefusedArmHysteresisAndGateLabels)
{
    setLeds({MAIN_IN1_HYST_LED, MAIN_IN2_HYST_LED, MAIN_ARM_HYST_LED}, "110");
    EXPECT_EQ(refusedPress(MAIN_HYSTERESIS, "confExtArmHysteresis("), "setting ARM hysterisis");
    EXPECT_EQ(val(MAIN_ARM_HYST_LED), 1);
    // Counts cannot be cleared while the gate is open.
    for (const char *label : {"TOT CLOSE", "TOT OPEN"}) {
        press(MAIN_GATE);
        char shown[32] = "";
        GetCtrlAttribute(mainPanel, MAIN_GATE, ATTR_LABEL_TEXT, shown, (int)sizeof shown);
        EXPECT_EQ(shown + std::to_string(val<int>(MAIN_CLEAR_COUNTS, ATTR_DIMMED)),
                  label + std::to_string(gateOpen));
    }
}

// A value control sends its new value with the rest at the start values;
// other events of these controls send nothing.
TEST_F(MainPanelTest, ValueControlsSendTheirValue)
{
    const std::tuple<int, int, double, const char *, const char *> cases[] = {
        {MAIN_START_ARM_SOURCE, EVENT_COMMIT, 3, "confArming(3,0,9)", "setting start arm source"},
        {MAIN_STOP_ARM_SOURCE, EVENT_COMMIT, 5, "confArming(0,5,9)", "setting stop arm source"},
        {MAIN_EXT_ARM_SOURCE, EVENT_COMMIT, 2, "confArming(0,0,2)", "setting external arm source"},
        {MAIN_EXT_ARM_LEVEL, EVENT_COMMIT, 0.5, "confArmingLevel(0.5)", "setting external arm level"},
        {MAIN_DELAY, EVENT_COMMIT, 0.001, "confDelay(1,0.001)", "setting time interval delay"},
        {MAIN_GATE_OUTPUT, EVENT_COMMIT, 4, "outputGate(4)", "setting gate output"},
        {MAIN_TRIG_LEVEL_1, EVENT_VAL_CHANGED, 1.25, "confInputTriggering(1,0,1.25,1)",
         "setting trigger 1 level"},
        {MAIN_TRIG_LEVEL_2, EVENT_VAL_CHANGED, -2.5, "confInputTriggering(2,1,-2.5,1)",
         "setting trigger 2 level"},
        {MAIN_TRIG_LEVEL_1, EVENT_COMMIT, 1.25, "", nullptr},
        {MAIN_DELAY, EVENT_VAL_CHANGED, 0.001, "", nullptr},
        {MAIN_IN1_COUPLING_LED, EVENT_LEFT_CLICK, 0, "", nullptr}};
    for (auto [control, event, value, sent, actionText] : cases) {
        auto prepare = [control = control, value = value] {
            settings.commonInput = settings.in2Attenuation = settings.delayEnabled = 1;
            SetCtrlVal(mainPanel, control, value);
        };
        steps(control, {}, actionText, {sent + std::string(" = ")}, prepare, event);
    }
}

TEST_F(MainPanelTest, ApertureAndResolutionShowWhatTheModuleWorksOut)
{
    SetCtrlVal(mainPanel, MAIN_RESOLUTION, 12);
    SetCtrlVal(mainPanel, MAIN_APERTURE, 1000);
    press(MAIN_APERTURE, EVENT_VAL_CHANGED);
    EXPECT_EQ(val(MAIN_RESOLUTION), 9);
    EXPECT_EQ(settings.resolution, 9);
    SetCtrlVal(mainPanel, MAIN_RESOLUTION, 10);
    press(MAIN_RESOLUTION, EVENT_VAL_CHANGED);
    EXPECT_EQ(val(MAIN_APERTURE), 10000);
    EXPECT_EQ(settings.aperture, 10000);
    EXPECT_EQ(calls(), "confAperture(1000) queryMeasRes() confMeasRes(10,0) queryAperture()");
}

// The level range each attenuation gives is the module's, so that the level
// controls hold every level it reports and offer none it refuses; a code
// the module does not know falls back to the x1 range, as in the module.
TEST(TriggerLevelRange, EqualsTheModulesByAttenuation)
{
    const auto &range = uctsim::limits().levelRange;
    for (int16_t code : {0, 1, 2, 3, -1})
        EXPECT_EQ(triggerLevelLimit(code), range[code >= 0 && code <= 2 ? code : 0]) << code;
}

// x10 to x1 brings a level beyond the new range into it (input 2's as well
// while the inputs are common) and shows it; x1 to x10, or code 2, keeps it.
TEST_F(MainPanelTest, AttenuationTogglesRescalesAndSetsTheRange)
{
    const std::tuple<int, int16_t, double, uint16_t, const char *, const char *, double, double, double>
        cases[] = {{1, 1, 30.0, 0, "confInputTriggering(1,0,3,0)", "10", 3.0, 0.75, 5.1},
                   {1, 1, -30.0, 0, "confInputTriggering(1,0,-3,0)", "10", -3.0, 0.75, 5.1},
                   {1, 1, 5.1, 0, "confInputTriggering(1,0,5.1,0)", "10", 5.1, 0.75, 5.1},
                   {1, 0, 2.0, 0, "confInputTriggering(1,1,2,0)", "01", 0.75, 0.75, 51.0},
                   {1, 2, 150.0, 0, "confInputTriggering(1,2,150,0)", "00", 0.75, 0.75, 204.0},
                   {2, 2, 100.0, 0, "confInputTriggering(2,2,100,0)", "00", 0.75, 0.75, 204.0},
                   {1, 1, 30.0, 1, "confInputTriggering(1,0,3,1)", "10", 3.0, 4.0, 5.1},
                   {2, 1, 30.0, 1, "confInputTriggering(2,0,3,1)", "10", 3.0, 0.75, 5.1}};
    for (auto [channel, attenuation, level, common, sent, x1x10, shown, otherShown, range] : cases) {
        bool one = channel == 1;
        int control = one ? MAIN_TRIG_LEVEL_1 : MAIN_TRIG_LEVEL_2,
            other = one ? MAIN_TRIG_LEVEL_2 : MAIN_TRIG_LEVEL_1;
        const std::vector<int> lit = {one ? MAIN_IN1_ATT_X1_LED : MAIN_IN2_ATT_X1_LED,
                                      one ? MAIN_IN1_ATT_X10_LED : MAIN_IN2_ATT_X10_LED};
        // Each control starts on a range other than the one expected, so
        // that only the press can give it.
        for (int levelControl : {control, other}) {
            setTriggerLevelRange(levelControl, range == 204.0 ? 0 : 2);
            SetCtrlVal(mainPanel, levelControl, 0.75);
        }
        setLeds(lit, "00");
        (one ? settings.in1Attenuation : settings.in2Attenuation) = attenuation;
        (one ? settings.in1Level : settings.in2Level) = level;
        (one ? settings.in2Level : settings.in1Level) = 40.0;
        settings.commonInput = common;
        drvtest::ClearCalls();
        press(one ? MAIN_IN1_ATTEN : MAIN_IN2_ATTEN);
        EXPECT_EQ(calls() + " = " + leds(lit), sent + std::string(" = ") + x1x10);
        EXPECT_DOUBLE_EQ(val(control), shown) << sent;
        EXPECT_DOUBLE_EQ(val(other), otherShown) << sent;
        EXPECT_EQ(val(control, ATTR_MAX_VALUE) - val(control, ATTR_MIN_VALUE), 2 * range) << sent;
    }
    setLeds({MAIN_IN2_ATT_X1_LED, MAIN_IN2_ATT_X10_LED}, "00");
    EXPECT_EQ(refusedPress(MAIN_IN2_ATTEN, "confInputTriggering("), "setting IN2 attenuation");
    EXPECT_EQ(leds({MAIN_IN2_ATT_X1_LED, MAIN_IN2_ATT_X10_LED}), "01");
}

// Common inputs bring input 2's level towards input 1's narrower range.
TEST_F(MainPanelTest, ChannelCouplingSendsInput1AndRescalesInput2)
{
    const std::tuple<uint16_t, int16_t, int16_t, double, const char *, double> cases[] = {
        {0, 0, 2, 100.0, "confInputTriggering(1,0,1.5,1)", 2.5},
        {0, 1, 2, 51.0, "confInputTriggering(1,1,1.5,1)", 12.75},
        {0, 0, 1, 30.0, "confInputTriggering(1,0,1.5,1)", 3.0},
        {0, 0, 2, 3.0, "confInputTriggering(1,0,1.5,1)", 3.0},
        {0, 1, 2, 50.0, "confInputTriggering(1,1,1.5,1)", 50.0},
        {0, 0, 2, -100.0, "confInputTriggering(1,0,1.5,1)", -2.5},
        {0, 2, 1, 100.0, "confInputTriggering(1,2,1.5,1)", 100.0},
        {1, 0, 2, 100.0, "confInputTriggering(1,0,1.5,0)", 100.0}};
    setTriggerLevelRange(MAIN_TRIG_LEVEL_2, 2);
    for (auto [common, in1Attenuation, in2Attenuation, in2Level, sent, in2After] : cases) {
        SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_2, in2Level);
        settings.commonInput = common;
        settings.in1Attenuation = in1Attenuation;
        settings.in2Attenuation = in2Attenuation;
        settings.in1Level = 1.5;
        settings.in2Level = in2Level;
        drvtest::ClearCalls();
        press(MAIN_CHANNEL_COUPLING);
        EXPECT_EQ(calls() + " = " + leds({MAIN_CHANNEL_COUPLING_LED}),
                  sent + std::string(" = ") + "01"[common]);
        EXPECT_EQ(settings.commonInput, 1 - common);
        EXPECT_DOUBLE_EQ(settings.in2Level, in2After) << in2Level;
        EXPECT_DOUBLE_EQ(val(MAIN_TRIG_LEVEL_2), in2After) << in2Level;
    }
    EXPECT_EQ(refusedPress(MAIN_CHANNEL_COUPLING, "confInputTriggering("), "setting channel coupling");
    EXPECT_EQ(val(MAIN_CHANNEL_COUPLING_LED), 0);
}

// Stop, configure, restart only when continuous was on, then the refresh.
TEST_F(MainPanelTest, FunctionChangesByButtonsAndLeds)
{
    const std::tuple<int16_t, int, int, int, int16_t> cases[] = {
        {0, MAIN_FUNCTION_UP, EVENT_COMMIT, 0, 1},     {7, MAIN_FUNCTION_UP, EVENT_COMMIT, 1, 8},
        {24, MAIN_FUNCTION_UP, EVENT_COMMIT, 0, 0},    {0, MAIN_FUNCTION_DOWN, EVENT_COMMIT, 1, 24},
        {13, MAIN_FUNCTION_DOWN, EVENT_COMMIT, 0, 12}, {0, MAIN_FN_17, EVENT_LEFT_CLICK, 1, 17},
        {3, MAIN_FN_09, EVENT_LEFT_CLICK, 0, 9}};
    for (auto [before, control, event, continuous, after] : cases) {
        kq3917e_confMeasurement(instrSession, before);
        settings.function = before;
        setLeds({functionControls[0], functionControls[before]}, "01");
        continuousMode = continuous;
        drvtest::ClearCalls();
        EXPECT_EQ(press(control, event), 0);
        std::string expected = "triggerContinuous(0) confMeasurement(" + std::to_string(after) + ")" +
                               (continuous ? " triggerContinuous(1)" : "") + " queryMeasurement()";
        std::string sent = calls();
        EXPECT_EQ(sent.substr(0, expected.size()), expected);
        EXPECT_EQ(sent.find("triggerContinuous(1)", expected.size()), std::string::npos);
        EXPECT_EQ(settings.function, after);
        EXPECT_EQ(continuousMode, continuous);
        EXPECT_EQ(leds({functionControls[before], functionControls[after]}), "01");
    }
    drvtest::ClearCalls();
    press(MAIN_FN_09, EVENT_LEFT_CLICK); // the current function
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(functionAfterStep(30, 1), 0);
    EXPECT_EQ(functionAfterStep(-3, -1), 24);
    // Refused: the module's function stays lit.
    EXPECT_EQ(refusedPress(MAIN_FUNCTION_UP, "confMeasurement("), "setting function");
    EXPECT_EQ(settings.function, 9);
    EXPECT_EQ(leds({MAIN_FN_09, MAIN_FN_10}), "10");
}

// Continuous marks its button; Single, Abort and Clear Counts zero the
// reading; Abort leaves continuous fetching on.
TEST_F(MainPanelTest, RunButtonsSetFlagsMarksAndReading)
{
    auto run = [](std::vector<int> presses, const char *expected, int continuous, int single) {
        resetMainPanelState();
        for (int control : presses) {
            lastReading = 12.5;
            SetCtrlVal(mainPanel, MAIN_READING, "12.5");
            drvtest::ClearCalls();
            press(control);
        }
        EXPECT_EQ(calls(), expected);
        EXPECT_EQ(continuousMode, continuous);
        EXPECT_EQ(singleReadingPending, single);
        EXPECT_EQ(val<int>(MAIN_CONTINUOUS, ATTR_ACTIVE_MARK), continuous);
        EXPECT_EQ(val<int>(MAIN_SINGLE, ATTR_ACTIVE_MARK), 1 - continuous);
        bool zero = presses.back() != MAIN_CONTINUOUS;
        EXPECT_EQ(lastReading, zero ? 0.0 : 12.5);
        EXPECT_EQ(text(MAIN_READING), zero ? "0.0000000E+00  " : "12.5");
    };
    run({MAIN_CONTINUOUS}, "triggerContinuous(1)", 1, 0);
    run({MAIN_CONTINUOUS, MAIN_SINGLE}, "triggerContinuous(0)", 0, 1);
    run({MAIN_CONTINUOUS, MAIN_ABORT}, "abortMeasurement()", 1, 0);
    run({MAIN_SINGLE, MAIN_CLEAR_COUNTS}, "clearAccCount(1) clearAccCount(2)", 0, 1);
    EXPECT_EQ(refusedPress(MAIN_CLEAR_COUNTS, "clearAccCount("),
              "clearing input 1 count|clearing input 2 count");
    EXPECT_EQ(refusedPress(MAIN_ABORT, "abortMeasurement("), "aborting measurement");
    // A refused start still sets the flag and the mark.
    resetMainPanelState();
    EXPECT_EQ(refusedPress(MAIN_CONTINUOUS, "triggerContinuous("), "setting continuous mode");
    EXPECT_EQ(continuousMode, 1);
    EXPECT_EQ(val<int>(MAIN_CONTINUOUS, ATTR_ACTIVE_MARK), 1);
}

// The system panel's callbacks are not registered here: its load fails,
// twice, and says why. Math, histogram and strip chart open once; version
// and about open a new copy per press.
TEST_F(MainPanelTest, SecondaryPanels)
{
    int loaded = uitest::LoadedPanelCount();
    EXPECT_EQ(press(MAIN_SYSTEM), -1);
    EXPECT_EQ(press(MAIN_SYSTEM), -1);
    EXPECT_EQ(configSysPanel, 0);
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded);
    ASSERT_EQ(uitest::Popups().size(), 2u);
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        EXPECT_EQ(popup.title, "Error loading panel");
        EXPECT_NE(popup.text.find(", which this program does not have"), std::string::npos) << popup.text;
    }
    uitest::ClearPopups();
    for (auto [control, handle] :
         {std::pair{MAIN_HISTOGRAM, &histogramPanel}, std::pair{MAIN_MATH, &mathPanel},
          std::pair{MAIN_STRIPCHART, &stripChartPanel}}) {
        EXPECT_EQ(press(control), 0);
        int first = *handle;
        EXPECT_EQ(press(control), 0);
        EXPECT_GT(first, 0);
        EXPECT_EQ(*handle, first);
    }
    EXPECT_EQ(reports(), "");
    for (auto [control, handle] :
         {std::pair{MAIN_VERSION, &versionPanel}, std::pair{MAIN_ABOUT, &aboutPanel}}) {
        EXPECT_EQ(press(control), 0);
        int first = *handle;
        EXPECT_EQ(press(control), 0);
        EXPECT_GT(first, 0);
        EXPECT_NE(*handle, first);
        DiscardPanel(first);
    }
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 5);
}

std::string versionText(int control)
{
    char shown[KQ3917E_MODULE_DATA_SIZE] = "";
    GetCtrlVal(versionPanel, control, shown);
    return shown;
}

TEST_F(MainPanelTest, VersionPanelInDemonstrationAndWithoutAnswers)
{
    demoMode = 1;
    press(MAIN_VERSION);
    char driver[KQ3917E_REVISION_SIZE] = "", firmware[KQ3917E_REVISION_SIZE] = "";
    char moduleData[KQ3917E_MODULE_DATA_SIZE] = "";
    accepted({kq3917e_revision_query(instrSession, driver, firmware),
              kq3917e_queryModuleData(instrSession, 8, moduleData)});
    EXPECT_EQ(versionText(VERSION_VISA), "N/A") << "a VISA version without VISA";
    EXPECT_EQ(versionText(VERSION_DRIVER_REV) + "|" + versionText(VERSION_FIRMWARE_REV),
              driver + ("|" + std::string(firmware)));
    EXPECT_EQ(versionText(VERSION_MODULE_DATA), moduleData);
    DiscardPanel(versionPanel);
    // With VISA (its resource manager open) the demonstration shows its fixed version.
    defaultRM = 1000;
    press(MAIN_VERSION);
    defaultRM = 0;
    EXPECT_EQ(versionText(VERSION_VISA), "2.0.0");
    DiscardPanel(versionPanel);
    // A session whose VISA attribute cannot be read (no VISA library here)
    // and refused revision queries.
    demoMode = 0;
    instrSession = 77;
    drvtest::Refuse("kq3917e_revision_query", refusedStatus);
    drvtest::Refuse("kq3917e_queryModuleData", refusedStatus);
    press(MAIN_VERSION);
    instrSession = 0;
    EXPECT_EQ(versionText(VERSION_VISA) + versionText(VERSION_FIRMWARE_REV) +
                  versionText(VERSION_DRIVER_REV) + "|" + versionText(VERSION_MODULE_DATA),
              "N/AN/AN/A|");
    EXPECT_EQ(reports(), "");
}

TEST_F(MainPanelTest, MouseClicksReachTheHandlers)
{
    for (int control : {MAIN_COUPLING, MAIN_CONTINUOUS, MAIN_FN_05}) {
        QTest::mouseClick(uitest::ControlWidget(mainPanel, control), Qt::LeftButton);
    }
    EXPECT_EQ(val(MAIN_IN1_COUPLING_LED) + val(MAIN_CONTINUOUS, ATTR_ACTIVE_MARK) + settings.function,
              1 + 1 + 5);
    const std::string expected = "confInputConditioning(1,0,0,0,0) triggerContinuous(1) triggerContinuous(0) "
                                 "confMeasurement(5) triggerContinuous(1) queryMeasurement()";
    EXPECT_EQ(calls().substr(0, expected.size()), expected);
}

// Continuous mode writes the trigger levels on every tick: a level being
// typed stays under the user's hands, and Enter sends it (real keys, a real
// tick of the panel's timer).
TEST_F(MainPanelTest, ALevelBeingTypedSurvivesContinuousTicksAndEnterSendsIt)
{
    kq3917e_triggerContinuous(instrSession, 1);
    continuousMode = 1;
    QWidget *level = uitest::ControlWidget(mainPanel, MAIN_TRIG_LEVEL_1);
    QTest::keyClick(level, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(level, "2.5");
    drvtest::ClearCalls();
    QTimer *timer = uitest::ControlWidget(mainPanel, MAIN_TIMER)->findChild<QTimer *>();
    timer->start(0);
    ProcessSystemEvents();
    timer->stop();
    ASSERT_NE(calls().find("queryInputTriggering(1)"), std::string::npos) << calls();
    EXPECT_EQ(level->findChild<QLineEdit *>()->text().toStdString(), "2.5 V");
    drvtest::ClearCalls();
    QTest::keyClick(level, Qt::Key_Return);
    EXPECT_EQ(calls(), "confInputTriggering(1,0,2.5,0)");
    EXPECT_EQ(settings.in1Level, 2.5);
}

// A refused coupling change reported in a real popup while continuous mode
// is due to tick every millisecond: no tick runs behind the popup, so the
// record and the LED agree on the requested coupling and nothing is fetched.
TEST_F(MainPanelTest, NoTickRunsBehindARealErrorPopup)
{
    uitest::Deactivate(); // real popups
    kq3917e_triggerContinuous(instrSession, 1);
    continuousMode = 1;
    settings.commonInput = 0;
    drvtest::Refuse("kq3917e_confInputTriggering", refusedStatus);
    drvtest::ClearCalls();
    QTimer *timer = uitest::ControlWidget(mainPanel, MAIN_TIMER)->findChild<QTimer *>();
    timer->start(1);
    QTimer::singleShot(40, [] {
        if (auto *popup = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            popup->reject();
    });
    QTest::mouseClick(uitest::ControlWidget(mainPanel, MAIN_CHANNEL_COUPLING), Qt::LeftButton);
    timer->stop();
    EXPECT_EQ(calls(), "confInputTriggering(1,0,0,1)");
    EXPECT_EQ(settings.commonInput, 1);
    EXPECT_EQ(val<int>(MAIN_CHANNEL_COUPLING_LED), 0);
}

} // namespace
