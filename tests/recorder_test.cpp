// The recorder on the simulated desktop: what a finished list holds, the
// stop key, the program's own windows, the limit of the list, the log,
// a hook that cannot be had, every early end, and the thinning of moves.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "platform/input_rules.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "record/record.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "settings/settings.h"
#include "tests/scratch_files.h"

// Found by argument lookup, so at namespace scope like EventRecord itself.
static bool operator==(const EventRecord& a, const EventRecord& b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

static void PrintTo(const EventRecord& e, std::ostream* out) {
    *out << "{" << e.message << ", " << e.paramL << ", " << e.paramH << ", " << e.time << ", "
         << e.hwnd << "}";
}

namespace {

uint32_t HandleValue(WindowHandle window) {
    return (uint32_t)(uintptr_t)window;
}

EventRecord Key(uint32_t message, int32_t paramL, uint32_t time, uint32_t hwnd = 0) {
    return EventRecord{message, paramL, 1, time, hwnd};
}

EventRecord Mouse(uint32_t message, int32_t x, int32_t y, uint32_t time, uint32_t hwnd = 0) {
    return EventRecord{message, x, y, time, hwnd};
}

EventRecord EndMarker(uint32_t time) {
    return EventRecord{MsgPaint, 0, 0, time, 0};
}

class RecorderTest : public ::testing::Test {
  protected:
    ScratchFolder folder;
    std::string log;
    uint32_t other = 0; // another program's window

    void SetUp() override {
        NewDesktop();
    }
    void NewDesktop() {
        SimReset();
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        gSettings.promptForSave = 0; // one recording after another, unsaved
        other = HandleValue(SimAddDesktopWindow("Untitled - Notepad", 0, 0, 640, 480, false));
    }
    void TearDown() override {
        SimReset();
    }

    void UseLog(int level) {
        log = folder.Path("record.log");
        snprintf(gSettings.logfile, sizeof gSettings.logfile, "%s", log.c_str());
        gSettings.log = level;
    }

    static void Feed(const std::vector<EventRecord>& events) {
        for (const EventRecord& event : events)
            SimRecordInput(event);
    }

    std::vector<EventRecord> Record(const std::vector<EventRecord>& events) {
        StartRecording();
        Feed(events);
        StopRecording();
        return List();
    }

    static std::vector<EventRecord> List() {
        return std::vector<EventRecord>(gRecording.events,
                                        gRecording.events + gRecording.eventCount);
    }

    static std::vector<EventRecord> With(std::vector<EventRecord> events, const EventRecord& e) {
        events.push_back(e);
        return events;
    }
};

TEST_F(RecorderTest, AFinishedListIsTheEventsAndTheEndMarker) {
    UseLog(LogLow);
    const std::vector<EventRecord> cases[] = {
        {},
        {Key(MsgKeyDown, 0x1E41, 500, other), Key(MsgKeyUp, 0xC01E41, 510, other),
         Mouse(MsgMouseMove, -20, 700, 530, other)},
        // Unicode key input: each whole character, kept as it came
        {SimUnicodeKeyRecord(0x141, false, 500, other),
         SimUnicodeKeyRecord(0x141, true, 501, other),
         SimUnicodeKeyRecord(0x20AC, false, 502, other),
         SimUnicodeKeyRecord(0x20AC, true, 503, other)},
    };
    for (const std::vector<EventRecord>& events : cases) {
        remove(log.c_str());
        gRecording.eventCount = 99; // an earlier recording's count
        EXPECT_EQ(Record(events), With(events, EndMarker(SimStartTick)));
        EXPECT_EQ(gRecording.events[events.size() + 1], EventRecord{});
        EXPECT_TRUE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_PLAYBACK));
        char end[128];
        snprintf(end, sizeof end,
                 "END RECORDING: Time: 1000000 ticks (%zu total actions: final one not logged)",
                 events.size() + 1);
        EXPECT_EQ(ScratchFolder::Read(log),
                  "\r\nStarting recording with Mirlow " MIRLOW_VERSION_TEXT
                  " on Windows Platform 2 Version 10.0 "
                  "Build #19045....\r\n"
                  "Start Recording time: 1000000 ticks\r\n"
                  "Recording through low-level input hooks (no journal hook available)\r\n" +
                      std::string(end) + "\r\n\r\n");
    }
    EXPECT_EQ(gDocument.modifiedCount, 3);
}

