// SPDX-License-Identifier: GPL-3.0-or-later
// Setups: every setting of the main and math panels in a text file the user
// names, and back to the module. The file is one "key value" line per
// setting under a header line with the format's version; see
// docs/setup-format.md. Recall sends the settings in an order the module
// accepts (the function first, since ranges follow it; each setting after
// the ones it depends on), reports every refusal in one popup and then shows
// what the module holds.
#include "app.h"
#include "handlers.h"
#include "mainpanel.h"
#include "userfile.h"
#include "userint.h"
#include <uctpanels.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#define SETUP_TITLE "Setup"
#define SETUP_HEADER "uct-sfp setup"
#define SETUP_VERSION 1
#define SETUP_LINE_SIZE 256

// What a setup holds: the module's configuration and its math calculation.
struct SetupRecord {
    CounterSettings counter;
    double mathValue1, mathValue2;
    uint16_t mathEnable;
};

enum SetupType { SETUP_INT16, SETUP_UINT16, SETUP_INT32, SETUP_DOUBLE };

struct SetupField {
    const char *key;
    enum SetupType type;
    void *value; // in setupRecord
};

static SetupRecord setupRecord;

// Written in this order, which is also the order of sending.
static const SetupField setupFields[] = {
    {"function", SETUP_INT16, &setupRecord.counter.function},
    {"standard", SETUP_INT16, &setupRecord.counter.standard},
    {"aperture", SETUP_INT32, &setupRecord.counter.aperture},
    {"resolution", SETUP_INT16, &setupRecord.counter.resolution},
    {"averaging", SETUP_UINT16, &setupRecord.counter.averaging},
    {"common_input", SETUP_UINT16, &setupRecord.counter.commonInput},
    {"in1_impedance", SETUP_INT16, &setupRecord.counter.in1Impedance},
    {"in1_coupling", SETUP_UINT16, &setupRecord.counter.in1Coupling},
    {"in1_filter", SETUP_UINT16, &setupRecord.counter.in1Filter},
    {"in2_impedance", SETUP_INT16, &setupRecord.counter.in2Impedance},
    {"in2_coupling", SETUP_UINT16, &setupRecord.counter.in2Coupling},
    {"in2_filter", SETUP_UINT16, &setupRecord.counter.in2Filter},
    {"in1_attenuation", SETUP_INT16, &setupRecord.counter.in1Attenuation},
    {"in1_level", SETUP_DOUBLE, &setupRecord.counter.in1Level},
    {"in2_attenuation", SETUP_INT16, &setupRecord.counter.in2Attenuation},
    {"in2_level", SETUP_DOUBLE, &setupRecord.counter.in2Level},
    {"in1_slope", SETUP_UINT16, &setupRecord.counter.in1Slope},
    {"in2_slope", SETUP_UINT16, &setupRecord.counter.in2Slope},
    {"in1_hysteresis", SETUP_UINT16, &setupRecord.counter.in1Hysteresis},
    {"in2_hysteresis", SETUP_UINT16, &setupRecord.counter.in2Hysteresis},
    {"arm_hysteresis", SETUP_INT16, &setupRecord.counter.armHysteresis},
    {"in1_trigger_mode", SETUP_INT16, &setupRecord.counter.in1TrigMode},
    {"in2_trigger_mode", SETUP_INT16, &setupRecord.counter.in2TrigMode},
    {"min_auto_trigger_frequency", SETUP_UINT16, &setupRecord.counter.minAutoTrigFreq},
    {"start_arm_source", SETUP_INT16, &setupRecord.counter.startArmSource},
    {"stop_arm_source", SETUP_INT16, &setupRecord.counter.stopArmSource},
    {"ext_arm_source", SETUP_INT16, &setupRecord.counter.extArmSource},
    {"ext_arm_level", SETUP_DOUBLE, &setupRecord.counter.extArmLevel},
    {"arm_mode", SETUP_INT16, &setupRecord.counter.armMode},
    {"delay_enabled", SETUP_UINT16, &setupRecord.counter.delayEnabled},
    {"delay", SETUP_DOUBLE, &setupRecord.counter.delay},
    {"gate_output", SETUP_INT16, &setupRecord.counter.gateOutput},
    {"math_value1", SETUP_DOUBLE, &setupRecord.mathValue1},
    {"math_value2", SETUP_DOUBLE, &setupRecord.mathValue2},
    {"math_enable", SETUP_UINT16, &setupRecord.mathEnable},
};
#define SETUP_FIELD_COUNT ((int)(sizeof setupFields / sizeof setupFields[0]))

