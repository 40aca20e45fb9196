// SPDX-License-Identifier: GPL-3.0-or-later
// The keys of the main panel on screen: a run key presses its button while a
// field is being typed, which keeps the focus; Ctrl+Q quits.
#include "mainpaneltest.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

TEST_F(MainPanelTest, RunAndQuitKeys)
{
    QWidget *field = uitest::ControlWidget(mainPanel, MAIN_TRIG_LEVEL_1),
            *window = uitest::PanelWidget(mainPanel);
    window->show();
    QApplication::setActiveWindow(window); // its refresh comes now, not with the key
    field->setFocus();
    QTest::keyClicks(field, "0.2");
    drvtest::ClearCalls();
    QTest::keyClick(window, Qt::Key_F5);
    EXPECT_EQ(calls() + (field->hasFocus() ? "" : " and the focus lost"), "triggerContinuous(1)");
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    QTimer::singleShot(0, [] { QuitUserInterface(-9); }); // reached only when the key did not quit
    EXPECT_EQ(RunUserInterface(), 0);
    ResumeTimerCallbacks();
}
