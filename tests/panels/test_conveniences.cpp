// SPDX-License-Identifier: GPL-3.0-or-later
// What a bench counter offers besides its settings: the keyboard.
#include "mainpaneltest.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

// Keys on the shown and active main panel: the run keys press their buttons
// even while a field is being typed, which keeps the focus; F1 opens the help
// or says why there is none; Ctrl+Q quits.
TEST_F(MainPanelTest, RunHelpAndQuitKeys)
{
    QWidget *field = uitest::ControlWidget(mainPanel, MAIN_TRIG_LEVEL_1),
            *window = uitest::PanelWidget(mainPanel);
    window->show();
    QApplication::setActiveWindow(window); // its refresh comes now, not with the first key
    for (auto [key, sent] : {std::pair{Qt::Key_F5, "triggerContinuous(1)"},
                             {Qt::Key_F6, "triggerContinuous(0)"},
                             {Qt::Key_F7, "abortMeasurement()"}}) {
        drvtest::ClearCalls();
        field->setFocus();
        QTest::keyClicks(field, "0.2");
        QTest::keyClick(window, key);
        EXPECT_EQ(calls() + (field->hasFocus() ? "" : " and the focus lost"), sent);
    }
    QTest::keyClick(window, Qt::Key_F1);
    EXPECT_EQ(uitest::LaunchedCommands().size() + uitest::Popups().size(), 1u);
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    QTimer::singleShot(0, [] { QuitUserInterface(-9); }); // reached only when the key did not quit
    EXPECT_EQ(RunUserInterface(), 0);
    ResumeTimerCallbacks();
}
