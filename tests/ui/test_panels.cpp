// SPDX-License-Identifier: GPL-3.0-or-later
// Loading, copies, values, attributes, graphs and the close box.
#include "uirmodel.h"
#include "uitest_support.h"

#include <QDir>
#include <QFile>
#include <QWidget>
#include <cstring>
#include <gtest/gtest.h>
#include <qcustomplot.h>

namespace
{

using Panels = KindsPanel;

TEST(LoadPanelFailures, EachGivesItsOwnNegativeResult)
{
    const int before = uitest::LoadedPanelCount();
    const struct {
        std::string file;
        int parent, panel, expected;
    } cases[] = {
        {fixture("missing.uir"), 0, 1, UIE_FILE_NOT_FOUND},
        {fixture(""), 0, 1, UIE_FILE_NOT_FOUND}, // a folder
        {fixture("not-resource.uir"), 0, 1, UIE_NOT_RESOURCE_FILE},
        {fixture("kinds.uir"), 0, 3, UIE_PANEL_NOT_FOUND},
        {fixture("kinds.uir"), 0, 0, UIE_PANEL_NOT_FOUND},
        {fixture("unknown-callback.uir"), 0, FX_PLAIN, UIE_UNKNOWN_CALLBACK},
        {fixture("kinds.uir"), 9999, 1, UIE_INVALID_PANEL},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LoadPanel(c.parent, c.file.c_str(), c.panel), c.expected) << c.file << " panel " << c.panel;
    EXPECT_EQ(LoadPanel(0, nullptr, 1), UIE_FILE_NOT_FOUND);
    EXPECT_EQ(uitest::LoadedPanelCount(), before);
    // The same file still serves its other panel.
    const int plain = LoadPanel(0, fixture("unknown-callback.uir").c_str(), FX_KINDS);
    EXPECT_GT(plain, 0);
    DiscardPanel(plain);
}

TEST(LoadPanelFailures, RelativeNameIsLookedUpInTheWorkingDirectory)
{
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(fixture(""))));
    const int found = LoadPanel(0, "kinds.uir", FX_PLAIN);
    ASSERT_TRUE(QDir::setCurrent(QDir::rootPath()));
    const int missing = LoadPanel(0, "kinds.uir", FX_PLAIN);
    QDir::setCurrent(old);
    EXPECT_GT(found, 0);
    EXPECT_EQ(missing, UIE_FILE_NOT_FOUND);
    DiscardPanel(found);
}

