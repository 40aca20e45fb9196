// SPDX-License-Identifier: GPL-3.0-or-later
// Typing into numeric and text controls: the decimal point under any system
// locale, and the program's writes while the user holds an entry.
#include "uitest_support.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <qcustomplot.h>

namespace
{

using Editing = KindsPanel;

QLineEdit *field(QWidget *control)
{
    auto *edit = qobject_cast<QLineEdit *>(control);
    return edit ? edit : control->findChild<QLineEdit *>();
}

void typeOver(QWidget *control, const char *text)
{
    QTest::keyClick(control, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(control, text);
}

// A panel built under a German system locale still shows and reads numbers
// with the decimal point; a group separator is refused, never read in part.
TEST_F(Editing, NumbersUseTheDecimalPointWhateverTheLocale)
{
    const QLocale system;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const int german = load(FX_KINDS);
    QLocale::setDefault(system);
    QWidget *dbl = uitest::ControlWidget(german, FX_DBL);
    const struct {
        const char *typed;
        const char *shown; // after Enter
        double value;
    } cases[] = {
        {"1.5", "1.500", 1.5}, {"-2.25", "-2.250", -2.25},
        {"1,5", "1,5", 1.6}, // not one number: the value stays, the text too
        {"0,5", "0,5", 1.6},   {"3.5.1", "3.5.1", 1.6},
    };
    for (const auto &c : cases) {
        SetCtrlVal(german, FX_DBL, 1.6);
        EXPECT_EQ(field(dbl)->text(), "1.600");
        typeOver(dbl, c.typed);
        QTest::keyClick(dbl, Qt::Key_Return);
        double value = 0;
        GetCtrlVal(german, FX_DBL, &value);
        EXPECT_EQ(field(dbl)->text().toStdString(), c.shown) << c.typed;
        EXPECT_DOUBLE_EQ(value, c.value) << c.typed;
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(dbl, &out);
    }
    // A graph's scale too.
    const double x[] = {0, 1.5}, y[] = {0, 1};
    ASSERT_GT(PlotXY(german, FX_GRAPH, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE, 0, 0, 1, 0), 0);
    auto *graph = static_cast<QCustomPlot *>(uitest::ControlWidget(german, FX_GRAPH));
    graph->replot();
    EXPECT_TRUE(graph->xAxis->tickVectorLabels().contains("0.5"))
        << graph->xAxis->tickVectorLabels().join(' ').toStdString();
    // Text put in whole (pasted) that is not one number leaves the value alone.
    for (const char *pasted : {"2.5 V", "1.2.3", "0,5"}) {
        SetCtrlVal(german, FX_DBL, 1.6);
        field(dbl)->selectAll();
        field(dbl)->insert(pasted);
        QTest::keyClick(dbl, Qt::Key_Return);
        double value = 0;
        GetCtrlVal(german, FX_DBL, &value);
        EXPECT_DOUBLE_EQ(value, 1.6) << pasted;
    }
}

// The program writes the controls from every real timer tick while the user
// types: the typed text stays, Enter sends it, and an entry that ends without
// a commit shows what the program wrote last.
TEST_F(Editing, ProgramWritesDoNotReplaceAnEntryInProgress)
{
    enum { Enter = Qt::Key_Return, FocusOut = -1 };
    const struct {
        int control;
        const char *typed;
        int end;
        std::vector<int> events; // raised by the end of the entry
        const char *shown;       // after it
    } cases[] = {
        {FX_DBL, "2.5", Enter, {EVENT_VAL_CHANGED, EVENT_COMMIT}, "2.500"},
        {FX_DBL, "7", FocusOut, {EVENT_VAL_CHANGED, EVENT_COMMIT}, "7.000"},
        {FX_DBL, "-", FocusOut, {}, "1.000"}, // no number: the program's value shows
        {FX_DBL, "1", Enter, {}, "1.000"},    // the value the program wrote: nothing to send
        {FX_INT, "42", Enter, {EVENT_VAL_CHANGED, EVENT_COMMIT}, "42"},
        {FX_TEXT, "ab", Enter, {EVENT_COMMIT}, "ab"},
        {FX_TEXT, "cd", FocusOut, {}, "program"},
    };
    QTimer *timer = widget(FX_TIMER)->findChild<QTimer *>();
    for (const auto &c : cases) {
        QWidget *w = widget(c.control);
        SetCtrlVal(panel, FX_DBL, 0.0);
        SetCtrlVal(panel, FX_INT, 0);
        SetCtrlVal(panel, FX_TEXT, "");
        typeOver(w, c.typed);
        raised.clear();
        onNextCallback = [this] {
            SetCtrlVal(panel, FX_DBL, 1.0);
            SetCtrlVal(panel, FX_INT, 1);
            SetCtrlVal(panel, FX_TEXT, "program");
        };
        timer->start(0);
        ProcessSystemEvents();
        timer->stop();
        ASSERT_EQ(raised, events(FX_TIMER, {EVENT_TIMER_TICK})) << c.typed;
        EXPECT_EQ(field(w)->text().toStdString(), c.typed);
        raised.clear();
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        if (c.end == FocusOut)
            QApplication::sendEvent(w, &out);
        else
            QTest::keyClick(w, Qt::Key(c.end));
        std::vector<Raised> expected;
        for (int e : c.events)
            expected.push_back({panel, c.control, e});
        EXPECT_EQ(raised, expected) << c.typed;
        EXPECT_EQ(field(w)->text().toStdString(), c.shown) << c.typed;
        // Once the entry has ended, the program's writes show at once.
        SetCtrlVal(panel, FX_DBL, 3.0);
        SetCtrlVal(panel, FX_INT, 3);
        SetCtrlVal(panel, FX_TEXT, "three");
        EXPECT_EQ(field(w)->text(), c.control == FX_DBL ? "3.000" : c.control == FX_INT ? "3" : "three");
    }
}

} // namespace
