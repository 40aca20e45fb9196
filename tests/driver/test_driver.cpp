// SPDX-License-Identifier: GPL-3.0-or-later
// The driver dispatch against its simulated module.
#include "kq3917e.h"
#include "kq3917e_testseam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace
{

class Driver : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        drvtest::ResetDriver();
        drvtest::SetSimClock([this] { return clock; });
        ASSERT_EQ(kq3917e_simulate(1), VI_SUCCESS);
    }
    void TearDown() override { drvtest::ResetDriver(); }

    static double readValue(ViStatus expected = VI_SUCCESS)
    {
        ViReal64 value = NAN;
        EXPECT_EQ(kq3917e_read(0, &value), expected);
        return value;
    }
    static std::string message(ViStatus status)
    {
        ViChar text[KQ3917E_MESSAGE_SIZE] = {};
        EXPECT_EQ(kq3917e_error_message(0, status, text), VI_SUCCESS);
        return text;
    }

    double clock = 0.0;
};

template <typename... T> std::string join(T... values)
{
    std::string out;
    ((out += (out.empty() ? "" : ",") + std::to_string(values)), ...);
    return out;
}

// One conf/query pair: the query's text at power-on, a conf to a value other
// than the power-on one, and the query's text afterwards.
// Runs a query with fresh outputs of the given types and joins what it gave.
template <typename... T, typename Query> std::string queried(Query query)
{
    std::tuple<T...> out{};
    EXPECT_EQ(std::apply([&](auto &...v) { return query(&v...); }, out), VI_SUCCESS);
    return std::apply([](auto... v) { return join(v...); }, out);
}

struct Twin {
    const char *name;
    std::string powerOn;
    std::function<ViStatus()> conf;
    std::string changed;
    std::function<std::string()> query;
};

std::vector<Twin> twins()
{
    return {
        {"function", "0", [] { return kq3917e_confMeasurement(0, 24); }, "24",
         [] { return queried<ViInt16>([](auto... out) { return kq3917e_queryMeasurement(0, out...); }); }},
        {"aperture", "100", [] { return kq3917e_confAperture(0, 2500); }, "2500",
         [] { return queried<ViInt32>([](auto... out) { return kq3917e_queryAperture(0, out...); }); }},
        {"resolution", "8,0", [] { return kq3917e_confMeasRes(0, 11, 1); }, "11,1",
         [] {
             return queried<ViInt16, ViUInt16>([](auto... out) { return kq3917e_queryMeasRes(0, out...); });
         }},
        {"standard", "0", [] { return kq3917e_confStandard(0, 2); }, "2",
         [] { return queried<ViInt16>([](auto... out) { return kq3917e_queryStandard(0, out...); }); }},
        {"conditioning 2", "0,0,0,0", [] { return kq3917e_confInputConditioning(0, 2, 1, 1, 1, 1); },
         "1,1,1,1",
         [] {
             return queried<ViInt16, ViUInt16, ViUInt16, ViUInt16>(
                 [](auto... out) { return kq3917e_queryInputConditioning(0, 2, out...); });
         }},
        {"triggering 1", "0,0.000000,0", [] { return kq3917e_confInputTriggering(0, 1, 2, -150.5, 1); },
         "2,-150.500000,1",
         [] {
             return queried<ViInt16, ViReal64, ViUInt16>(
                 [](auto... out) { return kq3917e_queryInputTriggering(0, 1, out...); });
         }},
        {"slopes", "0,0", [] { return kq3917e_confInputSlopes(0, 0, 1); }, "0,1",
         [] {
             return queried<ViUInt16, ViUInt16>(
                 [](auto... out) { return kq3917e_queryInputSlopes(0, out...); });
         }},
        {"hysteresis 2", "0", [] { return kq3917e_confInputHysteresis(0, 2, 1); }, "1",
         [] {
             return queried<ViUInt16>([](auto... out) { return kq3917e_queryInputHysteresis(0, 2, out...); });
         }},
        {"trigger mode 1", "1", [] { return kq3917e_confAutoTrigMode(0, 1, 3); }, "3",
         [] {
             return queried<ViInt16>([](auto... out) { return kq3917e_queryAutoTrigMode(0, 1, out...); });
         }},
        {"min auto trigger frequency", "0", [] { return kq3917e_confMinAutoTrigFreq(0, 1); }, "1",
         [] {
             return queried<ViUInt16>([](auto... out) { return kq3917e_queryMinAutoTrigFreq(0, out...); });
         }},
        {"arming", "0,0,9", [] { return kq3917e_confArming(0, 3, 10, 0); }, "3,10,0",
         [] {
             return queried<ViInt16, ViInt16, ViInt16>(
                 [](auto... out) { return kq3917e_queryArming(0, out...); });
         }},
        {"arm level", "1.600000", [] { return kq3917e_confArmingLevel(0, -2.25); }, "-2.250000",
         [] { return queried<ViReal64>([](auto... out) { return kq3917e_queryArmingLevel(0, out...); }); }},
        {"arm mode", "0", [] { return kq3917e_confExtArmMode(0, 1); }, "1",
         [] { return queried<ViInt16>([](auto... out) { return kq3917e_queryExtArmMode(0, out...); }); }},
        {"arm hysteresis", "0", [] { return kq3917e_confExtArmHysteresis(0, 1); }, "1",
         [] {
             return queried<ViInt16>([](auto... out) { return kq3917e_queryExtArmHysteresis(0, out...); });
         }},
        {"delay", "0,0.000192", [] { return kq3917e_confDelay(0, 1, 0.5); }, "1,0.500000",
         [] {
             return queried<ViUInt16, ViReal64>([](auto... out) { return kq3917e_queryDelay(0, out...); });
         }},
        {"gate output", "8", [] { return kq3917e_outputGate(0, 15); }, "15",
         [] { return queried<ViInt16>([](auto... out) { return kq3917e_queryOutputGate(0, out...); }); }},
        {"math", "0.000000,1.000000,0", [] { return kq3917e_mathCalculation(0, 0, 3.5, 0, -2.0, 1); },
         "3.500000,-2.000000,1",
         [] {
             return queried<ViReal64, ViReal64, ViUInt16>(
                 [](auto... out) { return kq3917e_queryMathCalculation(0, out...); });
         }},
        {"timeout", "2000", [] { return kq3917e_setSystTimeout(0, 1); }, "1",
         [] { return queried<ViInt32>([](auto... out) { return kq3917e_readSystTimeout(0, out...); }); }},
        {"threshold DAC 9", "128", [] { return kq3917e_confCalibrationDAC(0, 9, 255); }, "255",
         [] {
             return queried<ViInt16>([](auto... out) { return kq3917e_queryCalibrationDAC(0, 9, out...); });
         }},
        {"DAC 14", "2048", [] { return kq3917e_confCalibrationDAC(0, 14, 4095); }, "4095",
         [] {
             return queried<ViInt16>([](auto... out) { return kq3917e_queryCalibrationDAC(0, 14, out...); });
         }},
    };
}

