// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in VISA library over a simulated PXI chassis that the environment
// variable UCT_SIMKIT_CHASSIS describes. Exports the VISA functions with C
// linkage, as an installed VISA library does.
#include "standin.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <strings.h>
#include <vector>

namespace simkit
{
namespace
{

constexpr ViUInt32 kDefaultSpecVersion = 0x00500800; // 5.8.0 in the VISA layout
constexpr ViSession kFirstSession = 1000;

struct Object {
    enum class Kind { ResourceManager, FindList, Instrument };
    explicit Object(Kind k, ViSession p = VI_NULL, Instrument *i = nullptr)
        : kind(k), parent(p), instrument(i)
    {
    }

    Kind kind;
    ViSession parent = VI_NULL;       // resource manager of a find list or an instrument session
    Instrument *instrument = nullptr; // of an instrument session
    std::vector<std::string> matches; // of a find list
    std::size_t next = 0;             // next match of a find list
};

class System
{
  public:
    std::mutex mutex;
    std::string description; // the chassis in force
    bool built = false;
    std::string error;
    std::vector<std::unique_ptr<Instrument>> instruments;
    std::map<ViObject, Object> objects;
    ViObject nextId = kFirstSession;

    // Stands the chassis up anew when its description changed (every
    // session is dropped then).
    void refresh()
    {
        const char *text = std::getenv("UCT_SIMKIT_CHASSIS");
        const std::string now = text ? text : "";
        if (built && now == description)
            return;
        Chassis chassis = parseChassis(now);
        description = now;
        built = true;
        error = chassis.error;
        objects.clear();
        instruments.clear();
        for (const Device &d : chassis.devices)
            instruments.push_back(std::make_unique<Instrument>(d));
        if (!error.empty())
            std::fprintf(stderr, "UCT_SIMKIT_CHASSIS: %s\n", error.c_str());
    }

    ViObject add(Object object)
    {
        objects.emplace(nextId, std::move(object));
        return nextId++;
    }

    Object *find(ViObject id, Object::Kind kind)
    {
        auto it = objects.find(id);
        return it != objects.end() && it->second.kind == kind ? &it->second : nullptr;
    }

    Instrument *byDescriptor(const char *name)
    {
        for (auto &instrument : instruments) {
            if (strcasecmp(instrument->device.descriptor.c_str(), name) == 0)
                return instrument.get();
        }
        return nullptr;
    }

