// Recorded windows: the notes the recorder makes, their place in both file
// formats, and playback that waits for the noted window, follows it when
// it moved and never plays into another; START waiting for its program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "record/record.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/scratch_files.h"

namespace {

EventRecord Event(uint32_t message, int32_t paramL, int32_t paramH, uint32_t time,
                  uint32_t hwnd = 0) {
    return EventRecord{message, paramL, paramH, time, hwnd};
}

const NoteRect NotepadRect = {100, 100, 740, 580};

// ---- Patterns and the note line ----

TEST(WindowNotes, TitlesMatchWithWildcards) {
    struct Row {
        const char* pattern;
        const char* text;
        bool matches;
    };
    const Row rows[] = {
        {"UNTITLED - NOTEPAD", "UNTITLED - NOTEPAD", true},
        {"UNTITLED - NOTEPAD", "NOTES.TXT - NOTEPAD", false},
        {"UNTITLED - NOTEPAD", "UNTITLED - NOTEPAD2", false},
        {"* - NOTEPAD", "NOTES.TXT - NOTEPAD", true},
        {"* - NOTEPAD", "NOTEPAD", false},
        {"REPORT*", "REPORT", true},
        {"REPORT * - EDITOR", "REPORT 2024 (DRAFT) - EDITOR", true},
        {"A*B*C", "AXXBYYBC", true},
        {"A*B*C", "AXXBYYBD", false},
        {"*", "", true},
        {"", "", true},
        {"", "X", false},
        {"**", "ANY", true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(WindowTextMatches(row.pattern, row.text), row.matches)
            << row.pattern << " / " << row.text;
    char text[] = "Untitled - Notepad";
    PlatformUpperCase(text);
    EXPECT_STREQ(text, "UNTITLED - NOTEPAD");
}

TEST(WindowNotes, TheLineReadsBackAndBadLinesAreRefused) {
    struct Row {
        const char* line;
        bool good;
        const char* title = "";
        const char* className = "";
        const char* program = "";
        bool hasRect = false;
    };
    const std::string longTitle = ";@window title=\"" + std::string(256, 'x') + "\"";
    const Row rows[] = {
        {";@window title=\"Untitled - Notepad\" class=\"Notepad\" program=\"notepad.exe\" "
         "rect=100,100,740,580",
         true, "Untitled - Notepad", "Notepad", "notepad.exe", true},
        {"  ;@WINDOW program=calc.exe title=\"Say \"\"hi\"\"\"\r\n", true, "Say \"hi\"", "*",
         "calc.exe", false},
        {";@window", true, "*", "*", "*", false},
        {";@window title=\"x\" other=\"later fields\" rect=-8,-8,1288,808", true, "x", "*", "*",
         true},
        {";@window title=x dpi=144 monitor=0,0,1920,1080 control=Button id=1 text=\"O\"\"K\" "
         "place=0 at=20,10 size=75,23",
         true, "x", "*", "*", false},
        {";@window dpi=0", false},
        {";@window control=Button place=-1", false},
        {";@window control=Button at=20", false},
        {";@window title=\"unclosed", false},
        {";@window title", false},
        {";@window rect=1,2,3", false},
        {";@window rect=1,2,3,4x", false},
        {";@window rect=1,2,3,99999999999", false},
        {longTitle.c_str(), false},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(IsWindowNoteLine(row.line)) << row.line;
        WindowDescription description;
        NoteRect rect;
        bool hasRect = false;
        ASSERT_EQ(ReadWindowNoteLine(row.line, &description, &rect, &hasRect, nullptr), row.good)
            << row.line;
        if (!row.good)
            continue;
        EXPECT_STREQ(description.title, row.title);
        EXPECT_STREQ(description.className, row.className);
        EXPECT_STREQ(description.program, row.program);
        EXPECT_EQ(hasRect, row.hasRect);
    }
    for (const char* comment : {"; window", ";@windows title=x", "message=0 paramH=0 paramL=0"})
        EXPECT_FALSE(IsWindowNoteLine(comment)) << comment;
}

// ---- The fixture: the program started, a log at HIGH ----

class WindowWaitTest : public ::testing::Test {
  protected:
    ScratchFolder folder;
    std::string log;

    void SetUp() override {
        SimReset();
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        log = folder.Path("windows.log");
        remove(log.c_str());
        snprintf(gSettings.logfile, sizeof gSettings.logfile, "%s", log.c_str());
        gSettings.log = LogHigh;
        gSettings.interruptWarning = 0;
    }
    void TearDown() override {
        SimReset();
    }

    // Events, with a note for each (position, title) given.
    void Load(const std::vector<EventRecord>& events,
              const std::vector<std::pair<int32_t, const char*>>& notes) {
        ClearEventList();
        gRecording.commandCount = 0;
        for (size_t i = 0; i < events.size(); i++)
            gRecording.events[i] = events[i];
        gRecording.eventCount = (int32_t)events.size();
        for (const auto& note : notes) {
            int32_t description = AddWindowDescription(note.second, "Notepad", "notepad.exe");
            ASSERT_TRUE(AddWindowNote(note.first, description, &NotepadRect));
        }
    }

    // Returns what the run ends with (its exit code in command-line mode).
    int Play() {
        PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_PLAYBACK, 0);
        return RunMessageLoop();
    }

    bool Logged(const std::string& line) {
        return ScratchFolder::Read(log).find(line) != std::string::npos;
    }

    static WindowHandle Notepad(const char* title, int x, int y, int width, int height,
                                const char* program = "notepad.exe") {
        WindowHandle window = SimAddDesktopWindow(title, x, y, width, height, false);
        SimSetWindowProgram(window, program, "Notepad");
        return window;
    }
};

// A move toward the window, the click in it (noted), the key typed there
// (the same window: no note), and the end.
const std::vector<EventRecord> ClickAndType = {
    Event(MsgMouseMove, 150, 150, 1000), Event(MsgLButtonDown, 200, 200, 1100),
    Event(MsgMouseMove, 210, 205, 1120), Event(MsgLButtonUp, 210, 205, 1150),
    Event(MsgKeyDown, 'A', 0, 1300),     Event(MsgKeyUp, 'A', 0, 1350),
    Event(MsgPaint, 0, 0, 1400),
};

TEST_F(WindowWaitTest, PlaybackWaitsForTheNotedWindowFollowsItAndNeverPlaysElsewhere) {
    struct Case {
        const char* name;
        int32_t limit;         // WindowWait, seconds
        const char* noteTitle; // null: the recording has no note
        const char* title;     // null: no window at all
        const char* program;
        int x, y, width, height;
        int appears;          // ms after the start; -1: there from the start
        const char* retitled; // the title it takes at 2000 ms, or null
        int exitCode;
        int pressAt; // ms after the start the press is handed over; -1: never
        int pressX, pressY, releaseX;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"there and in front",
         10,
         "Untitled - Notepad",
         "Untitled - Notepad",
         "notepad.exe",
         100,
         100,
         640,
         480,
         -1,
         nullptr,
         ExitSuccess,
         100,
         200,
         200,
         210,
         {}},
        {"late window",
         10,
         "Untitled - Notepad",
         "Untitled - Notepad",
         "notepad.exe",
         100,
         100,
         640,
         480,
         3000,
         nullptr,
         ExitSuccess,
         3000,
         200,
         200,
         210,
         {"    Waiting up to 10000 ms for the window 'Untitled - Notepad' (program "
          "'notepad.exe', class 'Notepad')...",
          "    The window 'Untitled - Notepad' came after 2900 ms"}},
        {"moved window",
         10,
         "Untitled - Notepad",
         "Untitled - Notepad",
         "notepad.exe",
         300,
         250,
         640,
         480,
         -1,
         nullptr,
         ExitSuccess,
         100,
         400,
         350,
         410,
         {"    The window 'Untitled - Notepad' moved by (200, 150): its clicks and moves follow "
          "it"}},
        {"resized window",
         10,
         "Untitled - Notepad",
         "Untitled - Notepad",
         "notepad.exe",
         100,
         100,
         300,
         200,
         -1,
         nullptr,
         ExitSuccess,
         100,
         200,
         200,
         210,
         {}},
        {"late and elsewhere",
         10,
         "Untitled - Notepad",
         "Untitled - Notepad",
         "notepad.exe",
         -20,
         40,
         640,
         480,
         1000,
         nullptr,
         ExitSuccess,
         1000,
         80,
         140,
         90,
         {}},
        {"never comes",
         10,
         "Untitled - Notepad",
         nullptr,
         "",
         0,
         0,
         0,
         0,
         -1,
         nullptr,
         ExitPlaybackError,
         -1,
         0,
         0,
         0,
         {"    ERROR: Event #2: The window 'Untitled - Notepad' (program 'notepad.exe', class "
          "'Notepad') did not come within 10000 ms!"}},
        {"another document of the program",
         3,
         "Untitled - Notepad",
         "notes.txt - Notepad",
         "notepad.exe",
         100,
         100,
         640,
         480,
         -1,
         nullptr,
         ExitPlaybackError,
         -1,
         0,
         0,
         0,
         {"did not come within 3000 ms!",
          "    ...Open window of 'notepad.exe': 'notes.txt - Notepad'"}},
        {"the same title in another program",
         3,
         "Untitled - Notepad",
         "Untitled - Notepad",
         "wordpad.exe",
         100,
         100,
         640,
         480,
         -1,
         nullptr,
         ExitPlaybackError,
         -1,
         0,
         0,
         0,
         {}},
        {"a title that changes to the noted one",
         10,
         "Untitled - Notepad",
         "Loading...",
         "notepad.exe",
         100,
         100,
         640,
         480,
         -1,
         "Untitled - Notepad",
         ExitSuccess,
         2000,
         200,
         200,
         210,
         {}},
        {"a title loosened in the script",
         10,
         "* - NOTEPAD",
         "notes.txt - Notepad",
         "NOTEPAD.EXE",
         100,
         100,
         640,
         480,
         -1,
         nullptr,
         ExitSuccess,
         100,
         200,
         200,
         210,
         {}},
        {"waiting off",
         0,
         "Untitled - Notepad",
         nullptr,
         "",
         0,
         0,
         0,
         0,
         -1,
         nullptr,
         ExitSuccess,
         100,
         200,
         200,
         210,
         {}},
        {"waiting off, window moved",
         0,
         "Untitled - Notepad",
         "Untitled - Notepad",
         "notepad.exe",
         300,
         250,
         640,
         480,
         -1,
         nullptr,
         ExitSuccess,
         100,
         200,
         200,
         210,
         {}},
        {"no note in the recording",
         10,
         nullptr,
         nullptr,
         "",
         0,
         0,
         0,
         0,
         -1,
         nullptr,
         ExitSuccess,
         100,
         200,
         200,
         210,
         {}},
    };
    for (const Case& c : cases) {
        SetUp();
        gSettings.windowWait = c.limit;
        if (c.noteTitle != nullptr)
            Load(ClickAndType, {{1, c.noteTitle}});
        else
            Load(ClickAndType, {});
        WindowHandle window = nullptr;
        if (c.title != nullptr) {
            window = Notepad(c.title, c.x, c.y, c.width, c.height, c.program);
            if (c.appears >= 0)
                SimScheduleWindowChange(window, SimStartTick + c.appears, SimWindowAppears);
            else
                PlatformActivateWindow(window, ShowShow);
            if (c.retitled != nullptr)
                SimScheduleWindowChange(window, SimStartTick + 2000, SimWindowRetitled, 0, 0,
                                        c.retitled);
        }
        gApp.commandLineMode = true;
        EXPECT_EQ(Play(), c.exitCode) << c.name;
        const std::vector<SimDelivered>& delivered = SimDeliveredEvents();
        ASSERT_FALSE(delivered.empty()) << c.name;
        EXPECT_EQ(delivered[0].record.paramL, 150) << c.name << ": moves before a click stay";
        if (c.pressAt < 0) {
            EXPECT_EQ(delivered.size(), 1u) << c.name << ": nothing after the wait";
            ASSERT_EQ(SimMessageBoxes().size(), 1u) << c.name;
            EXPECT_EQ(SimMessageBoxes()[0].caption, c.noteTitle) << c.name;
        } else {
            ASSERT_EQ(delivered.size(), ClickAndType.size()) << c.name;
            EXPECT_EQ(delivered[1].tick, SimStartTick + c.pressAt) << c.name;
            EXPECT_EQ(delivered[1].record.paramL, c.pressX) << c.name;
            EXPECT_EQ(delivered[1].record.paramH, c.pressY) << c.name;
            EXPECT_EQ(delivered[2].record.paramL, c.releaseX) << c.name << ": the drag follows";
            EXPECT_EQ(delivered[3].record.paramL, c.releaseX) << c.name;
            EXPECT_EQ(delivered[5].tick - delivered[1].tick, 250u) << c.name << ": as recorded";
            EXPECT_TRUE(SimMessageBoxes().empty()) << c.name;
        }
        for (const std::string& line : c.lines)
            EXPECT_TRUE(Logged(line)) << c.name << ": " << line;
        if (c.pressAt >= 0 && window != nullptr && c.limit > 0) {
            EXPECT_EQ(SimForegroundWindow(), window) << c.name;
        }
    }
}

// The window rule at another display scale: the click is measured from
// the window's corner and scaled by the ratio of the scales; a window
// minimized at replay is restored before its place is read; a hidden or
// cloaked window is never the noted one.
TEST_F(WindowWaitTest, TheNotedWindowIsFollowedAcrossScalesAndNeverTakenUnseen) {
    enum State { Shown, Minimized, Hidden, Cloaked };
    struct Case {
        const char* name;
        int noteDpi; // 0: the recording has no scale
        int x, y, dpi;
        State state;
        int pressX, pressY, releaseX; // -1: nothing is played (exit code 3)
        const char* line;
    };
    const char* scaled = "    The window 'Untitled - Notepad' is shown at 144 dpi, recorded at 96 "
                         "dpi: its clicks and moves are scaled by 150%";
    const Case cases[] = {
        {"another scale", 96, 150, 150, 144, Shown, 300, 300, 315, scaled},
        {"moved, at 125 %", 96, 300, 250, 120, Shown, 425, 375, 438, nullptr},
        {"the same scale", 96, 100, 100, 96, Shown, 200, 200, 210, nullptr},
        {"no scale recorded", 0, 100, 100, 144, Shown, 200, 200, 210, nullptr},
        {"minimized", 96, 300, 250, 96, Minimized, 400, 350, 410,
         "    The window 'Untitled - Notepad' is minimized: restoring it"},
        {"hidden", 96, 100, 100, 96, Hidden, -1, -1, -1, nullptr},
        {"cloaked", 96, 100, 100, 96, Cloaked, -1, -1, -1, nullptr},
    };
    for (const Case& c : cases) {
        SetUp();
        gSettings.windowWait = 2;
        Load(ClickAndType, {{1, "Untitled - Notepad"}});
        SetNoteScale(0, c.noteDpi, nullptr);
        WindowHandle window = Notepad("Untitled - Notepad", c.x, c.y, 640, 480);
        SimSetWindowDpi(window, c.dpi);
        if (c.state == Minimized)
            PlatformShowWindow(window, ShowMinimize);
        PlatformActivateWindow(window, ShowShow);
        if (c.state == Hidden)
            PlatformShowWindow(window, ShowHide);
        SimSetWindowCloaked(window, c.state == Cloaked);
        gApp.commandLineMode = true;
        EXPECT_EQ(Play(), c.pressX < 0 ? ExitPlaybackError : ExitSuccess) << c.name;
        const std::vector<SimDelivered>& delivered = SimDeliveredEvents();
        ASSERT_EQ(delivered.size(), c.pressX < 0 ? 1u : ClickAndType.size()) << c.name;
        if (c.pressX >= 0) {
            EXPECT_EQ(delivered[1].record.paramL, c.pressX) << c.name;
            EXPECT_EQ(delivered[1].record.paramH, c.pressY) << c.name;
            EXPECT_EQ(delivered[3].record.paramL, c.releaseX) << c.name;
        }
        EXPECT_FALSE(SimWindowMinimized(window)) << c.name;
        EXPECT_EQ(SimGetWindowInfo(window).visible, c.state != Hidden) << c.name;
        if (c.line != nullptr) {
            EXPECT_TRUE(Logged(c.line)) << c.name << ": " << c.line;
        }
    }
}

// The control rule: the press of ClickAndType, noted on a control at 80,
// 90 from the window's corner (75 by 23; 25 by 23 for the drag), the
// press 20, 10 inside it, goes to the same spot of the control found again
// in the window as it is at replay (its corner at 100, 100).
TEST_F(WindowWaitTest, APressLandsOnTheSameControlWhereverItIsNow) {
    struct Control {
        const char* className;
        int id;
        const char* text;
        int x, y, width, height;
        bool shown = true, enabled = true;
    };
    struct Case {
        const char* name;
        const char* noteClass;
        const char* noteText;
        NoteControl note; // its description aside
        int dpi;
        std::vector<Control> controls;
        int pressX, pressY, releaseX;
        const char* line;
    };
    const NoteControl ok = {0, 1, 0, 20, 10, 75, 23};
    const char* notFound = "    The control 'OK' (Button, ID 1) was not found in the window: the "
                           "press plays by the window's corner";
    const Case cases[] = {
        {"moved in its window",
         "Button",
         "OK",
         ok,
         96,
         {{"Button", 2, "Cancel", 290, 330, 75, 23}, {"Button", 1, "OK", 380, 330, 75, 23}},
         500,
         440,
         510,
         "    The control 'OK' (Button, ID 1) was found by its ID"},
        {"by its label",
         "Button",
         "OK",
         {0, 4711, 0, 20, 10, 75, 23},
         96,
         {{"Button", 5000, "Cancel", 290, 330, 75, 23}, {"Button", 5001, "OK", 380, 330, 75, 23}},
         500,
         440,
         510,
         "was found by its label"},
        {"by its place",
         "Edit",
         "",
         {0, 0, 1, 20, 10, 75, 23},
         96,
         {{"Edit", 0, "", 10, 10, 75, 23}, {"Edit", 0, "", 80, 200, 75, 23}},
         200,
         310,
         210,
         "was found by its place"},
        {"another label is another control",
         "Button",
         "OK",
         {0, 4711, 0, 20, 10, 75, 23},
         96,
         {{"Button", 5000, "Cancel", 80, 90, 75, 23}},
         200,
         200,
         210,
         "    The control 'OK' (Button, ID 4711) was not found"},
        {"not found",
         "Button",
         "OK",
         ok,
         96,
         {{"Button", 8, "Apply", 380, 330, 75, 23}},
         200,
         200,
         210,
         notFound},
        {"hidden",
         "Button",
         "OK",
         ok,
         96,
         {{"Button", 1, "OK", 380, 330, 75, 23, false}},
         200,
         200,
         210,
         notFound},
        {"disabled",
         "Button",
         "OK",
         ok,
         96,
         {{"Button", 1, "OK", 380, 330, 75, 23, true, false}},
         500,
         440,
         510,
         "    The control 'OK' (Button, ID 1) is disabled: the press may do nothing"},
        {"scaled, kept inside",
         "Button",
         "OK",
         ok,
         144,
         {{"Button", 1, "OK", 120, 135, 75, 23}},
         250,
         250,
         265,
         nullptr},
        {"a drag that leaves it",
         "Button",
         "",
         {0, 1, 0, 20, 10, 25, 23},
         144,
         {{"Button", 1, "", 120, 135, 25, 23}},
         244,
         250,
         265,
         nullptr},
        {"no spot noted: its middle",
         "Button",
         "OK",
         {0, 1, 0, -1, -1, 0, 0},
         96,
         {{"Button", 1, "OK", 380, 330, 75, 23}},
         517,
         441,
         527,
         nullptr},
        {"two answer: the nearest",
         "Button",
         "OK",
         {0, 1, -1, 20, 10, 75, 23},
         96,
         {{"Button", 1, "OK", 380, 330, 75, 23}, {"Button", 1, "OK", 80, 90, 75, 23}},
         200,
         200,
         210,
         nullptr},
    };
    for (const Case& c : cases) {
        SetUp();
        gSettings.windowWait = 2;
        Load(ClickAndType, {{1, "Untitled - Notepad"}});
        NoteControl note = c.note;
        note.description = AddControlDescription(c.noteClass, c.noteText);
        ASSERT_TRUE(SetNoteScale(0, 96, nullptr) && SetNoteControl(0, &note)) << c.name;
        WindowHandle window = Notepad("Untitled - Notepad", 100, 100, 640, 480);
        SimSetWindowDpi(window, c.dpi);
        for (const Control& made : c.controls) {
            WindowHandle control = SimAddControl(window, made.className, made.id, made.text, made.x,
                                                 made.y, made.width, made.height);
            SimSetWindowEnabled(control, made.enabled);
            if (!made.shown)
                PlatformShowWindow(control, ShowHide);
        }
        PlatformActivateWindow(window, ShowShow);
        EXPECT_EQ(Play(), ExitSuccess) << c.name;
        const std::vector<SimDelivered>& delivered = SimDeliveredEvents();
        ASSERT_EQ(delivered.size(), ClickAndType.size()) << c.name;
        EXPECT_EQ(delivered[1].record.paramL, c.pressX) << c.name;
        EXPECT_EQ(delivered[1].record.paramH, c.pressY) << c.name;
        EXPECT_EQ(delivered[3].record.paramL, c.releaseX) << c.name << ": the release follows";
        if (c.line != nullptr) {
            EXPECT_TRUE(Logged(c.line)) << c.name << ": " << c.line;
        }
    }
}

TEST_F(WindowWaitTest, TheBoxNamesTheWindowAndAWindowBehindOthersComesToTheFront) {
    gSettings.windowWait = 2;
    Load(ClickAndType, {{1, "Untitled - Notepad"}});
    Play();
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text,
              "Unable to find the window 'Untitled - Notepad' (notepad.exe) that the recording "
              "plays into!\n\nMirlow waited 2 seconds for it. The playback has stopped.");
    EXPECT_EQ(SimMessageBoxes()[0].style, BoxOk | BoxIconWarning | BoxSystemModal);

