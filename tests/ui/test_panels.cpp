// SPDX-License-Identifier: GPL-3.0-or-later
// Loading, copies, values and the close box.
#include "uitest_support.h"

#include <QLineEdit>
#include <QWidget>
#include <cstring>

namespace
{

using Panels = KindsPanel;

TEST(LoadPanelFailures, EachGivesItsOwnNegativeResult)
{
    const int before = uitest::LoadedPanelCount();
    const struct {
        const char *file;
        int panel, expected;
    } cases[] = {{"missing.uir", 1, UIE_FILE_NOT_FOUND},
                 {"", 1, UIE_FILE_NOT_FOUND}, // a folder
                 {"not-resource.uir", 1, UIE_NOT_RESOURCE_FILE},
                 {"kinds.uir", 3, UIE_PANEL_NOT_FOUND},
                 {"kinds.uir", 0, UIE_PANEL_NOT_FOUND},
                 {"unknown-callback.uir", FX_PLAIN, UIE_UNKNOWN_CALLBACK}};
    for (const auto &c : cases)
        EXPECT_EQ(LoadPanel(0, fixture(c.file).c_str(), c.panel), c.expected)
            << c.file << " panel " << c.panel;
    EXPECT_EQ(LoadPanel(9999, fixture("kinds.uir").c_str(), 1), UIE_INVALID_PANEL); // no such parent
    EXPECT_EQ(LoadPanel(0, nullptr, 1), UIE_FILE_NOT_FOUND);
    EXPECT_EQ(uitest::LoadedPanelCount(), before);
}

TEST_F(Panels, CopiesAreIndependent)
{
    const int copy = load(FX_KINDS);
    ASSERT_GT(copy, 0);
    ASSERT_EQ(SetCtrlVal(copy, FX_INT, 42), 0);
    int value = 0;
    EXPECT_EQ(GetCtrlVal(panel, FX_INT, &value), 0);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(DiscardPanel(copy), 0);
    EXPECT_EQ(SetCtrlVal(copy, FX_INT, 1), UIE_INVALID_PANEL);
    EXPECT_EQ(SetCtrlVal(panel, FX_INT, 1), 0);
}

// Programmatic changes convert, refuse what does not fit, and raise nothing.
TEST_F(Panels, ValuesConvertRefuseWhatDoesNotFitAndRaiseNothing)
{
    const struct {
        int control;
        double set;
        int expected; // result of SetCtrlVal
        double read;  // value read back
    } cases[] = {
        {FX_RING, 9, 0, 9},       {FX_INT, 7.6, 0, 8},      {FX_INT, 100.4, 0, 100}, // integers round
        {FX_DBL, 10.0004, 0, 10}, {FX_PROGRESS, 40, 0, 40}, {FX_PROGRESS, 101, UIE_INVALID_VALUE, 40},
        {FX_DBL, -2.5, 0, -2.5},  {FX_LED, 1, 0, 1},        {FX_TOGGLE, 1, 0, 1},
        {FX_CHECK, 1, 0, 1},
    };
    for (const auto &c : cases) {
        double back = -99;
        EXPECT_EQ(SetCtrlVal(panel, c.control, c.set), c.expected) << c.control << " " << c.set;
        EXPECT_EQ(GetCtrlVal(panel, c.control, &back), 0);
        EXPECT_DOUBLE_EQ(back, c.read) << c.control << " " << c.set;
    }
    uint16_t u = 0;
    EXPECT_EQ(GetCtrlVal(panel, FX_DBL, &u), UIE_INVALID_VALUE_TYPE); // negative into unsigned
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
    EXPECT_EQ(qobject_cast<QLineEdit *>(uitest::ControlWidget(panel, FX_TEXT))->cursorPosition(), 0);
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

TEST_F(Panels, CloseBoxRaisesCloseThenTheCloseControlAndKeepsThePanel)
{
    uitest::PanelWidget(panel)->close();
    EXPECT_EQ(raised, (std::vector<Raised>{{panel, 0, EVENT_CLOSE}, {panel, FX_QUIT, EVENT_COMMIT}}));
    EXPECT_NE(uitest::PanelWidget(panel), nullptr);

    // Without panel callback or close control the close box does nothing.
    raised.clear();
    uitest::PanelWidget(load(FX_PLAIN))->close();
    EXPECT_TRUE(raised.empty());
}

} // namespace
