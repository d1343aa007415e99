// How the played input reaches the system: the pixel arithmetic, buttons
// and typed-text marks of the input layer, and on the simulated desktop the
// releases at every end, refused input, a locked session, a journal never
// called, a foreground that is refused, boxes nobody can see and the
// reasons a program does not start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "log/log.h"
#include "platform/input_rules.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "record/record.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/scratch_files.h"

namespace {

// ---- The input layer's arithmetic ----

TEST(InputRules, EveryPixelOfEveryLayoutScalesBackToItself) {
    struct Layout {
        int32_t origin, extent;
    };
    const Layout layouts[] = {{0, 1280}, {0, 800},      {-1280, 3200}, {-1080, 3000},
                              {0, 1366}, {-3840, 7680}, {0, 1},        {0, 40000}};
    for (const Layout& layout : layouts) {
        for (int32_t pixel = layout.origin; pixel < layout.origin + layout.extent; pixel++) {
            int64_t n = NormalizedScreenCoordinate(pixel, layout.origin, layout.extent);
            ASSERT_GE(n, layout.extent < 32768 ? 1 : 0);
            ASSERT_LE(n, 65535);
            // The system drops the fraction, or rounds it (on a real desktop).
            ASSERT_EQ(layout.origin + n * layout.extent / 65536, pixel) << layout.extent;
            if (layout.extent < 32768) {
                ASSERT_EQ(layout.origin + (n * layout.extent + 32768) / 65536, pixel);
            }
        }
        // Outside the desktop: the nearest edge.
        int32_t last = layout.origin + layout.extent - 1;
        EXPECT_EQ(NormalizedScreenCoordinate(layout.origin - 5, layout.origin, layout.extent),
                  NormalizedScreenCoordinate(layout.origin, layout.origin, layout.extent));
        EXPECT_EQ(NormalizedScreenCoordinate(last + 9, layout.origin, layout.extent),
                  NormalizedScreenCoordinate(last, layout.origin, layout.extent));
    }
}

TEST(InputRules, MouseMessagesAndSwappedButtons) {
    struct Row {
        uint32_t message;
        bool swapped;
        uint32_t flags;
    };
    const Row rows[] = {
        {0x0200, false, 0},
        {0x0201, false, MouseLeftDown},
        {0x0201, true, MouseRightDown},
        {0x0203, true, MouseRightDown},
        {0x0202, true, MouseRightUp},
        {0x0204, true, MouseLeftDown},
        {0x0205, false, MouseRightUp},
        {0x0207, true, MouseMiddleDown},
        {0x0208, false, MouseMiddleUp},
        {0x020A, false, MouseWheel},
        {0x020B, false, MouseXDown},
        {0x020C, true, MouseXUp},
        {0x020E, false, MouseHorizontalWheel},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(IsMouseMessage(row.message));
        EXPECT_EQ(MouseButtonFlags(row.message, row.swapped), row.flags) << row.message;
        // Only a plain move goes on before its window has taken it.
        EXPECT_EQ(WaitsForTargetAfter(EventRecord{row.message, 5, 5, 0, 0}, 0), row.flags != 0)
            << row.message;
    }
    EXPECT_FALSE(IsMouseMessage(0x000F)); // the end marker is no input
    // The buttons the played input holds: a press holds, its release lets go.
    struct Held {
        uint32_t before, flags, after;
    };
    const Held held[] = {
        {0, MouseMove | MouseLeftDown, MouseLeftDown},
        {MouseLeftDown, MouseMove, MouseLeftDown},
        {MouseLeftDown | MouseRightDown, MouseMove | MouseLeftUp, MouseRightDown},
        {MouseMiddleDown, MouseMiddleUp, 0},
        {MouseXDown, MouseXUp, 0},
        {0, MouseWheel | MouseHorizontalWheel, 0},
    };
    for (const Held& h : held)
        EXPECT_EQ(ButtonsDownAfter(h.before, h.flags), h.after) << h.flags;
    // Wheel and X-button records: amount in the high word of paramH.
    EventRecord wheel = {0x020A, 300, (int32_t)((0xFF10u << 16) | 410), 0, 0};
    EXPECT_EQ(MouseEventAmount(wheel), -240);
    EXPECT_EQ(MouseEventY(wheel), 410);
    wheel.paramH = 410;
    EXPECT_EQ(MouseEventAmount(wheel), WheelNotch);
    EventRecord xButton = {0x020B, 1, (int32_t)((2u << 16) | 7), 0, 0};
    EXPECT_EQ(MouseEventAmount(xButton), 2);
    for (int32_t y : {-1080, 0, 410, 32767}) { // as the recorder stores them, read back
        EventRecord stored = {0x020A, 0, MouseEventParamH(0x020A, y, -360), 0, 0};
        EXPECT_EQ(MouseEventY(stored), y);
        EXPECT_EQ(MouseEventAmount(stored), -360);
    }
    EXPECT_EQ(MouseEventParamH(0x0200, 70000, 5), 70000);
    EventRecord move = {0x0200, 1, 70000, 0, 0};
    EXPECT_EQ(MouseEventY(move), 70000);
    EXPECT_EQ(MouseEventAmount(move), 0);
}

TEST(InputRules, ExtendedKeysAndTypedTextMarks) {
    for (int key : {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E, 0xA3, 0xA5, 0x6F})
        EXPECT_TRUE(IsExtendedKey(key)) << key;
    for (int key : {0x10, 0x11, 0x12, 0xA2, 0xA4, 0x0D, 0x41, 0x64, 0x70})
        EXPECT_FALSE(IsExtendedKey(key)) << key;
    for (char c : {'a', 'Z', '~', '@', '\x80', '\xE9', '\xFF'})
        EXPECT_TRUE(IsTypedAsCharacter(c)) << (int)c;
    for (uint16_t unit : {0x0061, 0x00E9, 0x20AC, 0xD83D, 0xDE00, 0xFFFF}) {
        uint32_t mark = TypedMark(TypedCharacter, unit);
        EXPECT_EQ(TypedRoleOf(mark), TypedCharacter);
        EXPECT_EQ(TypedUnitOf(mark), unit);
        EXPECT_EQ(HandOverMark(mark, false, false), mark);
        EXPECT_EQ(HandOverMark(mark, true, true), TypedMark(TypedCharacterKey, unit));
        EXPECT_EQ(HandOverMark(TypedMark(TypedShift, unit), true, true), 0u);
        uint32_t silent = TypedMark(TypedSilent, 0);
        EXPECT_EQ(HandOverMark(silent, true, false), silent)
            << "a later byte never turns into a key";
        // Typed text goes on unwaited while more of it follows, up to a
        // batch; the last record of a run, and a shortcut key, are waited
        // for. The mark still says what the record types.
        uint32_t more = HandOverMark(mark, false, true);
        EXPECT_EQ(TypedRoleOf(more), TypedCharacter);
        EXPECT_EQ(TypedUnitOf(more), unit);
        EXPECT_TRUE(TypedTextGoesOn(more));
        EXPECT_FALSE(TypedTextGoesOn(mark));
        EXPECT_FALSE(TypedTextGoesOn(HandOverMark(mark, true, true)));
        EXPECT_TRUE(TypedTextGoesOn(HandOverMark(TypedMark(TypedShift, unit), false, true)));
        struct Wait {
            uint32_t message, hwnd;
            int handedSinceWait;
            bool waits;
        };
        const Wait waits[] = {
            {0x0100, more, 0, false},
            {0x0101, more, TypedTextBatch - 2, false},
            {0x0101, more, TypedTextBatch - 1, true},
            {0x0101, mark, 0, true},
            {0x0100, HandOverMark(mark, true, true), 0, true},
        };
        for (const Wait& w : waits)
            EXPECT_EQ(
                WaitsForTargetAfter(EventRecord{w.message, 'A', 0, 0, w.hwnd}, w.handedSinceWait),
                w.waits)
                << w.handedSinceWait;
    }
    EXPECT_TRUE(WaitsForTargetAfter(EventRecord{0x0100, 'A', 0, 0, 0}, 0));
    for (char c : {' ', '\n', '\r', '\t', '\x08', '\x7F'})
        EXPECT_FALSE(IsTypedAsCharacter(c)) << (int)c;
    for (uint32_t hwnd : {0u, 0x000A0B2Cu, 0x4D500000u, 0x4D550041u, 0x4D570041u})
        EXPECT_EQ(TypedRoleOf(hwnd), TypedNone) << hwnd;
    // Unicode key input keeps its whole code unit, beside the extended flag.
    for (uint32_t unit : {0x41u, 0xDFu, 0x141u, 0x20ACu, 0xD83Du, 0xFFFFu}) {
        for (bool extended : {false, true}) {
            EventRecord key = {0x0101, KeyEventParamL(KeyPacket, unit, 0xC0),
                               KeyEventParamH(KeyPacket, unit, extended), 0, 0};
            EXPECT_TRUE(IsUnicodeKeyRecord(key));
            EXPECT_EQ(KeyEventCharacter(key), unit);
            EXPECT_EQ((key.paramH & 0x8000) != 0, extended);
            EXPECT_EQ(key.paramL, (int32_t)(0xC000E7 | (unit & 0xFF) << 8));
        }
    }
    EventRecord older = {0x0100, KeyEventParamL(KeyPacket, 0x141, 0), 1, 0, 0};
    EXPECT_EQ(KeyEventCharacter(older), 0x41); // made before the whole unit was kept
    EventRecord plain = {0x0100, KeyEventParamL(0x41, 0x1E, 0), KeyEventParamH(0x41, 0x1E, false),
                         0, 0};
    EXPECT_EQ(plain.paramH, 1);
    EXPECT_FALSE(IsUnicodeKeyRecord(plain));
    EXPECT_EQ(KeyEventCharacter(plain), 0);
}

// ---- Playback on the simulated desktop ----

EventRecord Event(uint32_t message, int32_t paramL, int32_t paramH, uint32_t time) {
    return EventRecord{message, paramL, paramH, time, 0};
}

const EventRecord Placeholder = {};

class ReachingWindowsTest : public ::testing::Test {
  protected:
    ScratchFolder folder;
    std::string log;

