// SPDX-License-Identifier: GPL-3.0-or-later
// The system configuration panel over the driver's simulated module: reads on
// focus, the three settings and their reports, the self-test texts, the
// reset of the settings record, the kept FTIC and NVM panels, and the
// reporter's "Exit" and "Demo" answers.
#include "maintenancetest.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <tuple>

namespace
{

const ViStatus kError = -1074001000; // a status with no text of its own
const ViStatus kWarning = 0x3FFC0901;

enum { IGNORE = 1, DEMO = 2, EXIT = 3 };

TEST_F(MaintenanceTest, FocusReadsTakeOnlyExactSuccess)
{
    // refusal of both reads, demonstration mode -> timeout and POST result shown
    const std::tuple<ViStatus, int, int, int16_t> cases[] = {
        {0, 0, 4321, -7}, {kWarning, 0, 10000, 77}, {kError, 0, 10000, 77}, {0, 1, 10000, 77}};
    for (auto [refusal, demo, timeout, post] : cases) {
        SCOPED_TRACE(testing::Message() << refusal << " demo " << demo);
        drvtest::SimModule().setSystTimeout(4321);
        drvtest::SimModule().setPostResult(-7);
        SetCtrlVal(configSysPanel, CONFIGSYS_TIMEOUT, 10000);
        SetCtrlVal(configSysPanel, CONFIGSYS_POST_RESULT, (int16_t)77);
        if (refusal != 0) {
            drvtest::Refuse("kq3917e_readSystTimeout", refusal);
            drvtest::Refuse("kq3917e_queryPostResult", refusal);
        }
        demoMode = demo;
        drvtest::ClearCalls();
        EXPECT_EQ(uitest::CallPanelCallback(configSysPanel, EVENT_GOT_FOCUS), 0);
        EXPECT_EQ(driverCalls(), demo ? "" : "readSystTimeout queryPostResult");
        int shownTimeout = 0;
        int16_t shownPost = 0;
        GetCtrlVal(configSysPanel, CONFIGSYS_TIMEOUT, &shownTimeout);
        GetCtrlVal(configSysPanel, CONFIGSYS_POST_RESULT, &shownPost);
        EXPECT_EQ(std::make_pair(shownTimeout, shownPost), std::make_pair(timeout, post));
        drvtest::ClearRefusals();
    }
    // Close and lost focus do nothing; the panel is closed by its button only.
    drvtest::ClearCalls();
    EXPECT_EQ(uitest::CallPanelCallback(configSysPanel, EVENT_CLOSE), 0);
    EXPECT_GT(configSysPanel, 0);
    EXPECT_EQ(driverCalls(), "");
    EXPECT_EQ(popups(), "");
}

TEST_F(MaintenanceTest, SettingsGoToTheDriverAndReportUnderItsName)
{
    struct Row {
        int control;
        int value;
        const char *operation;
        const char *args;
    };
    const Row rows[] = {{CONFIGSYS_INT_LEVEL, 5, "kq3917e_SetInterruptLevel", "5"},
                        {CONFIGSYS_INT_MASK, 0xA5, "kq3917e_SetInterruptMask", "165"},
                        {CONFIGSYS_TIMEOUT, 2500, "kq3917e_setSystTimeout", "2500"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.operation);
        SetCtrlVal(configSysPanel, row.control, row.value);
        // A commit of these controls does nothing.
        drvtest::ClearCalls();
        EXPECT_EQ(press(row.control), 0);
        EXPECT_EQ(drvtest::Calls().size(), 0u);

        // Accepted, a warning, an error: each status goes to the reporter with
        // the operation's name.
        const std::string name = row.operation;
        const std::pair<ViStatus, std::string> outcomes[] = {
            {0, ""},
            {kWarning, "Soft Front Panel Warning: Function \"" + name + "\" returned the warning:\n\"" +
                           driverText(kWarning) + "\"\n"},
            {kError, "Soft Front Panel Error: Function \"" + name + "\" returned the error:\n\"" +
                         driverText(kError) +
                         "\"\nClick:\n  \"Ignore\" to return to the current panel\n  \"Exit\" to close the "
                         "current panel\n  \"Demo\" to switch to the demo mode."}};
        for (const auto &[status, report] : outcomes) {
            drvtest::ClearRefusals();
            if (status != 0) {
                drvtest::Refuse(row.operation, status);
            }
            uitest::ClearPopups();
            uitest::ScriptPopupAnswers({IGNORE});
            drvtest::ClearCalls();
            EXPECT_EQ(press(row.control, EVENT_VAL_CHANGED), 0);
            ASSERT_GE(drvtest::Calls().size(), 1u);
            EXPECT_EQ(drvtest::Calls()[0].name + "(" + drvtest::Calls()[0].args + ")",
                      name + "(" + row.args + ")");
            EXPECT_EQ(popups(), report);
        }
        EXPECT_GT(configSysPanel, 0);
    }
    drvtest::ClearRefusals();
    EXPECT_EQ(drvtest::SimModule().interruptLevel(), 5);
    EXPECT_EQ(drvtest::SimModule().interruptMask(), 0xA5);
}

TEST_F(MaintenanceTest, SelfTestShowsItsWordsThenRefreshes)
{
    const char *pass = "Counter Test Pass";
    struct Row {
        int16_t result;
        uint32_t relay;
        uint16_t dac;
        ViStatus refusal;
        const char *text;
    };
    const Row rows[] = {
        {0, 0xFFFFFFFF, 0xFFFF, 0, pass},
        {0x12, 0x3, 0x80, 0, "Counter Test Fail:\n Result = 0x12\n Relay = 0x3\n DAC = 0x80"},
        {-1, 0, 0, 0, "Counter Test Fail:\n Result = 0xFFFFFFFF\n Relay = 0x0\n DAC = 0x0"},
        {-32768, 0x80000000, 0xFFFF, 0,
         "Counter Test Fail:\n Result = 0xFFFF8000\n Relay = 0x80000000\n DAC = 0xFFFF"},
        {0, 0, 0, kWarning, pass},
        // A test that did not run never passes.
        {0, 0, 0, kError, "Counter Test Fail:\n Result = 0xFFFFFFFF\n Relay = 0x0\n DAC = 0x0"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        drvtest::ClearRefusals();
        drvtest::SimModule().setSelfTestWords(row.result, row.relay, row.dac);
        if (row.refusal != 0) {
            drvtest::Refuse("kq3917e_testCounter", row.refusal);
        }
        uitest::ClearPopups();
        uitest::ScriptPopupAnswers({IGNORE, 1});
        drvtest::ClearCalls();
        EXPECT_EQ(press(CONFIGSYS_SELF_TEST), 0);
        ASSERT_FALSE(uitest::Popups().empty());
        const uitest::PopupRecord &result = uitest::Popups().back();
        EXPECT_EQ(result.kind + "|" + result.title + "|" + result.text,
                  std::string("message|Counter Test Result|") + row.text);
        EXPECT_EQ(uitest::Popups().size(), row.refusal == 0 ? 1u : 2u);
        // The test first, then the refresh of the main panel.
        const std::string calls = driverCalls();
        EXPECT_EQ(calls.substr(0, calls.find(' ')), "testCounter");
        EXPECT_NE(calls.find("testCounter queryMeasurement "), std::string::npos) << calls;
    }
}

TEST_F(MaintenanceTest, ResetWritesTheRecordStopsContinuousAndRefreshes)
{
    // The record is filled with values that no reset or module gives.
    auto scramble = [] {
        settings = CounterSettings{7, 55, 11, 1, 2, 1, 1, 1, 1, 1, 1,    1, 2, 2,   3.5, -3.5, 1,
                                   1, 1,  1,  1, 3, 3, 1, 3, 4, 5, -2.5, 1, 1, 0.5, 2,   3};
        continuousMode = 1;
        markRunButtons(1);
    };
    // Module answers the refresh: its own values stand. Module silent: the
    // reset values stand.
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "queries refused" : "queries answered");
        scramble();
        if (silent) {
            drvtest::RefuseAll(kError);
            uitest::ScriptPopupAnswers({IGNORE});
        }
        uitest::ClearPopups();
        drvtest::ClearCalls();
        EXPECT_EQ(press(CONFIGSYS_RESET), 0);
        const std::string calls = driverCalls();
        EXPECT_EQ(calls.substr(0, calls.find(' ')), "resetCounter");
        EXPECT_NE(calls.find("resetCounter queryMeasurement "), std::string::npos) << calls;
        EXPECT_EQ(continuousMode, 0);
        int mark = -1;
        GetCtrlAttribute(mainPanel, MAIN_CONTINUOUS, ATTR_ACTIVE_MARK, &mark);
        EXPECT_EQ(mark, 0);

        CounterSettings expected{0, 8, 11, 0, 0, 0, 0, 0, 0, 0,  0,   0, 0, 0,        0.0, 0.0, 0,
                                 0, 0, 0,  0, 1, 1, 0, 3, 4, 10, 1.6, 0, 0, 0.000192, 1,   8};
        if (!silent) {
            // What the refresh reads back from the reset module.
            expected.aperture = 100;
            expected.extArmSource = 9;
            expected.startArmSource = expected.stopArmSource = 0;
        }
        const CounterSettings &s = settings;
        auto fields = [](const CounterSettings &r) {
            return std::make_tuple(
                r.function, r.aperture, r.resolution, r.averaging, r.standard, r.commonInput, r.in1Coupling,
                r.in2Coupling, r.in1Impedance, r.in2Impedance, r.in1Filter, r.in2Filter, r.in1Attenuation,
                r.in2Attenuation, r.in1Level, r.in2Level, r.in1Slope, r.in2Slope, r.in1Hysteresis,
                r.in2Hysteresis, r.armHysteresis, r.in1TrigMode, r.in2TrigMode, r.minAutoTrigFreq,
                r.startArmSource, r.stopArmSource, r.extArmSource, r.extArmLevel, r.armMode, r.delayEnabled,
                r.delay, r.gateSelector, r.gateOutput);
        };
        EXPECT_EQ(fields(s), fields(expected));
        drvtest::ClearRefusals();
    }
}

