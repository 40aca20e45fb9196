// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware transfer over any image and any way the module can answer.
// Input: a behaviour byte, a block number, a parameter, then the image, which
// the program reads as a real file (a memory file under /proc/self/fd). The
// stand-in module checks every register access against the mailbox protocol
// and every block against the image; afterwards exactly the expected message
// (or none) must have been shown and nothing may follow a failure.
#include "app.h"
#include "maintenance.h"
#include "userfile.h"
#include "userint.h"
#include <uctpanels.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

ViSession instrSession = 0;
char sharedText[SHARED_TEXT_SIZE] = "";

namespace
{

// How the module and the file behave; failures happen at block `at`.
enum Behaviour {
    ACCEPT,        // every block accepted at the first poll
    BUSY,          // block `at` is busy for `parameter` polls, then accepted
    REFUSE,        // block `at` refused with error code `parameter`
    SILENT,        // block `at` never answered
    WRITE_FAILS,   // at block `at`, a data word, the block number or the byte count write fails
    COMMAND_FAILS, // at block `at`, the command returns a warning or an error
    READ_FAILS,    // at block `at`, the response or the refused block's code cannot be read
    TOO_LARGE,     // the file is longer than the largest image
    UNREADABLE,    // the file opens but cannot be read (/proc/self/mem)
    NO_FILE,       // the dialog is cancelled, names a new file, or a file that cannot be opened
    BEHAVIOURS
};

// Mailbox registers and answers as the module defines them.
const ViBusAddress regResponse = 0x100010, regBlock = 0x100200, regByteCount = 0x100204, regData = 0x100208;
const ViUInt16 accepted = 0x8000, refused = 0xFFFF;
const size_t blockSize = 1024;
const long maxImageSize = 0xFFFFL * 1024;
const ViSession moduleSession = 4242;
const ViStatus failure = VI_ERROR_SYSTEM_ERROR;
const int configPanel = 9;

enum Phase { READY, DATA, NUMBERED, COUNTED, POLLING, REFUSED, STOPPED };

struct World {
    Behaviour behaviour = ACCEPT;
    size_t at = 0;
    unsigned parameter = 0;
    const uint8_t *image = nullptr;
    size_t size = 0;

    Phase phase = READY;
    size_t block = 0; // blocks accepted so far
    unsigned char data[blockSize];
    size_t count = 0;
    unsigned polls = 0, delays = 0;
    int messages = 0;
    std::string message;
    bool progressVisible = false, noteVisible = false, waitCursor = false;
    int confirmations = 0;
    double progress = 0.0;
} world;

#define check(condition) ((condition) ? (void)0 : fail(__LINE__))
[[noreturn]] void fail(int line)
{
    fprintf(stderr, "check failed at line %d\n", line);
    abort();
}

bool failsHere(Behaviour behaviour)
{
    return world.behaviour == behaviour && world.block == world.at;
}

// Registers are reached only on the module's session in its first region,
// and never once the transfer has stopped.
void checkAccess(ViSession vi, ViUInt16 space)
{
    check(vi == moduleSession && space == VI_PXI_BAR0_SPACE && world.phase != STOPPED);
}

ViStatus stop()
{
    world.phase = STOPPED;
    return failure;
}

std::string refusalText(ViStatus status)
{
    // An odd status gives the longest text the driver can, to check its bound.
    std::string text = "block refused, status " + std::to_string(status);
    if (status & 1)
        text.resize(KQ3917E_MESSAGE_SIZE - 1, '.');
    return text;
}

} // namespace

// ---- VISA: the mailbox
ViStatus viOut16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 value)
{
    checkAccess(vi, space);
    bool failing = failsHere(WRITE_FAILS);
    unsigned target = world.parameter % 3;
    if (offset >= regData && offset < regData + 4 * blockSize) {
        // Data words in ascending order, each a zero-extended byte.
        check(world.phase == READY || world.phase == DATA);
        check(world.block * blockSize < world.size); // nothing after the last block
        check(offset == regData + 4 * world.count && value <= 0xFF);
        world.phase = DATA;
        size_t length = std::min(blockSize, world.size - world.block * blockSize);
        size_t index = world.count++;
        world.data[index] = (unsigned char)value;
        if (failing && target == 0 && index == std::min<size_t>(world.parameter / 3, length - 1))
            return stop();
    } else if (offset == regBlock) {
        check(world.phase == DATA && value == world.block);
        world.phase = NUMBERED;
        if (failing && target == 1)
            return stop();
    } else if (offset == regByteCount) {
        check(world.phase == NUMBERED && value == world.count);
        world.phase = COUNTED;
        if (failing && target == 2)
            return stop();
    } else {
        check(false);
    }
    return VI_SUCCESS;
}