    // Closes an object and everything opened from it.
    void close(ViObject id)
    {
        for (auto it = objects.begin(); it != objects.end();) {
            if (it->second.parent == id)
                it = objects.erase(it);
            else
                ++it;
        }
        objects.erase(id);
    }
};

System &sys()
{
    static System system;
    return system;
}

// The call log named by UCT_SIMKIT_LOG, opened for appending; reopened when
// the variable names another file, so that each test can have its own.
std::FILE *logFile()
{
    static std::string path;
    static std::FILE *file = nullptr;
    const char *now = std::getenv("UCT_SIMKIT_LOG");
    const std::string wanted = now ? now : "";
    if (wanted != path) {
        if (file)
            std::fclose(file);
        path = wanted;
        file = path.empty() ? nullptr : std::fopen(path.c_str(), "a");
    }
    return file;
}

// Logs "text = status" and returns the status.
ViStatus logged(ViStatus status, const char *format, ...) __attribute__((format(printf, 2, 3)));
ViStatus logged(ViStatus status, const char *format, ...)
{
    if (!logFile())
        return status;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    char withStatus[600];
    std::snprintf(withStatus, sizeof withStatus, "%s = %d", line, static_cast<int>(status));
    simkit_Log(withStatus);
    return status;
}

void copyDescriptor(ViChar *desc, const std::string &text)
{
    if (desc)
        std::snprintf(desc, VI_FIND_BUFLEN, "%s", text.c_str());
}

ViUInt32 specVersion()
{
    const char *text = std::getenv("UCT_SIMKIT_SPEC_VERSION");
    return text && *text ? static_cast<ViUInt32>(std::strtoul(text, nullptr, 0)) : kDefaultSpecVersion;
}

template <typename T> ViStatus put(void *out, T value)
{
    std::memcpy(out, &value, sizeof value);
    return VI_SUCCESS;
}

ViStatus attribute(const Object &object, ViAttr attr, void *value)
{
    if (attr == VI_ATTR_RSRC_SPEC_VERSION)
        return put<ViUInt32>(value, specVersion());
    if (object.kind != Object::Kind::Instrument)
        return VI_ERROR_NSUP_ATTR;
    const Device &d = object.instrument->device;
    switch (attr) {
    case VI_ATTR_RSRC_NAME:
        copyDescriptor(static_cast<ViChar *>(value), d.descriptor);
        return VI_SUCCESS;
    case VI_ATTR_MANF_ID:
        return put<ViUInt16>(value, d.vendor);
    case VI_ATTR_MODEL_CODE:
        return put<ViUInt16>(value, d.model);
    case VI_ATTR_SLOT:
        return d.slotFail ? *d.slotFail : put<ViInt16>(value, static_cast<ViInt16>(d.slot));
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

// A register access in `space` on the module of session `vi`: `access`
// answers it from the model unless the session, the space or the module
// refuses it.
template <typename Access> ViStatus registerAccess(ViSession vi, ViUInt16 space, Access access)
{
    std::lock_guard lock(sys().mutex);
    Object *object = sys().find(vi, Object::Kind::Instrument);
    if (!object)
        return VI_ERROR_INV_OBJECT;
    if (space != VI_PXI_BAR0_SPACE)
        return VI_ERROR_INV_SPACE;
    return object->instrument->answer() ? access(object->instrument->model) : VI_ERROR_TMO;
}

} // namespace
} // namespace simkit

using simkit::Object;
using simkit::sys;

extern "C" SIMKIT_EXPORT void simkit_Log(const char *line)
{
    if (std::FILE *file = simkit::logFile()) {
        std::fprintf(file, "%s\n", line);
        std::fflush(file);
    }
}

extern "C" SIMKIT_EXPORT simkit::Instrument *simkit_Instrument(ViSession vi)
{
    std::lock_guard lock(sys().mutex);
    Object *object = sys().find(vi, Object::Kind::Instrument);
    return object ? object->instrument : nullptr;
}

namespace simkit::visa
{

ViStatus viOpenDefaultRM(ViSession *sesn)
{
    std::lock_guard lock(sys().mutex);
    sys().refresh();
    if (!sesn)
        return simkit::logged(VI_ERROR_INV_PARAMETER, "viOpenDefaultRM()");
    *sesn = VI_NULL;
    if (!sys().error.empty())
        return simkit::logged(VI_ERROR_SYSTEM_ERROR, "viOpenDefaultRM()");
    *sesn = sys().add(Object{Object::Kind::ResourceManager});
    return simkit::logged(VI_SUCCESS, "viOpenDefaultRM() -> %u", static_cast<unsigned>(*sesn));
}

ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViFindList *findList, ViUInt32 *retcnt,
                    ViChar desc[VI_FIND_BUFLEN])
{
    std::lock_guard lock(sys().mutex);
    const char *expression = expr ? expr : "";
    if (!sys().find(sesn, Object::Kind::ResourceManager))
        return simkit::logged(VI_ERROR_INV_OBJECT, "viFindRsrc(%u,\"%s\")", static_cast<unsigned>(sesn),
                              expression);
    Object list{Object::Kind::FindList, sesn};
    for (const auto &instrument : sys().instruments) {
        if (simkit::matchesExpression(expression, instrument->device.descriptor.c_str()))
            list.matches.push_back(instrument->device.descriptor);
    }
    const auto count = static_cast<ViUInt32>(list.matches.size());
    if (retcnt)
        *retcnt = count;
    if (findList)
        *findList = VI_NULL;
    if (count == 0)
        return simkit::logged(VI_ERROR_RSRC_NFOUND, "viFindRsrc(%u,\"%s\") -> 0", static_cast<unsigned>(sesn),
                              expression);
    simkit::copyDescriptor(desc, list.matches[0]);
    const std::string first = list.matches[0];
    list.next = 1;
    const ViObject id = sys().add(std::move(list));
    if (findList)
        *findList = id;
    return simkit::logged(VI_SUCCESS, "viFindRsrc(%u,\"%s\") -> %u,%u,\"%s\"", static_cast<unsigned>(sesn),
                          expression, static_cast<unsigned>(id), static_cast<unsigned>(count), first.c_str());
}

ViStatus viFindNext(ViFindList findList, ViChar desc[VI_FIND_BUFLEN])
{
    std::lock_guard lock(sys().mutex);
    Object *list = sys().find(findList, Object::Kind::FindList);
    if (!list)
        return simkit::logged(VI_ERROR_INV_OBJECT, "viFindNext(%u)", static_cast<unsigned>(findList));
    if (list->next >= list->matches.size())
        return simkit::logged(VI_ERROR_RSRC_NFOUND, "viFindNext(%u)", static_cast<unsigned>(findList));
    const std::string &match = list->matches[list->next++];
    simkit::copyDescriptor(desc, match);
    return simkit::logged(VI_SUCCESS, "viFindNext(%u) -> \"%s\"", static_cast<unsigned>(findList),
                          match.c_str());
}

ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout, ViSession *vi)
{
    std::lock_guard lock(sys().mutex);
    const char *resource = name ? name : "";
    auto result = [&](ViStatus status) {
        return simkit::logged(status, "viOpen(%u,\"%s\",%u,%u) -> %u", static_cast<unsigned>(sesn), resource,
                              static_cast<unsigned>(mode), static_cast<unsigned>(timeout),
                              static_cast<unsigned>(vi ? *vi : 0));
    };
    if (vi)
        *vi = VI_NULL;
    if (!sys().find(sesn, Object::Kind::ResourceManager))
        return result(VI_ERROR_INV_OBJECT);
    if (!vi)
        return result(VI_ERROR_INV_PARAMETER);
    if (!std::strstr(resource, "::"))
        return result(VI_ERROR_INV_RSRC_NAME);
    simkit::Instrument *instrument = sys().byDescriptor(resource);
    if (!instrument)
        return result(VI_ERROR_RSRC_NFOUND);
    if (instrument->device.openFail)
        return result(*instrument->device.openFail);
    *vi = sys().add(Object{Object::Kind::Instrument, sesn, instrument});
    return result(VI_SUCCESS);
}

ViStatus viClose(ViObject vi)
{
    std::lock_guard lock(sys().mutex);
    if (sys().objects.find(vi) == sys().objects.end())
        return simkit::logged(VI_ERROR_INV_OBJECT, "viClose(%u)", static_cast<unsigned>(vi));
    sys().close(vi);
    return simkit::logged(VI_SUCCESS, "viClose(%u)", static_cast<unsigned>(vi));
}

ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue)
{
    std::lock_guard lock(sys().mutex);
    auto it = sys().objects.find(vi);
    ViStatus status = it == sys().objects.end() ? VI_ERROR_INV_OBJECT
                      : !attrValue              ? VI_ERROR_INV_PARAMETER
                                                : simkit::attribute(it->second, attrName, attrValue);
    return simkit::logged(status, "viGetAttribute(%u,0x%08X)", static_cast<unsigned>(vi),
                          static_cast<unsigned>(attrName));
}

ViStatus viIn16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 *val16)
{
    const ViStatus status =
        simkit::registerAccess(vi, space, [&](uctsim::Module &m) { return m.in16(offset, val16); });
    return simkit::logged(status, "viIn16(%u,%u,0x%" PRIX64 ") -> 0x%04X", static_cast<unsigned>(vi),
                          static_cast<unsigned>(space), static_cast<std::uint64_t>(offset),
                          status == VI_SUCCESS ? static_cast<unsigned>(*val16) : 0u);
}

ViStatus viOut16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 val16)
{
    const ViStatus status =
        simkit::registerAccess(vi, space, [&](uctsim::Module &m) { return m.out16(offset, val16); });
    return simkit::logged(status, "viOut16(%u,%u,0x%" PRIX64 ",0x%04X)", static_cast<unsigned>(vi),
                          static_cast<unsigned>(space), static_cast<std::uint64_t>(offset),
                          static_cast<unsigned>(val16));
}

} // namespace simkit::visa
