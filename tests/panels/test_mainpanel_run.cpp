// SPDX-License-Identifier: GPL-3.0-or-later
// Function changes, run control, refused calls, the secondary panels that
// cannot load yet, the version panel, and real input on a few controls.
#include "mainpaneltest.h"

#include <QTest>
#include <QWidget>

#include <algorithm>

namespace
{

// ---------------------------------------------------------- function change

struct FunctionCase {
    const char *name;
    int16_t functionBefore;
    int control;
    int event;
    int32_t continuous;
    int16_t functionAfter;
};

class FunctionChange : public MainPanelHandlerTest, public ::testing::WithParamInterface<FunctionCase>
{
};

TEST_P(FunctionChange, StopsConfiguresRestartsWhenContinuousAndRefreshes)
{
    const FunctionCase &c = GetParam();
    kq3917e_confMeasurement(instrSession, c.functionBefore);
    settings.function = c.functionBefore;
    setLeds({functionControls[0], functionControls[c.functionBefore]}, {0, 1});
    continuousMode = c.continuous;
    drvtest::ClearCalls();

    EXPECT_EQ(uitest::CallCtrlCallback(mainPanel, c.control, c.event), 0);

    std::vector<CallText> calls = recordedCalls();
    std::vector<CallText> expected = {{"kq3917e_triggerContinuous", "0"},
                                      {"kq3917e_confMeasurement", std::to_string(c.functionAfter)}};
    if (c.continuous) {
        expected.emplace_back("kq3917e_triggerContinuous", "1");
    }
    // The refresh follows, starting with the function query.
    expected.emplace_back("kq3917e_queryMeasurement", "");
    ASSERT_GE(calls.size(), expected.size());
    EXPECT_EQ(std::vector<CallText>(calls.begin(), calls.begin() + (long)expected.size()), expected);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), CallText("kq3917e_triggerContinuous", "1")),
              c.continuous ? 1 : 0);
    EXPECT_EQ(settings.function, c.functionAfter);
    EXPECT_EQ(mainInt(functionControls[c.functionAfter]), 1);
    EXPECT_EQ(mainInt(functionControls[c.functionBefore]), 0);
    EXPECT_EQ(continuousMode, c.continuous);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, FunctionChange,
    ::testing::Values(FunctionCase{"UpContinuousOff", 0, MAIN_FUNCTION_UP, EVENT_COMMIT, 0, 1},
                      FunctionCase{"UpContinuousOn", 7, MAIN_FUNCTION_UP, EVENT_COMMIT, 1, 8},
                      FunctionCase{"UpWrapsTo0", 24, MAIN_FUNCTION_UP, EVENT_COMMIT, 0, 0},
                      FunctionCase{"DownWrapsTo24", 0, MAIN_FUNCTION_DOWN, EVENT_COMMIT, 1, 24},
                      FunctionCase{"Down", 13, MAIN_FUNCTION_DOWN, EVENT_COMMIT, 0, 12},
                      FunctionCase{"LedClick", 0, MAIN_FN_17, EVENT_LEFT_CLICK, 1, 17},
                      FunctionCase{"LedClickOff", 3, MAIN_FN_09, EVENT_LEFT_CLICK, 0, 9}),
    [](const ::testing::TestParamInfo<FunctionCase> &info) { return info.param.name; });

TEST_F(MainPanelHandlerTest, ClickOnTheCurrentFunctionSendsNothing)
{
    settings.function = 4;
    uitest::CallCtrlCallback(mainPanel, MAIN_FN_04, EVENT_LEFT_CLICK);
    EXPECT_TRUE(drvtest::Calls().empty());
}

TEST_F(MainPanelHandlerTest, OutOfTableFunctionStepsIntoTheTable)
{
    EXPECT_EQ(functionAfterStep(30, 1), 0);
    EXPECT_EQ(functionAfterStep(-3, 1), 0);
    EXPECT_EQ(functionAfterStep(30, -1), 24);
    EXPECT_EQ(functionAfterStep(-3, -1), 24);
}

// ------------------------------------------------------------- run control

