// SPDX-License-Identifier: GPL-3.0-or-later
// About, help and quit: the information panels' buttons, the help file, the
// maker's web site and the end of the event loop.
#include "app.h"

#include "userint.h"
#include <uctpanels.h>

#include <cstdio>

int aboutPanel = 0;

// Programs are started directly, never through a shell, so a path with
// spaces or quotes stays one argument. The user manual is a web page.
#ifdef _WIN32
#define HELP_VIEWER "hh"
#define WEB_OPENER "explorer.exe"
#define PATH_SEPARATOR "\\"
#else
#define HELP_VIEWER "xdg-open"
#define WEB_OPENER "xdg-open"
#define PATH_SEPARATOR "/"
#endif

static int fileExists(const char *path)
{
    FILE *file = fopen(path, "rb");
    if (file == NULL)
        return 0;
    fclose(file);
    return 1;
}

// The maker's help file, in the working folder or installed with the
// program; sharedText receives its path. Returns 1 when there is one.
static int findHelpFile(void)
{
    char directory[MAX_PATHNAME_LEN] = "";
    if (GetDir(directory, sizeof directory) >= 0) {
        int length = snprintf(sharedText, sizeof sharedText, "%s" PATH_SEPARATOR HELP_FILE_NAME, directory);
        // A cut path would name another file.
        if (length > 0 && length < (int)sizeof sharedText && fileExists(sharedText))
            return 1;
    }
    return GetProgramFilePath(HELP_FILE_NAME, sharedText, sizeof sharedText) == UIE_NO_ERROR;
}

void openHelpFile(void)
{
    const char *opener = HELP_VIEWER;
    if (!findHelpFile()) {
        opener = WEB_OPENER;
        if (GetProgramFilePath(MANUAL_FILE_NAME, sharedText, sizeof sharedText) != UIE_NO_ERROR) {
            MessagePopup(HELP_TITLE, "No help is installed: neither the help file " HELP_FILE_NAME
                                     " nor the user manual of this program was found.");
            return;
        }
    }
    const char *arguments[] = {sharedText};
    if (LaunchExecutable(opener, arguments, 1) != UIE_NO_ERROR) {
        char message[SHARED_TEXT_SIZE + 128];
        snprintf(message, sizeof message,
                 "The help cannot be shown: the program %s, which opens\n%s\nwas not found or did not start.",
                 opener, sharedText);
        MessagePopup(HELP_TITLE, message);
    }
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
