// SPDX-License-Identifier: GPL-3.0-or-later
// uct-panel-preview PANEL OUT.png: loads one panel of the resource file with
// do-nothing callbacks, shows it, saves a picture of its window and exits.
#include "resourcekit.h"
#include "userint.h"
#include "userint_testseam.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: uct-panel-preview PANEL OUT.png\n");
        return 2;
    }
    if (!InitUIRuntime(argc, argv)) {
        std::fprintf(stderr, "cannot start the toolkit\n");
        return 1;
    }
    const resourcekit::Index index = resourcekit::readIndex(resourcekit::resourceFile());
    if (!index.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(index.error));
        return 1;
    }
    resourcekit::registerDummyCallbacks(index);
    const int resource = resourcekit::panelConstant(QString::fromLocal8Bit(argv[1]));
    if (resource == 0) {
        std::fprintf(stderr, "no panel %s\n", argv[1]);
        return 1;
    }
    const QByteArray file = resourcekit::resourceFile().toLocal8Bit();
    const int panel = LoadPanel(0, file.constData(), resource);
    if (panel <= 0) {
        std::fprintf(stderr, "LoadPanel(%s) failed: %d\n", argv[1], panel);
        return 1;
    }
    DisplayPanel(panel);
    for (int i = 0; i < 5; ++i)
        ProcessDrawEvents();
    QWidget *widget = uitest::PanelWidget(panel);
    if (!widget || !widget->window()->grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot save %s\n", argv[2]);
        return 1;
    }
    DiscardPanel(panel);
    return 0;
}
