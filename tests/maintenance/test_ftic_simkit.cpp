// SPDX-License-Identifier: GPL-3.0-or-later
// The FTIC calibration panel on a module of the simulated PXI system: what
// focus reads, what each control sends, the measure toggles, hiding, and the
// calibration readings that the measurement timer takes.
#include "caltest.h"

#include <limits>

namespace
{

// Distinct codes in every DAC, so that a swapped index shows.
void setDistinctCodes()
{
    for (ViInt16 dac = 1; dac <= 14; dac++) {
        ASSERT_EQ(kq3917e_confCalibrationDAC(instrSession, dac, static_cast<ViInt16>(100 + dac)), VI_SUCCESS);
    }
}

// DAC codes, hysteresis LEDs and measure toggles as the panel shows them.
std::string panelState()
{
    return values(fticPanel, {FTIC_IN1_DAC5, FTIC_IN1_DAC6, FTIC_IN1_DAC7, FTIC_IN1_THRESHOLD, FTIC_IN2_DAC12,
                              FTIC_IN2_DAC13, FTIC_IN2_DAC14, FTIC_IN2_THRESHOLD}) +
           " | " +
           values(fticPanel, {FTIC_IN1_HYST_LED, FTIC_IN2_HYST_LED, FTIC_IN1_MEASURE, FTIC_IN2_MEASURE});
}

std::string focusReads(int threshold1, int threshold2)
{
    return "queryCalibrationDAC(6) queryCalibrationDAC(7) queryCalibrationDAC(5) queryInputHysteresis(1) "
           "queryCalibrationDAC(" +
           std::to_string(threshold1) +
           ") queryCalibrationDAC(13) queryCalibrationDAC(14) queryCalibrationDAC(12) "
           "queryInputHysteresis(2) "
           "queryCalibrationDAC(" +
           std::to_string(threshold2) + ")";
}

TEST_F(CalibrationTest, FocusReadsTheModuleInOrder)
{
    struct Case {
        int demo;
        ViUInt16 hysteresis1, hysteresis2;
        int16_t mode1, mode2;
        const char *refused;
        std::string calls, state;
    };
    // Before each focus the panel shows the resource file's codes, both LEDs
    // dark and both toggles on.
    const std::string fresh = "2048 2048 2048 128 2048 2048 2048 128";
    const Case cases[] = {
        {0, 0, 1, 0, 0, "", focusReads(1, 9), "105 106 107 101 112 113 114 109 | 1 0 0 0"},
        {0, 1, 0, 0, 0, "", focusReads(2, 8), "105 106 107 102 112 113 114 108 | 0 1 0 0"},
        {0, 0, 0, 1, 0, "", focusReads(1, 8), "105 106 107 101 112 113 114 108 | 1 1 1 0"},
        {0, 0, 0, 0, 1, "", focusReads(1, 8), "105 106 107 101 112 113 114 108 | 1 1 0 1"},
        {1, 0, 1, 1, 0, "", "", fresh + " | 0 0 1 1"},
        // A failed query leaves its control; the threshold follows the LED.
        {0, 0, 1, 0, 0, "kq3917e_queryCalibrationDAC", focusReads(1, 9), fresh + " | 1 0 0 0"},
        {0, 0, 0, 0, 0, "kq3917e_queryInputHysteresis", focusReads(2, 9),
         "105 106 107 102 112 113 114 109 | 0 0 0 0"},
    };
    for (const Case &c : cases) {
        demonstration(0);
        setDistinctCodes();
        kq3917e_confInputHysteresis(instrSession, 1, c.hysteresis1);
        kq3917e_confInputHysteresis(instrSession, 2, c.hysteresis2);
        DiscardPanel(fticPanel);
        fticPanel = LoadPanel(0, RESOURCE_FILE, FTIC);
        for (auto [control, lit] : {std::pair{FTIC_IN1_HYST_LED, 0},
                                    {FTIC_IN2_HYST_LED, 0},
                                    {FTIC_IN1_MEASURE, 1},
                                    {FTIC_IN2_MEASURE, 1}}) {
            SetCtrlVal(fticPanel, control, lit);
        }
        calibrationMode[0] = c.mode1;
        calibrationMode[1] = c.mode2;
        demonstration(c.demo);
        drvtest::ClearRefusals();
        drvtest::Refuse(c.refused, refusedStatus);

        EXPECT_EQ(uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS), 0);

        EXPECT_EQ(title(fticPanel), "ZORa 3917 Universal Counter Timer - Calibrate [PXI0::7-0.0::INSTR]");
        EXPECT_EQ(calls(), c.calls);
        EXPECT_EQ(panelState(), c.state) << c.refused;
    }
    EXPECT_EQ(popups(), "");
}