    // There, but behind another window: brought forward as GOTO brings it;
    // refused twice, or its program not answering, it fails as GOTO fails.
    const std::string refused =
        "    ...The window is there, but Windows did not let Mirlow bring it to the front";
    const std::string hung =
        "    ...The window is there, but its program does not answer (busy or not responding)";
    struct {
        int refusals;
        bool answers;
        std::string line;
    } cases[] = {{0, true, ""}, {2, true, refused}, {0, false, hung}};
    for (const auto& c : cases) {
        SetUp();
        Load(ClickAndType, {{1, "Untitled - Notepad"}});
        WindowHandle notepad = Notepad("Untitled - Notepad", 100, 100, 640, 480);
        PlatformActivateWindow(SimAddDesktopWindow("Calculator", 0, 0, 200, 300, false), ShowShow);
        SimRefuseForeground(c.refusals);
        if (!c.answers)
            SimSetWindowAnswers(notepad, 0);
        Play();
        bool reached = c.line.empty();
        EXPECT_EQ(SimForegroundWindow() == notepad, reached) << c.line;
        EXPECT_EQ(SimDeliveredCount(), reached ? 7 : 1) << c.line;
        EXPECT_EQ(Logged(refused), c.line == refused);
        EXPECT_EQ(Logged(hung), c.line == hung);
        EXPECT_EQ(SimBlockingCalls(), 0) << c.line;
        if (c.line == hung) {
            ASSERT_EQ(SimMessageBoxes().size(), 1u);
            EXPECT_NE(SimMessageBoxes()[0].text.find("its program does not answer"),
                      std::string::npos);
        }
    }
}

