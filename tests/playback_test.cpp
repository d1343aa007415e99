// The playback scheduler and the script commands on the simulated desktop:
// delays and speeds, the surplus and deficit rules, passes and titles, the
// restore after every pass and after an early end, and command-line runs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "platform/input_rules.h"
#include "platform/journal_driver.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "record/record.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "settings/settings.h"
#include "tests/playback_fixture.h"
#include "tests/scratch_files.h"

namespace {

struct SpeedCase {
    int speed;
    uint32_t gap;
};

TEST_F(PlaybackTest, RecordedGapIsScaledBySpeed) {
    const SpeedCase cases[] = {{2, 500}, {3, 33}, {1, 2000}, {4, 0}};
    for (const SpeedCase& c : cases) {
        SimReset();
        Start("");
        gSettings.speed = c.speed;
        Load({Key(MsgKeyDown, 'A', 1000), Key(MsgKeyUp, 'A', 1500)});
        Play();
        EXPECT_EQ(Gaps(), std::vector<uint32_t>{c.gap}) << "speed " << c.speed;
    }
}

TEST_F(PlaybackTest, SlowKeepsThePaceAroundAButtonRelease) {
    gSettings.speed = 1;
    Load({Mouse(MsgMouseMove, 1, 1, 1000), Mouse(MsgMouseMove, 2, 2, 1100),
          Mouse(MsgLButtonDown, 2, 2, 1200), Mouse(MsgMouseMove, 3, 3, 1300),
          Mouse(MsgLButtonUp, 3, 3, 1400), Mouse(MsgMouseMove, 4, 4, 1500),
          Mouse(MsgLButtonDblClk, 4, 4, 1600)});
    Play();
    EXPECT_EQ(Gaps(), (std::vector<uint32_t>{400, 100, 100, 100, 400, 100}));
}

TEST_F(PlaybackTest, EventsWithoutAUsableTimeGoAtOnce) {
    // The first event, the event after a placeholder or an inserted event
    // (time 0), and a time that runs backwards all get no delay.
    Load({Key(MsgKeyDown, 'A', 5000), Key(MsgKeyUp, 'A', 4000), Placeholder,
          Key(MsgKeyDown, 'B', 9000), Key(MsgKeyUp, 'B', 9100)});
    Play();
    EXPECT_EQ(Gaps(), (std::vector<uint32_t>{0, 0, 100}));
}

TEST_F(PlaybackTest, ShortfallIsWaitedAgainAndOvershootIsBanked) {
    Load({Key(MsgKeyDown, 'A', 1000), Key(MsgKeyUp, 'A', 1100), Key(MsgKeyDown, 'B', 1200),
          Key(MsgKeyUp, 'B', 1300), Key(MsgKeyDown, 'C', 1320)});
    StartPlayback();
    bool wrote;
    EXPECT_EQ(GetNext(&wrote), 0);
    EXPECT_TRUE(wrote);
    Skip();

    EXPECT_EQ(GetNext(&wrote), 100);
    EXPECT_FALSE(wrote);
    SimAdvanceClock(40); // back too early: wait the rest again
    EXPECT_EQ(GetNext(&wrote), 60);
    EXPECT_FALSE(wrote);
    SimAdvanceClock(65); // 105 of 100: within tolerance, nothing banked
    EXPECT_EQ(GetNext(&wrote), 0);
    EXPECT_TRUE(wrote);
    EXPECT_EQ(gJournal.surplus, 0);
    Skip();

    EXPECT_EQ(GetNext(&wrote), 95); // the next delay counts from when that one was due
    SimAdvanceClock(125);           // 30 too long: banked
    EXPECT_EQ(GetNext(&wrote), 0);
    EXPECT_TRUE(wrote);
    EXPECT_EQ(gJournal.surplus, 30);
    Skip();

    EXPECT_EQ(GetNext(&wrote), 70); // 100 less the surplus
    EXPECT_EQ(gJournal.surplus, 0);
    SimAdvanceClock(70);
    GetNext(&wrote);
    Skip();

    gJournal.surplus = 30;
    EXPECT_EQ(GetNext(&wrote), 0); // 20 asked, all of it taken off the surplus
    EXPECT_TRUE(wrote);
    EXPECT_EQ(gJournal.surplus, 10);
}

TEST_F(PlaybackTest, LateWakingsDoNotAddUpOverARecording) {
    std::vector<EventRecord> events;
    for (int i = 0; i < 200; i++)
        events.push_back(Key(i % 2 ? MsgKeyUp : MsgKeyDown, 'A', 1000u + 20u * i));
    Load(events);
    SimSetWakeOffset(15); // every wait overshoots by 15 ms, beyond the tolerance
    Play();
    const std::vector<SimDelivered>& delivered = SimDeliveredEvents();
    ASSERT_EQ(delivered.size(), 200u);
    int32_t drift = (int32_t)(delivered.back().tick - delivered.front().tick) - 199 * 20;
    EXPECT_LE(drift, 15); // one overshoot, not 199 of them
}

TEST(JournalDriver, AWaitEndsAsTheTickCountReachesTheDelayAsked) {
    struct Row {
        int64_t nowUs;
        uint32_t waitMs;
        int64_t deadlineUs;
    };
    const Row rows[] = {
        {0, 1, 1000},
        {999, 1, 1000}, // asked late in a millisecond: still the next one
        {1000, 20, 21000},
        {1999, 20, 21000},
        {123456789, 30, 123486000},
        {5000000000001, 4294967295u, 5000000000000 + 4294967295000},
    };
    for (const Row& row : rows)
        EXPECT_EQ(JournalWaitDeadline(row.nowUs, row.waitMs), row.deadlineUs) << row.nowUs;
}

TEST_F(PlaybackTest, TimeTheTargetTakesCountsAgainstTheDelaysThatFollow) {
    struct Case {
        const char* what;
        int speed;
        std::vector<uint32_t> taking; // per record handed over
        std::vector<uint32_t> gaps;
    };
    const Case cases[] = {
        {"keeps up", 2, {15, 15, 15, 15, 15}, {30, 30, 30, 30}},
        {"slower than the recording", 2, {40, 40, 40, 40, 40}, {40, 40, 40, 40}},
        {"slow once, then catches up", 2, {100, 0, 0, 0, 0}, {100, 0, 0, 20}},
        {"as fast as it takes them", 4, {15, 15, 15, 15, 15}, {15, 15, 15, 15}},
        {"at Fast", 3, {5, 0, 0, 0, 0}, {5, 0, 1, 2}}, // 30 / 15 = 2 ms each
    };
    for (const Case& c : cases) {
        SimReset();
        Start("");
        gSettings.speed = c.speed;
        std::vector<EventRecord> events;
        for (uint32_t i = 0; i < 5; i++)
            events.push_back(Key(i % 2 ? MsgKeyUp : MsgKeyDown, 'A', 1000 + 30 * i));
        Load(events);
        for (uint32_t ms : c.taking)
            SimQueueTakingTime(ms);
        Play();
        EXPECT_EQ(Gaps(), c.gaps) << c.what;
        EXPECT_EQ(gJournal.surplus, 0) << c.what; // nothing carried past the run
    }
}

TEST_F(PlaybackTest, TimeOutsideTheRecordedTimeIsNotMadeUp) {
    // Typed text and a WAIT take time the recording does not have: the
    // events after them keep their own gaps.
    Load({Key(MsgKeyDown, 'A', 1000), Placeholder, Key(MsgKeyUp, 'A', 1030),
          Key(MsgKeyDown, 'B', 1060), Placeholder, Key(MsgKeyUp, 'B', 1090),
          Key(MsgKeyDown, 'C', 1120)});
    AddCommand(CommandType, "xy", 1);
    AddCommand(CommandWait, "1", 4);
    for (int i = 0; i < 12; i++)
        SimQueueTakingTime(10);
    Play();
    std::vector<uint32_t> gaps = Gaps();
    ASSERT_GE(gaps.size(), 3u);
    EXPECT_EQ(gaps[gaps.size() - 3], 30u);   // A up to B down, after the typed text
    EXPECT_EQ(gaps[gaps.size() - 2], 1010u); // the WAIT, after B down was taken
    EXPECT_EQ(gaps.back(), 30u);
}

TEST_F(PlaybackTest, ToggleKeysArePressedOnEveryRequestThatWritesThem) {
    const int numLock = 0x90;
    Load({Key(MsgKeyDown, numLock, 1000), Key(MsgKeyUp, numLock, 1010),
          Key(MsgSysKeyDown, 0x14, 1020), Key(MsgKeyDown, 0x14, 1200)});
    StartPlayback();
    bool wrote;
    GetNext(&wrote);
    GetNext(&wrote); // the system may ask again for the same event
    EXPECT_EQ(SimToggleKeyPresses(), 2);
    Skip();
    GetNext(&wrote); // key-up: no extra press
    Skip();
    GetNext(&wrote); // WM_SYSKEYDOWN never presses
    Skip();
    EXPECT_EQ(SimToggleKeyPresses(), 2);
    EXPECT_EQ(GetNext(&wrote), 180); // delayed: nothing written, nothing pressed
    EXPECT_EQ(SimToggleKeyPresses(), 2);
    SimAdvanceClock(180);
    GetNext(&wrote);
    EXPECT_EQ(SimToggleKeyPresses(), 3);
}

TEST_F(PlaybackTest, AnInputLayerOfRealKeysIsNotPressedTwice) {
    SimSetInputInjectsKeys(true);
    Load({Key(MsgKeyDown, 0x14, 1000), Key(MsgKeyUp, 0x14, 1010)});
    Play();
    EXPECT_EQ(SimToggleKeyPresses(), 0);
    EXPECT_EQ(SimDeliveredCount(), 2);
}

TEST_F(PlaybackTest, RepeatsRetitleTheWindowAndEndAsTheyStarted) {
    static std::vector<std::string> titles;
    titles.clear();
    gSettings.repeats = 3;
    Load({Key(MsgKeyDown, 'A', 1000)});
    SimSetDeliveryObserver([](uint32_t, const EventRecord*) {
        char title[128];
        PlatformGetWindowTitle(gApp.mainWindow, title, sizeof title);
        titles.push_back(title);
    });
    Play();
    EXPECT_EQ(titles, (std::vector<std::string>{"Mirlow", "1 of 3 completed for (Untitled)",
                                                "2 of 3 completed for (Untitled)"}));
    char title[128];
    PlatformGetWindowTitle(gApp.mainWindow, title, sizeof title);
    EXPECT_STREQ(title, "Mirlow - (Untitled)");
    EXPECT_EQ(gJournal.loopsCompleted, 0);
    EXPECT_EQ(gJournal.hook, nullptr);
    EXPECT_TRUE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_PLAYBACK));
    EXPECT_FALSE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_STOP));
}

