// SPDX-License-Identifier: GPL-3.0-or-later
// uct-panel-preview PANEL OUT.png: loads one panel of the resource file with
// do-nothing callbacks, shows it, saves a picture of its window and exits.
#include "resourcekit.h"
#include "userint_testseam.h"

#include <QWidget>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3 || !InitUIRuntime(argc, argv)) {
        std::fprintf(stderr, "usage: uct-panel-preview PANEL OUT.png\n");
        return 2;
    }
    int panel = 0;
    for (const uir::Panel &def : loadResourceWithDummyCallbacks().value_or(uir::Model{}).panels)
        if (def.name == QString::fromLocal8Bit(argv[1]))
            panel = LoadPanel(0, resourceFile, def.number);
    if (panel > 0 && DisplayPanel(panel) == 0) {
        for (int i = 0; i < 5; ++i)
            ProcessDrawEvents();
        if (uitest::PanelWidget(panel)->window()->grab().save(QString::fromLocal8Bit(argv[2])))
            return 0;
    }
    std::fprintf(stderr, "cannot show panel %s in %s (%d)\n", argv[1], argv[2], panel);
    return 1;
}
