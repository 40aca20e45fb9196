// SPDX-License-Identifier: GPL-3.0-or-later
#include "chassis.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <sstream>

namespace simkit
{
namespace
{

std::string trim(const std::string &s)
{
    const auto begin = s.find_first_not_of(" \t");
    const auto end = s.find_last_not_of(" \t");
    return begin == std::string::npos ? std::string() : s.substr(begin, end - begin + 1);
}

std::vector<std::string> split(const std::string &s, char separator)
{
    std::vector<std::string> parts;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, separator))
        parts.push_back(trim(part));
    return parts;
}

// A decimal (optionally negative) or 0x-hexadecimal integer, whole text.
std::optional<long long> parseInteger(const std::string &text)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *begin = text.data() + (hex ? 2 : 0);
    const char *end = text.data() + text.size();
    long long value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value, hex ? 16 : 10);
    if (ec != std::errc() || ptr != end || begin == end)
        return std::nullopt;
    return value;
}

// A status: signed decimal, or the 32 bits in hexadecimal (0xBFFF0011).
std::optional<ViStatus> parseStatus(const std::string &text)
{
    auto value = parseInteger(text);
    if (!value || *value < INT32_MIN || *value > UINT32_MAX)
        return std::nullopt;
    return static_cast<ViStatus>(static_cast<std::uint32_t>(*value));
}

std::optional<long long> parseRange(const std::string &text, long long low, long long high)
{
    auto value = parseInteger(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

// Applies one "key" or "key=value" item to `device`; false when malformed.
bool applyItem(const std::string &key, const std::optional<std::string> &value, Device &device)
{
    auto status = [&](std::optional<ViStatus> &field, ViStatus fallback) {
        field = value ? parseStatus(*value) : std::optional<ViStatus>(fallback);
        return field.has_value();
    };
    auto number = [&](long long low, long long high) -> std::optional<long long> {
        return value ? parseRange(*value, low, high) : std::nullopt;
    };
    if (key == "openfail")
        return status(device.openFail, VI_ERROR_RSRC_LOCKED);
    if (key == "noslot")
        return status(device.slotFail, VI_ERROR_NSUP_ATTR);
    if (key == "initfail")
        return status(device.initFail, VI_ERROR_SYSTEM_ERROR);
    if (key == "initwarn")
        return status(device.initWarn, VI_WARN_CONFIG_NLOADED);
    if (key == "slot" || key == "vendor" || key == "model") {
        auto v = number(-32768, 0xFFFF); // a slot may be written as a signed 16-bit value
        if (!v || (key != "slot" && *v < 0))
            return false;
        (key == "slot"     ? device.slot
         : key == "vendor" ? device.vendor
                           : device.model) = static_cast<ViUInt16>(*v);
        return true;
    }
    if (key == "seed") {
        auto v = number(0, INT64_MAX);
        device.seed = v ? static_cast<std::uint64_t>(*v) : 0;
        return v.has_value();
    }
    if (key == "dieafter") {
        auto v = number(0, INT32_MAX);
        device.answers = v;
        return v.has_value();
    }
    if (key == "latency") {
        auto v = number(0, INT32_MAX);
        device.mailboxLatency = v ? std::optional<int>(static_cast<int>(*v)) : std::nullopt;
        return v.has_value();
    }
    if (key == "refuseblock" && value) {
        auto colon = value->find(':');
        auto block = parseRange(value->substr(0, colon), 0, 0xFFFE);
        auto code = colon == std::string::npos ? std::optional<long long>(device.refusedCode)
                                               : parseRange(value->substr(colon + 1), 0, 0xFFFF);
        if (!block || !code)
            return false;
        device.refusedBlock = static_cast<int>(*block);
        device.refusedCode = static_cast<ViUInt16>(*code);
        return true;
    }
    return false;
}

// Case-insensitive comparison of one character with a pattern character.
bool sameChar(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Length of the pattern element at p ('?', "[...]", "\x" or one character).
std::size_t elementLength(const char *p)
{
    if (*p == '\\' && p[1])
        return 2;
    if (*p == '[') {
        const char *close = std::strchr(p + 1 + (p[1] == '^'), ']');
        if (close)
            return static_cast<std::size_t>(close - p) + 1;
    }
    return 1;
}

bool elementMatches(const char *p, std::size_t length, char c)
{
    if (length == 1)
        return *p == '?' || sameChar(*p, c);
    if (*p == '\\')
        return sameChar(p[1], c);
    const bool negate = p[1] == '^';
    bool found = false;
    for (const char *s = p + 1 + negate; s < p + length - 1; ++s) {
        if (s[1] == '-' && s + 2 < p + length - 1) {
            const auto lc = std::tolower(static_cast<unsigned char>(c));
            found = found || (lc >= std::tolower(static_cast<unsigned char>(s[0])) &&
                              lc <= std::tolower(static_cast<unsigned char>(s[2])));
            s += 2;
        } else {
            found = found || sameChar(*s, c);
        }
    }
    return found != negate;
}

} // namespace

Chassis parseChassis(const std::string &text)
{
    Chassis chassis;
    if (trim(text).empty())
        return chassis;
    for (const std::string &entry : split(text, ';')) {
        if (entry.empty())
            continue;
        std::vector<std::string> items = split(entry, ',');
        Device device;
        device.descriptor = items[0];
        device.slot = static_cast<ViUInt16>(2 + chassis.devices.size());
        device.seed = chassis.devices.size() + 1;
        if (device.descriptor.find("::") == std::string::npos) {
            chassis = Chassis{{}, "not a resource descriptor: \"" + device.descriptor + "\""};
            return chassis;
        }
        for (std::size_t i = 1; i < items.size(); ++i) {
            const auto equals = items[i].find('=');
            const std::string key = trim(items[i].substr(0, equals));
            const auto value =
                equals == std::string::npos ? std::nullopt : std::optional(trim(items[i].substr(equals + 1)));
            if (!applyItem(key, value, device)) {
                chassis = Chassis{{}, "bad item \"" + items[i] + "\" of " + device.descriptor};
                return chassis;
            }
        }
        chassis.devices.push_back(device);
    }
    return chassis;
}

bool matchesExpression(const char *expression, const char *text)
{
    if (!*expression)
        return !*text;
    const std::size_t length = elementLength(expression);
    const char quantifier = expression[length];
    if (quantifier == '*' || quantifier == '+') {
        const char *rest = expression + length + 1;
        const char *t = text;
        // Each possible repetition count, fewest first.
        if (quantifier == '*' && matchesExpression(rest, t))
            return true;
        while (*t && elementMatches(expression, length, *t)) {
            ++t;
            if (matchesExpression(rest, t))
                return true;
        }
        return false;
    }
    return *text && elementMatches(expression, length, *text) &&
           matchesExpression(expression + length, text + 1);
}

} // namespace simkit
