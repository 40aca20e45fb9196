// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up through the simulated PXI system: every outcome of the search for
// modules, each in a chassis of its own, up to the main panel's slot display.
#include "apptest.h"

const std::string kA = "PXI3::10::INSTR", kB = "PXI4::12::INSTR", kC = "PXI5::13::INSTR";
// kA in slot 6 and kB (last, so that items may follow) in slot 9; the choice rows they fill.
const std::string kTwo = kA + ",slot=6;" + kB + ",slot=9", kTwoRows = kA + "|6;" + kB + "|9;;;;;;;;;";
// Another maker's module and another model, after a GPIB instrument.
const std::string kOthers = "GPIB0::5::INSTR;PXI2::9::INSTR,vendor=0x1234;PXI2::11::INSTR,model=2";

// PXIi::1::INSTR followed by item, i and end, for i = 1..n.
static std::string numbered(int n, const char *item, const char *end)
{
    const std::string i = std::to_string(n);
    return n ? numbered(n - 1, item, end) + "PXI" + i + "::1::INSTR" + item + i + end : "";
}

struct Situation {
    const char *name;
    std::string chassis;      // simkit description; "?" is malformed and fails viOpenDefaultRM
    std::vector<int> answers; // to the popups, in order
    // Choice panel presses, one per pass of the wait: a row's digit (0: the tenth), c Cancel, h the window
    // hidden (unmapped by the window manager), x closed by its close box. Popups by letter (expectedPopups).
    const char *presses, *popups;
    std::string rsrc, rows; // resourceName afterwards; choice rows "descriptor|slot;" up to the last filled
    int reset;              // flag sent to kq3917e_init, or -1
    const char *slot;       // shown on the main panel, "" when start-up ends without it; "7": demo
};

const std::string kThree = kA + ",noslot;" + kB + ",slot=9;" + kC + ",slot=65535",
                  kThreeRows = ";" + kB + "|9;" + kC + "|-1;;;;;;;;", kTwelve = numbered(12, ",slot=", ";"),
                  kTenRows = numbered(10, "|", ";");

const Situation kSituations[] = {
    {"RmFailsDemoAccepted", "?", {1, 1}, "", "VD", "", "", -1, "7"},
    {"OtherMakersAndModels", kOthers, {1}, "", "D", "PXI2::11::INSTR", "", -1, "7"},
    {"OneOpened", kA + ",slot=-32768", {0}, "", "I", kA, "", 0, "-32768"},
    {"OneWarnsSlotUnread", kA + ",initwarn,noslot", {0}, "", "IW", kA, "", 0, "?"},
    {"OneFails", kA + ",initfail", {1, 1, 0}, "", "IED", kA, "", 1, ""},
    // A press on a row beyond the modules found is ignored.
    {"TwoSecondChosen", kTwo, {0}, "52", "I", kB, kTwoRows, 0, "9"},
    {"TwoCancelled", kTwo, {}, "c", "", kB, kTwoRows, -1, ""},
    {"TwoChoiceHidden", kTwo, {}, "h", "", kB, kTwoRows, -1, ""},
    {"TwoChoiceClosed", kTwo, {}, "x", "", kB, kTwoRows, -1, ""},
    {"TwoChosenFails", kTwo + ",initfail", {1, 1, 1}, "2", "IKD", kB, kTwoRows, 1, "7"},
    {"TwoChosenWarnsSilently", kTwo + ",initwarn", {0}, "2", "I", kB, kTwoRows, 0, "9"},
    // Row 1's probe fails: its button is ignored; row 3 still chooses its module.
    {"FailedProbe", kThree, {0}, "13", "I", kC, kThreeRows, 0, "-1"},
    {"NoRowProbed", kA + ",noslot;" + kB + ",noslot", {1, 1}, "", "AD", kB, "", -1, "7"},
    {"TwelveModulesTenRows", kTwelve, {1}, "0", "I", "PXI10::1::INSTR", kTenRows, 1, "10"},
};

