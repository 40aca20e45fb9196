// SPDX-License-Identifier: GPL-3.0-or-later
// The FTIC calibration panel on a module of the simulated PXI system: what
// focus reads, what each control sends, the measure toggles, hiding, storing.
#include "caltest.h"

#include <QPushButton>
#include <QTest>

#include <vector>

namespace
{

// Distinct codes in every DAC the panel shows, so that a swapped index shows.
void setDistinctCodes()
{
    for (ViInt16 dac = 1; dac <= 14; dac++) {
        ASSERT_EQ(kq3917e_confCalibrationDAC(instrSession, dac, static_cast<ViInt16>(100 + dac)), VI_SUCCESS);
    }
}

const int dacControls[] = {FTIC_IN1_DAC5,  FTIC_IN1_DAC6,  FTIC_IN1_DAC7,      FTIC_IN2_DAC12,
                           FTIC_IN2_DAC13, FTIC_IN2_DAC14, FTIC_IN1_THRESHOLD, FTIC_IN2_THRESHOLD};

// The codes shown by dacControls, joined by blanks.
std::string shownCodes()
{
    std::string codes;
    for (int control : dacControls) {
        codes += (codes.empty() ? "" : " ") + std::to_string(value<int16_t>(fticPanel, control));
    }
    return codes;
}

struct FocusCase {
    const char *what;
    int demo;
    ViUInt16 hysteresis1, hysteresis2;
    int16_t mode1, mode2;
    const char *refused; // a driver operation that fails
    std::string calls;
    const char *codes;   // shown in dacControls' order
    const char *leds;    // IN1, IN2 hysteresis LEDs
    const char *toggles; // IN1, IN2 measure toggles
};

class FticFocus : public CalibrationTest, public ::testing::WithParamInterface<FocusCase>
{
};

TEST_P(FticFocus, ReadsTheModuleInOrder)
{
    const FocusCase &c = GetParam();
    setDistinctCodes();
    kq3917e_confInputHysteresis(instrSession, 1, c.hysteresis1);
    kq3917e_confInputHysteresis(instrSession, 2, c.hysteresis2);
    // What the panel showed before: resource values, LEDs 0, toggles 1.
    SetCtrlVal(fticPanel, FTIC_IN1_HYST_LED, 0);
    SetCtrlVal(fticPanel, FTIC_IN2_HYST_LED, 0);
    SetCtrlVal(fticPanel, FTIC_IN1_MEASURE, 1);
    SetCtrlVal(fticPanel, FTIC_IN2_MEASURE, 1);
    calibrationMode[0] = c.mode1;
    calibrationMode[1] = c.mode2;
    if (c.demo) {
        enterDemoMode();
    }
    drvtest::Refuse(c.refused, refusedStatus);
    drvtest::ClearCalls();

    EXPECT_EQ(uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS), 0);

    EXPECT_EQ(title(fticPanel), "ZORa 3917 Universal Counter Timer - Calibrate [PXI0::7-0.0::INSTR]");
    EXPECT_EQ(calls(), c.calls);
    EXPECT_EQ(shownCodes(), c.codes);
    EXPECT_EQ(std::to_string(value(fticPanel, FTIC_IN1_HYST_LED)) +
                  std::to_string(value(fticPanel, FTIC_IN2_HYST_LED)),
              c.leds);
    EXPECT_EQ(std::to_string(value(fticPanel, FTIC_IN1_MEASURE)) +
                  std::to_string(value(fticPanel, FTIC_IN2_MEASURE)),
              c.toggles);
    EXPECT_EQ(popups(), "");
}

const char *const dacReads1 = "queryCalibrationDAC(6) queryCalibrationDAC(7) queryCalibrationDAC(5) "
                              "queryInputHysteresis(1) queryCalibrationDAC(";
const char *const dacReads2 = ") queryCalibrationDAC(13) queryCalibrationDAC(14) queryCalibrationDAC(12) "
                              "queryInputHysteresis(2) queryCalibrationDAC(";