TEST_F(Driver, EveryConfHasAQueryTwinAndStartsAtPowerOn)
{
    for (const Twin &t : twins()) {
        EXPECT_EQ(t.query(), t.powerOn) << t.name;
    }
    for (const Twin &t : twins()) {
        ASSERT_EQ(t.conf(), VI_SUCCESS) << t.name;
        EXPECT_EQ(t.query(), t.changed) << t.name;
    }
}

TEST_F(Driver, ResetRestoresPowerOnExceptWrittenCalibration)
{
    for (const Twin &t : twins()) {
        ASSERT_EQ(t.conf(), VI_SUCCESS) << t.name;
    }
    ASSERT_EQ(kq3917e_reset(0), VI_SUCCESS);
    for (const Twin &t : twins()) {
        EXPECT_EQ(t.query(), t.powerOn) << t.name;
    }
    // Stored calibration survives a reset; unsaved codes do not.
    ASSERT_EQ(kq3917e_confCalibrationDAC(0, 5, 100), VI_SUCCESS);
    ASSERT_EQ(kq3917e_WriteCounterCalibrationData(0), VI_SUCCESS);
    ASSERT_EQ(kq3917e_confCalibrationDAC(0, 5, 200), VI_SUCCESS);
    ASSERT_EQ(kq3917e_resetCounter(0), VI_SUCCESS);
    ViInt16 code = -1;
    ASSERT_EQ(kq3917e_queryCalibrationDAC(0, 5, &code), VI_SUCCESS);
    EXPECT_EQ(code, 100);
}

struct Refusal {
    const char *what;
    std::function<ViStatus()> call;
    ViStatus status;
    const char *text;
};