TEST_F(CalibrationTest, CommitsSendWhatTheControlSays)
{
    struct Case {
        int control, led; // the input's hysteresis LED before
        int16_t entry;    // typed into the control, -1: nothing
        const char *calls;
        const char *after; // the input's LED and threshold code (77 before)
    };
    const Case cases[] = {
        {FTIC_IN1_LEVEL_POS, 1, -1, "confInputTriggering(1,0,5.1,0)", "1 77"},
        {FTIC_IN1_LEVEL_ZERO, 1, -1, "confInputTriggering(1,0,0,0)", "1 77"},
        {FTIC_IN1_LEVEL_NEG, 1, -1, "confInputTriggering(1,0,-5.1,0)", "1 77"},
        {FTIC_IN2_LEVEL_POS, 1, -1, "confInputTriggering(2,0,5.1,0)", "1 77"},
        {FTIC_IN2_LEVEL_ZERO, 1, -1, "confInputTriggering(2,0,0,0)", "1 77"},
        {FTIC_IN2_LEVEL_NEG, 1, -1, "confInputTriggering(2,0,-5.1,0)", "1 77"},
        // Input 1 reads the new state's DAC first, input 2 switches first.
        {FTIC_IN1_HYSTERESIS, 1, -1, "queryCalibrationDAC(2) confInputHysteresis(1,1)", "0 102"},
        {FTIC_IN1_HYSTERESIS, 0, -1, "queryCalibrationDAC(1) confInputHysteresis(1,0)", "1 101"},
        {FTIC_IN2_HYSTERESIS, 1, -1, "confInputHysteresis(2,1) queryCalibrationDAC(9)", "0 109"},
        {FTIC_IN2_HYSTERESIS, 0, -1, "confInputHysteresis(2,0) queryCalibrationDAC(8)", "1 108"},
        // The threshold goes to the DAC of the state the LED shows.
        {FTIC_IN1_THRESHOLD, 1, 200, "confCalibrationDAC(1,200)", "1 200"},
        {FTIC_IN1_THRESHOLD, 0, 200, "confCalibrationDAC(2,200)", "0 200"},
        {FTIC_IN2_THRESHOLD, 0, 200, "confCalibrationDAC(9,200)", "0 200"},
        {FTIC_IN2_THRESHOLD, 1, 200, "confCalibrationDAC(8,200)", "1 200"},
        {FTIC_IN1_DAC5, 1, 3000, "confCalibrationDAC(5,3000)", "1 77"},
        {FTIC_IN1_DAC6, 1, 0, "confCalibrationDAC(6,0)", "1 77"},
        {FTIC_IN1_DAC7, 1, 4095, "confCalibrationDAC(7,4095)", "1 77"},
        {FTIC_IN2_DAC12, 1, 1, "confCalibrationDAC(12,1)", "1 77"},
        {FTIC_IN2_DAC13, 1, 2, "confCalibrationDAC(13,2)", "1 77"},
        {FTIC_IN2_DAC14, 1, 3, "confCalibrationDAC(14,3)", "1 77"},
        {FTIC_IN1_MEASURE, 1, -1, "", "1 77"},
    };
    setDistinctCodes();
    const CounterSettings before = settings;
    for (const Case &c : cases) {
        const bool two = c.control == FTIC_IN2_HYSTERESIS || c.control == FTIC_IN2_THRESHOLD ||
                         c.control == FTIC_IN2_LEVEL_POS || c.control == FTIC_IN2_LEVEL_ZERO ||
                         c.control == FTIC_IN2_LEVEL_NEG || c.control == FTIC_IN2_DAC12 ||
                         c.control == FTIC_IN2_DAC13 || c.control == FTIC_IN2_DAC14;
        const int led = two ? FTIC_IN2_HYST_LED : FTIC_IN1_HYST_LED;
        const int threshold = two ? FTIC_IN2_THRESHOLD : FTIC_IN1_THRESHOLD;
        SetCtrlVal(fticPanel, led, c.led);
        SetCtrlVal(fticPanel, threshold, 77);
        if (c.entry >= 0) {
            SetCtrlVal(fticPanel, c.control, c.entry);
        }
        drvtest::ClearCalls();
        EXPECT_EQ(uitest::CallCtrlCallback(fticPanel, c.control, EVENT_COMMIT), 0);
        EXPECT_EQ(calls(), c.calls);
        EXPECT_EQ(values(fticPanel, {led, threshold}), c.after) << c.calls;
    }
    // The level buttons leave the settings record and the main panel to the
    // main panel's refresh.
    EXPECT_EQ(settings.in1Level, before.in1Level);
    EXPECT_EQ(value<double>(mainPanel, MAIN_TRIG_LEVEL_2), 0.0);
    EXPECT_EQ(popups(), "");
}

