// SPDX-License-Identifier: GPL-3.0-or-later
// MAIN, FTIC and NVM loaded from the resource file with the program's
// callbacks, a session on one module of the simulated PXI system (the
// stand-in maker's driver found on the library path), driver calls recorded.
// The chassis text changes per test, so each test gets fresh module models.
#pragma once

#include "../panels/mainpaneltest.h" // calls(), refusedStatus
#include "maintenance.h"

#include <QAction>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

class CalibrationTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InitUIRuntime(0, nullptr), 1);
        registerProgramCallbacks();
        registerCalibrationCallbacks();
    }

    void SetUp() override
    {
        static int chassis = 0;
        char description[64];
        snprintf(description, sizeof description, "PXI0::7-0.0::INSTR,seed=%d", ++chassis);
        setenv("UCT_SIMKIT_CHASSIS", description, 1);
        uitest::Activate();
        drvtest::ResetDriver();
        drvtest::ReloadDriverLibrary();
        resetMainPanelState();
        calibrationMode[0] = calibrationMode[1] = 0;
        demoMode = 0;
        ASSERT_EQ(kq3917e_simulate(0), VI_SUCCESS);
        ASSERT_EQ(kq3917e_init("PXI0::7-0.0::INSTR", 1, 1, &instrSession), VI_SUCCESS);
        snprintf(resourceName, sizeof resourceName, "PXI0::7-0.0::INSTR");
        ASSERT_GT(mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN), 0);
        ASSERT_GT(fticPanel = LoadPanel(0, RESOURCE_FILE, FTIC), 0);
        ASSERT_GT(nvmPanel = LoadPanel(0, RESOURCE_FILE, NVM), 0);
        drvtest::StartRecording();
    }

    void TearDown() override
    {
        drvtest::StopRecording();
        drvtest::ClearRefusals();
        for (int *panel : {&fticPanel, &nvmPanel, &mainPanel}) {
            DiscardPanel(*panel);
            *panel = 0;
        }
        kq3917e_close(instrSession);
        uitest::Deactivate();
    }

    // Demonstration mode (1) as start-up enters it, or back to the module (0).
    static void demonstration(int on)
    {
        demoMode = on;
        kq3917e_simulate(static_cast<ViInt16>(on));
        drvtest::ClearCalls();
    }
};

template <typename T = int> T value(int panel, int control)
{
    T v{};
    GetCtrlVal(panel, control, &v);
    return v;
}

// Integer values of controls, each as a digit string, joined by blanks.
inline std::string values(int panel, std::initializer_list<int> controls)
{
    std::string all;
    for (int control : controls) {
        all += (all.empty() ? "" : " ") + std::to_string(value(panel, control));
    }
    return all;
}

inline std::string text(int panel, int control)
{
    char v[SHARED_TEXT_SIZE] = "";
    GetCtrlVal(panel, control, v);
    return v;
}

inline std::string title(int panel)
{
    char v[SHARED_TEXT_SIZE] = "";
    GetPanelAttribute(panel, ATTR_TITLE, v, sizeof v);
    return v;
}

// Chooses a menu item as the user does: its Qt action fires.
inline void chooseMenuItem(int panel, const char *item)
{
    QAction *action = uitest::PanelWidget(panel)->findChild<QAction *>(item);
    ASSERT_NE(action, nullptr) << item;
    action->trigger();
}

inline bool shown(int panel)
{
    return uitest::PanelWidget(panel)->isVisible();
}

// The popups so far as "title|text" lines.
inline std::string popups()
{
    std::string all;
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        all += popup.title + "|" + popup.text + "\n";
    }
    return all;
}
