// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel refresh: which query feeds which indicator, what a refused
// query leaves alone, the dimming by function, ranges by attenuation, units.
#include "../measure/paneltest.h"

#include <functional>
#include <string>
#include <vector>

namespace
{

const ViStatus moduleError = -1074003951;
const ViStatus moduleWarning = 0x3FFC0101;

std::vector<std::string> popupTexts()
{
    std::vector<std::string> texts;
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        EXPECT_EQ(popup.title, "API Error");
        texts.push_back(popup.text);
    }
    return texts;
}

// Every popup text begins with its action text and ": ".
void expectReportsInOrder(const std::vector<std::string> &actionTexts)
{
    std::vector<std::string> texts = popupTexts();
    ASSERT_EQ(texts.size(), actionTexts.size());
    for (size_t i = 0; i < texts.size(); i++) {
        EXPECT_EQ(texts[i].rfind(actionTexts[i] + ": ", 0), 0u) << texts[i];
    }
}

const std::vector<std::string> mainPanelTexts = {"reading function setting", "reading averaging setting",
                                                 "reading aperture setting", "reading IN1 trigger level",
                                                 "reading IN2 trigger level"};

const std::vector<std::string> inputSettingsTexts = {"reading IN1 input triggering",
                                                     "reading IN2 input triggering",
                                                     "reading IN1 input conditioning trigger",
                                                     "reading IN2 input conditioning trigger",
                                                     "reading IN1 auto trigger",
                                                     "reading IN2 auto trigger",
                                                     "reading averaging",
                                                     "reading auto trigger frequency",
                                                     "reading input slopes",
                                                     "reading IN1 hysterisis",
                                                     "reading IN2 hysterisis",
                                                     "reading external arm hysterisis",
                                                     "reading ARM settings",
                                                     "reading external arm level",
                                                     "reading arm mode",
                                                     "reading time interval delay settings",
                                                     "reading output gate setting",
                                                     "reading reference standard setting"};

// Every control that the eighteen queries may write.
const int inputSettingsControls[] = {MAIN_IN1_ATT_X1_LED,
                                     MAIN_IN1_ATT_X10_LED,
                                     MAIN_IN2_ATT_X1_LED,
                                     MAIN_IN2_ATT_X10_LED,
                                     MAIN_CHANNEL_COUPLING_LED,
                                     MAIN_IN1_COUPLING_LED,
                                     MAIN_IN1_IMPEDANCE_LED,
                                     MAIN_IN1_FILTER_LED,
                                     MAIN_IN2_COUPLING_LED,
                                     MAIN_IN2_IMPEDANCE_LED,
                                     MAIN_IN2_FILTER_LED,
                                     MAIN_IN1_TRIG_MODE1_LED,
                                     MAIN_IN1_TRIG_MODE2_LED,
                                     MAIN_IN1_TRIG_MODE3_LED,
                                     MAIN_IN1_AUTO_LED,
                                     MAIN_IN2_TRIG_MODE1_LED,
                                     MAIN_IN2_TRIG_MODE2_LED,
                                     MAIN_IN2_TRIG_MODE3_LED,
                                     MAIN_IN2_AUTO_LED,
                                     MAIN_AVERAGING_LED,
                                     MAIN_AUTO_FREQ0_LED,
                                     MAIN_AUTO_FREQ1_LED,
                                     MAIN_IN1_SLOPE_LED,
                                     MAIN_IN2_SLOPE_LED,
                                     MAIN_IN1_HYST_LED,
                                     MAIN_IN2_HYST_LED,
                                     MAIN_ARM_HYST_LED,
                                     MAIN_START_ARM_SOURCE,
                                     MAIN_STOP_ARM_SOURCE,
                                     MAIN_EXT_ARM_SOURCE,
                                     MAIN_EXT_ARM_LEVEL,
                                     MAIN_ARM_MODE0_LED,
                                     MAIN_ARM_MODE1_LED,
                                     MAIN_DELAY,
                                     MAIN_DELAY_LED,
                                     MAIN_GATE_OUTPUT,
                                     MAIN_STANDARD0_LED,
                                     MAIN_STANDARD1_LED,
                                     MAIN_STANDARD2_LED};

std::vector<double> snapshot(const int *controls, size_t count)
{
    std::vector<double> values;
    for (size_t i = 0; i < count; i++) {
        values.push_back(mainDouble(controls[i]));
    }
    return values;
}

