// SPDX-License-Identifier: GPL-3.0-or-later
// The strip chart panel: the timer appends one point per continuous reading
// while it is open; its own callback only closes it.
#include "measure.h"

#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

int stripChartEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)panel;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_COMMIT && control == STRIPCHART_CLOSE) {
        // From the next tick on the trigger levels follow the module again.
        DiscardPanel(stripChartPanel);
        stripChartPanel = 0;
    }
    return 0;
}
