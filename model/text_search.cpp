/*
 * text_search.cpp: substring search and replacement that ignore the case
 * of ASCII letters, and the test that picks a recording's file format
 * from its path.
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

/* After a replacement the search resumes at the start of the inserted
 * text, so text that a removal joins together is seen again. A replacement
 * that itself holds the pattern would be found there for ever; the search
 * then goes on after it instead. */
int ReplaceAllNoCase(char* text, size_t capacity, const char* pattern, const char* replacement) {
    size_t patternLength = strlen(pattern);
    size_t replacementLength = strlen(replacement);
    size_t length = strnlen(text, capacity);
    if (patternLength == 0 || length >= capacity)
        return 0; /* nothing to look for, or no terminated text in the buffer */
    size_t skip = FindNoCase(replacement, pattern) >= 0 ? replacementLength : 0;
    int count = 0;
    size_t from = 0;
    for (;;) {
        int found = FindNoCase(text + from, pattern);
        if (found < 0)
            return count;
        size_t at = from + (size_t)found;
        if (length - patternLength + replacementLength >= capacity)
            return count; /* the grown text would not fit the buffer */
        memmove(text + at + replacementLength, text + at + patternLength,
                length - at - patternLength + 1);
        memcpy(text + at, replacement, replacementLength);
        length = length - patternLength + replacementLength;
        count++;
        from = at + skip;
    }
}

bool IsBinaryRecordingPath(const char* path) {
    return FindNoCase(path, ".mrl") >= 0;
}
