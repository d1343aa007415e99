/*
 * shell_win32.cpp: the shell's open of documents, web and mail addresses,
 * the user's browser started on an address, and text turned from the
 * system's code page into UTF-8.
 */
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

/* Some handlers the shell hands an open to are COM objects. */
static void PrepareShell(void) {
    static bool prepared;
    if (!prepared) {
        prepared = true;
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
}

int PlatformShellOpen(const char* target) {
    PrepareShell();
    return (int)(INT_PTR)ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

/* The program registered for web addresses is the user's browser. It is
 * started with the command line it registered, the address in place of
 * its "%1" (added at the end when there is none), so the browser's own
 * switches come along. */
static bool BrowserCommand(const char* address, char* line, int size) {
    char command[2048];
    DWORD length = sizeof command;
    if (AssocQueryStringA(ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, "http", "open", command, &length) !=
        S_OK)
        return false;
    const char* slot = strstr(command, "%1");
    if (slot == nullptr)
        slot = strstr(command, "%L");
    int written = slot != nullptr ? snprintf(line, (size_t)size, "%.*s%s%s", (int)(slot - command),
                                             command, address, slot + 2)
                                  : snprintf(line, (size_t)size, "%s \"%s\"", command, address);
    return written > 0 && written < size;
}

/* A command line longer than a program start takes is not tried; the
 * caller then hands the address to the shell. */
int PlatformOpenInBrowser(const char* address) {
    char line[1024];
    if (!BrowserCommand(address, line, sizeof line))
        return 0;
    ProcessHandle browser = PlatformStartProcess(line);
    if (browser == nullptr)
        return SE_ERR_FNF;
    PlatformCloseProcess(browser);
    return 33; /* what the shell answers for a started program */
}

bool PlatformAnsiToUtf8(const char* text, char* utf8, int size) {
    static WCHAR wide[4096];
    int count = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, (int)(sizeof wide / sizeof wide[0]));
    if (count == 0)
        return false;
    return WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, nullptr, nullptr) != 0;
}

/* ---- Typed text: which unit each byte stands for ---- */

/* The bytes the character at text takes (1 to 4), by the code page's
 * rule for its first byte; a byte that starts no whole character is one. */
static int CharacterLength(const BYTE* text, int left, UINT codePage) {
    if (codePage != CP_UTF8)
        return left >= 2 && IsDBCSLeadByteEx(codePage, text[0]) ? 2 : 1;
    BYTE lead = text[0];
    int length = lead >= 0xF0 && lead <= 0xF4   ? 4
                 : lead >= 0xE0 && lead <= 0xEF ? 3
                 : lead >= 0xC2 && lead <= 0xDF ? 2
                                                : 1;
    if (length > left)
        return 1;
    for (int i = 1; i < length; i++) {
        if ((text[i] & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

/* A surrogate pair or a single unit. */
static int UnitsAt(const WCHAR* wide, int at, int count) {
    return at + 1 < count && IS_HIGH_SURROGATE(wide[at]) && IS_LOW_SURROGATE(wide[at + 1]) ? 2 : 1;
}

static void PlaceUnits(uint16_t* units, int size, const WCHAR* wide, int count) {
    for (int i = 0; i < size; i++)
        units[i] = 0;
    units[0] = count > 0 ? wide[0] : 0xFFFD;
    if (count == 2 && size >= 2)
        units[1] = wide[1];
}

/* The whole text's units laid over its characters; false where they do
 * not line up. */
static bool SpreadUnits(const BYTE* bytes, int length, const WCHAR* wide, int count,
                        uint16_t* units) {
    UINT codePage = GetACP();
    int at = 0;
    for (int i = 0; i < length;) {
        int size = CharacterLength(bytes + i, length - i, codePage);
        int taken = at < count ? UnitsAt(wide, at, count) : 0;
        if (taken == 0 || taken > size)
            return false;
        PlaceUnits(units + i, size, wide + at, taken);
        i += size;
        at += taken;
    }
    return at == count;
}

/* The text is converted as a whole, so a character of several bytes and
 * a surrogate pair come out right. Where bytes that are no character of
 * the code page keep the conversion from lining up with the characters,
 * each character is converted alone. */
void PlatformTextUnits(const char* text, int length, uint16_t* units) {
    static WCHAR wide[16384];
    const int room = (int)(sizeof wide / sizeof wide[0]);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text);
    int count =
        length > 0 && length <= room ? MultiByteToWideChar(CP_ACP, 0, text, length, wide, room) : 0;
    if (length <= 0 || (count > 0 && SpreadUnits(bytes, length, wide, count, units)))
        return;
    UINT codePage = GetACP();
    for (int i = 0; i < length;) {
        int size = CharacterLength(bytes + i, length - i, codePage);
        WCHAR one[2];
        int converted = MultiByteToWideChar(CP_ACP, 0, text + i, size, one, 2);
        PlaceUnits(units + i, size, one, converted);
        i += size;
    }
}
