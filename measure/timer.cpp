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

#include <cmath>
#include <cstdio>

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

static enum ReadingOutcome readingOutcome(int status)
{
    if (status >= 0) {
        return READING_TAKEN;
    }
    if (status == KQ3917E_ERROR_NO_TRIGGER) {
        return READING_NO_TRIGGER;
    }
    if (status == KQ3917E_ERROR_ABORTED) {
        return READING_ABORTED;
    }
    // VISA's own errors (0xBFFFxxxx) mean the call never got an answer; the
    // driver's and the module's statuses are answers.
    return ((ViUInt32)status >> 16) == 0xBFFFu ? READING_NO_RESPONSE : READING_REFUSED;
}

// Failed readings stay silent; the status lamp tells whether the module answered.
enum ReadingOutcome showAnswered(int status)
{
    enum ReadingOutcome outcome = readingOutcome(status);
    if (outcome != READING_ABORTED) {
        showModuleStatus(outcome == READING_NO_RESPONSE ? MODULE_NO_RESPONSE : MODULE_ONLINE);
    }
    return outcome;
}

// Outcome of the last reading meant for the main display.
static enum ReadingOutcome mainOutcome = READING_TAKEN;

// MAIN_ANNUNCIATOR says why the display holds no reading: a calibration
// measurement holds the module, or the last reading failed.
static void showMainAnnunciator(void)
{
    static const char *const texts[] = {"", "NO TRIGGER", "NO RESPONSE", "NO READING", "ABORTED"};
    const char *text = calibrationMode[0] || calibrationMode[1] ? "CALIBRATING" : texts[mainOutcome];
    SetCtrlVal(mainPanel, MAIN_ANNUNCIATOR, text);
}

// A reading for the main display: the value when the module gave one, the
// no-reading text otherwise. Returns 1 when there is a value.
static int showMainReading(ViStatus status)
{
    mainOutcome = showAnswered(status);
    if (mainOutcome == READING_TAKEN) {
        formatReading(lastReading);
        testReadingLimits(lastReading);
        return 1;
    }
    showNoReading();
    return 0;
}

int outsideCalibrationBand(double value)
{
    // Written so that not a number lies outside too.
    return value >= CAL_BAND_LOW && value <= CAL_BAND_HIGH ? 0 : 1;
}

// Calibration readout into the FTIC panel; the main reading display is not
// touched. A failed read shows dashes and lies outside the band.
static void takeCalibrationReading(int reading, int outOfTolerance)
{
    char text[32] = "------.--- Hz";
    int taken = showAnswered(kq3917e_read(instrSession, &lastReading)) == READING_TAKEN;
    if (taken) {
        snprintf(text, sizeof text, std::fabs(lastReading) < 1e10 ? "%.3f Hz" : "%.6e Hz", lastReading);
    }
    SetCtrlVal(fticPanel, reading, text);
    SetCtrlVal(fticPanel, outOfTolerance, taken ? outsideCalibrationBand(lastReading) : 1);
}

static void takeSingleReading(void)
{
    showMainReading(kq3917e_read(instrSession, &lastReading));
    refreshTriggerLevels();
    singleReadingPending = 0;
}

static void fetchContinuousReading(void)
{
    ViStatus status = kq3917e_fetch(instrSession, &lastReading);
    recordContinuousReading(status, lastReading);
    if (status < 0) {
        // The module dropped out of continuous triggering: fall back to
        // single readings without a popup on every tick.
        continuousMode = 0;
        kq3917e_triggerContinuous(instrSession, 0);
        markRunButtons(0);
    }
    int taken = showMainReading(status);
    if (stripChartPanel == 0) {
        refreshTriggerLevels();
    } else if (taken && !stripChartPaused()) {
        PlotStripChartPoint(stripChartPanel, STRIPCHART_CHART, stripChartSeconds(), lastReading);
    }
}

// The timer's interval from the resource file while an acquisition runs at
// the faster pace, else 0.
static double displayTickInterval = 0.0;

// A histogram acquisition takes its samples at the module's pace rather than
// the display's: still one read and one redraw per tick, but the next tick
// comes as soon as the window has handled everything else, until the
// acquisition is complete, aborted or its panel closes. Continuous readings
// and an idle panel keep the display's interval and its low load.
static void paceTicks(void)
{
    const int acquiring = histogramPanel != 0 && histogramCount >= 0 && histogramCount < histogramSize;
    if (acquiring && displayTickInterval == 0.0) {
        GetCtrlAttribute(mainPanel, MAIN_TIMER, ATTR_INTERVAL, &displayTickInterval);
        SetCtrlAttribute(mainPanel, MAIN_TIMER, ATTR_INTERVAL, ACQUISITION_TICK_INTERVAL);
    } else if (!acquiring && displayTickInterval != 0.0) {
        SetCtrlAttribute(mainPanel, MAIN_TIMER, ATTR_INTERVAL, displayTickInterval);
        displayTickInterval = 0.0;
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
    showMainAnnunciator();
    paceTicks();
    return 0;
}

void registerMeasureCallbacks(void)
{
    RegisterCtrlCallback("TimerFunction", TimerFunction);
    RegisterCtrlCallback("histogramEvent", histogramEvent);
    RegisterCtrlCallback("stripChartEvent", stripChartEvent);
    RegisterCtrlCallback("stabilityEvent", stabilityEvent);
    RegisterCtrlCallback("configMathEvent", configMathEvent);
    RegisterPanelCallback("mathInit", mathInit);
    RegisterCtrlCallback("limitEvent", limitEvent);
}
