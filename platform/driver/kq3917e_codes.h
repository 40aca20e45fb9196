// SPDX-License-Identifier: GPL-3.0-or-later
// Constants and status codes of the 3917 driver, without its function
// declarations, so that a stand-in driver that defines the operations with C
// linkage can share them.
#pragma once

#include "visa.h"

// Sizes of the texts that the driver writes; it never writes more.
#define KQ3917E_MESSAGE_SIZE 256      // error messages
#define KQ3917E_REVISION_SIZE 256     // each revision text
#define KQ3917E_MODULE_DATA_SIZE 1024 // module data texts, terminator included

// Command code of the firmware update mailbox.
#define KQ3917E_CMD_UPDATE_FIRMWARE 0xF000
// Module firmware error statuses: KQ3917E_FIRMWARE_ERROR_BASE + code.
#define KQ3917E_FIRMWARE_ERROR_BASE ((ViStatus)(0xBFFC0800L - 0x100000000LL))

// Errors of the built-in driver and of the simulated module. Each has its own
// text from kq3917e_error_message. A trigger that does not come within the
// system timeout is the module's answer KQ3917E_ERROR_NO_TRIGGER; a module that
// does not answer at all gives a VISA status (VI_ERROR_TMO); an unknown
// session is VI_ERROR_INV_OBJECT.
#define KQ3917E_ERROR_BASE ((ViStatus)(0xBFFC0000L - 0x100000000LL))
#define KQ3917E_ERROR_NOT_INSTALLED (KQ3917E_ERROR_BASE + 0x01)
#define KQ3917E_ERROR_NULL_POINTER (KQ3917E_ERROR_BASE + 0x02)
#define KQ3917E_ERROR_NOT_TRIGGERED (KQ3917E_ERROR_BASE + 0x03)
#define KQ3917E_ERROR_UNKNOWN_COMMAND (KQ3917E_ERROR_BASE + 0x04)
#define KQ3917E_ERROR_TEXT_TOO_LONG (KQ3917E_ERROR_BASE + 0x05)
#define KQ3917E_ERROR_LIBRARY_INCOMPLETE (KQ3917E_ERROR_BASE + 0x06)
#define KQ3917E_ERROR_NO_TRIGGER (KQ3917E_ERROR_BASE + 0x07)
// Aborted by the user: ABORT during a call in flight made it return at once;
// the module's own answer, when it comes, is discarded. Never returned by
// the maker's library or the module, only by the program's hand-off to the
// instrument thread (driver and VISA calls alike).
#define KQ3917E_ERROR_ABORTED (KQ3917E_ERROR_BASE + 0x08)
#define KQ3917E_ERROR_FUNCTION (KQ3917E_ERROR_BASE + 0x10)
#define KQ3917E_ERROR_APERTURE (KQ3917E_ERROR_BASE + 0x11)
#define KQ3917E_ERROR_RESOLUTION (KQ3917E_ERROR_BASE + 0x12)
#define KQ3917E_ERROR_AVERAGING (KQ3917E_ERROR_BASE + 0x13)
#define KQ3917E_ERROR_STANDARD (KQ3917E_ERROR_BASE + 0x14)
#define KQ3917E_ERROR_CHANNEL (KQ3917E_ERROR_BASE + 0x15)
#define KQ3917E_ERROR_IMPEDANCE (KQ3917E_ERROR_BASE + 0x16)
#define KQ3917E_ERROR_COUPLING (KQ3917E_ERROR_BASE + 0x17)
#define KQ3917E_ERROR_FILTER (KQ3917E_ERROR_BASE + 0x18)
#define KQ3917E_ERROR_COMMON_INPUT (KQ3917E_ERROR_BASE + 0x19)
#define KQ3917E_ERROR_ATTENUATION (KQ3917E_ERROR_BASE + 0x1A)
#define KQ3917E_ERROR_LEVEL (KQ3917E_ERROR_BASE + 0x1B)
#define KQ3917E_ERROR_SLOPE (KQ3917E_ERROR_BASE + 0x1C)
#define KQ3917E_ERROR_HYSTERESIS (KQ3917E_ERROR_BASE + 0x1D)
#define KQ3917E_ERROR_TRIGGER_MODE (KQ3917E_ERROR_BASE + 0x1E)
#define KQ3917E_ERROR_AUTO_TRIGGER_FREQ (KQ3917E_ERROR_BASE + 0x1F)
#define KQ3917E_ERROR_ARM_SOURCE (KQ3917E_ERROR_BASE + 0x20)
#define KQ3917E_ERROR_ARM_LEVEL (KQ3917E_ERROR_BASE + 0x21)
#define KQ3917E_ERROR_ARM_MODE (KQ3917E_ERROR_BASE + 0x22)
#define KQ3917E_ERROR_DELAY (KQ3917E_ERROR_BASE + 0x23)
#define KQ3917E_ERROR_GATE_OUTPUT (KQ3917E_ERROR_BASE + 0x24)
#define KQ3917E_ERROR_GATE (KQ3917E_ERROR_BASE + 0x25)
#define KQ3917E_ERROR_SWITCH (KQ3917E_ERROR_BASE + 0x26)
#define KQ3917E_ERROR_MATH (KQ3917E_ERROR_BASE + 0x27)
#define KQ3917E_ERROR_TIMEOUT_VALUE (KQ3917E_ERROR_BASE + 0x28)
#define KQ3917E_ERROR_INTERRUPT_LEVEL (KQ3917E_ERROR_BASE + 0x29)
#define KQ3917E_ERROR_DAC_INDEX (KQ3917E_ERROR_BASE + 0x2A)
#define KQ3917E_ERROR_DAC_CODE (KQ3917E_ERROR_BASE + 0x2B)
#define KQ3917E_ERROR_MODULE_DATA_ITEM (KQ3917E_ERROR_BASE + 0x2C)
