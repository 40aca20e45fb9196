// SPDX-License-Identifier: GPL-3.0-or-later
// The VISA specification version on the version panel, read from a module
// session of the simulated PXI system's stand-in VISA library: major, minor
// and sub-minor from bits 31-20, 19-8 and 7-0.
#include "mainpaneltest.h"

#include <cstdlib>

TEST_F(MainPanelTest, VisaSpecVersionFields)
{
    setenv("UCT_SIMKIT_CHASSIS", "PXI3::10::INSTR;", 1);
    demoMode = 0;
    for (auto [value, shown] : {std::pair{"0x00500800", "5.8.0"}, std::pair{"0x01200704", "18.7.4"},
                                std::pair{"0xFFFFFFFF", "4095.4095.255"}}) {
        setenv("UCT_SIMKIT_SPEC_VERSION", value, 1);
        ViSession resourceManager = 0;
        ASSERT_GE(viOpenDefaultRM(&resourceManager), 0);
        ASSERT_GE(viOpen(resourceManager, "PXI3::10::INSTR", 0, 0, &instrSession), 0);
        ASSERT_EQ(press(MAIN_VERSION), 0);
        char text[32] = "";
        GetCtrlVal(versionPanel, VERSION_VISA, text);
        EXPECT_STREQ(text, shown) << value;
        DiscardPanel(versionPanel);
        viClose(instrSession);
        viClose(resourceManager);
    }
    instrSession = versionPanel = 0;
    unsetenv("UCT_SIMKIT_SPEC_VERSION");
}
