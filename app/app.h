// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the session globals that every panel shares, the reporters, and
// the about, help and quit callbacks.
#pragma once

#include "kq3917e.h"

#define RESOURCE_FILE "ZORa-3917 UCT Control Panel.uir"
#define RESOURCE_NAME_SIZE 256
#define SHARED_TEXT_SIZE 1024

// PCI vendor identifier of the module's maker, compared during discovery.
#define KQ3917_VENDOR_ID 0x1A2B
// Model code of the 3917 under that vendor.
#define KQ3917_MODEL_CODE 1
// Rows of the choice panel: at most this many modules are offered.
#define MAX_MODULES 10
// The maker's web site, opened by the about panel.
#define MAKER_WEB_ADDRESS "https://www.zora-instruments.example/"
// The maker's help file, looked for in the current working directory, then
// among the program's installed files; without it HELP shows the program's
// own user manual (installed with it).
#define HELP_FILE_NAME "kq3917e.chm"
#define MANUAL_FILE_NAME "manual/index.html"
#define HELP_TITLE "Help"

// ---- session globals, alive for the whole run
extern ViSession instrSession;                // driver session, 0 until a module is opened
extern ViSession defaultRM;                   // VISA default resource manager
extern char resourceName[RESOURCE_NAME_SIZE]; // descriptor of the module in use
extern int demoMode;                          // 1 while the driver simulates the module
extern int mainPanel;                         // handle of MAIN
extern int aboutPanel;                        // tracked copy of ABOUT, 0 when none
extern char sharedText[SHARED_TEXT_SIZE];     // scratch text; valid until its next use

extern int chosenIndex; // choice panel: -1 nothing yet, 0..9 a row, CHOICE_CANCELLED

// ---- start-up
// Process exit codes of main.
enum { EXIT_NORMAL = 0, EXIT_STARTUP_FAILED = -1, EXIT_NO_MODULE = -2 };
// Results of openInstrumentSession.
enum { SESSION_READY = 0, SESSION_GAVE_UP = 1, SESSION_PANEL_FAILED = 2 };
enum { CHOICE_NONE = -1, CHOICE_CANCELLED = 99 };

// Everything after the toolkit is initialised and every layer's callbacks are
// registered: session, main panel, event loop. Returns the exit code.
int runSoftFrontPanel(void);
int openInstrumentSession(void);
int isSupportedModule(const char *descriptor);
int offerDemoMode(void);
// "Error %d returned from function LoadPanel(): " and the reason, which names
// the file actually used, under title.
void reportLoadFailure(const char *title, int handle);
#define LOAD_PANEL_ERROR_TITLE "Error loading panel" // a secondary panel

// ---- reporters
void reportError(const char *title, const char *actionText, ViStatus status);
// Also the status lamp: a call that succeeded shows the module answering.
void checkError(ViStatus status, const char *actionText);
// One report for one refresh or one handler: between a begin and its end
// (pairs nest) checkError collects; the outermost end shows them in one
// "API Error" popup, each action text with its status.
void beginReportBatch(void);
void endReportBatch(void);
// Returns SFP_ERROR_CLOSE_PANEL when the user chose "Close Panel": the caller
// closes its panel.
enum { SFP_ERROR_CONTINUE = 0, SFP_ERROR_CLOSE_PANEL = 1 };
int reportSfpError(ViStatus status, const char *functionName);

// ---- status lamp MAIN_STATUS_LED: "ONLINE" (lit) while the module answers,
// "NO RESPONSE" (dark) after a reading it did not give until a call succeeds,
// "DEMO" (lit) in demonstration mode, whichever state is asked for while
// demoMode is set.
enum { MODULE_ONLINE = 0, MODULE_NO_RESPONSE = 1, MODULE_DEMO = 2 };
void showModuleStatus(int state);
// What a panel title names in brackets: the module's VISA resource, or
// "Demonstration mode" while the driver simulates the module.
const char *titledModule(void);

// ---- help and web site: HELP says what is missing; a missing browser shows nothing
void openHelpFile(void);
void openWebSite(void);

// ---- callbacks bound by the resource file
int choose_3917(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int infoEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int exit_about(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int exitSFP(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

// ---- callback registration: each layer binds its own callbacks by name
void registerAppCallbacks(void);
void registerMainPanelCallbacks(void); // panels/main
void registerMeasureCallbacks(void);   // measure
void registerProgramCallbacks(void);   // every layer's, as the program runs