TEST_F(Driver, OutOfRangeCodesAreRefusedWithAClearMessage)
{
    const std::vector<Refusal> table = {
        {"function 25", [] { return kq3917e_confMeasurement(0, 25); }, KQ3917E_ERROR_FUNCTION, "0 to 24"},
        {"function -1", [] { return kq3917e_confMeasurement(0, -1); }, KQ3917E_ERROR_FUNCTION, "0 to 24"},
        {"aperture 0", [] { return kq3917e_confAperture(0, 0); }, KQ3917E_ERROR_APERTURE, "microseconds"},
        {"resolution 5", [] { return kq3917e_confMeasRes(0, 5, 0); }, KQ3917E_ERROR_RESOLUTION, "6 to 13"},
        {"averaging 2", [] { return kq3917e_confMeasRes(0, 0, 2); }, KQ3917E_ERROR_AVERAGING, "0 (off)"},
        {"standard 3", [] { return kq3917e_confStandard(0, 3); }, KQ3917E_ERROR_STANDARD, "0 to 2"},
        {"channel 3", [] { return kq3917e_confInputHysteresis(0, 3, 0); }, KQ3917E_ERROR_CHANNEL, "1 or 2"},
        {"channel 0 query",
         [] {
             ViUInt16 h;
             return kq3917e_queryInputHysteresis(0, 0, &h);
         },
         KQ3917E_ERROR_CHANNEL, "1 or 2"},
        {"attenuation 3", [] { return kq3917e_confInputTriggering(0, 1, 3, 0.0, 0); },
         KQ3917E_ERROR_ATTENUATION, "0 to 2"},
        {"level beyond x1", [] { return kq3917e_confInputTriggering(0, 1, 0, -5.2, 0); }, KQ3917E_ERROR_LEVEL,
         "5.1 V"},
        {"level NaN", [] { return kq3917e_confInputTriggering(0, 2, 1, NAN, 0); }, KQ3917E_ERROR_LEVEL,
         "range"},
        {"trigger mode 0", [] { return kq3917e_confAutoTrigMode(0, 1, 0); }, KQ3917E_ERROR_TRIGGER_MODE,
         "1 manual"},
        {"arm source 11", [] { return kq3917e_confArming(0, 0, 11, 9); }, KQ3917E_ERROR_ARM_SOURCE,
         "0 to 10"},
        {"negative delay", [] { return kq3917e_confDelay(0, 1, -1e-6); }, KQ3917E_ERROR_DELAY, "0 to 10"},
        {"gate output 16", [] { return kq3917e_outputGate(0, 16); }, KQ3917E_ERROR_GATE_OUTPUT, "0 to 15"},
        {"gate selector 2", [] { return kq3917e_openCloseGate(0, 2, 1); }, KQ3917E_ERROR_GATE, "selector"},
        {"math flag 2", [] { return kq3917e_mathCalculation(0, 2, 0.0, 1, 0.0, 0); }, KQ3917E_ERROR_MATH,
         "flags"},
        {"timeout 0", [] { return kq3917e_setSystTimeout(0, 0); }, KQ3917E_ERROR_TIMEOUT_VALUE,
         "milliseconds"},
        {"DAC 15", [] { return kq3917e_confCalibrationDAC(0, 15, 0); }, KQ3917E_ERROR_DAC_INDEX, "1 to 14"},
        {"threshold code 256", [] { return kq3917e_confCalibrationDAC(0, 1, 256); }, KQ3917E_ERROR_DAC_CODE,
         "0 to 255"},
        {"module data item 9", [] { return kq3917e_confModuleData(0, 9, "x"); },
         KQ3917E_ERROR_MODULE_DATA_ITEM, "1 to 8"},
        {"module data too long", [] { return kq3917e_confModuleData(0, 8, std::string(512, 'x').c_str()); },
         KQ3917E_ERROR_TEXT_TOO_LONG, "511"},
        {"unknown command", [] { return kq3917e_write_command_and_data(0, 0x1234, 0); },
         KQ3917E_ERROR_UNKNOWN_COMMAND, "command"},
        {"null output", [] { return kq3917e_queryAperture(0, nullptr); }, KQ3917E_ERROR_NULL_POINTER, "null"},
    };
    for (const Refusal &r : table) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.call(), r.status);
        EXPECT_LT(r.status, 0);
        EXPECT_NE(message(r.status).find(r.text), std::string::npos) << message(r.status);
    }
    // Nothing refused changed anything.
    ViInt16 function = -1;
    ASSERT_EQ(kq3917e_queryMeasurement(0, &function), VI_SUCCESS);
    EXPECT_EQ(function, 0);
}

