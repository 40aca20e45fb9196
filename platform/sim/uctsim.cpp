// SPDX-License-Identifier: GPL-3.0-or-later
#include "uctsim.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <numbers>
#include <thread>

namespace uctsim
{
namespace
{

// Both inputs carry the same 100 kHz source: input 1 directly, input 2
// through a network that attenuates it and delays it by a quarter period.
constexpr double kSignalFrequency = 100000.0;
struct Signal {
    double amplitude; // volts, zero offset
    double phase;     // radians at t = 0
};
constexpr std::array<Signal, 2> kSignals{{{3.0, 0.0}, {2.7, -std::numbers::pi / 2}}};

constexpr double kTimingResolution = 1e-12; // interpolator resolution, seconds
constexpr double kVoltageNoise = 1e-3;      // peak detector noise, volts
constexpr int kAveragedMeasurements = 10;

// Threshold DACs: code 128 centres the comparator; each code moves it by
// 20 mV and, through the comparator's slew-dependent delay, skews frequency
// results of that input by 2e-7 relative per code.
constexpr ViInt16 kThresholdCentre = 128;
constexpr double kThresholdVoltsPerCode = 0.02;
constexpr double kFrequencySkewPerCode = 2e-7;
constexpr ViInt16 kThresholdMax = 255;
constexpr ViInt16 kOtherDacDefault = 2048;
constexpr ViInt16 kOtherDacMax = 4095;
// The three further calibration DACs of each input (5, 6, 7 and 12, 13, 14)
// trim its timing path in coarse, medium and fine steps: relative skew of
// its frequency results per code away from the middle code.
constexpr std::array<ViInt16, 2> kFirstTrimDac{5, 12};
constexpr std::array<double, 3> kTrimSkewPerCode{2e-8, 1e-8, 6e-9};
constexpr std::array<double, 2> kHysteresisBand{0.02, 0.1}; // volts, by hysteresis code

constexpr std::array<double, 3> kLevelRange{5.1, 51.0, 204.0}; // volts, by attenuation code

constexpr ViInt16 kFunctionCount = 25;
constexpr ViInt32 kApertureMin = 1;        // microseconds
constexpr ViInt32 kApertureMax = 10000000; // 10 s
constexpr ViInt16 kResolutionMin = 6;      // digits of 1 µs
constexpr ViInt16 kResolutionMax = 13;     // digits of 10 s
constexpr ViInt16 kArmSourceMax = 10;
constexpr double kArmLevelMax = 5.0;
constexpr double kDelayMax = 10.0;
constexpr ViInt16 kGateOutputMax = 10;
constexpr ViInt16 kStandardMax = 2;
constexpr ViInt16 kTrigModeMax = 3;
constexpr ViInt32 kTimeoutMaxMs = 3600000;
constexpr ViInt16 kInterruptLevelMax = 7;
constexpr double kMathValueMax = 1e9; // ± either math value
constexpr double kSelfTestSeconds = 0.2;
// Characters of a module data text (UTF-8, so at most 1020 bytes: any item
// fits KQ3917E_MODULE_DATA_SIZE with its terminator).
constexpr std::size_t kModuleDataMaxLength = 255;

const std::array<const char *, Module::kModuleDataItems> kModuleDataDefaults{
    "3917",
    "SIM0042",
    "Hardware revision C",
    "Manufactured 2024-03-18",
    "Calibrated 2025-01-20",
    "Calibration due 2026-01-20",
    "Timebase: oven-controlled crystal oscillator",
    "Model 3917, serial SIM0042, hardware revision C, firmware 2.07, manufactured 2024-03-18",
};

} // namespace

const Limits &limits()
{
    static const Limits table{
        kApertureMin,  kApertureMax,       kResolutionMin, kResolutionMax, kLevelRange,
        kArmLevelMax,  kDelayMax,          kArmSourceMax,  kGateOutputMax, 1,
        kTimeoutMaxMs, kInterruptLevelMax, kThresholdMax,  kOtherDacMax,   kMathValueMax};
    return table;
}

namespace
{

template <typename T> bool within(T value, T low, T high)
{
    return value >= low && value <= high;
}
bool isSwitch(long value)
{
    return value == 0 || value == 1;
}
bool validChannel(ViInt16 channel)
{
    return channel == 1 || channel == 2;
}
template <typename... P> bool anyNull(P *...p)
{
    return ((p == nullptr) || ...);
}

// give(out1, value1, out2, value2, ...): all outputs or none.
bool outputsPresent()
{
    return true;
}
template <typename T, typename V, typename... Rest>
bool outputsPresent(T *out, const V &, const Rest &...rest)
{
    return out != nullptr && outputsPresent(rest...);
}
void store() {}
template <typename T, typename V, typename... Rest> void store(T *out, const V &value, const Rest &...rest)
{
    *out = static_cast<T>(value);
    store(rest...);
}
template <typename... A> ViStatus give(const A &...a)
{
    if (!outputsPresent(a...)) {
        return KQ3917E_ERROR_NULL_POINTER;
    }
    store(a...);
    return VI_SUCCESS;
}

double wrap(double t, double period)
{
    double r = std::fmod(t, period);
    return r < 0 ? r + period : r;
}

std::uint64_t splitmix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// What each function measures: which inputs must trigger, and its noise.
enum class Noise { Relative, Voltage, None };
struct FunctionInfo {
    bool needs1;
    bool needs2;
    Noise noise;
};
constexpr std::array<FunctionInfo, kFunctionCount> kFunctions{{
    {true, false, Noise::Relative},  // 0 frequency A
    {false, true, Noise::Relative},  // 1 frequency B
    {true, false, Noise::Relative},  // 2 period A
    {false, true, Noise::Relative},  // 3 period B
    {true, true, Noise::Relative},   // 4 time interval A to B
    {true, true, Noise::Relative},   // 5 time interval B to A
    {true, true, Noise::Relative},   // 6 ratio A/B
    {true, true, Noise::Relative},   // 7 ratio B/A
    {false, false, Noise::None},     // 8 totalize A
    {false, false, Noise::None},     // 9 totalize B
    {true, true, Noise::Relative},   // 10 ratio A/B fast
    {true, false, Noise::Relative},  // 11 frequency A averaged
    {true, true, Noise::Relative},   // 12 phase A to B
    {true, true, Noise::Relative},   // 13 phase B to A
    {false, false, Noise::Relative}, // 14 rise time A
    {false, false, Noise::Relative}, // 15 fall time A
    {true, false, Noise::Relative},  // 16 positive width A
    {true, false, Noise::Relative},  // 17 negative width A
    {false, false, Noise::Voltage},  // 18 maximum B
    {false, false, Noise::Voltage},  // 19 maximum A
    {false, false, Noise::Voltage},  // 20 minimum B
    {false, false, Noise::Voltage},  // 21 minimum A
    {false, false, Noise::Voltage},  // 22 peak to peak B
    {false, false, Noise::Voltage},  // 23 peak to peak A
    {true, false, Noise::Relative},  // 24 duty cycle A
}};

ViStatus fill(ViChar *text, std::size_t size, const std::string &value)
{
    std::snprintf(text, size, "%s", value.c_str());
    return VI_SUCCESS;
}

} // namespace

// Times within one signal period at which an input's comparator fires.
struct Module::Edge {
    double rising;  // seconds after the period start
    double falling; // seconds after the period start
    double highTime;
    double selected; // the edge of the input's slope setting
};

Module::Module(std::uint64_t seed) : seed_(seed)
{
    powerOn();
}

double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Module::setClock(std::function<double()> now)
{
    clock_ = std::move(now);
    spent_ = 0.0;
    origin_ = monotonicSeconds();
    runStart_ = countedUntil_ = this->now();
}

void Module::setSeed(std::uint64_t seed)
{
    seed_ = seed;
}

double Module::now() const
{
    return clock_ ? clock_() + spent_ : monotonicSeconds() - origin_;
}

// On the machine's clock the time really passes, as with the module itself.
void Module::wait(double seconds)
{
    if (seconds <= 0) {
        return;
    }
    if (clock_) {
        spent_ += seconds;
    } else {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
}

void Module::powerOn()
{
    interruptLevel_ = 0;
    interruptMask_ = 0;
    for (int i = 0; i < kDacs; ++i) {
        bool threshold = i == 0 || i == 1 || i == 7 || i == 8;
        storedDacs_[i] = threshold ? kThresholdCentre : kOtherDacDefault;
    }
    for (int i = 0; i < kModuleDataItems; ++i) {
        storedModuleData_[i] = kModuleDataDefaults[i];
    }
    expectedBlock_ = 0;
    commandsReceived_ = 0;
    reset();
}

void Module::refuseFirmwareBlock(int block, ViUInt16 errorCode)
{
    refusedBlock_ = block;
    refusedCode_ = errorCode;
}

void Module::setSelfTestWords(ViInt16 result, ViUInt32 relay, ViUInt16 dac)
{
    selfTestResult_ = result;
    selfTestRelay_ = relay;
    selfTestDac_ = dac;
}

void Module::failMailbox(MailboxStep step, int block, ViStatus status)
{
    failedStep_ = step;
    failedBlock_ = block;
    failedStatus_ = status;
}

bool Module::mailboxFails(MailboxStep step) const
{
    const bool afterCommand = step == MailboxStep::Response || step == MailboxStep::ErrorCode;
    return failedBlock_ >= 0 && step == failedStep_ &&
           failedBlock_ == (afterCommand ? commandsReceived_ - 1 : commandsReceived_);
}

void Module::setMailboxLatency(int polls)
{
    mailboxLatency_ = polls < 0 ? 0 : polls;
}

template <typename Change> ViStatus Module::change(Change &&apply)
{
    accumulateCounts();
    apply();
    if (running_) {
        restartRun();
    }
    return VI_SUCCESS;
}

template <typename Field, typename Value>
ViStatus Module::set(Field &field, Value value, std::initializer_list<Check> checks)
{
    if (ViStatus st = validate(checks); st != VI_SUCCESS) {
        return st;
    }
    return change([&] { field = value; });
}

ViStatus Module::validate(std::initializer_list<Check> checks)
{
    for (const Check &c : checks) {
        if (!c.ok) {
            return c.error;
        }
    }
    return VI_SUCCESS;
}

// A safe reference even for an invalid channel, which callers refuse first.
Module::Input &Module::input(ViInt16 channel)
{
    return s_.input[channel == 2 ? 1 : 0];
}

void Module::restartRun()
{
    runStart_ = now();
    lastFetched_ = -1;
    ++run_;
}

void Module::accumulateCounts()
{
    double t = now();
    if (gateOpen_) {
        for (int c = 0; c < kChannels; ++c) {
            if (triggers(c)) {
                counts_[c] += kSignalFrequency * (t - countedUntil_);
            }
        }
    }
    countedUntil_ = t;
}

// ---- signal model

double Module::amplitude(int channel) const
{
    return kSignals[s_.commonInput ? 0 : channel].amplitude;
}

double Module::threshold(int channel) const
{
    int dac = (channel == 0 ? 0 : 7) + s_.input[channel].hysteresis;
    return s_.input[channel].level + (dacs_[dac] - kThresholdCentre) * kThresholdVoltsPerCode;
}

bool Module::triggers(int channel) const
{
    const Input &in = s_.input[channel];
    if (in.trigMode != 1) {
        return true;
    }
    return std::fabs(threshold(channel)) + kHysteresisBand[in.hysteresis] / 2 < amplitude(channel);
}

double Module::inputFrequency(int channel) const
{
    int dac = (channel == 0 ? 0 : 7) + s_.input[channel].hysteresis;
    double skew = kFrequencySkewPerCode * (dacs_[dac] - kThresholdCentre);
    for (std::size_t i = 0; i < kTrimSkewPerCode.size(); ++i) {
        skew += kTrimSkewPerCode[i] * (dacs_[kFirstTrimDac[channel] - 1 + i] - kOtherDacDefault);
    }
    return kSignalFrequency * (1.0 + skew);
}

Module::Edge Module::edge(int channel) const
{
    const Signal &sig = kSignals[s_.commonInput ? 0 : channel];
    const Input &in = s_.input[channel];
    // Automatic modes put the level at the middle of the signal.
    double level = in.trigMode == 1 ? threshold(channel) : 0.0;
    double u = std::clamp(level / sig.amplitude, -1.0, 1.0);
    double omega = 2 * std::numbers::pi * kSignalFrequency;
    double period = 1.0 / kSignalFrequency;
    Edge e{};
    e.rising = wrap((std::asin(u) - sig.phase) / omega, period);
    e.falling = wrap((std::numbers::pi - std::asin(u) - sig.phase) / omega, period);
    e.highTime = (std::numbers::pi - 2 * std::asin(u)) / omega;
    e.selected = in.slope == 0 ? e.rising : e.falling;
    return e;
}

bool Module::needsTrigger(int channel) const
{
    const FunctionInfo &f = kFunctions[s_.function];
    return channel == 0 ? f.needs1 : f.needs2;
}

double Module::duration() const
{
    double period = 1.0 / kSignalFrequency;
    // Whole signal periods; the tolerance keeps 100 µs at ten periods.
    double gate = std::ceil(s_.aperture * 1e-6 / period - 1e-9) * period;
    bool averaged = s_.averaging != 0 || s_.function == 11;
    return averaged ? gate * kAveragedMeasurements : gate;
}

double Module::nominalResult() const
{
    const double period = 1.0 / kSignalFrequency;
    auto interval = [&](int from, int to) {
        double start = edge(from).selected;
        double delay = s_.delayEnabled ? s_.delay : 0.0;
        return delay + wrap(edge(to).selected - (start + delay), period);
    };
    auto phase = [&](int from, int to) {
        return 360.0 * wrap(edge(to).selected - edge(from).selected, period) / period;
    };
    double riseTime = 2 * std::asin(0.8) / (2 * std::numbers::pi * kSignalFrequency); // 10 % to 90 %
    switch (s_.function) {
    case 0:
    case 11:
        return inputFrequency(0);
    case 1:
        return inputFrequency(1);
    case 2:
        return 1.0 / inputFrequency(0);
    case 3:
        return 1.0 / inputFrequency(1);
    case 4:
        return interval(0, 1);
    case 5:
        return interval(1, 0);
    case 6:
    case 10:
        return inputFrequency(0) / inputFrequency(1);
    case 7:
        return inputFrequency(1) / inputFrequency(0);
    case 8:
        return std::floor(counts_[0]);
    case 9:
        return std::floor(counts_[1]);
    case 12:
        return phase(0, 1);
    case 13:
        return phase(1, 0);
    case 14:
    case 15:
        return riseTime;
    case 16:
        return edge(0).highTime;
    case 17:
        return period - edge(0).highTime;
    case 18:
        return amplitude(1);
    case 19:
        return amplitude(0);
    case 20:
        return -amplitude(1);
    case 21:
        return -amplitude(0);
    case 22:
        return 2 * amplitude(1);
    case 23:
        return 2 * amplitude(0);
    default: // 24
        return 100.0 * edge(0).highTime / period;
    }
}

double Module::noiseSigma(double nominal, double seconds) const
{
    switch (kFunctions[s_.function].noise) {
    case Noise::Relative:
        return std::fabs(nominal) * kTimingResolution / seconds;
    case Noise::Voltage:
        return kVoltageNoise;
    case Noise::None:
        break;
    }
    return 0.0;
}

double Module::gaussian(std::uint64_t key) const
{
    std::uint64_t a = splitmix(seed_ ^ splitmix(key));
    std::uint64_t b = splitmix(a);
    double u1 = (static_cast<double>(a >> 11) + 1.0) * 0x1.0p-53; // (0, 1]
    double u2 = static_cast<double>(b >> 11) * 0x1.0p-53;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
}

ViStatus Module::measure(std::uint64_t key, ViReal64 *value)
{
    accumulateCounts();
    double nominal = nominalResult();
    double x = nominal + noiseSigma(nominal, duration()) * gaussian(key);
    *value = s_.mathEnabled ? (x + s_.mathOffset) * s_.mathScale : x;
    return VI_SUCCESS;
}

// ---- session and identification

ViStatus Module::reset()
{
    s_ = Settings{};
    dacs_ = storedDacs_;
    moduleData_ = storedModuleData_;
    running_ = false;
    gateOpen_ = false;
    counts_ = {};
    countedUntil_ = now();
    mailboxAnswer_ = kResponseIdle;
    mailboxBusyPolls_ = 0;
    return VI_SUCCESS;
}

ViStatus Module::revision_query(ViChar driverRevision[KQ3917E_REVISION_SIZE],
                                ViChar instrumentRevision[KQ3917E_REVISION_SIZE])
{
    if (anyNull(driverRevision, instrumentRevision)) {
        return KQ3917E_ERROR_NULL_POINTER;
    }
    fill(driverRevision, KQ3917E_REVISION_SIZE, "Built-in driver 1.0.0 (simulation)");
    return fill(instrumentRevision, KQ3917E_REVISION_SIZE, "Simulated 3917, firmware 2.07, FPGA 1.12");
}

// ---- function and timebase

ViStatus Module::confMeasurement(ViInt16 function)
{
    return set(s_.function, function,
               {{within<ViInt16>(function, 0, kFunctionCount - 1), KQ3917E_ERROR_FUNCTION}});
}

ViStatus Module::queryMeasurement(ViInt16 *function)
{
    return give(function, s_.function);
}

ViStatus Module::confAperture(ViInt32 aperture)
{
    return set(s_.aperture, aperture,
               {{within(aperture, kApertureMin, kApertureMax), KQ3917E_ERROR_APERTURE}});
}

ViStatus Module::queryAperture(ViInt32 *aperture)
{
    return give(aperture, s_.aperture);
}

// Resolution in digits is log10(aperture / 1 ps): the interpolator resolves
// 1 ps, so a gate of T gives T / 1 ps counts. Aperture in microseconds.
ViStatus Module::confMeasRes(ViInt16 resolution, ViUInt16 averaging)
{
    if (ViStatus st = validate({{resolution == 0 || within(resolution, kResolutionMin, kResolutionMax),
                                 KQ3917E_ERROR_RESOLUTION},
                                {isSwitch(averaging), KQ3917E_ERROR_AVERAGING}});
        st != VI_SUCCESS) {
        return st;
    }
    return change([&] {
        if (resolution != 0) {
            ViInt32 aperture = 1;
            for (int d = kResolutionMin; d < resolution; ++d) {
                aperture *= 10;
            }
            s_.aperture = aperture;
        }
        s_.averaging = averaging;
    });
}

ViStatus Module::queryMeasRes(ViInt16 *resolution, ViUInt16 *averaging)
{
    if (anyNull(resolution, averaging)) {
        return KQ3917E_ERROR_NULL_POINTER;
    }
    ViInt16 digits = kResolutionMin;
    for (ViInt32 a = s_.aperture; a >= 10; a /= 10) {
        ++digits;
    }
    *resolution = digits;
    *averaging = s_.averaging;
    return VI_SUCCESS;
}

ViStatus Module::confStandard(ViInt16 standard)
{
    return set(s_.standard, standard, {{within<ViInt16>(standard, 0, kStandardMax), KQ3917E_ERROR_STANDARD}});
}

ViStatus Module::queryStandard(ViInt16 *standard)
{
    return give(standard, s_.standard);
}

// ---- inputs and triggering

ViStatus Module::confInputConditioning(ViInt16 channel, ViInt16 impedance, ViUInt16 coupling, ViUInt16 filter,
                                       ViUInt16 commonInput)
{
    if (ViStatus st = validate({{validChannel(channel), KQ3917E_ERROR_CHANNEL},
                                {isSwitch(impedance), KQ3917E_ERROR_IMPEDANCE},
                                {isSwitch(coupling), KQ3917E_ERROR_COUPLING},
                                {isSwitch(filter), KQ3917E_ERROR_FILTER},
                                {isSwitch(commonInput), KQ3917E_ERROR_COMMON_INPUT}});
        st != VI_SUCCESS) {
        return st;
    }
    return change([&] {
        Input &in = s_.input[channel - 1];
        in.impedance = impedance;
        in.coupling = coupling;
        in.filter = filter;
        s_.commonInput = commonInput;
    });
}

ViStatus Module::queryInputConditioning(ViInt16 channel, ViInt16 *impedance, ViUInt16 *coupling,
                                        ViUInt16 *filter, ViUInt16 *commonInput)
{
    if (!validChannel(channel)) {
        return KQ3917E_ERROR_CHANNEL;
    }
    const Input &in = input(channel);
    return give(impedance, in.impedance, coupling, in.coupling, filter, in.filter, commonInput,
                s_.commonInput);
}

ViStatus Module::confInputTriggering(ViInt16 channel, ViInt16 attenuation, ViReal64 level,
                                     ViUInt16 commonInput)
{
    bool attenuationOk = within<ViInt16>(attenuation, 0, 2);
    if (ViStatus st = validate({{validChannel(channel), KQ3917E_ERROR_CHANNEL},
                                {attenuationOk, KQ3917E_ERROR_ATTENUATION},
                                {attenuationOk && std::isfinite(level) &&
                                     std::fabs(level) <= kLevelRange[attenuationOk ? attenuation : 0],
                                 KQ3917E_ERROR_LEVEL},
                                {isSwitch(commonInput), KQ3917E_ERROR_COMMON_INPUT}});
        st != VI_SUCCESS) {
        return st;
    }
    return change([&] {
        Input &in = s_.input[channel - 1];
        in.attenuation = attenuation;
        in.level = level;
        s_.commonInput = commonInput;
    });
}

ViStatus Module::queryInputTriggering(ViInt16 channel, ViInt16 *attenuation, ViReal64 *level,
                                      ViUInt16 *commonInput)
{
    if (!validChannel(channel)) {
        return KQ3917E_ERROR_CHANNEL;
    }
    return give(attenuation, input(channel).attenuation, level, input(channel).level, commonInput,
                s_.commonInput);
}

ViStatus Module::confInputSlopes(ViUInt16 in1Slope, ViUInt16 in2Slope)
{
    if (!isSwitch(in1Slope) || !isSwitch(in2Slope)) {
        return KQ3917E_ERROR_SLOPE;
    }
    return change([&] {
        s_.input[0].slope = in1Slope;
        s_.input[1].slope = in2Slope;
    });
}

ViStatus Module::queryInputSlopes(ViUInt16 *in1Slope, ViUInt16 *in2Slope)
{
    return give(in1Slope, s_.input[0].slope, in2Slope, s_.input[1].slope);
}

ViStatus Module::confInputHysteresis(ViInt16 channel, ViUInt16 hysteresis)
{
    return set(
        input(channel).hysteresis, hysteresis,
        {{validChannel(channel), KQ3917E_ERROR_CHANNEL}, {isSwitch(hysteresis), KQ3917E_ERROR_HYSTERESIS}});
}

ViStatus Module::queryInputHysteresis(ViInt16 channel, ViUInt16 *hysteresis)
{
    return validChannel(channel) ? give(hysteresis, input(channel).hysteresis) : KQ3917E_ERROR_CHANNEL;
}

ViStatus Module::confAutoTrigMode(ViInt16 channel, ViInt16 mode)
{
    return set(input(channel).trigMode, mode,
               {{validChannel(channel), KQ3917E_ERROR_CHANNEL},
                {within<ViInt16>(mode, 1, kTrigModeMax), KQ3917E_ERROR_TRIGGER_MODE}});
}

ViStatus Module::queryAutoTrigMode(ViInt16 channel, ViInt16 *mode)
{
    return validChannel(channel) ? give(mode, input(channel).trigMode) : KQ3917E_ERROR_CHANNEL;
}

ViStatus Module::confMinAutoTrigFreq(ViUInt16 frequency)
{
    return set(s_.minAutoTrigFreq, frequency, {{isSwitch(frequency), KQ3917E_ERROR_AUTO_TRIGGER_FREQ}});
}

ViStatus Module::queryMinAutoTrigFreq(ViUInt16 *frequency)
{
    return give(frequency, s_.minAutoTrigFreq);
}

// ---- arming, gating, delay

ViStatus Module::confArming(ViInt16 startSource, ViInt16 stopSource, ViInt16 extSource)
{
    for (ViInt16 source : {startSource, stopSource, extSource}) {
        if (!within<ViInt16>(source, 0, kArmSourceMax)) {
            return KQ3917E_ERROR_ARM_SOURCE;
        }
    }
    return change([&] {
        s_.startArmSource = startSource;
        s_.stopArmSource = stopSource;
        s_.extArmSource = extSource;
    });
}

ViStatus Module::queryArming(ViInt16 *startSource, ViInt16 *stopSource, ViInt16 *extSource)
{
    return give(startSource, s_.startArmSource, stopSource, s_.stopArmSource, extSource, s_.extArmSource);
}

ViStatus Module::confArmingLevel(ViReal64 level)
{
    return set(s_.extArmLevel, level,
               {{std::isfinite(level) && std::fabs(level) <= kArmLevelMax, KQ3917E_ERROR_ARM_LEVEL}});
}

ViStatus Module::queryArmingLevel(ViReal64 *level)
{
    return give(level, s_.extArmLevel);
}

ViStatus Module::confExtArmMode(ViInt16 mode)
{
    return set(s_.armMode, mode, {{isSwitch(mode), KQ3917E_ERROR_ARM_MODE}});
}

ViStatus Module::queryExtArmMode(ViInt16 *mode)
{
    return give(mode, s_.armMode);
}

ViStatus Module::confExtArmHysteresis(ViInt16 hysteresis)
{
    return set(s_.armHysteresis, hysteresis, {{isSwitch(hysteresis), KQ3917E_ERROR_HYSTERESIS}});
}

ViStatus Module::queryExtArmHysteresis(ViInt16 *hysteresis)
{
    return give(hysteresis, s_.armHysteresis);
}

ViStatus Module::confDelay(ViUInt16 enabled, ViReal64 delay)
{
    if (!isSwitch(enabled) || !std::isfinite(delay) || !within(delay, 0.0, kDelayMax)) {
        return KQ3917E_ERROR_DELAY;
    }
    return change([&] {
        s_.delayEnabled = enabled;
        s_.delay = delay;
    });
}

ViStatus Module::queryDelay(ViUInt16 *enabled, ViReal64 *delay)
{
    return give(enabled, s_.delayEnabled, delay, s_.delay);
}

ViStatus Module::outputGate(ViInt16 gateOutput)
{
    return set(s_.gateOutput, gateOutput,
               {{within<ViInt16>(gateOutput, 0, kGateOutputMax), KQ3917E_ERROR_GATE_OUTPUT}});
}

ViStatus Module::queryOutputGate(ViInt16 *gateOutput)
{
    return give(gateOutput, s_.gateOutput);
}

ViStatus Module::openCloseGate(ViInt16 gateSelector, ViInt16 open)
{
    if (ViStatus st =
            validate({{gateSelector == 1, KQ3917E_ERROR_GATE}, {isSwitch(open), KQ3917E_ERROR_SWITCH}});
        st != VI_SUCCESS) {
        return st;
    }
    accumulateCounts();
    gateOpen_ = open != 0;
    return VI_SUCCESS;
}

// ---- running

ViStatus Module::triggerContinuous(ViInt16 on)
{
    if (!isSwitch(on)) {
        return KQ3917E_ERROR_SWITCH;
    }
    running_ = on != 0;
    restartRun();
    return VI_SUCCESS;
}

ViStatus Module::abortMeasurement()
{
    // The measurement in progress is discarded; continuous triggering, if on,
    // starts a fresh one.
    restartRun();
    return VI_SUCCESS;
}

ViStatus Module::clearAccCount(ViInt16 channel)
{
    if (!validChannel(channel)) {
        return KQ3917E_ERROR_CHANNEL;
    }
    accumulateCounts();
    counts_[channel - 1] = 0.0;
    return VI_SUCCESS;
}

ViStatus Module::fetch(ViReal64 *value)
{
    if (ViStatus st = validate(
            {{value != nullptr, KQ3917E_ERROR_NULL_POINTER}, {running_, KQ3917E_ERROR_NOT_TRIGGERED}});
        st != VI_SUCCESS) {
        return st;
    }
    if ((needsTrigger(0) && !triggers(0)) || (needsTrigger(1) && !triggers(1))) {
        wait(s_.timeoutMs * 1e-3);
        return KQ3917E_ERROR_NO_TRIGGER;
    }
    // Result k completes at runStart + (k + 1) * d. Return the newest one, or
    // wait for the next if the newest was fetched already.
    double d = duration();
    auto k = static_cast<std::int64_t>(std::floor((now() - runStart_) / d)) - 1;
    if (k <= lastFetched_) {
        k = lastFetched_ + 1;
        wait(runStart_ + static_cast<double>(k + 1) * d - now());
    }
    lastFetched_ = k;
    return measure((run_ << 32) ^ static_cast<std::uint64_t>(k), value);
}

ViStatus Module::read(ViReal64 *value)
{
    if (value == nullptr) {
        return KQ3917E_ERROR_NULL_POINTER;
    }
    if ((needsTrigger(0) && !triggers(0)) || (needsTrigger(1) && !triggers(1))) {
        wait(s_.timeoutMs * 1e-3);
        return KQ3917E_ERROR_NO_TRIGGER;
    }
    wait(duration());
    return measure((1ull << 63) | reads_++, value);
}

// ---- math: result = (x + value1) * value2 while enabled

ViStatus Module::mathCalculation(ViInt32 flag1, ViReal64 value1, ViInt32 flag2, ViReal64 value2,
                                 ViUInt16 enable)
{
    auto valueOk = [](ViInt32 flag, ViReal64 value) {
        return flag == 1 || (std::isfinite(value) && std::fabs(value) <= kMathValueMax);
    };
    if (!isSwitch(flag1) || !isSwitch(flag2) || !isSwitch(enable) || !valueOk(flag1, value1) ||
        !valueOk(flag2, value2)) {
        return KQ3917E_ERROR_MATH;
    }
    return change([&] {
        if (flag1 == 0) {
            s_.mathOffset = value1;
        }
        if (flag2 == 0) {
            s_.mathScale = value2;
        }
        s_.mathEnabled = enable;
    });
}

ViStatus Module::queryMathCalculation(ViReal64 *value1, ViReal64 *value2, ViUInt16 *enable)
{
    return give(value1, s_.mathOffset, value2, s_.mathScale, enable, s_.mathEnabled);
}

// ---- system

ViStatus Module::setSystTimeout(ViInt32 timeout)
{
    if (!within<ViInt32>(timeout, 1, kTimeoutMaxMs)) {
        return KQ3917E_ERROR_TIMEOUT_VALUE;
    }
    s_.timeoutMs = timeout;
    return VI_SUCCESS;
}

ViStatus Module::readSystTimeout(ViInt32 *timeout)
{
    return give(timeout, s_.timeoutMs);
}

ViStatus Module::SetInterruptMask(ViInt16 mask)
{
    interruptMask_ = mask;
    return VI_SUCCESS;
}

ViStatus Module::SetInterruptLevel(ViInt16 level)
{
    if (!within<ViInt16>(level, 0, kInterruptLevelMax)) {
        return KQ3917E_ERROR_INTERRUPT_LEVEL;
    }
    interruptLevel_ = level;
    return VI_SUCCESS;
}

ViStatus Module::queryPostResult(ViInt16 *result)
{
    return give(result, postResult_);
}

ViStatus Module::resetCounter()
{
    return reset();
}

ViStatus Module::testCounter(ViInt16 *result, ViUInt32 *relay, ViUInt16 *dac)
{
    if (anyNull(result, relay, dac)) {
        return KQ3917E_ERROR_NULL_POINTER;
    }
    wait(kSelfTestSeconds);
    *result = selfTestResult_;
    *relay = selfTestRelay_;
    *dac = selfTestDac_;
    return VI_SUCCESS;
}

// The module checks a firmware block when the command arrives and answers in
// the response word after `mailboxLatency_` busy reads.
ViStatus Module::write_command_and_data(ViUInt16 command, ViUInt16 data)
{
    if (command != KQ3917E_CMD_UPDATE_FIRMWARE) {
        return KQ3917E_ERROR_UNKNOWN_COMMAND;
    }
    if (mailboxFails(MailboxStep::Command)) {
        return failedStatus_;
    }
    ++commandsReceived_;
    ViUInt16 sum = 0;
    for (int i = 0; i < mailboxCount_ && i < kMailboxBytes; ++i) {
        sum = static_cast<ViUInt16>(sum + (mailboxData_[i] & 0xFF));
    }
    ViUInt16 error = 0;
    if (mailboxCount_ == 0 || mailboxCount_ > kMailboxBytes) {
        error = kFirmwareByteCount;
    } else if (mailboxBlock_ != 0 && mailboxBlock_ != expectedBlock_) {
        error = kFirmwareSequence;
    } else if (sum != data) {
        error = kFirmwareChecksum;
    } else if (mailboxBlock_ == refusedBlock_) {
        error = refusedCode_;
    }
    if (error == 0) {
        expectedBlock_ = mailboxBlock_ + 1;
    }
    mailboxError_ = error;
    mailboxAnswer_ = error == 0 ? kResponseAccepted : kResponseRefused;
    mailboxBusyPolls_ = mailboxLatency_;
    return VI_SUCCESS;
}

// ---- calibration and module data

namespace
{
// Characters, not bytes: continuation bytes do not count.
std::size_t utf8Length(const char *text)
{
    std::size_t n = 0;
    for (; *text != '\0'; ++text) {
        n += (static_cast<unsigned char>(*text) & 0xC0) != 0x80;
    }
    return n;
}

bool isThresholdDac(ViInt16 dac)
{
    return dac == 1 || dac == 2 || dac == 8 || dac == 9;
}
} // namespace

ViStatus Module::confCalibrationDAC(ViInt16 dac, ViInt16 code)
{
    if (!within<ViInt16>(dac, 1, kDacs)) {
        return KQ3917E_ERROR_DAC_INDEX;
    }
    if (!within<ViInt16>(code, 0, isThresholdDac(dac) ? kThresholdMax : kOtherDacMax)) {
        return KQ3917E_ERROR_DAC_CODE;
    }
    return change([&] { dacs_[dac - 1] = code; });
}

ViStatus Module::queryCalibrationDAC(ViInt16 dac, ViInt16 *code)
{
    if (ViStatus st = validate({{within<ViInt16>(dac, 1, kDacs), KQ3917E_ERROR_DAC_INDEX},
                                {!anyNull(code), KQ3917E_ERROR_NULL_POINTER}});
        st != VI_SUCCESS) {
        return st;
    }
    *code = dacs_[dac - 1];
    return VI_SUCCESS;
}

ViStatus Module::WriteCounterCalibrationData()
{
    storedDacs_ = dacs_;
    return VI_SUCCESS;
}

ViStatus Module::confModuleData(ViInt16 item, ViConstString text)
{
    if (ViStatus st = validate({{within<ViInt16>(item, 1, kModuleDataItems), KQ3917E_ERROR_MODULE_DATA_ITEM},
                                {text != nullptr, KQ3917E_ERROR_NULL_POINTER}});
        st != VI_SUCCESS) {
        return st;
    }
    if (utf8Length(text) > kModuleDataMaxLength) {
        return KQ3917E_ERROR_TEXT_TOO_LONG;
    }
    moduleData_[item - 1] = text;
    return VI_SUCCESS;
}

ViStatus Module::queryModuleData(ViInt16 item, ViChar text[KQ3917E_MODULE_DATA_SIZE])
{
    if (ViStatus st = validate({{within<ViInt16>(item, 1, kModuleDataItems), KQ3917E_ERROR_MODULE_DATA_ITEM},
                                {text != nullptr, KQ3917E_ERROR_NULL_POINTER}});
        st != VI_SUCCESS) {
        return st;
    }
    return fill(text, KQ3917E_MODULE_DATA_SIZE, moduleData_[item - 1]);
}

ViStatus Module::WriteModuleData()
{
    storedModuleData_ = moduleData_;
    return VI_SUCCESS;
}

// ---- registers

namespace
{
bool inDataWindow(ViBusAddress offset)
{
    return offset >= kRegData && offset < kRegData + 4 * kMailboxBytes && (offset - kRegData) % 4 == 0;
}
} // namespace

ViStatus Module::in16(ViBusAddress offset, ViUInt16 *value)
{
    if (ViStatus st =
            validate({{offset < kBar0Size, VI_ERROR_INV_OFFSET}, {value != nullptr, VI_ERROR_INV_PARAMETER}});
        st != VI_SUCCESS) {
        return st;
    }
    if ((offset == kRegResponse && mailboxFails(MailboxStep::Response)) ||
        (offset == kRegBlock && mailboxFails(MailboxStep::ErrorCode))) {
        return failedStatus_;
    }
    if (offset == kRegResponse) {
        if (mailboxBusyPolls_ > 0) {
            --mailboxBusyPolls_;
            *value = busyResponse_;
        } else {
            *value = mailboxAnswer_;
        }
    } else if (offset == kRegBlock) {
        *value = mailboxAnswer_ == kResponseRefused ? mailboxError_ : mailboxBlock_;
    } else if (offset == kRegByteCount) {
        *value = mailboxCount_;
    } else if (inDataWindow(offset)) {
        *value = mailboxData_[(offset - kRegData) / 4];
    } else {
        *value = 0;
    }
    return VI_SUCCESS;
}

ViStatus Module::out16(ViBusAddress offset, ViUInt16 value)
{
    if (offset >= kBar0Size) {
        return VI_ERROR_INV_OFFSET;
    }
    if ((offset == kRegBlock && mailboxFails(MailboxStep::BlockNumber)) ||
        (offset == kRegByteCount && mailboxFails(MailboxStep::ByteCount)) ||
        (inDataWindow(offset) && mailboxFails(MailboxStep::Data))) {
        return failedStatus_;
    }
    if (offset == kRegBlock) {
        mailboxBlock_ = value;
    } else if (offset == kRegByteCount) {
        mailboxCount_ = value;
    } else if (inDataWindow(offset)) {
        mailboxData_[(offset - kRegData) / 4] = value;
    }
    return VI_SUCCESS;
}

} // namespace uctsim