TEST_F(RecorderTest, TheStopKeyEndsTheRecordingUnrecorded) {
    struct Case {
        int32_t stopKey;
        uint32_t message;
        int32_t key;
        bool stops;
    } cases[] = {
        {0x7B, MsgKeyDown, 0x7B, true},    // F12
        {0x79, MsgSysKeyDown, 0x79, true}, // F10 arrives as a system key
        {0x11, MsgKeyDown, 0x1D11, true},  // Ctrl, either side, as the generic key
        {0x7B, MsgKeyUp, 0xC0007B, false}, // only a press stops
        {0, MsgKeyDown, 0x7B, false},      // no stop key
        {0x7B, MsgKeyDown, 0x7A, false},   // another key
    };
    for (const Case& c : cases) {
        gSettings.stopKey = c.stopKey;
        std::vector<EventRecord> before = {Key(MsgKeyDown, 'A', 10), Key(MsgKeyUp, 'A', 20)};
        StartRecording();
        Feed(before);
        SimRecordInput(Key(c.message, c.key, 30));
        bool stillRecording = SimRecordInput(Key(MsgKeyUp, c.key | 0xC00000, 40));
        EXPECT_EQ(stillRecording, !c.stops) << c.key;
        if (c.stops) {
            EXPECT_EQ(List(), With(before, EndMarker(SimStartTick))) << c.key;
            continue;
        }
        StopRecording();
        EXPECT_EQ(gRecording.eventCount, 5) << c.key;
    }
}

TEST_F(RecorderTest, InputToAnyWindowOfTheProgramIsLeftOutWhenAsked) {
    WindowHandle toolbar = SimCreateChild(gApp.mainWindow, "ToolbarWindow32", 1, nullptr);
    WindowClassSpec dialogClass = {"OptionsDialog", PlatformDefaultWindowProc, 0, 0, false};
    PlatformRegisterWindowClass(&dialogClass);
    WindowHandle dialog = PlatformCreateWindow("OptionsDialog", "Advanced Options", 0, 0, 0, 9, 9);
    struct Case {
        uint32_t hwnd;
        bool own;
    } windows[] = {
        {HandleValue(gApp.mainWindow), true},
        {HandleValue(toolbar), true},
        {HandleValue(dialog), true},
        {other, false},
        {0, false},
    };
    for (int exclude : {1, 0}) {
        gSettings.excludeMirlowAction = exclude;
        for (const Case& w : windows) {
            std::vector<EventRecord> click = {Mouse(MsgLButtonDown, 5, 5, 10, w.hwnd),
                                              Mouse(MsgLButtonUp, 5, 5, 20, w.hwnd)};
            bool recorded = !(exclude && w.own);
            EXPECT_EQ(Record(click).size(), recorded ? 3u : 1u) << exclude << " " << w.hwnd;
        }
    }
    // A release over the program of a press made elsewhere is kept, so
    // the recording does not play back with Alt held down.
    gSettings.excludeMirlowAction = 1;
    std::vector<EventRecord> altTab = {Key(MsgSysKeyDown, 0x203812, 10, other),
                                       Key(MsgSysKeyDown, 0x200F09, 20, other),
                                       Key(MsgKeyUp, 0xC00F09, 30, HandleValue(dialog)),
                                       Key(MsgKeyUp, 0xC03812, 40, HandleValue(dialog))};
    std::vector<EventRecord> kept = {altTab[0], altTab[1], altTab[2], altTab[3]};
    EXPECT_EQ(Record(altTab), With(kept, EndMarker(SimStartTick)));
}