// Lights every LED of the list, so that a refresh must switch some off.
void lightAll(const int *controls, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        SetCtrlVal(mainPanel, controls[i], 1);
    }
}

// ------------------------------------------------------------ dimming

struct DimmingCase {
    int16_t function;
    const char *dimmed; // D or E per control, in the order below
};

const int dimmedControls[] = {MAIN_DELAY_BUTTON,  MAIN_DELAY,     MAIN_CHANNEL_COUPLING, MAIN_IN1_ATTEN,
                              MAIN_IN1_TRIG_MODE, MAIN_IN2_ATTEN, MAIN_IN2_TRIG_MODE,    MAIN_SLOPE};

class RefreshDimming : public MainPanelTest, public ::testing::WithParamInterface<DimmingCase>
{
};

TEST_P(RefreshDimming, FollowsTheFunction)
{
    // Start from the opposite of a typical row so that both directions count.
    for (int control : dimmedControls) {
        SetCtrlAttribute(mainPanel, control, ATTR_DIMMED, GetParam().dimmed[0] == 'D' ? 0 : 1);
    }
    settings.function = GetParam().function;
    refreshInputSettings();
    std::string shown;
    for (int control : dimmedControls) {
        shown += mainAttribute(control, ATTR_DIMMED) ? 'D' : 'E';
    }
    EXPECT_EQ(shown, GetParam().dimmed);
}

INSTANTIATE_TEST_SUITE_P(Functions, RefreshDimming,
                         ::testing::Values(DimmingCase{0, "DDEEEDDE"}, DimmingCase{2, "DDEEEDDE"},
                                           DimmingCase{1, "DDEDDEEE"}, DimmingCase{3, "DDEDDEEE"},
                                           DimmingCase{4, "EEEEEEEE"}, DimmingCase{5, "EEEEEEEE"},
                                           DimmingCase{6, "DDEEEEEE"}, DimmingCase{13, "DDEEEEEE"},
                                           DimmingCase{14, "DDDDDDDD"}, DimmingCase{17, "DDDDDDDD"},
                                           DimmingCase{24, "DDDDDDDD"}, DimmingCase{18, "DDDDDEEE"},
                                           DimmingCase{22, "DDDDDEEE"}, DimmingCase{19, "DDDEEDDE"},
                                           DimmingCase{23, "DDDEEDDE"}, DimmingCase{25, "DDEEEEEE"},
                                           DimmingCase{-1, "DDEEEEEE"}, DimmingCase{32767, "DDEEEEEE"}));

// ------------------------------------------------------- indicator table

struct Shown {
    int control;
    double value;
};

struct IndicatorCase {
    const char *name;
    std::function<void()> configure; // the simulated module's state
    std::vector<Shown> shown;
};

class RefreshIndicators : public MainPanelTest, public ::testing::WithParamInterface<IndicatorCase>
{
};

TEST_P(RefreshIndicators, ShowTheModulesAnswer)
{
    GetParam().configure();
    lightAll(inputSettingsControls, sizeof inputSettingsControls / sizeof inputSettingsControls[0]);
    refreshInputSettings();
    for (const Shown &s : GetParam().shown) {
        EXPECT_DOUBLE_EQ(mainDouble(s.control), s.value) << "control " << s.control;
    }
    EXPECT_TRUE(uitest::Popups().empty());
}

#define CONF(call) [] { ASSERT_EQ(call, 0); }

