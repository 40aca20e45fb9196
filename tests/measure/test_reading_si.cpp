// SPDX-License-Identifier: GPL-3.0-or-later
// SI reading texts: the engineering digits, grouped in threes after the
// point, then a blank and the prefix of the exponent.
#include "measure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST(ReadingSi, SameDigitsWithPrefixAndGroups)
{
    const struct {
        int16_t function, resolution;
        uint16_t averaging;
        double value;
        const char *text;
    } cases[] = {
        {0, 8, 0, 100000.0, "100.000 000 0 k"},
        {2, 7, 0, 1e-5, "10.000 000 \xC2\xB5"},
        {0, 8, 0, 0.0, "0.000 000 0 "},
        {4, 3, 0, -0.00123, "-1.23 m"},
        {11, 8, 0, 2.5e9, "2.500 000 000 0 G"},
        {12, 3, 1, 33.333333, "33.330 "},
        {16, 0, 0, 1.5e-12, "1.500 0 p"},
        {16, 0, 0, 1.5e-24, "1.500 0 y"},
        {16, 0, 0, 1.5e26, "150.000 0 Y"},
        {16, 0, 0, 1.5e102, "1.500 0 E+102"},
        {16, 0, 0, 1e-30, "1.000 0 E-30"},
        {0, 1, 0, 50.0, "50 "},
        {0, 17, 0, 0.125, "125.000 000 000 000 000 0 m"},
        {0, 8, 0, NAN, "NaN  "},
        {11, 8, 0, -INFINITY, "-Inf  "},
    };
    for (const auto &c : cases) {
        char text[READING_TEXT_SIZE + 16];
        formatReadingSiText(c.value, c.function, c.resolution, c.averaging, text, sizeof text);
        EXPECT_EQ(std::string(text), c.text) << c.value;
    }
}
