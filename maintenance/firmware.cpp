// SPDX-License-Identifier: GPL-3.0-or-later
// Firmware update: the image file goes to the module in blocks of at most
// 1024 bytes through a register mailbox in its first memory region, one
// update command per block, each block acknowledged before the next.
#include "maintenance.h"

#include "app.h"
#include "userfile.h"
#include "userint.h"
#include <uctpanels.h>

#include <algorithm>
#include <cstdio>

#define FIRMWARE_TITLE "Firmware Update"
#define BLOCK_SIZE 1024
// Block numbers are 16 bits and never 0xFFFF.
#define MAX_BLOCKS 0xFFFF
#define MAX_IMAGE_SIZE ((long)MAX_BLOCKS * BLOCK_SIZE)
#define POLL_LIMIT 60
#define POLL_INTERVAL 0.5

// Mailbox registers (16 bits wide) and the module's answers.
#define REG_RESPONSE 0x100010
#define REG_BLOCK 0x100200 // write: block number; read after a refusal: error code
#define REG_BYTE_COUNT 0x100204
#define REG_DATA 0x100208 // data byte i at REG_DATA + 4 * i
#define RESPONSE_ACCEPTED 0x8000
#define RESPONSE_REFUSED 0xFFFF

#define TOO_LARGE_TEXT                                                                                       \
    "The file is too large for the module: an image has at most 65535 blocks of 1024 bytes "                 \
    "(67107840 bytes). Nothing was sent."
#define NO_LENGTH_TEXT "The size of the file cannot be found. Nothing was sent."
#define GREW_FORMAT                                                                                          \
    "The file grew past the largest image (65535 blocks of 1024 bytes, 67107840 bytes) while it was "        \
    "sent: its first %ld bytes were sent, the rest was not."
// Decimals of the progress beyond which the cut below stops (the indicator shows one).
#define PROGRESS_DECIMALS_MAX 6
#define DEMO_TEXT                                                                                            \
    "A firmware update needs a module: in demonstration mode there is none to send an image to. "            \
    "Nothing was sent."
#define SLOT_TEXT_SIZE 16

static int writeRegister(ViBusAddress offset, ViUInt16 value)
{
    return viOut16(instrSession, VI_PXI_BAR0_SPACE, offset, value) == VI_SUCCESS;
}

static int readRegister(ViBusAddress offset, ViUInt16 *value)
{
    return viIn16(instrSession, VI_PXI_BAR0_SPACE, offset, value) == VI_SUCCESS;
}

// Puts one block into the mailbox and starts its processing. Returns NULL
// or the message that stops the transfer.
static const char *sendBlock(ViUInt16 block, const unsigned char *data, ViUInt16 count)
{
    ViUInt16 checksum = 0;
    for (int i = 0; i < count; i++) {
        checksum = (ViUInt16)(checksum + data[i]);
        if (!writeRegister(REG_DATA + 4 * i, data[i])) {
            return "Error writing data to UCT";
        }
    }
    if (!writeRegister(REG_BLOCK, block) || !writeRegister(REG_BYTE_COUNT, count)) {
        return "Error writing block number to UCT";
    }
    if (kq3917e_write_command_and_data(instrSession, KQ3917E_CMD_UPDATE_FIRMWARE, checksum) != VI_SUCCESS) {
        return "Error sending update firmware command to UCT";
    }
    return NULL;
}

// Waits for the module's answer to the block just sent. Returns NULL when it
// was accepted, else the message; a refusal's text goes into sharedText.
static const char *awaitAnswer(void)
{
    for (int poll = 0; poll < POLL_LIMIT; poll++) {
        Delay(POLL_INTERVAL);
        // Keeps the windows drawn and the desktop answered through a long
        // wait; input and timer ticks still wait for the end of the transfer.
        ProcessDrawEvents();
        ViUInt16 response = 0;
        if (!readRegister(REG_RESPONSE, &response)) {
            return "Error reading command response from UCT";
        }
        if (response == RESPONSE_ACCEPTED) {
            return NULL;
        }
        if (response == RESPONSE_REFUSED) {
            ViUInt16 code = 0;
            if (!readRegister(REG_BLOCK, &code)) {
                return "Error reading command response from UCT";
            }
            sharedText[0] = '\0';
            kq3917e_error_message(VI_NULL, KQ3917E_FIRMWARE_ERROR_BASE + code, sharedText);
            sharedText[KQ3917E_MESSAGE_SIZE - 1] = '\0';
            return sharedText;
        }
    }
    return "Timeout waiting for UCT response";
}

// The share of the file already sent, cut (never rounded up) to the decimals
// that the indicator shows: it reads 100 only once every byte is sent.
static void showProgress(int panel, long block, long length)
{
    int decimals = 0;
    GetCtrlAttribute(panel, CONFIGSYS_PROGRESS, ATTR_PRECISION, &decimals);
    long long steps = 100; // per whole file
    for (int i = 0; i < decimals && i < PROGRESS_DECIMALS_MAX; i++) {
        steps *= 10;
    }
    // An empty file has no meaningful percentage; one that grew has more.
    long long done = length > 0 ? std::min((long long)block * BLOCK_SIZE * steps / length, steps) : 0;
    SetCtrlVal(panel, CONFIGSYS_PROGRESS, (double)done * 100.0 / (double)steps);
    ProcessDrawEvents();
}

