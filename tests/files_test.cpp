// Recording files: loading text scripts and binary recordings with every
// message a load can end with, saving both formats, and the case-blind
// search the formats share.
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "app/app.h"
#include "model/model.h"
#include "log/log.h"
#include "platform/sim/sim_control.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/scratch_files.h"

namespace {

const uint32_t WarningBox = BoxOk | BoxIconWarning | BoxTaskModal;

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string text;
    for (const std::string& line : lines)
        text += line + end;
    return text;
}

std::string RepeatLine(const std::string& line, int count) {
    std::string text;
    for (int i = 0; i < count; i++)
        text += line;
    return text;
}

bool SameEvent(const EventRecord& a, const EventRecord& b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

class FilesTest : public ::testing::Test {
  protected:
    ScratchFolder scratch;

    void SetUp() override {
        SimReset();
        memset(&gApp, 0, sizeof gApp);
        ASSERT_EQ(AllocateRecording(), AllocationSucceeded);
    }
    void TearDown() override {
        ReleaseRecording();
        SimReset();
        gSettings.log = LogOff;
    }

    // A log at LOW in the scratch folder, empty; the log is off again after the test.
    std::string UseLog() {
        std::string log = scratch.Path("files.log");
        remove(log.c_str());
        snprintf(gSettings.logfile, sizeof gSettings.logfile, "%s", log.c_str());
        gSettings.log = LogLow;
        ConnectLog(&gSettings.log, gSettings.logfile, gDocument.path);
        return log;
    }

    int LoadText(const std::string& text, bool report = true) {
        return LoadRecording(scratch.Write("script.mrx", text).c_str(), report);
    }

    static void FillEvents(const std::vector<EventRecord>& events) {
        ClearEventList();
        for (size_t i = 0; i < events.size(); i++)
            gRecording.events[i] = events[i];
        gRecording.eventCount = (int32_t)events.size();
    }

    std::string Save(const std::string& name) {
        std::string path = scratch.Path(name);
        FILE* file = fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        bool written = IsBinaryRecordingPath(path.c_str())
                           ? WriteBinaryRecording(file, path.c_str())
                           : WriteTextScript(file, path.c_str());
        EXPECT_TRUE(written);
        if (written)
            fclose(file);
        return path;
    }
};

// ---- The text branch ----

TEST_F(FilesTest, WorkedExampleLoadsToItsTable) {
    std::string script = Lines({
        "; a comment",
        "message=WM_MOUSEMOVE paramH=288 paramL=420 time=13024638",
        "START NOTEPAD.EXE",
        "WAIT 1 second",
        "GOTO Untitled - Notepad",
        "message=WM_MOUSEMOVE paramH=267 paramL=420 time=13024758",
    });
    EXPECT_EQ(LoadText(script), 3);
    EXPECT_TRUE(SimMessageBoxes().empty());
    ASSERT_EQ(gRecording.eventCount, 5);
    ASSERT_EQ(gRecording.commandCount, 3);
    EXPECT_TRUE(SameEvent(gRecording.events[0], EventRecord{0x0200, 420, 288, 13024638, 0}));
    EXPECT_TRUE(SameEvent(gRecording.events[4], EventRecord{0x0200, 420, 267, 13024758, 0}));
    const struct {
        ScriptCommandKind kind;
        const char* text;
    } commands[] = {
        {CommandStart, "NOTEPAD.EXE"}, {CommandWait, "1 "}, {CommandGoto, "Untitled - Notepad"}};
    for (int i = 0; i < 3; i++) {
        ScriptCommand command = GetScriptCommand(i);
        EXPECT_EQ(command.kind, commands[i].kind) << i;
        EXPECT_STREQ(command.text, commands[i].text) << i;
        EXPECT_EQ(command.anchor, i + 1);
        EXPECT_TRUE(SameEvent(gRecording.events[i + 1], EventRecord{})) << "placeholder " << i;
    }
}

struct EventLineCase {
    const char* line;
    EventRecord event;
};

TEST_F(FilesTest, EventLinesReadTheirFieldsInOrder) {
    const EventLineCase cases[] = {
        {"message=WM_KEYDOWN paramH=1 paramL=65 time=7", {0x0100, 65, 1, 7, 0}},
        {"MESSAGE=WM_KEYUP paramH=1 paramL=65 time=7", {0x0101, 65, 1, 7, 0}},
        {"  message=WM_SYSKEYDOWN paramH=0 paramL=18", {0x0104, 18, 0, 0, 0}},
        {"message=WM_SYSKEYUP paramH=0 paramL=18 time=", {0x0105, 18, 0, 0, 0}},
        {"message=WM_CHAR paramH=0 paramL=97 time=1", {0x0102, 97, 0, 1, 0}},
        {"message=WM_COMMAND paramH=0 paramL=1 time=1", {0x0111, 1, 0, 1, 0}},
        {"message=WM_LBUTTONDOWN paramH=5 paramL=6 time=1", {0x0201, 6, 5, 1, 0}},
        {"message=WM_LBUTTONUP paramH=5 paramL=6 time=1", {0x0202, 6, 5, 1, 0}},
        // Names are exact-case substrings, tried in a fixed order.
        {"message=wm_keydown paramH=1 paramL=2", {0, 2, 1, 0, 0}},
        {"message=xWM_KEYUPxWM_MOUSEMOVE paramH=1 paramL=2", {0x0200, 2, 1, 0, 0}},
        {"message=513 paramH=-7 paramL=+8 time=9", {0x0201, 8, -7, 9, 0}},
        {"message=0 paramH=0 paramL=0 time=0", {0, 0, 0, 0, 0}},
        // Values end at a space; each field is searched after the one before.
        {"message=1 x paramH=5x paramL=6 paramL=7", {1, 6, 5, 0, 0}},
        {"message=1 paramH= 5 paramL=6", {1, 6, 0, 0, 0}},
        {"message=1 paramH=\t5 paramL=6 time=-1", {1, 6, 5, 0xFFFFFFFFu, 0}},
        {"TYPE x message=WM_CHAR y paramH=1 paramL=2", {0x0102, 2, 1, 0, 0}},
        // Numbers beyond 32 bits keep their low 32 bits.
        {"message=1 paramH=4294967295 paramL=4294967296 time=99999999999",
         {1, 0, -1, (uint32_t)(99999999999ull & 0xFFFFFFFFu), 0}},
        {"message=1 paramH=-2147483648 paramL=2147483648 time=3000000000",
         {1, INT32_MIN, INT32_MIN, 3000000000u, 0}},
        // Close to the written form, but not quite.
        {"message=WM_KEYUP paramH=1 paramL=2 time=3 extra", {0x0101, 2, 1, 3, 0}},
        {"message=WM_KEYUPX paramH=1 paramL=2 time=3", {0x0101, 2, 1, 3, 0}},
        {"message=WM_CHAR paramH=1 paramL=2 time=3x", {0x0102, 2, 1, 3, 0}},
        {"message=-12 paramH=-0 paramL=+4 time=-", {0xFFFFFFF4u, 4, 0, 0, 0}},
        {"message=7 paramH=1 paramL=2", {7, 2, 1, 0, 0}},
        {"message=WM_MOUSEMOVE  paramH=1 paramL=2  time=3", {0x0200, 2, 1, 3, 0}},
        {"message=WM_MOUSEMOVE paramH=1\tx paramL=2 time=3", {0x0200, 2, 1, 3, 0}},
    };
    // Lines in the form the writer uses are read by a quicker path; a leading
    // blank sends the same line through the general one. Both must agree.
    for (const EventLineCase& c : cases) {
        for (const char* indent : {"", " "}) {
            std::string line = indent + std::string(c.line);
            ASSERT_EQ(LoadText(line + "\r\n"), 0) << line;
            ASSERT_EQ(gRecording.eventCount, 1) << line;
            const EventRecord& got = gRecording.events[0];
            EXPECT_TRUE(SameEvent(got, c.event))
                << line << ": " << got.message << " " << got.paramL << " " << got.paramH << " "
                << got.time << " " << got.hwnd;
        }
    }
    EXPECT_TRUE(SimMessageBoxes().empty());
}

TEST_F(FilesTest, LinesNotStartingWithALetterAreIgnored) {
    std::string script =
        Lines({"", "   ", "; message=WM_KEYDOWN paramH=1 paramL=2", "5 message=WM_KEYDOWN",
               "{ message=1", "\t;x", "message=1 paramH=2 paramL=3"});
    EXPECT_EQ(LoadText(script), 0);
    EXPECT_EQ(gRecording.eventCount, 1);
    EXPECT_TRUE(SimMessageBoxes().empty());
}

struct CommandLineCase {
    const char* line;
    ScriptCommandKind kind;
    const char* text;
};

TEST_F(FilesTest, CommandLinesTakeKeywordAndArgument) {
    const std::string longRun = "TYPE" + std::string(28, 'x') + "tail rest";
    const CommandLineCase cases[] = {
        {"wait 2 SECONDS", CommandWait, "2 "},
        {"WAIT 3 Seconds and 1 second", CommandWait, "3  and 1 "},
        {"WAIT secsecondsonds", CommandWait, "s"},
        {"RESTART x", CommandStart, "x"},
        {"Start notepad.exe", CommandStart, "notepad.exe"},
        {"  GOTO \t Untitled - Notepad  ", CommandGoto, "Untitled - Notepad  "},
        {"type\tHello {enter}", CommandType, "Hello {enter}"},
        {"TYPE second", CommandType, "second"},
        {"MouseClick 10,20", CommandMouseClick, "10,20"},
        {"windowclick 1,2", CommandWindowClick, "1,2"},
        {"GOTOWAIT x", CommandGoto, "x"},
        {"TYPEHELLO", CommandType, ""},
        {longRun.c_str(), CommandType, "tail rest"},
        // A script that is UTF-8 reads as its characters in the code page
        // (Windows-1252 here); any other script byte for byte. A leading
        // byte-order mark is never part of the first line.
        {"\xEF\xBB\xBFGOTO Untitled - Notepad", CommandGoto, "Untitled - Notepad"},
        {"TYPE caf\xC3\xA9 \xE2\x82\xAC 5", CommandType, "caf\xE9 \x80 5"},
        {"TYPE caf\xE9", CommandType, "caf\xE9"},
        {"TYPE caf\xC3\xA9 \xE9", CommandType, "caf\xC3\xA9 \xE9"},
        {"\xEF\xBB\xBFTYPE \xE9", CommandType, "\xE9"},
    };
    for (const CommandLineCase& c : cases) {
        ASSERT_EQ(LoadText(std::string(c.line) + "\r\n"), 1) << c.line;
        ScriptCommand command = GetScriptCommand(0);
        EXPECT_EQ(command.kind, c.kind) << c.line;
        EXPECT_STREQ(command.text, c.text) << c.line;
        EXPECT_EQ(command.anchor, 0);
        EXPECT_EQ(gRecording.eventCount, 1);
    }
    EXPECT_TRUE(SimMessageBoxes().empty());
}

TEST_F(FilesTest, AnchorsCountEventsAndCommandsBeforeThem) {
    std::string script =
        Lines({"TYPE a", "TYPE b", "; c", "message=1 paramH=0 paramL=0", "TYPE d"});
    EXPECT_EQ(LoadText(script), 3);
    EXPECT_EQ(gRecording.eventCount, 4);
    EXPECT_EQ(GetScriptCommand(0).anchor, 0);
    EXPECT_EQ(GetScriptCommand(1).anchor, 1);
    EXPECT_EQ(GetScriptCommand(2).anchor, 3);
}

TEST_F(FilesTest, LineEndVariantsLoadAlike) {
    const std::vector<std::string> lines = {"message=WM_KEYDOWN paramH=1 paramL=65 time=10",
                                            "TYPE hi", "; comment", "WAIT 1 second",
                                            "message=WM_KEYUP paramH=1 paramL=65"};
    const std::string ends[] = {"\n", "\n\r", "\r", "\r\r", "\r\n\n", std::string(1, '\0')};
    ASSERT_EQ(LoadText(Lines(lines)), 2);
    std::vector<EventRecord> expected(gRecording.events, gRecording.events + 4);
    for (const std::string& end : ends) {
        ASSERT_EQ(LoadText(Lines(lines, end)), 2) << "end " << (int)end[0];
        ASSERT_EQ(gRecording.eventCount, 4);
        for (int i = 0; i < 4; i++)
            EXPECT_TRUE(SameEvent(gRecording.events[i], expected[(size_t)i]));
        EXPECT_STREQ(GetScriptCommand(0).text, "hi");
        EXPECT_STREQ(GetScriptCommand(1).text, "1 ");
    }
    // No line end after the last line.
    EXPECT_EQ(LoadText("TYPE a\r\nTYPE last"), 2);
    EXPECT_STREQ(GetScriptCommand(1).text, "last");
}

TEST_F(FilesTest, LongLinesAreCutIntoPiecesWithoutLosingACharacter) {
    // 1,023 characters make a piece; the next piece starts a line of its own.
    std::string typed(1023 - 5, 'a');
    EXPECT_EQ(LoadText("TYPE " + typed + "WAIT 5 seconds\r\nTYPE z\r\n"), 3);
    EXPECT_EQ(std::string(GetScriptCommand(0).text), typed);
    EXPECT_STREQ(GetScriptCommand(1).text, "5 ");
    EXPECT_STREQ(GetScriptCommand(2).text, "z");
    EXPECT_EQ(gRecording.eventCount, 3);

    // A CR LF pair split by the piece end: the piece keeps the CR, and the LF
    // makes an empty line of its own.
    std::string eventLine = "message=WM_KEYDOWN paramL=1";
    eventLine += std::string(1022 - eventLine.size(), ' ');
    EXPECT_EQ(LoadText(eventLine + "\r\n"), -1);
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].caption, eventLine + "\r");

    // The same for an event line in the written form: the first is whole
    // but for its LF; the second is cut inside its time, so the rest of the
    // digits make a line of their own, which is ignored.
    std::string written = "message=WM_KEYDOWN paramH=1 paramL=2 time=";
    std::string whole = written + std::string(1022 - written.size() - 1, '0') + "5";
    std::string cut = written + std::string(1023 - written.size(), '0') + "7";
    EXPECT_EQ(LoadText(whole + "\r\n" + cut + "\r\n"), 0);
    ASSERT_EQ(gRecording.eventCount, 2);
    EXPECT_TRUE(SameEvent(gRecording.events[0], EventRecord{0x0100, 2, 1, 5, 0}));
    EXPECT_TRUE(SameEvent(gRecording.events[1], EventRecord{0x0100, 2, 1, 0, 0}));

    // A piece of exactly 1,023 characters, then its line end alone.
    std::string exact = "TYPE " + std::string(1018, 'b');
    EXPECT_EQ(LoadText(exact + "\r\n" + exact + "\n"), 2);
    EXPECT_EQ(strlen(GetScriptCommand(1).text), 1018u);

    // In a UTF-8 script a piece is 1,023 characters, not bytes.
    std::string accents = RepeatLine("\xC3\xA9", 1018);
    EXPECT_EQ(LoadText("TYPE " + accents + "WAIT 5 seconds\r\n"), 2);
    EXPECT_EQ(std::string(GetScriptCommand(0).text), std::string(1018, '\xE9'));
    EXPECT_STREQ(GetScriptCommand(1).text, "5 ");
}

