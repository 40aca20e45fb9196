// SPDX-License-Identifier: GPL-3.0-or-later
// One tick serves one mode: a pending single reading, else an open
// histogram's acquisition, else continuous fetching, else nothing at all;
// fast only while a histogram acquisition runs.
#include "measuretest.h"

#include <QTimer>
#include <QWidget>
#include <cmath>

namespace
{

enum Open { none, chart, histo };

struct TickCase {
    int single, continuous, open; // open: an Open
    const char *refused;          // the driver call that fails
    std::string calls;
    int continuousAfter;
    const char *reading;
    double level; // MAIN_TRIG_LEVEL_1 afterwards, 0.75 before
    int onOpen;   // chart points or histogram samples afterwards
};

class TimerTick : public MainPanelTest, public ::testing::WithParamInterface<TickCase>
{
};

TEST_P(TimerTick, CallsTheDriverForOneModeOnly)
{
    const TickCase &c = GetParam();
    ASSERT_EQ(c.open == none ? 0 : press(c.open == chart ? MAIN_STRIPCHART : MAIN_HISTOGRAM), 0);
    if (c.open == histo)
        runHistogram(5, 0);
    accepted({kq3917e_confInputTriggering(instrSession, 1, 0, 1.25, 0),
              kq3917e_triggerContinuous(instrSession, c.continuous)});
    drvtest::Refuse(c.refused, -1074003951);
    singleReadingPending = c.single;
    continuousMode = c.continuous;
    markRunButtons(c.continuous);
    SetCtrlVal(mainPanel, MAIN_READING, "untouched");
    SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_1, 0.75);
    drvtest::ClearCalls();

    EXPECT_EQ(uitest::TimerTick(mainPanel, MAIN_TIMER), 0);

    // The chart's points or the histogram's samples, and the first point's value.
    QCPGraph *points = c.open == chart ? plotOn(stripChartPanel, STRIPCHART_CHART)->graph(0) : nullptr;
    const int onOpen = c.open == histo ? histogramCount : points ? points->dataCount() : 0;
    EXPECT_EQ(std::make_tuple(calls(), singleReadingPending, continuousMode,
                              leds({MAIN_CONTINUOUS, MAIN_SINGLE}, ATTR_ACTIVE_MARK), text(MAIN_READING),
                              val(MAIN_TRIG_LEVEL_1), popupTexts(), onOpen,
                              onOpen && points ? points->data()->at(0)->value : lastReading),
              std::make_tuple(c.calls, 0, c.continuousAfter, c.continuousAfter ? "10" : "01",
                              std::string(c.reading), c.level, "", c.onOpen, lastReading));
}

const std::string levels = " queryInputTriggering(1) queryInputTriggering(2)", read = "read()" + levels,
                  fetch = "fetch()" + levels, failed = "fetch() triggerContinuous(0)";
const char *const fetchRefused = "kq3917e_fetch", *const reading = "100.0000000E+03  ",
                  *const dashes = "-------------  ";

INSTANTIATE_TEST_SUITE_P(
    Modes, TimerTick,
    ::testing::Values(TickCase{0, 0, none, "", "", 0, "untouched", 0.75, 0},
                      TickCase{0, 0, chart, "", "", 0, "untouched", 0.75, 0},
                      TickCase{1, 0, none, "", read, 0, reading, 1.25, 0},
                      TickCase{1, 1, none, "", read, 1, reading, 1.25, 0},
                      TickCase{1, 0, chart, "", read, 0, reading, 1.25, 0},
                      TickCase{0, 1, none, "", fetch, 1, reading, 1.25, 0},
                      // the open strip chart takes the readings instead of the level refresh
                      TickCase{0, 1, chart, "", "fetch()", 1, reading, 0.75, 1},
                      // a pending single reading comes before the histogram's next sample
                      TickCase{1, 0, histo, "", read, 0, reading, 1.25, 0},
                      TickCase{0, 1, histo, "", "read()", 1, "untouched", 0.75, 1},
                      // a failing fetch ends continuous mode quietly
                      TickCase{0, 1, none, fetchRefused, failed + levels, 0, dashes, 1.25, 0},
                      TickCase{0, 1, chart, fetchRefused, failed, 0, dashes, 0.75, 0},
                      // a failing level query leaves the level controls alone
                      TickCase{0, 1, none, "kq3917e_queryInputTriggering", fetch, 1, reading, 0.75, 0}));

// The interval the real QTimer of MAIN_TIMER runs at after ticks of it, in milliseconds.
int timerMs(int ticks = 0)
{
    mainTicks(ticks);
    const QList<QTimer *> timers = uitest::ControlWidget(mainPanel, MAIN_TIMER)->findChildren<QTimer *>();
    return timers.size() == 1 ? timers[0]->interval() : -1;
}

TEST_F(MainPanelTest, FastOnlyWhileAnAcquisitionRuns)
{
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    EXPECT_EQ(timerMs(1), 10);
    runHistogram(3, 0);
    EXPECT_EQ((std::vector{timerMs(1), timerMs(1), timerMs(1)}), (std::vector{0, 0, 10}));
    runHistogram(5, 0);
    EXPECT_EQ(timerMs(1), 0);
    on(histogramPanel, HISTO_CLOSE);
    EXPECT_EQ(timerMs(1), 10);
    press(MAIN_CONTINUOUS);
    EXPECT_EQ(timerMs(1), 10);
    EXPECT_EQ(histogramCount, 1); // the closed acquisition took one sample per tick
    // An interval the timer cannot run at, or on another control, is refused and changes nothing.
    for (const double bad : {-1.0, 0.0004, double(NAN), double(INFINITY)})
        EXPECT_EQ(SetCtrlAttribute(mainPanel, MAIN_TIMER, ATTR_INTERVAL, bad), UIE_INVALID_VALUE) << bad;
    EXPECT_EQ(SetCtrlAttribute(mainPanel, MAIN_READING, ATTR_INTERVAL, 0.5), UIE_INVALID_ATTRIBUTE);
    EXPECT_EQ(timerMs(), 10);
}

} // namespace
