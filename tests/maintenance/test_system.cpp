// SPDX-License-Identifier: GPL-3.0-or-later
// The system configuration panel over the driver's simulated module: reads on
// focus, the settings and the reporter's answers, the self-test texts, the
// reset of the settings record, and the kept FTIC and NVM panels.
#include "maintenancetest.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

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
        refuse({"kq3917e_readSystTimeout", "kq3917e_queryPostResult"}, refusal);
        demoMode = demo;
        EXPECT_EQ(uitest::CallPanelCallback(configSysPanel, EVENT_GOT_FOCUS), 0);
        EXPECT_EQ(driverCalls(), demo ? "" : "readSystTimeout queryPostResult");
        EXPECT_EQ(std::make_pair(value<int>(CONFIGSYS_TIMEOUT), value<int16_t>(CONFIGSYS_POST_RESULT)),
                  std::make_pair(timeout, post));
    }
    // Close does nothing; the panel is closed by its button only.
    refuse({}, 0);
    EXPECT_EQ(uitest::CallPanelCallback(configSysPanel, EVENT_CLOSE), 0);
    EXPECT_EQ(std::make_tuple(configSysPanel > 0, driverCalls(), popups()), std::make_tuple(true, "", ""));
}

TEST_F(MaintenanceTest, SettingsReportUnderTheDriverNameAndTheAnswersAct)
{
    struct Row {
        int control, value;
        const char *call; // the driver call the value change makes
        ViStatus status;
        int answer;
        const char *report; // title of the report, if any
        bool panelStays;
    };
    const char *error = "Soft Front Panel Error", *warning = "Soft Front Panel Warning";
    const Row rows[] = {
        {CONFIGSYS_INT_LEVEL, 5, "SetInterruptLevel(5)", 0, 0, "", true},
        {CONFIGSYS_INT_MASK, 0xA5, "SetInterruptMask(165)", kWarning, 0, warning, true},
        {CONFIGSYS_TIMEOUT, 2500, "setSystTimeout(2500)", kError, IGNORE, error, true},
        {CONFIGSYS_INT_LEVEL, 6, "SetInterruptLevel(6)", kError, EXIT, error, false},
        {CONFIGSYS_INT_MASK, 0x11, "SetInterruptMask(17)", kError, DEMO, error, true},
        // After "Demo" the panel's failures are silent.
        {CONFIGSYS_TIMEOUT, 300, "setSystTimeout(300)", kError, 0, "", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.call);
        if (configSysPanel == 0) {
            ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
        }
        SetCtrlVal(configSysPanel, row.control, row.value);
        refuse({}, 0);
        EXPECT_EQ(press(row.control), 0); // a commit does nothing
        EXPECT_EQ(driverCalls(), "");

        const std::string name = std::string("kq3917e_") + row.call;
        refuse({name.substr(0, name.find('('))}, row.status, {row.answer});
        const bool wasDemo = demoMode;
        EXPECT_EQ(press(row.control, EVENT_VAL_CHANGED), 0);
        EXPECT_EQ(drvtest::Calls()[0].name + "(" + drvtest::Calls()[0].args + ")", name);
        const std::string calls = driverCalls();
        EXPECT_EQ(uitest::Popups().size(), *row.report ? 1u : 0u);
        for (const uitest::PopupRecord &popup : uitest::Popups()) {
            EXPECT_EQ(popup.title, row.report);
            EXPECT_EQ(popup.text.substr(0, popup.text.find(" returned")),
                      "Function \"" + name.substr(0, name.find('(')) + "\"");
        }
        EXPECT_EQ(configSysPanel > 0, row.panelStays);
        if (demoMode && !wasDemo) {
            // The switch, then the main panel follows the simulated module.
            EXPECT_EQ(calls.rfind(std::string(row.call).substr(0, std::string(row.call).find('(')) +
                                      " simulate reset queryMeasurement ",
                                  0),
                      0u)
                << calls;
            char lamp[32] = "";
            GetCtrlAttribute(mainPanel, MAIN_STATUS_LED, ATTR_LABEL_TEXT, lamp, sizeof lamp);
            EXPECT_STREQ(lamp, "DEMO");
        }
    }
    EXPECT_EQ(std::make_pair(drvtest::SimModule().interruptLevel(), drvtest::SimModule().interruptMask()),
              std::make_pair((ViInt16)5, (ViInt16)0xA5));
}

