// SPDX-License-Identifier: GPL-3.0-or-later
// FTIC calibration panel: the technician types DAC codes that go to the
// module at once, sets test levels and hysteresis, and watches calibration
// readings that the measurement timer writes into this panel. The program
// computes nothing; the module keeps every code and stores them on request.
#include "maintenance.h"

#include "app.h"
#include "kq3917e.h"
#include "userint.h"
#include <uctpanels.h>

#include <cstdio>

int16_t calibrationMode[CAL_INPUTS] = {0, 0};

#define THRESHOLD_CODE_MAX 255
#define TEST_LEVEL 5.1 // volts, the attenuation 0 range
#define CAL_SYSTEM_TIMEOUT 1

// One input's controls and DAC indices.
struct CalInput {
    int16_t channel;
    int16_t function; // measurement function of its calibration reading
    int levelPos, levelZero, levelNeg;
    int hysteresisButton, hysteresisLed, threshold, measure;
    int16_t thresholdDac[2]; // by hysteresis code
    int dacControl[3];       // in the order they are read on focus
    int16_t dac[3];
    int readDacFirst; // the hysteresis button reads the DAC before switching
};

static const CalInput calInputs[CAL_INPUTS] = {
    {.channel = 1,
     .function = 0,
     .levelPos = FTIC_IN1_LEVEL_POS,
     .levelZero = FTIC_IN1_LEVEL_ZERO,
     .levelNeg = FTIC_IN1_LEVEL_NEG,
     .hysteresisButton = FTIC_IN1_HYSTERESIS,
     .hysteresisLed = FTIC_IN1_HYST_LED,
     .threshold = FTIC_IN1_THRESHOLD,
     .measure = FTIC_IN1_MEASURE,
     .thresholdDac = {1, 2},
     .dacControl = {FTIC_IN1_DAC6, FTIC_IN1_DAC7, FTIC_IN1_DAC5},
     .dac = {6, 7, 5},
     .readDacFirst = 1},
    {.channel = 2,
     .function = 1,
     .levelPos = FTIC_IN2_LEVEL_POS,
     .levelZero = FTIC_IN2_LEVEL_ZERO,
     .levelNeg = FTIC_IN2_LEVEL_NEG,
     .hysteresisButton = FTIC_IN2_HYSTERESIS,
     .hysteresisLed = FTIC_IN2_HYST_LED,
     .threshold = FTIC_IN2_THRESHOLD,
     .measure = FTIC_IN2_MEASURE,
     .thresholdDac = {8, 9},
     .dacControl = {FTIC_IN2_DAC13, FTIC_IN2_DAC14, FTIC_IN2_DAC12},
     .dac = {13, 14, 12},
     .readDacFirst = 0},
};

void showThresholdDac(int panel, int control, int16_t code)
{
    SetCtrlAttribute(panel, control, ATTR_MIN_VALUE, 0);
    SetCtrlAttribute(panel, control, ATTR_MAX_VALUE, THRESHOLD_CODE_MAX);
    SetCtrlAttribute(panel, control, ATTR_PRECISION, 0);
    SetCtrlVal(panel, control, code);
}

void writeThresholdDac(int input, int hysteresisCode, int16_t code)
{
    const CalInput &in = calInputs[input == 2 ? 1 : 0];
    kq3917e_confCalibrationDAC(instrSession, in.thresholdDac[hysteresisCode ? 1 : 0], code);
}

// A query that fails leaves its control showing what it showed before: the
// driver wrote nothing worth showing.
static void showDac(int panel, int control, int16_t dac)
{
    int16_t code = 0;
    if (kq3917e_queryCalibrationDAC(instrSession, dac, &code) >= 0) {
        SetCtrlVal(panel, control, code);
    }
}

// The threshold control edits the DAC of the hysteresis state shown. When
// that DAC's code cannot be read the control would still hold the other
// state's code, and a commit would send it into this DAC: it is dimmed and
// marked not read until a code is read.
static void showThresholdOf(int panel, const CalInput &in, uint16_t hysteresisCode)
{
    int16_t code = 0;
    int read = kq3917e_queryCalibrationDAC(instrSession, in.thresholdDac[hysteresisCode ? 1 : 0], &code) >= 0;
    if (read) {
        showThresholdDac(panel, in.threshold, code);
    }
    SetCtrlAttribute(panel, in.threshold, ATTR_DIMMED, read ? 0 : 1);
    showReadState(panel, in.threshold, "THRESHOLD DAC", read);
}

// The LED is lit while the hysteresis code is 0.
static uint16_t hysteresisShown(int panel, const CalInput &in)
{
    int lit = 1;
    GetCtrlVal(panel, in.hysteresisLed, &lit);
    return lit == 0 ? 1 : 0;
}

