// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and copies; the program's writes and reads; events from real Qt
// input per control kind; typing under any system locale and while the
// program writes; timers, drawing-only processing and the close box.
#include "uitest_support.h"

using Controls = KindsPanel;

TEST(LoadPanelFailures, EachGivesItsOwnNegativeResult)
{
    const int before = uitest::LoadedPanelCount();
    const std::tuple<const char *, int, int, int> cases[] = {
        {"missing.uir", 0, 1, UIE_FILE_NOT_FOUND},
        {"not-resource.uir", 0, 1, UIE_NOT_RESOURCE_FILE},
        {"kinds.uir", 0, 3, UIE_PANEL_NOT_FOUND},
        {"kinds.uir", 9999, 1, UIE_INVALID_PANEL}, // no such parent
        {"unknown-callback.uir", 0, FX_PLAIN, UIE_UNKNOWN_CALLBACK}};
    for (const auto &[file, parent, panel, expected] : cases)
        EXPECT_EQ(LoadPanel(parent, (UCT_UI_FIXTURES "/" + std::string(file)).c_str(), panel), expected)
            << file << panel;
    EXPECT_EQ(uitest::LoadedPanelCount(), before);
}

// A copy keeps its own values; a callback may discard its own panel, and no
// event follows from it.
TEST_F(Controls, CopiesAreIndependentAndDiscardableFromTheirCallbacks)
{
    const int copy = load(FX_KINDS);
    ASSERT_EQ(SetCtrlVal(copy, FX_INT, 42), 0);
    EXPECT_EQ(value(FX_INT), 5);
    onNextCallback = [copy] { DiscardPanel(copy); };
    QTest::mouseClick(uitest::ControlWidget(copy, FX_TOGGLE), Qt::LeftButton);
    EXPECT_EQ(raised, (std::vector<Raised>{{copy, FX_TOGGLE, EVENT_VAL_CHANGED}}));
    EXPECT_EQ(SetCtrlVal(copy, FX_INT, 1), UIE_INVALID_PANEL);
}

// The program's writes convert and refuse what does not fit; any double shows
// as it is, never clamped or dropped, and reads back unrounded; an editable
// control's tooltip says when it lies outside the range. Engineering
// indicators keep ten significant digits. Nothing is raised.
TEST_F(Controls, ProgramWritesShowAndReadBack)
{
    const double nan = std::nan(""), inf = INFINITY;
    // control, value written, status, value read, text shown ("": no text field), outside the range
    const std::tuple<int, double, int, double, const char *, bool> cases[] = {
        {FX_RING, 9, 0, 9, "", false},
        {FX_INT, 7.6, 0, 8, "8", false}, // integers round within the range
        {FX_INT, 100.5, 0, 100.5, "100.5", true},
        {FX_DBL, 10.0004, 0, 10, "10.000", false},
        {FX_DBL, -10.0006, 0, -10.0006, "-10.001", true},
        {FX_DBL, nan, 0, nan, "NaN", true},
        {FX_DBL, 1e300, 0, 1e300, "1e+300", true},
        {FX_INT_IND, inf, 0, inf, "+Inf", false},
        {FX_PROGRESS, 40, 0, 40, "", false},
        {FX_PROGRESS, 101, UIE_INVALID_VALUE, 40, "", false},
        {FX_ENG, 1.2345678912e-15, 0, 1.2345678912e-15, "1.234567891E-15", false},
        {FX_ENG, -0.00025, 0, -0.00025, "-250.0000000E-06", false},
        {FX_ENG, 0.0, 0, 0.0, "0.000000000E+00", false},
        {FX_ENG, 999.99999999999, 0, 999.99999999999, "1.000000000E+03", false}, // the carry
    };
    for (const auto &[control, set, status, read, shown, outside] : cases) {
        SCOPED_TRACE(testing::Message() << control << " " << set);
        EXPECT_EQ(SetCtrlVal(panel, control, set), status);
        const double back = value(control);
        EXPECT_TRUE(back == read || (std::isnan(back) && std::isnan(read))) << back;
        EXPECT_EQ(*shown ? field(widget(control))->text().toStdString() : "", shown);
        EXPECT_EQ(widget(control)->toolTip().contains("outside this range"), outside);
    }
    double none = 0; // the empty text shows no value
    ASSERT_EQ(SetCtrlVal(panel, FX_INT_IND, ""), 0);
    EXPECT_EQ(GetCtrlVal(panel, FX_INT_IND, &none), UIE_INVALID_VALUE);
    // A ring shows an unknown code on no item, never an earlier choice.
    EXPECT_EQ(SetCtrlVal(panel, FX_RING, 4), UIE_INVALID_VALUE);
    EXPECT_EQ(qobject_cast<QComboBox *>(widget(FX_RING))->placeholderText(), "code 4");
    EXPECT_EQ(GetCtrlVal(panel, FX_RING, &none), UIE_INVALID_VALUE);
    // A narrower range keeps the value shown.
    SetCtrlVal(panel, FX_DBL, 8.0);
    SetCtrlAttribute(panel, FX_DBL, ATTR_MAX_VALUE, 5.0);
    EXPECT_EQ((field(widget(FX_DBL))->text() + "|" + widget(FX_DBL)->toolTip()).toStdString(),
              "8.000|Range \u221210 \u2026 5\nThe value shown is the module's and lies outside this range.");
    SetCtrlAttribute(panel, FX_INT, ATTR_MAX_VALUE, 1); // clamps the value
    ProcessSystemEvents();
    EXPECT_TRUE(raised.empty());
}

