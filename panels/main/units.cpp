// SPDX-License-Identifier: GPL-3.0-or-later
// The reading's unit and the totalize controls follow the function.
#include "mainpanel.h"

#include "app.h"
#include "userint.h"
#include <uctpanels.h>

// Unit of the reading by function code.
static const char *const unitTexts[] = {"Hz", "Hz", "sec", "sec", "sec", "sec", "",    "",    "",
                                        "",   "",   "Hz",  "deg", "deg", "sec", "sec", "sec", "sec",
                                        "v",  "v",  "v",   "v",   "v",   "v",   "%"};

// Only the totalize functions (8 and 9) use the gate and the count clearing.
static const int totalizeControls[] = {MAIN_GATE, MAIN_GATE_LED, MAIN_CLEAR_COUNTS};

void showFunctionUnits(int16_t functionCode)
{
    // An unknown code keeps the unit shown so far.
    if (functionCode >= 0 && functionCode < (int16_t)(sizeof unitTexts / sizeof unitTexts[0])) {
        SetCtrlVal(mainPanel, MAIN_UNITS, unitTexts[functionCode]);
    }
    int dimmed = functionCode == 8 || functionCode == 9 ? 0 : 1;
    for (int control : totalizeControls) {
        SetCtrlAttribute(mainPanel, control, ATTR_DIMMED, dimmed);
    }
}
