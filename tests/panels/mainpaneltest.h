// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel's handler tests: MAIN over the simulated module (the
// measurement tests' fixture), commit presses, recorded driver calls and
// "API Error" reports.
#pragma once

#include "../measure/paneltest.h"
#include "handlers.h"
#include "maintables.h"

#include <string>
#include <utility>
#include <vector>

// A driver call as the tests compare it: operation and input arguments.
typedef std::pair<std::string, std::string> CallText;

class MainPanelHandlerTest : public MainPanelTest
{
  protected:
    void SetUp() override
    {
        MainPanelTest::SetUp();
        aboutPanel = 0;
    }

    // The secondary panels that a test left open.
    void TearDown() override
    {
        for (int *handle : {&configSysPanel, &versionPanel, &mathPanel, &histogramPanel, &aboutPanel}) {
            if (*handle > 0) {
                DiscardPanel(*handle);
            }
            *handle = 0;
        }
        MainPanelTest::TearDown();
    }
};

inline int press(int control)
{
    return uitest::CallCtrlCallback(mainPanel, control, EVENT_COMMIT);
}

inline int changeValue(int control)
{
    return uitest::CallCtrlCallback(mainPanel, control, EVENT_VAL_CHANGED);
}

// The calls sent to the module; the reporter's message look-ups left out.
inline std::vector<CallText> recordedCalls()
{
    std::vector<CallText> calls;
    for (const drvtest::Call &call : drvtest::Calls()) {
        if (call.name != "kq3917e_error_message") {
            calls.emplace_back(call.name, call.args);
        }
    }
    return calls;
}

// The popup text that checkError shows for a refused call.
inline std::string apiErrorText(const std::string &actionText, ViStatus status)
{
    char message[KQ3917E_MESSAGE_SIZE] = "";
    kq3917e_error_message(instrSession, status, message);
    return actionText + ": " + message;
}

inline void setLeds(const std::vector<int> &leds, const std::vector<int> &values)
{
    for (size_t i = 0; i < leds.size(); i++) {
        SetCtrlVal(mainPanel, leds[i], values[i]);
    }
}

inline std::vector<int> ledValues(const std::vector<int> &leds)
{
    std::vector<int> values;
    for (int led : leds) {
        values.push_back(mainInt(led));
    }
    return values;
}

inline double mainDoubleAttribute(int control, int attribute)
{
    double value = 0.0;
    GetCtrlAttribute(mainPanel, control, attribute, &value);
    return value;
}

// A status that the simulated driver has no text of its own for.
const ViStatus refusedStatus = -1074001000;
