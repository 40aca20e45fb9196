// SPDX-License-Identifier: GPL-3.0-or-later
// What the system panel did not read it says so; a reset refreshes the main
// panel whatever the answer to its report; a switch to demonstration mode
// names it in the main panel's title.
#include "maintenancetest.h"

#include <tuple>

namespace
{

const ViStatus kError = -1074001000;
enum { IGNORE = 1, DEMO = 2, CLOSE_PANEL = 3 };

std::string caption(int panel, int control)
{
    char text[64] = "";
    GetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, text, sizeof text);
    return text;
}

TEST_F(MaintenanceTest, UnreadValuesSaySo)
{
    const std::string read = "TIMEOUT|POWER-ON TEST", unread = "TIMEOUT (NOT READ)|POWER-ON TEST (NOT READ)";
    // demoMode, refusal of both reads, captions
    const std::tuple<int, ViStatus, std::string> cases[] = {
        {0, 0, read}, {1, 0, unread}, {0, kError, unread}, {0, 0, read}};
    for (const auto &[demo, refusal, shown] : cases) {
        SCOPED_TRACE(testing::Message() << demo << " " << refusal);
        demoMode = demo;
        refuse({"kq3917e_readSystTimeout", "kq3917e_queryPostResult"}, refusal);
        EXPECT_EQ(uitest::CallPanelCallback(configSysPanel, EVENT_GOT_FOCUS), 0);
        EXPECT_EQ(caption(configSysPanel, CONFIGSYS_TIMEOUT) + "|" +
                      caption(configSysPanel, CONFIGSYS_POST_RESULT),
                  shown);
    }
}

TEST_F(MaintenanceTest, ResetRefreshesWhateverTheAnswer)
{
    snprintf(resourceName, sizeof resourceName, "PXI3::10::INSTR");
    for (int answer : {IGNORE, CLOSE_PANEL, DEMO}) {
        SCOPED_TRACE(answer);
        if (configSysPanel == 0) {
            ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
        }
        refuse({"kq3917e_resetCounter"}, kError, {answer});
        EXPECT_EQ(press(CONFIGSYS_RESET), 0);
        const std::string calls = driverCalls();
        EXPECT_NE(calls.find("queryMeasurement", calls.find("resetCounter")), std::string::npos) << calls;
        EXPECT_EQ(configSysPanel == 0, answer == CLOSE_PANEL);
    }
    // The switch to the simulated module renamed the main panel at once.
    char title[SHARED_TEXT_SIZE] = "";
    GetPanelAttribute(mainPanel, ATTR_TITLE, title, sizeof title);
    EXPECT_STREQ(title, "ZORa 3917 Universal Counter Timer [Demonstration mode]");
}

} // namespace
