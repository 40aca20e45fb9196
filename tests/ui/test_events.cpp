// SPDX-License-Identifier: GPL-3.0-or-later
// Events from real Qt input, per control kind; timers; drawing-only processing.
#include "uitest_support.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

class Events : public KindsPanel
{
  protected:
    std::vector<Raised> expect(int control, std::initializer_list<int> events) const
    {
        std::vector<Raised> out;
        for (int e : events)
            out.push_back({panel, control, e});
        return out;
    }
    QTimer *timer() const { return widget(FX_TIMER)->findChild<QTimer *>(); }
};

TEST_F(Events, ClicksPerKind)
{
    const struct {
        int control;
        std::initializer_list<int> events;
    } cases[] = {
        {FX_CMD, {EVENT_COMMIT}},
        {FX_TOGGLE, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_CHECK, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_LED, {EVENT_LEFT_CLICK}},
        {FX_LABEL, {EVENT_LEFT_CLICK}},
        {FX_TEXT_IND, {EVENT_LEFT_CLICK}},
        {FX_INT_IND, {EVENT_LEFT_CLICK}},
        {FX_TEXT, {}}, // clicking into an editable text is no event
    };
    for (const auto &c : cases) {
        raised().clear();
        QWidget *w = widget(c.control);
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
        EXPECT_EQ(raised(), expect(c.control, c.events)) << c.control;
    }
    int on = 0;
    EXPECT_EQ(GetCtrlVal(panel, FX_TOGGLE, &on), 0);
    EXPECT_EQ(on, 1);
}

TEST_F(Events, ReadOnlyNumericReactsToClicksOnItsInnerEditor)
{
    QTest::mouseClick(widget(FX_INT_IND)->findChild<QLineEdit *>(), Qt::LeftButton);
    EXPECT_EQ(raised(), expect(FX_INT_IND, {EVENT_LEFT_CLICK}));
}

TEST_F(Events, KeyboardOnCommandButtonsAndToggles)
{
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        raised().clear();
        QTest::keyClick(widget(FX_CMD), key);
        EXPECT_EQ(raised(), expect(FX_CMD, {EVENT_COMMIT})) << key;
    }
    raised().clear();
    QTest::keyClick(widget(FX_TOGGLE), Qt::Key_Space);
    EXPECT_EQ(raised(), expect(FX_TOGGLE, {EVENT_VAL_CHANGED, EVENT_COMMIT}));
}

TEST_F(Events, NumericRaisesOnlyWhenTheEntryIsDone)
{
    QWidget *spin = widget(FX_INT);
    QTest::keyClick(spin, Qt::Key_Up); // a step is a complete entry
    EXPECT_EQ(raised(), expect(FX_INT, {EVENT_VAL_CHANGED, EVENT_COMMIT}));

    raised().clear();
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, "42");
    EXPECT_TRUE(raised().empty()); // keyboard tracking is off
    QTest::keyClick(spin, Qt::Key_Return);
    EXPECT_EQ(raised(), expect(FX_INT, {EVENT_VAL_CHANGED, EVENT_COMMIT}));
    int value = 0;
    GetCtrlVal(panel, FX_INT, &value);
    EXPECT_EQ(value, 42);

    raised().clear();
    QWidget *dbl = widget(FX_DBL);
    QTest::keyClick(dbl, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dbl, "-2.5");
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(dbl, &out);
    EXPECT_EQ(raised(), expect(FX_DBL, {EVENT_VAL_CHANGED, EVENT_COMMIT}));
}

TEST_F(Events, RingCommitsWithTheItemsCode)
{
    QTest::keyClick(widget(FX_RING), Qt::Key_Down);
    EXPECT_EQ(raised(), expect(FX_RING, {EVENT_COMMIT}));
    int16_t code = -1;
    EXPECT_EQ(GetCtrlVal(panel, FX_RING, &code), 0);
    EXPECT_EQ(code, 5);
}

TEST_F(Events, TextRaisesOnEachEditAndCommitsOnEnter)
{
    QTest::keyClicks(widget(FX_TEXT), "ab");
    QTest::keyClick(widget(FX_TEXT), Qt::Key_Return);
    EXPECT_EQ(raised(), expect(FX_TEXT, {EVENT_VAL_CHANGED, EVENT_VAL_CHANGED, EVENT_COMMIT}));
}

TEST_F(Events, TimerTicksUnlessSuspendedOrDimmed)
{
    timer()->start(0);
    ProcessSystemEvents();
    ASSERT_FALSE(raised().empty());
    EXPECT_EQ(raised().front(), (Raised{panel, FX_TIMER, EVENT_TIMER_TICK}));

    raised().clear();
    SuspendTimerCallbacks();
    ProcessSystemEvents();
    EXPECT_EQ(uitest::TimerTick(panel, FX_TIMER), 0);
    EXPECT_TRUE(raised().empty());
    ResumeTimerCallbacks();
    SetCtrlAttribute(panel, FX_TIMER, ATTR_DIMMED, 1);
    ProcessSystemEvents();
    EXPECT_TRUE(raised().empty());
    SetCtrlAttribute(panel, FX_TIMER, ATTR_DIMMED, 0);
    EXPECT_EQ(uitest::TimerTick(panel, FX_TIMER), 0);
    EXPECT_EQ(raised(), expect(FX_TIMER, {EVENT_TIMER_TICK}));
    EXPECT_EQ(uitest::TimerTick(panel, FX_CMD), UIE_INVALID_CONTROL);
}

TEST_F(Events, ProcessDrawEventsRunsNoTickAndNoInputCallback)
{
    timer()->start(0);
    QWidget *button = widget(FX_CMD);
    const QPoint at(5, 5);
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, button->mapToGlobal(at),
                                                        Qt::LeftButton, Qt::LeftButton, {}));
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonRelease, at, button->mapToGlobal(at),
                                                Qt::LeftButton, Qt::NoButton, {}));
    ProcessDrawEvents();
    EXPECT_TRUE(raised().empty());
    ProcessSystemEvents(); // the due timer does tick once events are processed
    EXPECT_FALSE(raised().empty());
    timer()->stop();
}

TEST_F(Events, MenuItemRaisesTheMenuCallback)
{
    const int plain = LoadPanel(0, fixture("kinds.uir").c_str(), FX_PLAIN);
    auto *action = uitest::PanelWidget(plain)->findChild<QAction *>("PLAINMENU_ONE");
    ASSERT_NE(action, nullptr);
    action->trigger();
    EXPECT_EQ(raised(), (std::vector<Raised>{{plain, FX_MENU_ONE, EVENT_COMMIT}}));
    DiscardPanel(plain);
}

TEST_F(Events, DiscardFromInsideACallbackIsSafe)
{
    const int copy = LoadPanel(0, fixture("kinds.uir").c_str(), FX_KINDS);
    onNextCallback([copy] { DiscardPanel(copy); });
    QTest::mouseClick(uitest::ControlWidget(copy, FX_TOGGLE), Qt::LeftButton);
    // The value-changed callback discarded the panel: no commit follows.
    EXPECT_EQ(raised(), (std::vector<Raised>{{copy, FX_TOGGLE, EVENT_VAL_CHANGED}}));
    EXPECT_EQ(uitest::PanelWidget(copy), nullptr);
    ProcessSystemEvents();
}

} // namespace
