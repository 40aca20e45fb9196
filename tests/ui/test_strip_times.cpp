// SPDX-License-Identifier: GPL-3.0-or-later
// Strip chart points that carry their times: the trace keeps the last
// "points" (5 in the fixture) at their times, and the x window spans the
// history at the mean spacing, read back from the plotting widget.
#include "uitest_support.h"

#include <qcustomplot.h>

namespace
{

struct TimesCase {
    std::vector<double> seconds;
    const char *held; // times of the points kept
    double lower, upper;
};

class StripTimes : public KindsPanel, public testing::WithParamInterface<TimesCase>
{
};

TEST_P(StripTimes, PlacesPointsAtTheirTimes)
{
    const TimesCase &c = GetParam();
    auto *chart = dynamic_cast<QCustomPlot *>(widget(FX_STRIP));
    ASSERT_EQ(SetCtrlAttribute(panel, FX_STRIP, ATTR_XNAME, "Time (s)"), 0);
    for (double t : c.seconds)
        ASSERT_EQ(PlotStripChartPoint(panel, FX_STRIP, t, 100000 + t), 0);
    std::string held;
    for (const QCPGraphData &p : *chart->graph(0)->data()) {
        held += QString::number(p.key).toStdString() + " ";
        EXPECT_EQ(p.value, 100000 + p.key);
    }
    EXPECT_EQ(held, c.held);
    EXPECT_DOUBLE_EQ(chart->xAxis->range().lower, c.lower);
    EXPECT_DOUBLE_EQ(chart->xAxis->range().upper, c.upper);
    EXPECT_EQ(chart->xAxis->label(), QStringLiteral("Time (s)"));
    EXPECT_EQ(PlotStripChartPoint(panel, FX_GRAPH, 0, 1), UIE_INVALID_CONTROL);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StripTimes,
    testing::Values(TimesCase{{0}, "0 ", 0, 4},                           // one point: a window of unit steps
                    TimesCase{{0, 0.5}, "0 0.5 ", 0, 2},                  // fills from the left
                    TimesCase{{0, 0.1, 0.3}, "0 0.1 0.3 ", 0, 0.6},       // uneven: the mean spacing
                    TimesCase{{0, 1, 2, 3, 4, 5, 6}, "2 3 4 5 6 ", 2, 6}, // full: scrolls
                    TimesCase{{7.5, 8, 9.5}, "7.5 8 9.5 ", 7.5, 11.5}));  // any start

} // namespace
