// SPDX-License-Identifier: GPL-3.0-or-later
// Events from real Qt input per control kind; typing into value controls
// under any system locale; the program's writes during an entry; timers and
// drawing-only processing.
#include "uitest_support.h"

#include <QAction>
#include <QLocale>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>

namespace
{

using Input = KindsPanel;

// In order on one panel: a click (on the control or its inner editor), or the
// text typed, then a key or the loss of the focus.
TEST_F(Input, EventsPerKind)
{
    enum { None, Click = -1, ClickEditor = -2, FocusOut = -3 };
    const struct {
        int control;
        const char *typed;
        int key;
        std::initializer_list<int> events;
    } cases[] = {
        {FX_CMD, "", Click, {EVENT_COMMIT}},
        {FX_TOGGLE, "", Click, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_CHECK, "", Click, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_LED, "", Click, {EVENT_LEFT_CLICK}},
        {FX_LABEL, "", Click, {EVENT_LEFT_CLICK}},
        {FX_TEXT_IND, "", Click, {EVENT_LEFT_CLICK}},
        {FX_INT_IND, "", Click, {EVENT_LEFT_CLICK}},
        {FX_INT_IND, "", ClickEditor, {EVENT_LEFT_CLICK}},
        {FX_TEXT, "", Click, {}}, // clicking into an editable text is no event
        {FX_CMD, "", Qt::Key_Return, {EVENT_COMMIT}},
        {FX_CMD, "", Qt::Key_Space, {EVENT_COMMIT}},
        {FX_TOGGLE, "", Qt::Key_Space, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_INT, "", Qt::Key_Up, {EVENT_VAL_CHANGED, EVENT_COMMIT}}, // a step is a complete entry
        {FX_INT, "42", None, {}},                                    // keyboard tracking is off
        {FX_INT, "", Qt::Key_Return, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_DBL, "-2.5", FocusOut, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_RING, "", Qt::Key_Down, {EVENT_COMMIT}},
        {FX_TEXT, "ab", Qt::Key_Return, {EVENT_VAL_CHANGED, EVENT_VAL_CHANGED, EVENT_COMMIT}},
    };
    for (const auto &c : cases) {
        raised.clear();
        QWidget *w = c.key == ClickEditor ? field(widget(c.control)) : widget(c.control);
        if (*c.typed)
            typeOver(w, c.typed);
        if (c.key == Click || c.key == ClickEditor)
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
        else if (c.key == FocusOut)
            focusOut(w);
        else if (c.key != None)
            QTest::keyClick(w, Qt::Key(c.key));
        EXPECT_EQ(raised, events(c.control, c.events)) << c.control << " " << c.typed << " " << c.key;
    }
    // The ring gives its item's code.
    for (const auto &[control, expected] :
         {std::pair<int, double>{FX_CHECK, 1.0}, {FX_INT, 42.0}, {FX_DBL, -2.5}, {FX_RING, 5.0}})
        EXPECT_DOUBLE_EQ(value(control), expected) << control;
}

// On a panel built under a German system locale, every keystroke stays; Enter
// sends a number with the decimal point that the control takes (also the one
// it holds), or sends nothing, keeps the text and marks the field with why;
// leaving the field abandons a refused entry.
TEST_F(Input, EnterTakesOnlyWhatTheControlTakesWhateverTheLocale)
{
    const QLocale system;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    panel = load(FX_KINDS);
    QLocale::setDefault(system);
    const struct {
        int control;
        double before;
        const char *typed;
        double value; // after Enter
        const char *why;
    } cases[] = {
        {FX_DBL, 1, "5.5", 5.5, ""},
        {FX_DBL, 1, "-2.25", -2.25, ""},
        {FX_DBL, 1, "-99", 1, "Not sent: \u221299 lies outside \u221210 \u2026 10"},
        {FX_DBL, 1, "9.0004", 1, "Not sent: at most 3 decimals"},
        {FX_DBL, 1, "1,5", 1, "Not sent: type a number within \u221210 \u2026 10"},
        {FX_DBL, 1, "0,5", 1, "Not sent: type a number"},
        {FX_DBL, 1, "3.5.1", 1, "Not sent: type a number"},
        {FX_DBL, 1, "2.5 V", 1, "Not sent: type a number"},
        {FX_DBL, 1, "-", 1, "Not sent: type a number"},
        {FX_INT, 1, "9999999", 1, "Not sent: 9999999 lies outside 0 \u2026 100"},
        {FX_INT, 1, "7.5", 1, "Not sent: whole numbers only"},
        {FX_INT, 1, "100", 100, ""},
        {FX_INT, 500, "1", 1, ""}, // replaces a value shown outside the range
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        QWidget *w = widget(c.control);
        SetCtrlVal(panel, c.control, 1.0);
        SetCtrlVal(panel, c.control, c.before);
        typeOver(w, c.typed);
        EXPECT_EQ(field(w)->text().toStdString(), c.typed);
        raised.clear();
        QTest::keyClick(w, Qt::Key_Return);
        const bool sent = !*c.why;
        EXPECT_EQ(raised,
                  sent ? events(c.control, {EVENT_VAL_CHANGED, EVENT_COMMIT}) : std::vector<Raised>{});
        EXPECT_EQ(value(c.control), c.value);
        EXPECT_EQ(w->styleSheet().isEmpty(), sent);
        if (!sent) {
            EXPECT_EQ(field(w)->text().toStdString(), c.typed);
            EXPECT_TRUE(w->toolTip().startsWith(QString::fromUtf8(c.why))) << w->toolTip().toStdString();
            EXPECT_EQ(QToolTip::text(), w->toolTip());
        }
        focusOut(w);
        EXPECT_TRUE(w->styleSheet().isEmpty());
        EXPECT_EQ(field(w)->text(),
                  c.control == FX_INT ? QString::number(int(c.value)) : QString::number(c.value, 'f', 3));
    }
    // A graph's scale too.
    const double x[] = {0, 1.5}, y[] = {0, 1};
    ASSERT_GT(PlotXY(panel, FX_GRAPH, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE, 0, 0, 1, 0), 0);
    plot()->replot();
    EXPECT_TRUE(plot()->xAxis->tickVectorLabels().contains("0.5"));
}

// The program writes the controls from every real timer tick while the user
// types: the typed text stays, the end of the entry sends it, and an entry
// that ends without a commit shows what the program wrote last.
TEST_F(Input, ProgramWritesDoNotReplaceAnEntryInProgress)
{
    const struct {
        int control;
        const char *typed;
        bool enter; // else the focus leaves
        std::initializer_list<int> events;
        const char *shown, *after; // after the entry; after a later write
    } cases[] = {
        {FX_DBL, "2.5", true, {EVENT_VAL_CHANGED, EVENT_COMMIT}, "2.500", "3.000"},
        {FX_DBL, "7", false, {EVENT_VAL_CHANGED, EVENT_COMMIT}, "7.000", "3.000"},
        {FX_DBL, "-", false, {}, "1.000", "3.000"}, // no number: the program's value shows
        {FX_DBL, "1", true, {}, "1.000", "3.000"},  // the value the program wrote: nothing to send
        {FX_INT, "42", true, {EVENT_VAL_CHANGED, EVENT_COMMIT}, "42", "3"},
        {FX_TEXT, "ab", true, {EVENT_COMMIT}, "ab", "three"},
        {FX_TEXT, "cd", false, {}, "program", "three"},
    };
    const auto write = [this](double number, const char *text) {
        SetCtrlVal(panel, FX_DBL, number);
        SetCtrlVal(panel, FX_INT, int(number));
        SetCtrlVal(panel, FX_TEXT, text);
    };
    QTimer *timer = widget(FX_TIMER)->findChild<QTimer *>();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        QWidget *w = widget(c.control);
        write(0, "");
        typeOver(w, c.typed);
        raised.clear();
        onNextCallback = [&] { write(1, "program"); };
        timer->start(0);
        ProcessSystemEvents();
        timer->stop();
        ASSERT_EQ(raised, events(FX_TIMER, {EVENT_TIMER_TICK}));
        EXPECT_EQ(field(w)->text().toStdString(), c.typed);
        raised.clear();
        c.enter ? QTest::keyClick(w, Qt::Key_Return) : focusOut(w);
        EXPECT_EQ(raised, events(c.control, c.events));
        EXPECT_EQ(field(w)->text().toStdString(), c.shown);
        write(3, "three"); // once the entry has ended, the program's writes show at once
        EXPECT_EQ(field(w)->text().toStdString(), c.after);
    }
}

