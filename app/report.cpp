// SPDX-License-Identifier: GPL-3.0-or-later
// The three reporters: start-up failures, main and math panel statuses, and
// the system panel's statuses with the way out to the simulation.
#include "app.h"

#include "userint.h"

#include <cstdio>

// Asks the driver to explain status into text (cleared first, and shown as
// it is whatever the driver returns).
static void explainStatus(ViStatus status, char text[KQ3917E_MESSAGE_SIZE])
{
    text[0] = '\0';
    kq3917e_error_message(instrSession, status, text);
    text[KQ3917E_MESSAGE_SIZE - 1] = '\0';
}

void reportError(const char *title, const char *actionText, ViStatus status)
{
    char text[KQ3917E_MESSAGE_SIZE];
    char message[512] = "";
    SetWaitCursor(1);
    explainStatus(status, text);
    SetWaitCursor(0);
    snprintf(message, sizeof message, "Error while %s\nError code = %d (%X)\nError Message = '%-.80s'\n",
             actionText, (int)status, (unsigned)status, text);
    MessagePopup(title, message);
}

void checkError(ViStatus status, const char *actionText)
{
    // The user stopped the call with ABORT: nothing to report, and the
    // module's state is not known from it.
    if (status == KQ3917E_ERROR_ABORTED) {
        return;
    }
    if (status == VI_SUCCESS) {
        // The module answers again after a reading it did not give.
        showModuleStatus(MODULE_ONLINE);
        return;
    }
    char text[KQ3917E_MESSAGE_SIZE];
    char message[300] = "";
    explainStatus(status, text);
    snprintf(message, sizeof message, "%s: %s", actionText, text);
    MessagePopup("API Error", message);
}

// Popup buttons; Esc gives "Demo", as it always did.
enum { SFP_BUTTON_IGNORE = 1, SFP_BUTTON_DEMO = 2, SFP_BUTTON_EXIT = 3 };

int reportSfpError(ViStatus status, const char *functionName)
{
    if (demoMode == 1 || status == VI_SUCCESS || status == KQ3917E_ERROR_ABORTED)
        return SFP_ERROR_CONTINUE;
    char text[KQ3917E_MESSAGE_SIZE];
    char message[512] = "";
    explainStatus(status, text);
    if (status > 0) {
        snprintf(message, sizeof message, "Function \"%s\" returned the warning:\n\"%s\"\n", functionName,
                 text);
        MessagePopup("Soft Front Panel Warning", message);
        return SFP_ERROR_CONTINUE;
    }
    snprintf(message, sizeof message,
             "Function \"%s\" returned the error:\n\"%s\"\nClick:\n  \"Ignore\" to return to the current "
             "panel\n  \"Exit\" to close the current panel\n  \"Demo\" to switch to the demo mode.",
             functionName, text);
    int button = GenericMessagePopup("Soft Front Panel Error", message, "Ignore", "Demo", "Exit", NULL, 0, 0,
                                     SFP_BUTTON_IGNORE, SFP_BUTTON_IGNORE, SFP_BUTTON_DEMO);
    if (button == SFP_BUTTON_EXIT)
        return SFP_ERROR_EXIT;
    if (button == SFP_BUTTON_DEMO) {
        demoMode = 1;
        kq3917e_simulate(1);
        kq3917e_reset(instrSession);
    }
    return SFP_ERROR_CONTINUE;
}
