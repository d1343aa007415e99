// Start-up in both modes, its failure paths, the command-line tail and the
// message loop's own rules, on the simulated desktop.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "playback/playback.h"
#include "platform/sim/sim_control.h"
#include "record/record.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/scratch_files.h"

namespace {

struct TailCase {
    const char* tail;
    bool accepted;
    const char* path;
};

TEST(CommandTail, PathIsTakenFromTheTail) {
    const std::string longest(MaxPathLength, 'a');
    const std::string tooLong(MaxPathLength + 1, 'a');
    const std::string quotedTooLong = "\"" + tooLong + "\" x";
    const TailCase cases[] = {
        {"\"C:\\My Files\\a.mrx\" extra", true, "C:\\My Files\\a.mrx"},
        {"C:\\My Files\\a.mrx extra", true, "C:\\My Files\\a.mrx extra"},
        {"\"C:\\My Files\\a.mrx", true, "C:\\My Files\\a.mrx"},
        {"\"\"", true, ""},
        {longest.c_str(), true, longest.c_str()},
        {tooLong.c_str(), false, ""},
        {quotedTooLong.c_str(), false, ""},
    };
    for (const TailCase& c : cases) {
        char path[MaxPathLength + 1];
        memset(path, 'z', sizeof path);
        EXPECT_EQ(PathFromCommandTail(c.tail, path), c.accepted) << c.tail;
        EXPECT_STREQ(path, c.path) << c.tail;
    }
}

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
    }
    void TearDown() override {
        SimReset();
    }
};

struct AllocationCase {
    int failing;      // which allocation fails, counted from 1
    const char* text; // the message shown in interactive mode
    const char* caption;
    int requested; // allocations asked for before start-up gave up
};

TEST_F(StartupTest, EachBufferFailureHasItsMessageInInteractiveMode) {
    const AllocationCase cases[] = {
        {1, "Event Memory Failure!", "Failure", 1},
        {2, "Event Memory Failure!", "Failure", 2},
        // The three integer arrays are all requested before any is tested.
        {3, "Integer Memory Failure!", "Failure", 5},
        {5, "Integer Memory Failure!", "Failure", 5},
        {6, "Script Memory Allocation Failure!", "Memory Error", 6},
        {5 + MaxScriptCommands, "Script Memory Allocation Failure!", "Memory Error",
         5 + MaxScriptCommands},
        {6 + MaxScriptCommands, "Window Memory Failure!", "Failure", 6 + MaxScriptCommands},
    };
    for (const AllocationCase& c : cases) {
        SimReset();
        SimFailAllocation(c.failing);
        EXPECT_EQ(RunMirlow("", ShowNormal), ExitSuccess);
        ASSERT_EQ(SimMessageBoxes().size(), 1u) << c.failing;
        const SimMessageBox& box = SimMessageBoxes()[0];
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.style, BoxOk | BoxIconWarning | BoxTaskModal);
        EXPECT_EQ(SimAllocationCount(), c.requested);
        EXPECT_EQ(SimFindWindow("Mirlow"), nullptr); // no window was made
    }
}

TEST_F(StartupTest, BufferFailureInCommandLineModeIsSilentButNotSuccess) {
    SimFailAllocation(3);
    EXPECT_EQ(RunMirlow("C:\\a.mrx", ShowNormal), ExitStartupFailed);
    EXPECT_TRUE(SimMessageBoxes().empty());
    EXPECT_EQ(SimFindWindow("Mirlow"), nullptr);
}

TEST_F(StartupTest, InteractiveStartShowsTheMainWindow) {
    int exitCode = -1;
    ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    EXPECT_FALSE(gApp.commandLineMode);
    WindowHandle window = SimFindWindow("Mirlow");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(gApp.mainWindow, window);

    SimWindowInfo info = SimGetWindowInfo(window);
    EXPECT_EQ(info.title, "Mirlow");
    EXPECT_TRUE(info.visible);
    EXPECT_EQ(info.showState, ShowNormal);
    EXPECT_FALSE(info.topmost);
    // The settings panel is made after the window is shown and sizes it.
    ASSERT_NE(gApp.tabPanel, nullptr);
    EXPECT_TRUE(SimGetWindowInfo(gApp.tabPanel).visible);
    int panelWidth = 0, panelHeight = 0;
    PlatformGetClientSize(gApp.tabPanel, &panelWidth, &panelHeight);
    EXPECT_EQ(info.width, panelWidth);
    EXPECT_TRUE(SimMenuItemChecked(window, ID_VIEW_SHOW_TABS));
    EXPECT_EQ(SimAcceleratorLoads(), 1);
    EXPECT_EQ(gRecording.eventCount, 0);
    EXPECT_EQ(gDocument.path[0], '\0');
    EXPECT_TRUE(SimMessageBoxes().empty());

    // Closing the window releases every buffer and ends the loop with 0.
    PlatformPostMessage(window, MsgClose, 0, 0);
    EXPECT_EQ(RunMessageLoop(), ExitSuccess);
    EXPECT_FALSE(SimGetWindowInfo(window).exists);
    EXPECT_EQ(SimLiveBlockCount(), 0);
}