TEST_F(Driver, ApertureSetsResolutionInDigits)
{
    const struct {
        ViInt32 aperture;
        ViInt16 digits;
    } table[] = {{1, 6}, {9, 6}, {10, 7}, {100, 8}, {999, 8}, {1000, 9}, {9999999, 12}, {10000000, 13}};
    for (const auto &row : table) {
        ASSERT_EQ(kq3917e_confAperture(0, row.aperture), VI_SUCCESS);
        ViInt16 digits = -1;
        ViUInt16 averaging = 9;
        ASSERT_EQ(kq3917e_queryMeasRes(0, &digits, &averaging), VI_SUCCESS);
        EXPECT_EQ(digits, row.digits) << row.aperture;
    }
}

TEST_F(Driver, ResolutionSetsApertureAndZeroKeepsIt)
{
    const struct {
        ViInt16 digits;
        ViUInt16 averaging;
        ViInt32 aperture;
    } table[] = {{6, 0, 1}, {8, 1, 100}, {13, 0, 10000000}, {0, 1, 10000000}, {9, 0, 1000}, {0, 0, 1000}};
    for (const auto &row : table) {
        ASSERT_EQ(kq3917e_confMeasRes(0, row.digits, row.averaging), VI_SUCCESS);
        ViInt32 aperture = -1;
        ViInt16 digits = -1;
        ViUInt16 averaging = 9;
        ASSERT_EQ(kq3917e_queryAperture(0, &aperture), VI_SUCCESS);
        ASSERT_EQ(kq3917e_queryMeasRes(0, &digits, &averaging), VI_SUCCESS);
        EXPECT_EQ(aperture, row.aperture) << row.digits;
        EXPECT_EQ(averaging, row.averaging) << row.digits;
    }
}

TEST_F(Driver, TriggerNeedsTheLevelInsideTheSwingOnlyInManualMode)
{
    // Input 1 swings ±3 V, input 2 ±2.7 V.
    const struct {
        ViInt16 function;
        ViInt16 channel;
        ViInt16 mode;
        double level;
        bool triggers;
    } table[] = {
        {0, 1, 1, 2.9, true},  {0, 1, 1, 3.1, false}, {0, 1, 1, -3.1, false}, {0, 1, 2, 5.0, true},
        {0, 1, 3, -5.0, true}, {1, 1, 1, 5.0, true},  {1, 2, 1, 2.8, false},  {4, 2, 1, -2.8, false},
        {18, 2, 1, 5.0, true}, {8, 1, 1, 5.0, true},
    };
    ASSERT_EQ(kq3917e_setSystTimeout(0, 250), VI_SUCCESS);
    for (const auto &row : table) {
        SCOPED_TRACE(testing::Message() << "function " << row.function << " channel " << row.channel
                                        << " mode " << row.mode << " level " << row.level);
        ASSERT_EQ(kq3917e_reset(0), VI_SUCCESS);
        ASSERT_EQ(kq3917e_setSystTimeout(0, 250), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confMeasurement(0, row.function), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confAutoTrigMode(0, row.channel, row.mode), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confInputTriggering(0, row.channel, 0, row.level, 0), VI_SUCCESS);
        double before = drvtest::SimModule().now();
        readValue(row.triggers ? VI_SUCCESS : VI_ERROR_TMO);
        if (!row.triggers) {
            // Fails after the system timeout of virtual time, and so does fetch.
            EXPECT_DOUBLE_EQ(drvtest::SimModule().now() - before, 0.25);
            ASSERT_EQ(kq3917e_triggerContinuous(0, 1), VI_SUCCESS);
            ViReal64 value = 0;
            EXPECT_EQ(kq3917e_fetch(0, &value), VI_ERROR_TMO);
        }
    }
}

TEST_F(Driver, FetchNeedsContinuousTriggeringAndGivesFreshResults)
{
    ViReal64 value = 0;
    EXPECT_EQ(kq3917e_fetch(0, &value), KQ3917E_ERROR_NOT_TRIGGERED);
    ASSERT_EQ(kq3917e_triggerContinuous(0, 1), VI_SUCCESS);
    ViReal64 first = 0, second = 0;
    ASSERT_EQ(kq3917e_fetch(0, &first), VI_SUCCESS);
    double afterFirst = drvtest::SimModule().now();
    EXPECT_DOUBLE_EQ(afterFirst, 100e-6); // one aperture
    ASSERT_EQ(kq3917e_fetch(0, &second), VI_SUCCESS);
    EXPECT_NE(first, second);
    // With time passed, fetch returns the newest result without waiting.
    clock = 1.0;
    ASSERT_EQ(kq3917e_fetch(0, &value), VI_SUCCESS);
    EXPECT_DOUBLE_EQ(drvtest::SimModule().now(), 1.0 + 2 * 100e-6);
    // Abort discards the measurement in progress; fetching goes on.
    ASSERT_EQ(kq3917e_abortMeasurement(0), VI_SUCCESS);
    EXPECT_EQ(kq3917e_fetch(0, &value), VI_SUCCESS);
    ASSERT_EQ(kq3917e_triggerContinuous(0, 0), VI_SUCCESS);
    EXPECT_EQ(kq3917e_fetch(0, &value), KQ3917E_ERROR_NOT_TRIGGERED);
}

