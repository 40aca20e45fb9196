// SPDX-License-Identifier: GPL-3.0-or-later
// Instrument driver of the 3917 universal counter-timer module.
//
// Every operation returns a status: 0 success, positive a warning, negative
// an error; kq3917e_error_message explains it. When the maker's driver
// library is installed it is loaded at run time and every call is forwarded
// unchanged; otherwise the built-in driver answers, in hardware mode with an
// error that says the library is missing, in simulation mode
// (kq3917e_simulate(1)) from a simulated module, on any session including 0.
#pragma once

#include "visa.h"

#include "kq3917e_codes.h"

// ---- session
ViStatus kq3917e_simulate(ViInt16 enable);
ViStatus kq3917e_init(ViConstRsrc resourceName, ViBoolean idQuery, ViBoolean reset, ViSession *session);
ViStatus kq3917e_close(ViSession session);
ViStatus kq3917e_reset(ViSession session);
ViStatus kq3917e_revision_query(ViSession session, ViChar driverRevision[KQ3917E_REVISION_SIZE],
                                ViChar instrumentRevision[KQ3917E_REVISION_SIZE]);
ViStatus kq3917e_error_message(ViSession session, ViStatus status, ViChar message[KQ3917E_MESSAGE_SIZE]);

// ---- function and timebase
ViStatus kq3917e_confMeasurement(ViSession session, ViInt16 function);
ViStatus kq3917e_queryMeasurement(ViSession session, ViInt16 *function);
ViStatus kq3917e_confAperture(ViSession session, ViInt32 aperture);
ViStatus kq3917e_queryAperture(ViSession session, ViInt32 *aperture);
ViStatus kq3917e_confMeasRes(ViSession session, ViInt16 resolution, ViUInt16 averaging);
ViStatus kq3917e_queryMeasRes(ViSession session, ViInt16 *resolution, ViUInt16 *averaging);
ViStatus kq3917e_confStandard(ViSession session, ViInt16 standard);
ViStatus kq3917e_queryStandard(ViSession session, ViInt16 *standard);

// ---- inputs and triggering (channel 1 or 2)
ViStatus kq3917e_confInputConditioning(ViSession session, ViInt16 channel, ViInt16 impedance,
                                       ViUInt16 coupling, ViUInt16 filter, ViUInt16 commonInput);
ViStatus kq3917e_queryInputConditioning(ViSession session, ViInt16 channel, ViInt16 *impedance,
                                        ViUInt16 *coupling, ViUInt16 *filter, ViUInt16 *commonInput);
ViStatus kq3917e_confInputTriggering(ViSession session, ViInt16 channel, ViInt16 attenuation, ViReal64 level,
                                     ViUInt16 commonInput);
ViStatus kq3917e_queryInputTriggering(ViSession session, ViInt16 channel, ViInt16 *attenuation,
                                      ViReal64 *level, ViUInt16 *commonInput);
ViStatus kq3917e_confInputSlopes(ViSession session, ViUInt16 in1Slope, ViUInt16 in2Slope);
ViStatus kq3917e_queryInputSlopes(ViSession session, ViUInt16 *in1Slope, ViUInt16 *in2Slope);
ViStatus kq3917e_confInputHysteresis(ViSession session, ViInt16 channel, ViUInt16 hysteresis);
ViStatus kq3917e_queryInputHysteresis(ViSession session, ViInt16 channel, ViUInt16 *hysteresis);
ViStatus kq3917e_confAutoTrigMode(ViSession session, ViInt16 channel, ViInt16 mode);
ViStatus kq3917e_queryAutoTrigMode(ViSession session, ViInt16 channel, ViInt16 *mode);
ViStatus kq3917e_confMinAutoTrigFreq(ViSession session, ViUInt16 frequency);
ViStatus kq3917e_queryMinAutoTrigFreq(ViSession session, ViUInt16 *frequency);

// ---- arming, gating, delay
ViStatus kq3917e_confArming(ViSession session, ViInt16 startSource, ViInt16 stopSource, ViInt16 extSource);
ViStatus kq3917e_queryArming(ViSession session, ViInt16 *startSource, ViInt16 *stopSource,
                             ViInt16 *extSource);
ViStatus kq3917e_confArmingLevel(ViSession session, ViReal64 level);
ViStatus kq3917e_queryArmingLevel(ViSession session, ViReal64 *level);
ViStatus kq3917e_confExtArmMode(ViSession session, ViInt16 mode);
ViStatus kq3917e_queryExtArmMode(ViSession session, ViInt16 *mode);
ViStatus kq3917e_confExtArmHysteresis(ViSession session, ViInt16 hysteresis);
ViStatus kq3917e_queryExtArmHysteresis(ViSession session, ViInt16 *hysteresis);
ViStatus kq3917e_confDelay(ViSession session, ViUInt16 enabled, ViReal64 delay);
ViStatus kq3917e_queryDelay(ViSession session, ViUInt16 *enabled, ViReal64 *delay);
ViStatus kq3917e_outputGate(ViSession session, ViInt16 gateOutput);
ViStatus kq3917e_queryOutputGate(ViSession session, ViInt16 *gateOutput);
ViStatus kq3917e_openCloseGate(ViSession session, ViInt16 gateSelector, ViInt16 open);

// ---- running
ViStatus kq3917e_triggerContinuous(ViSession session, ViInt16 on);
ViStatus kq3917e_abortMeasurement(ViSession session);
ViStatus kq3917e_clearAccCount(ViSession session, ViInt16 channel);
ViStatus kq3917e_fetch(ViSession session, ViReal64 *value);
ViStatus kq3917e_read(ViSession session, ViReal64 *value);

// ---- math (flag 0: this call sets the value; flag 1: value unchanged)
ViStatus kq3917e_mathCalculation(ViSession session, ViInt32 flag1, ViReal64 value1, ViInt32 flag2,
                                 ViReal64 value2, ViUInt16 enable);
ViStatus kq3917e_queryMathCalculation(ViSession session, ViReal64 *value1, ViReal64 *value2,
                                      ViUInt16 *enable);

// ---- system
ViStatus kq3917e_setSystTimeout(ViSession session, ViInt32 timeout);
ViStatus kq3917e_readSystTimeout(ViSession session, ViInt32 *timeout);
ViStatus kq3917e_SetInterruptMask(ViSession session, ViInt16 mask);
ViStatus kq3917e_SetInterruptLevel(ViSession session, ViInt16 level);
ViStatus kq3917e_queryPostResult(ViSession session, ViInt16 *result);
ViStatus kq3917e_resetCounter(ViSession session);
ViStatus kq3917e_testCounter(ViSession session, ViInt16 *result, ViUInt32 *relay, ViUInt16 *dac);
ViStatus kq3917e_write_command_and_data(ViSession session, ViUInt16 command, ViUInt16 data);

// ---- calibration and module data
ViStatus kq3917e_confCalibrationDAC(ViSession session, ViInt16 dac, ViInt16 code);
ViStatus kq3917e_queryCalibrationDAC(ViSession session, ViInt16 dac, ViInt16 *code);
ViStatus kq3917e_WriteCounterCalibrationData(ViSession session);
ViStatus kq3917e_confModuleData(ViSession session, ViInt16 item, ViConstString text);
ViStatus kq3917e_queryModuleData(ViSession session, ViInt16 item, ViChar text[KQ3917E_MODULE_DATA_SIZE]);
ViStatus kq3917e_WriteModuleData(ViSession session);
