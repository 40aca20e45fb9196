// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in for the maker's driver library: exports every kq3917e_ operation
// with C linkage. A session is a VISA instrument session opened through the
// (stand-in) VISA library, and every operation answers from the module model
// of that session's device. kq3917e_simulate(1) sends every operation, on any
// session including 0, to one demonstration module instead.
#include "standin.h"

#include <cstdio>
#include <map>

namespace
{

// Identification failure of kq3917e_init with idQuery 1: the device is not
// the maker's 3917 module.
constexpr ViStatus kErrorIdQuery = KQ3917E_ERROR_BASE + 0x7F1;

struct Driver {
    bool simulated = false;
    uctsim::Module demo;
    std::map<ViSession, ViSession> sessions; // driver session -> its resource manager
};

Driver &driver()
{
    static Driver d;
    return d;
}

void logCall(ViStatus status, const char *name, ViSession session)
{
    char line[160];
    std::snprintf(line, sizeof line, "kq3917e_%s(%u) = %d", name, static_cast<unsigned>(session),
                  static_cast<int>(status));
    simkit_Log(line);
}

// The model that answers an operation on `session`, or the status that
// refuses it.
template <typename Op> ViStatus forward(const char *name, ViSession session, Op op)
{
    ViStatus status = VI_ERROR_INV_OBJECT;
    if (driver().simulated) {
        status = op(driver().demo);
    } else if (driver().sessions.count(session)) {
        if (simkit::Instrument *instrument = simkit_Instrument(session))
            status = instrument->answer() ? op(instrument->model) : VI_ERROR_TMO;
    }
    logCall(status, name, session);
    return status;
}

ViStatus attribute16(ViSession vi, ViAttr attr, ViUInt16 &value)
{
    return simkit::visa::viGetAttribute(vi, attr, &value);
}

// Opens `resource` and applies the device's fault switches; the VISA
// session is the driver session.
ViStatus open(ViConstRsrc resource, ViBoolean idQuery, ViBoolean reset, ViSession &rm, ViSession &vi)
{
    if (ViStatus status = simkit::visa::viOpenDefaultRM(&rm); status < VI_SUCCESS)
        return status;
    if (ViStatus status = simkit::visa::viOpen(rm, resource, 0, 0, &vi); status < VI_SUCCESS)
        return status;
    if (idQuery) {
        ViUInt16 vendor = 0, model = 0;
        if (ViStatus status = attribute16(vi, VI_ATTR_MANF_ID, vendor); status < VI_SUCCESS)
            return status;
        if (ViStatus status = attribute16(vi, VI_ATTR_MODEL_CODE, model); status < VI_SUCCESS)
            return status;
        if (vendor != simkit::kMakerVendorId || model != simkit::kModelCode)
            return kErrorIdQuery;
    }
    simkit::Instrument *instrument = simkit_Instrument(vi);
    if (instrument->device.initFail)
        return *instrument->device.initFail;
    if (!instrument->answer())
        return VI_ERROR_TMO;
    if (reset) {
        if (ViStatus status = instrument->model.reset(); status < VI_SUCCESS)
            return status;
    }
    return instrument->device.initWarn.value_or(VI_SUCCESS);
}

} // namespace

extern "C" {

SIMKIT_EXPORT ViStatus kq3917e_simulate(ViInt16 enable)
{
    driver().simulated = enable != 0;
    simkit_Log(enable ? "kq3917e_simulate(1) = 0" : "kq3917e_simulate(0) = 0");
    return VI_SUCCESS;
}

SIMKIT_EXPORT ViStatus kq3917e_init(ViConstRsrc resourceName, ViBoolean idQuery, ViBoolean reset,
                                    ViSession *session)
{
    ViSession rm = VI_NULL, vi = VI_NULL;
    ViStatus status = session ? open(resourceName, idQuery, reset, rm, vi) : KQ3917E_ERROR_NULL_POINTER;
    if (status < VI_SUCCESS) {
        if (vi != VI_NULL)
            simkit::visa::viClose(vi);
        if (rm != VI_NULL)
            simkit::visa::viClose(rm);
        vi = VI_NULL;
    } else {
        driver().sessions[vi] = rm;
    }
    if (session)
        *session = vi;
    char line[400];
    std::snprintf(line, sizeof line, "kq3917e_init(\"%s\",%u,%u) -> %u = %d",
                  resourceName ? resourceName : "", static_cast<unsigned>(idQuery),
                  static_cast<unsigned>(reset), static_cast<unsigned>(vi), static_cast<int>(status));
    simkit_Log(line);
    return status;
}

SIMKIT_EXPORT ViStatus kq3917e_close(ViSession session)
{
    ViStatus status = VI_SUCCESS;
    auto it = driver().sessions.find(session);
    if (it != driver().sessions.end()) {
        simkit::visa::viClose(it->first);
        simkit::visa::viClose(it->second);
        driver().sessions.erase(it);
    } else if (!driver().simulated) {
        status = VI_ERROR_INV_OBJECT;
    }
    logCall(status, "close", session);
    return status;
}

SIMKIT_EXPORT ViStatus kq3917e_error_message(ViSession session, ViStatus status,
                                             ViChar message[KQ3917E_MESSAGE_SIZE])
{
    (void)session; // the texts do not depend on the session
    if (!message)
        return KQ3917E_ERROR_NULL_POINTER;
    if (status == kErrorIdQuery)
        std::snprintf(message, KQ3917E_MESSAGE_SIZE, "The instrument is not a 3917 module of this maker.");
    else
        uctsim::statusMessage(status, message);
    return VI_SUCCESS;
}

} // extern "C"

