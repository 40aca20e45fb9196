// SPDX-License-Identifier: GPL-3.0-or-later
// ClearStripChart and GetAxisRange, read back from the plotting widget.
#include "uitest_support.h"

#include <qcustomplot.h>

namespace
{

using StripClear = KindsPanel;

// The trace empties and counted points start again at 0; only a strip chart
// clears.
TEST_F(StripClear, EmptiesTheTraceAndCountsFromZeroAgain)
{
    QCPGraphDataContainer &points = *dynamic_cast<QCustomPlot *>(widget(FX_STRIP))->graph(0)->data();
    const double values[] = {4, 5, 6};
    ASSERT_EQ(PlotStripChart(panel, FX_STRIP, values, 3, 0, 0, VAL_DOUBLE), 0);
    EXPECT_EQ(ClearStripChart(panel, FX_STRIP), UIE_NO_ERROR);
    EXPECT_TRUE(points.isEmpty());
    ASSERT_EQ(PlotStripChart(panel, FX_STRIP, values, 1, 0, 0, VAL_DOUBLE), 0);
    EXPECT_EQ(points.constBegin()->key, 0.0);
    EXPECT_EQ(ClearStripChart(panel, FX_GRAPH), UIE_INVALID_CONTROL);
    EXPECT_EQ(ClearStripChart(panel + 100, FX_STRIP), UIE_INVALID_PANEL);
    EXPECT_EQ(points.size(), 1);
}

// Each axis's scaling and range as SetAxisRange left them.
TEST_F(StripClear, GetAxisRangeReadsBackEachAxis)
{
    ASSERT_EQ(SetAxisRange(panel, FX_STRIP, VAL_MANUAL, 1, 2, VAL_MANUAL, -2.5, 7), 0);
    ASSERT_EQ(SetAxisRange(panel, FX_STRIP, VAL_AUTOSCALE, 0, 0, VAL_NO_CHANGE, 0, 0), 0);
    int x = -1, y = -1;
    double yMin = 0, yMax = 0;
    EXPECT_EQ(GetAxisRange(panel, FX_STRIP, &x, nullptr, nullptr, &y, &yMin, &yMax), 0);
    EXPECT_EQ(std::vector<double>({double(x), double(y), yMin, yMax}),
              std::vector<double>({VAL_AUTOSCALE, VAL_MANUAL, -2.5, 7}));
    EXPECT_EQ(GetAxisRange(panel, FX_DBL, &x, nullptr, nullptr, &y, nullptr, nullptr), UIE_INVALID_CONTROL);
}

} // namespace
