// The straightforward way to type text into the list: one insertion per
// key record, each moving the whole tail of the list by one place. The
// tests hold TypeTextEvents to exactly this result; the benchmark measures
// how much slower it is.
#ifndef MIRLOW_TESTS_PER_RECORD_TYPING_H
#define MIRLOW_TESTS_PER_RECORD_TYPING_H

#include <cstring>
#include <vector>

#include "platform/input_rules.h"
#include "platform/platform.h"
#include "playback/playback.h"

inline int32_t TypeTextOneRecordAtATime(int32_t position, int32_t count, const char* text,
                                        int32_t altHeld) {
    int32_t next = position;
    auto insert = [&](uint32_t message, int32_t key, uint32_t mark) {
        EventRecord record = {};
        record.message = message;
        record.paramL = key;
        record.hwnd = mark;
        if (InsertEventRun(next, count, &record, 1)) {
            next++;
            count++;
        }
    };
    std::vector<uint16_t> units(strlen(text) + 1);
    PlatformTextUnits(text, (int)strlen(text), units.data());
    for (const char* c = text; *c != '\0'; c++) {
        CharacterKey key = KeyForCharacter(*c);
        bool wrapInShift = key.shift && altHeld == 0;
        uint16_t unit = units[c - text];
        bool marked = IsTypedAsCharacter(*c) || unit == 0;
        uint32_t keyMark = marked ? TypedMark(unit == 0 ? TypedSilent : TypedCharacter, unit) : 0;
        uint32_t shiftMark = marked ? TypedMark(unit == 0 ? TypedSilent : TypedShift, unit) : 0;
        if (wrapInShift)
            insert(0x0100, KeyShift, shiftMark);
        insert(altHeld != 0 ? 0x0104 : 0x0100, key.virtualKey, keyMark);
        insert(altHeld != 0 ? 0x0105 : 0x0101, key.virtualKey, keyMark);
        if (wrapInShift)
            insert(0x0101, KeyShift, shiftMark);
    }
    return next - position;
}

#endif
