// Expanding a TYPE command's text: the fixed order of the key blocks, the
// Alt state across commands, value tokens on a fixed clock, random
// numbers, and the limits of the buffer and the list.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "settings/settings.h"
#include "typed_events.h"

namespace {

const int TypeAt = 1;  // the TYPE command's placeholder
const int LaterAt = 2; // a later command's placeholder

// Seeds the generator so that its next number is r: the state after one
// step must be r << 16, so the seed is that state stepped back once.
void SeedSoNextRandomIs(int r) {
    const uint32_t multiplier = 1103515245u;
    uint32_t inverse = multiplier; // Newton's iteration for the inverse mod 2^32
    for (int i = 0; i < 5; i++)
        inverse *= 2u - multiplier * inverse;
    SeedRandom((((uint32_t)r << 16) - 12345u) * inverse);
}

EventTexts TypingOf(const std::string& text) {
    EventTexts all;
    for (char c : text) {
        CharacterKey key = KeyForCharacter(c);
        all = Then({all, key.shift ? Shifted(key.virtualKey) : Press(key.virtualKey)});
    }
    return all;
}

class AutoTypeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
        ASSERT_EQ(AllocateRecording(), AllocationSucceeded);
        gSettings.log = LogOff;
        gSettings.randomMin = 1000;
        gSettings.randomMax = 9999;
        gSettings.loopTypeBase = 0;
        gJournal.loopsCompleted = 0;
        ResetList();
    }
    void TearDown() override {
        ReleaseRecording();
        SimReset();
        gSettings.log = LogOff;
    }

    // A mouse move, the TYPE placeholder, a later WAIT placeholder, a move.
    static void ResetList() {
        ClearEventList();
        gRecording.events[0] = EventRecord{0x0200, 1, 2, 100, 7};
        gRecording.events[3] = EventRecord{0x0200, 3, 4, 200, 7};
        gRecording.eventCount = 4;
        SetScriptCommand(0, CommandType, "", TypeAt);
        SetScriptCommand(1, CommandWait, "1", LaterAt);
        gRecording.commandCount = 2;
        autoTypeAltHeld = 0;
    }

    // Runs the text as the TYPE command does and collects what it inserted:
    // the records between the placeholder and the later command's, which
    // must have moved by exactly their number.
    int32_t RunType(const char* text) {
        int32_t laterBefore = gRecording.commandAnchors[1];
        int32_t countBefore = gRecording.eventCount;
        int32_t typed = ExpandAutoType(TypeAt + 1, text);
        gRecording.eventCount += typed;
        ShiftAnchors(TypeAt + 1, typed);

        int32_t later = gRecording.commandAnchors[1];
        inserted = EventsAt(TypeAt + 1, later - laterBefore);
        EXPECT_EQ(gRecording.commandAnchors[0], TypeAt) << "its own anchor never moves";
        EXPECT_EQ(gRecording.eventCount - countBefore, later - laterBefore) << text;
        EXPECT_EQ(gRecording.events[later].message, 0u) << "the later placeholder moved along";
        return typed;
    }

    EventTexts inserted;
};

TEST_F(AutoTypeTest, HelloEnterTypesFourteenEvents) {
    EXPECT_EQ(RunType("Hello{enter}"), 14);
    EXPECT_EQ(inserted, Then({Shifted(0x48), Press(0x45), Press(0x4C), Press(0x4C), Press(0x4F),
                              Press(0x0D)}));
}

TEST_F(AutoTypeTest, KeyTokensComeFirstInTheirFixedOrderThenTheText) {
    struct Row {
        const char* text;
        int32_t typed; // the records of the text, behind the key blocks
        EventTexts expected;
    };
    const Row rows[] = {
        {"a{TAB}b{\\n}", 8, Then({Press(0x41), Press(0x09), Press(0x42), Press(0x0D)})},
        // Ctrl goes down and up before the s is typed: s without Ctrl.
        {"{ctrldown}s{ctrlup}", 2, Then({Keys({0x100}, 0x11), Keys({0x101}, 0x11), Press(0x53)})},
        {"{shiftdown}{ctrldown}", 0, Keys({0x100}, 0x11)}, // one event for both
        {"{l_altdown}", 0, Keys({0x104}, 0xA4)},
        {"x{altup}{altdown}", 2, Then({Keys({0x104, 0x105}, 0x12), Press(0x58)})},
        {"{ctrlup}{shiftdown}{end}{r_altdown}", 0,
         Then({Keys({0x104}, 0xA5), Keys({0x100}, 0x10), Keys({0x101}, 0x11), SysPress(0x23)})},
        // One navigation key per text: the row listed last wins.
        {"{home}{end}", 0, Press(0x24)},
        {"{esc}{F1}", 0, Press(0x1B)},
        {"{F12}{f10}{leftarrow}", 0, Press(0x25)},
        // A brace and an F that make no token give key 0, then the text.
        {"{fun}", 14, Then({Press(0), TypingOf("{fun}")})},
        {"{altup}", 18, TypingOf("{altup}")}, // text while Alt is not held
    };
    for (const Row& row : rows) {
        ResetList();
        EXPECT_EQ(RunType(row.text), row.typed) << row.text;
        EXPECT_EQ(inserted, row.expected) << row.text;
    }
}

