// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware transfer over the simulated PXI system: the stand-in VISA and
// driver libraries are found on the library path, the register accesses are
// read back from the simulated system's call log.
#include "maintenancetest.h"

#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <unistd.h>

namespace
{

class FirmwareTest : public MaintenanceTest
{
  protected:
    // Stands up a fresh chassis of one module with the given switches and
    // opens a driver session on it, as start-up does.
    void openModule(const std::string &switches = "")
    {
        static int chassisCount = 0;
        // A new description stands up fresh module models.
        const std::string chassis = "PXI0::7-0.0::INSTR,seed=" + std::to_string(++chassisCount) + switches;
        setenv("UCT_SIMKIT_CHASSIS", chassis.c_str(), 1);
        // A log of its own: the simulated system keeps a log open while its
        // name stays.
        log = privateTempPath("firmware_calls_" + std::to_string(chassisCount) + ".log");
        std::remove(log.c_str());
        drvtest::ReloadDriverLibrary();
        ASSERT_EQ(kq3917e_simulate(0), 0);
        ASSERT_EQ(kq3917e_init(const_cast<char *>("PXI0::7-0.0::INSTR"), 1, 0, &instrSession), 0);
        setenv("UCT_SIMKIT_LOG", log.c_str(), 1);
        ViInt32 timeout = 0; // opens the log before the transfer counts descriptors
        ASSERT_EQ(kq3917e_readSystTimeout(instrSession, &timeout), 0);
        drvtest::ClearCalls();
        uitest::ClearPopups();
    }

    void TearDown() override
    {
        unsetenv("UCT_SIMKIT_LOG");
        MaintenanceTest::TearDown();
    }

    // The mailbox traffic of the log: "w OFFSET=VALUE", "r OFFSET" (with
    // "!" when the access failed) and "cmd CHECKSUM".
    std::vector<std::string> traffic()
    {
        std::vector<std::string> lines;
        std::ifstream in(log);
        size_t command = 0;
        for (std::string line; std::getline(in, line);) {
            unsigned session = 0, space = 0, offset = 0, value = 0;
            const bool failed = line.substr(line.rfind("= ") + 2) != "0";
            if (std::sscanf(line.c_str(), "viOut16(%u,%u,0x%X,0x%X)", &session, &space, &offset, &value) ==
                4) {
                EXPECT_EQ(space, 11u);
                lines.push_back(hex("w ", offset) + hex("=", value) + (failed ? "!" : ""));
            } else if (std::sscanf(line.c_str(), "viIn16(%u,%u,0x%X)", &session, &space, &offset) == 3) {
                EXPECT_EQ(space, 11u);
                lines.push_back(hex("r ", offset) + (failed ? "!" : ""));
            } else if (line.rfind("kq3917e_write_command_and_data(", 0) == 0) {
                lines.push_back("cmd " + checksum(command++) + (failed ? "!" : ""));
            }
        }
        return lines;
    }

    static std::string hex(const char *prefix, unsigned value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%s%X", prefix, value);
        return text;
    }

    // The checksum of the n-th command, from the driver calls the program made.
    static std::string checksum(size_t n)
    {
        for (const drvtest::Call &call : drvtest::Calls()) {
            if (call.name == "kq3917e_write_command_and_data" && n-- == 0) {
                EXPECT_EQ(call.args.substr(0, 6), "61440,");
                return hex("", std::stoul(call.args.substr(6)));
            }
        }
        return "?";
    }

