// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry. Exit codes: 0 normal quit, -1 toolkit or panel
// failure, -2 no module and no demonstration (see app/README.md).
#include "app.h"
#include "maintenance.h"

#include "userint.h"

int main(int argc, char *argv[])
{
    if (InitUIRuntime(argc, argv) == 0)
        return EXIT_STARTUP_FAILED;
    registerAppCallbacks();
    registerMainPanelCallbacks();
    registerMeasureCallbacks();
    registerCalibrationCallbacks();
    return runSoftFrontPanel();
}
