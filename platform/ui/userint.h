// SPDX-License-Identifier: GPL-3.0-or-later
// The user-interface toolkit: the program's only way to the screen.
//
// Panels come from the resource file; the program holds panel handles
// (> 0), control numbers (generated constants) and callbacks bound by name.
// All calls run on the one user-interface thread. Values that the program
// writes never raise an event; only real user input (or the test seam) does.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------- callbacks
typedef int (*CtrlCallbackPtr)(int panel, int control, int event, void *callbackData, int eventData1,
                               int eventData2);
typedef int (*PanelCallbackPtr)(int panel, int event, void *callbackData, int eventData1, int eventData2);
typedef void (*MenuCallbackPtr)(int menuBar, int menuItem, void *callbackData, int panel);

// Callbacks are bound by the names that the resource file gives them. Register
// every name before the first LoadPanel; a panel naming an unregistered
// callback fails to load (UIE_UNKNOWN_CALLBACK). Returns 0 or a UIE_ code.
int RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn);
int RegisterPanelCallback(const char *name, PanelCallbackPtr fn);
int RegisterMenuCallback(const char *name, MenuCallbackPtr fn);

// ------------------------------------------------------------------- events
enum {
    EVENT_NONE = 0,
    EVENT_COMMIT = 1,      // the user acted on a control
    EVENT_VAL_CHANGED = 2, // a control's value changed by user input
    EVENT_LEFT_CLICK = 3,  // left click on an LED or indicator
    EVENT_GOT_FOCUS = 4,   // panel shown (first display) or activated
    EVENT_CLOSE = 5,       // close box of a panel
    EVENT_TIMER_TICK = 6   // tick of a timer control
};

// ------------------------------------------------------------ error results
enum {
    UIE_NO_ERROR = 0,
    UIE_NOT_INITIALIZED = -1,    // InitUIRuntime not called
    UIE_FILE_NOT_FOUND = -2,     // missing or unreadable resource file
    UIE_NOT_RESOURCE_FILE = -3,  // the file is not a resource file
    UIE_PANEL_NOT_FOUND = -4,    // no such panel in the file
    UIE_UNKNOWN_CALLBACK = -5,   // a control, panel or menu names an unregistered callback
    UIE_INVALID_PANEL = -6,      // not a loaded panel handle
    UIE_INVALID_CONTROL = -7,    // no such control on the panel
    UIE_INVALID_ATTRIBUTE = -8,  // attribute not valid for the control
    UIE_INVALID_VALUE_TYPE = -9, // value type does not fit the control
    UIE_INVALID_MENU = -10,      // no such menu bar or menu item
    UIE_PROGRAM_NOT_FOUND = -11, // LaunchExecutable: no such program
    UIE_LAUNCH_FAILED = -12,     // LaunchExecutable: program did not start
    UIE_BUFFER_TOO_SMALL = -13,  // a text did not fit (it was cut, terminated)
    UIE_INVALID_VALUE = -14      // a value the control cannot take (unknown ring code or plot, bad range)
};

// -------------------------------------------------------------- attributes
enum {
    ATTR_DIMMED = 1,      // int 0/1
    ATTR_VISIBLE = 2,     // int 0/1
    ATTR_LABEL_TEXT = 3,  // text: caption of a button or control label
    ATTR_MIN_VALUE = 4,   // numeric controls: double (int accepted)
    ATTR_MAX_VALUE = 5,   // numeric controls: double (int accepted)
    ATTR_PRECISION = 6,   // numeric controls: decimal places, int
    ATTR_ACTIVE_MARK = 7, // command buttons: int 0/1, the run-button "active" mark
    ATTR_TITLE = 8,       // panels: title text
    ATTR_XNAME = 9,       // graphs, strip charts: caption of the x axis, text
    ATTR_YNAME = 10,      // graphs, strip charts: caption of the y axis, text
    ATTR_XMAP_MODE = 11,  // graphs: VAL_LINEAR or VAL_LOG x axis
    ATTR_YMAP_MODE = 12,  // graphs: VAL_LINEAR or VAL_LOG y axis
    ATTR_INTERVAL = 13    // timers: seconds between ticks, double (0, or at least 1 ms)
};

