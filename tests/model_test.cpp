// The recording's storage: clearing, the command table and the playback
// snapshot that puts the list back after every pass.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/model.h"
#include "platform/sim/sim_control.h"

namespace {

class RecordingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
        ASSERT_EQ(AllocateRecording(), AllocationSucceeded);
    }
    void TearDown() override {
        ReleaseRecording();
        SimReset();
    }

    static void FillEvents(int count) {
        for (int i = 0; i < count; i++)
            gRecording.events[i] = EventRecord{0x0100, 0x41 + i, i, 1000u + 10u * i, 7};
        gRecording.eventCount = count;
    }

    static bool TailIsZero(int from) {
        static const EventRecord zero = {};
        for (int i = from; i < MaxEvents; i++) {
            if (memcmp(&gRecording.events[i], &zero, sizeof zero) != 0)
                return false;
        }
        return true;
    }
};

TEST_F(RecordingTest, EveryBufferStartsZeroed) {
    EXPECT_EQ(gRecording.eventCount, 0);
    EXPECT_EQ(gRecording.commandCount, 0);
    EXPECT_TRUE(TailIsZero(0));
    for (int i = 0; i < MaxScriptCommands; i++) {
        ASSERT_EQ(gRecording.commandAnchors[i], 0);
        ASSERT_EQ(gRecording.commandKinds[i], 0);
        ASSERT_EQ(gRecording.commandTexts[i][0], '\0');
    }
}

TEST_F(RecordingTest, ClearEmptiesTheListButKeepsTheCommandTable) {
    FillEvents(5);
    SetScriptCommand(0, CommandType, "Hello", 2);
    gRecording.commandCount = 1;

    ClearEventList();

    EXPECT_EQ(gRecording.eventCount, 0);
    EXPECT_TRUE(TailIsZero(0));
    EXPECT_EQ(gRecording.commandCount, 1);
    EXPECT_STREQ(GetScriptCommand(0).text, "Hello");
}

TEST_F(RecordingTest, ZeroingDuringARecordingKeepsTheCount) {
    FillEvents(4);
    ZeroEventList();
    EXPECT_EQ(gRecording.eventCount, 4);
    EXPECT_TRUE(TailIsZero(0));
}

TEST_F(RecordingTest, CommandSlotsHoldKindTextAndAnchor) {
    std::string longText(3000, 'x');
    EXPECT_TRUE(SetScriptCommand(0, CommandGoto, "Untitled - Notepad", 4));
    EXPECT_TRUE(SetScriptCommand(MaxScriptCommands - 1, CommandType, longText.c_str(), 9));
    EXPECT_FALSE(SetScriptCommand(MaxScriptCommands, CommandType, "x", 0));
    EXPECT_FALSE(SetScriptCommand(-1, CommandType, "x", 0));

    ScriptCommand first = GetScriptCommand(0);
    EXPECT_EQ(first.kind, CommandGoto);
    EXPECT_STREQ(first.text, "Untitled - Notepad");
    EXPECT_EQ(first.anchor, 4);
    // A text longer than the slot is cut to what the slot holds.
    EXPECT_EQ(strlen(GetScriptCommand(MaxScriptCommands - 1).text), (size_t)ScriptTextSize - 1);
    EXPECT_EQ(GetScriptCommand(MaxScriptCommands).kind, CommandNone);
}

TEST_F(RecordingTest, FindCommandAtLooksOnlyAtValidCommandsInTableOrder) {
    SetScriptCommand(0, CommandWait, "1", 3);
    SetScriptCommand(1, CommandType, "a", 3);
    SetScriptCommand(2, CommandType, "b", 8);
    gRecording.commandCount = 2;
    EXPECT_EQ(FindCommandAt(3), 0);
    EXPECT_EQ(FindCommandAt(8), -1); // slot 2 is beyond commandCount
    EXPECT_EQ(FindCommandAt(0), -1);
}

