// SPDX-License-Identifier: GPL-3.0-or-later
// MAIN and CONFIGSYS loaded from the resource file, seams on, the driver's
// simulated module answering while the program believes it has hardware
// (demoMode 0), driver calls recorded; helpers for refusals, scripted
// answers, image files and what a firmware transfer shows.
#pragma once

#include "app.h"
#include "kq3917e_testseam.h"
#include "mainpanel.h"
#include "maintenance.h"
#include "userint.h"
#include "userint_testseam.h"
#include <uctpanels.h>

#include <QApplication>
#include <QEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// The FTIC and NVM panels' own callbacks belong to the calibration layer;
// these stand in for them so that the panels load.
inline void registerCalibrationStandIns()
{
    auto control = [](int, int, int, void *, int, int) { return 0; };
    auto panel = [](int, int, void *, int, int) { return 0; };
    auto menu = [](int, int, void *, int) {};
    RegisterPanelCallback("kq3917cal_fticPanelCallback", panel);
    RegisterCtrlCallback("kq3917cal_fticCallback", control);
    RegisterMenuCallback("calFticMenuCallback", menu);
    RegisterPanelCallback("kq3917cal_nvmPanelCallback", panel);
    RegisterCtrlCallback("kq3917cal_nvmCallback", control);
    RegisterMenuCallback("nvmMenuCallback", menu);
}

class MaintenanceTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InitUIRuntime(0, nullptr), 1);
        registerAppCallbacks();
        registerMainPanelCallbacks();
        registerMeasureCallbacks();
        registerMaintenanceCallbacks();
    }

    void SetUp() override
    {
        uitest::Activate();
        drvtest::ResetDriver();
        kq3917e_simulate(1);
        demoMode = 0;
        instrSession = 1;
        resetMainPanelState();
        mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
        ASSERT_GT(mainPanel, 0);
        ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
        ASSERT_GT(configSysPanel, 0);
        drvtest::StartRecording();
    }

    void TearDown() override
    {
        drvtest::StopRecording();
        drvtest::ClearRefusals();
        for (int *panel : {&configSysPanel, &fticPanel, &nvmPanel, &mainPanel}) {
            if (*panel > 0) {
                DiscardPanel(*panel);
            }
            *panel = 0;
        }
        uitest::Deactivate();
        demoMode = 0;
    }

  public:
    static int press(int control, int event = EVENT_COMMIT)
    {
        return uitest::CallCtrlCallback(configSysPanel, control, event);
    }

    // A fresh start for the next action: the named operations return status
    // (none refused for 0), the popups are answered in order (0s skipped),
    // nothing recorded yet.
    static void refuse(const std::vector<std::string> &operations, ViStatus status,
                       const std::vector<int> &answers = {})
    {
        drvtest::ClearRefusals();
        for (const std::string &operation : operations) {
            if (status != 0) {
                drvtest::Refuse(operation, status);
            }
        }
        std::vector<int> script;
        for (int answer : answers) {
            if (answer != 0) {
                script.push_back(answer);
            }
        }
        uitest::ScriptPopupAnswers(script);
        uitest::ClearPopups();
        drvtest::ClearCalls();
    }

    // A value of a CONFIGSYS control, or with attribute one of its attributes.
    template <typename T> static T value(int control)
    {
        T v{};
        GetCtrlVal(configSysPanel, control, &v);
        return v;
    }
    static int attribute(int control, int attribute)
    {
        int v = 0;
        GetCtrlAttribute(configSysPanel, control, attribute, &v);
        return v;
    }
};

// The names of the driver operations recorded so far, prefix dropped, the
// reporters' message look-ups left out, joined by blanks.
inline std::string driverCalls()
{
    std::string text;
    for (const drvtest::Call &call : drvtest::Calls()) {
        if (call.name != "kq3917e_error_message") {
            text += (text.empty() ? "" : " ") + call.name.substr(8);
        }
    }
    return text;
}

// Every popup so far as "title: text", joined by '|'.
inline std::string popups()
{
    std::string text;
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        text += (text.empty() ? "" : "|") + popup.title + ": " + popup.text;
    }
    return text;
}

