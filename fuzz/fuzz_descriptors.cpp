// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up's module search over whatever VISA, the driver and the user can
// answer: any descriptors (up to VISA's 255 characters), any statuses,
// vendors, models and slots, any number of modules, any answers to the
// questions and any presses on the choice panel. The program must only ever
// open, show and initialise descriptors exactly as VISA listed them, close
// every probe it opened, keep its texts terminated, and end the search.
#include "app.h"
#include "userint.h"
#include <uctpanels.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace
{

struct Device {
    std::string descriptor; // as VISA lists it: at most VI_FIND_BUFLEN - 1 characters
    bool listed = true;     // viFindNext succeeds for it
    ViStatus openStatus = VI_SUCCESS;
    ViStatus attributeStatus = VI_SUCCESS;
    ViUInt16 vendor = KQ3917_VENDOR_ID, model = KQ3917_MODEL_CODE;
    ViInt16 slot = 0;
};

const ViStatus statuses[] = {VI_SUCCESS,   VI_WARN_CONFIG_NLOADED,  VI_ERROR_RSRC_NFOUND,
                             VI_ERROR_TMO, VI_ERROR_LIBRARY_NFOUND, VI_ERROR_SYSTEM_ERROR};
const ViSession probeBase = 100, findList = 77, moduleSession = 4242;
const int choicePanel = 7;

struct World {
    FuzzedDataProvider *input = nullptr;
    ViStatus rmStatus = VI_SUCCESS, initStatus = VI_SUCCESS;
    std::vector<Device> devices;
    size_t next = 0;    // viFindNext position
    int openProbes = 0; // probe sessions not closed yet
    bool findListOpen = false;
    bool simulating = false;
    bool filled[MAX_MODULES] = {}, dimmed[MAX_MODULES] = {}; // choice rows
} world;

const int selects[MAX_MODULES] = {CHOOSE_SELECT_1, CHOOSE_SELECT_2, CHOOSE_SELECT_3, CHOOSE_SELECT_4,
                                  CHOOSE_SELECT_5, CHOOSE_SELECT_6, CHOOSE_SELECT_7, CHOOSE_SELECT_8,
                                  CHOOSE_SELECT_9, CHOOSE_SELECT_10};

// The row of a choice panel control in a table of one control per row, or -1.
int rowOf(const int (&table)[MAX_MODULES], int control)
{
    const int *found = std::find(std::begin(table), std::end(table), control);
    return found == std::end(table) ? -1 : (int)(found - std::begin(table));
}

// A failed check names its line before it ends the run.
#define check(condition) ((condition) ? (void)0 : fail(__LINE__))
[[noreturn]] void fail(int line)
{
    fprintf(stderr, "check failed at line %d\n", line);
    abort();
}

ViStatus anyStatus()
{
    return world.input->PickValueInArray(statuses);
}

// The device whose descriptor is exactly text; every descriptor the program
// hands back must be one VISA listed, unchanged.
const Device *listedDevice(const char *text)
{
    check(text != nullptr && strnlen(text, VI_FIND_BUFLEN) < VI_FIND_BUFLEN);
    for (const Device &device : world.devices)
        if (device.descriptor == text)
            return &device;
    return nullptr;
}

bool supported(const Device &device)
{
    return device.descriptor.find("PXI") != std::string::npos && device.openStatus >= 0 &&
           device.attributeStatus >= 0 && device.vendor == KQ3917_VENDOR_ID &&
           device.model == KQ3917_MODEL_CODE;
}

void writeDescriptor(const Device &device, ViChar desc[VI_FIND_BUFLEN])
{
    memcpy(desc, device.descriptor.c_str(), device.descriptor.size() + 1);
}

} // namespace

// ---- VISA, as a VISA library behaves: it writes at most VI_FIND_BUFLEN bytes
ViStatus viOpenDefaultRM(ViSession *sesn)
{
    *sesn = world.rmStatus < 0 ? 0 : 1;
    return world.rmStatus;
}

ViStatus viFindRsrc(ViSession, ViConstString expr, ViFindList *list, ViUInt32 *retcnt,
                    ViChar desc[VI_FIND_BUFLEN])
{
    check(strcmp(expr, "PXI?*INSTR") == 0);
    *list = 0;
    *retcnt = 0;
    if (world.devices.empty())
        return VI_ERROR_RSRC_NFOUND;
    *list = findList;
    *retcnt = (ViUInt32)world.devices.size();
    world.findListOpen = true;
    world.next = 1;
    writeDescriptor(world.devices[0], desc);
    return VI_SUCCESS;
}

