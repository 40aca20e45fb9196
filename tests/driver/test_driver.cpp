// SPDX-License-Identifier: GPL-3.0-or-later
// The driver dispatch against its simulated module (demonstration mode, on
// session 0).
#include "kq3917e.h"
#include "kq3917e_testseam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace
{

struct Driver : ::testing::Test {
    void SetUp() override
    {
        drvtest::ResetDriver(); // the module on a test clock standing at 0
        ASSERT_EQ(kq3917e_simulate(1), VI_SUCCESS);
    }
};

// Whether operations, run in order, all succeeded.
const auto accepted = [](std::vector<ViStatus> s) { return std::ranges::none_of(s, std::identity()); };

// An argument for a parameter of type T or T *: x itself or its address.
template <typename T> struct Arg {
    T &x;
    operator T() const { return x; }
    operator T *() const { return &x; }
};

// A query on session 0 with at most one leading input: its outputs (its
// pointer parameters) joined by ',', numbers as printed by default.
template <typename... Param, typename... In> std::string answer(ViStatus (*fn)(ViSession, Param...), In... in)
{
    std::tuple<std::remove_pointer_t<Param>...> v{};
    ((std::get<0>(v) = in), ...); // the leading input, if any
    std::ostringstream text;
    std::apply(
        [&](auto &...x) {
            EXPECT_EQ(fn(0, Arg{x}...), VI_SUCCESS);
            ((std::is_pointer_v<Param> ? void(text << ',' << x) : void()), ...);
        },
        v);
    return text.str().substr(1);
}

// Each conf with its query twin: the query's outputs after the conf.
#define TWIN(changed, conf, query, ...)                                                                      \
    {                                                                                                        \
        changed, [] { return kq3917e_##conf; },                                                              \
            [] { return answer(kq3917e_##query __VA_OPT__(, ) __VA_ARGS__); }                                \
    }
TEST_F(Driver, EveryConfIsReadBackByItsQuery)
{
    const struct {
        const char *changed;
        ViStatus (*conf)();
        std::string (*query)();
    } twins[] = {
        TWIN("24", confMeasurement(0, 24), queryMeasurement),
        TWIN("2500", confAperture(0, 2500), queryAperture),
        TWIN("11,1", confMeasRes(0, 11, 1), queryMeasRes),
        TWIN("2", confStandard(0, 2), queryStandard),
        TWIN("1,1,1,1", confInputConditioning(0, 2, 1, 1, 1, 1), queryInputConditioning, 2),
        TWIN("2,-204,1", confInputTriggering(0, 1, 2, -204.0, 1), queryInputTriggering, 1),
        TWIN("0,1", confInputSlopes(0, 0, 1), queryInputSlopes),
        TWIN("1", confInputHysteresis(0, 2, 1), queryInputHysteresis, 2),
        TWIN("3", confAutoTrigMode(0, 1, 3), queryAutoTrigMode, 1),
        TWIN("1", confMinAutoTrigFreq(0, 1), queryMinAutoTrigFreq),
        TWIN("3,10,0", confArming(0, 3, 10, 0), queryArming),
        TWIN("-2.25", confArmingLevel(0, -2.25), queryArmingLevel),
        TWIN("1", confExtArmMode(0, 1), queryExtArmMode),
        TWIN("1", confExtArmHysteresis(0, 1), queryExtArmHysteresis),
        TWIN("1,0.5", confDelay(0, 1, 0.5), queryDelay),
        TWIN("10", outputGate(0, 10), queryOutputGate),
        TWIN("1e+09,-2,1", mathCalculation(0, 0, 1e9, 0, -2.0, 1), queryMathCalculation),
        TWIN("1", setSystTimeout(0, 1), readSystTimeout),
        TWIN("255", confCalibrationDAC(0, 9, 255), queryCalibrationDAC, 9),
        TWIN("4095", confCalibrationDAC(0, 14, 4095), queryCalibrationDAC, 14),
    };
    for (const auto &twin : twins) {
        ASSERT_EQ(twin.conf(), VI_SUCCESS) << twin.changed;
        EXPECT_EQ(twin.query(), twin.changed);
    }
}
#undef TWIN

// What an operation takes of the demonstration clock: a read its aperture,
// the self-test its own time, a read or fetch without a trigger the system
// timeout, to answer that no trigger came.
TEST_F(Driver, OperationsTakeTheirTimeOnTheDemonstrationClock)
{
    ViReal64 value = 0;
    const auto read = [&] { return kq3917e_read(0, &value); };
    const auto fetch = [&] { return kq3917e_fetch(0, &value); };
    ASSERT_TRUE(accepted({kq3917e_setSystTimeout(0, 250), kq3917e_confAperture(0, 2500)}));
    const std::tuple<std::function<ViStatus()>, ViStatus, double> table[] = {
        {fetch, KQ3917E_ERROR_NOT_TRIGGERED, 0},
        {read, VI_SUCCESS, 0.0025},
        // The self-test (answer expects it to succeed), then a level whose hysteresis band just
        // touches input 1's 3 V peak: no trigger.
        {[] { return answer(kq3917e_testCounter), VI_SUCCESS; }, VI_SUCCESS, 0.2},
        {[] { return kq3917e_confInputTriggering(0, 1, 0, 2.99, 0); }, VI_SUCCESS, 0},
        {read, KQ3917E_ERROR_NO_TRIGGER, 0.25},
        {[] { return kq3917e_triggerContinuous(0, 1); }, VI_SUCCESS, 0},
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
    ViReal64 value = 0;
    ASSERT_EQ(kq3917e_read(0, &value), VI_SUCCESS);
    EXPECT_NEAR(value, 100000.00637, 1e-4);
}

// Every kind of status has its message, in either mode; a refused operation
// returns the status whose message says what it takes.
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
        {KQ3917E_FIRMWARE_ERROR_BASE + 0xFFFF, "code 65535"},
        {KQ3917E_ERROR_FUNCTION, "0 to 24"},
        {KQ3917E_ERROR_NULL_POINTER, "null"}};
    EXPECT_EQ(kq3917e_queryAperture(0, nullptr), KQ3917E_ERROR_NULL_POINTER);
    EXPECT_EQ(kq3917e_confMeasurement(0, 25), KQ3917E_ERROR_FUNCTION);
    EXPECT_EQ(kq3917e_confInputSlopes(0, 0, 2), KQ3917E_ERROR_SLOPE); // one input's slope no switch
    for (ViInt16 simulate : {1, 0}) {
        ASSERT_EQ(kq3917e_simulate(simulate), VI_SUCCESS);
        for (auto [status, want] : table) { // the text never written past the message size
            std::string text(KQ3917E_MESSAGE_SIZE + 1, '#');
            EXPECT_TRUE(kq3917e_error_message(0, status, text.data()) == VI_SUCCESS && text.back() == '#' &&
                        text.find(want) != std::string::npos)
                << text.c_str();
        }
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
    ASSERT_TRUE(accepted({kq3917e_simulate(1), kq3917e_reset(0), kq3917e_confMeasurement(0, 8),
                          kq3917e_confAperture(0, 10), kq3917e_openCloseGate(0, 1, 1)}));
    ViReal64 before = 0, after = 0, none = 0;
    const double first = uctsim::monotonicSeconds();
    ASSERT_EQ(kq3917e_read(0, &before), VI_SUCCESS);
    uctsim::Module idle;
    ASSERT_TRUE(accepted({idle.setSystTimeout(5), idle.confInputTriggering(1, 0, 5.0, 0)}));
    const double start = uctsim::monotonicSeconds();
    ASSERT_EQ(idle.read(&none), KQ3917E_ERROR_NO_TRIGGER);
    const double waited = uctsim::monotonicSeconds() - start;
    EXPECT_GE(waited, 0.005) << "the no-trigger timeout did not take its time";
    ASSERT_EQ(kq3917e_read(0, &after), VI_SUCCESS);
    EXPECT_GE(after - before, 100000 * waited - 1) << "the gate did not count the time that passed";
    EXPECT_LE(after - before, 100000 * (uctsim::monotonicSeconds() - first) + 1);
}