// The folder of the last setup file, offered first for the rest of the run.
static char setupFolder[MAX_PATHNAME_LEN] = "";

// Every setup file is opened here: a file that cannot be is said, with why,
// after what it means for the user.
static FILE *openSetupFile(const char *path, const char *mode, const char *consequence)
{
    char reason[USER_FILE_REASON_SIZE];
    FILE *file = OpenUserFile(path, mode, reason, sizeof reason);
    if (file == NULL) {
        char text[sizeof reason + 128];
        snprintf(text, sizeof text, "%s\n%s", consequence, reason);
        MessagePopup(SETUP_TITLE, text);
    }
    return file;
}

// Asks for a setup file; remembers its folder. Returns 1 with the path in
// path, 0 when the user chose none.
static int chooseSetupFile(int buttonLabel, char *path, int pathSize)
{
    const int saving = buttonLabel == VAL_SAVE_BUTTON;
    int chosen = FileSelectPopup(setupFolder, "*.setup", "", saving ? "Save Setup" : "Recall Setup",
                                 buttonLabel, 0, 0, 1, saving, path, pathSize);
    if (chosen == VAL_NO_FILE_SELECTED) {
        return 0;
    }
    if (saving && chosen == VAL_EXISTING_FILE_SELECTED &&
        !ConfirmPopup("Save Setup", "A file of this name exists. Replace it with the setup?")) {
        return 0;
    }
    const char *slash = strrchr(path, '/');
    const char *backslash = strrchr(path, '\\');
    const char *end = backslash > slash ? backslash : slash;
    if (end != NULL) {
        snprintf(setupFolder, sizeof setupFolder, "%.*s", (int)(end - path), path);
    }
    return 1;
}

static int writeField(FILE *file, const SetupField *field)
{
    switch (field->type) {
    case SETUP_INT16:
        return fprintf(file, "%s %d\n", field->key, *(int16_t *)field->value);
    case SETUP_UINT16:
        return fprintf(file, "%s %u\n", field->key, (unsigned)*(uint16_t *)field->value);
    case SETUP_INT32:
        return fprintf(file, "%s %ld\n", field->key, (long)*(int32_t *)field->value);
    case SETUP_DOUBLE: {
        // 15 digits read well ("1.6"); 17 when only they give back the same double.
        const double value = *(double *)field->value;
        char text[32];
        snprintf(text, sizeof text, "%.15g", value);
        if (strtod(text, NULL) != value) {
            snprintf(text, sizeof text, "%.17g", value);
        }
        return fprintf(file, "%s %s\n", field->key, text);
    }
    }
    return -1;
}

// Reads "value" into the field; 1 when it is a whole number or double of
// the field's type and range.
static int readField(const SetupField *field, const char *text)
{
    char *end = NULL;
    if (field->type == SETUP_DOUBLE) {
        double value = strtod(text, &end);
        if (end == text || *end != '\0') {
            return 0;
        }
        *(double *)field->value = value;
        return 1;
    }
    long value = strtol(text, &end, 10);
    if (end == text || *end != '\0') {
        return 0;
    }
    switch (field->type) {
    case SETUP_INT16:
        if (value < INT16_MIN || value > INT16_MAX) {
            return 0;
        }
        *(int16_t *)field->value = (int16_t)value;
        return 1;
    case SETUP_UINT16:
        if (value < 0 || value > UINT16_MAX) {
            return 0;
        }
        *(uint16_t *)field->value = (uint16_t)value;
        return 1;
    default:
        if (value < INT32_MIN || value > INT32_MAX) {
            return 0;
        }
        *(int32_t *)field->value = (int32_t)value;
        return 1;
    }
}

