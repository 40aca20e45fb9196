// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the driver dispatch in simulation mode, and of the hand-off of
// every call to the instrument thread: a query through the dispatch against
// the same query on the simulated module in place (target: the difference
// at most 20 us, median).
#include "kq3917e.h"
#include "kq3917e_testseam.h"

#include <benchmark/benchmark.h>

namespace
{

void simulate()
{
    drvtest::ResetDriver();
    kq3917e_simulate(1);
}

void BM_SimulatedQuery(benchmark::State &state)
{
    simulate();
    ViInt16 attenuation = 0;
    ViReal64 level = 0;
    ViUInt16 common = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kq3917e_queryInputTriggering(0, 1, &attenuation, &level, &common));
    }
}
BENCHMARK(BM_SimulatedQuery)->Repetitions(5)->ReportAggregatesOnly(true);

// The same query without the hand-off.
void BM_SimulatedQueryInPlace(benchmark::State &state)
{
    simulate();
    uctsim::Module &module = drvtest::SimModule();
    ViInt16 attenuation = 0;
    ViReal64 level = 0;
    ViUInt16 common = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(module.queryInputTriggering(1, &attenuation, &level, &common));
    }
}
BENCHMARK(BM_SimulatedQueryInPlace)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SimulatedRead(benchmark::State &state)
{
    simulate();
    ViReal64 value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kq3917e_read(0, &value));
    }
}
BENCHMARK(BM_SimulatedRead);

void BM_SimulatedFetch(benchmark::State &state)
{
    simulate();
    kq3917e_confMeasurement(0, 4); // time interval: both inputs and their edges
    kq3917e_triggerContinuous(0, 1);
    ViReal64 value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kq3917e_fetch(0, &value));
    }
}
BENCHMARK(BM_SimulatedFetch);

} // namespace

BENCHMARK_MAIN();
