// SPDX-License-Identifier: GPL-3.0-or-later
// The panel resource file against what the program needs of it: every
// control the program uses exists with its kind and callback, and no other
// control raises events; every panel loads, fits a 1280x800 screen without
// overlapping controls or cut texts and numbers its controls as the generated
// constants say; the panels start in the state the program expects; value
// ranges equal the module's limits; tab order and focus marks.
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
#include <QToolTip>

#include <QTimer>
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

// The controls the program uses, by kind and callback. names() reads lists of
// names separated by spaces, with braces expanded as in a shell: "IN{1,2}_LED"
// is IN1_LED and IN2_LED, "FN_{00..24}" is FN_00 to FN_24.
struct Uses {
    const char *kind, *callback, *names;
};
const Uses uses[] = {
    {"command", "setCtrMainEvent",
     "MAIN_{FUNCTION_UP,FUNCTION_DOWN,AVERAGING,STANDARD,COUPLING,IMPEDANCE,FILTER,IN1_ATTEN,IN2_ATTEN,"
     "CHANNEL_COUPLING,SLOPE,HYSTERESIS,IN1_TRIG_MODE,IN2_TRIG_MODE,AUTO_TRIG_FREQ,ARM_MODE,DELAY_BUTTON,"
     "GATE,CONTINUOUS,SINGLE,ABORT,CLEAR_COUNTS,SYSTEM,MATH,HISTOGRAM,STRIPCHART,STABILITY,ABOUT,VERSION,"
     "HELP,LIMIT,SAVE_SETUP,RECALL_SETUP}"},
    {"toggle", "setCtrMainEvent", "MAIN_SI_DISPLAY"},
    {"command", "exitSFP", "MAIN_QUIT"},
    {"timer", "TimerFunction", "MAIN_TIMER"},
    {"numeric", "setCtrMainEvent", "MAIN_{APERTURE,RESOLUTION,EXT_ARM_LEVEL,DELAY} MAIN_TRIG_LEVEL_{1,2}"},
    {"ring", "setCtrMainEvent", "MAIN_{START_ARM_SOURCE,STOP_ARM_SOURCE,EXT_ARM_SOURCE,GATE_OUTPUT}"},
    {"led", "setCtrMainEvent", "MAIN_FN_{00..24}"},
    {"led", "",
     "MAIN_IN{1,2}_{COUPLING,IMPEDANCE,FILTER,SLOPE,HYST,AUTO,ATT_X1,ATT_X10,TRIG_MODE1,TRIG_MODE2}_LED "
     "MAIN_{IN1_TRIG_MODE3,IN2_TRIG_MODE3,CHANNEL_COUPLING,ARM_HYST,AUTO_FREQ0,AUTO_FREQ1,STANDARD0,"
     "STANDARD1,STANDARD2,ARM_MODE0,ARM_MODE1,AVERAGING,DELAY,GATE,STATUS}_LED MATH_ENABLE_LED "
     "FTIC_IN{1,2}_{HYST_LED,OUT_OF_TOL}"},
    {"text-indicator", "",
     "MAIN_{READING,UNITS,SLOT,ANNUNCIATOR,MATH_ANNUNCIATOR,LIMIT_ANNUNCIATOR} "
     "CHOOSE_{RESOURCE,SLOT}_{1..10} "
     "NVM_DATA_{5..8} VERSION_{PROGRAM,DRIVER_REV,FIRMWARE_REV,MODULE_DATA,VISA} FTIC_IN{1,2}_READING "
     "ABOUT_PROGRAM_VERSION LIMIT_{UPPER,LOWER}_UNIT STRIPCHART_RECORD_STATE "
     "STABILITY_{TABLE,INFO,WARNINGS}"},
    {"command", "choose_3917", "CHOOSE_SELECT_{1..10} CHOOSE_CANCEL"},
    {"command", "exit_about", "VERSION_CLOSE"},
    {"command", "infoEvent", "ABOUT_{CLOSE,WEB}"},
    {"command", "setConfigSysEvent", "CONFIGSYS_{CLOSE,NVM,FIRMWARE,CALIBRATE,SELF_TEST,RESET}"},
    {"numeric", "setConfigSysEvent", "CONFIGSYS_{INT_LEVEL,INT_MASK,TIMEOUT}"},
    {"numeric-indicator", "",
     "CONFIGSYS_{PROGRESS,POST_RESULT} HISTO_{COUNT,FAILED,MIN,MAX,MEAN,STDDEV,MODE} STABILITY_PROGRESS "
     "LIMIT_{READINGS,PASSES,FAILS}"},
    {"numeric", "configMathEvent", "MATH_VALUE{1,2}"},
    {"command", "configMathEvent", "MATH_{ENABLE,CLOSE}"},
    {"graph", "", "HISTO_GRAPH"},
    {"numeric", "histogramEvent", "HISTO_SAMPLES"},
    {"command", "histogramEvent", "HISTO_{START,SAVE,CLOSE}"},
    {"stripchart", "", "STRIPCHART_CHART"},
    {"command", "stripChartEvent", "STRIPCHART_{CLEAR,CLOSE}"},
    {"toggle", "stripChartEvent", "STRIPCHART_{RECORD,AUTO_Y}"},
    {"toggle", "", "STRIPCHART_PAUSE"},
    {"numeric", "stripChartEvent", "STRIPCHART_Y_{MIN,MAX}"},
    {"command", "stabilityEvent", "STABILITY_{LOAD,COMPUTE,SAVE,CLOSE}"},
    {"ring", "stabilityEvent", "STABILITY_{SOURCE,KIND,TAUS,DEVIATION}"},
    {"numeric", "", "STABILITY_{NOMINAL,TAU0}"},
    {"graph", "", "STABILITY_GRAPH"},
    {"timer", "stabilityEvent", "STABILITY_TIMER"},
    {"command", "kq3917cal_fticCallback", "FTIC_IN{1,2}_{LEVEL_POS,LEVEL_ZERO,LEVEL_NEG,HYSTERESIS}"},
    {"numeric", "kq3917cal_fticCallback", "FTIC_IN{1,2}_THRESHOLD FTIC_IN1_DAC{5..7} FTIC_IN2_DAC{12..14}"},
    {"toggle", "kq3917cal_fticCallback", "FTIC_IN{1,2}_MEASURE"},
    {"text", "kq3917cal_nvmCallback", "NVM_DATA_{1..3}"},
    {"command", "kq3917cal_nvmCallback", "NVM_CLOSE"},
    {"numeric", "limitEvent", "LIMIT_{UPPER,LOWER}"},
    {"toggle", "limitEvent", "LIMIT_ENABLE"},
    {"command", "limitEvent", "LIMIT_{RESET,CLOSE}"},
};