INSTANTIATE_TEST_SUITE_P(
    Queries, RefreshIndicators,
    ::testing::
        Values(IndicatorCase{"PowerOn",
                             [] {},
                             {{MAIN_IN1_ATT_X1_LED, 1},
                              {MAIN_IN1_ATT_X10_LED, 0},
                              {MAIN_IN2_ATT_X1_LED, 1},
                              {MAIN_IN2_ATT_X10_LED, 0},
                              {MAIN_CHANNEL_COUPLING_LED, 1},
                              {MAIN_IN1_COUPLING_LED, 1},
                              {MAIN_IN1_IMPEDANCE_LED, 0},
                              {MAIN_IN1_FILTER_LED, 0},
                              {MAIN_IN1_TRIG_MODE1_LED, 1},
                              {MAIN_IN1_TRIG_MODE2_LED, 0},
                              {MAIN_IN1_TRIG_MODE3_LED, 0},
                              {MAIN_IN1_AUTO_LED, 0},
                              {MAIN_AVERAGING_LED, 0},
                              {MAIN_AUTO_FREQ0_LED, 1},
                              {MAIN_AUTO_FREQ1_LED, 0},
                              {MAIN_IN1_SLOPE_LED, 1},
                              {MAIN_IN2_SLOPE_LED, 1},
                              {MAIN_IN1_HYST_LED, 1},
                              {MAIN_IN2_HYST_LED, 1},
                              {MAIN_ARM_HYST_LED, 1},
                              {MAIN_ARM_MODE0_LED, 1},
                              {MAIN_ARM_MODE1_LED, 0},
                              {MAIN_DELAY_LED, 0},
                              {MAIN_STANDARD0_LED, 1},
                              {MAIN_STANDARD1_LED, 0},
                              {MAIN_STANDARD2_LED, 0}}},
               IndicatorCase{
                   "AttenuationTwoIsX10AndCommonInput",
                   CONF(kq3917e_confInputTriggering(0, 1, 2, 100.0, 1)),
                   {{MAIN_IN1_ATT_X1_LED, 0}, {MAIN_IN1_ATT_X10_LED, 1}, {MAIN_CHANNEL_COUPLING_LED, 0}}},
               IndicatorCase{"In2Attenuation",
                             CONF(kq3917e_confInputTriggering(0, 2, 1, 0.0, 0)),
                             {{MAIN_IN2_ATT_X1_LED, 0}, {MAIN_IN2_ATT_X10_LED, 1}, {MAIN_IN1_ATT_X1_LED, 1}}},
               IndicatorCase{"In2Conditioning",
                             CONF(kq3917e_confInputConditioning(0, 2, 1, 1, 1, 0)),
                             {{MAIN_IN2_COUPLING_LED, 0},
                              {MAIN_IN2_IMPEDANCE_LED, 1},
                              {MAIN_IN2_FILTER_LED, 1},
                              {MAIN_IN1_COUPLING_LED, 1},
                              {MAIN_IN1_IMPEDANCE_LED, 0}}},
               IndicatorCase{"TrigMode2",
                             CONF(kq3917e_confAutoTrigMode(0, 1, 2)),
                             {{MAIN_IN1_TRIG_MODE1_LED, 0},
                              {MAIN_IN1_TRIG_MODE2_LED, 1},
                              {MAIN_IN1_TRIG_MODE3_LED, 0},
                              {MAIN_IN1_AUTO_LED, 1}}},
               IndicatorCase{"TrigMode3",
                             CONF(kq3917e_confAutoTrigMode(0, 2, 3)),
                             {{MAIN_IN2_TRIG_MODE1_LED, 0},
                              {MAIN_IN2_TRIG_MODE2_LED, 0},
                              {MAIN_IN2_TRIG_MODE3_LED, 1},
                              {MAIN_IN2_AUTO_LED, 1},
                              {MAIN_IN1_AUTO_LED, 0}}},
               IndicatorCase{"AveragingAndAutoFrequency",
                             [] {
                                 ASSERT_EQ(kq3917e_confMeasRes(0, 8, 1), 0);
                                 ASSERT_EQ(kq3917e_confMinAutoTrigFreq(0, 1), 0);
                             },
                             {{MAIN_AVERAGING_LED, 1}, {MAIN_AUTO_FREQ0_LED, 0}, {MAIN_AUTO_FREQ1_LED, 1}}},
               IndicatorCase{"SlopesAndHysteresis",
                             [] {
                                 ASSERT_EQ(kq3917e_confInputSlopes(0, 1, 0), 0);
                                 ASSERT_EQ(kq3917e_confInputHysteresis(0, 2, 1), 0);
                                 ASSERT_EQ(kq3917e_confExtArmHysteresis(0, 1), 0);
                             },
                             {{MAIN_IN1_SLOPE_LED, 0},
                              {MAIN_IN2_SLOPE_LED, 1},
                              {MAIN_IN1_HYST_LED, 1},
                              {MAIN_IN2_HYST_LED, 0},
                              {MAIN_ARM_HYST_LED, 0}}},
               IndicatorCase{"Arming",
                             [] {
                                 ASSERT_EQ(kq3917e_confArming(0, 2, 3, 4), 0);
                                 ASSERT_EQ(kq3917e_confArmingLevel(0, -2.5), 0);
                                 ASSERT_EQ(kq3917e_confExtArmMode(0, 1), 0);
                             },
                             {{MAIN_START_ARM_SOURCE, 2},
                              {MAIN_STOP_ARM_SOURCE, 3},
                              {MAIN_EXT_ARM_SOURCE, 4},
                              {MAIN_EXT_ARM_LEVEL, -2.5},
                              {MAIN_ARM_MODE0_LED, 0},
                              {MAIN_ARM_MODE1_LED, 1}}},
               IndicatorCase{
                   "DelayGateAndStandard",
                   [] {
                       ASSERT_EQ(kq3917e_confDelay(0, 1, 0.001), 0);
                       ASSERT_EQ(kq3917e_outputGate(0, 3), 0);
                       ASSERT_EQ(kq3917e_confStandard(0, 2), 0);
                   },
                   {{MAIN_DELAY, 0.001},
                    {MAIN_DELAY_LED, 1},
                    {MAIN_GATE_OUTPUT, 3},
                    {MAIN_STANDARD0_LED, 0},
                    {MAIN_STANDARD1_LED, 0},
                    {MAIN_STANDARD2_LED, 1}}}),
    [](const ::testing::TestParamInfo<IndicatorCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------- failing module

TEST_F(MainPanelTest, SilentModuleGivesEighteenReportsAndChangesNoIndicator)
{
    const size_t count = sizeof inputSettingsControls / sizeof inputSettingsControls[0];
    lightAll(inputSettingsControls, count);
    std::vector<double> before = snapshot(inputSettingsControls, count);
    drvtest::RefuseAll(moduleError);

    refreshInputSettings();

    expectReportsInOrder(inputSettingsTexts);
    EXPECT_EQ(snapshot(inputSettingsControls, count), before);
}

TEST_F(MainPanelTest, SilentModuleLeavesTheMainControlsAsTheyWere)
{
    const int controls[] = {MAIN_FN_00,        MAIN_RESOLUTION,   MAIN_APERTURE,
                            MAIN_TRIG_LEVEL_1, MAIN_TRIG_LEVEL_2, MAIN_AVERAGING_LED};
    SetCtrlVal(mainPanel, MAIN_RESOLUTION, 11);
    SetCtrlVal(mainPanel, MAIN_APERTURE, 5000);
    SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_1, 1.5);
    SetCtrlVal(mainPanel, MAIN_AVERAGING_LED, 1);
    SetCtrlVal(mainPanel, MAIN_READING, "kept");
    SetCtrlVal(mainPanel, MAIN_UNITS, "kept");
    std::vector<double> before = snapshot(controls, sizeof controls / sizeof controls[0]);
    double maximum = 0.0;
    GetCtrlAttribute(mainPanel, MAIN_TRIG_LEVEL_1, ATTR_MAX_VALUE, &maximum);
    drvtest::RefuseAll(moduleError);

    refreshMainPanel();

    std::vector<std::string> texts = mainPanelTexts;
    texts.insert(texts.end(), inputSettingsTexts.begin(), inputSettingsTexts.end());
    expectReportsInOrder(texts);
    EXPECT_EQ(snapshot(controls, sizeof controls / sizeof controls[0]), before);
    EXPECT_EQ(mainText(MAIN_READING), "kept");
    EXPECT_EQ(mainText(MAIN_UNITS), "kept");
    double maximumAfter = 0.0;
    GetCtrlAttribute(mainPanel, MAIN_TRIG_LEVEL_1, ATTR_MAX_VALUE, &maximumAfter);
    EXPECT_EQ(maximumAfter, maximum);
}

TEST_F(MainPanelTest, WarningIsReportedAndShown)
{
    ASSERT_EQ(kq3917e_confStandard(0, 1), 0);
    drvtest::Refuse("kq3917e_queryStandard", moduleWarning);

    refreshInputSettings();

    expectReportsInOrder({"reading reference standard setting"});
    EXPECT_EQ(mainInt(MAIN_STANDARD1_LED), 1);
    EXPECT_EQ(mainInt(MAIN_STANDARD0_LED), 0);
}

TEST_F(MainPanelTest, RefusedResolutionQueryKeepsResolutionAndAveraging)
{
    SetCtrlVal(mainPanel, MAIN_RESOLUTION, 11);
    SetCtrlVal(mainPanel, MAIN_AVERAGING_LED, 1);
    drvtest::Refuse("kq3917e_queryMeasRes", moduleError);

    refreshMainPanel();

    expectReportsInOrder({"reading averaging setting", "reading averaging"});
    EXPECT_EQ(mainInt(MAIN_RESOLUTION), 11);
    EXPECT_EQ(mainInt(MAIN_AVERAGING_LED), 1);
}

// ----------------------------------------------------- main refresh

TEST_F(MainPanelTest, QueriesInTheirOrderAndEndsWithTheInputs)
{
    refreshMainPanel();
    std::vector<std::string> names = callNames();
    ASSERT_EQ(names.size(), 23u);
    const std::vector<std::string> first = {"kq3917e_queryMeasurement",     "kq3917e_queryMeasRes",
                                            "kq3917e_queryAperture",        "kq3917e_queryInputTriggering",
                                            "kq3917e_queryInputTriggering", "kq3917e_queryInputTriggering"};
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6), first);
    EXPECT_EQ(names.back(), "kq3917e_queryStandard");
}

