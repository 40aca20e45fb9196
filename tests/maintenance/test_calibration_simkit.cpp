// SPDX-License-Identifier: GPL-3.0-or-later
// The FTIC calibration and module data panels on a module of the simulated
// PXI system: what focus reads, what each control sends, the measure toggles,
// hiding, storing, the calibration readings that the measurement timer takes;
// and a module that stops answering.
#include "maintenancetest.h"

#include <QLineEdit>

#include <cmath>
#include <tuple>

namespace
{

struct CalibrationTest : MaintenanceTest {
    void SetUp() override
    {
        MaintenanceTest::SetUp();
        openModule();
        // Distinct codes in every DAC, so that a swapped index shows.
        for (ViInt16 dac = 1; dac <= 14; dac++)
            ASSERT_EQ(kq3917e_confCalibrationDAC(instrSession, dac, ViInt16(100 + dac)), VI_SUCCESS);
        drvtest::ClearCalls();
    }

    static QLineEdit *field(int c) { return qobject_cast<QLineEdit *>(uitest::ControlWidget(nvmPanel, c)); }
};

TEST_F(CalibrationTest, FocusReadsTheModuleInOrder)
{
    auto reads = [](int threshold1, int threshold2) {
        return joined(std::vector{6, 7, 5, -1, threshold1, 13, 14, 12, -2, threshold2}, " ", [](int n) {
            return n < 0 ? "queryInputHysteresis(" + std::to_string(-n) + ")"
                         : "queryCalibrationDAC(" + std::to_string(n) + ")";
        });
    };
    // Before each focus the panel shows the resource file's codes, both LEDs
    // dark and both toggles on.
    const std::string fresh = "2048 2048 2048 128 2048 2048 2048 128", codes = "105 106 107 10";
    const auto toggles = {FTIC_IN1_HYST_LED, FTIC_IN2_HYST_LED, FTIC_IN1_MEASURE, FTIC_IN2_MEASURE};
    // demo, hysteresis of each input, calibration flags, refused query -> calls, panel
    const std::tuple<int, int, int, int, int, const char *, std::string, std::string> cases[] = {
        {0, 0, 1, 1, 1, "", reads(1, 9), codes + "1 112 113 114 109 | 1 0 1 0"},
        {0, 1, 0, 0, 1, "", reads(2, 8), codes + "2 112 113 114 108 | 0 1 0 1"},
        {1, 0, 1, 1, 0, "", "", fresh + " | 0 0 1 1"},
        // A failed query leaves its control; the threshold follows the LED.
        {0, 0, 1, 0, 0, "kq3917e_queryCalibrationDAC", reads(1, 9), fresh + " | 1 0 0 0"},
        {0, 0, 0, 0, 0, "kq3917e_queryInputHysteresis", reads(2, 9), codes + "2 112 113 114 109 | 0 0 0 0"},
    };
    for (const auto &[demo, hysteresis1, hysteresis2, mode1, mode2, refused, sent, state] : cases) {
        SCOPED_TRACE(testing::Message() << demo << refused << hysteresis1 << hysteresis2 << mode1 << mode2);
        demonstration(0);
        kq3917e_confInputHysteresis(instrSession, 1, hysteresis1);
        kq3917e_confInputHysteresis(instrSession, 2, hysteresis2);
        DiscardPanel(std::exchange(fticPanel, LoadPanel(0, RESOURCE_FILE, FTIC)));
        for (int control : toggles)
            SetCtrlVal(fticPanel, control, control == FTIC_IN1_MEASURE || control == FTIC_IN2_MEASURE);
        std::tie(calibrationMode[0], calibrationMode[1]) = std::tie(mode1, mode2);
        demonstration(demo);
        refuse(refused, kError);
        uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS);
        EXPECT_EQ(
            text(fticPanel, 0, ATTR_TITLE) + "|" + calls() + "|" +
                values(fticPanel, {FTIC_IN1_DAC5, FTIC_IN1_DAC6, FTIC_IN1_DAC7, FTIC_IN1_THRESHOLD,
                                   FTIC_IN2_DAC12, FTIC_IN2_DAC13, FTIC_IN2_DAC14, FTIC_IN2_THRESHOLD}) +
                " | " + values(fticPanel, toggles),
            std::string("ZORa 3917 Universal Counter Timer - Calibrate [") +
                (demo ? "Demonstration mode]|" : "PXI0::7-0.0::INSTR]|") + sent + "|" + state);
    }
    EXPECT_EQ(popups(), "");
}

