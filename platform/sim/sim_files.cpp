/*
 * sim_files.cpp: the simulated desktop's files. They are the Linux file
 * system's: a path names what it names there, letter case included; only
 * the comparison of two paths follows Windows.
 *
 * Nothing here waits on a pipe or reads without end from a device: a file
 * is opened without blocking and refused unless it is a plain file, and a
 * read stops at a limit, so a FIFO or /dev/zero named as a settings file,
 * a desktop description or the log cannot hang or swamp the headless
 * program.
 */
#include <cctype>
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

/* ---- Telling whether two paths name one file ----
 * As on Windows, two spellings of one path name one file: letter case,
 * slash or backslash, "." and ".." parts, a relative or a full path,
 * trailing dots and blanks of the last part, whether the file exists or
 * not; an empty path names none. And,
 * as the Windows side also does, two paths that lead to one existing file
 * (a link and its target) name it both. The host's file system tells
 * letter case apart, so two files that differ only in case count as one
 * here: the log then goes beside the recording instead of into the other
 * file, which loses nothing. */

/* The parts of a path joined by "/", without "." and "..", and without
 * the dots and blanks that end its last part, as Windows drops them. */
static std::string NormalisedParts(const std::string& path) {
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= path.size()) {
        size_t end = path.find('/', at);
        std::string part = path.substr(at, end == std::string::npos ? end : end - at);
        if (part == ".." && !parts.empty())
            parts.pop_back();
        else if (!part.empty() && part != "." && part != "..")
            parts.push_back(part);
        at = end == std::string::npos ? path.size() + 1 : end + 1;
    }
    if (!parts.empty() && !path.empty() && path.back() != '/') {
        std::string& last = parts.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' '))
            last.pop_back();
        if (last.empty())
            parts.pop_back();
    }
    std::string joined;
    for (const std::string& part : parts)
        joined += "/" + part;
    return joined.empty() ? "/" : joined;
}

/* The full path in one spelling: "/" between parts, the current folder
 * before a relative path, "." and ".." taken out, ASCII letters in lower
 * case. A drive ("C:") or a double separator (a network share) starts a
 * full path as on Windows. */
static std::string ComparablePath(const char* path) {
    std::string text(path);
    for (char& c : text)
        c = c == '\\' ? '/' : (char)tolower((unsigned char)c);
    std::string root;
    if (text.size() >= 2 && isalpha((unsigned char)text[0]) && text[1] == ':') {
        root = text.substr(0, 2);
        text = text.substr(2);
    } else if (text.compare(0, 2, "//") == 0) {
        root = "/";
    } else if (text.empty() || text[0] != '/') {
        char folder[4096];
        if (getcwd(folder, sizeof folder) != nullptr)
            text = ComparablePath(folder) + "/" + text;
    }
    return root + NormalisedParts(text);
}

bool PlatformSameFile(const char* first, const char* second) {
    if (first[0] == '\0' || second[0] == '\0')
        return false;
    struct stat a, b;
    if (stat(first, &a) == 0 && stat(second, &b) == 0 && a.st_dev == b.st_dev &&
        a.st_ino == b.st_ino)
        return true;
    return ComparablePath(first) == ComparablePath(second);
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
