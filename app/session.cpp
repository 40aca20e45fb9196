// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the 3917 modules through VISA, choosing one, opening the driver
// session on it, or falling back to the driver's simulation.
#include "app.h"

#include "userint.h"
#include <uctpanels.h>

#include <cstdio>
#include <cstring>

ViSession instrSession = 0;
ViSession defaultRM = 0;
char resourceName[RESOURCE_NAME_SIZE] = "";
int demoMode = 0;
char sharedText[SHARED_TEXT_SIZE] = "";
int chosenIndex = CHOICE_NONE;

#define ACTION_TEXT_SIZE 256
#define SLOT_TEXT_SIZE 16
#define FIND_EXPRESSION "PXI?*INSTR"
// An overlong descriptor is cut to what the action text's buffer holds.
#define INIT_ACTION "initializing ZORa 3917 descriptor '%.219s'"
// Seconds the choice wait idles between looks, so that it does not spin the CPU.
#define CHOICE_POLL_SECONDS 0.01

static char foundResources[MAX_MODULES][RESOURCE_NAME_SIZE];

static const int selectButtons[MAX_MODULES] = {
    CHOOSE_SELECT_1, CHOOSE_SELECT_2, CHOOSE_SELECT_3, CHOOSE_SELECT_4, CHOOSE_SELECT_5,
    CHOOSE_SELECT_6, CHOOSE_SELECT_7, CHOOSE_SELECT_8, CHOOSE_SELECT_9, CHOOSE_SELECT_10};
static const int resourceIndicators[MAX_MODULES] = {
    CHOOSE_RESOURCE_1, CHOOSE_RESOURCE_2, CHOOSE_RESOURCE_3, CHOOSE_RESOURCE_4, CHOOSE_RESOURCE_5,
    CHOOSE_RESOURCE_6, CHOOSE_RESOURCE_7, CHOOSE_RESOURCE_8, CHOOSE_RESOURCE_9, CHOOSE_RESOURCE_10};
static const int slotIndicators[MAX_MODULES] = {CHOOSE_SLOT_1, CHOOSE_SLOT_2, CHOOSE_SLOT_3, CHOOSE_SLOT_4,
                                                CHOOSE_SLOT_5, CHOOSE_SLOT_6, CHOOSE_SLOT_7, CHOOSE_SLOT_8,
                                                CHOOSE_SLOT_9, CHOOSE_SLOT_10};

void reportLoadFailure(const char *title, int handle)
{
    char why[MAX_PATHNAME_LEN + 512] = "";
    char text[sizeof why + 64];
    GetLoadPanelError(why, sizeof why);
    snprintf(text, sizeof text, "Error %d returned from function LoadPanel(): %s", handle, why);
    MessagePopup(title, text);
}

int isSupportedModule(const char *descriptor)
{
    if (strstr(descriptor, "PXI") == NULL)
        return 0;
    ViSession probe = 0;
    if (viOpen(defaultRM, descriptor, 0, 0, &probe) < 0)
        return 0;
    ViUInt16 vendor = 0;
    ViUInt16 model = 0;
    int supported = viGetAttribute(probe, VI_ATTR_MANF_ID, &vendor) >= 0 && vendor == KQ3917_VENDOR_ID &&
                    viGetAttribute(probe, VI_ATTR_MODEL_CODE, &model) >= 0 && model == KQ3917_MODEL_CODE;
    viClose(probe);
    return supported;
}

int offerDemoMode(void)
{
    demoMode = ConfirmPopup("No ZORa 3917's Found",
                            "No ZORa 3917's have been found in this system.\n\nDo you want to run the "
                            "demonstration?") == 1;
    if (!demoMode)
        return SESSION_GAVE_UP;
    kq3917e_simulate(1);
    kq3917e_reset(instrSession);
    return SESSION_READY;
}

int choose_3917(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)panel, (void)callbackData, (void)eventData1, (void)eventData2;
    if (event != EVENT_COMMIT)
        return 0;
    if (control == CHOOSE_CANCEL) {
        chosenIndex = CHOICE_CANCELLED;
        return 0;
    }
    for (int row = 0; row < MAX_MODULES; row++) {
        if (control == selectButtons[row])
            chosenIndex = row;
    }
    return 0;
}

// Fills foundResources with the supported modules in VISA's order; returns
// how many. resourceName receives each listed descriptor in turn.
static int findModules(void)
{
    ViFindList findList = 0;
    ViUInt32 matches = 0;
    SetWaitCursor(1);
    if (viFindRsrc(defaultRM, FIND_EXPRESSION, &findList, &matches, resourceName) < 0)
        matches = 0;
    SetWaitCursor(0);

    int found = 0;
    if (matches == 0)
        return found;
    if (isSupportedModule(resourceName))
        snprintf(foundResources[found++], RESOURCE_NAME_SIZE, "%s", resourceName);
    while (--matches > 0 && found < MAX_MODULES) {
        if (viFindNext(findList, resourceName) >= 0 && isSupportedModule(resourceName))
            snprintf(foundResources[found++], RESOURCE_NAME_SIZE, "%s", resourceName);
    }
    viClose(findList);
    return found;
}