// The popups "title: text" by letter; faults carry the stand-in's default statuses.
static std::vector<std::string> expectedPopups(const Situation &s)
{
    const std::string init = "initializing ZORa 3917 descriptor '" + s.rsrc + "'",
                      fault = reportText(init, VI_ERROR_SYSTEM_ERROR),
                      noVisa = "Please ensure VISA has been installed in this conputer\n";
    const std::map<char, std::string> lines{
        {'D', "No ZORa 3917's Found: No ZORa 3917's have been found in this system.\n\n"
              "Do you want to run the demonstration?"},
        {'A', "Autoconnect Error: VISA errors prevent selection of 3917e"},
        {'I', "Module Init: Opening session with " + std::string(*s.presses ? "PXI 3917" : "kq3917e") +
                  " at " + s.rsrc + ".\nDo you want to reset?"},
        {'V', "VISA ERROR: " + reportText("calling viOpenDefaultRM\n" + noVisa, VI_ERROR_SYSTEM_ERROR)},
        {'W', "Initialization Warning: " + reportText(init, VI_WARN_CONFIG_NLOADED)},
        {'E', "Initialization Error: " + fault},
        {'K', "KQ3917 Error: " + fault}};
    std::vector<std::string> popups;
    for (const char *c = s.popups; *c; c++)
        popups.push_back(lines.at(*c));
    return popups;
}

struct Discovery : AppTest, ::testing::WithParamInterface<Situation> {
};

static std::string rowsSeen; // the choice rows as the first press found them
static int goneChoice;       // the choice panel whose window went away, else 0

// Reads the choice rows, then presses in turn, one per pass of the wait: each
// press after the first finds the panel still waiting. A press on a dimmed
// button does nothing.
static void pressInTurn(const char *presses)
{
    int panel = 1;
    while (panel < 100 && !uitest::ControlWidget(panel, CHOOSE_CANCEL)) // the only panel loaded
        panel++;
    for (int row = 0, first = rowsSeen.empty(); first && row < MAX_MODULES; row++) {
        char descriptor[RESOURCE_NAME_SIZE] = "", slot[16] = "";
        int dimmed = -1;
        GetCtrlVal(panel, CHOOSE_RESOURCE_1 + 3 * row, descriptor);
        GetCtrlVal(panel, CHOOSE_SLOT_1 + 3 * row, slot);
        GetCtrlAttribute(panel, CHOOSE_SELECT_1 + 3 * row, ATTR_DIMMED, &dimmed);
        // Only a filled row can be chosen.
        rowsSeen += (slot[0] ? std::string(descriptor) + "|" + slot : "") + (dimmed == !slot[0] ? ";" : "!;");
    }
    if (*presses == 'h' || *presses == 'x') {
        *presses == 'h' ? uitest::PanelWidget(panel)->hide() : (void)uitest::PanelWidget(panel)->close();
        return (void)(goneChoice = panel);
    }
    const int control = *presses == 'c' ? CHOOSE_CANCEL : CHOOSE_SELECT_1 + 3 * ((*presses - '1' + 10) % 10);
    QTest::mouseClick(uitest::ControlWidget(panel, control), Qt::LeftButton);
    if (presses[1])
        QTimer::singleShot(0, [presses] { pressInTurn(presses + 1); });
}

