// SPDX-License-Identifier: GPL-3.0-or-later
// A program without its installed files: this test program lives away from
// the resource file and the manual and runs in a folder without them.
#include "apptest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TEST_F(AppTest, AMissingPanelEndsStartUpWithItsLoadError)
{
    // Chassis, answer, popups.
    const std::tuple<const char *, int, std::vector<std::string>> cases[] = {
        {"PXI3::10::INSTR", 0, {"Module Init", "Error loading main panel"}},
        {"", 1, {"No ZORa 3917's Found", "Error loading main panel"}},
        // Nothing can be chosen without the choice panel: no wait on it.
        {"PXI3::10::INSTR;PXI4::12::INSTR", 1, {"Error loading choice panel"}},
    };
    for (const auto &[chassis, answer, titles] : cases) {
        setenv("UCT_SIMKIT_CHASSIS", chassis, 1);
        SetUp();
        uitest::ScriptPopupAnswers({answer});
        EXPECT_EQ(runSoftFrontPanel(), EXIT_STARTUP_FAILED);
        ASSERT_EQ(popupLines(false), titles);
        EXPECT_EQ(uitest::Popups().back().text,
                  "Error " + std::to_string(UIE_FILE_NOT_FOUND) + " returned from function LoadPanel(): " +
                      QDir::current().filePath(RESOURCE_FILE).toStdString() + ": there is no such file");
    }
}

// HELP takes the maker's help file from the working folder, then from beside
// the program, then the program's manual; what is missing is said, not hidden.
TEST_F(AppTest, HelpOpensTheFirstFileThatExistsOrSaysWhatIsMissing)
{
    QTemporaryDir work, tools;
    const QDir program(QCoreApplication::applicationDirPath());
    const QString savedDir = QDir::currentPath(), savedPath = qEnvironmentVariable("PATH");
    const std::string cwdHelp = work.filePath(HELP_FILE_NAME).toStdString(),
                      besideHelp = program.filePath(HELP_FILE_NAME).toStdString(),
                      manual = program.filePath(MANUAL_FILE_NAME).toStdString();
    ASSERT_TRUE(QFile::link("/bin/true", tools.filePath("xdg-open")));
    ASSERT_TRUE(QDir::setCurrent(work.path()));
    const std::string noHelp = "Help: No help is installed: neither the help file kq3917e.chm nor the user "
                               "manual of this program was found.";
    auto noOpener = [](const std::string &file) {
        return "Help: The help cannot be shown: the program xdg-open, which opens\n" + file +
               "\nwas not found or did not start.";
    };
    // Files present (working folder, beside, manual), opener on PATH, launched file or popup.
    const std::tuple<int, bool, std::string, std::string> cases[] = {
        {0b000, true, "", noHelp},
        {0b000, false, "", noHelp},
        {0b001, true, manual, ""},
        {0b011, true, besideHelp, ""},
        {0b111, true, cwdHelp, ""},
        {0b101, true, cwdHelp, ""},
        {0b001, false, "", noOpener(manual)},
        {0b100, false, "", noOpener(cwdHelp)},
    };
    for (const auto &[files, opener, launched, popup] : cases) {
        SCOPED_TRACE(::testing::Message() << "files " << files << " opener " << opener);
        SetUp();
        const std::pair<int, std::string> paths[] = {{0b100, cwdHelp}, {0b010, besideHelp}, {0b001, manual}};
        for (const auto &[bit, path] : paths) {
            QFile::remove(QString::fromStdString(path));
            if (files & bit) {
                QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
                ASSERT_TRUE(QFile(QString::fromStdString(path)).open(QIODevice::WriteOnly));
            }
        }
        qputenv("PATH", (opener ? tools.path() : work.path()).toLocal8Bit());
        openHelpFile();
        const std::vector<std::vector<std::string>> expected =
            launched.empty() ? std::vector<std::vector<std::string>>{}
                             : std::vector<std::vector<std::string>>{{"xdg-open", launched}};
        EXPECT_EQ(uitest::LaunchedCommands(), expected);
        EXPECT_EQ(popupLines(true), popup.empty() ? std::vector<std::string>{} : std::vector{popup});
    }
    ASSERT_TRUE(QFile(QString::fromStdString(manual)).open(QIODevice::WriteOnly));
    char path[8];
    EXPECT_EQ(GetProgramFilePath(MANUAL_FILE_NAME, path, sizeof path), UIE_BUFFER_TOO_SMALL);
    EXPECT_STREQ(path, "");
    QFile::remove(QString::fromStdString(besideHelp));
    QDir(program.filePath("manual")).removeRecursively();
    qputenv("PATH", savedPath.toLocal8Bit());
    QDir::setCurrent(savedDir);
}
