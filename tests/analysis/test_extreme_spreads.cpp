// SPDX-License-Identifier: GPL-3.0-or-later
// Histogram and Mode over spreads at both ends of the double range: a span
// too small for its inverse and one too large for the difference itself.
#include "analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

TEST(ExtremeSpreads, EveryFiniteBaseBelowTopGivesTheRightIntervals)
{
    const struct {
        std::vector<double> samples; // base and top are the smallest and largest
        std::vector<int> counts;
        double mode;
    } cases[] = {
        {{1e-300, 1e-300 + 1e-315}, {1, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 1e-300},
        // The smallest subnormal: the first five edges round to 0, so 0 lies in the sixth.
        {{0, 4.9406564584124654e-324}, {0, 0, 0, 0, 0, 1, 0, 0, 0, 1}, 0},
        {{-1e308, 1e308, 1e308, 0}, {1, 0, 0, 0, 0, 1, 0, 0, 0, 2}, 9e307},
        {{0, 5e307, 1e308}, {1, 0, 0, 0, 0, 1, 0, 0, 0, 1}, 5e306},
        {{-DBL_MAX, -DBL_MAX, DBL_MAX}, {2, 0, 0, 0, 0, 0, 0, 0, 0, 1}, -0.9 * DBL_MAX},
    };
    for (const auto &c : cases) {
        const int n = static_cast<int>(c.samples.size());
        const double base = *std::min_element(c.samples.begin(), c.samples.end());
        const double top = *std::max_element(c.samples.begin(), c.samples.end());
        SCOPED_TRACE(testing::Message() << base << " .. " << top);
        // Relative to the span, plus two steps of the doubles near the ends.
        const double halfSpan = top / 2 - base / 2, largest = std::max(std::fabs(base), std::fabs(top));
        const double tolerance = 1e-12 * halfSpan + 2 * (largest - std::nextafter(largest, 0.0));
        std::vector<int> counts(10, -1);
        std::vector<double> axis(10, NAN);
        double mode = NAN;
        ASSERT_EQ(Histogram(c.samples.data(), n, base, top, counts.data(), axis.data(), 10), 0);
        ASSERT_EQ(Mode(c.samples.data(), n, base, top, 10, &mode), 0);
        EXPECT_EQ(counts, c.counts);
        for (int k = 0; k < 10; ++k) // on halves, so that the expectation cannot overflow
            EXPECT_NEAR(axis[k], 2 * (base / 2 + (k + 0.5) / 10 * halfSpan), tolerance) << k;
        EXPECT_NEAR(mode, c.mode, tolerance);
    }
}
