/*
 * script_encoding.cpp: telling how a text script's bytes stand for its
 * characters, and the UTF-8 arithmetic the reader and the writer need.
 *
 * Current editors save UTF-8, often without a byte-order mark, while the
 * program holds text in the system's ANSI code page. A script is read as
 * UTF-8 when all of its bytes are valid UTF-8 and some are not ASCII: text
 * in a single-byte code page almost never forms valid UTF-8 by chance,
 * and an ASCII script reads the same either way. Validity is strict (no
 * overlong forms, no surrogates, nothing past U+10FFFF), so a script that
 * is UTF-8 by this test converts without a loss of its own making.
 */
#include "model/recording_files.h"

#include <cstring>

void StartUtf8Check(Utf8Check* check) {
    check->pending = 0;
    check->low = 0x80;
    check->high = 0xBF;
    check->valid = true;
    check->sawNonAscii = false;
}

/* The bytes that may follow a lead byte: how many, and the range of the
 * first of them (the later ones are always 0x80 to 0xBF). False for a
 * byte that cannot begin a character. */
static bool StartCharacter(Utf8Check* check, unsigned char lead) {
    check->low = 0x80;
    check->high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        check->pending = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
        check->pending = 2;
    else if (lead >= 0xF0 && lead <= 0xF4)
        check->pending = 3;
    else
        return false;
    if (lead == 0xE0)
        check->low = 0xA0; /* no overlong forms */
    else if (lead == 0xED)
        check->high = 0x9F; /* no surrogates */
    else if (lead == 0xF0)
        check->low = 0x90;
    else if (lead == 0xF4)
        check->high = 0x8F; /* nothing past U+10FFFF */
    return true;
}

static bool EightAscii(const unsigned char* bytes) {
    uint64_t word;
    memcpy(&word, bytes, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

void ContinueUtf8Check(Utf8Check* check, const char* text, size_t count) {
    const unsigned char* bytes = (const unsigned char*)text;
    for (size_t i = 0; i < count && check->valid;) {
        if (check->pending == 0 && i + 8 <= count && EightAscii(bytes + i)) {
            i += 8;
            continue;
        }
        unsigned char byte = bytes[i++];
        if (check->pending == 0) {
            if (byte < 0x80)
                continue;
            check->sawNonAscii = true;
            check->valid = StartCharacter(check, byte);
            continue;
        }
        check->valid = byte >= check->low && byte <= check->high;
        check->low = 0x80;
        check->high = 0xBF;
        check->pending--;
    }
}

bool Utf8CheckPassed(const Utf8Check* check) {
    return check->valid && check->pending == 0;
}

bool HoldsNonAscii(const char* text, size_t length) {
    for (size_t i = 0; i < length; i++) {
        if ((unsigned char)text[i] >= 0x80)
            return true;
    }
    return false;
}

/* The length of the character of valid UTF-8 that begins with lead. */
static size_t CharacterLength(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

size_t Utf8Span(const char* text, size_t length, size_t maxCharacters) {
    size_t at = 0;
    for (size_t characters = 0; characters < maxCharacters && at < length; characters++) {
        size_t next = at + CharacterLength((unsigned char)text[at]);
        if (next > length)
            break;
        at = next;
    }
    return at;
}

size_t DropUtf8Characters(const char* text, size_t length, size_t count) {
    for (; count > 0 && length > 0; count--) {
        do
            length--;
        while (length > 0 && ((unsigned char)text[length] & 0xC0) == 0x80);
    }
    return length;
}
