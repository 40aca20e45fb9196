// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel's handlers: step buttons, value controls, attenuation,
// function change, run control, refused calls, the secondary panels that
// cannot load yet, the version panel, and levels typed with real keys.
#include "mainpaneltest.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>

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
// per entry of presses (';' between): the calls of that press, " = " and
// the LEDs after it. Then, from dark again, the first press with its first
// operation refused: it is reported with actionText, and the LEDs show the
// requested state.
struct Steps {
    int control;
    std::vector<int> lit;
    const char *actionText, *presses;
    std::function<void()> prepare = [] {};
};

TEST_F(MainPanelTest, StepButtonsWalkTheirCycles)
{
    const std::vector<int> in1Modes = {MAIN_IN1_TRIG_MODE1_LED, MAIN_IN1_TRIG_MODE2_LED,
                                       MAIN_IN1_TRIG_MODE3_LED, MAIN_IN1_AUTO_LED},
                           in2Modes = {MAIN_IN2_TRIG_MODE1_LED, MAIN_IN2_TRIG_MODE2_LED,
                                       MAIN_IN2_TRIG_MODE3_LED, MAIN_IN2_AUTO_LED},
                           standards = {MAIN_STANDARD0_LED, MAIN_STANDARD1_LED, MAIN_STANDARD2_LED};
    const Steps cases[] = {
        // Conditioning starts from the LEDs, not from the record (lit: code 0
        // for coupling, 1 for impedance and filter).
        {MAIN_COUPLING,
         {MAIN_IN1_COUPLING_LED, MAIN_IN2_COUPLING_LED},
         "setting IN1 coupling",
         "confInputConditioning(1,0,0,0,1) = 10;confInputConditioning(1,0,1,0,1) "
         "confInputConditioning(2,0,0,0,1) = 01;"
         "confInputConditioning(1,0,0,0,1) = 11;confInputConditioning(1,0,1,0,1) "
         "confInputConditioning(2,0,1,0,1) = 00",
         [] { settings.commonInput = 1, settings.in1Coupling = settings.in2Coupling = 0; }},
        {MAIN_IMPEDANCE,
         {MAIN_IN1_IMPEDANCE_LED, MAIN_IN2_IMPEDANCE_LED},
         "setting IN1 impedance",
         "confInputConditioning(1,1,0,0,0) = 10;confInputConditioning(1,0,0,0,0) "
         "confInputConditioning(2,1,0,0,0) = 01"},
        {MAIN_FILTER,
         {MAIN_IN1_FILTER_LED, MAIN_IN2_FILTER_LED},
         "setting IN1 filter",
         "confInputConditioning(1,0,0,1,0) = 10;confInputConditioning(1,0,0,0,0) "
         "confInputConditioning(2,0,0,1,0) = 01"},
        {MAIN_HYSTERESIS,
         {MAIN_IN1_HYST_LED, MAIN_IN2_HYST_LED, MAIN_ARM_HYST_LED},
         "setting IN1 hysteresis",
         "confInputHysteresis(1,0) = 100;confInputHysteresis(1,1) confInputHysteresis(2,0) = "
         "010;confInputHysteresis(1,0) = 110;"
         "confInputHysteresis(1,1) confInputHysteresis(2,1) confExtArmHysteresis(0) = "
         "001;confInputHysteresis(1,0) = 101;"
         "confInputHysteresis(1,1) confInputHysteresis(2,0) = 011;confInputHysteresis(1,0) = 111;"
         "confInputHysteresis(1,1) confInputHysteresis(2,1) confExtArmHysteresis(1) = 000"},
        // Input 2's slope is sent from the record while its LED stays.
        {MAIN_SLOPE,
         {MAIN_IN1_SLOPE_LED, MAIN_IN2_SLOPE_LED},
         "setting input slope",
         "confInputSlopes(0,1) = 10;confInputSlopes(1,0) = 01;confInputSlopes(0,0) = 11;confInputSlopes(1,1) "
         "= 00",
         [] { settings.in2Slope = 1; }},
        // Trigger modes and the standard step through the record; a code
        // outside the cycle is sent back unchanged.
        {MAIN_IN1_TRIG_MODE, in1Modes, "setting IN1 trigger mode",
         "confAutoTrigMode(1,2) = 0101;confAutoTrigMode(1,3) = 0011;confAutoTrigMode(1,1) = 1000",
         [] { settings.in1TrigMode = 1; }},
        {MAIN_IN2_TRIG_MODE, in2Modes, "setting IN2 trigger mode",
         "confAutoTrigMode(2,2) = 0101;confAutoTrigMode(2,3) = 0011;confAutoTrigMode(2,1) = 1000",
         [] { settings.in2TrigMode = 1; }},
        {MAIN_IN1_TRIG_MODE, in1Modes, nullptr, "confAutoTrigMode(1,4) = 0000",
         [] { settings.in1TrigMode = 4; }},
        {MAIN_IN2_TRIG_MODE, in2Modes, nullptr, "confAutoTrigMode(2,0) = 0000",
         [] { settings.in2TrigMode = 0; }},
        {MAIN_STANDARD, standards, "setting frequency standard",
         "confStandard(1) = 010;confStandard(2) = 001;confStandard(0) = 100"},
        {MAIN_STANDARD, standards, nullptr, "confStandard(3) = 000", [] { settings.standard = 3; }},
        // Two-state toggles through the record: any code but 0 counts as 1.
        {MAIN_AUTO_TRIG_FREQ,
         {MAIN_AUTO_FREQ0_LED, MAIN_AUTO_FREQ1_LED},
         "setting auto trigger frequency",
         "confMinAutoTrigFreq(0) = 10;confMinAutoTrigFreq(1) = 01",
         [] { settings.minAutoTrigFreq = 5; }},
        {MAIN_ARM_MODE,
         {MAIN_ARM_MODE0_LED, MAIN_ARM_MODE1_LED},
         "setting arm mode",
         "confExtArmMode(0) = 10;confExtArmMode(1) = 01",
         [] { settings.armMode = 7; }},
        // Averaging sends resolution 0, never the record's resolution.
        {MAIN_AVERAGING,
         {MAIN_AVERAGING_LED},
         "setting averaging",
         "confMeasRes(0,1) = 1;confMeasRes(0,0) = 0",
         [] { SetCtrlVal(mainPanel, MAIN_RESOLUTION, 6); }},
        // The delay LED decides, not the record.
        {MAIN_DELAY_BUTTON,
         {MAIN_DELAY_LED},
         "setting time interval delay",
         "confDelay(1,0.000192) = 1;confDelay(0,0.000192) = 0",
         [] { settings.delayEnabled = 1; }},
        {MAIN_GATE, {MAIN_GATE_LED}, "opening gate", "openCloseGate(1,1) = 1;openCloseGate(1,0) = 0"}};
    for (const Steps &c : cases) {
        SCOPED_TRACE(c.presses);
        resetMainPanelState();
        c.prepare();
        std::vector<std::string> presses;
        for (const QString &entry : QString(c.presses).split(';'))
            presses.push_back(entry.toStdString());
        setLeds(c.lit, std::string(c.lit.size(), '0'));
        for (const std::string &expected : presses) {
            drvtest::ClearCalls();
            EXPECT_EQ(press(c.control), 0);
            EXPECT_EQ(calls() + " = " + leds(c.lit), expected);
        }
        if (c.actionText != nullptr) {
            setLeds(c.lit, std::string(c.lit.size(), '0'));
            EXPECT_EQ(refusedPress(c.control, presses[0]), c.actionText);
            EXPECT_EQ(" = " + leds(c.lit), presses[0].substr(presses[0].find(" = ")));
        }
    }
    EXPECT_EQ(val(MAIN_RESOLUTION), 6);
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

// A value control sends its new value with the rest as the module has it
// (each case keeps what the one before set);
// other events of these controls send nothing. A refused value is reported
// and read back, so the control shows what the module kept.
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
        {MAIN_TRIG_LEVEL_1, EVENT_COMMIT, 1.25, "", nullptr},
        {MAIN_DELAY, EVENT_VAL_CHANGED, 0.001, "", nullptr},
        {MAIN_IN1_COUPLING_LED, EVENT_LEFT_CLICK, 0, "", nullptr}};
    accepted({kq3917e_confInputTriggering(0, 1, 0, 0.0, 1), kq3917e_confInputTriggering(0, 2, 1, 0.0, 1),
              kq3917e_confDelay(0, 1, 0.000192)});
    for (auto [control, event, asked, sent, reported] : cases) {
        SCOPED_TRACE(sent);
        refreshMainPanel();
        const double kept = val(control);
        SetCtrlVal(mainPanel, control, asked);
        if (reported != nullptr) {
            ASSERT_NE(kept, asked);
            EXPECT_EQ(refusedPress(control, sent, event), reported);
            EXPECT_EQ(val(control), kept);
            SetCtrlVal(mainPanel, control, asked);
        }
        drvtest::ClearCalls();
        EXPECT_EQ(press(control, event), 0);
        EXPECT_EQ(calls(), sent);
    }
}

