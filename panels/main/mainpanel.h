// SPDX-License-Identifier: GPL-3.0-or-later
// The main counter panel: the settings record that mirrors the module, the
// run state beside it, the main panel callback and its refresh routines.
#pragma once

#include <cstdint>

// Mirror of the module's configuration. Handlers write a field, then send
// it; refreshes overwrite fields with what the module reports.
struct CounterSettings {
    int16_t function;
    int32_t aperture;
    int16_t resolution;
    uint16_t averaging;
    int16_t standard;
    uint16_t commonInput;
    uint16_t in1Coupling, in2Coupling;
    int16_t in1Impedance, in2Impedance;
    uint16_t in1Filter, in2Filter;
    int16_t in1Attenuation, in2Attenuation;
    double in1Level, in2Level;
    uint16_t in1Slope, in2Slope;
    uint16_t in1Hysteresis, in2Hysteresis;
    int16_t armHysteresis;
    int16_t in1TrigMode, in2TrigMode;
    uint16_t minAutoTrigFreq;
    int16_t startArmSource, stopArmSource, extArmSource;
    double extArmLevel;
    int16_t armMode;
    uint16_t delayEnabled;
    double delay;
    int16_t gateSelector;
    int16_t gateOutput;
};

extern CounterSettings settings;

// ---- run state
extern int32_t continuousMode;       // 1 while continuous measurement is on
extern int32_t singleReadingPending; // the next tick takes one reading
extern int32_t gateOpen;             // 1 while the totalize gate is open
extern double lastReading;           // the value shown in MAIN_READING
extern int32_t histogramCount;       // samples taken in a histogram run
extern int32_t histogramSize;        // samples wanted in a histogram run

// ---- secondary panel handles, 0 while not loaded
extern int configSysPanel;
extern int versionPanel;
extern int mathPanel;
extern int histogramPanel;
extern int stripChartPanel;

// ---- callbacks bound by the resource file
int setCtrMainEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int fticInit(int panel, int event, void *callbackData, int eventData1, int eventData2);

// ---- refresh
void refreshMainPanel(void);
// 1 when a query of the last refreshMainPanel failed: the record then holds
// fields the module did not give.
extern int refreshIncomplete;
void refreshInputSettings(void);
void showFunctionUnits(int16_t functionCode);

// The toolkit's busy callback: MAIN_BUSY_ANNUNCIATOR shows "MEASURING 1.2 s",
// "WAITING FOR TRIGGER 3.4 s" once the aperture has passed, or "BUSY 0.3 s"
// for other calls, with "ABORT/QUIT ONLY" after refused input; empty when idle.
void showBusyAnnunciator(int state, double elapsedSeconds, int inputRefused);

// Marks MAIN_CONTINUOUS or MAIN_SINGLE as the active run button (the other not).
void markRunButtons(int continuousActive);
// The totalize gate as a module reset leaves it: closed.
void showGateClosed(void);

// MAIN_MATH_ANNUNCIATOR: "MATH" while the module's math calculation is on,
// "MATH?" while the module did not say.
enum { MATH_SHOWN_OFF = 0, MATH_SHOWN_ON = 1, MATH_SHOWN_UNKNOWN = 2 };
void showMathAnnunciator(int state);
// Asks the module whether its math is on and shows the answer (unreported).
void readMathState(void);

// Back to the start values (tests; the program starts with them).
void resetMainPanelState(void);
