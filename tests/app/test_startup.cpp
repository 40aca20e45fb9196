// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up on a computer without VISA: the report, the demonstration prompt
// and the main panel, or the end when the demonstration is declined.
#include "apptest.h"

#include <uctpanels.h>

#include <string>

namespace
{

class StartupWithoutVisa : public AppTest
{
  protected:
    void SetUp() override
    {
        AppTest::SetUp();
        registerOtherLayerStubs();
    }
};

TEST_F(StartupWithoutVisa, ExplainsThenRunsTheDemonstration)
{
    uitest::ScriptPopupAnswers({1, 1});
    MainPanelView view;
    EXPECT_EQ(runAndQuit(&view), EXIT_NORMAL);

    ASSERT_EQ(popupTitles(), (std::vector<std::string>{"VISA ERROR", "No ZORa 3917's Found"}));
    const std::string &report = uitest::Popups()[0].text;
    EXPECT_EQ(report.substr(0, report.find("Error Message")),
              "Error while calling viOpenDefaultRM\nPlease ensure VISA has been installed in this conputer\n"
              "\nError code = -1073807202 (BFFF009E)\n");
    EXPECT_EQ(uitest::Popups()[1].kind, "confirm");
    EXPECT_EQ(uitest::Popups()[1].text,
              "No ZORa 3917's have been found in this system.\n\nDo you want to run the demonstration?");

    EXPECT_EQ(view.slot, "7");
    EXPECT_EQ(view.led, 1);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(demoMode, 1);
    EXPECT_EQ(instrSession, 0u);
    EXPECT_EQ(mainPanel, 0);
    EXPECT_EQ(uitest::LoadedPanelCount(), 0);
}

TEST_F(StartupWithoutVisa, AcceptedDemonstrationSimulatesAResetModule)
{
    uitest::ScriptPopupAnswers({1});
    EXPECT_EQ(offerDemoMode(), SESSION_READY);
    std::vector<std::string> sequence;
    for (const drvtest::Call &call : drvtest::Calls())
        sequence.push_back(call.name + "(" + std::to_string(call.session) + "," + call.args + ")");
    EXPECT_EQ(sequence, (std::vector<std::string>{"kq3917e_simulate(0,1)", "kq3917e_reset(0,)"}));
    // Only a simulating driver answers on session 0.
    ViInt16 function = -1;
    EXPECT_EQ(kq3917e_queryMeasurement(0, &function), VI_SUCCESS);
}

TEST_F(StartupWithoutVisa, DeclinedDemonstrationEndsWithoutMainPanel)
{
    uitest::ScriptPopupAnswers({1, 0});
    EXPECT_EQ(runSoftFrontPanel(), EXIT_NO_MODULE);
    EXPECT_EQ(popupTitles(), (std::vector<std::string>{"VISA ERROR", "No ZORa 3917's Found"}));
    EXPECT_EQ(demoMode, 0);
    EXPECT_EQ(uitest::LoadedPanelCount(), 0);
    EXPECT_TRUE(callsNamed("kq3917e_reset").empty());
    EXPECT_EQ(callsNamed("kq3917e_simulate").size(), 1u);
}

TEST_F(StartupWithoutVisa, ChoiceCallbackActsOnCommitOnly)
{
    struct Case {
        int control;
        int event;
        int chosen;
    };
    const Case cases[] = {
        {CHOOSE_SELECT_1, EVENT_COMMIT, 0},
        {CHOOSE_SELECT_2, EVENT_COMMIT, 1},
        {CHOOSE_SELECT_10, EVENT_COMMIT, 9},
        {CHOOSE_CANCEL, EVENT_COMMIT, CHOICE_CANCELLED},
        {CHOOSE_SELECT_3, EVENT_VAL_CHANGED, CHOICE_NONE},
        {CHOOSE_CANCEL, EVENT_LEFT_CLICK, CHOICE_NONE},
        {CHOOSE_RESOURCE_1, EVENT_COMMIT, CHOICE_NONE},
    };
    for (const Case &c : cases) {
        chosenIndex = CHOICE_NONE;
        choose_3917(1, c.control, c.event, nullptr, 0, 0);
        EXPECT_EQ(chosenIndex, c.chosen) << "control " << c.control << " event " << c.event;
    }
}

} // namespace
