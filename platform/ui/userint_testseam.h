// SPDX-License-Identifier: GPL-3.0-or-later
// Test seam of the toolkit layer. Inactive in production: nothing here takes
// effect until a test calls uitest::Activate(). Tests only; never included by
// the program's own code.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace uitest
{

// Switch the seam on (scripted popups, file dialogs, launch recorder, clock)
// and clear everything it recorded. Deactivate() restores production.
void Activate();
void Deactivate();

// Call a bound callback exactly as the toolkit would for that event.
int CallCtrlCallback(int panel, int control, int event, int eventData1 = 0, int eventData2 = 0);
int CallPanelCallback(int panel, int event);
void CallMenuCallback(int panel, int menuItem);
int TimerTick(int panel, int timerControl);

// Popups: every popup is recorded; its answer is taken from the script, in
// order. An unscripted popup answers with its default (MessagePopup 1,
// ConfirmPopup 0, GenericMessagePopup the escape button) and is flagged.
struct PopupRecord {
    std::string kind; // "message", "confirm", "generic"
    std::string title;
    std::string text;
    std::vector<std::string> buttons; // labels, generic popups only
    int enterButton = 0;
    int escapeButton = 0;
    int answer = 0;
    bool scripted = false;
};
void ScriptPopupAnswers(const std::vector<int> &answers);
const std::vector<PopupRecord> &Popups();
void ClearPopups();

// File dialogs: answered from the script in order (result and path).
struct FileDialogRecord {
    std::string defaultDirectory, defaultFileSpec, title;
    int buttonLabel = 0;
    int allowMakeDirectory = 0;
};
void ScriptFileDialog(int result, const std::string &path);
const std::vector<FileDialogRecord> &FileDialogs();

// Launched programs: program followed by its arguments. With the seam
// active nothing is started; a program that cannot be found is still refused.
const std::vector<std::vector<std::string>> &LaunchedCommands();

// Clock behind Delay: with the seam active Delay calls this instead of
// sleeping (default: returns at once). The argument is the delay in seconds.
void SetDelayHook(std::function<void(double)> hook);

// The Qt widgets behind a panel and a control, for tests that send real
// input (QTest) to them. nullptr when the handle or control is unknown.
QWidget *PanelWidget(int panel);
QWidget *ControlWidget(int panel, int control);

// Number of panels currently loaded (for leak checks).
int LoadedPanelCount();

} // namespace uitest