TEST_F(RecorderTest, StartWhileRecordingOrPlayingOrAfterACancelledPromptDoesNothing) {
    gSettings.promptForSave = 1;
    Record({Key(MsgKeyDown, 'A', 10)});
    SimQueueAnswer(AnswerCancel); // "Save changes to (Untitled)?"
    StartRecording();
    EXPECT_EQ(gJournal.hook, nullptr);
    EXPECT_EQ(SimMessageBoxes().back().caption, "Confirm Action");
    gSettings.promptForSave = 0;

    StartRecording();
    SimRecordInput(Key(MsgKeyDown, 'A', 10));
    HookHandle hook = gJournal.hook;
    StartRecording();
    EXPECT_EQ(gJournal.hook, hook);
    EXPECT_EQ(gJournal.position, 1);
    StopRecording();

    std::vector<EventRecord> list = List();
    StartPlayback();
    hook = gJournal.hook;
    StartRecording();
    EXPECT_EQ(gJournal.hook, hook);
    EXPECT_FALSE(SimRecordHookInstalled());
    AbortPlayback();
    EXPECT_EQ(List(), list);
}

TEST_F(RecorderTest, AFullListDropsFromThe32767thEventYetReleasesHeldKeys) {
    SimSetRecordThroughJournal(true);
    const int moves = MaxEvents + 100;
    for (bool holdKey : {false, true}) {
        StartRecording();
        if (holdKey)
            SimRecordInput(Key(MsgKeyDown, 0x2A10, 1));
        for (int i = 0; i < moves; i++)
            SimRecordInput(Mouse(MsgMouseMove, i, i, 2 + i));
        if (holdKey)
            SimRecordInput(Key(MsgKeyUp, 0xC02A10, 2 + moves));
        StopRecording();
        ASSERT_EQ(gRecording.eventCount, 32767) << holdKey;
        EXPECT_EQ(gRecording.events[32766], EndMarker(SimStartTick));
        EXPECT_EQ(gRecording.events[32767], EventRecord{});
        const EventRecord& last = gRecording.events[32765];
        EXPECT_EQ(last.message, holdKey ? (uint32_t)MsgKeyUp : (uint32_t)MsgMouseMove);
        EXPECT_EQ(last.paramL, holdKey ? 0xC02A10 : 32765);
    }
}

TEST_F(RecorderTest, TheMediumLineNamesSevenMessagesAndNumbersTheRest) {
    UseLog(LogMedium);
    Record({Key(MsgSysKeyDown, 0x203812, 100), Key(MsgKeyDown, 0x1E41, 110),
            Mouse(MsgRButtonDown, 640, 480, 120), Mouse(MsgRButtonUp, 641, 480, 130),
            Key(MsgKeyUp, 0xC01E41, 0xFFFFFFF6)}); // a clock past 2^31 prints signed
    std::string text = ScratchFolder::Read(log);
    for (const char* line : {
             "RECORDING #1: Time=100, Message=260 (paramL=0x203812, paramH=0x1, wParam=0x12, "
             "lParam=0x38)\r\n",
             "RECORDING #2: Time=110, Message=WM_KEYDOWN (paramL=0x1E41, paramH=0x1, wParam=0x41, "
             "lParam=0x1E)\r\n",
             "RECORDING #3: Time=120, Message=516 (paramL=0x280, paramH=0x1E0, wParam=0x80, "
             "lParam=0x2)\r\n",
             "RECORDING #5: Time=-10, Message=WM_KEYUP (paramL=0xC01E41, paramH=0x1, "
             "wParam=0x41, lParam=0x1E)\r\n",
             // Alt stays held in the list: its release is added, and logged.
             "RECORDING #6: Time=1000000, Message=261 (paramL=0xC03812, paramH=0x1, wParam=0x12, "
             "lParam=0x38)\r\n",
             "(7 total actions: final one not logged)",
         })
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(RecorderTest, AHookThatCannotBeHadLeavesTheOpenRecordingAsItWas) {
    std::vector<EventRecord> open = {Key(MsgKeyDown, 'A', 10), EndMarker(20)};
    gRecording.events[0] = open[0];
    gRecording.events[1] = open[1];
    gRecording.eventCount = 2;
    SimFailRecordHookInstall(true);
    StartRecording();
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text, "Start Windows Recorder Failed!");
    EXPECT_EQ(SimMessageBoxes()[0].caption, "Failure");
    EXPECT_EQ(SimMessageBoxes()[0].style, BoxOk | BoxIconWarning | BoxTaskModal);
    EXPECT_TRUE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_STOP));
    EXPECT_EQ(gDocument.modifiedCount, 0);
    StopRecording();
    EXPECT_EQ(List(), open);
    EXPECT_FALSE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_STOP));
}

