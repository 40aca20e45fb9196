// SPDX-License-Identifier: GPL-3.0-or-later
// Measurement acquisition and display: the timer loop, number formatting, the
// histogram, strip chart and math panels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Longest reading text, terminator included (sign, 20 digits, point, two
// appended zeros, E, sign, three exponent digits, two blanks).
#define READING_TEXT_SIZE 32

// Formats value in engineering notation for the current function,
// resolution and averaging, and shows it in MAIN_READING.
void formatReading(double value);
// The formatting alone, into text (at most textSize bytes, terminated).
void formatReadingText(double value, int16_t function, int16_t resolution, uint16_t averaging, char *text,
                       size_t textSize);

// The no-reading text: dashes as wide as a reading of the current function,
// so a failed measurement never looks like a value.
void showNoReading(void);

// How MAIN_READING shows a value: engineering notation (the default), or
// the same digits with an SI prefix and digit groups ("100.000 000 0 k"
// beside "Hz"). The choice is the user's and outlives the run.
enum ReadingDisplay { READING_ENGINEERING = 0, READING_SI = 1 };
extern int readingDisplay;
// SI text of the same reading: sign, digit groups of three after the point,
// a blank and the prefix (none for 10^0; beyond 10^±24 "E" and the exponent).
void formatReadingSiText(double value, int16_t function, int16_t resolution, uint16_t averaging, char *text,
                         size_t textSize);
// The stored choice (engineering when none is stored).
void loadReadingDisplay(void);
// Stores the choice and shows the display's value or no-reading text anew.
void setReadingDisplay(int display);
// The choice on MAIN_SI_DISPLAY, and the display in its notation.
void showReadingDisplay(void);

// ---- limit test (limit.cpp): each reading of the main display against
// the limits while the test is on; MAIN_LIMIT_ANNUNCIATOR shows the verdict.
enum LimitVerdict { LIMIT_NONE, LIMIT_PASS, LIMIT_FAIL_HIGH, LIMIT_FAIL_LOW };
extern int limitPanel; // handle of LIMIT, 0 while not loaded
// Above upper fails high, below lower fails low, else passes (limits included).
enum LimitVerdict limitVerdict(double value, double lower, double upper);
// Counts a reading the module gave and shows its verdict; nothing while off.
void testReadingLimits(double value);
void showLimitVerdict(enum LimitVerdict verdict);
// The limits were in the old function's unit: the test goes off.
void limitFunctionChanged(void);
int openLimitPanel(void);
// Back to the start values (tests; the program starts with them).
void resetLimitTest(void);

// What a reading call's status says, for the display and the status lamp.
enum ReadingOutcome {
    READING_TAKEN,       // the module gave a value
    READING_NO_TRIGGER,  // it answered that no trigger came within its timeout
    READING_NO_RESPONSE, // it did not answer (a VISA status)
    READING_REFUSED,     // it answered with another error
    READING_ABORTED      // the user abandoned the call with ABORT: nothing learned
};
// Status lamp after a reading: NO RESPONSE when the module did not answer,
// ONLINE otherwise, unchanged when the user aborted. Readings themselves stay
// silent. Returns the outcome.
enum ReadingOutcome showAnswered(int status);

// Calibration band of the FTIC readouts: 1 outside (not a number included).
int outsideCalibrationBand(double value);

// Timer callback of MAIN_TIMER: the only place that takes measurements.
int TimerFunction(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

// ---- histogram acquisition record (filled by the timer, shown and saved by
// the histogram panel)
#define HISTOGRAM_CAPACITY 1000
// Seconds between timer ticks while a histogram acquisition runs: none, a
// tick whenever the window has nothing else to do.
#define ACQUISITION_TICK_INTERVAL 0.0
#define HISTOGRAM_INTERVALS 10

extern double histogramSamples[HISTOGRAM_CAPACITY];
extern int histogramBinCounts[HISTOGRAM_INTERVALS];
extern double histogramBinAxis[HISTOGRAM_INTERVALS];
extern double histogramMin, histogramMax;
extern int histogramMinIndex, histogramMaxIndex;
extern double histogramMean, histogramStdDev, histogramMode;

// One histogram sample per tick while an acquisition runs (the timer's
// histogram branch); a failed read takes none and is counted in HISTO_FAILED.
void takeHistogramSample(void);
// The statistics in the order of the export's columns: minimum, mean,
// maximum, standard deviation, mode.
#define HISTOGRAM_STATISTICS 5

// Appends the samples taken and the statistics shown to file as one block
// (header, first sample with the statistics, further samples). Bit i of
// statisticsShown is set when statistic i (column order) is shown; a
// statistic not shown leaves its field empty. Returns 0, or -1 when any write
// failed.
int writeHistogramBlock(FILE *file, unsigned statisticsShown);

// ---- recorder: continuous readings, time-stamped, into a CSV file
// Opens path (replacing it) and writes the header; 0, or -1 after a message.
int startRecording(const char *path);
// Closes the recording, with "# ended: note" when note is not null.
void stopRecording(const char *note);
// The timer's one call per continuous reading, with the fetch's status: a
// row (an empty value when status is negative). A function change first
// clears the strip chart and ends the recording with a note.
void recordContinuousReading(int status, double value);
const char *recordingPath(void); // current or last recording, "" when none
// A fresh strip chart: empty, the x axis in seconds from its next reading,
// the y axis naming the unit of the readings (MAIN_UNITS).
void startStripChart(void);
// 1 while PAUSE is on: readings go on without adding points.
int stripChartPaused(void);
// Seconds since the strip chart's first reading (now, for that reading).
double stripChartSeconds(void);
// Monotonic clock of the time stamps, seconds (null: the machine's).
void setRecorderClock(double (*now)(void));

// ---- the STABILITY panel, at most one; 0 while closed
extern int stabilityPanel;
// Loads and shows it (a press while open does nothing); -1 when it cannot load.
int openStabilityPanel(void);

// ---- callbacks bound by the resource file
int histogramEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int stripChartEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int stabilityEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int configMathEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int mathInit(int panel, int event, void *callbackData, int eventData1, int eventData2);
int limitEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

// Back to the start values (tests; the program starts with them).
void resetHistogramRecord(void);
