// SPDX-License-Identifier: GPL-3.0-or-later
// The status lamp beside the slot and the panel titles: whether the module
// answers, or whether the driver only simulates one.
#include "app.h"

#include "userint.h"
#include <uctpanels.h>

void showModuleStatus(int state)
{
    static const char *const captions[] = {"ONLINE", "NO RESPONSE", "DEMO"};
    // A simulated module is never shown as the real one, answering or not.
    if (demoMode) {
        state = MODULE_DEMO;
    }
    if (state < MODULE_ONLINE || state > MODULE_DEMO) {
        return;
    }
    SetCtrlAttribute(mainPanel, MAIN_STATUS_LED, ATTR_LABEL_TEXT, captions[state]);
    SetCtrlVal(mainPanel, MAIN_STATUS_LED, state == MODULE_NO_RESPONSE ? 0 : 1);
}

const char *titledModule(void)
{
    // resourceName then holds whatever VISA listed last, or the module that
    // was left: neither is what the panels show.
    return demoMode ? "Demonstration mode" : resourceName;
}
