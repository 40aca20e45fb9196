// SPDX-License-Identifier: GPL-3.0-or-later
// Tables that the main panel's handlers and its refresh share, so that both
// light the same LED for a function and give a level control the same range.
#pragma once

#include <cstdint>

#define FUNCTION_COUNT 25

// The LED of each function code: functionControls[code] is MAIN_FN_<code>.
extern const int functionControls[FUNCTION_COUNT];

// The function code whose LED is control, or -1 for any other control.
int functionOfControl(int control);

// Limit r of a trigger level (the control accepts -r to +r volts) for an
// attenuation code: 0 gives 5.1, 1 gives 51, 2 gives 204, any other 5.1.
double triggerLevelLimit(int16_t attenuation);

// Sets the maximum, then the minimum, of a trigger level control on MAIN.
void setTriggerLevelRange(int control, int16_t attenuation);
