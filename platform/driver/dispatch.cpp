// SPDX-License-Identifier: GPL-3.0-or-later
// Loading of the maker's library, the session operations and the test seam.
#include "dispatch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstring>

namespace kqdispatch
{
namespace
{

#ifdef _WIN32
const char *const kLibraryName = sizeof(void *) == 8 ? "kq3917e_64.dll" : "kq3917e_32.dll";
void *openLibrary()
{
    return reinterpret_cast<void *>(LoadLibraryA(kLibraryName));
}
void *librarySymbol(void *handle, const char *name)
{
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void closeLibrary(void *handle)
{
    FreeLibrary(static_cast<HMODULE>(handle));
}
#else
// RTLD_LOCAL and lookups through the handle: the library's symbols never
// interpose ours, nor ours its.
const char *const kLibraryName = "libkq3917e.so";
void *openLibrary()
{
    return dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
}
void *librarySymbol(void *handle, const char *name)
{
    return dlsym(handle, name);
}
void closeLibrary(void *handle)
{
    dlclose(handle);
}
#endif

template <typename Fn> bool resolve(void *handle, const char *name, Fn &fn)
{
    void *symbol = librarySymbol(handle, name);
    std::memcpy(&fn, &symbol, sizeof fn);
    return symbol != nullptr;
}

// A library that lacks any operation is not used; `missing` names the first
// operation it lacks, so that the report can say what is wrong with it.
bool loadLibrary(Library &lib, const char **missing)
{
    *missing = nullptr;
    lib.handle = openLibrary();
    if (lib.handle == nullptr) {
        return false;
    }
#define KQ3917E_RESOLVE(op)                                                                                  \
    if (!resolve(lib.handle, "kq3917e_" #op, lib.op) && *missing == nullptr) {                               \
        *missing = "kq3917e_" #op;                                                                           \
    }
    KQ3917E_OPERATIONS(KQ3917E_RESOLVE)
#undef KQ3917E_RESOLVE
    if (*missing != nullptr) {
        closeLibrary(lib.handle);
        lib = Library{};
    }
    return *missing == nullptr;
}

constexpr ViSession kSimulatedSession = 1;

// The session operations, on the instrument thread like every other.
template <typename Body, typename... A>
ViStatus guarded(const char *name, ViSession session, bool refusable, Body body, A... args)
{
    return instr::call<instr::Kind::Setting>(
        [=](A... a) {
            Driver &d = driver();
            if (d.seam.active) [[unlikely]] {
                return seamCall(
                    d.seam, name, session, refusable, [&] { return body(a...); }, a...);
            }
            return body(a...);
        },
        args...);
}

void updateSeamActive(Seam &seam)
{
    seam.active = seam.recording || !seam.refusals.empty() || seam.refuseAll.has_value();
}

} // namespace

Driver &driver()
{
    static Driver d;
    return d;
}

bool libraryLoaded(Driver &d)
{
    if (d.lookup == Driver::Lookup::NotYet) [[unlikely]] {
        d.lookup =
            loadLibrary(d.library, &d.missingOperation) ? Driver::Lookup::Loaded : Driver::Lookup::Absent;
    }
    return d.lookup == Driver::Lookup::Loaded;
}

void unloadLibrary(Driver &d)
{
    if (d.lookup == Driver::Lookup::Loaded) {
        closeLibrary(d.library.handle);
    }
    d.library = Library{};
    d.missingOperation = nullptr;
    d.lookup = Driver::Lookup::NotYet;
}

} // namespace kqdispatch

using namespace kqdispatch;

ViStatus kq3917e_simulate(ViInt16 enable)
{
    return guarded(
        "kq3917e_simulate", 0, false,
        [](ViInt16 enable) {
            Driver &d = driver();
            if (libraryLoaded(d)) {
                return d.library.simulate(enable);
            }
            if (enable != 0 && enable != 1) {
                return KQ3917E_ERROR_SWITCH;
            }
            d.simulating = enable == 1;
            return VI_SUCCESS;
        },
        enable);
}

ViStatus kq3917e_init(ViConstRsrc resourceName, ViBoolean idQuery, ViBoolean reset, ViSession *session)
{
    return guarded(
        "kq3917e_init", 0, true,
        [](ViConstRsrc resourceName, ViBoolean idQuery, ViBoolean reset, ViSession *session) {
            Driver &d = driver();
            if (libraryLoaded(d)) {
                return d.library.init(resourceName, idQuery, reset, session);
            }
            if (session == nullptr) {
                return KQ3917E_ERROR_NULL_POINTER;
            }
            *session = 0;
            if (!d.simulating) {
                return d.missingOperation != nullptr ? KQ3917E_ERROR_LIBRARY_INCOMPLETE
                                                     : KQ3917E_ERROR_NOT_INSTALLED;
            }
            *session = kSimulatedSession;
            return reset ? d.module.reset() : VI_SUCCESS;
        },
        resourceName, idQuery, reset, session);
}

ViStatus kq3917e_close(ViSession session)
{
    return guarded("kq3917e_close", session, false, [session] {
        Driver &d = driver();
        if (libraryLoaded(d)) {
            return d.library.close(session);
        }
        return d.simulating ? VI_SUCCESS : VI_ERROR_INV_OBJECT;
    });
}

ViStatus kq3917e_error_message(ViSession session, ViStatus status, ViChar message[KQ3917E_MESSAGE_SIZE])
{
    return guarded(
        "kq3917e_error_message", session, false,
        [session](ViStatus status, ViChar *message) {
            Driver &d = driver();
            // The maker's library knows nothing of a call the user abandoned.
            if (libraryLoaded(d) && status != KQ3917E_ERROR_ABORTED) {
                return d.library.error_message(session, status, message);
            }
            if (message == nullptr) {
                return KQ3917E_ERROR_NULL_POINTER;
            }
            if (status == KQ3917E_ERROR_NOT_INSTALLED) {
                std::snprintf(
                    message, KQ3917E_MESSAGE_SIZE,
                    "The module maker's driver library (%s) is not installed; only demonstration mode "
                    "is available.",
                    kLibraryName);
            } else if (status == KQ3917E_ERROR_LIBRARY_INCOMPLETE) {
                // The operation comes first: start-up reports show 80 characters.
                std::snprintf(
                    message, KQ3917E_MESSAGE_SIZE,
                    "The maker's driver library lacks %s (%s); only demonstration mode is available.",
                    d.missingOperation != nullptr ? d.missingOperation : "an operation", kLibraryName);
            } else {
                uctsim::statusMessage(status, message);
            }
            return VI_SUCCESS;
        },
        status, message);
}

// ---- test seam

namespace drvtest
{

namespace
{
// The driver once no abandoned call is still using it on the instrument thread.
Driver &idleDriver()
{
    instr::waitIdle();
    return driver();
}
} // namespace

void StartRecording()
{
    Seam &seam = idleDriver().seam;
    seam.recording = true;
    seam.calls.clear();
    updateSeamActive(seam);
}

void StopRecording()
{
    Seam &seam = idleDriver().seam;
    seam.recording = false;
    updateSeamActive(seam);
}

const std::vector<Call> &Calls()
{
    return idleDriver().seam.calls;
}

void ClearCalls()
{
    idleDriver().seam.calls.clear();
}

void Refuse(const std::string &name, ViStatus status)
{
    Seam &seam = idleDriver().seam;
    seam.refusals[name] = status;
    updateSeamActive(seam);
}

void RefuseAll(ViStatus status)
{
    Seam &seam = idleDriver().seam;
    seam.refuseAll = status;
    updateSeamActive(seam);
}

void ClearRefusals()
{
    Seam &seam = idleDriver().seam;
    seam.refusals.clear();
    seam.refuseAll.reset();
    updateSeamActive(seam);
}

void ResetDriver()
{
    Driver &d = idleDriver();
    unloadLibrary(d);
    d.lookup = Driver::Lookup::Absent;
    d.simulating = false;
    d.module = uctsim::Module{};
    d.module.setClock([] { return 0.0; });
    d.seam = Seam{};
}

void ReloadDriverLibrary()
{
    unloadLibrary(idleDriver());
}

void SetSimClock(std::function<double()> now)
{
    idleDriver().module.setClock(std::move(now));
}

void SetSimSeed(std::uint64_t seed)
{
    idleDriver().module.setSeed(seed);
}

uctsim::Module &SimModule()
{
    return idleDriver().module;
}

} // namespace drvtest
