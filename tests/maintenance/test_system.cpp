// SPDX-License-Identifier: GPL-3.0-or-later
// The system configuration panel over the driver's simulated module: reads on
// focus, the settings, self-test and reset with the answers to their reports,
// and the kept FTIC and NVM panels.
#include "maintables.h"
#include "maintenancetest.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <ranges>
#include <tuple>

namespace
{

const ViStatus kWarning = 0x3FFC0901;

TEST_F(MaintenanceTest, FocusShowsOnlyWhatWasReadExactly)
{
    drvtest::SimModule().setSystTimeout(4321);
    drvtest::SimModule().setPostResult(-7);
    const std::string read = "4321 -7 TIMEOUT|POWER-ON TEST",
                      unread = "10000 77 TIMEOUT (NOT READ)|POWER-ON TEST (NOT READ)";
    // demoMode, refusal of every call -> timeout, power-on result, captions
    for (auto [demo, refusal, shown] :
         {std::tuple{0, 0, read}, {0, kWarning, unread}, {1, 0, unread}, {0, 0, read}}) {
        SetCtrlVal(configSysPanel, CONFIGSYS_TIMEOUT, 10000);
        SetCtrlVal(configSysPanel, CONFIGSYS_POST_RESULT, (int16_t)77);
        drvtest::RefuseAll(refusal);
        demoMode = demo;
        uitest::CallPanelCallback(configSysPanel, EVENT_GOT_FOCUS);
        EXPECT_EQ(values(configSysPanel, {CONFIGSYS_TIMEOUT}) + " " +
                      std::to_string(value<int16_t>(configSysPanel, CONFIGSYS_POST_RESULT)) + " " +
                      text(configSysPanel, CONFIGSYS_TIMEOUT, ATTR_LABEL_TEXT) + "|" +
                      text(configSysPanel, CONFIGSYS_POST_RESULT, ATTR_LABEL_TEXT),
                  shown);
    }
}

// Every driver call an action makes up to the main panel's refresh, its
// report under the driver's name, and what the answer does: "Exit" closes
// the panel, "Demo" makes the main panel follow the simulated module at once.
TEST_F(MaintenanceTest, ActionsReportUnderTheDriverNameAndTheAnswersAct)
{
    const std::string test = "|Counter Test Result: Counter Test ",
                      notRun = test + "Fail:\n Result = 0xFFFFFFFF\n Relay = 0x0\n DAC = 0x0",
                      demo = " simulate(1) reset() queryMeasurement()";
    // control, value entered (-1: a button), refusal, answer -> calls, the self-test's result
    const std::tuple<int, int, ViStatus, int, std::string, std::string> rows[] = {
        {CONFIGSYS_INT_MASK, 0xA5, kWarning, 0, "SetInterruptMask(165)", ""},
        // Refused: the field shows the module's timeout again.
        {CONFIGSYS_TIMEOUT, 2500, kError, IGNORE, "setSystTimeout(2500) readSystTimeout()", ""},
        {CONFIGSYS_TIMEOUT, 2600, kError, EXIT, "setSystTimeout(2600)", ""},
        {CONFIGSYS_SELF_TEST, -1, kWarning, 0, "testCounter() queryMeasurement()", test + "Pass"},
        // A test that did not run never passes.
        {CONFIGSYS_SELF_TEST, -1, kError, IGNORE, "testCounter() queryMeasurement()", notRun},
        {CONFIGSYS_SELF_TEST, -1, kError, EXIT, "testCounter()", ""},
        {CONFIGSYS_RESET, -1, kError, EXIT, "resetCounter() queryMeasurement()", ""},
        {CONFIGSYS_INT_MASK, 0x11, kError, DEMO, "SetInterruptMask(17)" + demo, ""},
        // Answered "Demo", the self-test and the reset go on and refresh the main panel.
        {CONFIGSYS_SELF_TEST, -1, kError, DEMO, "testCounter()" + demo, notRun},
        {CONFIGSYS_RESET, -1, kError, DEMO, "resetCounter()" + demo, ""},
    };
    for (const auto &[control, entry, status, answer, sent, result] : rows) {
        SCOPED_TRACE(sent);
        uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT); // again after an "Exit"
        demoMode = 0;
        if (entry >= 0)
            SetCtrlVal(configSysPanel, control, entry);
        const std::string function = "kq3917e_" + sent.substr(0, sent.find('('));
        refuse(function, status, {answer, 1});
        press(control, entry >= 0 ? EVENT_VAL_CHANGED : EVENT_COMMIT);
        const std::string popped = joined(uitest::Popups(), "|", [](const uitest::PopupRecord &popup) {
            return popup.title + ": " + popup.text.substr(0, popup.text.find(" returned"));
        });
        EXPECT_EQ(calls().substr(0, calls().find(" queryMeasRes()")) + "|" + popped +
                      (configSysPanel ? "" : " closed"),
                  sent + "|Soft Front Panel " + (status == kError ? "Error" : "Warning") + ": Function \"" +
                      function + "\"" + result + (answer == EXIT ? " closed" : ""));
    }
    EXPECT_EQ(text(mainPanel, MAIN_STATUS_LED, ATTR_LABEL_TEXT) + text(mainPanel, 0, ATTR_TITLE),
              "DEMOZORa 3917 Universal Counter Timer [Demonstration mode]");
}

