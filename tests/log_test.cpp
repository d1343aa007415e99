// The diagnostic log: line framing, cut lines, levels, unwritable paths,
// and the shell's own lines at the level they belong to.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "record/record.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {

class LogTest : public ::testing::Test {
  protected:
    std::string path = testing::TempDir() + "mirlow_log_test.log";

    void SetUp() override {
        SimReset();
        WindowPosition position;
        LoadSettings(&position);
        ConnectLog(&gSettings.log, gSettings.logfile, gDocument.path);
        UseLog(path);
        remove(path.c_str());
    }
    void TearDown() override {
        remove(path.c_str());
        SimReset();
    }

    static void UseLog(const std::string& file) {
        ASSERT_LT(file.size(), (size_t)SettingTextSize);
        snprintf(gSettings.logfile, sizeof gSettings.logfile, "%s", file.c_str());
    }

    static bool Exists(const std::string& file) {
        FILE* f = fopen(file.c_str(), "rb");
        if (f != nullptr)
            fclose(f);
        return f != nullptr;
    }

    std::string Contents() const {
        return Read(path);
    }
    static std::string Read(const std::string& file) {
        std::string text;
        FILE* f = fopen(file.c_str(), "rb");
        if (f == nullptr)
            return "<no file>";
        char chunk[512];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
            text.append(chunk, got);
        fclose(f);
        return text;
    }
};

TEST_F(LogTest, EveryLineEndsInCarriageReturnLineFeedAndIsAppended) {
    WriteLogLine("\r\nStarting recording....");
    WriteLogLine("Start Recording time: 5 ticks");
    WriteLogLine("END RECORDING\r\n");
    WriteLogLine("");
    EXPECT_EQ(Contents(), "\r\nStarting recording....\r\n"
                          "Start Recording time: 5 ticks\r\n"
                          "END RECORDING\r\n\r\n"
                          "\r\n");
}

TEST_F(LogTest, LongLinesAreCutToTheLineBuffer) {
    gSettings.log = LogLow;
    const std::string kept(LogLineSize - 1, 'x');
    WriteLogLine((kept + "overflow").c_str());
    std::string command(1023, 'c');
    LogPrintf(LogLow, "TYPE: %s (%d)", command.c_str(), 42);
    LogPrintf(LogLow, "Start Recording time: %li ticks", 123456789L);
    std::string expected = kept + "\r\n" + ("TYPE: " + command).substr(0, LogLineSize - 1) +
                           "\r\n" + "Start Recording time: 123456789 ticks\r\n";
    EXPECT_EQ(Contents(), expected);
}

// A log file that cannot be opened (a standard user and C:\Mirlow.log)
// hands its lines to Mirlow/Mirlow.log in the user's local application
// data folder, which says why first; without such a folder they are
// skipped without a word. The setting stays as stored, Edit Log File
// opens the file in use, and the start-up erase clears it too.
TEST_F(LogTest, AFileThatCantBeOpenedFallsBackOnTheUsersOwnFolder) {
    const std::string missingFolder = testing::TempDir() + "mirlow-no-such-folder/sub/x.log";
    const std::string appData = testing::TempDir() + "mirlow-local-app-data";
    const std::string fallback = appData + "/Mirlow/Mirlow.log";
    const std::string why =
        "The log file '" + missingFolder + "' cannot be written: this file takes the log\r\n";
    for (bool folder : {false, true}) {
        std::filesystem::remove_all(appData);
        std::filesystem::create_directories(appData);
        remove(path.c_str());
        SimSetLocalAppDataFolder(folder ? appData.c_str() : nullptr);
        ConnectLog(&gSettings.log, gSettings.logfile, gDocument.path);
        UseLog(missingFolder);
        char inUse[MaxPathLength + 1];
        LogFileInUse(inUse, sizeof inUse);
        EXPECT_EQ(inUse, missingFolder); // nothing written yet
        gSettings.log = LogLow;
        WriteLogLine("first");
        LogPrintf(LogLow, "%s", "second");
        EXPECT_FALSE(Exists(missingFolder));
        EXPECT_EQ(Read(fallback), folder ? why + "first\r\nsecond\r\n" : "<no file>");
        EXPECT_EQ(gSettings.logfile, missingFolder);
        LogFileInUse(inUse, sizeof inUse);
        EXPECT_EQ(inUse, folder ? fallback : missingFolder);

        UseLog(path); // a file that can be written takes the lines again
        WriteLogLine("third");
        EXPECT_EQ(Contents(), "third\r\n");
        LogFileInUse(inUse, sizeof inUse);
        EXPECT_EQ(inUse, path);

        UseLog(missingFolder); // a new run finds the lines of the last one
        ConnectLog(&gSettings.log, gSettings.logfile, gDocument.path);
        LogFileInUse(inUse, sizeof inUse);
        EXPECT_EQ(inUse, folder ? fallback : missingFolder);
        EraseLogFile(nullptr);
        EXPECT_FALSE(Exists(fallback));
    }
    UseLog("");
    WriteLogLine("nowhere");
    EXPECT_TRUE(SimMessageBoxes().empty());
    std::filesystem::remove_all(appData);
}

// The cancellation line is LOW: absent at OFF (no file at all), present
// from LOW up, whether the system or the user's close ended the hook.
TEST_F(LogTest, CancellationIsLoggedAtLowAndAboveOnly) {
    for (int32_t level : {0, 1, 7}) {
        remove(path.c_str());
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        UseLog(path);
        gSettings.log = level;
        gJournal.hook = (HookHandle)0x1234;
        CancelJournal();
        gJournal.hook = (HookHandle)0x5678;
        PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_FILE_EXIT, 0);
        EXPECT_EQ(RunMessageLoop(), ExitSuccess);
        std::string expected = "CANCELLED RECORDING\r\n\r\nCANCELLED RECORDING\r\n\r\n";
        EXPECT_EQ(Contents(), level == 0 ? "<no file>" : expected) << "level " << level;
        SimReset();
    }
}

} // namespace
