// SPDX-License-Identifier: GPL-3.0-or-later
// What a bench counter offers besides its settings: the program's version
// and the keyboard.
#include "mainpaneltest.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <tuple>

TEST_F(MainPanelTest, AboutAndVersionPanelsShowTheBuildsVersion)
{
    press(MAIN_ABOUT);
    press(MAIN_VERSION);
    char about[64] = "", version[64] = "";
    GetCtrlVal(aboutPanel, ABOUT_PROGRAM_VERSION, about);
    GetCtrlVal(versionPanel, VERSION_PROGRAM, version);
    EXPECT_EQ(std::string(about) + "|" + version, "Version " UCT_SFP_VERSION "|" UCT_SFP_VERSION);
}

// The panel's window shown and active, as for the user's keys.
static QWidget *activate(int panel)
{
    QWidget *window = uitest::PanelWidget(panel);
    window->show();
    QApplication::setActiveWindow(window);
    return window;
}

static void key(int panel, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(activate(panel), key, modifiers);
}

static std::string tooltip(int panel, int control)
{
    return uitest::ControlWidget(panel, control)->toolTip().toStdString();
}

TEST_F(MainPanelTest, RunKeysPressTheirButtonsEvenWhileAFieldIsBeingTyped)
{
    struct Case {
        int control;
        Qt::Key key;
        const char *calls, *tip;
    } cases[] = {
        {MAIN_CONTINUOUS, Qt::Key_F5, "triggerContinuous(1)", "Start continuous measurement (F5)"},
        {MAIN_SINGLE, Qt::Key_F6, "triggerContinuous(0)",
         "Stop continuous measurement and take one reading (F6)"},
        {MAIN_ABORT, Qt::Key_F7, "abortMeasurement()", "Abort the measurement in progress (F7)"},
    };
    QWidget *field = uitest::ControlWidget(mainPanel, MAIN_TRIG_LEVEL_1);
    activate(mainPanel); // its refresh comes now, not with the first key
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tip);
        drvtest::ClearCalls();
        field->setFocus();
        QTest::keyClicks(field, "0.2");
        key(mainPanel, c.key);
        EXPECT_EQ(calls(), c.calls);
        EXPECT_EQ(tooltip(mainPanel, c.control), c.tip);
        EXPECT_TRUE(field->hasFocus()) << "the field keeps the focus";
    }
}

TEST_F(MainPanelTest, HelpAndQuitKeys)
{
    key(mainPanel, Qt::Key_F1);
    EXPECT_EQ(uitest::LaunchedCommands().size() + uitest::Popups().size(), 1u)
        << "help, or why there is none";
    key(mainPanel, Qt::Key_Q, Qt::ControlModifier);
    QTimer::singleShot(0, [] { QuitUserInterface(-9); }); // reached only when the key did not quit
    EXPECT_EQ(RunUserInterface(), 0);
    ResumeTimerCallbacks();
    EXPECT_EQ(tooltip(mainPanel, MAIN_HELP) + "|" + tooltip(mainPanel, MAIN_QUIT),
              "Open the help file (F1)|Quit the program (Ctrl+Q)");
}

// Escape closes the secondary panel it is pressed on, as its Close button.
TEST_F(MainPanelTest, EscapeClosesTheSecondaryPanel)
{
    for (auto [control, handle, close] :
         {std::tuple{MAIN_VERSION, &versionPanel, VERSION_CLOSE},
          std::tuple{MAIN_ABOUT, &aboutPanel, ABOUT_CLOSE}, std::tuple{MAIN_MATH, &mathPanel, MATH_CLOSE},
          std::tuple{MAIN_HISTOGRAM, &histogramPanel, HISTO_CLOSE}}) {
        press(control);
        const int panel = *handle, loaded = uitest::LoadedPanelCount();
        EXPECT_EQ(tooltip(panel, close), "Close this panel (Esc)");
        key(panel, Qt::Key_Escape);
        EXPECT_EQ(uitest::LoadedPanelCount(), loaded - 1) << control;
        if (uitest::PanelWidget(panel) == nullptr)
            *handle = 0;
    }
    key(mainPanel, Qt::Key_Escape);
    EXPECT_EQ(uitest::LoadedPanelCount(), 1) << "the main panel stays";
}

// The SI display through a real click, remembered for the next run in a
// settings store of this test's own; a no-reading stays dashes.
// The store's place is fixed at the first use in the process, whichever
// test that is: it is set before any.
static QTemporaryDir config;
static const bool configSet = setenv("XDG_CONFIG_HOME", config.path().toUtf8().constData(), 1) == 0;

TEST_F(MainPanelTest, SiDisplayIsChosenByClickAndRemembered)
{
    ASSERT_TRUE(configSet);
    QFile::remove(config.path() + "/uct-sfp/uct-sfp.conf");
    loadReadingDisplay();
    EXPECT_EQ(readingDisplay, READING_ENGINEERING) << "nothing stored: engineering";
    QWidget *toggle = uitest::ControlWidget(mainPanel, MAIN_SI_DISPLAY);
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(text(MAIN_READING), "0.000 000 0 ");
    showNoReading();
    EXPECT_EQ(text(MAIN_READING), "----- --- - ");
    readingDisplay = READING_ENGINEERING; // as a new run starts
    loadReadingDisplay();
    EXPECT_EQ(readingDisplay, READING_SI);
    EXPECT_TRUE(QFile::exists(config.path() + "/uct-sfp/uct-sfp.conf"));
    formatReading(0.0);
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(text(MAIN_READING), "0.0000000E+00  ");
}
