// The simulated registry: its .reg files (both encodings, both headers)
// and the refusals of a read-only hive.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/sim_control.h"

namespace {

class SimRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
    }
    void TearDown() override {
        SimReset();
    }
};

std::string Utf16(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> bytes;
    for (int b : list)
        bytes.push_back((uint8_t)b);
    return bytes;
}

// What the registry editor exports: CR LF lines, escapes in strings, a
// default value, a wrapped hex list and REG_EXPAND_SZ as UTF-16 bytes.
const char* const Version5Body =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n"
    "\"Speed\"=dword:00000003\r\n"
    "\"Left\"=dword:ffffff9c\r\n"
    "\"Editor\"=\"C:\\\\Tools\\\\ed \\\"x\\\".exe\"\r\n"
    "\"Logfile\"=hex(2):25,00,54,00,4d,00,50,00,25,00,5c,00,6d,00,2e,00,6c,00,\\\r\n"
    "  6f,00,67,00,00,00\r\n"
    "@=\"default\"\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\Applications\\mirlow.exe\\shell]\r\n"
    "\"FriendlyCacheCTime\"=hex:80,8e,69,9d,c0,01\r\n";

void ExpectVersion5Values() {
    SimRegistryValue speed = SimGetRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow", "Speed");
    EXPECT_EQ(speed.type, RegistryTypeNumber);
    EXPECT_EQ(speed.data, Bytes({3, 0, 0, 0}));
    EXPECT_EQ(SimGetRegistryValue(HiveLocalMachine, "software\\mirlow", "LEFT").data,
              Bytes({0x9c, 0xff, 0xff, 0xff}));
    SimRegistryValue editor = SimGetRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow", "Editor");
    EXPECT_EQ(editor.type, RegistryTypeText);
    EXPECT_EQ(editor.text(), "C:\\Tools\\ed \"x\".exe");
    SimRegistryValue logfile = SimGetRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow", "Logfile");
    EXPECT_EQ(logfile.type, RegistryTypeExpandText);
    EXPECT_EQ(logfile.data.size(), 12u); // "%TMP%\m.log" and its zero, as 8-bit text
    EXPECT_EQ(logfile.text(), "%TMP%\\m.log");
    EXPECT_EQ(SimGetRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow", "").text(), "default");
    SimRegistryValue cache = SimGetRegistryValue(HiveClassesRoot, "Applications\\mirlow.exe\\shell",
                                                 "FriendlyCacheCTime");
    EXPECT_EQ(cache.type, RegistryTypeBinary);
    EXPECT_EQ(cache.data, Bytes({0x80, 0x8e, 0x69, 0x9d, 0xc0, 0x01}));
}

TEST_F(SimRegistryTest, ReadsVersion5FilesInUtf16AndIn8BitText) {
    const std::string forms[] = {Utf16(Version5Body), Version5Body,
                                 std::string("\xEF\xBB\xBF") + Version5Body};
    for (const std::string& form : forms) {
        SimResetRegistry();
        ASSERT_TRUE(SimImportRegistryText(form));
        ExpectVersion5Values();
    }
}

TEST_F(SimRegistryTest, ReadsRegedit4FilesWithEightBitExpandText) {
    ASSERT_TRUE(SimImportRegistryText("REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Mirlow]\n"
                                      "\"Logfile\"=hex(2):25,41,25,00\n\"Log\"=dword:7\n"));
    SimRegistryValue logfile = SimGetRegistryValue(HiveCurrentUser, "SOFTWARE\\Mirlow", "Logfile");
    EXPECT_EQ(logfile.type, RegistryTypeExpandText);
    EXPECT_EQ(logfile.text(), "%A%");
    EXPECT_EQ(SimGetRegistryValue(HiveCurrentUser, "SOFTWARE\\Mirlow", "Log").data,
              Bytes({7, 0, 0, 0}));
}

TEST_F(SimRegistryTest, RefusesTextWithoutARegistryHeader) {
    const char* const texts[] = {"", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n\"Speed\"=dword:1",
                                 "Windows Registry Editor Version 4.00\r\n"};
    for (const char* text : texts) {
        EXPECT_FALSE(SimImportRegistryText(text)) << text;
        EXPECT_FALSE(SimRegistryKeyExists(HiveLocalMachine, "SOFTWARE\\Mirlow"));
    }
}

TEST_F(SimRegistryTest, ImportRemovesKeysAndValuesMarkedWithAMinus) {
    ASSERT_TRUE(SimImportRegistryText(Version5Body));
    ASSERT_TRUE(SimImportRegistryText("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n"
                                      "\"Speed\"=-\r\n[-HKEY_CLASSES_ROOT\\Applications]\r\n"));
    EXPECT_FALSE(SimGetRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow", "Speed").exists);
    EXPECT_TRUE(SimGetRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow", "Left").exists);
    EXPECT_FALSE(SimRegistryKeyExists(HiveClassesRoot, "Applications\\mirlow.exe"));
}

TEST_F(SimRegistryTest, AFreshRegistryIsSavedAsTheEditorExports) {
    PlatformCloseRegistryKey(PlatformCreateRegistryKey(HiveLocalMachine, "SOFTWARE\\Mirlow"));
    EXPECT_EQ(SimExportRegistryText(), Utf16("Windows Registry Editor Version 5.00\r\n\r\n"
                                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n\r\n"));
}

struct FormCase {
    std::string body;     // imported first
    const char* lastForm; // then imported alone: the form a save keeps
    bool utf16;
};

// Export and import again keeps every type and byte, in every form.
TEST_F(SimRegistryTest, ExportedFilesImportToTheSameRegistry) {
    const FormCase cases[] = {
        {Utf16(Version5Body), nullptr, true},
        {Version5Body, nullptr, false},
        {Version5Body, "REGEDIT4\r\n", false},
    };
    std::vector<uint8_t> longBinary;
    for (int i = 0; i < 100; i++)
        longBinary.push_back((uint8_t)(i * 7));
    for (const FormCase& c : cases) {
        SimResetRegistry();
        ASSERT_TRUE(SimImportRegistryText(c.body));
        if (c.lastForm != nullptr) {
            ASSERT_TRUE(SimImportRegistryText(c.lastForm));
        }
        RegistryKeyHandle key = PlatformCreateRegistryKey(HiveCurrentUser, "Software\\Test");
        ASSERT_NE(key, nullptr);
        PlatformSetRegistryValue(key, "long", RegistryTypeBinary, longBinary.data(), 100);
        PlatformSetRegistryValue(key, "two lines", RegistryTypeText, "a\r\nb", 5);
        PlatformCloseRegistryKey(key);
        PlatformCloseRegistryKey(PlatformCreateRegistryKey(HiveUsers, "Empty\\Leaf"));

        std::string exported = SimExportRegistryText();
        EXPECT_EQ(exported.compare(0, 2, "\xFF\xFE") == 0, c.utf16);
        SimResetRegistry();
        ASSERT_TRUE(SimImportRegistryText(exported));
        ExpectVersion5Values();
        EXPECT_EQ(SimGetRegistryValue(HiveCurrentUser, "Software\\Test", "long").data, longBinary);
        EXPECT_EQ(SimGetRegistryValue(HiveCurrentUser, "Software\\Test", "two lines").text(),
                  "a\r\nb");
        EXPECT_TRUE(SimRegistryKeyExists(HiveUsers, "Empty\\Leaf"));
        EXPECT_EQ(SimExportRegistryText(), exported);
    }
}

TEST_F(SimRegistryTest, FilesAreSavedWholeAndMissingOnesReported) {
    std::string path = testing::TempDir() + "mirlow_sim_registry.reg";
    remove(path.c_str());
    EXPECT_EQ(SimImportRegistryFile(path.c_str()), SimRegistryFileMissing);
    ASSERT_TRUE(SimImportRegistryText(Version5Body));
    ASSERT_TRUE(SimSaveRegistryFile(path.c_str()));
    SimResetRegistry();
    EXPECT_EQ(SimImportRegistryFile(path.c_str()), SimRegistryFileLoaded);
    ExpectVersion5Values();
    remove(path.c_str());
}

} // namespace