TEST_F(Panels, CopiesAreIndependent)
{
    const int copy = LoadPanel(0, fixture("kinds.uir").c_str(), FX_KINDS);
    ASSERT_GT(copy, 0);
    EXPECT_NE(copy, panel);
    EXPECT_NE(uitest::PanelWidget(copy), uitest::PanelWidget(panel));
    ASSERT_EQ(SetCtrlVal(copy, FX_TEXT, "copy"), 0);
    ASSERT_EQ(SetCtrlVal(copy, FX_INT, 42), 0);
    char text[16] = "x";
    int value = 0;
    EXPECT_EQ(GetCtrlVal(panel, FX_TEXT, text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(GetCtrlVal(panel, FX_INT, &value), 0);
    EXPECT_EQ(value, 5);
    const int count = uitest::LoadedPanelCount();
    EXPECT_EQ(DiscardPanel(copy), 0);
    EXPECT_EQ(uitest::LoadedPanelCount(), count - 1);
    EXPECT_EQ(SetCtrlVal(copy, FX_INT, 1), UIE_INVALID_PANEL);
    EXPECT_EQ(DiscardPanel(copy), UIE_INVALID_PANEL);
    EXPECT_EQ(SetCtrlVal(panel, FX_INT, 1), 0);
}

TEST_F(Panels, ValuesConvertAndRefuseWhatDoesNotFit)
{
    int i = -1;
    int16_t s = -1;
    uint16_t u = 0;
    double d = 0;
    EXPECT_EQ(SetCtrlVal(panel, FX_RING, int16_t(9)), 0);
    EXPECT_EQ(GetCtrlVal(panel, FX_RING, &s), 0);
    EXPECT_EQ(s, 9);
    EXPECT_EQ(SetCtrlVal(panel, FX_RING, 4), UIE_INVALID_VALUE); // no item has code 4
    EXPECT_EQ(GetCtrlVal(panel, FX_RING, &i), 0);
    EXPECT_EQ(i, 9);
    EXPECT_EQ(SetCtrlVal(panel, FX_DBL, 2.5), 0);
    EXPECT_EQ(GetCtrlVal(panel, FX_DBL, &d), 0);
    EXPECT_DOUBLE_EQ(d, 2.5);
    EXPECT_EQ(SetCtrlVal(panel, FX_DBL, -2.5), 0);
    EXPECT_EQ(GetCtrlVal(panel, FX_DBL, &u), UIE_INVALID_VALUE_TYPE); // negative into unsigned
    EXPECT_EQ(SetCtrlVal(panel, FX_INT, 7.6), 0);                     // integer numerics round
    EXPECT_EQ(GetCtrlVal(panel, FX_INT, &i), 0);
    EXPECT_EQ(i, 8);
    EXPECT_EQ(SetCtrlVal(panel, FX_INT, 1000), 0); // clamped into the range
    EXPECT_EQ(GetCtrlVal(panel, FX_INT, &i), 0);
    EXPECT_EQ(i, 100);
    EXPECT_EQ(SetCtrlVal(panel, FX_LED, 1), 0);
    EXPECT_EQ(GetCtrlVal(panel, FX_LED, &i), 0);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(SetCtrlVal(panel, FX_LABEL, "12.5 Hz"), 0);
    EXPECT_EQ(SetCtrlVal(panel, FX_INT, "12"), UIE_INVALID_VALUE_TYPE);
    EXPECT_EQ(SetCtrlVal(panel, FX_TEXT, 3), UIE_INVALID_VALUE_TYPE);
    EXPECT_EQ(SetCtrlVal(panel, FX_CMD, 1), UIE_INVALID_VALUE_TYPE);
    EXPECT_EQ(SetCtrlVal(panel, 99, 1), UIE_INVALID_CONTROL);
    EXPECT_EQ(SetCtrlVal(-3, FX_INT, 1), UIE_INVALID_PANEL);
}

TEST_F(Panels, TextReadNeverWritesPastTheBuffer)
{
    ASSERT_EQ(SetCtrlVal(panel, FX_TEXT, "frequency \xc3\xa9t\xc3\xa9"), 0); // 15 bytes in UTF-8
    const struct {
        int size;
        int expected;
        const char *text;
    } cases[] = {{32, 0, "frequency \xc3\xa9t\xc3\xa9"},
                 {16, 0, "frequency \xc3\xa9t\xc3\xa9"},
                 {15, UIE_BUFFER_TOO_SMALL, "frequency \xc3\xa9t"}, // no half character
                 {5, UIE_BUFFER_TOO_SMALL, "freq"},
                 {1, UIE_BUFFER_TOO_SMALL, ""},
                 {0, UIE_BUFFER_TOO_SMALL, nullptr}};
    for (const auto &c : cases) {
        char buffer[40];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(GetCtrlVal(panel, FX_TEXT, buffer, c.size), c.expected) << c.size;
        for (int i = c.size; i < int(sizeof buffer); ++i)
            ASSERT_EQ(buffer[i], '#') << "size " << c.size << " byte " << i;
        if (c.text) {
            EXPECT_STREQ(buffer, c.text);
        }
    }
}

TEST_F(Panels, AttributesOfControls)
{
    int v = -1;
    double d = 0;
    char text[32];
    EXPECT_EQ(SetCtrlAttribute(panel, FX_INT, ATTR_DIMMED, 1), 0);
    EXPECT_FALSE(uitest::ControlWidget(panel, FX_INT)->isEnabled());
    EXPECT_EQ(GetCtrlAttribute(panel, FX_INT, ATTR_DIMMED, &v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(SetCtrlAttribute(panel, FX_LED, ATTR_VISIBLE, 0), 0);
    EXPECT_EQ(GetCtrlAttribute(panel, FX_LED, ATTR_VISIBLE, &v), 0);
    EXPECT_EQ(v, 0);
    // Lowering the maximum below the value clamps the value.
    ASSERT_EQ(SetCtrlVal(panel, FX_DBL, 8.0), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, FX_DBL, ATTR_MAX_VALUE, 5.0), 0);
    EXPECT_EQ(GetCtrlVal(panel, FX_DBL, &d), 0);
    EXPECT_DOUBLE_EQ(d, 5.0);
    EXPECT_EQ(SetCtrlAttribute(panel, FX_DBL, ATTR_PRECISION, 1), 0);
    ASSERT_EQ(SetCtrlVal(panel, FX_DBL, 1.26), 0);
    EXPECT_EQ(GetCtrlVal(panel, FX_DBL, &d), 0);
    EXPECT_DOUBLE_EQ(d, 1.3);
    EXPECT_EQ(SetCtrlAttribute(panel, FX_INT, ATTR_PRECISION, 0), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, FX_INT, ATTR_PRECISION, 2), UIE_INVALID_VALUE);
    EXPECT_EQ(SetCtrlAttribute(panel, FX_TEXT, ATTR_MAX_VALUE, 2), UIE_INVALID_ATTRIBUTE);
    // The run-button mark.
    EXPECT_EQ(SetCtrlAttribute(panel, FX_CMD, ATTR_ACTIVE_MARK, 1), 0);
    EXPECT_EQ(GetCtrlAttribute(panel, FX_CMD, ATTR_ACTIVE_MARK, &v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(SetCtrlAttribute(panel, FX_LED, ATTR_ACTIVE_MARK, 1), UIE_INVALID_ATTRIBUTE);
    // Label text: a button's caption, an LED's caption, a numeric's buddy label.
    for (int control : {FX_CMD, FX_LED, FX_INT}) {
        EXPECT_EQ(SetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, "Delay"), 0) << control;
        EXPECT_EQ(GetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, text, int(sizeof text)), 0) << control;
        EXPECT_STREQ(text, "Delay");
    }
    EXPECT_EQ(SetCtrlAttribute(panel, FX_DBL, ATTR_LABEL_TEXT, "x"), UIE_INVALID_ATTRIBUTE); // no label
    EXPECT_EQ(SetCtrlAttribute(panel, FX_CMD, ATTR_LABEL_TEXT, 3), UIE_INVALID_VALUE_TYPE);
}

TEST_F(Panels, PanelTitleAndMenuBar)
{
    char title[64];
    EXPECT_EQ(GetPanelAttribute(panel, ATTR_TITLE, title, int(sizeof title)), 0);
    EXPECT_STREQ(title, "Every kind");
    EXPECT_EQ(SetPanelAttribute(panel, ATTR_TITLE, "PXI9::1::INSTR"), 0);
    EXPECT_EQ(uitest::PanelWidget(panel)->windowTitle(), "PXI9::1::INSTR");
    EXPECT_EQ(GetPanelMenuBar(panel), UIE_INVALID_MENU);
    const int plain = LoadPanel(0, fixture("kinds.uir").c_str(), FX_PLAIN);
    EXPECT_GT(GetPanelMenuBar(plain), 0);
    uitest::CallMenuCallback(plain, FX_MENU_TWO);
    EXPECT_EQ(raised(), (std::vector<Raised>{{plain, FX_MENU_TWO, EVENT_COMMIT}}));
    DiscardPanel(plain);
}

TEST_F(Panels, GraphsPlotDeleteAndBoundTheStripHistory)
{
    const double x[] = {1, 2, 3}, y[] = {4, 5, 6};
    const int counts[] = {1, 0, 2};
    const int first = PlotXY(panel, FX_GRAPH, x, y, 3, VAL_DOUBLE, VAL_DOUBLE, VAL_VERTICAL_BAR, VAL_NO_POINT,
                             VAL_SOLID, 1, VAL_RED);
    const int second = PlotXY(panel, FX_GRAPH, x, counts, 3, VAL_DOUBLE, VAL_INTEGER, VAL_THIN_LINE,
                              VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, first);
    auto *graph = static_cast<QCustomPlot *>(uitest::ControlWidget(panel, FX_GRAPH));
    EXPECT_EQ(graph->plottableCount(), 2);
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, first, VAL_IMMEDIATE_DRAW), 0);
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, first, VAL_IMMEDIATE_DRAW), UIE_INVALID_VALUE);
    EXPECT_EQ(graph->plottableCount(), 1);
    EXPECT_EQ(DeleteGraphPlot(panel, FX_GRAPH, -1, VAL_DELAYED_DRAW), 0);
    EXPECT_EQ(graph->plottableCount(), 0);
    EXPECT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_MANUAL, -1.0, 3.0, VAL_MANUAL, 0.0, 100.0), 0);
    EXPECT_EQ(graph->xAxis->range(), QCPRange(-1.0, 3.0));
    EXPECT_EQ(SetAxisRange(panel, FX_GRAPH, VAL_MANUAL, 3.0, 3.0, VAL_NO_CHANGE, 0, 0), UIE_INVALID_VALUE);
    EXPECT_EQ(PlotXY(panel, FX_STRIP, x, y, 3, VAL_DOUBLE, VAL_DOUBLE, 0, 0, 0, 1, 0), UIE_INVALID_CONTROL);

    auto *strip = static_cast<QCustomPlot *>(uitest::ControlWidget(panel, FX_STRIP));
    for (int i = 0; i < 12; ++i) {
        const double reading = 100.0 + i;
        ASSERT_EQ(PlotStripChart(panel, FX_STRIP, &reading, 1, 0, 0, VAL_DOUBLE), 0);
    }
    ASSERT_EQ(strip->graphCount(), 1);
    EXPECT_EQ(strip->graph(0)->dataCount(), 5); // the fixture keeps 5 points
    EXPECT_DOUBLE_EQ((strip->graph(0)->data()->constEnd() - 1)->value, 111.0);
    const double every[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(PlotStripChart(panel, FX_STRIP, every, 2, 1, 1, VAL_DOUBLE), 0); // 2 and 4
    EXPECT_DOUBLE_EQ((strip->graph(0)->data()->constEnd() - 1)->value, 4.0);
    EXPECT_EQ(PlotStripChart(panel, FX_STRIP, every, 1, 0, 0, 77), UIE_INVALID_VALUE_TYPE);
}