ViStatus viIn16(ViSession vi, ViUInt16 space, ViBusAddress offset, ViUInt16 *value)
{
    checkAccess(vi, space);
    bool failing = failsHere(READ_FAILS);
    if (offset == regBlock) {
        // The error code is read only after a refusal.
        check(world.phase == REFUSED);
        *value = (ViUInt16)world.parameter;
        world.phase = STOPPED;
        return failing ? failure : VI_SUCCESS;
    }
    check(offset == regResponse && world.phase == POLLING);
    world.polls++;
    check(world.polls <= 60 && world.delays == world.polls);
    *value = (ViUInt16)(world.polls & 1 ? 0x0000 : 0x7FFF); // busy
    if (failing && world.parameter % 2 == 0)
        return stop();
    if ((failing && world.parameter % 2 == 1) || failsHere(REFUSE)) {
        *value = refused;
        world.phase = REFUSED;
        return VI_SUCCESS;
    }
    bool busy = failsHere(SILENT) || (failsHere(BUSY) && world.polls <= world.parameter);
    if (!busy) {
        *value = accepted;
        world.phase = READY;
        world.block++;
        world.count = 0;
    } else if (world.polls == 60) {
        world.phase = STOPPED; // the program gives up
    }
    return VI_SUCCESS;
}

// ---- the driver
ViStatus kq3917e_write_command_and_data(ViSession session, ViUInt16 command, ViUInt16 data)
{
    checkAccess(session, VI_PXI_BAR0_SPACE);
    check(world.phase == COUNTED && command == KQ3917E_CMD_UPDATE_FIRMWARE);
    // The block is the image's next slice, whole unless it is the last.
    size_t offset = world.block * blockSize;
    check(offset < world.size && world.count == std::min(blockSize, world.size - offset));
    check(memcmp(world.data, world.image + offset, world.count) == 0);
    ViUInt16 sum = 0;
    for (size_t i = 0; i < world.count; i++)
        sum = (ViUInt16)(sum + world.data[i]);
    check(data == sum);
    world.phase = POLLING;
    world.polls = world.delays = 0;
    if (!failsHere(COMMAND_FAILS))
        return VI_SUCCESS;
    world.phase = STOPPED;
    return world.parameter % 2 ? (ViStatus)(world.parameter + 1) : failure; // a warning fails too
}

ViStatus kq3917e_error_message(ViSession session, ViStatus status, ViChar message[KQ3917E_MESSAGE_SIZE])
{
    check(session == VI_NULL && status == KQ3917E_FIRMWARE_ERROR_BASE + (ViStatus)(ViUInt16)world.parameter);
    std::string text = refusalText(status);
    memcpy(message, text.c_str(), text.size() + 1);
    return VI_SUCCESS;
}

// One memory file per process holds the image.
static int memoryFile(void)
{
    static const int fd = memfd_create("firmware", 0);
    return fd;
}

// ---- the toolkit
int FileSelectPopup(const char *, const char *defaultFileSpec, const char *, const char *, int, int, int, int,
                    int, char *pathName, int pathNameSize)
{
    check(strcmp(defaultFileSpec, "*.bin") == 0 && pathNameSize == MAX_PATHNAME_LEN);
    const int memory = memoryFile();
    check(memory >= 0);
    if (world.behaviour == NO_FILE) {
        snprintf(pathName, (size_t)pathNameSize, "/proc/self/fd/%d/not-there.bin", memory);
        return world.parameter % 3 == 0   ? VAL_NO_FILE_SELECTED
               : world.parameter % 3 == 1 ? VAL_NEW_FILE_SELECTED
                                          : VAL_EXISTING_FILE_SELECTED;
    }
    if (world.behaviour == UNREADABLE) {
        // A regular file whose reads fail at once (nothing mapped at 0).
        snprintf(pathName, (size_t)pathNameSize, "/proc/self/mem");
        return VAL_EXISTING_FILE_SELECTED;
    }
    // Written before it is cut to length, so its pages are reused across inputs.
    check(pwrite(memory, world.image, world.size, 0) == (ssize_t)world.size);
    long length = world.behaviour == TOO_LARGE ? maxImageSize + 1 + world.parameter : (long)world.size;
    check(ftruncate(memory, length) == 0);
    snprintf(pathName, (size_t)pathNameSize, "/proc/self/fd/%d", memory);
    return VAL_EXISTING_FILE_SELECTED;
}

