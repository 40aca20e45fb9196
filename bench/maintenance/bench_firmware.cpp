// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own time per firmware block through the simulated PXI system
// (everything but the 0.5 s waits, which the toolkit's injectable clock
// skips): target median at most 2 ms for a full 1024-byte block, so that a
// transfer runs within 1 % of the protocol's floor of 0.5 s per block.
#include "app.h"
#include "kq3917e.h"
#include "mainpanel.h"
#include "maintenance.h"
#include "userint.h"
#include "userint_testseam.h"
#include <uctpanels.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

const int kBlocks = 16;
std::string imagePath;

void BM_FirmwareBlock(benchmark::State &state)
{
    int delays = 0;
    uitest::SetDelayHook([&](double) { delays++; });
    for (auto _ : state) {
        uitest::ScriptFileDialog(VAL_EXISTING_FILE_SELECTED, imagePath);
        updateFirmware(configSysPanel);
    }
    uitest::SetDelayHook(nullptr);
    // Two polls per block (the simulated module answers on the second).
    if (!uitest::Popups().empty() || delays != 2 * kBlocks * (int)state.iterations()) {
        state.SkipWithError("the transfer did not complete");
    }
    state.counters["per_block"] = benchmark::Counter(
        (double)kBlocks * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FirmwareBlock)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

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
    registerMaintenanceCallbacks();
    uitest::Activate();
    setenv("UCT_SIMKIT_CHASSIS", "PXI0::7-0.0::INSTR", 1);
    if (kq3917e_init(const_cast<char *>("PXI0::7-0.0::INSTR"), 1, 0, &instrSession) != 0) {
        std::fprintf(stderr, "no simulated PXI system on the library path\n");
        return 1;
    }
    mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
    configSysPanel = LoadPanel(0, RESOURCE_FILE, CONFIGSYS);
    if (mainPanel <= 0 || configSysPanel <= 0) {
        return 1;
    }
    DisplayPanel(configSysPanel);
    ProcessSystemEvents();
    imagePath = std::string(P_tmpdir) + "/uct_bench_image.bin";
    if (FILE *image = std::fopen(imagePath.c_str(), "wb")) {
        for (int i = 0; i < kBlocks * 1024; i++) {
            std::fputc(i * 7 + 3, image);
        }
        std::fclose(image);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(imagePath.c_str());
    return 0;
}
