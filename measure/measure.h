// SPDX-License-Identifier: GPL-3.0-or-later
// Measurement acquisition and display: the timer loop and number formatting.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest reading text, terminator included (sign, 20 digits, point, two
// appended zeros, E, sign, three exponent digits, two blanks).
#define READING_TEXT_SIZE 32

// Formats value in engineering notation for the current function,
// resolution and averaging, and shows it in MAIN_READING.
void formatReading(double value);
// The formatting alone, into text (at most textSize bytes, terminated).
void formatReadingText(double value, int16_t function, int16_t resolution, uint16_t averaging, char *text,
                       size_t textSize);

// Timer callback of MAIN_TIMER: the only place that takes measurements.
int TimerFunction(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
