// SPDX-License-Identifier: GPL-3.0-or-later
#include "userfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif

static const char *kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder, not a file";
#ifdef S_ISFIFO
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe), not a regular file";
#endif
#ifdef S_ISSOCK
    if (S_ISSOCK(mode))
        return "a socket, not a regular file";
#endif
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device, not a regular file";
    return S_ISREG(mode) ? NULL : "not a regular file";
}

// The system's own texts follow the user's language and name causes in its
// terms; the common ones are said here in the program's.
static const char *errorText(int error, int creates)
{
    switch (error) {
    case ENOENT:
        return creates ? "its folder does not exist" : "there is no such file";
    case EACCES:
    case EPERM:
        return "permission denied";
    case ENOTDIR:
        return "a part of the path is not a folder";
    case ENAMETOOLONG:
        return "the path is too long for the system";
#ifdef ELOOP
    case ELOOP:
        return "the path runs in a loop of symbolic links";
#endif
    case EROFS:
        return "the file system is read-only";
    case ENOSPC:
        return "the disk is full";
    case EISDIR:
        return "a folder, not a file";
    default:
        return strerror(error);
    }
}

static FILE *refuse(const char *path, const char *why, char *reason, size_t reasonSize)
{
    if (reason != NULL && reasonSize > 0)
        snprintf(reason, reasonSize, "%s: %s", path, why);
    return NULL;
}

FILE *OpenUserFile(const char *path, const char *mode, char *reason, size_t reasonSize)
{
    if (reason != NULL && reasonSize > 0)
        reason[0] = '\0';
    if (path == NULL || path[0] == '\0')
        return refuse("", "no file was named", reason, reasonSize);
    if (mode == NULL || strchr("rwa", mode[0]) == NULL)
        return refuse(path, "invalid open mode", reason, reasonSize);
    if (const size_t length = strlen(path); length >= USER_PATH_SIZE) {
        if (reason != NULL && reasonSize > 0)
            snprintf(reason, reasonSize, "the path of %zu bytes is too long: the system takes at most %d",
                     length, USER_PATH_SIZE - 1);
        return NULL;
    }
    // Only "w" and "a" make a missing file.
    const int creates = mode[0] != 'r';
    const int writing = creates || strchr(mode, '+') != NULL;
    struct stat info;
    if (stat(path, &info) == 0) {
        if (const char *kind = kindOf(info.st_mode))
            return refuse(path, kind, reason, reasonSize);
    } else if (errno != ENOENT || !creates) {
        return refuse(path, errorText(errno, creates), reason, reasonSize);
    }
    int flags = mode[0] == 'r' ? 0 : O_CREAT | (mode[0] == 'w' ? O_TRUNC : O_APPEND);
    flags |= strchr(mode, '+') != NULL ? O_RDWR : writing ? O_WRONLY : O_RDONLY;
    // Without blocking: what was checked above may have been replaced by a
    // FIFO since, and opening one waits for its other end.
    const int fd = open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_BINARY, 0666);
    if (fd < 0)
        return refuse(path, errorText(errno, creates), reason, reasonSize);
    const char *kind = fstat(fd, &info) == 0 ? kindOf(info.st_mode) : errorText(errno, creates);
#ifndef _WIN32
    // Reads and writes of the regular file then wait as usual.
    if (kind == NULL && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        kind = errorText(errno, creates);
#endif
    FILE *file = kind == NULL ? fdopen(fd, mode) : NULL;
    if (file == NULL) {
        if (kind == NULL)
            kind = errorText(errno, creates);
        close(fd);
        return refuse(path, kind, reason, reasonSize);
    }
    return file;
}
