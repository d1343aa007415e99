// The diagnostic log: line framing, cut lines, levels, unwritable paths,
// and the shell's own lines at the level they belong to.
#include <gtest/gtest.h>

#include <cstdio>
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
        std::string text;
        FILE* f = fopen(path.c_str(), "rb");
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
    const std::string kept(LogLineSize - 1, 'x');
    WriteLogLine((kept + "overflow").c_str());
    std::string command(1023, 'c');
    WriteLogLineFormat("TYPE: %s (%d)", command.c_str(), 42);
    WriteLogLineFormat("Start Recording time: %li ticks", 123456789L);
    std::string expected = kept + "\r\n" + ("TYPE: " + command).substr(0, LogLineSize - 1) +
                           "\r\n" + "Start Recording time: 123456789 ticks\r\n";
    EXPECT_EQ(Contents(), expected);
}

TEST_F(LogTest, AFileThatCantBeOpenedIsSilentlySkipped) {
    std::string missingFolder = testing::TempDir() + "mirlow-no-such-folder/sub/x.log";
    UseLog(missingFolder);
    WriteLogLine("lost");
    WriteLogLineFormat("%s", "lost too");
    EXPECT_FALSE(Exists(missingFolder));
    UseLog("");
    WriteLogLine("nowhere");
    EXPECT_TRUE(SimMessageBoxes().empty());
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