// The window is looked for while the click's delay runs; when the
// foreground changed by the time the click is due, it is looked for again.
TEST_F(WindowWaitTest, AWindowLostDuringTheDelayIsLookedForAgain) {
    for (bool closes : {false, true}) {
        SetUp();
        gSettings.windowWait = 2;
        Load(ClickAndType, {{1, "Untitled - Notepad"}});
        WindowHandle notepad = Notepad("Untitled - Notepad", 100, 100, 640, 480);
        PlatformActivateWindow(notepad, ShowShow);
        WindowHandle other = SimAddDesktopWindow("Calculator", 0, 0, 200, 300, false);
        if (closes)
            SimScheduleWindowChange(notepad, SimStartTick + 50, SimWindowCloses);
        else
            SimScheduleWindowChange(other, SimStartTick + 50, SimWindowAppears);
        Play();
        EXPECT_EQ(SimDeliveredCount(), closes ? 1 : 7) << closes;
        EXPECT_EQ(SimForegroundWindow() == notepad, !closes) << closes;
        if (!closes) {
            EXPECT_EQ(SimDeliveredEvents()[1].tick, SimStartTick + 100);
        }
    }
}

TEST_F(WindowWaitTest, CtrlEscEndsAWaitAtOnce) {
    Load(ClickAndType, {{1, "Untitled - Notepad"}});
    SimCancelJournalAtTick(SimStartTick + 1500);
    Play();
    EXPECT_EQ(gApp.exitCode, ExitCancelled);
    EXPECT_EQ(SimDeliveredCount(), 1) << "the move before the click only";
    EXPECT_LE(PlatformTickCount(), SimStartTick + 1500 + WindowWaitInterval);
    EXPECT_TRUE(Logged("CANCELLED RECORDING"));
    EXPECT_EQ(gRecording.windows->anchors[0], 1);

    // A GOTO's wait too.
    SetUp();
    Load({EventRecord{}, Event(MsgKeyDown, 'A', 0, 100)}, {});
    SetScriptCommand(0, CommandGoto, "Editor", 0);
    gRecording.commandCount = 1;
    SimCancelJournalAtTick(SimStartTick + 1500);
    Play();
    EXPECT_EQ(gApp.exitCode, ExitCancelled);
    EXPECT_EQ(SimDeliveredCount(), 0);
    EXPECT_LE(PlatformTickCount(), SimStartTick + 1500 + WindowWaitInterval);

    // Bringing a window forward ends as soon as the keys are pressed, for
    // a GOTO and for a note alike, with no message of its own.
    for (bool gotoCommand : {true, false}) {
        SetUp();
        WindowHandle busy = Notepad("Untitled - Notepad", 100, 100, 640, 480);
        SimSetWindowAnswers(busy, 0);
        PlatformActivateWindow(gApp.mainWindow, ShowShow);
        if (gotoCommand) {
            Load({EventRecord{}, Event(MsgPaint, 0, 0, 10)}, {});
            SetScriptCommand(0, CommandGoto, "Untitled - Notepad", 0);
            gRecording.commandCount = 1;
        } else {
            Load(ClickAndType, {{1, "Untitled - Notepad"}});
        }
        SimCancelJournalAtTick(SimStartTick + 300);
        Play();
        EXPECT_EQ(gApp.exitCode, ExitCancelled) << gotoCommand;
        EXPECT_LT(PlatformTickCount(), SimStartTick + 1000) << "before an answer was given up";
        EXPECT_FALSE(Logged("ERROR")) << gotoCommand;
    }
}

