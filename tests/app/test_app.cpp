// SPDX-License-Identifier: GPL-3.0-or-later
// The reporters, and the about panel and help.
#include "apptest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

// reportError always, checkError for any status but zero, in any mode.
TEST_F(AppTest, ReportErrorAndCheckError)
{
    const std::pair<ViStatus, const char *> cases[] = {
        {0, "Error code = 0 (0)"},
        {VI_ERROR_RSRC_NFOUND, "Error code = -1073807343 (BFFF0011)"},
        {VI_WARN_CONFIG_NLOADED, "Error code = 1073676407 (3FFF0077)"},
        {-1, "Error code = -1 (FFFFFFFF)"},
        {KQ3917E_ERROR_NOT_INSTALLED, "Error code = -1074003967 (BFFC0001)"}};
    ASSERT_GT(driverText(KQ3917E_ERROR_NOT_INSTALLED).size(), 80u) << "no text long enough to be cut";
    for (auto [status, code] : cases) {
        uitest::ClearPopups();
        demoMode = status < 0;
        reportError("VISA ERROR", "calling viOpenDefaultRM", status);
        checkError(status, "setting IN1 coupling");
        std::vector<std::string> shown{"VISA ERROR: Error while calling viOpenDefaultRM\n" +
                                       std::string(code) + "\nError Message = '" +
                                       driverText(status).substr(0, 80) + "'\n"};
        if (status != 0)
            shown.push_back("API Error: setting IN1 coupling: " + driverText(status));
        EXPECT_EQ(popupLines(true), shown);
    }
}

TEST_F(AppTest, SfpErrorPopupsAndAnswers)
{
    const std::string warning = "Soft Front Panel Warning: Function \"f\" returned the warning:\n\"" +
                                driverText(VI_WARN_CONFIG_NLOADED) + "\"\n";
    const std::string error =
        "Soft Front Panel Error: Function \"f\" returned the error:\n\"" + driverText(VI_ERROR_TMO) +
        "\"\nClick:\n  \"Ignore\" to return to the current panel\n  \"Close Panel\" to close "
        "the current panel\n  \"Demo\" to switch to the demo mode.";
    // Status, demoMode, answer (0: Esc), result, demoMode afterwards, popup.
    const std::tuple<ViStatus, int, int, int, int, std::string> cases[] = {
        {0, 0, 0, SFP_ERROR_CONTINUE, 0, ""},
        {VI_ERROR_TMO, 1, 0, SFP_ERROR_CONTINUE, 1, ""},
        {VI_WARN_CONFIG_NLOADED, 0, 0, SFP_ERROR_CONTINUE, 0, warning},
        {VI_ERROR_TMO, 0, 1, SFP_ERROR_CONTINUE, 0, error},
        {VI_ERROR_TMO, 0, 2, SFP_ERROR_CONTINUE, 1, error},
        {VI_ERROR_TMO, 0, 3, SFP_ERROR_CLOSE_PANEL, 0, error},
        {VI_ERROR_TMO, 0, 0, SFP_ERROR_CONTINUE, 1, error},
    };
    for (const auto &[status, demo, answer, result, demoAfter, shown] : cases) {
        SCOPED_TRACE(::testing::Message() << status << " demo " << demo << " answer " << answer);
        SetUp();
        demoMode = demo;
        instrSession = 4242;
        uitest::ScriptPopupAnswers(answer ? std::vector{answer} : std::vector<int>{});
        EXPECT_EQ(reportSfpError(status, "f"), result);
        EXPECT_EQ(demoMode, demoAfter);
        EXPECT_EQ(popupLines(true), shown.empty() ? std::vector<std::string>{} : std::vector{shown});
        // The error offers Ignore (Enter), Demo (Esc) and Close Panel.
        for (const uitest::PopupRecord &p : uitest::Popups())
            if (p.title == "Soft Front Panel Error") {
                EXPECT_EQ(std::make_tuple(p.kind, p.buttons, p.enterButton, p.escapeButton),
                          std::make_tuple("generic",
                                          std::vector<std::string>{"Ignore", "Demo", "Close Panel"}, 1, 2));
            }
        // Switching to the demonstration simulates and resets the same session.
        EXPECT_EQ(callsTo({"kq3917e_simulate", "kq3917e_reset"}),
                  demoAfter && !demo ? "kq3917e_simulate(0,1) kq3917e_reset(4242,) " : "");
    }
}

