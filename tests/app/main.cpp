// SPDX-License-Identifier: GPL-3.0-or-later
#include "app.h"
#include "userint.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char *argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    // Headless, also when CTest lists the tests at build time.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (InitUIRuntime(argc, argv) == 0)
        return 1;
    registerAppCallbacks();
    return RUN_ALL_TESTS();
}
