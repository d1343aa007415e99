/*
 * documents_win32.cpp: the common Open and Save dialogs, writing a file
 * that replaces another in one step, the menu items the recent-file list
 * inserts and deletes, and the keyboard focus.
 */
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

/* ---- File dialogs ---- */

/* The wide dialog hands the name over as the user typed it; the program
 * then converts it itself, refusing what the code page cannot hold. The
 * buffer takes the longest path the system knows, so a long choice is
 * handed over (and refused by the caller) rather than failing the dialog. */
static const int WidePathSize = 32768;
static wchar_t widePath[WidePathSize];
static wchar_t wideFilters[2048];

/* The list ends at two NULs in a row; both are converted. */
static bool WideFilterList(const char* filters) {
    const char* end = filters;
    while (end[0] != '\0' || end[1] != '\0')
        end++;
    int length = (int)(end - filters) + 2;
    return MultiByteToWideChar(CP_ACP, 0, filters, length, wideFilters,
                               (int)(sizeof wideFilters / sizeof wideFilters[0])) == length;
}

/* The dialogs change the current folder to the one the user chose (the
 * Open dialog whatever its flags say); it is put back, so a program a
 * script starts later is never looked for where a file was opened. */
static wchar_t currentFolder[WidePathSize];

static bool ShowFileDialog(OPENFILENAMEW* dialog, bool saveMode) {
    DWORD kept = GetCurrentDirectoryW(WidePathSize, currentFolder);
    bool chosen = (saveMode ? GetSaveFileNameW(dialog) : GetOpenFileNameW(dialog)) != 0;
    if (kept > 0 && kept < (DWORD)WidePathSize)
        SetCurrentDirectoryW(currentFolder);
    return chosen;
}

/* The program asks before replacing a file itself, so the dialog's own
 * overwrite prompt stays off. */
FileDialogOutcome PlatformFileDialog(WindowHandle owner, bool saveMode, const char* filters,
                                     int* filterIndex, char* path, int size) {
    if (size <= 0 || !WideFilterList(filters))
        return FileDialogCancelled;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, WidePathSize) == 0)
        widePath[0] = L'\0';
    OPENFILENAMEW dialog;
    ZeroMemory(&dialog, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ToHwnd(owner);
    dialog.lpstrFilter = wideFilters;
    dialog.nFilterIndex = (DWORD)*filterIndex;
    dialog.lpstrFile = widePath;
    dialog.nMaxFile = (DWORD)WidePathSize;
    dialog.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_HIDEREADONLY;
    if (!ShowFileDialog(&dialog, saveMode)) {
        if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL)
            return FileDialogCancelled;
        path[0] = '\0';
        return FileDialogTooLong;
    }
    switch (Win32WideToAnsi(widePath, path, size)) {
    case Win32AnsiTooLong:
        return FileDialogTooLong;
    case Win32AnsiNotInCodePage:
        return FileDialogNotInCodePage;
    default:
        *filterIndex = (int)dialog.nFilterIndex;
        return FileDialogChosen;
    }
}

/* ---- Saving safely ---- */

/* The error of the last refused file operation, kept before any other
 * call can overwrite the thread's last error. */
static DWORD lastFileError;

static FileOutcome Refused(DWORD error) {
    lastFileError = error;
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return FileNameTaken;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
        return FileBusy;
    default:
        return FileFailed;
    }
}

/* Write-through: each write reaches the disk before it returns, so once
 * the stream is flushed and closed the whole file is there. */
FileOutcome PlatformCreateNewFile(const char* path, FILE** file) {
    *file = nullptr;
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Refused(GetLastError());
    int descriptor = _open_osfhandle((intptr_t)handle, _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        DeleteFileA(path);
        return Refused(ERROR_NOT_ENOUGH_MEMORY);
    }
    *file = _fdopen(descriptor, "wb");
    if (*file == nullptr) {
        _close(descriptor);
        DeleteFileA(path);
        return Refused(ERROR_NOT_ENOUGH_MEMORY);
    }
    return FileDone;
}

static FileOutcome RenameOver(const char* source, const char* target) {
    if (MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return FileDone;
    return Refused(GetLastError());
}

static bool FileIsMissing(const char* path) {
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

/* Another program has the file open and does not let others delete or
 * rename it. Asked before ReplaceFile, which under Wine leaves an empty
 * file of its own behind each time it is refused. */
static bool FileIsHeld(const char* path) {
    HANDLE file = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
        return false;
    lastFileError = error;
    return true;
}

/* ReplaceFile carries the old file's security settings, attributes,
 * creation time and streams over to the new one. A refusal while another
 * program holds either file changes nothing and is asked again. Any other
 * refusal that leaves the old file in its place (a file system that does
 * not support it, attributes that cannot be merged; with a backup name
 * given, both of its documented half-way ends but one) falls back to the
 * rename. The one that leaves the old file under the backup name and the
 * target's name free is the caller's to finish, never a reason to delete
 * anything. */
FileOutcome PlatformReplaceFile(const char* source, const char* target, const char* backup) {
    if (FileIsMissing(target))
        return RenameOver(source, target);
    if (FileIsHeld(target) || FileIsHeld(source))
        return FileBusy;
    if (ReplaceFileA(target, source, backup,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                     nullptr)) {
        DeleteFileA(backup);
        return FileDone;
    }
    DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return Refused(error);
    if (!FileIsMissing(target))
        return RenameOver(source, target);
    lastFileError = error;
    return FileSetAside;
}

FileOutcome PlatformMoveFile(const char* source, const char* target) {
    if (MoveFileExA(source, target, MOVEFILE_WRITE_THROUGH))
        return FileDone;
    return Refused(GetLastError());
}

void PlatformFileErrorText(char* text, int size) {
    Win32ErrorText(lastFileError, text, size);
}

/* ---- Menu items ---- */

/* The popup of the menu bar that holds the item, and its position there. */
static bool FindMenuItem(HMENU bar, int commandId, HMENU* popup, int* position) {
    int menus = GetMenuItemCount(bar);
    for (int i = 0; i < menus; i++) {
        HMENU menu = GetSubMenu(bar, i);
        int items = menu != nullptr ? GetMenuItemCount(menu) : 0;
        for (int k = 0; k < items; k++) {
            if (GetMenuItemID(menu, k) == (UINT)commandId) {
                *popup = menu;
                *position = k;
                return true;
            }
        }
    }
    return false;
}

/* A single "&" would underline the next character and vanish; doubled it
 * shows as itself. */
static void EscapeAmpersands(const char* text, char* escaped, size_t size) {
    size_t used = 0;
    for (; *text != '\0' && used + 2 < size; text++) {
        if (*text == '&')
            escaped[used++] = '&';
        escaped[used++] = *text;
    }
    escaped[used] = '\0';
}

bool PlatformInsertMenuItemAfter(WindowHandle window, int afterCommandId, int commandId,
                                 const char* text) {
    HMENU popup;
    int position;
    if (!FindMenuItem(GetMenu(ToHwnd(window)), afterCommandId, &popup, &position))
        return false;
    char escaped[2 * 1024 + 1];
    EscapeAmpersands(text, escaped, sizeof escaped);
    return InsertMenuA(popup, (UINT)position + 1, MF_BYPOSITION | MF_STRING, (UINT_PTR)commandId,
                       escaped) != 0;
}

bool PlatformDeleteMenuItem(WindowHandle window, int commandId) {
    return DeleteMenu(GetMenu(ToHwnd(window)), (UINT)commandId, MF_BYCOMMAND) != 0;
}
