// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in VISA library over a simulated PXI chassis that the environment
// variable UCT_SIMKIT_CHASSIS describes. Exports the VISA functions with C
// linkage, as an installed VISA library does.
#include "standin.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <strings.h>
#include <vector>

namespace simkit
{
namespace
{

constexpr ViUInt32 kDefaultSpecVersion = 0x00500800; // 5.8.0 in the VISA layout

enum class Kind { ResourceManager, FindList, Instrument };

struct Object {
    Kind kind;
    ViSession parent = VI_NULL;         // resource manager of a find list or an instrument session
    Instrument *instrument = nullptr;   // of an instrument session
    std::vector<std::string> matches{}; // of a find list
    std::size_t next = 0;               // next match of a find list
};

// The simulated system: the chassis in force and every open object. Not
// thread-safe: one thread drives it, as in the program.
std::optional<std::string> description;
std::string error; // why the description is malformed
std::vector<std::unique_ptr<Instrument>> instruments;
std::map<ViObject, Object> objects;
ViObject nextId = 1000;

// Stands the chassis up anew when its description changed (every session is
// dropped then).
void refresh()
{
    const char *text = std::getenv("UCT_SIMKIT_CHASSIS");
    if (description == (text ? text : ""))
        return;
    description = text ? text : "";
    const Chassis chassis = parseChassis(*description);
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

Object *find(ViObject id, Kind kind)
{
    auto it = objects.find(id);
    return it != objects.end() && it->second.kind == kind ? &it->second : nullptr;
}

// The call log named by UCT_SIMKIT_LOG, opened for appending; reopened when
// the variable names another file, so that each test can have its own.
std::FILE *logFile()
{
    static std::string path;
    static std::FILE *file = nullptr;
    const char *now = std::getenv("UCT_SIMKIT_LOG");
    if (path != (now ? now : "")) {
        if (file)
            std::fclose(file);
        path = now ? now : "";
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
    const std::size_t length = std::strlen(line);
    std::snprintf(line + length, sizeof line - length, " = %d", static_cast<int>(status));
    simkit_Log(line);
    return status;
}

void copyDescriptor(ViChar *desc, const std::string &text)
{
    if (desc)
        std::snprintf(desc, VI_FIND_BUFLEN, "%s", text.c_str());
}

// Writes exactly the attribute's width.
template <typename T> ViStatus put(void *out, T value)
{
    std::memcpy(out, &value, sizeof value);
    return VI_SUCCESS;
}

ViStatus attribute(const Object &object, ViAttr attr, void *value)
{
    if (attr == VI_ATTR_RSRC_SPEC_VERSION) {
        const char *text = std::getenv("UCT_SIMKIT_SPEC_VERSION");
        return put<ViUInt32>(value, text && *text ? static_cast<ViUInt32>(std::strtoul(text, nullptr, 0))
                                                  : kDefaultSpecVersion);
    }
    if (object.kind != Kind::Instrument)
        return VI_ERROR_NSUP_ATTR;
    const Device &d = object.instrument->device;
    if (attr == VI_ATTR_RSRC_NAME)
        return copyDescriptor(static_cast<ViChar *>(value), d.descriptor), VI_SUCCESS;
    if (attr == VI_ATTR_MANF_ID || attr == VI_ATTR_MODEL_CODE)
        return put<ViUInt16>(value, attr == VI_ATTR_MANF_ID ? d.vendor : d.model);
    if (attr == VI_ATTR_SLOT)
        return d.slotFail ? *d.slotFail : put<ViInt16>(value, static_cast<ViInt16>(d.slot));
    return VI_ERROR_NSUP_ATTR;
}

// A register access in `space` on the module of session `vi`: `access`
// answers it from the model unless the session, the space or the module
// refuses it.
template <typename Access> ViStatus registerAccess(ViSession vi, ViUInt16 space, Access access)
{
    Object *object = find(vi, Kind::Instrument);
    if (!object)
        return VI_ERROR_INV_OBJECT;
    if (space != VI_PXI_BAR0_SPACE)
        return VI_ERROR_INV_SPACE;
    return object->instrument->answer() ? access(object->instrument->model) : VI_ERROR_TMO;
}

} // namespace
} // namespace simkit

using namespace simkit;

extern "C" SIMKIT_EXPORT void simkit_Log(const char *line)
{
    if (std::FILE *file = logFile()) {
        std::fprintf(file, "%s\n", line);
        std::fflush(file);
    }
}

extern "C" SIMKIT_EXPORT Instrument *simkit_Instrument(ViSession vi)
{
    Object *object = find(vi, Kind::Instrument);
    return object ? object->instrument : nullptr;
}

namespace simkit::visa
{

ViStatus viOpenDefaultRM(ViSession *sesn)
{
    refresh();
    if (!sesn || !error.empty()) {
        if (sesn)
            *sesn = VI_NULL;
        return logged(sesn ? VI_ERROR_SYSTEM_ERROR : VI_ERROR_INV_PARAMETER, "viOpenDefaultRM()");
    }
    *sesn = add(Object{Kind::ResourceManager});
    return logged(VI_SUCCESS, "viOpenDefaultRM() -> %u", *sesn);
}

ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViFindList *findList, ViUInt32 *retcnt,
                    ViChar desc[VI_FIND_BUFLEN])
{
    const char *expression = expr ? expr : "";
    if (!find(sesn, Kind::ResourceManager))
        return logged(VI_ERROR_INV_OBJECT, "viFindRsrc(%u,\"%s\")", sesn, expression);
    Object list{Kind::FindList, sesn};
    for (const auto &instrument : instruments) {
        if (matchesExpression(expression, instrument->device.descriptor.c_str()))
            list.matches.push_back(instrument->device.descriptor);
    }
    const auto count = static_cast<ViUInt32>(list.matches.size());
    if (retcnt)
        *retcnt = count;
    if (findList)
        *findList = VI_NULL;
    if (count == 0)
        return logged(VI_ERROR_RSRC_NFOUND, "viFindRsrc(%u,\"%s\") -> 0", sesn, expression);
    copyDescriptor(desc, list.matches[0]);
    const std::string first = list.matches[0];
    list.next = 1;
    const ViObject id = add(std::move(list));
    if (findList)
        *findList = id;
    return logged(VI_SUCCESS, "viFindRsrc(%u,\"%s\") -> %u,%u,\"%s\"", sesn, expression, id, count,
                  first.c_str());
}

ViStatus viFindNext(ViFindList findList, ViChar desc[VI_FIND_BUFLEN])
{
    Object *list = find(findList, Kind::FindList);
    if (!list || list->next >= list->matches.size())
        return logged(list ? VI_ERROR_RSRC_NFOUND : VI_ERROR_INV_OBJECT, "viFindNext(%u)", findList);
    const std::string &match = list->matches[list->next++];
    copyDescriptor(desc, match);
    return logged(VI_SUCCESS, "viFindNext(%u) -> \"%s\"", findList, match.c_str());
}

ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout, ViSession *vi)
{
    const char *resource = name ? name : "";
    auto result = [&](ViStatus status) {
        return logged(status, "viOpen(%u,\"%s\",%u,%u) -> %u", sesn, resource, mode, timeout, vi ? *vi : 0);
    };
    if (vi)
        *vi = VI_NULL;
    if (!find(sesn, Kind::ResourceManager))
        return result(VI_ERROR_INV_OBJECT);
    if (!vi)
        return result(VI_ERROR_INV_PARAMETER);
    if (!std::strstr(resource, "::"))
        return result(VI_ERROR_INV_RSRC_NAME);
    auto it = std::find_if(instruments.begin(), instruments.end(), [&](const auto &i) {
        return strcasecmp(i->device.descriptor.c_str(), resource) == 0;
    });
    if (it == instruments.end())
        return result(VI_ERROR_RSRC_NFOUND);
    if ((*it)->device.openFail)
        return result(*(*it)->device.openFail);
    *vi = add(Object{Kind::Instrument, sesn, it->get()});
    return result(VI_SUCCESS);
}

// Closes an object and everything opened from it.
ViStatus viClose(ViObject vi)
{
    const bool known = objects.erase(vi) != 0;
    std::erase_if(objects, [vi](const auto &entry) { return entry.second.parent == vi; });
    return logged(known ? VI_SUCCESS : VI_ERROR_INV_OBJECT, "viClose(%u)", vi);
}

ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue)
{
    auto it = objects.find(vi);
    const ViStatus status = it == objects.end() ? VI_ERROR_INV_OBJECT
                            : !attrValue        ? VI_ERROR_INV_PARAMETER
                                                : attribute(it->second, attrName, attrValue);
    return logged(status, "viGetAttribute(%u,0x%08X)", vi, attrName);
}

ViStatus viIn16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 *val16)
{
    const ViStatus status =
        registerAccess(vi, space, [&](uctsim::Module &m) { return m.in16(offset, val16); });
    return logged(status, "viIn16(%u,%u,0x%" PRIX64 ") -> 0x%04X", vi, space, offset,
                  status == VI_SUCCESS ? *val16 : 0);
}

ViStatus viOut16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 val16)
{
    const ViStatus status =
        registerAccess(vi, space, [&](uctsim::Module &m) { return m.out16(offset, val16); });
    return logged(status, "viOut16(%u,%u,0x%" PRIX64 ",0x%04X)", vi, space, offset, val16);
}

} // namespace simkit::visa