// Before any case registers the calibration layer's callbacks (ctest runs
// each case in a process of its own; a whole run keeps this order), so its
// panels cannot load yet.
TEST_F(MaintenanceTest, FailedLoadReturnsMinusOneAndTriesAgain)
{
    for (auto [button, handle] : {std::pair{CONFIGSYS_CALIBRATE, &fticPanel}, {CONFIGSYS_NVM, &nvmPanel}}) {
        EXPECT_EQ(press(button), -1);
        EXPECT_EQ(*handle, 0);
    }
    EXPECT_EQ(popups(), "");
    registerCalibrationStandIns();
    for (auto [button, handle] : {std::pair{CONFIGSYS_CALIBRATE, &fticPanel}, {CONFIGSYS_NVM, &nvmPanel}}) {
        EXPECT_EQ(press(button), 0);
        EXPECT_GT(*handle, 0);
    }
}

TEST_F(MaintenanceTest, CalibrationAndModuleDataPanelsAreLoadedOnceAndKept)
{
    registerCalibrationStandIns();
    for (auto [button, handle] : {std::pair{CONFIGSYS_CALIBRATE, &fticPanel}, {CONFIGSYS_NVM, &nvmPanel}}) {
        SCOPED_TRACE(button);
        const int loaded = uitest::LoadedPanelCount();
        EXPECT_EQ(press(button), 0);
        const int first = *handle;
        ASSERT_GT(first, 0);
        EXPECT_EQ(press(button), 0);
        EXPECT_EQ(*handle, first);
        EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 1);

        // Hidden by its own panel, CONFIGSYS closed and opened anew: the same
        // panel comes back.
        HidePanel(first);
        EXPECT_EQ(press(CONFIGSYS_CLOSE), 0);
        EXPECT_EQ(configSysPanel, 0);
        EXPECT_EQ(uitest::LoadedPanelCount(), loaded);
        ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
        EXPECT_EQ(press(button), 0);
        EXPECT_EQ(*handle, first);
        int visible = 0;
        GetPanelAttribute(first, ATTR_VISIBLE, &visible);
        EXPECT_EQ(visible, 1);
        EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 1);
    }
    // MAIN_SYSTEM while the panel exists shows it again, no second copy.
    const int open = configSysPanel;
    const int loaded = uitest::LoadedPanelCount();
    ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
    EXPECT_EQ(configSysPanel, open);
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded);
    EXPECT_EQ(popups(), "");
}

