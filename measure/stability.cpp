// SPDX-License-Identifier: GPL-3.0-or-later
// The STABILITY panel: the Allan family of deviations of the histogram
// acquisition, a recording or a file, as a log-log plot with 68 % bounds and
// as a table. The computation runs on the analysis layer's worker; the
// panel's timer follows its progress, so the panel stays live.
#include "measure.h"

#include "app.h"
#include "mainpanel.h"
#include "stability.h"
#include "userfile.h"
#include "userint.h"
#include <uctpanels.h>

#include <cmath>
#include <cstring>

// Rows the panel computes and shows at most (the tool has no such bound).
#define STABILITY_ROWS 4096
// Longest table text: a heading and one line per row up to this size.
#define STABILITY_TABLE_SIZE 16384

enum { SOURCE_HISTOGRAM = 0, SOURCE_RECORDING = 1, SOURCE_FILE = 2 };

int stabilityPanel = 0;

// The loaded readings, the series the worker reads, and what it writes.
static double times[STABILITY_MAX_POINTS];
static double readings[STABILITY_MAX_POINTS];
static double series[STABILITY_MAX_POINTS];
static int factors[STABILITY_ROWS];
static StabilityRow rows[STABILITY_ROWS];
static StabilitySeriesInfo loaded;
static int rowCount;
static int computing;
static char loadedFrom[MAX_PATHNAME_LEN];
// What the last computation used, for the information line.
static double usedNominal;
static double usedTau0;
static double spacingSpread;

static const char *const deviationNames[STABILITY_KINDS] = {"ADEV", "overlapping ADEV", "MDEV", "TDEV",
                                                            "HDEV", "overlapping HDEV"};

static void setBusy(int busy)
{
    computing = busy;
    static const int controls[] = {STABILITY_LOAD, STABILITY_COMPUTE, STABILITY_SAVE, STABILITY_SOURCE};
    for (int control : controls) {
        SetCtrlAttribute(stabilityPanel, control, ATTR_DIMMED, busy);
    }
}

static void showMessage(int control, const char *text)
{
    SetCtrlVal(stabilityPanel, control, text);
}

// Readings of the histogram acquisition: no time stamps, so tau0 is the
// user's, and the aperture is the module's setting.
static int loadHistogram(void)
{
    if (histogramCount < 1 || histogramCount > HISTOGRAM_CAPACITY) {
        showMessage(STABILITY_INFO, "No histogram acquisition to analyse.");
        return -1;
    }
    const int count = histogramCount < histogramSize ? histogramCount : histogramSize;
    memcpy(readings, histogramSamples, sizeof readings[0] * (size_t)count);
    loaded.count = count;
    loaded.timed = 0;
    loaded.kind = settings.function == 4 || settings.function == 5 ? STABILITY_PHASE : STABILITY_FREQUENCY;
    loaded.aperture = settings.aperture / 1e6;
    GetCtrlVal(mainPanel, MAIN_UNITS, loaded.unit);
    snprintf(loadedFrom, sizeof loadedFrom, "the histogram acquisition");
    return 0;
}

static int loadFile(const char *path)
{
    char reason[USER_FILE_REASON_SIZE];
    FILE *file = OpenUserFile(path, "r", reason, sizeof reason);
    if (!file) {
        snprintf(sharedText, sizeof sharedText, "Cannot be opened: %.900s", reason);
        showMessage(STABILITY_INFO, sharedText);
        return -1;
    }
    char why[160] = "";
    int status = StabilityReadSeries(file, times, readings, STABILITY_MAX_POINTS, &loaded, why, sizeof why);
    fclose(file);
    if (status != 0) {
        loaded.count = 0;
        snprintf(sharedText, sizeof sharedText, "%.700s: %s", path, why);
        showMessage(STABILITY_INFO, sharedText);
        return -1;
    }
    snprintf(loadedFrom, sizeof loadedFrom, "%s", path);
    return 0;
}

static int loadSource(void)
{
    int source = SOURCE_HISTOGRAM;
    GetCtrlVal(stabilityPanel, STABILITY_SOURCE, &source);
    if (source == SOURCE_HISTOGRAM) {
        return loadHistogram();
    }
    if (source == SOURCE_RECORDING) {
        if (recordingPath()[0] == '\0') {
            showMessage(STABILITY_INFO, "No recording yet: record on the strip chart panel.");
            return -1;
        }
        return loadFile(recordingPath());
    }
    char path[MAX_PATHNAME_LEN] = "";
    if (FileSelectPopup("", "*.csv", "", "Open Readings", VAL_LOAD_BUTTON, 0, 0, 1, 0, path, sizeof path) ==
        VAL_NO_FILE_SELECTED) {
        return -1;
    }
    return loadFile(path);
}