    void SetUp() override {
        SimReset();
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        log = folder.Path("reaching.log");
        remove(log.c_str());
        snprintf(gSettings.logfile, sizeof gSettings.logfile, "%s", log.c_str());
        gSettings.log = LogLow;
        gSettings.interruptWarning = 0;
    }
    void TearDown() override {
        SimReset();
    }

    // Loads the events with the commands (kind, text) at the placeholders.
    void Load(const std::vector<EventRecord>& events,
              const std::vector<std::pair<int32_t, const char*>>& commands = {}) {
        ClearEventList();
        gRecording.commandCount = 0;
        for (size_t i = 0; i < events.size(); i++) {
            gRecording.events[i] = events[i];
            if (events[i].message == 0 && gRecording.commandCount < (int)commands.size()) {
                const auto& command = commands[gRecording.commandCount];
                SetScriptCommand(gRecording.commandCount++, command.first, command.second,
                                 (int32_t)i);
            }
        }
        gRecording.eventCount = (int32_t)events.size();
    }

    void Play() {
        PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_PLAYBACK, 0);
        RunMessageLoop();
    }

    bool Logged(const char* line) {
        return ScratchFolder::Read(log).find(line) != std::string::npos;
    }

    static std::vector<std::string> Releases() {
        std::vector<std::string> texts;
        for (const EventRecord& r : SimReleasedInput())
            texts.push_back(std::to_string(r.message) + " " + std::to_string(r.paramL) + " " +
                            std::to_string(r.paramH));
        return texts;
    }
};

