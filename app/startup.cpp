// SPDX-License-Identifier: GPL-3.0-or-later
// From an initialised toolkit to the end of the event loop.
#include "app.h"

#include "userint.h"
#include <uctpanels.h>

#include <cstdio>

int mainPanel = 0;

// The simulated module sits in the slot that the demonstration has always shown.
#define DEMO_SLOT_TEXT "7"

static void showSlot(void)
{
    char slotText[100] = "";
    if (demoMode) {
        snprintf(slotText, sizeof slotText, "%s", DEMO_SLOT_TEXT);
    } else {
        ViInt16 slot = 0;
        if (viGetAttribute(instrSession, VI_ATTR_SLOT, &slot) < 0)
            snprintf(slotText, sizeof slotText, "?");
        else
            snprintf(slotText, sizeof slotText, "%d", slot);
    }
    SetCtrlVal(mainPanel, MAIN_SLOT, slotText);
    SetCtrlVal(mainPanel, MAIN_STATUS_LED, 1);
}

int runSoftFrontPanel(void)
{
    int session = openInstrumentSession();
    if (session == SESSION_PANEL_FAILED)
        return EXIT_STARTUP_FAILED;
    if (session != SESSION_READY)
        return EXIT_NO_MODULE;

    int panel = LoadPanel(0, RESOURCE_FILE, MAIN);
    if (panel < 0) {
        reportLoadFailure("Error loading main panel", panel);
        return EXIT_STARTUP_FAILED;
    }
    mainPanel = panel;
    showSlot();
    DisplayPanel(mainPanel);
    RunUserInterface();
    DiscardPanel(mainPanel);
    mainPanel = 0;
    return EXIT_NORMAL;
}
