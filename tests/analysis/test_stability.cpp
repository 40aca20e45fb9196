// SPDX-License-Identifier: GPL-3.0-or-later
#include "stability.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace
{

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::vector<double> kNbs14{892, 809, 823, 798, 671, 644, 883, 903, 677};

std::vector<StabilityRow> table(const std::vector<double> &data, int kind, std::vector<int> factors)
{
    std::vector<StabilityRow> rows(factors.size());
    EXPECT_EQ(StabilityTable(data.data(), static_cast<int>(data.size()), kind, 1.0, factors.data(),
                             static_cast<int>(factors.size()), rows.data(), nullptr, nullptr),
              0);
    return rows;
}

// The published values of the NBS14 test set at tau 1 and 2.
TEST(Stability, Nbs14PublishedValues)
{
    const double published[STABILITY_KINDS][2] = {{91.22945, 115.8082}, {91.22945, 85.95287},
                                                  {91.22945, 74.78849}, {52.67135, 86.35831},
                                                  {70.80608, 116.7980}, {70.80607, 85.61487}};
    const auto rows = table(kNbs14, STABILITY_FREQUENCY, {1, 2});
    for (int kind = 0; kind < STABILITY_KINDS; ++kind)
        for (int k = 0; k < 2; ++k)
            EXPECT_NEAR(rows[k].value[kind].deviation / published[kind][k], 1.0, 1e-6)
                << kind << " tau " << k + 1;
}

// A missing reading removes the terms that need it and nothing else: the
// Allan variance at tau0 is then the mean of the neighbouring differences
// that remain. Frequency gaps break the phase; a missing phase point is
// only itself. No term at all: no value, no bounds.
TEST(Stability, GapsAreMissingPointsNeverClosedUp)
{
    std::vector<double> withGap = kNbs14;
    withGap[4] = kNaN;
    const std::tuple<int, std::vector<double>, std::vector<int>> cases[] = {
        {STABILITY_FREQUENCY, withGap, {6, 6, 6, 6, 4, 4}},
        {STABILITY_PHASE, withGap, {4, 4, 4, 4, 2, 2}},
        {STABILITY_PHASE, {kNaN, 1, 2, 4, kNaN}, {1, 1, 1, 1, 0, 0}},
        {STABILITY_FREQUENCY, {1, 2}, {1, 1, 1, 1, 0, 0}},
    };
    for (const auto &[kind, data, terms] : cases) {
        const auto rows = table(data, kind, {1});
        for (int k = 0; k < STABILITY_KINDS; ++k) {
            const StabilityValue &v = rows[0].value[k];
            EXPECT_EQ(v.terms, terms[k]) << k;
            EXPECT_EQ(std::isnan(v.deviation) && std::isnan(v.low), v.terms == 0) << k;
        }
    }
    // The six differences left: 83, 14, 25, 239, 20 and 226.
    EXPECT_DOUBLE_EQ(table(withGap, STABILITY_FREQUENCY, {1})[0].value[STABILITY_ADEV].deviation,
                     std::sqrt(116307.0 / 12));
}

// Generated noise of each type is recognised, and white frequency noise
// falls as tau^-1/2 with bounds close to the published simple fit of the
// overlapping deviation's degrees of freedom.
TEST(Stability, NoiseTypeSlopeAndBounds)
{
    std::mt19937_64 rng(3917);
    std::normal_distribution<double> normal;
    const int n = 20000;
    // kind, integrated (a random walk), alpha
    for (const auto &[kind, integrated, alpha] : {std::tuple{STABILITY_PHASE, false, 2},
                                                  {STABILITY_FREQUENCY, false, 0},
                                                  {STABILITY_FREQUENCY, true, -2}}) {
        std::vector<double> data(n);
        double walk = 0;
        for (double &v : data) {
            walk += normal(rng);
            v = integrated ? walk : normal(rng);
        }
        const auto rows = table(data, kind, {1, 16});
        EXPECT_TRUE(rows[0].alpha == alpha && rows[1].alpha == alpha && rows[0].measured == 1) << alpha;
    }
    std::vector<double> white(n);
    for (double &v : white)
        v = normal(rng);
    const StabilityValue v = table(white, STABILITY_FREQUENCY, {1, 64})[1].value[STABILITY_OADEV];
    EXPECT_NEAR(v.deviation, 1 / std::sqrt(64.0), 0.1 / std::sqrt(64.0));
    const double N = n + 1, m = 64;
    EXPECT_NEAR(v.edf / ((3 * (N - 1) / (2 * m) - 2 * (N - 2) / N) * 4 * m * m / (4 * m * m + 5)), 1.0, 0.05);
    EXPECT_TRUE(v.low < v.deviation && v.deviation < v.high);
}

// Two degrees of freedom have a closed form: the chi-squared quantile is
// -2 ln(1 - p). Many degrees approach deviation * (1 -+ 1 / sqrt(2 edf)).
TEST(Stability, ChiSquaredBounds)
{
    const double below = 0.5 * std::erfc(1 / std::sqrt(2.0)), big = 200000, r = 1 / std::sqrt(2 * big);
    for (const auto &[edf, low, high, tolerance] :
         {std::tuple{2.0, std::sqrt(-1 / std::log(below)), std::sqrt(-1 / std::log(1 - below)), 1e-9},
          {big, 1 - r, 1 + r, 1e-5}}) {
        double lo = 0, hi = 0;
        ASSERT_EQ(StabilityBounds(1.0, edf, &lo, &hi), 0);
        EXPECT_TRUE(std::fabs(lo - low) < tolerance && std::fabs(hi - high) < tolerance)
            << edf << " " << lo << " " << hi;
    }
}

TEST(Stability, FactorsSpacingAndFractionalFrequency)
{
    int f[40];
    for (const auto &[n, kind, spacing, expected] :
         {std::tuple{20, STABILITY_FREQUENCY, STABILITY_OCTAVE, std::vector{1, 2, 4, 8}},
          {41, STABILITY_PHASE, STABILITY_DECADE, std::vector{1, 2, 5, 10, 20}},
          {9, STABILITY_PHASE, STABILITY_ALL, std::vector{1, 2, 3, 4}}})
        EXPECT_EQ(std::vector<int>(f, f + StabilityFactors(n, kind, spacing, f, 40)), expected) << n;
    const double times[] = {0, 1, 2, 3.02, 4.02, 5.02};
    double tau0 = 0, spread = 0;
    ASSERT_EQ(StabilitySpacing(times, 6, &tau0, &spread), 0);
    EXPECT_TRUE(tau0 == 1.0 && std::fabs(spread - 0.02) < 1e-12) << tau0 << " " << spread;
    const double readings[] = {10e6 + 1, kNaN, 10e6 - 1};
    double y[3], f0 = 0;
    ASSERT_EQ(StabilityFractional(readings, 3, 0, y, &f0), 0);
    EXPECT_TRUE(f0 == 10e6 && y[0] == 1e-7 && std::isnan(y[1]) && y[2] == -1e-7);
}

// Uneven time stamps always warn; dead time only where the noise is not
// white FM, which it leaves unbiased.
TEST(Stability, Warnings)
{
    // spread, aperture, alpha at the second factor, text
    const std::tuple<double, double, int, std::string> cases[] = {
        {0.005, 0.995, -1, ""},
        {kNaN, kNaN, -2, ""},
        {0.02, 0.5, 0, "time stamps vary by up to 2.0 % of their spacing"},
        {0.0, 0.5, 0, ""},
        {0.0, 0.5, 1,
         "dead time is 50 % of the spacing: the noise is not all white FM, so the deviations are biased"},
    };
    for (const auto &[spread, aperture, alpha, expected] : cases) {
        StabilityRow rows[2]{};
        rows[1].alpha = alpha;
        char text[200];
        const int count = StabilityWarnings(spread, aperture, 1.0, rows, 2, text, sizeof text);
        EXPECT_EQ(text + std::to_string(count), expected + (expected.empty() ? "0" : "1"));
    }
}

// The readers accept what the program writes and name the line of what they
// refuse (recordings and a bad line: the panel's and the tool's tests).
TEST(Stability, ReadSeriesFormats)
{
    // text, status, readings, timed, kind, why
    const std::tuple<std::string, int, int, int, int, std::string> cases[] = {
        {"Data,Min,Mean,Max,StdDev,Mode\n1.5e+00,1,2,3,4,5\n2.5e+00\n", 0, 2, 0, STABILITY_FREQUENCY, ""},
        {"1\n\n2\n+3\n", 0, 3, 0, STABILITY_FREQUENCY, ""},
        {"1\n1,2\n", ANALYSIS_ERR_FILE, 0, 0, 0, "some readings carry a time stamp and some do not"},
        {"1,2,3\n", ANALYSIS_ERR_FILE, 0, 0, 0, "line 1: not a reading: 1,2,3"},
    };
    for (const auto &[text, status, count, timed, kind, expected] : cases) {
        FILE *file = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
        double times[8], values[8];
        StabilitySeriesInfo info{};
        char why[128] = "";
        EXPECT_EQ(StabilityReadSeries(file, times, values, 8, &info, why, sizeof why), status) << text;
        std::fclose(file);
        EXPECT_EQ(why, expected);
        EXPECT_TRUE(status != 0 || (info.count == count && info.timed == timed && info.kind == kind)) << text;
    }
}

} // namespace
