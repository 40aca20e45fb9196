// SPDX-License-Identifier: GPL-3.0-or-later
// Firmware image limits over the simulated PXI system: the largest image is
// accepted and one byte more refused (sparse files, nothing written), a file
// that grows past it stops, and the progress reads 100 only once all is sent.
#include "maintenancetest.h"

#include <cstdio>
#include <tuple>
#include <unistd.h>

namespace
{

TEST_F(MaintenanceTest, FirmwareLimitsAndProgress)
{
    const std::string tooLarge = "The file is too large for the module: an image has at most 65535 blocks of "
                                 "1024 bytes (67107840 bytes). Nothing was sent.",
                      grew =
                          "The file grew past the largest image (65535 blocks of 1024 bytes, 67107840 bytes) "
                          "while it was sent: its first 1024 bytes were sent, the rest was not.";
    // size, module switches, size the file grows to at the first wait (0: none),
    // message, progress at each wait and at the end
    const std::tuple<long, const char *, long, std::string, std::vector<double>> cases[] = {
        {67107840, ",mailboxfail=command:0", 0, "Error sending update firmware command to UCT", {0}},
        {67107841, ",mailboxfail=command:0", 0, tooLarge, {0}},
        {3000, ",latency=0", 67107841, grew, {0, 34.1}},
        {2049, ",latency=0", 0, "", {0, 49.9, 99.9, 99.9}}, // 99.95 % is not yet 100
        {2048, ",latency=0", 0, "", {0, 50, 100}},
    };
    int chassis = 0;
    for (const auto &[size, switches, grown, message, seen] : cases) {
        SCOPED_TRACE(size);
        const std::string module = "PXI0::7-0.0::INSTR,seed=" + std::to_string(++chassis) + switches;
        setenv("UCT_SIMKIT_CHASSIS", module.c_str(), 1);
        drvtest::ReloadDriverLibrary();
        ASSERT_EQ(kq3917e_simulate(0), 0);
        ASSERT_EQ(kq3917e_init(const_cast<char *>("PXI0::7-0.0::INSTR"), 1, 0, &instrSession), 0);
        uitest::ClearPopups();
        const std::string path = imageFile("image.bin", 0);
        ASSERT_EQ(truncate(path.c_str(), size), 0);
        std::vector<double> progress;
        uitest::SetDelayHook([&](double) {
            progress.push_back(value<double>(CONFIGSYS_PROGRESS));
            EXPECT_EQ(grown == 0 || truncate(path.c_str(), grown) == 0, true);
        });
        uitest::ScriptFileDialog(VAL_EXISTING_FILE_SELECTED, path);
        if (message != tooLarge) {
            uitest::ScriptPopupAnswers({1}); // yes to the confirmation
        }
        EXPECT_EQ(press(CONFIGSYS_FIRMWARE), 0);
        uitest::SetDelayHook(nullptr);
        progress.push_back(value<double>(CONFIGSYS_PROGRESS));
        std::string messages;
        for (const uitest::PopupRecord &popup : uitest::Popups()) {
            if (popup.kind != "confirm") {
                messages += popup.title + ": " + popup.text;
            }
        }
        EXPECT_EQ(messages, message.empty() ? "" : "Firmware Update: " + message);
        EXPECT_EQ(progress, seen);
        std::remove(path.c_str());
    }
}

} // namespace