static void readInput(int panel, const CalInput &in)
{
    for (int i = 0; i < 3; i++) {
        showDac(panel, in.dacControl[i], in.dac[i]);
    }
    uint16_t hysteresis = 0;
    if (kq3917e_queryInputHysteresis(instrSession, in.channel, &hysteresis) >= 0) {
        SetCtrlVal(panel, in.hysteresisLed, hysteresis == 0 ? 1 : 0);
    } else {
        // Keep the LED, and the threshold shown with it.
        hysteresis = hysteresisShown(panel, in);
    }
    showThresholdOf(panel, in, hysteresis);
}

int kq3917cal_fticPanelCallback(int panel, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    switch (event) {
    case EVENT_GOT_FOCUS:
        snprintf(sharedText, SHARED_TEXT_SIZE, "ZORa 3917 Universal Counter Timer - Calibrate [%s]",
                 titledModule());
        SetPanelAttribute(panel, ATTR_TITLE, sharedText);
        if (demoMode) {
            break;
        }
        for (const CalInput &in : calInputs) {
            readInput(panel, in);
        }
        SetCtrlVal(panel, FTIC_IN1_MEASURE, calibrationMode[0] ? 1 : 0);
        SetCtrlVal(panel, FTIC_IN2_MEASURE, !calibrationMode[0] && calibrationMode[1] ? 1 : 0);
        break;
    case EVENT_CLOSE:
        // The toggles keep their look; the next focus sets them from the flags.
        calibrationMode[0] = calibrationMode[1] = 0;
        HidePanel(panel);
        break;
    default:
        break;
    }
    return 0;
}

static void switchHysteresis(int panel, const CalInput &in)
{
    int lit = 1;
    GetCtrlVal(panel, in.hysteresisLed, &lit);
    lit = lit == 0 ? 1 : 0;
    SetCtrlVal(panel, in.hysteresisLed, lit);
    uint16_t hysteresis = lit == 0 ? 1 : 0;
    if (in.readDacFirst) {
        showThresholdOf(panel, in, hysteresis);
        kq3917e_confInputHysteresis(instrSession, in.channel, hysteresis);
    } else {
        kq3917e_confInputHysteresis(instrSession, in.channel, hysteresis);
        showThresholdOf(panel, in, hysteresis);
    }
}

static void writeDacControl(int panel, int control, int16_t dac)
{
    int16_t code = 0;
    GetCtrlVal(panel, control, &code);
    kq3917e_confCalibrationDAC(instrSession, dac, code);
}

// Commit on one input's controls; 0 when the control is not one of them.
static int commitInput(int panel, int control, const CalInput &in)
{
    if (control == in.levelPos || control == in.levelZero || control == in.levelNeg) {
        // Straight to the module; the main panel shows it after its next refresh.
        double level = control == in.levelPos ? TEST_LEVEL : control == in.levelNeg ? -TEST_LEVEL : 0.0;
        kq3917e_confInputTriggering(instrSession, in.channel, 0, level, 0);
    } else if (control == in.hysteresisButton) {
        switchHysteresis(panel, in);
    } else if (control == in.threshold) {
        uint16_t hysteresis = hysteresisShown(panel, in);
        int16_t code = 0;
        GetCtrlVal(panel, control, &code);
        writeThresholdDac(in.channel, hysteresis, code);
    } else {
        for (int i = 0; i < 3; i++) {
            if (control == in.dacControl[i]) {
                writeDacControl(panel, control, in.dac[i]);
                return 1;
            }
        }
        return 0;
    }
    return 1;
}

// The measure toggles: on makes the module measure the input's frequency
// with the calibration's short system timeout; off only stops the readout
// and leaves the module as the calibration set it.
static void switchMeasurement(int panel, int control)
{
    int input = control == FTIC_IN1_MEASURE ? 0 : 1;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    if (!on) {
        calibrationMode[0] = calibrationMode[1] = 0;
        return;
    }
    kq3917e_confMeasurement(instrSession, calInputs[input].function);
    kq3917e_setSystTimeout(instrSession, CAL_SYSTEM_TIMEOUT);
    calibrationMode[input] = 1;
    calibrationMode[1 - input] = 0;
    SetCtrlVal(panel, calInputs[1 - input].measure, 0);
}

int kq3917cal_fticCallback(int panel, int control, int event, void *callbackData, int eventData1,
                           int eventData2)
{
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (demoMode) {
        return 0;
    }
    if (event == EVENT_COMMIT) {
        for (const CalInput &in : calInputs) {
            if (commitInput(panel, control, in)) {
                break;
            }
        }
    } else if (event == EVENT_VAL_CHANGED && (control == FTIC_IN1_MEASURE || control == FTIC_IN2_MEASURE)) {
        switchMeasurement(panel, control);
    }
    return 0;
}

void calFticMenuCallback(int menuBar, int menuItem, void *callbackData, int panel)
{
    (void)menuBar;
    (void)callbackData;
    if (menuItem == FTICMENU_WRITE) {
        // The technician must learn when the module did not keep the codes.
        checkError(kq3917e_WriteCounterCalibrationData(instrSession), "storing calibration data");
    } else {
        // Hidden only: a running calibration measurement goes on.
        HidePanel(panel);
    }
}
