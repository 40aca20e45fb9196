// SPDX-License-Identifier: GPL-3.0-or-later
// The reporters, and the about and version panels.
#include "apptest.h"

// A warning is shown and passed over. An error offers Ignore (Enter), Demo
// (Esc) and Close Panel; Demo simulates and resets the same session. The
// start-up report cuts the driver's explanation at 80 characters, and shows in
// any mode; start-up shows the other statuses.
TEST_F(AppTest, Reporters)
{
    ASSERT_GT(driverText(KQ3917E_ERROR_NOT_INSTALLED).size(), 80u) << "no text long enough to be cut";
    instrSession = 4242;
    // The error unanswered: Esc.
    EXPECT_EQ((std::vector{reportSfpError(VI_WARN_CONFIG_NLOADED, "f"), reportSfpError(VI_ERROR_TMO, "f"),
                           demoMode}),
              (std::vector<int>{SFP_ERROR_CONTINUE, SFP_ERROR_CONTINUE, 1}));
    EXPECT_EQ(callsTo({"kq3917e_simulate", "kq3917e_reset"}), "kq3917e_simulate(0,1) kq3917e_reset(4242,) ");
    reportError("VISA ERROR", "calling viOpenDefaultRM", KQ3917E_ERROR_NOT_INSTALLED);
    EXPECT_EQ(
        popupLines(true),
        (std::vector<std::string>{
            "Soft Front Panel Warning: Function \"f\" returned the warning:\n\"" +
                driverText(VI_WARN_CONFIG_NLOADED) + "\"\n",
            "Soft Front Panel Error: Function \"f\" returned the error:\n\"" + driverText(VI_ERROR_TMO) +
                "\"\nClick:\n  \"Ignore\" to return to the current panel\n  \"Close Panel\" to close "
                "the current panel\n  \"Demo\" to switch to the demo mode.",
            "VISA ERROR: " + reportText("calling viOpenDefaultRM", KQ3917E_ERROR_NOT_INSTALLED)}));
    const uitest::PopupRecord &p = uitest::Popups()[1];
    EXPECT_EQ(std::make_tuple(p.kind, p.buttons, p.enterButton, p.escapeButton),
              std::make_tuple("generic", std::vector<std::string>{"Ignore", "Demo", "Close Panel"}, 1, 2));
}

// The about panel may be open more than once: Close closes the pressed copy,
// and the web button opens the maker's site, on commit only. The version
// panel's Close brings the main panel back. The about panel opens with Close
// focused: Enter closes it and starts no browser.
TEST_F(AppTest, InformationPanels)
{
    const int loaded = uitest::LoadedPanelCount();
    mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
    const int version = LoadPanel(0, RESOURCE_FILE, VERSION), first = LoadPanel(0, RESOURCE_FILE, ABOUT);
    const int second = aboutPanel = LoadPanel(0, RESOURCE_FILE, ABOUT);
    for (int event : {EVENT_LEFT_CLICK, EVENT_COMMIT}) {
        uitest::CallCtrlCallback(first, ABOUT_WEB, event);
        uitest::CallCtrlCallback(first, ABOUT_CLOSE, event);
        uitest::CallCtrlCallback(version, VERSION_CLOSE, event);
        EXPECT_EQ(uitest::LoadedPanelCount(), loaded + (event == EVENT_COMMIT ? 2 : 4));
    }
    EXPECT_TRUE(aboutPanel == second && uitest::PanelWidget(mainPanel)->isVisible()) << aboutPanel;
    DisplayPanel(second);
    uitest::PanelWidget(second)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(uitest::PanelWidget(second)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(aboutPanel, 0);
    EXPECT_EQ(uitest::LaunchedCommands(),
              (std::vector<std::vector<std::string>>{{"xdg-open", MAKER_WEB_ADDRESS}}));
}
