// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in for the maker's driver library: exports every kq3917e_ operation
// with C linkage. A session is a VISA instrument session opened through the
// (stand-in) VISA library, and every operation answers from the module model
// of that session's device. kq3917e_simulate(1) sends every operation, on any
// session including 0, to one demonstration module instead.
#include "standin.h"

#include <cstdio>
#include <map>
#include <tuple>

namespace
{

namespace sv = simkit::visa;

// Identification failure of kq3917e_init with idQuery 1: the device is not
// the maker's 3917 module.
constexpr ViStatus kErrorIdQuery = KQ3917E_ERROR_BASE + 0x7F1;

bool simulated = false;
std::map<ViSession, ViSession> sessions; // driver session -> its resource manager

uctsim::Module &demo()
{
    static uctsim::Module module;
    return module;
}

void logCall(ViStatus status, const char *name, ViSession session)
{
    char line[160];
    std::snprintf(line, sizeof line, "kq3917e_%s(%u) = %d", name, session, status);
    simkit_Log(line);
}

// The model that answers an operation on `session`, or the status that
// refuses it.
template <typename Op> ViStatus forward(const char *name, ViSession session, Op op)
{
    simkit::Instrument *instrument = sessions.count(session) ? simkit_Instrument(session) : nullptr;
    const ViStatus status = simulated    ? op(demo())
                            : instrument ? (instrument->answer() ? op(instrument->model) : VI_ERROR_TMO)
                                         : VI_ERROR_INV_OBJECT;
    logCall(status, name, session);
    return status;
}

// Opens `resource` and applies the device's fault switches; the VISA
// session is the driver session.
ViStatus open(ViConstRsrc resource, ViBoolean idQuery, ViBoolean reset, ViSession &rm, ViSession &vi)
{
    ViUInt16 vendor = simkit::kMakerVendorId, model = simkit::kModelCode;
    ViStatus status = sv::viOpenDefaultRM(&rm);
    if (status >= VI_SUCCESS)
        status = sv::viOpen(rm, resource, 0, 0, &vi);
    if (status >= VI_SUCCESS && idQuery)
        status = sv::viGetAttribute(vi, VI_ATTR_MANF_ID, &vendor);
    if (status >= VI_SUCCESS && idQuery)
        status = sv::viGetAttribute(vi, VI_ATTR_MODEL_CODE, &model);
    if (status < VI_SUCCESS || vendor != simkit::kMakerVendorId || model != simkit::kModelCode)
        return status < VI_SUCCESS ? status : kErrorIdQuery;
    simkit::Instrument *instrument = simkit_Instrument(vi);
    if (instrument->device.initFail)
        return *instrument->device.initFail;
    if (!instrument->answer())
        return VI_ERROR_TMO;
    status = reset ? instrument->model.reset() : VI_SUCCESS;
    return status < VI_SUCCESS ? status : instrument->device.initWarn.value_or(VI_SUCCESS);
}

} // namespace

extern "C" {

SIMKIT_EXPORT ViStatus kq3917e_simulate(ViInt16 enable)
{
    simulated = enable != 0;
    simkit_Log(enable ? "kq3917e_simulate(1) = 0" : "kq3917e_simulate(0) = 0");
    return VI_SUCCESS;
}

SIMKIT_EXPORT ViStatus kq3917e_init(ViConstRsrc resourceName, ViBoolean idQuery, ViBoolean reset,
                                    ViSession *session)
{
    ViSession rm = VI_NULL, vi = VI_NULL;
    const ViStatus status = session ? open(resourceName, idQuery, reset, rm, vi) : KQ3917E_ERROR_NULL_POINTER;
    if (status >= VI_SUCCESS)
        sessions[vi] = rm;
    for (ViSession opened : {vi, rm}) // on failure, whatever was opened is closed
        if (status < VI_SUCCESS && opened != VI_NULL)
            sv::viClose(opened);
    vi = status < VI_SUCCESS ? VI_NULL : vi;
    if (session)
        *session = vi;
    char line[400];
    std::snprintf(line, sizeof line, "kq3917e_init(\"%s\",%u,%u) -> %u = %d",
                  resourceName ? resourceName : "", idQuery, reset, vi, status);
    simkit_Log(line);
    return status;
}

SIMKIT_EXPORT ViStatus kq3917e_close(ViSession session)
{
    const auto it = sessions.find(session);
    const bool known = it != sessions.end();
    if (known) {
        sv::viClose(it->first);
        sv::viClose(it->second);
        sessions.erase(it);
    }
    const ViStatus status = known || simulated ? VI_SUCCESS : VI_ERROR_INV_OBJECT;
    logCall(status, "close", session);
    return status;
}

// The texts do not depend on the session.
SIMKIT_EXPORT ViStatus kq3917e_error_message(ViSession, ViStatus status, ViChar message[KQ3917E_MESSAGE_SIZE])
{
    if (!message)
        return KQ3917E_ERROR_NULL_POINTER;
    if (status == kErrorIdQuery)
        std::snprintf(message, KQ3917E_MESSAGE_SIZE, "The instrument is not a 3917 module of this maker.");
    else
        uctsim::statusMessage(status, message);
    return VI_SUCCESS;
}

} // extern "C"

