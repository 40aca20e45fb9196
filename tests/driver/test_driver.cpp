// SPDX-License-Identifier: GPL-3.0-or-later
// The driver dispatch against its simulated module (demonstration mode, on
// session 0).
#include "kq3917e.h"
#include "kq3917e_testseam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <tuple>

namespace
{

class Driver : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        drvtest::ResetDriver(); // the module on a test clock standing at 0
        ASSERT_EQ(kq3917e_simulate(1), VI_SUCCESS);
    }

    static double readValue()
    {
        ViReal64 value = NAN;
        EXPECT_EQ(kq3917e_read(0, &value), VI_SUCCESS);
        return value;
    }
    static std::string message(ViStatus status)
    {
        ViChar text[KQ3917E_MESSAGE_SIZE + 1];
        std::memset(text, '#', sizeof text);
        EXPECT_EQ(kq3917e_error_message(0, status, text), VI_SUCCESS);
        EXPECT_EQ(text[KQ3917E_MESSAGE_SIZE], '#'); // never past the message size
        return text;
    }
};

// Operations that must all succeed, run in order.
void accepted(std::initializer_list<ViStatus> statuses)
{
    int i = 0;
    for (ViStatus status : statuses)
        ASSERT_EQ(status, VI_SUCCESS) << "operation " << i++;
}

// An operation on session 0 with the given inputs.
template <typename Fn, typename... In> std::function<ViStatus()> call(Fn fn, In... in)
{
    return [=] { return fn(0, in...); };
}

// A query on session 0 with the given inputs and fresh outputs of the types
// Out; gives the outputs joined by ','.
template <typename... Out, typename Fn, typename... In> std::function<std::string()> query(Fn fn, In... in)
{
    return [=] {
        std::tuple<Out...> out{};
        EXPECT_EQ(std::apply([&](auto &...v) { return fn(0, in..., &v...); }, out), VI_SUCCESS);
        std::string text;
        std::apply([&](auto... v) { ((text += (text.empty() ? "" : ",") + std::to_string(v)), ...); }, out);
        return text;
    };
}

// Each conf with its query twin: the outputs at power-on, a conf to other
// values, the outputs afterwards.
const std::tuple<const char *, std::function<ViStatus()>, const char *, std::function<std::string()>>
    kTwins[] = {
        {"0", call(kq3917e_confMeasurement, 24), "24", query<ViInt16>(kq3917e_queryMeasurement)},
        {"100", call(kq3917e_confAperture, 2500), "2500", query<ViInt32>(kq3917e_queryAperture)},
        {"8,0", call(kq3917e_confMeasRes, 11, 1), "11,1", query<ViInt16, ViUInt16>(kq3917e_queryMeasRes)},
        {"0", call(kq3917e_confStandard, 2), "2", query<ViInt16>(kq3917e_queryStandard)},
        {"0,0,0,0", call(kq3917e_confInputConditioning, 2, 1, 1, 1, 1), "1,1,1,1",
         query<ViInt16, ViUInt16, ViUInt16, ViUInt16>(kq3917e_queryInputConditioning, 2)},
        {"0,0.000000,0", call(kq3917e_confInputTriggering, 1, 2, -150.5, 1), "2,-150.500000,1",
         query<ViInt16, ViReal64, ViUInt16>(kq3917e_queryInputTriggering, 1)},
        {"0,0", call(kq3917e_confInputSlopes, 0, 1), "0,1",
         query<ViUInt16, ViUInt16>(kq3917e_queryInputSlopes)},
        {"0", call(kq3917e_confInputHysteresis, 2, 1), "1", query<ViUInt16>(kq3917e_queryInputHysteresis, 2)},
        {"1", call(kq3917e_confAutoTrigMode, 1, 3), "3", query<ViInt16>(kq3917e_queryAutoTrigMode, 1)},
        {"0", call(kq3917e_confMinAutoTrigFreq, 1), "1", query<ViUInt16>(kq3917e_queryMinAutoTrigFreq)},
        {"0,0,9", call(kq3917e_confArming, 3, 10, 0), "3,10,0",
         query<ViInt16, ViInt16, ViInt16>(kq3917e_queryArming)},
        {"1.600000", call(kq3917e_confArmingLevel, -2.25), "-2.250000",
         query<ViReal64>(kq3917e_queryArmingLevel)},
        {"0", call(kq3917e_confExtArmMode, 1), "1", query<ViInt16>(kq3917e_queryExtArmMode)},
        {"0", call(kq3917e_confExtArmHysteresis, 1), "1", query<ViInt16>(kq3917e_queryExtArmHysteresis)},
        {"0,0.000192", call(kq3917e_confDelay, 1, 0.5), "1,0.500000",
         query<ViUInt16, ViReal64>(kq3917e_queryDelay)},
        {"8", call(kq3917e_outputGate, 10), "10", query<ViInt16>(kq3917e_queryOutputGate)},
        {"0.000000,1.000000,0", call(kq3917e_mathCalculation, 0, 1e9, 0, -2.0, 1),
         "1000000000.000000,-2.000000,1", query<ViReal64, ViReal64, ViUInt16>(kq3917e_queryMathCalculation)},
        {"2000", call(kq3917e_setSystTimeout, 1), "1", query<ViInt32>(kq3917e_readSystTimeout)},
        {"128", call(kq3917e_confCalibrationDAC, 9, 255), "255",
         query<ViInt16>(kq3917e_queryCalibrationDAC, 9)},
        {"2048", call(kq3917e_confCalibrationDAC, 14, 4095), "4095",
         query<ViInt16>(kq3917e_queryCalibrationDAC, 14)},
};

