// SPDX-License-Identifier: GPL-3.0-or-later
// A module of the simulated PXI system that stops answering ("dieafter"):
// one report per refresh or handler instead of one per query, and readings
// that show it did not answer rather than the last value.
#include "caltest.h"

#include <cstdlib>

namespace
{

class DeadModuleTest : public CalibrationTest
{
  protected:
    // The module answers `calls` more driver calls after its session opens.
    void dieAfter(int calls)
    {
        kq3917e_close(instrSession);
        // A chassis text of its own each time stands up a fresh module.
        static int fresh = 100;
        char chassis[80];
        snprintf(chassis, sizeof chassis, "PXI0::7-0.0::INSTR,seed=%d,dieafter=%d", ++fresh, calls + 1);
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
        dieAfter(0);
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

// Good readings first; then the module stops answering and the display says
// so instead of keeping the last value.
TEST_F(DeadModuleTest, ReadingsOfAGoneModuleShowNoResponse)
{
    for (int control : {MAIN_SINGLE, MAIN_CONTINUOUS}) {
        dieAfter(4); // the run button's call, one reading, two trigger level queries
        uitest::CallCtrlCallback(mainPanel, control, EVENT_COMMIT);
        uitest::TimerTick(mainPanel, MAIN_TIMER);
        EXPECT_NE(text(mainPanel, MAIN_READING).find("E+03  "), std::string::npos);
        if (control == MAIN_SINGLE) {
            uitest::CallCtrlCallback(mainPanel, control, EVENT_COMMIT);
        }
        uitest::TimerTick(mainPanel, MAIN_TIMER);
        EXPECT_EQ(text(mainPanel, MAIN_READING) + text(mainPanel, MAIN_ANNUNCIATOR),
                  "-------------  NO RESPONSE");
        // Only the refused "setting continuous off" of the second SINGLE is reported.
        EXPECT_EQ(uitest::Popups().size(), control == MAIN_SINGLE ? 1u : 0u);
    }
}

} // namespace
