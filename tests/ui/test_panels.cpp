// SPDX-License-Identifier: GPL-3.0-or-later
// Loading, copies, the program's writes and reads, and the close box.
#include "uitest_support.h"

#include <QComboBox>
#include <cmath>
#include <cstring>

namespace
{

using Panels = KindsPanel;

TEST(LoadPanelFailures, EachGivesItsOwnNegativeResult)
{
    const int before = uitest::LoadedPanelCount();
    const struct {
        const char *file;
        int parent, panel, expected;
    } cases[] = {{"missing.uir", 0, 1, UIE_FILE_NOT_FOUND},
                 {"", 0, 1, UIE_FILE_NOT_FOUND}, // a folder
                 {"not-resource.uir", 0, 1, UIE_NOT_RESOURCE_FILE},
                 {"kinds.uir", 0, 3, UIE_PANEL_NOT_FOUND},
                 {"kinds.uir", 0, 0, UIE_PANEL_NOT_FOUND},
                 {"kinds.uir", 9999, 1, UIE_INVALID_PANEL}, // no such parent
                 {"unknown-callback.uir", 0, FX_PLAIN, UIE_UNKNOWN_CALLBACK}};
    for (const auto &c : cases)
        EXPECT_EQ(LoadPanel(c.parent, fixture(c.file).c_str(), c.panel), c.expected) << c.file << c.panel;
    EXPECT_EQ(LoadPanel(0, nullptr, 1), UIE_FILE_NOT_FOUND);
    EXPECT_EQ(uitest::LoadedPanelCount(), before);
}

// A copy keeps its own values; a callback may discard its own panel, and no
// event follows from it.
TEST_F(Panels, CopiesAreIndependentAndDiscardableFromTheirCallbacks)
{
    const int copy = load(FX_KINDS);
    ASSERT_EQ(SetCtrlVal(copy, FX_INT, 42), 0);
    EXPECT_EQ(value(FX_INT), 5);
    onNextCallback = [copy] { DiscardPanel(copy); };
    QTest::mouseClick(uitest::ControlWidget(copy, FX_TOGGLE), Qt::LeftButton);
    EXPECT_EQ(raised, (std::vector<Raised>{{copy, FX_TOGGLE, EVENT_VAL_CHANGED}}));
    EXPECT_EQ(uitest::PanelWidget(copy), nullptr);
    EXPECT_EQ(SetCtrlVal(copy, FX_INT, 1), UIE_INVALID_PANEL);
}

// The program's writes convert and refuse what does not fit; any double shows
// as it is, never clamped or dropped, and reads back unrounded; an editable
// control's tooltip says when the value lies outside its range. Engineering
// indicators keep ten significant digits. Nothing is raised.
TEST_F(Panels, ProgramWritesShowAndReadBack)
{
    const double nan = std::nan(""), inf = INFINITY;
    const struct {
        int control;
        double set;
        int status;
        double read;
        const char *shown; // nullptr: no text field
        bool outside;
    } cases[] = {
        {FX_RING, 9, 0, 9, nullptr, false},
        {FX_INT, 7.6, 0, 8, "8", false}, // integers round within the range
        {FX_INT, 100.4, 0, 100, "100", false},
        {FX_INT, 100.5, 0, 100.5, "100.5", true},
        {FX_INT, -1, 0, -1, "-1", true},
        {FX_DBL, 10.0004, 0, 10, "10.000", false},
        {FX_DBL, -2.5, 0, -2.5, "-2.500", false},
        {FX_DBL, 12.5, 0, 12.5, "12.500", true},
        {FX_DBL, -10.0006, 0, -10.0006, "-10.001", true},
        {FX_DBL, nan, 0, nan, "NaN", true},
        {FX_DBL, -inf, 0, -inf, "-Inf", true},
        {FX_DBL, 1e300, 0, 1e300, "1e+300", true},
        {FX_INT_IND, 1e13, 0, 1e13, "10000000000000", false},
        {FX_INT_IND, inf, 0, inf, "+Inf", false},
        {FX_PROGRESS, 40, 0, 40, nullptr, false},
        {FX_PROGRESS, 101, UIE_INVALID_VALUE, 40, nullptr, false},
        {FX_LED, 1, 0, 1, nullptr, false},
        {FX_TOGGLE, 1, 0, 1, nullptr, false},
        {FX_CHECK, 1, 0, 1, nullptr, false},
        {FX_ENG, 1e-15, 0, 1e-15, "1.000000000E-15", false},
        {FX_ENG, 1.2345678912e-15, 0, 1.2345678912e-15, "1.234567891E-15", false},
        {FX_ENG, 2999999999.123456, 0, 2999999999.123456, "2.999999999E+09", false},
        {FX_ENG, 100000.0001, 0, 100000.0001, "100.0000001E+03", false},
        {FX_ENG, -0.00025, 0, -0.00025, "-250.0000000E-06", false},
        {FX_ENG, 0.0, 0, 0.0, "0.000000000E+00", false},
        {FX_ENG, 999.99999999999, 0, 999.99999999999, "1.000000000E+03", false}, // the carry
        {FX_ENG, 12.5e-3, 0, 12.5e-3, "12.50000000E-03", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.control << " " << c.set);
        EXPECT_EQ(SetCtrlVal(panel, c.control, c.set), c.status);
        const double back = value(c.control);
        EXPECT_TRUE(back == c.read || (std::isnan(back) && std::isnan(c.read))) << back;
        if (c.shown) {
            EXPECT_EQ(field(widget(c.control))->text().toStdString(), c.shown);
        }
        EXPECT_EQ(widget(c.control)->toolTip().contains("outside this range"), c.outside);
    }
    uint16_t u = 0;
    EXPECT_EQ(GetCtrlVal(panel, FX_INT, &u), UIE_INVALID_VALUE_TYPE); // negative into unsigned
    // The empty text shows no value.
    double none = 0;
    ASSERT_EQ(SetCtrlVal(panel, FX_INT_IND, ""), 0);
    EXPECT_EQ(field(widget(FX_INT_IND))->text(), "");
    EXPECT_EQ(GetCtrlVal(panel, FX_INT_IND, &none), UIE_INVALID_VALUE);
    // A ring shows an unknown code on no item, never an earlier choice.
    auto *ring = qobject_cast<QComboBox *>(widget(FX_RING));
    EXPECT_EQ(SetCtrlVal(panel, FX_RING, 4), UIE_INVALID_VALUE);
    EXPECT_EQ(ring->currentIndex(), -1);
    EXPECT_EQ(ring->placeholderText(), "code 4");
    EXPECT_EQ(GetCtrlVal(panel, FX_RING, &none), UIE_INVALID_VALUE);
    // A narrower range keeps the value shown.
    SetCtrlVal(panel, FX_DBL, 8.0);
    SetCtrlAttribute(panel, FX_DBL, ATTR_MAX_VALUE, 5.0);
    EXPECT_EQ(field(widget(FX_DBL))->text(), "8.000");
    EXPECT_EQ(widget(FX_DBL)->toolTip().toStdString(),
              "Range \u221210 \u2026 5\nThe value shown is the module's and lies outside this range.");
    SetCtrlVal(panel, FX_TEXT, "typed");
    SetCtrlAttribute(panel, FX_INT, ATTR_MAX_VALUE, 10); // clamps the value
    SetCtrlAttribute(panel, FX_DBL, ATTR_PRECISION, 0);  // rounds the value
    ProcessSystemEvents();
    EXPECT_TRUE(raised.empty());
}

TEST_F(Panels, TextReadNeverWritesPastTheBuffer)
{
    ASSERT_EQ(SetCtrlVal(panel, FX_TEXT, "frequency \xc3\xa9t\xc3\xa9"), 0); // 15 bytes in UTF-8
    // A written text shows from its beginning, even when longer than the field.
    EXPECT_EQ(field(widget(FX_TEXT))->cursorPosition(), 0);
    const struct {
        int size;
        int expected;
        const char *text;
    } cases[] = {{16, 0, "frequency \xc3\xa9t\xc3\xa9"},
                 {15, UIE_BUFFER_TOO_SMALL, "frequency \xc3\xa9t"}, // no half character
                 {1, UIE_BUFFER_TOO_SMALL, ""},
                 {0, UIE_BUFFER_TOO_SMALL, nullptr}};
    for (const auto &c : cases) {
        char buffer[40];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(GetCtrlVal(panel, FX_TEXT, buffer, c.size), c.expected) << c.size;
        for (int i = c.size; i < int(sizeof buffer); ++i)
            ASSERT_EQ(buffer[i], '#') << "size " << c.size << " byte " << i;
        EXPECT_STREQ(c.text ? buffer : nullptr, c.text);
    }
}

// The close box raises close, then the close control, and keeps the panel;
// without panel callback or close control it does nothing.
TEST_F(Panels, CloseBoxRaisesCloseThenTheCloseControl)
{
    uitest::PanelWidget(panel)->close();
    EXPECT_EQ(raised, (std::vector<Raised>{{panel, 0, EVENT_CLOSE}, {panel, FX_QUIT, EVENT_COMMIT}}));
    EXPECT_NE(uitest::PanelWidget(panel), nullptr);
    raised.clear();
    uitest::PanelWidget(load(FX_PLAIN))->close();
    EXPECT_TRUE(raised.empty());
}

} // namespace
