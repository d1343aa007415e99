// Expanding a TYPE command's text: the fixed order of the key blocks, the
// Alt state across commands, every token table, value tokens on a fixed
// clock, random numbers, and the limits of the buffer and the list.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
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
const int EventsAround = 4;

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
        gApp.loopsCompleted = 0;
        autoTypeAltHeld = 0;
        ResetList();
    }
    void TearDown() override {
        ReleaseRecording();
        SimReset();
        gSettings.log = LogOff;
        autoTypeAltHeld = 0;
        gApp.loopsCompleted = 0;
    }

    // A mouse move, the TYPE placeholder, a later WAIT placeholder, a move.
    static void ResetList() {
        ClearEventList();
        gRecording.events[0] = EventRecord{0x0200, 1, 2, 100, 7};
        gRecording.events[3] = EventRecord{0x0200, 3, 4, 200, 7};
        gRecording.eventCount = EventsAround;
        SetScriptCommand(0, CommandType, "", TypeAt);
        SetScriptCommand(1, CommandWait, "1", LaterAt);
        gRecording.commandCount = 2;
    }

    // Runs the text as the TYPE command does and collects everything it
    // inserted: the records between the placeholder and the later command's
    // placeholder, which must have moved by exactly their number.
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
        EXPECT_EQ(gRecording.events[later].message, 0u)
            << "the later command keeps its placeholder";
        return typed;
    }

    EventTexts inserted;
};

TEST_F(AutoTypeTest, HelloEnterTypesFourteenEventsAndThePassPutsThemBack) {
    TakePlaybackSnapshot();

    EXPECT_EQ(RunType("Hello{enter}"), 14);
    EXPECT_EQ(inserted, Then({Shifted(0x48), Press(0x45), Press(0x4C), Press(0x4C), Press(0x4F),
                              Press(0x0D)}));
    EXPECT_EQ(gRecording.eventCount, EventsAround + 14);

    RestorePlaybackSnapshot();
    EXPECT_EQ(gRecording.eventCount, EventsAround);
    EXPECT_EQ(gRecording.commandAnchors[1], LaterAt);
}

