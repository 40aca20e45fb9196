// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder: every continuous reading, time-stamped, into a CSV file the
// user chose. Each row is flushed as it is written, so what a crash or a full
// disk leaves behind is whole rows, and the count of rows safely written is
// exact.
#include "measure.h"

#include "app.h"
#include "mainpanel.h"
#include "maintables.h"
#include "userfile.h"
#include "userint.h"
#include <uctpanels.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>

static double machineSeconds(void)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

static double (*recorderClock)(void) = machineSeconds;
static FILE *recordFile;
static char recordPath[MAX_PATHNAME_LEN];
static double recordStart;
static long recordRows;
static int16_t recordFunction;

void setRecorderClock(double (*now)(void))
{
    recorderClock = now ? now : machineSeconds;
}

const char *recordingPath(void)
{
    return recordPath;
}

// Time interval readings are phase; everything else is analysed as a
// frequency-like value.
static const char *dataKind(int16_t function)
{
    return function == 4 || function == 5 ? "phase" : "frequency";
}

static void showRecordState(void)
{
    if (stripChartPanel == 0) {
        return;
    }
    char text[MAX_PATHNAME_LEN + 64];
    if (recordFile) {
        snprintf(text, sizeof text, "Recording to %s", recordPath);
    } else if (recordPath[0]) {
        snprintf(text, sizeof text, "%ld rows in %s", recordRows, recordPath);
    } else {
        snprintf(text, sizeof text, "Not recording");
    }
    SetCtrlVal(stripChartPanel, STRIPCHART_RECORD_STATE, text);
    SetCtrlVal(stripChartPanel, STRIPCHART_RECORD, recordFile ? 1 : 0);
}

// The chart's time axis starts at its first reading, on the recorder's clock.
static int chartStarted;
static double chartStart;

void startStripChart(void)
{
    chartStarted = 0;
    if (stripChartPanel == 0) {
        return;
    }
    ClearStripChart(stripChartPanel, STRIPCHART_CHART);
    char unit[16] = "";
    GetCtrlVal(mainPanel, MAIN_UNITS, unit);
    SetCtrlAttribute(stripChartPanel, STRIPCHART_CHART, ATTR_XNAME, "Time (s)");
    SetCtrlAttribute(stripChartPanel, STRIPCHART_CHART, ATTR_YNAME, unit);
}

double stripChartSeconds(void)
{
    const double now = recorderClock();
    if (!chartStarted) {
        chartStart = now;
        chartStarted = 1;
    }
    return now - chartStart;
}

// Closes the file; a note ("# ended: ...") says why when there is one.
// Returns 0, or -1 when the note or the close failed.
static int closeRecording(const char *note)
{
    if (!recordFile) {
        return 0;
    }
    int failed = note && fprintf(recordFile, "# ended: %s\n", note) < 0;
    failed = fclose(recordFile) != 0 || failed;
    recordFile = nullptr;
    return failed ? -1 : 0;
}

static void writeFailed(void)
{
    closeRecording(nullptr);
    snprintf(sharedText, sizeof sharedText, "Error writing %.900s: the recording stopped after %ld rows.",
             recordPath, recordRows);
    showRecordState();
    MessagePopup("Recording Stopped", sharedText);
}

int startRecording(const char *path)
{
    closeRecording("a new recording started");
    char reason[USER_FILE_REASON_SIZE];
    FILE *file = OpenUserFile(path, "w", reason, sizeof reason);
    snprintf(recordPath, sizeof recordPath, "%s", path);
    recordRows = 0;
    if (!file) {
        snprintf(sharedText, sizeof sharedText, "Error opening the file for the recording:\n%.900s", reason);
        showRecordState();
        MessagePopup("File Open Error", sharedText);
        return -1;
    }
    recordFile = file;
    recordFunction = settings.function;
    recordStart = recorderClock();
    char slot[32] = "";
    char unit[16] = "";
    char name[32] = "";
    GetCtrlVal(mainPanel, MAIN_SLOT, slot);
    GetCtrlVal(mainPanel, MAIN_UNITS, unit);
    if (recordFunction >= 0 && recordFunction < FUNCTION_COUNT) {
        GetCtrlAttribute(mainPanel, functionControls[recordFunction], ATTR_LABEL_TEXT, name,
                         (int)sizeof name);
    }
    char started[32] = "";
    const time_t now = time(nullptr);
    struct tm utc;
    strftime(started, sizeof started, "%Y-%m-%dT%H:%M:%SZ", gmtime_r(&now, &utc));
    int failed = 0;
    if (demoMode) {
        failed = fprintf(file, "# uct-sfp %s recording\n# module: demonstration\n", UCT_VERSION) < 0;
    } else {
        failed = fprintf(file, "# uct-sfp %s recording\n# module: %s slot %s\n", UCT_VERSION, resourceName,
                         slot) < 0;
    }
    failed = failed || fprintf(file,
                               "# function: %d %s\n# unit: %s\n# data: %s\n# aperture_s: %.9g\n# start: %s\n"
                               "time_s,value\n",
                               recordFunction, name, unit, dataKind(recordFunction), settings.aperture / 1e6,
                               started) < 0;
    if (failed || fflush(file) != 0) {
        writeFailed();
        return -1;
    }
    showRecordState();
    return 0;
}

void stopRecording(const char *note)
{
    if (closeRecording(note) != 0) {
        writeFailed();
        return;
    }
    showRecordState();
}

void recordContinuousReading(int status, double value)
{
    if (settings.function != recordFunction) {
        // Readings of another unit never share the chart or the file.
        startStripChart();
        if (recordFile) {
            char note[64];
            snprintf(note, sizeof note, "function changed to %d", settings.function);
            if (closeRecording(note) != 0) {
                writeFailed();
            }
            showRecordState();
        }
        recordFunction = settings.function;
    }
    if (!recordFile) {
        return;
    }
    // Full double precision, decimal point whatever the locale; an empty
    // value marks a reading the module did not give.
    char row[64];
    char *end = std::to_chars(row, row + 32, recorderClock() - recordStart).ptr;
    *end++ = ',';
    if (status >= 0) {
        end = std::to_chars(end, row + sizeof row - 2, value).ptr;
    }
    *end++ = '\n';
    if (fwrite(row, 1, (size_t)(end - row), recordFile) != (size_t)(end - row) || fflush(recordFile) != 0) {
        writeFailed();
        return;
    }
    ++recordRows;
}
