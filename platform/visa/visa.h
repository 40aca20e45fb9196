// SPDX-License-Identifier: GPL-3.0-or-later
// The VISA subset that the program calls. The installed VISA library is
// loaded at run time on first use; without one, viOpenDefaultRM returns
// VI_ERROR_LIBRARY_NFOUND and every other call an error.
#pragma once

#include <cstdint>

typedef int32_t ViInt32;
typedef uint32_t ViUInt32;
typedef int16_t ViInt16;
typedef uint16_t ViUInt16;
typedef int8_t ViInt8;
typedef uint8_t ViUInt8;
typedef char ViChar;
typedef double ViReal64;
typedef ViUInt16 ViBoolean;
typedef ViInt32 ViStatus;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViObject ViFindList;
typedef ViUInt32 ViAttr;
typedef ViUInt32 ViAccessMode;
typedef const ViChar *ViConstRsrc;
typedef const ViChar *ViConstString;
typedef ViChar *ViRsrc;
typedef ViChar *ViString;
typedef void *ViAddr;
typedef ViAddr ViAttrState_ptr;
// A bus address is as wide as a pointer: 64-bit in a 64-bit build.
#if UINTPTR_MAX > 0xFFFFFFFFu
typedef uint64_t ViBusAddress;
#else
typedef uint32_t ViBusAddress;
#endif

// Calling convention of the functions that the VISA library and the module
// maker's driver library export: stdcall on 32-bit Windows, where calling
// them through a pointer of another convention corrupts the stack on every
// call; elsewhere there is only the one convention.
#if defined(_WIN32) && !defined(_WIN64)
#define VI_LIBRARY_CALL __stdcall
#else
#define VI_LIBRARY_CALL
#endif

#define VI_NULL 0
#define VI_TRUE 1
#define VI_FALSE 0
#define VI_FIND_BUFLEN 256

#define VI_SUCCESS ((ViStatus)0)

// Attributes
#define VI_ATTR_RSRC_SPEC_VERSION ((ViAttr)0x3FFF0170UL)
#define VI_ATTR_RSRC_NAME ((ViAttr)0xBFFF0002UL)
#define VI_ATTR_MANF_ID ((ViAttr)0x3FFF00D9UL)
#define VI_ATTR_MODEL_CODE ((ViAttr)0x3FFF00DFUL)
#define VI_ATTR_SLOT ((ViAttr)0x3FFF00E8UL)

// Address spaces
#define VI_PXI_CFG_SPACE ((ViUInt16)10)
#define VI_PXI_BAR0_SPACE ((ViUInt16)11)

// Completion and warning codes
#define VI_WARN_CONFIG_NLOADED ((ViStatus)0x3FFF0077L)
#define VI_WARN_NSUP_ATTR_STATE ((ViStatus)0x3FFF0084L)

// Error codes (standard values)
#define VI_ERROR_SYSTEM_ERROR ((ViStatus)(0xBFFF0000L - 0x100000000LL))
#define VI_ERROR_INV_OBJECT ((ViStatus)(0xBFFF000EL - 0x100000000LL))
#define VI_ERROR_RSRC_LOCKED ((ViStatus)(0xBFFF000FL - 0x100000000LL))
#define VI_ERROR_INV_EXPR ((ViStatus)(0xBFFF0010L - 0x100000000LL))
#define VI_ERROR_RSRC_NFOUND ((ViStatus)(0xBFFF0011L - 0x100000000LL))
#define VI_ERROR_INV_RSRC_NAME ((ViStatus)(0xBFFF0012L - 0x100000000LL))
#define VI_ERROR_INV_ACC_MODE ((ViStatus)(0xBFFF0013L - 0x100000000LL))
#define VI_ERROR_TMO ((ViStatus)(0xBFFF0015L - 0x100000000LL))
#define VI_ERROR_CLOSING_FAILED ((ViStatus)(0xBFFF0016L - 0x100000000LL))
#define VI_ERROR_NSUP_ATTR ((ViStatus)(0xBFFF001DL - 0x100000000LL))
#define VI_ERROR_NSUP_ATTR_STATE ((ViStatus)(0xBFFF001EL - 0x100000000LL))
#define VI_ERROR_ATTR_READONLY ((ViStatus)(0xBFFF001FL - 0x100000000LL))
#define VI_ERROR_INV_SPACE ((ViStatus)(0xBFFF004EL - 0x100000000LL))
#define VI_ERROR_INV_OFFSET ((ViStatus)(0xBFFF0051L - 0x100000000LL))
#define VI_ERROR_NSUP_OPER ((ViStatus)(0xBFFF0067L - 0x100000000LL))
#define VI_ERROR_INV_PARAMETER ((ViStatus)(0xBFFF0078L - 0x100000000LL))
#define VI_ERROR_ALLOC ((ViStatus)(0xBFFF003CL - 0x100000000LL))
#define VI_ERROR_NSUP_OFFSET ((ViStatus)(0xBFFF0054L - 0x100000000LL))
#define VI_ERROR_NSUP_WIDTH ((ViStatus)(0xBFFF0076L - 0x100000000LL))
#define VI_ERROR_INV_SETUP ((ViStatus)(0xBFFF003AL - 0x100000000LL))
#define VI_ERROR_LIBRARY_NFOUND ((ViStatus)(0xBFFF009EL - 0x100000000LL))

ViStatus viOpenDefaultRM(ViSession *sesn);
ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViFindList *findList, ViUInt32 *retcnt,
                    ViChar desc[VI_FIND_BUFLEN]);
ViStatus viFindNext(ViFindList findList, ViChar desc[VI_FIND_BUFLEN]);
ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout, ViSession *vi);
ViStatus viClose(ViObject vi);
ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue);
ViStatus viIn16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 *val16);
ViStatus viOut16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 val16);
