// SPDX-License-Identifier: GPL-3.0-or-later
// Reading texts: engineering exponent, digit count per function, the two
// trailing blanks, the bounds on digit count and buffer, and the SI form.
#include "measure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <span>
#include <string>

namespace
{

// "function resolution averaging value|text", the text without the two
// blanks that every reading ends with.
const char *const readings[] = {
    // worked examples; resolution or averaging where they must not matter
    "0 8 0 10000000|10.0000000E+06", "2 8 1 2.5e-7|250.00000000E-09", "12 3 1 33.333333|33.330E+00",
    "24 12 0 50|50.000E+00", "8 2 1 1234|1.2340000000E+03", "0 8 0 0|0.0000000E+00",
    "4 3 0 -0.00123|-1.23E-03", "14 8 0 999.9999|1.0000E+03", "16 1 1 0.5|500.0000E-03",
    "10 9 1 12345|12.34500E+03", "18 2 0 -1.5|-1.5000E+00", "2 4 0 123456.7|123.500E+03",
    // negative and three-digit exponents; a carry across an exponent group
    "16 0 0 1.5e-12|1.5000E-12", "16 0 0 1.5e102|1.5000E+102", "16 0 0 -1.5e-102|-1.5000E-102",
    "16 0 0 1e-100|100.0000E-102", "16 0 0 0.01|10.0000E-03", "0 6 0 999999.5|1.00000E+06",
    // resolution capped at 5 for functions 14 and 15, averaging on top
    "14 8 1 1|1.00000E+00", "15 3 0 1|1.00E+00",
    // 11 digits for the remaining codes, known and unknown
    "6 1 0 1|1.0000000000E+00", "11 1 0 1|1.0000000000E+00", "25 1 0 1|1.0000000000E+00",
    "-1 1 0 1|1.0000000000E+00", "32767 1 0 1|1.0000000000E+00",
    // fixed counts ignore averaging except for function 10
    "13 8 1 1|1.000E+00", "17 8 1 1|1.0000E+00", "23 8 1 1|1.0000E+00", "10 8 0 1|1.0000E+00",
    // one digit: the point only when nothing was shifted in
    "0 1 0 5|5.E+00", "0 1 0 50|50E+00", "0 1 0 500|500E+00", "0 1 0 0.05|50E-03", "3 0 1 5|5.E+00",
    // counts below one become one digit; 16-bit resolutions stop at the 17
    // digits of a double; non-finite values get a word
    "0 0 0 5|5.E+00", "1 -5 0 50|50E+00", "2 -32768 1 500|500E+00", "14 -32768 0 5|5.E+00",
    "0 16 1 0.125|125.0000000000000000E-03", "0 17 0 0.125|125.0000000000000000E-03",
    "5 32767 1 0.125|125.0000000000000000E-03", "0 8 0 nan|NaN", "11 8 0 inf|+Inf", "11 8 0 -inf|-Inf"};

// The SI form: the same digits grouped in threes after the point, then a
// blank and the prefix of the exponent.
const char *const siReadings[] = {
    // prefixes within yocto to Yotta
    "0 8 0 100000|100.000 000 0 k", "2 7 0 1e-5|10.000 000 \xC2\xB5", "0 8 0 0|0.000 000 0 ",
    "4 3 0 -0.00123|-1.23 m", "11 8 0 2.5e9|2.500 000 000 0 G", "12 3 1 33.333333|33.330 ",
    "16 0 0 1.5e-12|1.500 0 p", "16 0 0 1.5e-24|1.500 0 y", "16 0 0 1.5e26|150.000 0 Y",
    // exponents beyond them, one digit, the most digits, words
    "16 0 0 1.5e102|1.500 0 E+102", "16 0 0 1e-30|1.000 0 E-30", "0 1 0 50|50 ",
    "0 17 0 0.125|125.000 000 000 000 000 0 m", "0 8 0 nan|NaN  ", "11 8 0 -inf|-Inf  "};

TEST(FormatReading, GivesTheExactText)
{
    const struct {
        const std::span<const char *const> table;
        decltype(&formatReadingText) format;
        const char *end;
    } forms[] = {{readings, formatReadingText, "  "}, {siReadings, formatReadingSiText, ""}};
    for (const auto &form : forms) {
        for (const char *reading : form.table) {
            short function = 0, resolution = 0;
            unsigned short averaging = 0;
            double value = 0.0;
            char expected[READING_TEXT_SIZE + 16] = "", text[READING_TEXT_SIZE + 16] = "";
            ASSERT_EQ(sscanf(reading, "%hd %hd %hu %lf|%47[^\n]", &function, &resolution, &averaging, &value,
                             expected),
                      5);
            form.format(value, function, resolution, averaging, text, sizeof text);
            EXPECT_EQ(text, std::string(expected) + form.end) << reading;
        }
    }
}

// The longest text (sign, 17 digits, two appended zeros, point, three-digit
// negative exponent) fits READING_TEXT_SIZE; a short buffer is cut and
// terminated; the bytes behind the buffer stay.
TEST(FormatReading, StaysInsideTheBuffer)
{
    // Value, resolution, buffer size, text.
    const std::tuple<double, int16_t, size_t, const char *> cases[] = {
        {-1.2345678901234567e-100, 17, READING_TEXT_SIZE, "-123.4567890123456700E-102  "},
        {-1.2345678901234567e-100, 32767, READING_TEXT_SIZE, "-123.4567890123456700E-102  "},
        {1e7, 8, 8, "10.0000"},
        {NAN, 8, 3, "Na"},
        {1.0, 8, 0, ""}};
    for (const auto &[value, resolution, size, text] : cases) {
        std::string buffer(READING_TEXT_SIZE + 7, 'Z');
        formatReadingText(value, 0, resolution, 1, buffer.data(), size);
        EXPECT_EQ(size ? std::string(buffer.c_str()) : text, text);
        EXPECT_EQ(std::string(buffer.c_str() + size), std::string(buffer.size() - size, 'Z')) << size;
    }
}

} // namespace