TEST_F(Driver, TotalizeCountsWhileTheGateIsOpenAndClears)
{
    ASSERT_EQ(kq3917e_confMeasurement(0, 8), VI_SUCCESS);
    ASSERT_EQ(kq3917e_confAperture(0, 10), VI_SUCCESS); // each read adds one 10 µs period
    EXPECT_EQ(readValue(), 0.0);
    ASSERT_EQ(kq3917e_openCloseGate(0, 1, 1), VI_SUCCESS);
    clock = 0.5;
    EXPECT_NEAR(readValue(), 50001, 1); // 100 kHz for 0.5 s and one read
    ASSERT_EQ(kq3917e_openCloseGate(0, 1, 0), VI_SUCCESS);
    clock = 2.0;
    double closed = readValue();
    EXPECT_NEAR(closed, 50002, 1);
    EXPECT_EQ(readValue(), closed); // closed gate: nothing more counted
    ASSERT_EQ(kq3917e_confMeasurement(0, 9), VI_SUCCESS);
    EXPECT_NEAR(readValue(), 50002, 1); // input 2 counted alongside
    ASSERT_EQ(kq3917e_clearAccCount(0, 1), VI_SUCCESS);
    EXPECT_NEAR(readValue(), 50002, 1); // clearing input 1 leaves input 2
    ASSERT_EQ(kq3917e_clearAccCount(0, 2), VI_SUCCESS);
    EXPECT_EQ(readValue(), 0.0);
    // No edges when input 2 does not trigger.
    ASSERT_EQ(kq3917e_confInputTriggering(0, 2, 0, 4.0, 0), VI_SUCCESS);
    ASSERT_EQ(kq3917e_openCloseGate(0, 1, 1), VI_SUCCESS);
    clock = 3.0;
    EXPECT_EQ(readValue(), 0.0);
}

TEST_F(Driver, MathAppliesOffsetThenScaleWhileEnabled)
{
    double plain = readValue();
    // Deviation from 100 kHz in parts per million.
    ASSERT_EQ(kq3917e_mathCalculation(0, 0, -100000.0, 0, 10.0, 1), VI_SUCCESS);
    EXPECT_NEAR(readValue(), 0.0, 0.1);
    // Flag 1 leaves a value as it was.
    ASSERT_EQ(kq3917e_mathCalculation(0, 1, 0.0, 0, 1.0, 1), VI_SUCCESS);
    EXPECT_NEAR(readValue(), 0.0, 0.01);
    ASSERT_EQ(kq3917e_mathCalculation(0, 1, 0.0, 1, 0.0, 0), VI_SUCCESS);
    EXPECT_NEAR(readValue(), plain, 0.01);
    ViReal64 offset = 0, scale = 0;
    ViUInt16 enabled = 9;
    ASSERT_EQ(kq3917e_queryMathCalculation(0, &offset, &scale, &enabled), VI_SUCCESS);
    EXPECT_EQ(offset, -100000.0);
    EXPECT_EQ(scale, 1.0);
    EXPECT_EQ(enabled, 0);
}

TEST_F(Driver, FunctionResultsInTheirUnits)
{
    const struct {
        ViInt16 function;
        double expected;
        double tolerance;
    } table[] = {
        {0, 100000.0, 0.01},   {1, 100000.0, 0.01},   {2, 10e-6, 1e-12}, {3, 10e-6, 1e-12},
        {4, 2.5e-6, 1e-12},    {5, 7.5e-6, 1e-12},    {6, 1.0, 1e-6},    {7, 1.0, 1e-6},
        {10, 1.0, 1e-6},       {11, 100000.0, 0.01},  {12, 90.0, 1e-4},  {13, 270.0, 1e-4},
        {14, 2.9517e-6, 1e-9}, {15, 2.9517e-6, 1e-9}, {16, 5e-6, 1e-12}, {17, 5e-6, 1e-12},
        {18, 2.7, 0.01},       {19, 3.0, 0.01},       {20, -2.7, 0.01},  {21, -3.0, 0.01},
        {22, 5.4, 0.01},       {23, 6.0, 0.01},       {24, 50.0, 1e-4},
    };
    for (const auto &row : table) {
        ASSERT_EQ(kq3917e_confMeasurement(0, row.function), VI_SUCCESS);
        EXPECT_NEAR(readValue(), row.expected, row.tolerance) << "function " << row.function;
    }
}