QStringList names(const QString &patterns)
{
    QStringList out;
    if (patterns.contains(' ')) {
        for (const QString &pattern : patterns.split(' '))
            out << names(pattern);
        return out;
    }
    const qsizetype open = patterns.indexOf('{'), close = patterns.indexOf('}');
    if (open < 0)
        return {patterns};
    QStringList parts = patterns.mid(open + 1, close - open - 1).split(',');
    if (const QStringList range = parts[0].split(QStringLiteral("..")); range.size() == 2) {
        parts.clear();
        for (int i = range[0].toInt(); i <= range[1].toInt(); ++i)
            parts << QStringLiteral("%1").arg(i, int(range[0].size()), 10, QChar('0'));
    }
    for (const QString &part : parts)
        out << names(patterns.left(open) + part + patterns.mid(close + 1));
    return out;
}

TEST(Controls, EveryUsedControlExistsWithItsKindAndCallbackAndNoOtherRaisesEvents)
{
    std::map<std::string, const Uses *> used;
    for (const Uses &u : uses)
        for (const QString &name : names(u.names))
            used[name.toStdString()] = &u;
    EXPECT_EQ(used.size(), 247u);
    for (const Generated &g : generated) {
        const auto it = used.find(g.name);
        const QString callback = model().panel(g.panel)->control(g.control)->callback;
        EXPECT_TRUE(it != used.end() || callback.isEmpty()) << g.name << " raises events the program ignores";
        if (it == used.end())
            continue;
        EXPECT_EQ(g.kind, it->second->kind) << g.name;
        EXPECT_EQ(callback.toStdString(), it->second->callback) << g.name;
        used.erase(it);
    }
    for (const auto &[name, u] : used)
        ADD_FAILURE() << name << " has no generated constant";
}

// Whether w shows its caption or text whole: a wrapping label has the height
// its text needs, any other label, LED or button the width.
bool showsTextWhole(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w); label && label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    return w->sizeHint().width() <= w->width();
}