TEST_F(AutoTypeTest, KeyTokensComeFirstInTheirFixedOrderThenTheText) {
    struct Row {
        const char* text;
        int32_t typed; // records counted in the result, behind the key blocks
        EventTexts expected;
    };
    const Row rows[] = {
        {"a{tab}b", 6, Then({Press(0x41), Press(0x09), Press(0x42)})},
        {"{ENTER}{Space}{Tab}", 6, Then({Press(0x0D), Press(0x20), Press(0x09)})},
        {"{\\n}{\\r}{\\t}{newline}{return}", 10,
         Then({Press(0x0D), Press(0x0D), Press(0x09), Press(0x0D), Press(0x0D)})},
        // Ctrl goes down and up before the s is typed: s without Ctrl.
        {"{ctrldown}s{ctrlup}", 2, Then({Down(0x11), Up(0x11), Press(0x53)})},
        {"{shiftdown}{ctrldown}", 0, Down(0x11)}, // one event for both tokens
        {"{shiftdown}{shiftup}", 0, Then({Down(0x10), Up(0x10)})},
        {"{r_altdown}", 0, SysDown(0xA5)},
        {"{l_altdown}", 0, SysDown(0xA4)},
        {"{altdown}{l_altdown}{r_altdown}", 0, SysDown(0xA5)},
        // Alt goes down and up before anything else; x is typed plainly.
        {"x{altup}{altdown}", 2, Then({SysDown(0x12), SysUp(0x12), Press(0x58)})},
        {"{altdown}{home}", 0, Then({SysDown(0x12), SysPress(0x24)})},
        {"x{F5}y", 4, Then({Press(0x74), Press(0x58), Press(0x59)})},
        {"{ctrlup}{shiftdown}{end}{altdown}", 0,
         Then({SysDown(0x12), Down(0x10), Up(0x11), SysPress(0x23)})},
        // One navigation key per text: the row listed last wins.
        {"{home}{end}", 0, Press(0x24)},
        {"{esc}{F1}", 0, Press(0x1B)},
        {"{F12}{f1}", 0, Press(0x7B)},
        // A brace and an F that make no token still give a key, code 0,
        // and the text itself is typed.
        {"{fun}", 14, Then({Press(0), TypingOf("{fun}")})},
        {"{sidearrow}", 26, Then({Press(0), TypingOf("{sidearrow}")})},
        // Alt-up tokens without Alt held are only text.
        {"{altup}", 18, TypingOf("{altup}")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ResetList();
        autoTypeAltHeld = 0;
        EXPECT_EQ(RunType(row.text), row.typed);
        EXPECT_EQ(inserted, row.expected);
    }
}

TEST_F(AutoTypeTest, EveryNavigationAndFunctionKeyToken) {
    struct Row {
        const char* token;
        int32_t key;
    };
    const Row rows[] = {
        {"{F1}", 0x70},       {"{F2}", 0x71},        {"{F3}", 0x72},         {"{F4}", 0x73},
        {"{F5}", 0x74},       {"{F6}", 0x75},        {"{F7}", 0x76},         {"{F8}", 0x77},
        {"{F9}", 0x78},       {"{F10}", 0x79},       {"{F11}", 0x7A},        {"{F12}", 0x7B},
        {"{uparrow}", 0x26},  {"{downarrow}", 0x28}, {"{rightarrow}", 0x27}, {"{leftarrow}", 0x25},
        {"{pageup}", 0x21},   {"{pagedown}", 0x22},  {"{end}", 0x23},        {"{home}", 0x24},
        {"{insert}", 0x2D},   {"{delete}", 0x2E},    {"{backspace}", 0x08},  {"{add}", 0x6B},
        {"{subtract}", 0x6D}, {"{decimal}", 0x6E},   {"{divide}", 0x6F},     {"{esc}", 0x1B},
    };
    for (const Row& row : rows) {
        ResetList();
        EXPECT_EQ(RunType(row.token), 0) << row.token;
        EXPECT_EQ(inserted, Press(row.key)) << row.token;
    }
}

TEST_F(AutoTypeTest, AltStaysHeldAcrossTypeCommandsUntilAltUp) {
    EXPECT_EQ(RunType("{altdown}"), 0);
    EXPECT_EQ(inserted, SysDown(0x12));
    EXPECT_NE(autoTypeAltHeld, 0);

    EXPECT_EQ(RunType("f"), 2);
    EXPECT_EQ(inserted, SysPress(0x46));
    EXPECT_EQ(RunType("F"), 2) << "no Shift while Alt is held";
    EXPECT_EQ(inserted, SysPress(0x46));

    // A second Alt-down while held is only text, typed as Alt keys.
    EXPECT_EQ(RunType("{altdown}"), 18);
    EXPECT_EQ(inserted,
              Then({SysPress(0xDB), SysPress(0x41), SysPress(0x4C), SysPress(0x54), SysPress(0x44),
                    SysPress(0x4F), SysPress(0x57), SysPress(0x4E), SysPress(0xDD)}));

    EXPECT_EQ(RunType("{r_altup}"), 0);
    EXPECT_EQ(inserted, SysUp(0xA5));
    EXPECT_EQ(autoTypeAltHeld, 0);

    EXPECT_EQ(RunType("f"), 2);
    EXPECT_EQ(inserted, Press(0x46));
}

TEST_F(AutoTypeTest, DateAndTimeTokensReadTheLocalClock) {
    // Sunday 9 March 2003, 07:06:05.004
    SimSetLocalTime(LocalTime{2003, 3, 0, 9, 7, 6, 5, 4});
    struct Row {
        const char* text;
        const char* typed;
    };
    const Row rows[] = {
        {"{date}", "03/09/2003"},
        {"{time}", "07:06:05"},
        {"{dtnumber}", "200303090706050004"},
        {"{DATE} {Time}", "03/09/2003 07:06:05"},
        {"[{dtnumber}|{dtnumber}]", "[200303090706050004|200303090706050004]"},
    };
    for (const Row& row : rows) {
        ResetList();
        RunType(row.text);
        EXPECT_EQ(inserted, TypingOf(row.typed)) << row.text;
    }
}

TEST_F(AutoTypeTest, PlaybackLoopTypesTheNumberOfThePass) {
    struct Row {
        int32_t base;
        int32_t completed;
        const char* typed;
    };
    const Row rows[] = {
        {0, 0, "1"}, {0, 1, "2"}, {100, 0, "101"}, {100, 1, "102"}, {-5, 0, "-4"},
    };
    for (const Row& row : rows) {
        ResetList();
        gSettings.loopTypeBase = row.base;
        gApp.loopsCompleted = row.completed;
        RunType("{PlaybackLoop}");
        EXPECT_EQ(inserted, TypingOf(row.typed)) << row.base << " + " << row.completed;
    }
    // The number wraps as a 32-bit value instead of overflowing.
    gSettings.loopTypeBase = INT32_MAX;
    gApp.loopsCompleted = 0;
    EXPECT_EQ(CurrentLoopNumber(), INT32_MIN);
}

TEST_F(AutoTypeTest, RandomTokenDrawsOneNumberForAllItsOccurrences) {
    SeedRandom(42);
    std::string number = std::to_string(RandomInRange(1000, 9999));
    int next = NextRandom();

    SeedRandom(42);
    RunType("{random}-{RANDOM}");
    EXPECT_EQ(inserted, TypingOf(number + "-" + number));
    EXPECT_EQ(NextRandom(), next);

    // A text without the token draws nothing.
    SeedRandom(42);
    RunType("x");
    SeedRandom(42);
    EXPECT_EQ(RandomInRange(1000, 9999), std::stoi(number));
}

TEST(RandomInRangeTest, ScalesTheGeneratorOntoTheRange) {
    struct Row {
        int32_t minimum;
        int32_t maximum;
        int r;
        int32_t expected;
    };
    const Row rows[] = {
        {1000, 9999, 0, 1000},
        {1000, 9999, 32767, 9999},
        {1000, 9999, 16384, 5499},
        {0, 1, 16383, 0},
        {0, 1, 16385, 1},
        {7, 7, 32767, 7},
        {-10, -1, 32767, -1},
        // The widest range does not overflow.
        {INT32_MIN, INT32_MAX, 0, INT32_MIN},
        // Bounds the wrong way round stay between the two.
        {10, 5, 0, 10},
        {10, 5, 32767, 7},
    };
    for (const Row& row : rows) {
        SeedSoNextRandomIs(row.r);
        EXPECT_EQ(RandomInRange(row.minimum, row.maximum), row.expected)
            << row.minimum << ".." << row.maximum << " r " << row.r;
    }
    SeedSoNextRandomIs(32767);
    int32_t top = RandomInRange(INT32_MIN, INT32_MAX);
    EXPECT_GT(top, INT32_MAX - 300000) << "close to the top, and no overflow on the way";
}

TEST_F(AutoTypeTest, TextThatGrowsPastTheBufferIsCutAtItsEnd) {
    // 102 tokens of 10 characters and 3 more make 1,023 characters; each
    // token grows to 18 digits, so the text is cut at 1,023 characters.
    SimSetLocalTime(LocalTime{2003, 3, 0, 9, 7, 6, 5, 4});
    std::string text;
    for (int i = 0; i < 102; i++)
        text += "{dtnumber}";
    text += "xyz";
    ASSERT_EQ(text.size(), (size_t)ScriptTextSize - 1);
    std::string expanded;
    for (int i = 0; i < 102; i++)
        expanded += "200303090706050004";
    expanded = expanded.substr(0, ScriptTextSize - 1);

    EXPECT_EQ(RunType(text.c_str()), 2 * (ScriptTextSize - 1));
    EXPECT_EQ(inserted, TypingOf(expanded));

    // A text longer than a command can hold is cut on the way in.
    ResetList();
    std::string tooLong(3000, 'a');
    EXPECT_EQ(RunType(tooLong.c_str()), 2 * (ScriptTextSize - 1));
}

TEST_F(AutoTypeTest, AFullListRefusesKeyBlocksWhole) {
    // One free entry: the Home pair and the typed a need two each.
    for (int i = EventsAround; i < MaxEvents - 1; i++)
        gRecording.events[i] = EventRecord{0x0200, i, i, 0, 0};
    gRecording.eventCount = MaxEvents - 1;
    EventRecord last = gRecording.events[MaxEvents - 2];

    EXPECT_EQ(RunType("{home}a"), 0);
    EXPECT_TRUE(inserted.empty());
    EXPECT_EQ(gRecording.eventCount, MaxEvents - 1);
    EXPECT_EQ(gRecording.commandAnchors[1], LaterAt);

    // A single Alt-down still fits; the Alt-up after it does not, so Alt
    // counts as held still.
    EXPECT_EQ(RunType("{altdown}"), 0);
    EXPECT_EQ(inserted, SysDown(0x12));
    EXPECT_EQ(gRecording.eventCount, MaxEvents);
    EXPECT_EQ(RunType("{altup}x"), 0);
    EXPECT_TRUE(inserted.empty());
    EXPECT_NE(autoTypeAltHeld, 0);
    EXPECT_EQ(Describe(gRecording.events[MaxEvents - 1]), Describe(last));
}

TEST_F(AutoTypeTest, LoggingEveryStepAtHighLeavesTheResultAlone) {
    gSettings.log = LogHigh;
    EXPECT_EQ(RunType("{altdown}{altup}{ctrldown}{shiftup}{F3}%s{date}{random}"), 34);
    EXPECT_EQ(inserted.size(), 6u + 34u);
}

} // namespace
