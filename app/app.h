// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the session globals that every panel shares, the reporters, and
// the about, help and quit callbacks.
#pragma once

#include "kq3917e.h"

#define RESOURCE_FILE "ZORa-3917 UCT Control Panel.uir"
#define RESOURCE_NAME_SIZE 256
#define SHARED_TEXT_SIZE 1024

// ---- session globals, alive for the whole run
extern ViSession instrSession;                 // driver session, 0 until a module is opened
extern ViSession defaultRM;                    // VISA default resource manager
extern char resourceName[RESOURCE_NAME_SIZE];  // descriptor of the module in use
extern int demoMode;                           // 1 while the driver simulates the module
extern int mainPanel;                          // handle of MAIN
extern int aboutPanel;                         // tracked copy of ABOUT, 0 when none
extern char sharedText[SHARED_TEXT_SIZE];      // scratch text; valid until its next use

// ---- start-up
int openInstrumentSession(void);
int isSupportedModule(const char *descriptor);
int offerDemoMode(void);

// ---- reporters
void reportError(const char *title, const char *actionText, ViStatus status);
void checkError(ViStatus status, const char *actionText);
int reportSfpError(ViStatus status, const char *functionName);

// ---- help and web site
void openHelpFile(void);

// ---- callback registration: each layer binds its own callbacks by name
void registerAppCallbacks(void);
void registerMainPanelCallbacks(void); // panels/main
void registerMeasureCallbacks(void);   // measure
