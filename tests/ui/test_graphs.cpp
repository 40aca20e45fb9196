// SPDX-License-Identifier: GPL-3.0-or-later
// Graph operations: PlotXY, DeleteGraphPlot and SetAxisRange on the graph of
// the panel of every kind, read back from the plotting widget.
#include "uitest_support.h"

#include <qcustomplot.h>

#include <cmath>

namespace
{

class Graph : public KindsPanel
{
  protected:
    QCustomPlot *plot() const { return dynamic_cast<QCustomPlot *>(widget(FX_GRAPH)); }
    int plotBars(const std::vector<double> &x, const std::vector<int> &y, int colour = VAL_RED)
    {
        return PlotXY(panel, FX_GRAPH, x.data(), y.data(), (int)x.size(), VAL_DOUBLE, VAL_INTEGER,
                      VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, colour);
    }
    static std::string range(const QCPAxis *axis)
    {
        return std::to_string(axis->range().lower) + ".." + std::to_string(axis->range().upper);
    }
};

// Handles count up per graph; the data, the bar width (the smallest x step)
// and the colour arrive as passed, integer y values included.
TEST_F(Graph, PlotXYDrawsWhatItIsGiven)
{
    ASSERT_NE(plot(), nullptr);
    EXPECT_EQ(plotBars({1.0, 2.0, 4.0}, {7, -3, 5}), 1);
    const double x[] = {0.5, 1.5}, y[] = {2.25, 3.5};
    EXPECT_EQ(PlotXY(panel, FX_GRAPH, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID,
                     1, 0x0000FF),
              2);
    ASSERT_EQ(plot()->plottableCount(), 2);
    auto *bars = dynamic_cast<QCPBars *>(plot()->plottable(0));
    ASSERT_NE(bars, nullptr);
    std::string points;
    for (const QCPBarsData &d : *bars->data())
        points += std::to_string((int)d.key) + ":" + std::to_string((int)d.value) + " ";
    EXPECT_EQ(points, "1:7 2:-3 4:5 ");
    EXPECT_DOUBLE_EQ(bars->width(), 1.0);
    EXPECT_EQ(bars->brush().color().rgb() & 0xFFFFFF, 0xFF0000u);
    auto *line = dynamic_cast<QCPGraph *>(plot()->plottable(1));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->data()->size(), 2);
    EXPECT_DOUBLE_EQ(line->data()->at(1)->value, 3.5);
    EXPECT_EQ(line->pen().color().rgb() & 0xFFFFFF, 0x0000FFu);

    // Refused: a strip chart, a control that is no graph, an unknown data type.
    EXPECT_LT(PlotXY(panel, FX_STRIP, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, 0, 0, 0, 1, 0), 0);
    EXPECT_LT(PlotXY(panel, FX_DBL, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, 0, 0, 0, 1, 0), 0);
    EXPECT_EQ(PlotXY(panel, FX_GRAPH, x, y, 2, 99, VAL_DOUBLE, 0, 0, 0, 1, 0), UIE_INVALID_VALUE_TYPE);
    EXPECT_EQ(plot()->plottableCount(), 2);
    EXPECT_EQ(plotBars({1.0}, {1}), 3);
}

// One plot by its handle, then every plot (-1); an unknown handle is refused
// and changes nothing.
TEST_F(Graph, DeleteGraphPlotRemovesOneOrEvery)
{
    ASSERT_EQ(plotBars({1.0, 2.0}, {1, 2}), 1);
    ASSERT_EQ(plotBars({1.0, 2.0}, {3, 4}), 2);
    ASSERT_EQ(plotBars({1.0, 2.0}, {5, 6}), 3);
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, 2, VAL_IMMEDIATE_DRAW), UIE_NO_ERROR);
    ASSERT_EQ(plot()->plottableCount(), 2);
    auto firstValue = [this](int i) {
        return (int)dynamic_cast<QCPBars *>(plot()->plottable(i))->data()->at(0)->value;
    };
    EXPECT_EQ(firstValue(0) * 10 + firstValue(1), 15); // plots 1 and 3 are left
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, 2, VAL_DELAYED_DRAW), UIE_INVALID_VALUE);
    EXPECT_EQ(plot()->plottableCount(), 2);
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, -1, VAL_DELAYED_DRAW), UIE_NO_ERROR);
    EXPECT_EQ(plot()->plottableCount(), 0);
    EXPECT_EQ(plotBars({1.0}, {1}), 4); // handles are not reused
}

// Manual ranges hold against new plots; autoscale follows the data again;
// no-change keeps an axis; a range that is empty, reversed or not finite is
// refused and changes neither axis.
TEST_F(Graph, SetAxisRangeFixesOrFreesEachAxis)
{
    ASSERT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_MANUAL, -1.0, 11.0, VAL_MANUAL, 0.0, 100.0), UIE_NO_ERROR);
    ASSERT_EQ(plotBars({2.0, 3.0, 4.0}, {5, 50, 500}), 1);
    EXPECT_EQ(range(plot()->xAxis) + " " + range(plot()->yAxis), "-1.000000..11.000000 0.000000..100.000000");
    ASSERT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_NO_CHANGE, 0, 0, VAL_AUTOSCALE, 0, 0), UIE_NO_ERROR);
    EXPECT_EQ(range(plot()->xAxis), "-1.000000..11.000000");
    EXPECT_GE(plot()->yAxis->range().upper, 500.0);
    EXPECT_LE(plot()->yAxis->range().lower, 5.0);
    ASSERT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_AUTOSCALE, 0, 0, VAL_MANUAL, 1.0, 2.0), UIE_NO_ERROR);
    EXPECT_LE(plot()->xAxis->range().lower, 2.0);
    EXPECT_GE(plot()->xAxis->range().upper, 4.0);
    EXPECT_LT(plot()->xAxis->range().upper, 11.0);
    const std::string before = range(plot()->xAxis) + " " + range(plot()->yAxis);
    for (auto [xmin, xmax] : {std::pair{3.0, 3.0}, {4.0, 3.0}, {0.0, NAN}, {-INFINITY, 1.0}}) {
        EXPECT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_MANUAL, xmin, xmax, VAL_MANUAL, 0.0, 1.0),
                  UIE_INVALID_VALUE);
        EXPECT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_MANUAL, 0.0, 1.0, VAL_MANUAL, xmin, xmax),
                  UIE_INVALID_VALUE);
    }
    EXPECT_EQ(range(plot()->xAxis) + " " + range(plot()->yAxis), before);
    EXPECT_LT(SetAxisRange(panel, FX_DBL, VAL_MANUAL, 0.0, 1.0, VAL_MANUAL, 0.0, 1.0), 0);
}

} // namespace