// Typed text inserted before a noted click moves the note with the click;
// after the pass the anchors are back.
TEST_F(WindowWaitTest, InsertedEventsKeepTheNotesWithTheirEvents) {
    std::vector<EventRecord> events = {EventRecord{}};
    events.insert(events.end(), ClickAndType.begin(), ClickAndType.end());
    Load(events, {{2, "Untitled - Notepad"}});
    SetScriptCommand(0, CommandType, "ab", 0);
    gRecording.commandCount = 1;
    WindowHandle window = Notepad("Untitled - Notepad", 300, 100, 640, 480);
    SimScheduleWindowChange(window, SimStartTick + 500, SimWindowAppears);
    Play();
    const std::vector<SimDelivered>& delivered = SimDeliveredEvents();
    ASSERT_EQ(delivered.size(), 4u + ClickAndType.size());
    EXPECT_EQ(delivered[5].record.message, MsgLButtonDown);
    EXPECT_EQ(delivered[5].tick, SimStartTick + 500);
    EXPECT_EQ(delivered[5].record.paramL, 400);
    EXPECT_EQ(gRecording.windows->anchors[0], 2);
    EXPECT_EQ(gRecording.eventCount, (int32_t)events.size());
}

// A program that hands over to another process, or takes no input of its
// own (a console program, whose window is the console's), is followed by
// waiting for a new window to come to the front.
TEST_F(WindowWaitTest, StartWaitsUntilTheProgramIsReadyForInput) {
    const int HandsOver = -2;
    struct Case {
        int readyAfter; // -1: a console program
        int32_t limit;
        int windowAt;    // ms after the start a new window comes to the front; -1: none
        uint32_t nextAt; // when the event after START is handed over (a program that
                         // hands over has ended at once, with no wait for it to start)
        const char* line;
    };
    const Case cases[] = {
        {800, 10, -1, 810, "    'notepad.exe' was ready for input after 800 ms"},
        {0, 10, -1, 10, "    'notepad.exe' was ready for input after 0 ms"},
        {-1, 10, 300, 310,
         "    'notepad.exe' takes no input of its own: waiting for a new window to come to the "
         "front..."},
        {HandsOver, 10, 1500, 1500,
         "    The window 'Untitled - Notepad' (program 'notepad.exe') came to the front after "
         "1500 ms"},
        {HandsOver, 2, -1, 2000, "    No new window came to the front within 2000 ms; going on"},
        {30000, 2, -1, 2010, "    'notepad.exe' was not ready for input within 2000 ms; going on"},
        {800, 0, 300, 10, nullptr},
    };
    for (const Case& c : cases) {
        SetUp();
        gSettings.windowWait = c.limit;
        if (c.readyAfter == HandsOver)
            SimSetProgramHandsOver("NOTEPAD.EXE");
        else
            SimSetProgramStartup("NOTEPAD.EXE", c.readyAfter);
        PlatformActivateWindow(SimAddDesktopWindow("Calculator", 0, 0, 200, 300, false), ShowShow);
        if (c.windowAt >= 0)
            SimScheduleWindowChange(Notepad("Untitled - Notepad", 100, 100, 640, 480),
                                    SimStartTick + c.windowAt, SimWindowAppears);
        Load({EventRecord{}, Event(MsgKeyDown, 'A', 0, 0)}, {});
        SetScriptCommand(0, CommandStart, "notepad.exe", 0);
        gRecording.commandCount = 1;
        Play();
        ASSERT_EQ(SimDeliveredCount(), 1) << c.readyAfter;
        EXPECT_EQ(SimDeliveredEvents()[0].tick, SimStartTick + c.nextAt) << c.readyAfter;
        if (c.line != nullptr) {
            EXPECT_TRUE(Logged(c.line)) << c.line;
            EXPECT_TRUE(Logged("Waiting up to")) << c.readyAfter;
        }
    }
}

