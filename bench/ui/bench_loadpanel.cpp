// SPDX-License-Identifier: GPL-3.0-or-later
// LoadPanel(MAIN) once the resource file has been read: the median must stay
// at or below 10 ms.
#include "uirmodel.h"
#include "userint.h"

#include <QFile>
#include <benchmark/benchmark.h>

#include "uctpanels.h"

namespace
{

int ignoreControl(int, int, int, void *, int, int)
{
    return 0;
}
int ignorePanel(int, int, void *, int, int)
{
    return 0;
}
void ignoreMenu(int, int, void *, int) {}

void LoadMainPanel(benchmark::State &state)
{
    const int first = LoadPanel(0, UCT_RESOURCE_PATH, MAIN);
    if (first <= 0) {
        state.SkipWithError("the main panel does not load");
        return;
    }
    DiscardPanel(first);
    for (auto _ : state) {
        const int panel = LoadPanel(0, UCT_RESOURCE_PATH, MAIN);
        state.PauseTiming();
        DiscardPanel(panel);
        state.ResumeTiming();
    }
}
BENCHMARK(LoadMainPanel)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    if (InitUIRuntime(argc, argv) != 1)
        return 1;
    QFile file(UCT_RESOURCE_PATH);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const auto model = uir::parse(file.readAll(), nullptr);
    if (!model)
        return 1;
    const auto names = model->callbackNames();
    for (const QString &name : names.control)
        RegisterCtrlCallback(name.toUtf8().constData(), ignoreControl);
    for (const QString &name : names.panel)
        RegisterPanelCallback(name.toUtf8().constData(), ignorePanel);
    for (const QString &name : names.menu)
        RegisterMenuCallback(name.toUtf8().constData(), ignoreMenu);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
