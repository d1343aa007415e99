/*
 * sim_files.cpp: the simulated desktop's files. They are the Linux file
 * system's: a path names what it names there, letter case included.
 *
 * Nothing here waits on a pipe or reads without end from a device: a file
 * is opened without blocking and refused unless it is a plain file, and a
 * read stops at a limit, so a FIFO or /dev/zero named as a settings file,
 * a desktop description or the log cannot hang or swamp the headless
 * program.
 */
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/sim_control.h"

static const int NotPlainFile = -2;

/* Opened without blocking (a FIFO with no one at the far end would wait
 * for ever), then kept only when it is a plain file. -1 when it cannot be
 * opened (errno says why), NotPlainFile when it is something else. */
static int OpenPlainFile(const char* path, int flags, struct stat* entry) {
    int descriptor = open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return -1;
    if (fstat(descriptor, entry) != 0 || !S_ISREG(entry->st_mode)) {
        close(descriptor);
        return NotPlainFile;
    }
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

static FILE* OpenPlainStream(const char* path, int flags, const char* mode) {
    struct stat entry;
    int descriptor = OpenPlainFile(path, flags, &entry);
    if (descriptor < 0)
        return nullptr;
    FILE* file = fdopen(descriptor, mode);
    if (file == nullptr)
        close(descriptor);
    return file;
}

FILE* PlatformOpenForAppend(const char* path) {
    return OpenPlainStream(path, O_WRONLY | O_APPEND | O_CREAT, "ab");
}

/* Emptied only once it is known to be a plain file. */
FILE* SimCreatePlainFile(const char* path) {
    FILE* file = OpenPlainStream(path, O_WRONLY | O_CREAT, "wb");
    if (file != nullptr && ftruncate(fileno(file), 0) != 0) {
        fclose(file);
        return nullptr;
    }
    return file;
}

/* A link is deleted as the link; a device node or a pipe never is. */
bool PlatformDeletePlainFile(const char* path) {
    struct stat entry;
    if (lstat(path, &entry) != 0 || !(S_ISREG(entry.st_mode) || S_ISLNK(entry.st_mode)))
        return false;
    return unlink(path) == 0;
}

/* Paths that lead to files are the same when they lead to the same file
 * (so "./a" and "a", or a link and its target, are one); paths that lead
 * nowhere are the same only when they are spelled the same. */
bool PlatformSameFile(const char* first, const char* second) {
    struct stat a, b;
    bool firstExists = stat(first, &a) == 0;
    bool secondExists = stat(second, &b) == 0;
    if (firstExists && secondExists)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    return !firstExists && !secondExists && strcmp(first, second) == 0;
}

SimFileRead SimReadPlainFile(const char* path, size_t limit, std::string* bytes) {
    bytes->clear();
    struct stat entry;
    int descriptor = OpenPlainFile(path, O_RDONLY, &entry);
    if (descriptor == NotPlainFile)
        return SimFileNotPlain;
    if (descriptor < 0)
        return errno == ENOENT ? SimFileMissing : SimFileUnreadable;
    SimFileRead result = (size_t)entry.st_size > limit ? SimFileTooLarge : SimFileReadOk;
    char chunk[4096];
    while (result == SimFileReadOk) {
        ssize_t got = read(descriptor, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            result = got < 0 ? SimFileUnreadable : SimFileReadOk;
            break;
        }
        bytes->append(chunk, (size_t)got);
        if (bytes->size() > limit)
            result = SimFileTooLarge; /* it grew while being read */
    }
    close(descriptor);
    if (result != SimFileReadOk)
        bytes->clear();
    return result;
}

/* ---- The user's local application data folder ---- */

static std::string localAppData;

void SimSetLocalAppDataFolder(const char* path) {
    localAppData = path != nullptr ? path : "";
}

int PlatformLocalAppDataFile(const char* folder, const char* file, char* path, int size) {
    if (localAppData.empty())
        return -1;
    std::string made = localAppData + "/" + folder;
    if (mkdir(made.c_str(), 0755) != 0 && errno != EEXIST)
        return -1;
    std::string full = made + "/" + file;
    if (full.size() >= (size_t)size)
        return -1;
    memcpy(path, full.c_str(), full.size() + 1);
    return (int)full.size();
}
