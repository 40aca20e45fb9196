// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace
{

const double kNaN = std::numeric_limits<double>::quiet_NaN(), kInf = std::numeric_limits<double>::infinity();

// Equal within rel of expected; a NaN expects a NaN.
bool same(double value, double expected, double rel)
{
    return std::isnan(expected)
               ? std::isnan(value)
               : value == expected || std::fabs(value - expected) <= rel * std::fabs(expected);
}

TEST(Analysis, HistogramCountsAxisAndMode)
{
    const struct {
        std::vector<double> samples;
        double base, top;
        std::vector<int> counts;
        double mode;
    } cases[] = {
        // A value equal to top lands in the last interval; inner edges go up.
        {{0, 2, 4, 6, 8, 10}, 0, 10, {1, 1, 1, 1, 2}, 9.0},
        {{-0.001, 1, 2, 3.0001, 1e300, -1e300, kNaN}, 1, 3, {1, 1}, 1.5},
        // Equally full intervals: the lower one is the mode.
        {{1, 1, 3, 3, 2.5}, 0, 4, {0, 2, 1, 2}, 1.5},
        // 1.2 is the upper inner edge, though its estimate falls just below it.
        {{1, 1.1, 1.2, 1.3}, 1, 1.3, {1, 1, 2}, 1.25},
        // Spans too small for their inverse and too large for the difference itself.
        {{1e-300, 1e-300 + 1e-315}, 1e-300, 1e-300 + 1e-315, {1, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 1e-300},
        // The smallest subnormal: the first five edges round to 0, so 0 lies in the sixth.
        {{0, DBL_TRUE_MIN}, 0, DBL_TRUE_MIN, {0, 0, 0, 0, 0, 1, 0, 0, 0, 1}, 0},
        {{-1e308, 1e308, 1e308, 0}, -1e308, 1e308, {1, 0, 0, 0, 0, 1, 0, 0, 0, 2}, 9e307},
        {{0, 5e307, 1e308}, 0, 1e308, {1, 0, 0, 0, 0, 1, 0, 0, 0, 1}, 5e306},
        {{-DBL_MAX, -DBL_MAX, DBL_MAX}, -DBL_MAX, DBL_MAX, {2, 0, 0, 0, 0, 0, 0, 0, 0, 1}, -0.9 * DBL_MAX},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.base << " .. " << c.top);
        const int intervals = static_cast<int>(c.counts.size()), n = static_cast<int>(c.samples.size());
        // Relative to the span, plus two steps of the doubles near the ends.
        const double halfSpan = c.top / 2 - c.base / 2,
                     largest = std::max(std::fabs(c.base), std::fabs(c.top));
        const double tolerance = 1e-12 * halfSpan + 2 * (largest - std::nextafter(largest, 0.0));
        std::vector<int> counts(c.counts.size(), -1);
        std::vector<double> axis(c.counts.size(), kNaN);
        double mode = kNaN;
        ASSERT_EQ(Histogram(c.samples.data(), n, c.base, c.top, counts.data(), axis.data(), intervals), 0);
        ASSERT_EQ(Mode(c.samples.data(), n, c.base, c.top, intervals, &mode), 0);
        EXPECT_EQ(counts, c.counts);
        for (int k = 0; k < intervals; ++k) // on halves, so that the expectation cannot overflow
            EXPECT_NEAR(axis[k], 2 * (c.base / 2 + (k + 0.5) / intervals * halfSpan), tolerance) << k;
        EXPECT_NEAR(mode, c.mode, tolerance);
    }
}

TEST(Analysis, ExtremesTakeTheFirstOccurrenceAndPassOverNaN)
{
    const double samples[] = {kNaN, 3, -1, 7, 7, -1, kNaN};
    double max = 0, min = 0;
    int maxIndex = -1, minIndex = -1;
    ASSERT_EQ(MaxMin1D(samples, 7, &max, &maxIndex, &min, &minIndex), 0);
    EXPECT_EQ(std::vector<double>({max, double(maxIndex), min, double(minIndex)}),
              std::vector<double>({7, 3, -1, 2}));
}

// The spread of large close readings survives; a sample that is not finite
// gives the plain mean and no deviation, wherever it stands.
TEST(Analysis, PopulationDeviation)
{
    // 10 MHz readings alternating by 0.2 Hz: a sum of squares loses every digit.
    std::vector<double> alternating;
    for (int i = 0; i < 1000; ++i)
        alternating.push_back(i % 2 ? 10000000.3 : 10000000.1);
    const double half = (10000000.3 - 10000000.1) / 2;
    const struct {
        std::vector<double> samples;
        double mean, sd;
    } cases[] = {
        {{2, 4, 4, 4, 5, 5, 7, 9}, 5, 2}, {{12.5}, 12.5, 0},          {alternating, 10000000.1 + half, half},
        {{1, 2, kNaN}, kNaN, kNaN},       {{kInf, 1, 2}, kInf, kNaN}, {{1, -kInf, 2}, -kInf, kNaN},
        {{-kInf, kInf, 1}, kNaN, kNaN},
    };
    for (const auto &c : cases) {
        double mean = 0, sd = -1;
        ASSERT_EQ(StdDev(c.samples.data(), static_cast<int>(c.samples.size()), &mean, &sd), 0);
        EXPECT_TRUE(same(mean, c.mean, 1e-15) && same(sd, c.sd, 1e-9))
            << c.samples[0] << " .. " << c.samples.size() << ": " << mean << " " << sd;
    }
}

TEST(Analysis, FailuresReturnTheirStatusAndWriteNothing)
{
    const double three[] = {1, 2, 3};
    // samples, n, base, top, intervals, status of Histogram and Mode, of MaxMin1D and StdDev
    const std::tuple<const double *, int, double, double, int, int, int> table[] = {
        {three, 0, 0, 4, 2, ANALYSIS_ERR_SAMPLES, ANALYSIS_ERR_SAMPLES},
        {nullptr, 3, 0, 4, 2, ANALYSIS_ERR_SAMPLES, ANALYSIS_ERR_SAMPLES},
        {three, 3, 0, 4, 0, ANALYSIS_ERR_INTERVALS, 0},
        {three, 3, 2, 2, 2, ANALYSIS_ERR_RANGE, 0},
        {three, 3, 0, kInf, 2, ANALYSIS_ERR_RANGE, 0},
        {three, 3, kNaN, 4, 2, ANALYSIS_ERR_RANGE, 0}};
    for (const auto &[samples, n, base, top, intervals, status, summaryStatus] : table) {
        int counts[2] = {-7, -7}, index = -7;
        double axis[2] = {-7, -7}, mode = -7, max = -7, min = -7, mean = -7, sd = -7;
        EXPECT_EQ(Histogram(samples, n, base, top, counts, axis, intervals), status);
        EXPECT_EQ(Mode(samples, n, base, top, intervals, &mode), status);
        EXPECT_EQ(MaxMin1D(samples, n, &max, &index, &min, &index), summaryStatus);
        EXPECT_EQ(StdDev(samples, n, &mean, &sd), summaryStatus);
        EXPECT_EQ(std::vector<double>({double(counts[0]), axis[0], mode}), std::vector<double>(3, -7));
        EXPECT_TRUE(summaryStatus == 0 ||
                    std::vector<double>({max, double(index), mean, sd}) == std::vector<double>(4, -7));
    }
}

} // namespace