void saveSetup(void)
{
    char path[MAX_PATHNAME_LEN] = "";
    if (!chooseSetupFile(VAL_SAVE_BUTTON, path, sizeof path)) {
        return;
    }
    // What the module holds now, not what the panel showed last; the
    // record keeps the user's resolution, so the module's is asked here.
    refreshMainPanel();
    setupRecord.counter = settings;
    if (refreshIncomplete ||
        kq3917e_queryMeasRes(instrSession, &setupRecord.counter.resolution, &setupRecord.counter.averaging) <
            0 ||
        kq3917e_queryMathCalculation(instrSession, &setupRecord.mathValue1, &setupRecord.mathValue2,
                                     &setupRecord.mathEnable) < 0) {
        MessagePopup(SETUP_TITLE, "The module did not give every setting. Nothing was saved.");
        return;
    }
    FILE *file = openSetupFile(path, "w", "The setup file cannot be written. Nothing was saved.");
    if (file == NULL) {
        return;
    }
    int failed = fprintf(file, "# Settings of a ZORa 3917 counter-timer, one per line\n" SETUP_HEADER " %d\n",
                         SETUP_VERSION) < 0;
    for (int i = 0; i < SETUP_FIELD_COUNT; i++) {
        failed |= writeField(file, &setupFields[i]) < 0;
    }
    failed |= fclose(file) != 0;
    if (failed) {
        MessagePopup(SETUP_TITLE, "Error writing the setup file: it is incomplete.");
    }
}

// Splits a line into key and value (both within line); 0 when it is not
// two words.
static int splitLine(char *line, char **key, char **value)
{
    line[strcspn(line, "\r\n")] = '\0';
    *key = line;
    char *blank = strchr(line, ' ');
    if (blank == NULL) {
        return 0;
    }
    *blank = '\0';
    *value = blank + 1;
    return **key != '\0' && **value != '\0';
}

// Reads a whole setup into setupRecord. Returns NULL, or why nothing may be
// applied (the text may use sharedText).
static const char *readSetup(FILE *file)
{
    char line[SETUP_LINE_SIZE];
    int seen[SETUP_FIELD_COUNT] = {0};
    int header = 0;
    while (fgets(line, sizeof line, file) != NULL) {
        if (line[0] == '#' || line[0] == '\n' || (line[0] == '\r' && line[1] == '\n')) {
            continue;
        }
        if (!header) {
            int version = 0;
            char rest = 0;
            if (sscanf(line, SETUP_HEADER " %d%c", &version, &rest) != 2 || (rest != '\n' && rest != '\r')) {
                return "This file is not a setup of this program. Nothing was applied.";
            }
            if (version > SETUP_VERSION) {
                snprintf(sharedText, sizeof sharedText,
                         "This setup has format version %d; this program reads version %d and older. Nothing "
                         "was applied.",
                         version, SETUP_VERSION);
                return sharedText;
            }
            header = 1;
            continue;
        }
        char whole[SETUP_LINE_SIZE];
        snprintf(whole, sizeof whole, "%.*s", (int)strcspn(line, "\r\n"), line);
        char *key = NULL, *value = NULL;
        int i = 0;
        if (splitLine(line, &key, &value)) {
            while (i < SETUP_FIELD_COUNT && strcmp(setupFields[i].key, key) != 0) {
                i++;
            }
        }
        if (key == NULL || value == NULL || i == SETUP_FIELD_COUNT || seen[i] ||
            !readField(&setupFields[i], value)) {
            snprintf(sharedText, sizeof sharedText,
                     "This setup holds a line this program cannot read:\n%.200s\nNothing was applied.",
                     whole);
            return sharedText;
        }
        seen[i] = 1;
    }
    if (!header) {
        return "This file is not a setup of this program. Nothing was applied.";
    }
    for (int i = 0; i < SETUP_FIELD_COUNT; i++) {
        if (!seen[i]) {
            snprintf(sharedText, sizeof sharedText, "This setup lacks the setting %s. Nothing was applied.",
                     setupFields[i].key);
            return sharedText;
        }
    }
    return NULL;
}

