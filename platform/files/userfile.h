// SPDX-License-Identifier: GPL-3.0-or-later
// Every file that a user's choice names (a dialog's answer, a variable) is
// opened here. Only a regular file is opened, or for writing a new file in
// an existing folder: a FIFO, a device, a socket or a folder is refused
// before it is opened, so the call never waits for the other end of a pipe
// or reads a device without end. Whatever goes wrong comes back as one line
// for the user's message.
#pragma once

#include <cstddef>
#include <cstdio>

// The longest path the system opens, terminator included (PATH_MAX); a path
// buffer of this size holds any path that can be opened.
#define USER_PATH_SIZE 4096
// A reason names the path: this size holds any path and its reason.
#define USER_FILE_REASON_SIZE (USER_PATH_SIZE + 256)

// Opens path with the fopen mode ("r", "rb", "a", "w", "wb", ...). Returns
// the stream, or NULL with reason set to "<path>: <why>" (for example
// "/tmp/x: a FIFO (named pipe), not a regular file"), cut to reasonSize
// bytes and always terminated. Reading modes need an existing regular file;
// writing modes ("w", "a", "+") take an existing regular file or create a
// new one in an existing folder. reason may be NULL.
FILE *OpenUserFile(const char *path, const char *mode, char *reason, size_t reasonSize);
