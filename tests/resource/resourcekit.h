// SPDX-License-Identifier: GPL-3.0-or-later
// The panel resource file of the source tree, parsed, with a do-nothing
// callback registered under every name it binds, so that any panel loads
// without the program's own code. Used by test_resource and the preview.
#pragma once

#include "uirmodel.h"
#include "userint.h"

#include <QFile>

inline const char *const resourceFile = UCT_RESOURCE_FILE;

inline std::optional<uir::Model> loadResourceWithDummyCallbacks()
{
    QFile in(QString::fromLocal8Bit(resourceFile));
    auto model = in.open(QIODevice::ReadOnly) ? uir::parse(in.readAll(), nullptr) : std::nullopt;
    if (model) {
        const auto names = model->callbackNames();
        for (const QString &n : names.control)
            RegisterCtrlCallback(qPrintable(n), [](int, int, int, void *, int, int) { return 0; });
        for (const QString &n : names.panel)
            RegisterPanelCallback(qPrintable(n), [](int, int, void *, int, int) { return 0; });
        for (const QString &n : names.menu)
            RegisterMenuCallback(qPrintable(n), [](int, int, void *, int) {});
    }
    return model;
}
