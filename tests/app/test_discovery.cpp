// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up through the simulated PXI system: every outcome of the search for
// modules, each in a chassis of its own, up to the main panel's slot display.
#include "apptest.h"

#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <unistd.h>

const std::string kA = "PXI3::10::INSTR", kB = "PXI4::12::INSTR", kC = "PXI5::13::INSTR";
const std::string kDemo = "No ZORa 3917's Found", kInit = "Module Init";

// kA in slot 6 and kB (last, so that items may follow) in slot 9; the choice rows they fill.
const std::string kTwo = kA + ",slot=6;" + kB + ",slot=9", kTwoRows = kA + "|6;" + kB + "|9;;;;;;;;;";

// PXIi::i::INSTR followed by item, i and end, for i = 1..count.
static std::string numbered(int count, const char *item, const char *end)
{
    std::string text;
    for (int i = 1; i <= count; i++)
        text +=
            "PXI" + std::to_string(i) + "::" + std::to_string(i) + "::INSTR" + item + std::to_string(i) + end;
    return text;
}

// Choice panel "presses" that are not buttons: the window goes away without
// Cancel, hidden (unmapped by the window manager) or closed by its close box.
enum { HIDE_WINDOW = -1, CLOSE_WINDOW = -2 };

struct Situation {
    const char *name;
    std::string chassis;             // simkit description; "?" is malformed and fails viOpenDefaultRM
    std::vector<int> answers;        // to the popups, in order
    std::vector<int> presses;        // choice panel buttons, one per pass of the wait
    std::vector<std::string> popups; // titles; the texts follow from the situation
    std::string resourceName;        // afterwards
    int reset;                       // flag sent to kq3917e_init, or -1
    std::string rows;                // choice rows "descriptor|slot;" up to the last filled
    const char *slot;                // shown on the main panel, "" when start-up ends without it; "7": demo
};

// The report that reportError shows for actionText and status.
static std::string expectedReport(const std::string &actionText, ViStatus status)
{
    char code[32];
    snprintf(code, sizeof code, "%d (%X)", (int)status, (unsigned)status);
    return "Error while " + actionText + "\nError code = " + code + "\nError Message = '" +
           driverText(status).substr(0, 80) + "'\n";
}

// Faults carry the stand-in's default statuses.
static std::string expectedText(const Situation &s, const std::string &title)
{
    if (title == kDemo)
        return "No ZORa 3917's have been found in this system.\n\nDo you want to run the demonstration?";
    if (title == "Autoconnect Error")
        return "VISA errors prevent selection of 3917e";
    if (title == kInit)
        return "Opening session with " + std::string(s.presses.empty() ? "kq3917e" : "PXI 3917") + " at " +
               s.resourceName + ".\nDo you want to reset?";
    if (title == "VISA ERROR")
        return expectedReport(
            "calling viOpenDefaultRM\nPlease ensure VISA has been installed in this conputer\n",
            VI_ERROR_SYSTEM_ERROR);
    return expectedReport("initializing ZORa 3917 descriptor '" + s.resourceName + "'",
                          title == "Initialization Warning" ? VI_WARN_CONFIG_NLOADED : VI_ERROR_SYSTEM_ERROR);
}

