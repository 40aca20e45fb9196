// SPDX-License-Identifier: GPL-3.0-or-later
// The reading formatter over any double, function code, resolution,
// averaging and buffer size. A finite value must come out in engineering
// notation: an optional "-", digits with at most one point and one to three
// digits before it, "E", a sign, two or three exponent digits that make a
// multiple of three, and two blanks, at most 31 characters; read back it is
// the value to its first digit. The text never runs past the buffer.
#include "mainpanel.h"
#include "measure.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// formatReading's surroundings; the formatting alone is fuzzed.
CounterSettings settings;
int mainPanel;
int SetCtrlVal(int, int, const char *)
{
    return 0;
}
int SetCtrlVal(int, int, int)
{
    return 0;
}
void showLimitVerdict(enum LimitVerdict)
{
}
int GetPreference(const char *, int defaultValue)
{
    return defaultValue;
}
int SetPreference(const char *, int)
{
    return 0;
}

// A failed check names its line before it ends the run.
#define check(condition) ((condition) ? (void)0 : fail(__LINE__))
[[noreturn]] static void fail(int line)
{
    fprintf(stderr, "check failed at line %d\n", line);
    abort();
}

// Engineering notation as the reading display shows it.
static void checkEngineering(const char *text, double value)
{
    size_t length = strlen(text);
    check(length >= 6 && length <= READING_TEXT_SIZE - 1);
    check(strcmp(text + length - 2, "  ") == 0);
    const char *p = text;
    if (*p == '-')
        p++;
    int before = 0, points = 0;
    const char *firstDigit = p;
    for (; *p != 'E'; p++) {
        check(*p != '\0');
        if (*p == '.') {
            points++;
            continue;
        }
        check(isdigit((unsigned char)*p));
        before += points == 0;
    }
    check(points <= 1 && before >= 1 && before <= 3);
    // No leading zero except for zero itself ("0.000").
    check(*firstDigit != '0' || (before == 1 && value == 0.0));
    p++;
    check(*p == '+' || *p == '-');
    const char *exponentDigits = p + 1;
    size_t digits = strspn(exponentDigits, "0123456789");
    check(digits == 2 || digits == 3);
    check(strcmp(exponentDigits + digits, "  ") == 0);
    int exponent = atoi(p);
    check(exponent % 3 == 0);

    // Read back wider than a double: rounding may carry past the largest one.
    long double shown = strtold(text, nullptr);
    if (value == 0.0) {
        check(shown == 0.0L);
    } else {
        // At least one significant digit is right, and the sign.
        check(std::signbit(shown) == std::signbit(value));
        check(std::fabs(shown - (long double)value) <= 0.5L * std::fabs((long double)value));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 15)
        return 0;
    double value;
    int16_t function, resolution;
    uint16_t averaging;
    memcpy(&value, data, 8);
    memcpy(&function, data + 8, 2);
    memcpy(&resolution, data + 10, 2);
    memcpy(&averaging, data + 12, 2);
    size_t textSize = data[14] % (READING_TEXT_SIZE + 1);

    // A buffer of exactly textSize bytes, so that any write past it is seen.
    std::vector<char> text(textSize, 'x');
    formatReadingText(value, function, resolution, averaging, text.data(), textSize);
    if (textSize == 0)
        return 0;
    check(memchr(text.data(), '\0', textSize) != nullptr);
    if (textSize < READING_TEXT_SIZE)
        return 0;
    if (std::isfinite(value)) {
        checkEngineering(text.data(), value);
    } else {
        size_t length = strlen(text.data());
        check(length >= 2 && strcmp(text.data() + length - 2, "  ") == 0);
    }
    return 0;
}
