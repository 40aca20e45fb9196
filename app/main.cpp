// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry. Exit codes: 0 normal quit, -1 toolkit or panel
// failure, -2 no module and no demonstration (see app/README.md).
#include "app.h"

#include "userint.h"
#include <uctpanels.h>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (InitUIRuntime(argc, argv) == 0)
        return EXIT_STARTUP_FAILED;
    // A resource file other than the one the program was built with would bind
    // controls to the wrong handlers: refuse it before any panel is loaded.
    char why[1024] = "";
    if (CheckResourceFile(RESOURCE_FILE, UCT_PANELS_FINGERPRINT, why, sizeof why) != 0) {
        fprintf(stderr, "uct-sfp: %s\n", why);
        MessagePopup("Resource file error", why);
        return EXIT_STARTUP_FAILED;
    }
    registerAppCallbacks();
    registerMainPanelCallbacks();
    registerMeasureCallbacks();
    return runSoftFrontPanel();
}