// ------------------------------------------------------------ special values
enum { VAL_AUTO_CENTER = -2147483647 - 1 };                    // SetPanelPos: centre on screen
enum { VAL_DOUBLE = 4, VAL_INTEGER = 1 };                      // data types for graph calls
enum { VAL_MANUAL = 0, VAL_AUTOSCALE = 1, VAL_NO_CHANGE = 2 }; // axis scaling
enum { VAL_VERTICAL_BAR = 1, VAL_THIN_LINE = 0 };              // plot styles
enum { VAL_NO_POINT = 0, VAL_SOLID = 0 };                      // point and line styles
enum { VAL_IMMEDIATE_DRAW = 1, VAL_DELAYED_DRAW = 0 };         // DeleteGraphPlot refresh
enum { VAL_RED = 0xFF0000 };
enum { VAL_LINEAR = 0, VAL_LOG = 1 }; // axis map modes
enum { VAL_LOAD_BUTTON = 0, VAL_SAVE_BUTTON = 1, VAL_SELECT_BUTTON = 2 };
enum { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };
enum { VAL_GENERIC_POPUP_BTN1 = 1, VAL_GENERIC_POPUP_BTN2 = 2, VAL_GENERIC_POPUP_BTN3 = 3 };
enum { VAL_GENERIC_POPUP_NO_CTRL = 0 };
enum { MAX_PATHNAME_LEN = 4096 }; // the longest path the system opens, terminator included

// ------------------------------------------------------------------ run-time
// Initialise the toolkit with the argument vector; 1 on success, 0 on failure.
int InitUIRuntime(int argc, char *argv[]);

// -------------------------------------------------------------------- panels
// Each call loads an independent copy. An absolute fileName is used as given;
// a relative one names the file that UCT_SFP_RESOURCE_FILE (environment)
// gives, else the one found beside the executable, in the installed data
// folder, then in the working folder. Returns a panel handle > 0 or a
// negative UIE_ code.
int LoadPanel(int parentPanel, const char *fileName, int panelResourceId);
// Checks that fileName, found as LoadPanel finds it, is a regular file that
// holds the panels, controls and menus the program was built with
// (fingerprint is the generated UCT_PANELS_FINGERPRINT) and binds only
// registered callbacks: call it once every callback is registered. Every
// later re-read of that file is checked again (LoadPanel then fails with
// UIE_NOT_RESOURCE_FILE). Returns 0, or a negative UIE_ code with a one-line
// reason that names the file's absolute path in why (size bytes).
int CheckResourceFile(const char *fileName, const char *fingerprint, char *why, int size);
// Why the last LoadPanel or CheckResourceFile failed, one line naming the
// file's absolute path; empty after a success.
int GetLoadPanelError(char *why, int size);
int DisplayPanel(int panel); // show and activate
int HidePanel(int panel);
int DiscardPanel(int panel);
int SetPanelPos(int panel, int top, int left); // VAL_AUTO_CENTER for either
int SetPanelAttribute(int panel, int attribute, const char *value);
int SetPanelAttribute(int panel, int attribute, int value);
int GetPanelAttribute(int panel, int attribute, char *value, int valueSize);
int GetPanelAttribute(int panel, int attribute, int *value);
int GetPanelMenuBar(int panel); // menu bar handle > 0, or negative

// ------------------------------------------------------------------ controls
// Values convert to and from the control's own type (integer numerics round).
// A change made here never raises an event.
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, int16_t value);
int SetCtrlVal(int panel, int control, uint16_t value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char *value);
int GetCtrlVal(int panel, int control, int *value);
int GetCtrlVal(int panel, int control, int16_t *value);
int GetCtrlVal(int panel, int control, uint16_t *value);
int GetCtrlVal(int panel, int control, double *value);
// Text read: writes at most valueSize bytes including the terminator.
int GetCtrlVal(int panel, int control, char *value, int valueSize);
template <int N> inline int GetCtrlVal(int panel, int control, char (&value)[N])
{
    return GetCtrlVal(panel, control, value, N);
}

int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, double value);
int SetCtrlAttribute(int panel, int control, int attribute, const char *value);
int GetCtrlAttribute(int panel, int control, int attribute, int *value);
int GetCtrlAttribute(int panel, int control, int attribute, double *value);
int GetCtrlAttribute(int panel, int control, int attribute, char *value, int valueSize);

// -------------------------------------------------------------------- graphs
// Strip chart: appends points to its one trace; the history is bounded.
int PlotStripChart(int panel, int control, const void *array, int numberOfPoints, int startingIndex,
                   int skipCount, int dataType);
// Strip chart: appends one point at its time in seconds, which places it on
// the x axis (points counted by PlotStripChart have none).
int PlotStripChartPoint(int panel, int control, double seconds, double value);
// Strip chart: empties its trace; the x axis starts again from the next point.
int ClearStripChart(int panel, int control);
// Returns a plot handle > 0 or a negative UIE_ code.
int PlotXY(int panel, int control, const void *xArray, const void *yArray, int numberOfPoints, int xDataType,
           int yDataType, int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color);
