// Inserting synthesized events into the playing list: the character table,
// single and run insertions, anchor shifts, typing text, and what a full
// list refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "log/log.h"
#include "model/model.h"
#include "per_record_typing.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "settings/settings.h"
#include "typed_events.h"

namespace {

class InjectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
        ASSERT_EQ(AllocateRecording(), AllocationSucceeded);
        gSettings.log = LogOff;
    }
    void TearDown() override {
        ReleaseRecording();
        SimReset();
        gSettings.log = LogOff;
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
    static bool SameLists(const std::vector<EventRecord>& a, const std::vector<EventRecord>& b) {
        return memcmp(a.data(), b.data(), sizeof(EventRecord) * MaxEvents) == 0;
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
        {'Z', 0x5A, true},
        {'a', 0x41, false},
        {'z', 0x5A, false},
        {'0', 0x30, false},
        {'9', 0x39, false},
        {'\t', 0x09, false},
        {'\n', 0x0D, false},
        {'\r', 0x0D, false},
        {' ', 0x20, false},
        {'!', 0x31, true},
        {'@', 0x32, true},
        {'#', 0x33, true},
        {'$', 0x34, true},
        {'%', 0x35, true},
        {'^', 0x36, true},
        {'&', 0x37, true},
        {'*', 0x38, true},
        {'(', 0x39, true},
        {')', 0x30, true},
        {';', 0xBA, false},
        {':', 0xBA, true},
        {'=', 0xBB, false},
        {'+', 0xBB, true},
        {',', 0xBC, false},
        {'<', 0xBC, true},
        {'-', 0xBD, false},
        {'_', 0xBD, true},
        {'.', 0xBE, false},
        {'>', 0xBE, true},
        {'/', 0xBF, false},
        {'?', 0xBF, true},
        {'`', 0xC0, false},
        {'~', 0xC0, true},
        {'[', 0xDB, false},
        {'{', 0xDB, true},
        {'\\', 0xDC, false},
        {'|', 0xDC, true},
        {']', 0xDD, false},
        {'}', 0xDD, true},
        {'\'', 0xDE, false},
        {'"', 0xDE, true},
        // Everything else types its own code; codes above 127 as a signed byte.
        {'\x08', 0x08, false},
        {'\x1B', 0x1B, false},
        {'\x7F', 0x7F, false},
        {'\x01', 0x01, false},
        {'\xE9', (int32_t)0xFFFFFFE9, false},
        {'\x80', (int32_t)0xFFFFFF80, false},
    };
    for (const Row& row : rows) {
        CharacterKey key = KeyForCharacter(row.character);
        EXPECT_EQ(key.virtualKey, row.key) << "character " << (int)(unsigned char)row.character;
        EXPECT_EQ(key.shift, row.shift) << "character " << (int)(unsigned char)row.character;
    }
}

TEST_F(InjectionTest, InsertEventPutsTheRecordAtItsPlaceAndMovesTheTail) {
    struct Row {
        int position;
        std::vector<int> before; // recorded events around the new one, by index
        std::vector<int> after;
    };
    const Row rows[] = {
        {5, {0, 1, 2, 3, 4}, {}}, // at the end: appends, moves nothing
        {2, {0, 1}, {2, 3, 4}},
        {0, {}, {0, 1, 2, 3, 4}},
    };
    const EventRecord inserted = {0x0201, 640, 480, 0, 0};
    for (const Row& row : rows) {
        FillEvents(5);
        ASSERT_TRUE(InsertEvent(row.position, 5, inserted)) << row.position;
        EventTexts expected;
        for (int i : row.before)
            expected.push_back(Describe(Recorded(i)));
        expected.push_back(Describe(inserted));
        for (int i : row.after)
            expected.push_back(Describe(Recorded(i)));
        expected.push_back(Describe(EventRecord{}));
        EXPECT_EQ(EventsAt(0, 7), expected) << row.position;
        EXPECT_EQ(gRecording.eventCount, 5) << "the caller keeps the count";
    }
}