TEST_F(Controls, TextReadNeverWritesPastTheBuffer)
{
    ASSERT_EQ(SetCtrlVal(panel, FX_TEXT, "frequency \xc3\xa9t\xc3\xa9"), 0); // 15 bytes in UTF-8
    // A written text shows from its beginning, even when longer than the field.
    EXPECT_EQ(field(widget(FX_TEXT))->cursorPosition(), 0);
    const std::tuple<int, int, const char *> cases[] = {
        {16, 0, "frequency \xc3\xa9t\xc3\xa9"},
        {15, UIE_BUFFER_TOO_SMALL, "frequency \xc3\xa9t"}, // no half character
        {1, UIE_BUFFER_TOO_SMALL, ""},
        {0, UIE_BUFFER_TOO_SMALL, nullptr}};
    for (const auto &[size, expected, text] : cases) {
        std::string buffer(40, '#');
        EXPECT_EQ(GetCtrlVal(panel, FX_TEXT, buffer.data(), size), expected) << size;
        EXPECT_EQ(buffer.substr(size), std::string(40 - size, '#'));
        EXPECT_STREQ(text ? buffer.c_str() : nullptr, text);
    }
}

// In order on one panel: a click (on the control or its inner editor), or the
// text typed, then a key or the loss of the focus.
TEST_F(Controls, EventsPerKind)
{
    enum { None, Click = -1, ClickEditor = -2, FocusOut = -3 };
    const std::tuple<int, const char *, int, std::vector<int>> cases[] = {
        {FX_CMD, "", Click, {EVENT_COMMIT}},
        {FX_TOGGLE, "", Click, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_LED, "", Click, {EVENT_LEFT_CLICK}},
        {FX_INT_IND, "", ClickEditor, {EVENT_LEFT_CLICK}},
        {FX_TEXT, "", Click, {}}, // clicking into an editable text is no event
        {FX_CMD, "", Qt::Key_Return, {EVENT_COMMIT}},
        {FX_TOGGLE, "", Qt::Key_Space, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_INT, "", Qt::Key_Up, {EVENT_VAL_CHANGED, EVENT_COMMIT}}, // a step is a complete entry
        {FX_INT, "42", None, {}},                                    // keyboard tracking is off
        {FX_INT, "", Qt::Key_Return, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_DBL, "-2.5", FocusOut, {EVENT_VAL_CHANGED, EVENT_COMMIT}},
        {FX_RING, "", Qt::Key_Down, {EVENT_COMMIT}},
        {FX_TEXT, "ab", Qt::Key_Return, {EVENT_VAL_CHANGED, EVENT_VAL_CHANGED, EVENT_COMMIT}},
    };
    for (const auto &[control, typed, key, expected] : cases) {
        raised.clear();
        QWidget *w = key == ClickEditor ? field(widget(control)) : widget(control);
        typeOver(w, typed);
        if (key == Click || key == ClickEditor)
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
        else if (key == FocusOut)
            focusOut(w);
        else if (key != None)
            QTest::keyClick(w, Qt::Key(key));
        EXPECT_EQ(raised, events(control, expected)) << control << " " << typed << " " << key;
    }
    // The ring gives its item's code.
    EXPECT_EQ(value(FX_INT) * value(FX_DBL) * value(FX_RING), 42 * -2.5 * 5);
}

