// SPDX-License-Identifier: GPL-3.0-or-later
// Reading texts: engineering exponent, digit count per function, the two
// trailing blanks, and the bounds on digit count and buffer.
#include "measure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace
{

struct FormatCase {
    int16_t function;
    int16_t resolution;
    uint16_t averaging;
    double value;
    const char *text;
};

std::string format(const FormatCase &c)
{
    char text[READING_TEXT_SIZE];
    formatReadingText(c.value, c.function, c.resolution, c.averaging, text, sizeof text);
    return text;
}

class FormatReading : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(FormatReading, GivesTheExactText)
{
    EXPECT_EQ(format(GetParam()), GetParam().text);
}

const double inf = std::numeric_limits<double>::infinity();

// Any resolution or averaging is given as values that must not matter.
INSTANTIATE_TEST_SUITE_P(WorkedExamples, FormatReading,
                         ::testing::Values(FormatCase{0, 8, 0, 10000000.0, "10.0000000E+06  "},
                                           FormatCase{2, 8, 1, 2.5e-7, "250.00000000E-09  "},
                                           FormatCase{12, 3, 1, 33.333333, "33.330E+00  "},
                                           FormatCase{24, 12, 0, 50.0, "50.000E+00  "},
                                           FormatCase{8, 2, 1, 1234.0, "1.2340000000E+03  "},
                                           FormatCase{0, 8, 0, 0.0, "0.0000000E+00  "},
                                           FormatCase{4, 3, 0, -0.00123, "-1.23E-03  "},
                                           FormatCase{14, 8, 0, 999.9999, "1.0000E+03  "},
                                           FormatCase{16, 1, 1, 0.5, "500.0000E-03  "},
                                           FormatCase{10, 9, 1, 12345.0, "12.34500E+03  "},
                                           FormatCase{18, 2, 0, -1.5, "-1.5000E+00  "},
                                           FormatCase{2, 4, 0, 123456.7, "123.500E+03  "}));

INSTANTIATE_TEST_SUITE_P(
    Edges, FormatReading,
    ::testing::Values(
        // negative exponents of every group, and three-digit exponents
        FormatCase{16, 0, 0, 1.5e-12, "1.5000E-12  "}, FormatCase{16, 0, 0, 1.5e102, "1.5000E+102  "},
        FormatCase{16, 0, 0, -1.5e-102, "-1.5000E-102  "}, FormatCase{16, 0, 0, 1e-100, "100.0000E-102  "},
        FormatCase{16, 0, 0, 0.01, "10.0000E-03  "},
        // a carry that crosses an exponent group
        FormatCase{0, 6, 0, 999999.5, "1.00000E+06  "},
        // resolution capped at 5 for functions 14 and 15, averaging on top
        FormatCase{14, 8, 1, 1.0, "1.00000E+00  "}, FormatCase{15, 3, 0, 1.0, "1.00E+00  "},
        // 11 digits for the remaining codes, known and unknown
        FormatCase{6, 1, 0, 1.0, "1.0000000000E+00  "}, FormatCase{11, 1, 0, 1.0, "1.0000000000E+00  "},
        FormatCase{25, 1, 0, 1.0, "1.0000000000E+00  "}, FormatCase{-1, 1, 0, 1.0, "1.0000000000E+00  "},
        FormatCase{32767, 1, 0, 1.0, "1.0000000000E+00  "},
        // fixed counts ignore averaging except for function 10
        FormatCase{13, 8, 1, 1.0, "1.000E+00  "}, FormatCase{17, 8, 1, 1.0, "1.0000E+00  "},
        FormatCase{23, 8, 1, 1.0, "1.0000E+00  "}, FormatCase{10, 8, 0, 1.0, "1.0000E+00  "},
        // one digit: the point only when nothing was shifted in
        FormatCase{0, 1, 0, 5.0, "5.E+00  "}, FormatCase{0, 1, 0, 50.0, "50E+00  "},
        FormatCase{0, 1, 0, 500.0, "500E+00  "}, FormatCase{0, 1, 0, 0.05, "50E-03  "},
        FormatCase{3, 0, 1, 5.0, "5.E+00  "}));

// Counts below one become one digit; a 16-bit resolution is capped at the
// 17 digits a double carries; non-finite values get a word.
INSTANTIATE_TEST_SUITE_P(Mends, FormatReading,
                         ::testing::Values(FormatCase{0, 0, 0, 5.0, "5.E+00  "},
                                           FormatCase{1, -5, 0, 50.0, "50E+00  "},
                                           FormatCase{2, -32768, 1, 500.0, "500E+00  "},
                                           FormatCase{14, -32768, 0, 5.0, "5.E+00  "},
                                           FormatCase{0, 16, 1, 0.125, "125.0000000000000000E-03  "},
                                           FormatCase{0, 17, 0, 0.125, "125.0000000000000000E-03  "},
                                           FormatCase{5, 32767, 1, 0.125, "125.0000000000000000E-03  "},
                                           FormatCase{0, 8, 0, std::nan(""), "NaN  "},
                                           FormatCase{11, 8, 0, inf, "+Inf  "},
                                           FormatCase{11, 8, 0, -inf, "-Inf  "}));

// The longest text there is (sign, 17 digits, two appended zeros, point,
// three-digit negative exponent) stays inside READING_TEXT_SIZE and leaves
// the bytes behind the buffer alone.
TEST(FormatReadingBounds, LongestTextFitsAndGuardBytesStay)
{
    const int16_t resolutions[] = {17, 18, 32767};
    for (int16_t resolution : resolutions) {
        char buffer[READING_TEXT_SIZE + 8];
        memset(buffer, 0x5A, sizeof buffer);
        formatReadingText(-1.2345678901234567e-100, 0, resolution, 1, buffer, READING_TEXT_SIZE);
        EXPECT_STREQ(buffer, "-123.4567890123456700E-102  ") << resolution;
        for (size_t i = READING_TEXT_SIZE; i < sizeof buffer; i++) {
            EXPECT_EQ(buffer[i], 0x5A) << "guard byte " << i << " at resolution " << resolution;
        }
    }
}

TEST(FormatReadingBounds, SmallBufferIsCutAndTerminated)
{
    char buffer[16];
    memset(buffer, 0x5A, sizeof buffer);
    formatReadingText(10000000.0, 0, 8, 0, buffer, 8);
    EXPECT_STREQ(buffer, "10.0000");
    for (size_t i = 8; i < sizeof buffer; i++) {
        EXPECT_EQ(buffer[i], 0x5A);
    }

    memset(buffer, 0x5A, sizeof buffer);
    formatReadingText(std::nan(""), 0, 8, 0, buffer, 3);
    EXPECT_STREQ(buffer, "Na");

    memset(buffer, 0x5A, sizeof buffer);
    formatReadingText(1.0, 0, 8, 0, buffer, 0);
    EXPECT_EQ(buffer[0], 0x5A);
}

} // namespace
