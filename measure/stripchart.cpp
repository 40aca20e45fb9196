// SPDX-License-Identifier: GPL-3.0-or-later
// The strip chart panel: the timer appends one point per continuous reading
// while it is open and not paused; its own callback records, clears, scales
// the y axis and closes it.
#include "measure.h"

#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

#include <cmath>

int stripChartPaused(void)
{
    int paused = 0;
    GetCtrlVal(stripChartPanel, STRIPCHART_PAUSE, &paused);
    return paused;
}

// Y MIN … Y MAX on the y axis; a range that is none changes nothing.
static void applyYRange(void)
{
    double min = 0, max = 0;
    GetCtrlVal(stripChartPanel, STRIPCHART_Y_MIN, &min);
    GetCtrlVal(stripChartPanel, STRIPCHART_Y_MAX, &max);
    if (!(min < max)) {
        MessagePopup("Strip Chart", "Y MIN must be below Y MAX.");
        return;
    }
    SetAxisRange(stripChartPanel, STRIPCHART_CHART, VAL_NO_CHANGE, 0, 0, VAL_MANUAL, min, max);
}

static void autoY(int on)
{
    SetCtrlAttribute(stripChartPanel, STRIPCHART_Y_MIN, ATTR_DIMMED, on);
    SetCtrlAttribute(stripChartPanel, STRIPCHART_Y_MAX, ATTR_DIMMED, on);
    if (on) {
        SetAxisRange(stripChartPanel, STRIPCHART_CHART, VAL_NO_CHANGE, 0, 0, VAL_AUTOSCALE, 0, 0);
        return;
    }
    double min = 0, max = 0;
    GetCtrlVal(stripChartPanel, STRIPCHART_Y_MIN, &min);
    GetCtrlVal(stripChartPanel, STRIPCHART_Y_MAX, &max);
    if (!(min < max)) {
        // Fields that hold no range yet (both 0 on a new panel) start from
        // the range shown, so switching to manual keeps the view.
        GetAxisRange(stripChartPanel, STRIPCHART_CHART, nullptr, nullptr, nullptr, nullptr, &min, &max);
        SetCtrlVal(stripChartPanel, STRIPCHART_Y_MIN, min);
        SetCtrlVal(stripChartPanel, STRIPCHART_Y_MAX, max);
    }
    applyYRange();
}

int stripChartEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)panel;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_COMMIT) {
        return 0;
    }
    int on = 0;
    switch (control) {
    case STRIPCHART_RECORD: {
        GetCtrlVal(stripChartPanel, STRIPCHART_RECORD, &on);
        if (!on) {
            stopRecording(nullptr);
            break;
        }
        char path[MAX_PATHNAME_LEN] = "";
        int chosen =
            FileSelectPopup("", "*.csv", "", "Record", VAL_SAVE_BUTTON, 0, 0, 1, 1, path, sizeof path);
        if (chosen == VAL_NO_FILE_SELECTED || startRecording(path) != 0) {
            SetCtrlVal(stripChartPanel, STRIPCHART_RECORD, 0);
        }
        break;
    }
    case STRIPCHART_PAUSE:
        // The line breaks where the pause was: nothing was plotted there.
        GetCtrlVal(stripChartPanel, STRIPCHART_PAUSE, &on);
        if (!on) {
            PlotStripChartPoint(stripChartPanel, STRIPCHART_CHART, stripChartSeconds(), NAN);
        }
        break;
    case STRIPCHART_CLEAR:
        startStripChart();
        break;
    case STRIPCHART_AUTO_Y:
        GetCtrlVal(stripChartPanel, STRIPCHART_AUTO_Y, &on);
        autoY(on);
        break;
    case STRIPCHART_Y_MIN:
    case STRIPCHART_Y_MAX:
        // Dimmed while AUTO Y is on, so a commit means a manual range.
        applyYRange();
        break;
    case STRIPCHART_CLOSE:
        // The record control goes with the panel. From the next tick on the
        // trigger levels follow the module again.
        stopRecording("strip chart closed");
        DiscardPanel(stripChartPanel);
        stripChartPanel = 0;
        break;
    default:
        break;
    }
    return 0;
}
