// SPDX-License-Identifier: GPL-3.0-or-later
#include "uitest_support.h"

#include "uirmodel.h"

#include <QFile>
#include <gtest/gtest.h>

namespace
{
std::function<void()> pending;

void record(int panel, int control, int event)
{
    raised().push_back({panel, control, event});
    if (auto action = std::exchange(pending, nullptr))
        action();
}

int ctrlCb(int panel, int control, int event, void *, int, int)
{
    record(panel, control, event);
    return 0;
}
int panelCb(int panel, int event, void *, int, int)
{
    record(panel, 0, event);
    return 0;
}
void menuCb(int, int item, void *, int panel)
{
    record(panel, item, EVENT_COMMIT);
}
} // namespace

std::vector<Raised> &raised()
{
    static std::vector<Raised> events;
    return events;
}

void onNextCallback(std::function<void()> action)
{
    pending = std::move(action);
}

void KindsPanel::SetUp()
{
    uitest::Activate();
    panel = LoadPanel(0, fixture("kinds.uir").c_str(), FX_KINDS);
    ASSERT_GT(panel, 0);
    raised().clear();
}

void KindsPanel::TearDown()
{
    ResumeTimerCallbacks();
    DiscardPanel(panel);
    ProcessSystemEvents();
    uitest::Deactivate();
}

bool registerIgnoringCallbacks(const char *path)
{
    QFile file(path);
    const auto model = file.open(QIODevice::ReadOnly) ? uir::parse(file.readAll(), nullptr) : std::nullopt;
    if (!model)
        return false;
    const auto names = model->callbackNames();
    for (const QString &name : names.control)
        RegisterCtrlCallback(name.toUtf8().constData(), [](int, int, int, void *, int, int) { return 0; });
    for (const QString &name : names.panel)
        RegisterPanelCallback(name.toUtf8().constData(), [](int, int, void *, int, int) { return 0; });
    for (const QString &name : names.menu)
        RegisterMenuCallback(name.toUtf8().constData(), [](int, int, void *, int) {});
    return true;
}

std::string fixture(const char *name)
{
    return std::string(UCT_UI_FIXTURES) + "/" + name;
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (InitUIRuntime(argc, argv) != 1)
        return 1;
    RegisterCtrlCallback("ctrlCb", ctrlCb);
    RegisterPanelCallback("panelCb", panelCb);
    RegisterMenuCallback("menuCb", menuCb);
    return RUN_ALL_TESTS();
}
