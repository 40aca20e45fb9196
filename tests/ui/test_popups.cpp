// SPDX-License-Identifier: GPL-3.0-or-later
// Popups, file dialogs, launching, Delay and GetDir; real modal popups for
// the keys and for the focus returning to a panel.
#include "uitest_support.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <gtest/gtest.h>

namespace
{

class Seam : public testing::Test
{
  protected:
    void SetUp() override { uitest::Activate(); }
    void TearDown() override { uitest::Deactivate(); }
};

TEST_F(Seam, PopupsAreRecordedAndAnsweredFromTheScript)
{
    uitest::ScriptPopupAnswers({1, 2});
    EXPECT_EQ(ConfirmPopup("Reset", "Reset the module?"), 1);
    EXPECT_EQ(GenericMessagePopup("Soft Front Panel Error", "text", "Ignore", "Demo", nullptr, nullptr, 0, 0,
                                  1, 1, 2),
              2);
    EXPECT_EQ(ConfirmPopup("Again", "?"), 0); // unscripted: no
    EXPECT_EQ(GenericMessagePopup("G", "t", "A", "", "", nullptr, 0, 0, 1, 1, 2),
              2); // unscripted: Esc button
    EXPECT_EQ(MessagePopup("API Error", "setting IN1 coupling"), 0);
    const auto &p = uitest::Popups();
    ASSERT_EQ(p.size(), 5u);
    const struct {
        const char *kind, *title;
        int answer;
        bool scripted;
    } expected[] = {{"confirm", "Reset", 1, true},
                    {"generic", "Soft Front Panel Error", 2, true},
                    {"confirm", "Again", 0, false},
                    {"generic", "G", 2, false},
                    {"message", "API Error", 1, false}};
    for (size_t i = 0; i < p.size(); ++i) {
        EXPECT_EQ(p[i].kind, expected[i].kind) << i;
        EXPECT_EQ(p[i].title, expected[i].title) << i;
        EXPECT_EQ(p[i].answer, expected[i].answer) << i;
        EXPECT_EQ(p[i].scripted, expected[i].scripted) << i;
    }
    EXPECT_EQ(p[1].buttons, (std::vector<std::string>{"Ignore", "Demo"}));
    EXPECT_EQ(p[1].enterButton, 1);
    EXPECT_EQ(p[1].escapeButton, 2);
    EXPECT_EQ(p[3].buttons, (std::vector<std::string>{"A"})); // empty labels are no buttons
    EXPECT_EQ(p[4].text, "setting IN1 coupling");
    uitest::ClearPopups();
    EXPECT_TRUE(uitest::Popups().empty());
}

TEST_F(Seam, FileDialogsAnswerFromTheScriptAndNeverCutAPath)
{
    uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, "/tmp/data.csv");
    uitest::ScriptFileDialog(VAL_EXISTING_FILE_SELECTED, "/tmp/a-rather-long-name.bin");
    char path[MAX_PATHNAME_LEN];
    EXPECT_EQ(
        FileSelectPopup("", "*.csv", "", "Save Data", VAL_SAVE_BUTTON, 0, 0, 1, 1, path, int(sizeof path)),
        VAL_NEW_FILE_SELECTED);
    EXPECT_STREQ(path, "/tmp/data.csv");
    char small[8];
    EXPECT_EQ(FileSelectPopup("", "*.bin", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 0, small, int(sizeof small)),
              VAL_NO_FILE_SELECTED);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(FileSelectPopup("", "*.bin", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 0, path, int(sizeof path)),
              VAL_NO_FILE_SELECTED); // unscripted
    const auto &d = uitest::FileDialogs();
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].defaultFileSpec, "*.csv");
    EXPECT_EQ(d[0].title, "Save Data");
    EXPECT_EQ(d[0].buttonLabel, VAL_SAVE_BUTTON);
    EXPECT_EQ(d[0].allowMakeDirectory, 1);
    EXPECT_EQ(d[1].buttonLabel, VAL_LOAD_BUTTON);
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

TEST_F(Seam, DelayCallsTheInjectedClock)
{
    std::vector<double> waited;
    uitest::SetDelayHook([&](double s) { waited.push_back(s); });
    Delay(0.5);
    Delay(-1);
    Delay(0.25);
    EXPECT_EQ(waited, (std::vector<double>{0.5, 0.25}));
}

TEST(System, GetDirIsBounded)
{
    char full[MAX_PATHNAME_LEN];
    ASSERT_EQ(GetDir(full, int(sizeof full)), 0);
    EXPECT_EQ(std::string(full), QDir::toNativeSeparators(QDir::currentPath()).toStdString());
    char small[6];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(GetDir(small, 4), UIE_BUFFER_TOO_SMALL);
    EXPECT_EQ(std::strlen(small), 3u);
    EXPECT_EQ(small[4], '#');
}

// Presses a key in the modal popup as soon as it is up.
void pressInPopup(Qt::Key key)
{
    QTimer::singleShot(0, [key] {
        QWidget *popup = QApplication::activeModalWidget();
        ASSERT_NE(popup, nullptr);
        QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, key);
    });
}

TEST(RealPopups, EnterAndEscChooseTheirButtons)
{
    const struct {
        Qt::Key key;
        int expected;
    } cases[] = {{Qt::Key_Return, 1}, {Qt::Key_Escape, 2}};
    for (const auto &c : cases) {
        pressInPopup(c.key);
        EXPECT_EQ(GenericMessagePopup("Soft Front Panel Error", "text", "Ignore", "Demo", nullptr, nullptr, 0,
                                      0, 1, 1, 2),
                  c.expected);
    }
    char response[4] = "zz";
    QTimer::singleShot(0, [] {
        QWidget *popup = QApplication::activeModalWidget();
        ASSERT_NE(popup, nullptr);
        QTest::keyClicks(popup->focusWidget(), "12345");
        QTest::keyClick(popup->focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(GenericMessagePopup("Ask", "value", "OK", nullptr, nullptr, response, 3, 0, 0, 1, 1), 1);
    EXPECT_STREQ(response, "123"); // at most maxResponseLength characters
    pressInPopup(Qt::Key_Escape);
    EXPECT_EQ(ConfirmPopup("Confirm", "Sure?"), 0);
    pressInPopup(Qt::Key_Return);
    EXPECT_EQ(ConfirmPopup("Confirm", "Sure?"), 1);
}

TEST(RealPopups, ReturningFromAPopupIsNotGettingTheFocus)
{
    const int panel = LoadPanel(0, fixture("kinds.uir").c_str(), FX_KINDS);
    ASSERT_GT(panel, 0);
    raised().clear();
    DisplayPanel(panel);
    ProcessSystemEvents();
    ASSERT_EQ(raised(), (std::vector<Raised>{{panel, 0, EVENT_GOT_FOCUS}})); // first display
    raised().clear();
    pressInPopup(Qt::Key_Return);
    MessagePopup("API Error", "reading aperture setting");
    // The window system hands the focus back to the panel.
    uitest::PanelWidget(panel)->activateWindow();
    ProcessSystemEvents();
    EXPECT_TRUE(raised().empty());

    // A real activation still counts.
    const int other = LoadPanel(0, fixture("kinds.uir").c_str(), FX_PLAIN);
    DisplayPanel(other);
    ProcessSystemEvents();
    DisplayPanel(panel);
    ProcessSystemEvents();
    EXPECT_EQ(raised(), (std::vector<Raised>{{panel, 0, EVENT_GOT_FOCUS}}));
    DiscardPanel(other);
    DiscardPanel(panel);
}

} // namespace
