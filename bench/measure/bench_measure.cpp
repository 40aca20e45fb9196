// SPDX-License-Identifier: GPL-3.0-or-later
// What the user waits for: formatting one reading (target at most 1 us), a
// full main panel refresh against the simulated module with MAIN on screen,
// every query handed to the instrument thread (1 ms), one continuous tick
// without the strip chart (200 us; recording every reading to a file adds at
// most 5 %: compare the two arguments), one histogram tick at 1000 samples
// with its statistics, indicators, graph and drawing (median 2 ms), one strip
// chart point at full length drawn (1 ms), and a 1000-sample acquisition on
// the real timer, which ticks as fast as the window allows while it runs (at most 2 s of
// wall time).
#include "app.h"
#include "kq3917e.h"
#include "mainpanel.h"
#include "measure.h"
#include "userint.h"
#include <uctpanels.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <unistd.h>

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
    char path[] = "/tmp/bench_recording_XXXXXX";
    const int recording = int(state.range(0));
    if (recording) {
        const int fd = mkstemp(path);
        if (fd < 0 || close(fd) != 0 || startRecording(path) != 0) {
            state.SkipWithError("no recording file");
            return;
        }
    }
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
    if (recording) {
        stopRecording(nullptr);
        unlink(path);
    }
}
BENCHMARK(BM_ContinuousTick)->ArgName("recording")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The last tick of a 1000-sample acquisition, again and again: a read, the
// four statistics over 1000 samples, five indicators, the graph and drawing.
void BM_HistogramTick(benchmark::State &state)
{
    histogramPanel = LoadPanel(0, RESOURCE_FILE, HISTO);
    DisplayPanel(histogramPanel);
    histogramSize = HISTOGRAM_CAPACITY;
    for (int i = 0; i < HISTOGRAM_CAPACITY; i++) {
        kq3917e_read(instrSession, &histogramSamples[i]);
    }
    for (auto _ : state) {
        histogramCount = HISTOGRAM_CAPACITY - 1;
        TimerFunction(mainPanel, MAIN_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    }
    if (histogramCount != HISTOGRAM_CAPACITY) {
        state.SkipWithError("the tick took no sample");
    }
    DiscardPanel(histogramPanel);
    histogramPanel = 0;
}
BENCHMARK(BM_HistogramTick)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One point on a full strip chart, drawn, at the timer's pace of one point
// per 10 ms: the chart redraws at its own frame rate, so the figure is the
// mean cost of a point, redraws included.
void BM_StripChartPoint(benchmark::State &state)
{
    stripChartPanel = LoadPanel(0, RESOURCE_FILE, STRIPCHART);
    DisplayPanel(stripChartPanel);
    double value = 100000.0;
    int i = 0;
    for (; i < 5000; i++) {
        value += (i % 7) * 1e-3;
        PlotStripChartPoint(stripChartPanel, STRIPCHART_CHART, i * 0.01, value);
    }
    ProcessDrawEvents();
    auto tick = std::chrono::steady_clock::now();
    for (auto _ : state) {
        tick += std::chrono::milliseconds(10);
        std::this_thread::sleep_until(tick);
        const auto began = std::chrono::steady_clock::now();
        value = 100000.0 + (i % 7) * 1e-3;
        PlotStripChartPoint(stripChartPanel, STRIPCHART_CHART, i++ * 0.01, value);
        ProcessDrawEvents();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    }
    DiscardPanel(stripChartPanel);
    stripChartPanel = 0;
}
BENCHMARK(BM_StripChartPoint)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(500)
    ->Repetitions(3);

// A whole acquisition of 1000 samples on the main panel's own timer, as a
// user waits for it; the figure is the wall time, printed.
void BM_Acquisition1000(benchmark::State &state)
{
    for (auto _ : state) {
        histogramPanel = LoadPanel(0, RESOURCE_FILE, HISTO);
        DisplayPanel(histogramPanel);
        SetCtrlVal(histogramPanel, HISTO_SAMPLES, HISTOGRAM_CAPACITY);
        histogramEvent(histogramPanel, HISTO_START, EVENT_COMMIT, nullptr, 0, 0);
        const auto began = std::chrono::steady_clock::now();
        while (histogramCount < HISTOGRAM_CAPACITY &&
               std::chrono::steady_clock::now() - began < std::chrono::seconds(60)) {
            ProcessSystemEvents();
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
        if (histogramCount != HISTOGRAM_CAPACITY) {
            state.SkipWithError("the acquisition did not complete within 60 s");
        }
        DiscardPanel(histogramPanel);
        histogramPanel = 0;
    }
}
BENCHMARK(BM_Acquisition1000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

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
