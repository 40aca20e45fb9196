// SPDX-License-Identifier: GPL-3.0-or-later
// About, help and quit: the information panels' buttons, the help file, the
// maker's web site and the end of the event loop.
#include "app.h"

#include "userint.h"
#include <uctpanels.h>

#include <cstdio>

int aboutPanel = 0;

// Programs are started directly, never through a shell, so a path with
// spaces or quotes stays one argument.
#ifdef _WIN32
#define HELP_VIEWER "hh"
#define WEB_OPENER "explorer.exe"
#define PATH_SEPARATOR "\\"
#else
#define HELP_VIEWER "xdg-open"
#define WEB_OPENER "xdg-open"
#define PATH_SEPARATOR "/"
#endif

void openHelpFile(void)
{
    char directory[MAX_PATHNAME_LEN] = "";
    if (GetDir(directory, sizeof directory) < 0)
        return;
    int length = snprintf(sharedText, sizeof sharedText, "%s" PATH_SEPARATOR HELP_FILE_NAME, directory);
    // A cut path would name another file.
    if (length < 0 || length >= (int)sizeof sharedText)
        return;
    // The viewer would complain about a missing file in a window of its own.
    FILE *help = fopen(sharedText, "rb");
    if (help == NULL)
        return;
    fclose(help);
    const char *arguments[] = {sharedText};
    LaunchExecutable(HELP_VIEWER, arguments, 1);
}

void openWebSite(void)
{
    const char *arguments[] = {MAKER_WEB_ADDRESS};
    LaunchExecutable(WEB_OPENER, arguments, 1);
}

int infoEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)callbackData, (void)eventData1, (void)eventData2;
    if (event != EVENT_COMMIT)
        return 0;
    if (control == ABOUT_CLOSE) {
        // Several copies may be open: close the one whose button was pressed.
        DiscardPanel(panel);
        if (panel == aboutPanel)
            aboutPanel = 0;
    } else if (control == ABOUT_WEB) {
        openWebSite();
    }
    return 0;
}

int exit_about(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
    if (event != EVENT_COMMIT)
        return 0;
    HidePanel(panel);
    DiscardPanel(panel);
    DisplayPanel(mainPanel);
    return 0;
}

int exitSFP(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
    if (event != EVENT_COMMIT)
        return 0;
    // No measurement tick may reach the driver once quitting has begun.
    SuspendTimerCallbacks();
    QuitUserInterface(0);
    return 0;
}

void registerAppCallbacks(void)
{
    RegisterCtrlCallback("choose_3917", choose_3917);
    RegisterCtrlCallback("infoEvent", infoEvent);
    RegisterCtrlCallback("exit_about", exit_about);
    RegisterCtrlCallback("exitSFP", exitSFP);
}