TEST_F(CalibrationTest, HysteresisTwiceComesBackToWhereItStarted)
{
    setDistinctCodes();
    uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS);
    for (auto [button, led, threshold, channel] :
         {std::tuple{FTIC_IN1_HYSTERESIS, FTIC_IN1_HYST_LED, FTIC_IN1_THRESHOLD, ViInt16{1}},
          std::tuple{FTIC_IN2_HYSTERESIS, FTIC_IN2_HYST_LED, FTIC_IN2_THRESHOLD, ViInt16{2}}}) {
        std::string seen = values(fticPanel, {led, threshold});
        for (int press = 0; press < 2; press++) {
            uitest::CallCtrlCallback(fticPanel, button, EVENT_COMMIT);
            seen += ", " + values(fticPanel, {led, threshold});
        }
        ViUInt16 hysteresis = 9;
        kq3917e_queryInputHysteresis(instrSession, channel, &hysteresis);
        EXPECT_EQ(seen, channel == 1 ? "1 101, 0 102, 1 101" : "1 108, 0 109, 1 108");
        EXPECT_EQ(hysteresis, 0);
    }
}

// Every control and event in demonstration mode: no driver call, no flag,
// nothing shown changes.
TEST_F(CalibrationTest, DemonstrationModeLeavesEveryControlInert)
{
    demonstration(1);
    const std::string state = panelState();
    for (int control = FTIC_IN1_LEVEL_POS; control <= FTIC_IN2_OUT_OF_TOL; control++) {
        for (int event : {EVENT_COMMIT, EVENT_VAL_CHANGED}) {
            kq3917cal_fticCallback(fticPanel, control, event, nullptr, 0, 0);
        }
    }
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(calibrationMode[0] + calibrationMode[1], 0);
    EXPECT_EQ(panelState(), state);
}

// Real clicks on the toggles: on sets the function and the system timeout,
// moves the flag and turns the other toggle off; off only clears the flags.
TEST_F(CalibrationTest, MeasureTogglesSwitchTheCalibrationMeasurement)
{
    const std::tuple<int, const char *, const char *> steps[] = {
        {FTIC_IN1_MEASURE, "confMeasurement(0) setSystTimeout(1)", "1 0 1 0"},
        {FTIC_IN2_MEASURE, "confMeasurement(1) setSystTimeout(1)", "0 1 0 1"},
        {FTIC_IN1_MEASURE, "confMeasurement(0) setSystTimeout(1)", "1 0 1 0"},
        {FTIC_IN1_MEASURE, "", "0 0 0 0"},
        {FTIC_IN2_MEASURE, "confMeasurement(1) setSystTimeout(1)", "0 1 0 1"},
        {FTIC_IN2_MEASURE, "", "0 0 0 0"},
    };
    DisplayPanel(fticPanel);
    settings.function = 5;
    for (auto [toggle, sent, state] : steps) {
        drvtest::ClearCalls();
        QTest::mouseClick(uitest::ControlWidget(fticPanel, toggle), Qt::LeftButton);
        EXPECT_EQ(calls(), sent);
        EXPECT_EQ(std::to_string(calibrationMode[0]) + " " + std::to_string(calibrationMode[1]) + " " +
                      values(fticPanel, {FTIC_IN1_MEASURE, FTIC_IN2_MEASURE}),
                  state);
    }
    // Off leaves the module as the calibration set it.
    ViInt16 function = -1;
    ViInt32 timeout = 0;
    kq3917e_queryMeasurement(instrSession, &function);
    kq3917e_readSystTimeout(instrSession, &timeout);
    EXPECT_EQ(function * 10000 + timeout, 10001);
    EXPECT_EQ(settings.function, 5);
}

