// SPDX-License-Identifier: GPL-3.0-or-later
// The three reporters: start-up failures, main and math panel statuses, and
// the system panel's statuses with the way out to the simulation.
#include "app.h"

#include "userint.h"

#include <climits>
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

static void showApiError(ViStatus status, const char *actionText)
{
    char text[KQ3917E_MESSAGE_SIZE];
    char message[300] = "";
    explainStatus(status, text);
    snprintf(message, sizeof message, "%s: %s", actionText, text);
    MessagePopup("API Error", message);
}

// The failures collected while a batch is open: a refresh of a module that is
// gone fails every query, and one popup per query would bury the window.
#define BATCH_CAPACITY 32
#define BATCH_ACTION_SIZE 64
#define BATCH_EXPLAINED 4
static int batchDepth = 0;
static int batchCount = 0; // failures collected, also beyond the capacity
static char batchActions[BATCH_CAPACITY][BATCH_ACTION_SIZE];
static ViStatus batchStatuses[BATCH_CAPACITY];

void beginReportBatch(void)
{
    batchDepth++;
}

// One line per failure with its status, then the driver's explanation of
// each different status, once.
static void showBatch(int count)
{
    const int listed = count < BATCH_CAPACITY ? count : BATCH_CAPACITY;
    char message[BATCH_CAPACITY * (BATCH_ACTION_SIZE + 16) + BATCH_EXPLAINED * (KQ3917E_MESSAGE_SIZE + 16) +
                 128];
    size_t used = (size_t)snprintf(message, sizeof message, "%d driver calls did not succeed:\n", count);
    for (int i = 0; i < listed && used < sizeof message; i++) {
        used += (size_t)snprintf(message + used, sizeof message - used, "%s: 0x%08X\n", batchActions[i],
                                 (unsigned)batchStatuses[i]);
    }
    if (count > listed && used < sizeof message) {
        used += (size_t)snprintf(message + used, sizeof message - used, "... and %d more\n", count - listed);
    }
    int explained = 0;
    for (int i = 0; i < listed && explained < BATCH_EXPLAINED && used < sizeof message; i++) {
        int seen = 0;
        for (int j = 0; j < i; j++) {
            seen |= batchStatuses[j] == batchStatuses[i];
        }
        if (!seen) {
            char text[KQ3917E_MESSAGE_SIZE];
            explainStatus(batchStatuses[i], text);
            used += (size_t)snprintf(message + used, sizeof message - used, "\n0x%08X: %s",
                                     (unsigned)batchStatuses[i], text);
            explained++;
        }
    }
    MessagePopup("API Error", message);
}

void endReportBatch(void)
{
    if (batchDepth == 0 || --batchDepth > 0) {
        return;
    }
    const int count = batchCount;
    batchCount = 0;
    if (count == 1) {
        showApiError(batchStatuses[0], batchActions[0]);
    } else if (count > 1) {
        showBatch(count);
    }
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
    if (batchDepth == 0) {
        showApiError(status, actionText);
        return;
    }
    if (batchCount < BATCH_CAPACITY) {
        snprintf(batchActions[batchCount], BATCH_ACTION_SIZE, "%s", actionText);
        batchStatuses[batchCount] = status;
    }
    batchCount += batchCount < INT_MAX ? 1 : 0;
}

// Popup buttons; Esc gives "Demo", as it always did.
enum { SFP_BUTTON_IGNORE = 1, SFP_BUTTON_DEMO = 2, SFP_BUTTON_CLOSE = 3 };

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
             "panel\n  \"Close Panel\" to close the current panel\n  \"Demo\" to switch to the demo mode.",
             functionName, text);
    int button = GenericMessagePopup("Soft Front Panel Error", message, "Ignore", "Demo", "Close Panel", NULL,
                                     0, 0, SFP_BUTTON_IGNORE, SFP_BUTTON_IGNORE, SFP_BUTTON_DEMO);
    if (button == SFP_BUTTON_CLOSE)
        return SFP_ERROR_CLOSE_PANEL;
    if (button == SFP_BUTTON_DEMO) {
        demoMode = 1;
        kq3917e_simulate(1);
        kq3917e_reset(instrSession);
    }
    return SFP_ERROR_CONTINUE;
}