ViStatus viFindNext(ViFindList list, ViChar desc[VI_FIND_BUFLEN])
{
    check(list == findList && world.findListOpen);
    if (world.next >= world.devices.size())
        return VI_ERROR_RSRC_NFOUND;
    const Device &device = world.devices[world.next++];
    if (!device.listed)
        return VI_ERROR_SYSTEM_ERROR;
    writeDescriptor(device, desc);
    return VI_SUCCESS;
}

ViStatus viOpen(ViSession, ViConstRsrc name, ViAccessMode, ViUInt32, ViSession *vi)
{
    const Device *device = listedDevice(name);
    check(device != nullptr);
    *vi = 0;
    if (device->openStatus < 0)
        return device->openStatus;
    *vi = probeBase + (ViSession)(device - world.devices.data());
    world.openProbes++;
    return device->openStatus;
}

ViStatus viClose(ViObject vi)
{
    if (vi == findList) {
        check(world.findListOpen);
        world.findListOpen = false;
    } else {
        check(vi >= probeBase && vi < probeBase + world.devices.size() && world.openProbes > 0);
        world.openProbes--;
    }
    return VI_SUCCESS;
}

ViStatus viGetAttribute(ViObject vi, ViAttr attribute, void *value)
{
    check(vi >= probeBase && vi < probeBase + world.devices.size());
    const Device &device = world.devices[vi - probeBase];
    if (device.attributeStatus < 0)
        return device.attributeStatus;
    if (attribute == VI_ATTR_MANF_ID)
        *(ViUInt16 *)value = device.vendor;
    else if (attribute == VI_ATTR_MODEL_CODE)
        *(ViUInt16 *)value = device.model;
    else if (attribute == VI_ATTR_SLOT)
        *(ViInt16 *)value = device.slot;
    else
        return VI_ERROR_NSUP_ATTR;
    return device.attributeStatus;
}

// ---- the maker's driver
ViStatus kq3917e_simulate(ViInt16 enable)
{
    world.simulating = enable != 0;
    return VI_SUCCESS;
}

ViStatus kq3917e_init(ViConstRsrc resourceName, ViBoolean, ViBoolean, ViSession *session)
{
    const Device *device = listedDevice(resourceName);
    check(device != nullptr && supported(*device));
    *session = world.initStatus < 0 ? 0 : moduleSession;
    return world.initStatus;
}

ViStatus kq3917e_reset(ViSession)
{
    return VI_SUCCESS;
}

ViStatus kq3917e_error_message(ViSession, ViStatus, ViChar message[KQ3917E_MESSAGE_SIZE])
{
    std::string text = world.input->ConsumeRandomLengthString(KQ3917E_MESSAGE_SIZE - 1);
    memcpy(message, text.c_str(), text.size() + 1);
    return VI_SUCCESS;
}

// ---- the toolkit: the user answers from the fuzz input
int LoadPanel(int, const char *, int panel)
{
    check(panel == CHOOSE);
    return world.input->ConsumeBool() ? choicePanel : UIE_FILE_NOT_FOUND;
}

int GetLoadPanelError(char *why, int size)
{
    check(why != nullptr && size > 0);
    snprintf(why, (size_t)size, "the stand-in's file cannot be read");
    return 0;
}

int DisplayPanel(int panel)
{
    check(panel == choicePanel);
    return 0;
}

int DiscardPanel(int panel)
{
    check(panel == choicePanel);
    return 0;
}

int SetPanelPos(int, int, int)
{
    return 0;
}

// The choice panel stays up; the user leaves it only through its buttons.
int GetPanelAttribute(int panel, int attribute, int *value)
{
    check(panel == choicePanel && attribute == ATTR_VISIBLE);
    *value = 1;
    return 0;
}

int SetCtrlVal(int panel, int, int)
{
    check(panel == choicePanel);
    return 0;
}

int SetCtrlVal(int panel, int control, const char *value)
{
    static const int resources[] = {
        CHOOSE_RESOURCE_1, CHOOSE_RESOURCE_2, CHOOSE_RESOURCE_3, CHOOSE_RESOURCE_4, CHOOSE_RESOURCE_5,
        CHOOSE_RESOURCE_6, CHOOSE_RESOURCE_7, CHOOSE_RESOURCE_8, CHOOSE_RESOURCE_9, CHOOSE_RESOURCE_10};
    check(panel == choicePanel);
    if (int row = rowOf(resources, control); row >= 0) {
        check(listedDevice(value) != nullptr);
        world.filled[row] = true;
    } else { // a slot number: "-32768" at most
        check(strnlen(value, 16) <= 6);
    }
    return 0;
}

