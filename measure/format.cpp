// SPDX-License-Identifier: GPL-3.0-or-later
// Engineering notation for the reading display.
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

static void formatNoReadingText(int16_t function, int16_t resolution, uint16_t averaging, char *text,
                                size_t textSize)
{
    formatReadingText(0.0, function, resolution, averaging, text, textSize);
    for (char *p = text; *p != '\0'; p++) {
        if (*p != ' ') {
            *p = '-';
        }
    }
}

void formatReading(double value)
{
    char text[READING_TEXT_SIZE];
    formatReadingText(value, settings.function, settings.resolution, settings.averaging, text, sizeof text);
    SetCtrlVal(mainPanel, MAIN_READING, text);
}

void showNoReading(void)
{
    char text[READING_TEXT_SIZE];
    formatNoReadingText(settings.function, settings.resolution, settings.averaging, text, sizeof text);
    SetCtrlVal(mainPanel, MAIN_READING, text);
}
