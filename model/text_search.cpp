/*
 * text_search.cpp: substring search and replacement that ignore the case
 * of ASCII letters, the test that picks a recording's file format from
 * its path, and the file name within a path.
 *
 * Script keywords, TYPE tokens and the ".mrl" test all match in any letter
 * case; bytes outside A to Z and a to z compare as they are, so text in
 * any 8-bit code page passes through unchanged.
 */
#include "model/model.h"

#include <cstring>

static inline unsigned char FoldCase(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? (unsigned char)(c + ('a' - 'A')) : c;
}

static bool MatchesNoCase(const char* text, const char* pattern) {
    for (; *pattern != '\0'; text++, pattern++) {
        if (FoldCase((unsigned char)*text) != FoldCase((unsigned char)*pattern))
            return false;
    }
    return true;
}

int FindNoCase(const char* text, const char* pattern) {
    unsigned char first = FoldCase((unsigned char)pattern[0]);
    if (first == '\0')
        return 0;
    for (const char* at = text; *at != '\0'; at++) {
        if (FoldCase((unsigned char)*at) == first && MatchesNoCase(at + 1, pattern + 1))
            return (int)(at - text);
    }
    return -1;
}

/* Tokens are short groups in braces ("{playbackloop}" is the longest);
 * a cut that falls within this many characters after an opening brace
 * with no closing one is taken to split a token. */
static const size_t LongestToken = 32;

/* Moves the end of a text that was cut at length back to before a token it
 * split, but never into the first keep characters. Returns the new length. */
static size_t CutBeforeSplitToken(char* text, size_t keep, size_t length) {
    size_t lowest = length > keep + LongestToken ? length - LongestToken : keep;
    for (size_t at = length; at > lowest; at--) {
        if (text[at - 1] == '}')
            break;
        if (text[at - 1] == '{') {
            text[at - 1] = '\0';
            return at - 1;
        }
    }
    return length;
}

static void NoteCut(bool* cut) {
    if (cut != nullptr)
        *cut = true;
}

/* After a replacement the search resumes at the start of the inserted
 * text, so text that a removal joins together is seen again. A replacement
 * that itself holds the pattern would be found there for ever; the search
 * then goes on after it instead.
 *
 * A text that grows past the buffer is cut, but never through a token or a
 * replacement: a replacement goes in whole or, with everything after it,
 * not at all, and text pushed past the end is cut before any token it
 * would split. Typing "{da" or half a number would be worse than typing
 * less. */
int ReplaceAllNoCase(char* text, size_t capacity, const char* pattern, const char* replacement,
                     bool* cut) {
    size_t patternLength = strlen(pattern);
    size_t replacementLength = strlen(replacement);
    size_t length = strnlen(text, capacity);
    if (patternLength == 0 || length >= capacity)
        return 0; /* nothing to look for, or no terminated text in the buffer */
    const size_t room = capacity - 1;
    size_t skip = FindNoCase(replacement, pattern) >= 0 ? replacementLength : 0;
    int count = 0;
    size_t from = 0;
    for (;;) {
        int found = FindNoCase(text + from, pattern);
        if (found < 0)
            return count;
        size_t at = from + (size_t)found;
        if (replacementLength > room - at) {
            text[at] = '\0';
            NoteCut(cut);
            return count;
        }
        size_t tail = length - at - patternLength;
        size_t keptTail =
            tail < room - at - replacementLength ? tail : room - at - replacementLength;
        memmove(text + at + replacementLength, text + at + patternLength, keptTail);
        memcpy(text + at, replacement, replacementLength);
        length = at + replacementLength + keptTail;
        text[length] = '\0';
        if (keptTail < tail) {
            length = CutBeforeSplitToken(text, at + replacementLength, length);
            NoteCut(cut);
        }
        count++;
        from = at + skip;
    }
}

bool IsBinaryRecordingPath(const char* path) {
    return FindNoCase(path, ".mrl") >= 0;
}

const char* FileNameOfPath(const char* path) {
    const char* name = path;
    for (const char* at = path; *at != '\0'; at++) {
        if (*at == '\\' || *at == '/' || *at == ':')
            name = at + 1;
    }
    return name;
}
