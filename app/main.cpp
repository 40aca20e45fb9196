// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry; "--version" prints the version and ends. Exit codes:
// 0 normal quit, -1 toolkit or panel failure, -2 no module and no
// demonstration (see app/README.md).
#include "app.h"
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
    registerProgramCallbacks();
    loadReadingDisplay();
    // The resource file comes first: one that is missing, unreadable, no
    // regular file, too large, or other than the program was built with
    // would fail later with less to say, after the questions of start-up.
    char why[MAX_PATHNAME_LEN + 512] = "";
    if (CheckResourceFile(RESOURCE_FILE, UCT_PANELS_FINGERPRINT, why, sizeof why) != 0) {
        char text[sizeof why + 64];
        snprintf(text, sizeof text, "The panel resource file cannot be used: %s", why);
        fprintf(stderr, "uct-sfp: %s\n", text);
        MessagePopup("Resource file error", text);
        return EXIT_STARTUP_FAILED;
    }
    return runSoftFrontPanel();
}
