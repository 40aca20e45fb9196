// SPDX-License-Identifier: GPL-3.0-or-later
#include "uitest_support.h"

static void record(int panel, int control, int event)
{
    raised.push_back({panel, control, event});
    if (auto action = std::exchange(onNextCallback, nullptr))
        action();
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (InitUIRuntime(argc, argv) != 1)
        return 1;
    RegisterCtrlCallback("ctrlCb", [](int p, int c, int e, void *, int, int) { return record(p, c, e), 0; });
    RegisterPanelCallback("panelCb", [](int p, int e, void *, int, int) { return record(p, 0, e), 0; });
    RegisterMenuCallback("menuCb", [](int, int item, void *, int p) { record(p, item, EVENT_COMMIT); });
    return RUN_ALL_TESTS();
}
