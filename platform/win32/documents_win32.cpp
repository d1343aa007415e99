/*
 * documents_win32.cpp: the common Open and Save dialogs, writing a file
 * that replaces another in one step, the menu items the recent-file list
 * inserts and deletes, and the keyboard focus.
 */
#include <windows.h>
#include <commdlg.h>
#include <fcntl.h>
#include <io.h>

#include "platform/platform.h"

static HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

/* ---- File dialogs ---- */

/* The program asks before replacing a file itself, so the dialog's own
 * overwrite prompt stays off. A choice longer than the buffer fails the
 * dialog (FNERR_BUFFERTOOSMALL) and counts as no choice. */
bool PlatformFileDialog(WindowHandle owner, bool saveMode, const char* filters, int* filterIndex,
                        char* path, int size) {
    char chosen[1024];
    if (size <= 0 || size > (int)sizeof chosen)
        return false;
    lstrcpynA(chosen, path, size);
    OPENFILENAMEA dialog;
    ZeroMemory(&dialog, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ToHwnd(owner);
    dialog.lpstrFilter = filters;
    dialog.nFilterIndex = (DWORD)*filterIndex;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = (DWORD)size;
    dialog.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_HIDEREADONLY;
    BOOL ok = saveMode ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!ok)
        return false;
    lstrcpynA(path, chosen, size);
    *filterIndex = (int)dialog.nFilterIndex;
    return true;
}

/* ---- Saving safely ---- */

/* Write-through: each write reaches the disk before it returns, so once
 * the stream is flushed and closed the whole file is there. */
FILE* PlatformCreateNewFile(const char* path) {
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    int descriptor = _open_osfhandle((intptr_t)handle, _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        DeleteFileA(path);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        _close(descriptor);
        DeleteFileA(path);
    }
    return file;
}

bool PlatformReplaceFile(const char* source, const char* target) {
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
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
