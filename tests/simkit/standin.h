// SPDX-License-Identifier: GPL-3.0-or-later
// What the stand-in VISA library shares with the stand-in driver library:
// the simulated instruments (one module model each) and the call log.
#pragma once

#include "chassis.h"
#include "uctsim.h"

#include <string>

#define SIMKIT_EXPORT __attribute__((visibility("default")))

namespace simkit
{

// A device of the chassis with its module model. Every session opened on
// the device reaches the same model.
struct Instrument {
    explicit Instrument(const Device &d) : device(d), model(d.seed)
    {
        if (d.refusedBlock)
            model.refuseFirmwareBlock(*d.refusedBlock, d.refusedCode);
        if (d.mailboxLatency)
            model.setMailboxLatency(*d.mailboxLatency);
        if (d.mailboxFault)
            model.failMailbox(d.mailboxFault->step, d.mailboxFault->block, d.mailboxFault->status);
    }

    // Counts one call to the module; false once the module has stopped
    // answering (the "dieafter" switch).
    bool answer() { return !(device.answers && calls >= *device.answers) && ++calls; }

    Device device;
    uctsim::Module model;
    long calls = 0;
};

} // namespace simkit

// The VISA functions that the stand-in VISA library exports with C linkage
// (visa.h declares the program's own, C++, ones under the same names).
namespace simkit::visa
{
extern "C" {
SIMKIT_EXPORT ViStatus viOpenDefaultRM(ViSession *sesn);
SIMKIT_EXPORT ViStatus viFindRsrc(ViSession, ViConstString, ViFindList *, ViUInt32 *,
                                  ViChar desc[VI_FIND_BUFLEN]);
SIMKIT_EXPORT ViStatus viFindNext(ViFindList findList, ViChar desc[VI_FIND_BUFLEN]);
SIMKIT_EXPORT ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                              ViSession *vi);
SIMKIT_EXPORT ViStatus viClose(ViObject vi);
SIMKIT_EXPORT ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue);
SIMKIT_EXPORT ViStatus viIn16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 *val16);
SIMKIT_EXPORT ViStatus viOut16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 val16);
}
} // namespace simkit::visa

extern "C" {
// The instrument behind a VISA instrument session, or null.
SIMKIT_EXPORT simkit::Instrument *simkit_Instrument(ViSession vi);
// Appends one line to the call log named by UCT_SIMKIT_LOG, if any.
SIMKIT_EXPORT void simkit_Log(const char *line);
}
