// SPDX-License-Identifier: GPL-3.0-or-later
#include "apptest.h"

#include <uctpanels.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

void AppTest::SetUp()
{
    uitest::Activate();
    drvtest::ResetDriver();
    drvtest::StartRecording();
    resetAppGlobals();
}

void resetAppGlobals()
{
    instrSession = 0;
    defaultRM = 0;
    resourceName[0] = '\0';
    demoMode = 0;
    mainPanel = 0;
    aboutPanel = 0;
    chosenIndex = CHOICE_NONE;
}

void AppTest::TearDown()
{
    drvtest::StopRecording();
    uitest::Deactivate();
}

static int stubCtrl(int, int, int, void *, int, int)
{
    return 0;
}

static int stubPanel(int, int, void *, int, int)
{
    return 0;
}

static int timerTicks = 0;

static int countingTimer(int, int, int event, void *, int, int)
{
    if (event == EVENT_TIMER_TICK)
        timerTicks++;
    return 0;
}

int stubTimerTicks()
{
    return timerTicks;
}

void registerOtherLayerStubs()
{
    RegisterPanelCallback("fticInit", stubPanel);
    RegisterCtrlCallback("setCtrMainEvent", stubCtrl);
    RegisterCtrlCallback("TimerFunction", countingTimer);
}

void runSoon(std::function<void()> fn)
{
    QTimer::singleShot(0, qApp, std::move(fn));
}

int findPanelWithControl(const char *controlName)
{
    // Handles are small positive numbers; a test never has many panels.
    for (int handle = 1; handle < 1000; handle++) {
        QWidget *panel = uitest::PanelWidget(handle);
        if (panel != nullptr && panel->findChild<QWidget *>(controlName) != nullptr)
            return handle;
    }
    return 0;
}

std::vector<drvtest::Call> callsNamed(const std::string &name)
{
    std::vector<drvtest::Call> found;
    for (const drvtest::Call &call : drvtest::Calls()) {
        if (call.name == name)
            found.push_back(call);
    }
    return found;
}

std::vector<std::string> popupTitles()
{
    std::vector<std::string> titles;
    for (const uitest::PopupRecord &popup : uitest::Popups())
        titles.push_back(popup.title);
    return titles;
}

std::string expectedReport(const std::string &actionText, ViStatus status)
{
    char text[KQ3917E_MESSAGE_SIZE] = "";
    kq3917e_error_message(0, status, text);
    char message[1024];
    snprintf(message, sizeof message, "Error while %s\nError code = %d (%X)\nError Message = '%.80s'\n",
             actionText.c_str(), (int)status, (unsigned)status, text);
    return message;
}

int runAndQuit(MainPanelView *view)
{
    runSoon([view] {
        char slot[100] = "";
        GetCtrlVal(mainPanel, MAIN_SLOT, slot);
        view->slot = slot;
        GetCtrlVal(mainPanel, MAIN_STATUS_LED, &view->led);
        view->visible = uitest::PanelWidget(mainPanel)->isVisible();
        uitest::CallCtrlCallback(mainPanel, MAIN_QUIT, EVENT_COMMIT);
    });
    return runSoftFrontPanel();
}