TEST_F(InjectionTest, InsertEventRefusesWhatWouldPassTheEndOfTheList) {
    struct Row {
        int position;
        int count;
    };
    const Row refused[] = {
        {MaxEvents, MaxEvents},
        {0, MaxEvents}, // full
        {6, 5},         // beyond the valid records
        {-1, 5},
        {0, -1},
        {0, MaxEvents + 1},
    };
    const EventRecord record = {0x0100, 0x41, 0, 0, 0};
    for (const Row& row : refused) {
        FillEvents(row.count > 0 && row.count <= MaxEvents ? row.count : 5);
        std::vector<EventRecord> before = WholeList();
        EXPECT_FALSE(InsertEvent(row.position, row.count, record))
            << row.position << " of " << row.count;
        EXPECT_TRUE(SameLists(WholeList(), before)) << row.position << " of " << row.count;
    }

    // The last free entry can still be had, at either end of the list.
    FillEvents(MaxEvents - 1);
    EXPECT_TRUE(InsertEvent(0, MaxEvents - 1, record));
    EXPECT_EQ(Describe(gRecording.events[0]), Describe(record));
    EXPECT_EQ(Describe(gRecording.events[MaxEvents - 1]), Describe(Recorded(MaxEvents - 2)));
    FillEvents(MaxEvents - 1);
    EXPECT_TRUE(InsertEvent(MaxEvents - 1, MaxEvents - 1, record));
    EXPECT_EQ(Describe(gRecording.events[MaxEvents - 1]), Describe(record));
}

TEST_F(InjectionTest, ARunGoesInWholeOrNotAtAll) {
    const EventRecord click[2] = {{0x0201, 10, 20, 0, 0}, {0x0202, 10, 20, 0, 0}};
    FillEvents(3);
    ASSERT_TRUE(InsertEventRun(1, 3, click, 2));
    EXPECT_EQ(EventsAt(0, 5), Then({{Describe(Recorded(0))},
                                    {Describe(click[0]), Describe(click[1])},
                                    {Describe(Recorded(1)), Describe(Recorded(2))}}));

    // One entry left: a button-down alone would leave the button held.
    FillEvents(MaxEvents - 1);
    std::vector<EventRecord> before = WholeList();
    EXPECT_FALSE(InsertEventRun(5, MaxEvents - 1, click, 2));
    EXPECT_TRUE(SameLists(WholeList(), before));
}

TEST_F(InjectionTest, ShiftAnchorsMovesOnlyCommandsAtOrAfterTheStart) {
    struct Row {
        int from;
        int delta;
        std::vector<int> expected;
    };
    const Row rows[] = {
        {5, 3, {2, 8, 12}},
        {0, 2, {4, 7, 11}},
        {9, 4, {2, 5, 13}},
        {10, 4, {2, 5, 9}},
    };
    for (const Row& row : rows) {
        SetScriptCommand(0, CommandType, "a", 2);
        SetScriptCommand(1, CommandWait, "1", 5);
        SetScriptCommand(2, CommandGoto, "x", 9);
        SetScriptCommand(3, CommandType, "not valid", 9); // beyond commandCount
        gRecording.commandCount = 3;
        ShiftAnchors(row.from, row.delta);
        std::vector<int> anchors = {gRecording.commandAnchors[0], gRecording.commandAnchors[1],
                                    gRecording.commandAnchors[2]};
        EXPECT_EQ(anchors, row.expected) << "from " << row.from;
        EXPECT_EQ(gRecording.commandAnchors[3], 9);
    }
}

