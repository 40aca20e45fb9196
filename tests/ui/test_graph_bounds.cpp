// SPDX-License-Identifier: GPL-3.0-or-later
// Plots with bounds, logarithmic axes and axis captions, read back from the
// plotting widget of the panel of every kind.
#include "uitest_support.h"

#include <qcustomplot.h>

#include <cmath>

namespace
{

class GraphBounds : public KindsPanel
{
  protected:
    QCustomPlot *plot() const { return dynamic_cast<QCustomPlot *>(widget(FX_GRAPH)); }
};

// Each point gets a bar from its low to its high value; a NaN bound draws
// none on its side; the bars go with their plot.
TEST_F(GraphBounds, BarsFromLowToHighDeletedWithTheirPlot)
{
    const double nan = std::nan("");
    const double x[] = {1, 2, 4}, y[] = {10, 5, 2}, low[] = {8, 4, nan}, high[] = {13, 7, 3};
    const int handle = PlotXYBounds(panel, FX_GRAPH, x, y, low, high, 3, 0x40C0FF);
    ASSERT_GT(handle, 0);
    ASSERT_EQ(plot()->plottableCount(), 2);
    auto *bars = dynamic_cast<QCPErrorBars *>(plot()->plottable(1));
    ASSERT_NE(bars, nullptr);
    std::string spans;
    for (const QCPErrorBarsData &d : *bars->data())
        spans += std::to_string((int)d.errorMinus) + "/" + std::to_string((int)d.errorPlus) + " ";
    EXPECT_EQ(spans, "2/3 1/2 0/1 ");
    EXPECT_EQ(PlotXYBounds(panel, FX_STRIP, x, y, low, high, 3, 0), UIE_INVALID_CONTROL);
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, handle, VAL_IMMEDIATE_DRAW), 0);
    EXPECT_EQ(plot()->plottableCount(), 0);
}

// Map modes and captions: graphs take both, strip charts only captions.
TEST_F(GraphBounds, LogarithmicAxesAndCaptions)
{
    struct Case {
        int control, attribute, value, status;
    };
    const Case cases[] = {
        {FX_GRAPH, ATTR_XMAP_MODE, VAL_LOG, 0},
        {FX_GRAPH, ATTR_YMAP_MODE, VAL_LOG, 0},
        {FX_GRAPH, ATTR_YMAP_MODE, 7, UIE_INVALID_VALUE},
        {FX_STRIP, ATTR_XMAP_MODE, VAL_LOG, UIE_INVALID_ATTRIBUTE},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SetCtrlAttribute(panel, c.control, c.attribute, c.value), c.status) << c.attribute;
    int mode = -1;
    EXPECT_EQ(GetCtrlAttribute(panel, FX_GRAPH, ATTR_YMAP_MODE, &mode), 0);
    EXPECT_EQ(mode, VAL_LOG);
    EXPECT_EQ(plot()->xAxis->scaleType(), QCPAxis::stLogarithmic);
    EXPECT_EQ(SetCtrlAttribute(panel, FX_GRAPH, ATTR_XNAME, "tau (s)"), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, FX_STRIP, ATTR_YNAME, "Hz"), 0);
    EXPECT_EQ(plot()->xAxis->label(), QStringLiteral("tau (s)"));
    EXPECT_EQ(dynamic_cast<QCustomPlot *>(widget(FX_STRIP))->yAxis->label(), QStringLiteral("Hz"));
    EXPECT_EQ(SetCtrlAttribute(panel, FX_DBL, ATTR_XNAME, "x"), UIE_INVALID_ATTRIBUTE);
}

} // namespace
