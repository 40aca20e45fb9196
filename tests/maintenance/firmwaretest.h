// SPDX-License-Identifier: GPL-3.0-or-later
// Firmware transfer helpers: image files, a scripted file choice, and the
// observations made at every Delay (the injectable clock of the toolkit).
#pragma once

#include "maintenancetest.h"

#include <QApplication>

#include <dirent.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// An image file of `size` bytes in the test's temporary folder: byte i is
// `fill`, or (7 i + 3) mod 256 when fill is negative.
inline std::string imageFile(const std::string &name, long size, int fill = -1)
{
    const std::string path = testing::TempDir() + name;
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

// What the user sees at each Delay of a transfer.
struct Transfer {
    int delays = 0;
    std::vector<double> progress; // distinct successive values seen while polling
    bool alwaysVisible = true;    // the progress indicator, at every poll
    bool alwaysWaitCursor = true;
    double finalProgress = -1;
    int visibleAfter = -1;
    bool waitCursorAfter = true;
    int descriptorsLeft = 0; // open descriptors after minus before
};

// Chooses `path` in the firmware dialog and presses FIRMWARE UPDATE.
inline Transfer runFirmwareUpdate(int panel, const std::string &path,
                                  int dialogResult = VAL_EXISTING_FILE_SELECTED)
{
    Transfer t;
    const int descriptors = openDescriptors();
    uitest::SetDelayHook([&](double seconds) {
        EXPECT_EQ(seconds, 0.5);
        t.delays++;
        double value = -1;
        int visible = 0;
        GetCtrlVal(panel, CONFIGSYS_PROGRESS, &value);
        GetCtrlAttribute(panel, CONFIGSYS_PROGRESS, ATTR_VISIBLE, &visible);
        if (t.progress.empty() || t.progress.back() != value) {
            t.progress.push_back(value);
        }
        t.alwaysVisible = t.alwaysVisible && visible == 1;
        const QCursor *cursor = QApplication::overrideCursor();
        t.alwaysWaitCursor = t.alwaysWaitCursor && cursor && cursor->shape() == Qt::WaitCursor;
    });
    uitest::ScriptFileDialog(dialogResult, path);
    EXPECT_EQ(uitest::CallCtrlCallback(panel, CONFIGSYS_FIRMWARE, EVENT_COMMIT), 0);
    uitest::SetDelayHook(nullptr);
    GetCtrlVal(panel, CONFIGSYS_PROGRESS, &t.finalProgress);
    GetCtrlAttribute(panel, CONFIGSYS_PROGRESS, ATTR_VISIBLE, &t.visibleAfter);
    t.waitCursorAfter = QApplication::overrideCursor() != nullptr;
    t.descriptorsLeft = openDescriptors() - descriptors;
    return t;
}
