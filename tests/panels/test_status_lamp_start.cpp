// SPDX-License-Identifier: GPL-3.0-or-later
// The status lamp at start-up, in a process of its own: the start reloads the
// driver library, which the step cases' refusals must not meet.
#include "mainpaneltest.h"

#include <QTimer>

// The whole start-up without VISA, the demonstration accepted ("VISA ERROR",
// then Yes): the lamp of the main panel on screen reads DEMO, not ONLINE.
TEST(StatusLampAtStart, DemonstrationStartShowsDemo)
{
    ASSERT_EQ(InitUIRuntime(0, nullptr), 1);
    registerProgramCallbacks();
    uitest::Activate();
    drvtest::ResetDriver();
    drvtest::ReloadDriverLibrary();
    uitest::ScriptPopupAnswers({1, 1});
    std::string shown;
    int passes = 0;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        if (mainPanel != 0 && ((shown = lamp()).rfind("DEMO", 0) == 0 || ++passes > 1000)) {
            reader.stop();
            exitSFP(mainPanel, MAIN_QUIT, EVENT_COMMIT, nullptr, 0, 0);
        }
    });
    reader.start(0);
    EXPECT_EQ(runSoftFrontPanel(), EXIT_NORMAL);
    EXPECT_EQ(std::to_string(demoMode) + shown, "1DEMO|lit");
}
