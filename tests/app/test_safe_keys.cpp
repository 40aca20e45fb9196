// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks and keys that must not do what the user did not mean, through Qt:
// a Select button of an empty choice row, and Enter on the about panel.
#include "apptest.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

// Row 2's probe fails and rows 4 to 10 hold no module: their Select buttons
// are dimmed, and a click on one chooses nothing.
TEST_F(AppTest, ChoicePanelDimsEmptyRows)
{
    setenv("UCT_SIMKIT_CHASSIS", "PXI3::10::INSTR,slot=6;PXI4::12::INSTR,noslot;PXI5::13::INSTR,slot=9", 1);
    SetUp();
    std::string dimmed;
    int chosenByClick = CHOICE_NONE;
    QTimer::singleShot(0, [&] {
        int panel = 1, d = -1;
        while (!uitest::ControlWidget(panel, CHOOSE_CANCEL))
            panel++;
        static_assert(CHOOSE_SELECT_10 - CHOOSE_SELECT_1 == 27);
        for (int row = 0; row < MAX_MODULES; row++)
            dimmed +=
                std::to_string((GetCtrlAttribute(panel, CHOOSE_SELECT_1 + 3 * row, ATTR_DIMMED, &d), d));
        QTest::mouseClick(uitest::ControlWidget(panel, CHOOSE_SELECT_2), Qt::LeftButton);
        chosenByClick = chosenIndex;
        QTest::mouseClick(uitest::ControlWidget(panel, CHOOSE_CANCEL), Qt::LeftButton);
    });
    EXPECT_EQ(openInstrumentSession(), SESSION_GAVE_UP);
    EXPECT_EQ(dimmed + " " + std::to_string(chosenByClick), "0101111111 -1");
}

// The about panel opens with Close focused: Enter closes it, no browser starts.
TEST_F(AppTest, AboutPanelEnterCloses)
{
    DisplayPanel(aboutPanel = LoadPanel(0, RESOURCE_FILE, ABOUT));
    uitest::PanelWidget(aboutPanel)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(uitest::PanelWidget(aboutPanel)));
    ASSERT_EQ(QApplication::focusWidget(), uitest::ControlWidget(aboutPanel, ABOUT_CLOSE));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(aboutPanel, 0);
    EXPECT_TRUE(uitest::LaunchedCommands().empty());
}
