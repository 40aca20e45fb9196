// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled (syntax only) for 32-bit Windows by a CTest entry: every VISA and
// maker's-driver function that the loaders call through a pointer must use
// stdcall there, as those libraries do. Not part of any build target.
#include "visa.cpp" // the VISA loader's function types live in its unnamed namespace

#include "dispatch.h"

#include <type_traits>

template <typename F> constexpr bool isStdcall = false;
template <typename R, typename... A> constexpr bool isStdcall<R(__stdcall *)(A...)> = true;

static_assert(isStdcall<OpenDefaultRMFn> && isStdcall<FindRsrcFn> && isStdcall<FindNextFn> &&
              isStdcall<OpenFn> && isStdcall<CloseFn> && isStdcall<GetAttributeFn> && isStdcall<In16Fn> &&
              isStdcall<Out16Fn>);
static_assert(std::is_same_v<decltype(Api::open), OpenFn> && std::is_same_v<decltype(Api::out16), Out16Fn>);

#define CHECK_LIBRARY_CALL(op)                                                                               \
    static_assert(isStdcall<decltype(kqdispatch::Library::op)>, "kq3917e_" #op " is not called as stdcall");
KQ3917E_OPERATIONS(CHECK_LIBRARY_CALL)
