// SPDX-License-Identifier: GPL-3.0-or-later
// What a bench counter offers besides its settings: the program's version.
#include "mainpaneltest.h"

TEST_F(MainPanelTest, AboutAndVersionPanelsShowTheBuildsVersion)
{
    press(MAIN_ABOUT);
    press(MAIN_VERSION);
    char about[64] = "", version[64] = "";
    GetCtrlVal(aboutPanel, ABOUT_PROGRAM_VERSION, about);
    GetCtrlVal(versionPanel, VERSION_PROGRAM, version);
    EXPECT_EQ(std::string(about) + "|" + version, "Version " UCT_SFP_VERSION "|" UCT_SFP_VERSION);
}