TEST_F(MaintenanceTest, ReporterAnswersExitCloseThePanelDemoSwitchesForGood)
{
    struct Row {
        int control;
        int event;
        const char *operation;
        int answer;
        bool panelStays;
        const char *lastPopup; // title of the last popup
    };
    const Row rows[] = {
        {CONFIGSYS_INT_LEVEL, EVENT_VAL_CHANGED, "kq3917e_SetInterruptLevel", EXIT, false,
         "Soft Front Panel Error"},
        {CONFIGSYS_SELF_TEST, EVENT_COMMIT, "kq3917e_testCounter", EXIT, false, "Soft Front Panel Error"},
        {CONFIGSYS_RESET, EVENT_COMMIT, "kq3917e_resetCounter", EXIT, false, "Soft Front Panel Error"},
        {CONFIGSYS_SELF_TEST, EVENT_COMMIT, "kq3917e_testCounter", IGNORE, true, "Counter Test Result"},
        {CONFIGSYS_TIMEOUT, EVENT_VAL_CHANGED, "kq3917e_setSystTimeout", DEMO, true,
         "Soft Front Panel Error"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.operation) + " answer " + std::to_string(row.answer));
        if (configSysPanel == 0) {
            ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
        }
        const int loaded = uitest::LoadedPanelCount();
        drvtest::Refuse(row.operation, kError);
        uitest::ClearPopups();
        if (row.answer == IGNORE) {
            uitest::ScriptPopupAnswers({IGNORE, 1});
        } else {
            uitest::ScriptPopupAnswers({row.answer});
        }
        drvtest::ClearCalls();
        EXPECT_EQ(press(row.control, row.event), 0);
        drvtest::ClearRefusals();
        ASSERT_FALSE(uitest::Popups().empty());
        EXPECT_EQ(uitest::Popups().back().title, row.lastPopup);
        EXPECT_EQ(configSysPanel > 0, row.panelStays);
        EXPECT_EQ(uitest::LoadedPanelCount(), loaded - (row.panelStays ? 0 : 1));
        const std::string calls = driverCalls();
        if (row.answer == EXIT) {
            // Nothing after the failing call: no result, no refresh.
            EXPECT_EQ(calls, row.operation + 8) << calls;
        }
        if (row.answer == DEMO) {
            // The switch, then the main panel follows the simulated module.
            EXPECT_EQ(demoMode, 1);
            EXPECT_EQ(calls.rfind("setSystTimeout simulate reset queryMeasurement ", 0), 0u) << calls;
        }
    }
    // From now on the panel's failures are silent.
    drvtest::Refuse("kq3917e_SetInterruptMask", kError);
    uitest::ClearPopups();
    EXPECT_EQ(press(CONFIGSYS_INT_MASK, EVENT_VAL_CHANGED), 0);
    EXPECT_EQ(popups(), "");
}