// The close box ends a running calibration measurement; the menu's Close
// only hides the panel and the measurement goes on.
TEST_F(CalibrationTest, CloseBoxEndsTheMeasurementMenuCloseDoesNot)
{
    for (auto [menu, mode1, mode2, after] :
         {std::tuple{false, 1, 0, "0 0"}, {false, 0, 1, "0 0"}, {true, 1, 0, "1 0"}, {true, 0, 1, "0 1"}}) {
        DisplayPanel(fticPanel);
        calibrationMode[0] = static_cast<int16_t>(mode1);
        calibrationMode[1] = static_cast<int16_t>(mode2);
        SetCtrlVal(fticPanel, FTIC_IN1_MEASURE, mode1);
        drvtest::ClearCalls();
        if (menu) {
            chooseMenuItem(fticPanel, "FTICMENU_CLOSE");
        } else {
            uitest::PanelWidget(fticPanel)->close(); // the window's own close box
        }
        EXPECT_FALSE(shown(fticPanel));
        EXPECT_EQ(std::to_string(calibrationMode[0]) + " " + std::to_string(calibrationMode[1]), after)
            << menu;
        EXPECT_EQ(value(fticPanel, FTIC_IN1_MEASURE), mode1) << "the toggles wait for the next focus";
        EXPECT_EQ(calls(), "");
    }
}

// The threshold and DAC controls offer exactly the codes the module takes.
TEST_F(CalibrationTest, CodeRangesAgreeWithTheModule)
{
    for (auto [control, dac] : {std::pair{FTIC_IN1_THRESHOLD, 1},
                                {FTIC_IN2_THRESHOLD, 8},
                                {FTIC_IN1_DAC5, 5},
                                {FTIC_IN1_DAC6, 6},
                                {FTIC_IN1_DAC7, 7},
                                {FTIC_IN2_DAC12, 12},
                                {FTIC_IN2_DAC13, 13},
                                {FTIC_IN2_DAC14, 14}}) {
        double low = 1, high = -1;
        GetCtrlAttribute(fticPanel, control, ATTR_MIN_VALUE, &low);
        GetCtrlAttribute(fticPanel, control, ATTR_MAX_VALUE, &high);
        for (auto [code, status] : {std::pair{low, VI_SUCCESS},
                                    {high, VI_SUCCESS},
                                    {low - 1, KQ3917E_ERROR_DAC_CODE},
                                    {high + 1, KQ3917E_ERROR_DAC_CODE}}) {
            EXPECT_EQ(kq3917e_confCalibrationDAC(instrSession, static_cast<ViInt16>(dac),
                                                 static_cast<ViInt16>(code)),
                      status)
                << dac << " " << code;
        }
    }
}

// ---- calibration readings of the measurement timer

const int readingOf[] = {FTIC_IN1_READING, FTIC_IN2_READING};
const int ledOf[] = {FTIC_IN1_OUT_OF_TOL, FTIC_IN2_OUT_OF_TOL};

int tick()
{
    return uitest::TimerTick(mainPanel, MAIN_TIMER);
}

// The band is inclusive and not a number lies outside; a refused read is no
// reading at all: dashes, and outside the band whatever lastReading holds.
TEST_F(CalibrationTest, OutOfToleranceOutsideTheInclusiveBand)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int> band[] = {{99999.0, 0},   {100001.0, 0}, {100000.0, 0},
                                           {99998.9, 1},   {100001.1, 1}, {0.0, 1},
                                           {-100000.0, 1}, {nan, 1},      {inf, 1}};
    for (auto [reading, outside] : band) {
        EXPECT_EQ(outsideCalibrationBand(reading), outside) << reading;
    }
    drvtest::Refuse("kq3917e_read", refusedStatus);
    for (int input = 0; input < CAL_INPUTS; input++) {
        calibrationMode[input] = 1;
        calibrationMode[1 - input] = 0;
        SetCtrlVal(fticPanel, readingOf[input], "100000.000 Hz");
        SetCtrlVal(fticPanel, ledOf[input], 0);
        SetCtrlVal(fticPanel, ledOf[1 - input], 0);
        lastReading = 100000.0;
        drvtest::ClearCalls();
        EXPECT_EQ(tick(), 0);
        EXPECT_EQ(calls(), "read()");
        EXPECT_EQ(values(fticPanel, {ledOf[input], ledOf[1 - input]}), "1 0") << "input " << input + 1;
        EXPECT_EQ(text(fticPanel, readingOf[input]), "------.--- Hz");
    }
}

