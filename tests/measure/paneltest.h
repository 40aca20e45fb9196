// SPDX-License-Identifier: GPL-3.0-or-later
// MAIN loaded from the resource file over the simulated module, seams on,
// the settings record and run state at their start values. Header only, so
// that the refresh tests of the main panel share it.
#pragma once

#include "app.h"
#include "kq3917e_testseam.h"
#include "mainpanel.h"
#include "measure.h"
#include "userint.h"
#include "userint_testseam.h"
#include <uctpanels.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class MainPanelTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InitUIRuntime(0, nullptr), 1);
        // The strip chart's own callback belongs to a later layer; these
        // tests only need the panel open. A real registration replaces it.
        RegisterCtrlCallback("stripChartEvent", [](int, int, int, void *, int, int) { return 0; });
        registerAppCallbacks();
        registerMainPanelCallbacks();
        registerMeasureCallbacks();
    }

    void SetUp() override
    {
        uitest::Activate();
        drvtest::ResetDriver();
        kq3917e_simulate(1);
        resetMainPanelState();
        mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
        ASSERT_GT(mainPanel, 0);
        drvtest::StartRecording();
    }

    void TearDown() override
    {
        drvtest::StopRecording();
        drvtest::ClearRefusals();
        if (stripChartPanel > 0) {
            DiscardPanel(stripChartPanel);
            stripChartPanel = 0;
        }
        DiscardPanel(mainPanel);
        mainPanel = 0;
        uitest::Deactivate();
    }
};

// Names of the driver calls recorded so far, in order.
inline std::vector<std::string> callNames()
{
    std::vector<std::string> names;
    for (const drvtest::Call &call : drvtest::Calls()) {
        names.push_back(call.name);
    }
    return names;
}

inline std::string mainText(int control)
{
    char text[256] = "";
    GetCtrlVal(mainPanel, control, text);
    return text;
}

inline int mainInt(int control)
{
    int value = 0;
    GetCtrlVal(mainPanel, control, &value);
    return value;
}

inline double mainDouble(int control)
{
    double value = 0.0;
    GetCtrlVal(mainPanel, control, &value);
    return value;
}

inline int mainAttribute(int control, int attribute)
{
    int value = -1;
    GetCtrlAttribute(mainPanel, control, attribute, &value);
    return value;
}
