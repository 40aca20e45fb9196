// SPDX-License-Identifier: GPL-3.0-or-later
// The callback of every active control of MAIN: commit events go to the
// control's handler, value changes to the four value handlers, left clicks
// on the function LEDs choose a function. A function change, from whatever
// event, is applied once at the end.
#include "mainpanel.h"
#include "app.h"
#include "handlers.h"
#include "maintables.h"
#include "measure.h"
#include "userint.h"
#include <uctpanels.h>

// Runs the commit handler of control, if it has one. May change
// *newFunction; returns -1 when a secondary panel could not be loaded.
static int handleCommit(int control, int16_t *newFunction)
{
    switch (control) {
    case MAIN_FUNCTION_UP:
        *newFunction = functionAfterStep(settings.function, 1);
        break;
    case MAIN_FUNCTION_DOWN:
        *newFunction = functionAfterStep(settings.function, -1);
        break;
    case MAIN_AVERAGING:
        toggleAveraging();
        break;
    case MAIN_STANDARD:
        stepStandard();
        break;
    case MAIN_COUPLING:
        stepCoupling();
        break;
    case MAIN_IMPEDANCE:
        stepImpedance();
        break;
    case MAIN_FILTER:
        stepFilter();
        break;
    case MAIN_IN1_ATTEN:
        toggleAttenuation(1);
        break;
    case MAIN_IN2_ATTEN:
        toggleAttenuation(2);
        break;
    case MAIN_CHANNEL_COUPLING:
        toggleChannelCoupling();
        break;
    case MAIN_SLOPE:
        stepSlopes();
        break;
    case MAIN_HYSTERESIS:
        stepHysteresis();
        break;
    case MAIN_IN1_TRIG_MODE:
        stepTrigMode(1);
        break;
    case MAIN_IN2_TRIG_MODE:
        stepTrigMode(2);
        break;
    case MAIN_AUTO_TRIG_FREQ:
        toggleAutoTrigFreq();
        break;
    case MAIN_START_ARM_SOURCE:
    case MAIN_STOP_ARM_SOURCE:
    case MAIN_EXT_ARM_SOURCE:
        setArmSource(control);
        break;
    case MAIN_EXT_ARM_LEVEL:
        setExtArmLevel();
        break;
    case MAIN_ARM_MODE:
        toggleArmMode();
        break;
    case MAIN_DELAY_BUTTON:
        toggleDelay();
        break;
    case MAIN_DELAY:
        setDelay();
        break;
    case MAIN_GATE:
        toggleGate();
        break;
    case MAIN_GATE_OUTPUT:
        setGateOutput();
        break;
    case MAIN_CONTINUOUS:
        startContinuous();
        break;
    case MAIN_SINGLE:
        requestSingleReading();
        break;
    case MAIN_ABORT:
        abortMeasurement();
        break;
    case MAIN_CLEAR_COUNTS:
        clearCounts();
        break;
    case MAIN_SYSTEM:
        return openSystemPanel();
    case MAIN_VERSION:
        return openVersionPanel();
    case MAIN_MATH:
        return openMathPanel();
    case MAIN_HISTOGRAM:
        return openHistogramPanel();
    case MAIN_STRIPCHART:
        return openStripChartPanel();
    case MAIN_STABILITY:
        return openStabilityPanel();
    case MAIN_ABOUT:
        return openAboutPanel();
    case MAIN_HELP:
        openHelpFile();
        break;
    case MAIN_SI_DISPLAY: {
        int si = 0;
        GetCtrlVal(mainPanel, MAIN_SI_DISPLAY, &si);
        setReadingDisplay(si != 0 ? READING_SI : READING_ENGINEERING);
        break;
    }
    case MAIN_LIMIT:
        return openLimitPanel();
    case MAIN_SAVE_SETUP:
        saveSetup();
        break;
    case MAIN_RECALL_SETUP:
        recallSetup();
        // The recalled function is the module's now, not a change to make.
        *newFunction = settings.function;
        break;
    default:
        break;
    }
    return 0;
}

static void handleValueChanged(int control)
{
    switch (control) {
    case MAIN_APERTURE:
        setAperture();
        break;
    case MAIN_RESOLUTION:
        setResolution();
        break;
    case MAIN_TRIG_LEVEL_1:
        setTriggerLevel(1);
        break;
    case MAIN_TRIG_LEVEL_2:
        setTriggerLevel(2);
        break;
    default:
        break;
    }
}

static int dispatchMainEvent(int control, int event)
{
    int16_t newFunction = settings.function;
    switch (event) {
    case EVENT_COMMIT:
        if (handleCommit(control, &newFunction) < 0) {
            return -1;
        }
        break;
    case EVENT_VAL_CHANGED:
        handleValueChanged(control);
        return 0;
    case EVENT_LEFT_CLICK: {
        int code = functionOfControl(control);
        if (code < 0) {
            return 0;
        }
        newFunction = (int16_t)code;
        break;
    }
    default:
        return 0;
    }
    if (newFunction != settings.function) {
        changeFunction(newFunction);
    }
    return 0;
}

// Whatever one event sends, its failures come in one report.
int setCtrMainEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)panel;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    beginReportBatch();
    int result = dispatchMainEvent(control, event);
    endReportBatch();
    return result;
}

// ---- secondary panels. A handle changes only when its load succeeds, so a
// failed load can simply be tried again with the next press.

int loadPanelInto(int *handle, int resourceId)
{
    int panel = LoadPanel(0, RESOURCE_FILE, resourceId);
    if (panel < 0) {
        // The file may have gone or changed since start-up: the press says so.
        reportLoadFailure(LOAD_PANEL_ERROR_TITLE, panel);
        return -1;
    }
    *handle = panel;
    return 0;
}

// Panels that exist at most once: a press while open does nothing.
static int openSinglePanel(int *handle, int resourceId)
{
    if (*handle != 0) {
        return 0;
    }
    if (loadPanelInto(handle, resourceId) < 0) {
        return -1;
    }
    DisplayPanel(*handle);
    return 0;
}

int openSystemPanel(void)
{
    if (configSysPanel == 0 && loadPanelInto(&configSysPanel, CONFIGSYS) < 0) {
        return -1;
    }
    DisplayPanel(configSysPanel);
    return 0;
}

int openMathPanel(void)
{
    return openSinglePanel(&mathPanel, MATH);
}

int openStripChartPanel(void)
{
    if (openSinglePanel(&stripChartPanel, STRIPCHART) < 0) {
        return -1;
    }
    startStripChart();
    return 0;
}

int openAboutPanel(void)
{
    if (loadPanelInto(&aboutPanel, ABOUT) < 0) {
        return -1;
    }
    SetCtrlVal(aboutPanel, ABOUT_PROGRAM_VERSION, "Version " UCT_SFP_VERSION);
    DisplayPanel(aboutPanel);
    return 0;
}

int openHistogramPanel(void)
{
    if (histogramPanel != 0) {
        return 0;
    }
    // The histogram takes single readings; continuous triggering would
    // compete with them.
    if (continuousMode == 1) {
        continuousMode = 0;
        kq3917e_triggerContinuous(instrSession, 0);
        markRunButtons(0);
    }
    histogramCount = 100;
    if (loadPanelInto(&histogramPanel, HISTO) < 0) {
        return -1;
    }
    GetCtrlVal(histogramPanel, HISTO_SAMPLES, &histogramSize);
    DisplayPanel(histogramPanel);
    return 0;
}