TEST_F(StartupTest, ExitCommandClosesTheProgram) {
    int exitCode = -1;
    ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_FILE_EXIT, 0);
    EXPECT_EQ(RunMessageLoop(), ExitSuccess);
    EXPECT_EQ(SimFindWindow("Mirlow"), nullptr);
}

TEST_F(StartupTest, CommandLineModeLoadsTheFileNeverShowsTheWindowAndEnds) {
    ScratchFolder scratch;
    std::string path = scratch.Write("daily run.mrx", "message=WM_MOUSEMOVE paramH=2 paramL=1\r\n"
                                                      "TYPE hello\r\n");
    std::string tail = "\"" + path + "\" ignored";
    int exitCode = -1;
    ASSERT_TRUE(StartMirlow(tail.c_str(), ShowNormal, &exitCode));
    EXPECT_TRUE(gApp.commandLineMode);
    EXPECT_EQ(gDocument.path, path);
    EXPECT_EQ(gRecording.eventCount, 2);
    EXPECT_EQ(gRecording.commandCount, 1);
    WindowHandle window = gApp.mainWindow;
    SimWindowInfo info = SimGetWindowInfo(window);
    EXPECT_FALSE(info.visible);
    EXPECT_EQ(info.showState, -1);
    EXPECT_EQ(info.title, "Mirlow"); // the creation title; never retitled
    EXPECT_EQ(info.width, PlatformSystemMetric(MetricMinWindowWidth));

    gRecording.events[0] = EventRecord{MsgKeyDown, 'A', 0, 1000, 0};
    gRecording.eventCount = 1;
    EXPECT_EQ(RunMessageLoop(), ExitSuccess);
    EXPECT_FALSE(SimGetWindowInfo(window).visible);
    EXPECT_FALSE(SimGetWindowInfo(window).exists);
    EXPECT_EQ(SimLiveBlockCount(), 0);
    EXPECT_TRUE(SimMessageBoxes().empty());
}

TEST_F(StartupTest, CommandLineFileThatFailsToLoadEndsTheRunAfterItsMessage) {
    ScratchFolder scratch;
    const struct {
        std::string path;
        const char* text;
    } cases[] = {
        {scratch.Path("missing.mrx"), "Unable to open file %s!"},
        {scratch.Write("bad.mrx", "message=WM_KEYUP paramL=1\r\n"),
         "Improperly formatted EVENT command (missing paramH)"},
    };
    for (const auto& c : cases) {
        SimReset();
        // A stored BoxWait: boxes of a command-line run close themselves.
        WriteSettingValue("SOFTWARE\\Mirlow\\BoxWait", KindNumber, nullptr, 7);
        EXPECT_EQ(RunMirlow(c.path.c_str(), ShowNormal), ExitLoadFailed);
        ASSERT_EQ(SimMessageBoxes().size(), 1u) << c.path;
        char text[600];
        snprintf(text, sizeof text, c.text, c.path.c_str());
        EXPECT_EQ(SimMessageBoxes()[0].text, text);
        EXPECT_EQ(SimMessageBoxes()[0].waitMilliseconds, 7000);
        EXPECT_EQ(SimFindWindow("Mirlow"), nullptr);
        EXPECT_EQ(SimLiveBlockCount(), 0);
    }
    // The interactive program's boxes wait for their answer whatever it says.
    int exitCode;
    ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    ShowMessageBox("Wait?", "Interactive", BoxOk);
    EXPECT_EQ(SimMessageBoxes().back().waitMilliseconds, 0);
}

TEST_F(StartupTest, OverlongCommandLinePathIsRefused) {
    std::string tail(MaxPathLength + 5, 'b');
    EXPECT_EQ(RunMirlow(tail.c_str(), ShowNormal), ExitLoadFailed);
    EXPECT_EQ(SimFindWindow("Mirlow"), nullptr);
}

// A stand-in for the settings panel: it notes the notifications it gets.
std::vector<int> panelNotifications;
std::vector<uint32_t> targetMessages;

intptr_t PanelProc(WindowHandle, uint32_t message, uintptr_t, intptr_t lParam) {
    if (message == MsgNotify)
        panelNotifications.push_back((int)lParam);
    return 0;
}