TEST_F(MainPanelTest, ApertureAndResolutionShowWhatTheModuleWorksOut)
{
    SetCtrlVal(mainPanel, MAIN_RESOLUTION, 12);
    SetCtrlVal(mainPanel, MAIN_APERTURE, 1000);
    press(MAIN_APERTURE, EVENT_VAL_CHANGED);
    EXPECT_EQ(val(MAIN_RESOLUTION) + settings.resolution, 9 + 9);
    SetCtrlVal(mainPanel, MAIN_RESOLUTION, 10);
    press(MAIN_RESOLUTION, EVENT_VAL_CHANGED);
    EXPECT_EQ(val(MAIN_APERTURE) + settings.aperture, 10000 + 10000);
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
        SCOPED_TRACE(sent);
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
        EXPECT_DOUBLE_EQ(val(control), shown);
        EXPECT_DOUBLE_EQ(val(other), otherShown);
        EXPECT_EQ(val(control, ATTR_MAX_VALUE) - val(control, ATTR_MIN_VALUE), 2 * range);
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
        SCOPED_TRACE(in2Level);
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
        EXPECT_DOUBLE_EQ(settings.in2Level, in2After);
        EXPECT_DOUBLE_EQ(val(MAIN_TRIG_LEVEL_2), in2After);
    }
    EXPECT_EQ(refusedPress(MAIN_CHANNEL_COUPLING, "confInputTriggering("), "setting channel coupling");
    EXPECT_EQ(val(MAIN_CHANNEL_COUPLING_LED), 0);
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
        EXPECT_EQ(settings.function + 100 * continuousMode, after + 100 * continuous);
        EXPECT_EQ(leds({functionControls[before], functionControls[after]}), "01");
    }
    drvtest::ClearCalls();
    press(MAIN_FN_09, EVENT_LEFT_CLICK); // the current function
    EXPECT_EQ(calls(), "");
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
        EXPECT_EQ(std::make_pair(continuousMode, singleReadingPending), std::make_pair(continuous, single));
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
    EXPECT_EQ(continuousMode + val<int>(MAIN_CONTINUOUS, ATTR_ACTIVE_MARK), 2);
}