// Points joined by a line, each with a bar from low to high (doubles). A NaN
// point is left out. Returns a plot handle > 0 or a negative UIE_ code.
int PlotXYBounds(int panel, int control, const double *xArray, const double *yArray, const double *lowArray,
                 const double *highArray, int numberOfPoints, int color);
int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh); // -1: every plot
int SetAxisRange(int panel, int control, int xAxisScaling, double xmin, double xmax, int yAxisScaling,
                 double ymin, double ymax);
// The scaling (VAL_MANUAL or VAL_AUTOSCALE) and the range shown of each axis;
// a null pointer skips its value.
int GetAxisRange(int panel, int control, int *xAxisScaling, double *xmin, double *xmax, int *yAxisScaling,
                 double *ymin, double *ymax);

// -------------------------------------------------------------------- popups
int MessagePopup(const char *title, const char *message);
int ConfirmPopup(const char *title, const char *message); // 1 yes, 0 no
// Up to three buttons (NULL or "" for none); returns the chosen button number.
// Enter chooses enterButton, Esc chooses escapeButton. The response field is
// not offered when maxResponseLength is 0.
int GenericMessagePopup(const char *title, const char *message, const char *button1Label,
                        const char *button2Label, const char *button3Label, char *responseBuffer,
                        int maxResponseLength, int buttonAlignment, int activeControl, int enterButton,
                        int escapeButton);
// Returns VAL_NO_FILE_SELECTED, VAL_EXISTING_FILE_SELECTED or VAL_NEW_FILE_SELECTED;
// pathName receives at most pathNameSize bytes including the terminator. A
// chosen path longer than that is never cut: a "File Select" popup says so and
// the result is VAL_NO_FILE_SELECTED. Open the file with OpenUserFile
// (platform/files/userfile.h).
int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec, const char *fileTypeList,
                    const char *title, int buttonLabel, int restrictDirectory, int restrictExtension,
                    int allowCancel, int allowMakeDirectory, char *pathName, int pathNameSize);

// ---------------------------------------------------------------------- loop
int RunUserInterface(void); // returns the code given to QuitUserInterface
int QuitUserInterface(int returnCode);
int ProcessSystemEvents(void); // input, timers and drawing
int ProcessDrawEvents(void);   // repaints only: no input callback, no timer tick
int SuspendTimerCallbacks(void);
int ResumeTimerCallbacks(void);
int SetWaitCursor(int on);

// ------------------------------------------------------ driver call in flight
// Every driver and VISA call runs on one instrument thread while the caller
// waits. A call still in flight after 50 ms makes the layer run a restricted
// loop until it returns: the window repaints, the cursor shows busy, timers
// do not tick, and user input reaches only close boxes and the controls whose
// resource property whileBusy is "act" (their callbacks run at once) or
// "abort" (the call returns KQ3917E_ERROR_ABORTED at once, so do the later
// calls of the interrupted callback, and the commit follows once that
// callback has returned). Other input is refused with a beep. A quit asked
// meanwhile hides every panel; the process ends with its code when the call
// returns, or at the latest 2 s past the module's timeout.
//
// The busy callback is told, on every beat of that loop (at most 40 ms
// apart), what is in flight, for how long and whether input was refused
// meanwhile; BUSY_IDLE once no call is in flight.
enum { BUSY_IDLE = 0, BUSY_WORKING = 1, BUSY_MEASURING = 2 };
typedef void (*BusyCallbackPtr)(int state, double elapsedSeconds, int inputRefused);
int InstallBusyCallback(BusyCallbackPtr fn);

// -------------------------------------------------------------------- system
// Starts program with the given arguments, never through a shell. A program
// that cannot be found returns UIE_PROGRAM_NOT_FOUND and shows nothing.
int LaunchExecutable(const char *program, const char *const arguments[], int argumentCount);
int GetDir(char *directory, int directorySize); // current working directory
// Full path of a file installed with the program (beside the executable, then
// in the installed data folder): 0, UIE_FILE_NOT_FOUND (path empty) or
// UIE_BUFFER_TOO_SMALL (path empty).
int GetProgramFilePath(const char *fileName, char *path, int pathSize);
int Delay(double seconds);

// --------------------------------------------------------------- preferences
// The user's choices kept between runs, by key ("group/name"), in the
// platform's settings store for the program. GetPreference returns
// defaultValue when the key holds no integer; SetPreference returns 0,
// UIE_NOT_INITIALIZED, or UIE_FILE_NOT_FOUND when the store cannot be written.
int GetPreference(const char *key, int defaultValue);
int SetPreference(const char *key, int value);
