// SPDX-License-Identifier: GPL-3.0-or-later
// One tick serves one mode: a pending single reading, else continuous
// fetching, else nothing at all.
#include "paneltest.h"

#include <ostream>
#include <string>
#include <vector>

namespace
{

#define FETCH "kq3917e_fetch"
#define READ "kq3917e_read"
#define LEVEL "kq3917e_queryInputTriggering"
#define STOP "kq3917e_triggerContinuous"

const ViStatus moduleError = -1074003951;

std::string shownText(double value)
{
    char text[READING_TEXT_SIZE];
    formatReadingText(value, settings.function, settings.resolution, settings.averaging, text, sizeof text);
    return text;
}

int tick()
{
    return uitest::TimerTick(mainPanel, MAIN_TIMER);
}

struct TickCase {
    const char *name;
    int single, continuous;
    bool stripChart;
    const char *refused; // driver call that fails, or nullptr
    std::vector<std::string> calls;
    int singleAfter, continuousAfter;
};

void PrintTo(const TickCase &c, std::ostream *os)
{
    *os << c.name;
}

class TimerTickTest : public MainPanelTest, public ::testing::WithParamInterface<TickCase>
{
};

TEST_P(TimerTickTest, CallsTheDriverForOneModeOnly)
{
    const TickCase &c = GetParam();
    if (c.stripChart) {
        stripChartPanel = LoadPanel(0, RESOURCE_FILE, STRIPCHART);
        ASSERT_GT(stripChartPanel, 0);
    }
    if (c.refused != nullptr) {
        drvtest::Refuse(c.refused, moduleError);
    }
    singleReadingPending = c.single;
    continuousMode = c.continuous;
    if (c.continuous) {
        kq3917e_triggerContinuous(instrSession, 1);
    }
    lastReading = 42.0;
    SetCtrlVal(mainPanel, MAIN_READING, "untouched");
    drvtest::ClearCalls();

    EXPECT_EQ(tick(), 0);

    EXPECT_EQ(callNames(), c.calls);
    EXPECT_EQ(singleReadingPending, c.singleAfter);
    EXPECT_EQ(continuousMode, c.continuousAfter);
    EXPECT_EQ(mainText(MAIN_READING), c.calls.empty() ? "untouched" : shownText(lastReading));
    EXPECT_TRUE(uitest::Popups().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TimerTickTest,
    ::testing::Values(TickCase{"Idle", 0, 0, false, nullptr, {}, 0, 0},
                      TickCase{"IdleWithStripChart", 0, 0, true, nullptr, {}, 0, 0},
                      TickCase{"Single", 1, 0, false, nullptr, {READ, LEVEL, LEVEL}, 0, 0},
                      TickCase{"SingleBeforeContinuous", 1, 1, false, nullptr, {READ, LEVEL, LEVEL}, 0, 1},
                      TickCase{"SingleWithStripChart", 1, 0, true, nullptr, {READ, LEVEL, LEVEL}, 0, 0},
                      TickCase{"Continuous", 0, 1, false, nullptr, {FETCH, LEVEL, LEVEL}, 0, 1},
                      TickCase{"ContinuousWithStripChart", 0, 1, true, nullptr, {FETCH}, 0, 1},
                      TickCase{"FailedFetch", 0, 1, false, FETCH, {FETCH, STOP, LEVEL, LEVEL}, 0, 0},
                      TickCase{"FailedFetchWithStripChart", 0, 1, true, FETCH, {FETCH, STOP}, 0, 0}),
    [](const ::testing::TestParamInfo<TickCase> &info) { return std::string(info.param.name); });

TEST_F(MainPanelTest, OnlyTheTickEventActs)
{
    singleReadingPending = 1;
    continuousMode = 1;
    const int events[] = {EVENT_NONE,       EVENT_COMMIT,    EVENT_VAL_CHANGED,
                          EVENT_LEFT_CLICK, EVENT_GOT_FOCUS, EVENT_CLOSE};
    for (int event : events) {
        EXPECT_EQ(TimerFunction(mainPanel, MAIN_TIMER, event, nullptr, 0, 0), 0);
    }
    EXPECT_TRUE(drvtest::Calls().empty());
    EXPECT_EQ(singleReadingPending, 1);
    EXPECT_EQ(continuousMode, 1);
}

TEST_F(MainPanelTest, FailedFetchEndsContinuousSilentlyAndMarksSingle)
{
    continuousMode = 1;
    markRunButtons(1);
    lastReading = 42.0;
    drvtest::Refuse(FETCH, moduleError);
    drvtest::ClearCalls();

    tick();

    ASSERT_EQ(drvtest::Calls().size(), 4u);
    EXPECT_EQ(drvtest::Calls()[1].args, "0");
    EXPECT_EQ(mainAttribute(MAIN_SINGLE, ATTR_ACTIVE_MARK), 1);
    EXPECT_EQ(mainAttribute(MAIN_CONTINUOUS, ATTR_ACTIVE_MARK), 0);
    EXPECT_EQ(mainText(MAIN_READING), "42.0000000E+00  ");
    EXPECT_TRUE(uitest::Popups().empty());

    drvtest::ClearCalls();
    tick();
    EXPECT_TRUE(drvtest::Calls().empty());
}

TEST_F(MainPanelTest, SingleReadingShowsTheModulesValueAndLevels)
{
    kq3917e_confInputTriggering(instrSession, 1, 0, 1.25, 0);
    kq3917e_confInputTriggering(instrSession, 2, 0, -2.5, 0);
    singleReadingPending = 1;
    lastReading = 0.0;

    tick();

    EXPECT_NE(lastReading, 0.0);
    EXPECT_EQ(mainText(MAIN_READING), shownText(lastReading));
    EXPECT_DOUBLE_EQ(mainDouble(MAIN_TRIG_LEVEL_1), 1.25);
    EXPECT_DOUBLE_EQ(mainDouble(MAIN_TRIG_LEVEL_2), -2.5);
    EXPECT_DOUBLE_EQ(settings.in2Level, -2.5);
}

TEST_F(MainPanelTest, RefusedLevelQueryKeepsTheControlAndStaysQuiet)
{
    SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_1, 0.75);
    SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_2, -0.75);
    kq3917e_confInputTriggering(instrSession, 1, 0, 1.25, 0);
    drvtest::Refuse(LEVEL, moduleError);
    kq3917e_triggerContinuous(instrSession, 1);
    continuousMode = 1;

    tick();

    EXPECT_DOUBLE_EQ(mainDouble(MAIN_TRIG_LEVEL_1), 0.75);
    EXPECT_DOUBLE_EQ(mainDouble(MAIN_TRIG_LEVEL_2), -0.75);
    EXPECT_EQ(continuousMode, 1);
    EXPECT_TRUE(uitest::Popups().empty());
}

} // namespace
