// SPDX-License-Identifier: GPL-3.0-or-later
// Events from real Qt input, per control kind; timers; drawing-only processing.
#include "uitest_support.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

namespace
{

using Events = KindsPanel;

// Real input per control kind, in order on one panel: a click (on the control
// or on its inner editor), or all selected and the text typed, then a key or
// the loss of the focus.
TEST_F(Events, InputPerKind)
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
        QWidget *w = c.key == ClickEditor ? widget(c.control)->findChild<QLineEdit *>() : widget(c.control);
        if (*c.typed) {
            QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(w, c.typed);
        }
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        if (c.key == Click || c.key == ClickEditor)
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
        else if (c.key == FocusOut)
            QApplication::sendEvent(w, &out);
        else if (c.key != None)
            QTest::keyClick(w, Qt::Key(c.key));
        EXPECT_EQ(raised, events(c.control, c.events)) << c.control << " " << c.typed << " " << c.key;
    }
    // The ring gives its item's code.
    const std::pair<int, double> values[] = {{FX_CHECK, 1}, {FX_INT, 42}, {FX_DBL, -2.5}, {FX_RING, 5}};
    for (const auto &[control, expected] : values) {
        double value = 0;
        EXPECT_EQ(GetCtrlVal(panel, control, &value), 0);
        EXPECT_DOUBLE_EQ(value, expected) << control;
    }
}

TEST_F(Events, TimerTicksUnlessSuspendedOrDimmed)
{
    SuspendTimerCallbacks();
    EXPECT_EQ(uitest::TimerTick(panel, FX_TIMER), 0);
    ResumeTimerCallbacks();
    SetCtrlAttribute(panel, FX_TIMER, ATTR_DIMMED, 1);
    EXPECT_EQ(uitest::TimerTick(panel, FX_TIMER), 0);
    EXPECT_TRUE(raised.empty());
    SetCtrlAttribute(panel, FX_TIMER, ATTR_DIMMED, 0);
    EXPECT_EQ(uitest::TimerTick(panel, FX_TIMER), 0);
    EXPECT_EQ(raised, events(FX_TIMER, {EVENT_TIMER_TICK}));
}

// A real timer that is due and a click that is queued.
TEST_F(Events, ProcessDrawEventsRunsNoTickAndNoInputCallback)
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

TEST_F(Events, MenuItemRaisesTheMenuCallback)
{
    const int plain = load(FX_PLAIN);
    auto *action = uitest::PanelWidget(plain)->findChild<QAction *>("PLAINMENU_ONE");
    ASSERT_NE(action, nullptr);
    action->trigger();
    EXPECT_EQ(raised, (std::vector<Raised>{{plain, FX_MENU_ONE, EVENT_COMMIT}}));
}

TEST_F(Events, DiscardFromInsideACallbackIsSafe)
{
    const int copy = load(FX_KINDS);
    onNextCallback = [copy] { DiscardPanel(copy); };
    QTest::mouseClick(uitest::ControlWidget(copy, FX_TOGGLE), Qt::LeftButton);
    // The value-changed callback discarded the panel: no commit follows.
    EXPECT_EQ(raised, (std::vector<Raised>{{copy, FX_TOGGLE, EVENT_VAL_CHANGED}}));
    EXPECT_EQ(uitest::PanelWidget(copy), nullptr);
}

} // namespace
