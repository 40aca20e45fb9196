// SPDX-License-Identifier: GPL-3.0-or-later
#include "simpxi.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

void SimulatedPxi::standUp(const std::string &chassis)
{
    setenv("UCT_SIMKIT_CHASSIS", chassis.c_str(), 1);
    // A new name each time: the stand-in keeps a log open until the name changes.
    static int standUps = 0;
    logPath = ::testing::TempDir() + "uct_app_simkit_" + std::to_string(getpid()) + "_" +
              std::to_string(++standUps) + ".log";
    std::remove(logPath.c_str());
    setenv("UCT_SIMKIT_LOG", logPath.c_str(), 1);
    uitest::Activate();
    drvtest::ReloadDriverLibrary();
    drvtest::StartRecording();
    resetAppGlobals();
}

void SimulatedPxi::TearDown()
{
    drvtest::StopRecording();
    uitest::Deactivate();
    unsetenv("UCT_SIMKIT_LOG");
}

int SimulatedPxi::linesOfLog(const std::string &start) const
{
    std::ifstream log(logPath);
    int count = 0;
    for (std::string line; std::getline(log, line);)
        count += line.rfind(start, 0) == 0;
    return count;
}