TEST_F(InjectionTest, TypeTextEventsInsertsKeyPairsAfterThePosition) {
    struct Row {
        const char* text;
        int32_t altHeld;
        EventTexts expected;
    };
    const Row rows[] = {
        {"Ab", 0, Then({Shifted(0x41), Press(0x42)})},
        {"Ab", 1, Then({SysPress(0x41), SysPress(0x42)})},
        {"", 0, {}},
        {"\n\r\t", 0, Then({Press(0x0D), Press(0x0D), Press(0x09)})},
        {"a:", 0, Then({Press(0x41), Shifted(0xBA)})},
        {"?", 7, SysPress(0xBF)}, // any nonzero flag means Alt is held
    };
    for (const Row& row : rows) {
        FillEvents(4);
        SetScriptCommand(0, CommandType, "x", 3);
        gRecording.commandCount = 1;

        int32_t inserted = TypeTextEvents(2, 4, row.text, row.altHeld);

        int size = (int)row.expected.size();
        EXPECT_EQ(inserted, size) << row.text;
        EXPECT_EQ(EventsAt(2, size), row.expected) << row.text;
        // The records from the position on moved up behind the typed ones.
        EXPECT_EQ(EventsAt(0, 2), (EventTexts{Describe(Recorded(0)), Describe(Recorded(1))}));
        EXPECT_EQ(EventsAt(2 + size, 2),
                  (EventTexts{Describe(Recorded(2)), Describe(Recorded(3))}));
        EXPECT_EQ(gRecording.eventCount, 4) << "the caller adds the result";
        EXPECT_EQ(gRecording.commandAnchors[0], 3) << "the caller shifts the anchors";
    }
}

TEST_F(InjectionTest, TypingMovesTheTailOnceWithTheResultOfOneRecordAtATime) {
    const char* texts[] = {"Hello, World!\n", "x", "A~b|C \"q\" 12_3", "\x08\xE9\t"};
    const int positions[] = {0, 3, 10};
    for (const char* text : texts) {
        for (int32_t alt = 0; alt <= 1; alt++) {
            for (int position : positions) {
                FillEvents(10);
                int32_t expectedCount = TypeTextOneRecordAtATime(position, 10, text, alt);
                std::vector<EventRecord> expected = WholeList();

                FillEvents(10);
                EXPECT_EQ(TypeTextEvents(position, 10, text, alt), expectedCount);
                EXPECT_TRUE(SameLists(WholeList(), expected))
                    << text << " alt " << alt << " at " << position;
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
        {0, "a", 0, {}},
        {6, "aAb", 0, Then({Press(0x41), Shifted(0x41)})},
        // Typing stops at the first character that does not fit, so a later
        // one that would fit is not typed out of order.
        {5, "aAb", 0, Press(0x41)},
    };
    for (const Row& row : rows) {
        int count = MaxEvents - row.freeEntries;
        FillEvents(count);
        int position = count - 2;

        int32_t inserted = TypeTextEvents(position, count, row.text, row.altHeld);

        int size = (int)row.expected.size();
        EXPECT_EQ(inserted, size) << row.text << " with " << row.freeEntries << " free";
        EXPECT_EQ(EventsAt(position, size), row.expected) << row.text;
        EXPECT_EQ(EventsAt(position + size, 2),
                  (EventTexts{Describe(Recorded(count - 2)), Describe(Recorded(count - 1))}))
            << row.text;
    }

    // A position outside the list types nothing.
    FillEvents(4);
    EXPECT_EQ(TypeTextEvents(5, 4, "a", 0), 0);
    EXPECT_EQ(TypeTextEvents(-1, 4, "a", 0), 0);
    EXPECT_EQ(Describe(gRecording.events[4]), Describe(EventRecord{}));
}

TEST_F(InjectionTest, LoggingEveryStepAtHighLeavesTheResultAlone) {
    gSettings.log = LogHigh;
    std::string longText(ScriptTextSize - 1, 'w');
    SetScriptCommand(0, 99, longText.c_str(), 3); // a kind without a keyword
    SetScriptCommand(1, CommandType, "x", 4);
    gRecording.commandCount = 2;
    FillEvents(5);

    EXPECT_EQ(TypeTextEvents(3, 5, "Hi%s%n", 0), 18);
    ShiftAnchors(3, 18);
    EXPECT_EQ(gRecording.commandAnchors[0], 21);
    FillEvents(MaxEvents);
    EXPECT_FALSE(InsertEvent(0, MaxEvents, EventRecord{}));
    EXPECT_EQ(TypeTextEvents(0, MaxEvents, "abc", 0), 0);
}

} // namespace