// The real dialog, button and message (no seam) in demonstration mode, where
// no VISA library gives a session: the first register write fails, and the
// message comes while the progress is still shown, inside the button's
// callback; afterwards the progress is hidden and the cursor back.
TEST_F(MaintenanceTest, RealFileDialogAndMessageInDemonstrationMode)
{
    uitest::Deactivate();
    demoMode = 1;
    instrSession = 0;
    const std::string path = testing::TempDir() + "real_image.bin";
    std::ofstream(path, std::ios::binary) << "0123456789";
    std::vector<std::string> seen;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            seen.push_back("dialog " + dialog->nameFilters().join(",").toStdString());
            dialog->selectFile(QString::fromStdString(path));
            QMetaObject::invokeMethod(dialog, "accept");
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            int visible = 0;
            GetCtrlAttribute(configSysPanel, CONFIGSYS_PROGRESS, ATTR_VISIBLE, &visible);
            const QCursor *cursor = QApplication::overrideCursor();
            seen.push_back((box->windowTitle() + ": " + box->text()).toStdString() +
                           (visible ? " (progress shown" : " (progress hidden") +
                           (cursor && cursor->shape() == Qt::WaitCursor ? ", waiting)" : ")"));
            box->accept();
        }
    });
    answer.start(5);
    DisplayPanel(configSysPanel);
    QTest::mouseClick(uitest::ControlWidget(configSysPanel, CONFIGSYS_FIRMWARE), Qt::LeftButton);
    answer.stop();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].substr(0, 12), "dialog *.bin");
    EXPECT_EQ(seen[1], "Firmware Update: Error writing data to UCT (progress shown, waiting)");
    int visible = -1;
    GetCtrlAttribute(configSysPanel, CONFIGSYS_PROGRESS, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