void expectPowerOn()
{
    for (const auto &[powerOn, conf, changed, query] : kTwins)
        EXPECT_EQ(query(), powerOn) << changed;
}

TEST_F(Driver, ConfQueryTwinsFromPowerOnAndBackOnReset)
{
    expectPowerOn();
    for (const auto &[powerOn, conf, changed, query] : kTwins) {
        ASSERT_EQ(conf(), VI_SUCCESS) << changed;
        EXPECT_EQ(query(), changed);
    }
    ASSERT_EQ(kq3917e_reset(0), VI_SUCCESS);
    expectPowerOn();
    // Stored calibration survives a reset; unsaved codes do not.
    accepted({kq3917e_confCalibrationDAC(0, 5, 100), kq3917e_WriteCounterCalibrationData(0),
              kq3917e_confCalibrationDAC(0, 5, 200), kq3917e_resetCounter(0)});
    EXPECT_EQ(query<ViInt16>(kq3917e_queryCalibrationDAC, 5)(), "100");
}

TEST_F(Driver, OutOfRangeCodesAreRefusedWithAClearMessageAndChangeNothing)
{
    static const std::string tooLong(256, 'x');
    const std::tuple<std::function<ViStatus()>, ViStatus, const char *> table[] = {
        {call(kq3917e_confMeasurement, 25), KQ3917E_ERROR_FUNCTION, "0 to 24"},
        {call(kq3917e_confAperture, 0), KQ3917E_ERROR_APERTURE, "microseconds"},
        {call(kq3917e_confMeasRes, 5, 0), KQ3917E_ERROR_RESOLUTION, "6 to 13"},
        {call(kq3917e_confInputHysteresis, 3, 0), KQ3917E_ERROR_CHANNEL, "1 or 2"},
        {call(kq3917e_confInputTriggering, 1, 0, -5.2, 0), KQ3917E_ERROR_LEVEL, "5.1 V"},
        {call(kq3917e_confAutoTrigMode, 1, 0), KQ3917E_ERROR_TRIGGER_MODE, "1 manual"},
        {call(kq3917e_confCalibrationDAC, 1, 256), KQ3917E_ERROR_DAC_CODE, "0 to 255"},
        {call(kq3917e_mathCalculation, 1, 0.0, 0, -1.000001e9, 0), KQ3917E_ERROR_MATH, "1E+09"},
        {call(kq3917e_confModuleData, 8, tooLong.c_str()), KQ3917E_ERROR_TEXT_TOO_LONG, "255"},
        {call(kq3917e_write_command_and_data, 0x1234, 0), KQ3917E_ERROR_UNKNOWN_COMMAND, "command"},
        {call(kq3917e_queryAperture, nullptr), KQ3917E_ERROR_NULL_POINTER, "null"},
    };
    for (const auto &[refused, status, text] : table) {
        EXPECT_EQ(refused(), status) << text;
        EXPECT_NE(message(status).find(text), std::string::npos) << message(status);
    }
    expectPowerOn();
}