// GOTO finds only a window the user can see (the program's own hidden
// window aside, which a script may show), and waits for a late one.
TEST_F(WindowWaitTest, GotoWaitsForItsWindowAndNeverShowsAHiddenOne) {
    enum State { Late, Missing, Hidden, Cloaked, OwnWindow };
    struct Case {
        State state;
        int32_t limit;
        int keyAt; // ms after the start the key after GOTO goes; -1: the run fails
        const char* line;
    };
    const Case cases[] = {
        {Late, 10, 3250, "    The window 'Editor' came after 3000 ms"},
        {Missing, 2, -1, "    The window 'Editor' did not come within 2000 ms"},
        {Missing, 0, -1, nullptr},
        {Hidden, 2, -1, nullptr},
        {Cloaked, 2, -1, nullptr},
        {OwnWindow, 2, 250, "    Found window 'Mirlow'"},
    };
    for (const Case& c : cases) {
        SetUp();
        gSettings.windowWait = c.limit;
        gApp.commandLineMode = true;
        WindowHandle editor = SimAddDesktopWindow("Editor", 0, 0, 200, 100, false);
        if (c.state == Late)
            SimScheduleWindowChange(editor, SimStartTick + 3000, SimWindowAppears);
        if (c.state == Missing)
            SimScheduleWindowChange(editor, SimStartTick, SimWindowCloses);
        if (c.state == Hidden)
            PlatformShowWindow(editor, ShowHide);
        SimSetWindowCloaked(editor, c.state == Cloaked);
        Load({EventRecord{}, Event(MsgKeyDown, 'A', 0, 100)}, {});
        SetScriptCommand(0, CommandGoto, c.state == OwnWindow ? "Mirlow" : "Editor", 0);
        gRecording.commandCount = 1;
        EXPECT_EQ(Play(), c.keyAt < 0 ? ExitPlaybackError : ExitSuccess) << c.state;
        ASSERT_EQ(SimDeliveredCount(), c.keyAt < 0 ? 0 : 1) << c.state;
        if (c.keyAt >= 0) {
            EXPECT_EQ(SimDeliveredEvents()[0].tick, SimStartTick + c.keyAt) << c.state;
        }
        if (c.state == Hidden) {
            EXPECT_FALSE(SimGetWindowInfo(editor).visible) << "never shown";
        }
        EXPECT_EQ(Logged("    Waiting up to"), c.limit > 0 && c.state != OwnWindow) << c.state;
        if (c.line != nullptr) {
            EXPECT_TRUE(Logged(c.line)) << c.line;
        }
    }
}

