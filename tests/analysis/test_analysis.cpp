// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace
{

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Analysis, HistogramCountsAxisAndMode)
{
    using Case = std::tuple<std::vector<double>, double, double, std::vector<int>, double>;
    const Case table[] = {
        {{0, 1, 3, 3, 4, 4, 4, 5, 5, 8}, 0, 8, {1, 1, 0, 2, 3, 2, 0, 1}, 4.5},
        // A value equal to top lands in the last interval; inner edges go up.
        {{0, 2, 4, 6, 8, 10}, 0, 10, {1, 1, 1, 1, 2}, 9.0},
        {{-0.001, 1, 2, 3.0001, 1e300, -1e300, kNaN}, 1, 3, {1, 1}, 1.5},
        // Equally full intervals: the lower one is the mode.
        {{1, 1, 3, 3, 2.5}, 0, 4, {0, 2, 1, 2}, 1.5},
    };
    for (const auto &[samples, base, top, expected, expectedMode] : table) {
        const int intervals = static_cast<int>(expected.size()), n = static_cast<int>(samples.size());
        std::vector<int> counts(expected.size(), -1);
        std::vector<double> axis(expected.size(), kNaN);
        ASSERT_EQ(Histogram(samples.data(), n, base, top, counts.data(), axis.data(), intervals), 0);
        EXPECT_EQ(counts, expected);
        for (int k = 0; k < intervals; ++k)
            EXPECT_DOUBLE_EQ(axis[k], base + (k + 0.5) * (top - base) / intervals) << k;
        double mode = kNaN;
        ASSERT_EQ(Mode(samples.data(), n, base, top, intervals, &mode), 0);
        EXPECT_DOUBLE_EQ(mode, expectedMode);
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

TEST(Analysis, PopulationDeviationKeepsTheSpreadOfLargeReadings)
{
    // 10 MHz readings alternating by 0.2 Hz: a sum of squares loses every digit.
    std::vector<double> alternating;
    for (int i = 0; i < 1000; ++i)
        alternating.push_back(i % 2 ? 10000000.3 : 10000000.1);
    const double half = (10000000.3 - 10000000.1) / 2;
    const std::tuple<std::vector<double>, double, double> table[] = {
        {{2, 4, 4, 4, 5, 5, 7, 9}, 5, 2}, {{12.5}, 12.5, 0}, {alternating, 10000000.1 + half, half}};
    for (const auto &[samples, expectedMean, expectedSd] : table) {
        double mean = 0, sd = -1;
        ASSERT_EQ(StdDev(samples.data(), static_cast<int>(samples.size()), &mean, &sd), 0);
        EXPECT_DOUBLE_EQ(mean, expectedMean);
        EXPECT_NEAR(sd, expectedSd, 1e-9 * expectedSd) << samples.size();
    }
}

TEST(Analysis, FailuresReturnTheirStatusAndWriteNothing)
{
    const double three[] = {1, 2, 3}, inf = std::numeric_limits<double>::infinity();
    // samples, n, base, top, intervals, status of Histogram and Mode, of MaxMin1D and StdDev
    const std::tuple<const double *, int, double, double, int, int, int> table[] = {
        {three, 0, 0, 4, 2, ANALYSIS_ERR_SAMPLES, ANALYSIS_ERR_SAMPLES},
        {nullptr, 3, 0, 4, 2, ANALYSIS_ERR_SAMPLES, ANALYSIS_ERR_SAMPLES},
        {three, 3, 0, 4, 0, ANALYSIS_ERR_INTERVALS, 0},
        {three, 3, 2, 2, 2, ANALYSIS_ERR_RANGE, 0},
        {three, 3, 0, inf, 2, ANALYSIS_ERR_RANGE, 0},
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