TEST_F(PlaybackTest, ContinuousPlayCountsPassesUntilCancelled) {
    static std::string lastTitle;
    gSettings.repeatForever = 1;
    strcpy(gDocument.path, "C:\\daily.mrx");
    Load({Key(MsgKeyDown, 'A', 1000), Key(MsgKeyUp, 'A', 1050)});
    gSettings.interruptWarning = 0;
    SimCancelJournalAfter(9); // the fifth pass is cancelled after its first event
    SimSetDeliveryObserver([](uint32_t, const EventRecord*) {
        char title[128];
        PlatformGetWindowTitle(gApp.mainWindow, title, sizeof title);
        lastTitle = title;
    });
    Play();
    EXPECT_EQ(lastTitle, "4 completed for C:\\daily.mrx");
    EXPECT_EQ(gJournal.hook, nullptr);
    EXPECT_EQ(gJournal.loopsCompleted, 0);
}

TEST_F(PlaybackTest, CorruptListEndsThePlaybackWithItsMessage) {
    Load({});
    Play();
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text,
              "This recording appears to be corrupted!\n\nPlease re-record your actions.");
    EXPECT_EQ(SimMessageBoxes()[0].caption, "Playback Error");
    EXPECT_EQ(SimMessageBoxes()[0].style, BoxOk | BoxIconError | BoxTaskModal);
    EXPECT_EQ(gJournal.hook, nullptr);
    EXPECT_TRUE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_PLAYBACK));
    EXPECT_TRUE(SimFindWindow("Mirlow") != nullptr); // interactive: the program goes on
}

