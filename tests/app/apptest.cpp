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
    instrSession = defaultRM = demoMode = mainPanel = aboutPanel = resourceName[0] = 0;
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