TEST_F(MainPanelTest, FunctionChangeMovesTheLedClearsTheReadingAndSetsTheUnit)
{
    ASSERT_EQ(kq3917e_confMeasurement(0, 5), 0);
    SetCtrlVal(mainPanel, MAIN_FN_00, 1);
    SetCtrlVal(mainPanel, MAIN_READING, "old");

    refreshMainPanel();

    EXPECT_EQ(settings.function, 5);
    EXPECT_EQ(mainInt(MAIN_FN_00), 0);
    EXPECT_EQ(mainInt(MAIN_FN_05), 1);
    EXPECT_EQ(mainText(MAIN_READING), "0.0000000E+00  ");
    EXPECT_EQ(mainText(MAIN_UNITS), "sec");
    EXPECT_EQ(mainAttribute(MAIN_DELAY_BUTTON, ATTR_DIMMED), 0);
}

TEST_F(MainPanelTest, UnchangedFunctionLeavesReadingAndUnitButRewritesValues)
{
    ASSERT_EQ(kq3917e_confMeasRes(0, 9, 0), 0); // the module's resolution, and aperture 1000
    // A second lit LED shows that the refresh writes no function LED at all.
    SetCtrlVal(mainPanel, MAIN_FN_00, 1);
    SetCtrlVal(mainPanel, MAIN_FN_03, 1);
    SetCtrlVal(mainPanel, MAIN_READING, "kept");
    SetCtrlVal(mainPanel, MAIN_UNITS, "kept");
    SetCtrlVal(mainPanel, MAIN_APERTURE, 5);

    refreshMainPanel();

    EXPECT_EQ(mainInt(MAIN_FN_00), 1);
    EXPECT_EQ(mainInt(MAIN_FN_03), 1);
    EXPECT_EQ(mainText(MAIN_READING), "kept");
    EXPECT_EQ(mainText(MAIN_UNITS), "kept");
    EXPECT_EQ(mainInt(MAIN_RESOLUTION), 9);
    EXPECT_EQ(mainInt(MAIN_APERTURE), 1000);
    // The record keeps the resolution that the reading display uses.
    EXPECT_EQ(settings.resolution, 8);
}

