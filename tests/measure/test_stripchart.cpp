// SPDX-License-Identifier: GPL-3.0-or-later
// The strip chart in continuous mode, its length and axes, and the right-click
// menu of the graphs (real context menu, file dialog through the seam).
#include "../panels/mainpaneltest.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <qcustomplot.h>
#include <set>

namespace
{

class StripChart : public FileTest
{
  protected:
    void SetUp() override
    {
        FileTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(press(MAIN_STRIPCHART), 0);
        ASSERT_GT(stripChartPanel, 0);
        accepted({kq3917e_triggerContinuous(instrSession, 1)});
        continuousMode = 1;
    }
    static QCustomPlot *chart()
    {
        return qobject_cast<QCustomPlot *>(uitest::ControlWidget(stripChartPanel, STRIPCHART_CHART));
    }
};

// One point per tick; the y axis follows the readings closely enough that a
// 100 kHz signal's noise is a line with readable, distinct tick labels.
TEST_F(StripChart, FollowsTheReadings)
{
    mainTicks(50);
    QCPGraphDataContainer &points = *chart()->graph(0)->data();
    ASSERT_EQ(points.size(), 50);
    double low = points.constBegin()->value, high = low;
    for (const QCPGraphData &p : points) {
        low = std::min(low, p.value);
        high = std::max(high, p.value);
    }
    ASSERT_LT(low, high) << "the simulated readings carry noise";
    const QCPRange y = chart()->yAxis->range();
    EXPECT_LE(y.lower, low);
    EXPECT_GE(y.upper, high);
    EXPECT_LT(y.size(), 4 * (high - low)) << "the axis should zoom onto the noise";
    chart()->replot();
    QVector<QString> labels = chart()->yAxis->tickVectorLabels();
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(std::set<QString>(labels.begin(), labels.end()).size(), size_t(labels.size()));
}

// The history is the resource's length: at least 1000 points shown.
TEST_F(StripChart, KeepsItsResourceLength)
{
    const int length = chart()->property("points").toInt();
    EXPECT_GE(length, 1000);
    std::vector<double> values(size_t(length) + 25);
    for (size_t i = 0; i < values.size(); i++) {
        values[i] = double(i);
    }
    PlotStripChart(stripChartPanel, STRIPCHART_CHART, values.data(), int(values.size()), 0, 0, VAL_DOUBLE);
    QCPGraphDataContainer &points = *chart()->graph(0)->data();
    EXPECT_EQ(points.size(), length);
    EXPECT_EQ(points.constBegin()->value, 25.0);
    EXPECT_EQ(chart()->xAxis->range().size(), length - 1);
}

// Closing hands the ticks back to the trigger level refresh.
TEST_F(StripChart, ClosingLetsTheLevelsFollowAgain)
{
    drvtest::ClearCalls();
    mainTicks();
    EXPECT_EQ(calls(), "fetch()");
    EXPECT_EQ(uitest::CallCtrlCallback(stripChartPanel, STRIPCHART_CLOSE, EVENT_VAL_CHANGED), 0);
    EXPECT_GT(stripChartPanel, 0);
    EXPECT_EQ(uitest::CallCtrlCallback(stripChartPanel, STRIPCHART_CLOSE, EVENT_COMMIT), 0);
    EXPECT_EQ(stripChartPanel, 0);
    drvtest::ClearCalls();
    mainTicks();
    EXPECT_EQ(calls(), "fetch() queryInputTriggering(1) queryInputTriggering(2)");
}

// ---- right-click menu

// Opens the control's context menu with a real right click and chooses the
// item with that text; false when the menu or item is missing.
bool choose(QWidget *control, const QString &item)
{
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20), control->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(control, &click);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu) {
        return false;
    }
    for (QAction *action : menu->actions()) {
        if (action->text() == item) {
            menu->close();
            action->trigger();
            return true;
        }
    }
    menu->close();
    return false;
}

struct MenuCase {
    bool strip;
    const char *item;
    const char *file;  // chosen in the dialog
    const char *saved; // the file that appears
    std::string start; // its first bytes
    const char *popup; // "title|text" or ""
};

class GraphMenu : public StripChart, public ::testing::WithParamInterface<MenuCase>
{
};

TEST_P(GraphMenu, SavesThroughTheFileDialog)
{
    const MenuCase &c = GetParam();
    const double values[] = {1.5, -2.25, 1e-15};
    for (int i = 0; i < 3; i++) {
        PlotStripChartPoint(stripChartPanel, STRIPCHART_CHART, i * 0.5, values[i]);
    }
    int panel = stripChartPanel, control = STRIPCHART_CHART;
    if (!c.strip) {
        ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
        panel = histogramPanel;
        control = HISTO_GRAPH;
    }
    uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, path(c.file));
    ASSERT_TRUE(choose(uitest::ControlWidget(panel, control), QString::fromUtf8(c.item)));
    if (*c.saved) {
        EXPECT_EQ(readFile(path(c.saved), int(c.start.size())), c.start);
    }
    EXPECT_EQ(popupTexts(), c.popup);
    ASSERT_EQ(uitest::FileDialogs().size(), 1u);
    EXPECT_EQ(uitest::FileDialogs()[0].buttonLabel, VAL_SAVE_BUTTON);
}

const std::string png("\x89PNG", 4);

INSTANTIATE_TEST_SUITE_P(
    Items, GraphMenu,
    ::testing::Values(MenuCase{true, "Save Image…", "chart.png", "chart.png", png, ""},
                      MenuCase{true, "Save Image…", "chart", "chart.png", png, ""},
                      MenuCase{false, "Save Image…", "graph.pdf", "graph.pdf", "%PDF", ""},
                      MenuCase{true, "Save Data…", "points.csv", "points.csv",
                               "time_s,value\n0,1.5\n0.5,-2.25\n1,1e-15\n", ""},
                      MenuCase{true, "Save Data…", "/dev/full", "", "",
                               "File Open Error|Error opening file\n/dev/full: a device, not a regular file"},
                      MenuCase{
                          false, "Save Image…", "/nonexistent/graph.png", "", "",
                          "File Open Error|Error opening file\n/nonexistent/graph.png: its folder does not "
                          "exist"}));

TEST_F(StripChart, OnlyTheStripChartSavesData)
{
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    EXPECT_FALSE(choose(uitest::ControlWidget(histogramPanel, HISTO_GRAPH), "Save Data…"));
    uitest::ScriptFileDialog(VAL_NO_FILE_SELECTED, "");
    ASSERT_TRUE(choose(chart(), "Save Data…"));
    EXPECT_TRUE(uitest::Popups().empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);
}

} // namespace