// Sends the record in the order of setupFields; checkError collects every
// refusal into the event's one report.
static void sendSetup(const SetupRecord *r)
{
    const CounterSettings *s = &r->counter;
    kq3917e_triggerContinuous(instrSession, 0);
    checkError(kq3917e_confMeasurement(instrSession, s->function), "setting function");
    checkError(kq3917e_confStandard(instrSession, s->standard), "setting frequency standard");
    checkError(kq3917e_confAperture(instrSession, s->aperture), "setting aperture");
    checkError(kq3917e_confMeasRes(instrSession, s->resolution, s->averaging), "setting resolution");
    checkError(kq3917e_confInputConditioning(instrSession, 1, s->in1Impedance, s->in1Coupling, s->in1Filter,
                                             s->commonInput),
               "setting IN1 conditioning");
    checkError(kq3917e_confInputConditioning(instrSession, 2, s->in2Impedance, s->in2Coupling, s->in2Filter,
                                             s->commonInput),
               "setting IN2 conditioning");
    checkError(kq3917e_confInputTriggering(instrSession, 1, s->in1Attenuation, s->in1Level, s->commonInput),
               "setting IN1 triggering");
    checkError(kq3917e_confInputTriggering(instrSession, 2, s->in2Attenuation, s->in2Level, s->commonInput),
               "setting IN2 triggering");
    checkError(kq3917e_confInputSlopes(instrSession, s->in1Slope, s->in2Slope), "setting slopes");
    checkError(kq3917e_confInputHysteresis(instrSession, 1, s->in1Hysteresis), "setting IN1 hysteresis");
    checkError(kq3917e_confInputHysteresis(instrSession, 2, s->in2Hysteresis), "setting IN2 hysteresis");
    checkError(kq3917e_confExtArmHysteresis(instrSession, s->armHysteresis), "setting arm hysteresis");
    checkError(kq3917e_confAutoTrigMode(instrSession, 1, s->in1TrigMode), "setting IN1 trigger mode");
    checkError(kq3917e_confAutoTrigMode(instrSession, 2, s->in2TrigMode), "setting IN2 trigger mode");
    checkError(kq3917e_confMinAutoTrigFreq(instrSession, s->minAutoTrigFreq),
               "setting auto trigger frequency");
    checkError(kq3917e_confArming(instrSession, s->startArmSource, s->stopArmSource, s->extArmSource),
               "setting arming");
    checkError(kq3917e_confArmingLevel(instrSession, s->extArmLevel), "setting external arm level");
    checkError(kq3917e_confExtArmMode(instrSession, s->armMode), "setting arm mode");
    checkError(kq3917e_confDelay(instrSession, s->delayEnabled, s->delay), "setting delay");
    checkError(kq3917e_outputGate(instrSession, s->gateOutput), "setting gate output");
    checkError(kq3917e_mathCalculation(instrSession, 0, r->mathValue1, 0, r->mathValue2, r->mathEnable),
               "setting math calculation");
    if (continuousMode == 1) {
        kq3917e_triggerContinuous(instrSession, 1);
    }
}

void recallSetup(void)
{
    char path[MAX_PATHNAME_LEN] = "";
    if (!chooseSetupFile(VAL_LOAD_BUTTON, path, sizeof path)) {
        return;
    }
    FILE *file = openSetupFile(path, "r", "The setup file cannot be opened. Nothing was applied.");
    if (file == NULL) {
        return;
    }
    const char *why = readSetup(file);
    fclose(file);
    if (why != NULL) {
        MessagePopup(SETUP_TITLE, why);
        return;
    }
    sendSetup(&setupRecord);
    refreshMainPanel();
    readMathState();
}
