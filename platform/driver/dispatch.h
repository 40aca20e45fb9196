// SPDX-License-Identifier: GPL-3.0-or-later
// Inside of the driver dispatch: the maker's library table, the built-in
// driver's state and the call path shared by every operation.
#pragma once

#include "instrthread.h"
#include "kq3917e.h"
#include "kq3917e_testseam.h"
#include "uctsim.h"

#include <charconv>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace kqdispatch
{

// Every operation of kq3917e.h, for the library table and its resolution.
#define KQ3917E_OPERATIONS(X)                                                                                \
    X(simulate)                                                                                              \
    X(init)                                                                                                  \
    X(close)                                                                                                 \
    X(reset)                                                                                                 \
    X(revision_query)                                                                                        \
    X(error_message)                                                                                         \
    X(confMeasurement)                                                                                       \
    X(queryMeasurement)                                                                                      \
    X(confAperture)                                                                                          \
    X(queryAperture)                                                                                         \
    X(confMeasRes)                                                                                           \
    X(queryMeasRes)                                                                                          \
    X(confStandard)                                                                                          \
    X(queryStandard)                                                                                         \
    X(confInputConditioning)                                                                                 \
    X(queryInputConditioning)                                                                                \
    X(confInputTriggering)                                                                                   \
    X(queryInputTriggering)                                                                                  \
    X(confInputSlopes)                                                                                       \
    X(queryInputSlopes)                                                                                      \
    X(confInputHysteresis)                                                                                   \
    X(queryInputHysteresis)                                                                                  \
    X(confAutoTrigMode)                                                                                      \
    X(queryAutoTrigMode)                                                                                     \
    X(confMinAutoTrigFreq)                                                                                   \
    X(queryMinAutoTrigFreq)                                                                                  \
    X(confArming)                                                                                            \
    X(queryArming)                                                                                           \
    X(confArmingLevel)                                                                                       \
    X(queryArmingLevel)                                                                                      \
    X(confExtArmMode)                                                                                        \
    X(queryExtArmMode)                                                                                       \
    X(confExtArmHysteresis)                                                                                  \
    X(queryExtArmHysteresis)                                                                                 \
    X(confDelay)                                                                                             \
    X(queryDelay)                                                                                            \
    X(outputGate)                                                                                            \
    X(queryOutputGate)                                                                                       \
    X(openCloseGate)                                                                                         \
    X(triggerContinuous)                                                                                     \
    X(abortMeasurement)                                                                                      \
    X(clearAccCount)                                                                                         \
    X(fetch)                                                                                                 \
    X(read)                                                                                                  \
    X(mathCalculation)                                                                                       \
    X(queryMathCalculation)                                                                                  \
    X(setSystTimeout)                                                                                        \
    X(readSystTimeout)                                                                                       \
    X(SetInterruptMask)                                                                                      \
    X(SetInterruptLevel)                                                                                     \
    X(queryPostResult)                                                                                       \
    X(resetCounter)                                                                                          \
    X(testCounter)                                                                                           \
    X(write_command_and_data)                                                                                \
    X(confCalibrationDAC)                                                                                    \
    X(queryCalibrationDAC)                                                                                   \
    X(WriteCounterCalibrationData)                                                                           \
    X(confModuleData)                                                                                        \
    X(queryModuleData)                                                                                       \
    X(WriteModuleData)

// The library's export of an operation: our declaration's type with the
// library calling convention.
template <typename F> struct LibraryFunction;
template <typename R, typename... A> struct LibraryFunction<R (*)(A...)> {
    using Type = R(VI_LIBRARY_CALL *)(A...);
};

// The maker's library, all of its operations resolved, or none.
struct Library {
    void *handle = nullptr;
#define KQ3917E_LIBRARY_MEMBER(op) LibraryFunction<decltype(&::kq3917e_##op)>::Type op = nullptr;
    KQ3917E_OPERATIONS(KQ3917E_LIBRARY_MEMBER)
#undef KQ3917E_LIBRARY_MEMBER
};

struct Seam {
    bool active = false; // any of the below in force
    bool recording = false;
    std::vector<drvtest::Call> calls;
    std::map<std::string, ViStatus, std::less<>> refusals;
    std::optional<ViStatus> refuseAll;
};

struct Driver {
    enum class Lookup { NotYet, Loaded, Absent };
    Lookup lookup = Lookup::NotYet;
    Library library;
    // The first operation that a maker's library found incomplete lacked.
    const char *missingOperation = nullptr;
    bool simulating = false;
    uctsim::Module module;
    Seam seam;
};

Driver &driver();
// Looks the maker's library up on first use; true while it is loaded.
bool libraryLoaded(Driver &d);
void unloadLibrary(Driver &d);

// ---- test seam path (only taken while a test has switched the seam on)

inline void appendArg(std::string &out, const char *text)
{
    out += text != nullptr ? "\"" + std::string(text) + "\"" : std::string("NULL");
}
inline void appendArg(std::string &out, double value)
{
    // As "%g", but with the decimal point whatever the C locale.
    char buf[32];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6).ptr);
}
template <typename T> void appendArg(std::string &out, T value)
{
    static_assert(std::is_integral_v<T>);
    out += std::to_string(value);
}

template <typename T>
constexpr bool isOutput = std::is_pointer_v<T> && !std::is_const_v<std::remove_pointer_t<T>>;

template <typename... A> std::string formatArgs(A... args)
{
    std::string out;
    [[maybe_unused]] auto one = [&out](auto arg) {
        if constexpr (!isOutput<decltype(arg)>) {
            if (!out.empty()) {
                out += ',';
            }
            appendArg(out, arg);
        }
    };
    (one(args), ...);
    return out;
}

// `refusable`: whether RefuseAll applies (not to simulate, error_message,
// close). A named refusal applies to every operation.
template <typename Body, typename... A>
ViStatus seamCall(Seam &seam, const char *name, ViSession session, bool refusable, Body body, A... args)
{
    std::optional<ViStatus> refusal;
    if (auto it = seam.refusals.find(name); it != seam.refusals.end()) {
        refusal = it->second;
    } else if (refusable) {
        refusal = seam.refuseAll;
    }
    ViStatus status;
    if (refusal && *refusal < 0) {
        status = *refusal;
    } else {
        status = body();
        if (refusal && status >= 0) {
            status = *refusal;
        }
    }
    if (seam.recording) {
        seam.calls.push_back({name, formatArgs(args...), session, status, std::this_thread::get_id()});
    }
    return status;
}

// ---- the common path of the ordinary operations

template <auto Forward, auto Simulate, typename... A> ViStatus answer(Driver &d, ViSession session, A... args)
{
    if (libraryLoaded(d)) {
        return (d.library.*Forward)(session, args...);
    }
    if (!d.simulating) {
        return VI_ERROR_INV_OBJECT;
    }
    return (d.module.*Simulate)(args...);
}

// Every operation runs on the instrument thread; the body sees copies of the
// arguments when the call may be abandoned.
template <instr::Kind kind, auto Forward, auto Simulate, typename... A>
ViStatus dispatch(const char *name, ViSession session, A... args)
{
    return instr::call<kind>(
        [name, session](A... a) {
            Driver &d = driver();
            if (d.seam.active) [[unlikely]] {
                return seamCall(
                    d.seam, name, session, true, [&] { return answer<Forward, Simulate>(d, session, a...); },
                    a...);
            }
            return answer<Forward, Simulate>(d, session, a...);
        },
        args...);
}

} // namespace kqdispatch
