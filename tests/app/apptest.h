// SPDX-License-Identifier: GPL-3.0-or-later
// Shared fixture of the app tests: seams on, built-in driver at power-on,
// globals as at start.
#pragma once

#include "app.h"
#include "kq3917e_testseam.h"
#include "userint.h"
#include "userint_testseam.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class AppTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
};

// The session globals as they are when the program starts.
void resetAppGlobals();

// Registers do-nothing callbacks under the names that MAIN binds to other
// layers, so that the app's own code is tested alone.
void registerOtherLayerStubs();
// Ticks that reached the stand-in timer callback.
int stubTimerTicks();

// Runs fn from inside the next event-loop pass (a wait or RunUserInterface).
void runSoon(std::function<void()> fn);

// Handle of the loaded panel that holds a control of that object name, or 0.
int findPanelWithControl(const char *controlName);

// Driver calls recorded so far with this operation name.
std::vector<drvtest::Call> callsNamed(const std::string &name);

// The popups' titles, in order.
std::vector<std::string> popupTitles();

// The report text that reportError composes for actionText and status.
std::string expectedReport(const std::string &actionText, ViStatus status);

// The main panel as start-up left it.
struct MainPanelView {
    std::string slot;
    int led = -1;
    bool visible = false;
};

// Runs start-up; when the main panel comes up, reads it into view and
// presses Quit. Returns the exit code.
int runAndQuit(MainPanelView *view);