TEST_F(PlaybackTest, FailedHookInstallationIsReported) {
    SimFailHookInstall(true);
    Load({Key(MsgKeyDown, 'A', 1000)});
    Play();
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text, "Unable to start playback!");
    EXPECT_EQ(SimMessageBoxes()[0].caption, "Playback Failure");
    // Stop Recording returns the commands to the document state.
    EXPECT_FALSE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_PLAYBACK));
    PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_STOP, 0);
    RunMessageLoop();
    EXPECT_TRUE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_PLAYBACK));
}

TEST_F(PlaybackTest, QuitWhenDoneEndsTheProgramAfterTheLastPass) {
    gSettings.quitWhenDone = 1;
    Load({Key(MsgKeyDown, 'A', 1000)});
    EXPECT_EQ(Play(), ExitSuccess);
    EXPECT_EQ(SimFindWindow("Mirlow"), nullptr);
}

// ---- Script commands ----

TEST_F(PlaybackTest, WaitAsksTheSystemToWaitThatManySeconds) {
    Load({Placeholder, Key(MsgKeyDown, 'A', 1000)});
    AddCommand(CommandWait, "2", 0);
    StartPlayback();
    bool wrote;
    EXPECT_EQ(GetNext(&wrote), 2000);
    SimAdvanceClock(2000);
    EXPECT_EQ(GetNext(&wrote), 0);
    EXPECT_FALSE(wrote); // a placeholder is never handed over
}

TEST_F(PlaybackTest, WaitTextsThatAreNotPlainSeconds) {
    const struct {
        const char* text;
        intptr_t delay;
    } cases[] = {{"  5 ", 5000}, {"", 0}, {"soon", 0}, {"-5", 0}, {"99999999999", INT32_MAX}};
    for (const auto& c : cases) {
        Load({Placeholder});
        gRecording.commandCount = 0;
        AddCommand(CommandWait, c.text, 0);
        StartPlayback();
        bool wrote;
        EXPECT_EQ(GetNext(&wrote), c.delay) << c.text;
        AbortPlayback();
    }
}

TEST_F(PlaybackTest, GotoBringsTheWindowForwardAndRestoresAMinimisedOne) {
    WindowHandle notepad = SimAddDesktopWindow("Untitled - Notepad", 100, 50, 400, 300, true);
    Load({Placeholder, Key(MsgKeyDown, 'A', 1000)});
    AddCommand(CommandGoto, "Untitled - Notepad", 0);
    StartPlayback();
    bool wrote;
    EXPECT_EQ(GetNext(&wrote), 250);
    EXPECT_EQ(gJournal.gotoWindow, notepad);
    EXPECT_FALSE(SimWindowMinimized(notepad));
    EXPECT_EQ(SimForegroundWindow(), notepad);
    SimAdvanceClock(250);
    EXPECT_EQ(GetNext(&wrote), 0); // then the placeholder is done with
}

