// What the headless program reads from files it is handed: pipes, devices
// and oversized files are refused without waiting or filling memory, key
// paths of thousands of parts and keys of thousands of values cost their
// size, and desktop descriptions stay within the ranges the system keeps.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <sys/stat.h>

#include "platform/sim/sim_control.h"
#include "tests/sim_scratch_test.h"

namespace {

using HostileInputTest = SimScratchTest;

TEST_F(HostileInputTest, OnlyPlainFilesAreReadAndOnlyUpToTheLimit) {
    std::string fifo = folder.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        SimFileRead result;
    } cases[] = {
        {fifo, SimFileNotPlain},
        {"/dev/zero", SimFileNotPlain},
        {folder.Path("sub/x").substr(0, folder.Path("sub/x").size() - 2), SimFileNotPlain},
        {folder.Path("missing"), SimFileMissing},
        {folder.Write("five", "12345"), SimFileTooLarge},
        {folder.Write("four", "1234"), SimFileReadOk},
    };
    for (const auto& c : cases) {
        std::string bytes;
        EXPECT_EQ(SimReadPlainFile(c.path.c_str(), 4, &bytes), c.result) << c.path;
        EXPECT_EQ(bytes, c.result == SimFileReadOk ? "1234" : "") << c.path;
    }
    EXPECT_EQ(SimImportRegistryFile("/dev/zero"), SimRegistryFileNotPlain);
    for (const char* path : {fifo.c_str(), "/dev/null"}) {
        EXPECT_EQ(PlatformOpenForAppend(path), nullptr) << path;
        EXPECT_EQ(SimCreatePlainFile(path), nullptr) << path;
    }
    // Only the pipe: a fault here must not cost the machine its /dev/null.
    EXPECT_FALSE(PlatformDeletePlainFile(fifo.c_str()));
    EXPECT_TRUE(PlatformDeletePlainFile(folder.Write("plain", "x").c_str()));
}

TEST_F(HostileInputTest, DeepKeysAndCrowdedKeysCostTheirSize) {
    std::string deep = "Deep";
    for (int i = 0; i < 20000; i++)
        deep += "\\k" + std::to_string(i % 10);
    std::string values;
    for (int i = 0; i < 20000; i++)
        values += "\"v" + std::to_string(i) + "\"=dword:00000001\r\n";
    std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Crowded]\r\n" + values + "\r\n" +
                       "[HKEY_LOCAL_MACHINE\\" + deep + "]\r\n\"x\"=\"y\"\r\n\r\n";
    ASSERT_TRUE(SimImportRegistryText(text));
    EXPECT_TRUE(SimRegistryKeyExists(HiveLocalMachine, "deep\\k0\\k1"));
    EXPECT_EQ(SimGetRegistryValue(HiveLocalMachine, deep.c_str(), "X").text(), "y");
    // Compared whole, not shown: a megabyte apart would swamp the report.
    EXPECT_TRUE(SimExportRegistryText() == text) << "keys and values keep their order";
}

TEST_F(HostileInputTest, ParentsOutliveTheKeysBelowThemAndKeepTheirSpelling) {
    ASSERT_TRUE(
        SimImportRegistryText("REGEDIT4\r\n[HKEY_USERS\\Top\\Mid\\Leaf]\r\n"
                              "[HKEY_USERS\\Top\\Other]\r\n[-HKEY_USERS\\Top\\Mid\\Leaf]\r\n"));
    EXPECT_TRUE(PlatformDeleteRegistryKey(HiveUsers, "TOP\\OTHER"));
    RegistryKeyHandle key = PlatformOpenRegistryKey(HiveUsers, "top", true);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(PlatformSetRegistryValue(key, "n", RegistryTypeText, "", 1));
    PlatformCloseRegistryKey(key);
    EXPECT_EQ(SimExportRegistryText(), "REGEDIT4\r\n\r\n[HKEY_USERS\\Top]\r\n\"n\"=\"\"\r\n\r\n"
                                       "[HKEY_USERS\\Top\\Mid]\r\n\r\n");
}

TEST_F(HostileInputTest, DesktopDescriptionsStayWithinTheSystemsRanges) {
    const struct {
        const char* line;
        bool accepted;
    } cases[] = {
        {"localtime 2026-12-07 09:05:07.042", true},
        {"localtime 30827-12-31 23:59:59.999", true},
        {"localtime 30828-01-01 00:00:00", false},
        {"localtime 99999999999-01-01 00:00:00", false},
        {"localtime 2000-13-01 00:00:00", false},
        {"localtime 2000-01-01 24:00:00", false},
        {"localtime 2000-01-01 00:00:00.1000", false},
        {"window \"Edge\" 2147483647 -2147483648 640 480", true},
        {"window \"Flat\" 0 0 -1 10", false},
        {"window \"Far\" 99999999999 0 1 1", false},
    };
    for (const auto& c : cases) {
        SimReset();
        std::string error;
        std::string path = folder.Write("desktop.txt", std::string(c.line) + "\n");
        EXPECT_EQ(SimLoadDesktop(path.c_str(), &error), c.accepted) << c.line << ": " << error;
    }
    std::string error;
    ASSERT_TRUE(SimLoadDesktop(folder.Write("edge.txt", cases[7].line).c_str(), &error));
    ScreenRect rect;
    ASSERT_TRUE(PlatformGetWindowRect(PlatformFindGotoWindow("Edge"), &rect));
    EXPECT_EQ(rect.right, INT32_MAX);
    EXPECT_EQ(rect.bottom, INT32_MIN + 480);
}

} // namespace