struct RangeCase {
    int16_t in1Attenuation, in2Attenuation;
    uint16_t commonInput;
    double in1Range, in2Range;
};

class RefreshRanges : public MainPanelTest, public ::testing::WithParamInterface<RangeCase>
{
};

TEST_P(RefreshRanges, FollowAttenuationAndCommonInput)
{
    const RangeCase &c = GetParam();
    ASSERT_EQ(kq3917e_confInputTriggering(0, 2, c.in2Attenuation, -2.0, c.commonInput), 0);
    ASSERT_EQ(kq3917e_confInputTriggering(0, 1, c.in1Attenuation, 3.0, c.commonInput), 0);

    refreshMainPanel();

    const struct {
        int control;
        double range, level;
    } expected[] = {{MAIN_TRIG_LEVEL_1, c.in1Range, 3.0}, {MAIN_TRIG_LEVEL_2, c.in2Range, -2.0}};
    for (const auto &e : expected) {
        double minimum = 0.0, maximum = 0.0;
        GetCtrlAttribute(mainPanel, e.control, ATTR_MIN_VALUE, &minimum);
        GetCtrlAttribute(mainPanel, e.control, ATTR_MAX_VALUE, &maximum);
        EXPECT_DOUBLE_EQ(maximum, e.range);
        EXPECT_DOUBLE_EQ(minimum, -e.range);
        EXPECT_DOUBLE_EQ(mainDouble(e.control), e.level);
    }
}

