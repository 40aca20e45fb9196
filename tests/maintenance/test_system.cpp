// SPDX-License-Identifier: GPL-3.0-or-later
// The system configuration panel over the driver's simulated module: reads on
// focus, the settings, self-test and reset with the answers to their reports,
// and the kept FTIC and NVM panels.
#include "maintables.h"
#include "maintenancetest.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <tuple>

namespace
{

const ViStatus kWarning = 0x3FFC0901;

TEST_F(MaintenanceTest, FocusShowsOnlyWhatWasReadExactly)
{
    const std::string read = "TIMEOUT|POWER-ON TEST", unread = "TIMEOUT (NOT READ)|POWER-ON TEST (NOT READ)";
    // demoMode, refusal of both reads -> timeout, power-on result, captions
    const std::tuple<int, ViStatus, int, int16_t, std::string> cases[] = {{0, 0, 4321, -7, read},
                                                                          {0, kWarning, 10000, 77, unread},
                                                                          {0, kError, 10000, 77, unread},
                                                                          {1, 0, 10000, 77, unread},
                                                                          {0, 0, 4321, -7, read}};
    for (const auto &[demo, refusal, timeout, post, captions] : cases) {
        SCOPED_TRACE(testing::Message() << refusal << " demo " << demo);
        drvtest::SimModule().setSystTimeout(4321);
        drvtest::SimModule().setPostResult(-7);
        SetCtrlVal(configSysPanel, CONFIGSYS_TIMEOUT, 10000);
        SetCtrlVal(configSysPanel, CONFIGSYS_POST_RESULT, (int16_t)77);
        refuse("kq3917e_readSystTimeout", refusal);
        drvtest::Refuse("kq3917e_queryPostResult", refusal);
        demoMode = demo;
        uitest::CallPanelCallback(configSysPanel, EVENT_GOT_FOCUS);
        EXPECT_EQ(
            std::make_tuple(calls(), value(configSysPanel, CONFIGSYS_TIMEOUT),
                            value<int16_t>(configSysPanel, CONFIGSYS_POST_RESULT),
                            text(configSysPanel, CONFIGSYS_TIMEOUT, ATTR_LABEL_TEXT) + "|" +
                                text(configSysPanel, CONFIGSYS_POST_RESULT, ATTR_LABEL_TEXT)),
            std::make_tuple(demo ? "" : "readSystTimeout() queryPostResult()", timeout, post, captions));
    }
}

// Every driver call an action makes up to the main panel's refresh, its
// report under the driver's name, and what the answer does: "Exit" closes
// the panel, "Demo" makes the main panel follow the simulated module at once;
// after "Demo" failures are silent.
TEST_F(MaintenanceTest, ActionsReportUnderTheDriverNameAndTheAnswersAct)
{
    const std::string error = "Soft Front Panel Error: Function \"kq3917e_",
                      warning = "Soft Front Panel Warning: ", result = "Counter Test Result: Counter Test ",
                      notRun = "Fail:\n Result = 0xFFFFFFFF\n "
                               "Relay = 0x0\n DAC = 0x0|";
    // control, value entered (-1: a button), refusal, answer -> calls, popups, panel stays
    const std::tuple<int, int, ViStatus, int, std::string, std::string, bool> rows[] = {
        {CONFIGSYS_INT_LEVEL, 5, 0, 0, "SetInterruptLevel(5)", "", true},
        {CONFIGSYS_INT_MASK, 0xA5, kWarning, 0, "SetInterruptMask(165)",
         warning + "Function \"kq3917e_SetInterruptMask\"|", true},
        // Refused: the field shows the module's timeout again.
        {CONFIGSYS_TIMEOUT, 2500, kError, IGNORE, "setSystTimeout(2500) readSystTimeout()",
         error + "setSystTimeout\"|", true},
        {CONFIGSYS_TIMEOUT, 2600, kError, EXIT, "setSystTimeout(2600)", error + "setSystTimeout\"|", false},
        {CONFIGSYS_SELF_TEST, -1, kWarning, 0, "testCounter() queryMeasurement()",
         warning + "Function \"kq3917e_testCounter\"|" + result + "Pass|", true},
        // A test that did not run never passes.
        {CONFIGSYS_SELF_TEST, -1, kError, IGNORE, "testCounter() queryMeasurement()",
         error + "testCounter\"|" + result + notRun, true},
        {CONFIGSYS_SELF_TEST, -1, kError, EXIT, "testCounter()", error + "testCounter\"|", false},
        {CONFIGSYS_RESET, -1, kError, IGNORE, "resetCounter() queryMeasurement()", error + "resetCounter\"|",
         true},
        {CONFIGSYS_RESET, -1, kError, EXIT, "resetCounter() queryMeasurement()", error + "resetCounter\"|",
         false},
        {CONFIGSYS_INT_MASK, 0x11, kError, DEMO,
         "SetInterruptMask(17) simulate(1) reset() queryMeasurement()", error + "SetInterruptMask\"|", true},
        {CONFIGSYS_TIMEOUT, 300, kError, 0, "setSystTimeout(300)", "", true},
    };
    for (const auto &[control, entry, status, answer, sent, shown, stays] : rows) {
        SCOPED_TRACE(sent);
        openSystemPanel();
        if (entry >= 0) {
            SetCtrlVal(configSysPanel, control, entry);
        }
        refuse("kq3917e_" + sent.substr(0, sent.find('(')), status, {answer, 1});
        press(control, entry >= 0 ? EVENT_VAL_CHANGED : EVENT_COMMIT);
        std::string popped;
        for (const uitest::PopupRecord &popup : uitest::Popups()) {
            popped += popup.title + ": " + popup.text.substr(0, popup.text.find(" returned")) + "|";
        }
        EXPECT_EQ(
            std::make_tuple(calls().substr(0, calls().find(" queryMeasRes()")), popped, configSysPanel > 0),
            std::make_tuple(sent, shown, stays));
    }
    EXPECT_EQ(text(mainPanel, MAIN_STATUS_LED, ATTR_LABEL_TEXT) + text(mainPanel, 0, ATTR_TITLE),
              "DEMOZORa 3917 Universal Counter Timer [Demonstration mode]");
    EXPECT_EQ(std::make_pair(drvtest::SimModule().interruptLevel(), drvtest::SimModule().interruptMask()),
              std::make_pair((ViInt16)5, (ViInt16)0xA5));
    // Answered "Demo", the self-test and the reset go on and refresh the main panel.
    for (auto [button, operation, shown] : {std::tuple{CONFIGSYS_SELF_TEST, "testCounter", result + notRun},
                                            {CONFIGSYS_RESET, "resetCounter", std::string()}}) {
        demoMode = 0;
        refuse(std::string("kq3917e_") + operation, kError, {DEMO, 1});
        press(button);
        EXPECT_EQ(calls().substr(0, calls().find(" queryMeasRes()")),
                  std::string(operation) + "() simulate(1) reset() queryMeasurement()");
        EXPECT_EQ(popups("Counter Test Result") + "|", shown.empty() ? "|" : shown);
    }
}

TEST_F(MaintenanceTest, SelfTestShowsItsWords)
{
    const std::tuple<int16_t, uint32_t, uint16_t, const char *> rows[] = {
        {0, 0xFFFFFFFF, 0xFFFF, "Pass"},
        {0x12, 0x3, 0x80, "Fail:\n Result = 0x12\n Relay = 0x3\n DAC = 0x80"},
        {-32768, 0x80000000, 0xFFFF, "Fail:\n Result = 0xFFFF8000\n Relay = 0x80000000\n DAC = 0xFFFF"}};
    for (auto [result, relay, dac, shown] : rows) {
        drvtest::SimModule().setSelfTestWords(result, relay, dac);
        refuse("", 0);
        press(CONFIGSYS_SELF_TEST);
        EXPECT_EQ(popups(), std::string("Counter Test Result: Counter Test ") + shown);
    }
}

// The real popup: the main panel is refreshed only after the user has closed
// the result, which the seam's popups, returning at once, cannot show.
TEST_F(MaintenanceTest, SelfTestRefreshesOnlyAfterTheRealPopupCloses)
{
    uitest::Deactivate();
    std::string callsWhileShown = "(no popup)";
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            callsWhileShown = box->windowTitle().toStdString() + ": " + calls();
            box->accept();
        }
    });
    answer.start(5);
    drvtest::ClearCalls();
    press(CONFIGSYS_SELF_TEST);
    answer.stop();
    // The popup's coming and going may give CONFIGSYS the focus, and with it
    // its reads; the refresh starts with queryMeasurement.
    EXPECT_EQ(callsWhileShown.rfind("Counter Test Result: testCounter()", 0), 0u) << callsWhileShown;
    EXPECT_EQ(callsWhileShown.find("queryMeasurement"), std::string::npos) << callsWhileShown;
    EXPECT_NE(calls().find(" queryMeasurement() "), std::string::npos) << calls();
}

