// SPDX-License-Identifier: GPL-3.0-or-later
#include "uctsim.h"

#include <cstdio>
#include <utility>

namespace uctsim
{
namespace
{

const std::pair<ViStatus, const char *> kMessages[] = {
    {VI_SUCCESS, "Success."},
    // The module's and the built-in driver's own.
    {KQ3917E_ERROR_NULL_POINTER, "A required output or text argument is a null pointer."},
    {KQ3917E_ERROR_NO_TRIGGER, "No trigger came within the system timeout."},
    {KQ3917E_ERROR_NOT_TRIGGERED, "No measurement is running: start continuous triggering before fetching."},
    {KQ3917E_ERROR_UNKNOWN_COMMAND, "The module does not know this command code."},
    {KQ3917E_ERROR_TEXT_TOO_LONG, "Module data text too long (at most 255 characters)."},
    {KQ3917E_ERROR_ABORTED, "Aborted by the user: the call's result was discarded."},
    {KQ3917E_ERROR_FUNCTION, "Measurement function code out of range (0 to 24)."},
    {KQ3917E_ERROR_APERTURE, "Aperture out of range (1 to 10000000 microseconds)."},
    {KQ3917E_ERROR_RESOLUTION, "Resolution out of range (6 to 13 digits, or 0 to keep the aperture)."},
    {KQ3917E_ERROR_AVERAGING, "Averaging must be 0 (off) or 1 (on)."},
    {KQ3917E_ERROR_STANDARD, "Frequency standard code out of range (0 to 2)."},
    {KQ3917E_ERROR_CHANNEL, "Input channel must be 1 or 2."},
    {KQ3917E_ERROR_IMPEDANCE, "Input impedance code must be 0 or 1."},
    {KQ3917E_ERROR_COUPLING, "Input coupling code must be 0 or 1."},
    {KQ3917E_ERROR_FILTER, "Input filter code must be 0 or 1."},
    {KQ3917E_ERROR_COMMON_INPUT, "Common input flag must be 0 (separate) or 1 (common)."},
    {KQ3917E_ERROR_ATTENUATION, "Attenuation code out of range (0 to 2)."},
    {KQ3917E_ERROR_LEVEL, "Trigger level outside the range of the attenuation "
                          "(x1: 5.1 V, x10: 51 V, code 2: 204 V, either sign)."},
    {KQ3917E_ERROR_SLOPE, "Slope code must be 0 or 1."},
    {KQ3917E_ERROR_HYSTERESIS, "Hysteresis code must be 0 or 1."},
    {KQ3917E_ERROR_TRIGGER_MODE, "Trigger mode out of range (1 manual, 2 or 3 automatic)."},
    {KQ3917E_ERROR_AUTO_TRIGGER_FREQ, "Minimum auto-trigger frequency code must be 0 or 1."},
    {KQ3917E_ERROR_ARM_SOURCE, "Arm source code out of range (0 to 10)."},
    {KQ3917E_ERROR_ARM_LEVEL, "External arm level out of range (-5 V to +5 V)."},
    {KQ3917E_ERROR_ARM_MODE, "External arm mode must be 0 or 1."},
    {KQ3917E_ERROR_DELAY, "Time interval delay: enable must be 0 or 1 and the delay 0 to 10 seconds."},
    {KQ3917E_ERROR_GATE_OUTPUT, "Gate output code out of range (0 to 15)."},
    {KQ3917E_ERROR_GATE, "Gate selector must be 1 (the manual totalize gate)."},
    {KQ3917E_ERROR_SWITCH, "On/off argument must be 0 or 1."},
    {KQ3917E_ERROR_MATH, "Math calculation: flags and enable must be 0 or 1, values within +/-1E+09."},
    {KQ3917E_ERROR_TIMEOUT_VALUE, "System timeout out of range (1 to 3600000 milliseconds)."},
    {KQ3917E_ERROR_INTERRUPT_LEVEL, "Interrupt level out of range (0 to 7)."},
    {KQ3917E_ERROR_DAC_INDEX, "Calibration DAC index out of range (1 to 14)."},
    {KQ3917E_ERROR_DAC_CODE,
     "Calibration DAC code out of range (threshold DACs 0 to 255, others 0 to 4095)."},
    {KQ3917E_ERROR_MODULE_DATA_ITEM, "Module data item out of range (1 to 8)."},
    // VISA.
    {VI_WARN_CONFIG_NLOADED, "The VISA configuration could not be loaded; defaults are in use."},
    {VI_WARN_NSUP_ATTR_STATE, "The attribute value is not supported but the operation went on."},
    {VI_ERROR_SYSTEM_ERROR, "The VISA system failed in an unknown way."},
    {VI_ERROR_INV_OBJECT, "The session is not valid: open the instrument first."},
    {VI_ERROR_RSRC_LOCKED, "Another session holds a lock on this resource."},
    {VI_ERROR_INV_EXPR, "The resource search expression is malformed."},
    {VI_ERROR_RSRC_NFOUND, "Insufficient location information or the requested device or resource is not "
                           "present in the system."},
    {VI_ERROR_INV_RSRC_NAME, "The resource name is malformed."},
    {VI_ERROR_INV_ACC_MODE, "The access mode is not valid."},
    {VI_ERROR_TMO, "Timeout expired before the operation completed."},
    {VI_ERROR_CLOSING_FAILED, "The session could not be closed."},
    {VI_ERROR_NSUP_ATTR, "The attribute is not supported by this resource."},
    {VI_ERROR_NSUP_ATTR_STATE, "The attribute value is not supported by this resource."},
    {VI_ERROR_ATTR_READONLY, "The attribute can only be read."},
    {VI_ERROR_INV_SPACE, "The address space is not valid."},
    {VI_ERROR_INV_OFFSET, "The register offset is not valid for this address space."},
    {VI_ERROR_NSUP_OPER, "The resource does not support this operation."},
    {VI_ERROR_INV_PARAMETER, "A parameter of the operation is not valid."},
    {VI_ERROR_ALLOC, "Not enough memory for the operation."},
    {VI_ERROR_NSUP_OFFSET, "The register offset cannot be reached with this access."},
    {VI_ERROR_NSUP_WIDTH, "The access width is not supported."},
    {VI_ERROR_INV_SETUP, "The settings are inconsistent, so the operation cannot start."},
    {VI_ERROR_LIBRARY_NFOUND, "No VISA library is installed, or one of its components could not be loaded."},
};

const char *firmwareReason(ViUInt16 code)
{
    switch (code) {
    case kFirmwareChecksum:
        return ": checksum mismatch";
    case kFirmwareByteCount:
        return ": byte count out of range";
    case kFirmwareSequence:
        return ": block out of sequence";
    case kFirmwareFlashWrite:
        return ": flash programming failed";
    default:
        return "";
    }
}

} // namespace

void statusMessage(ViStatus status, ViChar text[KQ3917E_MESSAGE_SIZE])
{
    for (const auto &[code, message] : kMessages) {
        if (code == status) {
            std::snprintf(text, KQ3917E_MESSAGE_SIZE, "%s", message);
            return;
        }
    }
    // Firmware errors carry the module's 16-bit code above the base.
    long long firmwareCode = static_cast<long long>(status) - KQ3917E_FIRMWARE_ERROR_BASE;
    if (firmwareCode >= 0 && firmwareCode <= 0xFFFF) {
        auto code = static_cast<ViUInt16>(firmwareCode);
        std::snprintf(text, KQ3917E_MESSAGE_SIZE, "Firmware update: block refused by module (code %d%s).",
                      code, firmwareReason(code));
        return;
    }
    std::snprintf(text, KQ3917E_MESSAGE_SIZE, "Unknown status code 0x%08X", static_cast<unsigned>(status));
}

} // namespace uctsim
