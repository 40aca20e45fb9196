// SPDX-License-Identifier: GPL-3.0-or-later
// Popups, file dialogs and launching through the seam; real modal popups for
// the keys, the focus returning to a panel, timers, a press in progress and a
// path too long for the caller.
#include "uitest_support.h"

using Popups = KindsPanel;

TEST_F(Popups, SeamRecordsAndAnswersFromTheScript)
{
    uitest::ScriptPopupAnswers({1, 2});
    uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, "/tmp/data.csv");
    char path[MAX_PATHNAME_LEN], none[MAX_PATHNAME_LEN];
    const std::vector<int> answers = {
        ConfirmPopup("Reset", "Reset the module?"),
        GenericMessagePopup("Error", "text", "Ignore", "Demo", nullptr, nullptr, 0, 0, 1, 1, 2),
        ConfirmPopup("Again", "?"),                                         // unscripted: no
        GenericMessagePopup("G", "t", "A", "", "", nullptr, 0, 0, 1, 1, 2), // unscripted: Esc
        MessagePopup("API Error", "setting IN1 coupling"),
        saveFile(path),
        saveFile(none)};
    EXPECT_EQ(answers, (std::vector<int>{1, 2, 0, 2, 0, VAL_NEW_FILE_SELECTED, VAL_NO_FILE_SELECTED}));
    EXPECT_STREQ(path, "/tmp/data.csv");
    // The fields of a record are pinned by the tests that read them; here what
    // tells an unscripted popup from a scripted one.
    std::string recorded;
    for (const uitest::PopupRecord &r : uitest::Popups())
        recorded += r.kind + ":" + r.title + (r.scripted ? "* " : " ");
    EXPECT_EQ(recorded, "confirm:Reset* generic:Error* confirm:Again generic:G message:API Error ");
    // Launching is recorded, but a program that cannot be found is refused, seam or not.
    EXPECT_EQ(LaunchExecutable("no-such-program-uct", nullptr, 0), UIE_PROGRAM_NOT_FOUND);
}

// Presses a key in the real modal popup as soon as it is up.
static void pressInPopup(Qt::Key key)
{
    QTimer::singleShot(0, [key] {
        QWidget *popup = QApplication::activeModalWidget();
        ASSERT_NE(popup, nullptr);
        QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, key);
    });
}

TEST(RealPopups, EnterAndEscChooseTheirButtons)
{
    const std::tuple<Qt::Key, bool, int> cases[] = {{Qt::Key_Return, false, 1},
                                                    {Qt::Key_Escape, false, 2},
                                                    {Qt::Key_Return, true, 1},
                                                    {Qt::Key_Escape, true, 0}};
    for (const auto &[key, confirm, answer] : cases) {
        pressInPopup(key);
        EXPECT_EQ(confirm ? ConfirmPopup("C", "?")
                          : GenericMessagePopup("E", "?", "Ignore", "Demo", nullptr, nullptr, 0, 0, 1, 1, 2),
                  answer);
    }
}

TEST_F(Popups, ReturningFromAPopupIsNotGettingTheFocus)
{
    uitest::Deactivate(); // real popups
    display(panel);
    ASSERT_EQ(raised, events(0, {EVENT_GOT_FOCUS})); // first display
    raised.clear();
    pressInPopup(Qt::Key_Return);
    MessagePopup("API Error", "reading aperture setting");
    uitest::PanelWidget(panel)->activateWindow(); // the window system hands the focus back
    ProcessSystemEvents();
    EXPECT_TRUE(raised.empty());
    display(load(FX_PLAIN)); // a real activation still counts
    display(panel);
    EXPECT_EQ(raised, events(0, {EVENT_GOT_FOCUS}));
}