// Every other operation, forwarded unchanged to the module model.
#define SIMKIT_FORWARD(op, params, args)                                                                     \
    extern "C" SIMKIT_EXPORT ViStatus kq3917e_##op params                                                    \
    {                                                                                                        \
        return forward(#op, session, [&](uctsim::Module &m) { return m.op args; });                          \
    }

SIMKIT_FORWARD(reset, (ViSession session), ())
SIMKIT_FORWARD(revision_query,
               (ViSession session, ViChar driverRevision[KQ3917E_REVISION_SIZE],
                ViChar instrumentRevision[KQ3917E_REVISION_SIZE]),
               (driverRevision, instrumentRevision))
SIMKIT_FORWARD(confMeasurement, (ViSession session, ViInt16 function), (function))
SIMKIT_FORWARD(queryMeasurement, (ViSession session, ViInt16 *function), (function))
SIMKIT_FORWARD(confAperture, (ViSession session, ViInt32 aperture), (aperture))
SIMKIT_FORWARD(queryAperture, (ViSession session, ViInt32 *aperture), (aperture))
SIMKIT_FORWARD(confMeasRes, (ViSession session, ViInt16 resolution, ViUInt16 averaging),
               (resolution, averaging))
SIMKIT_FORWARD(queryMeasRes, (ViSession session, ViInt16 *resolution, ViUInt16 *averaging),
               (resolution, averaging))
SIMKIT_FORWARD(confStandard, (ViSession session, ViInt16 standard), (standard))
SIMKIT_FORWARD(queryStandard, (ViSession session, ViInt16 *standard), (standard))
SIMKIT_FORWARD(confInputConditioning,
               (ViSession session, ViInt16 channel, ViInt16 impedance, ViUInt16 coupling, ViUInt16 filter,
                ViUInt16 commonInput),
               (channel, impedance, coupling, filter, commonInput))
SIMKIT_FORWARD(queryInputConditioning,
               (ViSession session, ViInt16 channel, ViInt16 *impedance, ViUInt16 *coupling, ViUInt16 *filter,
                ViUInt16 *commonInput),
               (channel, impedance, coupling, filter, commonInput))
SIMKIT_FORWARD(confInputTriggering,
               (ViSession session, ViInt16 channel, ViInt16 attenuation, ViReal64 level,
                ViUInt16 commonInput),
               (channel, attenuation, level, commonInput))
SIMKIT_FORWARD(queryInputTriggering,
               (ViSession session, ViInt16 channel, ViInt16 *attenuation, ViReal64 *level,
                ViUInt16 *commonInput),
               (channel, attenuation, level, commonInput))
SIMKIT_FORWARD(confInputSlopes, (ViSession session, ViUInt16 in1Slope, ViUInt16 in2Slope),
               (in1Slope, in2Slope))
SIMKIT_FORWARD(queryInputSlopes, (ViSession session, ViUInt16 *in1Slope, ViUInt16 *in2Slope),
               (in1Slope, in2Slope))
SIMKIT_FORWARD(confInputHysteresis, (ViSession session, ViInt16 channel, ViUInt16 hysteresis),
               (channel, hysteresis))
SIMKIT_FORWARD(queryInputHysteresis, (ViSession session, ViInt16 channel, ViUInt16 *hysteresis),
               (channel, hysteresis))
SIMKIT_FORWARD(confAutoTrigMode, (ViSession session, ViInt16 channel, ViInt16 mode), (channel, mode))
SIMKIT_FORWARD(queryAutoTrigMode, (ViSession session, ViInt16 channel, ViInt16 *mode), (channel, mode))
SIMKIT_FORWARD(confMinAutoTrigFreq, (ViSession session, ViUInt16 frequency), (frequency))
SIMKIT_FORWARD(queryMinAutoTrigFreq, (ViSession session, ViUInt16 *frequency), (frequency))
SIMKIT_FORWARD(confArming, (ViSession session, ViInt16 startSource, ViInt16 stopSource, ViInt16 extSource),
               (startSource, stopSource, extSource))
SIMKIT_FORWARD(queryArming,
               (ViSession session, ViInt16 *startSource, ViInt16 *stopSource, ViInt16 *extSource),
               (startSource, stopSource, extSource))
SIMKIT_FORWARD(confArmingLevel, (ViSession session, ViReal64 level), (level))
SIMKIT_FORWARD(queryArmingLevel, (ViSession session, ViReal64 *level), (level))
SIMKIT_FORWARD(confExtArmMode, (ViSession session, ViInt16 mode), (mode))
SIMKIT_FORWARD(queryExtArmMode, (ViSession session, ViInt16 *mode), (mode))
SIMKIT_FORWARD(confExtArmHysteresis, (ViSession session, ViInt16 hysteresis), (hysteresis))
SIMKIT_FORWARD(queryExtArmHysteresis, (ViSession session, ViInt16 *hysteresis), (hysteresis))
SIMKIT_FORWARD(confDelay, (ViSession session, ViUInt16 enabled, ViReal64 delay), (enabled, delay))
SIMKIT_FORWARD(queryDelay, (ViSession session, ViUInt16 *enabled, ViReal64 *delay), (enabled, delay))
SIMKIT_FORWARD(outputGate, (ViSession session, ViInt16 gateOutput), (gateOutput))
SIMKIT_FORWARD(queryOutputGate, (ViSession session, ViInt16 *gateOutput), (gateOutput))
SIMKIT_FORWARD(openCloseGate, (ViSession session, ViInt16 gateSelector, ViInt16 open), (gateSelector, open))
SIMKIT_FORWARD(triggerContinuous, (ViSession session, ViInt16 on), (on))
SIMKIT_FORWARD(abortMeasurement, (ViSession session), ())
SIMKIT_FORWARD(clearAccCount, (ViSession session, ViInt16 channel), (channel))
SIMKIT_FORWARD(fetch, (ViSession session, ViReal64 *value), (value))
SIMKIT_FORWARD(read, (ViSession session, ViReal64 *value), (value))
SIMKIT_FORWARD(mathCalculation,
               (ViSession session, ViInt32 flag1, ViReal64 value1, ViInt32 flag2, ViReal64 value2,
                ViUInt16 enable),
               (flag1, value1, flag2, value2, enable))
SIMKIT_FORWARD(queryMathCalculation,
               (ViSession session, ViReal64 *value1, ViReal64 *value2, ViUInt16 *enable),
               (value1, value2, enable))
SIMKIT_FORWARD(setSystTimeout, (ViSession session, ViInt32 timeout), (timeout))
SIMKIT_FORWARD(readSystTimeout, (ViSession session, ViInt32 *timeout), (timeout))
SIMKIT_FORWARD(SetInterruptMask, (ViSession session, ViInt16 mask), (mask))
SIMKIT_FORWARD(SetInterruptLevel, (ViSession session, ViInt16 level), (level))
SIMKIT_FORWARD(queryPostResult, (ViSession session, ViInt16 *result), (result))
SIMKIT_FORWARD(resetCounter, (ViSession session), ())
SIMKIT_FORWARD(testCounter, (ViSession session, ViInt16 *result, ViUInt32 *relay, ViUInt16 *dac),
               (result, relay, dac))
SIMKIT_FORWARD(write_command_and_data, (ViSession session, ViUInt16 command, ViUInt16 data), (command, data))
SIMKIT_FORWARD(confCalibrationDAC, (ViSession session, ViInt16 dac, ViInt16 code), (dac, code))
SIMKIT_FORWARD(queryCalibrationDAC, (ViSession session, ViInt16 dac, ViInt16 *code), (dac, code))
SIMKIT_FORWARD(WriteCounterCalibrationData, (ViSession session), ())
SIMKIT_FORWARD(confModuleData, (ViSession session, ViInt16 item, ViConstString text), (item, text))
SIMKIT_FORWARD(queryModuleData, (ViSession session, ViInt16 item, ViChar text[KQ3917E_MODULE_DATA_SIZE]),
               (item, text))
SIMKIT_FORWARD(WriteModuleData, (ViSession session), ())
