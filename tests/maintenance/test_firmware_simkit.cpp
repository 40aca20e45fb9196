// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware transfer over the simulated PXI system: the stand-in VISA and
// driver libraries are found on the library path.
#include "maintenancetest.h"
#include "standin.h"
#include "visa_testseam.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <dlfcn.h>
#include <fstream>
#include <tuple>
#include <unistd.h>

namespace
{

// An image file of `size` bytes in a path of this process (ctest runs the
// cases side by side): byte i is `fill`, or (7 i + 3) mod 256 when fill is
// negative; zeros make a sparse file.
std::string imageFile(const std::string &name, long size, int fill = -1)
{
    const std::string path = testing::TempDir() + std::to_string(getpid()) + "_" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (long i = 0; fill != 0 && i < size; i++)
        out.put(static_cast<char>(fill < 0 ? (7 * i + 3) & 0xFF : fill));
    out.close();
    EXPECT_EQ(truncate(path.c_str(), size), 0);
    return path;
}

// Counts the paints of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class FirmwareTest : public MaintenanceTest
{
  protected:
    std::vector<double> progress; // the distinct successive values at the polls and at the end

    // The model behind the session, inside the stand-in VISA library.
    static uctsim::Module &model()
    {
        void *visa = dlopen(visatest::LoadedLibrary(), RTLD_NOW | RTLD_NOLOAD);
        auto instrument =
            reinterpret_cast<simkit::Instrument *(*)(ViSession)>(dlsym(visa, "simkit_Instrument"));
        dlclose(visa);
        return instrument(instrSession)->model;
    }

    // Chooses `path` in the firmware dialog, answers the confirmation and
    // presses FIRMWARE UPDATE; the file grows to `grow` bytes at the first
    // poll. Gives the message popups, the polls and what went wrong on the way.
    auto runFirmwareUpdate(const std::string &path, int dialog = VAL_EXISTING_FILE_SELECTED, int answer = 1,
                           long grow = 0)
    {
        QWidget *bar = uitest::ControlWidget(configSysPanel, CONFIGSYS_PROGRESS);
        PaintCounter counter;
        bar->installEventFilter(&counter);
        int polls = 0, paintsBefore = 0;
        std::string wrong;
        progress.clear();
        uitest::SetDelayHook([&](double seconds) {
            const QCursor *cursor = QApplication::overrideCursor();
            wrong += seconds != 0.5 ? "poll interval; " : "";
            wrong += bar->isHidden() || !cursor || cursor->shape() != Qt::WaitCursor ? "not waiting; " : "";
            // At every poll the progress is marked for repainting; by the next
            // one it must have been painted.
            wrong += polls > 0 && counter.paints == paintsBefore ? "unpainted; " : "";
            paintsBefore = counter.paints;
            bar->update();
            progress.push_back(value<double>(configSysPanel, CONFIGSYS_PROGRESS));
            if (polls++ == 0) {
                EXPECT_TRUE(grow == 0 || truncate(path.c_str(), grow) == 0);
                // A click that arrives during the transfer must not run then.
                QTimer::singleShot(0, [&] {
                    QTest::mouseClick(uitest::ControlWidget(configSysPanel, CONFIGSYS_SELF_TEST),
                                      Qt::LeftButton);
                    wrong += popups("Counter Test Result").empty() ? "" : "click ran; ";
                });
            }
        });
        uitest::ScriptFileDialog(dialog, path);
        uitest::ScriptPopupAnswers({answer});
        press(CONFIGSYS_FIRMWARE);
        uitest::SetDelayHook(nullptr);
        progress.push_back(value<double>(configSysPanel, CONFIGSYS_PROGRESS));
        progress.erase(std::unique(progress.begin(), progress.end()), progress.end());
        // Afterwards the progress is hidden, the cursor back.
        wrong += bar->isHidden() && !QApplication::overrideCursor() ? "" : "not cleaned up";
        return std::tuple{popups("message"), polls, wrong};
    }
};

// The simulated module checks each block (byte count, sequence, checksum) and
// refuses a wrong one: a transfer without a message went out whole.
TEST_F(FirmwareTest, TransfersEndAsTheModuleAnswers)
{
    const std::string response = "Error reading command response from UCT",
                      command = "Error sending update firmware command to UCT";
    const std::string grew =
        "The file grew past the largest image (65535 blocks of 1024 bytes, 67107840 bytes) "
        "while it was sent: its first 1024 bytes were sent, the rest was not.";
    // size, fill byte (-1: a pattern, 0: sparse), module switches, its busy
    // word, size the file grows to at the first poll -> message, polls,
    // progress (empty: not checked)
    const std::tuple<long, int, std::string, ViUInt16, long, std::string, int, std::vector<double>> rows[] = {
        {2049, -1, "", 1, 0, "", 6, {0, 49.9, 99.9}}, // 99.95 is cut to one decimal: not yet 100
        {1024, 0xFF, "", 1, 0, "", 2, {0, 100}},      // checksum 0xFC00
        // Three blocks; block 1 fails, or the module answers late.
        {3000, -1, "mailboxfail=data:1", 1, 0, "Error writing data to UCT", 2, {}},
        {3000, -1, "mailboxfail=number:1", 1, 0, "Error writing block number to UCT", 2, {}},
        {3000, -1, "mailboxfail=command:1", 1, 0, command, 2, {}},
        {3000, -1, "mailboxfail=response:1", 1, 0, response, 3, {}},
        {3000, -1, "refuseblock=1:5,mailboxfail=code:1", 1, 0, response, 4, {}},
        {3000, -1, "refuseblock=1:5", 1, 0, "Firmware update: block refused by module (code 5).", 4, {}},
        {3000, -1, "latency=59", 1, 0, "", 60 + 60 + 60, {}}, // accepted at the 60th poll
        {3000, -1, "latency=60", 1, 0, "Timeout waiting for UCT response", 60, {}},
        // Neither busy, accepted nor refused: the poll goes on.
        {3000, -1, "latency=2", 0x0000, 0, "", 3 + 3 + 3, {}},
        {3000, -1, "latency=2", 0x8001, 0, "", 3 + 3 + 3, {}},
        // The largest image is sent; a file that grows past it stops.
        {67107840, 0, "mailboxfail=command:0", 1, 0, command, 0, {0}},
        {3000, -1, "", 1, 67107841, grew, 2, {0, 34.1}},
    };
    for (const auto &[size, fill, switches, busy, grow, message, polls, shown] : rows) {
        SCOPED_TRACE(std::to_string(size) + " " + switches + " " + std::to_string(busy));
        openModule(switches.empty() ? "" : "," + switches);
        model().setBusyResponse(busy);
        const std::string path = imageFile("image.bin", size, fill);
        EXPECT_EQ(runFirmwareUpdate(path, VAL_EXISTING_FILE_SELECTED, 1, grow),
                  std::make_tuple(message.empty() ? "" : "Firmware Update: " + message, polls, ""));
        EXPECT_TRUE(shown.empty() || progress == shown) << testing::PrintToString(progress);
        std::remove(path.c_str());
    }
}

TEST_F(FirmwareTest, NothingIsSentWithoutAFileAModuleAndTheUsersYes)
{
    // big: one byte beyond 65,535 full blocks
    const std::string image = imageFile("image.bin", 3000), big = imageFile("big.bin", 67107841L, 0);
    SetCtrlVal(mainPanel, MAIN_SLOT, "5");
    // path, dialog result, answer to the confirmation, demonstration mode -> message
    const std::tuple<std::string, int, int, int, std::string> rows[] = {
        {image, VAL_NO_FILE_SELECTED, 1, 0, ""},
        {big, VAL_EXISTING_FILE_SELECTED, 1, 0,
         "The file is too large for the module: an image has at most 65535 blocks of 1024 bytes "
         "(67107840 bytes). Nothing was sent."},
        // Not even a file is asked for.
        {image, VAL_EXISTING_FILE_SELECTED, 1, 1,
         "A firmware update needs a module: in demonstration mode there is none to send an image to. "
         "Nothing was sent."},
        {image, VAL_EXISTING_FILE_SELECTED, 0, 0, ""}, // last: its confirmation is checked below
    };
    for (const auto &[path, dialog, answer, demo, message] : rows) {
        SCOPED_TRACE(path + " " + std::to_string(dialog));
        openModule();
        demonstration(demo);
        EXPECT_EQ(runFirmwareUpdate(path, dialog, answer),
                  std::make_tuple(message.empty() ? "" : "Firmware Update: " + message, 0, ""));
        EXPECT_EQ(uitest::FileDialogs().size(), demo ? 0u : 1u);
    }
    EXPECT_EQ(popups("confirm"),
              "Firmware Update: Replace the firmware of the module in slot 5?\n\nFile: " + image +
                  "\nSize: 3000 bytes, 3 blocks of 1024 bytes\n\nThe module's firmware will be "
                  "replaced by this image.");
    std::remove(big.c_str());
}

} // namespace
