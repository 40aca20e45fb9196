// SPDX-License-Identifier: GPL-3.0-or-later
// Every value control's tooltip says what the value is, then its range and
// unit: the unit is the control's suffix, else its dynamic "unit".
#include "resourcekit.h"
#include "uctpanels.h"
#include "userint_testseam.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <map>

namespace
{

TEST(Tooltips, EveryValueControlNamesItsUnitAndRange)
{
    struct Control {
        int panel, control;
        const char *name, *kind;
    };
    const Control controls[] = {
#define UCT_CONTROL(panel, control, name, kind) {panel, control, name, kind},
#include "uctpanels_kinds.inc"
#undef UCT_CONTROL
    };
    ASSERT_TRUE(loadResourceWithDummyCallbacks());
    std::map<int, int> loaded;
    for (const Control &c : controls) {
        if (std::string(c.kind) != "numeric")
            continue;
        if (!loaded.count(c.panel))
            loaded[c.panel] = LoadPanel(0, resourceFile, c.panel);
        const QWidget *w = uitest::ControlWidget(loaded[c.panel], c.control);
        ASSERT_NE(w, nullptr) << c.name;
        const QString suffix = w->property("suffix").toString();
        const QString unit = suffix.isEmpty() ? "(" + w->property("unit").toString() + ")" : suffix.trimmed();
        const QStringList lines = w->toolTip().split('\n');
        EXPECT_NE(unit, "()") << c.name << " names no unit";
        ASSERT_EQ(lines.size(), 2) << c.name;
        EXPECT_FALSE(lines[0].isEmpty()) << c.name;
        EXPECT_TRUE(lines[1].startsWith("Range ") && lines[1].contains(QString::fromUtf8(" \u2026 ")) &&
                    lines[1].endsWith(" " + unit))
            << c.name << ": " << lines[1].toStdString();
    }
    for (const auto &[id, panel] : loaded)
        DiscardPanel(panel);
}

} // namespace