TEST_F(Input, TimerTicksUnlessSuspendedOrDimmed)
{
    SuspendTimerCallbacks();
    uitest::TimerTick(panel, FX_TIMER);
    ResumeTimerCallbacks();
    SetCtrlAttribute(panel, FX_TIMER, ATTR_DIMMED, 1);
    uitest::TimerTick(panel, FX_TIMER);
    EXPECT_TRUE(raised.empty());
    SetCtrlAttribute(panel, FX_TIMER, ATTR_DIMMED, 0);
    uitest::TimerTick(panel, FX_TIMER);
    EXPECT_EQ(raised, events(FX_TIMER, {EVENT_TIMER_TICK}));
}

// A real timer that is due and a click that is queued: only drawing runs.
TEST_F(Input, ProcessDrawEventsRunsNoTickAndNoInputCallback)
{
    widget(FX_TIMER)->findChild<QTimer *>()->start(0);
    QWidget *button = widget(FX_CMD);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            button, new QMouseEvent(type, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {}));
    ProcessDrawEvents();
    EXPECT_TRUE(raised.empty());
    ProcessSystemEvents(); // the due timer does tick once events are processed
    ASSERT_FALSE(raised.empty());
    EXPECT_EQ(raised.front(), (Raised{panel, FX_TIMER, EVENT_TIMER_TICK}));
}

TEST_F(Input, MenuItemRaisesTheMenuCallback)
{
    const int plain = load(FX_PLAIN);
    uitest::PanelWidget(plain)->findChild<QAction *>("PLAINMENU_ONE")->trigger();
    EXPECT_EQ(raised, (std::vector<Raised>{{plain, FX_MENU_ONE, EVENT_COMMIT}}));
}

} // namespace