TEST_F(AutoTypeTest, AltStaysHeldAcrossTypeCommandsUntilAltUp) {
    EXPECT_EQ(RunType("{altdown}"), 0);
    EXPECT_EQ(inserted, Keys({0x104}, 0x12));
    EXPECT_EQ(RunType("F"), 2);
    EXPECT_EQ(inserted, SysPress(0x46)) << "Alt keys, without Shift";
    // A second Alt-down while held is only text, typed as Alt keys.
    EXPECT_EQ(RunType("{altdown}"), 18);
    EXPECT_EQ(RunType("{altup}"), 0);
    EXPECT_EQ(inserted, Keys({0x105}, 0x12));
    EXPECT_EQ(RunType("f"), 2);
    EXPECT_EQ(inserted, Press(0x46));
}

TEST_F(AutoTypeTest, ValueTokensOnAFixedClock) {
    SimSetLocalTime(LocalTime{2003, 3, 0, 9, 7, 6, 5, 4}); // 9 March 2003, 07:06:05.004
    struct Row {
        const char* text;
        int32_t base, completed;
        const char* typed;
    };
    const Row rows[] = {
        {"{date} {Time}", 0, 0, "03/09/2003 07:06:05"},
        {"{dtnumber}", 0, 0, "200303090706050004"},
        {"{playbackloop}", 0, 0, "1"},
        {"{PlaybackLoop}", 0, 1, "2"},
        {"{playbackloop}", 100, 0, "101"},
    };
    for (const Row& row : rows) {
        ResetList();
        gSettings.loopTypeBase = row.base;
        gJournal.loopsCompleted = row.completed;
        RunType(row.text);
        EXPECT_EQ(inserted, TypingOf(row.typed)) << row.text;
    }
    gSettings.loopTypeBase = INT32_MAX;
    EXPECT_EQ(CurrentLoopNumber(), INT32_MIN) << "wraps, never overflows";
}

TEST_F(AutoTypeTest, RandomTokenDrawsOneNumberForAllItsOccurrences) {
    SeedRandom(42);
    std::string number = std::to_string(RandomInRange(1000, 9999));
    int next = NextRandom();
    SeedRandom(42);
    RunType("{random}-{RANDOM}");
    EXPECT_EQ(inserted, TypingOf(number + "-" + number));
    EXPECT_EQ(NextRandom(), next);
}

TEST(RandomInRangeTest, ScalesTheGeneratorOntoTheRange) {
    struct Row {
        int32_t minimum, maximum;
        int r;
        int32_t expected;
    };
    const Row rows[] = {
        {1000, 9999, 0, 1000},
        {1000, 9999, 32767, 9999},
        {0, 1, 16383, 0},
        {0, 1, 16385, 1},
        {-10, -1, 32767, -1},
        {INT32_MIN, INT32_MAX, 0, INT32_MIN}, // the widest range does not overflow
        {10, 5, 32767, 7},                    // wrong way round: between the two
    };
    for (const Row& row : rows) {
        SeedSoNextRandomIs(row.r);
        EXPECT_EQ(RandomInRange(row.minimum, row.maximum), row.expected)
            << row.minimum << ".." << row.maximum << " r " << row.r;
    }
}

TEST_F(AutoTypeTest, TextThatGrowsPastTheBufferIsCutBetweenTokens) {
    // 102 tokens of 10 characters and 3 more make 1,023 characters; each
    // token grows to 18 digits, so 56 whole numbers fit and the text ends
    // there, never in part of a number or of a token.
    SimSetLocalTime(LocalTime{2003, 3, 0, 9, 7, 6, 5, 4});
    std::string text, expanded;
    for (int i = 0; i < 102; i++)
        text += "{dtnumber}";
    for (int i = 0; i < 56; i++)
        expanded += "200303090706050004";
    text += "xyz";
    EXPECT_EQ(RunType(text.c_str()), 2 * 56 * 18);
    EXPECT_EQ(inserted, TypingOf(expanded));
    // A value that still fits pushes a later token past the end: the text
    // ends before that token instead of typing "{tim".
    text = "{date}" + std::string(1009, 'a') + "{time}";
    RunType(text.c_str());
    EXPECT_EQ(inserted, TypingOf("03/09/2003" + std::string(1009, 'a')));
}

TEST_F(AutoTypeTest, AFullListRefusesKeyBlocksWhole) {
    for (int i = 4; i < MaxEvents - 1; i++)
        gRecording.events[i] = EventRecord{0x0200, i, i, 0, 0};
    gRecording.eventCount = MaxEvents - 1;

    // One free entry: the Home pair and the typed a need two each.
    EXPECT_EQ(RunType("{home}a"), 0);
    EXPECT_TRUE(inserted.empty());
    // An Alt-down fits; the Alt-up after it does not, so Alt stays held.
    RunType("{altdown}");
    EXPECT_EQ(inserted, Keys({0x104}, 0x12));
    RunType("{altup}");
    EXPECT_TRUE(inserted.empty());
    EXPECT_NE(autoTypeAltHeld, 0);
    EXPECT_EQ(gRecording.eventCount, MaxEvents);
}

TEST_F(AutoTypeTest, LoggingEveryStepAtHighLeavesTheResultAlone) {
    gSettings.log = LogHigh;
    SetScriptCommand(1, 99, "a kind without a keyword", LaterAt);
    EXPECT_EQ(RunType("{altdown}{altup}{ctrldown}{shiftup}{F3}%s"), 6);
    EXPECT_EQ(inserted.size(), 6u + 6u);
}

} // namespace