TEST_F(ReachingWindowsTest, EveryEndReleasesWhatIsStillDownLastPressedFirst) {
    struct Case {
        const char* name;
        int cancelAfter; // 0: the run ends normally
        std::vector<std::string> releases;
    };
    // A drag holding Shift and the left button, then a move; Ctrl+A pressed
    // and released, and Alt left down by the recording's end.
    const std::vector<EventRecord> events = {
        Event(0x0201, 10, 20, 100),     Event(MsgKeyDown, 0x10, 0x2A00, 110),
        Event(0x0200, 30, 40, 120),     Event(MsgKeyDown, 0x11, 0, 130),
        Event(MsgKeyDown, 'A', 0, 140), Event(MsgKeyUp, 'A', 0, 150),
        Event(MsgKeyUp, 0x11, 0, 160),  Event(MsgSysKeyDown, 0x12, 0, 170),
    };
    const Case cases[] = {
        {"cancelled mid-drag", 3, {"257 16 10752", "514 30 40"}},
        {"cancelled holding Ctrl+A", 5, {"257 65 0", "257 17 0", "257 16 10752", "514 30 40"}},
        {"the end of the run", 0, {"261 18 0", "257 16 10752", "514 30 40"}},
    };
    for (const Case& c : cases) {
        SetUp();
        Load(events);
        SimCancelJournalAfter(c.cancelAfter);
        Play();
        EXPECT_EQ(Releases(), c.releases) << c.name;
        EXPECT_TRUE(Logged("    Releasing")) << c.name;
    }
    // A complete run's log ends with "Playback Complete!", after the release.
    const std::string text = ScratchFolder::Read(log);
    const std::string end = "Playback Complete!\r\n\r\n";
    ASSERT_GE(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    EXPECT_LT(text.rfind("    Releasing"), text.rfind("Playback Complete!"));
    // Nothing held: nothing released; a second run starts with a clean slate.
    SetUp();
    Load({Event(0x0201, 1, 2, 100), Event(0x0202, 1, 2, 110)});
    Play();
    Play();
    EXPECT_TRUE(SimReleasedInput().empty());
}

// ---- Typed text as the keys of the keyboard layout ----

const int Shift = ModifierShift, AltGr = ModifierCtrl | ModifierAlt;

// Parts of three layouts: letters follow Caps Lock, dead keys type
// nothing alone, AltGr is Ctrl+Alt.
const std::vector<SimLayoutKey> UsKeys = {
    {'a', 'A', 0, true, false},  {'B', 'B', Shift, true, false}, {'!', '1', Shift, false, false},
    {'1', '1', 0, false, false}, {'A', 'A', Shift, true, false}, {'b', 'B', 0, true, false},
};
const std::vector<SimLayoutKey> GermanKeys = {
    {'z', 'Z', 0, true, false},      {'y', 'Y', 0, true, false},
    {'@', 'Q', AltGr, false, false}, {0x20AC, 'E', AltGr, false, false},
    {0xE4, 0xDE, 0, true, false},    {0xC4, 0xDE, Shift, true, false},
    {'^', 0xDC, 0, false, true},     {'/', '7', Shift, false, false},
};
const std::vector<SimLayoutKey> FrenchKeys = {
    {'a', 'A', 0, true, false},   {'1', '1', Shift, false, false}, {'&', '1', 0, false, false},
    {0xE9, '2', 0, false, false}, {'^', 0xDD, 0, false, true},
};

// "+41" a key pressed, "-41" released; "u+00E9" a Unicode press.
std::string Strokes() {
    std::string text;
    for (const KeyStroke& k : SimKeyStrokes()) {
        char one[16];
        if (k.key != 0)
            snprintf(one, sizeof one, "%c%02X ", k.release ? '-' : '+', k.key);
        else
            snprintf(one, sizeof one, "u%c%04X ", k.release ? '-' : '+', k.unit);
        text += one;
    }
    return text;
}

TEST_F(ReachingWindowsTest, TypedTextGoesAsTheLayoutsKeysWhereItHasThemElseAsText) {
    struct Row {
        const char* name;
        const std::vector<SimLayoutKey>* layout;
        CapsLockState capsLock;
        bool shiftHeld, utf8;
        const char* text;
        const char* strokes;
        bool inputMethod = false; // composes the keys
    };
    const std::vector<SimLayoutKey> none;
    const Row rows[] = {
        {"US", &UsKeys, CapsLockOff, false, false, "aB!",
         "+41 -41 +10 +42 -42 -10 +10 +31 -31 -10 "},
        {"US, Caps Lock", &UsKeys, CapsLockOn, false, false, "aB", "+10 +41 -41 -10 +42 -42 "},
        {"US, Shift held", &UsKeys, CapsLockOff, true, false, "aB", "u+0061 u-0061 +42 -42 "},
        {"German", &GermanKeys, CapsLockOff, false, false, "zy@\x80\xE4^/",
         "+5A -5A +59 -59 +A2 +A5 +51 -51 -A5 -A2 +A2 +A5 +45 -45 -A5 -A2 +DE -DE u+005E u-005E "
         "+10 +37 -37 -10 "},
        {"German, Caps Lock", &GermanKeys, CapsLockOn, false, false, "\xE4\xC4",
         "+10 +DE -DE -10 +DE -DE "},
        {"French", &FrenchKeys, CapsLockOff, false, false, "a1&\xE9^",
         "+41 -41 +10 +31 -31 -10 +31 -31 +32 -32 u+005E u-005E "},
        {"no layout", &none, CapsLockOff, false, false, "a", "u+0061 u-0061 "},
        // An input method would compose the layout's keys into other text.
        {"US, input method", &UsKeys, CapsLockOff, false, false, "aB",
         "u+0061 u-0061 u+0042 u-0042 ", true},
        // Caps Lock not known: only keys it cannot change.
        {"US, Caps Lock unknown", &UsKeys, CapsLockUnknown, false, false, "a1!",
         "u+0061 u-0061 +31 -31 +10 +31 -31 -10 "},
        // UTF-8: é is two bytes, 😀 four (a surrogate pair), each typed once.
        {"UTF-8", &UsKeys, CapsLockOff, false, true,
         "\xC3\xA9\xF0\x9F\x98\x80"
         "a",
         "u+00E9 u-00E9 u+D83D u-D83D u+DE00 u-DE00 +41 -41 "},
    };
    for (const Row& row : rows) {
        SetUp();
        SimSetKeyboardLayout(*row.layout);
        SimSetCapsLock(row.capsLock);
        SimSetKeyDown(KeyShift, row.shiftHeld);
        SimSetAnsiCodePage(row.utf8 ? SimCodePageUtf8 : SimCodePageWestern);
        SimSetInputMethodComposing(row.inputMethod);
        Load({Placeholder}, {{CommandType, row.text}});
        Play();
        EXPECT_EQ(Strokes(), row.strokes) << row.name;
    }
}

TEST_F(ReachingWindowsTest, HeldInputSpansPassesAndIsReleasedOnceAtTheEnd) {
    gSettings.repeats = 3;
    Load({Placeholder, Event(0x0200, 5, 6, 100)}, {{CommandType, "{shiftdown}"}});
    Play();
    EXPECT_EQ(Releases(), std::vector<std::string>{"257 16 0"});
}

TEST_F(ReachingWindowsTest, TypedCharactersGoAsTextUnlessCtrlOrAltIsHeld) {
    Load(std::vector<EventRecord>(8, Placeholder), {{CommandType, "a"},
                                                    {CommandType, "{ctrldown}"},
                                                    {CommandType, "S"},
                                                    {CommandType, "{ctrlup}{enter}"},
                                                    {CommandType, "{altdown}"},
                                                    {CommandType, "f"},
                                                    {CommandType, "{altup}"},
                                                    {CommandType, "\xA5"}});
    Play();
    std::vector<std::string> roles;
    for (const SimDelivered& d : SimDeliveredEvents())
        roles.push_back(std::to_string(d.record.paramL) + ":" +
                        std::to_string(TypedRoleOf(d.record.hwnd)));
    // a as text; Ctrl; Shift+S as a shortcut key (Shift played as a key);
    // Ctrl up; Enter a key; Alt; f as a shortcut key; Alt up; the yen sign
    // as text, though its byte names the right Alt key in the fixed table.
    EXPECT_EQ(roles, (std::vector<std::string>{"65:1", "65:1", "17:0", "16:0", "83:3", "83:3",
                                               "16:0", "17:0", "13:0", "13:0", "18:0", "70:3",
                                               "70:3", "18:0", "-91:1", "-91:1"}));
    EXPECT_TRUE(SimInjectedInputPreferred()) << "typed text is injected, never journaled";
    Load({Event(MsgKeyDown, 'A', 0, 100)});
    Play();
    EXPECT_FALSE(SimInjectedInputPreferred());
    gSettings.typeKey = 0x78;
    gSettings.typeThis = 1;
    Play();
    EXPECT_TRUE(SimInjectedInputPreferred()) << "the type key types text";
}

TEST_F(ReachingWindowsTest, RefusedInputEndsTheRunAsAnErrorThatSaysWhy) {
    struct Case {
        InputRefusal refusal;
        const char* box;
        const char* line;
    };
    const Case cases[] = {
        {InputRefusedBySystem, "Windows refused the input that Mirlow played.",
         "    ERROR: Event #3: Windows refused the input (system error 5)!"},
        {InputRefusedHigherRights,
         "Windows did not let Mirlow play input into the window 'Task Manager', which runs with "
         "higher rights than Mirlow.",
         "    ERROR: Event #3: Windows refused the input: the window 'Task Manager' runs with "
         "higher rights than Mirlow!"},
    };
    for (const Case& c : cases) {
        SetUp();
        SimAddDesktopWindow("Task Manager", 0, 0, 300, 200, false);
        gApp.commandLineMode = true;
        Load({Placeholder, Event(MsgKeyDown, 'A', 0, 100), Event(MsgKeyDown, 'B', 0, 110),
              Event(MsgKeyUp, 'B', 0, 120)},
             {{CommandGoto, "Task Manager"}});
        SimRefuseInputAfter(1, c.refusal);
        Play();
        ASSERT_EQ(SimMessageBoxes().size(), 1u);
        EXPECT_EQ(SimMessageBoxes()[0].text, std::string(c.box) + "\n\nThe playback has stopped.");
        EXPECT_EQ(SimMessageBoxes()[0].caption, "Playback Error");
        EXPECT_TRUE(Logged(c.line)) << c.line;
        EXPECT_FALSE(Logged("Playback Complete!"));
        EXPECT_EQ(gApp.exitCode, ExitPlaybackError);
        // The refused key's release goes too; the system drops it as it did the press.
        EXPECT_EQ(Releases(), (std::vector<std::string>{"257 66 0", "257 65 0"}));
    }
}

// Typed text goes on without a wait while more of it follows, up to a
// batch; the key after it goes only once the target took all of it; a
// target too slow for the limits ends the run as an error that says what
// was left, the cancel keys end the wait.
TEST_F(ReachingWindowsTest, TypedTextIsTakenBeforeMoreGoesOrTheRunSaysItWasNot) {
    struct Row {
        const char* name;
        int characters;
        uint32_t first, each; // ms the target takes for the first typed record, each other
        bool answers;
        bool cancel;       // the cancel keys, 5 s in
        ExitCode exitCode; // command-line mode
        uint32_t waited;   // ms from the first typed record to the key after the text
        int checks;        // that the target took its input
        const char* line;  // logged
    };
    const Row rows[] = {
        {"keeps up", 3, 0, 0, true, false, ExitSuccess, 0, 3, "Playback Complete!"},
        {"slow", 3, 10, 10, true, false, ExitSuccess, 60, 3, "Playback Complete!"},
        {"a long text, in batches", 100, 1, 1, true, false, ExitSuccess, 200, 4,
         "Playback Complete!"},
        {"behind, catching up", 2, 25000, 0, true, false, ExitSuccess, 25000, 3,
         "Playback Complete!"},
        {"behind past the limit", 2, 40000, 0, true, false, ExitPlaybackError, 0, 1,
         "    ERROR: Event #6: the window 'Notepad' had not taken the last 4 event(s) played to "
         "it (2 typed character(s)) after 30 seconds; 2 event(s) were left unplayed"},
        {"hung", 2, 20000, 0, false, false, ExitPlaybackError, 0, 1,
         "the window 'Notepad' had not taken the last 4 event(s) played to it (2 typed "
         "character(s)) after 10 seconds"},
        {"cancelled while waiting", 2, 20000, 0, true, true, ExitCancelled, 0, 1,
         "CANCELLED RECORDING"},
    };
    for (const Row& row : rows) {
        SetUp();
        gApp.commandLineMode = true;
        SimAddDesktopWindow("Notepad", 0, 0, 300, 200, false);
        std::string text;
        for (int i = 0; i < row.characters; i++)
            text += (char)('a' + i % 26);
        Load({Placeholder, Placeholder, Event(MsgKeyDown, 'Z', 0, 0), Event(MsgKeyUp, 'Z', 0, 0)},
             {{CommandGoto, "Notepad"}, {CommandType, text.c_str()}});
        SimQueueTakingTime(row.first);
        for (int i = 1; i < 2 * row.characters; i++)
            SimQueueTakingTime(row.each);
        SimSetTargetAnswers(row.answers);
        if (row.cancel)
            SimCancelJournalAtTick(PlatformTickCount() + 5000);
        Play();
        EXPECT_EQ(gApp.exitCode, row.exitCode) << row.name;
        EXPECT_EQ(SimTakenChecks(), row.checks) << row.name;
        EXPECT_TRUE(Logged(row.line)) << row.name;
        const std::vector<SimDelivered>& delivered = SimDeliveredEvents();
        bool keyWent = row.exitCode == ExitSuccess;
        ASSERT_EQ(delivered.size(), 2u * row.characters + (keyWent ? 2 : 0)) << row.name;
        if (keyWent) {
            EXPECT_EQ(delivered[delivered.size() - 2].tick - delivered[0].tick, row.waited)
                << row.name;
        }
        if (row.exitCode == ExitPlaybackError) {
            ASSERT_EQ(SimMessageBoxes().size(), 1u) << row.name;
            EXPECT_EQ(SimMessageBoxes()[0].text.substr(0, 70),
                      "The window 'Notepad' did not take the input Mirlow played to it within")
                << row.name;
        }
    }
}

TEST_F(ReachingWindowsTest, ALockedSessionEndsThePlaybackLikeTheCancelKeys) {
    gApp.commandLineMode = true;
    gSettings.interruptWarning = 1;
    Load({Event(MsgKeyDown, 'A', 0, 100), Event(MsgKeyDown, 'B', 0, 110),
          Event(MsgKeyUp, 'B', 0, 120)});
    SimLockSessionAfter(1);
    Play();
    EXPECT_EQ(SimDeliveredCount(), 1);
    EXPECT_TRUE(Logged("CANCELLED RECORDING"));
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].caption, "0 Playbacks Completed");
    EXPECT_EQ(gApp.exitCode, ExitCancelled);
    EXPECT_EQ(Releases(), (std::vector<std::string>{"257 66 0", "257 65 0"}));
}

