// SPDX-License-Identifier: GPL-3.0-or-later
// System configuration, firmware update, FTIC calibration and module data
// panels.
#pragma once

#include <cstdint>

// ---- panel handles, 0 while not loaded. FTIC and NVM are loaded once and
// only hidden afterwards; the measurement timer reads fticPanel.
extern int fticPanel;
extern int nvmPanel;

// ---- callbacks of CONFIGSYS, bound by the resource file
int configSysInit(int panel, int event, void *callbackData, int eventData1, int eventData2);
int setConfigSysEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

// Loads a firmware image chosen by the user into the module, block by block
// through the register mailbox; panel is CONFIGSYS (its progress indicator).
void updateFirmware(int panel);

// Binds the system configuration panel's callbacks by name.
void registerMaintenanceCallbacks(void);

// Sets the caption of a value's control to caption, followed by "(NOT READ)"
// when read is 0: the value shown did not come from the module.
void showReadState(int panel, int control, const char *caption, int read);

// ---- FTIC calibration and module data panels

// Calibration measurement per input (index 0: input 1, measured with
// function 0; index 1: input 2, function 1); at most one is 1. While one is
// set, every measurement timer tick reads into the FTIC panel and nothing else.
enum { CAL_INPUTS = 2 };
extern int16_t calibrationMode[CAL_INPUTS];

// Tolerance band of a calibration reading in hertz; the bounds are inside.
#define CAL_BAND_LOW 99999.0
#define CAL_BAND_HIGH 100001.0

int kq3917cal_fticPanelCallback(int panel, int event, void *callbackData, int eventData1, int eventData2);
int kq3917cal_fticCallback(int panel, int control, int event, void *callbackData, int eventData1,
                           int eventData2);
void calFticMenuCallback(int menuBar, int menuItem, void *callbackData, int panel);
// Shows a threshold DAC code in control with the threshold range 0 to 255.
void showThresholdDac(int panel, int control, int16_t code);
// Writes code to the threshold DAC of input (1 or 2) for hysteresisCode (0 or 1).
void writeThresholdDac(int input, int hysteresisCode, int16_t code);

int kq3917cal_nvmPanelCallback(int panel, int event, void *callbackData, int eventData1, int eventData2);
int kq3917cal_nvmCallback(int panel, int control, int event, void *callbackData, int eventData1,
                          int eventData2);
void nvmMenuCallback(int menuBar, int menuItem, void *callbackData, int panel);

// Binds the calibration and module data callbacks by name.
void registerCalibrationCallbacks(void);