using S = Situation;
const Situation kSituations[] = {
    S("ResourceManagerFailsDemoAccepted", "?", {1, 1}, {}, {"VISA ERROR", kDemo}, "", -1, "", "7"),
    S("OtherMakersAndModels", "GPIB0::5::INSTR;PXI2::9::INSTR,vendor=0x1234;PXI2::11::INSTR,model=2", {1}, {},
      {kDemo}, "PXI2::11::INSTR", -1, "", "7"),
    S("OneModuleOpened", kA + ",slot=-32768", {0}, {}, {kInit}, kA, 0, "", "-32768"),
    S("OneModuleWarnsSlotUnread", kA + ",initwarn,noslot", {0}, {}, {kInit, "Initialization Warning"}, kA, 0,
      "", "?"),
    S("OneModuleFails", kA + ",initfail", {1, 1, 0}, {}, {kInit, "Initialization Error", kDemo}, kA, 1, "",
      ""),
    // A press on a row beyond the modules found is ignored.
    S("TwoModulesSecondChosen", kTwo, {0}, {CHOOSE_SELECT_5, CHOOSE_SELECT_2}, {kInit}, kB, 0, kTwoRows, "9"),
    S("TwoModulesCancelled", kTwo, {}, {CHOOSE_CANCEL}, {}, kB, -1, kTwoRows, ""),
    S("TwoModulesChoiceHidden", kTwo, {}, {HIDE_WINDOW}, {}, kB, -1, kTwoRows, ""),
    S("TwoModulesChoiceClosed", kTwo, {}, {CLOSE_WINDOW}, {}, kB, -1, kTwoRows, ""),
    S("TwoModulesChosenFails", kTwo + ",initfail", {1, 1, 1}, {CHOOSE_SELECT_2},
      {kInit, "KQ3917 Error", kDemo}, kB, 1, kTwoRows, "7"),
    S("TwoModulesChosenWarnsSilently", kTwo + ",initwarn", {0}, {CHOOSE_SELECT_2}, {kInit}, kB, 0, kTwoRows,
      "9"),
    // Row 1's probe fails: its button is ignored; row 3 still chooses its module.
    S("FailedProbeLeavesRowEmpty", kA + ",noslot;" + kB + ",slot=9;" + kC + ",slot=65535", {0},
      {CHOOSE_SELECT_1, CHOOSE_SELECT_3}, {kInit}, kC, 0, ";" + kB + "|9;" + kC + "|-1;;;;;;;;", "-1"),
    S("NoRowProbed", kA + ",noslot;" + kB + ",noslot", {1, 1}, {}, {"Autoconnect Error", kDemo}, kB, -1, "",
      "7"),
    S("TwelveModulesTenRows", numbered(12, ",slot=", ";"), {1}, {CHOOSE_SELECT_10}, {kInit},
      "PXI10::10::INSTR", 1, numbered(10, "|", ";"), "10"),
};

struct Discovery : AppTest, ::testing::WithParamInterface<Situation> {
};

static std::string rowsSeen; // the choice rows as the first press found them

// After its window went away the choice must end within a few passes of the
// wait; a wait that goes on is a failure, ended here so that the test ends.
static void giveUpWaiting(int panel, int passes)
{
    if (!uitest::ControlWidget(panel, CHOOSE_CANCEL))
        return;
    if (passes < 20) {
        QTimer::singleShot(0, [panel, passes] { giveUpWaiting(panel, passes + 1); });
        return;
    }
    ADD_FAILURE() << "the choice still waits on a panel that is gone";
    chosenIndex = CHOICE_CANCELLED;
}

