// SPDX-License-Identifier: GPL-3.0-or-later
// The status lamp: ONLINE while the module answers, NO RESPONSE after a
// reading it did not give (silently) until a call answers again, be it a
// reading, the refresh or a setting, DEMO in demonstration mode whatever
// happens.
#include "mainpaneltest.h"

namespace
{

// One step: what is done, with which driver operation failing ("" none).
enum Step { FOCUS, SINGLE, CONTINUOUS, SETTING, DEMO_SWITCH };
struct LampStep {
    Step step;
    const char *refused;
    const char *shown;
};
struct LampCase {
    const char *name;
    int demo;
    std::vector<LampStep> steps;
};

void PrintTo(const LampCase &c, std::ostream *out)
{
    *out << c.name;
}

class StatusLamp : public MainPanelTest, public ::testing::WithParamInterface<LampCase>
{
};

TEST_P(StatusLamp, SaysWhetherTheModuleAnswers)
{
    demoMode = GetParam().demo;
    for (const auto &[step, refused, shown] : GetParam().steps) {
        drvtest::ClearRefusals();
        if (*refused)
            drvtest::Refuse(refused, VI_ERROR_TMO);
        switch (step) {
        case FOCUS:
            uitest::CallPanelCallback(mainPanel, EVENT_GOT_FOCUS);
            break;
        case SINGLE:
            press(MAIN_SINGLE);
            uitest::TimerTick(mainPanel, MAIN_TIMER);
            break;
        case CONTINUOUS:
            press(MAIN_CONTINUOUS);
            uitest::TimerTick(mainPanel, MAIN_TIMER);
            break;
        case SETTING:
            press(MAIN_COUPLING);
            break;
        case DEMO_SWITCH: // as the system panel's "Demo" answer does
            demoMode = 1;
            showModuleStatus(MODULE_ONLINE);
            break;
        }
        EXPECT_EQ(lamp(), shown) << "step " << step << " refused '" << refused << "'";
    }
    EXPECT_EQ(uitest::Popups().size(), 0u) << "the reading path stays silent";
}

const char *const online = "ONLINE|lit", *const silent = "NO RESPONSE|dark", *const demo = "DEMO|lit";
INSTANTIATE_TEST_SUITE_P(
    Steps, StatusLamp,
    ::testing::Values(
        LampCase{"ModuleAnswers", 0, {{FOCUS, "", online}, {SINGLE, "", online}, {CONTINUOUS, "", online}}},
        LampCase{"FailedReadUntilAReadAnswers",
                 0,
                 {{FOCUS, "", online}, {SINGLE, "kq3917e_read", silent}, {SINGLE, "", online}}},
        LampCase{"FailedReadUntilASettingAnswers",
                 0,
                 {{SINGLE, "kq3917e_read", silent}, {SETTING, "", online}, {SINGLE, "kq3917e_read", silent}}},
        LampCase{"FailedFetchUntilTheRefreshAnswers",
                 0,
                 {{CONTINUOUS, "kq3917e_fetch", silent},
                  {CONTINUOUS, "kq3917e_fetch", silent},
                  {FOCUS, "", online}}},
        LampCase{"DemonstrationAnsweringOrNot",
                 1,
                 {{FOCUS, "", demo}, {SINGLE, "kq3917e_read", demo}, {CONTINUOUS, "kq3917e_fetch", demo}}},
        LampCase{"SwitchedToDemonstration", 0, {{SINGLE, "kq3917e_read", silent}, {DEMO_SWITCH, "", demo}}}),
    [](const ::testing::TestParamInfo<LampCase> &info) { return info.param.name; });

} // namespace