// A path in the temporary folder that no other test process uses: ctest
// runs the cases of these suites side by side.
inline std::string privateTempPath(const std::string &name)
{
    return testing::TempDir() + std::to_string(getpid()) + "_" + name;
}

// An image file of `size` bytes in the test's temporary folder: byte i is
// `fill`, or (7 i + 3) mod 256 when fill is negative.
inline std::string imageFile(const std::string &name, long size, int fill = -1)
{
    const std::string path = privateTempPath(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (long i = 0; i < size; i++) {
        out.put(static_cast<char>(fill < 0 ? (7 * i + 3) & 0xFF : fill));
    }
    return path;
}

inline int openDescriptors()
{
    int count = 0;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) {
            count++;
        }
        closedir(dir);
    }
    return count;
}

// What the user sees at each Delay of a transfer and after it.
struct Transfer {
    int delays = 0;
    std::vector<double> progress; // distinct successive values seen while polling
    bool shownWaiting = true;     // progress visible and wait cursor on at every poll
    int unpaintedPolls = 0;       // polls with no repaint since the one before
    bool clickRan = false;        // a click on SELF TEST made during the transfer ran
    double finalProgress = -1;
    bool cleanedUp = false; // afterwards: progress hidden, cursor back, file closed
    std::string messages;   // the popups after the confirmation, as popups() gives them
};

// Counts the paints of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// Chooses `path` in the firmware dialog and presses FIRMWARE UPDATE.
inline Transfer runFirmwareUpdate(const std::string &path, int dialogResult = VAL_EXISTING_FILE_SELECTED)
{
    Transfer t;
    const int descriptors = openDescriptors();
    // At every poll the progress is marked for repainting; by the next one it
    // must have been painted.
    QWidget *progress = uitest::ControlWidget(configSysPanel, CONFIGSYS_PROGRESS);
    PaintCounter counter;
    progress->installEventFilter(&counter);
    int paintsBefore = 0;
    uitest::SetDelayHook([&](double seconds) {
        EXPECT_EQ(seconds, 0.5);
        t.unpaintedPolls += t.delays > 0 && counter.paints == paintsBefore;
        paintsBefore = counter.paints;
        progress->update();
        if (t.delays++ == 0) {
            // A click that arrives during the transfer must not run then.
            QTimer::singleShot(0, [&] {
                QTest::mouseClick(uitest::ControlWidget(configSysPanel, CONFIGSYS_SELF_TEST), Qt::LeftButton);
                t.clickRan =
                    !uitest::Popups().empty() && uitest::Popups().back().title == "Counter Test Result";
            });
        }
        const double value = MaintenanceTest::value<double>(CONFIGSYS_PROGRESS);
        if (t.progress.empty() || t.progress.back() != value) {
            t.progress.push_back(value);
        }
        const QCursor *cursor = QApplication::overrideCursor();
        t.shownWaiting = t.shownWaiting &&
                         MaintenanceTest::attribute(CONFIGSYS_PROGRESS, ATTR_VISIBLE) == 1 && cursor &&
                         cursor->shape() == Qt::WaitCursor;
    });
    uitest::ScriptFileDialog(dialogResult, path);
    uitest::ScriptPopupAnswers({1}); // yes to the confirmation
    EXPECT_EQ(uitest::CallCtrlCallback(configSysPanel, CONFIGSYS_FIRMWARE, EVENT_COMMIT), 0);
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        if (popup.kind != "confirm") {
            t.messages += (t.messages.empty() ? "" : "|") + popup.title + ": " + popup.text;
        }
    }
    uitest::SetDelayHook(nullptr);
    progress->removeEventFilter(&counter);
    t.finalProgress = MaintenanceTest::value<double>(CONFIGSYS_PROGRESS);
    t.cleanedUp = MaintenanceTest::attribute(CONFIGSYS_PROGRESS, ATTR_VISIBLE) == 0 &&
                  QApplication::overrideCursor() == nullptr && openDescriptors() == descriptors;
    return t;
}
