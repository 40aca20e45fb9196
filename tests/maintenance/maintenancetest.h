// SPDX-License-Identifier: GPL-3.0-or-later
// MAIN and CONFIGSYS loaded from the resource file with the program's
// callbacks, seams on, driver calls recorded. The module is the driver's
// built-in simulation while the program believes it has hardware (demoMode
// 0), or after openModule() a fresh module of the simulated PXI system with
// FTIC and NVM loaded (the *_simkit tests).
#pragma once

#include "app.h"
#include "kq3917e_testseam.h"
#include "mainpanel.h"
#include "maintenance.h"
#include "measure.h"
#include "userint.h"
#include "userint_testseam.h"
#include <uctpanels.h>

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <utility>

inline const ViStatus kError = -1074001000; // a status with no text of its own
enum { IGNORE = 1, DEMO = 2, EXIT = 3 };    // the error popup's buttons

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
        registerCalibrationCallbacks();
    }

    void SetUp() override
    {
        uitest::Activate();
        drvtest::ResetDriver();
        kq3917e_simulate(1);
        demoMode = calibrationMode[0] = calibrationMode[1] = 0;
        instrSession = 1;
        resetMainPanelState();
        ASSERT_GT(mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN), 0);
        uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT); // opens CONFIGSYS
        drvtest::StartRecording();
    }

    void TearDown() override
    {
        for (int *panel : {&configSysPanel, &fticPanel, &nvmPanel, &mainPanel})
            DiscardPanel(std::exchange(*panel, 0)); // 0: no panel, nothing done
        uitest::Deactivate();
    }

    // A new chassis text stands up fresh module models; `switches` are its
    // device items (",latency=3").
    static void openModule(const std::string &switches = "")
    {
        static int chassis = 0;
        const std::string device = "PXI0::7-0.0::INSTR";
        setenv("UCT_SIMKIT_CHASSIS", (device + ",seed=" + std::to_string(++chassis) + switches).c_str(), 1);
        drvtest::ReloadDriverLibrary();
        ASSERT_EQ(kq3917e_simulate(0), VI_SUCCESS);
        ASSERT_EQ(kq3917e_init(device.c_str(), 1, 1, &instrSession), VI_SUCCESS);
        snprintf(resourceName, sizeof resourceName, "%s", device.c_str());
        for (auto [panel, id] : {std::pair{&fticPanel, FTIC}, {&nvmPanel, NVM}})
            *panel = *panel ? *panel : LoadPanel(0, RESOURCE_FILE, id);
        drvtest::ClearCalls();
        uitest::Activate(); // no popup answers or dialogs left from before
    }

    // Demonstration mode (1) as start-up enters it, or back to the module (0).
    static void demonstration(int on)
    {
        demoMode = on;
        kq3917e_simulate(static_cast<ViInt16>(on));
        drvtest::ClearCalls();
    }

    static void press(int c, int event = EVENT_COMMIT) { uitest::CallCtrlCallback(configSysPanel, c, event); }

    // Chooses a menu item as the user does: its Qt action fires.
    static void choose(int p, const char *m) { uitest::PanelWidget(p)->findChild<QAction *>(m)->trigger(); }

    // A fresh start for the next action: the named operation returns status,
    // the popups are answered in order (0s skipped), nothing recorded yet.
    static void refuse(const std::string &operation, ViStatus status, std::vector<int> answers = {})
    {
        drvtest::ClearRefusals();
        drvtest::Refuse(operation, status);
        std::erase(answers, 0);
        uitest::Activate(); // nothing recorded or scripted left from before
        uitest::ScriptPopupAnswers(answers);
        drvtest::ClearCalls();
    }
};

template <typename T = int> T value(int panel, int control)
{
    T v{};
    GetCtrlVal(panel, control, &v);
    return v;
}

// f(item) for each item, the empty ones left out, joined by `sep`.
template <typename Items, typename F> std::string joined(const Items &items, const std::string &sep, F f)
{
    std::string all;
    for (const auto &item : items) {
        const std::string one = f(item);
        all += all.empty() || one.empty() ? one : sep + one;
    }
    return all;
}

// Integer values of controls joined by blanks.
inline std::string values(int panel, std::initializer_list<int> controls)
{
    return joined(controls, " ", [&](int control) { return std::to_string(value(panel, control)); });
}

// A control's text, or with an attribute that text attribute of it; with
// control 0 the panel's attribute.
inline std::string text(int panel, int control, int attribute = 0)
{
    char v[SHARED_TEXT_SIZE] = "";
    (void)(control == 0 ? GetPanelAttribute(panel, attribute, v, sizeof v)
           : attribute  ? GetCtrlAttribute(panel, control, attribute, v, sizeof v)
                        : GetCtrlVal(panel, control, v));
    return v;
}

// The driver calls so far as "name(arguments)", prefix and the reporters'
// message look-ups left out, joined by blanks.
inline std::string calls()
{
    return joined(drvtest::Calls(), " ", [](const drvtest::Call &call) {
        return call.name == "kq3917e_error_message" ? "" : call.name.substr(8) + "(" + call.args + ")";
    });
}

// The popups so far (or those of a kind or title) as "title: text", joined by '|'.
inline std::string popups(const std::string &only = "")
{
    return joined(uitest::Popups(), "|", [&](const uitest::PopupRecord &popup) {
        return only.empty() || only == popup.kind || only == popup.title ? popup.title + ": " + popup.text
                                                                         : "";
    });
}