// ---- Failures ----

enum FileSetup { WrittenFile, NoFile, Folder };

struct FailureCase {
    const char* name;
    FileSetup setup;
    const char* file; // relative path of the file or folder in the scratch folder
    std::string bytes;
    const char* text; // "%s" stands for the path
    std::string caption;
    bool shownWhenQuiet;
};

TEST_F(FilesTest, EachFailureShowsItsMessageOnce) {
    const std::string longKeyword = std::string(32, 'X') + "TYPE a";
    const FailureCase cases[] = {
        {"missing paramH", WrittenFile, "a.mrx", "message=WM_KEYDOWN paramL=1 time=2\r\n",
         "Improperly formatted EVENT command (missing paramH)",
         "message=WM_KEYDOWN paramL=1 time=2\r\n", true},
        {"paramL before paramH", WrittenFile, "a.mrx", "TYPE x\r\nmessage=1 paramL=1 paramH=2\n",
         "Improperly formatted EVENT command (missing paramL)", "message=1 paramL=1 paramH=2\n",
         true},
        {"tab separators", WrittenFile, "a.mrx", "message=WM_KEYDOWN\tparamH=1\tparamL=2\r\n",
         "Improperly formatted EVENT command (missing paramH)",
         "message=WM_KEYDOWN\tparamH=1\tparamL=2\r\n", true},
        {"TYPE holding message=", WrittenFile, "a.mrx", "TYPE message=hello\r\n",
         "Improperly formatted EVENT command (missing paramH)", "TYPE message=hello\r\n", true},
        {"unknown keyword", WrittenFile, "a.mrx", "TYPE a\r\nCLICK 10 20\r\n",
         "Unknown or incorrectly formatted command!", "CLICK 10 20", false},
        {"keyword beyond 32 characters", WrittenFile, "a.mrx", longKeyword + "\n",
         "Unknown or incorrectly formatted command!", longKeyword, false},
        {"empty file", WrittenFile, "a.mrx", "", "Unable to open file %s!", "Error", false},
        {"no such file", NoFile, "none.mrx", "", "Unable to open file %s!", "Error", false},
        {"a folder", Folder, "folder.mrx", "", "Unable to open file %s!", "Error", false},
        {"61-byte binary", WrittenFile, "a.mrl", std::string(61, '\x01'),
         "Unable to open file '%s'!", "Error", false},
        {"empty binary", WrittenFile, "a.mrl", "", "Unable to open file %s!", "Error", false},
        // A comment may hold what the code page lacks; a command may not.
        {"a character the code page lacks", WrittenFile, "a.mrx",
         "TYPE a\r\n; \xC5\x81\xC3\xB3"
         "d\xC5\xBA\r\nTYPE \xC5\x81\xC3\xB3"
         "d\xC5\xBA\r\n",
         "Unable to load the script '%s'!\n\nLine 3 holds the character U+0141, which the "
         "system's code page for non-Unicode programs does not have.",
         "Error", true},
        {"a window line with a character the code page lacks", WrittenFile, "a.mrx",
         "TYPE \xC3\xA9\r\n;@window title=\"\xC5\x81\"\r\nTYPE a\r\n",
         "Unable to load the script '%s'!\n\nLine 2 holds the character U+0141, which the "
         "system's code page for non-Unicode programs does not have.",
         "Error", true},
        {"window line with an unclosed quote", WrittenFile, "a.mrx",
         "TYPE a\r\n;@window title=\"x\r\n", "Improperly formatted window line",
         ";@window title=\"x\r\n", true},
    };
    for (bool report : {true, false}) {
        for (const FailureCase& c : cases) {
            ASSERT_EQ(LoadRecording(scratch.Write("good.mrx", "TYPE a\r\n").c_str(), true), 1);
            SimClearMessageBoxes();
            // Only a file that was opened has emptied the list.
            bool opened = c.setup == WrittenFile && !c.bytes.empty();
            std::string path = scratch.Path(c.file);
            if (c.setup == WrittenFile)
                scratch.Write(c.file, c.bytes);
            if (c.setup == Folder)
                std::filesystem::create_directories(path);
            EXPECT_EQ(LoadRecording(path.c_str(), report), -1) << c.name;
            EXPECT_EQ(gRecording.eventCount, opened ? 0 : 1) << c.name;
            if (!report && !c.shownWhenQuiet) {
                EXPECT_TRUE(SimMessageBoxes().empty()) << c.name;
                continue;
            }
            ASSERT_EQ(SimMessageBoxes().size(), 1u) << c.name;
            const SimMessageBox& box = SimMessageBoxes()[0];
            char text[600];
            snprintf(text, sizeof text, c.text, path.c_str());
            EXPECT_EQ(box.text, text) << c.name;
            EXPECT_EQ(box.caption, c.caption) << c.name;
            EXPECT_EQ(box.style, WarningBox) << c.name;
        }
    }
}

