// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace
{

const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct HistogramCase {
    const char *name;
    std::vector<double> samples;
    double base;
    double top;
    std::vector<int> counts;
    double mode;
};

class HistogramTest : public testing::TestWithParam<HistogramCase>
{
};

TEST_P(HistogramTest, CountsAxisAndMode)
{
    const HistogramCase &c = GetParam();
    const int intervals = static_cast<int>(c.counts.size());
    std::vector<int> counts(c.counts.size(), -1);
    std::vector<double> axis(c.counts.size(), kNaN);
    const int n = static_cast<int>(c.samples.size());
    ASSERT_EQ(Histogram(c.samples.data(), n, c.base, c.top, counts.data(), axis.data(), intervals),
              ANALYSIS_NO_ERROR);
    EXPECT_EQ(counts, c.counts);
    const double width = (c.top - c.base) / intervals;
    for (int k = 0; k < intervals; ++k)
        EXPECT_NEAR(axis[k], c.base + (k + 0.5) * width, 1e-12 * std::fabs(c.top)) << "axis " << k;
    double mode = kNaN;
    ASSERT_EQ(Mode(c.samples.data(), n, c.base, c.top, intervals, &mode), ANALYSIS_NO_ERROR);
    EXPECT_NEAR(mode, c.mode, 1e-12 * std::fabs(c.top));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistogramTest,
    testing::Values(
        // The analysis library's documented example.
        HistogramCase{"Golden", {0, 1, 3, 3, 4, 4, 4, 5, 5, 8}, 0, 8, {1, 1, 0, 2, 3, 2, 0, 1}, 4.5},
        // A value equal to top lands in the last interval; inner edges go up.
        HistogramCase{"TopAndEdges", {0, 2, 4, 6, 8, 10}, 0, 10, {1, 1, 1, 1, 2}, 9.0},
        // Values outside [base, top], and NaN, are not counted.
        HistogramCase{"Outside", {-0.001, 1, 2, 3.0001, 1e300, -1e300, kNaN}, 1, 3, {1, 1}, 1.5},
        // Two intervals equally full: the lower one is the mode.
        HistogramCase{"ModeTie", {1, 1, 3, 3, 2.5}, 0, 4, {0, 2, 1, 2}, 1.5},
        // Nothing in range: every interval ties at zero.
        HistogramCase{"NothingInRange", {-5, 5}, 0, 1, {0, 0}, 0.25},
        // Counter readings: a 10 MHz signal with a 0.2 Hz spread.
        HistogramCase{"CounterReadings",
                      {10000000.1, 10000000.3, 10000000.2, 10000000.1, 10000000.25},
                      10000000.1,
                      10000000.3,
                      {2, 3},
                      10000000.25}),
    [](const testing::TestParamInfo<HistogramCase> &info) { return info.param.name; });

TEST(HistogramTest, OneInterval)
{
    const double samples[] = {0.5, 1.0, 0.0};
    int count = -1;
    double axis = 0;
    ASSERT_EQ(Histogram(samples, 3, 0.0, 1.0, &count, &axis, 1), ANALYSIS_NO_ERROR);
    EXPECT_EQ(count, 3);
    EXPECT_DOUBLE_EQ(axis, 0.5);
}

// As the program calls them: base and top are the smallest and largest
// sample, so every sample is counted, whatever the rounding near the edges.
TEST(HistogramTest, EverySampleCountedBetweenMinAndMax)
{
    std::mt19937_64 rng(17);
    std::normal_distribution<double> noise(0.0, 0.3);
    std::vector<double> samples(1000);
    for (int round = 0; round < 200; ++round) {
        const double centre = std::ldexp(1.0, round % 40 - 10) * 1e3;
        for (double &s : samples)
            s = centre + noise(rng) * centre * 1e-9;
        double max = 0, min = 0;
        int maxIndex = 0, minIndex = 0;
        ASSERT_EQ(MaxMin1D(samples.data(), 1000, &max, &maxIndex, &min, &minIndex), ANALYSIS_NO_ERROR);
        int counts[10];
        double axis[10];
        ASSERT_EQ(Histogram(samples.data(), 1000, min, max, counts, axis, 10), ANALYSIS_NO_ERROR);
        EXPECT_EQ(std::accumulate(std::begin(counts), std::end(counts), 0), 1000) << "round " << round;
        EXPECT_GE(counts[0], 1);
        EXPECT_GE(counts[9], 1);
    }
}

struct ExtremesCase {
    const char *name;
    std::vector<double> samples;
    double max;
    int maxIndex;
    double min;
    int minIndex;
};

class MaxMin1DTest : public testing::TestWithParam<ExtremesCase>
{
};

TEST_P(MaxMin1DTest, ExtremesAndFirstIndex)
{
    const ExtremesCase &c = GetParam();
    double max = 0, min = 0;
    int maxIndex = -1, minIndex = -1;
    ASSERT_EQ(
        MaxMin1D(c.samples.data(), static_cast<int>(c.samples.size()), &max, &maxIndex, &min, &minIndex),
        ANALYSIS_NO_ERROR);
    EXPECT_TRUE(max == c.max || (std::isnan(max) && std::isnan(c.max))) << max;
    EXPECT_EQ(maxIndex, c.maxIndex);
    EXPECT_TRUE(min == c.min || (std::isnan(min) && std::isnan(c.min))) << min;
    EXPECT_EQ(minIndex, c.minIndex);
}

INSTANTIATE_TEST_SUITE_P(Cases, MaxMin1DTest,
                         testing::Values(ExtremesCase{"FirstOccurrence", {3, -1, 7, 7, -1, 2}, 7, 2, -1, 1},
                                         ExtremesCase{"NaNPassedOver", {kNaN, 4, kNaN, -2}, 4, 1, -2, 3},
                                         ExtremesCase{"AllNaN", {kNaN, kNaN}, kNaN, 0, kNaN, 0},
                                         ExtremesCase{"OneSample", {5}, 5, 0, 5, 0}),
                         [](const testing::TestParamInfo<ExtremesCase> &info) { return info.param.name; });

TEST(StdDevTest, PopulationDeviation)
{
    const double samples[] = {2, 4, 4, 4, 5, 5, 7, 9};
    double mean = 0, sd = 0;
    ASSERT_EQ(StdDev(samples, 8, &mean, &sd), ANALYSIS_NO_ERROR);
    EXPECT_DOUBLE_EQ(mean, 5.0);
    EXPECT_DOUBLE_EQ(sd, 2.0); // divided by n; by n - 1 it would be 2.138
}

TEST(StdDevTest, OneSampleHasNoSpread)
{
    const double sample = 12.5;
    double mean = 0, sd = -1;
    ASSERT_EQ(StdDev(&sample, 1, &mean, &sd), ANALYSIS_NO_ERROR);
    EXPECT_EQ(mean, 12.5);
    EXPECT_EQ(sd, 0.0);
}

// Counter readings of 10 MHz alternating by 0.2 Hz: a sum of squares would
// lose every digit of the spread.
TEST(StdDevTest, CounterReadingsKeepTheirSpread)
{
    const double low = 10000000.1, high = 10000000.3;
    std::vector<double> samples;
    for (int i = 0; i < 1000; ++i)
        samples.push_back(i % 2 ? high : low);
    double mean = 0, sd = 0;
    ASSERT_EQ(StdDev(samples.data(), 1000, &mean, &sd), ANALYSIS_NO_ERROR);
    // The difference of the two stored values is exact; the expected figures
    // are those of the doubles actually stored.
    const double halfSpread = (high - low) / 2;
    EXPECT_DOUBLE_EQ(mean, low + halfSpread);
    EXPECT_NEAR(mean, 10000000.2, 1e-8);
    EXPECT_NEAR(sd, halfSpread, 1e-12 * halfSpread);
    EXPECT_NEAR(sd, 0.1, 1e-8);
}

TEST(StdDevTest, LargeOffsetAndUnevenSpread)
{
    // 1e9 + {1, 2, 3, 4}: population deviation sqrt(1.25).
    const double samples[] = {1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4};
    double mean = 0, sd = 0;
    ASSERT_EQ(StdDev(samples, 4, &mean, &sd), ANALYSIS_NO_ERROR);
    EXPECT_DOUBLE_EQ(mean, 1e9 + 2.5);
    EXPECT_DOUBLE_EQ(sd, std::sqrt(1.25));
}

// Failures return a negative status and write no output.
struct FailureCase {
    const char *name;
    const double *samples;
    int n;
    double base;
    double top;
    int intervals;
    int status;        // of Histogram and Mode
    int summaryStatus; // of MaxMin1D and StdDev
};

const double kThree[] = {1, 2, 3};
const double kInf = std::numeric_limits<double>::infinity();

class FailureTest : public testing::TestWithParam<FailureCase>
{
};

TEST_P(FailureTest, NegativeStatusAndOutputsUntouched)
{
    const FailureCase &c = GetParam();
    int counts[2] = {-7, -7};
    double axis[2] = {-7, -7};
    double mode = -7;
    EXPECT_EQ(Histogram(c.samples, c.n, c.base, c.top, counts, axis, c.intervals), c.status);
    EXPECT_EQ(Mode(c.samples, c.n, c.base, c.top, c.intervals, &mode), c.status);
    EXPECT_EQ(counts[0], -7);
    EXPECT_EQ(axis[0], -7);
    EXPECT_EQ(mode, -7);

    double max = -7, min = -7, mean = -7, sd = -7;
    int maxIndex = -7, minIndex = -7;
    EXPECT_EQ(MaxMin1D(c.samples, c.n, &max, &maxIndex, &min, &minIndex), c.summaryStatus);
    EXPECT_EQ(StdDev(c.samples, c.n, &mean, &sd), c.summaryStatus);
    if (c.summaryStatus != ANALYSIS_NO_ERROR) {
        EXPECT_EQ(max, -7);
        EXPECT_EQ(maxIndex, -7);
        EXPECT_EQ(mean, -7);
        EXPECT_EQ(sd, -7);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailureTest,
    testing::Values(FailureCase{"NoSamples", kThree, 0, 0, 4, 2, ANALYSIS_ERR_SAMPLES, ANALYSIS_ERR_SAMPLES},
                    FailureCase{"NegativeCount", kThree, -1, 0, 4, 2, ANALYSIS_ERR_SAMPLES,
                                ANALYSIS_ERR_SAMPLES},
                    FailureCase{"NullArray", nullptr, 3, 0, 4, 2, ANALYSIS_ERR_SAMPLES, ANALYSIS_ERR_SAMPLES},
                    FailureCase{"NoIntervals", kThree, 3, 0, 4, 0, ANALYSIS_ERR_INTERVALS, ANALYSIS_NO_ERROR},
                    FailureCase{"TopEqualsBase", kThree, 3, 2, 2, 2, ANALYSIS_ERR_RANGE, ANALYSIS_NO_ERROR},
                    FailureCase{"TopBelowBase", kThree, 3, 3, 1, 2, ANALYSIS_ERR_RANGE, ANALYSIS_NO_ERROR},
                    FailureCase{"InfiniteTop", kThree, 3, 0, kInf, 2, ANALYSIS_ERR_RANGE, ANALYSIS_NO_ERROR},
                    FailureCase{"NaNBase", kThree, 3, kNaN, 4, 2, ANALYSIS_ERR_RANGE, ANALYSIS_NO_ERROR}),
    [](const testing::TestParamInfo<FailureCase> &info) { return info.param.name; });

TEST(HistogramTest, NullCountsArrayIsRefused)
{
    double axis[2] = {-7, -7};
    EXPECT_EQ(Histogram(kThree, 3, 0, 4, nullptr, axis, 2), ANALYSIS_ERR_SAMPLES);
    EXPECT_EQ(axis[0], -7);
}

} // namespace