// ---- The recorder's notes ----

TEST_F(WindowWaitTest, TheRecorderNotesClicksAndTheFirstKeyInAnotherWindow) {
    gSettings.excludeMirlowAction = 0;
    gSettings.promptForSave = 0;
    WindowHandle notepad = Notepad("Untitled - Notepad", 100, 100, 640, 480);
    WindowHandle edit = SimAddControl(notepad, "Edit", 15, "typed text", 0, 30, 640, 450);
    WindowHandle calc = SimAddDesktopWindow("Calculator", 800, 0, 200, 300, false);
    SimSetWindowProgram(calc, "calc.exe", "CalcFrame");
    auto value = [](WindowHandle w) { return (uint32_t)(uintptr_t)w; };
    StartRecording();
    const std::vector<EventRecord> input = {
        Event(MsgMouseMove, 150, 150, 100, value(edit)),            // 0: no note
        Event(MsgLButtonDown, 150, 150, 200, value(edit)),          // 1: notepad
        Event(MsgLButtonUp, 150, 150, 250, value(edit)),            // 2
        Event(MsgKeyDown, 'A', 1, 300, value(edit)),                // 3: the same window
        Event(MsgKeyUp, 'A', 1, 350, value(edit)),                  // 4
        Event(MsgSysKeyDown, 0x12, 1, 400, value(calc)),            // 5: calculator, first key
        Event(MsgKeyDown, '5', 1, 450, value(calc)),                // 6: the same window
        Event(MsgLButtonDown, 850, 50, 500, value(calc)),           // 7: every click
        Event(MsgLButtonUp, 850, 50, 550, value(calc)),             // 8
        Event(MsgRButtonDown, 10, 10, 600, value(gApp.mainWindow)), // 9: Mirlow's own
        Event(MsgRButtonUp, 10, 10, 650, value(gApp.mainWindow)),
        Event(MsgKeyDown, 'B', 1, 700, value(edit)), // 11: back in notepad
    };
    for (const EventRecord& event : input)
        SimRecordInput(event);
    StopRecording();
    ASSERT_EQ(WindowNoteCount(), 4);
    const int32_t anchors[] = {1, 5, 7, 11};
    const char* const titles[] = {"Untitled - Notepad", "Calculator", "Calculator",
                                  "Untitled - Notepad"};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(gRecording.windows->anchors[i], anchors[i]) << i;
        EXPECT_STREQ(DescriptionOfNote(i).title, titles[i]) << i;
    }
    EXPECT_STREQ(DescriptionOfNote(1).program, "calc.exe");
    EXPECT_STREQ(DescriptionOfNote(1).className, "CalcFrame");
    EXPECT_EQ(gRecording.windows->descriptionCount, 2) << "each window described once";
    EXPECT_EQ(gRecording.windows->notes[1].rect.left, 800);
    // A click notes its control and the spot in it, never an edit field's
    // text; every note its window's scale.
    const WindowNote& click = gRecording.windows->notes[0];
    ASSERT_TRUE(click.hasControl);
    EXPECT_STREQ(ControlDescriptionOfNote(0).className, "Edit");
    EXPECT_STREQ(ControlDescriptionOfNote(0).text, "");
    EXPECT_EQ(click.control.id, 15);
    EXPECT_EQ(click.control.place, 0);
    EXPECT_EQ(click.control.x, 50);
    EXPECT_EQ(click.control.y, 20);
    EXPECT_EQ(click.control.width, 640);
    EXPECT_EQ(click.dpi, 96);
    EXPECT_TRUE(click.hasMonitor);
    EXPECT_FALSE(gRecording.windows->notes[1].hasControl) << "a key";
    EXPECT_FALSE(gRecording.windows->notes[2].hasControl) << "the window itself";

    // A busy program notes the window as it was at the press, not as the
    // click left it by the time the input is taken.
    StartRecording();
    SimHoldRecordInput(true);
    SimRecordInput(Event(MsgLButtonDown, 850, 50, 100, value(calc)));
    PlatformSetWindowTitle(calc, "Calculator - Memory");
    SimMoveWindow(calc, 0, 0);
    SimHoldRecordInput(false);
    StopRecording();
    ASSERT_EQ(WindowNoteCount(), 1);
    EXPECT_STREQ(DescriptionOfNote(0).title, "Calculator");
    EXPECT_EQ(gRecording.windows->notes[0].rect.left, 800);

    // A minimized window is noted at the place it is restored to.
    PlatformShowWindow(notepad, ShowMinimize);
    StartRecording();
    SimRecordInput(Event(MsgKeyDown, 'C', 1, 100, value(edit)));
    StopRecording();
    ASSERT_EQ(WindowNoteCount(), 1);
    EXPECT_EQ(gRecording.windows->notes[0].rect.left, 100);
    PlatformShowWindow(notepad, ShowRestore);

    // What a click noted finds its control again from either file, with
    // the window at 150 % and the control moved down.
    StartRecording();
    SimRecordInput(Event(MsgLButtonDown, 150, 150, 100, value(edit)));
    SimRecordInput(Event(MsgLButtonUp, 150, 150, 150, value(edit)));
    StopRecording();
    for (const char* name : {"control.mrx", "control.mrl"}) {
        ASSERT_TRUE(SaveRecordingFile(folder.Path(name).c_str())) << name;
        ASSERT_GE(LoadRecording(folder.Path(name).c_str(), true), 0) << name;
        SimSetWindowDpi(notepad, 144);
        SimPlaceWindow(edit, 0, 200, 960, 500);
        PlatformActivateWindow(notepad, ShowShow);
        size_t before = SimDeliveredEvents().size();
        EXPECT_EQ(Play(), ExitSuccess) << name;
        const std::vector<SimDelivered>& delivered = SimDeliveredEvents();
        size_t press = before;
        while (press < delivered.size() && delivered[press].record.message != MsgLButtonDown)
            press++;
        ASSERT_LT(press, delivered.size()) << name;
        EXPECT_EQ(delivered[press].record.paramL, 100 + 75) << name;
        EXPECT_EQ(delivered[press].record.paramH, 100 + 200 + 30) << name;
        SimSetWindowDpi(notepad, 0);
        SimPlaceWindow(edit, 0, 30, 640, 450);
    }

    // A new recording starts without notes; New empties them too.
    StartRecording();
    StopRecording();
    EXPECT_EQ(WindowNoteCount(), 0);
}