// What an operation takes of the demonstration clock: a read its aperture,
// the self-test its own time, a read or fetch without a trigger the system
// timeout, to answer that no trigger came.
TEST_F(Driver, OperationsTakeTheirTimeOnTheDemonstrationClock)
{
    ViInt16 result = 0;
    ViUInt32 relay = 0;
    ViUInt16 dac = 0;
    ViReal64 value = 0;
    const auto read = [&] { return kq3917e_read(0, &value); };
    const auto fetch = [&] { return kq3917e_fetch(0, &value); };
    accepted({kq3917e_setSystTimeout(0, 250), kq3917e_confAperture(0, 2500)});
    const std::tuple<std::function<ViStatus()>, ViStatus, double> table[] = {
        {fetch, KQ3917E_ERROR_NOT_TRIGGERED, 0},
        {read, VI_SUCCESS, 0.0025},
        {[&] { return kq3917e_testCounter(0, &result, &relay, &dac); }, VI_SUCCESS, 0.2},
        {call(kq3917e_confInputTriggering, 1, 0, 5.0, 0), VI_SUCCESS, 0}, // beyond input 1's ±3 V swing
        {read, KQ3917E_ERROR_NO_TRIGGER, 0.25},
        {call(kq3917e_triggerContinuous, 1), VI_SUCCESS, 0},
        {fetch, KQ3917E_ERROR_NO_TRIGGER, 0.25}};
    for (const auto &[operation, status, seconds] : table) {
        const double before = drvtest::SimModule().now();
        EXPECT_EQ(operation(), status) << seconds;
        EXPECT_NEAR(drvtest::SimModule().now() - before, seconds, 1e-9);
    }
}

// The noise's most extreme draw, its uniform at the lowest step, still gives
// a number. The seed makes the first read's draw that one: the simulation's
// hash of it mixed with the first read's key is 0. At 100 µs a frequency's
// sigma is 1 ps of 10 µs, 1 mHz; the draw lies 6.37 sigma off.
TEST_F(Driver, TheNoisesMostExtremeDrawIsANumber)
{
    drvtest::SetSimSeed(0x29D646E4921C7030ull);
    EXPECT_NEAR(readValue(), 100000.00637, 1e-4);
}

TEST_F(Driver, ErrorMessagesForEveryKindOfStatusOnSessionZero)
{
    const std::pair<ViStatus, const char *> table[] = {
        {VI_SUCCESS, "Success."},
        {VI_ERROR_RSRC_NFOUND, "requested device or resource is not present in the system."},
        {VI_ERROR_TMO, "Timeout expired"},
        {VI_ERROR_LIBRARY_NFOUND, "No VISA library"},
        {KQ3917E_ERROR_NOT_INSTALLED, "(libkq3917e.so) is not installed"},
        {KQ3917E_FIRMWARE_ERROR_BASE + 5, "Firmware update: block refused by module (code 5)"},
        {static_cast<ViStatus>(0x12345678), "Unknown status code 0x12345678"},
        {KQ3917E_ERROR_BASE + 0x7FF, "Unknown status code 0xBFFC07FF"},
        {KQ3917E_FIRMWARE_ERROR_BASE + 0xFFFF, "code 65535"}};
    for (ViInt16 simulate : {1, 0}) {
        ASSERT_EQ(kq3917e_simulate(simulate), VI_SUCCESS);
        for (auto [status, text] : table)
            EXPECT_NE(message(status).find(text), std::string::npos) << message(status);
    }
    EXPECT_EQ(kq3917e_reset(0), VI_ERROR_INV_OBJECT); // hardware mode has no session 0
}

} // namespace

// The program's demonstration (no test clock) runs on the machine's clock: an
// idle module's 5 ms timeout lets real time pass, which the open gate of the
// demonstration module counts at 100 kHz.
TEST(DriverClock, DemonstrationRunsOnTheMachineClock)
{
    drvtest::SetSimClock({}); // the clock of a process that never set one
    auto seconds = [] { return uctsim::monotonicSeconds(); };
    accepted({kq3917e_simulate(1), kq3917e_reset(0), kq3917e_confMeasurement(0, 8),
              kq3917e_confAperture(0, 10), kq3917e_openCloseGate(0, 1, 1)});
    ViReal64 before = 0, after = 0;
    const double first = seconds();
    ASSERT_EQ(kq3917e_read(0, &before), VI_SUCCESS);

    uctsim::Module idle;
    ASSERT_EQ(idle.setSystTimeout(5), VI_SUCCESS);
    ASSERT_EQ(idle.confInputTriggering(1, 0, 5.0, 0), VI_SUCCESS);
    ViReal64 none = 0;
    const double start = seconds();
    ASSERT_EQ(idle.read(&none), KQ3917E_ERROR_NO_TRIGGER);
    const double waited = seconds() - start;
    EXPECT_GE(waited, 0.005) << "the no-trigger timeout did not take its time";

    ASSERT_EQ(kq3917e_read(0, &after), VI_SUCCESS);
    const double last = seconds();
    EXPECT_GE(after - before, 100000 * waited - 1) << "the gate did not count the time that passed";
    EXPECT_LE(after - before, 100000 * (last - first) + 1);
}
