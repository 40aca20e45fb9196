// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysistest.h"

TEST(Analysis, HistogramCountsAxisAndMode)
{
    // samples, base, top, counts per interval, mode
    const std::tuple<D, double, double, I, double> cases[] = {
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
    for (const auto &[samples, base, top, expected, expectedMode] : cases) {
        SCOPED_TRACE(testing::Message() << base << " .. " << top);
        const int intervals = static_cast<int>(expected.size()), n = static_cast<int>(samples.size());
        // Relative to the span, plus two steps of the doubles near the ends.
        const double halfSpan = top / 2 - base / 2, largest = std::max(std::fabs(base), std::fabs(top)),
                     tolerance = 1e-12 * halfSpan + 2 * (largest - std::nextafter(largest, 0.0));
        I counts(intervals, -1);
        D axis(intervals, kNaN);
        double mode = kNaN;
        ASSERT_EQ(Histogram(samples.data(), n, base, top, counts.data(), axis.data(), intervals), 0);
        ASSERT_EQ(Mode(samples.data(), n, base, top, intervals, &mode), 0);
        EXPECT_EQ(counts, expected);
        for (int k = 0; k < intervals; ++k) // on halves, so that the expectation cannot overflow
            EXPECT_NEAR(axis[k], 2 * (base / 2 + (k + 0.5) / intervals * halfSpan), tolerance) << k;
        EXPECT_NEAR(mode, expectedMode, tolerance);
    }
}

// The extremes take their first occurrence and pass over NaN. The spread of
// large close readings survives; a sample that is not finite gives the plain
// mean and no deviation, wherever it stands.
TEST(Analysis, ExtremesAndPopulationDeviation)
{
    const double samples[] = {kNaN, 3, -1, 7, 7, -1, kNaN};
    double max = 0, min = 0;
    int maxIndex = -1, minIndex = -1;
    ASSERT_EQ(MaxMin1D(samples, 7, &max, &maxIndex, &min, &minIndex), 0);
    EXPECT_EQ(D({max, double(maxIndex), min, double(minIndex)}), D({7, 3, -1, 2}));
    // 10 MHz readings alternating by 0.2 Hz: a sum of squares loses every digit.
    D alternating(1000, 10000000.1);
    for (size_t i = 1; i < alternating.size(); i += 2)
        alternating[i] = 10000000.3;
    const double half = (10000000.3 - 10000000.1) / 2;
    // samples, mean, deviation (NaN: a NaN)
    const std::tuple<D, double, double> cases[] = {
        {{2, 4, 4, 4, 5, 5, 7, 9}, 5, 2}, {{12.5}, 12.5, 0},          {alternating, 10000000.1 + half, half},
        {{1, 2, kNaN}, kNaN, kNaN},       {{kInf, 1, 2}, kInf, kNaN}, {{1, -kInf, 2}, -kInf, kNaN},
        {{-kInf, kInf, 1}, kNaN, kNaN},
    };
    auto same = [](double value, double expected, double rel) {
        return std::isnan(expected)
                   ? std::isnan(value)
                   : value == expected || std::fabs(value - expected) <= rel * std::fabs(expected);
    };
    for (const auto &[samples, expectedMean, expectedSd] : cases) {
        double mean = 0, sd = -1;
        ASSERT_EQ(StdDev(samples.data(), static_cast<int>(samples.size()), &mean, &sd), 0);
        EXPECT_TRUE(same(mean, expectedMean, 1e-15) && same(sd, expectedSd, 1e-9))
            << samples[0] << " .. " << samples.size() << ": " << mean << " " << sd;
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
        EXPECT_EQ(I({Histogram(samples, n, base, top, counts, axis, intervals),
                     Mode(samples, n, base, top, intervals, &mode),
                     MaxMin1D(samples, n, &max, &index, &min, &index), StdDev(samples, n, &mean, &sd)}),
                  I({status, status, summaryStatus, summaryStatus}));
        EXPECT_EQ(D({double(counts[0]), axis[0], mode}), D(3, -7));
        EXPECT_TRUE(summaryStatus == 0 || D({max, double(index), mean, sd}) == D(4, -7));
    }
}
