// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics of a sample array. Each returns 0 or a negative status
// (ANALYSIS_ERR_*), and writes no output on failure.
#pragma once

enum {
    ANALYSIS_NO_ERROR = 0,
    ANALYSIS_ERR_SAMPLES = -20001,   // fewer than one sample, or a null array
    ANALYSIS_ERR_INTERVALS = -20002, // fewer than one interval
    ANALYSIS_ERR_RANGE = -20003      // top not above base
};

// Maximum and minimum with the index of their first occurrence.
int MaxMin1D(const double *array, int n, double *max, int *maxIndex, double *min, int *minIndex);
// Mean and population standard deviation (divided by n). With a sample that
// is not finite the mean is the plain one (an infinity or NaN) and the
// deviation NaN.
int StdDev(const double *array, int n, double *mean, double *stdDev);
// Centre of the fullest of `intervals` equal intervals of [base, top]; the
// lowest such interval on a tie.
int Mode(const double *array, int n, double base, double top, int intervals, double *mode);
// Counts per interval of width (top - base) / intervals, each half-open
// [lo, hi) except the last, which includes top; samples outside [base, top]
// are not counted. axis receives the interval centres.
int Histogram(const double *array, int n, double base, double top, int histogram[], double axis[],
              int intervals);