int MessagePopup(const char *title, const char *message)
{
    check(strcmp(title, "Firmware Update") == 0);
    check(strnlen(message, USER_FILE_REASON_SIZE + 32) < USER_FILE_REASON_SIZE + 32);
    world.messages++;
    world.message = message;
    return 0;
}

int SetCtrlVal(int panel, int control, double value)
{
    check(panel == configPanel && control == CONFIGSYS_PROGRESS && world.progressVisible);
    check(value >= world.progress && value <= 100.0);
    // 100 only once every byte of the image is sent.
    check(value < 100.0 || world.block * blockSize >= world.size);
    world.progress = value;
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int *value)
{
    check(panel == configPanel && control == CONFIGSYS_PROGRESS && attribute == ATTR_PRECISION);
    *value = 1; // the resource file's
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value)
{
    check(panel == configPanel && attribute == ATTR_VISIBLE);
    check(control == CONFIGSYS_PROGRESS || control == CONFIGSYS_FIRMWARE_NOTE);
    (control == CONFIGSYS_PROGRESS ? world.progressVisible : world.noteVisible) = value != 0;
    return 0;
}

// The confirmation before anything is sent: always answered yes.
int ConfirmPopup(const char *title, const char *)
{
    check(strcmp(title, "Firmware Update") == 0 && world.phase == READY && world.block == 0);
    world.confirmations++;
    return 1;
}

// The module's slot, named by the confirmation.
int demoMode = 0;
int mainPanel = 1;
int GetCtrlVal(int panel, int control, char *value, int valueSize)
{
    check(panel == mainPanel && control == MAIN_SLOT && valueSize > 1);
    snprintf(value, (size_t)valueSize, "7");
    return 0;
}

int SetWaitCursor(int on)
{
    world.waitCursor = on != 0;
    return 0;
}

int ProcessDrawEvents(void)
{
    return 0;
}

int Delay(double seconds)
{
    check(seconds == 0.5 && world.phase == POLLING);
    world.delays++;
    return 0;
}

// The message the run must end with, "" for none.
static std::string expectedMessage(size_t blocks)
{
    switch (world.behaviour) {
    case NO_FILE:
        return world.parameter % 3 == 2
                   ? "Unable to open file\n/proc/self/fd/" + std::to_string(memoryFile()) +
                         "/not-there.bin: a part of the path is not a folder"
                   : "";
    case UNREADABLE:
        return "Error reading file: the image was not sent completely";
    case TOO_LARGE:
        return "The file is too large for the module: an image has at most 65535 blocks of 1024 bytes "
               "(67107840 bytes). Nothing was sent.";
    default:
        break;
    }
    if (world.size == 0)
        return "Load file failed";
    if (world.at >= blocks)
        return "";
    switch (world.behaviour) {
    case BUSY:
        return world.parameter < 60 ? "" : "Timeout waiting for UCT response";
    case REFUSE:
        return refusalText(KQ3917E_FIRMWARE_ERROR_BASE + (ViStatus)(ViUInt16)world.parameter);
    case SILENT:
        return "Timeout waiting for UCT response";
    case WRITE_FAILS:
        return world.parameter % 3 == 0 ? "Error writing data to UCT" : "Error writing block number to UCT";
    case COMMAND_FAILS:
        return "Error sending update firmware command to UCT";
    case READ_FAILS:
        return "Error reading command response from UCT";
    default:
        return "";
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *input, size_t size)
{
    const size_t header = 3;
    uint8_t head[header] = {0, 0, 0};
    memcpy(head, input, std::min(size, header));
    world = World{};
    world.behaviour = (Behaviour)(head[0] % BEHAVIOURS);
    world.image = input + std::min(size, header);
    world.size = size - std::min(size, header);
    size_t blocks = (world.size + blockSize - 1) / blockSize;
    // One past the last block: the failure is never reached.
    world.at = head[1] % (blocks + 1);
    world.parameter = head[2];
    if (world.behaviour == REFUSE && head[2] & 0x80)
        world.parameter = 0xFF00u | head[2]; // codes beyond a byte

    instrSession = moduleSession;
    updateFirmware(configPanel);

    std::string expected = expectedMessage(blocks);
    check(world.messages == (expected.empty() ? 0 : 1) && world.message == expected);
    check(!world.progressVisible && !world.noteVisible && !world.waitCursor);
    check(world.confirmations <= 1);
    bool sendsAll = expected.empty() && world.behaviour != NO_FILE;
    if (sendsAll)
        check(world.block == blocks && world.phase == READY);
    else if (world.size == 0 || world.behaviour >= TOO_LARGE)
        check(world.block == 0 && world.phase == READY && world.count == 0);
    else
        check(world.block == world.at && world.phase == STOPPED);
    return 0;
}
