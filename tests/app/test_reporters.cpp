// SPDX-License-Identifier: GPL-3.0-or-later
// The three reporters: what each shows for zero, warning and error statuses.
#include "apptest.h"

#include <cstring>

namespace
{

using Reporters = AppTest;

std::string driverText(ViStatus status)
{
    char text[KQ3917E_MESSAGE_SIZE] = "";
    kq3917e_error_message(0, status, text);
    return text;
}

// A status the driver explains in more than 80 characters.
ViStatus longTextStatus()
{
    const ViStatus candidates[] = {KQ3917E_ERROR_NOT_INSTALLED, VI_ERROR_LIBRARY_NFOUND, VI_ERROR_RSRC_NFOUND,
                                   KQ3917E_ERROR_NOT_TRIGGERED, VI_ERROR_TMO};
    for (ViStatus status : candidates) {
        if (driverText(status).size() > 80)
            return status;
    }
    return 0;
}

TEST_F(Reporters, ReportErrorShowsCodeInDecimalAndHex)
{
    struct Case {
        ViStatus status;
        const char *codeLine;
    };
    const Case cases[] = {
        {VI_ERROR_RSRC_NFOUND, "\nError code = -1073807343 (BFFF0011)\n"},
        {VI_WARN_CONFIG_NLOADED, "\nError code = 1073676407 (3FFF0077)\n"},
        {-1, "\nError code = -1 (FFFFFFFF)\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.codeLine);
        uitest::ClearPopups();
        reportError("VISA ERROR", "calling viOpenDefaultRM", c.status);
        ASSERT_EQ(uitest::Popups().size(), 1u);
        const uitest::PopupRecord &popup = uitest::Popups()[0];
        EXPECT_EQ(popup.kind, "message");
        EXPECT_EQ(popup.title, "VISA ERROR");
        EXPECT_EQ(popup.text, "Error while calling viOpenDefaultRM" + std::string(c.codeLine) +
                                  "Error Message = '" + driverText(c.status).substr(0, 80) + "'\n");
    }
}

TEST_F(Reporters, ReportErrorCutsTheDriverTextAt80Characters)
{
    ViStatus status = longTextStatus();
    ASSERT_NE(status, 0) << "no driver text longer than 80 characters to test with";
    reportError("KQ3917 Error", "testing", status);
    const std::string &text = uitest::Popups().at(0).text;
    std::string line = text.substr(text.find("Error Message = '"));
    EXPECT_EQ(line, "Error Message = '" + driverText(status).substr(0, 80) + "'\n");
}

TEST_F(Reporters, OverlongTextsAreCutNotOverrun)
{
    std::string action(2000, 'a');
    reportError("Initialization Error", action.c_str(), VI_ERROR_TMO);
    checkError(VI_ERROR_TMO, action.c_str());
    reportSfpError(VI_ERROR_TMO, action.c_str());
    ASSERT_EQ(uitest::Popups().size(), 3u);
    EXPECT_EQ(uitest::Popups()[0].text.size(), 511u);
    EXPECT_EQ(uitest::Popups()[1].text.size(), 299u);
    EXPECT_EQ(uitest::Popups()[2].text.size(), 511u);
}

TEST_F(Reporters, CheckErrorReportsEveryNonZeroStatusInAnyMode)
{
    struct Case {
        ViStatus status;
        int demo;
        bool shown;
    };
    const Case cases[] = {
        {0, 0, false},           {0, 1, false},           {VI_WARN_CONFIG_NLOADED, 0, true},
        {VI_ERROR_TMO, 0, true}, {VI_ERROR_TMO, 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        uitest::ClearPopups();
        demoMode = c.demo;
        checkError(c.status, "setting IN1 coupling");
        if (!c.shown) {
            EXPECT_TRUE(uitest::Popups().empty());
            continue;
        }
        ASSERT_EQ(uitest::Popups().size(), 1u);
        EXPECT_EQ(uitest::Popups()[0].title, "API Error");
        EXPECT_EQ(uitest::Popups()[0].text, "setting IN1 coupling: " + driverText(c.status));
    }
}

TEST_F(Reporters, SfpErrorIsSilentInDemonstrationOrOnSuccess)
{
    const struct {
        ViStatus status;
        int demo;
    } cases[] = {{0, 0}, {VI_ERROR_TMO, 1}, {VI_WARN_CONFIG_NLOADED, 1}};
    for (const auto &c : cases) {
        demoMode = c.demo;
        EXPECT_EQ(reportSfpError(c.status, "kq3917e_resetCounter"), SFP_ERROR_CONTINUE);
    }
    EXPECT_TRUE(uitest::Popups().empty());
    EXPECT_TRUE(drvtest::Calls().empty());
}

TEST_F(Reporters, SfpWarningIsShownAndChangesNothing)
{
    EXPECT_EQ(reportSfpError(VI_WARN_CONFIG_NLOADED, "kq3917e_setSystTimeout"), SFP_ERROR_CONTINUE);
    ASSERT_EQ(uitest::Popups().size(), 1u);
    EXPECT_EQ(uitest::Popups()[0].title, "Soft Front Panel Warning");
    EXPECT_EQ(uitest::Popups()[0].text, "Function \"kq3917e_setSystTimeout\" returned the warning:\n\"" +
                                            driverText(VI_WARN_CONFIG_NLOADED) + "\"\n");
    EXPECT_EQ(demoMode, 0);
}

TEST_F(Reporters, SfpErrorOffersIgnoreDemoAndExit)
{
    reportSfpError(VI_ERROR_TMO, "kq3917e_testCounter");
    ASSERT_EQ(uitest::Popups().size(), 1u);
    const uitest::PopupRecord &popup = uitest::Popups()[0];
    EXPECT_EQ(popup.kind, "generic");
    EXPECT_EQ(popup.title, "Soft Front Panel Error");
    EXPECT_EQ(popup.text,
              "Function \"kq3917e_testCounter\" returned the error:\n\"" + driverText(VI_ERROR_TMO) +
                  "\"\nClick:\n  \"Ignore\" to return to the current panel\n  \"Exit\" to close the "
                  "current panel\n  \"Demo\" to switch to the demo mode.");
    EXPECT_EQ(popup.buttons, (std::vector<std::string>{"Ignore", "Demo", "Exit"}));
    EXPECT_EQ(popup.enterButton, 1);
    EXPECT_EQ(popup.escapeButton, 2);
}

TEST_F(Reporters, SfpErrorAnswers)
{
    struct Case {
        const char *name;
        bool scripted;
        int answer;
        int result;
        int demo;
    };
    const Case cases[] = {
        {"Ignore", true, 1, SFP_ERROR_CONTINUE, 0},
        {"Demo", true, 2, SFP_ERROR_CONTINUE, 1},
        {"Exit", true, 3, SFP_ERROR_EXIT, 0},
        {"Esc", false, 0, SFP_ERROR_CONTINUE, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        drvtest::ResetDriver();
        drvtest::StartRecording();
        uitest::ClearPopups();
        demoMode = 0;
        instrSession = 4242;
        if (c.scripted)
            uitest::ScriptPopupAnswers({c.answer});
        EXPECT_EQ(reportSfpError(VI_ERROR_TMO, "kq3917e_testCounter"), c.result);
        EXPECT_EQ(demoMode, c.demo);
        EXPECT_EQ(instrSession, 4242u);
        auto simulate = callsNamed("kq3917e_simulate");
        auto reset = callsNamed("kq3917e_reset");
        if (c.demo) {
            ASSERT_EQ(simulate.size(), 1u);
            EXPECT_EQ(simulate[0].args, "1");
            ASSERT_EQ(reset.size(), 1u);
            EXPECT_EQ(reset[0].session, 4242u);
        } else {
            EXPECT_TRUE(simulate.empty());
            EXPECT_TRUE(reset.empty());
        }
    }
}

} // namespace
