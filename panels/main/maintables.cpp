// SPDX-License-Identifier: GPL-3.0-or-later
#include "maintables.h"

#include "app.h"
#include "userint.h"
#include <uctpanels.h>

const int functionControls[FUNCTION_COUNT] = {MAIN_FN_00, MAIN_FN_01, MAIN_FN_02, MAIN_FN_03, MAIN_FN_04,
                                              MAIN_FN_05, MAIN_FN_06, MAIN_FN_07, MAIN_FN_08, MAIN_FN_09,
                                              MAIN_FN_10, MAIN_FN_11, MAIN_FN_12, MAIN_FN_13, MAIN_FN_14,
                                              MAIN_FN_15, MAIN_FN_16, MAIN_FN_17, MAIN_FN_18, MAIN_FN_19,
                                              MAIN_FN_20, MAIN_FN_21, MAIN_FN_22, MAIN_FN_23, MAIN_FN_24};

int functionOfControl(int control)
{
    for (int code = 0; code < FUNCTION_COUNT; code++) {
        if (functionControls[code] == control) {
            return code;
        }
    }
    return -1;
}

double triggerLevelLimit(int16_t attenuation)
{
    switch (attenuation) {
    case 1:
        return 51.0;
    case 2:
        return 204.0;
    default:
        return 5.1;
    }
}

void setTriggerLevelRange(int control, int16_t attenuation)
{
    double limit = triggerLevelLimit(attenuation);
    SetCtrlAttribute(mainPanel, control, ATTR_MAX_VALUE, limit);
    SetCtrlAttribute(mainPanel, control, ATTR_MIN_VALUE, -limit);
}