TEST_F(CalibrationTest, CommitsSendWhatTheControlSays)
{
    // input, control, the input's hysteresis LED before, code typed (-1: none)
    // -> calls | the input's LED and threshold code (77 before)
    const std::tuple<int, int, int, int16_t, std::string> cases[] = {
        {1, FTIC_IN1_LEVEL_POS, 1, -1, "confInputTriggering(1,0,5.1,0) | 1 77"},
        {1, FTIC_IN1_LEVEL_ZERO, 1, -1, "confInputTriggering(1,0,0,0) | 1 77"},
        {1, FTIC_IN1_LEVEL_NEG, 1, -1, "confInputTriggering(1,0,-5.1,0) | 1 77"},
        {2, FTIC_IN2_LEVEL_NEG, 1, -1, "confInputTriggering(2,0,-5.1,0) | 1 77"},
        // Input 1 reads the new state's DAC first, input 2 switches first.
        {1, FTIC_IN1_HYSTERESIS, 1, -1, "queryCalibrationDAC(2) confInputHysteresis(1,1) | 0 102"},
        {2, FTIC_IN2_HYSTERESIS, 0, -1, "confInputHysteresis(2,0) queryCalibrationDAC(8) | 1 108"},
        // The threshold goes to the DAC of the state the LED shows.
        {1, FTIC_IN1_THRESHOLD, 1, 200, "confCalibrationDAC(1,200) | 1 200"},
        {2, FTIC_IN2_THRESHOLD, 0, 200, "confCalibrationDAC(9,200) | 0 200"},
        {2, FTIC_IN2_DAC14, 1, 3, "confCalibrationDAC(14,3) | 1 77"},
    };
    for (const auto &[input, control, lit, entry, expected] : cases) {
        const int led = input == 2 ? FTIC_IN2_HYST_LED : FTIC_IN1_HYST_LED;
        const int threshold = input == 2 ? FTIC_IN2_THRESHOLD : FTIC_IN1_THRESHOLD;
        SetCtrlVal(fticPanel, led, lit);
        SetCtrlVal(fticPanel, threshold, 77);
        if (entry >= 0)
            SetCtrlVal(fticPanel, control, entry);
        drvtest::ClearCalls();
        uitest::CallCtrlCallback(fticPanel, control, EVENT_COMMIT);
        EXPECT_EQ(calls() + " | " + values(fticPanel, {led, threshold}), expected);
    }
}

// A threshold DAC that cannot be read when the hysteresis is toggled: its
// control still holds the other state's code, so it is dimmed (nothing typed
// into it can reach either DAC) and marked until a code is read.
TEST_F(CalibrationTest, UnreadThresholdIsNeverSent)
{
    for (auto [button, threshold, otherDac] : {std::tuple{FTIC_IN1_HYSTERESIS, FTIC_IN1_THRESHOLD, 1},
                                               {FTIC_IN2_HYSTERESIS, FTIC_IN2_THRESHOLD, 8}}) {
        SCOPED_TRACE(otherDac);
        uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS);
        auto state = [threshold = threshold] {
            return std::to_string(value(fticPanel, threshold)) +
                   (uitest::ControlWidget(fticPanel, threshold)->isEnabled() ? " " : " dimmed ") +
                   text(fticPanel, threshold, ATTR_LABEL_TEXT);
        };
        const std::string code = std::to_string(100 + otherDac), before = code + " THRESHOLD DAC";
        EXPECT_EQ(state(), before);
        drvtest::Refuse("kq3917e_queryCalibrationDAC", kError);
        QTest::mouseClick(uitest::ControlWidget(fticPanel, button), Qt::LeftButton);
        EXPECT_EQ(state(), code + " dimmed THRESHOLD DAC (NOT READ)");
        // Back to the first state, read again.
        drvtest::ClearRefusals();
        QTest::mouseClick(uitest::ControlWidget(fticPanel, button), Qt::LeftButton);
        EXPECT_EQ(state(), before);
    }
}

