// SPDX-License-Identifier: GPL-3.0-or-later
// Every value control's tooltip says what the value is, then its range and
// unit: the unit is the control's suffix, else its dynamic "unit".
#include "resourcekit.h"
#include "uctpanels.h"
#include "userint_testseam.h"

#include <QWidget>
#include <gtest/gtest.h>

TEST(Tooltips, EveryValueControlNamesItsUnitAndRange)
{
    ASSERT_TRUE(loadResourceWithDummyCallbacks());
#define UCT_CONTROL(panelId, control, name, kind)                                                            \
    if (std::string(kind) == "numeric") {                                                                    \
        const int panel = LoadPanel(0, resourceFile, panelId);                                               \
        const QWidget *w = uitest::ControlWidget(panel, control);                                            \
        const QString suffix = w->property("suffix").toString().trimmed();                                   \
        const QString unit = suffix.isEmpty() ? "(" + w->property("unit").toString() + ")" : suffix;         \
        const QStringList lines = w->toolTip().split('\n');                                                  \
        EXPECT_TRUE(unit != "()" && lines.size() == 2 && !lines[0].isEmpty() &&                              \
                    lines[1].startsWith("Range ") && lines[1].contains(QString::fromUtf8(" \u2026 ")) &&     \
                    lines[1].endsWith(" " + unit))                                                           \
            << name << ": " << w->toolTip().toStdString();                                                   \
        DiscardPanel(panel);                                                                                 \
    }
#include "uctpanels_kinds.inc"
#undef UCT_CONTROL
}