// A wheel turn keeps its distance beside the row: the buttons still held
// are let go where the pointer is, never at the packed number.
TEST_F(RecorderTest, EveryEndFinishesTheListWithNothingHeld) {
    UseLog(LogLow);
    void (*const ends[])() = {SimCancelRecording, CancelJournalForExit, StopRecording};
    const int32_t wheelAt8 = MouseEventParamH(MsgMouseWheel, 8, -120);
    for (auto end : ends) {
        StartRecording();
        Feed({Key(MsgKeyDown, 0x1D11, 10, other), Mouse(MsgLButtonDown, 5, 6, 20, other),
              Mouse(MsgMouseWheel, 7, wheelAt8, 30, other),
              Mouse(MsgXButtonDown, 7, MouseEventParamH(MsgXButtonDown, 8, 2), 40, other)});
        end();
        RunMessageLoop(); // the cancel notice, the posted Stop Recording
        EXPECT_EQ(gJournal.hook, nullptr);
        EXPECT_EQ(
            List(),
            (std::vector<EventRecord>{
                Key(MsgKeyDown, 0x1D11, 10, other),
                Mouse(MsgLButtonDown, 5, 6, 20, other),
                Mouse(MsgMouseWheel, 7, wheelAt8, 30, other),
                Mouse(MsgXButtonDown, 7, MouseEventParamH(MsgXButtonDown, 8, 2), 40, other),
                Key(MsgKeyUp, 0xC01D11, SimStartTick, other),
                Mouse(MsgLButtonUp, 7, 8, SimStartTick, other),
                Mouse(MsgXButtonUp, 7, MouseEventParamH(MsgXButtonUp, 8, 2), SimStartTick, other),
                EndMarker(SimStartTick),
            }));
        EXPECT_FALSE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_STOP));
    }
    ASSERT_EQ(SimMessageBoxes().size(), 1u); // the warning, for the cancel keys only
    EXPECT_EQ(SimMessageBoxes()[0].caption, "0 Playbacks Completed");
    std::string text = ScratchFolder::Read(log);
    EXPECT_NE(text.find("(8 total actions: final one not logged)\r\n\r\nCANCELLED RECORDING"),
              std::string::npos);
}

// Closing, and the Windows session ending (asked first, then told).
TEST_F(RecorderTest, ClosingDuringARecordingOffersTheFinishedListForSaving) {
    for (uint32_t way : {MsgClose, MsgQueryEndSession}) {
        SetUp();
        gSettings.promptForSave = 1;
        std::string path = folder.Path("closed.mrx");
        remove(path.c_str());
        StartRecording();
        SimRecordInput(Key(MsgKeyDown, 0x1D11, 10, other));
        SimQueueAnswer(AnswerYes); // "Save changes to (Untitled)?"
        SimQueueFileDialog(path.c_str());
        PlatformSendMessage(gApp.mainWindow, way, 0, 0);
        if (way == MsgQueryEndSession)
            PlatformSendMessage(gApp.mainWindow, MsgEndSession, 1, 0);
        EXPECT_FALSE(SimGetWindowInfo(gApp.mainWindow).exists) << way;
        std::string text = ScratchFolder::Read(path);
        std::string events = "message=WM_KEYDOWN paramH=1 paramL=7441 time=10\r\n"
                             "message=WM_KEYUP paramH=1 paramL=12590353 time=1000000\r\n"
                             "message=15 paramH=0 paramL=0 time=1000000\r\n";
        ASSERT_GE(text.size(), events.size()) << way;
        EXPECT_EQ(text.substr(text.size() - events.size()), events);
    }
}

