// SPDX-License-Identifier: GPL-3.0-or-later
// The version panel: a new copy on every press, filled from the driver, the
// module and VISA. Nothing here is reported: a version that cannot be read
// shows as "N/A".
#include "app.h"
#include "handlers.h"
#include "mainpanel.h"
#include "userint.h"
#include "visa.h"
#include <uctpanels.h>

#include <cstdio>

#define NOT_AVAILABLE "N/A"
#define VISA_VERSION_SIZE 16

// The VISA specification version of the session's library. Without a module
// there is no VISA session to ask: the demonstration shows the fixed "2.0.0",
// or "N/A" when VISA could not be opened at all (no resource manager). The
// value packs major, minor and sub-minor into bits 31-20, 19-8 and 7-0.
static void formatVisaVersion(char *text, size_t textSize)
{
    if (demoMode != 0 || instrSession == 0) {
        snprintf(text, textSize, defaultRM != 0 ? "2.0.0" : NOT_AVAILABLE);
        return;
    }
    ViUInt32 value = 0;
    if (viGetAttribute(instrSession, VI_ATTR_RSRC_SPEC_VERSION, &value) < 0) {
        snprintf(text, textSize, NOT_AVAILABLE);
        return;
    }
    snprintf(text, textSize, "%u.%u.%u", (unsigned)(value >> 20) & 0xFFFu, (unsigned)(value >> 8) & 0xFFFu,
             (unsigned)value & 0xFFu);
}

int openVersionPanel(void)
{
    if (loadPanelInto(&versionPanel, VERSION) < 0) {
        return -1;
    }

    char driverText[KQ3917E_REVISION_SIZE] = "";
    char instrumentText[KQ3917E_REVISION_SIZE] = "";
    ViStatus status = kq3917e_revision_query(instrSession, driverText, instrumentText);
    driverText[sizeof driverText - 1] = '\0';
    instrumentText[sizeof instrumentText - 1] = '\0';
    if (status < 0) {
        snprintf(instrumentText, sizeof instrumentText, NOT_AVAILABLE);
    }
    if (driverText[0] == '\0') {
        snprintf(driverText, sizeof driverText, NOT_AVAILABLE);
    }
    SetCtrlVal(versionPanel, VERSION_PROGRAM, UCT_SFP_VERSION);
    SetCtrlVal(versionPanel, VERSION_FIRMWARE_REV, instrumentText);
    SetCtrlVal(versionPanel, VERSION_DRIVER_REV, driverText);

    // Sized for the longest text the driver may write.
    char moduleData[KQ3917E_MODULE_DATA_SIZE] = "";
    kq3917e_queryModuleData(instrSession, 8, moduleData);
    moduleData[sizeof moduleData - 1] = '\0';
    SetCtrlVal(versionPanel, VERSION_MODULE_DATA, moduleData);

    char visaText[VISA_VERSION_SIZE];
    formatVisaVersion(visaText, sizeof visaText);
    SetCtrlVal(versionPanel, VERSION_VISA, visaText);

    DisplayPanel(versionPanel);
    return 0;
}