TEST_F(PlaybackTest, GotoAMissingWindowEndsThePlayback) {
    Load({Placeholder, Key(MsgKeyDown, 'A', 1000)});
    AddCommand(CommandGoto, "No Such Window", 0);
    Play();
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text, "Unable to find and GOTO window with the title 'No "
                                         "Such Window'!\n\nThe playback has stopped.");
    EXPECT_EQ(SimMessageBoxes()[0].caption, "No Such Window");
    EXPECT_EQ(SimMessageBoxes()[0].style, BoxOk | BoxIconWarning | BoxSystemModal);
    EXPECT_EQ(SimDeliveredCount(), 0);
    EXPECT_EQ(gJournal.hook, nullptr);
}

TEST_F(PlaybackTest, StartRunsTheProgramOrEndsThePlayback) {
    SimFailProgram("missing.exe");
    Load({Placeholder, Placeholder, Key(MsgKeyDown, 'A', 1000)});
    AddCommand(CommandStart, "notepad.exe C:\\notes.txt", 0);
    AddCommand(CommandStart, "missing.exe", 1);
    Play();
    EXPECT_EQ(SimStartedPrograms(), std::vector<std::string>{"notepad.exe C:\\notes.txt"});
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text,
              "Unable to START the program 'missing.exe'!\n\nThe playback has stopped.");
    EXPECT_EQ(SimMessageBoxes()[0].caption, "missing.exe");
    EXPECT_EQ(SimDeliveredCount(), 0);
}

TEST_F(PlaybackTest, ClicksAreInsertedAfterThePlaceholderAndLaterAnchorsMove) {
    SimAddDesktopWindow("Target", 100, 50, 400, 300, false);
    Load({Placeholder, Placeholder, Placeholder, Placeholder, Key(MsgKeyDown, 'A', 1000)});
    AddCommand(CommandMouseClick, "640, 480", 0);
    AddCommand(CommandWindowClick, "10,20", 1); // before any GOTO: screen point
    AddCommand(CommandGoto, "Target", 2);
    AddCommand(CommandWindowClick, "10 20", 3);
    Play();
    const std::vector<SimDelivered>& d = SimDeliveredEvents();
    ASSERT_EQ(d.size(), 7u);
    const int expected[][2] = {{640, 480}, {640, 480}, {10, 20}, {10, 20}, {110, 70}, {110, 70}};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(d[i].record.message, i % 2 ? MsgLButtonUp : MsgLButtonDown) << i;
        EXPECT_EQ(d[i].record.paramL, expected[i][0]) << i;
        EXPECT_EQ(d[i].record.paramH, expected[i][1]) << i;
    }
    EXPECT_EQ(d[6].record.paramL, 'A');
}

// ---- The list after a pass ----

TEST_F(PlaybackTest, ListAndAnchorsAreRestoredAfterEveryPassAndAfterAnEarlyEnd) {
    Load({Key(MsgKeyDown, 'A', 1000), Placeholder, Placeholder, Key(MsgKeyUp, 'A', 1100)});
    AddCommand(CommandType, "Hi", 1);
    AddCommand(CommandMouseClick, "5,5", 2);
    EventRecord before[4];
    memcpy(before, gRecording.events, sizeof before);
    gSettings.repeats = 2;
    Play();
    EXPECT_EQ(gRecording.eventCount, 4);
    EXPECT_EQ(memcmp(before, gRecording.events, sizeof before), 0);
    EXPECT_EQ(GetScriptCommand(1).anchor, 2);
    EXPECT_EQ(gRecording.events[4].message, 0u);

    // Cancelled in the middle of a pass, after the typed keys went in.
    gSettings.repeats = 1;
    gSettings.interruptWarning = 0;
    SimCancelJournalAfter(SimDeliveredCount() + 3);
    Play();
    EXPECT_EQ(gJournal.hook, nullptr);
    EXPECT_EQ(gRecording.eventCount, 4);
    EXPECT_EQ(memcmp(before, gRecording.events, sizeof before), 0);
    EXPECT_EQ(GetScriptCommand(0).anchor, 1);
    EXPECT_EQ(GetScriptCommand(1).anchor, 2);
}

// The run is over, as at any other end: the next one counts from 1.
TEST_F(PlaybackTest, StopArrivingDuringPlaybackLeavesTheRecordingAlone) {
    Load({Placeholder, Key(MsgKeyDown, 'A', 1000), Key(MsgKeyUp, 'A', 1010)});
    AddCommand(CommandType, "xyz", 0);
    gSettings.repeats = 3;
    gJournal.loopsCompleted = 1; // in the second pass
    PlatformSetWindowTitle(gApp.mainWindow, "1 of 3 completed for (Untitled)");
    StartPlayback();
    bool wrote;
    GetNext(&wrote); // the TYPE inserts its keys
    ASSERT_GT(gRecording.eventCount, 3);
    PlatformSendMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_STOP, 0);
    EXPECT_EQ(gJournal.hook, nullptr);
    EXPECT_EQ(gRecording.eventCount, 3);
    EXPECT_EQ(gRecording.events[1].paramL, 'A');
    EXPECT_EQ(gRecording.events[3].message, 0u);
    EXPECT_EQ(gJournal.loopsCompleted, 0);
    char title[128];
    PlatformGetWindowTitle(gApp.mainWindow, title, sizeof title);
    EXPECT_STREQ(title, "Mirlow - (Untitled)");
}

