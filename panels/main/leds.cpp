// SPDX-License-Identifier: GPL-3.0-or-later
// The step buttons hold no state of their own: they read it back from the
// LEDs that show it, so these helpers are the buttons' memory.
#include "app.h"
#include "handlers.h"
#include "mainpanel.h"
#include "measure.h"
#include "userint.h"

int ledIsLit(int control)
{
    int value = 0;
    GetCtrlVal(mainPanel, control, &value);
    return value != 0;
}

unsigned readLedBits(const int *leds, int count)
{
    unsigned bits = 0;
    for (int i = 0; i < count; i++) {
        if (ledIsLit(leds[i])) {
            bits |= 1u << i;
        }
    }
    return bits;
}

void writeLedBits(const int *leds, int count, unsigned bits)
{
    for (int i = 0; i < count; i++) {
        SetCtrlVal(mainPanel, leds[i], (int)((bits >> i) & 1u));
    }
}

void showOneLit(const int *leds, int count, int lit)
{
    for (int i = 0; i < count; i++) {
        SetCtrlVal(mainPanel, leds[i], i == lit ? 1 : 0);
    }
}

int stepLitLed(const int *leds, int count, int state)
{
    if (state < 0 || state >= count) {
        return state;
    }
    int next = (state + 1) % count;
    SetCtrlVal(mainPanel, leds[state], 0);
    SetCtrlVal(mainPanel, leds[next], 1);
    return next;
}

void showZeroReading(void)
{
    lastReading = 0.0;
    formatReading(lastReading);
}
