// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysistest.h"

static std::vector<StabilityRow> table(const D &data, int kind, I factors)
{
    std::vector<StabilityRow> rows(factors.size());
    EXPECT_EQ(0, StabilityTable(data.data(), int(data.size()), kind, 1.0, factors.data(), int(factors.size()),
                                rows.data(), nullptr, nullptr));
    return rows;
}

// The published values of the NBS14 test set at tau 1 and 2, each deviation
// in turn. A missing reading removes the terms that need it and nothing
// else: the Allan variance at tau0 is then the mean of the neighbouring
// differences that remain. Frequency gaps break the phase; a missing phase
// point is only itself. No term at all: no value, no bounds.
TEST(Stability, Nbs14PublishedValuesAndGaps)
{
    const D nbs14{892, 809, 823, 798, 671, 644, 883, 903, 677},
        gap{892, 809, 823, 798, kNaN, 644, 883, 903, 677},
        published[2] = {{91.22945, 91.22945, 91.22945, 52.67135, 70.80608, 70.80607},
                        {115.8082, 85.95287, 74.78849, 86.35831, 116.7980, 85.61487}};
    const auto rows = table(nbs14, STABILITY_FREQUENCY, {1, 2});
    for (int kind = 0; kind < STABILITY_KINDS; ++kind)
        for (int k = 0; k < 2; ++k)
            EXPECT_NEAR(rows[k].value[kind].deviation / published[k][kind], 1.0, 1e-6)
                << kind << " tau " << k + 1;
    // kind, readings, terms of each deviation at tau0
    for (const auto &[kind, data, terms] : {std::tuple{STABILITY_FREQUENCY, gap, "666644"},
                                            {STABILITY_PHASE, gap, "444422"},
                                            {STABILITY_PHASE, D{kNaN, 1, 2, 4, kNaN}, "111100"},
                                            {STABILITY_FREQUENCY, D{1, 2}, "111100"}}) {
        const StabilityRow row = table(data, kind, {1})[0];
        for (int k = 0; k < STABILITY_KINDS; ++k)
            EXPECT_TRUE(row.value[k].terms == terms[k] - '0' &&
                        std::isnan(row.value[k].deviation) == (terms[k] == '0') &&
                        std::isnan(row.value[k].low) == (terms[k] == '0'))
                << terms << " " << k;
    }
    // The six differences left: 83, 14, 25, 239, 20 and 226.
    EXPECT_NEAR(table(gap, STABILITY_FREQUENCY, {1})[0].value[STABILITY_ADEV].deviation, 98.449225492, 1e-8);
}

// Generated noise of each type is recognised, and white frequency noise
// falls as tau^-1/2 with bounds close to the published simple fit of the
// overlapping deviation's degrees of freedom (466.6 at m = 64 of 20000).
TEST(Stability, NoiseTypeSlopeAndBounds)
{
    std::mt19937_64 rng(3917);
    std::normal_distribution<double> normal;
    // kind, integrated (a random walk), alpha
    for (const auto &[kind, integrated, alpha] : {std::tuple{STABILITY_PHASE, false, 2},
                                                  {STABILITY_FREQUENCY, false, 0},
                                                  {STABILITY_FREQUENCY, true, -2}}) {
        D data(20000);
        double walk = 0;
        std::ranges::generate(data, [&] { return integrated ? walk += normal(rng) : normal(rng); });
        const auto rows = table(data, kind, {1, 16, 64});
        EXPECT_TRUE(rows[0].alpha == alpha && rows[1].alpha == alpha && rows[0].measured == 1) << alpha;
        const StabilityValue v = rows[2].value[STABILITY_OADEV];
        EXPECT_TRUE(alpha != 0 ||
                    (std::fabs(v.deviation - 0.125) < 0.0125 && std::fabs(v.edf / 466.6 - 1) < 0.05 &&
                     v.low < v.deviation && v.deviation < v.high))
            << v.deviation << " " << v.edf << " " << v.low << " " << v.high;
    }
}