// The simulated system's call log: the driver leaves simulation before the
// first VISA call; a demonstration switches to simulation, resets the module
// and makes no VISA call afterwards; every VISA object start-up opened is
// closed, except the resource manager and the module in use (its driver
// session and the driver's own resource manager).
static void checkCallLog(const std::string &path, int demo)
{
    std::ifstream in(path);
    const std::string log = "\n" + std::string(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(log.rfind("\nkq3917e_simulate(0) = 0\nviOpenDefaultRM()", 0), 0u) << log;
    const size_t demoStart = log.find("\nkq3917e_simulate(1) = 0\nkq3917e_reset(0) = 0\n");
    EXPECT_EQ(demoStart != std::string::npos, demo == 1) << log;
    EXPECT_TRUE(demoStart == std::string::npos || log.find("\nvi", demoStart) == std::string::npos) << log;
    const std::regex opened("\n(viOpenDefaultRM|viOpen|viFindRsrc)\\(.*-> [1-9].* = \\d+"),
        closed("\nviClose\\(.* = \\d+");
    auto count = [&log](const std::regex &line) {
        return std::distance(std::sregex_iterator(log.begin(), log.end(), line), std::sregex_iterator());
    };
    const bool rm = log.rfind("\nkq3917e_simulate(0) = 0\nviOpenDefaultRM() -> ", 0) == 0;
    EXPECT_EQ(count(opened) - count(closed), (rm ? 1 : 0) + (instrSession != 0 ? 2 : 0)) << log;
}

// Reads the choice rows, then presses the buttons in turn, one per pass of
// the wait: each press after the first finds the panel still waiting. A
// press on a dimmed button does nothing.
static void pressInTurn(const std::vector<int> &presses, size_t next)
{
    int panel = 1;
    while (panel < 100 && !uitest::ControlWidget(panel, CHOOSE_CANCEL)) // the only panel loaded
        panel++;
    static_assert(CHOOSE_RESOURCE_10 - CHOOSE_RESOURCE_1 == 27 && CHOOSE_SLOT_10 - CHOOSE_SLOT_1 == 27 &&
                  CHOOSE_SELECT_10 - CHOOSE_SELECT_1 == 27);
    for (int row = 0; next == 0 && row < MAX_MODULES; row++) {
        char descriptor[RESOURCE_NAME_SIZE] = "", slot[16] = "";
        int dimmed = -1;
        GetCtrlVal(panel, CHOOSE_RESOURCE_1 + 3 * row, descriptor);
        GetCtrlVal(panel, CHOOSE_SLOT_1 + 3 * row, slot);
        GetCtrlAttribute(panel, CHOOSE_SELECT_1 + 3 * row, ATTR_DIMMED, &dimmed);
        rowsSeen += (slot[0] ? std::string(descriptor) + "|" + slot : "") + ";";
        EXPECT_EQ(dimmed, slot[0] ? 0 : 1) << "only a filled row can be chosen: row " << row;
    }
    if (presses[next] == HIDE_WINDOW || presses[next] == CLOSE_WINDOW) {
        QWidget *window = uitest::PanelWidget(panel);
        presses[next] == HIDE_WINDOW ? window->hide() : (void)window->close();
        giveUpWaiting(panel, 0);
        return;
    }
    QTest::mouseClick(uitest::ControlWidget(panel, presses[next]), Qt::LeftButton);
    if (next + 1 < presses.size())
        QTimer::singleShot(0, [&presses, next] { pressInTurn(presses, next + 1); });
}

TEST_P(Discovery, Outcome)
{
    const Situation &s = GetParam();
    setenv("UCT_SIMKIT_CHASSIS", s.chassis.c_str(), 1);
    // Named by process: other runs of this test may share the temporary folder.
    const std::string logPath =
        ::testing::TempDir() + "simkit-" + std::to_string(getpid()) + "-" + s.name + ".log";
    std::remove(logPath.c_str());
    setenv("UCT_SIMKIT_LOG", logPath.c_str(), 1);
    SetUp();
    rowsSeen.clear();
    uitest::ScriptPopupAnswers(s.answers);
    if (!s.presses.empty())
        QTimer::singleShot(0, [&s] { pressInTurn(s.presses, 0); });
    const int demo = std::string(s.slot) == "7";
    std::string slot;
    EXPECT_EQ(runAndQuit(&slot), *s.slot ? EXIT_NORMAL : EXIT_NO_MODULE);

    ASSERT_EQ(popupLines(false), s.popups);
    for (const uitest::PopupRecord &popup : uitest::Popups())
        EXPECT_EQ(popup.text, expectedText(s, popup.title)) << popup.title;
    EXPECT_EQ(rowsSeen, s.rows);
    EXPECT_EQ(uitest::LoadedPanelCount(), 0);
    EXPECT_EQ(slot, s.slot);
    EXPECT_EQ(resourceName, s.resourceName);
    EXPECT_EQ(demoMode, demo);
    EXPECT_EQ(instrSession != 0, *s.slot && !demo);
    // The reset flag sent; in demonstration, the driver simulates a module that was reset.
    std::string init = "kq3917e_init(0,\"" + s.resourceName + "\",1," + std::to_string(s.reset) + ") ";
    EXPECT_EQ(callsTo({"kq3917e_init", "kq3917e_reset"}),
              (s.reset == -1 ? "" : init) + (demo ? "kq3917e_reset(0,) " : ""));
    ViInt16 function = -1;
    unsetenv("UCT_SIMKIT_LOG");
    EXPECT_EQ(kq3917e_queryMeasurement(0, &function) == VI_SUCCESS, demo == 1);
    checkCallLog(logPath, demo);
    std::remove(logPath.c_str());
}

INSTANTIATE_TEST_SUITE_P(Chassis, Discovery, ::testing::ValuesIn(kSituations),
                         [](const ::testing::TestParamInfo<Situation> &info) { return info.param.name; });