// Real clicks on the toggles: on sets the function and the system timeout,
// moves the flag and turns the other toggle off; off only clears the flags;
// in demonstration mode nothing is sent and no flag set.
// The close box ends a running calibration measurement, in demonstration
// mode too; the menu's Close only hides the panel. The toggles wait for the
// next focus.
TEST_F(CalibrationTest, TogglesAndClosingSwitchTheCalibrationMeasurement)
{
    const std::string in1 = "confMeasurement(0) setSystTimeout(1)",
                      in2 = "confMeasurement(1) setSystTimeout(1)";
    // click, menu item or close box; demonstration mode -> calls, flags and toggles, shown
    const std::tuple<int, int, std::string, const char *> steps[] = {
        {FTIC_IN1_MEASURE, 0, in1, "{ 1, 0 } 1 0 shown"}, {FTIC_IN2_MEASURE, 0, in2, "{ 0, 1 } 0 1 shown"},
        {FTICMENU_CLOSE, 0, "", "{ 0, 1 } 0 1"},          {0, 0, "", "{ 0, 0 } 0 1"},
        {FTIC_IN1_MEASURE, 0, in1, "{ 1, 0 } 1 0 shown"}, {0, 1, "", "{ 0, 0 } 1 0"},
        {FTIC_IN2_MEASURE, 0, in2, "{ 0, 1 } 0 1 shown"}, {FTIC_IN2_MEASURE, 0, "", "{ 0, 0 } 0 0 shown"},
        {FTIC_IN2_MEASURE, 1, "", "{ 0, 0 } 0 1 shown"}};
    for (const auto &[action, demo, sent, state] : steps) {
        SCOPED_TRACE(testing::Message() << action << " demo " << demo);
        demonstration(demo);
        DisplayPanel(fticPanel);
        if (action == FTICMENU_CLOSE)
            choose(fticPanel, "FTICMENU_CLOSE");
        else if (action == 0)
            uitest::PanelWidget(fticPanel)->close(); // the window's own close box
        else
            QTest::mouseClick(uitest::ControlWidget(fticPanel, action), Qt::LeftButton);
        EXPECT_EQ(calls() + "|" + testing::PrintToString(calibrationMode) + " " +
                      values(fticPanel, {FTIC_IN1_MEASURE, FTIC_IN2_MEASURE}) +
                      (uitest::PanelWidget(fticPanel)->isVisible() ? " shown" : ""),
                  sent + "|" + state);
    }
    // NVM: its button hides it.
    DisplayPanel(nvmPanel);
    QTest::mouseClick(uitest::ControlWidget(nvmPanel, NVM_CLOSE), Qt::LeftButton);
    EXPECT_FALSE(uitest::PanelWidget(nvmPanel)->isVisible());
}

