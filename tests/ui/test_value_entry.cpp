// SPDX-License-Identifier: GPL-3.0-or-later
// Value controls: typed text is kept whole, Enter takes only what the control
// takes and says why otherwise; the program's writes show any double as it is.
#include "uitest_support.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>

#include <cmath>
#include <limits>

namespace
{

using ValueEntry = KindsPanel;

QLineEdit *field(QWidget *control)
{
    return control->findChild<QLineEdit *>();
}

bool marked(QWidget *control)
{
    return !control->styleSheet().isEmpty();
}

// Real key presses: every keystroke stays; Enter sends an acceptable value
// (also the one the control held already), or sends nothing, keeps the text
// and marks the field with the reason and the range. Leaving the field
// abandons a refused entry.
TEST_F(ValueEntry, EnterTakesOnlyWhatTheControlTakes)
{
    const struct {
        int control;
        const char *typed;
        bool sent;
        double value; // after Enter
        const char *why;
    } cases[] = {
        {FX_DBL, "5.5", true, 5.5, ""},
        {FX_DBL, "-2.25", true, -2.25, ""},
        {FX_DBL, "-99", false, 1, "Not sent: \u221299 lies outside \u221210 \u2026 10"},
        {FX_DBL, "9.0004", false, 1, "Not sent: at most 3 decimals"},
        {FX_DBL, "1,5", false, 1, "Not sent: type a number within \u221210 \u2026 10"},
        {FX_DBL, "-", false, 1, "Not sent: type a number"},
        {FX_INT, "9999999", false, 1, "Not sent: 9999999 lies outside 0 \u2026 100"},
        {FX_INT, "7.5", false, 1, "Not sent: whole numbers only"},
        {FX_INT, "100", true, 100, ""},
    };
    for (const auto &c : cases) {
        QWidget *w = widget(c.control);
        SetCtrlVal(panel, c.control, 1.0);
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, c.typed);
        EXPECT_EQ(field(w)->text().toStdString(), c.typed);
        raised.clear();
        QTest::keyClick(w, Qt::Key_Return);
        EXPECT_EQ(raised,
                  c.sent ? events(c.control, {EVENT_VAL_CHANGED, EVENT_COMMIT}) : std::vector<Raised>{})
            << c.typed;
        double value = 0;
        GetCtrlVal(panel, c.control, &value);
        EXPECT_EQ(value, c.value) << c.typed;
        EXPECT_EQ(marked(w), !c.sent) << c.typed;
        if (!c.sent) {
            EXPECT_EQ(field(w)->text().toStdString(), c.typed);
            EXPECT_TRUE(w->toolTip().startsWith(QString::fromUtf8(c.why))) << w->toolTip().toStdString();
            EXPECT_EQ(QToolTip::text(), w->toolTip());
        }
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w, &out);
        EXPECT_FALSE(marked(w));
        EXPECT_EQ(field(w)->text(),
                  c.control == FX_INT ? QString::number(int(c.value)) : QString::number(c.value, 'f', 3));
    }
    // The value the control already holds, typed again, is sent once it
    // replaces a value shown outside the range.
    SetCtrlVal(panel, FX_INT, 1);
    SetCtrlVal(panel, FX_INT, 500);
    QTest::keyClick(widget(FX_INT), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(widget(FX_INT), "1");
    raised.clear();
    QTest::keyClick(widget(FX_INT), Qt::Key_Return);
    EXPECT_EQ(raised, events(FX_INT, {EVENT_VAL_CHANGED, EVENT_COMMIT}));
}

// The program's writes show any double as it is, never clamped or dropped:
// outside the range, not finite, at any magnitude; an editable control says
// in its tooltip that the value lies outside the range it takes. The empty
// text shows no value. A narrower range keeps the value shown.
TEST_F(ValueEntry, ProgramWritesShowAnyDouble)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    const struct {
        int control;
        double set;
        const char *shown;
        bool outside;
    } cases[] = {
        {FX_DBL, 2.5, "2.500", false},
        {FX_DBL, 12.5, "12.500", true},
        {FX_DBL, -10.0006, "-10.001", true},
        {FX_DBL, nan, "NaN", true},
        {FX_DBL, -inf, "-Inf", true},
        {FX_DBL, 1e300, "1e+300", true},
        {FX_INT, 100.5, "100.5", true},
        {FX_INT, -1, "-1", true},
        {FX_INT_IND, 1e13, "10000000000000", false},
        {FX_INT_IND, inf, "+Inf", false},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(SetCtrlVal(panel, c.control, c.set), 0) << c.shown;
        EXPECT_EQ(field(widget(c.control))->text().toStdString(), c.shown);
        double back = 0;
        EXPECT_EQ(GetCtrlVal(panel, c.control, &back), 0);
        EXPECT_TRUE(back == c.set || (std::isnan(back) && std::isnan(c.set))) << c.shown;
        EXPECT_EQ(widget(c.control)->toolTip().contains("outside this range"), c.outside) << c.shown;
    }
    EXPECT_EQ(widget(FX_DBL)->toolTip().toStdString(),
              "Range \u221210 \u2026 10\nThe value shown is the module's and lies outside this range.");
    ASSERT_EQ(SetCtrlVal(panel, FX_INT_IND, ""), 0);
    double none = 0;
    EXPECT_EQ(field(widget(FX_INT_IND))->text(), "");
    EXPECT_EQ(GetCtrlVal(panel, FX_INT_IND, &none), UIE_INVALID_VALUE);
    // A ring has no item for an unknown code: it shows the code on no item,
    // never an earlier choice, and the caller is told.
    auto *ring = qobject_cast<QComboBox *>(widget(FX_RING));
    EXPECT_EQ(SetCtrlVal(panel, FX_RING, 4), UIE_INVALID_VALUE);
    EXPECT_EQ(ring->currentIndex(), -1);
    EXPECT_EQ(ring->placeholderText(), "code 4");
    EXPECT_EQ(GetCtrlVal(panel, FX_RING, &none), UIE_INVALID_VALUE);
    SetCtrlVal(panel, FX_DBL, 8.0);
    SetCtrlAttribute(panel, FX_DBL, ATTR_MAX_VALUE, 5.0);
    EXPECT_EQ(field(widget(FX_DBL))->text(), "8.000");
    EXPECT_EQ(widget(FX_DBL)->toolTip().toStdString(),
              "Range \u221210 \u2026 5\nThe value shown is the module's and lies outside this range.");
}

} // namespace
