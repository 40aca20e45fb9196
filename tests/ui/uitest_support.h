// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the layer's tests: a recorder behind the fixture's callbacks.
#pragma once

#include "userint.h"
#include "userint_testseam.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

struct Raised {
    int panel, control, event;
    bool operator==(const Raised &) const = default;
};

// Everything the fixture's callbacks received, in order. Control events carry
// their control number; panel events carry 0; menu events carry the item.
std::vector<Raised> &raised();
// Runs inside the next callback (then cleared): lets a test act from a callback.
void onNextCallback(std::function<void()> action);

enum { FX_KINDS = 1, FX_PLAIN = 2 };
// Control numbers of the fixture file, in document order.
enum {
    FX_CMD = 2,
    FX_TOGGLE,
    FX_INT,
    FX_DBL,
    FX_INT_IND,
    FX_RING,
    FX_TEXT,
    FX_TEXT_IND,
    FX_LABEL,
    FX_LED,
    FX_CHECK,
    FX_PROGRESS,
    FX_GRAPH,
    FX_STRIP,
    FX_TIMER,
    FX_QUIT
};
enum { FX_PLAIN_OK = 2, FX_MENU_ONE = 2, FX_MENU_TWO = 3 };

std::string fixture(const char *name);

// Registers a callback that does nothing under every name the resource file
// at path binds; false when the file does not parse.
bool registerIgnoringCallbacks(const char *path);

// A fresh copy of the fixture's panel of every kind, with the seam active.
class KindsPanel : public testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    QWidget *widget(int control) const { return uitest::ControlWidget(panel, control); }
    int panel = 0;
};