// The user's keys: a chord's modifiers and key go down, and are let go
// when asked, the key first.
void UserChord(int32_t chord, bool letGo) {
    const int keys[] = {KeyControl, KeyShift, KeyAlt, chord & 0xFF};
    const int32_t bits[] = {ChordControl, ChordShift, ChordAlt, 0xFF};
    for (int i = 0; i < 4; i++) {
        if (chord & bits[i])
            SimRecordInput(EventRecord{MsgKeyDown, keys[i], 1, 0, 0});
    }
    for (int i = 3; letGo && i >= 0; i--) {
        if (chord & bits[i])
            SimRecordInput(EventRecord{MsgKeyUp, keys[i] | 0xC00000, 1, 0, 0});
    }
}

// The play hotkey follows Playback's state: nothing without a recording;
// with one it plays once the user has let go of its keys (at most three
// seconds later), and pressed during the playback it stops it. A chord
// the recording holds is played to its program: the hotkeys stand aside
// for it and come back. Played by injected input, a modifier the user
// holds meanwhile holds the next event back (at most three seconds), and
// the recorded gaps go on as they stood.
TEST_F(PlaybackTest, ThePlayHotkeyPlaysAndStopsAndAPlayedChordIsPlayed) {
    std::vector<EventRecord> keys;
    for (int i = 0; i < 40; i++)
        keys.push_back(Key(i % 2 ? MsgKeyUp : MsgKeyDown, 'A', 1000u + 50u * i));
    const std::vector<EventRecord> chords = {
        Key(MsgKeyDown, KeyControl, 100), Key(MsgKeyDown, KeyShift, 110),
        Key(MsgSysKeyDown, KeyAlt, 120),  Key(MsgSysKeyDown, 'R', 130),
        Key(MsgSysKeyUp, 'R', 140),       Key(MsgSysKeyDown, 'P', 150),
        Key(MsgSysKeyUp, 'P', 160),       Key(MsgKeyUp, KeyAlt, 170),
        Key(MsgKeyUp, KeyShift, 180),     Key(MsgKeyUp, KeyControl, 190)};
    static int stopAfter;
    static int holdAfter;
    struct Case {
        const char* name;
        const std::vector<EventRecord>* recording; // null: none open
        bool keysHeld;                             // the user still holds the chord
        int stopAt;                                // the chord again after this many; 0: never
        int holdAt;                                // Ctrl held from after this many; 0: never
        int delivered;
        uint32_t firstAfter; // ms from the chord to the first event
    } cases[] = {
        {"no recording", nullptr, false, 0, 0, 0, 0},
        {"plays", &keys, false, 0, 0, 40, 0},
        {"waits for the chord's keys", &keys, true, 0, 0, 40, UserKeysWaitLimit},
        {"stops", &keys, false, 5, 0, 5, 0},
        {"waits while Ctrl is held", &keys, false, 0, 5, 40, 0},
        {"a played chord", &chords, false, 0, 0, 10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimReset();
        Start("");
        if (c.recording != nullptr) {
            Load(*c.recording);
            SetCommandState(ID_FILE_OPEN);
        }
        stopAfter = c.stopAt;
        holdAfter = c.holdAt;
        SimSetInputInjectsKeys(c.holdAt > 0);
        SimSetDeliveryObserver([](uint32_t, const EventRecord*) {
            if (SimDeliveredCount() == stopAfter)
                UserChord(DefaultPlayHotkey, true);
            if (SimDeliveredCount() == holdAfter)
                SimRecordInput(EventRecord{MsgKeyDown, KeyControl, 1, 0, 0});
        });
        uint32_t pressed = PlatformTickCount();
        UserChord(DefaultPlayHotkey, !c.keysHeld);
        RunMessageLoop();
        EXPECT_EQ(gJournal.hook, nullptr);
        ASSERT_EQ(SimDeliveredCount(), c.delivered);
        uint32_t firstAfter = c.delivered > 0 ? SimDeliveredEvents()[0].tick - pressed : 0;
        EXPECT_GE(firstAfter, c.firstAfter);
        EXPECT_LT(firstAfter, c.firstAfter + 100);
        if (c.holdAt > 0) {
            const auto& played = SimDeliveredEvents();
            EXPECT_GE(played[c.holdAt].tick - played[c.holdAt - 1].tick,
                      (uint32_t)UserKeysWaitLimit);
            EXPECT_EQ(played[c.holdAt + 1].tick - played[c.holdAt].tick, 50u);
        }
        EXPECT_EQ(SimPlayedChordsTaken(), 0);
        EXPECT_FALSE(SimRecordHookInstalled());
        EXPECT_TRUE(SimHotkeyInForce(DefaultRecordHotkey) && SimHotkeyInForce(DefaultPlayHotkey));
        SimSetDeliveryObserver(nullptr);
    }

    // Typed text goes to the system a run at a time, with the record that
    // ends the run: a character the layout types with the play hotkey's
    // chord keeps the hotkey aside until its run has gone.
    SimReset();
    Start("");
    SimSetKeyboardLayout({{0x50, 'P', ModifierShift | ModifierCtrl | ModifierAlt, false, false}});
    const struct {
        uint32_t message;
        bool moreFollows;
        bool hotkeyAside;
    } run[] = {{MsgKeyDown, true, true},
               {MsgKeyUp, true, true},
               {MsgKeyDown, false, true},
               {MsgKeyUp, false, false}};
    for (const auto& r : run) {
        uint32_t mark = HandOverMark(TypedMark(TypedCharacter, 0x50), false, r.moreFollows);
        NoteHandedOver(EventRecord{r.message, 'P', 1, 0, mark});
        EXPECT_EQ(SimHotkeyInForce(DefaultPlayHotkey), !r.hotkeyAside) << &r - run;
    }
    SendReleasesOfHeldInput();
}

TEST_F(PlaybackTest, EndlessPlayKeepsTheStackFlatAndTheRecordingUnchanged) {
    static uintptr_t lowest, highest;
    lowest = UINTPTR_MAX;
    highest = 0;
    const int passes = 100000;
    Load({Placeholder, Placeholder, Key(MsgKeyDown, 'Q', 1000), Key(MsgKeyUp, 'Q', 1001)});
    AddCommand(CommandType, "ok", 0);
    AddCommand(CommandMouseClick, "1,2", 1);
    gSettings.repeatForever = 1;
    gSettings.interruptWarning = 0;
    SimKeepDeliveredEvents(false);
    SimCancelJournalAfter(passes * 8); // 4 typed, 2 clicked, 2 recorded per pass
    SimSetDeliveryObserver([](uint32_t, const EventRecord*) {
        int marker;
        uintptr_t here = (uintptr_t)&marker;
        lowest = here < lowest ? here : lowest;
        highest = here > highest ? here : highest;
    });
    Play();
    EXPECT_EQ(SimDeliveredCount(), passes * 8);
    EXPECT_LT(highest - lowest, 4096u);
    EXPECT_EQ(gRecording.eventCount, 4);
    EXPECT_EQ(GetScriptCommand(0).anchor, 0);
    EXPECT_EQ(GetScriptCommand(1).anchor, 1);
    EXPECT_EQ(gRecording.events[4].message, 0u);
}

// ---- Command-line runs end, and say how ----

// Each run loads a one-event script from the command line; the test then
// puts the recording it wants in its place before the loop plays it.
class CommandLineRunTest : public PlaybackTest {
  protected:
    ScratchFolder folder;

    void SetUp() override {
        SimReset();
        std::string path = folder.Write("run.mrx", "message=WM_KEYDOWN paramH=0 paramL=65\r\n");
        Start(path.c_str());
    }
};

TEST_F(CommandLineRunTest, ACompleteRunEndsWithSuccess) {
    gSettings.repeats = 2;
    Load({Key(MsgKeyDown, 'A', 1000), Key(MsgKeyUp, 'A', 1010)});
    EXPECT_EQ(RunMessageLoop(), ExitSuccess);
    EXPECT_EQ(SimDeliveredCount(), 4);
    EXPECT_EQ(SimFindWindow("Mirlow"), nullptr);
    EXPECT_FALSE(SimGetWindowInfo(gApp.mainWindow).visible);
}

TEST_F(CommandLineRunTest, AnErrorEndsTheRunWithItsCode) {
    Load({Placeholder, Key(MsgKeyDown, 'A', 1000)});
    AddCommand(CommandGoto, "Nowhere", 0);
    EXPECT_EQ(RunMessageLoop(), ExitPlaybackError);
    EXPECT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimFindWindow("Mirlow"), nullptr);
}