TEST_F(Driver, LevelSlopeAndDelayMoveTimeResults)
{
    const struct {
        ViInt16 function;
        ViUInt16 slope1;
        double level1;
        ViUInt16 delayOn;
        double expected;
    } table[] = {
        {4, 0, 0.0, 1, 12.5e-6},             // stop armed 12 µs after the start
        {4, 1, 0.0, 0, 7.5e-6},              // start on input 1's falling edge
        {16, 0, 1.5, 0, 10e-6 / 3},          // above +half amplitude a third of the period
        {24, 0, -1.5, 0, 100.0 * 2.0 / 3.0}, // duty cycle in percent
    };
    for (const auto &row : table) {
        ASSERT_EQ(kq3917e_reset(0), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confMeasurement(0, row.function), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confInputSlopes(0, row.slope1, 0), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confInputTriggering(0, 1, 0, row.level1, 0), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confDelay(0, row.delayOn, 12e-6), VI_SUCCESS);
        EXPECT_NEAR(readValue(), row.expected, std::fabs(row.expected) * 1e-6) << "function " << row.function;
    }
}

TEST_F(Driver, CalibrationReadingFollowsTheThresholdDacOfTheHysteresisInUse)
{
    const struct {
        ViInt16 function;
        ViInt16 channel;
        ViUInt16 hysteresis;
        ViInt16 dac;
        ViInt16 code;
        bool inBand;
    } table[] = {
        {0, 1, 0, 1, 128, true},  {0, 1, 0, 1, 255, false}, {0, 1, 0, 1, 0, false},
        {0, 1, 0, 1, 170, true},  {0, 1, 0, 2, 255, true},  {0, 1, 1, 2, 255, false},
        {1, 2, 0, 8, 255, false}, {1, 2, 1, 9, 0, false},   {1, 2, 0, 1, 255, true},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(testing::Message()
                     << "DAC " << row.dac << " code " << row.code << " hysteresis " << row.hysteresis);
        ASSERT_EQ(kq3917e_reset(0), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confMeasurement(0, row.function), VI_SUCCESS);
        ASSERT_EQ(kq3917e_setSystTimeout(0, 1), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confInputHysteresis(0, row.channel, row.hysteresis), VI_SUCCESS);
        ASSERT_EQ(kq3917e_confCalibrationDAC(0, row.dac, row.code), VI_SUCCESS);
        double reading = readValue();
        EXPECT_EQ(reading >= 99999.0 && reading <= 100001.0, row.inBand) << reading;
    }
}

TEST_F(Driver, NoiseIsAboutOneCountOfTheResolution)
{
    for (ViInt32 aperture : {100, 10000}) {
        ASSERT_EQ(kq3917e_confAperture(0, aperture), VI_SUCCESS);
        const int n = 400;
        double sum = 0, sumSq = 0;
        for (int i = 0; i < n; ++i) {
            double x = readValue() - 100000.0;
            sum += x;
            sumSq += x * x;
        }
        double sigma = std::sqrt(sumSq / n - (sum / n) * (sum / n));
        double count = 100000.0 * 1e-12 / (aperture * 1e-6);
        EXPECT_GT(sigma, 0.7 * count) << aperture;
        EXPECT_LT(sigma, 1.3 * count) << aperture;
    }
}

TEST_F(Driver, SameSeedSameReadings)
{
    auto readings = [](std::uint64_t seed) {
        drvtest::ResetDriver();
        EXPECT_EQ(kq3917e_simulate(1), VI_SUCCESS);
        drvtest::SetSimSeed(seed);
        std::vector<double> out;
        for (int i = 0; i < 5; ++i) {
            out.push_back(readValue());
        }
        return out;
    };
    EXPECT_EQ(readings(7), readings(7));
    EXPECT_NE(readings(7), readings(8));
}

