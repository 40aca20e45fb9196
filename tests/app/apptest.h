// SPDX-License-Identifier: GPL-3.0-or-later
// Shared fixture of the app tests: seams on, driver at power-on, globals as
// at start, and the callbacks that MAIN binds to other layers stubbed.
#pragma once

#include "app.h"
#include "kq3917e_testseam.h"
#include "userint.h"
#include "userint_testseam.h"

#include <uctpanels.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <unistd.h>

// Over the simulated PXI system, UCT_SIMKIT_CHASSIS's chassis is stood up at
// the next viOpenDefaultRM after SetUp.
struct AppTest : ::testing::Test {
    void SetUp() override;
};

// Ticks that reached the stub behind MAIN's timer.
inline int timerTicks = 0;
// The recorded driver calls to these operations, as "name(session,args) " each.
std::string callsTo(const std::vector<std::string> &names);
// Every popup as "title" or, withText, "title: text".
std::vector<std::string> popupLines(bool withText);
std::string driverText(ViStatus status);
// What reportError shows for actionText and status.
std::string reportText(const std::string &actionText, ViStatus status);
