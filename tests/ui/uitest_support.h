// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the layer's tests: a recorder behind the fixture's callbacks,
// real-input helpers and a fixture that loads the panel of every kind.
#pragma once

#include "userint.h"
#include "userint_testseam.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

// Failures show texts as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << text.toStdString();
}

struct Raised {
    int panel, control, event;
    bool operator==(const Raised &) const = default;
};
// Everything the fixture's callbacks received, in order. Control events carry
// their control number; panel events carry 0; menu events carry the item.
inline std::vector<Raised> raised;
// Runs inside the next callback (then cleared): lets a test act from a callback.
inline std::function<void()> onNextCallback;

// The text field of a control: the control itself or its inner editor.
inline QLineEdit *field(QWidget *control)
{
    auto *edit = qobject_cast<QLineEdit *>(control);
    return edit ? edit : control->findChild<QLineEdit *>();
}
// All selected, then the text typed key by key.
inline void typeOver(QWidget *control, const char *text)
{
    QTest::keyClick(control, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(control, text);
}
inline void focusOut(QWidget *control)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(control, &out);
}

// The save dialog for data, as the program opens it.
inline int saveFile(char *path, int size = MAX_PATHNAME_LEN)
{
    return FileSelectPopup("", "*.csv", "", "Save Data", VAL_SAVE_BUTTON, 0, 0, 1, 1, path, size);
}

// Panels of the fixture file, and the controls of the panel of every kind.
enum { FX_KINDS = 1, FX_PLAIN = 2, FX_MENU_ONE = 2 };
enum { FX_CMD = 2, FX_TOGGLE, FX_INT, FX_DBL, FX_INT_IND, FX_RING, FX_TEXT, FX_TEXT_IND, FX_LABEL };
enum { FX_LED = FX_LABEL + 1, FX_CHECK, FX_PROGRESS, FX_GRAPH, FX_STRIP, FX_TIMER, FX_QUIT, FX_ENG };

// A fresh copy of the panel of every kind, with the seam active.
class KindsPanel : public testing::Test
{
  protected:
    void SetUp() override
    {
        uitest::Activate();
        ASSERT_GT(panel = load(FX_KINDS), 0);
        raised.clear();
    }
    void TearDown() override
    {
        ResumeTimerCallbacks();
        for (int p : loaded)
            DiscardPanel(p);
        ProcessSystemEvents();
        uitest::Deactivate();
    }
    // Loads a panel of the fixture file, discarded after the test.
    int load(int resource)
    {
        return loaded.emplace_back(LoadPanel(0, UCT_UI_FIXTURES "/kinds.uir", resource));
    }
    QWidget *widget(int control) const { return uitest::ControlWidget(panel, control); }
    void display(int p) const { DisplayPanel(p), ProcessSystemEvents(); }
    QTimer *timer() const { return widget(FX_TIMER)->findChild<QTimer *>(); }
    // The panel's timer due at once, and events processed: one real tick.
    void tick() const { timer()->start(0), ProcessSystemEvents(), timer()->stop(); }
    QCustomPlot *plot(int control = FX_GRAPH) const { return static_cast<QCustomPlot *>(widget(control)); }
    double value(int control) const
    {
        double v = -99;
        EXPECT_EQ(GetCtrlVal(panel, control, &v), 0) << control;
        return v;
    }
    std::vector<Raised> events(int control, const std::vector<int> &events) const
    {
        std::vector<Raised> out;
        for (int e : events)
            out.push_back({panel, control, e});
        return out;
    }
    int panel = 0;
    std::vector<int> loaded;
};