INSTANTIATE_TEST_SUITE_P(Attenuations, RefreshRanges,
                         ::testing::Values(RangeCase{0, 0, 0, 5.1, 5.1}, RangeCase{1, 2, 0, 51.0, 204.0},
                                           RangeCase{2, 0, 1, 204.0, 204.0}, RangeCase{0, 2, 1, 5.1, 5.1},
                                           RangeCase{2, 1, 0, 204.0, 51.0}));

// ----------------------------------------------------- panel callback

TEST_F(MainPanelTest, FocusSetsTheTitleRefreshesAndShowsTheUnit)
{
    snprintf(resourceName, sizeof resourceName, "%s", "PXI3::14::INSTR");
    SetCtrlVal(mainPanel, MAIN_UNITS, "stale");

    EXPECT_EQ(uitest::CallPanelCallback(mainPanel, EVENT_GOT_FOCUS), 0);

    char title[256] = "";
    GetPanelAttribute(mainPanel, ATTR_TITLE, title, sizeof title);
    EXPECT_STREQ(title, "ZORa 3917 Universal Counter Timer [PXI3::14::INSTR]");
    EXPECT_EQ(mainText(MAIN_UNITS), "Hz");
    EXPECT_EQ(callNames().front(), "kq3917e_queryMeasurement");
}

TEST_F(MainPanelTest, CloseEndsAnOpenSessionOnly)
{
    instrSession = 0;
    uitest::CallPanelCallback(mainPanel, EVENT_CLOSE);
    EXPECT_TRUE(drvtest::Calls().empty());

    instrSession = 7;
    EXPECT_EQ(uitest::CallPanelCallback(mainPanel, EVENT_CLOSE), 0);
    ASSERT_EQ(callNames(), std::vector<std::string>{"kq3917e_close"});
    EXPECT_EQ(drvtest::Calls()[0].session, 7u);
    EXPECT_EQ(instrSession, 7u);
    instrSession = 0;
}

// -------------------------------------------------------------- units

struct UnitCase {
    int16_t function;
    const char *unit; // nullptr: the previous unit stays
    int totalizeDimmed;
};

class FunctionUnits : public MainPanelTest, public ::testing::WithParamInterface<UnitCase>
{
};

TEST_P(FunctionUnits, ShowUnitAndTotalizeControls)
{
    const int totalize[] = {MAIN_GATE, MAIN_GATE_LED, MAIN_CLEAR_COUNTS};
    SetCtrlVal(mainPanel, MAIN_UNITS, "prev");
    for (int control : totalize) {
        SetCtrlAttribute(mainPanel, control, ATTR_DIMMED, 1 - GetParam().totalizeDimmed);
    }

    showFunctionUnits(GetParam().function);

    EXPECT_EQ(mainText(MAIN_UNITS), GetParam().unit != nullptr ? GetParam().unit : "prev");
    for (int control : totalize) {
        EXPECT_EQ(mainAttribute(control, ATTR_DIMMED), GetParam().totalizeDimmed) << control;
    }
    EXPECT_TRUE(drvtest::Calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Functions, FunctionUnits,
                         ::testing::Values(UnitCase{0, "Hz", 1}, UnitCase{1, "Hz", 1}, UnitCase{11, "Hz", 1},
                                           UnitCase{2, "sec", 1}, UnitCase{5, "sec", 1},
                                           UnitCase{14, "sec", 1}, UnitCase{17, "sec", 1},
                                           UnitCase{18, "v", 1}, UnitCase{23, "v", 1}, UnitCase{12, "deg", 1},
                                           UnitCase{13, "deg", 1}, UnitCase{6, "", 1}, UnitCase{7, "", 1},
                                           UnitCase{8, "", 0}, UnitCase{9, "", 0}, UnitCase{10, "", 1},
                                           UnitCase{24, "%", 1}, UnitCase{25, nullptr, 1},
                                           UnitCase{-1, nullptr, 1}, UnitCase{32767, nullptr, 1}));

} // namespace