// Only the Select buttons of rows without a module are dimmed.
int SetCtrlAttribute(int panel, int control, int attribute, int value)
{
    const int row = rowOf(selects, control);
    check(panel == choicePanel && attribute == ATTR_DIMMED && row >= 0);
    check((value != 0) == !world.filled[row]);
    world.dimmed[row] = value != 0;
    return 0;
}

int MessagePopup(const char *, const char *message)
{
    check(strnlen(message, SHARED_TEXT_SIZE) < SHARED_TEXT_SIZE);
    return 0;
}

int ConfirmPopup(const char *, const char *message)
{
    check(strnlen(message, SHARED_TEXT_SIZE) < SHARED_TEXT_SIZE);
    return world.input->ConsumeBool() ? 1 : 0;
}

int GenericMessagePopup(const char *, const char *, const char *, const char *, const char *, char *, int,
                        int, int, int, int)
{
    return VAL_GENERIC_POPUP_BTN1;
}

int SetWaitCursor(int)
{
    return 0;
}

// The main panel's status lamp, which checkError sets: not on screen here.
void showModuleStatus(int) {}

// One pass of the event loop: perhaps a press on the choice panel.
int ProcessSystemEvents(void)
{
    static const int controls[] = {CHOOSE_SELECT_1, CHOOSE_SELECT_2,  CHOOSE_SELECT_3, CHOOSE_SELECT_4,
                                   CHOOSE_SELECT_5, CHOOSE_SELECT_6,  CHOOSE_SELECT_7, CHOOSE_SELECT_8,
                                   CHOOSE_SELECT_9, CHOOSE_SELECT_10, CHOOSE_CANCEL,   CHOOSE_RESOURCE_1};
    // Out of input: the user gives up.
    if (world.input->remaining_bytes() == 0) {
        choose_3917(choicePanel, CHOOSE_CANCEL, EVENT_COMMIT, nullptr, 0, 0);
        return 0;
    }
    int control = world.input->PickValueInArray(controls);
    int event = world.input->ConsumeBool() ? EVENT_COMMIT : EVENT_LEFT_CLICK;
    // A dimmed button raises no event.
    if (int row = rowOf(selects, control); row < 0 || !world.dimmed[row])
        choose_3917(choicePanel, control, event, nullptr, 0, 0);
    return 0;
}

int Delay(double)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    world = World{};
    world.input = &input;
    world.rmStatus = anyStatus();
    world.initStatus = anyStatus();
    size_t count = input.ConsumeIntegralInRange<size_t>(0, MAX_MODULES + 3);
    for (size_t i = 0; i < count; i++) {
        Device device;
        device.descriptor = input.ConsumeRandomLengthString(VI_FIND_BUFLEN - 1);
        device.descriptor.resize(strlen(device.descriptor.c_str()));
        device.listed = input.ConsumeProbability<float>() > 0.1f;
        device.openStatus = input.ConsumeProbability<float>() > 0.2f ? VI_SUCCESS : anyStatus();
        device.attributeStatus = input.ConsumeProbability<float>() > 0.2f ? VI_SUCCESS : anyStatus();
        if (input.ConsumeProbability<float>() < 0.2f)
            device.vendor = input.ConsumeIntegral<ViUInt16>();
        if (input.ConsumeProbability<float>() < 0.2f)
            device.model = input.ConsumeIntegral<ViUInt16>();
        device.slot = input.ConsumeIntegral<ViInt16>();
        world.devices.push_back(device);
    }

    instrSession = defaultRM = 0;
    resourceName[0] = '\0';
    demoMode = 0;
    int result = openInstrumentSession();

    check(result == SESSION_READY || result == SESSION_GAVE_UP || result == SESSION_PANEL_FAILED);
    check(strnlen(resourceName, RESOURCE_NAME_SIZE) < RESOURCE_NAME_SIZE);
    check(world.openProbes == 0 && !world.findListOpen);
    if (result == SESSION_READY && !demoMode) {
        const Device *device = listedDevice(resourceName);
        check(instrSession == moduleSession && device != nullptr && supported(*device));
    }
    check(!demoMode || world.simulating);
    return 0;
}
