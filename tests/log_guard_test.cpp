// The log never costs the user a recording: when Logfile names the
// recording in use, nothing erases it or writes into it, and the log goes
// to the same path with ".log" added, saying why.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "settings/settings.h"
#include "tests/sim_scratch_test.h"

namespace {

const char* const Recording = "message=WM_KEYDOWN paramH=0 paramL=65\r\n";
const char* const Note = "The log file '";

class LogGuardTest : public SimScratchTest {
  protected:
    // The stored settings of the next start.
    static void Store(const std::string& values) {
        ASSERT_TRUE(SimImportRegistryText("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n" +
                                          values));
    }
    static std::string Text(const std::string& name, const std::string& value) {
        return "\"" + name + "\"=\"" + value + "\"\r\n";
    }
};

TEST_F(LogGuardTest, ACommandLineRunLeavesTheRecordingNamedAsItsLogAlone) {
    std::string path = folder.Write("run.mrx", Recording);
    folder.Write("run.mrx.log", "an old log\r\n");
    Store(Text("Logfile", path) + "\"Log\"=dword:00000002\r\n\"RestartLog\"=dword:00000001\r\n");
    EXPECT_EQ(RunMirlow(path.c_str(), ShowNormal), ExitSuccess);
    EXPECT_EQ(ScratchFolder::Read(path), Recording);
    std::string log = ScratchFolder::Read(path + ".log");
    EXPECT_EQ(log.find(Note + path + "' is the recording in use"), 0u) << log;
    EXPECT_NE(log.find("Playback Complete!"), std::string::npos);
    EXPECT_EQ(log.find("an old log"), std::string::npos) << "the erase clears the log it moved";
}

TEST_F(LogGuardTest, AFailedLoadDoesNotLogIntoTheFileItRead) {
    int exitCode;
    ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    std::string path = folder.Write("bad.mrx", "BOGUS command\r\n");
    snprintf(gSettings.logfile, sizeof gSettings.logfile, "%s", path.c_str());
    gSettings.log = LogLow;
    EXPECT_EQ(LoadRecording(path.c_str(), true), -1);
    EXPECT_EQ(ScratchFolder::Read(path), "BOGUS command\r\n");
    EXPECT_NE(ScratchFolder::Read(path + ".log").find("ERROR: Unknown or incorrectly formatted"),
              std::string::npos);
}

TEST_F(LogGuardTest, TheStartUpEraseSparesTheFileThatReloadReopens) {
    std::string path = folder.Write("daily.mrx", Recording);
    Store(Text("Logfile", path) + Text("File1", path) +
          "\"Reload\"=dword:00000001\r\n\"RestartLog\"=dword:00000001\r\n");
    int exitCode;
    ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    EXPECT_EQ(ScratchFolder::Read(path), Recording);
}

} // namespace