// While a calibration reading runs nothing else is measured; a pending
// single reading waits and is served on the first tick after it ends.
TEST_F(CalibrationTest, CalibrationReadingHoldsBackEveryOtherMode)
{
    for (auto [input, single, continuous] : {std::tuple{0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 1, 1}}) {
        kq3917e_triggerContinuous(instrSession, static_cast<ViInt16>(continuous));
        calibrationMode[input] = 1;
        singleReadingPending = single;
        continuousMode = continuous;
        SetCtrlVal(mainPanel, MAIN_READING, "untouched");
        SetCtrlVal(fticPanel, readingOf[0], "");
        SetCtrlVal(fticPanel, readingOf[1], "");
        drvtest::ClearCalls();
        for (int i = 0; i < 3; i++) {
            tick();
        }
        EXPECT_EQ(calls(), "read() read() read()");
        EXPECT_EQ(singleReadingPending * 10 + continuousMode, single * 10 + continuous);
        EXPECT_EQ(text(mainPanel, MAIN_READING), "untouched");
        EXPECT_NEAR(std::stod(text(fticPanel, readingOf[input])), 100000.0, 0.1);
        EXPECT_EQ(text(fticPanel, readingOf[1 - input]), "");

        calibrationMode[input] = 0;
        drvtest::ClearCalls();
        tick();
        EXPECT_EQ(calls(), std::string(single ? "read()" : "fetch()") +
                               " queryInputTriggering(1) queryInputTriggering(2)");
        EXPECT_EQ(singleReadingPending, 0);
        EXPECT_NE(text(mainPanel, MAIN_READING), "untouched");
    }
}

// Both inputs of the simulated module (100 kHz) read inside the band at the
// default codes; a code pushed far off, entered on the panel, moves the
// reading out; the other input's codes do not.
TEST_F(CalibrationTest, CodesFarOffMoveTheReadingOutOfTheBand)
{
    const std::tuple<int, int, int16_t, int> cases[] = {
        {0, -1, 0, 0},
        {0, FTIC_IN1_THRESHOLD, 160, 0},
        {0, FTIC_IN1_THRESHOLD, 255, 1},
        {0, FTIC_IN1_DAC5, 2400, 0},
        {0, FTIC_IN1_DAC5, 0, 1},
        {0, FTIC_IN1_DAC6, 4095, 1},
        {0, FTIC_IN1_DAC7, 0, 1},
        {0, FTIC_IN2_DAC12, 0, 0},
        {1, -1, 0, 0},
        {1, FTIC_IN2_THRESHOLD, 20, 1},
        {1, FTIC_IN2_DAC12, 4095, 1},
        {1, FTIC_IN2_DAC13, 0, 1},
        {1, FTIC_IN2_DAC14, 4095, 1},
        {1, FTIC_IN1_THRESHOLD, 255, 0},
    };
    const int measure[] = {FTIC_IN1_MEASURE, FTIC_IN2_MEASURE};
    uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS);
    for (auto [input, control, code, led] : cases) {
        kq3917e_resetCounter(instrSession); // every code back to its stored value
        SetCtrlVal(fticPanel, measure[input], 1);
        uitest::CallCtrlCallback(fticPanel, measure[input], EVENT_VAL_CHANGED);
        if (control > 0) {
            SetCtrlVal(fticPanel, control, code);
            uitest::CallCtrlCallback(fticPanel, control, EVENT_COMMIT);
        }
        tick();
        EXPECT_EQ(value(fticPanel, ledOf[input]), led)
            << control << " " << code << ": " << text(fticPanel, readingOf[input]);
    }
}

} // namespace
