// SPDX-License-Identifier: GPL-3.0-or-later
// After SYSTEM > RESET the main panel shows what the module reports: one
// function LED, its unit, the closed gate and the math switched off, whatever
// function and state the panel showed before, reset after reset.
#include "maintables.h"
#include "maintenancetest.h"

namespace
{

std::string mainText(int control)
{
    char text[64] = "";
    GetCtrlVal(mainPanel, control, text);
    return text;
}

TEST_F(MaintenanceTest, ResetLeavesTheMainPanelShowingTheModule)
{
    // DUTY A, PERIOD A, PERIOD A again, the reset function itself, TOTALIZE.
    for (int start : {24, 2, 2, 0, 14}) {
        uitest::CallCtrlCallback(mainPanel, functionControls[start], EVENT_LEFT_CLICK);
        uitest::CallCtrlCallback(mainPanel, MAIN_GATE, EVENT_COMMIT);
        ASSERT_EQ(kq3917e_mathCalculation(instrSession, 1, 0.0, 1, 0.0, 1), VI_SUCCESS);
        uitest::CallPanelCallback(mainPanel, EVENT_GOT_FOCUS);
        ASSERT_EQ(mainText(MAIN_MATH_ANNUNCIATOR), "MATH");
        refuse({}, 0);

        press(CONFIGSYS_RESET);

        std::string lit;
        for (int code = 0; code < FUNCTION_COUNT; code++) {
            int on = 0;
            GetCtrlVal(mainPanel, functionControls[code], &on);
            lit += on ? std::to_string(code) + " " : "";
        }
        int gate = 1;
        GetCtrlVal(mainPanel, MAIN_GATE_LED, &gate);
        EXPECT_EQ(lit + mainText(MAIN_UNITS) + " " + std::to_string(gate) + mainText(MAIN_MATH_ANNUNCIATOR),
                  "0 Hz 0")
            << "reset from function " << start;
        EXPECT_EQ(gateOpen, 0);
        EXPECT_EQ(uitest::Popups().size(), 0u);
    }
}

} // namespace
