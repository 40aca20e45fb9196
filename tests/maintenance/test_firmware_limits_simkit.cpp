// SPDX-License-Identifier: GPL-3.0-or-later
// The limits of a firmware image over the simulated PXI system: the largest
// image is accepted and one byte more is refused (sparse files, nothing
// written), one that grows past it is stopped, and the progress reads 100
// only once the whole file is sent.
#include "maintenancetest.h"

#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <unistd.h>

namespace
{

// A module of a fresh chassis with the given switches, opened as start-up does.
void openModule(const std::string &switches)
{
    static int chassis = 0;
    setenv("UCT_SIMKIT_CHASSIS", ("PXI0::7-0.0::INSTR,seed=" + std::to_string(++chassis) + switches).c_str(),
           1);
    drvtest::ReloadDriverLibrary();
    ASSERT_EQ(kq3917e_simulate(0), 0);
    ASSERT_EQ(kq3917e_init(const_cast<char *>("PXI0::7-0.0::INSTR"), 1, 0, &instrSession), 0);
    uitest::ClearPopups();
}

// A file of size bytes that holds no data blocks on the disk.
std::string sparseFile(long size)
{
    const std::string path = imageFile("sparse.bin", 0);
    EXPECT_EQ(truncate(path.c_str(), size), 0);
    return path;
}

TEST_F(MaintenanceTest, LargestImageIsAcceptedOneByteMoreIsNot)
{
    // The module fails block 0's command, so an accepted image stops there.
    const std::pair<long, std::string> cases[] = {
        {67107840L, "Error sending update firmware command to UCT"},
        {67107841L, "The file is too large for the module: an image has at most 65535 blocks of 1024 bytes "
                    "(67107840 bytes). Nothing was sent."}};
    for (const auto &[size, message] : cases) {
        SCOPED_TRACE(size);
        openModule(",mailboxfail=command:0");
        const std::string path = sparseFile(size);
        const Transfer t = runFirmwareUpdate(path);
        EXPECT_EQ(popups(), "Firmware Update: " + message);
        EXPECT_TRUE(t.cleanedUp);
        std::remove(path.c_str());
    }
}

// A file that grows past the largest image while it is sent (here during
// block 0's wait) stops before the next block and says what was sent.
TEST_F(MaintenanceTest, FileGrownPastTheLargestImageStops)
{
    openModule(",latency=0");
    const std::string path = imageFile("growing.bin", 3000);
    uitest::SetDelayHook([&](double) { EXPECT_EQ(truncate(path.c_str(), 67107841L), 0); });
    uitest::ScriptFileDialog(VAL_EXISTING_FILE_SELECTED, path);
    EXPECT_EQ(press(CONFIGSYS_FIRMWARE), 0);
    uitest::SetDelayHook(nullptr);
    EXPECT_EQ(popups(),
              "Firmware Update: The file grew past the largest image (65535 blocks of 1024 bytes, "
              "67107840 bytes) while it was sent: its first 1024 bytes were sent, the rest was not.");
    const std::string calls = driverCalls();
    EXPECT_EQ(calls.find("write_command_and_data"), calls.rfind("write_command_and_data")) << calls;
    std::remove(path.c_str());
}

TEST_F(MaintenanceTest, ProgressReadsHundredOnlyWhenAllIsSent)
{
    // size, progress at each poll (the module answers at the first), at the end
    const std::tuple<long, std::vector<double>, double> cases[] = {
        {2049, {0, 49.9, 99.9}, 99.9}, // 99.95 % is not yet 100
        {2048, {0, 50}, 100},
        {1025, {0, 99.9}, 99.9},
    };
    for (const auto &[size, seen, last] : cases) {
        SCOPED_TRACE(size);
        openModule(",latency=0");
        const Transfer t = runFirmwareUpdate(imageFile("image.bin", size));
        EXPECT_EQ(popups(), "");
        ASSERT_EQ(t.progress.size(), seen.size());
        for (size_t i = 0; i < seen.size(); i++)
            EXPECT_NEAR(t.progress[i], seen[i], 1e-9) << i;
        EXPECT_NEAR(t.finalProgress, last, 1e-9);
    }
}

} // namespace