// On a panel built under a German system locale, every keystroke stays; Enter
// sends a number with the decimal point that the control takes, or sends
// nothing, keeps the text and marks the field with why; leaving the field
// abandons a refused entry.
TEST_F(Controls, EnterTakesOnlyWhatTheControlTakesWhateverTheLocale)
{
    const QLocale system;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    panel = load(FX_KINDS);
    QLocale::setDefault(system);
    // control, value before, typed, value after Enter, why it is not sent
    const std::tuple<int, double, const char *, double, const char *> cases[] = {
        {FX_DBL, 1, "-2.25", -2.25, ""},
        {FX_DBL, 1, "-99", 1, "Not sent: \u221299 lies outside \u221210 \u2026 10"},
        {FX_DBL, 1, "9.0004", 1, "Not sent: at most 3 decimals"},
        {FX_DBL, 1, "1,5", 1, "Not sent: type a number within \u221210 \u2026 10"},
        {FX_DBL, 1, "3.5.1", 1, "Not sent: type a number"},
        {FX_INT, 1, "9999999", 1, "Not sent: 9999999 lies outside 0 \u2026 100"},
        {FX_INT, 1, "7.5", 1, "Not sent: whole numbers only"},
        {FX_INT, 500, "1", 1, ""}, // the value held, replacing one shown outside the range
    };
    for (const auto &[control, before, typed, after, why] : cases) {
        SCOPED_TRACE(typed);
        QWidget *w = widget(control);
        SetCtrlVal(panel, control, 1.0);
        SetCtrlVal(panel, control, before);
        typeOver(w, typed);
        EXPECT_EQ(field(w)->text().toStdString(), typed);
        raised.clear();
        QTest::keyClick(w, Qt::Key_Return);
        const bool sent = !*why;
        EXPECT_EQ(raised, sent ? events(control, {EVENT_VAL_CHANGED, EVENT_COMMIT}) : std::vector<Raised>{});
        EXPECT_EQ(value(control), after);
        EXPECT_EQ(w->styleSheet().isEmpty(), sent);
        EXPECT_TRUE(w->toolTip().startsWith(QString::fromUtf8(why))) << w->toolTip().toStdString();
        const QString stays = QString::fromUtf8(typed) + "|" + w->toolTip(); // the text, and why at once
        EXPECT_EQ(sent ? stays : field(w)->text() + "|" + QToolTip::text(), stays);
        focusOut(w);
        EXPECT_EQ(field(w)->text() + w->styleSheet(), QString::number(after, 'f', control == FX_INT ? 0 : 3));
    }
    const double x[] = {0, 1.5}, y[] = {0, 1}; // a graph's scale too
    ASSERT_GT(PlotXY(panel, FX_GRAPH, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE, 0, 0, 1, 0), 0);
    plot()->replot();
    EXPECT_TRUE(plot()->xAxis->tickVectorLabels().contains("0.5"));
}

// The program writes the controls from a real timer tick while the user
// types: the typed text stays, the end of the entry sends it, and an entry
// that ends without a commit shows what the program wrote last.
TEST_F(Controls, ProgramWritesDoNotReplaceAnEntryInProgress)
{
    // control, typed, Enter (else the focus leaves), events, shown after the entry, after a later write
    const std::tuple<int, const char *, bool, std::vector<int>, const char *, const char *> cases[] = {
        {FX_DBL, "7", false, {EVENT_VAL_CHANGED, EVENT_COMMIT}, "7.000", "3.000"},
        {FX_DBL, "-", false, {}, "1.000", "3.000"}, // no number: the program's value shows
        {FX_DBL, "1", true, {}, "1.000", "3.000"},  // the value the program wrote: nothing to send
        {FX_INT, "42", true, {EVENT_VAL_CHANGED, EVENT_COMMIT}, "42", "3"},
        {FX_TEXT, "ab", true, {EVENT_COMMIT}, "ab", "three"},
    };
    const auto write = [this](double number, const char *text) {
        SetCtrlVal(panel, FX_DBL, number);
        SetCtrlVal(panel, FX_INT, int(number));
        SetCtrlVal(panel, FX_TEXT, text);
    };
    for (const auto &[control, typed, enter, expected, shown, after] : cases) {
        SCOPED_TRACE(typed);
        QWidget *w = widget(control);
        write(0, "");
        typeOver(w, typed);
        raised.clear();
        onNextCallback = [&] { write(1, "program"); };
        tick();
        ASSERT_EQ(raised, events(FX_TIMER, {EVENT_TIMER_TICK}));
        EXPECT_EQ(field(w)->text().toStdString(), typed);
        raised.clear();
        enter ? QTest::keyClick(w, Qt::Key_Return) : focusOut(w);
        EXPECT_EQ(raised, events(control, expected));
        EXPECT_EQ(field(w)->text().toStdString(), shown);
        write(3, "three"); // once the entry has ended, the program's writes show at once
        EXPECT_EQ(field(w)->text().toStdString(), after);
    }
}

// A real timer that is due and a click that is queued: only drawing runs.
TEST_F(Controls, ProcessDrawEventsRunsNoTickAndNoInputCallback)
{
    timer()->start(0);
    QWidget *button = widget(FX_CMD);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            button, new QMouseEvent(type, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {}));
    ProcessDrawEvents();
    EXPECT_TRUE(raised.empty());
    ProcessSystemEvents(); // the due timer does tick once events are processed
    EXPECT_EQ(raised.empty() ? Raised{} : raised.front(), (Raised{panel, FX_TIMER, EVENT_TIMER_TICK}));
}

// The close box raises close, then the close control, and keeps the panel;
// without panel callback or close control it does nothing. A menu item
// raises the menu callback.
TEST_F(Controls, CloseBoxAndMenuItem)
{
    uitest::PanelWidget(panel)->close();
    EXPECT_EQ(raised, (std::vector<Raised>{{panel, 0, EVENT_CLOSE}, {panel, FX_QUIT, EVENT_COMMIT}}));
    EXPECT_NE(uitest::PanelWidget(panel), nullptr);
    raised.clear();
    const int plain = load(FX_PLAIN);
    uitest::PanelWidget(plain)->close();
    uitest::PanelWidget(plain)->findChild<QAction *>("PLAINMENU_ONE")->trigger();
    EXPECT_EQ(raised, (std::vector<Raised>{{plain, FX_MENU_ONE, EVENT_COMMIT}}));
}