std::string focusCalls(int threshold1, int threshold2)
{
    return dacReads1 + std::to_string(threshold1) + dacReads2 + std::to_string(threshold2) + ")";
}
const std::string reads01 = focusCalls(1, 9), reads10 = focusCalls(2, 8);

INSTANTIATE_TEST_SUITE_P(
    Cases, FticFocus,
    ::testing::Values(FocusCase{"codes by hysteresis", 0, 0, 1, 0, 0, "", reads01,
                                "105 106 107 112 113 114 101 109", "10", "00"},
                      FocusCase{"other hysteresis", 0, 1, 0, 0, 0, "", reads10,
                                "105 106 107 112 113 114 102 108", "01", "00"},
                      FocusCase{"input 1 measuring", 0, 0, 0, 1, 0, "", focusCalls(1, 8),
                                "105 106 107 112 113 114 101 108", "11", "10"},
                      FocusCase{"input 2 measuring", 0, 0, 0, 0, 1, "", focusCalls(1, 8),
                                "105 106 107 112 113 114 101 108", "11", "01"},
                      // Demonstration mode: only the title.
                      FocusCase{"demonstration", 1, 0, 1, 1, 0, "", "",
                                "2048 2048 2048 2048 2048 2048 128 128", "00", "11"},
                      // Failed queries leave what the panel showed; the threshold follows the LED.
                      FocusCase{"DAC queries fail", 0, 0, 1, 0, 0, "kq3917e_queryCalibrationDAC", reads01,
                                "2048 2048 2048 2048 2048 2048 128 128", "10", "00"},
                      FocusCase{"hysteresis queries fail", 0, 0, 0, 0, 0, "kq3917e_queryInputHysteresis",
                                focusCalls(2, 9), "105 106 107 112 113 114 102 109", "00", "00"}),
    [](const auto &info) {
        std::string name = info.param.what;
        for (char &ch : name) {
            ch = isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

struct CommitCase {
    int control;
    int led;       // the input's hysteresis LED before
    int16_t entry; // the control's value before
    const char *calls;
    int ledAfter;
    int16_t thresholdAfter; // shown by the input's threshold control, -1: untouched
};

class FticCommit : public CalibrationTest, public ::testing::WithParamInterface<CommitCase>
{
};

TEST_P(FticCommit, SendsWhatTheControlSays)
{
    const CommitCase &c = GetParam();
    setDistinctCodes();
    const bool input2 = c.control == FTIC_IN2_HYSTERESIS || c.control == FTIC_IN2_THRESHOLD ||
                        c.control == FTIC_IN2_LEVEL_POS || c.control == FTIC_IN2_LEVEL_ZERO ||
                        c.control == FTIC_IN2_LEVEL_NEG || c.control == FTIC_IN2_DAC12 ||
                        c.control == FTIC_IN2_DAC13 || c.control == FTIC_IN2_DAC14;
    const int led = input2 ? FTIC_IN2_HYST_LED : FTIC_IN1_HYST_LED;
    const int threshold = input2 ? FTIC_IN2_THRESHOLD : FTIC_IN1_THRESHOLD;
    SetCtrlVal(fticPanel, led, c.led);
    SetCtrlVal(fticPanel, threshold, 77);
    if (c.entry >= 0) {
        SetCtrlVal(fticPanel, c.control, c.entry);
    }
    const double mainLevel = value<double>(mainPanel, MAIN_TRIG_LEVEL_1);
    const CounterSettings before = settings;
    drvtest::ClearCalls();

    EXPECT_EQ(uitest::CallCtrlCallback(fticPanel, c.control, EVENT_COMMIT), 0);

    EXPECT_EQ(calls(), c.calls);
    EXPECT_EQ(value(fticPanel, led), c.ledAfter);
    EXPECT_EQ(value<int16_t>(fticPanel, threshold), c.thresholdAfter < 0 ? 77 : c.thresholdAfter);
    // The settings record and the main panel are left to the main panel's refresh.
    EXPECT_EQ(settings.in1Level, before.in1Level);
    EXPECT_EQ(settings.in2Level, before.in2Level);
    EXPECT_EQ(value<double>(mainPanel, MAIN_TRIG_LEVEL_1), mainLevel);
    EXPECT_EQ(popups(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Controls, FticCommit,
    ::testing::Values(
        CommitCase{FTIC_IN1_LEVEL_POS, 1, -1, "confInputTriggering(1,0,5.1,0)", 1, -1},
        CommitCase{FTIC_IN1_LEVEL_ZERO, 1, -1, "confInputTriggering(1,0,0,0)", 1, -1},
        CommitCase{FTIC_IN1_LEVEL_NEG, 1, -1, "confInputTriggering(1,0,-5.1,0)", 1, -1},
        CommitCase{FTIC_IN2_LEVEL_POS, 1, -1, "confInputTriggering(2,0,5.1,0)", 1, -1},
        CommitCase{FTIC_IN2_LEVEL_ZERO, 1, -1, "confInputTriggering(2,0,0,0)", 1, -1},
        CommitCase{FTIC_IN2_LEVEL_NEG, 1, -1, "confInputTriggering(2,0,-5.1,0)", 1, -1},
        // Input 1 reads the DAC of the new state first, input 2 switches first.
        CommitCase{FTIC_IN1_HYSTERESIS, 1, -1, "queryCalibrationDAC(2) confInputHysteresis(1,1)", 0, 102},
        CommitCase{FTIC_IN1_HYSTERESIS, 0, -1, "queryCalibrationDAC(1) confInputHysteresis(1,0)", 1, 101},
        CommitCase{FTIC_IN2_HYSTERESIS, 1, -1, "confInputHysteresis(2,1) queryCalibrationDAC(9)", 0, 109},
        CommitCase{FTIC_IN2_HYSTERESIS, 0, -1, "confInputHysteresis(2,0) queryCalibrationDAC(8)", 1, 108},
        // The threshold goes to the DAC of the hysteresis state the LED shows.
        CommitCase{FTIC_IN1_THRESHOLD, 1, 200, "confCalibrationDAC(1,200)", 1, 200},
        CommitCase{FTIC_IN1_THRESHOLD, 0, 200, "confCalibrationDAC(2,200)", 0, 200},
        CommitCase{FTIC_IN2_THRESHOLD, 0, 200, "confCalibrationDAC(9,200)", 0, 200},
        CommitCase{FTIC_IN2_THRESHOLD, 1, 200, "confCalibrationDAC(8,200)", 1, 200},
        CommitCase{FTIC_IN1_DAC5, 1, 3000, "confCalibrationDAC(5,3000)", 1, -1},
        CommitCase{FTIC_IN1_DAC6, 1, 0, "confCalibrationDAC(6,0)", 1, -1},
        CommitCase{FTIC_IN1_DAC7, 1, 4095, "confCalibrationDAC(7,4095)", 1, -1},
        CommitCase{FTIC_IN2_DAC12, 1, 1, "confCalibrationDAC(12,1)", 1, -1},
        CommitCase{FTIC_IN2_DAC13, 1, 2, "confCalibrationDAC(13,2)", 1, -1},
        CommitCase{FTIC_IN2_DAC14, 1, 3, "confCalibrationDAC(14,3)", 1, -1},
        // Commits of controls that do nothing.
        CommitCase{FTIC_IN1_MEASURE, 1, -1, "", 1, -1}, CommitCase{FTIC_IN2_MEASURE, 1, -1, "", 1, -1}));

TEST_F(CalibrationTest, HysteresisTwiceComesBackToWhereItStarted)
{
    setDistinctCodes();
    for (auto [button, led, threshold, channel, codes] :
         {std::tuple{FTIC_IN1_HYSTERESIS, FTIC_IN1_HYST_LED, FTIC_IN1_THRESHOLD, 1, "101 102 101"},
          std::tuple{FTIC_IN2_HYSTERESIS, FTIC_IN2_HYST_LED, FTIC_IN2_THRESHOLD, 2, "108 109 108"}}) {
        uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS);
        std::string shownLeds = std::to_string(value(fticPanel, led)),
                    shown = std::to_string(value(fticPanel, threshold));
        for (int press = 0; press < 2; press++) {
            uitest::CallCtrlCallback(fticPanel, button, EVENT_COMMIT);
            shownLeds += std::to_string(value(fticPanel, led));
            shown += " " + std::to_string(value(fticPanel, threshold));
        }
        ViUInt16 hysteresis = 9;
        kq3917e_queryInputHysteresis(instrSession, static_cast<ViInt16>(channel), &hysteresis);
        EXPECT_EQ(shownLeds, "101") << channel;
        EXPECT_EQ(shown, codes) << channel;
        EXPECT_EQ(hysteresis, 0) << channel;
    }
}

// Every control and event of the panel in demonstration mode: no driver
// call, no flag, and the panel's codes stay as they were.
TEST_F(CalibrationTest, DemonstrationModeLeavesEveryControlInert)
{
    enterDemoMode();
    const int all[] = {FTIC_IN1_LEVEL_POS,  FTIC_IN1_LEVEL_ZERO, FTIC_IN1_LEVEL_NEG,  FTIC_IN1_HYSTERESIS,
                       FTIC_IN1_THRESHOLD,  FTIC_IN1_DAC5,       FTIC_IN1_DAC6,       FTIC_IN1_DAC7,
                       FTIC_IN1_MEASURE,    FTIC_IN2_LEVEL_POS,  FTIC_IN2_LEVEL_ZERO, FTIC_IN2_LEVEL_NEG,
                       FTIC_IN2_HYSTERESIS, FTIC_IN2_THRESHOLD,  FTIC_IN2_DAC12,      FTIC_IN2_DAC13,
                       FTIC_IN2_DAC14,      FTIC_IN2_MEASURE};
    SetCtrlVal(fticPanel, FTIC_IN1_MEASURE, 1);
    SetCtrlVal(fticPanel, FTIC_IN2_MEASURE, 1);
    const std::string codes = shownCodes();
    const int led = value(fticPanel, FTIC_IN1_HYST_LED);
    for (int control : all) {
        for (int event : {EVENT_COMMIT, EVENT_VAL_CHANGED}) {
            EXPECT_EQ(uitest::CallCtrlCallback(fticPanel, control, event), 0);
        }
    }
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(calibrationMode[0] + calibrationMode[1], 0);
    EXPECT_EQ(value(fticPanel, FTIC_IN1_HYST_LED), led);
    EXPECT_EQ(shownCodes(), codes);
}

// Real clicks on the toggles, through Qt: on sets the function and the
// system timeout, moves the flag and turns the other toggle off; off only
// clears the flags.
TEST_F(CalibrationTest, MeasureTogglesSwitchTheCalibrationMeasurement)
{
    struct Step {
        int toggle;
        const char *calls;
        const char *flags, *toggles;
    };
    const Step steps[] = {
        {FTIC_IN1_MEASURE, "confMeasurement(0) setSystTimeout(1)", "10", "10"},
        {FTIC_IN2_MEASURE, "confMeasurement(1) setSystTimeout(1)", "01", "01"},
        {FTIC_IN1_MEASURE, "confMeasurement(0) setSystTimeout(1)", "10", "10"},
        {FTIC_IN1_MEASURE, "", "00", "00"},
        {FTIC_IN2_MEASURE, "confMeasurement(1) setSystTimeout(1)", "01", "01"},
        {FTIC_IN2_MEASURE, "", "00", "00"},
    };
    DisplayPanel(fticPanel);
    settings.function = 5;
    for (const Step &s : steps) {
        drvtest::ClearCalls();
        auto *button = qobject_cast<QPushButton *>(uitest::ControlWidget(fticPanel, s.toggle));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(calls(), s.calls) << s.toggle;
        EXPECT_EQ(std::to_string(calibrationMode[0]) + std::to_string(calibrationMode[1]), s.flags);
        EXPECT_EQ(std::to_string(value(fticPanel, FTIC_IN1_MEASURE)) +
                      std::to_string(value(fticPanel, FTIC_IN2_MEASURE)),
                  s.toggles);
    }
    // Off leaves the module measuring as the calibration set it.
    ViInt16 function = -1;
    ViInt32 timeout = 0;
    kq3917e_queryMeasurement(instrSession, &function);
    kq3917e_readSystTimeout(instrSession, &timeout);
    EXPECT_EQ(function, 1);
    EXPECT_EQ(timeout, 1);
    EXPECT_EQ(settings.function, 5);
}

// The close box ends a running calibration measurement; the menu's other
// item only hides the panel and the measurement goes on.
TEST_F(CalibrationTest, CloseBoxEndsTheMeasurementMenuHideDoesNot)
{
    struct Case {
        const char *how;
        int16_t mode1, mode2;
        const char *flagsAfter;
    };
    for (const Case &c : {Case{"close box", 1, 0, "00"}, Case{"close box", 0, 1, "00"},
                          Case{"menu", 1, 0, "10"}, Case{"menu", 0, 1, "01"}}) {
        DisplayPanel(fticPanel);
        calibrationMode[0] = c.mode1;
        calibrationMode[1] = c.mode2;
        SetCtrlVal(fticPanel, FTIC_IN1_MEASURE, c.mode1);
        drvtest::ClearCalls();
        if (std::string(c.how) == "menu") {
            uitest::CallMenuCallback(fticPanel, FTICMENU_CLOSE);
        } else {
            uitest::PanelWidget(fticPanel)->close(); // the window's own close box
        }
        EXPECT_FALSE(shown(fticPanel)) << c.how;
        EXPECT_EQ(std::to_string(calibrationMode[0]) + std::to_string(calibrationMode[1]), c.flagsAfter)
            << c.how;
        EXPECT_EQ(value(fticPanel, FTIC_IN1_MEASURE), c.mode1) << "the toggles wait for the next focus";
        EXPECT_EQ(calls(), "");
        EXPECT_EQ(SetCtrlVal(fticPanel, FTIC_IN1_DAC5, 1), 0) << "a hidden panel stays loaded";
    }
}

// The threshold and calibration DAC controls offer exactly the codes the
// module takes.
TEST_F(CalibrationTest, CodeRangesAgreeWithTheModule)
{
    const std::pair<int, ViInt16> controls[] = {
        {FTIC_IN1_THRESHOLD, 1}, {FTIC_IN2_THRESHOLD, 8}, {FTIC_IN1_DAC5, 5},   {FTIC_IN1_DAC6, 6},
        {FTIC_IN1_DAC7, 7},      {FTIC_IN2_DAC12, 12},    {FTIC_IN2_DAC13, 13}, {FTIC_IN2_DAC14, 14}};
    for (auto [control, dac] : controls) {
        double low = 1, high = -1;
        GetCtrlAttribute(fticPanel, control, ATTR_MIN_VALUE, &low);
        GetCtrlAttribute(fticPanel, control, ATTR_MAX_VALUE, &high);
        EXPECT_EQ(kq3917e_confCalibrationDAC(instrSession, dac, static_cast<ViInt16>(low)), VI_SUCCESS)
            << dac;
        EXPECT_EQ(kq3917e_confCalibrationDAC(instrSession, dac, static_cast<ViInt16>(high)), VI_SUCCESS)
            << dac;
        EXPECT_EQ(kq3917e_confCalibrationDAC(instrSession, dac, static_cast<ViInt16>(low - 1)),
                  KQ3917E_ERROR_DAC_CODE);
        EXPECT_EQ(kq3917e_confCalibrationDAC(instrSession, dac, static_cast<ViInt16>(high + 1)),
                  KQ3917E_ERROR_DAC_CODE);
    }
}

} // namespace
