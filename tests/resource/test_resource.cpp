// SPDX-License-Identifier: GPL-3.0-or-later
// The panel resource file against what the program needs of it: every panel
// loads, fits a 1280x800 screen without overlapping controls or cut texts and
// numbers its controls as the generated constants say, with value tooltips
// that name unit and range; value ranges, ring codes and text lengths equal
// the module's limits; tab order and focus marks.
#include "resourcekit.h"
#include "stability.h"
#include "uctpanels.h"
#include "uctsim.h"
#include "userint_testseam.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QToolTip>
#include <QWidget>
#include <gtest/gtest.h>
#include <map>

namespace
{

struct Generated {
    int panel, control;
    std::string name, kind;
};
const Generated generated[] = {
#define UCT_CONTROL(panel, control, name, kind) {panel, control, name, kind},
#include "uctpanels_kinds.inc"
#undef UCT_CONTROL
};

const uir::Model &model()
{
    static const uir::Model m = loadResourceWithDummyCallbacks().value_or(uir::Model{});
    return m;
}

// Whether w, if a shown label, LED or button, shows its text whole: a
// wrapping label has the height its text needs, any other the width.
bool showsTextWhole(const QWidget *w)
{
    if (!w->isVisible() || !(qobject_cast<const QLabel *>(w) || qobject_cast<const QAbstractButton *>(w)))
        return true;
    if (auto *label = qobject_cast<const QLabel *>(w); label && label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    return w->sizeHint().width() <= w->width();
}

// Each panel loaded and shown: it fits a 1280x800 screen (a 2560x1600 one at a
// scale factor of 2; the test runs at 1 and 2), every control lies inside
// it, overlaps no other and sits under the number its generated constant
// gives, every caption, label and button text shows whole, and every value
// control's tooltip names its unit (its suffix, else its dynamic "unit").
TEST(Panels, LoadFitTheScreenAndAgreeWithTheGeneratedConstants)
{
    std::string hidden;                         // controls that start hidden, even on a shown panel
    ViChar data[KQ3917E_MODULE_DATA_SIZE] = ""; // the longest module data text, shown whole
    ASSERT_EQ(uctsim::Module().queryModuleData(uctsim::Module::kModuleDataItems, data), VI_SUCCESS);
    for (const uir::Panel &def : model().panels) {
        SCOPED_TRACE(def.name.toStdString());
        const int panel = LoadPanel(0, resourceFile, def.number);
        if (def.number == VERSION)
            SetCtrlVal(panel, VERSION_MODULE_DATA, data);
        ASSERT_EQ(DisplayPanel(panel), 0) << panel;
        ProcessDrawEvents();
        QWidget *window = uitest::PanelWidget(panel)->window();
        // What the window frame, the title bar and the taskbar leave.
        EXPECT_TRUE(window->width() <= 1280 - 10 && window->height() <= 800 - 60);
        for (const QWidget *w : window->findChildren<QWidget *>())
            EXPECT_TRUE(showsTextWhole(w)) << w->objectName().toStdString() << " cuts its text";
        std::vector<std::pair<std::string, QRect>> placed;
        for (const Generated &g : generated) {
            if (g.panel != def.number)
                continue;
            QWidget *w = uitest::ControlWidget(panel, g.control);
            ASSERT_NE(w, nullptr) << g.name;
            EXPECT_EQ(w->objectName().toStdString(), g.name);
            if (g.kind == "numeric") { // tooltip: what the value is, then its range and unit
                const QString suffix = w->property("suffix").toString().trimmed(),
                              unit = suffix.isEmpty() ? "(" + w->property("unit").toString() + ")" : suffix;
                const QStringList lines = w->toolTip().split('\n');
                EXPECT_TRUE(unit != "()" && lines.size() == 2 && !lines[0].isEmpty() &&
                            lines[1].startsWith("Range ") && lines[1].endsWith(" " + unit))
                    << g.name << ": " << w->toolTip().toStdString();
            }
            if (!w->isVisible() && g.kind != "timer")
                hidden += g.name + ' ';
            if (!w->isVisible() || g.kind == "timer")
                continue;
            const QRect r(w->mapTo(window, QPoint()), w->size());
            EXPECT_TRUE(window->rect().contains(r)) << g.name << " lies outside its panel";
            for (const auto &[other, rect] : placed)
                EXPECT_FALSE(rect.intersects(r)) << g.name << " overlaps " << other;
            placed.emplace_back(g.name, r);
        }
        EXPECT_EQ(DiscardPanel(panel), 0);
    }
    EXPECT_EQ(hidden, "CONFIGSYS_PROGRESS CONFIGSYS_FIRMWARE_NOTE ");
}

// Every value control holds every value the module can report and offers
// none it refuses: numeric ranges, ring codes and text lengths equal the
// module's limits.
TEST(Ranges, ValueControlsOfferExactlyWhatTheModuleAccepts)
{
    const uctsim::Limits &m = uctsim::limits();
    const struct {
        const char *names;
        double min, max; // a ring: its codes, each once
    } rows[] = {
        {"MAIN_APERTURE", double(m.apertureMin), double(m.apertureMax)},
        {"MAIN_RESOLUTION", double(m.resolutionMin), double(m.resolutionMax)},
        {"MAIN_TRIG_LEVEL_[12]", -m.levelRange[0], m.levelRange[0]}, // attenuation 0, the start state
        {"MAIN_EXT_ARM_LEVEL", -m.armLevelMax, m.armLevelMax},
        {"MAIN_DELAY", 0, m.delayMax},
        {"CONFIGSYS_TIMEOUT", double(m.timeoutMinMs), double(m.timeoutMaxMs)},
        {"CONFIGSYS_INT_LEVEL", 0, double(m.interruptLevelMax)},
        {"FTIC_IN[12]_THRESHOLD", 0, double(m.thresholdDacMax)},
        {"FTIC_IN1_DAC[5-7]|FTIC_IN2_DAC1[2-4]", 0, double(m.otherDacMax)},
        {"MATH_VALUE[12]", -m.mathValueMax, m.mathValueMax},
        {"MAIN_(START|STOP|EXT)_ARM_SOURCE", 0, double(m.armSourceMax)},
        {"MAIN_GATE_OUTPUT", 0, double(m.gateOutputMax)},
        // The stability panel's rings carry the analysis layer's codes.
        {"STABILITY_DEVIATION", 0, STABILITY_KINDS - 1},
        {"STABILITY_TAUS", 0, STABILITY_ALL},
        {"STABILITY_KIND", 0, STABILITY_PHASE},
    };
    std::map<int, int> loaded; // by panel constant
    for (const uir::Panel &p : model().panels)
        loaded[p.number] = LoadPanel(0, resourceFile, p.number);
    for (const auto &row : rows) {
        const QRegularExpression names(QRegularExpression::anchoredPattern(QString::fromLatin1(row.names)));
        int found = 0;
        for (const Generated &g : generated) {
            if (!names.match(QString::fromStdString(g.name)).hasMatch())
                continue;
            ++found;
            const int panel = loaded[g.panel];
            double min = 0, max = 0;
            if (auto *ring = qobject_cast<QComboBox *>(uitest::ControlWidget(panel, g.control))) {
                max = ring->count() - 1;
                for (int code = int(row.min); code <= int(row.max); ++code)
                    EXPECT_EQ(SetCtrlVal(panel, g.control, code), 0) << g.name << " code " << code;
            } else {
                GetCtrlAttribute(panel, g.control, ATTR_MIN_VALUE, &min);
                GetCtrlAttribute(panel, g.control, ATTR_MAX_VALUE, &max);
            }
            EXPECT_EQ(std::pair(min, max), std::pair(row.min, row.max)) << g.name;
        }
        EXPECT_GT(found, 0) << row.names;
    }
    // Module data fields: as many characters as the module keeps per item.
    for (int control : {NVM_DATA_1, NVM_DATA_2, NVM_DATA_3}) {
        const std::string text(
            qobject_cast<QLineEdit *>(uitest::ControlWidget(loaded[NVM], control))->maxLength(), 'x');
        EXPECT_EQ(std::pair(uctsim::Module().confModuleData(1, text.c_str()),
                            uctsim::Module().confModuleData(1, (text + 'x').c_str())),
                  std::pair(VI_SUCCESS, KQ3917E_ERROR_TEXT_TOO_LONG))
            << text.size();
    }
    for (const auto &[number, panel] : loaded)
        DiscardPanel(panel);
}

// Tab walks the main panel group by group, left to right and top to bottom,
// starting at RUN, and comes back round; each control it leaves looks
// different once the focus has gone (its focus mark).
TEST(Keyboard, TabFollowsTheMainPanelsGroupsFromRunAndLeavesAFocusMark)
{
    const int panel = LoadPanel(0, resourceFile, MAIN);
    ASSERT_EQ(DisplayPanel(panel), 0);
    QApplication::setActiveWindow(uitest::PanelWidget(panel)->window());
    const QString order =
        "CONTINUOUS SINGLE ABORT FUNCTION_DOWN FUNCTION_UP COUPLING IMPEDANCE FILTER SLOPE HYSTERESIS "
        "IN1_ATTEN CHANNEL_COUPLING IN2_ATTEN IN1_TRIG_MODE AUTO_TRIG_FREQ IN2_TRIG_MODE TRIG_LEVEL_1 "
        "TRIG_LEVEL_2 APERTURE RESOLUTION AVERAGING STANDARD START_ARM_SOURCE STOP_ARM_SOURCE "
        "EXT_ARM_SOURCE EXT_ARM_LEVEL ARM_MODE GATE CLEAR_COUNTS GATE_OUTPUT DELAY_BUTTON DELAY SYSTEM MATH "
        "HISTOGRAM STRIPCHART STABILITY VERSION ABOUT HELP SI_DISPLAY LIMIT SAVE_SETUP RECALL_SETUP QUIT "
        "CONTINUOUS";
    for (const QString &expected : order.split(' ')) {
        ProcessDrawEvents();
        QWidget *w = QApplication::focusWidget(); // a spin box's editor stands for its spin box
        while (w && !w->objectName().startsWith(QLatin1String("MAIN_")))
            w = w->parentWidget();
        ASSERT_NE(w, nullptr) << "before " << expected.toStdString();
        EXPECT_EQ(w->objectName().toStdString(), "MAIN_" + expected.toStdString());
        const QImage marked = w->grab().toImage();
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
        ProcessDrawEvents();
        EXPECT_NE(w->grab().toImage(), marked) << expected.toStdString() << " shows no focus mark";
    }
    DiscardPanel(panel);
}

// A text too long for its field shows whole in the field's tooltip.
TEST(Texts, ShowWholeInTheTooltip)
{
    const int panel = LoadPanel(0, resourceFile, VERSION);
    ASSERT_EQ(DisplayPanel(panel), 0);
    auto *label = qobject_cast<QLabel *>(uitest::ControlWidget(panel, VERSION_MODULE_DATA));
    const QString longest = QString(QStringLiteral("module data ")).repeated(40);
    SetCtrlVal(panel, VERSION_MODULE_DATA, qPrintable(longest));
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(label, &help);
    EXPECT_EQ(QToolTip::text(), longest);
    QToolTip::hideText();
    DiscardPanel(panel);
}

} // namespace

int main(int argc, char *argv[])
{
    testing::InitGoogleTest(&argc, argv);
    return InitUIRuntime(argc, argv) && !model().panels.empty() ? RUN_ALL_TESTS() : 1;
}