// A session end another program may still call off leaves the recording
// running unless it is to be saved now; a playback of a saved document
// runs on too. Called off, both go on; a real end finishes them.
TEST_F(RecorderTest, ASessionEndCalledOffLeavesWhatRunsRunning) {
    const struct {
        bool playing;
        int promptForSave, answer; // answer 0: nothing is asked
        bool endsNow, runsOn;
    } cases[] = {
        {false, 1, AnswerCancel, false, true},
        {false, 1, AnswerNo, true, true},
        {false, 0, 0, true, true},
        {false, 1, AnswerYes, true, false},
        {true, 1, 0, true, true},
    };
    for (const auto& c : cases) {
        SetUp();
        gSettings.promptForSave = c.promptForSave;
        if (c.playing) {
            gRecording.events[0] = Key(MsgKeyDown, 0x1E41, 10);
            gRecording.events[1] = EndMarker(5000);
            gRecording.eventCount = 2;
            PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_PLAYBACK, 0);
            PlatformPostMessage(gApp.mainWindow, MsgQueryEndSession, 0, 0);
            PlatformPostMessage(gApp.mainWindow, MsgEndSession, 0, 0);
            RunMessageLoop();
            EXPECT_EQ(SimDeliveredCount(), 2) << "the key and the end marker: all of it";
            EXPECT_EQ(SimMessageBoxes().size(), 0u);
            continue;
        }
        StartRecording();
        SimRecordInput(Key(MsgKeyDown, 0x1E41, 10, other));
        if (c.answer != 0)
            SimQueueAnswer(c.answer);
        if (c.answer == AnswerYes)
            SimQueueFileDialog(folder.Path("ended.mrx").c_str());
        intptr_t endsNow = PlatformSendMessage(gApp.mainWindow, MsgQueryEndSession, 0, 0);
        PlatformSendMessage(gApp.mainWindow, MsgEndSession, 0, 0);
        EXPECT_EQ(endsNow != 0, c.endsNow) << c.answer;
        EXPECT_EQ(SimRecordHookInstalled(), c.runsOn) << c.answer;
        EXPECT_EQ(SimMessageBoxes().size(), c.answer != 0 ? 1u : 0u) << c.answer;
        SimRecordInput(Key(MsgKeyUp, 0xC01E41, 20, other));
        StopRecording();
        if (c.runsOn)
            EXPECT_EQ(gRecording.events[1], Key(MsgKeyUp, 0xC01E41, 20, other)) << c.answer;
        else
            EXPECT_NE(ScratchFolder::Read(folder.Path("ended.mrx")), "");
    }
}

TEST_F(RecorderTest, OnlyActionCodesAreRecordedAndNegativeOnesArePassedOn) {
    StartRecording();
    EventRecord key = Key(MsgKeyDown, 'A', 10);
    EXPECT_EQ(SimCallRecordHook(-1, &key), SimNextRecordHookAnswer);
    EXPECT_EQ(SimNextRecordHookCalls(), 1);
    EXPECT_EQ(SimCallRecordHook(HookSystemModalOn, &key), 0);
    EXPECT_EQ(SimCallRecordHook(HookSystemModalOff, nullptr), 0);
    EXPECT_EQ(SimCallRecordHook(HookAction, nullptr), 0);
    EXPECT_EQ(gJournal.position, 0);
}

// A 1,000 Hz mouse drawn along a path, with clicks and a key at odd moments.
std::vector<EventRecord> FastMouse(int milliseconds, std::vector<EventRecord>* actions) {
    std::vector<EventRecord> input;
    for (int t = 0; t < milliseconds; t++) {
        input.push_back(Mouse(MsgMouseMove, t % 1280, (t * 7) % 800, 1000 + t));
        if (t % 997 == 13 || t % 331 == 5) {
            uint32_t message = t % 2 ? MsgLButtonDown : MsgLButtonUp;
            if (t % 331 == 5)
                message = t % 2 ? MsgKeyDown : MsgKeyUp;
            actions->push_back(Mouse(message, t % 1280, (t * 7) % 800, 1000 + t));
            input.push_back(actions->back());
        }
    }
    return input;
}

