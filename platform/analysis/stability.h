// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency stability of a series of readings: the Allan family of
// deviations at chosen averaging factors, with 68 % confidence bounds from
// the noise type the data show. Same conventions as analysis.h: a status
// (0 or ANALYSIS_ERR_*), outputs written only on success. Missing readings
// are NaN; a term that would need one is left out, never closed up.
#pragma once

#include <cstdio>

enum {
    ANALYSIS_ERR_TAU = -20004,       // tau0 not positive and finite
    ANALYSIS_ERR_CANCELLED = -20005, // the progress callback asked to stop
    ANALYSIS_ERR_BUSY = -20006,      // a background computation is still running
    ANALYSIS_ERR_FILE = -20007       // a data file could not be read (the reason names the line)
};

enum {
    STABILITY_ADEV,
    STABILITY_OADEV,
    STABILITY_MDEV,
    STABILITY_TDEV,
    STABILITY_HDEV,
    STABILITY_OHDEV,
    STABILITY_KINDS
};

// Averaging factors: 1, 2, 4, 8 ...; 1, 2, 5, 10, 20 ...; or every one.
enum { STABILITY_OCTAVE = 0, STABILITY_DECADE = 1, STABILITY_ALL = 2 };

// What a series of readings holds.
enum { STABILITY_FREQUENCY = 0, STABILITY_PHASE = 1 };

// Most points one series may hold (panel and command-line tool alike).
#define STABILITY_MAX_POINTS 2097152

typedef struct {
    double deviation; // NaN when no term could be formed
    double low, high; // 68 % interval of the deviation
    double edf;       // equivalent degrees of freedom behind the interval
    int terms;        // terms averaged
} StabilityValue;

typedef struct {
    int factor;   // averaging factor m
    double tau;   // m * tau0, seconds
    int alpha;    // noise exponent used for the bounds: 2 white PM ... -2 random walk FM
    int measured; // 1 when alpha was identified at this factor, 0 when carried from a shorter one
    StabilityValue value[STABILITY_KINDS];
} StabilityRow;

// Called between factors with the fraction done; a non-zero return cancels.
typedef int (*StabilityProgressPtr)(void *context, double done);

// Averaging factors of the given spacing for a series of n readings, at most
// capacity of them, smallest first. Returns how many (0 when n is too short).
int StabilityFactors(int n, int kind, int spacing, int factors[], int capacity);

// The table for readings data[0..n-1] taken tau0 apart: kind
// STABILITY_FREQUENCY (fractional frequency, or any frequency-like value) or
// STABILITY_PHASE (seconds). rows[k] receives factors[k]. progress may be null.
int StabilityTable(const double *data, int n, int kind, double tau0, const int factors[], int count,
                   StabilityRow rows[], StabilityProgressPtr progress, void *context);

// The same on a background thread (one at a time). The arrays must stay
// untouched until StabilityPoll reports the end. Returns 0 or ANALYSIS_ERR_BUSY.
int StabilityStart(const double *data, int n, int kind, double tau0, const int factors[], int count,
                   StabilityRow rows[]);
// 1 while running (done receives the fraction), else 0 with the table's
// status in status. Never blocks.
int StabilityPoll(double *done, int *status);
// Asks a running computation to stop and waits for it.
void StabilityCancel(void);

// Fractional deviation y = (v - v0) / v0 of each value (NaN stays NaN); v0 is
// nominal, or the mean of the values when nominal is 0. usedNominal receives v0.
int StabilityFractional(const double *values, int n, double nominal, double y[], double *usedNominal);

// Median spacing of the time stamps (tau0) and the largest departure of a
// spacing from it, relative to it.
int StabilitySpacing(const double *times, int n, double *median, double *spread);

// Warnings about how far a table can be trusted, one line each ('\n'
// separated) into text: time stamps more than 1 % off their median spacing
// (spread as StabilitySpacing gives it; NaN when there are none), and dead
// time (aperture shorter than tau0 by more than 1 %; aperture NaN when
// unknown) where the noise is not white frequency noise. Returns how many.
int StabilityWarnings(double spread, double aperture, double tau0, const StabilityRow rows[], int count,
                      char *text, int size);

// 68 % interval of a deviation estimated with edf degrees of freedom: the
// chi-squared quantiles at 15.87 % and 84.13 %.
int StabilityBounds(double deviation, double edf, double *low, double *high);

// Noise type of an exponent alpha: "white PM", "flicker PM", "white FM",
// "flicker FM", "random walk FM".
const char *StabilityNoiseName(int alpha);

// Information a data file gives besides its readings.
typedef struct {
    int count;       // readings read
    int timed;       // 1 when every reading carries a time stamp
    int kind;        // STABILITY_PHASE when the file says so, else STABILITY_FREQUENCY
    double aperture; // seconds, NaN when the file does not say
    char unit[16];   // the file's unit, empty when it gives none
} StabilitySeriesInfo;

// Reads a recording ("# key: value" header lines, "time_s,value" rows, an
// empty value for a missing reading), a histogram export or one number per
// line. times may be null when no time stamps are wanted. On failure why
// names the line and what is wrong.
int StabilityReadSeries(FILE *file, double times[], double values[], int capacity, StabilitySeriesInfo *info,
                        char *why, int whySize);

// The table as CSV: a header naming tau, m, alpha and each deviation with its
// bounds and terms (when header is non-zero), then one line per row, numbers
// in the shortest text that reads back the same, empty fields where a
// deviation has no term. Returns 0, or -1 when a write failed.
int StabilityWriteTable(FILE *file, const StabilityRow rows[], int count, int header);