// A reset writes the module's reset state into the record and stops
// continuous measuring; the refresh then shows the module (one function LED,
// its unit, the gate closed, the math off) whatever the panel showed before,
// reset after reset, and puts what the module answers into the record; with
// the module silent the reset values stand.
TEST_F(MaintenanceTest, ResetWritesTheRecordAndShowsTheModule)
{
    auto fields = [](const CounterSettings &r) {
        return std::make_tuple(r.function, r.aperture, r.resolution, r.averaging, r.standard, r.commonInput,
                               r.in1Coupling, r.in2Coupling, r.in1Impedance, r.in2Impedance, r.in1Filter,
                               r.in2Filter, r.in1Attenuation, r.in2Attenuation, r.in1Level, r.in2Level,
                               r.in1Slope, r.in2Slope, r.in1Hysteresis, r.in2Hysteresis, r.armHysteresis,
                               r.in1TrigMode, r.in2TrigMode, r.minAutoTrigFreq, r.startArmSource,
                               r.stopArmSource, r.extArmSource, r.extArmLevel, r.armMode, r.delayEnabled,
                               r.delay, r.gateSelector, r.gateOutput);
    };
    const CounterSettings reset{0, 8, 11, 0, 0, 0, 0, 0, 0, 0,  0,   0, 0, 0,        0.0, 0.0, 0,
                                0, 0, 0,  0, 1, 1, 0, 3, 4, 10, 1.6, 0, 0, 0.000192, 1,   8};
    CounterSettings answered = reset;
    answered.aperture = 100;
    answered.extArmSource = 9;
    answered.startArmSource = answered.stopArmSource = 0;
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
        EXPECT_EQ(fields(settings), fields(silent ? reset : answered));
        std::string lit;
        for (int code = 0; code < FUNCTION_COUNT; code++) {
            lit += value(mainPanel, functionControls[code]) ? std::to_string(code) + " " : "";
        }
        if (!silent) {
            EXPECT_EQ(lit + text(mainPanel, MAIN_UNITS) + " " +
                          std::to_string(value(mainPanel, MAIN_GATE_LED)) +
                          text(mainPanel, MAIN_MATH_ANNUNCIATOR) + std::to_string(gateOpen) + popups(),
                      "0 Hz 00");
        }
    }
}

