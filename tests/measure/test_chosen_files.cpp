// SPDX-License-Identifier: GPL-3.0-or-later
// Files and panels that cannot be had: Save Data refuses what is no regular
// file and takes any path the system takes, and a button whose panel cannot
// be loaded says why instead of doing nothing.
#include "../panels/mainpaneltest.h"
#include "maintenance.h"

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{

using ChosenFiles = FileTest;

TEST_F(ChosenFiles, HistogramSaveTakesRegularFilesOnlyAndSaysWhy)
{
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    const std::string root = dir.path().toStdString(), fifo = root + "/pipe.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // 2000 bytes through real folders: more than the 1023 a path once could have.
    std::string deep = root;
    while (deep.size() < 1800) {
        deep += "/" + std::string(200, 'd');
        ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
    }
    deep += "/" + std::string(2000 - deep.size() - 1, 'f');
    const std::string refused = "File Open Error|Error opening file\n";
    const std::pair<std::string, std::string> cases[] = {
        {fifo, refused + fifo + ": a FIFO (named pipe), not a regular file"}, // once blocked for ever
        {root, refused + root + ": a folder, not a file"},
        {deep, ""},
    };
    for (const auto &[path, popup] : cases) {
        uitest::ClearPopups();
        uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, path);
        EXPECT_EQ(uitest::CallCtrlCallback(histogramPanel, HISTO_SAVE, EVENT_COMMIT), 0);
        EXPECT_EQ(popupTexts(), popup) << path.substr(0, 60);
    }
    EXPECT_EQ(readFile(deep, 5), "Data,");
}

// A regular file that cannot take the block (the disk is full, here the
// process's file size limit) is said, and the samples stay for another try.
TEST_F(ChosenFiles, AFileThatCannotTakeTheBlockIsSaid)
{
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit small{100, saved.rlim_max};
    signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, path("full.csv"));
    EXPECT_EQ(uitest::CallCtrlCallback(histogramPanel, HISTO_SAVE, EVENT_COMMIT), 0);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(popupTexts(), "File Write Error|Error writing file");
    EXPECT_EQ(histogramCount, 100);
}

TEST_F(ChosenFiles, AButtonWhosePanelCannotBeLoadedSaysWhy)
{
    registerMaintenanceCallbacks();
    ASSERT_EQ(press(MAIN_SYSTEM), 0);
    const std::string gone = dir.filePath("gone.uir").toStdString();
    setenv("UCT_SFP_RESOURCE_FILE", gone.c_str(), 1);
    const std::pair<int *, int> buttons[] = {{&mainPanel, MAIN_VERSION},
                                             {&mainPanel, MAIN_MATH},
                                             {&mainPanel, MAIN_HISTOGRAM},
                                             {&mainPanel, MAIN_STRIPCHART},
                                             {&mainPanel, MAIN_ABOUT},
                                             {&configSysPanel, CONFIGSYS_NVM},
                                             {&configSysPanel, CONFIGSYS_CALIBRATE}};
    for (const auto &[panel, button] : buttons) {
        uitest::ClearPopups();
        EXPECT_EQ(uitest::CallCtrlCallback(*panel, button, EVENT_COMMIT), -1) << button;
        EXPECT_EQ(popupTexts(), "Error loading panel|Error -2 returned from function LoadPanel(): " + gone +
                                    ": there is no such file")
            << button;
    }
    unsetenv("UCT_SFP_RESOURCE_FILE");
}

} // namespace