// Exactly one run button carries the mark: returns 1 for Continuous, 0 for
// Single, -1 when not exactly one is marked.
int markedRunButton()
{
    int continuous = mainAttribute(MAIN_CONTINUOUS, ATTR_ACTIVE_MARK);
    int single = mainAttribute(MAIN_SINGLE, ATTR_ACTIVE_MARK);
    return continuous + single == 1 ? continuous : -1;
}

struct RunCase {
    const char *name;
    std::vector<int> presses;
    std::vector<CallText> calls; // of the last press
    int32_t continuousAfter;
    int32_t singlePendingAfter;
    int markedAfter;
};

class RunControl : public MainPanelHandlerTest, public ::testing::WithParamInterface<RunCase>
{
};

TEST_P(RunControl, FlagsMarksAndZeroReading)
{
    const RunCase &c = GetParam();
    for (int control : c.presses) {
        lastReading = 12.5;
        drvtest::ClearCalls();
        press(control);
    }
    EXPECT_EQ(recordedCalls(), c.calls);
    EXPECT_EQ(continuousMode, c.continuousAfter);
    EXPECT_EQ(singleReadingPending, c.singlePendingAfter);
    EXPECT_EQ(markedRunButton(), c.markedAfter);
    if (c.presses.back() != MAIN_CONTINUOUS) {
        EXPECT_EQ(lastReading, 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, RunControl,
    ::testing::Values(RunCase{"Continuous", {MAIN_CONTINUOUS}, {{"kq3917e_triggerContinuous", "1"}}, 1, 0, 1},
                      RunCase{"SingleAfterContinuous",
                              {MAIN_CONTINUOUS, MAIN_SINGLE},
                              {{"kq3917e_triggerContinuous", "0"}},
                              0,
                              1,
                              0},
                      // Abort leaves continuous fetching on.
                      RunCase{"AbortDuringContinuous",
                              {MAIN_CONTINUOUS, MAIN_ABORT},
                              {{"kq3917e_abortMeasurement", ""}},
                              1,
                              0,
                              1},
                      RunCase{"ClearCounts",
                              {MAIN_SINGLE, MAIN_CLEAR_COUNTS},
                              {{"kq3917e_clearAccCount", "1"}, {"kq3917e_clearAccCount", "2"}},
                              0,
                              1,
                              0}),
    [](const ::testing::TestParamInfo<RunCase> &info) { return info.param.name; });

TEST_F(MainPanelHandlerTest, SingleClearsTheReadingDisplay)
{
    lastReading = 123.0;
    SetCtrlVal(mainPanel, MAIN_READING, "123");
    press(MAIN_SINGLE);
    char expected[READING_TEXT_SIZE] = "";
    formatReadingText(0.0, settings.function, settings.resolution, settings.averaging, expected,
                      sizeof expected);
    EXPECT_EQ(mainText(MAIN_READING), expected);
}

// ---------------------------------------------------------- refused calls

struct RefusalCase {
    const char *name;
    int control;
    const char *operation;
    const char *actionText;
    std::vector<int> leds;
    std::vector<int> ledsAfter; // the requested state, from all LEDs at 0
};

class RefusedCall : public MainPanelHandlerTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(RefusedCall, ReportsWithTheActionTextAndKeepsTheRequestedState)
{
    const RefusalCase &c = GetParam();
    setLeds(c.leds, std::vector<int>(c.leds.size(), 0));
    drvtest::Refuse(c.operation, refusedStatus);
    EXPECT_EQ(press(c.control), 0);
    ASSERT_EQ(uitest::Popups().size(), 1u);
    EXPECT_EQ(uitest::Popups()[0].title, "API Error");
    EXPECT_EQ(uitest::Popups()[0].text, apiErrorText(c.actionText, refusedStatus));
    EXPECT_EQ(ledValues(c.leds), c.ledsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, RefusedCall,
    ::testing::Values(
        RefusalCase{"Coupling",
                    MAIN_COUPLING,
                    "kq3917e_confInputConditioning",
                    "setting IN1 coupling",
                    {MAIN_IN1_COUPLING_LED, MAIN_IN2_COUPLING_LED},
                    {1, 0}},
        RefusalCase{"Filter",
                    MAIN_FILTER,
                    "kq3917e_confInputConditioning",
                    "setting IN1 filter",
                    {MAIN_IN1_FILTER_LED},
                    {1}},
        RefusalCase{"Slope",
                    MAIN_SLOPE,
                    "kq3917e_confInputSlopes",
                    "setting input slope",
                    {MAIN_IN1_SLOPE_LED, MAIN_IN2_SLOPE_LED},
                    {1, 0}},
        RefusalCase{"Hysteresis",
                    MAIN_HYSTERESIS,
                    "kq3917e_confInputHysteresis",
                    "setting IN1 hysteresis",
                    {MAIN_IN1_HYST_LED},
                    {1}},
        RefusalCase{"TrigMode",
                    MAIN_IN2_TRIG_MODE,
                    "kq3917e_confAutoTrigMode",
                    "setting IN2 trigger mode",
                    {MAIN_IN2_TRIG_MODE2_LED, MAIN_IN2_AUTO_LED},
                    {1, 1}},
        RefusalCase{"AutoFreq",
                    MAIN_AUTO_TRIG_FREQ,
                    "kq3917e_confMinAutoTrigFreq",
                    "setting auto trigger frequency",
                    {MAIN_AUTO_FREQ1_LED},
                    {1}},
        RefusalCase{"Standard",
                    MAIN_STANDARD,
                    "kq3917e_confStandard",
                    "setting frequency standard",
                    {MAIN_STANDARD1_LED},
                    {1}},
        RefusalCase{"Averaging",
                    MAIN_AVERAGING,
                    "kq3917e_confMeasRes",
                    "setting averaging",
                    {MAIN_AVERAGING_LED},
                    {1}},
        RefusalCase{"Attenuation",
                    MAIN_IN2_ATTEN,
                    "kq3917e_confInputTriggering",
                    "setting IN2 attenuation",
                    {MAIN_IN2_ATT_X10_LED},
                    {1}},
        RefusalCase{"ChannelCoupling",
                    MAIN_CHANNEL_COUPLING,
                    "kq3917e_confInputTriggering",
                    "setting channel coupling",
                    {MAIN_CHANNEL_COUPLING_LED},
                    {0}},
        RefusalCase{"ArmMode",
                    MAIN_ARM_MODE,
                    "kq3917e_confExtArmMode",
                    "setting arm mode",
                    {MAIN_ARM_MODE1_LED},
                    {1}},
        RefusalCase{"Delay",
                    MAIN_DELAY_BUTTON,
                    "kq3917e_confDelay",
                    "setting time interval delay",
                    {MAIN_DELAY_LED},
                    {1}},
        RefusalCase{"Gate", MAIN_GATE, "kq3917e_openCloseGate", "opening gate", {MAIN_GATE_LED}, {1}},
        RefusalCase{"StopArm", MAIN_STOP_ARM_SOURCE, "kq3917e_confArming", "setting stop arm source", {}, {}},
        RefusalCase{"GateOutput", MAIN_GATE_OUTPUT, "kq3917e_outputGate", "setting gate output", {}, {}},
        RefusalCase{
            "Continuous", MAIN_CONTINUOUS, "kq3917e_triggerContinuous", "setting continuous mode", {}, {}},
        RefusalCase{"Abort", MAIN_ABORT, "kq3917e_abortMeasurement", "aborting measurement", {}, {}}),
    [](const ::testing::TestParamInfo<RefusalCase> &info) { return info.param.name; });

TEST_F(MainPanelHandlerTest, RefusedExternalArmHysteresisUsesItsOwnText)
{
    setLeds({MAIN_IN1_HYST_LED, MAIN_IN2_HYST_LED, MAIN_ARM_HYST_LED}, {1, 1, 0});
    drvtest::Refuse("kq3917e_confExtArmHysteresis", refusedStatus);
    press(MAIN_HYSTERESIS);
    ASSERT_EQ(uitest::Popups().size(), 1u);
    EXPECT_EQ(uitest::Popups()[0].text, apiErrorText("setting ARM hysterisis", refusedStatus));
    EXPECT_EQ(mainInt(MAIN_ARM_HYST_LED), 1);
}

TEST_F(MainPanelHandlerTest, RefusedContinuousStillSetsTheFlagAndMark)
{
    drvtest::Refuse("kq3917e_triggerContinuous", refusedStatus);
    press(MAIN_CONTINUOUS);
    EXPECT_EQ(continuousMode, 1);
    EXPECT_EQ(markedRunButton(), 1);
}

TEST_F(MainPanelHandlerTest, RefusedFunctionLeavesTheModulesFunctionLit)
{
    SetCtrlVal(mainPanel, MAIN_FN_00, 1);
    drvtest::Refuse("kq3917e_confMeasurement", refusedStatus);
    press(MAIN_FUNCTION_UP);
    ASSERT_FALSE(uitest::Popups().empty());
    EXPECT_EQ(uitest::Popups()[0].text, apiErrorText("setting function", refusedStatus));
    EXPECT_EQ(settings.function, 0);
    EXPECT_EQ(mainInt(MAIN_FN_00), 1);
    EXPECT_EQ(mainInt(MAIN_FN_01), 0);
}

TEST_F(MainPanelHandlerTest, RefusedClearCountsReportsBothChannels)
{
    drvtest::Refuse("kq3917e_clearAccCount", refusedStatus);
    press(MAIN_CLEAR_COUNTS);
    ASSERT_EQ(uitest::Popups().size(), 2u);
    EXPECT_EQ(uitest::Popups()[0].text, apiErrorText("clearing input 1 count", refusedStatus));
    EXPECT_EQ(uitest::Popups()[1].text, apiErrorText("clearing input 2 count", refusedStatus));
}

// -------------------------------------------------------- secondary panels

// The system, math and histogram panels name callbacks of later layers that
// this program does not register yet: their load fails, quietly.
struct UnloadableCase {
    const char *name;
    int control;
    int *handle;
};

class UnloadablePanel : public MainPanelHandlerTest, public ::testing::WithParamInterface<UnloadableCase>
{
};

TEST_P(UnloadablePanel, ReturnsMinusOneAndKeepsTheHandle)
{
    const UnloadableCase &c = GetParam();
    int loaded = uitest::LoadedPanelCount();
    for (int attempt = 0; attempt < 2; attempt++) {
        EXPECT_EQ(press(c.control), -1);
        EXPECT_EQ(*c.handle, 0);
    }
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded);
    EXPECT_TRUE(uitest::Popups().empty());
}

INSTANTIATE_TEST_SUITE_P(Panels, UnloadablePanel,
                         ::testing::Values(UnloadableCase{"System", MAIN_SYSTEM, &configSysPanel},
                                           UnloadableCase{"Math", MAIN_MATH, &mathPanel},
                                           UnloadableCase{"Histogram", MAIN_HISTOGRAM, &histogramPanel}),
                         [](const ::testing::TestParamInfo<UnloadableCase> &info) {
                             return info.param.name;
                         });

TEST_F(MainPanelHandlerTest, HistogramStopsContinuousEvenWhenItsPanelFails)
{
    continuousMode = 1;
    markRunButtons(1);
    EXPECT_EQ(press(MAIN_HISTOGRAM), -1);
    EXPECT_EQ(continuousMode, 0);
    EXPECT_EQ(markedRunButton(), 0);
    EXPECT_EQ(histogramCount, 100);
    EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{"kq3917e_triggerContinuous", "0"}}));
}