    std::string log;
};

std::string driverText(ViStatus status)
{
    char text[KQ3917E_MESSAGE_SIZE] = "";
    kq3917e_error_message(0, status, text);
    return text;
}

// The traffic of a correct transfer of an image made by imageFile(size,
// fill) whose blocks are each answered on the second poll.
std::vector<std::string> expectedTraffic(long size, int fill)
{
    std::vector<std::string> lines;
    char text[32];
    for (long block = 0; block * 1024 < size; block++) {
        const long count = std::min(1024L, size - block * 1024);
        unsigned sum = 0;
        for (long i = 0; i < count; i++) {
            const unsigned byte = fill < 0 ? (7 * (block * 1024 + i) + 3) & 0xFF : fill;
            sum += byte;
            lines.push_back((std::snprintf(text, sizeof text, "w %lX=%X", 0x100208 + 4 * i, byte), text));
        }
        lines.push_back((std::snprintf(text, sizeof text, "w 100200=%lX", block), text));
        lines.push_back((std::snprintf(text, sizeof text, "w 100204=%lX", count), text));
        lines.push_back((std::snprintf(text, sizeof text, "cmd %X", sum & 0xFFFF), text));
        lines.insert(lines.end(), 2, "r 100010");
    }
    return lines;
}

// The first difference of two traffic lists, or "" when they are equal.
std::string firstDifference(const std::vector<std::string> &got, const std::vector<std::string> &want)
{
    for (size_t i = 0; i < std::max(got.size(), want.size()); i++) {
        const std::string a = i < got.size() ? got[i] : "(end)", b = i < want.size() ? want[i] : "(end)";
        if (a != b) {
            return "at " + std::to_string(i) + ": got " + a + ", want " + b;
        }
    }
    return "";
}

TEST_F(FirmwareTest, ImagesGoOutBlockByBlockWithProgress)
{
    // size, fill byte (-1: a pattern), progress seen while polling (none: not
    // checked), progress at the end
    const std::tuple<long, int, std::vector<double>, double> cases[] = {
        {1, -1, {}, 0},
        {2048, -1, {}, 100},
        {2049, -1, {}, 99.9},  // 99.95 is cut to one decimal, not rounded
        {1024, 0xFF, {}, 100}, // checksum 0xFC00
        {4096, -1, {0, 25, 50, 75}, 100},
        {4000, -1, {0, 25.6, 51.2, 76.8}, 76.8}};
    for (const auto &[size, fill, seen, last] : cases) {
        SCOPED_TRACE(size);
        openModule();
        const Transfer t = runFirmwareUpdate(imageFile("image.bin", size, fill));
        EXPECT_EQ(firstDifference(traffic(), expectedTraffic(size, fill)), "");
        EXPECT_EQ(t.delays, 2 * (int)((size + 1023) / 1024));
        for (size_t i = 0; i < seen.size(); i++) {
            EXPECT_NEAR(i < t.progress.size() ? t.progress[i] : -1, seen[i], 1e-9) << i;
        }
        EXPECT_NEAR(t.finalProgress, last, 1e-9);
        EXPECT_EQ(std::make_tuple(t.messages, t.shownWaiting, t.clickRan, t.cleanedUp),
                  std::make_tuple("", true, false, true));
    }
    // The dialog as the transfer asks for it.
    const uitest::FileDialogRecord &dialog = uitest::FileDialogs().back();
    EXPECT_EQ(std::make_tuple(dialog.defaultDirectory, dialog.defaultFileSpec, dialog.title,
                              dialog.buttonLabel, dialog.allowMakeDirectory),
              std::make_tuple("", "*.bin", "", (int)VAL_LOAD_BUTTON, 0));
}

TEST_F(FirmwareTest, EachFailureStopsWithItsMessage)
{
    const std::string readError = "Error reading command response from UCT";
    struct Row {
        std::string switches;
        std::string message;
        const char *lastAccess; // the last mailbox access: the failing one
        int polls;
    };
    // Three blocks; block 1 fails, or the module answers block 0 late.
    const Row rows[] = {
        {"mailboxfail=data:1", "Error writing data to UCT", "w 100208=3!", 2},
        {"mailboxfail=number:1", "Error writing block number to UCT", "w 100200=1!", 2},
        {"mailboxfail=count:1", "Error writing block number to UCT", "w 100204=400!", 2},
        {"mailboxfail=command:1", "Error sending update firmware command to UCT", "cmd FE00!", 2},
        {"mailboxfail=response:1", readError, "r 100010!", 3},
        {"refuseblock=1:5,mailboxfail=code:1", readError, "r 100200!", 4},
        {"refuseblock=1:5", driverText((ViStatus)0xBFFC0805), "r 100200", 4},
        {"latency=58", "", "r 100010", 59 + 59 + 59},
        {"latency=59", "", "r 100010", 60 + 60 + 60}, // accepted at the 60th poll
        {"latency=60", "Timeout waiting for UCT response", "r 100010", 60},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.switches);
        openModule("," + row.switches);
        const Transfer t = runFirmwareUpdate(imageFile("image.bin", 3000));
        EXPECT_EQ(t.messages, row.message.empty() ? "" : "Firmware Update: " + row.message);
        const std::vector<std::string> sent = traffic();
        EXPECT_EQ(sent.empty() ? "" : sent.back(), row.lastAccess);
        EXPECT_EQ(std::make_tuple(t.delays, t.unpaintedPolls, t.cleanedUp),
                  std::make_tuple(row.polls, 0, true));
    }
}

