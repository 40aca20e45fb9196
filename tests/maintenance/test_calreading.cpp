// SPDX-License-Identifier: GPL-3.0-or-later
// Calibration readings taken by the measurement timer: the tolerance band,
// their priority over every other mode, and how the simulated module's
// readings answer the DAC codes.
#include "caltest.h"

#include <limits>

namespace
{

const int readingOf[] = {FTIC_IN1_READING, FTIC_IN2_READING};
const int ledOf[] = {FTIC_IN1_OUT_OF_TOL, FTIC_IN2_OUT_OF_TOL};

int tick()
{
    return uitest::TimerTick(mainPanel, MAIN_TIMER);
}

struct BandCase {
    double reading;
    int outOfTolerance;
    double shown; // by the reading indicator (range 0 to 1e9; not finite: kept)
};

class ToleranceBand : public CalibrationTest, public ::testing::WithParamInterface<BandCase>
{
};

// The driver refuses the read, so the value in lastReading is the one the
// tick judges (the timer does not look at the read's status).
TEST_P(ToleranceBand, LightsTheLedOutsideTheInclusiveBand)
{
    const BandCase &c = GetParam();
    for (int input = 0; input < CAL_INPUTS; input++) {
        calibrationMode[input] = 1;
        calibrationMode[1 - input] = 0;
        SetCtrlVal(fticPanel, readingOf[input], 12.5);
        SetCtrlVal(fticPanel, ledOf[input], 1 - c.outOfTolerance);
        SetCtrlVal(fticPanel, ledOf[1 - input], 0);
        drvtest::Refuse("kq3917e_read", refusedStatus);
        lastReading = c.reading;
        drvtest::ClearCalls();

        EXPECT_EQ(tick(), 0);

        EXPECT_EQ(calls(), "read()");
        EXPECT_EQ(value(fticPanel, ledOf[input]), c.outOfTolerance) << c.reading << " input " << input + 1;
        EXPECT_EQ(value(fticPanel, ledOf[1 - input]), 0);
        EXPECT_EQ(value<double>(fticPanel, readingOf[input]), c.shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Readings, ToleranceBand,
                         ::testing::Values(BandCase{99999.0, 0, 99999.0}, BandCase{100001.0, 0, 100001.0},
                                           BandCase{100000.0, 0, 100000.0}, BandCase{99998.9, 1, 99998.9},
                                           BandCase{100001.1, 1, 100001.1}, BandCase{0.0, 1, 0.0},
                                           BandCase{-100000.0, 1, 0.0},
                                           BandCase{std::numeric_limits<double>::quiet_NaN(), 1, 12.5},
                                           BandCase{std::numeric_limits<double>::infinity(), 1, 12.5}));

// While a calibration reading runs, nothing else is measured: a pending
// single reading waits and is served on the first tick after it ends.
TEST_F(CalibrationTest, CalibrationReadingHoldsBackEveryOtherMode)
{
    struct Case {
        int16_t mode1, mode2;
        int single, continuous;
    };
    for (const Case &c : {Case{1, 0, 1, 0}, Case{0, 1, 1, 0}, Case{1, 0, 0, 1}, Case{0, 1, 1, 1}}) {
        kq3917e_triggerContinuous(instrSession, c.continuous);
        calibrationMode[0] = c.mode1;
        calibrationMode[1] = c.mode2;
        singleReadingPending = c.single;
        continuousMode = c.continuous;
        SetCtrlVal(mainPanel, MAIN_READING, "untouched");
        drvtest::ClearCalls();

        for (int i = 0; i < 3; i++) {
            tick();
        }
        EXPECT_EQ(calls(), "read() read() read()");
        EXPECT_EQ(text(mainPanel, MAIN_READING), "untouched");
        EXPECT_EQ(singleReadingPending, c.single);
        EXPECT_EQ(continuousMode, c.continuous);
        const int input = c.mode1 ? 0 : 1;
        EXPECT_NEAR(value<double>(fticPanel, readingOf[input]), 100000.0, 0.1);
        EXPECT_EQ(value<double>(fticPanel, readingOf[1 - input]), 0.0);
        SetCtrlVal(fticPanel, readingOf[input], 0.0);

        // The measurement ends: the waiting mode goes on.
        calibrationMode[0] = calibrationMode[1] = 0;
        drvtest::ClearCalls();
        tick();
        EXPECT_EQ(calls(), std::string(c.single ? "read()" : "fetch()") +
                               " queryInputTriggering(1) queryInputTriggering(2)");
        EXPECT_EQ(singleReadingPending, 0);
        EXPECT_NE(text(mainPanel, MAIN_READING), "untouched");
    }
}

// Both inputs of the simulated module (100 kHz) read inside the band at the
// module's default codes, and a code pushed far off moves the reading out,
// entered through the panel's own controls.
TEST_F(CalibrationTest, CodesFarOffMoveTheReadingOutOfTheBand)
{
    struct Case {
        int input;   // 0 or 1
        int control; // entered on the panel, -1: defaults
        int16_t code;
        int outOfTolerance;
    };
    const Case cases[] = {
        {0, -1, 0, 0},
        {0, FTIC_IN1_THRESHOLD, 160, 0},
        {0, FTIC_IN1_THRESHOLD, 255, 1},
        {0, FTIC_IN1_THRESHOLD, 0, 1},
        {0, FTIC_IN1_DAC5, 2400, 0},
        {0, FTIC_IN1_DAC5, 0, 1},
        {0, FTIC_IN1_DAC6, 4095, 1},
        {0, FTIC_IN1_DAC7, 0, 1},
        {0, FTIC_IN1_DAC7, 3000, 0},
        // The other input's codes do not move a reading.
        {0, FTIC_IN2_DAC12, 0, 0},
        {0, FTIC_IN2_THRESHOLD, 255, 0},
        {1, -1, 0, 0},
        {1, FTIC_IN2_THRESHOLD, 20, 1},
        {1, FTIC_IN2_DAC12, 4095, 1},
        {1, FTIC_IN2_DAC13, 0, 1},
        {1, FTIC_IN2_DAC14, 4095, 1},
        {1, FTIC_IN2_DAC14, 1000, 0},
        {1, FTIC_IN1_DAC5, 0, 0},
    };
    const int measure[] = {FTIC_IN1_MEASURE, FTIC_IN2_MEASURE};
    uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS);
    for (const Case &c : cases) {
        kq3917e_resetCounter(instrSession); // every code back to its stored value
        SetCtrlVal(fticPanel, measure[c.input], 1);
        uitest::CallCtrlCallback(fticPanel, measure[c.input], EVENT_VAL_CHANGED);
        if (c.control > 0) {
            SetCtrlVal(fticPanel, c.control, c.code);
            uitest::CallCtrlCallback(fticPanel, c.control, EVENT_COMMIT);
        }
        tick();
        EXPECT_EQ(value(fticPanel, ledOf[c.input]), c.outOfTolerance)
            << c.control << " " << c.code << ": " << value<double>(fticPanel, readingOf[c.input]);
    }
}

} // namespace