TEST_F(FilesTest, FailureBeforeOpeningLeavesTheRecordingAlone) {
    ASSERT_EQ(LoadText("TYPE a\r\nTYPE b\r\n"), 2);
    EXPECT_EQ(LoadRecording(scratch.Write("empty.mrx", "").c_str(), true), -1);
    EXPECT_EQ(gRecording.eventCount, 2);
    EXPECT_EQ(gRecording.commandCount, 2);

    // An empty path is the caller's mistake: always shown, as an error box.
    EXPECT_EQ(LoadRecording("", false), -1);
    ASSERT_EQ(SimMessageBoxes().size(), 2u);
    EXPECT_EQ(SimMessageBoxes()[1].text,
              "Internal error while loading Mirlow file!\n\n(This should never occur)");
    EXPECT_EQ(SimMessageBoxes()[1].caption, "Internal Error");
    EXPECT_EQ(SimMessageBoxes()[1].style, BoxOk | BoxIconError | BoxTaskModal);
    EXPECT_EQ(gRecording.eventCount, 2);
    EXPECT_EQ(gRecording.commandCount, 2);
}

TEST_F(FilesTest, FailureAfterOpeningEmptiesListAndCommandTable) {
    ASSERT_EQ(LoadText("TYPE a\r\nTYPE b\r\nTYPE c\r\n"), 3);
    EXPECT_EQ(LoadText("TYPE new\r\nmessage=1 paramL=2\r\n"), -1);
    EXPECT_EQ(gRecording.eventCount, 0);
    EXPECT_EQ(gRecording.commandCount, 0);
}

