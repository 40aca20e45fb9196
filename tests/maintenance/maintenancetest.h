// SPDX-License-Identifier: GPL-3.0-or-later
// MAIN and CONFIGSYS loaded from the resource file, seams on, the driver's
// simulated module answering while the program believes it has hardware
// (demoMode 0), driver calls recorded. Shared by the maintenance tests.
#pragma once

#include "app.h"
#include "kq3917e_testseam.h"
#include "mainpanel.h"
#include "maintenance.h"
#include "userint.h"
#include "userint_testseam.h"
#include <uctpanels.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The FTIC and NVM panels' own callbacks belong to the calibration layer;
// these stand in for them so that the panels load.
inline void registerCalibrationStandIns()
{
    auto control = [](int, int, int, void *, int, int) { return 0; };
    auto panel = [](int, int, void *, int, int) { return 0; };
    auto menu = [](int, int, void *, int) {};
    RegisterPanelCallback("kq3917cal_fticPanelCallback", panel);
    RegisterCtrlCallback("kq3917cal_fticCallback", control);
    RegisterMenuCallback("calFticMenuCallback", menu);
    RegisterPanelCallback("kq3917cal_nvmPanelCallback", panel);
    RegisterCtrlCallback("kq3917cal_nvmCallback", control);
    RegisterMenuCallback("nvmMenuCallback", menu);
}

class MaintenanceTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InitUIRuntime(0, nullptr), 1);
        registerAppCallbacks();
        registerMainPanelCallbacks();
        registerMeasureCallbacks();
        registerMaintenanceCallbacks();
    }

    void SetUp() override
    {
        uitest::Activate();
        drvtest::ResetDriver();
        kq3917e_simulate(1);
        demoMode = 0;
        instrSession = 1;
        resetMainPanelState();
        mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
        ASSERT_GT(mainPanel, 0);
        ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
        ASSERT_GT(configSysPanel, 0);
        drvtest::StartRecording();
    }

    void TearDown() override
    {
        drvtest::StopRecording();
        drvtest::ClearRefusals();
        for (int *panel : {&configSysPanel, &fticPanel, &nvmPanel, &mainPanel}) {
            if (*panel > 0) {
                DiscardPanel(*panel);
            }
            *panel = 0;
        }
        uitest::Deactivate();
        demoMode = 0;
    }

    static int press(int control, int event = EVENT_COMMIT)
    {
        return uitest::CallCtrlCallback(configSysPanel, control, event);
    }
};

// The names of the driver operations recorded so far, prefix dropped, the
// reporters' message look-ups left out, joined by blanks.
inline std::string driverCalls()
{
    std::string text;
    for (const drvtest::Call &call : drvtest::Calls()) {
        if (call.name != "kq3917e_error_message") {
            text += (text.empty() ? "" : " ") + call.name.substr(8);
        }
    }
    return text;
}

// Every popup so far as "title: text", joined by '|'.
inline std::string popups()
{
    std::string text;
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        text += (text.empty() ? "" : "|") + popup.title + ": " + popup.text;
    }
    return text;
}

inline std::string driverText(ViStatus status)
{
    char text[KQ3917E_MESSAGE_SIZE] = "";
    kq3917e_error_message(0, status, text);
    return text;
}