// Each panel's callback, close control and menu item callbacks; then each
// panel loaded and shown: it fits a 1280x800 screen (a 2560x1600 one at a
// scale factor of 2; the test runs at 1 and 2), every control lies inside
// it, overlaps no other and sits under the number its generated constant
// gives, and every caption, label and button text shows whole.
TEST(Panels, LoadFitTheScreenAndAgreeWithTheGeneratedConstants)
{
    QStringList wiring;
    for (const uir::Panel &p : model().panels) {
        wiring << QStringList{p.name, p.callback, p.closeControl}.join(':');
        for (const uir::MenuBar &bar : p.menuBars)
            for (const uir::MenuItem &item : bar.items)
                wiring.last() += ':' + item.callback;
    }
    EXPECT_EQ(wiring.join(' ').toStdString(),
              "MAIN:fticInit:MAIN_QUIT CHOOSE::CHOOSE_CANCEL VERSION::VERSION_CLOSE ABOUT::ABOUT_CLOSE "
              "CONFIGSYS:configSysInit:CONFIGSYS_CLOSE MATH:mathInit:MATH_CLOSE HISTO::HISTO_CLOSE "
              "STRIPCHART::STRIPCHART_CLOSE FTIC:kq3917cal_fticPanelCallback::calFticMenuCallback:"
              "calFticMenuCallback NVM:kq3917cal_nvmPanelCallback::nvmMenuCallback:nvmMenuCallback "
              "STABILITY::STABILITY_CLOSE LIMIT::LIMIT_CLOSE");
    for (const uir::Panel &def : model().panels) {
        SCOPED_TRACE(def.name.toStdString());
        const int panel = LoadPanel(0, resourceFile, def.number);
        ASSERT_EQ(DisplayPanel(panel), 0) << panel;
        ProcessDrawEvents();
        QWidget *window = uitest::PanelWidget(panel)->window();
        EXPECT_FALSE(window->grab().isNull());
        EXPECT_LE(window->width(), 1280 - 10); // what the window frame leaves
        EXPECT_LE(window->height(), 800 - 60); // what the title bar and the taskbar leave
        for (const QWidget *w : window->findChildren<QWidget *>()) {
            if (w->isVisible() &&
                (qobject_cast<const QLabel *>(w) || qobject_cast<const QAbstractButton *>(w))) {
                EXPECT_TRUE(showsTextWhole(w)) << w->objectName().toStdString() << " cuts its text";
            }
        }
        std::vector<std::pair<std::string, QRect>> placed;
        for (const Generated &g : generated) {
            if (g.panel != def.number)
                continue;
            QWidget *w = uitest::ControlWidget(panel, g.control);
            ASSERT_NE(w, nullptr) << g.name;
            EXPECT_EQ(w->objectName().toStdString(), g.name);
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
}

TEST(StartState, PanelsOpenAsTheProgramExpects)
{
    std::map<int, int> panels;
    for (int id : {MAIN, HISTO, CONFIGSYS, STRIPCHART})
        ASSERT_EQ(DisplayPanel(panels[id] = LoadPanel(0, resourceFile, id)), 0);
    const struct {
        int panel;
        const char *names;
        int attribute; // 0: the value
        double min, max;
    } rows[] = {
        {MAIN, "MAIN_{START,STOP}_ARM_SOURCE MAIN_FN_{01..24} MAIN_{GATE,DELAY,AVERAGING}_LED", 0, 0, 0},
        {MAIN, "MAIN_FN_00 MAIN_IN{1,2}_TRIG_MODE1_LED MAIN_STANDARD0_LED", 0, 1, 1},
        {MAIN, "MAIN_EXT_ARM_SOURCE", 0, 9, 9},
        {MAIN, "MAIN_GATE_OUTPUT MAIN_RESOLUTION", 0, 8, 8},
        {HISTO, "HISTO_SAMPLES", 0, 1, 100},
        {HISTO, "HISTO_SAVE", ATTR_DIMMED, 1, 1},
        {CONFIGSYS, "CONFIGSYS_PROGRESS", ATTR_VISIBLE, 0, 0},
        {STRIPCHART, "STRIPCHART_PAUSE", 0, 0, 0},
        {STRIPCHART, "STRIPCHART_AUTO_Y", 0, 1, 1},
        {STRIPCHART, "STRIPCHART_Y_{MIN,MAX}", ATTR_DIMMED, 1, 1}};
    for (const auto &row : rows)
        for (const QString &name : names(row.names)) {
            const int p = panels[row.panel], c = model().panel(row.panel)->control(name)->number;
            double v = -1;
            EXPECT_EQ(0, row.attribute ? GetCtrlAttribute(p, c, row.attribute, &v) : GetCtrlVal(p, c, &v));
            EXPECT_TRUE(v > row.min - 1e-9 && v < row.max + 1e-9) << name.toStdString() << " starts at " << v;
        }
    for (int ring : {MAIN_START_ARM_SOURCE, MAIN_STOP_ARM_SOURCE, MAIN_EXT_ARM_SOURCE})
        for (int code = 0; code <= 10; ++code)
            EXPECT_EQ(SetCtrlVal(panels[MAIN], ring, code), 0) << ring << " has no item " << code;
    const auto *timer = uitest::ControlWidget(panels[MAIN], MAIN_TIMER)->findChild<QTimer *>();
    EXPECT_EQ(timer ? timer->interval() : 0, 10);
    for (const auto &[id, panel] : panels)
        DiscardPanel(panel);
}

// Every value control holds every value the module can report and offers
// none it refuses: numeric ranges and ring codes equal the module's limits.
TEST(Ranges, ValueControlsOfferExactlyWhatTheModuleAccepts)
{
    const uctsim::Limits &m = uctsim::limits();
    const struct {
        const char *names;
        double min, max;
    } numerics[] = {
        {"MAIN_APERTURE", double(m.apertureMin), double(m.apertureMax)},
        {"MAIN_RESOLUTION", double(m.resolutionMin), double(m.resolutionMax)},
        {"MAIN_TRIG_LEVEL_{1,2}", -m.levelRange[0], m.levelRange[0]}, // attenuation 0, the start state
        {"MAIN_EXT_ARM_LEVEL", -m.armLevelMax, m.armLevelMax},
        {"MAIN_DELAY", 0, m.delayMax},
        {"CONFIGSYS_TIMEOUT", double(m.timeoutMinMs), double(m.timeoutMaxMs)},
        {"CONFIGSYS_INT_LEVEL", 0, double(m.interruptLevelMax)},
        {"FTIC_IN{1,2}_THRESHOLD", 0, double(m.thresholdDacMax)},
        {"FTIC_IN1_DAC{5..7} FTIC_IN2_DAC{12..14}", 0, double(m.otherDacMax)},
        {"MATH_VALUE{1,2}", -m.mathValueMax, m.mathValueMax},
    };
    const struct {
        const char *names;
        int max; // codes 0 … max, each once
    } rings[] = {{"MAIN_{START,STOP,EXT}_ARM_SOURCE", m.armSourceMax},
                 {"MAIN_GATE_OUTPUT", m.gateOutputMax},
                 // The stability panel's rings carry the analysis layer's codes.
                 {"STABILITY_DEVIATION", STABILITY_KINDS - 1},
                 {"STABILITY_TAUS", STABILITY_ALL},
                 {"STABILITY_KIND", STABILITY_PHASE}};

    std::map<int, int> loaded;
    auto find = [&](const QString &name, int *panel, int *control) {
        for (const uir::Panel &p : model().panels)
            if (const uir::Control *c = p.control(name)) {
                if (!loaded.count(p.number))
                    loaded[p.number] = LoadPanel(0, resourceFile, p.number);
                *panel = loaded[p.number];
                *control = c->number;
                return true;
            }
        return false;
    };
    for (const auto &row : numerics)
        for (const QString &name : names(row.names)) {
            int panel = 0, control = 0;
            ASSERT_TRUE(find(name, &panel, &control)) << name.toStdString();
            double min = 0, max = 0;
            EXPECT_EQ(GetCtrlAttribute(panel, control, ATTR_MIN_VALUE, &min), 0);
            EXPECT_EQ(GetCtrlAttribute(panel, control, ATTR_MAX_VALUE, &max), 0);
            EXPECT_DOUBLE_EQ(min, row.min) << name.toStdString();
            EXPECT_DOUBLE_EQ(max, row.max) << name.toStdString();
        }
    for (const auto &row : rings)
        for (const QString &name : names(row.names)) {
            int panel = 0, control = 0;
            ASSERT_TRUE(find(name, &panel, &control)) << name.toStdString();
            EXPECT_EQ(qobject_cast<QComboBox *>(uitest::ControlWidget(panel, control))->count(), row.max + 1)
                << name.toStdString();
            for (int code = -1; code <= row.max + 1; ++code)
                EXPECT_EQ(SetCtrlVal(panel, control, code),
                          code < 0 || code > row.max ? UIE_INVALID_VALUE : 0)
                    << name.toStdString() << " code " << code;
        }
    for (const auto &[id, panel] : loaded)
        DiscardPanel(panel);
}

QWidget *shownPanel(int panel)
{
    QWidget *window = uitest::PanelWidget(panel)->window();
    QApplication::setActiveWindow(window);
    ProcessDrawEvents();
    return window;
}

// The control that holds the keyboard focus (a spin box's inner editor counts
// as its spin box).
std::string focusedControl()
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (w->objectName().startsWith(QLatin1String("MAIN_")))
            return w->objectName().toStdString();
    return "(none)";
}

// Tab walks the main panel group by group, left to right and top to bottom,
// starting at RUN, and comes back round.
TEST(Keyboard, TabFollowsTheMainPanelsGroupsFromRun)
{
    const int panel = LoadPanel(0, resourceFile, MAIN);
    ASSERT_EQ(DisplayPanel(panel), 0);
    shownPanel(panel);
    QStringList order = names(
        "MAIN_{CONTINUOUS,SINGLE,ABORT,FUNCTION_DOWN,FUNCTION_UP,COUPLING,IMPEDANCE,FILTER,"
        "SLOPE,HYSTERESIS,IN1_ATTEN,CHANNEL_COUPLING,IN2_ATTEN,IN1_TRIG_MODE,AUTO_TRIG_FREQ,"
        "IN2_TRIG_MODE,TRIG_LEVEL_1,TRIG_LEVEL_2,APERTURE,RESOLUTION,AVERAGING,STANDARD,"
        "START_ARM_SOURCE,STOP_ARM_SOURCE,EXT_ARM_SOURCE,EXT_ARM_LEVEL,ARM_MODE,GATE,"
        "CLEAR_COUNTS,GATE_OUTPUT,DELAY_BUTTON,DELAY,SYSTEM,MATH,HISTOGRAM,STRIPCHART,STABILITY,VERSION,"
        "ABOUT,HELP,SI_DISPLAY,LIMIT,SAVE_SETUP,RECALL_SETUP,QUIT,CONTINUOUS}");
    for (const QString &expected : order) {
        EXPECT_EQ(focusedControl(), expected.toStdString());
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
    }
    DiscardPanel(panel);
}

// Every control that takes the keyboard focus looks different with it.
TEST(Keyboard, EveryFocusableControlShowsAFocusMark)
{
    for (const uir::Panel &def : model().panels) {
        const int panel = LoadPanel(0, resourceFile, def.number);
        ASSERT_EQ(DisplayPanel(panel), 0);
        shownPanel(panel);
        for (const uir::Control &c : def.controls) {
            QWidget *w = uitest::ControlWidget(panel, c.number);
            if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
                continue;
            if (QWidget *focused = QApplication::focusWidget())
                focused->clearFocus();
            ProcessDrawEvents();
            ASSERT_FALSE(w->hasFocus()) << c.name.toStdString();
            const QImage without = w->grab().toImage();
            w->setFocus(Qt::TabFocusReason);
            ProcessDrawEvents();
            ASSERT_TRUE(w->hasFocus()) << c.name.toStdString();
            EXPECT_NE(w->grab().toImage(), without) << c.name.toStdString() << " shows no focus mark";
        }
        DiscardPanel(panel);
    }
}

// The version panel shows the module's longest data text whole; a text too
// long for any field shows whole in its tooltip.
TEST(Texts, ShowWholeOrWholeInTheTooltip)
{
    const int panel = LoadPanel(0, resourceFile, VERSION);
    ASSERT_EQ(DisplayPanel(panel), 0);
    shownPanel(panel);
    uctsim::Module module;
    ViChar data[KQ3917E_MODULE_DATA_SIZE] = "";
    ASSERT_EQ(module.queryModuleData(uctsim::Module::kModuleDataItems, data), VI_SUCCESS);
    ASSERT_EQ(SetCtrlVal(panel, VERSION_MODULE_DATA, data), 0);
    auto *label = qobject_cast<QLabel *>(uitest::ControlWidget(panel, VERSION_MODULE_DATA));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(showsTextWhole(label)) << data;

    const QString longest = QString(QStringLiteral("module data ")).repeated(40);
    ASSERT_EQ(SetCtrlVal(panel, VERSION_MODULE_DATA, qPrintable(longest)), 0);
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
    if (!InitUIRuntime(argc, argv) || model().panels.empty())
        return 1;
    return RUN_ALL_TESTS();
}