// The system panel's callbacks are not registered here: its load fails,
// twice, and says why. Version and about open a new copy per press.
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
    for (auto [control, handle] :
         {std::pair{MAIN_VERSION, &versionPanel}, std::pair{MAIN_ABOUT, &aboutPanel}}) {
        EXPECT_EQ(press(control), 0);
        int first = *handle;
        EXPECT_EQ(press(control), 0);
        EXPECT_GT(first, 0);
        EXPECT_NE(*handle, first);
        DiscardPanel(first);
    }
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 2);
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
    EXPECT_EQ(versionText(VERSION_VISA), "N/A") << "a VISA version without VISA";
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

// Real key presses in a trigger level: beyond the range nothing is sent and
// the field says why with the range; within it the level is sent. With
// common inputs input 2 offers input 1's x10 range, but the module takes
// input 2's level with input 2's own attenuator: it refuses 10 V, and the
// field shows the level the module kept.
TEST_F(MainPanelTest, TypedLevelsAreSentOnlyWhenTaken)
{
    accepted({kq3917e_confInputTriggering(instrSession, 1, 1, 0.0, 1)});
    refreshMainPanel();
    const struct {
        int control;
        const char *typed, *sent, *shown, *reported;
    } cases[] = {
        {MAIN_TRIG_LEVEL_2, "-51.5", "", "-51.5 V", ""},
        {MAIN_TRIG_LEVEL_2, "10", "confInputTriggering(2,0,10,1) queryInputTriggering(2)", "0.000 V",
         "setting trigger 2 level"},
        {MAIN_TRIG_LEVEL_1, "-51", "confInputTriggering(1,1,-51,1)", "-51.000 V", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        QWidget *level = uitest::ControlWidget(mainPanel, c.control);
        QTest::keyClick(level, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(level, c.typed);
        drvtest::ClearCalls();
        uitest::ClearPopups();
        QTest::keyClick(level, Qt::Key_Return);
        EXPECT_EQ(calls(), c.sent);
        EXPECT_EQ(reports(KQ3917E_ERROR_LEVEL), c.reported);
        EXPECT_EQ(level->findChild<QLineEdit *>()->text().toStdString(), c.shown);
        EXPECT_EQ(level->toolTip().startsWith("Not sent"), !*c.sent) << level->toolTip().toStdString();
        EXPECT_TRUE(level->toolTip().contains(QString::fromUtf8("Range \u221251 \u2026 51 V")));
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(level, &out);
    }
}

} // namespace
