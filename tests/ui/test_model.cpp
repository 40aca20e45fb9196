// SPDX-License-Identifier: GPL-3.0-or-later
// The resource parser and the generator: numbering, malformed files, and
// agreement between the generated constants and what LoadPanel builds.
#include "uirmodel.h"
#include "uitest_support.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include "uctpanels.h"

namespace
{

QByteArray readFile(const std::string &path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray page(const char *pageBody, const char *extra = "")
{
    return QByteArray("<ui version=\"4.0\"><widget class=\"QTabWidget\" name=\"t\">"
                      "<widget class=\"QWidget\" name=\"P\">") +
           pageBody + "</widget>" + extra + "</widget></ui>";
}

TEST(UirModel, NumbersPanelsControlsAndMenusInDocumentOrder)
{
    QString why;
    const auto model = uir::parse(readFile(fixture("kinds.uir")), &why);
    ASSERT_TRUE(model) << why.toStdString();
    ASSERT_EQ(model->panels.size(), 2u);
    const uir::Panel &kinds = model->panels[0];
    EXPECT_EQ(kinds.closeControl, "KINDS_QUIT");
    EXPECT_EQ(kinds.size, QSize(640, 420));
    const std::vector<std::pair<int, uir::Kind>> expected = {{FX_CMD, uir::Kind::Command},
                                                             {FX_TOGGLE, uir::Kind::Toggle},
                                                             {FX_INT, uir::Kind::Numeric},
                                                             {FX_DBL, uir::Kind::Numeric},
                                                             {FX_INT_IND, uir::Kind::NumericIndicator},
                                                             {FX_RING, uir::Kind::Ring},
                                                             {FX_TEXT, uir::Kind::Text},
                                                             {FX_TEXT_IND, uir::Kind::TextIndicator},
                                                             {FX_LABEL, uir::Kind::TextIndicator},
                                                             {FX_LED, uir::Kind::Led},
                                                             {FX_CHECK, uir::Kind::Toggle},
                                                             {FX_PROGRESS, uir::Kind::NumericIndicator},
                                                             {FX_GRAPH, uir::Kind::Graph},
                                                             {FX_STRIP, uir::Kind::StripChart},
                                                             {FX_TIMER, uir::Kind::Timer},
                                                             {FX_QUIT, uir::Kind::Command}};
    ASSERT_EQ(kinds.controls.size(), expected.size());
    for (const auto &[number, kind] : expected)
        EXPECT_EQ(kinds.control(number)->kind, kind) << number;
    const uir::Panel &plain = model->panels[1];
    ASSERT_EQ(plain.menuBars.size(), 1u);
    const uir::MenuBar &bar = plain.menuBars[0];
    EXPECT_EQ(bar.number, 1);
    ASSERT_EQ(bar.items.size(), 2u); // the separator is no item
    EXPECT_EQ(bar.items[0].name, "PLAINMENU_ONE");
    EXPECT_EQ(bar.items[1].number, FX_MENU_TWO);
    EXPECT_EQ(bar.items[1].callback, "menuCb"); // inherited from the menu bar
}

TEST(UirModel, RejectsMalformedFiles)
{
    const struct {
        const char *what;
        QByteArray text;
    } cases[] = {
        {"not XML", "this is not a form"},
        {"no tab widget", "<ui version=\"4.0\"><widget class=\"QWidget\" name=\"P\"/></ui>"},
        {"no panel", "<ui version=\"4.0\"><widget class=\"QTabWidget\" name=\"t\"/></ui>"},
        {"unsupported class", page("<widget class=\"QSlider\" name=\"P_LEVEL\"/>")},
        {"duplicate name",
         page("<widget class=\"QLineEdit\" name=\"P_A\"/><widget class=\"QLabel\" name=\"P_A\"/>")},
        {"closeControl elsewhere",
         page("<property name=\"closeControl\" stdset=\"0\"><string>P_X</string></property>")},
        {"panel named twice", page("", "<widget class=\"QWidget\" name=\"P\"/>")},
    };
    for (const auto &c : cases) {
        QString why;
        EXPECT_FALSE(uir::parse(c.text, &why)) << c.what;
        EXPECT_FALSE(why.isEmpty()) << c.what;
    }
}

TEST(UirModel, DecorationGetsNoConstant)
{
    const auto model =
        uir::parse(page("<widget class=\"QGroupBox\" name=\"box\"><widget class=\"QLabel\" "
                        "name=\"caption\"/><widget class=\"QLineEdit\" name=\"P_NAME\"/></widget>"),
                   nullptr);
    ASSERT_TRUE(model);
    ASSERT_EQ(model->panels[0].controls.size(), 1u);
    EXPECT_EQ(model->panels[0].controls[0].number, 2);
}

// Every line of the generated kinds table names, under its number, the widget
// that LoadPanel puts there.
TEST(Generator, ConstantsAgreeWithLoadedPanels)
{
    struct Entry {
        int panel, control;
        const char *name, *kind;
    };
    const Entry entries[] = {
#define UCT_CONTROL(panel, control, name, kind) {panel, control, name, kind},
#include "uctpanels_kinds.inc"
#undef UCT_CONTROL
    };
    const auto model = uir::parse(readFile(UCT_RESOURCE_PATH), nullptr);
    ASSERT_TRUE(model);
    ASSERT_TRUE(registerIgnoringCallbacks(UCT_RESOURCE_PATH));
    uitest::Activate();
    std::map<int, int> handles;
    for (const Entry &e : entries) {
        const uir::Panel *panel = model->panel(e.panel);
        ASSERT_TRUE(panel) << e.name;
        EXPECT_STREQ(uir::kindName(panel->control(e.control)->kind), e.kind) << e.name;
        if (!handles.count(e.panel)) {
            handles[e.panel] = LoadPanel(0, UCT_RESOURCE_PATH, e.panel);
            ASSERT_GT(handles[e.panel], 0) << e.name;
        }
        QWidget *w = uitest::ControlWidget(handles[e.panel], e.control);
        ASSERT_NE(w, nullptr) << e.name;
        EXPECT_EQ(w->objectName().toStdString(), e.name);
    }
    EXPECT_EQ(MAIN, 1);
    for (const auto &[panel, handle] : handles)
        DiscardPanel(handle);
    uitest::Deactivate();
}

TEST(Generator, RewritesOutputsOnlyWhenTheirContentChanges)
{
    QTemporaryDir dir;
    const QString header = dir.filePath("uctpanels.h"), kinds = dir.filePath("kinds.inc");
    auto run = [&](const std::string &source) {
        return QProcess::execute(UIRGEN_PATH, {QString::fromStdString(source), header, kinds});
    };
    ASSERT_EQ(run(fixture("kinds.uir")), 0);
    const QDateTime old = QDateTime::currentDateTime().addDays(-1);
    for (const QString &path : {header, kinds}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(run(fixture("kinds.uir")), 0);
    EXPECT_EQ(QFileInfo(header).lastModified(), old);
    EXPECT_TRUE(readFile(header.toStdString()).contains("#define PLAINMENU_TWO"));
    EXPECT_NE(run(fixture("not-resource.uir")), 0);
    EXPECT_EQ(QFileInfo(header).lastModified(), old); // a failed run leaves the outputs alone
}

} // namespace
