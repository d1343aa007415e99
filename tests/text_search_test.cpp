// The case-blind search and replacement that script keywords, TYPE tokens
// and the binary-path test share.
#include <gtest/gtest.h>

#include <cstring>

#include "model/model.h"

namespace {

TEST(TextSearch, FindNoCaseComparesLettersOnly) {
    const struct {
        const char* text;
        const char* pattern;
        int position;
    } cases[] = {
        {"Hello {ENTER}", "{enter}", 6}, {"abc", "ABC", 0}, {"abc", "abcd", -1}, {"a[b", "A{B", -1},
        {"xx\xC4x", "\xE4", -1},         {"", "a", -1},     {"abc", "", 0},      {"aaab", "AAB", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindNoCase(c.text, c.pattern), c.position) << c.text << " / " << c.pattern;
}

TEST(TextSearch, ReplaceAllNoCaseWorksInPlace) {
    const struct {
        const char* text;
        const char* pattern;
        const char* replacement;
        size_t capacity;
        const char* result;
        int count;
        bool cut;
    } cases[] = {
        {"2 SECONDS and 1 second", "seconds", "", 64, "2  and 1 second", 1, false},
        {"a{ENTER}b{enter}", "{enter}", "\r", 64, "a\rb\r", 2, false},
        // The search resumes where the replacement starts.
        {"aabb", "AB", "a", 64, "aa", 2, false},
        // A replacement that holds its own pattern is made once per occurrence.
        {"a-a", "a", "aa", 64, "aa-aa", 2, false},
        // Growth never keeps part of a replacement or of a token: the text
        // ends before the occurrence that does not fit, or before a token
        // pushed past the end.
        {"{d}{d}{d}", "{d}", "12345678", 20, "1234567812345678", 2, true},
        {"{x}ab{date}", "{x}", "12345", 12, "12345ab", 1, true},
        {"{x}ab{date}x", "{x}", "12345", 14, "12345ab{date}", 1, true},
        {"{x}abcdefgh", "{x}", "12345", 12, "12345abcdef", 1, true},
        {"abc", "", "x", 64, "abc", 0, false},
    };
    for (const auto& c : cases) {
        char buffer[64] = {};
        strcpy(buffer, c.text);
        bool cut = false;
        EXPECT_EQ(ReplaceAllNoCase(buffer, c.capacity, c.pattern, c.replacement, &cut), c.count)
            << c.text;
        EXPECT_STREQ(buffer, c.result) << c.text;
        EXPECT_EQ(cut, c.cut) << c.text;
    }
}

TEST(TextSearch, BinaryPathsHoldMrlAnywhere) {
    const struct {
        const char* path;
        bool binary;
    } cases[] = {
        {"C:\\a.mrl", true},       {"C:\\A.MRL", true},  {"C:\\rec.MrL\\b.mrx", true},
        {"C:\\a.mrlx", true},      {"C:\\a.mrx", false}, {"C:\\a.mr", false},
        {"C:\\mrl\\a.mrx", false}, {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsBinaryRecordingPath(c.path), c.binary) << c.path;
}

} // namespace
