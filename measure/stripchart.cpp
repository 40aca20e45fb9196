// SPDX-License-Identifier: GPL-3.0-or-later
// The strip chart panel: the timer appends one point per continuous reading
// while it is open; its own callback records and closes it.
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
    if (event != EVENT_COMMIT) {
        return 0;
    }
    if (control == STRIPCHART_RECORD) {
        int on = 0;
        GetCtrlVal(stripChartPanel, STRIPCHART_RECORD, &on);
        if (!on) {
            stopRecording(nullptr);
            return 0;
        }
        char path[MAX_PATHNAME_LEN] = "";
        int chosen =
            FileSelectPopup("", "*.csv", "", "Record", VAL_SAVE_BUTTON, 0, 0, 1, 1, path, sizeof path);
        if (chosen == VAL_NO_FILE_SELECTED || startRecording(path) != 0) {
            SetCtrlVal(stripChartPanel, STRIPCHART_RECORD, 0);
        }
    } else if (control == STRIPCHART_CLOSE) {
        // The record control goes with the panel. From the next tick on the
        // trigger levels follow the module again.
        stopRecording("strip chart closed");
        DiscardPanel(stripChartPanel);
        stripChartPanel = 0;
    }
    return 0;
}
