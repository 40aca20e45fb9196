// SPDX-License-Identifier: GPL-3.0-or-later
// The four statistics that one histogram tick computes over 1000 samples;
// the target is at most 20 us for the four together. The full octave table
// of the six stability deviations over a million readings: at most 2 s.
#include "analysis.h"
#include "stability.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace
{

constexpr int kSamples = 1000;
constexpr int kIntervals = 10;

std::vector<double> counterReadings()
{
    std::mt19937_64 rng(3917);
    std::normal_distribution<double> noise(0.0, 0.1);
    std::vector<double> samples(kSamples);
    for (double &s : samples)
        s = 10000000.0 + noise(rng);
    return samples;
}

void BM_FourStatistics(benchmark::State &state)
{
    const std::vector<double> samples = counterReadings();
    double max = 0, min = 0, mean = 0, sd = 0, mode = 0;
    int maxIndex = 0, minIndex = 0;
    int counts[kIntervals];
    double axis[kIntervals];
    for (auto _ : state) {
        MaxMin1D(samples.data(), kSamples, &max, &maxIndex, &min, &minIndex);
        StdDev(samples.data(), kSamples, &mean, &sd);
        Mode(samples.data(), kSamples, min, max, kIntervals, &mode);
        Histogram(samples.data(), kSamples, min, max, counts, axis, kIntervals);
        benchmark::DoNotOptimize(mode);
        benchmark::DoNotOptimize(counts);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FourStatistics)->Unit(benchmark::kMicrosecond);

// Each statistic alone, to tell where the time goes.
void BM_MaxMin1D(benchmark::State &state)
{
    const std::vector<double> samples = counterReadings();
    double max = 0, min = 0;
    int maxIndex = 0, minIndex = 0;
    for (auto _ : state) {
        MaxMin1D(samples.data(), kSamples, &max, &maxIndex, &min, &minIndex);
        benchmark::DoNotOptimize(max);
        benchmark::DoNotOptimize(min);
    }
}
BENCHMARK(BM_MaxMin1D)->Unit(benchmark::kMicrosecond);

void BM_StdDev(benchmark::State &state)
{
    const std::vector<double> samples = counterReadings();
    double mean = 0, sd = 0;
    for (auto _ : state) {
        StdDev(samples.data(), kSamples, &mean, &sd);
        benchmark::DoNotOptimize(sd);
    }
}
BENCHMARK(BM_StdDev)->Unit(benchmark::kMicrosecond);

void BM_Histogram(benchmark::State &state)
{
    const std::vector<double> samples = counterReadings();
    int counts[kIntervals];
    double axis[kIntervals];
    for (auto _ : state) {
        Histogram(samples.data(), kSamples, 9999999.5, 10000000.5, counts, axis, kIntervals);
        benchmark::DoNotOptimize(counts);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Histogram)->Unit(benchmark::kMicrosecond);

// White frequency noise, as the demonstration module gives it.
void BM_StabilityTableMillion(benchmark::State &state)
{
    constexpr int kReadings = 1000000;
    std::mt19937_64 rng(3917);
    std::normal_distribution<double> noise(0.0, 1e-8);
    std::vector<double> y(kReadings);
    for (double &v : y)
        v = noise(rng);
    int factors[32];
    const int count = StabilityFactors(kReadings, STABILITY_FREQUENCY, STABILITY_OCTAVE, factors, 32);
    std::vector<StabilityRow> rows(static_cast<std::size_t>(count));
    for (auto _ : state) {
        StabilityTable(y.data(), kReadings, STABILITY_FREQUENCY, 0.01, factors, count, rows.data(), nullptr, nullptr);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = count;
}
BENCHMARK(BM_StabilityTableMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
