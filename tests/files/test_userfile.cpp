// SPDX-License-Identifier: GPL-3.0-or-later
// Files named by the user: only regular files open, nothing blocks, and
// every refusal says why.
#include "userfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

TEST(OpenUserFile, OpensRegularFilesOnlyAndSaysWhy)
{
    const std::string dir = testing::TempDir() + "userfile", file = dir + "/data.csv", fifo = dir + "/pipe",
                      loop = dir + "/loop";
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(std::filesystem::create_directory(dir));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    // path, mode, reason ("" when it opens)
    const std::tuple<std::string, const char *, std::string> cases[] = {
        {file, "a", ""},
        {file, "rb", ""},
        {dir + "/none.bin", "rb", dir + "/none.bin: there is no such file"},
        {dir + "/no/data.csv", "a", dir + "/no/data.csv: its folder does not exist"},
        {dir, "a", dir + ": a folder, not a file"},
        {fifo, "a", fifo + ": a FIFO (named pipe), not a regular file"},  // no reader: would block
        {fifo, "rb", fifo + ": a FIFO (named pipe), not a regular file"}, // no writer: would block
        {"/dev/zero", "rb", "/dev/zero: a device, not a regular file"},
        {loop, "rb", loop + ": the path runs in a loop of symbolic links"},
        {file + "/x", "rb", file + "/x: a part of the path is not a folder"},
        {std::string(5000, 'x'), "a", "the path of 5000 bytes is too long: the system takes at most 4095"},
        {"", "rb", ": no file was named"},
    };
    for (const auto &[path, mode, expected] : cases) {
        char reason[USER_FILE_REASON_SIZE] = "unset";
        FILE *opened = OpenUserFile(path.c_str(), mode, reason, sizeof reason);
        EXPECT_EQ(opened != nullptr, expected.empty()) << path.substr(0, 80) << " " << mode;
        EXPECT_EQ(reason, expected);
        if (opened) {
            EXPECT_EQ(std::fputs("x", opened) >= 0, mode[0] != 'r') << mode;
            std::fclose(opened);
        }
    }
    // The reason is cut to its buffer, never beyond.
    char small[8];
    EXPECT_EQ(OpenUserFile(fifo.c_str(), "rb", small, sizeof small), nullptr);
    EXPECT_EQ(std::string(small), fifo.substr(0, 7));
}
