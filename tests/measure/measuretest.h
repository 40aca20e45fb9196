// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement displays' tests: MAIN with its scratch folder (FileTest)
// plus access to any panel's controls, the histogram run and save as the
// user makes them, and a file size limit standing in for a full disk.
#pragma once

#include "../panels/mainpaneltest.h"

#include <qcustomplot.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>

inline int on(int panel, int control, int event = EVENT_COMMIT)
{
    return uitest::CallCtrlCallback(panel, control, event);
}

// A control's value on panel, or with attribute one of its attributes.
template <typename T = double> T shownOn(int panel, int control, int attribute = -1)
{
    T value{};
    attribute < 0 ? GetCtrlVal(panel, control, &value) : GetCtrlAttribute(panel, control, attribute, &value);
    return value;
}

inline std::string textOn(int panel, int control)
{
    char value[4096] = "";
    GetCtrlVal(panel, control, value);
    return value;
}

inline QCustomPlot *plotOn(int panel, int control)
{
    return qobject_cast<QCustomPlot *>(uitest::ControlWidget(panel, control));
}

// A value entered on panel, as the user commits it.
template <typename T> void enter(int panel, int control, T value)
{
    SetCtrlVal(panel, control, value);
    on(panel, control);
}

// Start on the histogram panel for samples, then ticks of MAIN's timer.
inline void runHistogram(int samples, int ticks)
{
    SetCtrlVal(histogramPanel, HISTO_SAMPLES, samples);
    on(histogramPanel, HISTO_START);
    mainTicks(ticks);
}

// Control pressed with the file dialog answering file (cancelled when empty).
inline void saveWith(int panel, int control, const std::string &file)
{
    uitest::ScriptFileDialog(file.empty() ? VAL_NO_FILE_SELECTED : VAL_NEW_FILE_SELECTED, file);
    EXPECT_EQ(on(panel, control), 0);
}

// Runs act with files limited to bytes; a write past the limit fails
// instead of ending the process.
inline void withFileSizeLimit(rlim_t bytes, const std::function<void()> &act)
{
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit small{bytes, saved.rlim_max};
    signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    act();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_DFL);
}
