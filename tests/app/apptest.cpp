// SPDX-License-Identifier: GPL-3.0-or-later
#include "apptest.h"

void AppTest::SetUp()
{
    static QTemporaryDir tools; // an opener of our own, alone on PATH: no test starts a real one
    (void)QFile::link("/bin/true", tools.filePath("xdg-open"));
    qputenv("PATH", tools.path().toLocal8Bit());
    uitest::Activate();
    drvtest::ResetDriver();
    drvtest::ReloadDriverLibrary();
    drvtest::StartRecording();
    instrSession = defaultRM = 0;
    resourceName[0] = '\0';
    demoMode = mainPanel = aboutPanel = 0;
    auto countTicks = [](int, int, int event, void *, int, int) {
        timerTicks += event == EVENT_TIMER_TICK;
        return 0;
    };
    RegisterPanelCallback("fticInit", [](int, int, void *, int, int) { return 0; });
    RegisterCtrlCallback("setCtrMainEvent", countTicks);
    RegisterCtrlCallback("TimerFunction", countTicks);
}

std::string callsTo(const std::vector<std::string> &names)
{
    std::string calls;
    for (const drvtest::Call &call : drvtest::Calls())
        if (std::ranges::count(names, call.name))
            calls += call.name + "(" + std::to_string(call.session) + "," + call.args + ") ";
    return calls;
}

std::vector<std::string> popupLines(bool withText)
{
    std::vector<std::string> lines;
    for (const uitest::PopupRecord &popup : uitest::Popups())
        lines.push_back(withText ? popup.title + ": " + popup.text : popup.title);
    return lines;
}

std::string driverText(ViStatus status)
{
    char text[KQ3917E_MESSAGE_SIZE] = "";
    kq3917e_error_message(0, status, text);
    return text;
}

std::string reportText(const std::string &actionText, ViStatus status)
{
    char code[32];
    snprintf(code, sizeof code, "%d (%X)", (int)status, (unsigned)status);
    return "Error while " + actionText + "\nError code = " + code + "\nError Message = '" +
           driverText(status).substr(0, 80) + "'\n";
}

int runAndQuit(std::string *slot)
{
    // Looks at every pass until the main panel is up; gone with this call.
    QTimer reader;
    long callsBeforeQuit = -1;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        if (mainPanel == 0)
            return;
        reader.stop();
        char text[100] = "";
        int led = 0;
        GetCtrlVal(mainPanel, MAIN_SLOT, text);
        GetCtrlVal(mainPanel, MAIN_STATUS_LED, &led);
        *slot = text;
        EXPECT_EQ(led, 1) << "the status lamp";
        EXPECT_TRUE(uitest::PanelWidget(mainPanel)->isVisible());
        callsBeforeQuit = drvtest::Calls().size();
        uitest::CallCtrlCallback(mainPanel, MAIN_QUIT, EVENT_COMMIT);
        int ticks = timerTicks;
        uitest::TimerTick(mainPanel, MAIN_TIMER);
        EXPECT_EQ(timerTicks, ticks) << "a timer tick after Quit";
    });
    reader.start(0);
    int exitCode = runSoftFrontPanel();
    EXPECT_TRUE(callsBeforeQuit < 0 || (long)drvtest::Calls().size() == callsBeforeQuit)
        << "a driver call on Quit";
    ResumeTimerCallbacks();
    return exitCode;
}

int main(int argc, char *argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    // Headless, also when CTest lists the tests at build time.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (InitUIRuntime(argc, argv) == 0)
        return 1;
    registerAppCallbacks();
    return RUN_ALL_TESTS();
}