// Readings into the series the worker analyses; tau0 from the time stamps
// unless there are none. Returns 0, or -1 after saying why not.
static int prepareSeries(void)
{
    if (loaded.count < 3) {
        showMessage(STABILITY_INFO, "Fewer than 3 readings: nothing to analyse.");
        return -1;
    }
    int kind = STABILITY_FREQUENCY;
    double nominal = 0;
    GetCtrlVal(stabilityPanel, STABILITY_KIND, &kind);
    GetCtrlVal(stabilityPanel, STABILITY_NOMINAL, &nominal);
    spacingSpread = NAN;
    if (loaded.timed) {
        if (StabilitySpacing(times, loaded.count, &usedTau0, &spacingSpread) != 0) {
            showMessage(STABILITY_INFO, "The time stamps do not increase.");
            return -1;
        }
        SetCtrlVal(stabilityPanel, STABILITY_TAU0, usedTau0);
    } else {
        GetCtrlVal(stabilityPanel, STABILITY_TAU0, &usedTau0);
    }
    usedNominal = 0;
    if (kind == STABILITY_PHASE) {
        memcpy(series, readings, sizeof series[0] * (size_t)loaded.count);
    } else if (StabilityFractional(readings, loaded.count, nominal, series, &usedNominal) != 0) {
        showMessage(STABILITY_INFO, "No reading, or a mean of zero: give a nominal value.");
        return -1;
    }
    return 0;
}

static void startComputation(void)
{
    int spacing = STABILITY_OCTAVE;
    int kind = STABILITY_FREQUENCY;
    GetCtrlVal(stabilityPanel, STABILITY_TAUS, &spacing);
    GetCtrlVal(stabilityPanel, STABILITY_KIND, &kind);
    if (prepareSeries() != 0) {
        return;
    }
    rowCount = StabilityFactors(loaded.count, kind, spacing, factors, STABILITY_ROWS);
    if (StabilityStart(series, loaded.count, kind, usedTau0, factors, rowCount, rows) != 0) {
        return;
    }
    SetCtrlVal(stabilityPanel, STABILITY_PROGRESS, 0);
    setBusy(1);
}

// "y = (f - f0)/f0 with f0 = mean = ..." or "phase x in seconds", the
// spacing, its spread and the dead time.
static void showInformation(void)
{
    int kind = STABILITY_FREQUENCY;
    GetCtrlVal(stabilityPanel, STABILITY_KIND, &kind);
    char data[160];
    if (kind == STABILITY_PHASE) {
        snprintf(data, sizeof data, "phase x in seconds");
    } else {
        double nominal = 0;
        GetCtrlVal(stabilityPanel, STABILITY_NOMINAL, &nominal);
        snprintf(data, sizeof data, "fractional y = (v - v0)/v0, v0 = %s %.12g %s",
                 nominal == 0 ? "mean" : "nominal", usedNominal, loaded.unit);
    }
    char spacing[96];
    if (loaded.timed) {
        snprintf(spacing, sizeof spacing, "tau0 = %.6g s (median spacing, spread %.2f %%)", usedTau0,
                 100 * spacingSpread);
    } else {
        snprintf(spacing, sizeof spacing, "tau0 = %.6g s (given: no time stamps)", usedTau0);
    }
    char dead[64];
    if (std::isnan(loaded.aperture)) {
        snprintf(dead, sizeof dead, "dead time unknown");
    } else {
        const double fraction = 1 - loaded.aperture / usedTau0;
        snprintf(dead, sizeof dead, "dead time %.1f %% (aperture %.6g s)",
                 fraction > 0 ? 100 * fraction : 0.0, loaded.aperture);
    }
    snprintf(sharedText, sizeof sharedText, "%d readings from %.600s\n%s\n%s; %s", loaded.count, loadedFrom,
             data, spacing, dead);
    showMessage(STABILITY_INFO, sharedText);
}

