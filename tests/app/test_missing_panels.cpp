// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up when the resource file cannot be found: this test program lives
// away from the resource file and runs in a folder without it.
#include "simpxi.h"

namespace
{

TEST_F(SimulatedPxi, AMissingPanelEndsStartUpWithItsLoadError)
{
    struct Case {
        const char *chassis;
        std::vector<int> answers;
        std::vector<std::string> titles;
        bool opened;
    };
    const Case cases[] = {
        {"PXI3::10::INSTR;", {0}, {"Module Init", "Error loading main panel"}, true},
        {"", {1}, {"No ZORa 3917's Found", "Error loading main panel"}, false},
        // Nothing can be chosen without the choice panel: no wait on it.
        {"PXI3::10::INSTR;PXI4::12::INSTR;", {}, {"Error loading choice panel"}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.titles.back());
        standUp(c.chassis);
        uitest::ScriptPopupAnswers(c.answers);
        EXPECT_EQ(runSoftFrontPanel(), EXIT_STARTUP_FAILED);
        ASSERT_EQ(popupTitles(), c.titles);
        EXPECT_EQ(uitest::Popups().back().text, "Error " + std::to_string(UIE_FILE_NOT_FOUND) +
                                                    " returned from function LoadPanel() with file "
                                                    "'ZORa-3917 UCT Control Panel.uir'");
        // The session stays open; nothing closes it on this way out.
        EXPECT_EQ(instrSession != 0, c.opened);
        EXPECT_TRUE(callsNamed("kq3917e_close").empty());
        EXPECT_EQ(mainPanel, 0);
    }
}

} // namespace
