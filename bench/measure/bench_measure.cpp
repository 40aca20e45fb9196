// SPDX-License-Identifier: GPL-3.0-or-later
// What the user waits for: formatting one reading (target at most 1 us), a
// full main panel refresh against the simulated module with MAIN on screen
// (2 ms), and one continuous tick without the strip chart (200 us).
#include "app.h"
#include "kq3917e.h"
#include "mainpanel.h"
#include "measure.h"
#include "userint.h"
#include <uctpanels.h>

#include <benchmark/benchmark.h>

namespace
{

void BM_FormatReadingText(benchmark::State &state)
{
    const double values[] = {10000000.123, -2.5e-7, 999.9999, 0.0};
    char text[READING_TEXT_SIZE];
    size_t i = 0;
    for (auto _ : state) {
        formatReadingText(values[i++ % 4], 0, 8, 1, text, sizeof text);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_FormatReadingText);

void BM_FormatReading(benchmark::State &state)
{
    double value = 10000000.0;
    for (auto _ : state) {
        formatReading(value);
        value += 0.125;
    }
}
BENCHMARK(BM_FormatReading);

void BM_RefreshMainPanel(benchmark::State &state)
{
    for (auto _ : state) {
        refreshMainPanel();
    }
}
BENCHMARK(BM_RefreshMainPanel)->Unit(benchmark::kMicrosecond);

void BM_ContinuousTick(benchmark::State &state)
{
    kq3917e_triggerContinuous(instrSession, 1);
    continuousMode = 1;
    for (auto _ : state) {
        TimerFunction(mainPanel, MAIN_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    }
    if (continuousMode == 0) {
        state.SkipWithError("a fetch failed: the ticks did not measure continuous fetching");
    }
    continuousMode = 0;
    kq3917e_triggerContinuous(instrSession, 0);
}
BENCHMARK(BM_ContinuousTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char *argv[])
{
    benchmark::Initialize(&argc, argv);
    if (InitUIRuntime(argc, argv) == 0) {
        return 1;
    }
    registerAppCallbacks();
    registerMainPanelCallbacks();
    registerMeasureCallbacks();
    kq3917e_simulate(1);
    mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
    if (mainPanel <= 0) {
        return 1;
    }
    DisplayPanel(mainPanel);
    ProcessSystemEvents();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DiscardPanel(mainPanel);
    return 0;
}
