// SPDX-License-Identifier: GPL-3.0-or-later
// A program without its installed files: this test program lives away from
// the resource file and the manual and runs in a folder without them.
#include "apptest.h"

TEST_F(AppTest, AMissingPanelEndsStartUpWithItsLoadError)
{
    // Chassis, answer, popups; nothing can be chosen without the choice panel: no wait on it.
    for (const auto &[chassis, answer, titles] :
         {std::tuple{"PXI3::10::INSTR", 0,
                     std::vector<std::string>{"Module Init", "Error loading main panel"}},
          {"PXI3::10::INSTR;PXI4::12::INSTR", 1, {"Error loading choice panel"}}}) {
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
// the program, then the program's manual, each path one argument to the
// opener; what is missing is said, not hidden.
TEST_F(AppTest, HelpOpensTheFirstFileThatExistsOrSaysWhatIsMissing)
{
    QTemporaryDir home;
    const QDir program(QCoreApplication::applicationDirPath()), work(home.filePath("my work's dir"));
    const QString savedDir = QDir::currentPath();
    // In the order looked for.
    const QString files[] = {work.filePath(HELP_FILE_NAME), program.filePath(HELP_FILE_NAME),
                             program.filePath(MANUAL_FILE_NAME)};
    ASSERT_TRUE(QDir().mkpath(work.path()) && QDir().mkpath(program.filePath("manual")) &&
                QDir::setCurrent(work.path()));
    const std::string noOpener = "Help: The help cannot be shown: the program xdg-open, which opens\n",
                      notStarted = "\nwas not found or did not start.";
    // Files present (bit 2 - i for files[i]), opener on PATH, the file launched (-1: none), popup.
    const std::tuple<int, bool, int, std::string> cases[] = {
        {0b000, true, -1,
         "Help: No help is installed: neither the help file kq3917e.chm nor the user manual of "
         "this program was found."},
        {0b001, true, 2, ""},
        {0b011, true, 1, ""},
        {0b111, true, 0, ""},
        {0b100, false, -1, noOpener + files[0].toStdString() + notStarted},
        {0b001, false, -1, noOpener + files[2].toStdString() + notStarted},
    };
    for (const auto &[present, opener, launched, popup] : cases) {
        SCOPED_TRACE(::testing::Message() << "files " << present << " opener " << opener);
        SetUp();
        for (int i = 0; i < 3; ++i) {
            QFile::remove(files[i]);
            ASSERT_TRUE(!(present & (4 >> i)) || QFile(files[i]).open(QIODevice::WriteOnly));
        }
        if (!opener)
            qputenv("PATH", work.path().toLocal8Bit());
        openHelpFile();
        EXPECT_EQ(uitest::LaunchedCommands(),
                  std::vector<std::vector<std::string>>(
                      launched >= 0, {"xdg-open", files[std::max(launched, 0)].toStdString()}));
        EXPECT_EQ(popupLines(true), popup.empty() ? std::vector<std::string>{} : std::vector{popup});
    }
    // The manual is left from the last case; a path that does not fit is no path at all.
    char path[8] = "unset";
    EXPECT_TRUE(GetProgramFilePath(MANUAL_FILE_NAME, path, sizeof path) == UIE_BUFFER_TOO_SMALL && !*path);
    QDir(program.filePath("manual")).removeRecursively();
    QDir::setCurrent(savedDir);
}