// A file that is there but cannot be opened. Root opens a file of any
// mode, so the refusal is one that holds for every user: the process may
// open no more files.
TEST_F(FilesTest, UnopenableFileHasTheQuotedMessage) {
    std::string path = scratch.Write("locked.mrx", "TYPE a\r\n");
    struct rlimit limits;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limits), 0);
    int lowestFree = open("/dev/null", O_RDONLY);
    ASSERT_GE(lowestFree, 0);
    close(lowestFree);
    const struct rlimit noMoreFiles = {(rlim_t)lowestFree, limits.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &noMoreFiles), 0);
    int loaded = LoadRecording(path.c_str(), true);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limits), 0);
    EXPECT_EQ(loaded, -1);
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text, "Unable to open file '" + path + "'!");
}

TEST_F(FilesTest, TheCommandAfterTheLastOneKeptEndsTheLoadAsASuccess) {
    std::string log = UseLog();
    std::string script = RepeatLine("TYPE x\r\n", 2047) + "WAIT 1\r\nTYPE y\r\nTYPE z\r\n";
    EXPECT_EQ(LoadText(script, false), 2047);
    EXPECT_TRUE(LastLoadWasCut());
    EXPECT_NE(ScratchFolder::Read(log).find(
                  "ERROR: '" + scratch.Path("script.mrx") +
                  "' holds more than 2047 script commands: line 2048 and everything after it "
                  "were not loaded\r\n"),
              std::string::npos);
    EXPECT_EQ(gRecording.eventCount, 2047);
    EXPECT_EQ(gRecording.commandCount, 2047);
    EXPECT_EQ(GetScriptCommand(2046).anchor, 2046);
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text,
              "Too many script commands!\n\nThe maximum number of script commands is 2047");
    EXPECT_EQ(SimMessageBoxes()[0].caption, "WAIT 1\r\n");
}