TEST_F(Panels, ProgrammaticChangesRaiseNothing)
{
    SetCtrlVal(panel, FX_TOGGLE, 1);
    SetCtrlVal(panel, FX_CHECK, 1);
    SetCtrlVal(panel, FX_INT, 50);
    SetCtrlVal(panel, FX_DBL, 1.5);
    SetCtrlVal(panel, FX_RING, 5);
    SetCtrlVal(panel, FX_TEXT, "typed");
    SetCtrlVal(panel, FX_LED, 1);
    SetCtrlAttribute(panel, FX_INT, ATTR_MAX_VALUE, 10); // clamps the value
    SetCtrlAttribute(panel, FX_DBL, ATTR_PRECISION, 0);  // rounds the value
    SetCtrlAttribute(panel, FX_CMD, ATTR_ACTIVE_MARK, 1);
    ProcessSystemEvents();
    EXPECT_TRUE(raised().empty());
}

TEST_F(Panels, CloseBoxRaisesCloseThenTheCloseControlAndKeepsThePanel)
{
    uitest::PanelWidget(panel)->close();
    EXPECT_EQ(raised(), (std::vector<Raised>{{panel, 0, EVENT_CLOSE}, {panel, FX_QUIT, EVENT_COMMIT}}));
    EXPECT_NE(uitest::PanelWidget(panel), nullptr);

    // A panel callback that discards its panel ends the sequence safely.
    raised().clear();
    const int copy = LoadPanel(0, fixture("kinds.uir").c_str(), FX_KINDS);
    onNextCallback([copy] { DiscardPanel(copy); });
    uitest::PanelWidget(copy)->close();
    EXPECT_EQ(raised(), (std::vector<Raised>{{copy, 0, EVENT_CLOSE}}));
    EXPECT_EQ(uitest::PanelWidget(copy), nullptr);

    // Without panel callback or close control the close box does nothing.
    raised().clear();
    const int plain = LoadPanel(0, fixture("kinds.uir").c_str(), FX_PLAIN);
    uitest::PanelWidget(plain)->close();
    EXPECT_TRUE(raised().empty());
    EXPECT_EQ(DiscardPanel(plain), 0);
}

TEST(RealResource, EveryPanelLoadsAndRenders)
{
    QFile file(UCT_RESOURCE_PATH);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto model = uir::parse(file.readAll(), nullptr);
    ASSERT_TRUE(model);
    ASSERT_TRUE(registerIgnoringCallbacks(UCT_RESOURCE_PATH));
    uitest::Activate();
    for (const uir::Panel &def : model->panels) {
        const int handle = LoadPanel(0, UCT_RESOURCE_PATH, def.number);
        ASSERT_GT(handle, 0) << def.name.toStdString();
        ASSERT_EQ(DisplayPanel(handle), 0);
        ProcessSystemEvents();
        const QPixmap shot = uitest::PanelWidget(handle)->grab();
        EXPECT_FALSE(shot.isNull()) << def.name.toStdString();
        EXPECT_GT(shot.width(), 100) << def.name.toStdString();
        DiscardPanel(handle);
    }
    uitest::Deactivate();
}

} // namespace
