// SPDX-License-Identifier: GPL-3.0-or-later
// The busy annunciator on the main display: what the module is doing while
// the panel waits for a driver call, and for how long so far.
#include "app.h"
#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

#include <cstdio>

void showBusyAnnunciator(int state, double elapsedSeconds, int inputRefused)
{
    char text[64] = "";
    if (state != BUSY_IDLE) {
        const char *what = "BUSY";
        if (state == BUSY_MEASURING) {
            // Past the aperture a reading still missing waits for its trigger.
            what = elapsedSeconds * 1e6 > (double)settings.aperture ? "WAITING FOR TRIGGER" : "MEASURING";
        }
        snprintf(text, sizeof text, "%s %.1f s%s", what, elapsedSeconds,
                 inputRefused ? "  ABORT/QUIT ONLY" : "");
    }
    SetCtrlVal(mainPanel, MAIN_BUSY_ANNUNCIATOR, text);
}
