// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry; "--version" prints the version and ends. Exit codes:
// 0 normal quit, -1 toolkit or panel failure, -2 no module and no
// demonstration (see app/README.md).
#include "app.h"
#include "maintenance.h"
#include "measure.h"

#include "userint.h"
#include <uctpanels.h>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    // Answered before the toolkit starts, so it needs no display.
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("uct-sfp " UCT_SFP_VERSION "\n");
        return EXIT_NORMAL;
    }
    if (InitUIRuntime(argc, argv) == 0)
        return EXIT_STARTUP_FAILED;
    // A resource file other than the one the program was built with would bind
    // controls to the wrong handlers: refuse it before any panel is loaded. A
    // missing file is left to the first LoadPanel, which reports it.
    char why[1024] = "";
    int check = CheckResourceFile(RESOURCE_FILE, UCT_PANELS_FINGERPRINT, why, sizeof why);
    if (check != 0 && check != UIE_FILE_NOT_FOUND) {
        char text[1200];
        snprintf(text, sizeof text, "The panel resource file does not fit this program: %s", why);
        fprintf(stderr, "uct-sfp: %s\n", text);
        MessagePopup("Resource file error", text);
        return EXIT_STARTUP_FAILED;
    }
    registerAppCallbacks();
    registerMainPanelCallbacks();
    registerMeasureCallbacks();
    loadReadingDisplay();
    registerMaintenanceCallbacks();
    registerCalibrationCallbacks();
    return runSoftFrontPanel();
}