struct LimitCase {
    const char* file;
    std::string bytes;
    int result;
    int line;         // the first line not loaded
    const char* text; // the box's, or null for none
    std::string caption;
    const char* logLine; // after "ERROR: '<path>' "
};

TEST_F(FilesTest, ALoadCutAtTheLastPositionKeepsWhatItReadAndSaysSo) {
    const std::string line = "message=WM_MOUSEMOVE paramH=1 paramL=2 time=3\r\n";
    const char* const textBox = "Too many events!\n\nA recording holds at most 32766 events, each "
                                "script command counting as one: line %d and everything after "
                                "it were not loaded.";
    const LimitCase cases[] = {
        // Only lines that would take no position follow: nothing is lost.
        {"a.mrx", RepeatLine(line, MaxLoadedEvents) + "; the end\r\n\r\n", 0, 0, nullptr, "", ""},
        {"a.mrx", RepeatLine(line, MaxLoadedEvents + 4), 0, 32767, textBox,
         "message=WM_MOUSEMOVE paramH=1 paramL=2 time=3",
         "holds more than 32766 events and script commands: line 32767 and everything after it "
         "were not loaded"},
        // Commands after the last position are not reached, known or not.
        {"a.mrx", RepeatLine(line, MaxLoadedEvents - 1) + "; c\r\nTYPE a\r\nTYPE b\r\nCLICK\r\n", 1,
         32768, textBox, "TYPE b",
         "holds more than 32766 events and script commands: line 32768 and everything after it "
         "were not loaded"},
        {"big.mrl", std::string(sizeof(EventRecord) * (MaxLoadedEvents + 1), '\x07'), 0, 0,
         "Too many events!\n\nA recording holds at most 32766 events: the last 1 of the file's "
         "32767 records were not loaded.",
         "", "holds 32767 records, more than 32766: the last 1 were not loaded"},
    };
    for (const LimitCase& c : cases) {
        std::string log = UseLog();
        SimClearMessageBoxes();
        std::string path = scratch.Write(c.file, c.bytes);
        EXPECT_EQ(LoadRecording(path.c_str(), false), c.result) << c.logLine;
        EXPECT_EQ(gRecording.eventCount, MaxLoadedEvents);
        EXPECT_EQ(gRecording.events[MaxLoadedEvents].message, 0u);
        EXPECT_EQ(LastLoadWasCut(), c.text != nullptr) << c.logLine;
        if (c.text == nullptr) {
            EXPECT_TRUE(SimMessageBoxes().empty());
            continue;
        }
        ASSERT_EQ(SimMessageBoxes().size(), 1u) << c.logLine;
        char text[300];
        snprintf(text, sizeof text, c.text, c.line);
        EXPECT_EQ(SimMessageBoxes()[0].text, text);
        EXPECT_EQ(SimMessageBoxes()[0].caption, c.caption.empty() ? path : c.caption);
        EXPECT_NE(ScratchFolder::Read(log).find("ERROR: '" + path + "' " + c.logLine + "\r\n"),
                  std::string::npos)
            << c.logLine;
    }
}