// Every other operation, forwarded unchanged to the module model: the list
// gives each operation's number of arguments after the session; their types
// are those of the model's member function of the same name.
#ifdef SIMKIT_LACK_LAST_OPERATION
#define SIMKIT_LAST_OPERATION(X) // a maker's library of the wrong version, for the loader's test
#else
#define SIMKIT_LAST_OPERATION(X) X(0, WriteModuleData)
#endif
// clang-format off
#define SIMKIT_OPERATIONS(X) \
    X(0, reset) X(2, revision_query) X(1, confMeasurement) X(1, queryMeasurement) X(1, confAperture) \
    X(1, queryAperture) X(2, confMeasRes) X(2, queryMeasRes) X(1, confStandard) X(1, queryStandard) \
    X(5, confInputConditioning) X(5, queryInputConditioning) X(4, confInputTriggering) \
    X(4, queryInputTriggering) X(2, confInputSlopes) X(2, queryInputSlopes) X(2, confInputHysteresis) \
    X(2, queryInputHysteresis) X(2, confAutoTrigMode) X(2, queryAutoTrigMode) X(1, confMinAutoTrigFreq) \
    X(1, queryMinAutoTrigFreq) X(3, confArming) X(3, queryArming) X(1, confArmingLevel) \
    X(1, queryArmingLevel) X(1, confExtArmMode) X(1, queryExtArmMode) X(1, confExtArmHysteresis) \
    X(1, queryExtArmHysteresis) X(2, confDelay) X(2, queryDelay) X(1, outputGate) X(1, queryOutputGate) \
    X(2, openCloseGate) X(1, triggerContinuous) X(0, abortMeasurement) X(1, clearAccCount) X(1, fetch) \
    X(1, read) X(5, mathCalculation) X(3, queryMathCalculation) X(1, setSystTimeout) X(1, readSystTimeout) \
    X(1, SetInterruptMask) X(1, SetInterruptLevel) X(1, queryPostResult) X(0, resetCounter) \
    X(3, testCounter) X(2, write_command_and_data) X(2, confCalibrationDAC) X(2, queryCalibrationDAC) \
    X(0, WriteCounterCalibrationData) X(2, confModuleData) X(2, queryModuleData) SIMKIT_LAST_OPERATION(X)
// clang-format on

namespace
{
template <typename Member> struct Parameters;
template <typename... P> struct Parameters<ViStatus (uctsim::Module::*)(P...)> {
    template <std::size_t I> using Type = std::tuple_element_t<I, std::tuple<P...>>;
};
} // namespace

#define SIMKIT_P(op, i) Parameters<decltype(&uctsim::Module::op)>::Type<i> a##i
#define SIMKIT_PARAMS0(op)
#define SIMKIT_PARAMS1(op) , SIMKIT_P(op, 0)
#define SIMKIT_PARAMS2(op) SIMKIT_PARAMS1(op), SIMKIT_P(op, 1)
#define SIMKIT_PARAMS3(op) SIMKIT_PARAMS2(op), SIMKIT_P(op, 2)
#define SIMKIT_PARAMS4(op) SIMKIT_PARAMS3(op), SIMKIT_P(op, 3)
#define SIMKIT_PARAMS5(op) SIMKIT_PARAMS4(op), SIMKIT_P(op, 4)
#define SIMKIT_ARGS0
#define SIMKIT_ARGS1 a0
#define SIMKIT_ARGS2 SIMKIT_ARGS1, a1
#define SIMKIT_ARGS3 SIMKIT_ARGS2, a2
#define SIMKIT_ARGS4 SIMKIT_ARGS3, a3
#define SIMKIT_ARGS5 SIMKIT_ARGS4, a4
#define SIMKIT_FORWARD(n, op)                                                                                \
    extern "C" SIMKIT_EXPORT ViStatus kq3917e_##op(ViSession session SIMKIT_PARAMS##n(op))                   \
    {                                                                                                        \
        return forward(#op, session, [&](uctsim::Module &m) { return m.op(SIMKIT_ARGS##n); });               \
    }
SIMKIT_OPERATIONS(SIMKIT_FORWARD)
