// SPDX-License-Identifier: GPL-3.0-or-later
// Graphs and strip charts, read back from the plotting widget: plots by
// handle, axis ranges, scales and captions, points at their times, tick
// labels that tell readings apart, and the right-click menu.
#include "uitest_support.h"

#include <fstream>
#include <set>
#include <sstream>

using Graphs = KindsPanel;

// A bar plot as "width key:value ...".
static std::string bars(QCPAbstractPlottable *plottable)
{
    auto *bar = static_cast<QCPBars *>(plottable);
    std::string out = QString::number(bar->width()).toStdString();
    for (const QCPBarsData &d : *bar->data())
        out += " " + std::to_string(int(d.key)) + ":" + std::to_string(int(d.value));
    return out;
}

// Handles count up per graph and are never reused; data, bar width (the
// smallest x step), colour and error bars arrive as passed; one plot goes by
// its handle, with its error bars, or every plot by -1.
TEST_F(Graphs, PlotsByHandle)
{
    const auto plotBars = [this](std::vector<double> x, std::vector<int> y) {
        return PlotXY(panel, FX_GRAPH, x.data(), y.data(), int(x.size()), VAL_DOUBLE, VAL_INTEGER,
                      VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
    };
    const double nan = std::nan(""), x[] = {1, 2, 4}, y[] = {10, 5, 2}, low[] = {8, 4, nan},
                 high[] = {13, 7, 3};
    EXPECT_EQ(plotBars({1, 2, 4}, {7, -3, 5}), 1);
    EXPECT_EQ(PlotXY(panel, FX_GRAPH, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE, 0, 0, 1, 0x0000FF), 2);
    EXPECT_EQ(PlotXYBounds(panel, FX_GRAPH, x, y, low, high, 3, 0x40C0FF), 3);
    EXPECT_EQ(plotBars({1, 2}, {9, 8}), 4);
    ASSERT_EQ(plot()->plottableCount(), 5);
    EXPECT_EQ(bars(plot()->plottable(0)), "1 1:7 2:-3 4:5");
    EXPECT_EQ(plot()->plottable(1)->pen().color().rgb() & 0xFFFFFF, 0x0000FFu);
    std::string spans; // a NaN bound draws no bar on its side
    for (const QCPErrorBarsData &d : *static_cast<QCPErrorBars *>(plot()->plottable(3))->data())
        spans += std::to_string(int(d.errorMinus)) + "/" + std::to_string(int(d.errorPlus)) + " ";
    EXPECT_EQ(spans, "2/3 1/2 0/1 ");
    EXPECT_EQ(PlotXY(panel, FX_STRIP, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, 0, 0, 0, 1, 0), UIE_INVALID_CONTROL);
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, 3, VAL_IMMEDIATE_DRAW), 0);
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, 1, VAL_DELAYED_DRAW), 0);
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, 3, VAL_DELAYED_DRAW), UIE_INVALID_VALUE);
    ASSERT_EQ(plot()->plottableCount(), 2);
    EXPECT_EQ(bars(plot()->plottable(1)), "1 1:9 2:8");
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, -1, VAL_DELAYED_DRAW), 0);
    EXPECT_EQ(plot()->plottableCount(), 0);
    EXPECT_EQ(plotBars({1}, {1}), 5);
}

