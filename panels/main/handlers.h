// SPDX-License-Identifier: GPL-3.0-or-later
// The handlers behind setCtrMainEvent, one per control or control group, and
// the LED helpers that the step buttons share. Internal to the main panel.
#pragma once

#include <cstdint>

// ---- LED helpers: step buttons keep no state, they read it back from here
int ledIsLit(int control);
// The LEDs as a binary number, leds[0] the lowest bit.
unsigned readLedBits(const int *leds, int count);
void writeLedBits(const int *leds, int count, unsigned bits);
// Lights leds[lit] and switches the others off, in table order.
void showOneLit(const int *leds, int count, int lit);
// Moves the light of a one-of-count cycle from state to the next state and
// returns it; a state outside 0..count-1 is returned unchanged, LEDs untouched.
int stepLitLed(const int *leds, int count, int state);
// lastReading back to 0.0, shown in MAIN_READING.
void showZeroReading(void);
// Reports any non-zero status; true when the module took the call (the status
// is not negative), so that a query's outputs may be shown. A value control
// whose setting the module refused reads the setting back and shows it.
bool answered(int32_t status, const char *actionText);

// ---- function, aperture, resolution, averaging, standard
int16_t functionAfterStep(int16_t function, int step);
void changeFunction(int16_t newFunction);
void setAperture(void);
void setResolution(void);
void toggleAveraging(void);
void stepStandard(void);

// ---- input conditioning, attenuation, levels
void stepCoupling(void);
void stepImpedance(void);
void stepFilter(void);
void toggleAttenuation(int channel);
void toggleChannelCoupling(void);
void setTriggerLevel(int channel);

// ---- slopes, hysteresis, trigger modes
void stepSlopes(void);
void stepHysteresis(void);
void stepTrigMode(int channel);
void toggleAutoTrigFreq(void);

// ---- arming, delay, gating
void setArmSource(int control);
void setExtArmLevel(void);
void toggleArmMode(void);
void toggleDelay(void);
void setDelay(void);
void toggleGate(void);
void setGateOutput(void);

// ---- setups: every setting of the main and math panels to a file and back
void saveSetup(void);
void recallSetup(void);

// ---- run control
void startContinuous(void);
void requestSingleReading(void);
void abortMeasurement(void);
void clearCounts(void);

// ---- secondary panels: 0, or -1 when the panel could not be loaded
// Loads a new copy of resourceId into *handle, which changes only on success.
int loadPanelInto(int *handle, int resourceId);
int openVersionPanel(void);
int openSystemPanel(void);
int openMathPanel(void);
int openHistogramPanel(void);
int openStripChartPanel(void);
int openAboutPanel(void);