// ---- Saving and loading again ----

const std::vector<EventRecord> SampleEvents = {
    {0x0200, 420, 288, 13024638, 0x10A2},
    {0x0100, 0x41, 0x1E0001, 13024700, 0x10A2},
    {0x0101, 0x41, (int32_t)0xC01E0001, 13024710, 7},
    {0x0102, 97, 0, 0, 0},
    {0x0104, 0x12, 0, 1, 0},
    {0x0105, 0x12, 0, 2, 0},
    {0x0111, 1, 0, 3, 0},
    {0x0201, -5, 2000, 4, 0},
    {0x0202, INT32_MIN, INT32_MAX, 0xFFFFFFFFu, 0},
    {0, 0, 0, 0, 0},
    {0x000F, 0, 0, 0x80000000u, 9},
    {0x8000C0DEu, 1, 2, 3, 4},
};

TEST_F(FilesTest, TextScriptWritesItsHeaderThenOneLinePerEvent) {
    FillEvents({{0x0100, 65, 30, 5, 99}, {0, 0, 0, 0, 0}, {0x0777, -1, 2, 0x80000000u, 0}});
    std::string written = ScratchFolder::Read(Save("out.mrx"));
    const std::string header = Lines({
        "; This file was created by Mirlow (https://mirlow.app/) ",
        "; You may edit it, but keep the format the same as you see below.",
        "; You may add comments by using ';' at the start of a line.",
        "; Each line represents an EVENT structure, or may be one of the Mirlow commands (see "
        "help file reference)",
        "; ",
        "; Examples:",
        ";        START notepad.exe",
        ";        WAIT 1 second",
        ";        GOTO Untitled - Notepad",
        ";        TYPE Here is text that is being typed by Mirlow",
        "; ",
        "; You can mix the EVENT structure lines with Mirlow commands, such as:",
        ";        message=WM_MOUSEMOVE paramH=288 paramL=420 time=13024638",
        ";        START NOTEPAD.EXE",
        ";        GOTO Untitled - Notepad",
        ";        message=WM_MOUSEMOVE paramH=267 paramL=420 time=13024758",
        "; ",
        "; You may put 0 for the TIME component in each line.",
        "; Remember that Mirlow is primarly a mouse and keyboard recorder, and does not rely on "
        "scripts.",
        "; Start of the real recording:",
    });
    EXPECT_EQ(written, header + Lines({
                                    "message=WM_KEYDOWN paramH=30 paramL=65 time=5",
                                    "message=0 paramH=0 paramL=0 time=0",
                                    "message=1911 paramH=2 paramL=-1 time=-2147483648",
                                }));
}

