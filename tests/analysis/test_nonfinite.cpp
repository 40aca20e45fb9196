// SPDX-License-Identifier: GPL-3.0-or-later
// Samples that are not finite: the mean is the plain one and the deviation
// is not a number, whatever the order of the samples; never 0.
#include "analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

TEST(StdDev, OfSamplesThatAreNotFiniteIsNotANumber)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    const struct {
        double samples[3];
        double mean; // NaN: not a number
    } cases[] = {
        {{1, 2, nan}, nan}, {{nan, 1, 2}, nan},   {{1, inf, 2}, inf},
        {{inf, 1, 2}, inf}, {{-inf, 1, 2}, -inf}, {{-inf, inf, 1}, nan},
    };
    for (const auto &c : cases) {
        double mean = 0, sd = 0;
        ASSERT_EQ(StdDev(c.samples, 3, &mean, &sd), ANALYSIS_NO_ERROR);
        EXPECT_TRUE(std::isnan(c.mean) ? std::isnan(mean) : mean == c.mean) << c.samples[0] << " " << mean;
        EXPECT_TRUE(std::isnan(sd)) << c.samples[0];
    }
}

} // namespace
