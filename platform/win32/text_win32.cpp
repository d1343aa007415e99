/*
 * text_win32.cpp: text between the system's ANSI code page and UTF-8, by
 * way of the system's UTF-16.
 *
 * The conversion to the code page asks the system not to fit characters
 * it cannot hold ("best fit" would quietly turn a Polish L with stroke
 * into an L), and to say when it had to put its default character
 * anywhere; that character is then found and reported instead. A system
 * whose ANSI code page is UTF-8 itself (a Windows 10 option) holds every
 * character, so the text is only checked. Wide file names from the
 * system (its dialogs, the command line) are put into the code page by
 * the same rule, and checked by converting them back.
 *
 * Typed text is converted as a whole too, and each of its bytes told the
 * UTF-16 unit it stands for, so a character of several bytes and a
 * surrogate pair are typed whole.
 */
#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

/* Room for the longest text either way; callers convert a line at a time. */
static const int WideCapacity = 8192;
static WCHAR wide[WideCapacity];

bool PlatformAnsiToUtf8(const char* text, char* utf8, int size) {
    int count = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, WideCapacity);
    if (count == 0)
        return false;
    return WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, nullptr, nullptr) != 0;
}

/* One character (a surrogate pair counts as one) starting at wide[at]:
 * its length in UTF-16 units and its code point. */
static int CharacterAt(int at, int count, uint32_t* character) {
    WCHAR first = wide[at];
    if (first >= 0xD800 && first <= 0xDBFF && at + 1 < count) {
        *character =
            0x10000 + ((uint32_t)(first - 0xD800) << 10) + (uint32_t)(wide[at + 1] - 0xDC00);
        return 2;
    }
    *character = first;
    return 1;
}

/* The first character of wide[0..count) that the code page cannot hold. */
static uint32_t FirstUnheldCharacter(int count) {
    for (int at = 0; at < count;) {
        uint32_t character = 0;
        int units = CharacterAt(at, count, &character);
        char bytes[8];
        BOOL usedDefault = FALSE;
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide + at, units, bytes, sizeof bytes,
                            nullptr, &usedDefault);
        if (usedDefault)
            return character;
        at += units;
    }
    return 0;
}

static int CopyText(const char* text, int length, char* out, int size) {
    if (length + 1 > size)
        return -1;
    memcpy(out, text, (size_t)length);
    out[length] = '\0';
    return length;
}

int PlatformUtf8ToAnsi(const char* utf8, int length, char* ansi, int size, uint32_t* unheld) {
    *unheld = 0;
    if (size < 1 || length < 0 || length > WideCapacity)
        return -1;
    if (length == 0)
        return CopyText(utf8, 0, ansi, size);
    int count =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, wide, WideCapacity);
    if (count <= 0)
        return -1;
    if (GetACP() == CP_UTF8)
        return CopyText(utf8, length, ansi, size);
    BOOL usedDefault = FALSE;
    int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, count, ansi, size - 1,
                                      nullptr, &usedDefault);
    if (usedDefault) {
        *unheld = FirstUnheldCharacter(count);
        return -1;
    }
    if (written <= 0)
        return -1;
    ansi[written] = '\0';
    return written;
}

/* ---- Wide names (of files, of the command line) into the code page ---- */

static wchar_t roundTrip[32768];

/* A UTF-8 code page takes every character but no lone surrogate half; the
 * round trip catches that, and any look-alike a double-byte code page
 * would put in despite being asked not to. */
Win32AnsiConversion Win32WideToAnsi(const wchar_t* wide, char* ansi, int size) {
    if (size <= 0)
        return Win32AnsiTooLong;
    bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, ansi, size,
                                     nullptr, utf8 ? nullptr : &usedDefault);
    if (length == 0) {
        bool tooLong = GetLastError() == ERROR_INSUFFICIENT_BUFFER;
        ansi[size - 1] = '\0';
        return tooLong ? Win32AnsiTooLong : Win32AnsiNotInCodePage;
    }
    if (usedDefault)
        return Win32AnsiNotInCodePage;
    int back = MultiByteToWideChar(CP_ACP, 0, ansi, -1, roundTrip,
                                   (int)(sizeof roundTrip / sizeof roundTrip[0]));
    if (back == 0 || lstrcmpW(roundTrip, wide) != 0)
        return Win32AnsiNotInCodePage;
    return Win32AnsiExact;
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
    static WCHAR textWide[16384];
    const int room = (int)(sizeof textWide / sizeof textWide[0]);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text);
    int count = length > 0 && length <= room
                    ? MultiByteToWideChar(CP_ACP, 0, text, length, textWide, room)
                    : 0;
    if (length <= 0 || (count > 0 && SpreadUnits(bytes, length, textWide, count, units)))
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
