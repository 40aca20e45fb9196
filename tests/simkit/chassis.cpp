// SPDX-License-Identifier: GPL-3.0-or-later
#include "chassis.h"

#include <charconv>
#include <cstring>
#include <map>
#include <regex>
#include <sstream>

namespace simkit
{
namespace
{

std::string trim(const std::string &s)
{
    const auto begin = s.find_first_not_of(" \t");
    return begin == std::string::npos ? std::string()
                                      : s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
}

std::vector<std::string> split(const std::string &s, char separator)
{
    std::vector<std::string> parts;
    std::stringstream in(s);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(trim(part));
    return parts;
}

// A decimal (optionally negative) or 0x-hexadecimal integer, whole text,
// within [low, high].
std::optional<long long> parseInteger(const std::string &text, long long low, long long high)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *begin = text.data() + (hex ? 2 : 0), *end = text.data() + text.size();
    long long value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value, hex ? 16 : 10);
    if (ec != std::errc() || ptr != end || begin == end || value < low || value > high)
        return std::nullopt;
    return value;
}

// The status items with their defaults.
const std::map<std::string, std::pair<std::optional<ViStatus> Device::*, ViStatus>> kStatusItems = {
    {"openfail", {&Device::openFail, VI_ERROR_RSRC_LOCKED}},
    {"noslot", {&Device::slotFail, VI_ERROR_NSUP_ATTR}},
    {"initfail", {&Device::initFail, VI_ERROR_SYSTEM_ERROR}},
    {"initwarn", {&Device::initWarn, VI_WARN_CONFIG_NLOADED}}};

// Applies one "key" or "key=value" item to `device`; false when malformed.
bool applyItem(const std::string &key, const std::optional<std::string> &value, Device &device)
{
    if (auto item = kStatusItems.find(key); item != kStatusItems.end()) {
        // A status: signed decimal, or the 32 bits in hexadecimal (0xBFFF0011).
        auto status = value ? parseInteger(*value, INT32_MIN, UINT32_MAX) : item->second.second;
        device.*item->second.first =
            status ? std::optional(static_cast<ViStatus>(static_cast<std::uint32_t>(*status))) : std::nullopt;
        return status.has_value();
    }
    if (!value)
        return false;
    if (key == "refuseblock") {
        auto colon = value->find(':');
        auto block = parseInteger(value->substr(0, colon), 0, 0xFFFE);
        auto code = colon == std::string::npos ? std::optional<long long>(device.refusedCode)
                                               : parseInteger(value->substr(colon + 1), 0, 0xFFFF);
        if (!block || !code)
            return false;
        device.refusedBlock = static_cast<int>(*block);
        device.refusedCode = static_cast<ViUInt16>(*code);
        return true;
    }
    if (key == "mailboxfail") {
        // step:block[:status]
        static const std::map<std::string, uctsim::MailboxStep> steps = {
            {"data", uctsim::MailboxStep::Data},         {"number", uctsim::MailboxStep::BlockNumber},
            {"count", uctsim::MailboxStep::ByteCount},   {"command", uctsim::MailboxStep::Command},
            {"response", uctsim::MailboxStep::Response}, {"code", uctsim::MailboxStep::ErrorCode}};
        const std::vector<std::string> parts = split(*value, ':');
        auto step = parts.empty() ? steps.end() : steps.find(parts[0]);
        auto block = parts.size() > 1 ? parseInteger(parts[1], 0, 0xFFFE) : std::nullopt;
        auto status = parts.size() > 2 ? parseInteger(parts[2], INT32_MIN, UINT32_MAX)
                                       : std::optional<long long>(VI_ERROR_TMO);
        if (step == steps.end() || !block || !status || parts.size() > 3)
            return false;
        device.mailboxFault =
            Device::MailboxFault{step->second, static_cast<int>(*block),
                                 static_cast<ViStatus>(static_cast<std::uint32_t>(*status))};
        return true;
    }
    // A slot may be written as a signed 16-bit value.
    const bool field16 = key == "slot" || key == "vendor" || key == "model";
    const auto v = parseInteger(*value, key == "slot" ? -32768 : 0,
                                field16         ? 0xFFFF
                                : key == "seed" ? INT64_MAX
                                                : INT32_MAX);
    if (v && field16)
        (key == "slot"     ? device.slot
         : key == "vendor" ? device.vendor
                           : device.model) = static_cast<ViUInt16>(*v);
    else if (v && key == "seed")
        device.seed = static_cast<std::uint64_t>(*v);
    else if (v && key == "dieafter")
        device.answers = *v;
    else if (v && key == "latency")
        device.mailboxLatency = static_cast<int>(*v);
    else
        return false;
    return true;
}

} // namespace

Chassis parseChassis(const std::string &text)
{
    Chassis chassis;
    for (const std::string &entry : split(text, ';')) {
        if (entry.empty())
            continue;
        const std::vector<std::string> items = split(entry, ',');
        Device device;
        device.descriptor = items[0];
        device.slot = static_cast<ViUInt16>(2 + chassis.devices.size());
        device.seed = chassis.devices.size() + 1;
        if (device.descriptor.find("::") == std::string::npos)
            return Chassis{{}, "not a resource descriptor: \"" + device.descriptor + "\""};
        for (std::size_t i = 1; i < items.size(); ++i) {
            const auto equals = items[i].find('=');
            const auto value =
                equals == std::string::npos ? std::nullopt : std::optional(trim(items[i].substr(equals + 1)));
            if (!applyItem(trim(items[i].substr(0, equals)), value, device))
                return Chassis{{}, "bad item \"" + items[i] + "\" of " + device.descriptor};
        }
        chassis.devices.push_back(device);
    }
    return chassis;
}

// Translated to an ECMAScript expression: '?' any one character, '*' and '+'
// after an element as they are, a [set] as it is, every other character
// literal.
bool matchesExpression(const char *expression, const char *text)
{
    std::string pattern;
    bool element = false; // a quantifier may follow
    for (const char *p = expression; *p; ++p) {
        const char *close = *p == '[' ? std::strchr(p + 1 + (p[1] == '^'), ']') : nullptr;
        if ((*p == '*' || *p == '+') && element) {
            pattern += *p;
            element = false;
            continue;
        }
        element = true;
        if (close) {
            for (; p < close; ++p)
                pattern += *p == '\\' ? "\\\\" : std::string(1, *p);
            pattern += ']';
        } else if (*p == '?') {
            pattern += '.';
        } else {
            if (*p == '\\' && p[1])
                ++p;
            pattern += std::strchr("^$\\.*+?()[]{}|/", *p) ? "\\" : "";
            pattern += *p;
        }
    }
    try {
        return std::regex_match(text, std::regex(pattern, std::regex::ECMAScript | std::regex::icase));
    } catch (const std::regex_error &) {
        return false;
    }
}

} // namespace simkit
