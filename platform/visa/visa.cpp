// SPDX-License-Identifier: GPL-3.0-or-later
// Run-time loader of the installed VISA library. Every call is forwarded
// unchanged to the library's function of the same name.
#include "visa.h"
#include "instrthread.h"
#include "visa_testseam.h"

#include <array>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace
{

// Function types of the library's exports, which have C linkage and the
// library calling convention.
extern "C" {
typedef ViStatus(VI_LIBRARY_CALL *OpenDefaultRMFn)(ViSession *);
typedef ViStatus(VI_LIBRARY_CALL *FindRsrcFn)(ViSession, ViConstString, ViFindList *, ViUInt32 *, ViChar *);
typedef ViStatus(VI_LIBRARY_CALL *FindNextFn)(ViFindList, ViChar *);
typedef ViStatus(VI_LIBRARY_CALL *OpenFn)(ViSession, ViConstRsrc, ViAccessMode, ViUInt32, ViSession *);
typedef ViStatus(VI_LIBRARY_CALL *CloseFn)(ViObject);
typedef ViStatus(VI_LIBRARY_CALL *GetAttributeFn)(ViObject, ViAttr, void *);
typedef ViStatus(VI_LIBRARY_CALL *In16Fn)(ViSession, ViUInt16, ViBusAddress, ViUInt16 *);
typedef ViStatus(VI_LIBRARY_CALL *Out16Fn)(ViSession, ViUInt16, ViBusAddress, ViUInt16);
}

// Names tried in order; the first that loads and has every function wins.
#ifdef _WIN32
#if UINTPTR_MAX > 0xFFFFFFFFu
constexpr std::array kLibraryNames{"visa64.dll", "visa32.dll"};
#else
constexpr std::array kLibraryNames{"visa32.dll"};
#endif
#else
// The standard name, its versioned names, then other common VISA library names.
constexpr std::array kLibraryNames{"libvisa.so",     "libvisa.so.0",    "libvisa.so.1", "libvisa.so.2",
                                   "libvisa.so.3",   "libvisa.so.4",    "libvisa.so.5", "libvisa.so.6",
                                   "libvisa.so.7",   "libvisa.so.8",    "libvisa.so.9", "librsvisa.so",
                                   "libktvisa32.so", "libktvisa32.so.0"};
#endif

#ifdef _WIN32
using Handle = HMODULE;
Handle openLibrary(const char *name)
{
    return LoadLibraryA(name);
}
void *findSymbol(Handle lib, const char *name)
{
    return reinterpret_cast<void *>(GetProcAddress(lib, name));
}
void closeLibrary(Handle lib)
{
    FreeLibrary(lib);
}
#else
using Handle = void *;
Handle openLibrary(const char *name)
{
    return dlopen(name, RTLD_LOCAL | RTLD_NOW);
}
void *findSymbol(Handle lib, const char *name)
{
    return dlsym(lib, name);
}
void closeLibrary(Handle lib)
{
    dlclose(lib);
}
#endif

struct Api {
    OpenDefaultRMFn openDefaultRM = nullptr;
    FindRsrcFn findRsrc = nullptr;
    FindNextFn findNext = nullptr;
    OpenFn open = nullptr;
    CloseFn close = nullptr;
    GetAttributeFn getAttribute = nullptr;
    In16Fn in16 = nullptr;
    Out16Fn out16 = nullptr;
    std::string library; // the name that loaded, "" when none did
};

template <typename Fn> bool bind(Handle lib, const char *name, Fn &fn)
{
    fn = reinterpret_cast<Fn>(findSymbol(lib, name));
    return fn != nullptr;
}

// Binds every function of `lib`; false when one is missing.
bool bindAll(Handle lib, Api &api)
{
    return bind(lib, "viOpenDefaultRM", api.openDefaultRM) && bind(lib, "viFindRsrc", api.findRsrc) &&
           bind(lib, "viFindNext", api.findNext) && bind(lib, "viOpen", api.open) &&
           bind(lib, "viClose", api.close) && bind(lib, "viGetAttribute", api.getAttribute) &&
           bind(lib, "viIn16", api.in16) && bind(lib, "viOut16", api.out16);
}

Api load()
{
    for (const char *name : kLibraryNames) {
        Handle lib = openLibrary(name);
        if (!lib)
            continue;
        Api api;
        if (bindAll(lib, api)) {
            api.library = name;
            return api; // stays loaded for the life of the process
        }
        closeLibrary(lib);
    }
    return Api{};
}

// Loaded once, on first use; thread-safe.
const Api &visa()
{
    static const Api api = load();
    return api;
}

bool loaded()
{
    return !visa().library.empty();
}

// Every VISA call, the library's loading included, runs on the instrument
// thread beside the driver's; none is ever abandoned (the firmware mailbox
// goes through here).
template <typename Body> ViStatus onInstrumentThread(Body body)
{
    return instr::call<instr::Kind::Register>(body);
}

} // namespace

namespace visatest
{
const char *LoadedLibrary()
{
    onInstrumentThread([] { return loaded() ? VI_SUCCESS : VI_ERROR_LIBRARY_NFOUND; });
    return visa().library.c_str();
}
} // namespace visatest

ViStatus viOpenDefaultRM(ViSession *sesn)
{
    return onInstrumentThread([&] {
        if (!loaded()) {
            if (sesn)
                *sesn = VI_NULL;
            return VI_ERROR_LIBRARY_NFOUND;
        }
        return visa().openDefaultRM(sesn);
    });
}

ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViFindList *findList, ViUInt32 *retcnt,
                    ViChar desc[VI_FIND_BUFLEN])
{
    return onInstrumentThread([&] {
        if (!loaded()) {
            if (findList)
                *findList = VI_NULL;
            if (retcnt)
                *retcnt = 0;
            return VI_ERROR_LIBRARY_NFOUND;
        }
        return visa().findRsrc(sesn, expr, findList, retcnt, desc);
    });
}

ViStatus viFindNext(ViFindList findList, ViChar desc[VI_FIND_BUFLEN])
{
    return onInstrumentThread(
        [&] { return loaded() ? visa().findNext(findList, desc) : VI_ERROR_LIBRARY_NFOUND; });
}

ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout, ViSession *vi)
{
    return onInstrumentThread([&] {
        if (!loaded()) {
            if (vi)
                *vi = VI_NULL;
            return VI_ERROR_LIBRARY_NFOUND;
        }
        return visa().open(sesn, name, mode, timeout, vi);
    });
}

ViStatus viClose(ViObject vi)
{
    return onInstrumentThread([&] { return loaded() ? visa().close(vi) : VI_ERROR_LIBRARY_NFOUND; });
}

ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue)
{
    return onInstrumentThread(
        [&] { return loaded() ? visa().getAttribute(vi, attrName, attrValue) : VI_ERROR_LIBRARY_NFOUND; });
}

ViStatus viIn16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 *val16)
{
    return onInstrumentThread(
        [&] { return loaded() ? visa().in16(vi, space, offset, val16) : VI_ERROR_LIBRARY_NFOUND; });
}

ViStatus viOut16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 val16)
{
    return onInstrumentThread(
        [&] { return loaded() ? visa().out16(vi, space, offset, val16) : VI_ERROR_LIBRARY_NFOUND; });
}
