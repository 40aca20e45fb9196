// SPDX-License-Identifier: GPL-3.0-or-later
// Simulated 3917 counter-timer module: the model behind demonstration mode,
// the built-in driver's simulation and the stand-in driver of the test kit.
//
// Every driver operation kq3917e_<op>(session, args...) has a method <op>
// with the same arguments minus the session and the same status semantics,
// so a driver (built-in or stand-in) forwards each call unchanged. Session
// handling (simulate, init, close) belongs to the driver, not the module.
// Output texts obey the sizes of kq3917e_codes.h.
//
// Time: by default the module runs on the machine's monotonic clock, and the
// time it spends (measurement durations, trigger timeouts) really passes: a
// read takes its aperture, a missing trigger the system timeout. A test clock
// (setClock) replaces it: then nothing sleeps, and the module adds the time it
// spends to what the test clock says. now() is the module's time.
//
// Not thread-safe: one thread drives a module.
#pragma once

#include "kq3917e_codes.h"
#include "visa.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace uctsim
{

// Mailbox registers in the first memory region (BAR0), all 16 bits wide.
constexpr ViBusAddress kRegResponse = 0x100010;  // read: 0x8000 done, 0xFFFF refused, else busy
constexpr ViBusAddress kRegBlock = 0x100200;     // write: block number; read after refusal: error code
constexpr ViBusAddress kRegByteCount = 0x100204; // write: bytes in the block, 1 to 1024
constexpr ViBusAddress kRegData = 0x100208;      // data byte i at kRegData + 4 * i
constexpr int kMailboxBytes = 1024;
constexpr ViBusAddress kBar0Size = 0x200000; // offsets beyond fail with VI_ERROR_INV_OFFSET
constexpr ViUInt16 kResponseIdle = 0x0000;
constexpr ViUInt16 kResponseBusy = 0x0001;
constexpr ViUInt16 kResponseAccepted = 0x8000;
constexpr ViUInt16 kResponseRefused = 0xFFFF;

// Error codes the module reports for a refused firmware block.
constexpr ViUInt16 kFirmwareChecksum = 1;   // checksum of the written bytes differs
constexpr ViUInt16 kFirmwareByteCount = 2;  // byte count 0 or above 1024
constexpr ViUInt16 kFirmwareSequence = 3;   // block number is not the next one expected
constexpr ViUInt16 kFirmwareFlashWrite = 4; // flash programming failed (fault hook)

// The steps of one firmware block in the mailbox, for the fault hook.
enum class MailboxStep { Data, BlockNumber, ByteCount, Command, Response, ErrorCode };

// Text of a status: the module's and the built-in driver's own, the VISA
// statuses, firmware errors, else "Unknown status code 0x%08X". `text` holds
// KQ3917E_MESSAGE_SIZE bytes.
void statusMessage(ViStatus status, ViChar text[KQ3917E_MESSAGE_SIZE]);

// Seconds on the machine's monotonic clock.
double monotonicSeconds();

// What the module accepts (and so can report) for the settings the front
// panel shows in value controls; the panels' ranges are tested against it.
struct Limits {
    ViInt32 apertureMin, apertureMax;     // microseconds
    ViInt16 resolutionMin, resolutionMax; // digits (0 keeps the aperture)
    std::array<double, 3> levelRange;     // ± volts, by attenuation code
    double armLevelMax;                   // ± volts
    double delayMax;                      // seconds, from 0
    ViInt16 armSourceMax, gateOutputMax;  // codes from 0
    ViInt32 timeoutMinMs, timeoutMaxMs;
    ViInt16 interruptLevelMax;
    ViInt16 thresholdDacMax, otherDacMax; // calibration DAC codes from 0
    double mathValueMax;                  // ± either math value
};
const Limits &limits();

class Module
{
  public:
    explicit Module(std::uint64_t seed = 1);

    // ---- test and stand-in control
    // Test clock in seconds; an empty function goes back to the machine's
    // monotonic clock (the default).
    void setClock(std::function<double()> now);
    // Seed of the measurement noise; readings are a function of seed, settings
    // and time only.
    void setSeed(std::uint64_t seed);
    double now() const;
    // Power cycle: settings, calibration DACs and module data from non-volatile
    // memory, mailbox idle, measurements stopped. Clock, seed and fault hooks
    // stay.
    void powerOn();
    // Fault hook: firmware block `block` (block number) is refused with
    // `errorCode`; a negative block clears the hook.
    void refuseFirmwareBlock(int block, ViUInt16 errorCode = kFirmwareFlashWrite);
    // Fault hooks: the words the next self-tests report (all 0: a pass) and
    // the power-on self-test result (0: pass).
    void setSelfTestWords(ViInt16 result, ViUInt32 relay, ViUInt16 dac);
    void setPostResult(ViInt16 result) { postResult_ = result; }
    // Fault hook: `step` of firmware block `block` fails with `status`. Blocks
    // count the update commands since power-on from 0: register writes before
    // the (block+1)-th command and reads after it belong to that block. A
    // negative block clears the hook.
    void failMailbox(MailboxStep step, int block, ViStatus status = VI_ERROR_TMO);
    // Reads of the response word that answer "busy" after each command
    // (default 1, so the answer comes on the second poll).
    void setMailboxLatency(int polls);
    // Fault hook: the word those busy reads give instead of 0x0001.
    void setBusyResponse(ViUInt16 word) { busyResponse_ = word; }
    // Values only the module keeps (there is no query operation for them).
    ViInt16 interruptLevel() const { return interruptLevel_; }
    ViInt16 interruptMask() const { return interruptMask_; }

    // ---- driver operations, as kq3917e_<name> minus the session
    ViStatus reset();
    ViStatus revision_query(ViChar driverRevision[KQ3917E_REVISION_SIZE],
                            ViChar instrumentRevision[KQ3917E_REVISION_SIZE]);

    ViStatus confMeasurement(ViInt16 function);
    ViStatus queryMeasurement(ViInt16 *function);
    ViStatus confAperture(ViInt32 aperture);
    ViStatus queryAperture(ViInt32 *aperture);
    ViStatus confMeasRes(ViInt16 resolution, ViUInt16 averaging);
    ViStatus queryMeasRes(ViInt16 *resolution, ViUInt16 *averaging);
    ViStatus confStandard(ViInt16 standard);
    ViStatus queryStandard(ViInt16 *standard);

    ViStatus confInputConditioning(ViInt16 channel, ViInt16 impedance, ViUInt16 coupling, ViUInt16 filter,
                                   ViUInt16 commonInput);
    ViStatus queryInputConditioning(ViInt16 channel, ViInt16 *impedance, ViUInt16 *coupling, ViUInt16 *filter,
                                    ViUInt16 *commonInput);
    ViStatus confInputTriggering(ViInt16 channel, ViInt16 attenuation, ViReal64 level, ViUInt16 commonInput);
    ViStatus queryInputTriggering(ViInt16 channel, ViInt16 *attenuation, ViReal64 *level,
                                  ViUInt16 *commonInput);
    ViStatus confInputSlopes(ViUInt16 in1Slope, ViUInt16 in2Slope);
    ViStatus queryInputSlopes(ViUInt16 *in1Slope, ViUInt16 *in2Slope);
    ViStatus confInputHysteresis(ViInt16 channel, ViUInt16 hysteresis);
    ViStatus queryInputHysteresis(ViInt16 channel, ViUInt16 *hysteresis);
    ViStatus confAutoTrigMode(ViInt16 channel, ViInt16 mode);
    ViStatus queryAutoTrigMode(ViInt16 channel, ViInt16 *mode);
    ViStatus confMinAutoTrigFreq(ViUInt16 frequency);
    ViStatus queryMinAutoTrigFreq(ViUInt16 *frequency);

    ViStatus confArming(ViInt16 startSource, ViInt16 stopSource, ViInt16 extSource);
    ViStatus queryArming(ViInt16 *startSource, ViInt16 *stopSource, ViInt16 *extSource);
    ViStatus confArmingLevel(ViReal64 level);
    ViStatus queryArmingLevel(ViReal64 *level);
    ViStatus confExtArmMode(ViInt16 mode);
    ViStatus queryExtArmMode(ViInt16 *mode);
    ViStatus confExtArmHysteresis(ViInt16 hysteresis);
    ViStatus queryExtArmHysteresis(ViInt16 *hysteresis);
    ViStatus confDelay(ViUInt16 enabled, ViReal64 delay);
    ViStatus queryDelay(ViUInt16 *enabled, ViReal64 *delay);
    ViStatus outputGate(ViInt16 gateOutput);
    ViStatus queryOutputGate(ViInt16 *gateOutput);
    ViStatus openCloseGate(ViInt16 gateSelector, ViInt16 open);

    ViStatus triggerContinuous(ViInt16 on);
    ViStatus abortMeasurement();
    ViStatus clearAccCount(ViInt16 channel);
    ViStatus fetch(ViReal64 *value);
    ViStatus read(ViReal64 *value);

    ViStatus mathCalculation(ViInt32 flag1, ViReal64 value1, ViInt32 flag2, ViReal64 value2, ViUInt16 enable);
    ViStatus queryMathCalculation(ViReal64 *value1, ViReal64 *value2, ViUInt16 *enable);

    ViStatus setSystTimeout(ViInt32 timeout);
    ViStatus readSystTimeout(ViInt32 *timeout);
    ViStatus SetInterruptMask(ViInt16 mask);
    ViStatus SetInterruptLevel(ViInt16 level);
    ViStatus queryPostResult(ViInt16 *result);
    ViStatus resetCounter();
    ViStatus testCounter(ViInt16 *result, ViUInt32 *relay, ViUInt16 *dac);
    ViStatus write_command_and_data(ViUInt16 command, ViUInt16 data);

    ViStatus confCalibrationDAC(ViInt16 dac, ViInt16 code);
    ViStatus queryCalibrationDAC(ViInt16 dac, ViInt16 *code);
    ViStatus WriteCounterCalibrationData();
    ViStatus confModuleData(ViInt16 item, ViConstString text);
    ViStatus queryModuleData(ViInt16 item, ViChar text[KQ3917E_MODULE_DATA_SIZE]);
    ViStatus WriteModuleData();

    // ---- register access to the first memory region (VI_PXI_BAR0_SPACE)
    ViStatus in16(ViBusAddress offset, ViUInt16 *value);
    ViStatus out16(ViBusAddress offset, ViUInt16 value);

    static constexpr int kChannels = 2;
    static constexpr int kDacs = 14;
    static constexpr int kModuleDataItems = 8;

  private:
    struct Input {
        ViInt16 impedance = 0;
        ViUInt16 coupling = 0;
        ViUInt16 filter = 0;
        ViInt16 attenuation = 0;
        ViReal64 level = 0.0;
        ViUInt16 slope = 0;
        ViUInt16 hysteresis = 0;
        ViInt16 trigMode = 1;
    };
    struct Settings {
        ViInt16 function = 0;
        ViInt32 aperture = 100;
        ViUInt16 averaging = 0;
        ViInt16 standard = 0;
        ViUInt16 commonInput = 0;
        std::array<Input, kChannels> input{};
        ViUInt16 minAutoTrigFreq = 0;
        ViInt16 startArmSource = 0;
        ViInt16 stopArmSource = 0;
        ViInt16 extArmSource = 9;
        ViReal64 extArmLevel = 1.6;
        ViInt16 armMode = 0;
        ViInt16 armHysteresis = 0;
        ViUInt16 delayEnabled = 0;
        ViReal64 delay = 0.000192;
        ViInt16 gateOutput = 8;
        ViReal64 mathOffset = 0.0;
        ViReal64 mathScale = 1.0;
        ViUInt16 mathEnabled = 0;
        ViInt32 timeoutMs = 2000;
    };
    struct Edge; // where one input's comparator fires, see uctsim.cpp

    // Every configuration change goes through here: the totalizers catch up
    // under the old settings and a running measurement restarts.
    template <typename Change> ViStatus change(Change &&apply);
    // A one-field change, refused with the first failing check's status.
    struct Check {
        bool ok;
        ViStatus error;
    };
    template <typename Field, typename Value>
    ViStatus set(Field &field, Value value, std::initializer_list<Check> checks);
    static ViStatus validate(std::initializer_list<Check> checks);
    Input &input(ViInt16 channel);
    void accumulateCounts();
    void restartRun();
    void wait(double seconds);
    double threshold(int channel) const;
    bool triggers(int channel) const;
    Edge edge(int channel) const;
    double inputFrequency(int channel) const;
    double amplitude(int channel) const;
    double duration() const;
    bool needsTrigger(int channel) const;
    double nominalResult() const;
    double noiseSigma(double nominal, double seconds) const;
    double gaussian(std::uint64_t key) const;
    ViStatus measure(std::uint64_t key, ViReal64 *value);

    std::function<double()> clock_;
    double spent_ = 0.0;
    double origin_ = monotonicSeconds(); // machine time at power-on of the module's clock
    std::uint64_t seed_;

    Settings s_;
    ViInt16 interruptLevel_ = 0;
    ViInt16 interruptMask_ = 0;

    std::array<ViInt16, kDacs> dacs_{};
    std::array<ViInt16, kDacs> storedDacs_{};
    std::array<std::string, kModuleDataItems> moduleData_;
    std::array<std::string, kModuleDataItems> storedModuleData_;

    bool running_ = false;
    double runStart_ = 0.0;
    std::int64_t lastFetched_ = -1;
    std::uint64_t run_ = 0;
    std::uint64_t reads_ = 0;

    bool gateOpen_ = false;
    double countedUntil_ = 0.0;
    std::array<double, kChannels> counts_{};

    std::array<ViUInt16, kMailboxBytes> mailboxData_{};
    ViUInt16 mailboxBlock_ = 0;
    ViUInt16 mailboxCount_ = 0;
    ViUInt16 mailboxError_ = 0;
    ViUInt16 mailboxAnswer_ = kResponseIdle;
    int mailboxBusyPolls_ = 0;
    int mailboxLatency_ = 1;
    ViUInt16 busyResponse_ = kResponseBusy;
    int expectedBlock_ = 0;
    int refusedBlock_ = -1;
    ViUInt16 refusedCode_ = kFirmwareFlashWrite;
    ViInt16 postResult_ = 0;
    ViInt16 selfTestResult_ = 0;
    ViUInt32 selfTestRelay_ = 0;
    ViUInt16 selfTestDac_ = 0;
    int commandsReceived_ = 0;
    int failedBlock_ = -1;
    MailboxStep failedStep_ = MailboxStep::Data;
    ViStatus failedStatus_ = VI_ERROR_TMO;
    bool mailboxFails(MailboxStep step) const;
};

} // namespace uctsim