// The band is inclusive and not a number lies outside. While a calibration
// reading runs nothing else is measured: the main display stays, a pending
// single reading waits and is served on the first tick after it ends. A code
// entered on the panel reaches the module and can move its reading out; a
// refused read is no reading at all: dashes, and outside whatever lastReading
// holds. An input's reading leaves the other input's LED as it was.
TEST_F(CalibrationTest, CalibrationReadingsHoldBackEveryOtherMode)
{
    openModule(); // a fresh module, its DACs at their reset codes
    for (auto [reading, outside] :
         {std::pair{99999.0, 0}, {100001.0, 0}, {99998.9, 1}, {100001.1, 1}, {std::nan(""), 1}})
        EXPECT_EQ(outsideCalibrationBand(reading), outside) << reading;
    const int measure[] = {FTIC_IN1_MEASURE, FTIC_IN2_MEASURE},
              readingOf[] = {FTIC_IN1_READING, FTIC_IN2_READING};
    // input, DAC control and code entered (0: none), read refused, single
    // pending, continuous -> out-of-tolerance LEDs
    const std::tuple<int, int, int16_t, ViStatus, int, int, const char *> rows[] = {
        {0, 0, 0, 0, 1, 0, "0 0"},
        {0, 0, 0, kError, 1, 0, "1 0"},
        {1, FTIC_IN2_DAC12, 4095, 0, 0, 1, "1 1"},
    };
    for (auto [input, control, code, refused, single, continuous, leds] : rows) {
        SCOPED_TRACE(testing::Message() << input << " " << code << " " << refused << single << continuous);
        kq3917e_triggerContinuous(instrSession, static_cast<ViInt16>(continuous));
        SetCtrlVal(fticPanel, measure[input], 1);
        uitest::CallCtrlCallback(fticPanel, measure[input], EVENT_VAL_CHANGED);
        SetCtrlVal(fticPanel, readingOf[1 - input], "");
        SetCtrlVal(mainPanel, MAIN_READING, "untouched");
        if (control != 0) {
            SetCtrlVal(fticPanel, control, code);
            uitest::CallCtrlCallback(fticPanel, control, EVENT_COMMIT);
        }
        singleReadingPending = single;
        continuousMode = continuous;
        refuse("kq3917e_read", refused);
        lastReading = 100000.0;
        uitest::TimerTick(mainPanel, MAIN_TIMER);
        EXPECT_EQ(std::make_tuple(calls(), values(fticPanel, {FTIC_IN1_OUT_OF_TOL, FTIC_IN2_OUT_OF_TOL}),
                                  text(mainPanel, MAIN_READING), text(fticPanel, readingOf[1 - input]),
                                  singleReadingPending, continuousMode),
                  std::make_tuple("read()", leds, "untouched", "", single, continuous));
        const std::string r = text(fticPanel, readingOf[input]); // dashes, or near the module's 100 kHz
        EXPECT_TRUE(refused ? r == "------.--- Hz" : control || std::abs(std::stod(r) - 1e5) < 1) << r;
        calibrationMode[input] = 0;
        refuse("", 0);
        uitest::TimerTick(mainPanel, MAIN_TIMER);
        EXPECT_EQ(calls() + " " + std::to_string(singleReadingPending),
                  std::string(single ? "read()" : "fetch()") +
                      " queryInputTriggering(1) queryInputTriggering(2) 0");
        EXPECT_NE(text(mainPanel, MAIN_READING), "untouched");
    }
}

// ---- the module data panel

const std::pair<int, ViInt16> fields[] = {{NVM_DATA_1, 1}, {NVM_DATA_2, 2}, {NVM_DATA_3, 3}, {NVM_DATA_5, 5},
                                          {NVM_DATA_6, 6}, {NVM_DATA_7, 7}, {NVM_DATA_8, 8}};