// The same through the real popup: its buttons, Esc switches to the
// demonstration, Enter ignores.
TEST_F(AppTest, SfpErrorRealPopupKeys)
{
    uitest::Deactivate();
    for (const auto &[key, demoAfter] : {std::pair{Qt::Key_Return, 0}, std::pair{Qt::Key_Escape, 1}}) {
        demoMode = 0;
        std::string labels;
        QTimer::singleShot(0, [key, &labels] {
            QWidget *popup = QApplication::activeModalWidget();
            ASSERT_NE(popup, nullptr);
            for (const QPushButton *button : popup->findChildren<QPushButton *>())
                labels += button->text().toStdString() + ",";
            QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, key);
        });
        EXPECT_EQ(reportSfpError(VI_ERROR_TMO, "kq3917e_resetCounter"), SFP_ERROR_CONTINUE);
        EXPECT_EQ(labels, "Ignore,Demo,Close Panel,");
        EXPECT_EQ(demoMode, demoAfter) << key;
    }
    uitest::Activate();
}

TEST_F(AppTest, HelpAndWebOpenWhatExistsAsOneArgument)
{
    // A blank and a quote in the working folder's name; an opener of our own.
    QTemporaryDir home;
    const QString work = home.filePath("my work's dir"), savedDir = QDir::currentPath();
    const std::string help = work.toStdString() + "/" HELP_FILE_NAME, savedPath = getenv("PATH");
    ASSERT_TRUE(QDir().mkpath(work) && QFile::link("/bin/true", work + "/xdg-open"));
    QDir::setCurrent(work);
    setenv("PATH", work.toStdString().c_str(), 1);
    // No help file yet: the manual, found as an installation would place it.
    const std::string manual =
        QDir(QCoreApplication::applicationDirPath() + "/../share/uct-sfp/" MANUAL_FILE_NAME)
            .canonicalPath()
            .toStdString();
    ASSERT_FALSE(manual.empty()) << "the build folder lacks the manual";
    openHelpFile();
    QFile(QString::fromStdString(help)).open(QIODevice::WriteOnly);
    openHelpFile();
    uitest::CallCtrlCallback(LoadPanel(0, RESOURCE_FILE, ABOUT), ABOUT_WEB, EVENT_COMMIT);
    EXPECT_EQ(uitest::LaunchedCommands(),
              (std::vector<std::vector<std::string>>{
                  {"xdg-open", manual}, {"xdg-open", help}, {"xdg-open", MAKER_WEB_ADDRESS}}));
    EXPECT_TRUE(uitest::Popups().empty());
    setenv("PATH", savedPath.c_str(), 1);
    QDir::setCurrent(savedDir);
}

// The about panel may be open more than once: Close closes the pressed copy,
// on commit only. The version panel's Close brings the main panel back.
TEST_F(AppTest, InformationPanelsClose)
{
    int loaded = uitest::LoadedPanelCount();
    mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
    int first = LoadPanel(0, RESOURCE_FILE, ABOUT), second = aboutPanel = LoadPanel(0, RESOURCE_FILE, ABOUT);
    int version = LoadPanel(0, RESOURCE_FILE, VERSION);
    for (int event : {EVENT_LEFT_CLICK, EVENT_COMMIT}) {
        uitest::CallCtrlCallback(first, ABOUT_CLOSE, event);
        uitest::CallCtrlCallback(version, VERSION_CLOSE, event);
        EXPECT_EQ(uitest::LoadedPanelCount(), loaded + (event == EVENT_COMMIT ? 2 : 4));
    }
    EXPECT_EQ(aboutPanel, second);
    EXPECT_TRUE(uitest::PanelWidget(mainPanel)->isVisible());
    uitest::CallCtrlCallback(second, ABOUT_CLOSE, EVENT_COMMIT);
    EXPECT_EQ(aboutPanel, 0);
}