// Asks about the reset and opens the module named in resourceName. A warning
// is reported only when warningTitle is given.
static int openModule(const char *promptFormat, const char *errorTitle, const char *warningTitle)
{
    snprintf(sharedText, sizeof sharedText, promptFormat, resourceName);
    ViBoolean reset = ConfirmPopup("Module Init", sharedText) == 1 ? VI_TRUE : VI_FALSE;

    ViSession session = 0;
    SetWaitCursor(1);
    ViStatus status = kq3917e_init(resourceName, VI_TRUE, reset, &session);
    SetWaitCursor(0);

    char action[ACTION_TEXT_SIZE];
    snprintf(action, sizeof action, INIT_ACTION, resourceName);
    if (status < 0) {
        reportError(errorTitle, action, status);
        return offerDemoMode();
    }
    if (status > 0 && warningTitle != NULL)
        reportError(warningTitle, action, status);
    instrSession = session;
    return SESSION_READY;
}

// Probes each found module and shows it in its row; returns the rows filled.
static int fillChoiceRows(int panel, int found, int rowFilled[MAX_MODULES])
{
    int filled = 0;
    for (int row = 0; row < found; row++) {
        rowFilled[row] = 0;
        ViSession probe = 0;
        if (viOpen(defaultRM, foundResources[row], 0, 0, &probe) < 0)
            continue;
        ViInt16 slot = 0;
        if (viGetAttribute(probe, VI_ATTR_SLOT, &slot) >= 0) {
            char slotText[SLOT_TEXT_SIZE];
            snprintf(slotText, sizeof slotText, "%d", slot);
            SetCtrlVal(panel, resourceIndicators[row], foundResources[row]);
            SetCtrlVal(panel, slotIndicators[row], slotText);
            rowFilled[row] = 1;
            filled++;
        }
        viClose(probe);
    }
    // Only a filled row can be chosen.
    for (int row = 0; row < MAX_MODULES; row++)
        SetCtrlAttribute(panel, selectButtons[row], ATTR_DIMMED, row < found && rowFilled[row] ? 0 : 1);
    return filled;
}

// Keeps the interface alive until a filled row or cancel is pressed; presses
// on empty rows are forgotten. A panel that went away without Cancel (hidden
// or closed by the window manager) cannot be answered any more: that is Cancel.
static int awaitChoice(int panel, const int rowFilled[MAX_MODULES], int found)
{
    chosenIndex = CHOICE_NONE;
    for (;;) {
        int visible = 0;
        if (chosenIndex == CHOICE_CANCELLED || GetPanelAttribute(panel, ATTR_VISIBLE, &visible) < 0 ||
            !visible)
            return CHOICE_CANCELLED;
        if (chosenIndex >= 0 && chosenIndex < found && rowFilled[chosenIndex])
            return chosenIndex;
        chosenIndex = CHOICE_NONE;
        ProcessSystemEvents();
        if (chosenIndex == CHOICE_NONE)
            Delay(CHOICE_POLL_SECONDS);
    }
}

static int chooseModule(int found)
{
    int panel = LoadPanel(0, RESOURCE_FILE, CHOOSE);
    if (panel < 0) {
        reportLoadFailure("Error loading choice panel", panel);
        return SESSION_PANEL_FAILED;
    }
    SetPanelPos(panel, VAL_AUTO_CENTER, VAL_AUTO_CENTER);
    DisplayPanel(panel);
    for (int row = 0; row < MAX_MODULES; row++)
        SetCtrlVal(panel, selectButtons[row], 0);

    // The panel stays up behind the questions that follow until the step ends.
    int result;
    int rowFilled[MAX_MODULES] = {0};
    if (fillChoiceRows(panel, found, rowFilled) == 0) {
        MessagePopup("Autoconnect Error", "VISA errors prevent selection of 3917e");
        result = offerDemoMode();
    } else {
        int choice = awaitChoice(panel, rowFilled, found);
        if (choice == CHOICE_CANCELLED) {
            result = SESSION_GAVE_UP;
        } else {
            snprintf(resourceName, sizeof resourceName, "%s", foundResources[choice]);
            result = openModule("Opening session with PXI 3917 at %s.\nDo you want to reset?", "KQ3917 Error",
                                NULL);
        }
    }
    DiscardPanel(panel);
    return result;
}

int openInstrumentSession(void)
{
    SetWaitCursor(1);
    kq3917e_simulate(0);
    ViStatus status = viOpenDefaultRM(&defaultRM);
    SetWaitCursor(0);
    if (status < 0) {
        reportError("VISA ERROR",
                    "calling viOpenDefaultRM\nPlease ensure VISA has been installed in this conputer\n",
                    status);
        return offerDemoMode();
    }

    int found = findModules();
    demoMode = 0;
    if (found == 0)
        return offerDemoMode();
    if (found > 1)
        return chooseModule(found);
    snprintf(resourceName, sizeof resourceName, "%s", foundResources[0]);
    return openModule("Opening session with kq3917e at %s.\nDo you want to reset?", "Initialization Error",
                      "Initialization Warning");
}
