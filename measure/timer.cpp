// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement timer: the one place that takes readings. Other callbacks
// only set the flags that each tick reads.
#include "measure.h"

#include "app.h"
#include "kq3917e.h"
#include "mainpanel.h"
#include "maintenance.h"
#include "userint.h"
#include <uctpanels.h>

// Follows the module's trigger levels between readings. Ranges stay as the
// panel refresh set them; a failing query is not worth a popup every tick.
static void refreshTriggerLevels(void)
{
    if (kq3917e_queryInputTriggering(instrSession, 1, &settings.in1Attenuation, &settings.in1Level,
                                     &settings.commonInput) >= 0) {
        SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_1, settings.in1Level);
    }
    if (kq3917e_queryInputTriggering(instrSession, 2, &settings.in2Attenuation, &settings.in2Level,
                                     &settings.commonInput) >= 0) {
        SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_2, settings.in2Level);
    }
}

// Failed readings stay silent; the status lamp tells whether the module
// answered. A reading the user aborted says nothing about that.
void showAnswered(int status)
{
    if (status != KQ3917E_ERROR_ABORTED) {
        showModuleStatus(status < 0 ? MODULE_NO_RESPONSE : MODULE_ONLINE);
    }
}

// Calibration readout into the FTIC panel; the main reading display is not
// touched. Not a number lies outside the band too.
static void takeCalibrationReading(int reading, int outOfTolerance)
{
    const ViStatus status = kq3917e_read(instrSession, &lastReading);
    showAnswered(status);
    if (status == KQ3917E_ERROR_ABORTED) {
        return; // no reading came: the readout keeps the last one the module gave
    }
    SetCtrlVal(fticPanel, reading, lastReading);
    int inside = lastReading >= CAL_BAND_LOW && lastReading <= CAL_BAND_HIGH;
    SetCtrlVal(fticPanel, outOfTolerance, inside ? 0 : 1);
}

static void takeSingleReading(void)
{
    showAnswered(kq3917e_read(instrSession, &lastReading));
    formatReading(lastReading);
    refreshTriggerLevels();
    singleReadingPending = 0;
}

static void fetchContinuousReading(void)
{
    ViStatus status = kq3917e_fetch(instrSession, &lastReading);
    showAnswered(status);
    if (status < 0) {
        // The module dropped out of continuous triggering: fall back to
        // single readings without a popup on every tick.
        continuousMode = 0;
        kq3917e_triggerContinuous(instrSession, 0);
        markRunButtons(0);
    }
    formatReading(lastReading);
    if (stripChartPanel != 0) {
        PlotStripChart(stripChartPanel, STRIPCHART_CHART, &lastReading, 1, 0, 0, VAL_DOUBLE);
    } else {
        refreshTriggerLevels();
    }
}

int TimerFunction(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)panel;
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_TIMER_TICK) {
        return 0;
    }
    // One mode per tick, by priority: a calibration reading holds back every
    // other mode, a pending single reading included. An open histogram panel
    // takes the ticks from continuous fetching, even once its acquisition is
    // complete. With no mode active the tick makes no call.
    if (calibrationMode[0]) {
        takeCalibrationReading(FTIC_IN1_READING, FTIC_IN1_OUT_OF_TOL);
    } else if (calibrationMode[1]) {
        takeCalibrationReading(FTIC_IN2_READING, FTIC_IN2_OUT_OF_TOL);
    } else if (singleReadingPending) {
        takeSingleReading();
    } else if (histogramPanel != 0) {
        takeHistogramSample();
    } else if (continuousMode) {
        fetchContinuousReading();
    }
    return 0;
}

void registerMeasureCallbacks(void)
{
    RegisterCtrlCallback("TimerFunction", TimerFunction);
    RegisterCtrlCallback("histogramEvent", histogramEvent);
    RegisterCtrlCallback("stripChartEvent", stripChartEvent);
    RegisterCtrlCallback("configMathEvent", configMathEvent);
    RegisterPanelCallback("mathInit", mathInit);
}
