// Inserting synthesized events into the playing list: the character table,
// insertions and what a full list refuses, anchor shifts, typing text.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/model.h"
#include "per_record_typing.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "typed_events.h"

namespace {

class InjectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
        ASSERT_EQ(AllocateRecording(), AllocationSucceeded);
    }
    void TearDown() override {
        ReleaseRecording();
        SimReset();
    }

    // Recorded-looking events, each different in every field.
    static EventRecord Recorded(int i) {
        return EventRecord{0x0200, i, i + 1, 5000u + (uint32_t)i, 7};
    }
    static void FillEvents(int count) {
        ClearEventList();
        for (int i = 0; i < count; i++)
            gRecording.events[i] = Recorded(i);
        gRecording.eventCount = count;
    }
    static std::vector<EventRecord> WholeList() {
        return std::vector<EventRecord>(gRecording.events, gRecording.events + MaxEvents);
    }
    static bool Unchanged(const std::vector<EventRecord>& before) {
        return memcmp(before.data(), gRecording.events, sizeof(EventRecord) * MaxEvents) == 0;
    }
};

TEST(KeyForCharacterTest, FollowsTheUnitedStatesLayout) {
    struct Row {
        char character;
        int32_t key;
        bool shift;
    };
    const Row rows[] = {
        {'A', 0x41, true},
        {'z', 0x5A, false},
        {'0', 0x30, false},
        {'\n', 0x0D, false},
        {'\r', 0x0D, false},
        {'\t', 0x09, false},
        {'@', 0x32, true},
        {')', 0x30, true},
        {':', 0xBA, true},
        {'_', 0xBD, true},
        {'`', 0xC0, false},
        {'{', 0xDB, true},
        {'\\', 0xDC, false},
        {'"', 0xDE, true},
        {'\x08', 0x08, false},
        // Codes above 127 are taken as a signed byte.
        {'\xE9', (int32_t)0xFFFFFFE9, false},
    };
    for (const Row& row : rows) {
        CharacterKey key = KeyForCharacter(row.character);
        EXPECT_EQ(key.virtualKey, row.key) << (int)(unsigned char)row.character;
        EXPECT_EQ(key.shift, row.shift) << (int)(unsigned char)row.character;
    }
}

TEST_F(InjectionTest, WhatWouldPassTheListIsRefusedWhole) {
    const EventRecord click[2] = {{0x0201, 1, 2, 0, 0}, {0x0202, 1, 2, 0, 0}};
    struct Row {
        int position, count, size;
    };
    const Row refused[] = {
        {MaxEvents, MaxEvents, 1}, {0, MaxEvents, 1},     {6, 5, 1}, {-1, 5, 1}, {0, -1, 1},
        {0, MaxEvents + 1, 1},     {5, MaxEvents - 1, 2}, // a button-down alone would leave the
                                                          // button held
    };
    for (const Row& row : refused) {
        FillEvents(row.count >= 0 && row.count <= MaxEvents ? row.count : 5);
        std::vector<EventRecord> before = WholeList();
        EXPECT_FALSE(InsertEventRun(row.position, row.count, click, row.size))
            << row.position << " of " << row.count;
        EXPECT_TRUE(Unchanged(before)) << row.position << " of " << row.count;
    }
    // The last free entry can still be had; the whole list moves up.
    FillEvents(MaxEvents - 1);
    EXPECT_TRUE(InsertEventRun(0, MaxEvents - 1, &click[0], 1));
    EXPECT_EQ(EventsAt(0, 2), (EventTexts{Describe(click[0]), Describe(Recorded(0))}));
    EXPECT_EQ(Describe(gRecording.events[MaxEvents - 1]), Describe(Recorded(MaxEvents - 2)));
    EXPECT_EQ(gRecording.eventCount, MaxEvents - 1) << "the caller keeps the count";
}

TEST_F(InjectionTest, ShiftAnchorsMovesValidCommandsAtOrAfterTheStart) {
    SetScriptCommand(0, CommandType, "a", 2);
    SetScriptCommand(1, CommandWait, "1", 5);
    SetScriptCommand(2, CommandGoto, "x", 9);
    SetScriptCommand(3, CommandType, "not valid", 9);
    gRecording.commandCount = 3;
    ShiftAnchors(5, 3);
    EXPECT_EQ((std::vector<int>(gRecording.commandAnchors, gRecording.commandAnchors + 4)),
              (std::vector<int>{2, 8, 12, 9}));
}

TEST_F(InjectionTest, TypeTextEventsInsertsKeyPairsAheadOfTheTail) {
    struct Row {
        const char* text;
        int32_t altHeld;
        EventTexts expected;
    };
    const Row rows[] = {
        {"Ab", 0, Then({Shifted(0x41), Press(0x42)})},
        {"Ab", 1, Then({SysPress(0x41), SysPress(0x42)})},
        {"\n\r\t", 0, Then({Press(0x0D), Press(0x0D), Press(0x09)})},
        {"", 0, {}},
    };
    for (const Row& row : rows) {
        FillEvents(4);
        int size = (int)row.expected.size();
        EXPECT_EQ(TypeTextEvents(2, 4, row.text, row.altHeld), size) << row.text;
        EXPECT_EQ(EventsAt(2, size + 1), Then({row.expected, {Describe(Recorded(2))}})) << row.text;
        EXPECT_EQ(gRecording.eventCount, 4) << "the caller adds the result";
    }
}

TEST_F(InjectionTest, OneTailMoveGivesTheResultOfOneInsertionPerRecord) {
    for (const char* text : {"Hello, World!\n", "A~b|C \"q\" 12_3\x08\xE9"}) {
        for (int32_t alt = 0; alt <= 1; alt++) {
            for (int position : {0, 3, 10}) {
                FillEvents(10);
                int32_t expectedCount = TypeTextOneRecordAtATime(position, 10, text, alt);
                std::vector<EventRecord> expected = WholeList();
                FillEvents(10);
                EXPECT_EQ(TypeTextEvents(position, 10, text, alt), expectedCount);
                EXPECT_TRUE(Unchanged(expected)) << text << " alt " << alt << " at " << position;
            }
        }
    }
}

TEST_F(InjectionTest, AFullListTypesOnlyTheWholeCharactersThatFit) {
    struct Row {
        int freeEntries;
        const char* text;
        int32_t altHeld;
        EventTexts expected;
    };
    const Row rows[] = {
        {5, "abc", 0, Then({Press(0x41), Press(0x42)})},
        {3, "A", 0, {}}, // Shift, key and Shift up need four
        {3, "A", 1, SysPress(0x41)},
        // Typing stops at the first character that does not fit, so the
        // b after it is not typed out of order.
        {5, "aAb", 0, Press(0x41)},
    };
    for (const Row& row : rows) {
        int count = MaxEvents - row.freeEntries;
        FillEvents(count);
        int size = (int)row.expected.size();
        EXPECT_EQ(TypeTextEvents(count - 1, count, row.text, row.altHeld), size) << row.text;
        EXPECT_EQ(EventsAt(count - 1, size + 1),
                  Then({row.expected, {Describe(Recorded(count - 1))}}))
            << row.text;
    }
    EXPECT_EQ(TypeTextEvents(MaxEvents + 1, MaxEvents, "a", 0), 0);
}

} // namespace
