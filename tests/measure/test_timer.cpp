// SPDX-License-Identifier: GPL-3.0-or-later
// One tick serves one mode: a pending single reading, else continuous
// fetching, else nothing at all.
#include "../panels/mainpaneltest.h"

#include <qcustomplot.h>

namespace
{

const char *const levels = " queryInputTriggering(1) queryInputTriggering(2)";

struct TickCase {
    int single, continuous;
    bool stripChart;
    std::string refused; // the driver call that fails
    std::string calls;
    int continuousAfter;
};

class TimerTick : public MainPanelTest, public ::testing::WithParamInterface<TickCase>
{
};

TEST_P(TimerTick, CallsTheDriverForOneModeOnly)
{
    const TickCase &c = GetParam();
    if (c.stripChart) {
        stripChartPanel = LoadPanel(0, RESOURCE_FILE, STRIPCHART);
    }
    kq3917e_confInputTriggering(instrSession, 1, 0, 1.25, 0);
    kq3917e_triggerContinuous(instrSession, c.continuous);
    drvtest::Refuse(c.refused, -1074003951);
    singleReadingPending = c.single;
    continuousMode = c.continuous;
    markRunButtons(c.continuous);
    lastReading = 42.0;
    SetCtrlVal(mainPanel, MAIN_READING, "untouched");
    SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_1, 0.75);
    drvtest::ClearCalls();

    EXPECT_EQ(uitest::TimerTick(mainPanel, MAIN_TIMER), 0);

    EXPECT_EQ(calls(), c.calls);
    EXPECT_EQ(singleReadingPending, 0);
    EXPECT_EQ(continuousMode, c.continuousAfter);
    EXPECT_EQ(val<int>(MAIN_CONTINUOUS, ATTR_ACTIVE_MARK), c.continuousAfter);
    EXPECT_EQ(val<int>(MAIN_SINGLE, ATTR_ACTIVE_MARK), 1 - c.continuousAfter);
    EXPECT_EQ(lastReading != 42.0, c.single || (c.continuous && c.refused != "kq3917e_fetch"));
    char shown[READING_TEXT_SIZE];
    formatReadingText(lastReading, settings.function, settings.resolution, settings.averaging, shown,
                      sizeof shown);
    const bool failed = c.refused == "kq3917e_fetch";
    EXPECT_EQ(text(MAIN_READING), c.calls.empty() ? "untouched" : failed ? "-------------  " : shown);
    bool levelsShown =
        c.calls.find(levels) != std::string::npos && c.refused != "kq3917e_queryInputTriggering";
    EXPECT_EQ(val(MAIN_TRIG_LEVEL_1), levelsShown ? 1.25 : 0.75);
    EXPECT_TRUE(uitest::Popups().empty());
    if (c.stripChart) {
        // Continuous readings go to the chart instead of the level refresh.
        auto *chart = qobject_cast<QCustomPlot *>(uitest::ControlWidget(stripChartPanel, STRIPCHART_CHART));
        ASSERT_NE(chart, nullptr);
        QCPGraphDataContainer &points = *chart->graph(0)->data();
        ASSERT_EQ(points.size(), c.continuous && !c.single && !failed ? 1 : 0);
        if (!points.isEmpty()) {
            EXPECT_EQ(points.constBegin()->value, lastReading);
        }
    }
}

const std::string read = std::string("read()") + levels, fetch = std::string("fetch()") + levels;

INSTANTIATE_TEST_SUITE_P(
    Modes, TimerTick,
    ::testing::Values(TickCase{0, 0, false, "", "", 0}, TickCase{0, 0, true, "", "", 0},
                      TickCase{1, 0, false, "", read, 0}, TickCase{1, 1, false, "", read, 1},
                      TickCase{1, 0, true, "", read, 0}, TickCase{0, 1, false, "", fetch, 1},
                      TickCase{0, 1, true, "", "fetch()", 1},
                      // a failing fetch ends continuous mode quietly
                      TickCase{0, 1, false, "kq3917e_fetch",
                               "fetch() triggerContinuous(0)" + std::string(levels), 0},
                      TickCase{0, 1, true, "kq3917e_fetch", "fetch() triggerContinuous(0)", 0},
                      // a failing level query leaves the level controls alone
                      TickCase{0, 1, false, "kq3917e_queryInputTriggering", fetch, 1}));

TEST_F(MainPanelTest, OnlyTheTickEventActs)
{
    singleReadingPending = continuousMode = 1;
    for (int event : {EVENT_NONE, EVENT_COMMIT, EVENT_VAL_CHANGED, EVENT_LEFT_CLICK, EVENT_CLOSE}) {
        EXPECT_EQ(TimerFunction(mainPanel, MAIN_TIMER, event, nullptr, 0, 0), 0);
    }
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(singleReadingPending + continuousMode, 2);
}

} // namespace