TEST_F(MainPanelHandlerTest, StripChartOpensOnce)
{
    int loaded = uitest::LoadedPanelCount();
    EXPECT_EQ(press(MAIN_STRIPCHART), 0);
    int first = stripChartPanel;
    EXPECT_GT(first, 0);
    EXPECT_EQ(press(MAIN_STRIPCHART), 0);
    EXPECT_EQ(stripChartPanel, first);
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 1);
}

struct CopyCase {
    const char *name;
    int control;
    int *handle;
};

class PanelCopies : public MainPanelHandlerTest, public ::testing::WithParamInterface<CopyCase>
{
};

TEST_P(PanelCopies, EveryPressOpensANewCopy)
{
    const CopyCase &c = GetParam();
    int loaded = uitest::LoadedPanelCount();
    EXPECT_EQ(press(c.control), 0);
    int first = *c.handle;
    EXPECT_EQ(press(c.control), 0);
    EXPECT_GT(first, 0);
    EXPECT_NE(*c.handle, first);
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 2);
    DiscardPanel(first);
}

INSTANTIATE_TEST_SUITE_P(Panels, PanelCopies,
                         ::testing::Values(CopyCase{"Version", MAIN_VERSION, &versionPanel},
                                           CopyCase{"About", MAIN_ABOUT, &aboutPanel}),
                         [](const ::testing::TestParamInfo<CopyCase> &info) { return info.param.name; });