// Item 1 holds the longest text the module keeps, multi-byte characters and
// all: it passes the shared buffer whole.
TEST_F(CalibrationTest, FocusShowsTheModulesTextsInOrder)
{
    std::string wide;
    for (int i = 0; i < field(NVM_DATA_1)->maxLength(); i++) // 2 and 3 bytes
        wide += i % 2 ? "\xC3\xA9" : "\xE2\x82\xAC";
    const std::string queries = "queryModuleData(5) queryModuleData(6) queryModuleData(7) queryModuleData(8) "
                                "queryModuleData(2) queryModuleData(1) queryModuleData(3)|";
    // refused query, demonstration mode -> calls, texts from the module
    for (auto [refused, demo, sent, fromModule] : {std::tuple{"", 0, queries, true},
                                                   {"kq3917e_queryModuleData", 0, queries, false},
                                                   {"", 1, "|", false}}) {
        std::string expected = sent;
        for (auto [control, item] : fields) {
            const std::string kept = item == 1 ? wide : "module " + std::to_string(item);
            ASSERT_EQ(kq3917e_confModuleData(instrSession, item, kept.c_str()), VI_SUCCESS);
            SetCtrlVal(nvmPanel, control, ("shown " + std::to_string(item)).c_str());
            expected += (fromModule ? kept : "shown " + std::to_string(item)) + "|";
        }
        // What the shared buffer holds from earlier must never reach a field.
        snprintf(sharedText, sizeof sharedText, "left over");
        demonstration(demo);
        refuse(refused, kError);
        uitest::CallPanelCallback(nvmPanel, EVENT_GOT_FOCUS);
        EXPECT_EQ(calls() + "|" + joined(fields, "", [](auto f) { return text(nvmPanel, f.first) + "|"; }),
                  expected);
    }
}

// Real typing: every edit sends the field's whole text as it stands, never a
// difference; in demonstration mode nothing is sent.
TEST_F(CalibrationTest, EditsSendTheWholeText)
{
    DisplayPanel(nvmPanel);
    uitest::CallPanelCallback(nvmPanel, EVENT_GOT_FOCUS);
    for (int demo : {0, 1}) {
        for (auto [control, item] : {std::pair{NVM_DATA_1, 1}, {NVM_DATA_2, 2}, {NVM_DATA_3, 3}}) {
            const std::string before = text(nvmPanel, control);
            demonstration(demo);
            field(control)->setFocus();
            field(control)->end(false);
            QTest::keyClicks(field(control), "ab");
            QTest::keyClick(field(control), Qt::Key_Backspace);
            const std::string sent = "confModuleData(" + std::to_string(item) + ",\"" + before;
            EXPECT_EQ(calls(), demo ? "" : sent + "a\") " + sent + "ab\") " + sent + "a\")");
        }
    }
}

// Storing from either panel's menu calls the driver in every mode, and a
// store that fails or warns is reported: the technician must not believe the
// module kept what it did not.
TEST_F(CalibrationTest, StoringReportsAFailure)
{
    for (auto [panel, item, operation, action] :
         {std::tuple{&fticPanel, "FTICMENU_WRITE", "kq3917e_WriteCounterCalibrationData",
                     "storing calibration data"},
          {&nvmPanel, "NVMMENU_WRITE", "kq3917e_WriteModuleData", "storing module data"}}) {
        for (auto [demo, status] :
             {std::pair{0, VI_SUCCESS}, {0, kError}, {1, kError}, {0, ViStatus{0x3FFC0801}}}) {
            demonstration(demo);
            DisplayPanel(*panel);
            refuse(operation, status);
            choose(*panel, item);
            char message[KQ3917E_MESSAGE_SIZE] = "";
            kq3917e_error_message(instrSession, status, message);
            EXPECT_EQ(calls() + "|" + popups() + (uitest::PanelWidget(*panel)->isVisible() ? "|shown" : ""),
                      std::string(operation + 8) + "()|" +
                          (status ? "API Error: " + std::string(action) + ": " + message : "") + "|shown");
        }
    }
}

// A module that stops answering ("dieafter"): one report per refresh or
// handler instead of one per query. Per popup: its title and how many of its
// lines name the no-answer status.
TEST_F(CalibrationTest, OneHandlerGivesOneReport)
{
    openModule(",dieafter=1");
    uitest::ScriptPopupAnswers({IGNORE});
    press(CONFIGSYS_RESET);
    std::string counts;
    for (const uitest::PopupRecord &popup : uitest::Popups()) {
        int lines = 0;
        for (size_t at = 0; (at = popup.text.find(": 0xBFFF0015\n", at)) != std::string::npos; at++)
            lines++;
        counts += popup.title + " " + std::to_string(lines) + ";";
    }
    EXPECT_EQ(counts, "Soft Front Panel Error 0;API Error 23;");
}

} // namespace