// The real popup shows the module's words, the result's sign extended; the
// main panel is refreshed only after the user has closed it, which the seam's
// popups, returning at once, cannot show.
TEST_F(MaintenanceTest, SelfTestRefreshesOnlyAfterTheRealPopupCloses)
{
    uitest::Deactivate();
    std::string callsWhileShown = "(no popup)";
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            callsWhileShown = (box->windowTitle() + ": " + box->text()).toStdString() + "|" + calls();
            box->accept();
        }
    });
    answer.start(5);
    drvtest::SimModule().setSelfTestWords(-32768, 0x80000000, 0x80);
    drvtest::ClearCalls();
    press(CONFIGSYS_SELF_TEST);
    answer.stop();
    // The popup's coming and going may give CONFIGSYS the focus, and with it
    // its reads; the refresh starts with queryMeasurement.
    EXPECT_TRUE(
        callsWhileShown.starts_with("Counter Test Result: Counter Test Fail:\n Result = 0xFFFF8000\n Relay = "
                                    "0x80000000\n DAC = 0x80|testCounter()"))
        << callsWhileShown;
    EXPECT_EQ(callsWhileShown.find("queryMeasurement"), std::string::npos) << callsWhileShown;
}

// A reset writes the module's reset state into the record and stops
// continuous measuring; the refresh then shows the module (one function LED,
// its unit, the gate closed, the math off) whatever the panel showed before,
// reset after reset; with the module silent the reset values stand.
TEST_F(MaintenanceTest, ResetWritesTheRecordAndShowsTheModule)
{
    // DUTY A, PERIOD A twice, the reset function itself, TOTALIZE; the module silent
    for (auto [start, silent] :
         {std::pair{24, false}, {2, false}, {2, false}, {0, false}, {14, false}, {2, true}}) {
        SCOPED_TRACE(testing::Message() << "from function " << start << (silent ? " silent" : ""));
        uitest::CallCtrlCallback(mainPanel, functionControls[start], EVENT_LEFT_CLICK);
        uitest::CallCtrlCallback(mainPanel, MAIN_GATE, EVENT_COMMIT);
        ASSERT_EQ(kq3917e_mathCalculation(instrSession, 1, 0.0, 1, 0.0, 1), VI_SUCCESS);
        uitest::CallPanelCallback(mainPanel, EVENT_GOT_FOCUS);
        ASSERT_EQ(text(mainPanel, MAIN_MATH_ANNUNCIATOR), "MATH");
        // Values that no reset or module gives.
        settings = CounterSettings{7, 55, 11, 1, 2, 1, 1, 1, 1, 1, 1,    1, 2, 2,   3.5, -3.5, 1,
                                   1, 1,  1,  1, 3, 3, 1, 3, 4, 5, -2.5, 1, 1, 0.5, 2,   3};
        continuousMode = 1;
        markRunButtons(1);
        refuse("", 0, {IGNORE});
        drvtest::RefuseAll(silent ? kError : 0);
        press(CONFIGSYS_RESET);
        drvtest::ClearRefusals();
        int mark = -1;
        GetCtrlAttribute(mainPanel, MAIN_CONTINUOUS, ATTR_ACTIVE_MARK, &mark);
        EXPECT_EQ(
            std::make_tuple(calls().rfind("resetCounter() queryMeasurement() ", 0), continuousMode, mark),
            std::make_tuple(0u, 0, 0));
        const CounterSettings &s = settings;
        auto lit = [](int code) {
            return value(mainPanel, functionControls[code]) ? std::to_string(code) : "";
        };
        EXPECT_EQ(silent ? testing::PrintToString(std::make_tuple(s.function, s.aperture, s.resolution,
                                                                  s.in1Level, s.in2TrigMode, s.extArmSource,
                                                                  s.extArmLevel, s.delay, s.gateOutput))
                         : joined(std::views::iota(0, FUNCTION_COUNT), " ", lit) + " " +
                               text(mainPanel, MAIN_UNITS) + " " +
                               std::to_string(value(mainPanel, MAIN_GATE_LED)) +
                               text(mainPanel, MAIN_MATH_ANNUNCIATOR) + std::to_string(gateOpen) + popups(),
                  silent ? "(0, 8, 11, 0, 1, 10, 1.6, 0.000192, 8)" : "0 Hz 00");
    }
}

} // namespace