TEST_F(CommandLineRunTest, ACorruptListEndsTheRunWithTheErrorCode) {
    Load({});
    EXPECT_EQ(RunMessageLoop(), ExitPlaybackError);
}

// A run that cannot play all of what it was given goes on to its end,
// and ends with its own code, unless a failure after it says more.
TEST_F(CommandLineRunTest, ARunPlayedOnlyInPartEndsWithItsOwnCode) {
    std::string grown;
    for (int i = 0; i < 60; i++)
        grown += "{dtnumber}";
    const struct {
        const char* name;
        int freeEntries; // left in the list behind its recorded events
        std::vector<std::pair<int32_t, std::string>> commands;
        int cancelAfter;
        int code;
    } cases[] = {
        {"everything fits", 6, {{CommandType, "abc"}}, 0, ExitSuccess},
        {"typing cut", 4, {{CommandType, "abc"}}, 0, ExitPlayedInPart},
        {"a click refused", 1, {{CommandMouseClick, "1,2"}}, 0, ExitPlayedInPart},
        {"a value grown past the text's room", 3000, {{CommandType, grown}}, 0, ExitPlayedInPart},
        {"cut, then an error",
         4,
         {{CommandType, "abc"}, {CommandGoto, "Nowhere"}},
         0,
         ExitPlaybackError},
        {"cut, then cancelled", 4, {{CommandType, "abc"}}, 3, ExitCancelled},
    };
    for (const auto& c : cases) {
        SetUp();
        gSettings.interruptWarning = 0;
        std::vector<EventRecord> events(c.commands.size(), Placeholder);
        while ((int)events.size() < MaxEvents - c.freeEntries)
            events.push_back(Mouse(MsgMouseMove, 5, 5, 0));
        Load(events);
        for (size_t i = 0; i < c.commands.size(); i++)
            AddCommand(c.commands[i].first, c.commands[i].second.c_str(), (int32_t)i);
        if (c.cancelAfter != 0)
            SimCancelJournalAfter(c.cancelAfter);
        EXPECT_EQ(RunMessageLoop(), c.code) << c.name;
    }
}

