// SPDX-License-Identifier: GPL-3.0-or-later
// What a bench counter offers besides its settings: the build's version, the
// keys (through real key presses) and the remembered SI display.
#include "mainpaneltest.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

// The settings store is placed at its first use in the process: a folder of
// this binary's own, set before any test runs.
const QTemporaryDir config;
const int configSet = setenv("XDG_CONFIG_HOME", config.path().toUtf8().constData(), 1);

// Shown and active: its refresh comes now, not with the first key.
static QWidget *shown(int panel)
{
    QWidget *window = uitest::PanelWidget(panel);
    window->show();
    QApplication::setActiveWindow(window);
    return window;
}

static std::string tip(int panel, int control)
{
    return uitest::ControlWidget(panel, control)->toolTip().toStdString() + "|";
}

TEST_F(MainPanelTest, VersionsAndKeys)
{
    press(MAIN_ABOUT), press(MAIN_VERSION);
    EXPECT_EQ(text(ABOUT_PROGRAM_VERSION, aboutPanel) + "|" + text(VERSION_PROGRAM, versionPanel),
              "Version " UCT_SFP_VERSION "|" UCT_SFP_VERSION);
    std::string tips = tip(versionPanel, VERSION_CLOSE);
    QTest::keyClick(shown(versionPanel), Qt::Key_Escape);
    EXPECT_EQ(uitest::PanelWidget(versionPanel), nullptr) << "Escape closes the panel it is pressed on";
    versionPanel = 0;
    for (int control : {MAIN_CONTINUOUS, MAIN_SINGLE, MAIN_ABORT, MAIN_HELP, MAIN_QUIT})
        tips += tip(mainPanel, control);
    EXPECT_EQ(tips,
              "Close this panel (Esc)|Start continuous measurement (F5)|Stop continuous measurement and "
              "take one reading (F6)|Abort the measurement in progress (F7)|Open the help file (F1)|Quit "
              "the program (Ctrl+Q)|");
    // A run key presses its button while a field is being typed, which keeps the focus.
    const std::pair<Qt::Key, const char *> keys[] = {{Qt::Key_F5, "triggerContinuous(1)"},
                                                     {Qt::Key_F6, "triggerContinuous(0)"},
                                                     {Qt::Key_F7, "abortMeasurement()"}};
    QWidget *field = uitest::ControlWidget(mainPanel, MAIN_TRIG_LEVEL_1), *window = shown(mainPanel);
    for (const auto &[key, call] : keys) {
        field->setFocus();
        QTest::keyClicks(field, "0.2");
        drvtest::ClearCalls();
        QTest::keyClick(window, key);
        EXPECT_EQ(calls() + (field->hasFocus() ? "" : " and the focus lost"), call);
    }
    QTest::keyClick(window, Qt::Key_F1);
    EXPECT_EQ(uitest::LaunchedCommands().size() + uitest::Popups().size(), 1u)
        << "help, or why there is none";
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    QTimer::singleShot(0, [] { QuitUserInterface(-9); }); // reached only when the key did not quit
    EXPECT_EQ(RunUserInterface(), 0);
    ResumeTimerCallbacks();
}

// Chosen by a real click, remembered for the next run; a no-reading stays dashes.
TEST_F(MainPanelTest, SiDisplayIsRemembered)
{
    ASSERT_EQ(configSet, 0);
    QFile::remove(config.path() + "/uct-sfp/uct-sfp.conf");
    loadReadingDisplay();
    EXPECT_EQ(readingDisplay, READING_ENGINEERING) << "nothing stored: engineering";
    formatReading(0.0);
    QTest::mouseClick(uitest::ControlWidget(mainPanel, MAIN_SI_DISPLAY), Qt::LeftButton);
    EXPECT_EQ(text(MAIN_READING), "0.000 000 0 ");
    showNoReading();
    EXPECT_EQ(text(MAIN_READING), "----- --- - ");
    readingDisplay = READING_ENGINEERING; // as a new run starts, its text in engineering notation
    showNoReading();
    loadReadingDisplay();
    EXPECT_EQ(readingDisplay, READING_SI);
    shown(mainPanel);
    EXPECT_EQ(text(MAIN_READING), "----- --- - ") << "the panel's first focus shows the text in SI";
}