TEST_F(RecorderTest, ThinnedMovesKeepEveryClickWhereAndWhenItHappened) {
    std::vector<EventRecord> actions;
    std::vector<EventRecord> input = FastMouse(5000, &actions);
    std::vector<EventRecord> list = Record(input);
    std::vector<EventRecord> kept;
    for (size_t i = 0; i < list.size(); i++) {
        const EventRecord& e = list[i];
        if (e.message == MsgMouseMove) {
            bool beforeAction = list[i + 1].message != MsgMouseMove;
            EXPECT_TRUE(i == 0 || beforeAction || e.time >= list[i - 1].time + RecordMoveInterval)
                << i;
            continue;
        }
        if (e.message != MsgPaint && e.time != SimStartTick) {
            kept.push_back(e);
            // the move just before the action is where the pointer was
            EXPECT_EQ(list[i - 1].paramL, e.paramL) << i;
            EXPECT_EQ(list[i - 1].paramH, e.paramH) << i;
        }
    }
    EXPECT_EQ(kept, actions);
    EXPECT_LT(list.size(), input.size() / 8);
    const EventRecord* lastMove = nullptr;
    for (const EventRecord& e : list)
        lastMove = e.message == MsgMouseMove ? &e : lastMove;
    EXPECT_EQ(*lastMove, input[input.size() - 1]); // where the pointer came to rest

    SimSetRecordThroughJournal(true); // a journal's moves are kept as they come
    std::vector<EventRecord> journal = Record(input);
    journal.resize(input.size()); // less the releases of what was left held
    EXPECT_EQ(journal, input);
}

TEST_F(RecorderTest, FourMinutesOfAThousandHertzMouseFit) {
    StartRecording();
    const int milliseconds = 4 * 60 * 1000;
    for (int t = 0; t < milliseconds; t++)
        SimRecordInput(Mouse(MsgMouseMove, t % 1000, t % 700, (uint32_t)t));
    StopRecording();
    EXPECT_LT(gRecording.eventCount, 32767);
    const EventRecord& last = gRecording.events[gRecording.eventCount - 2];
    EXPECT_EQ(last.time, (uint32_t)milliseconds - 1);
}

