// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement timer's pace: fast only while a histogram acquisition runs.
#include "measuretest.h"

#include <QTimer>
#include <QWidget>
#include <cmath>

namespace
{

using Pace = MainPanelTest;

// The interval the real QTimer of MAIN_TIMER runs at, in milliseconds.
int timerMs()
{
    const QList<QTimer *> timers = uitest::ControlWidget(mainPanel, MAIN_TIMER)->findChildren<QTimer *>();
    return timers.size() == 1 ? timers[0]->interval() : -1;
}

TEST_F(Pace, FastOnlyWhileAnAcquisitionRuns)
{
    // Each step, then the interval after one more tick.
    const struct {
        const char *step;
        int ms;
    } steps[] = {{"open", 10},   {"start 3", 1}, {"tick", 1},       {"tick", 10},
                 {"start 5", 1}, {"close", 10},  {"continuous", 10}};
    for (const auto &s : steps) {
        SCOPED_TRACE(s.step);
        const std::string step = s.step;
        if (step == "open") {
            ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
        } else if (step.rfind("start", 0) == 0) {
            SetCtrlVal(histogramPanel, HISTO_SAMPLES, std::stoi(step.substr(6)));
            on(histogramPanel, HISTO_START);
        } else if (step == "close") {
            on(histogramPanel, HISTO_CLOSE);
        } else if (step == "continuous") {
            press(MAIN_CONTINUOUS);
        }
        mainTicks();
        EXPECT_EQ(timerMs(), s.ms);
    }
    EXPECT_EQ(histogramCount, 1); // the closed acquisition took one sample per tick
}

TEST_F(Pace, TimerIntervalAttribute)
{
    double seconds = 0;
    EXPECT_EQ(GetCtrlAttribute(mainPanel, MAIN_TIMER, ATTR_INTERVAL, &seconds), UIE_NO_ERROR);
    EXPECT_EQ(seconds, 0.01);
    const double bads[] = {0.0, -1.0, 0.0004, NAN, INFINITY};
    for (const double bad : bads) {
        EXPECT_EQ(SetCtrlAttribute(mainPanel, MAIN_TIMER, ATTR_INTERVAL, bad), UIE_INVALID_VALUE) << bad;
    }
    EXPECT_EQ(SetCtrlAttribute(mainPanel, MAIN_READING, ATTR_INTERVAL, 0.5), UIE_INVALID_ATTRIBUTE);
    EXPECT_EQ(SetCtrlAttribute(mainPanel, MAIN_TIMER, ATTR_INTERVAL, 0.25), UIE_NO_ERROR);
    EXPECT_EQ(timerMs(), 250);
}

} // namespace
