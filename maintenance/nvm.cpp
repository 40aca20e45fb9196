// SPDX-License-Identifier: GPL-3.0-or-later
// Module data panel: the module's data texts, three of them editable. Every
// text passes through the shared text buffer; an edit goes to the module at
// once, and the module stores the data only when asked from the menu.
#include "maintenance.h"

#include "app.h"
#include "kq3917e.h"
#include "userint.h"
#include <uctpanels.h>

#include <cstdio>

struct NvmItem {
    int16_t item;
    int control;
};

// In the order the module is asked for them.
static const NvmItem nvmItems[] = {
    {5, NVM_DATA_5}, {6, NVM_DATA_6}, {7, NVM_DATA_7}, {8, NVM_DATA_8},
    {2, NVM_DATA_2}, {1, NVM_DATA_1}, {3, NVM_DATA_3},
};

static int16_t editableItem(int control)
{
    switch (control) {
    case NVM_DATA_1:
        return 1;
    case NVM_DATA_2:
        return 2;
    case NVM_DATA_3:
        return 3;
    default:
        return 0;
    }
}

int kq3917cal_nvmPanelCallback(int panel, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_GOT_FOCUS) {
        return 0;
    }
    snprintf(sharedText, SHARED_TEXT_SIZE, "ZORa 3917 Universal Counter Timer - NVM [%s]", titledModule());
    SetPanelAttribute(panel, ATTR_TITLE, sharedText);
    if (demoMode) {
        return 0;
    }
    for (const NvmItem &it : nvmItems) {
        // A failed query leaves the field as it was: the buffer still holds
        // an earlier text that belongs to something else.
        if (kq3917e_queryModuleData(instrSession, it.item, sharedText) >= 0) {
            sharedText[SHARED_TEXT_SIZE - 1] = '\0';
            SetCtrlVal(panel, it.control, sharedText);
        }
    }
    return 0;
}

int kq3917cal_nvmCallback(int panel, int control, int event, void *callbackData, int eventData1,
                          int eventData2)
{
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (control == NVM_CLOSE && event == EVENT_COMMIT) {
        HidePanel(panel);
        return 0;
    }
    int16_t item = editableItem(control);
    if (item != 0 && event == EVENT_VAL_CHANGED && !demoMode) {
        // The whole text as it stands now, never a difference.
        GetCtrlVal(panel, control, sharedText);
        kq3917e_confModuleData(instrSession, item, sharedText);
    }
    return 0;
}

void nvmMenuCallback(int menuBar, int menuItem, void *callbackData, int panel)
{
    (void)menuBar;
    (void)callbackData;
    if (menuItem == NVMMENU_WRITE) {
        checkError(kq3917e_WriteModuleData(instrSession), "storing module data");
    } else {
        HidePanel(panel);
    }
}

void registerCalibrationCallbacks(void)
{
    RegisterPanelCallback("kq3917cal_fticPanelCallback", kq3917cal_fticPanelCallback);
    RegisterCtrlCallback("kq3917cal_fticCallback", kq3917cal_fticCallback);
    RegisterMenuCallback("calFticMenuCallback", calFticMenuCallback);
    RegisterPanelCallback("kq3917cal_nvmPanelCallback", kq3917cal_nvmPanelCallback);
    RegisterCtrlCallback("kq3917cal_nvmCallback", kq3917cal_nvmCallback);
    RegisterMenuCallback("nvmMenuCallback", nvmMenuCallback);
}
