// SPDX-License-Identifier: GPL-3.0-or-later
// Engineering notation for the reading display, or the same digits with an
// SI prefix.
#include "measure.h"

#include "app.h"
#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// A double carries 17 significant digits; more would only print conversion
// noise, and the cap keeps every text well inside READING_TEXT_SIZE.
#define MAX_READING_DIGITS 17

// Significant digits shown for a measurement function.
static int readingDigits(int16_t function, int16_t resolution, uint16_t averaging)
{
    int extra = averaging != 0 ? 1 : 0;
    int n;
    if (function >= 0 && function <= 5) {
        n = resolution + extra;
    } else if (function == 10) {
        n = 5 + extra;
    } else if (function == 12 || function == 13 || function == 24) {
        n = 4;
    } else if (function == 14 || function == 15) {
        n = (resolution < 5 ? resolution : 5) + extra;
    } else if (function >= 16 && function <= 23) {
        n = 5;
    } else {
        n = 11; // 6 to 9, 11 and any unknown code
    }
    if (n < 1) {
        return 1;
    }
    return n < MAX_READING_DIGITS ? n : MAX_READING_DIGITS;
}

void formatReadingText(double value, int16_t function, int16_t resolution, uint16_t averaging, char *text,
                       size_t textSize)
{
    if (textSize == 0) {
        return;
    }
    if (!std::isfinite(value)) {
        snprintf(text, textSize, "%s  ", std::isnan(value) ? "NaN" : (value > 0 ? "+Inf" : "-Inf"));
        return;
    }

    int n = readingDigits(function, resolution, averaging);
    char converted[READING_TEXT_SIZE];
    snprintf(converted, sizeof converted, "%.*e", n - 1, value);
    const char *e = strchr(converted, 'e');
    int exponent = e != nullptr ? (int)strtol(e + 1, nullptr, 10) : 0;

    // Lower the exponent to a multiple of three; % keeps the dividend's sign,
    // so negative exponents move down as well (-1 -> -3).
    int shift = 0;
    while (exponent % 3 != 0) {
        exponent--;
        shift++;
    }

    // The mantissa's digits and the shift's zeros, with the point after
    // shift + 1 digits; a single digit shifted up takes no point ("50", "500").
    char digits[READING_TEXT_SIZE];
    int count = 0;
    for (const char *p = converted; p != e && *p != '\0'; p++) {
        if (*p >= '0' && *p <= '9') {
            digits[count++] = *p;
        }
    }
    for (int i = 0; i < shift; i++) {
        digits[count++] = '0';
    }
    int point = n == 1 && shift > 0 ? -1 : shift + 1;

    char shown[READING_TEXT_SIZE];
    size_t used = 0;
    if (converted[0] == '-') {
        shown[used++] = '-';
    }
    for (int i = 0; i < count; i++) {
        if (i == point) {
            shown[used++] = '.';
        }
        shown[used++] = digits[i];
    }
    if (point == count) {
        shown[used++] = '.';
    }
    shown[used] = '\0';

    snprintf(text, textSize, exponent >= 0 ? "%sE+%.2d  " : "%sE%.2d  ", shown, exponent);
}

// Prefixes of the engineering exponents -24 to 24, in steps of three.
static const char *const siPrefixes[] = {"y", "z", "a", "f", "p", "n", "\xC2\xB5", "m", "",
                                         "k", "M", "G", "T", "P", "E", "Z",        "Y"};
#define SI_PREFIX_OFFSET 8
#define SI_PREFIX_COUNT ((int)(sizeof siPrefixes / sizeof siPrefixes[0]))
// An engineering text with up to six digit-group blanks, a blank and a
// prefix or an exponent.
#define SI_TEXT_SIZE (READING_TEXT_SIZE + 16)

void formatReadingSiText(double value, int16_t function, int16_t resolution, uint16_t averaging, char *text,
                         size_t textSize)
{
    char engineering[READING_TEXT_SIZE];
    formatReadingText(value, function, resolution, averaging, engineering, sizeof engineering);
    const char *e = strchr(engineering, 'E');
    if (e == nullptr) { // not finite: nothing to group
        snprintf(text, textSize, "%s", engineering);
        return;
    }
    // The same digits; a blank before every third digit after the point.
    char grouped[SI_TEXT_SIZE];
    size_t used = 0;
    int afterPoint = -1;
    for (const char *p = engineering; p != e; p++) {
        if (afterPoint > 0 && afterPoint % 3 == 0) {
            grouped[used++] = ' ';
        }
        grouped[used++] = *p;
        afterPoint = *p == '.' ? 0 : afterPoint + (afterPoint >= 0 ? 1 : 0);
    }
    grouped[used] = '\0';
    int exponent = (int)strtol(e + 1, nullptr, 10);
    int prefix = exponent / 3 + SI_PREFIX_OFFSET;
    if (prefix >= 0 && prefix < SI_PREFIX_COUNT) {
        snprintf(text, textSize, "%s %s", grouped, siPrefixes[prefix]);
    } else {
        snprintf(text, textSize, "%s E%+d", grouped, exponent);
    }
}

int readingDisplay = READING_ENGINEERING;
#define READING_DISPLAY_KEY "display/reading"

// What MAIN_READING shows, so that a change of notation shows it anew.
static double shownValue = 0.0;
static int shownNothing = 0;

static void formatShownText(double value, char *text, size_t textSize)
{
    if (readingDisplay == READING_SI) {
        formatReadingSiText(value, settings.function, settings.resolution, settings.averaging, text,
                            textSize);
    } else {
        formatReadingText(value, settings.function, settings.resolution, settings.averaging, text, textSize);
    }
}

static void showValueText(double value)
{
    char text[SI_TEXT_SIZE];
    formatShownText(value, text, sizeof text);
    SetCtrlVal(mainPanel, MAIN_READING, text);
    shownValue = value;
    shownNothing = 0;
}

static void showNoReadingText(void)
{
    char text[SI_TEXT_SIZE];
    formatShownText(0.0, text, sizeof text);
    for (char *p = text; *p != '\0'; p++) {
        if (*p != ' ') {
            *p = '-';
        }
    }
    SetCtrlVal(mainPanel, MAIN_READING, text);
    shownNothing = 1;
}

// A new text on the display: a verdict belongs only to the reading it judged.
void formatReading(double value)
{
    showValueText(value);
    showLimitVerdict(LIMIT_NONE);
}

void showNoReading(void)
{
    showNoReadingText();
    showLimitVerdict(LIMIT_NONE);
}

void loadReadingDisplay(void)
{
    readingDisplay = GetPreference(READING_DISPLAY_KEY, READING_ENGINEERING) == READING_SI
                         ? READING_SI
                         : READING_ENGINEERING;
}

// The same reading, or none, in the chosen notation; its verdict stays.
static void showInChosenNotation(void)
{
    if (shownNothing) {
        showNoReadingText();
    } else {
        showValueText(shownValue);
    }
}

void setReadingDisplay(int display)
{
    readingDisplay = display;
    SetPreference(READING_DISPLAY_KEY, display);
    showInChosenNotation();
}

void showReadingDisplay(void)
{
    SetCtrlVal(mainPanel, MAIN_SI_DISPLAY, readingDisplay == READING_SI ? 1 : 0);
    // The resource file's start text is in engineering notation.
    if (readingDisplay == READING_SI) {
        showInChosenNotation();
    }
}