// Plot and table of the deviation chosen.
static void showDeviation(void)
{
    int chosen = STABILITY_OADEV;
    GetCtrlVal(stabilityPanel, STABILITY_DEVIATION, &chosen);
    if (chosen < 0 || chosen >= STABILITY_KINDS) {
        chosen = STABILITY_OADEV;
    }
    static double tau[STABILITY_ROWS], value[STABILITY_ROWS], low[STABILITY_ROWS], high[STABILITY_ROWS];
    static char table[STABILITY_TABLE_SIZE];
    int used = snprintf(table, sizeof table, "%11s %7s %9s  %-14s %11s %11s %11s\n", "tau (s)", "m", "terms",
                        "noise", deviationNames[chosen], "low", "high");
    for (int k = 0; k < rowCount; ++k) {
        const StabilityValue &v = rows[k].value[chosen];
        tau[k] = rows[k].tau;
        value[k] = v.deviation;
        low[k] = v.low;
        high[k] = v.high;
        if (used < (int)sizeof table) {
            used += snprintf(table + used, sizeof table - (size_t)used,
                             "%11.5g %7d %9d  %-14s %11.4e %11.4e %11.4e\n", rows[k].tau, rows[k].factor,
                             v.terms, StabilityNoiseName(rows[k].alpha), v.deviation, v.low, v.high);
        }
    }
    SetCtrlVal(stabilityPanel, STABILITY_TABLE, table);
    DeleteGraphPlot(stabilityPanel, STABILITY_GRAPH, -1, VAL_DELAYED_DRAW);
    SetCtrlAttribute(stabilityPanel, STABILITY_GRAPH, ATTR_YNAME,
                     chosen == STABILITY_TDEV ? "TDEV (s)" : deviationNames[chosen]);
    PlotXYBounds(stabilityPanel, STABILITY_GRAPH, tau, value, low, high, rowCount, 0x40C0FF);
}

static void finishComputation(int status)
{
    setBusy(0);
    SetCtrlVal(stabilityPanel, STABILITY_PROGRESS, 100);
    if (status != 0) {
        showMessage(STABILITY_INFO, "The table could not be computed.");
        return;
    }
    showInformation();
    char warnings[512];
    if (StabilityWarnings(spacingSpread, loaded.aperture, usedTau0, rows, rowCount, warnings,
                          sizeof warnings) == 0) {
        snprintf(warnings, sizeof warnings, "No warning.");
    }
    showMessage(STABILITY_WARNINGS, warnings);
    showDeviation();
}

static void saveTable(void)
{
    char path[MAX_PATHNAME_LEN] = "";
    if (FileSelectPopup("", "*.csv", "", "Save Data", VAL_SAVE_BUTTON, 0, 0, 1, 1, path, sizeof path) ==
        VAL_NO_FILE_SELECTED) {
        return;
    }
    char reason[USER_FILE_REASON_SIZE];
    FILE *file = OpenUserFile(path, "w", reason, sizeof reason);
    if (!file) {
        snprintf(sharedText, sizeof sharedText, "Error opening file\n%.900s", reason);
        MessagePopup("File Open Error", sharedText);
        return;
    }
    int failed = StabilityWriteTable(file, rows, rowCount, 1) != 0;
    failed = fclose(file) != 0 || failed;
    if (failed) {
        MessagePopup("File Write Error", "Error writing file");
    }
}

int openStabilityPanel(void)
{
    if (stabilityPanel != 0) {
        return 0;
    }
    int panel = LoadPanel(0, RESOURCE_FILE, STABILITY);
    if (panel < 0) {
        return -1;
    }
    stabilityPanel = panel;
    // The recording when there is one, else the histogram acquisition.
    SetCtrlVal(stabilityPanel, STABILITY_SOURCE, recordingPath()[0] ? SOURCE_RECORDING : SOURCE_HISTOGRAM);
    SetCtrlAttribute(stabilityPanel, STABILITY_GRAPH, ATTR_XNAME, "tau (s)");
    SetCtrlAttribute(stabilityPanel, STABILITY_GRAPH, ATTR_XMAP_MODE, VAL_LOG);
    SetCtrlAttribute(stabilityPanel, STABILITY_GRAPH, ATTR_YMAP_MODE, VAL_LOG);
    DisplayPanel(stabilityPanel);
    return 0;
}

int stabilityEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)panel;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_TIMER_TICK) {
        double done = 0;
        int status = 0;
        if (computing && StabilityPoll(&done, &status) == 0) {
            finishComputation(status);
        } else if (computing) {
            SetCtrlVal(stabilityPanel, STABILITY_PROGRESS, (int)(100 * done));
        }
        return 0;
    }
    if (event != EVENT_COMMIT) {
        return 0;
    }
    switch (control) {
    case STABILITY_LOAD:
        if (loadSource() == 0) {
            SetCtrlVal(stabilityPanel, STABILITY_KIND, loaded.kind);
            startComputation();
        }
        break;
    case STABILITY_COMPUTE:
        startComputation();
        break;
    case STABILITY_DEVIATION:
        if (!computing) {
            showDeviation();
        }
        break;
    case STABILITY_SAVE:
        saveTable();
        break;
    case STABILITY_CLOSE:
        // The worker reads this layer's buffers: it stops before they can change.
        StabilityCancel();
        computing = 0;
        DiscardPanel(stabilityPanel);
        stabilityPanel = 0;
        break;
    default:
        break;
    }
    return 0;
}
