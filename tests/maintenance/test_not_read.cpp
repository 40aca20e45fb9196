// SPDX-License-Identifier: GPL-3.0-or-later
// What the system panel did not read it says so; a reset refreshes the main
// panel whatever the answer to its report, and "Demo" renames the main panel.
#include "maintenancetest.h"

#include <tuple>

namespace
{

const ViStatus kError = -1074001000;

TEST_F(MaintenanceTest, UnreadValuesSaySo)
{
    const std::string read = "TIMEOUT|POWER-ON TEST", unread = "TIMEOUT (NOT READ)|POWER-ON TEST (NOT READ)";
    // demoMode, refusal of both reads, captions
    const std::tuple<int, ViStatus, std::string> cases[] = {
        {0, 0, read}, {1, 0, unread}, {0, kError, unread}, {0, 0, read}};
    for (const auto &[demo, refusal, shown] : cases) {
        demoMode = demo;
        refuse({"kq3917e_readSystTimeout", "kq3917e_queryPostResult"}, refusal);
        uitest::CallPanelCallback(configSysPanel, EVENT_GOT_FOCUS);
        char timeout[64] = "", post[64] = "";
        GetCtrlAttribute(configSysPanel, CONFIGSYS_TIMEOUT, ATTR_LABEL_TEXT, timeout, sizeof timeout);
        GetCtrlAttribute(configSysPanel, CONFIGSYS_POST_RESULT, ATTR_LABEL_TEXT, post, sizeof post);
        EXPECT_EQ(std::string(timeout) + "|" + post, shown) << demo << " " << refusal;
    }
}

TEST_F(MaintenanceTest, ResetRefreshesWhateverTheAnswer)
{
    for (int answer : {1, 3, 2}) { // Ignore, Close Panel, Demo
        if (configSysPanel == 0) {
            ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
        }
        refuse({"kq3917e_resetCounter"}, kError, {answer});
        EXPECT_EQ(press(CONFIGSYS_RESET), 0);
        const std::string calls = driverCalls();
        EXPECT_NE(calls.find("queryMeasurement", calls.find("resetCounter")), std::string::npos) << calls;
        EXPECT_EQ(configSysPanel == 0, answer == 3);
    }
    char title[SHARED_TEXT_SIZE] = "";
    GetPanelAttribute(mainPanel, ATTR_TITLE, title, sizeof title);
    EXPECT_STREQ(title, "ZORa 3917 Universal Counter Timer [Demonstration mode]");
}

} // namespace
