// SPDX-License-Identifier: GPL-3.0-or-later
#include "layer.h"

namespace uct::ui
{
Seam &seam()
{
    static Seam state;
    return state;
}
} // namespace uct::ui

using namespace uct::ui;

namespace uitest
{

void Activate()
{
    seam() = Seam{};
    seam().active = true;
}

void Deactivate()
{
    seam() = Seam{};
}

int CallCtrlCallback(int panel, int control, int event, int eventData1, int eventData2)
{
    return raiseControlEvent(panel, control, event, eventData1, eventData2);
}

int CallPanelCallback(int panel, int event)
{
    return raisePanelEvent(panel, event);
}

void CallMenuCallback(int panel, int menuItem)
{
    raiseMenuEvent(panel, menuItem);
}

int TimerTick(int panel, int timerControl)
{
    return raiseTimerTick(panel, timerControl);
}

void ScriptPopupAnswers(const std::vector<int> &answers)
{
    seam().popupAnswers.insert(seam().popupAnswers.end(), answers.begin(), answers.end());
}

const std::vector<PopupRecord> &Popups()
{
    return seam().popups;
}

void ClearPopups()
{
    seam().popups.clear();
}

void ScriptFileDialog(int result, const std::string &path)
{
    seam().fileAnswers.emplace_back(result, path);
}

const std::vector<FileDialogRecord> &FileDialogs()
{
    return seam().fileDialogs;
}

const std::vector<std::vector<std::string>> &LaunchedCommands()
{
    return seam().launched;
}

void SetDelayHook(std::function<void(double)> hook)
{
    seam().delayHook = std::move(hook);
}

QWidget *PanelWidget(int panel)
{
    const PanelRec *p = findPanel(panel);
    return p ? p->window.data() : nullptr;
}

QWidget *ControlWidget(int panel, int control)
{
    const ControlRec *c = findControl(panel, control, nullptr);
    return c ? c->widget.data() : nullptr;
}

int LoadedPanelCount()
{
    return loadedPanelCount();
}

} // namespace uitest