TEST_F(RecordingTest, KeywordNamesFollowTheKinds) {
    EXPECT_STREQ(ScriptKeywordNames[CommandNone], "");
    EXPECT_STREQ(ScriptKeywordNames[CommandStart], "START");
    EXPECT_STREQ(ScriptKeywordNames[CommandGoto], "GOTO");
    EXPECT_STREQ(ScriptKeywordNames[CommandType], "TYPE");
    EXPECT_STREQ(ScriptKeywordNames[CommandWait], "WAIT");
    EXPECT_STREQ(ScriptKeywordNames[CommandMouseClick], "MOUSECLICK");
    EXPECT_STREQ(ScriptKeywordNames[CommandWindowClick], "WINDOWCLICK");
}

// What a pass does to the list: insert events at a placeholder and move
// the anchors of the commands after it.
static void GrowListLikeAPass(int at, int inserted) {
    EventRecord* events = gRecording.events;
    memmove(&events[at + inserted], &events[at],
            sizeof(EventRecord) * (size_t)(gRecording.eventCount - at));
    for (int i = 0; i < inserted; i++)
        events[at + i] = EventRecord{0x0101, 0x20, 0, 0, 0};
    gRecording.eventCount += inserted;
    for (int i = 0; i < gRecording.commandCount; i++) {
        if (gRecording.commandAnchors[i] >= at)
            gRecording.commandAnchors[i] += inserted;
    }
}

TEST_F(RecordingTest, RestoreUndoesEverythingAPassInserted) {
    FillEvents(10);
    gRecording.events[2] = EventRecord{};
    gRecording.events[6] = EventRecord{};
    SetScriptCommand(0, CommandType, "Hi", 2);
    SetScriptCommand(1, CommandMouseClick, "10,20", 6);
    gRecording.commandCount = 2;
    EventRecord before[10];
    memcpy(before, gRecording.events, sizeof before);

    TakePlaybackSnapshot();
    GrowListLikeAPass(2, 300);
    ASSERT_EQ(gRecording.eventCount, 310);
    ASSERT_EQ(GetScriptCommand(1).anchor, 306);
    RestorePlaybackSnapshot();

    EXPECT_EQ(gRecording.eventCount, 10);
    EXPECT_EQ(memcmp(before, gRecording.events, sizeof before), 0);
    EXPECT_TRUE(TailIsZero(10)); // nothing the pass wrote survives past the end
    EXPECT_EQ(GetScriptCommand(0).anchor, 2);
    EXPECT_EQ(GetScriptCommand(1).anchor, 6);
}

TEST_F(RecordingTest, EveryPassStartsFromTheSameSnapshot) {
    FillEvents(3);
    TakePlaybackSnapshot();
    for (int pass = 0; pass < 3; pass++) {
        GrowListLikeAPass(1, 5);
        RestorePlaybackSnapshot();
        ASSERT_EQ(gRecording.eventCount, 3);
        ASSERT_TRUE(TailIsZero(3));
    }
    EXPECT_EQ(gRecording.events[2].paramL, 0x43);
}

TEST_F(RecordingTest, SnapshotOfAFullListAndOfAnEmptyOne) {
    FillEvents(MaxEvents);
    TakePlaybackSnapshot();
    ClearEventList();
    RestorePlaybackSnapshot();
    EXPECT_EQ(gRecording.eventCount, MaxEvents);
    EXPECT_EQ(gRecording.events[MaxEvents - 1].paramH, MaxEvents - 1);

    ClearEventList();
    TakePlaybackSnapshot();
    gRecording.events[0] = EventRecord{0x0200, 1, 2, 3, 0};
    RestorePlaybackSnapshot();
    EXPECT_EQ(gRecording.eventCount, 0);
    EXPECT_TRUE(TailIsZero(0));
}

TEST(RecordingRelease, ReleasesEveryBlockAndIsSafeTwice) {
    SimReset();
    ASSERT_EQ(AllocateRecording(), AllocationSucceeded);
    EXPECT_EQ(SimLiveBlockCount(), 6 + MaxScriptCommands); // the window notes are one block
    ReleaseRecording();
    EXPECT_EQ(SimLiveBlockCount(), 0);
    ReleaseRecording();
    EXPECT_EQ(gRecording.events, nullptr);
    SimReset();
}

} // namespace