TEST_F(MaintenanceTest, SelfTestShowsItsWordsThenRefreshes)
{
    const char *pass = "Counter Test Pass",
               *notRun = "Counter Test Fail:\n Result = 0xFFFFFFFF\n Relay = 0x0\n DAC = 0x0";
    struct Row {
        int16_t result;
        uint32_t relay;
        uint16_t dac;
        ViStatus status;
        int answer;
        const char *text; // of the result popup; none after "Exit"
    };
    const Row rows[] = {
        {0, 0xFFFFFFFF, 0xFFFF, 0, 0, pass},
        {0x12, 0x3, 0x80, 0, 0, "Counter Test Fail:\n Result = 0x12\n Relay = 0x3\n DAC = 0x80"},
        {-1, 0, 0, 0, 0, notRun},
        {-32768, 0x80000000, 0xFFFF, 0, 0,
         "Counter Test Fail:\n Result = 0xFFFF8000\n Relay = 0x80000000\n DAC = 0xFFFF"},
        {0, 0, 0, kWarning, 0, pass},
        {0, 0, 0, kError, IGNORE, notRun}, // a test that did not run never passes
        {0, 0, 0, kError, EXIT, nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text ? row.text : "exit");
        drvtest::SimModule().setSelfTestWords(row.result, row.relay, row.dac);
        refuse({"kq3917e_testCounter"}, row.status, {row.answer, row.answer == EXIT ? 0 : 1});
        EXPECT_EQ(press(CONFIGSYS_SELF_TEST), 0);
        const uitest::PopupRecord &last = uitest::Popups().back();
        const std::string calls = driverCalls();
        if (row.text) {
            EXPECT_EQ(last.kind + "|" + last.title + "|" + last.text,
                      std::string("message|Counter Test Result|") + row.text);
            // The test, then the refresh of the main panel.
            EXPECT_EQ(calls.rfind("testCounter queryMeasurement ", 0), 0u) << calls;
        } else {
            EXPECT_EQ(std::make_tuple(last.title, calls, configSysPanel),
                      std::make_tuple("Soft Front Panel Error", "testCounter", 0));
        }
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
            callsWhileShown = box->windowTitle().toStdString() + ": " + driverCalls();
            box->accept();
        }
    });
    answer.start(5);
    refuse({}, 0);
    EXPECT_EQ(press(CONFIGSYS_SELF_TEST), 0);
    answer.stop();
    // The popup's coming and going may give CONFIGSYS the focus, and with it
    // its reads; the refresh starts with queryMeasurement.
    EXPECT_EQ(callsWhileShown.rfind("Counter Test Result: testCounter", 0), 0u) << callsWhileShown;
    EXPECT_EQ(callsWhileShown.find("queryMeasurement"), std::string::npos) << callsWhileShown;
    EXPECT_NE(driverCalls().find(" queryMeasurement "), std::string::npos) << driverCalls();
}

TEST_F(MaintenanceTest, ResetWritesTheRecordStopsContinuousAndRefreshes)
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
    // Module answers the refresh: its own values replace the reset values.
    // Module silent (and the reset's report ignored): the reset values stand.
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "queries refused" : "queries answered");
        // Values that no reset or module gives.
        settings = CounterSettings{7, 55, 11, 1, 2, 1, 1, 1, 1, 1, 1,    1, 2, 2,   3.5, -3.5, 1,
                                   1, 1,  1,  1, 3, 3, 1, 3, 4, 5, -2.5, 1, 1, 0.5, 2,   3};
        continuousMode = 1;
        markRunButtons(1);
        refuse({}, 0, {IGNORE});
        if (silent) {
            drvtest::RefuseAll(kError);
        }
        EXPECT_EQ(press(CONFIGSYS_RESET), 0);
        const std::string calls = driverCalls();
        EXPECT_EQ(calls.rfind("resetCounter queryMeasurement ", 0), 0u) << calls;
        int mark = -1;
        GetCtrlAttribute(mainPanel, MAIN_CONTINUOUS, ATTR_ACTIVE_MARK, &mark);
        EXPECT_EQ(std::make_pair(continuousMode, mark), std::make_pair(0, 0));
        CounterSettings expected{0, 8, 11, 0, 0, 0, 0, 0, 0, 0,  0,   0, 0, 0,        0.0, 0.0, 0,
                                 0, 0, 0,  0, 1, 1, 0, 3, 4, 10, 1.6, 0, 0, 0.000192, 1,   8};
        if (!silent) {
            expected.aperture = 100;
            expected.extArmSource = 9;
            expected.startArmSource = expected.stopArmSource = 0;
        }
        EXPECT_EQ(fields(settings), fields(expected));
    }
}

