// SPDX-License-Identifier: GPL-3.0-or-later
// Description of a simulated PXI chassis, as the UCT_SIMKIT_CHASSIS
// environment variable gives it (syntax in README.md).
#pragma once

#include "uctsim.h"
#include "visa.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simkit
{

// The maker's PCI vendor identifier and model code that the stand-in driver
// accepts on an identification query; also the defaults of a device.
constexpr ViUInt16 kMakerVendorId = 0x1A2B;
constexpr ViUInt16 kModelCode = 1;

// One device of the chassis with its fault switches.
struct Device {
    std::string descriptor;
    ViUInt16 slot = 0;
    ViUInt16 vendor = kMakerVendorId;
    ViUInt16 model = kModelCode;
    std::uint64_t seed = 1;
    std::optional<ViStatus> openFail;  // viOpen fails with this status
    std::optional<ViStatus> slotFail;  // reading VI_ATTR_SLOT fails with this status
    std::optional<ViStatus> initFail;  // kq3917e_init fails with this status
    std::optional<ViStatus> initWarn;  // kq3917e_init succeeds with this warning
    std::optional<long> answers;       // the module stops answering after this many calls
    std::optional<int> refusedBlock;   // firmware block refused ...
    ViUInt16 refusedCode = 4;          // ... with this module error code
    std::optional<int> mailboxLatency; // busy answers before each mailbox response
    struct MailboxFault {
        uctsim::MailboxStep step;
        int block;
        ViStatus status;
    };
    std::optional<MailboxFault> mailboxFault; // one step of one firmware block fails
};

struct Chassis {
    std::vector<Device> devices;
    std::string error; // why the description is malformed; empty when it is sound
};

// Parses a description; on a malformed one `error` says where and no device
// is listed.
Chassis parseChassis(const std::string &text);

// VISA resource expression match (case-insensitive): '?' any one character,
// '*' and '+' zero or more, one or more of the preceding element, [set] with
// ranges and a leading '^' for negation, '\' quotes the next character.
bool matchesExpression(const char *expression, const char *text);

} // namespace simkit