// ----------------------------------------------------------- version panel

std::string versionText(int control)
{
    char text[KQ3917E_MODULE_DATA_SIZE] = "";
    GetCtrlVal(versionPanel, control, text);
    return text;
}

TEST_F(MainPanelHandlerTest, VersionPanelInDemonstration)
{
    demoMode = 1;
    press(MAIN_VERSION);
    char driverText[KQ3917E_REVISION_SIZE] = "", instrumentText[KQ3917E_REVISION_SIZE] = "";
    kq3917e_revision_query(instrSession, driverText, instrumentText);
    char moduleData[KQ3917E_MODULE_DATA_SIZE] = "";
    kq3917e_queryModuleData(instrSession, 8, moduleData);
    EXPECT_EQ(versionText(VERSION_VISA), "2.0.0");
    EXPECT_EQ(versionText(VERSION_DRIVER_REV), driverText);
    EXPECT_EQ(versionText(VERSION_FIRMWARE_REV), instrumentText);
    EXPECT_EQ(versionText(VERSION_MODULE_DATA), moduleData);
    EXPECT_TRUE(uitest::Popups().empty());
}

TEST_F(MainPanelHandlerTest, VersionPanelShowsNotAvailable)
{
    // A module session whose VISA attribute cannot be read (no VISA library
    // in this test) and a refused revision query.
    demoMode = 0;
    instrSession = 77;
    drvtest::Refuse("kq3917e_revision_query", refusedStatus);
    drvtest::Refuse("kq3917e_queryModuleData", refusedStatus);
    press(MAIN_VERSION);
    instrSession = 0;
    EXPECT_EQ(versionText(VERSION_VISA), "N/A");
    EXPECT_EQ(versionText(VERSION_FIRMWARE_REV), "N/A");
    EXPECT_EQ(versionText(VERSION_DRIVER_REV), "N/A");
    EXPECT_EQ(versionText(VERSION_MODULE_DATA), "");
    EXPECT_TRUE(uitest::Popups().empty());
}

// -------------------------------------------------------------- real input

TEST_F(MainPanelHandlerTest, MouseClicksReachTheHandlers)
{
    QTest::mouseClick(uitest::ControlWidget(mainPanel, MAIN_COUPLING), Qt::LeftButton);
    EXPECT_EQ(mainInt(MAIN_IN1_COUPLING_LED), 1);
    QTest::mouseClick(uitest::ControlWidget(mainPanel, MAIN_CONTINUOUS), Qt::LeftButton);
    EXPECT_EQ(markedRunButton(), 1);
    QTest::mouseClick(uitest::ControlWidget(mainPanel, MAIN_FN_05), Qt::LeftButton);
    EXPECT_EQ(settings.function, 5);
    std::vector<CallText> calls = recordedCalls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0], CallText("kq3917e_confInputConditioning", "1,0,0,0,0"));
    EXPECT_EQ(calls[1], CallText("kq3917e_triggerContinuous", "1"));
    EXPECT_EQ(calls[2], CallText("kq3917e_triggerContinuous", "0"));
    EXPECT_EQ(calls[3], CallText("kq3917e_confMeasurement", "5"));
}

} // namespace
