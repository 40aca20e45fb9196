// SPDX-License-Identifier: GPL-3.0-or-later
// MAIN loaded from the resource file over the simulated module, seams on,
// the settings record and run state at their start values, driver calls
// recorded; helpers for presses, LEDs, ticks, files and "API Error" reports.
// Shared by the main panel's and the measurement displays' tests.
#pragma once

#include "app.h"
#include "handlers.h"
#include "kq3917e_testseam.h"
#include "mainpanel.h"
#include "maintables.h"
#include "measure.h"
#include "userint.h"
#include "userint_testseam.h"
#include <uctpanels.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class MainPanelTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InitUIRuntime(0, nullptr), 1);
        registerAppCallbacks(), registerMainPanelCallbacks(), registerMeasureCallbacks();
    }

    void SetUp() override
    {
        uitest::Activate();
        drvtest::ResetDriver();
        kq3917e_simulate(1);
        resetMainPanelState();
        mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
        ASSERT_GT(mainPanel, 0);
        drvtest::StartRecording();
    }

    void TearDown() override
    {
        drvtest::StopRecording();
        drvtest::ClearRefusals();
        for (int *panel : {&configSysPanel, &versionPanel, &mathPanel, &histogramPanel, &aboutPanel,
                           &stripChartPanel, &mainPanel}) {
            if (*panel > 0)
                DiscardPanel(*panel);
            *panel = 0;
        }
        uitest::Deactivate();
    }
};

// For the display panels' saves: a scratch directory per test; absolute
// names pass unchanged.
class FileTest : public MainPanelTest
{
  protected:
    std::string path(const std::string &name) const
    {
        return name[0] == '/' ? name : QDir(dir.path()).filePath(QString::fromStdString(name)).toStdString();
    }

    QTemporaryDir dir;
};

// The first bytes of a file (all by default), "<missing>" without it.
inline std::string readFile(const std::string &path, int bytes = -1)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return (bytes < 0 ? file.readAll() : file.read(bytes)).toStdString();
}

// The driver calls so far as "name(arguments)", driver prefix and the
// reporter's message look-ups left out, separated by blanks.
inline std::string calls()
{
    std::string text;
    for (const drvtest::Call &call : drvtest::Calls())
        if (call.name != "kq3917e_error_message")
            text += (text.empty() ? "" : " ") + call.name.substr(8) + "(" + call.args + ")";
    return text;
}

// A value of a control on MAIN, or with attribute one of its attributes.
template <typename T = double> T val(int control, int attribute = -1)
{
    T value{};
    attribute < 0 ? GetCtrlVal(mainPanel, control, &value)
                  : GetCtrlAttribute(mainPanel, control, attribute, &value);
    return value;
}

inline std::string text(int control, int panel = 0)
{
    char value[256] = "";
    GetCtrlVal(panel ? panel : mainPanel, control, value);
    return value;
}

// A control's label on MAIN.
inline std::string label(int control)
{
    char caption[64] = "";
    GetCtrlAttribute(mainPanel, control, ATTR_LABEL_TEXT, caption, (int)sizeof caption);
    return caption;
}

inline int press(int control, int event = EVENT_COMMIT)
{
    return uitest::CallCtrlCallback(mainPanel, control, event);
}

inline void mainTicks(int ticks = 1)
{
    for (int i = 0; i < ticks; i++)
        uitest::TimerTick(mainPanel, MAIN_TIMER);
}

// A list of controls; a call keeps long lists to few lines.
template <typename... Control> std::vector<int> controls(Control... control)
{
    return {control...};
}

// LEDs on MAIN (or an attribute of theirs) as a text of '0' and '1' (a gap
// in the list as a blank), and the other way.
const int gap = -1;

inline std::string leds(const std::vector<int> &controls, int attribute = -1)
{
    std::string lit;
    for (int control : controls)
        lit += control == gap ? ' ' : val<int>(control, attribute) ? '1' : '0';
    return lit;
}

inline void setLeds(const std::vector<int> &controls, const std::string &lit, int attribute = -1)
{
    for (size_t i = 0; i < controls.size(); i++)
        attribute < 0 ? SetCtrlVal(mainPanel, controls[i], lit[i] == '1' ? 1 : 0)
                      : SetCtrlAttribute(mainPanel, controls[i], attribute, lit[i] == '1' ? 1 : 0);
}

// Settings made on the module directly, in order; each must be accepted.
inline void accepted(std::initializer_list<ViStatus> statuses)
{
    EXPECT_EQ(std::vector<ViStatus>(statuses), std::vector<ViStatus>(statuses.size(), 0));
}

// A status that the simulated driver has no text of its own for.
const ViStatus refusedStatus = -1074001000;

// The popups so far as "title|text", joined by ';'.
inline std::string popupTexts()
{
    std::string texts;
    for (const uitest::PopupRecord &popup : uitest::Popups())
        texts += (texts.empty() ? "" : ";") + popup.title + "|" + popup.text;
    return texts;
}

// The popups so far, each to be an "API Error" with "action text: driver
// text" for status, or one report of several failures ("action text: 0x..."
// lines): their action texts joined by '|', a line of another form in [].
inline std::string reports(ViStatus status = refusedStatus)
{
    char message[KQ3917E_MESSAGE_SIZE] = "";
    kq3917e_error_message(instrSession, status, message);
    QStringList texts;
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        EXPECT_EQ(popup.title, "API Error");
        QStringList lines = QString::fromStdString(popup.text).split('\n');
        const bool batch = lines[0].endsWith(" did not succeed:");
        lines = batch ? lines.mid(1, lines.indexOf("") - 1) : QStringList{QString::fromStdString(popup.text)};
        const QString tail =
            batch ? QString::asprintf(": 0x%08X", (unsigned)status) : ": " + QString(message);
        for (const QString &line : lines)
            texts << (line.endsWith(tail) ? line.chopped(tail.size()) : "[" + line + "]");
    }
    return texts.join('|').toStdString();
}
