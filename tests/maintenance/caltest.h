// SPDX-License-Identifier: GPL-3.0-or-later
// MAIN, FTIC and NVM loaded from the resource file with the program's
// callbacks, a session on one module of the simulated PXI system (the
// stand-in maker's driver found on the library path), driver calls recorded.
// Each test gets fresh module models: the chassis text changes per test.
#pragma once

#include "app.h"
#include "kq3917e_testseam.h"
#include "mainpanel.h"
#include "maintenance.h"
#include "measure.h"
#include "userint.h"
#include "userint_testseam.h"
#include <uctpanels.h>

#include <gtest/gtest.h>

#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

const char *const moduleResource = "PXI0::7-0.0::INSTR";

class CalibrationTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InitUIRuntime(0, nullptr), 1);
        registerAppCallbacks();
        registerMainPanelCallbacks();
        registerMeasureCallbacks();
        registerCalibrationCallbacks();
    }

    void SetUp() override
    {
        static int chassis = 0;
        char description[96];
        snprintf(description, sizeof description, "%s,slot=7,seed=%d", moduleResource, ++chassis);
        setenv("UCT_SIMKIT_CHASSIS", description, 1);
        uitest::Activate();
        drvtest::ResetDriver();
        drvtest::ReloadDriverLibrary();
        resetMainPanelState();
        calibrationMode[0] = calibrationMode[1] = 0;
        demoMode = 0;
        ASSERT_EQ(kq3917e_simulate(0), VI_SUCCESS);
        ASSERT_EQ(kq3917e_init(moduleResource, 1, 1, &instrSession), VI_SUCCESS);
        snprintf(resourceName, sizeof resourceName, "%s", moduleResource);
        mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
        fticPanel = LoadPanel(0, RESOURCE_FILE, FTIC);
        nvmPanel = LoadPanel(0, RESOURCE_FILE, NVM);
        ASSERT_GT(mainPanel, 0);
        ASSERT_GT(fticPanel, 0);
        ASSERT_GT(nvmPanel, 0);
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
        instrSession = 0;
        uitest::Deactivate();
    }

    // Demonstration mode as start-up enters it.
    static void enterDemoMode()
    {
        demoMode = 1;
        kq3917e_simulate(1);
        drvtest::ClearCalls();
    }
};

// The driver calls recorded so far as "name(arguments)", without the driver
// prefix and the reporters' message look-ups, separated by blanks.
inline std::string calls()
{
    std::string text;
    for (const drvtest::Call &call : drvtest::Calls()) {
        if (call.name != "kq3917e_error_message") {
            text += (text.empty() ? "" : " ") + call.name.substr(8) + "(" + call.args + ")";
        }
    }
    return text;
}

template <typename T = int> T value(int panel, int control)
{
    T v{};
    GetCtrlVal(panel, control, &v);
    return v;
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

// The driver's own text for a status.
inline std::string driverText(ViStatus status)
{
    char message[KQ3917E_MESSAGE_SIZE] = "";
    kq3917e_error_message(instrSession, status, message);
    return message;
}

// A status the module has no text of its own for, and a warning.
const ViStatus refusedStatus = -1074001000;
const ViStatus warningStatus = 0x3FFC0801;
