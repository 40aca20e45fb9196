// SPDX-License-Identifier: GPL-3.0-or-later
// Fixture over the simulated PXI system: the stand-in VISA and driver
// libraries (found on the library path) and a chassis set per test.
#pragma once

#include "apptest.h"

class SimulatedPxi : public ::testing::Test
{
  protected:
    void TearDown() override;
    // Stands up the chassis (simkit description), starts its call log, and
    // brings the driver, the toolkit seam and the globals back to start.
    void standUp(const std::string &chassis);
    // Lines of the simkit's call log that begin with start.
    int linesOfLog(const std::string &start) const;

    std::string logPath;
};