TEST_F(CommandLineRunTest, ALoadCutAtALimitPlaysWhatItReadAndEndsWithItsCode) {
    const EventRecord key = Key(MsgKeyDown, 'A', 0);
    std::string script, records;
    for (int i = 0; i <= MaxLoadedEvents; i++) {
        script += "message=WM_KEYDOWN paramH=0 paramL=65 time=0\r\n";
        records.append((const char*)&key, sizeof key);
    }
    const std::string files[] = {folder.Write("big.mrx", script), folder.Write("big.mrl", records)};
    for (const std::string& path : files) {
        SimReset();
        Start(path.c_str());
        EXPECT_EQ(RunMessageLoop(), ExitPlayedInPart) << path;
        EXPECT_EQ(SimMessageBoxes().size(), 1u);
    }
}

TEST_F(CommandLineRunTest, CancellingEndsTheRunWithItsCode) {
    gSettings.interruptWarning = 0;
    Load({Key(MsgKeyDown, 'A', 1000), Key(MsgKeyUp, 'A', 1010), Key(MsgKeyDown, 'B', 1020)});
    SimCancelJournalAfter(1);
    EXPECT_EQ(RunMessageLoop(), ExitCancelled);
    EXPECT_EQ(SimFindWindow("Mirlow"), nullptr);
}

} // namespace

namespace {

// ---- What the log says ----

class PlaybackLogTest : public PlaybackTest {
  protected:
    ScratchFolder folder;
    std::string log;