// ---- Both file formats ----

TEST_F(WindowWaitTest, BothFormatsKeepTheNotesAndOlderVersionsReadThemAsPlainRecordings) {
    Load(ClickAndType, {{1, "Say \"hi\" - Notepad"}, {4, "Untitled - Notepad"}});
    gRecording.windows->notes[1].hasRect = 0;
    const NoteRect monitor = {0, 0, 1920, 1080};
    const NoteControl ok = {AddControlDescription("Button", "O\"K"), 1, 0, 20, 10, 75, 23};
    ASSERT_TRUE(SetNoteScale(0, 120, &monitor) && SetNoteControl(0, &ok));
    std::string text = folder.Path("noted.mrx");
    std::string binary = folder.Path("noted.mrl");
    ASSERT_TRUE(SaveRecordingFile(text.c_str()));
    ASSERT_TRUE(SaveRecordingFile(binary.c_str()));

    std::string script = ScratchFolder::Read(text);
    EXPECT_NE(script.find(";@window title=\"Say \"\"hi\"\" - Notepad\" class=\"Notepad\" "
                          "program=\"notepad.exe\" rect=100,100,740,580 dpi=120 "
                          "monitor=0,0,1920,1080 control=\"Button\" id=1 text=\"O\"\"K\" place=0 "
                          "at=20,10 size=75,23\r\n"
                          "message=WM_LBUTTONDOWN paramH=200 paramL=200 time=1100\r\n"),
              std::string::npos);
    EXPECT_NE(script.find("program=\"notepad.exe\"\r\nmessage=WM_KEYDOWN"), std::string::npos);

    std::string bytes = ScratchFolder::Read(binary);
    size_t eventBytes = 20 * ClickAndType.size();
    ASSERT_GT(bytes.size(), eventBytes);
    ASSERT_EQ(bytes.size() % 20, 0u);
    EXPECT_EQ(memcmp(bytes.data(), ClickAndType.data(), eventBytes), 0);
    for (size_t at = eventBytes; at < bytes.size(); at += 20)
        EXPECT_EQ(memcmp(bytes.data() + at, "\0\0\0\0", 4), 0) << "inert placeholders: " << at;

    for (const std::string& path : {text, binary}) {
        ClearEventList();
        ASSERT_GE(LoadRecording(path.c_str(), true), 0) << path;
        EXPECT_EQ(gRecording.eventCount, (int32_t)ClickAndType.size()) << path;
        ASSERT_EQ(WindowNoteCount(), 2) << path;
        EXPECT_EQ(gRecording.windows->anchors[1], 4) << path;
        EXPECT_STREQ(DescriptionOfNote(0).title, "Say \"hi\" - Notepad") << path;
        EXPECT_EQ(gRecording.windows->notes[0].rect.right, 740) << path;
        EXPECT_EQ(gRecording.windows->notes[1].hasRect, 0) << path;
        const WindowNote& first = gRecording.windows->notes[0];
        EXPECT_EQ(first.dpi, 120) << path;
        EXPECT_EQ(first.monitor.right, 1920) << path;
        ASSERT_TRUE(first.hasControl) << path;
        EXPECT_EQ(memcmp(&first.control.id, &ok.id, sizeof ok - sizeof ok.description), 0) << path;
        EXPECT_STREQ(ControlDescriptionOfNote(0).text, "O\"K") << path;
        EXPECT_EQ(gRecording.windows->notes[1].dpi, 0) << path;
        EXPECT_FALSE(gRecording.windows->notes[1].hasControl) << path;
    }

    // A damaged block is not the program's: its records are events, as an
    // older version loads them. The scales and controls come first, so the
    // notes outlive their damage and keep their windows only.
    std::string damaged = bytes;
    damaged[eventBytes + 4] ^= 1;
    ASSERT_GE(LoadRecording(folder.Write("damaged.mrl", damaged).c_str(), true), 0);
    EXPECT_GT(gRecording.eventCount, (int32_t)ClickAndType.size());
    EXPECT_EQ(WindowNoteCount(), 2);
    EXPECT_FALSE(gRecording.windows->notes[0].hasControl);
    EXPECT_EQ(gRecording.windows->notes[0].dpi, 0);
    bytes[bytes.size() - 36] ^= 1; // the last record of the notes' stream
    ASSERT_GE(LoadRecording(folder.Write("damaged.mrl", bytes).c_str(), true), 0);
    EXPECT_EQ(gRecording.eventCount, (int32_t)(bytes.size() / 20));
    EXPECT_EQ(WindowNoteCount(), 0);

    // Without notes both formats are what they always were.
    Load(ClickAndType, {});
    ASSERT_TRUE(SaveRecordingFile(binary.c_str()));
    EXPECT_EQ(ScratchFolder::Read(binary).size(), eventBytes);
    ASSERT_TRUE(SaveRecordingFile(text.c_str()));
    EXPECT_EQ(ScratchFolder::Read(text).find(";@window"), std::string::npos);
}

