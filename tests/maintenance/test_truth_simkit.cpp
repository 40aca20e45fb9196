// SPDX-License-Identifier: GPL-3.0-or-later
// A module of the simulated PXI system that stops answering ("dieafter"):
// one report per refresh or handler instead of one per query.
#include "caltest.h"

#include <cstdlib>

namespace
{

class DeadModuleTest : public CalibrationTest
{
  protected:
    // A fresh module that answers nothing after its session opens.
    void openDeadModule()
    {
        kq3917e_close(instrSession);
        // A chassis text of its own each time stands up a fresh module.
        static int fresh = 100;
        char chassis[80];
        snprintf(chassis, sizeof chassis, "PXI0::7-0.0::INSTR,seed=%d,dieafter=1", ++fresh);
        setenv("UCT_SIMKIT_CHASSIS", chassis, 1);
        ASSERT_EQ(kq3917e_init("PXI0::7-0.0::INSTR", 1, 0, &instrSession), VI_SUCCESS);
        uitest::ClearPopups();
    }
};

// Lines of each popup that name an action and the no-answer status.
std::string reportedLines()
{
    std::string counts;
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        int lines = 0;
        for (size_t at = popup.text.find(": 0xBFFF0015\n"); at != std::string::npos;
             at = popup.text.find(": 0xBFFF0015\n", at + 1)) {
            lines++;
        }
        counts += popup.title + " " + std::to_string(lines) + ";";
    }
    return counts;
}

TEST_F(DeadModuleTest, OneRefreshOrHandlerGivesOneReport)
{
    registerMaintenanceCallbacks();
    const struct {
        const char *action;
        std::string popups;
    } cases[] = {
        {"focus", "API Error 23;"},
        {"function", "API Error 24;"},
        {"reset", "Soft Front Panel Error 0;API Error 23;"},
    };
    for (const auto &[action, popups] : cases) {
        openDeadModule();
        uitest::ScriptPopupAnswers({1}); // "Ignore" where the system panel asks
        if (std::string(action) == "focus") {
            uitest::CallPanelCallback(mainPanel, EVENT_GOT_FOCUS);
        } else if (std::string(action) == "function") {
            uitest::CallCtrlCallback(mainPanel, MAIN_FUNCTION_UP, EVENT_COMMIT);
        } else {
            ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
            uitest::CallCtrlCallback(configSysPanel, CONFIGSYS_RESET, EVENT_COMMIT);
            DiscardPanel(configSysPanel);
            configSysPanel = 0;
        }
        EXPECT_EQ(reportedLines(), popups) << action;
    }
}

} // namespace
