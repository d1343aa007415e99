/*
 * sim_text.cpp: the simulated desktop's ANSI code page, Windows-1252, as a
 * Western Windows system has it, converted to and from UTF-8 by the same
 * rules as the system's conversions: every byte stands for one character
 * (the five bytes that 1252 leaves undefined for the control characters
 * of the same number), and a character outside the code page is reported,
 * never replaced. Typed text is told its UTF-16 units by the same table,
 * or as UTF-8 where a test set that code page.
 */
#include <cstring>

#include "platform/platform.h"
#include "platform/sim/sim_internal.h"

namespace {

/* The characters of the bytes 0x80 to 0x9F; the bytes from 0xA0 on are
 * the characters of the same number. */
const uint16_t HighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t CharacterOfByte(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? HighControlRange[byte - 0x80] : byte;
}

/* The byte of a character, or -1 when the code page has none. */
int ByteOfCharacter(uint32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return (int)character;
    for (int i = 0; i < 32; i++) {
        if (HighControlRange[i] == character)
            return 0x80 + i;
    }
    return -1;
}

/* Decodes one character of strict UTF-8 (no overlong forms, surrogates or
 * values past U+10FFFF) at text; returns its length, 0 when invalid. */
int DecodeUtf8(const unsigned char* text, int left, uint32_t* character) {
    unsigned char lead = text[0];
    int length = lead < 0x80                    ? 1
                 : lead >= 0xC2 && lead <= 0xDF ? 2
                 : lead >= 0xE0 && lead <= 0xEF ? 3
                 : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                : 0;
    if (length == 0 || length > left)
        return 0;
    uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; i++) {
        if ((text[i] & 0xC0) != 0x80)
            return 0;
        value = value << 6 | (text[i] & 0x3F);
    }
    static const uint32_t Smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < Smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *character = value;
    return length;
}

int EncodeUtf8(uint32_t character, char* out) {
    if (character < 0x80) {
        out[0] = (char)character;
        return 1;
    }
    if (character < 0x800) {
        out[0] = (char)(0xC0 | character >> 6);
        out[1] = (char)(0x80 | (character & 0x3F));
        return 2;
    }
    out[0] = (char)(0xE0 | character >> 12);
    out[1] = (char)(0x80 | (character >> 6 & 0x3F));
    out[2] = (char)(0x80 | (character & 0x3F));
    return 3;
}

} // namespace

bool PlatformAnsiToUtf8(const char* text, char* utf8, int size) {
    int length = 0;
    for (const unsigned char* at = (const unsigned char*)text; *at != '\0'; at++) {
        char encoded[3];
        int needed = EncodeUtf8(CharacterOfByte(*at), encoded);
        if (length + needed >= size)
            return false;
        memcpy(utf8 + length, encoded, (size_t)needed);
        length += needed;
    }
    if (length >= size)
        return false;
    utf8[length] = '\0';
    return true;
}

int PlatformUtf8ToAnsi(const char* utf8, int length, char* ansi, int size, uint32_t* unheld) {
    *unheld = 0;
    const unsigned char* text = (const unsigned char*)utf8;
    int written = 0;
    for (int at = 0; at < length;) {
        uint32_t character = 0;
        int used = DecodeUtf8(text + at, length - at, &character);
        if (used == 0)
            return -1;
        int byte = ByteOfCharacter(character);
        if (byte < 0) {
            *unheld = character;
            return -1;
        }
        if (written + 1 >= size)
            return -1;
        ansi[written++] = (char)byte;
        at += used;
    }
    if (size < 1)
        return -1;
    ansi[written] = '\0';
    return written;
}

/* A byte that starts no whole UTF-8 character stands for U+FFFD alone. */
void PlatformTextUnits(const char* text, int length, uint16_t* units) {
    const unsigned char* bytes = (const unsigned char*)text;
    bool utf8 = SimAnsiCodePageIsUtf8();
    for (int i = 0; i < length;) {
        uint32_t character = CharacterOfByte(bytes[i]);
        int size = 1;
        if (utf8) {
            size = DecodeUtf8(bytes + i, length - i, &character);
            if (size == 0) {
                size = 1;
                character = 0xFFFD;
            }
        }
        for (int j = 0; j < size; j++)
            units[i + j] = 0;
        if (character >= 0x10000) {
            units[i] = (uint16_t)(0xD800 + ((character - 0x10000) >> 10));
            units[i + 1] = (uint16_t)(0xDC00 + ((character - 0x10000) & 0x3FF));
        } else {
            units[i] = (uint16_t)character;
        }
        i += size;
    }
}