TEST_P(Discovery, Outcome)
{
    const Situation &s = GetParam();
    const int demo = std::string(s.slot) == "7";
    // Named by process: other runs of this test may share the temporary folder.
    const std::string path = ::testing::TempDir() + "simkit-" + std::to_string(getpid()) + s.name + ".log";
    setenv("UCT_SIMKIT_LOG", path.c_str(), 1);
    setenv("UCT_SIMKIT_CHASSIS", s.chassis.c_str(), 1);
    SetUp();
    rowsSeen.clear();
    goneChoice = 0;
    uitest::ScriptPopupAnswers(s.answers);
    if (*s.presses)
        QTimer::singleShot(0, [&s] { pressInTurn(s.presses); });
    // Once the main panel is up: the slot shown and the status lamp, then Quit,
    // which must end the loop without a driver call and with the timer stopped.
    QTimer reader;
    char slot[100] = "";
    int lamp = 0, ticks = 0, passes = 0, calls = 0;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        // After its window went away the choice must end within a few passes of
        // the wait; a wait that goes on is a failure, ended here so that the test ends.
        if (goneChoice && uitest::ControlWidget(goneChoice, CHOOSE_CANCEL) && ++passes == 20) {
            ADD_FAILURE() << "the choice still waits on a panel that is gone";
            chosenIndex = CHOICE_CANCELLED;
        }
        if (mainPanel == 0)
            return;
        reader.stop();
        GetCtrlVal(mainPanel, MAIN_SLOT, slot);
        GetCtrlVal(mainPanel, MAIN_STATUS_LED, &lamp);
        EXPECT_TRUE(uitest::PanelWidget(mainPanel)->isVisible());
        calls = int(drvtest::Calls().size());
        uitest::CallCtrlCallback(mainPanel, MAIN_QUIT, EVENT_COMMIT);
        ticks = -timerTicks;
        uitest::TimerTick(mainPanel, MAIN_TIMER);
        ticks += timerTicks;
    });
    reader.start(0);
    EXPECT_EQ(runSoftFrontPanel(), *s.slot ? EXIT_NORMAL : EXIT_NO_MODULE);
    ResumeTimerCallbacks();
    EXPECT_TRUE(calls == 0 || int(drvtest::Calls().size()) == calls) << "a driver call on Quit";
    EXPECT_EQ(popupLines(true), expectedPopups(s));
    EXPECT_EQ(std::make_tuple(rowsSeen, uitest::LoadedPanelCount(), std::string(slot), lamp, ticks,
                              std::string(resourceName), demoMode, instrSession != 0),
              std::make_tuple(s.rows, 0, s.slot, *s.slot ? 1 : 0, 0, s.rsrc, demo, *s.slot && !demo));
    // The reset flag sent; in demonstration, the driver simulates a module that was reset.
    const std::string init = "kq3917e_init(0,\"" + s.rsrc + "\",1," + std::to_string(s.reset) + ") ";
    EXPECT_EQ(callsTo({"kq3917e_init", "kq3917e_reset"}),
              (s.reset == -1 ? "" : init) + (demo ? "kq3917e_reset(0,) " : ""));
    // The simulated system's call log: the driver leaves simulation before the
    // first VISA call; a demonstration switches to simulation, resets the module
    // and makes no VISA call afterwards; every VISA object start-up opened is
    // closed, except the resource manager and the module in use (its driver
    // session and the driver's own resource manager).
    std::ifstream in(path);
    const std::string log = "\n" + std::string(std::istreambuf_iterator<char>(in), {});
    std::remove(path.c_str());
    const size_t demoStart = log.find("\nkq3917e_simulate(1) = 0\nkq3917e_reset(0) = 0\n");
    auto count = [&log](const char *line) {
        const std::regex re(line);
        return std::distance(std::sregex_iterator(log.begin(), log.end(), re), std::sregex_iterator());
    };
    const int opened =
        count("\n(viOpenDefaultRM|viOpen|viFindRsrc)\\(.*-> [1-9].* = \\d+") - count("\nviClose\\(.* = \\d+");
    const bool rm = log.rfind("\nkq3917e_simulate(0) = 0\nviOpenDefaultRM() -> ", 0) == 0;
    EXPECT_TRUE(log.rfind("\nkq3917e_simulate(0) = 0\nviOpenDefaultRM()", 0) == 0 &&
                (demoStart != std::string::npos) == demo &&
                log.find("\nvi", demoStart) == std::string::npos &&
                opened == (rm ? 1 : 0) + (*s.slot && !demo ? 2 : 0))
        << log;
}

INSTANTIATE_TEST_SUITE_P(Chassis, Discovery, ::testing::ValuesIn(kSituations),
                         [](const ::testing::TestParamInfo<Situation> &info) { return info.param.name; });