TEST_F(Driver, SystemOperations)
{
    ViInt16 post = -1, result = -1;
    ViUInt32 relay = 9;
    ViUInt16 dac = 9;
    EXPECT_EQ(kq3917e_queryPostResult(0, &post), VI_SUCCESS);
    EXPECT_EQ(post, 0);
    EXPECT_EQ(kq3917e_testCounter(0, &result, &relay, &dac), VI_SUCCESS);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(relay, 0u);
    EXPECT_EQ(dac, 0);
    EXPECT_EQ(kq3917e_SetInterruptLevel(0, 5), VI_SUCCESS);
    EXPECT_EQ(kq3917e_SetInterruptLevel(0, 8), KQ3917E_ERROR_INTERRUPT_LEVEL);
    EXPECT_EQ(kq3917e_SetInterruptMask(0, -1), VI_SUCCESS);
    EXPECT_EQ(kq3917e_reset(0), VI_SUCCESS);
    EXPECT_EQ(drvtest::SimModule().interruptLevel(), 5); // kept across a reset
    EXPECT_EQ(drvtest::SimModule().interruptMask(), -1);

    ViChar driverRev[KQ3917E_REVISION_SIZE] = {}, firmwareRev[KQ3917E_REVISION_SIZE] = {};
    ASSERT_EQ(kq3917e_revision_query(0, driverRev, firmwareRev), VI_SUCCESS);
    EXPECT_NE(std::string(firmwareRev).find("firmware"), std::string::npos);
    ViChar data[KQ3917E_MODULE_DATA_SIZE] = {};
    for (ViInt16 item = 1; item <= 8; ++item) {
        ASSERT_EQ(kq3917e_queryModuleData(0, item, data), VI_SUCCESS);
        EXPECT_GT(std::strlen(data), 0u) << item;
    }
    EXPECT_NE(std::string(data).find("serial"), std::string::npos);
}

TEST_F(Driver, ModuleDataIsKeptOnlyWhenWritten)
{
    ViChar data[KQ3917E_MODULE_DATA_SIZE] = {};
    ASSERT_EQ(kq3917e_confModuleData(0, 3, "rev D"), VI_SUCCESS);
    ASSERT_EQ(kq3917e_confModuleData(0, 4, "2030-01-01"), VI_SUCCESS);
    ASSERT_EQ(kq3917e_queryModuleData(0, 3, data), VI_SUCCESS);
    EXPECT_STREQ(data, "rev D");
    ASSERT_EQ(kq3917e_WriteModuleData(0), VI_SUCCESS);
    ASSERT_EQ(kq3917e_confModuleData(0, 4, "unsaved"), VI_SUCCESS);
    ASSERT_EQ(kq3917e_reset(0), VI_SUCCESS);
    ASSERT_EQ(kq3917e_queryModuleData(0, 4, data), VI_SUCCESS);
    EXPECT_STREQ(data, "2030-01-01");
}

TEST_F(Driver, ErrorMessagesForEveryKindOfStatus)
{
    const struct {
        ViStatus status;
        const char *text;
    } table[] = {
        {VI_SUCCESS, "Success."},
        {VI_ERROR_RSRC_NFOUND, "Insufficient location information or the requested device or resource is not "
                               "present in the system."},
        {VI_ERROR_TMO, "Timeout expired"},
        {VI_ERROR_LIBRARY_NFOUND, "No VISA library"},
        {VI_ERROR_INV_OBJECT, "session is not valid"},
        {KQ3917E_ERROR_NOT_INSTALLED, "(libkq3917e.so) is not installed"},
        {KQ3917E_FIRMWARE_ERROR_BASE + 5, "Firmware update: block refused by module (code 5)"},
        {KQ3917E_FIRMWARE_ERROR_BASE + 1, "(code 1: checksum mismatch)"},
        {static_cast<ViStatus>(0x12345678), "Unknown status code 0x12345678"},
        {KQ3917E_ERROR_BASE + 0x7FF, "Unknown status code 0xBFFC07FF"},
    };
    for (const auto &row : table) {
        EXPECT_NE(message(row.status).find(row.text), std::string::npos) << message(row.status);
    }
    // Also in hardware mode, and never past the message size.
    ASSERT_EQ(kq3917e_simulate(0), VI_SUCCESS);
    ViChar text[KQ3917E_MESSAGE_SIZE + 1];
    std::memset(text, '#', sizeof text);
    ASSERT_EQ(kq3917e_error_message(0, VI_ERROR_RSRC_NFOUND, text), VI_SUCCESS);
    EXPECT_EQ(text[KQ3917E_MESSAGE_SIZE], '#');
}