// A panel whose file cannot be read (here: missing) does not load, says why,
// and loads on the next press once the file is there again. Independent of
// which cases ran before in the same process.
TEST_F(MaintenanceTest, FailedLoadReturnsMinusOneAndTriesAgain)
{
    registerCalibrationStandIns();
    for (int attempt : {0, 1}) {
        if (attempt == 0) {
            setenv("UCT_SFP_RESOURCE_FILE", "/nonexistent/panels.uir", 1);
        } else {
            unsetenv("UCT_SFP_RESOURCE_FILE");
        }
        for (auto [button, handle] :
             {std::pair{CONFIGSYS_CALIBRATE, &fticPanel}, {CONFIGSYS_NVM, &nvmPanel}}) {
            EXPECT_EQ(press(button), attempt == 0 ? -1 : 0);
            EXPECT_EQ(*handle > 0, attempt == 1);
        }
    }
    ASSERT_EQ(uitest::Popups().size(), 2u);
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        EXPECT_EQ(popup.title, "Error loading panel");
        EXPECT_NE(popup.text.find("/nonexistent/panels.uir"), std::string::npos) << popup.text;
    }
}

TEST_F(MaintenanceTest, CalibrationAndModuleDataPanelsAreLoadedOnceAndKept)
{
    registerCalibrationStandIns();
    const int loaded = uitest::LoadedPanelCount();
    for (auto [button, handle] : {std::pair{CONFIGSYS_CALIBRATE, &fticPanel}, {CONFIGSYS_NVM, &nvmPanel}}) {
        SCOPED_TRACE(button);
        EXPECT_EQ(std::make_pair(press(button), press(button)), std::make_pair(0, 0));
        const int first = *handle;
        // Hidden by its own panel, CONFIGSYS closed and opened anew: the same
        // panel comes back. MAIN_SYSTEM with CONFIGSYS open only shows it.
        HidePanel(first);
        EXPECT_EQ(press(CONFIGSYS_CLOSE), 0);
        EXPECT_EQ(configSysPanel, 0);
        for (int i = 0; i < 2; i++) {
            ASSERT_EQ(uitest::CallCtrlCallback(mainPanel, MAIN_SYSTEM, EVENT_COMMIT), 0);
        }
        EXPECT_EQ(press(button), 0);
        int visible = 0;
        GetPanelAttribute(first, ATTR_VISIBLE, &visible);
        EXPECT_EQ(std::make_pair(*handle, visible), std::make_pair(first, 1));
    }
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 2);
    EXPECT_EQ(popups(), "");
}

// The real dialog, confirmation, button and message (no seam) without a
// session: the first register write fails, and the message comes while the
// progress is still shown, inside the button's callback; afterwards the
// progress is hidden and the cursor back.
TEST_F(MaintenanceTest, RealFileDialogConfirmationAndMessageWithoutASession)
{
    uitest::Deactivate();
    demoMode = 0;
    instrSession = 0;
    const std::string path = imageFile("real_image.bin", 10);
    std::vector<std::string> seen;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            seen.push_back("dialog " + dialog->nameFilters().join(",").toStdString());
            dialog->selectFile(QString::fromStdString(path));
            QMetaObject::invokeMethod(dialog, "accept");
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            const QCursor *cursor = QApplication::overrideCursor();
            seen.push_back(
                (box->windowTitle() + ": " + box->text()).toStdString() +
                (attribute(CONFIGSYS_PROGRESS, ATTR_VISIBLE) ? " (progress shown" : " (progress hidden") +
                (cursor && cursor->shape() == Qt::WaitCursor ? ", waiting)" : ")"));
            if (QAbstractButton *yes = box->button(QMessageBox::Yes))
                yes->click();
            else
                box->accept();
        }
    });
    answer.start(5);
    DisplayPanel(configSysPanel);
    QTest::mouseClick(uitest::ControlWidget(configSysPanel, CONFIGSYS_FIRMWARE), Qt::LeftButton);
    answer.stop();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].substr(0, 12), "dialog *.bin");
    EXPECT_EQ(seen[1].substr(0, 59), "Firmware Update: Replace the firmware of the module in slot");
    EXPECT_EQ(seen[2], "Firmware Update: Error writing data to UCT (progress shown, waiting)");
    EXPECT_EQ(std::make_pair(attribute(CONFIGSYS_PROGRESS, ATTR_VISIBLE), QApplication::overrideCursor()),
              std::make_pair(0, (QCursor *)nullptr));
}

} // namespace
