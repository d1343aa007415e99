/*
 * files_win32.cpp: the log's file access on Windows: opening for appending
 * without ever blocking on something that is not a plain file, telling
 * whether two paths name the same file, and the user's local application
 * data folder, whatever characters its path holds.
 */
#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <cwctype>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

/* A pipe or device name ("\\.\pipe\x", "COM1") opens as a handle of
 * another type; only a disk file is written. Other programs may read,
 * write or delete the file meanwhile. */
static const wchar_t* WideNameOf(const char* path);

FILE* PlatformOpenForAppend(const char* path) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const wchar_t* wide = WideNameOf(path);
    HANDLE file = wide != nullptr ? CreateFileW(wide, GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr)
                                  : CreateFileA(path, GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return nullptr;
    }
    int descriptor = _open_osfhandle((intptr_t)file, _O_APPEND | _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(file);
        return nullptr;
    }
    FILE* stream = _fdopen(descriptor, "ab");
    if (stream == nullptr)
        _close(descriptor);
    return stream;
}

bool PlatformDeletePlainFile(const char* path) {
    const wchar_t* wide = WideNameOf(path);
    DWORD attributes = wide != nullptr ? GetFileAttributesW(wide) : GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return false;
    return (wide != nullptr ? DeleteFileW(wide) : DeleteFileA(path)) != 0;
}

static const int FullPathSize = 1024;

/* The full path (current folder and drive filled in, "." and ".." taken
 * out) in UTF-16, for the system's own comparison of file names. */
static bool FullWidePath(const char* path, wchar_t* wide) {
    char full[FullPathSize];
    DWORD length = GetFullPathNameA(path, FullPathSize, full, nullptr);
    if (length == 0 || length >= (DWORD)FullPathSize)
        return false;
    return MultiByteToWideChar(CP_ACP, 0, full, -1, wide, FullPathSize) > 0;
}

/* A full path on a drive or a network share. Pipe, mailslot and device
 * names are not: opening a pipe would take one of its server's
 * instances. */
static bool NamesDiskFile(const wchar_t* full) {
    if (iswalpha(full[0]) && full[1] == L':' && full[2] == L'\\')
        return true;
    if (full[0] != L'\\' || full[1] != L'\\' || full[2] == L'?' || full[2] == L'.')
        return false;
    const wchar_t* share = wcschr(full + 2, L'\\');
    return share != nullptr && _wcsnicmp(share + 1, L"pipe\\", 5) != 0 &&
           _wcsnicmp(share + 1, L"mailslot\\", 9) != 0;
}

/* The volume and index of a file on a disk, which every spelling of it
 * shares (a short 8.3 name, a hard link, a link to it). */
static bool DiskFileIdentity(const wchar_t* full, BY_HANDLE_FILE_INFORMATION* identity) {
    if (!NamesDiskFile(full))
        return false;
    HANDLE file = CreateFileW(full, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool known = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, identity);
    CloseHandle(file);
    return known;
}

static bool OneDiskFile(const wchar_t* first, const wchar_t* second) {
    BY_HANDLE_FILE_INFORMATION a, b;
    return DiskFileIdentity(first, &a) && DiskFileIdentity(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

/* File names compare as the file system compares them: ordinal, without
 * regard to letter case. Two names of one existing file (a short name, a
 * link) are the same file too, so the log never writes into a recording
 * it reaches by another name. */
bool PlatformSameFile(const char* first, const char* second) {
    wchar_t a[FullPathSize], b[FullPathSize];
    if (!FullWidePath(first, a) || !FullWidePath(second, b))
        return false;
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL || OneDiskFile(a, b);
}

/* ---- The user's local application data folder ----
 * The program holds paths in the ANSI code page. Where the folder's path
 * holds characters the code page lacks (a user named Łukasz on a Western
 * system), its short 8.3 path, all in ASCII, names the same folder; where
 * the volume keeps no short names, the file is opened by its wide name,
 * which the path handed out stands for: that path has "?" for each
 * character the code page lacks, which no real file name can hold. */

static wchar_t wideStandIn[MAX_PATH];
static char ansiStandIn[MAX_PATH * 3];

/* The wide name a path handed out above stands for. */
static const wchar_t* WideNameOf(const char* path) {
    return ansiStandIn[0] != '\0' && lstrcmpA(path, ansiStandIn) == 0 ? wideStandIn : nullptr;
}

static bool AppendWide(wchar_t* wide, size_t size, const char* name) {
    size_t used = wcslen(wide);
    if (used + 1 >= size)
        return false;
    wide[used++] = L'\\';
    return MultiByteToWideChar(CP_ACP, 0, name, -1, wide + used, (int)(size - used)) > 0;
}

/* The folder in a form the code page holds: as it is, or its short path. */
static bool AnsiFolder(const wchar_t* wide, char* ansi, int size) {
    if (Win32WideToAnsi(wide, ansi, size) == Win32AnsiExact)
        return true;
    wchar_t shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(wide, shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH &&
           Win32WideToAnsi(shortPath, ansi, size) == Win32AnsiExact;
}

int PlatformLocalAppDataFile(const char* folder, const char* file, char* path, int size) {
    wchar_t wide[MAX_PATH];
    if (size <= 0 ||
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, wide) != S_OK ||
        !AppendWide(wide, MAX_PATH, folder) ||
        (!CreateDirectoryW(wide, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS))
        return -1;
    char base[MAX_PATH * 3];
    int length;
    if (AnsiFolder(wide, base, sizeof base)) {
        length = snprintf(path, (size_t)size, "%s\\%s", base, file);
    } else {
        if (!AppendWide(wide, MAX_PATH, file) ||
            Win32WideToAnsi(wide, ansiStandIn, sizeof ansiStandIn) != Win32AnsiNotInCodePage)
            return -1;
        lstrcpyW(wideStandIn, wide);
        length = snprintf(path, (size_t)size, "%s", ansiStandIn);
    }
    return length < 0 || length >= size ? -1 : length;
}