TEST_F(Driver, HardwareModeWithoutTheLibraryExplainsAndRefuses)
{
    ASSERT_EQ(kq3917e_simulate(0), VI_SUCCESS);
    ViSession session = 77;
    ViStatus status = kq3917e_init("PXI3::4::INSTR", 1, 1, &session);
    EXPECT_EQ(status, KQ3917E_ERROR_NOT_INSTALLED);
    EXPECT_EQ(session, 0u);
    EXPECT_NE(message(status).find("not installed"), std::string::npos);
    ViInt16 function = -1;
    EXPECT_EQ(kq3917e_queryMeasurement(0, &function), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(function, -1);
    EXPECT_EQ(kq3917e_simulate(1), VI_SUCCESS);
    EXPECT_EQ(kq3917e_init("PXI3::4::INSTR", 1, 0, &session), VI_SUCCESS);
    EXPECT_NE(session, 0u);
    EXPECT_EQ(kq3917e_queryMeasurement(session, &function), VI_SUCCESS);
    EXPECT_EQ(kq3917e_close(session), VI_SUCCESS);
}

TEST_F(Driver, SeamRecordsInputArgumentsOnly)
{
    drvtest::StartRecording();
    ViSession session = 0;
    ViReal64 value = 0;
    ViChar text[KQ3917E_MESSAGE_SIZE];
    kq3917e_init("PXI1::2::INSTR", 1, 0, &session);
    kq3917e_confInputConditioning(session, 1, 1, 0, 1, 0);
    kq3917e_confInputTriggering(session, 2, 1, 2.5, 0);
    kq3917e_mathCalculation(session, 1, 0.0, 0, 1e-7, 1);
    kq3917e_confModuleData(session, 8, "S/N 1");
    kq3917e_read(session, &value);
    kq3917e_confMeasurement(session, 99);
    kq3917e_error_message(0, -1, text);
    drvtest::StopRecording();
    kq3917e_reset(session);

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"kq3917e_init", "\"PXI1::2::INSTR\",1,0"},
        {"kq3917e_confInputConditioning", "1,1,0,1,0"},
        {"kq3917e_confInputTriggering", "2,1,2.5,0"},
        {"kq3917e_mathCalculation", "1,0,0,1e-07,1"},
        {"kq3917e_confModuleData", "8,\"S/N 1\""},
        {"kq3917e_read", ""},
        {"kq3917e_confMeasurement", "99"},
        {"kq3917e_error_message", "-1"},
    };
    const auto &calls = drvtest::Calls();
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].name, expected[i].first);
        EXPECT_EQ(calls[i].args, expected[i].second) << calls[i].name;
    }
    EXPECT_EQ(calls[1].session, session);
    EXPECT_EQ(calls[6].status, KQ3917E_ERROR_FUNCTION);
}

TEST_F(Driver, SeamRefusalsAndWarnings)
{
    drvtest::Refuse("kq3917e_confAperture", -42);
    EXPECT_EQ(kq3917e_confAperture(0, 5000), -42);
    ViInt32 aperture = 0;
    ASSERT_EQ(kq3917e_queryAperture(0, &aperture), VI_SUCCESS);
    EXPECT_EQ(aperture, 100); // refused: nothing done

    drvtest::Refuse("kq3917e_confAperture", 7);
    EXPECT_EQ(kq3917e_confAperture(0, 5000), 7);
    ASSERT_EQ(kq3917e_queryAperture(0, &aperture), VI_SUCCESS);
    EXPECT_EQ(aperture, 5000);                                      // warning: done
    EXPECT_EQ(kq3917e_confAperture(0, -1), KQ3917E_ERROR_APERTURE); // a failure beats the warning

    drvtest::ClearRefusals();
    drvtest::RefuseAll(VI_ERROR_TMO);
    EXPECT_EQ(kq3917e_queryAperture(0, &aperture), VI_ERROR_TMO);
    EXPECT_EQ(kq3917e_reset(0), VI_ERROR_TMO);
    EXPECT_EQ(kq3917e_close(0), VI_SUCCESS);
    EXPECT_EQ(kq3917e_simulate(1), VI_SUCCESS);
    EXPECT_EQ(message(VI_ERROR_TMO).substr(0, 7), "Timeout");
    drvtest::Refuse("kq3917e_close", -3);
    EXPECT_EQ(kq3917e_close(0), -3);
    drvtest::ClearRefusals();
    EXPECT_EQ(kq3917e_queryAperture(0, &aperture), VI_SUCCESS);
}

} // namespace
