/*
 * start_win32.cpp: which program a command line starts.
 *
 * Given a program name without a path, CreateProcess looks in the current
 * folder before the system's folders. The current folder is often one the
 * user never chose: Explorer starts a program for a double-clicked
 * document in the document's folder, so a recording unpacked from a zip
 * together with a program named like a system one (notepad.exe) would
 * start that program. So the program is looked for here, as CreateProcess
 * looks for it but without the current folder: the program's own folder,
 * the system folders, the Windows folder, then the folders of the PATH
 * (those given in full; "." or a relative one would be the current folder
 * again). A name with a path is used as written.
 */
#include <windows.h>

#include <cwchar>

#include "platform/win32/win32_internal.h"

static const int SearchListSize = 32768 + 4 * MAX_PATH;
static wchar_t searchList[SearchListSize];
static wchar_t pathVariable[32768];

static void AddFolder(const wchar_t* folder, size_t length) {
    size_t used = wcslen(searchList);
    if (length == 0 || used + length + 2 >= (size_t)SearchListSize)
        return;
    if (used > 0)
        searchList[used++] = L';';
    wmemcpy(searchList + used, folder, length);
    searchList[used + length] = L'\0';
}

/* A folder given in full: a drive's ("C:\...") or a share's ("\\..."). */
static bool IsFullPath(const wchar_t* folder, size_t length) {
    if (length >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/'))
        return true;
    return length >= 2 && folder[0] == L'\\' && folder[1] == L'\\';
}

static void AddPathFolders(void) {
    DWORD length = GetEnvironmentVariableW(L"PATH", pathVariable, 32768);
    if (length == 0 || length >= 32768)
        return;
    for (const wchar_t* at = pathVariable;;) {
        const wchar_t* end = wcschr(at, L';');
        const wchar_t* folder = at;
        size_t folderLength = end != nullptr ? (size_t)(end - at) : wcslen(at);
        if (folderLength >= 2 && folder[0] == L'"' && folder[folderLength - 1] == L'"') {
            folder++;
            folderLength -= 2;
        }
        if (IsFullPath(folder, folderLength))
            AddFolder(folder, folderLength);
        if (end == nullptr)
            break;
        at = end + 1;
    }
}

/* The folders in the order CreateProcess takes them, less the current. */
static void MakeSearchList(void) {
    wchar_t folder[MAX_PATH];
    searchList[0] = L'\0';
    DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        wchar_t* slash = wcsrchr(folder, L'\\');
        if (slash != nullptr)
            AddFolder(folder, (size_t)(slash - folder));
    }
    length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        AddFolder(folder, length);
    length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length > 0 && length + 7 < MAX_PATH) {
        wcscat(folder, L"\\System");
        AddFolder(folder, length + 7);
        AddFolder(folder, length);
    }
    AddPathFolders();
}

static bool HoldsPath(const wchar_t* name, size_t length) {
    for (size_t i = 0; i < length; i++) {
        if (name[i] == L'\\' || name[i] == L'/' || name[i] == L':')
            return true;
    }
    return false;
}

/* One name to look for: true when found (in program); *asWritten when it
 * holds a path, which ends the search. */
static bool LookFor(const wchar_t* name, size_t length, wchar_t* program, bool* asWritten) {
    wchar_t wanted[MAX_PATH];
    if (length == 0 || length >= MAX_PATH)
        return false;
    if (HoldsPath(name, length)) {
        *asWritten = true;
        return false;
    }
    wmemcpy(wanted, name, length);
    wanted[length] = L'\0';
    DWORD found = SearchPathW(searchList, wanted, L".exe", MAX_PATH, program, nullptr);
    return found > 0 && found < MAX_PATH;
}

/* The names CreateProcess would try: a quoted one, or each run of the
 * line up to a blank, then the whole line. */
Win32ProgramLookup Win32ProgramToStart(const wchar_t* commandLine, wchar_t* program) {
    const wchar_t* name = commandLine;
    while (*name == L' ' || *name == L'\t')
        name++;
    MakeSearchList();
    bool asWritten = false;
    if (*name == L'"') {
        const wchar_t* close = wcschr(name + 1, L'"');
        size_t length = close != nullptr ? (size_t)(close - name - 1) : wcslen(name + 1);
        if (LookFor(name + 1, length, program, &asWritten))
            return Win32ProgramFound;
        return asWritten ? Win32ProgramAsWritten : Win32ProgramNotFound;
    }
    for (const wchar_t* end = name;; end++) {
        bool blank = *end == L' ' || *end == L'\t';
        if ((blank || *end == L'\0') && LookFor(name, (size_t)(end - name), program, &asWritten))
            return Win32ProgramFound;
        if (asWritten)
            return Win32ProgramAsWritten;
        if (*end == L'\0')
            return Win32ProgramNotFound;
    }
}
