/*
 * text_win32.cpp: text between the system's ANSI code page and UTF-8, by
 * way of the system's UTF-16.
 *
 * The conversion to the code page asks the system not to fit characters
 * it cannot hold ("best fit" would quietly turn a Polish L with stroke
 * into an L), and to say when it had to put its default character
 * anywhere; that character is then found and reported instead. A system
 * whose ANSI code page is UTF-8 itself (a Windows 10 option) holds every
 * character, so the text is only checked.
 */
#include <windows.h>

#include <cstring>

#include "platform/platform.h"

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