// What the desktop does around the events, and what the list and the user
// get for it. Each case starts recording with Ctrl held in Notepad.
TEST_F(RecorderTest, TheListKeepsInStepWithTheDesktopAroundTheEvents) {
    const uint32_t t0 = SimStartTick;
    const EventRecord ctrlDown = Key(MsgKeyDown, 0x1D11, 10, other);
    auto ctrlUp = [&](uint32_t time) { return Key(MsgKeyUp, 0xC01D11, time, other); };
    const std::vector<EventRecord> keyA = {Key(MsgKeyDown, 0x1E41, 20, other),
                                           Key(MsgKeyUp, 0xC01E41, 30, other)};
    const std::vector<EventRecord> keyB = {Key(MsgKeyDown, 0x3042, 40, other),
                                           Key(MsgKeyUp, 0xC03042, 50, other)};
    std::vector<EventRecord> drag = {Mouse(MsgLButtonDown, 300, 300, 100, other)};
    for (int i = 1; i <= 10; i++)
        drag.push_back(Mouse(MsgMouseMove, 300 + i, 300, 100 + 10 * i, other));
    drag.push_back(Mouse(MsgLButtonUp, 310, 300, 210, other));
    WindowHandle admin = nullptr;
    const char* const missing = "Windows did not pass all of your input to Mirlow during this "
                                "recording: some of it may be missing.";
    struct Case {
        const char* name;
        std::function<void()> script;
        std::vector<EventRecord> after; // between Ctrl's press and the end marker
        int restarts;
        const char* box; // the start of the last box's text, or "" for none
        const char* logged;
    } cases[] = {
        {"a release the hooks never saw goes in before the next event",
         [&] {
             SimSetAsyncKeyDown(KeyControl, false);
             Feed(keyA);
         },
         {ctrlUp(20), keyA[0], keyA[1]},
         0,
         "",
         ""},
        {"a press the hooks never saw goes in before the next event",
         [&] {
             SimSetAsyncKeyDown(KeyShift, true);
             Feed(keyA);
         },
         {Key(MsgKeyDown, 0x10, 20, other), keyA[0], keyA[1], Key(MsgKeyUp, 0xC00010, t0, other),
          ctrlUp(t0)},
         0,
         "",
         ""},
        {"a check is believed once the next one agrees",
         [&] {
             SimSetAsyncKeyDown(KeyControl, false);
             SimRecordCheck();
             SimAdvanceClock(RecordCheckInterval);
             SimRecordCheck();
         },
         {ctrlUp(t0 + RecordCheckInterval)},
         0,
         "",
         ""},
        {"a window with higher rights is named and lets go of the modifiers",
         [&] {
             PlatformActivateWindow(admin, ShowShow);
             SimRecordCheck();
             SimStallRecordHooks(); // what goes to it never reaches the hooks
             SimAdvanceClock(100);
             SimRecordInput(Key(MsgKeyDown, 0x2A10, 100, HandleValue(admin)));
             SimRecordCheck();
             SimAdvanceClock(1500);
             SimRecordCheck();
             SimRecordCheck();
         },
         {ctrlUp(t0)},
         0,
         "Input to \"Administrator: Command Prompt\" was not recorded: that window runs with "
         "higher rights than Mirlow.",
         "WARNING: Input to \"Administrator: Command Prompt\" is not recorded"},
        {"input that leaves the desktop ends the recording as the cancel keys do",
         [&] {
             SimSetInputDesktopOurs(false);
             SimRecordCheck();
             EXPECT_FALSE(SimRecordInput(keyA[0]));
         },
         {ctrlUp(t0)},
         0,
         "Windows is forcing Mirlow to stop",
         "The input left Mirlow's desktop"},
        {"hooks the system took away are installed again, once",
         [&] {
             SimStallRecordHooks();
             SimAdvanceClock(500);
             SimRecordInput(Key(MsgKeyDown, 0x3042, 100, other)); // lost
             SimRecordCheck();
             SimAdvanceClock(1001);
             SimRecordCheck();
             Feed(keyA);
             SimAdvanceClock(5000);
             SimRecordCheck();
             SimRecordCheck();
         },
         {keyA[0], keyA[1], ctrlUp(t0 + 6501)},
         1,
         missing,
         "installed them again"},
        {"hooks that deliver are left alone",
         [&] {
             for (int i = 1; i <= 6; i++) {
                 SimAdvanceClock(300);
                 SimRecordInput(Mouse(MsgMouseMove, i, i, 1000 + 300 * i, other));
                 SimRecordCheck();
             }
         },
         {Mouse(MsgMouseMove, 1, 1, 1300, other), Mouse(MsgMouseMove, 2, 2, 1600, other),
          Mouse(MsgMouseMove, 3, 3, 1900, other), Mouse(MsgMouseMove, 4, 4, 2200, other),
          Mouse(MsgMouseMove, 5, 5, 2500, other), Mouse(MsgMouseMove, 6, 6, 2800, other),
          ctrlUp(t0 + 1800)},
         0,
         "",
         ""},
        {"input held back while the program was busy is recorded before Stop",
         [&] {
             SimHoldRecordInput(true);
             Feed(keyA);
         },
         {keyA[0], keyA[1], ctrlUp(t0)},
         0,
         "",
         ""},
        {"a queue that fills merges moves and keeps the release of a drag",
         [&] {
             SimSetRecordQueueSize(8); // two kept for presses and releases
             SimHoldRecordInput(true);
             Feed(drag);
         },
         {drag[0], drag[1], drag[2], drag[3], drag[4], drag[5], drag[10], drag[11], ctrlUp(t0)},
         0,
         "",
         ""},
        {"a release lost in a full queue goes in where the system is seen without it",
         [&] {
             SimSetRecordQueueSize(4);
             SimHoldRecordInput(true);
             Feed({drag[0], keyA[0], keyA[1], keyB[0], keyB[1], drag[11]}); // both releases lost
             SimHoldRecordInput(false);
             SimRecordInput(Mouse(MsgMouseMove, 400, 300, 500, other));
         },
         {drag[0], keyA[0], keyA[1], keyB[0], Mouse(MsgLButtonUp, 300, 300, 500, other),
          Mouse(MsgMouseMove, 400, 300, 500, other), ctrlUp(t0),
          Key(MsgKeyUp, 0xC03042, t0, other)},
         0,
         missing,
         "2 input events came faster than they could be recorded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewDesktop();
        UseLog(LogLow);
        admin = SimAddDesktopWindow("Administrator: Command Prompt", 0, 0, 640, 480, false);
        SimSetHigherRights(admin, true);
        PlatformActivateWindow((WindowHandle)(uintptr_t)other, ShowShow);
        StartRecording();
        SimRecordInput(ctrlDown);
        c.script();
        StopRecording();
        std::vector<EventRecord> list = List();
        ASSERT_FALSE(list.empty());
        EXPECT_EQ(list.back(), EndMarker(PlatformTickCount()));
        list.pop_back();
        std::vector<EventRecord> expected = {ctrlDown};
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(list, expected);
        EXPECT_EQ(SimRecordHookRestarts(), c.restarts);
        std::string lastBox = SimMessageBoxes().empty() ? "" : SimMessageBoxes().back().text;
        EXPECT_EQ(lastBox.substr(0, strlen(c.box)), c.box);
        EXPECT_EQ(SimMessageBoxes().empty(), c.box[0] == '\0');
        EXPECT_NE(ScratchFolder::Read(log).find(c.logged), std::string::npos);
    }
}

// The notice of the cancel keys, waiting when a modal loop starts (here
// the About box's, which drops thread messages), ends the recording or
// the playback inside it.
TEST_F(RecorderTest, TheCancelKeysEndRecordingAndPlaybackInsideAModalLoop) {
    void (*const starts[])() = {StartRecording, StartPlayback};
    for (auto start : starts) {
        NewDesktop();
        gRecording.events[0] = Key(MsgKeyDown, 'A', 10);
        gRecording.eventCount = 1;
        start();
        if (SimRecordHookInstalled())
            SimCancelRecording();
        else
            SimCancelJournalNow();
        bool endedInside = false;
        SimQueueDialogDriver([&](WindowHandle) {
            endedInside = gJournal.hook == nullptr && !SimMessageBoxes().empty() &&
                          SimMessageBoxes().back().caption == "0 Playbacks Completed";
        });
        PlatformSendMessage(gApp.mainWindow, MsgCommand, ID_HELP_ABOUT, 0);
        EXPECT_TRUE(endedInside) << (start == StartRecording ? "recording" : "playback");
        EXPECT_TRUE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_PLAYBACK));
    }
}

