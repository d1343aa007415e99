// Small fidelity rules of a playback and a command-line run: the order and
// form of log lines, clicks and typed keys at the edges of the list and of
// the coordinate range, long endless runs, and how the command line is read.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "log/log.h"
#include "playback/playback.h"
#include "settings/settings.h"
#include "tests/playback_fixture.h"
#include "tests/scratch_files.h"

namespace {

class FidelityTest : public PlaybackTest {
  protected:
    ScratchFolder folder;
    std::string log;

    void UseLog(int level) {
        log = folder.Path("fidelity.log");
        snprintf(gSettings.logfile, sizeof gSettings.logfile, "%s", log.c_str());
        gSettings.log = level;
    }
    static std::string Title() {
        char title[128];
        PlatformGetWindowTitle(gApp.mainWindow, title, sizeof title);
        return title;
    }
};

TEST_F(FidelityTest, TypeKeyPressedLastTypesAtTheEndOfTheList) {
    UseLog(LogLow);
    gSettings.typeKey = 0x78;
    gSettings.typeThis = 1;
    Load({Key(MsgKeyDown, 'A', 1000), Key(MsgKeyDown, 0x78, 1010)});
    Play();
    EXPECT_EQ(Messages(), (std::vector<uint32_t>{MsgKeyDown, MsgKeyDown, MsgKeyUp}));
    EXPECT_EQ(SimDeliveredEvents()[1].record.paramL, '1');
    EXPECT_EQ(ScratchFolder::Read(log).find("ERROR"), std::string::npos);
}

TEST_F(FidelityTest, AClickLogsItsStepsInTheirOrder) {
    UseLog(LogHigh);
    Load({Placeholder, Placeholder});
    AddCommand(CommandMouseClick, "1,2", 0);
    AddCommand(CommandWait, "0", 1);
    Play();
    // The click's lines in the order of its steps.
    std::string text = ScratchFolder::Read(log);
    size_t at = 0;
    for (const char* line : {"~~~Adjusting upcoming script command #1 (WAIT 0) from event "
                             "(0-based) index [1] to [3]",
                             "    Mouse clicking at screen coordinate (1, 2)...",
                             "+---Injected new event at (0-based) position [1]",
                             "+---Injected new event at (0-based) position [2]"}) {
        size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << line;
        at = found;
    }
}

TEST_F(FidelityTest, ClickPointsReachEveryMonitorAndStopAtTheEdgeOfTheRange) {
    const struct {
        int left, top;
        const char* text;
        int32_t x, y;
        int32_t kind;
    } cases[] = {
        {100, 50, "10,20", 110, 70, CommandWindowClick},
        {INT_MAX - 5, 0, "99999999,1", INT32_MAX, 1, CommandWindowClick},
        {INT_MIN, INT_MIN, "5,5", INT32_MIN + 5, INT32_MIN + 5, CommandWindowClick},
        {0, INT_MAX, "0,99999999", 0, INT32_MAX, CommandWindowClick},
        {100, 50, "-10,-20", 90, 30, CommandWindowClick},
        {INT_MIN + 5, 0, "-99999999,1", INT32_MIN, 1, CommandWindowClick},
        // A minus sign right before a number; without one, as ever.
        {0, 0, "-100,50", -100, 50, CommandMouseClick},
        {0, 0, "-100, -50", -100, -50, CommandMouseClick},
        {0, 0, "100 -50", 100, -50, CommandMouseClick},
        {0, 0, "100 - 50", 100, 50, CommandMouseClick},
        {0, 0, "- 100", 0, 100, CommandMouseClick},
    };
    for (const auto& c : cases) {
        SimReset();
        Start("");
        SimAddDesktopWindow("Far", c.left, c.top, 640, 480, false);
        Load({Placeholder, Placeholder});
        AddCommand(CommandGoto, "Far", 0);
        AddCommand(c.kind, c.text, 1);
        Play();
        ASSERT_EQ(SimDeliveredCount(), 2) << c.text;
        EXPECT_EQ(SimDeliveredEvents()[0].record.paramL, c.x) << c.text;
        EXPECT_EQ(SimDeliveredEvents()[0].record.paramH, c.y) << c.text;
    }
}

TEST_F(FidelityTest, AnEndlessRunStopsCountingAtTheCountersEnd) {
    static std::string lastTitle;
    gSettings.repeatForever = 1;
    gSettings.interruptWarning = 0;
    gJournal.loopsCompleted = INT32_MAX - 1;
    Load({Key(MsgKeyDown, 'A', 1000)});
    SimCancelJournalAfter(3);
    SimSetDeliveryObserver([](uint32_t, const EventRecord*) { lastTitle = Title(); });
    Play();
    EXPECT_EQ(lastTitle, "2147483647 completed for (Untitled)");
}

TEST_F(FidelityTest, UnsignedNumbersLogAsTheWindowsBuildPrintsThem) {
    UseLog(LogHigh);
    SimSetTickCount(3000000000u);
    Load({EventRecord{0xFFFFFFF0u, 1, 2, 0x80000010u, 0},
          EventRecord{0xFFFFFFF0u, 1, 2, 0x80000010u, 0}});
    Play();
    std::string text = ScratchFolder::Read(log);
    for (const char* line : {
             "Play Event #2 at -1294967296: Requested Delay=0, Surplus Adjustment=0, "
             "Time=-2147483632, Prev=-2147483632, Message=-16 (2, 1)\r\n",
             "    -->Windows accepted the previous message at -1294967296, go on to #2...\r\n",
         })
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(FidelityTest, AnEndlessRunKeepsOnlyTheLatestStartedPrograms) {
    gSettings.repeatForever = 1;
    gSettings.interruptWarning = 0;
    Load({Placeholder, Key(MsgKeyDown, 'A', 1000)});
    AddCommand(CommandStart, "notepad.exe", 0);
    SimKeepDeliveredEvents(false);
    SimCancelJournalAfter(2500);
    Play();
    EXPECT_EQ(SimStartedProgramCount(), 2500);
    EXPECT_GE(SimStartedPrograms().size(), SimStartedProgramsKept);
    EXPECT_LT(SimStartedPrograms().size(), 2 * SimStartedProgramsKept);
}

TEST_F(FidelityTest, TheCommandLineIsReadAfterItsLeadingBlanks) {
    std::string path = folder.Write("one.mrx", "message=WM_KEYDOWN paramH=0 paramL=65\r\n");
    for (const std::string& tail : {"  " + path, "\t \"" + path + "\"", path}) {
        SimReset();
        EXPECT_EQ(RunMirlow(tail.c_str(), ShowNormal), ExitSuccess) << tail;
        EXPECT_EQ(SimDeliveredCount(), 1) << tail;
    }
    SimReset();
    int exitCode;
    ASSERT_TRUE(StartMirlow(" \t ", ShowNormal, &exitCode));
    EXPECT_FALSE(gApp.commandLineMode);
}

TEST_F(FidelityTest, AnOverlongCommandLinePathIsToldAndLogged) {
    std::string log = folder.Path("start.log");
    SimReset();
    ASSERT_TRUE(SimImportRegistryText("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n"
                                      "\"Log\"=dword:00000001\r\n\"Logfile\"=\"" +
                                      log + "\"\r\n"));
    std::string tail = "C:\\" + std::string(MaxPathLength, 'p') + ".mrx";
    EXPECT_EQ(RunMirlow(tail.c_str(), ShowNormal), ExitLoadFailed);
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    // The box shows the path's start and end: it could not be as wide as
    // the whole path. The log has all of it.
    EXPECT_EQ(SimMessageBoxes()[0].text, "Unable to open file '" + tail.substr(0, 40) + "..." +
                                             tail.substr(tail.size() - 40) +
                                             "'!\n\nThe path is longer than 259 characters.");
    EXPECT_NE(ScratchFolder::Read(log).find("ERROR: Unable to open '" + tail.substr(0, 200)),
              std::string::npos);
}

} // namespace
