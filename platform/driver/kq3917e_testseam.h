// SPDX-License-Identifier: GPL-3.0-or-later
// Test seam of the driver dispatch. Tests only; never included by the
// program's own code. Nothing here takes effect until a test uses it.
#pragma once

#include "kq3917e.h"
#include "uctsim.h"

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace drvtest
{

// One driver call as the program made it: the operation's full name
// ("kq3917e_confInputConditioning") and its input arguments after the
// session, formatted as text and joined by ',' (integers in decimal, doubles
// with %g, texts quoted). Output arguments are not listed. A call that ABORT
// abandoned is recorded when it has returned on the instrument thread; one
// refused while abandoning never reaches the driver and is not recorded.
struct Call {
    std::string name;
    std::string args;
    ViSession session = 0;
    ViStatus status = 0;
    std::thread::id thread; // the thread the call ran on
};

// Start (and clear) or stop recording of every call through the dispatch.
void StartRecording();
void StopRecording();
const std::vector<Call> &Calls();
void ClearCalls();

// Make an operation (by full name) return `status` without doing anything
// (outputs untouched). A positive status is a warning: then the operation
// does its work and returns the warning instead of 0.
void Refuse(const std::string &name, ViStatus status);
// Every operation except simulate, error_message and close returns `status`
// (the module stops answering).
void RefuseAll(ViStatus status);
void ClearRefusals();

// Back to power-on: built-in driver in hardware mode, no maker's library
// looked up again, simulated module at power-on settings on a test clock
// standing at 0 (the program's module runs on the machine's clock), seam
// cleared.
void ResetDriver();

// The simulated module's test clock: seconds since power-on. Tests advance
// it; nothing in the simulation sleeps. An empty function puts the module
// back on the machine's clock.
void SetSimClock(std::function<double()> now);
void SetSimSeed(std::uint64_t seed);

// Forget the maker's library (or its absence) and look it up again on the
// next call, as a fresh process would.
void ReloadDriverLibrary();

// The built-in driver's simulated module, for fault hooks and register access
// (in16/out16) in tests.
uctsim::Module &SimModule();

} // namespace drvtest