TEST_F(FirmwareTest, NothingIsSentWithoutAFileToSend)
{
    const std::string big = imageFile("big.bin", 0);
    ASSERT_EQ(truncate(big.c_str(), 67107841L), 0); // one byte beyond 65,535 full blocks, sparse
    const std::string image = imageFile("image.bin", 10);
    // A stream with no length to find (as ftell gives for a file beyond 2 GiB
    // where long has 32 bits): a pipe whose bytes wait, the writer gone.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    ASSERT_EQ(write(pipeEnds[1], "0123456789", 10), 10);
    close(pipeEnds[1]);
    const std::string stream = "/proc/self/fd/" + std::to_string(pipeEnds[0]);
    const std::tuple<std::string, int, std::string> rows[] = {
        {image, VAL_NO_FILE_SELECTED, ""},
        {image, VAL_NEW_FILE_SELECTED, ""},
        {testing::TempDir() + "missing.bin", VAL_EXISTING_FILE_SELECTED,
         "Unable to open file\n" + testing::TempDir() + "missing.bin: there is no such file"},
        {imageFile("empty.bin", 0), VAL_EXISTING_FILE_SELECTED, "Load file failed"},
        {big, VAL_EXISTING_FILE_SELECTED,
         "The file is too large for the module: an image has at most 65535 blocks of 1024 bytes "
         "(67107840 bytes). Nothing was sent."},
        // Reads fail at once (nothing mapped at address 0).
        {"/proc/self/mem", VAL_EXISTING_FILE_SELECTED,
         "Error reading file: the image was not sent completely"},
        // Never opened: opening a pipe can wait for ever.
        {stream, VAL_EXISTING_FILE_SELECTED,
         "Unable to open file\n" + stream + ": a FIFO (named pipe), not a regular file"},
    };
    for (const auto &[path, dialog, message] : rows) {
        SCOPED_TRACE(path + " " + std::to_string(dialog));
        openModule();
        const Transfer t = runFirmwareUpdate(path, dialog);
        EXPECT_EQ(t.messages, message.empty() ? "" : "Firmware Update: " + message);
        EXPECT_EQ(std::make_tuple(traffic().size(), t.delays, t.cleanedUp), std::make_tuple(0u, 0, true));
    }
    std::remove(big.c_str());
    close(pipeEnds[0]);
}

TEST_F(FirmwareTest, DemonstrationModeSaysAtOnceThatAModuleIsNeeded)
{
    openModule();
    kq3917e_close(instrSession);
    instrSession = 0;
    demoMode = 1;
    ASSERT_EQ(kq3917e_simulate(1), 0);
    const size_t dialogs = uitest::FileDialogs().size();
    const Transfer t = runFirmwareUpdate(imageFile("image.bin", 10));
    EXPECT_EQ(popups(),
              "Firmware Update: A firmware update needs a module: in demonstration mode there is none "
              "to send an image to. Nothing was sent.");
    EXPECT_EQ(std::make_tuple(uitest::FileDialogs().size(), traffic().size(), t.cleanedUp),
              std::make_tuple(dialogs, 0u, true));
}

} // namespace
