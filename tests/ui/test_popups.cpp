// SPDX-License-Identifier: GPL-3.0-or-later
// Popups, file dialogs and launching through the seam; real modal popups for
// the keys and for the focus returning to a panel.
#include "uitest_support.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

namespace
{

using Seam = KindsPanel;

auto fields(const uitest::PopupRecord &r)
{
    return std::tie(r.kind, r.title, r.text, r.buttons, r.enterButton, r.escapeButton, r.answer, r.scripted);
}

TEST_F(Seam, PopupsAreRecordedAndAnsweredFromTheScript)
{
    uitest::ScriptPopupAnswers({1, 2});
    EXPECT_EQ(ConfirmPopup("Reset", "Reset the module?"), 1);
    EXPECT_EQ(GenericMessagePopup("Error", "text", "Ignore", "Demo", nullptr, nullptr, 0, 0, 1, 1, 2), 2);
    EXPECT_EQ(ConfirmPopup("Again", "?"), 0);                                         // unscripted: no
    EXPECT_EQ(GenericMessagePopup("G", "t", "A", "", "", nullptr, 0, 0, 1, 1, 2), 2); // unscripted: Esc
    EXPECT_EQ(MessagePopup("API Error", "setting IN1 coupling"), 0);
    const uitest::PopupRecord expected[] = {
        {"confirm", "Reset", "Reset the module?", {}, 0, 0, 1, true},
        {"generic", "Error", "text", {"Ignore", "Demo"}, 1, 2, 2, true},
        {"confirm", "Again", "?", {}, 0, 0, 0, false},
        {"generic", "G", "t", {"A"}, 1, 2, 2, false}, // empty labels are no buttons
        {"message", "API Error", "setting IN1 coupling", {}, 0, 0, 1, false}};
    const auto &p = uitest::Popups();
    ASSERT_EQ(p.size(), std::size(expected));
    for (size_t i = 0; i < p.size(); ++i)
        EXPECT_EQ(fields(p[i]), fields(expected[i])) << i;
}

TEST_F(Seam, FileDialogsAnswerFromTheScriptAndNeverCutAPath)
{
    uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, "/tmp/data.csv");
    uitest::ScriptFileDialog(VAL_EXISTING_FILE_SELECTED, "/tmp/a-rather-long-name.bin");
    char path[MAX_PATHNAME_LEN], small[8];
    EXPECT_EQ(
        FileSelectPopup("", "*.csv", "", "Save Data", VAL_SAVE_BUTTON, 0, 0, 1, 1, path, int(sizeof path)),
        VAL_NEW_FILE_SELECTED);
    EXPECT_STREQ(path, "/tmp/data.csv");
    EXPECT_EQ(FileSelectPopup("", "*.bin", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 0, small, int(sizeof small)),
              VAL_NO_FILE_SELECTED); // the path does not fit
    EXPECT_STREQ(small, "");
    EXPECT_EQ(FileSelectPopup("", "*.bin", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 0, path, int(sizeof path)),
              VAL_NO_FILE_SELECTED); // unscripted
    const auto &d = uitest::FileDialogs();
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(std::tie(d[0].defaultFileSpec, d[0].title, d[0].buttonLabel, d[0].allowMakeDirectory),
              std::make_tuple("*.csv", "Save Data", VAL_SAVE_BUTTON, 1));
}

TEST_F(Seam, LaunchRecordsTheCommandAndRefusesMissingPrograms)
{
    const char *args[] = {"one two", "$HOME;rm"};
    EXPECT_EQ(LaunchExecutable("sh", args, 2), 0);
    EXPECT_EQ(LaunchExecutable("no-such-program-uct", args, 1), UIE_PROGRAM_NOT_FOUND);
    EXPECT_EQ(LaunchExecutable("/nonexistent/hh", nullptr, 0), UIE_PROGRAM_NOT_FOUND);
    EXPECT_EQ(uitest::LaunchedCommands(),
              (std::vector<std::vector<std::string>>{{"sh", "one two", "$HOME;rm"}}));
    uitest::Deactivate();
    EXPECT_EQ(LaunchExecutable("no-such-program-uct", nullptr, 0), UIE_PROGRAM_NOT_FOUND);
}

// Runs an input action in the modal popup as soon as it is up.
void inPopup(std::function<void(QWidget *)> input)
{
    QTimer::singleShot(0, [input] {
        QWidget *popup = QApplication::activeModalWidget();
        ASSERT_NE(popup, nullptr);
        input(popup->focusWidget() ? popup->focusWidget() : popup);
    });
}
void pressInPopup(Qt::Key key)
{
    inPopup([key](QWidget *w) { QTest::keyClick(w, key); });
}

TEST(RealPopups, EnterAndEscChooseTheirButtons)
{
    for (const auto &[key, button] : {std::pair{Qt::Key_Return, 1}, std::pair{Qt::Key_Escape, 2}}) {
        pressInPopup(key);
        EXPECT_EQ(GenericMessagePopup("Error", "text", "Ignore", "Demo", nullptr, nullptr, 0, 0, 1, 1, 2),
                  button);
    }
    for (const auto &[key, answer] : {std::pair{Qt::Key_Escape, 0}, std::pair{Qt::Key_Return, 1}}) {
        pressInPopup(key);
        EXPECT_EQ(ConfirmPopup("Confirm", "Sure?"), answer);
    }
    char response[4] = "zz";
    inPopup([](QWidget *w) { QTest::keyClicks(w, "12345"), QTest::keyClick(w, Qt::Key_Return); });
    EXPECT_EQ(GenericMessagePopup("Ask", "value", "OK", nullptr, nullptr, response, 3, 0, 0, 1, 1), 1);
    EXPECT_STREQ(response, "123"); // at most maxResponseLength characters
}

TEST_F(KindsPanel, ReturningFromAPopupIsNotGettingTheFocus)
{
    uitest::Deactivate(); // real popups
    DisplayPanel(panel);
    ProcessSystemEvents();
    ASSERT_EQ(raised, (std::vector<Raised>{{panel, 0, EVENT_GOT_FOCUS}})); // first display
    raised.clear();
    pressInPopup(Qt::Key_Return);
    MessagePopup("API Error", "reading aperture setting");
    uitest::PanelWidget(panel)->activateWindow(); // the window system hands the focus back
    ProcessSystemEvents();
    EXPECT_TRUE(raised.empty());

    DisplayPanel(load(FX_PLAIN)); // a real activation still counts
    ProcessSystemEvents();
    DisplayPanel(panel);
    ProcessSystemEvents();
    EXPECT_EQ(raised, (std::vector<Raised>{{panel, 0, EVENT_GOT_FOCUS}}));
}

} // namespace