// Unicode key input recorded, saved either way, loaded and played: the
// same characters go to the system, by injected input.
TEST_F(RecorderTest, UnicodeKeyInputIsPlayedAsTheSameCharacters) {
    const uint16_t text[] = {0x141, 0xF3, 0x64, 0x17A, 0x20, 0x20AC, 0x35, 0xDF, 0xD83D, 0xDE00};
    std::vector<EventRecord> input;
    for (uint16_t character : text) {
        input.push_back(SimUnicodeKeyRecord(character, false, 100, other));
        input.push_back(SimUnicodeKeyRecord(character, true, 101, other));
    }
    Record(input);
    for (const char* name : {"unicode.mrx", "unicode.mrl"}) {
        std::string path = folder.Path(name);
        FILE* file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        bool binary = IsBinaryRecordingPath(path.c_str());
        ASSERT_TRUE(binary ? WriteBinaryRecording(file, path.c_str())
                           : WriteTextScript(file, path.c_str()));
        fclose(file);
        ClearEventList();
        ASSERT_EQ(LoadRecording(path.c_str(), false), 0) << name;
        ASSERT_EQ(gRecording.eventCount, (int32_t)input.size() + 1) << name;
        int delivered = SimDeliveredCount();
        StartPlayback();
        RunMessageLoop();
        EXPECT_TRUE(SimInjectedInputPreferred()) << name;
        std::vector<uint16_t> played;
        for (size_t i = delivered; i < SimDeliveredEvents().size(); i++) {
            const EventRecord& record = SimDeliveredEvents()[i].record;
            if (record.message == MsgKeyDown)
                played.push_back(KeyEventCharacter(record));
        }
        EXPECT_EQ(played, std::vector<uint16_t>(text, text + sizeof text / sizeof text[0])) << name;
    }
}

} // namespace
