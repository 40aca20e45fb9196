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
    auto *chart = dynamic_cast<QCustomPlot *>(widget(FX_STRIP));
    const double values[] = {4, 5, 6};
    ASSERT_EQ(PlotStripChart(panel, FX_STRIP, values, 3, 0, 0, VAL_DOUBLE), 0);
    EXPECT_EQ(ClearStripChart(panel, FX_STRIP), UIE_NO_ERROR);
    EXPECT_TRUE(chart->graph(0)->data()->isEmpty());
    ASSERT_EQ(PlotStripChart(panel, FX_STRIP, values + 2, 1, 0, 0, VAL_DOUBLE), 0);
    ASSERT_EQ(chart->graph(0)->data()->size(), 1);
    EXPECT_EQ(chart->graph(0)->data()->constBegin()->key, 0.0);
    EXPECT_EQ(ClearStripChart(panel, FX_GRAPH), UIE_INVALID_CONTROL);
    EXPECT_EQ(ClearStripChart(panel, FX_DBL), UIE_INVALID_CONTROL);
    EXPECT_EQ(ClearStripChart(panel + 100, FX_STRIP), UIE_INVALID_PANEL);
    EXPECT_EQ(chart->graph(0)->data()->size(), 1);
}

// The scaling and range of each axis as SetAxisRange left them.
TEST_F(StripClear, GetAxisRangeReadsBackEachAxis)
{
    const double values[] = {4, 5, 6};
    ASSERT_EQ(PlotStripChart(panel, FX_STRIP, values, 3, 0, 0, VAL_DOUBLE), 0);
    ASSERT_EQ(SetAxisRange(panel, FX_STRIP, VAL_NO_CHANGE, 0, 0, VAL_MANUAL, -2.5, 7), 0);
    int xScaling = -1, yScaling = -1;
    double range[4] = {};
    EXPECT_EQ(GetAxisRange(panel, FX_STRIP, &xScaling, &range[0], &range[1], &yScaling, &range[2], &range[3]),
              0);
    EXPECT_EQ(xScaling * 10 + yScaling, VAL_AUTOSCALE * 10 + VAL_MANUAL);
    EXPECT_EQ(std::vector<double>(range, range + 4), (std::vector<double>{0, 4, -2.5, 7}));
    ASSERT_EQ(SetAxisRange(panel, FX_STRIP, VAL_MANUAL, 1, 2, VAL_AUTOSCALE, 0, 0), 0);
    EXPECT_EQ(GetAxisRange(panel, FX_STRIP, &xScaling, nullptr, nullptr, &yScaling, &range[2], &range[3]), 0);
    EXPECT_EQ(xScaling * 10 + yScaling, VAL_MANUAL * 10 + VAL_AUTOSCALE);
    EXPECT_EQ(std::vector<double>(range + 2, range + 4), (std::vector<double>{4, 6}));
    EXPECT_EQ(GetAxisRange(panel, FX_DBL, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              UIE_INVALID_CONTROL);
}

} // namespace
