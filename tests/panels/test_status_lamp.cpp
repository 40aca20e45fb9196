// SPDX-License-Identifier: GPL-3.0-or-later
// The status lamp: ONLINE while the module answers, NO RESPONSE after a
// reading it did not give (silently) until a call answers again, be it a
// reading, the refresh or a setting, DEMO in demonstration mode whatever
// happens.
#include "mainpaneltest.h"

// Per step: focus (f), Single (s), Continuous (c) with a tick each, a setting
// (t) or the switch to demonstration as the system panel's "Demo" does it
// (d); the reading failing (x) or not (.); the lamp ONLINE (O), NO RESPONSE
// (N) or DEMO (D).
TEST_F(MainPanelTest, StatusLampSaysWhetherTheModuleAnswers)
{
    const std::pair<int, const char *> cases[] = {{0, "f.O s.O c.O"}, {0, "f.O sxN s.O"}, {0, "sxN t.O sxN"},
                                                  {0, "cxN cxN f.O"}, {1, "f.D sxD cxD"}, {0, "sxN d.D"}};
    const char *shown[] = {"ONLINE|lit", "NO RESPONSE|dark", "DEMO|lit"};
    for (auto [demo, steps] : cases) {
        resetMainPanelState();
        demoMode = demo;
        for (const QString &step : QString(steps).split(' ')) {
            drvtest::ClearRefusals();
            const char action = step[0].toLatin1(), *read = action == 's' ? "kq3917e_read" : "kq3917e_fetch";
            drvtest::Refuse(step[1] == '.' ? "" : read, VI_ERROR_TMO);
            if (action == 'f')
                uitest::CallPanelCallback(mainPanel, EVENT_GOT_FOCUS);
            if (action == 's' || action == 'c')
                press(action == 's' ? MAIN_SINGLE : MAIN_CONTINUOUS), mainTicks();
            if (action == 't')
                press(MAIN_COUPLING);
            if (action == 'd')
                demoMode = 1, showModuleStatus(MODULE_ONLINE);
            EXPECT_EQ(label(MAIN_STATUS_LED) + (val<int>(MAIN_STATUS_LED) ? "|lit" : "|dark"),
                      shown[QString("OND").indexOf(step[2])])
                << steps << ": " << step.toStdString();
        }
        EXPECT_EQ(uitest::Popups().size(), 0u) << "the reading path stays silent";
    }
}