TEST_F(FilesTest, TextRoundTripKeepsEventsWithoutWindowHandles) {
    FillEvents(SampleEvents);
    std::string path = Save("round.mrx");
    EXPECT_EQ(LoadRecording(path.c_str(), true), 0);
    ASSERT_EQ(gRecording.eventCount, (int32_t)SampleEvents.size());
    for (size_t i = 0; i < SampleEvents.size(); i++) {
        EventRecord expected = SampleEvents[i];
        expected.hwnd = 0;
        EXPECT_TRUE(SameEvent(gRecording.events[i], expected)) << i;
    }
}

struct LoadedScript {
    std::vector<EventRecord> events;
    std::vector<std::tuple<int32_t, std::string, int32_t>> commands;
};

LoadedScript Loaded() {
    LoadedScript loaded;
    loaded.events.assign(gRecording.events, gRecording.events + gRecording.eventCount);
    for (int i = 0; i < gRecording.commandCount; i++) {
        ScriptCommand command = GetScriptCommand(i);
        loaded.commands.emplace_back(command.kind, command.text, command.anchor);
    }
    return loaded;
}

TEST_F(FilesTest, SavedScriptWritesEachCommandBackAtItsPlace) {
    // Every kind, in the forms the reader accepts, around events and an
    // inert placeholder (a message=0 line that no command owns).
    const std::string longRun = "TYPE" + std::string(28, 'x') + "tail rest";
    ASSERT_EQ(LoadText(Lines({"restart notepad.exe", "message=WM_KEYDOWN paramH=1 paramL=2 time=3",
                              "  GOTO \t Untitled - Notepad  ", "wait 2 SECONDS",
                              "message=0 paramH=0 paramL=0 time=0", "type\tHello {enter}",
                              "TYPEHELLO", longRun, "MouseClick 10,20",
                              "message=WM_KEYUP paramH=1 paramL=2 time=4", "windowclick 1,2"})),
              8);
    LoadedScript before = Loaded();
    std::string written = ScratchFolder::Read(Save("again.mrx"));
    EXPECT_NE(written.find("\r\nSTART notepad.exe\r\nmessage=WM_KEYDOWN paramH=1 paramL=2 "
                           "time=3\r\nGOTO Untitled - Notepad  \r\nWAIT 2 \r\nmessage=0 "
                           "paramH=0 paramL=0 time=0\r\nTYPE Hello {enter}\r\nTYPE\r\n"),
              std::string::npos);
    ASSERT_EQ(LoadRecording(scratch.Path("again.mrx").c_str(), true), 8);
    LoadedScript after = Loaded();
    EXPECT_EQ(after.commands, before.commands);
    ASSERT_EQ(after.events.size(), before.events.size());
    for (size_t i = 0; i < before.events.size(); i++)
        EXPECT_TRUE(SameEvent(after.events[i], before.events[i])) << i;
    // Saved again, the script is the same file.
    EXPECT_EQ(ScratchFolder::Read(Save("third.mrx")), written);
}

