// SPDX-License-Identifier: GPL-3.0-or-later
// The ordinary operations: each goes to the maker's library when loaded, else
// to the simulated module in simulation mode, else fails with an invalid
// session.
#include "dispatch.h"

#define UCT_DISPATCH_AS(kind, op, ...)                                                                       \
    kqdispatch::dispatch<instr::Kind::kind, &kqdispatch::Library::op, &uctsim::Module::op>(                  \
        "kq3917e_" #op, session __VA_OPT__(, ) __VA_ARGS__)
#define UCT_DISPATCH(op, ...) UCT_DISPATCH_AS(Setting, op __VA_OPT__(, ) __VA_ARGS__)

ViStatus kq3917e_reset(ViSession session)
{
    return UCT_DISPATCH(reset);
}
ViStatus kq3917e_revision_query(ViSession session, ViChar driverRevision[KQ3917E_REVISION_SIZE],
                                ViChar instrumentRevision[KQ3917E_REVISION_SIZE])
{
    return UCT_DISPATCH(revision_query, driverRevision, instrumentRevision);
}
ViStatus kq3917e_confMeasurement(ViSession session, ViInt16 function)
{
    return UCT_DISPATCH(confMeasurement, function);
}
ViStatus kq3917e_queryMeasurement(ViSession session, ViInt16 *function)
{
    return UCT_DISPATCH(queryMeasurement, function);
}
ViStatus kq3917e_confAperture(ViSession session, ViInt32 aperture)
{
    return UCT_DISPATCH(confAperture, aperture);
}
ViStatus kq3917e_queryAperture(ViSession session, ViInt32 *aperture)
{
    return UCT_DISPATCH(queryAperture, aperture);
}
ViStatus kq3917e_confMeasRes(ViSession session, ViInt16 resolution, ViUInt16 averaging)
{
    return UCT_DISPATCH(confMeasRes, resolution, averaging);
}
ViStatus kq3917e_queryMeasRes(ViSession session, ViInt16 *resolution, ViUInt16 *averaging)
{
    return UCT_DISPATCH(queryMeasRes, resolution, averaging);
}
ViStatus kq3917e_confStandard(ViSession session, ViInt16 standard)
{
    return UCT_DISPATCH(confStandard, standard);
}
ViStatus kq3917e_queryStandard(ViSession session, ViInt16 *standard)
{
    return UCT_DISPATCH(queryStandard, standard);
}
ViStatus kq3917e_confInputConditioning(ViSession session, ViInt16 channel, ViInt16 impedance,
                                       ViUInt16 coupling, ViUInt16 filter, ViUInt16 commonInput)
{
    return UCT_DISPATCH(confInputConditioning, channel, impedance, coupling, filter, commonInput);
}
ViStatus kq3917e_queryInputConditioning(ViSession session, ViInt16 channel, ViInt16 *impedance,
                                        ViUInt16 *coupling, ViUInt16 *filter, ViUInt16 *commonInput)
{
    return UCT_DISPATCH(queryInputConditioning, channel, impedance, coupling, filter, commonInput);
}
ViStatus kq3917e_confInputTriggering(ViSession session, ViInt16 channel, ViInt16 attenuation, ViReal64 level,
                                     ViUInt16 commonInput)
{
    return UCT_DISPATCH(confInputTriggering, channel, attenuation, level, commonInput);
}
ViStatus kq3917e_queryInputTriggering(ViSession session, ViInt16 channel, ViInt16 *attenuation,
                                      ViReal64 *level, ViUInt16 *commonInput)
{
    return UCT_DISPATCH(queryInputTriggering, channel, attenuation, level, commonInput);
}
ViStatus kq3917e_confInputSlopes(ViSession session, ViUInt16 in1Slope, ViUInt16 in2Slope)
{
    return UCT_DISPATCH(confInputSlopes, in1Slope, in2Slope);
}
ViStatus kq3917e_queryInputSlopes(ViSession session, ViUInt16 *in1Slope, ViUInt16 *in2Slope)
{
    return UCT_DISPATCH(queryInputSlopes, in1Slope, in2Slope);
}
ViStatus kq3917e_confInputHysteresis(ViSession session, ViInt16 channel, ViUInt16 hysteresis)
{
    return UCT_DISPATCH(confInputHysteresis, channel, hysteresis);
}
ViStatus kq3917e_queryInputHysteresis(ViSession session, ViInt16 channel, ViUInt16 *hysteresis)
{
    return UCT_DISPATCH(queryInputHysteresis, channel, hysteresis);
}
ViStatus kq3917e_confAutoTrigMode(ViSession session, ViInt16 channel, ViInt16 mode)
{
    return UCT_DISPATCH(confAutoTrigMode, channel, mode);
}
ViStatus kq3917e_queryAutoTrigMode(ViSession session, ViInt16 channel, ViInt16 *mode)
{
    return UCT_DISPATCH(queryAutoTrigMode, channel, mode);
}
ViStatus kq3917e_confMinAutoTrigFreq(ViSession session, ViUInt16 frequency)
{
    return UCT_DISPATCH(confMinAutoTrigFreq, frequency);
}
ViStatus kq3917e_queryMinAutoTrigFreq(ViSession session, ViUInt16 *frequency)
{
    return UCT_DISPATCH(queryMinAutoTrigFreq, frequency);
}
ViStatus kq3917e_confArming(ViSession session, ViInt16 startSource, ViInt16 stopSource, ViInt16 extSource)
{
    return UCT_DISPATCH(confArming, startSource, stopSource, extSource);
}
ViStatus kq3917e_queryArming(ViSession session, ViInt16 *startSource, ViInt16 *stopSource, ViInt16 *extSource)
{
    return UCT_DISPATCH(queryArming, startSource, stopSource, extSource);
}
ViStatus kq3917e_confArmingLevel(ViSession session, ViReal64 level)
{
    return UCT_DISPATCH(confArmingLevel, level);
}
ViStatus kq3917e_queryArmingLevel(ViSession session, ViReal64 *level)
{
    return UCT_DISPATCH(queryArmingLevel, level);
}
ViStatus kq3917e_confExtArmMode(ViSession session, ViInt16 mode)
{
    return UCT_DISPATCH(confExtArmMode, mode);
}
ViStatus kq3917e_queryExtArmMode(ViSession session, ViInt16 *mode)
{
    return UCT_DISPATCH(queryExtArmMode, mode);
}
ViStatus kq3917e_confExtArmHysteresis(ViSession session, ViInt16 hysteresis)
{
    return UCT_DISPATCH(confExtArmHysteresis, hysteresis);
}
ViStatus kq3917e_queryExtArmHysteresis(ViSession session, ViInt16 *hysteresis)
{
    return UCT_DISPATCH(queryExtArmHysteresis, hysteresis);
}
ViStatus kq3917e_confDelay(ViSession session, ViUInt16 enabled, ViReal64 delay)
{
    return UCT_DISPATCH(confDelay, enabled, delay);
}
ViStatus kq3917e_queryDelay(ViSession session, ViUInt16 *enabled, ViReal64 *delay)
{
    return UCT_DISPATCH(queryDelay, enabled, delay);
}
ViStatus kq3917e_outputGate(ViSession session, ViInt16 gateOutput)
{
    return UCT_DISPATCH(outputGate, gateOutput);
}
ViStatus kq3917e_queryOutputGate(ViSession session, ViInt16 *gateOutput)
{
    return UCT_DISPATCH(queryOutputGate, gateOutput);
}
ViStatus kq3917e_openCloseGate(ViSession session, ViInt16 gateSelector, ViInt16 open)
{
    return UCT_DISPATCH(openCloseGate, gateSelector, open);
}
ViStatus kq3917e_triggerContinuous(ViSession session, ViInt16 on)
{
    return UCT_DISPATCH(triggerContinuous, on);
}
ViStatus kq3917e_abortMeasurement(ViSession session)
{
    return UCT_DISPATCH(abortMeasurement);
}
ViStatus kq3917e_clearAccCount(ViSession session, ViInt16 channel)
{
    return UCT_DISPATCH(clearAccCount, channel);
}
ViStatus kq3917e_fetch(ViSession session, ViReal64 *value)
{
    return UCT_DISPATCH_AS(Measurement, fetch, value);
}
ViStatus kq3917e_read(ViSession session, ViReal64 *value)
{
    return UCT_DISPATCH_AS(Measurement, read, value);
}
ViStatus kq3917e_mathCalculation(ViSession session, ViInt32 flag1, ViReal64 value1, ViInt32 flag2,
                                 ViReal64 value2, ViUInt16 enable)
{
    return UCT_DISPATCH(mathCalculation, flag1, value1, flag2, value2, enable);
}
ViStatus kq3917e_queryMathCalculation(ViSession session, ViReal64 *value1, ViReal64 *value2, ViUInt16 *enable)
{
    return UCT_DISPATCH(queryMathCalculation, value1, value2, enable);
}
// The module's timeout bounds how long a quit waits for a call in flight.
ViStatus kq3917e_setSystTimeout(ViSession session, ViInt32 timeout)
{
    const ViStatus status = UCT_DISPATCH(setSystTimeout, timeout);
    if (status >= 0) {
        instr::setModuleTimeoutMs(timeout);
    }
    return status;
}
ViStatus kq3917e_readSystTimeout(ViSession session, ViInt32 *timeout)
{
    const ViStatus status = UCT_DISPATCH(readSystTimeout, timeout);
    if (status >= 0 && timeout != nullptr) {
        instr::setModuleTimeoutMs(*timeout);
    }
    return status;
}
ViStatus kq3917e_SetInterruptMask(ViSession session, ViInt16 mask)
{
    return UCT_DISPATCH(SetInterruptMask, mask);
}
ViStatus kq3917e_SetInterruptLevel(ViSession session, ViInt16 level)
{
    return UCT_DISPATCH(SetInterruptLevel, level);
}
ViStatus kq3917e_queryPostResult(ViSession session, ViInt16 *result)
{
    return UCT_DISPATCH(queryPostResult, result);
}
ViStatus kq3917e_resetCounter(ViSession session)
{
    return UCT_DISPATCH(resetCounter);
}
ViStatus kq3917e_testCounter(ViSession session, ViInt16 *result, ViUInt32 *relay, ViUInt16 *dac)
{
    return UCT_DISPATCH(testCounter, result, relay, dac);
}
ViStatus kq3917e_write_command_and_data(ViSession session, ViUInt16 command, ViUInt16 data)
{
    return UCT_DISPATCH_AS(Register, write_command_and_data, command, data);
}
ViStatus kq3917e_confCalibrationDAC(ViSession session, ViInt16 dac, ViInt16 code)
{
    return UCT_DISPATCH(confCalibrationDAC, dac, code);
}
ViStatus kq3917e_queryCalibrationDAC(ViSession session, ViInt16 dac, ViInt16 *code)
{
    return UCT_DISPATCH(queryCalibrationDAC, dac, code);
}
ViStatus kq3917e_WriteCounterCalibrationData(ViSession session)
{
    return UCT_DISPATCH(WriteCounterCalibrationData);
}
ViStatus kq3917e_confModuleData(ViSession session, ViInt16 item, ViConstString text)
{
    return UCT_DISPATCH(confModuleData, item, text);
}
ViStatus kq3917e_queryModuleData(ViSession session, ViInt16 item, ViChar text[KQ3917E_MODULE_DATA_SIZE])
{
    return UCT_DISPATCH(queryModuleData, item, text);
}
ViStatus kq3917e_WriteModuleData(ViSession session)
{
    return UCT_DISPATCH(WriteModuleData);
}