// A note line never outgrows the 1,023 characters the reader takes: the
// longest texts are cut alike, each ending in '*', and still match the
// window; a line at the limit is written whole.
TEST_F(WindowWaitTest, ASavedNoteLineAlwaysFitsTheReader) {
    const std::string quotes255(255, '"'), quotes256(256, '"'), quotes259(259, '"');
    const std::string class209 = std::string(209, '"'), class210 = std::string(210, '"');
    const struct {
        std::string title, className, program;
        size_t length;       // of the written line; 0: at most 1,023
        bool cut;            // any text
        bool layout = false; // the widest scale and control fields too
    } rows[] = {
        {quotes255, class209, "a.exe", 1023, false},
        {quotes255, quotes256, quotes259, 0, true, true},
        {quotes255, class210, "a.exe", 1022, true},
        {quotes255, quotes256, quotes259, 1023, true},
        {std::string(255, 't'), quotes256, quotes259, 1023, true}, // the short one stays
    };
    const NoteRect widest = {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
    std::string path = folder.Path("long.mrx");
    for (const auto& row : rows) {
        Load(ClickAndType, {});
        int32_t description =
            AddWindowDescription(row.title.c_str(), row.className.c_str(), row.program.c_str());
        ASSERT_TRUE(AddWindowNote(1, description, &widest));
        const NoteControl wide = {AddControlDescription(quotes256.c_str(), quotes255.c_str() + 192),
                                  INT32_MIN,
                                  INT32_MAX,
                                  INT32_MAX,
                                  INT32_MAX,
                                  INT32_MAX,
                                  INT32_MAX};
        if (row.layout) {
            ASSERT_TRUE(SetNoteScale(0, 9999, &widest) && SetNoteControl(0, &wide));
        }
        ASSERT_TRUE(SaveRecordingFile(path.c_str()));
        std::string script = ScratchFolder::Read(path);
        size_t start = script.find(";@window");
        ASSERT_NE(start, std::string::npos);
        size_t length = script.find("\r\n", start) - start;
        if (row.length == 0)
            EXPECT_LE(length, 1023u);
        else
            EXPECT_EQ(length, row.length) << row.className.size();
        ClearEventList();
        ASSERT_GE(LoadRecording(path.c_str(), true), 0);
        ASSERT_EQ(WindowNoteCount(), 1);
        const WindowDescription& read = DescriptionOfNote(0);
        EXPECT_TRUE(WindowTextMatches(read.title, row.title.c_str()));
        EXPECT_TRUE(WindowTextMatches(read.className, row.className.c_str()));
        EXPECT_TRUE(WindowTextMatches(read.program, row.program.c_str()));
        EXPECT_EQ(read.className != row.className || read.program != row.program ||
                      read.title != row.title,
                  row.cut);
        EXPECT_EQ(read.title == row.title, row.title[0] == 't' || !row.cut);
        EXPECT_EQ(gRecording.windows->notes[0].rect.left, INT32_MIN);
        EXPECT_EQ(gRecording.windows->notes[0].hasControl, row.layout);
        if (row.layout) {
            EXPECT_EQ(memcmp(&gRecording.windows->notes[0].control.id, &wide.id,
                             sizeof wide - sizeof wide.description),
                      0);
            EXPECT_TRUE(
                WindowTextMatches(ControlDescriptionOfNote(0).className, quotes256.c_str()));
            EXPECT_STREQ(ControlDescriptionOfNote(0).text, quotes255.c_str() + 192);
        }
    }
}

// A note line belongs to the line after it, event or command, and a
// script command then waits for the window too.
TEST_F(WindowWaitTest, ANoteBeforeACommandMakesItWaitForTheWindow) {
    std::string path = folder.Write(
        "command.mrx", ";@window title=\"Untitled - Notepad\" program=\"notepad.exe\"\r\n"
                       "; a comment takes no position, and so not the note\r\n"
                       "TYPE hi\r\n"
                       ";@window title=\"Nowhere\"\r\n");
    ASSERT_EQ(LoadRecording(path.c_str(), true), 1);
    ASSERT_EQ(WindowNoteCount(), 1) << "a note with no line after it is dropped";
    EXPECT_EQ(gRecording.windows->anchors[0], 0);
    WindowHandle window = Notepad("Untitled - Notepad", 300, 300, 640, 480);
    SimScheduleWindowChange(window, SimStartTick + 700, SimWindowAppears);
    Play();
    ASSERT_EQ(SimDeliveredCount(), 4);
    EXPECT_EQ(SimDeliveredEvents()[0].tick, SimStartTick + 700);
}

// The headless program's desktop file describes late windows, their
// programs and classes, and programs slow to be ready.
TEST_F(WindowWaitTest, TheDesktopFileDescribesLateWindowsAndSlowPrograms) {
    std::string error;
    std::string path =
        folder.Write("desktop.txt", "window \"Untitled - Notepad\" 300 250 640 480 program "
                                    "notepad.exe class Notepad appears 3000\n"
                                    "ready-after notepad.exe 800\n");
    ASSERT_TRUE(SimLoadDesktop(path.c_str(), &error)) << error;
    auto notepads = []() {
        WindowHandle shown[8];
        std::vector<WindowHandle> found;
        char title[64];
        for (int i = 0, count = PlatformListShownWindows(shown, 8); i < count; i++) {
            PlatformGetWindowText(shown[i], WindowTitleText, title, sizeof title);
            if (std::string(title) == "Untitled - Notepad")
                found.push_back(shown[i]);
        }
        return found;
    };
    EXPECT_TRUE(notepads().empty());
    SimAdvanceClock(3000);
    ASSERT_EQ(notepads().size(), 1u);
    WindowHandle shown[1] = {notepads()[0]};
    char text[64];
    PlatformGetWindowText(shown[0], WindowProgramText, text, sizeof text);
    EXPECT_STREQ(text, "notepad.exe");
    PlatformGetWindowText(shown[0], WindowClassText, text, sizeof text);
    EXPECT_STREQ(text, "Notepad");
    EXPECT_EQ(SimForegroundWindow(), shown[0]);
    ProcessHandle process = PlatformStartProcess("notepad.exe notes.txt");
    EXPECT_EQ(PlatformProcessReadiness(process), ProcessStarting);
    SimAdvanceClock(800);
    EXPECT_EQ(PlatformProcessReadiness(process), ProcessReady);
    for (const char* bad : {"window \"A\" 0 0 1 1 appears\n", "window \"A\" 0 0 1 1 later 5\n",
                            "ready-after notepad.exe -2\n", "control \"Button\" 1 \"OK\" 0 0 9 9\n",
                            "window \"A\" 0 0 1 1 dpi 0\n", "dpi 10000\n",
                            "window \"A\" 0 0 1 1\ncontrol \"Button\" 1 \"OK\" 0 0 -9 9\n"}) {
        EXPECT_FALSE(SimLoadDesktop(folder.Write("bad.txt", bad).c_str(), &error)) << bad;
    }

    // A dialog shown at its own scale, with a control; a launcher that
    // hands over.
    SimReset();
    path = folder.Write("dialog.txt", "dpi 120\nwindow \"Order\" 100 100 400 300 dpi 144\n"
                                      "control \"Button\" 1 \"OK\" 300 250 75 23\n"
                                      "window \"Other\" 0 0 10 10\nhands-over calc.exe\n");
    ASSERT_TRUE(SimLoadDesktop(path.c_str(), &error)) << error;
    WindowHandle windows[2];
    ASSERT_EQ(PlatformListShownWindows(windows, 2), 2);
    WindowHandle other = windows[0], order = windows[1];
    WindowHandle ok = nullptr;
    ASSERT_EQ(PlatformListControls(order, &ok, 1), 1);
    ScreenRect rect;
    ASSERT_TRUE(PlatformGetWindowRect(ok, &rect));
    EXPECT_EQ(rect.left, 400);
    EXPECT_EQ(rect.bottom, 373);
    EXPECT_EQ(PlatformControlId(ok), 1);
    EXPECT_EQ(PlatformShownDpi(ok), 144);
    EXPECT_EQ(PlatformShownDpi(other), 120);
    process = PlatformStartProcess("calc.exe");
    EXPECT_EQ(PlatformWaitForProcess(process, 0), ProcessEnded);
    EXPECT_FALSE(PlatformProcessShowsWindow(process));
}

} // namespace