// The file's length now, its position kept; -1 when it has none.
static long fileLength(FILE *file)
{
    long position = ftell(file);
    fseek(file, 0, SEEK_END);
    long length = ftell(file);
    fseek(file, position, SEEK_SET);
    return length;
}

// The message that stops a file grown past the largest image once `blocks`
// whole blocks were sent.
static const char *grownPastLimit(long blocks)
{
    snprintf(sharedText, SHARED_TEXT_SIZE, GREW_FORMAT, blocks * BLOCK_SIZE);
    return sharedText;
}

// Sends the whole file. Returns NULL after the last block, else the message
// that stops the transfer; "" means that nothing could be read at all.
static const char *transferImage(int panel, FILE *file, long length)
{
    unsigned char data[BLOCK_SIZE];
    for (long block = 0;; block++) {
        showProgress(panel, block, length);
        // A file that grows past the largest image can never be sent whole:
        // the transfer stops as soon as it shows.
        if (fileLength(file) > MAX_IMAGE_SIZE) {
            return grownPastLimit(block);
        }
        size_t count = fread(data, 1, BLOCK_SIZE, file);
        if (ferror(file)) {
            return "Error reading file: the image was not sent completely";
        }
        if (count == 0) {
            return block == 0 ? "" : NULL;
        }
        // It grew between that look and this read: block 0xFFFF is past the
        // largest image.
        if (block == MAX_BLOCKS) {
            return grownPastLimit(block);
        }
        const char *failure = sendBlock((ViUInt16)block, data, (ViUInt16)count);
        if (failure == NULL) {
            failure = awaitAnswer();
        }
        if (failure != NULL || count < BLOCK_SIZE) {
            return failure;
        }
    }
}

// The last word before the module's firmware is overwritten: what goes
// where. Returns 1 when the user agrees.
static int confirmTransfer(const char *path, long length)
{
    char slotText[SLOT_TEXT_SIZE] = "";
    GetCtrlVal(mainPanel, MAIN_SLOT, slotText);
    char message[USER_PATH_SIZE + 256];
    snprintf(message, sizeof message,
             "Replace the firmware of the module in slot %s?\n\nFile: %s\nSize: %ld bytes, %ld blocks of %d "
             "bytes\n\nThe module's firmware will be replaced by this image.",
             slotText, path, length, (length + BLOCK_SIZE - 1) / BLOCK_SIZE, BLOCK_SIZE);
    return ConfirmPopup(FIRMWARE_TITLE, message);
}

void updateFirmware(int panel)
{
    // The simulated module has no firmware to replace.
    if (demoMode != 0) {
        MessagePopup(FIRMWARE_TITLE, DEMO_TEXT);
        return;
    }
    // Any path the system can open; the shared text is too short for one.
    char path[MAX_PATHNAME_LEN] = "";
    if (FileSelectPopup("", "*.bin", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 0, path, sizeof path) !=
        VAL_EXISTING_FILE_SELECTED) {
        return;
    }
    char reason[USER_FILE_REASON_SIZE];
    FILE *file = OpenUserFile(path, "rb", reason, sizeof reason);
    if (file == NULL) {
        char text[sizeof reason + 32];
        snprintf(text, sizeof text, "Unable to open file\n%s", reason);
        MessagePopup(FIRMWARE_TITLE, text);
        return;
    }
    long length = fileLength(file);
    // ftell fails on a stream without a length, and where long has 32 bits
    // on a file beyond 2 GiB: no such image may go out unchecked. An empty
    // file has nothing to confirm.
    const char *failure = length < 0 ? NO_LENGTH_TEXT : length > MAX_IMAGE_SIZE ? TOO_LARGE_TEXT : NULL;
    if (failure == NULL && length > 0 && !confirmTransfer(path, length)) {
        fclose(file);
        return;
    }
    SetWaitCursor(1);
    SetCtrlAttribute(panel, CONFIGSYS_PROGRESS, ATTR_VISIBLE, 1);
    SetCtrlAttribute(panel, CONFIGSYS_FIRMWARE_NOTE, ATTR_VISIBLE, 1);
    if (failure == NULL) {
        failure = transferImage(panel, file, length);
    }
    if (failure != NULL && failure[0] != '\0') {
        MessagePopup(FIRMWARE_TITLE, failure);
    }
    SetCtrlAttribute(panel, CONFIGSYS_PROGRESS, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, CONFIGSYS_FIRMWARE_NOTE, ATTR_VISIBLE, 0);
    SetWaitCursor(0);
    fclose(file);
    // An image of no bytes sends nothing; the user must learn that.
    if (failure != NULL && failure[0] == '\0') {
        MessagePopup(FIRMWARE_TITLE, "Load file failed");
    }
}