TEST_F(FilesTest, ASavedScriptReadsBackAsTheSameText) {
    const std::string mark = "\xEF\xBB\xBF";
    const struct {
        std::string read;
        const char* text;    // what the program holds
        std::string written; // the command's line in the saved script
        bool marked;
    } cases[] = {
        {"TYPE caf\xC3\xA9\r\n", "caf\xE9", "TYPE caf\xC3\xA9\r\n", false},
        {mark + "TYPE caf\xC3\xA9\r\n", "caf\xE9", "TYPE caf\xC3\xA9\r\n", true},
        {mark + "TYPE cafe\r\n", "cafe", "TYPE cafe\r\n", true},
        {"TYPE caf\xE9\r\n", "caf\xE9", "TYPE caf\xE9\r\n", false},
        // Text read byte for byte that would, as it is, read back as UTF-8.
        {"TYPE \xC3\xA9\r\n; \xE9\r\n", "\xC3\xA9", "TYPE \xC3\x83\xC2\xA9\r\n", true},
        // A window line's texts go by the same rule as the commands'.
        {";@window title=\"Caf\xC3\xA9\"\r\nTYPE x\r\n", "x",
         ";@window title=\"Caf\xC3\xA9\" class=\"*\" program=\"*\"\r\nTYPE x\r\n", false},
        {";@window title=\"\xC3\xA9\"\r\nTYPE x\r\n; \xE9\r\n", "x",
         ";@window title=\"\xC3\x83\xC2\xA9\" class=\"*\" program=\"*\"\r\nTYPE x\r\n", true},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(LoadText(c.read), 1) << c.read;
        ASSERT_STREQ(GetScriptCommand(0).text, c.text);
        std::string written = ScratchFolder::Read(Save("again.mrx"));
        EXPECT_EQ(written.rfind(mark + "; This file", 0) == 0, c.marked) << c.read;
        EXPECT_NE(written.find("\r\n" + c.written), std::string::npos) << c.read;
        ASSERT_EQ(LoadRecording(scratch.Path("again.mrx").c_str(), true), 1);
        EXPECT_STREQ(GetScriptCommand(0).text, c.text);
    }
}

TEST_F(FilesTest, BinaryRoundTripIsByteIdentical) {
    FillEvents(SampleEvents);
    std::string path = Save("round.mrl");
    std::string bytes = ScratchFolder::Read(path);
    ASSERT_EQ(bytes.size(), SampleEvents.size() * 20);
    // Five little-endian fields per record, hwnd last.
    EXPECT_EQ(bytes.substr(0, 20), std::string("\x00\x02\x00\x00\xA4\x01\x00\x00\x20\x01\x00\x00"
                                               "\x7E\xBD\xC6\x00\xA2\x10\x00\x00",
                                               20));
    ASSERT_EQ(LoadText("TYPE a\r\n"), 1);
    EXPECT_EQ(LoadRecording(path.c_str(), true), 0);
    EXPECT_EQ(gRecording.commandCount, 0);
    ASSERT_EQ(gRecording.eventCount, (int32_t)SampleEvents.size());
    EXPECT_EQ(memcmp(gRecording.events, bytes.data(), bytes.size()), 0);
    EXPECT_EQ(ScratchFolder::Read(Save("again.mrl")), bytes);
}

TEST_F(FilesTest, AnMrlFolderMakesAnyFileBinary) {
    // A text script inside a folder whose name holds .mrl loads as records.
    std::string path = scratch.Write("saved.MRL/script.mrx", std::string(40, '\0'));
    EXPECT_EQ(LoadRecording(path.c_str(), true), 0);
    EXPECT_EQ(gRecording.eventCount, 2);
}

TEST_F(FilesTest, FailedWritesCloseTheFileAndSaySo) {
    FillEvents(SampleEvents);
    for (bool binary : {false, true}) {
        SimClearMessageBoxes();
        // A full device accepts stdio's buffer and fails when it is flushed.
        FILE* file = fopen("/dev/full", "wb");
        ASSERT_NE(file, nullptr);
        bool written = binary ? WriteBinaryRecording(file, "C:\\out.mrl")
                              : WriteTextScript(file, "C:\\out.mrl");
        EXPECT_FALSE(written);
        ASSERT_EQ(SimMessageBoxes().size(), 1u);
        EXPECT_EQ(SimMessageBoxes()[0].text, "Unable to save file 'C:\\out.mrl'!");
        EXPECT_EQ(SimMessageBoxes()[0].caption, "Error");
        EXPECT_EQ(SimMessageBoxes()[0].style, WarningBox);
    }
}

TEST_F(FilesTest, LoadsLeaveTheEditScriptItemToTheCommands) {
    int exitCode;
    ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    WindowHandle window = gApp.mainWindow;
    ASSERT_FALSE(SimMenuItemEnabled(window, ID_TOOLS_EDIT_SCRIPT));
    ASSERT_EQ(LoadText("TYPE a\r\n"), 1);
    EXPECT_FALSE(SimMenuItemEnabled(window, ID_TOOLS_EDIT_SCRIPT));
    PlatformSetMenuItemEnabled(window, ID_TOOLS_EDIT_SCRIPT, true);
    ASSERT_EQ(LoadRecording(scratch.Write("a.mrl", std::string(20, '\0')).c_str(), true), 0);
    EXPECT_TRUE(SimMenuItemEnabled(window, ID_TOOLS_EDIT_SCRIPT));
    PlatformDestroyWindow(window);
}

} // namespace
