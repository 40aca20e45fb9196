// SPDX-License-Identifier: GPL-3.0-or-later
// About, help, web site and quit.
#include "apptest.h"

#include <uctpanels.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdlib>
#include <unistd.h>

namespace
{

class AboutTest : public AppTest
{
  protected:
    void SetUp() override
    {
        AppTest::SetUp();
        registerOtherLayerStubs();
        savedPath = getenv("PATH") ? getenv("PATH") : "";
        savedDir = QDir::currentPath();
        ASSERT_TRUE(home.isValid());
    }
    void TearDown() override
    {
        setenv("PATH", savedPath.c_str(), 1);
        QDir::setCurrent(savedDir);
        AppTest::TearDown();
    }
    // A stand-in desktop opener, found through PATH; the seam never runs it.
    void provideOpener()
    {
        QString bin = home.filePath("bin");
        QDir().mkpath(bin);
        QFile opener(bin + "/xdg-open");
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\nexit 0\n");
        opener.close();
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        setenv("PATH", (bin.toStdString() + ":" + savedPath).c_str(), 1);
    }
    void hidePrograms() { setenv("PATH", home.filePath("empty").toStdString().c_str(), 1); }
    // Working folder with a blank and a quote in its name: still one argument.
    std::string enterWorkFolder(bool withHelpFile)
    {
        QString work = home.filePath("my work's dir");
        QDir().mkpath(work);
        if (withHelpFile) {
            QFile help(work + "/" HELP_FILE_NAME);
            EXPECT_TRUE(help.open(QIODevice::WriteOnly));
        }
        QDir::setCurrent(work);
        return work.toStdString();
    }
    int pressed(int panel, int control) { return uitest::CallCtrlCallback(panel, control, EVENT_COMMIT); }

    QTemporaryDir home;
    std::string savedPath;
    QString savedDir;
};

TEST_F(AboutTest, HelpOpensTheFileInTheWorkingFolderAsOneArgument)
{
    provideOpener();
    std::string work = enterWorkFolder(true);
    openHelpFile();
    ASSERT_EQ(uitest::LaunchedCommands().size(), 1u);
    EXPECT_EQ(uitest::LaunchedCommands()[0],
              (std::vector<std::string>{"xdg-open", work + "/" HELP_FILE_NAME}));
    EXPECT_TRUE(uitest::Popups().empty());
}

TEST_F(AboutTest, HelpOrWebWithoutTheirPrerequisitesDoNothingVisible)
{
    struct Case {
        const char *name;
        bool opener;
        bool helpFile;
        void (*action)();
    };
    const Case cases[] = {
        {"help file missing", true, false, openHelpFile},
        {"no opener for help", false, true, openHelpFile},
        {"no browser", false, false, openWebSite},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        uitest::Activate();
        setenv("PATH", savedPath.c_str(), 1);
        if (c.opener)
            provideOpener();
        else
            hidePrograms();
        enterWorkFolder(c.helpFile);
        c.action();
        EXPECT_TRUE(uitest::Popups().empty());
        EXPECT_TRUE(uitest::LaunchedCommands().empty());
        EXPECT_TRUE(drvtest::Calls().empty());
    }
}

TEST_F(AboutTest, WebButtonOpensTheMakersSite)
{
    provideOpener();
    int about = LoadPanel(0, RESOURCE_FILE, ABOUT);
    ASSERT_GT(about, 0);
    aboutPanel = about;
    pressed(about, ABOUT_WEB);
    ASSERT_EQ(uitest::LaunchedCommands().size(), 1u);
    EXPECT_EQ(uitest::LaunchedCommands()[0], (std::vector<std::string>{"xdg-open", MAKER_WEB_ADDRESS}));
    EXPECT_EQ(aboutPanel, about);
    DiscardPanel(about);
}

TEST_F(AboutTest, CloseClosesThePressedCopyAndForgetsOnlyTheTrackedOne)
{
    int first = LoadPanel(0, RESOURCE_FILE, ABOUT);
    int second = LoadPanel(0, RESOURCE_FILE, ABOUT);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    aboutPanel = second;

    pressed(first, ABOUT_CLOSE);
    EXPECT_EQ(uitest::PanelWidget(first), nullptr);
    EXPECT_NE(uitest::PanelWidget(second), nullptr);
    EXPECT_EQ(aboutPanel, second);

    pressed(second, ABOUT_CLOSE);
    EXPECT_EQ(uitest::PanelWidget(second), nullptr);
    EXPECT_EQ(aboutPanel, 0);
}

TEST_F(AboutTest, OnlyCommitActs)
{
    provideOpener();
    int about = LoadPanel(0, RESOURCE_FILE, ABOUT);
    int version = LoadPanel(0, RESOURCE_FILE, VERSION);
    aboutPanel = about;
    const int events[] = {EVENT_VAL_CHANGED, EVENT_LEFT_CLICK, EVENT_GOT_FOCUS, EVENT_TIMER_TICK};
    for (int event : events) {
        SCOPED_TRACE(event);
        uitest::CallCtrlCallback(about, ABOUT_CLOSE, event);
        uitest::CallCtrlCallback(about, ABOUT_WEB, event);
        uitest::CallCtrlCallback(version, VERSION_CLOSE, event);
    }
    EXPECT_NE(uitest::PanelWidget(about), nullptr);
    EXPECT_NE(uitest::PanelWidget(version), nullptr);
    EXPECT_EQ(aboutPanel, about);
    EXPECT_TRUE(uitest::LaunchedCommands().empty());
    DiscardPanel(about);
    DiscardPanel(version);
}

TEST_F(AboutTest, VersionCloseDiscardsThatCopyAndBringsMainBack)
{
    mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
    ASSERT_GT(mainPanel, 0);
    int version = LoadPanel(0, RESOURCE_FILE, VERSION);
    int other = LoadPanel(0, RESOURCE_FILE, VERSION);
    DisplayPanel(version);
    pressed(version, VERSION_CLOSE);
    EXPECT_EQ(uitest::PanelWidget(version), nullptr);
    EXPECT_NE(uitest::PanelWidget(other), nullptr);
    EXPECT_TRUE(uitest::PanelWidget(mainPanel)->isVisible());
    DiscardPanel(other);
    DiscardPanel(mainPanel);
}

TEST_F(AboutTest, QuitEndsTheLoopWithoutDriverCallsAndStopsTheTimer)
{
    mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
    ASSERT_GT(mainPanel, 0);
    DisplayPanel(mainPanel);
    drvtest::ClearCalls();
    runSoon([] { uitest::CallCtrlCallback(mainPanel, MAIN_QUIT, EVENT_COMMIT); });
    EXPECT_EQ(RunUserInterface(), 0);
    EXPECT_TRUE(drvtest::Calls().empty());
    EXPECT_TRUE(uitest::Popups().empty());
    int ticks = stubTimerTicks();
    uitest::TimerTick(mainPanel, MAIN_TIMER);
    EXPECT_EQ(stubTimerTicks(), ticks);
    ResumeTimerCallbacks();
    DiscardPanel(mainPanel);
}

} // namespace