// FTIC and NVM are loaded once and kept: hidden by their own panel, CONFIGSYS
// closed by its close box and opened anew, the same panel comes back. One
// whose file cannot be read (here: missing) does not load, says why, and loads
// on the next press once the file is there again, whatever ran before.
TEST_F(MaintenanceTest, CalibrationAndModuleDataPanelsAreLoadedOnceAndKept)
{
    const int loaded = uitest::LoadedPanelCount();
    for (auto [button, handle] : {std::pair{CONFIGSYS_CALIBRATE, &fticPanel}, {CONFIGSYS_NVM, &nvmPanel}}) {
        SCOPED_TRACE(button);
        setenv("UCT_SFP_RESOURCE_FILE", "/nonexistent/panels.uir", 1);
        EXPECT_EQ(press(button), -1);
        EXPECT_EQ(std::make_tuple(*handle, popups().rfind("Error loading panel: ", 0),
                                  popups().find("/nonexistent/panels.uir") != std::string::npos),
                  std::make_tuple(0, 0u, true));
        unsetenv("UCT_SFP_RESOURCE_FILE");
        uitest::ClearPopups();
        EXPECT_EQ(press(button) + press(button), 0);
        const int first = *handle;
        HidePanel(first);
        uitest::PanelWidget(configSysPanel)->close();
        EXPECT_EQ(configSysPanel, 0);
        // MAIN_SYSTEM with CONFIGSYS open only shows it.
        openSystemPanel();
        ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
        EXPECT_EQ(press(button), 0);
        int visible = 0;
        GetPanelAttribute(first, ATTR_VISIBLE, &visible);
        EXPECT_EQ(std::make_pair(*handle, visible), std::make_pair(first, 1));
    }
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 2);
    EXPECT_EQ(popups(), "");
}

} // namespace
