// SPDX-License-Identifier: GPL-3.0-or-later
// Finding and opening the module through the simulated PXI system: every
// outcome of start-up's search, each in a chassis of its own.
#include "simpxi.h"

#include <uctpanels.h>

#include <QTest>

namespace
{

// Fault statuses that the chassis descriptions below give explicitly.
const ViStatus kInitError = VI_ERROR_SYSTEM_ERROR;
const ViStatus kInitWarning = VI_WARN_CONFIG_NLOADED;

const char *const kModuleA = "PXI3::10::INSTR";
const char *const kModuleB = "PXI4::12::INSTR";
const char *const kModuleC = "PXI5::13::INSTR";

enum { NO_RESET = 0, RESET = 1, NOT_OPENED = -1 };

struct Popup {
    std::string title;
    std::string text; // exact text; empty: a report, checked by expectedReport
};

const Popup kDemoPrompt{
    "No ZORa 3917's Found",
    "No ZORa 3917's have been found in this system.\n\nDo you want to run the demonstration?"};

Popup resetQuestion(const char *prompt, const char *descriptor)
{
    return {"Module Init",
            std::string("Opening session with ") + prompt + " at " + descriptor + ".\nDo you want to reset?"};
}

struct Situation {
    const char *name;
    std::string chassis;
    std::vector<int> answers;      // every popup, messages included, in order
    std::vector<int> presses;      // choice panel buttons, one per pass of the wait
    std::vector<Popup> popups;     // what the user sees
    ViStatus reported;             // status of the reports among them
    int result;                    // of openInstrumentSession
    std::string resourceName;      // afterwards
    int reset;                     // flag of kq3917e_init, or NOT_OPENED
    int demo;                      // demoMode afterwards
    std::vector<std::string> rows; // choice panel "descriptor|slot" of rows 1 to 10 ("" empty)
};

// Test names carry the situation's name; so do failure messages.
void PrintTo(const Situation &s, std::ostream *out)
{
    *out << s.name;
}

std::string module(const char *descriptor, const char *items = "")
{
    return std::string(descriptor) + items + ";";
}

std::string twelveModules()
{
    std::string chassis;
    for (int i = 1; i <= 12; i++)
        chassis +=
            "PXI" + std::to_string(i) + "::" + std::to_string(i) + "::INSTR,slot=" + std::to_string(i) + ";";
    return chassis;
}

std::vector<std::string> rows(std::vector<std::string> filled)
{
    filled.resize(MAX_MODULES);
    return filled;
}

std::vector<std::string> twelveModuleRows()
{
    std::vector<std::string> shown;
    for (int i = 1; i <= MAX_MODULES; i++)
        shown.push_back("PXI" + std::to_string(i) + "::" + std::to_string(i) + "::INSTR|" +
                        std::to_string(i));
    return shown;
}

const Situation kSituations[] = {
    {"NoModuleDemoDeclined", "", {0}, {}, {kDemoPrompt}, 0, SESSION_GAVE_UP, "", NOT_OPENED, 0, {}},
    {"OtherMakersAndModels",
     module("GPIB0::5::INSTR") + module("PXI2::9::INSTR", ",vendor=0x1234") +
         module("PXI2::11::INSTR", ",model=2"),
     {1},
     {},
     {kDemoPrompt},
     0,
     SESSION_READY,
     "PXI2::11::INSTR",
     NOT_OPENED,
     1,
     {}},
    {"OneModuleOpened",
     module(kModuleA, ",slot=6"),
     {0},
     {},
     {resetQuestion("kq3917e", kModuleA)},
     0,
     SESSION_READY,
     kModuleA,
     NO_RESET,
     0,
     {}},
    {"OneModuleReset",
     module(kModuleA),
     {1},
     {},
     {resetQuestion("kq3917e", kModuleA)},
     0,
     SESSION_READY,
     kModuleA,
     RESET,
     0,
     {}},
    {"OneModuleWarns",
     module(kModuleA, ",initwarn=0x3FFF0077"),
     {0},
     {},
     {resetQuestion("kq3917e", kModuleA), {"Initialization Warning", ""}},
     kInitWarning,
     SESSION_READY,
     kModuleA,
     NO_RESET,
     0,
     {}},
    {"OneModuleFails",
     module(kModuleA, ",initfail=0xBFFF0000"),
     {1, 1, 0},
     {},
     {resetQuestion("kq3917e", kModuleA), {"Initialization Error", ""}, kDemoPrompt},
     kInitError,
     SESSION_GAVE_UP,
     kModuleA,
     RESET,
     0,
     {}},
    {"TwoModulesSecondChosen",
     module(kModuleA, ",slot=6") + module(kModuleB, ",slot=9"),
     {0},
     {CHOOSE_SELECT_5, CHOOSE_SELECT_2},
     {resetQuestion("PXI 3917", kModuleB)},
     0,
     SESSION_READY,
     kModuleB,
     NO_RESET,
     0,
     rows({std::string(kModuleA) + "|6", std::string(kModuleB) + "|9"})},
    {"TwoModulesCancelled",
     module(kModuleA, ",slot=6") + module(kModuleB, ",slot=9"),
     {},
     {CHOOSE_CANCEL},
     {},
     0,
     SESSION_GAVE_UP,
     kModuleB,
     NOT_OPENED,
     0,
     rows({std::string(kModuleA) + "|6", std::string(kModuleB) + "|9"})},
    {"TwoModulesChosenFails",
     module(kModuleA, ",slot=6") + module(kModuleB, ",slot=9,initfail=0xBFFF0000"),
     {1, 1, 1},
     {CHOOSE_SELECT_2},
     {resetQuestion("PXI 3917", kModuleB), {"KQ3917 Error", ""}, kDemoPrompt},
     kInitError,
     SESSION_READY,
     kModuleB,
     RESET,
     1,
     rows({std::string(kModuleA) + "|6", std::string(kModuleB) + "|9"})},
    {"TwoModulesChosenWarnsSilently",
     module(kModuleA, ",slot=6") + module(kModuleB, ",slot=9,initwarn=0x3FFF0077"),
     {0},
     {CHOOSE_SELECT_1},
     {resetQuestion("PXI 3917", kModuleA)},
     0,
     SESSION_READY,
     kModuleA,
     NO_RESET,
     0,
     rows({std::string(kModuleA) + "|6", std::string(kModuleB) + "|9"})},
    // Row 1's probe fails: its button is ignored, and row 3 (beyond the count
    // of filled rows) still chooses its own module.
    {"FailedProbeLeavesRowEmpty",
     module(kModuleA, ",noslot") + module(kModuleB, ",slot=9") + module(kModuleC, ",slot=-2"),
     {0},
     {CHOOSE_SELECT_1, CHOOSE_SELECT_3},
     {resetQuestion("PXI 3917", kModuleC)},
     0,
     SESSION_READY,
     kModuleC,
     NO_RESET,
     0,
     rows({"", std::string(kModuleB) + "|9", std::string(kModuleC) + "|-2"})},
    {"NoRowProbed",
     module(kModuleA, ",noslot") + module(kModuleB, ",noslot"),
     {1, 1},
     {},
     {{"Autoconnect Error", "VISA errors prevent selection of 3917e"}, kDemoPrompt},
     0,
     SESSION_READY,
     kModuleB,
     NOT_OPENED,
     1,
     {}},
    {"TwelveModulesTenRows",
     twelveModules(),
     {1},
     {CHOOSE_SELECT_10},
     {resetQuestion("PXI 3917", "PXI10::10::INSTR")},
     0,
     SESSION_READY,
     "PXI10::10::INSTR",
     RESET,
     0,
     twelveModuleRows()},
};

class Discovery : public SimulatedPxi, public ::testing::WithParamInterface<Situation>
{
  protected:
    void SetUp() override { standUp(GetParam().chassis); }
};

// The choice panel as the user sees it, then the presses, one per pass of
// the wait; each press after the first finds the panel still waiting.
struct ChoiceWatch {
    std::vector<std::string> rows;
    int pressesWhileWaiting = 0;
};

void pressInTurn(const std::vector<int> &presses, size_t next, ChoiceWatch *watch)
{
    int panel = findPanelWithControl("CHOOSE_SELECT_1");
    if (panel == 0)
        return;
    if (next == 0) {
        const int resources[MAX_MODULES] = {
            CHOOSE_RESOURCE_1, CHOOSE_RESOURCE_2, CHOOSE_RESOURCE_3, CHOOSE_RESOURCE_4, CHOOSE_RESOURCE_5,
            CHOOSE_RESOURCE_6, CHOOSE_RESOURCE_7, CHOOSE_RESOURCE_8, CHOOSE_RESOURCE_9, CHOOSE_RESOURCE_10};
        const int slotIndicators[MAX_MODULES] = {CHOOSE_SLOT_1, CHOOSE_SLOT_2, CHOOSE_SLOT_3, CHOOSE_SLOT_4,
                                                 CHOOSE_SLOT_5, CHOOSE_SLOT_6, CHOOSE_SLOT_7, CHOOSE_SLOT_8,
                                                 CHOOSE_SLOT_9, CHOOSE_SLOT_10};
        for (int row = 0; row < MAX_MODULES; row++) {
            char descriptor[RESOURCE_NAME_SIZE] = "";
            char slot[16] = "";
            GetCtrlVal(panel, resources[row], descriptor);
            GetCtrlVal(panel, slotIndicators[row], slot);
            watch->rows.push_back(descriptor[0] || slot[0] ? std::string(descriptor) + "|" + slot : "");
        }
    }
    watch->pressesWhileWaiting++;
    QTest::mouseClick(uitest::ControlWidget(panel, presses[next]), Qt::LeftButton);
    if (next + 1 < presses.size())
        runSoon([&presses, next, watch] { pressInTurn(presses, next + 1, watch); });
}

TEST_P(Discovery, Outcome)
{
    const Situation &s = GetParam();
    uitest::ScriptPopupAnswers(s.answers);
    ChoiceWatch watch;
    if (!s.presses.empty())
        runSoon([&s, &watch] { pressInTurn(s.presses, 0, &watch); });

    EXPECT_EQ(openInstrumentSession(), s.result);

    ASSERT_EQ(popupTitles().size(), s.popups.size());
    for (size_t i = 0; i < s.popups.size(); i++) {
        const std::string &title = s.popups[i].title;
        EXPECT_EQ(uitest::Popups()[i].title, title);
        std::string action = "initializing ZORa 3917 descriptor '" + s.resourceName + "'";
        EXPECT_EQ(uitest::Popups()[i].text,
                  s.popups[i].text.empty() ? expectedReport(action, s.reported) : s.popups[i].text)
            << title;
    }

    EXPECT_EQ(watch.rows, s.rows);
    EXPECT_EQ(watch.pressesWhileWaiting, (int)s.presses.size());
    EXPECT_EQ(uitest::LoadedPanelCount(), 0) << "the choice panel outlives the choice";

    EXPECT_EQ(resourceName, s.resourceName);
    EXPECT_EQ(demoMode, s.demo);
    auto inits = callsNamed("kq3917e_init");
    if (s.reset == NOT_OPENED) {
        EXPECT_TRUE(inits.empty());
        EXPECT_EQ(instrSession, 0u);
    } else {
        ASSERT_EQ(inits.size(), 1u);
        EXPECT_EQ(inits[0].args, "\"" + s.resourceName + "\",1," + std::to_string(s.reset));
        bool opened = inits[0].status >= 0;
        EXPECT_EQ(instrSession != 0, opened);
    }
    if (s.demo) {
        auto resets = callsNamed("kq3917e_reset");
        ASSERT_EQ(resets.size(), 1u);
        EXPECT_EQ(resets[0].session, 0u);
        ViInt16 function = -1;
        EXPECT_EQ(kq3917e_queryMeasurement(0, &function), VI_SUCCESS) << "the driver is not simulating";
    }
}

INSTANTIATE_TEST_SUITE_P(Chassis, Discovery, ::testing::ValuesIn(kSituations),
                         [](const ::testing::TestParamInfo<Situation> &info) { return info.param.name; });

TEST_F(SimulatedPxi, SearchStopsAtTenModules)
{
    standUp(twelveModules());
    uitest::ScriptPopupAnswers({0});
    ChoiceWatch watch;
    const std::vector<int> cancel{CHOOSE_CANCEL};
    runSoon([&] { pressInTurn(cancel, 0, &watch); });
    EXPECT_EQ(openInstrumentSession(), SESSION_GAVE_UP);
    EXPECT_EQ(linesOfLog("viFindNext("), MAX_MODULES - 1);
}

TEST_F(SimulatedPxi, MainPanelShowsTheSlotAsSigned16Bits)
{
    struct Case {
        const char *items;
        const char *shown;
    };
    const Case cases[] = {
        {",slot=6", "6"}, {",slot=65535", "-1"}, {",slot=-32768", "-32768"}, {",noslot", "?"}};
    registerOtherLayerStubs();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.items);
        standUp(module(kModuleA, c.items));
        uitest::ScriptPopupAnswers({0});
        MainPanelView view;
        EXPECT_EQ(runAndQuit(&view), EXIT_NORMAL);
        EXPECT_EQ(view.slot, c.shown);
        EXPECT_EQ(view.led, 1);
        EXPECT_EQ(demoMode, 0);
        EXPECT_EQ(popupTitles(), std::vector<std::string>{"Module Init"});
    }
}

} // namespace