// A real timer is due every millisecond while a real popup is up, opened from
// a callback (a click) or from outside any: no tick runs until the popup is
// gone, and the ticks missed meanwhile are dropped. Every popup and the file
// dialog run under the same rule.
TEST_F(Popups, NoTimerTickWhileACallbackOrAPopupRuns)
{
    uitest::Deactivate(); // real popups
    char path[MAX_PATHNAME_LEN];
    // A callback that processes events while the timer is due, no popup up.
    onNextCallback = [this] { tick(); };
    QTest::mouseClick(widget(FX_CMD), Qt::LeftButton);
    EXPECT_EQ(raised, events(FX_CMD, {EVENT_COMMIT}));
    for (bool fromCallback : {true, false}) { // a message from a callback, the file dialog from outside
        const std::function<void()> show = [&] {
            fromCallback ? MessagePopup("Error", "?") : saveFile(path);
        };
        raised.clear();
        timer()->start(1);
        QTimer::singleShot(40, [] { static_cast<QDialog *>(QApplication::activeModalWidget())->reject(); });
        onNextCallback = fromCallback ? show : nullptr;
        fromCallback ? QTest::mouseClick(widget(FX_CMD), Qt::LeftButton) : show();
        timer()->stop();
        ProcessSystemEvents(); // nothing missed comes late
        EXPECT_EQ(raised, fromCallback ? events(FX_CMD, {EVENT_COMMIT}) : std::vector<Raised>{})
            << fromCallback;
        tick(); // and the timer still ticks
        EXPECT_FALSE(raised.empty() || raised.back().event != EVENT_TIMER_TICK) << fromCallback;
    }
}

// A press on a spin arrow whose step shows a real popup (a module that no
// longer answers): the release goes to the popup, yet the press ends there;
// one press, one step, one popup.
TEST_F(Popups, APopupEndsThePressInProgress)
{
    uitest::Deactivate(); // real popups
    display(panel);
    QWidget *spin = widget(FX_INT);
    // Without the focus nothing but the popup can end the press (under X11 the
    // focus can stay on the panel while the popup comes up).
    spin->setFocusPolicy(Qt::NoFocus);
    spin->clearFocus();
    int popups = 0;
    std::function<void()> failingStep = [&] {
        if (++popups > 3) // a fault repeats for ever: bound it
            return;
        QTimer::singleShot(0, [] {
            QWidget *popup = QApplication::activeModalWidget();
            QTest::mouseRelease(popup, Qt::LeftButton); // the release the user made meanwhile
            static_cast<QDialog *>(popup)->reject();
        });
        MessagePopup("API Error", "setting aperture");
    };
    raised.clear();
    onNextCallback = [&] { onNextCallback = failingStep; };                    // value changed, then commit
    QTest::mousePress(spin, Qt::LeftButton, {}, QPoint(spin->width() - 6, 5)); // the up arrow
    // The arrow's auto-repeat, due at once: it steps only while the press is held.
    for (const auto &t : QAbstractEventDispatcher::instance()->registeredTimers(spin)) {
        QTimerEvent repeat(t.timerId);
        QCoreApplication::sendEvent(spin, &repeat);
    }
    EXPECT_EQ(raised, events(FX_INT, {EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(value(FX_INT), 6);
}

// The real file dialog with a path longer than the caller's buffer: the path
// is never cut, and a real message says it is too long.
TEST(RealFileDialog, APathTooLongForTheBufferIsSaidNeverCut)
{
    std::string typed = "/tmp"; // folders that do not exist, each name within the system's limit
    while (typed.size() < 5000)
        typed += "/" + std::string(200, 'd');
    typed += "/data.csv";
    std::string said;
    // Answers whichever real popup is up: the dialog, then the message after it.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name->setText(QString::fromStdString(typed));
            QTest::keyClick(name, Qt::Key_Return);
        } else if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            said = (box->windowTitle() + "|" + box->text()).toStdString();
            QTest::keyClick(box, Qt::Key_Return);
            answer.stop();
        }
    });
    answer.start(10);
    char path[MAX_PATHNAME_LEN] = "unset";
    EXPECT_EQ(saveFile(path), VAL_NO_FILE_SELECTED);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(said, "File Select|The chosen path is too long (" + std::to_string(typed.size()) +
                        " bytes; at most 4095 can be used):\n" + typed);
}