TEST_F(ReachingWindowsTest, AJournalNeverCalledIsGivenUpForInjectedInputOnce) {
    SimSetJournalNeverCalled(true);
    gSettings.repeats = 2;
    Load({Event(MsgKeyDown, 0x14, 0, 100), Event(MsgKeyUp, 0x14, 0, 110)});
    Play();
    std::string text = ScratchFolder::Read(log);
    size_t journal = text.find("Playing through the system's journal hook");
    const char* fallbackLine = "The system's journal hook was not called within 1000 ms; "
                               "playing through injected input";
    size_t fallback = text.find(fallbackLine);
    EXPECT_NE(journal, std::string::npos);
    EXPECT_NE(fallback, std::string::npos);
    EXPECT_LT(journal, fallback);
    EXPECT_EQ(text.find(fallbackLine, fallback + 1), std::string::npos) << "once per run";
    ASSERT_EQ(SimDeliveredCount(), 4);
    EXPECT_EQ(SimDeliveredEvents()[0].tick, SimStartTick + 1000);
    EXPECT_EQ(SimDeliveredEvents()[2].tick - SimDeliveredEvents()[1].tick, 0u)
        << "the second pass does not wait for the journal again";
    EXPECT_EQ(SimToggleKeyPresses(), 0) << "injected keys need no second press";
}

