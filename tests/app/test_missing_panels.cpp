// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up when the resource file cannot be found: this test program lives
// away from the resource file and runs in a folder without it.
#include "apptest.h"

TEST_F(AppTest, AMissingPanelEndsStartUpWithItsLoadError)
{
    // Chassis, answer, popups.
    const std::tuple<const char *, int, std::vector<std::string>> cases[] = {
        {"PXI3::10::INSTR", 0, {"Module Init", "Error loading main panel"}},
        {"", 1, {"No ZORa 3917's Found", "Error loading main panel"}},
        // Nothing can be chosen without the choice panel: no wait on it.
        {"PXI3::10::INSTR;PXI4::12::INSTR", 1, {"Error loading choice panel"}},
    };
    for (const auto &[chassis, answer, titles] : cases) {
        setenv("UCT_SIMKIT_CHASSIS", chassis, 1);
        SetUp();
        uitest::ScriptPopupAnswers({answer});
        EXPECT_EQ(runSoftFrontPanel(), EXIT_STARTUP_FAILED);
        ASSERT_EQ(popupLines(false), titles);
        EXPECT_EQ(uitest::Popups().back().text, "Error " + std::to_string(UIE_FILE_NOT_FOUND) +
                                                    " returned from function LoadPanel() with file "
                                                    "'ZORa-3917 UCT Control Panel.uir'");
    }
}