    void UseLog(int level) {
        log = folder.Path("playback.log");
        remove(log.c_str());
        snprintf(gSettings.logfile, sizeof gSettings.logfile, "%s", log.c_str());
        gSettings.log = level;
    }
};

TEST_F(PlaybackLogTest, MediumWritesTheShortPerEventLine) {
    UseLog(LogMedium);
    Load({Key(MsgKeyDown, 'A', 1000), Key(MsgKeyUp, 'A', 1100)});
    Play();
    EXPECT_EQ(
        ScratchFolder::Read(log),
        "\r\nStarting '(Untitled)' playback (2 Total Actions) with Mirlow " MIRLOW_VERSION_TEXT
        " on Windows Platform 2 Version 10.0 Build #19045....\r\n"
        "Playing through the system's journal hook\r\n"
        "Display scale 100% (96 DPI), timer resolution 1.0 ms\r\n"
        "Play Event #1: Message=WM_KEYDOWN (0, 65)\r\n"
        "Play Event #2: Message=WM_KEYUP (0, 65)\r\n"
        "Restoring entire Original event array from 2 back to 2\r\n"
        "Playback Complete!\r\n\r\n");
}

TEST_F(PlaybackLogTest, HighWritesTheTimingInsteadOfTheShortLine) {
    for (int level : {(int)LogHigh, 7}) {
        SimReset();
        Start("");
        UseLog(level);
        Load({Key(MsgKeyDown, 'A', 1000), Key(MsgKeyUp, 'A', 1100), Key(MsgKeyDown, 'B', 1200)});
        SimQueueWake(130);
        SimQueueTakingTime(0);
        SimQueueTakingTime(25);
        Play();
        std::string text = ScratchFolder::Read(log);
        EXPECT_EQ(text.find("Play Event #2: Message="), std::string::npos) << level;
        for (const char* line : {
                 "Play Event #1 at 1000000: Requested Delay=0, Surplus Adjustment=0, Time=1000, "
                 "Prev=0, Message=WM_KEYDOWN (0, 65)\r\n",
                 "    >>>Sending Event #1 with NO DELAY\r\n",
                 "    -->Windows accepted the previous message at 1000000, go on to #2...\r\n",
                 "Play Event #2 at 1000000: Requested Delay=100, Surplus Adjustment=0, Time=1100, "
                 "Prev=1000, Message=WM_KEYUP (0, 65)\r\n",
                 "    Actual Delay=130, Surplus=-30\r\n",
                 "    Windows waited too long; Surplus now 30\r\n",
                 "    Delay was done!\r\n",
                 "    >>>Sending Event #2\r\n",
                 "    Event #2 was taken 25 ms after it was due; Surplus now 55\r\n",
                 "Play Event #3 at 1000155: Requested Delay=100, Surplus Adjustment=55, "
                 "Time=1200, Prev=1100, Message=WM_KEYDOWN (0, 66)\r\n",
                 "    Post-Surplus Adjustment: Requesting Delay of 45, Remaining Surplus=0\r\n",
             })
            EXPECT_NE(text.find(line), std::string::npos) << level << ": " << line;
    }
}

TEST_F(PlaybackLogTest, ErrorsAndCancellationsAreLoggedAtLow) {
    UseLog(LogLow);
    Load({Placeholder, Key(MsgKeyDown, 'A', 1000)});
    AddCommand(CommandGoto, "Gone", 0);
    Play();
    Load({});
    Play();
    gSettings.interruptWarning = 0;
    Load({Key(MsgKeyDown, 'A', 1000), Key(MsgKeyUp, 'A', 1100)});
    SimCancelJournalAfter(SimDeliveredCount() + 1);
    Play();
    std::string text = ScratchFolder::Read(log);
    EXPECT_NE(text.find("    ERROR: Unable to find window 'Gone'!\r\n"), std::string::npos);
    EXPECT_NE(text.find("ERROR: Event #1: This recording appears to be corrupted!\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("CANCELLED RECORDING\r\n\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Play Event"), std::string::npos);
}

// ---- The Special Type key ----

const int F9 = 0x78;

struct TypeKeyCase {
    int typeThis;
    const char* typed; // what the MEDIUM log says was typed
};

TEST_F(PlaybackLogTest, TypeKeyTypesItsChoiceInPlaceOfTheKey) {
    const TypeKeyCase cases[] = {
        {1, "101"},
        {3, "09:05:07"},
        {4, "02/14/2002 09:05:07"},
        {5, "200202140905070042"},
    };
    for (const TypeKeyCase& c : cases) {
        SimReset();
        Start("");
        UseLog(LogMedium);
        SimSetLocalTime(LocalTime{2002, 2, 4, 14, 9, 5, 7, 42});
        gSettings.typeKey = F9;
        gSettings.typeThis = c.typeThis;
        gSettings.loopTypeBase = 100;
        Load({Key(MsgKeyDown, F9, 1000), Key(MsgKeyUp, F9, 1010), Key(MsgKeyDown, 'Z', 1020)});
        Play();
        std::string expected = std::string("AutoType: '") + c.typed + "'";
        EXPECT_NE(ScratchFolder::Read(log).find(expected), std::string::npos) << c.typeThis;
        std::vector<uint32_t> messages = Messages();
        ASSERT_GE(messages.size(), 3u);
        // The key's press is never played; its release is, and the typed
        // keys follow it, and the recording goes on after them.
        EXPECT_EQ(SimDeliveredEvents()[0].record.message, MsgKeyUp);
        EXPECT_EQ(SimDeliveredEvents()[0].record.paramL, F9);
        EXPECT_EQ(SimDeliveredEvents().back().record.paramL, 'Z');
        EXPECT_EQ(gRecording.eventCount, 3);
    }
}

TEST_F(PlaybackLogTest, TypeKeyCountsPassesAndTypesRandomNumbersInRange) {
    UseLog(LogMedium);
    gSettings.typeKey = F9;
    gSettings.typeThis = 1;
    gSettings.loopTypeBase = 100;
    gSettings.repeats = 2;
    Load({Key(MsgKeyDown, F9, 1000), Key(MsgKeyUp, F9, 1010)});
    Play();
    std::string text = ScratchFolder::Read(log);
    size_t first = text.find("AutoType: '101'");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(text.find("AutoType: '102'", first), std::string::npos);

    UseLog(LogMedium);
    gSettings.typeThis = 2;
    gSettings.repeats = 1;
    gSettings.randomMin = 500;
    gSettings.randomMax = 510;
    Play();
    text = ScratchFolder::Read(log);
    size_t at = text.find("AutoType: '");
    ASSERT_NE(at, std::string::npos);
    int number = atoi(text.c_str() + at + 11);
    EXPECT_GE(number, 500);
    EXPECT_LE(number, 510);
}

TEST_F(PlaybackTest, WithoutAChoiceTheTypeKeyPlaysLikeAnyKey) {
    for (int typeThis : {0, 1}) {
        SimReset();
        Start("");
        gSettings.typeKey = typeThis == 0 ? F9 : 0;
        gSettings.typeThis = typeThis;
        Load({Key(MsgKeyDown, F9, 1000), Key(MsgKeyUp, F9, 1010)});
        Play();
        EXPECT_EQ(Messages(), (std::vector<uint32_t>{MsgKeyDown, MsgKeyUp})) << typeThis;
    }
}

} // namespace
