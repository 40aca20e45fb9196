// SPDX-License-Identifier: GPL-3.0-or-later
// System configuration, firmware update, FTIC calibration and module data
// panels.
#pragma once

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
