// SPDX-License-Identifier: GPL-3.0-or-later
// The panel resource file against what the program needs of it: every
// control the program uses exists with the right kind, value type and
// callback; every callback name is one the program registers; every panel
// loads, renders within a 1366x768 screen without overlapping controls; and
// the panels start in the state the program expects.
#include "resourcekit.h"
#include "uctpanels.h"
#include "userint.h"
#include "userint_testseam.h"

#include <QLayout>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace
{

using resourcekit::Role;

// ------------------------------------------------------------ generated table
struct Generated {
    int panel;
    int control;
    const char *name;
    const char *kind;
};
const Generated generated[] = {
#define UCT_CONTROL(panel, control, name, kind) {panel, control, name, kind},
#include "uctpanels_kinds.inc"
#undef UCT_CONTROL
};

const Generated *findGenerated(const std::string &name)
{
    for (const Generated &g : generated)
        if (name == g.name)
            return &g;
    return nullptr;
}

const resourcekit::Index &fileIndex()
{
    static const resourcekit::Index index = resourcekit::readIndex(resourcekit::resourceFile());
    return index;
}

// ------------------------------------------------------------ expected controls
struct Expected {
    std::string panel;
    std::string name;
    std::string kind;
    std::string valueType; // int16, int32, double; empty when the kind has no numeric type
    std::string callback;  // empty: no callback
};

void add(std::vector<Expected> &out, const std::string &panel, const std::vector<std::string> &names,
         const std::string &kind, const std::string &type, const std::string &callback)
{
    for (const std::string &n : names)
        out.push_back({panel, n, kind, type, callback});
}

std::vector<std::string> numbered(const std::string &prefix, int first, int last, bool twoDigits = false)
{
    std::vector<std::string> out;
    for (int i = first; i <= last; ++i)
        out.push_back(prefix + (twoDigits && i < 10 ? "0" : "") + std::to_string(i));
    return out;
}

std::vector<Expected> expectedControls()
{
    std::vector<Expected> e;
    const std::string m = "setCtrMainEvent";
    add(e, "MAIN", {"MAIN_FUNCTION_UP",      "MAIN_FUNCTION_DOWN", "MAIN_AVERAGING",
                    "MAIN_STANDARD",         "MAIN_COUPLING",      "MAIN_IMPEDANCE",
                    "MAIN_FILTER",           "MAIN_IN1_ATTEN",     "MAIN_IN2_ATTEN",
                    "MAIN_CHANNEL_COUPLING", "MAIN_SLOPE",         "MAIN_HYSTERESIS",
                    "MAIN_IN1_TRIG_MODE",    "MAIN_IN2_TRIG_MODE", "MAIN_AUTO_TRIG_FREQ",
                    "MAIN_ARM_MODE",         "MAIN_DELAY_BUTTON",  "MAIN_GATE",
                    "MAIN_CONTINUOUS",       "MAIN_SINGLE",        "MAIN_ABORT",
                    "MAIN_CLEAR_COUNTS",     "MAIN_SYSTEM",        "MAIN_MATH",
                    "MAIN_HISTOGRAM",        "MAIN_STRIPCHART",    "MAIN_ABOUT",
                    "MAIN_VERSION",          "MAIN_HELP"},
        "command", "", m);
    add(e, "MAIN", {"MAIN_QUIT"}, "command", "", "exitSFP");
    add(e, "MAIN", {"MAIN_TIMER"}, "timer", "", "TimerFunction");
    add(e, "MAIN", {"MAIN_APERTURE"}, "numeric", "int32", m);
    add(e, "MAIN", {"MAIN_RESOLUTION"}, "numeric", "int16", m);
    add(e, "MAIN", {"MAIN_TRIG_LEVEL_1", "MAIN_TRIG_LEVEL_2", "MAIN_EXT_ARM_LEVEL", "MAIN_DELAY"}, "numeric",
        "double", m);
    add(e, "MAIN",
        {"MAIN_START_ARM_SOURCE", "MAIN_STOP_ARM_SOURCE", "MAIN_EXT_ARM_SOURCE", "MAIN_GATE_OUTPUT"}, "ring",
        "", m);
    add(e, "MAIN", numbered("MAIN_FN_", 0, 24, true), "led", "", m);
    add(e, "MAIN",
        {"MAIN_IN1_COUPLING_LED",
         "MAIN_IN2_COUPLING_LED",
         "MAIN_IN1_IMPEDANCE_LED",
         "MAIN_IN2_IMPEDANCE_LED",
         "MAIN_IN1_FILTER_LED",
         "MAIN_IN2_FILTER_LED",
         "MAIN_IN1_ATT_X1_LED",
         "MAIN_IN1_ATT_X10_LED",
         "MAIN_IN2_ATT_X1_LED",
         "MAIN_IN2_ATT_X10_LED",
         "MAIN_CHANNEL_COUPLING_LED",
         "MAIN_IN1_SLOPE_LED",
         "MAIN_IN2_SLOPE_LED",
         "MAIN_IN1_HYST_LED",
         "MAIN_IN2_HYST_LED",
         "MAIN_ARM_HYST_LED",
         "MAIN_IN1_TRIG_MODE1_LED",
         "MAIN_IN1_TRIG_MODE2_LED",
         "MAIN_IN1_TRIG_MODE3_LED",
         "MAIN_IN2_TRIG_MODE1_LED",
         "MAIN_IN2_TRIG_MODE2_LED",
         "MAIN_IN2_TRIG_MODE3_LED",
         "MAIN_IN1_AUTO_LED",
         "MAIN_IN2_AUTO_LED",
         "MAIN_AUTO_FREQ0_LED",
         "MAIN_AUTO_FREQ1_LED",
         "MAIN_STANDARD0_LED",
         "MAIN_STANDARD1_LED",
         "MAIN_STANDARD2_LED",
         "MAIN_ARM_MODE0_LED",
         "MAIN_ARM_MODE1_LED",
         "MAIN_AVERAGING_LED",
         "MAIN_DELAY_LED",
         "MAIN_GATE_LED",
         "MAIN_STATUS_LED"},
        "led", "", "");
    add(e, "MAIN", {"MAIN_READING", "MAIN_UNITS", "MAIN_SLOT"}, "text-indicator", "", "");

    add(e, "CHOOSE", numbered("CHOOSE_SELECT_", 1, 10), "command", "", "choose_3917");
    add(e, "CHOOSE", {"CHOOSE_CANCEL"}, "command", "", "choose_3917");
    add(e, "CHOOSE", numbered("CHOOSE_RESOURCE_", 1, 10), "text-indicator", "", "");
    add(e, "CHOOSE", numbered("CHOOSE_SLOT_", 1, 10), "text-indicator", "", "");

    add(e, "VERSION", {"VERSION_DRIVER_REV", "VERSION_FIRMWARE_REV", "VERSION_MODULE_DATA", "VERSION_VISA"},
        "text-indicator", "", "");
    add(e, "VERSION", {"VERSION_CLOSE"}, "command", "", "exit_about");

    add(e, "ABOUT", {"ABOUT_CLOSE", "ABOUT_WEB"}, "command", "", "infoEvent");

    const std::string c = "setConfigSysEvent";
    add(e, "CONFIGSYS",
        {"CONFIGSYS_CLOSE", "CONFIGSYS_NVM", "CONFIGSYS_FIRMWARE", "CONFIGSYS_CALIBRATE",
         "CONFIGSYS_SELF_TEST", "CONFIGSYS_RESET"},
        "command", "", c);
    add(e, "CONFIGSYS", {"CONFIGSYS_PROGRESS"}, "numeric-indicator", "double", "");
    add(e, "CONFIGSYS", {"CONFIGSYS_INT_LEVEL", "CONFIGSYS_INT_MASK"}, "numeric", "int16", c);
    add(e, "CONFIGSYS", {"CONFIGSYS_POST_RESULT"}, "numeric-indicator", "int16", "");
    add(e, "CONFIGSYS", {"CONFIGSYS_TIMEOUT"}, "numeric", "int32", c);

    add(e, "MATH", {"MATH_VALUE1", "MATH_VALUE2"}, "numeric", "double", "configMathEvent");
    add(e, "MATH", {"MATH_ENABLE_LED"}, "led", "", "");
    add(e, "MATH", {"MATH_ENABLE", "MATH_CLOSE"}, "command", "", "configMathEvent");

    const std::string h = "histogramEvent";
    add(e, "HISTO", {"HISTO_GRAPH"}, "graph", "", "");
    add(e, "HISTO", {"HISTO_SAMPLES"}, "numeric", "int32", h);
    add(e, "HISTO", {"HISTO_COUNT"}, "numeric-indicator", "int32", "");
    add(e, "HISTO", {"HISTO_MIN", "HISTO_MAX", "HISTO_MEAN", "HISTO_STDDEV", "HISTO_MODE"},
        "numeric-indicator", "double", "");
    add(e, "HISTO", {"HISTO_START", "HISTO_SAVE", "HISTO_CLOSE"}, "command", "", h);

    add(e, "STRIPCHART", {"STRIPCHART_CHART"}, "stripchart", "", "");
    add(e, "STRIPCHART", {"STRIPCHART_CLOSE"}, "command", "", "stripChartEvent");

    const std::string f = "kq3917cal_fticCallback";
    for (const std::string in : {"FTIC_IN1_", "FTIC_IN2_"}) {
        add(e, "FTIC", {in + "LEVEL_POS", in + "LEVEL_ZERO", in + "LEVEL_NEG", in + "HYSTERESIS"}, "command",
            "", f);
        add(e, "FTIC", {in + "HYST_LED", in + "OUT_OF_TOL"}, "led", "", "");
        add(e, "FTIC", {in + "THRESHOLD"}, "numeric", "int16", f);
        add(e, "FTIC", {in + "MEASURE"}, "toggle", "", f);
        add(e, "FTIC", {in + "READING"}, "numeric-indicator", "double", "");
    }
    add(e, "FTIC",
        {"FTIC_IN1_DAC5", "FTIC_IN1_DAC6", "FTIC_IN1_DAC7", "FTIC_IN2_DAC12", "FTIC_IN2_DAC13",
         "FTIC_IN2_DAC14"},
        "numeric", "int16", f);

    const std::string v = "kq3917cal_nvmCallback";
    add(e, "NVM", {"NVM_DATA_1", "NVM_DATA_2", "NVM_DATA_3"}, "text", "", v);
    add(e, "NVM", {"NVM_DATA_5", "NVM_DATA_6", "NVM_DATA_7", "NVM_DATA_8"}, "text-indicator", "", "");
    add(e, "NVM", {"NVM_CLOSE"}, "command", "", v);
    return e;
}

void PrintTo(const Expected &x, std::ostream *os)
{
    *os << x.name;
}

class Control : public ::testing::TestWithParam<Expected>
{
};

TEST_P(Control, ExistsWithItsKindTypeAndCallback)
{
    const Expected &x = GetParam();
    const Generated *g = findGenerated(x.name);
    ASSERT_NE(g, nullptr) << x.name << " is not among the generated constants";
    EXPECT_EQ(g->panel, resourcekit::panelConstant(QString::fromStdString(x.panel))) << x.name;
    EXPECT_EQ(std::string(g->kind), x.kind) << x.name;
    EXPECT_GE(g->control, 2) << x.name;

    ASSERT_TRUE(fileIndex().ok) << qPrintable(fileIndex().error);
    const resourcekit::Element *el = fileIndex().find(QString::fromStdString(x.name));
    ASSERT_NE(el, nullptr) << x.name;
    EXPECT_EQ(el->property(QStringLiteral("callback")).toStdString(), x.callback) << x.name;
    if (x.valueType == "double") {
        EXPECT_EQ(el->widgetClass, QStringLiteral("QDoubleSpinBox")) << x.name;
    } else if (!x.valueType.empty()) {
        EXPECT_EQ(el->widgetClass, QStringLiteral("QSpinBox")) << x.name;
        EXPECT_EQ(el->property(QStringLiteral("dataType")).toStdString(), x.valueType) << x.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Resource, Control, ::testing::ValuesIn(expectedControls()),
                         [](const ::testing::TestParamInfo<Expected> &info) { return info.param.name; });

// ------------------------------------------------------------ callback names
const std::set<std::string> &knownCallbacks(Role role)
{
    static const std::set<std::string> control = {
        "setCtrMainEvent", "exitSFP",         "TimerFunction",          "choose_3917",
        "infoEvent",       "exit_about",      "setConfigSysEvent",      "configMathEvent",
        "histogramEvent",  "stripChartEvent", "kq3917cal_fticCallback", "kq3917cal_nvmCallback"};
    static const std::set<std::string> panel = {"fticInit", "configSysInit", "mathInit",
                                                "kq3917cal_fticPanelCallback", "kq3917cal_nvmPanelCallback"};
    static const std::set<std::string> menu = {"calFticMenuCallback", "nvmMenuCallback"};
    return role == Role::Control ? control : role == Role::Panel ? panel : menu;
}

TEST(Callbacks, EveryBoundNameIsAProgramCallbackOfTheRightRole)
{
    ASSERT_TRUE(fileIndex().ok) << qPrintable(fileIndex().error);
    const auto all = resourcekit::bindings(fileIndex());
    ASSERT_FALSE(all.empty());
    for (const resourcekit::Binding &b : all)
        EXPECT_EQ(knownCallbacks(b.role).count(b.callback.toStdString()), 1u)
            << qPrintable(b.owner) << " binds unknown callback " << qPrintable(b.callback);
}

TEST(Callbacks, EveryGeneratedControlWithACallbackIsExpected)
{
    // A control the program does not know about but that raises events would
    // call a callback with a control number no handler expects.
    const auto expected = expectedControls();
    for (const Generated &g : generated) {
        const resourcekit::Element *el = fileIndex().find(QString::fromLatin1(g.name));
        ASSERT_NE(el, nullptr) << g.name;
        if (el->property(QStringLiteral("callback")).isEmpty())
            continue;
        const bool known = std::any_of(expected.begin(), expected.end(),
                                       [&](const Expected &x) { return x.name == g.name; });
        EXPECT_TRUE(known) << g.name << " has a callback but the program does not use it";
    }
}

// ------------------------------------------------------------ panels
struct PanelRow {
    std::string name;
    int constant;
    std::string callback;
    std::string closeControl;
};

const std::vector<PanelRow> &panelRows()
{
    static const std::vector<PanelRow> rows = {
        {"MAIN", MAIN, "fticInit", "MAIN_QUIT"},
        {"CHOOSE", CHOOSE, "", "CHOOSE_CANCEL"},
        {"VERSION", VERSION, "", "VERSION_CLOSE"},
        {"ABOUT", ABOUT, "", "ABOUT_CLOSE"},
        {"CONFIGSYS", CONFIGSYS, "configSysInit", "CONFIGSYS_CLOSE"},
        {"MATH", MATH, "mathInit", "MATH_CLOSE"},
        {"HISTO", HISTO, "", "HISTO_CLOSE"},
        {"STRIPCHART", STRIPCHART, "", "STRIPCHART_CLOSE"},
        {"FTIC", FTIC, "kq3917cal_fticPanelCallback", ""},
        {"NVM", NVM, "kq3917cal_nvmPanelCallback", ""},
    };
    return rows;
}

TEST(Panels, TenPagesInOrderWithTitleCallbackAndCloseControl)
{
    ASSERT_TRUE(fileIndex().ok) << qPrintable(fileIndex().error);
    ASSERT_EQ(fileIndex().panels.size(), panelRows().size());
    for (size_t i = 0; i < panelRows().size(); ++i) {
        const PanelRow &row = panelRows()[i];
        EXPECT_EQ(fileIndex().panels[i].toStdString(), row.name);
        EXPECT_EQ(row.constant, int(i) + 1) << row.name;
        const resourcekit::Element *page = fileIndex().find(QString::fromStdString(row.name));
        ASSERT_NE(page, nullptr) << row.name;
        EXPECT_FALSE(page->property(QStringLiteral("panelTitle")).isEmpty()) << row.name;
        EXPECT_EQ(page->property(QStringLiteral("callback")).toStdString(), row.callback) << row.name;
        EXPECT_EQ(page->property(QStringLiteral("closeControl")).toStdString(), row.closeControl) << row.name;
    }
}

struct MenuRow {
    std::string item;
    int constant;
    std::string bar;
    std::string callback;
};

TEST(Panels, MenuItemsBelongToTheirBarsWithTheMenuCallback)
{
    const MenuRow rows[] = {
        {"FTICMENU_WRITE", FTICMENU_WRITE, "FTICMENU", "calFticMenuCallback"},
        {"FTICMENU_CLOSE", FTICMENU_CLOSE, "FTICMENU", "calFticMenuCallback"},
        {"NVMMENU_WRITE", NVMMENU_WRITE, "NVMMENU", "nvmMenuCallback"},
        {"NVMMENU_CLOSE", NVMMENU_CLOSE, "NVMMENU", "nvmMenuCallback"},
    };
    for (const MenuRow &row : rows) {
        const resourcekit::Element *item = fileIndex().find(QString::fromStdString(row.item));
        const resourcekit::Element *bar = fileIndex().find(QString::fromStdString(row.bar));
        ASSERT_NE(item, nullptr) << row.item;
        ASSERT_NE(bar, nullptr) << row.bar;
        EXPECT_GE(row.constant, 2) << row.item;
        EXPECT_FALSE(item->property(QStringLiteral("text")).isEmpty()) << row.item;
        const QString own = item->property(QStringLiteral("callback"));
        EXPECT_EQ((own.isEmpty() ? bar->property(QStringLiteral("callback")) : own).toStdString(),
                  row.callback)
            << row.item;
    }
}

// ------------------------------------------------------------ loading and rendering
constexpr int screenWidth = 1366;
constexpr int screenHeight = 768;
constexpr int titleBarAndTaskbar = 60; // what the desktop keeps of the screen's height

int loadPanel(int constant)
{
    const QByteArray file = resourcekit::resourceFile().toLocal8Bit();
    return LoadPanel(0, file.constData(), constant);
}

void PrintTo(const PanelRow &row, std::ostream *os)
{
    *os << row.name;
}

class Rendering : public ::testing::TestWithParam<PanelRow>
{
};

TEST_P(Rendering, LoadsAndFitsTheScreenWithoutOverlaps)
{
    const PanelRow &row = GetParam();
    const int panel = loadPanel(row.constant);
    ASSERT_GT(panel, 0) << row.name << " does not load: " << panel;
    ASSERT_EQ(DisplayPanel(panel), 0);
    ProcessDrawEvents();

    QWidget *widget = uitest::PanelWidget(panel);
    ASSERT_NE(widget, nullptr);
    QWidget *window = widget->window();
    const QPixmap picture = window->grab();
    EXPECT_FALSE(picture.isNull()) << row.name;
    EXPECT_LE(window->width(), screenWidth) << row.name;
    EXPECT_LE(window->height(), screenHeight - titleBarAndTaskbar) << row.name;
    if (widget->layout()) {
        const QSize need = widget->layout()->minimumSize();
        EXPECT_LE(need.width(), widget->width()) << row.name << " squeezes its contents";
        EXPECT_LE(need.height(), widget->height()) << row.name << " squeezes its contents";
    }

    // Every visible control lies inside the window and overlaps no other.
    std::vector<std::pair<std::string, QRect>> placed;
    for (const Generated &g : generated) {
        if (g.panel != row.constant)
            continue;
        QWidget *control = uitest::ControlWidget(panel, g.control);
        ASSERT_NE(control, nullptr) << g.name;
        if (!control->isVisible() || std::string(g.kind) == "timer")
            continue;
        const QRect r(control->mapTo(window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(window->rect().contains(r)) << g.name << " lies outside its panel";
        EXPECT_GT(r.width(), 0) << g.name;
        EXPECT_GT(r.height(), 0) << g.name;
        for (const auto &[other, rect] : placed)
            EXPECT_FALSE(rect.intersects(r)) << g.name << " overlaps " << other;
        placed.emplace_back(g.name, r);
    }
    EXPECT_EQ(DiscardPanel(panel), 0);
}

INSTANTIATE_TEST_SUITE_P(Resource, Rendering, ::testing::ValuesIn(panelRows()),
                         [](const ::testing::TestParamInfo<PanelRow> &info) { return info.param.name; });

// ------------------------------------------------------------ start state
class StartState : public ::testing::Test
{
  protected:
    int load(int constant)
    {
        const int panel = loadPanel(constant);
        if (panel > 0)
            loaded_.push_back(panel);
        return panel;
    }
    void TearDown() override
    {
        for (int panel : loaded_)
            DiscardPanel(panel);
    }

  private:
    std::vector<int> loaded_;
};

TEST_F(StartState, OnlyTheFirstFunctionLedIsLit)
{
    const int panel = load(MAIN);
    ASSERT_GT(panel, 0);
    const int leds[] = {MAIN_FN_00, MAIN_FN_01, MAIN_FN_02, MAIN_FN_03, MAIN_FN_04, MAIN_FN_05, MAIN_FN_06,
                        MAIN_FN_07, MAIN_FN_08, MAIN_FN_09, MAIN_FN_10, MAIN_FN_11, MAIN_FN_12, MAIN_FN_13,
                        MAIN_FN_14, MAIN_FN_15, MAIN_FN_16, MAIN_FN_17, MAIN_FN_18, MAIN_FN_19, MAIN_FN_20,
                        MAIN_FN_21, MAIN_FN_22, MAIN_FN_23, MAIN_FN_24};
    for (int code = 0; code < 25; ++code) {
        int value = -1;
        ASSERT_EQ(GetCtrlVal(panel, leds[code], &value), 0) << code;
        EXPECT_EQ(value, code == 0 ? 1 : 0) << "function LED " << code;
    }
}

struct IntStart {
    int control;
    const char *name;
    int value;
};

TEST_F(StartState, ControlsStartWithTheProgramsStartValues)
{
    const IntStart rows[] = {
        {MAIN_START_ARM_SOURCE, "MAIN_START_ARM_SOURCE", 0},
        {MAIN_STOP_ARM_SOURCE, "MAIN_STOP_ARM_SOURCE", 0},
        {MAIN_EXT_ARM_SOURCE, "MAIN_EXT_ARM_SOURCE", 9},
        {MAIN_GATE_OUTPUT, "MAIN_GATE_OUTPUT", 8},
        {MAIN_APERTURE, "MAIN_APERTURE", 100},
        {MAIN_RESOLUTION, "MAIN_RESOLUTION", 8},
        {MAIN_IN1_TRIG_MODE1_LED, "MAIN_IN1_TRIG_MODE1_LED", 1},
        {MAIN_IN2_TRIG_MODE1_LED, "MAIN_IN2_TRIG_MODE1_LED", 1},
        {MAIN_STANDARD0_LED, "MAIN_STANDARD0_LED", 1},
        {MAIN_GATE_LED, "MAIN_GATE_LED", 0},
        {MAIN_DELAY_LED, "MAIN_DELAY_LED", 0},
        {MAIN_AVERAGING_LED, "MAIN_AVERAGING_LED", 0},
    };
    const int panel = load(MAIN);
    ASSERT_GT(panel, 0);
    for (const IntStart &row : rows) {
        int value = -1;
        ASSERT_EQ(GetCtrlVal(panel, row.control, &value), 0) << row.name;
        EXPECT_EQ(value, row.value) << row.name;
    }
}

TEST_F(StartState, DoubleControlsStartInRange)
{
    const int panel = load(MAIN);
    ASSERT_GT(panel, 0);
    struct Row {
        int control;
        const char *name;
        double value, min, max;
    };
    const Row rows[] = {
        {MAIN_TRIG_LEVEL_1, "MAIN_TRIG_LEVEL_1", 0.0, -5.1, 5.1},
        {MAIN_TRIG_LEVEL_2, "MAIN_TRIG_LEVEL_2", 0.0, -5.1, 5.1},
        {MAIN_EXT_ARM_LEVEL, "MAIN_EXT_ARM_LEVEL", 1.6, -5.1, 5.1},
        {MAIN_DELAY, "MAIN_DELAY", 0.000192, 0.0, 1.0},
    };
    for (const Row &row : rows) {
        double value = -99, min = -99, max = -99;
        ASSERT_EQ(GetCtrlVal(panel, row.control, &value), 0) << row.name;
        ASSERT_EQ(GetCtrlAttribute(panel, row.control, ATTR_MIN_VALUE, &min), 0) << row.name;
        ASSERT_EQ(GetCtrlAttribute(panel, row.control, ATTR_MAX_VALUE, &max), 0) << row.name;
        EXPECT_NEAR(value, row.value, 1e-9) << row.name;
        EXPECT_NEAR(min, row.min, 1e-9) << row.name;
        EXPECT_NEAR(max, row.max, 1e-9) << row.name;
    }
}

TEST_F(StartState, ArmSourceRingsHoldCodesZeroToTenAndGateOutputHoldsEight)
{
    const int panel = load(MAIN);
    ASSERT_GT(panel, 0);
    for (int control : {MAIN_START_ARM_SOURCE, MAIN_STOP_ARM_SOURCE, MAIN_EXT_ARM_SOURCE}) {
        for (int16_t code = 0; code <= 10; ++code) {
            ASSERT_EQ(SetCtrlVal(panel, control, code), 0) << "code " << code;
            int16_t back = -1;
            ASSERT_EQ(GetCtrlVal(panel, control, &back), 0);
            EXPECT_EQ(back, code);
        }
    }
    ASSERT_EQ(SetCtrlVal(panel, MAIN_GATE_OUTPUT, int16_t(8)), 0);
}

TEST_F(StartState, GateButtonReadsTotOpen)
{
    const int panel = load(MAIN);
    ASSERT_GT(panel, 0);
    char label[64] = "";
    ASSERT_EQ(GetCtrlAttribute(panel, MAIN_GATE, ATTR_LABEL_TEXT, label, int(sizeof label)), 0);
    EXPECT_STREQ(label, "TOT OPEN");
}

TEST_F(StartState, HistogramOpensIdleWithSaveDimmed)
{
    const int panel = load(HISTO);
    ASSERT_GT(panel, 0);
    int samples = -1, dimmed = -1, startDimmed = -1;
    ASSERT_EQ(GetCtrlVal(panel, HISTO_SAMPLES, &samples), 0);
    EXPECT_GE(samples, 1);
    EXPECT_LE(samples, 100);
    ASSERT_EQ(GetCtrlAttribute(panel, HISTO_SAVE, ATTR_DIMMED, &dimmed), 0);
    EXPECT_EQ(dimmed, 1);
    ASSERT_EQ(GetCtrlAttribute(panel, HISTO_START, ATTR_DIMMED, &startDimmed), 0);
    EXPECT_EQ(startDimmed, 0);
}

TEST_F(StartState, FirmwareProgressStartsHiddenEvenOnceShown)
{
    const int panel = load(CONFIGSYS);
    ASSERT_GT(panel, 0);
    ASSERT_EQ(DisplayPanel(panel), 0);
    int visible = -1, firmwareVisible = -1;
    ASSERT_EQ(GetCtrlAttribute(panel, CONFIGSYS_PROGRESS, ATTR_VISIBLE, &visible), 0);
    EXPECT_EQ(visible, 0);
    ASSERT_EQ(GetCtrlAttribute(panel, CONFIGSYS_FIRMWARE, ATTR_VISIBLE, &firmwareVisible), 0);
    EXPECT_EQ(firmwareVisible, 1);
}

TEST(Timer, TicksEveryTenMilliseconds)
{
    const resourcekit::Element *timer = fileIndex().find(QStringLiteral("MAIN_TIMER"));
    ASSERT_NE(timer, nullptr);
    bool ok = false;
    const double interval = timer->property(QStringLiteral("interval")).toDouble(&ok);
    ASSERT_TRUE(ok);
    EXPECT_DOUBLE_EQ(interval, 0.010);
}

} // namespace

int main(int argc, char *argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!InitUIRuntime(argc, argv))
        return 1;
    if (resourcekit::registerDummyCallbacks(fileIndex()) == 0)
        return 1;
    return RUN_ALL_TESTS();
}
