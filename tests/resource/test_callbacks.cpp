// SPDX-License-Identifier: GPL-3.0-or-later
// The program registers a callback under every name the resource file binds
// (checked as at start-up, which also compares the file with the build's).
#include "app.h"
#include "resourcekit.h"
#include "uctpanels.h"

#include <gtest/gtest.h>

TEST(Callbacks, TheProgramHasEveryCallbackTheResourceFileNames)
{
    registerProgramCallbacks();
    char why[1024] = "";
    EXPECT_EQ(CheckResourceFile(resourceFile, UCT_PANELS_FINGERPRINT, why, sizeof why), 0) << why;
}

int main(int argc, char *argv[])
{
    testing::InitGoogleTest(&argc, argv);
    return InitUIRuntime(argc, argv) ? RUN_ALL_TESTS() : 1;
}