uint32_t boxShownAt;
void NoteBoxTime(const SimMessageBox*) {
    boxShownAt = PlatformTickCount();
}

// A window whose program is busy or hung is only ever asked with a time
// limit, and nothing that would wait for its thread is called on it.
TEST_F(ReachingWindowsTest, GotoMustWinTheForegroundOrFailsAsGotoFails) {
    struct Case {
        int refusals;
        int answers; // checks its thread answers; -1 always
        bool found;
        const char* why; // the line after the ERROR line, the box's addition
        uint32_t withinMs;
    };
    const char* refused = "    ...The window is there, but Windows did not let Mirlow bring it "
                          "to the front";
    const char* silent = "    ...The window is there, but its program does not answer (busy or "
                         "not responding)";
    const Case cases[] = {{0, -1, true, "", 0},
                          {1, -1, true, "", 0},
                          {2, -1, false, refused, 2000},
                          {0, 0, false, silent, 1000},
                          {1, 1, false, silent, 2000}};
    for (const Case& c : cases) {
        SetUp();
        WindowHandle hidden = SimAddDesktopWindow("Editor", 0, 0, 10, 10, false);
        PlatformShowWindow(hidden, ShowHide);
        WindowHandle shown = SimAddDesktopWindow("Editor", 5, 5, 10, 10, true);
        SimSetWindowAnswers(shown, c.answers);
        gApp.commandLineMode = true;
        gSettings.log = LogMedium;
        Load({Placeholder, Event(MsgKeyDown, 'A', 0, 100)}, {{CommandGoto, "Editor"}});
        SimRefuseForeground(c.refusals);
        SimSetMessageBoxObserver(NoteBoxTime);
        gJournal.gotoWindow = nullptr;
        uint32_t start = PlatformTickCount();
        Play();
        EXPECT_EQ(Logged("    Found window 'Editor'"), c.found) << c.refusals;
        EXPECT_EQ(SimDeliveredCount(), c.found ? 1 : 0) << c.refusals;
        EXPECT_EQ(SimBlockingCalls(), 0) << c.answers;
        if (c.found) {
            EXPECT_EQ(SimForegroundWindow(), shown) << "the visible one of two";
            EXPECT_FALSE(SimWindowMinimized(shown));
            continue;
        }
        ASSERT_EQ(SimMessageBoxes().size(), 1u);
        bool silentOne = c.why == silent;
        EXPECT_EQ(SimMessageBoxes()[0].text,
                  std::string("Unable to find and GOTO window with the title 'Editor'!\n\nThe "
                              "playback has stopped.") +
                      (silentOne ? "\n\nThe window is there, but its program does not answer: "
                                   "it is busy or has stopped responding."
                                 : ""));
        EXPECT_TRUE(Logged(
            (std::string("    ERROR: Unable to find window 'Editor'!\r\n") + c.why).c_str()));
        EXPECT_LE(boxShownAt - start, c.withinMs) << c.answers;
        EXPECT_EQ(gApp.exitCode, ExitPlaybackError);
        EXPECT_EQ(gJournal.gotoWindow, nullptr) << "a failed GOTO keeps the last window";
    }
    SimSetMessageBoxObserver(nullptr);
}

