// SPDX-License-Identifier: GPL-3.0-or-later
// The histogram panel: an acquisition of single readings taken by the timer,
// their statistics and graph, and the export of samples and statistics as
// CSV blocks appended to a file the user chooses.
#include "measure.h"

#include "analysis.h"
#include "app.h"
#include "kq3917e.h"
#include "mainpanel.h"
#include "userfile.h"
#include "userint.h"
#include <uctpanels.h>

#include <charconv>
#include <climits>
#include <cmath>

double histogramSamples[HISTOGRAM_CAPACITY];
int histogramBinCounts[HISTOGRAM_INTERVALS];
double histogramBinAxis[HISTOGRAM_INTERVALS];
double histogramMin = 0.0, histogramMax = 0.0;
int histogramMinIndex = 0, histogramMaxIndex = 0;
double histogramMean = 0.0, histogramStdDev = 0.0, histogramMode = 0.0;

// Reads of this acquisition that gave no value, shown in HISTO_FAILED.
static int failedReads = 0;

// Red bars, as the graph has always shown them.
#define HISTOGRAM_BAR_COLOUR VAL_RED

void resetHistogramRecord(void)
{
    for (double &sample : histogramSamples) {
        sample = 0.0;
    }
    for (int i = 0; i < HISTOGRAM_INTERVALS; i++) {
        histogramBinCounts[i] = 0;
        histogramBinAxis[i] = 0.0;
    }
    histogramMin = histogramMax = histogramMean = histogramStdDev = histogramMode = 0.0;
    histogramMinIndex = histogramMaxIndex = 0;
    failedReads = 0;
}

// The statistics and their indicators, in the export's column order.
static const int statisticsControls[HISTOGRAM_STATISTICS] = {HISTO_MIN, HISTO_MEAN, HISTO_MAX, HISTO_STDDEV,
                                                             HISTO_MODE};
static double *const statistics[HISTOGRAM_STATISTICS] = {&histogramMin, &histogramMean, &histogramMax,
                                                         &histogramStdDev, &histogramMode};

static void showStatistics(void)
{
    for (int i = 0; i < HISTOGRAM_STATISTICS; i++) {
        SetCtrlVal(histogramPanel, statisticsControls[i], *statistics[i]);
    }
}

// Statistics over every sample taken so far, recomputed in full; the graph
// only when the samples span an interval (equal samples keep the old plot).
static void updateStatistics(void)
{
    const int n = histogramCount;
    MaxMin1D(histogramSamples, n, &histogramMax, &histogramMaxIndex, &histogramMin, &histogramMinIndex);
    StdDev(histogramSamples, n, &histogramMean, &histogramStdDev);
    if (Mode(histogramSamples, n, histogramMin, histogramMax, HISTOGRAM_INTERVALS, &histogramMode) !=
        ANALYSIS_NO_ERROR) {
        // No intervals: all samples equal (the mode is that value) or a
        // spread that is not finite (there is no mode). Never what an earlier
        // acquisition left.
        histogramMode = histogramMin == histogramMax ? histogramMin : NAN;
    }
    const int binned = Histogram(histogramSamples, n, histogramMin, histogramMax, histogramBinCounts,
                                 histogramBinAxis, HISTOGRAM_INTERVALS);
    showStatistics();
    if (histogramMin < histogramMax && binned != ANALYSIS_NO_ERROR) {
        // A spread without intervals: no bars rather than an earlier run's.
        DeleteGraphPlot(histogramPanel, HISTO_GRAPH, -1, VAL_DELAYED_DRAW);
    } else if (histogramMin < histogramMax) {
        SetAxisRange(histogramPanel, HISTO_GRAPH, VAL_MANUAL, histogramMin, histogramMax, VAL_MANUAL, 0.0,
                     (double)histogramSize);
        DeleteGraphPlot(histogramPanel, HISTO_GRAPH, -1, VAL_DELAYED_DRAW);
        PlotXY(histogramPanel, HISTO_GRAPH, histogramBinAxis, histogramBinCounts, HISTOGRAM_INTERVALS,
               VAL_DOUBLE, VAL_INTEGER, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, HISTOGRAM_BAR_COLOUR);
    }
    ProcessDrawEvents();
}

// The acquisition is over: a new one may start, the samples may be saved.
static void enableStartAndSave(void)
{
    SetCtrlAttribute(histogramPanel, HISTO_START, ATTR_DIMMED, 0);
    SetCtrlAttribute(histogramPanel, HISTO_SAVE, ATTR_DIMMED, 0);
}