intptr_t TargetProc(WindowHandle, uint32_t message, uintptr_t, intptr_t) {
    targetMessages.push_back(message);
    return 0;
}

class MessageLoopTest : public StartupTest {
  protected:
    WindowHandle tabs = nullptr;
    WindowHandle target = nullptr;

    void SetUp() override {
        StartupTest::SetUp();
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        gApp.tabPanel = SimCreateChild(gApp.mainWindow, "#32770", IDD_TAB_PANEL, PanelProc);
        tabs = SimCreateChild(gApp.tabPanel, "SysTabControl32", IDC_PANEL_TABS, nullptr);
        target = SimCreateChild(gApp.tabPanel, "Button", 1013, TargetProc);
        panelNotifications.clear();
        targetMessages.clear();
    }

    void PressKey(int key) {
        PlatformMessage message = {target, MsgKeyDown, (uintptr_t)key, 0, 0, 0, 0};
        HandleLoopMessage(&message);
    }
};

TEST_F(MessageLoopTest, CtrlPageKeysCycleThroughTheThreeTabs) {
    SimSetKeyDown(KeyControl, true);
    const int expectedAfterPageDown[] = {1, 2, 0};
    for (int expected : expectedAfterPageDown) {
        PressKey(KeyPageDown);
        EXPECT_EQ(PlatformGetTabSelection(tabs), expected);
    }
    PressKey(KeyPageUp);
    EXPECT_EQ(PlatformGetTabSelection(tabs), 2);
    PressKey(KeyPageUp);
    EXPECT_EQ(PlatformGetTabSelection(tabs), 1);

    EXPECT_EQ(panelNotifications, std::vector<int>(5, TabSelectionChanged));
    EXPECT_TRUE(targetMessages.empty()); // the keys were consumed
}

TEST_F(MessageLoopTest, PageKeysAreOrdinaryWithoutCtrlOrWhileAHookRuns) {
    PressKey(KeyPageDown);
    EXPECT_EQ(PlatformGetTabSelection(tabs), 0);

    SimSetKeyDown(KeyControl, true);
    gJournal.hook = (HookHandle)0x1234;
    PressKey(KeyPageDown);
    EXPECT_EQ(PlatformGetTabSelection(tabs), 0);
    gJournal.hook = nullptr;

    PressKey('A'); // Ctrl+A is not a tab key
    EXPECT_TRUE(panelNotifications.empty());
    EXPECT_EQ(targetMessages, std::vector<uint32_t>(3, MsgKeyDown));
}

TEST_F(MessageLoopTest, JournalCancelNoticeWithoutAHookChangesNothing) {
    int queued = SimMessageQueueLength();
    PlatformMessage notice = {nullptr, MsgCancelJournal, 0, 0, 0, 0, 0};
    HandleLoopMessage(&notice);
    EXPECT_EQ(SimRemovedHooks(), 0);
    EXPECT_EQ(SimMessageQueueLength(), queued);
    EXPECT_EQ(gJournal.hook, nullptr);
}

// The Stop Recording command is posted before the interruption warning,
// whose modal loop dispatches it while the box is open.
TEST_F(MessageLoopTest, JournalCancelNoticeWithAHookReleasesItAndStopsRecording) {
    static int queuedAtBox;
    SimSetMessageBoxObserver([](const SimMessageBox*) { queuedAtBox = SimMessageQueueLength(); });
    for (int warning : {0, 1}) {
        gSettings.interruptWarning = warning;
        queuedAtBox = -1;
        gJournal.hook = (HookHandle)0x1234;
        PlatformMessage notice = {nullptr, MsgCancelJournal, 0, 0, 0, 0, 0};
        HandleLoopMessage(&notice);
        EXPECT_EQ(gJournal.hook, nullptr);
        EXPECT_EQ(SimRemovedHooks(), warning + 1);
        if (warning != 0) {
            EXPECT_EQ(queuedAtBox, 1);
            EXPECT_EQ(SimMessageQueueLength(), 0);
            continue;
        }
        PlatformMessage posted;
        ASSERT_EQ(PlatformGetMessage(&posted), 1);
        EXPECT_EQ(posted.window, gApp.mainWindow);
        EXPECT_EQ(posted.message, (uint32_t)MsgCommand);
        EXPECT_EQ(posted.wParam, (uintptr_t)ID_RECORDER_STOP);
    }
}

TEST(RandomNumbers, FollowTheClassicFifteenBitFormula) {
    SeedRandom(1);
    const int expected[] = {16838, 5758, 10113, 17515, 31051};
    for (int value : expected)
        EXPECT_EQ(NextRandom(), value);
}

} // namespace