// Factors of each spacing; tau0 and the spread of time stamps; fractional
// frequency about the mean; chi-squared bounds at two degrees of freedom
// (closed form) and at many (deviation * (1 -+ 1 / sqrt(2 edf))).
TEST(Stability, FactorsSpacingFractionalAndBounds)
{
    int f[40];
    for (const auto &[n, kind, spacing, expected] :
         {std::tuple{20, STABILITY_FREQUENCY, STABILITY_OCTAVE, I{1, 2, 4, 8}},
          {41, STABILITY_PHASE, STABILITY_DECADE, I{1, 2, 5, 10, 20}},
          {10, STABILITY_PHASE, STABILITY_ALL, I{1, 2, 3, 4}},
          {10, STABILITY_FREQUENCY, STABILITY_ALL, I{1, 2, 3, 4, 5}}})
        EXPECT_EQ(std::vector<int>(f, f + StabilityFactors(n, kind, spacing, f, 40)), expected) << n;
    const double times[] = {0, 1, 2, 3.02, 4.02, 5.02}, readings[] = {10e6 + 1, kNaN, 10e6 - 1};
    double tau0 = 0, spread = 0, y[3], f0 = 0, lo[2], hi[2];
    ASSERT_EQ(StabilitySpacing(times, 6, &tau0, &spread) + StabilityFractional(readings, 3, 0, y, &f0) +
                  StabilityBounds(1.0, 2, lo, hi) + StabilityBounds(1.0, 200000, lo + 1, hi + 1),
              0);
    EXPECT_TRUE(tau0 == 1.0 && std::fabs(spread - 0.02) < 1e-12) << tau0 << " " << spread;
    EXPECT_TRUE(StabilitySpacing(times, 2, &tau0, &spread) == 0 && tau0 == 1.0 && spread == 0);
    EXPECT_TRUE(f0 == 10e6 && y[0] == 1e-7 && std::isnan(y[1]) && y[2] == -1e-7);
    for (const auto &[k, low, high] : {std::tuple{0, 0.73700520, 2.40594792}, {1, 0.99841886, 1.00158114}})
        EXPECT_TRUE(std::fabs(lo[k] - low) < 1e-5 && std::fabs(hi[k] - high) < 1e-5) << lo[k] << " " << hi[k];
}

// Uneven time stamps always warn; dead time only where the noise is not
// white FM, which it leaves unbiased.
TEST(Stability, Warnings)
{
    const std::string dead = "dead time is 50 % of the spacing: the noise is not all white FM, "
                             "so the deviations are biased";
    // spread, aperture, alpha at the second factor, text
    const std::tuple<double, double, int, std::string> cases[] = {
        {0.005, 0.995, -1, ""}, {kNaN, kNaN, -2, ""},
        {0.0, 0.5, 0, ""},      {0.0, 0.5, 1, dead},
        {0.0, 0.5, -2, dead},   {0.02, 0.5, 0, "time stamps vary by up to 2.0 % of their spacing"}};
    for (const auto &[spread, aperture, alpha, expected] : cases) {
        StabilityRow rows[2]{};
        rows[1].alpha = alpha;
        char text[200];
        EXPECT_EQ(std::to_string(StabilityWarnings(spread, aperture, 1.0, rows, 2, text, sizeof text)) + text,
                  (expected.empty() ? "0" : "1") + expected);
    }
}

// The readers accept what the program writes and name the line of what they
// refuse (recordings and a bad line: the panel's and the tool's tests).
TEST(Stability, ReadSeriesFormats)
{
    // text, status, readings, why
    for (const auto &[text, status, count, expected] :
         {std::tuple{std::string("Data,Min,Mean,Max,StdDev,Mode\n1.5e+00,1,2,3,4,5\n2.5e+00\n"), 0, 2, ""},
          {"1\n\n2\n+3\n", 0, 3, ""},
          {"1\n1,2\n", ANALYSIS_ERR_FILE, 0, "some readings carry a time stamp and some do not"},
          {"1,2,3\n", ANALYSIS_ERR_FILE, 0, "line 1: not a reading: 1,2,3"}}) {
        FILE *file = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
        double times[8], values[8];
        StabilitySeriesInfo info{};
        char why[128] = "";
        const int read = StabilityReadSeries(file, times, values, 8, &info, why, sizeof why);
        std::fclose(file);
        EXPECT_EQ(std::make_tuple(read, std::string(why), info.count, info.timed, info.kind),
                  std::make_tuple(status, std::string(expected), count, 0, STABILITY_FREQUENCY))
            << text;
    }
}