// Manual ranges hold against new plots; autoscale follows the data again;
// no-change keeps an axis; a range that is empty, reversed or not finite is
// refused and changes neither axis. GetAxisRange reads each axis back. A
// logarithmic y axis.
TEST_F(Graphs, SetAxisRangeFixesOrFreesEachAxis)
{
    const auto axes = [this] { // scaling (0 manual, 1 auto) and range of x, then of y
        int x = -1, y = -1;
        double r[4] = {};
        EXPECT_EQ(GetAxisRange(panel, FX_GRAPH, &x, r, r + 1, &y, r + 2, r + 3), 0);
        return QString::asprintf("%d %g..%g %d %g..%g", x, r[0], r[1], y, r[2], r[3]).toStdString();
    };
    ASSERT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_MANUAL, -1.0, 11.0, VAL_MANUAL, 0.0, 100.0), 0);
    const double x[] = {2, 3, 4}, y[] = {5, 50, 500};
    ASSERT_EQ(PlotXY(panel, FX_GRAPH, x, y, 3, VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE, 0, 0, 1, 0), 1);
    EXPECT_EQ(axes(), "0 -1..11 0 0..100");
    ASSERT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_NO_CHANGE, 0, 0, VAL_AUTOSCALE, 0, 0), 0);
    EXPECT_EQ(axes(), "0 -1..11 1 5..500");
    ASSERT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_AUTOSCALE, 0, 0, VAL_MANUAL, 1.0, 2.0), 0);
    for (auto [min, max] : {std::pair{3.0, 3.0}, {4.0, 3.0}, {0.0, NAN}, {-INFINITY, 1.0}})
        EXPECT_EQ(std::pair(SetAxisRange(panel, FX_GRAPH, VAL_MANUAL, min, max, VAL_MANUAL, 0.0, 1.0),
                            SetAxisRange(panel, FX_GRAPH, VAL_MANUAL, 0.0, 1.0, VAL_MANUAL, min, max)),
                  std::pair(int(UIE_INVALID_VALUE), int(UIE_INVALID_VALUE)));
    EXPECT_EQ(axes(), "1 2..4 0 1..2");
    EXPECT_EQ(GetAxisRange(panel, FX_GRAPH, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GetAxisRange(panel, FX_DBL, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              UIE_INVALID_CONTROL);
    // The y map mode (the x one and captions: the stability and recorder tests).
    EXPECT_EQ(SetCtrlAttribute(panel, FX_GRAPH, ATTR_YMAP_MODE, VAL_LOG), 0);
    EXPECT_EQ(plot()->yAxis->scaleType(), QCPAxis::stLogarithmic);
}

// Clearing empties a strip chart's trace and counts its points from 0 again;
// only a strip chart clears.
TEST_F(Graphs, ClearStripChartCountsFromZeroAgain)
{
    const QCPGraphDataContainer &points = *plot(FX_STRIP)->graph(0)->data();
    const double values[] = {4, 5, 6};
    ASSERT_EQ(PlotStripChart(panel, FX_STRIP, values, 3, 0, 0, VAL_DOUBLE), 0);
    EXPECT_EQ(ClearStripChart(panel, FX_STRIP), UIE_NO_ERROR);
    EXPECT_TRUE(points.isEmpty());
    ASSERT_EQ(PlotStripChart(panel, FX_STRIP, values, 1, 0, 0, VAL_DOUBLE), 0);
    EXPECT_EQ(ClearStripChart(panel, FX_GRAPH), UIE_INVALID_CONTROL);
    EXPECT_EQ(ClearStripChart(panel + 100, FX_STRIP), UIE_INVALID_PANEL);
    EXPECT_EQ(points.size(), 1);
    EXPECT_EQ(points.constBegin()->key, 0.0);
}

// The trace keeps the last "points" (5 in the fixture) at their times, and the
// x window spans the history at the mean spacing. Readings of 100 kHz with
// millihertz noise get tick labels that tell them apart.
TEST_F(Graphs, StripChartPlacesPointsAtTheirTimes)
{
    // times plotted, times of the points kept, x window
    const std::tuple<std::vector<double>, const char *, const char *> cases[] = {
        {{0}, "0 ", "0..4"},                           // one point: a window of unit steps
        {{0, 0.1, 0.3}, "0 0.1 0.3 ", "0..0.6"},       // uneven: the mean spacing
        {{0, 1, 2, 3, 4, 5, 6}, "2 3 4 5 6 ", "2..6"}, // full: scrolls
        {{7.5, 8, 9.5}, "7.5 8 9.5 ", "7.5..11.5"},    // any start
    };
    for (const auto &[seconds, held, window] : cases) {
        SCOPED_TRACE(held);
        panel = load(FX_KINDS);
        for (double t : seconds)
            ASSERT_EQ(PlotStripChartPoint(panel, FX_STRIP, t, 100000 + t / 1000), 0);
        std::string kept;
        for (const QCPGraphData &p : *plot(FX_STRIP)->graph(0)->data()) {
            kept += QString::number(p.key).toStdString() + " ";
            EXPECT_EQ(p.value, 100000 + p.key / 1000);
        }
        EXPECT_EQ(kept, held);
        const QCPRange x = plot(FX_STRIP)->xAxis->range();
        EXPECT_EQ(QString("%1..%2").arg(x.lower).arg(x.upper).toStdString(), window);
        plot(FX_STRIP)->replot();
        const QVector<QString> labels = plot(FX_STRIP)->yAxis->tickVectorLabels();
        EXPECT_GE(labels.size(), 2);
        EXPECT_EQ(std::set<QString>(labels.begin(), labels.end()).size(), size_t(labels.size()));
    }
    EXPECT_EQ(PlotStripChartPoint(panel, FX_GRAPH, 0, 1), UIE_INVALID_CONTROL);
}

// A real right click on a plot offers its items; the file comes through the
// file dialog, its first bytes as written (a break in the line is a row
// without a value); a file that cannot be opened is said with why; only the
// strip chart saves its data.
TEST_F(Graphs, RightClickMenuSavesThroughTheFileDialog)
{
    const QTemporaryDir dir;
    const auto path = [&](const char *f) { return *f == '/' ? f : dir.filePath(f).toStdString(); };
    for (auto [t, v] : {std::pair{0.0, 1.5}, {0.5, -2.25}, {0.75, double(NAN)}, {1.0, 1e-15}})
        PlotStripChartPoint(panel, FX_STRIP, t, v);
    const std::string png("\x89PNG", 4);
    // control, item, file chosen in the dialog ("": cancelled), file that appears ("": none), its first bytes
    // or the popup "title|text"
    const std::tuple<int, const char *, const char *, const char *, std::string> cases[] = {
        {FX_STRIP, "Save Image…", "chart.png", "chart.png", png},
        {FX_STRIP, "Save Image…", "chart", "chart.png", png},
        {FX_STRIP, "Save Data…", "points.csv", "points.csv",
         "time_s,value\n0,1.5\n0.5,-2.25\n0.75,\n1,1e-15\n"},
        {FX_STRIP, "Save Data…", "/dev/full", "",
         "File Open Error|Error opening file\n/dev/full: a device, not a regular file"},
        {FX_GRAPH, "Save Data…", nullptr, "", ""}, // no such item
    };
    for (const auto &[control, item, file, saved, start] : cases) {
        SCOPED_TRACE(testing::Message() << item << " " << (file ? file : "-"));
        uitest::Activate();
        if (file)
            uitest::ScriptFileDialog(*file ? VAL_NEW_FILE_SELECTED : VAL_NO_FILE_SELECTED, path(file));
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20),
                                widget(control)->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(widget(control), &click);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction *chosen = nullptr;
        for (QAction *action : menu->actions())
            chosen = action->text() == QString::fromUtf8(item) ? action : chosen;
        menu->close();
        EXPECT_EQ(chosen != nullptr, file != nullptr);
        if (!chosen)
            continue;
        chosen->trigger();
        std::string said;
        for (const auto &p : uitest::Popups())
            said += p.title + "|" + p.text;
        std::ostringstream written;
        written << std::ifstream(path(saved)).rdbuf();
        EXPECT_EQ(*saved ? written.str().substr(0, start.size()) : said, start);
        EXPECT_EQ(uitest::FileDialogs().at(0).buttonLabel, VAL_SAVE_BUTTON);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).join(' '), "chart.png points.csv");
}