TEST_F(ReachingWindowsTest, StartFailuresSayWhyAndNameTheElevationCase) {
    SimFailProgram("setup.exe");
    SimSetStartFailure(StartFailedNeedsElevation,
                       "The requested operation requires elevation. (error 740)");
    Load({Placeholder}, {{CommandStart, "setup.exe /quiet"}});
    Play();
    EXPECT_TRUE(Logged("    ERROR: Unable to start 'setup.exe /quiet'!\r\n    ...Windows says: "
                       "The requested operation requires elevation. (error 740)\r\n    ...The "
                       "program asks for higher rights than Mirlow has"));
}

// Nobody answers a box where nobody can see the desktop (it is not shown),
// nor in an unattended run told to wait BoxWait seconds (it closes itself
// once that time has passed); either way the box takes its default answer,
// the log says so, and a run that failed ends with its exit code.
TEST_F(ReachingWindowsTest, BoxesNobodyAnswersAreLoggedAndTakeTheirDefaultAnswer) {
    struct Way {
        bool visible;
        int32_t boxWait;
        const char* said; /* the log's words between the caption and the answer */
    } ways[] = {{false, 0, "(nobody can see the desktop; answered "},
                {true, 3, "closed itself after 3 s (answered "}};
    struct Row {
        uint32_t style;
        int answer;
    };
    const Row rows[] = {{BoxOk | BoxIconWarning, AnswerOk}, {BoxYesNo, AnswerYes},
                        {BoxYesNoCancel | 0x100, AnswerNo}, {BoxYesNoCancel | 0x200, AnswerCancel},
                        {1 | 0x100, AnswerCancel},          {BoxYesNo | 0x200, AnswerYes}};
    for (const Way& way : ways) {
        SetUp();
        SimSetDesktopVisible(way.visible);
        SetMessageBoxWait(way.boxWait);
        uint32_t before = PlatformTickCount();
        for (const Row& row : rows)
            EXPECT_EQ(ShowMessageBox("Save?", "Confirm Action", row.style), row.answer)
                << row.style;
        EXPECT_EQ(SimMessageBoxes().size(), way.visible ? 6u : 0u);
        EXPECT_EQ(PlatformTickCount() - before, 6u * 1000u * (uint32_t)way.boxWait);
        EXPECT_TRUE(Logged(
            ("Message box 'Confirm Action' " + std::string(way.said) + "No): Save?").c_str()));
        if (way.visible) { // answered in time by the user: not the box's own answer
            SimQueueAnswer(AnswerNo);
            EXPECT_EQ(ShowMessageBox("Keep?", "In Time", BoxYesNo), AnswerNo);
            EXPECT_EQ(SimMessageBoxes().back().waitMilliseconds, 3000);
            EXPECT_FALSE(Logged("'In Time'"));
        }

        // An unattended run that fails ends with its exit code instead of waiting.
        gApp.commandLineMode = true;
        Load({Placeholder, Event(MsgKeyDown, 'A', 0, 100)}, {{CommandGoto, "Gone"}});
        Play();
        EXPECT_TRUE(Logged(("Message box 'Gone' " + std::string(way.said) +
                            "OK): Unable to find and GOTO window with the title 'Gone'! The "
                            "playback has stopped.")
                               .c_str()));
        EXPECT_EQ(gApp.exitCode, ExitPlaybackError);
        EXPECT_EQ(gJournal.hook, nullptr);
    }
    SetMessageBoxWait(0);
}

} // namespace