void takeHistogramSample(void)
{
    // The buffer bound holds even if the wanted size came from elsewhere.
    if (histogramCount >= histogramSize || histogramCount < 0 || histogramCount >= HISTOGRAM_CAPACITY) {
        return;
    }
    const enum ReadingOutcome outcome = showAnswered(kq3917e_read(instrSession, &lastReading));
    if (outcome == READING_ABORTED) {
        // ABORT ends the acquisition with the samples the module gave.
        histogramSize = histogramCount;
        enableStartAndSave();
        return;
    }
    if (outcome != READING_TAKEN) {
        // No value, no sample: the next tick tries again.
        failedReads += failedReads < INT_MAX ? 1 : 0;
        SetCtrlVal(histogramPanel, HISTO_FAILED, failedReads);
        return;
    }
    histogramSamples[histogramCount] = lastReading;
    histogramCount++;
    SetCtrlVal(histogramPanel, HISTO_COUNT, histogramCount);
    if (histogramCount > 1) {
        updateStatistics();
    }
    if (histogramCount == histogramSize) {
        enableStartAndSave();
    }
}

// One number as "%12.12e" writes it (or an empty field when it is not
// shown), followed by end. The conversion is the standard one but ignores
// the locale, so the file always has decimal points.
static int writeNumber(FILE *file, double value, int shown, char end)
{
    char text[40];
    std::to_chars_result result = {text, std::errc()};
    if (shown) {
        result = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::scientific, 12);
    }
    if (result.ec != std::errc()) {
        return -1;
    }
    *result.ptr++ = end;
    const size_t length = (size_t)(result.ptr - text);
    return fwrite(text, 1, length, file) == length ? 0 : -1;
}

int writeHistogramBlock(FILE *file, unsigned statisticsShown)
{
    // A block always has its statistics line, so at least one sample.
    int count = histogramCount < 1 ? 1 : histogramCount;
    if (count > HISTOGRAM_CAPACITY) {
        count = HISTOGRAM_CAPACITY;
    }
    int failed = fputs("Data,Min,Mean,Max,StdDev,Mode\n", file) < 0;
    failed |= writeNumber(file, histogramSamples[0], 1, ',') != 0;
    for (int i = 0; i < HISTOGRAM_STATISTICS; i++) {
        failed |= writeNumber(file, *statistics[i], (statisticsShown >> i) & 1u,
                              i < HISTOGRAM_STATISTICS - 1 ? ',' : '\n') != 0;
    }
    for (int i = 1; i < count; i++) {
        failed |= writeNumber(file, histogramSamples[i], 1, '\n') != 0;
    }
    return failed || ferror(file) ? -1 : 0;
}

static void saveHistogram(void)
{
    char path[MAX_PATHNAME_LEN] = "";
    const int chosen =
        FileSelectPopup("", "*.csv", "", "Save Data", VAL_SAVE_BUTTON, 0, 0, 1, 1, path, sizeof path);
    if (chosen != VAL_EXISTING_FILE_SELECTED && chosen != VAL_NEW_FILE_SELECTED) {
        return;
    }
    char reason[USER_FILE_REASON_SIZE];
    FILE *file = OpenUserFile(path, "a", reason, sizeof reason);
    if (file == NULL) {
        char text[sizeof reason + 32];
        snprintf(text, sizeof text, "Error opening file\n%s", reason);
        MessagePopup("File Open Error", text);
        return;
    }
    // The file carries what the panel shows (the indicators hold full doubles);
    // an indicator that shows no value leaves its field empty.
    unsigned shown = 0;
    for (int i = 0; i < HISTOGRAM_STATISTICS; i++) {
        if (GetCtrlVal(histogramPanel, statisticsControls[i], statistics[i]) == 0) {
            shown |= 1u << i;
        }
    }
    int failed = writeHistogramBlock(file, shown) != 0;
    // A full device shows only when the buffer is flushed at the close.
    failed |= fclose(file) != 0;
    if (failed) {
        // The samples stay in memory: Save can be tried again elsewhere.
        MessagePopup("File Write Error", "Error writing file");
    }
}

int histogramEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)panel;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_COMMIT) {
        return 0;
    }
    switch (control) {
    case HISTO_CLOSE:
        // An acquisition in progress stops with the panel; the samples stay.
        DiscardPanel(histogramPanel);
        histogramPanel = 0;
        failedReads = 0;
        break;
    case HISTO_START:
        SetCtrlAttribute(histogramPanel, HISTO_START, ATTR_DIMMED, 1);
        SetCtrlAttribute(histogramPanel, HISTO_SAVE, ATTR_DIMMED, 1);
        GetCtrlVal(histogramPanel, HISTO_SAMPLES, &histogramSize);
        histogramCount = 0;
        failedReads = 0;
        SetCtrlVal(histogramPanel, HISTO_FAILED, failedReads);
        // The statistics of an earlier run are not this run's: none show until
        // the second sample.
        for (int statistic : statisticsControls) {
            SetCtrlVal(histogramPanel, statistic, "");
        }
        break;
    case HISTO_SAVE:
        saveHistogram();
        break;
    default:
        break;
    }
    return 0;
}
