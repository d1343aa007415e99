// The shell association of ".mrl" and ".mrx": its entries, their types
// and data for awkward program paths, the per-user classes when
// HKEY_CLASSES_ROOT can't be written, and the start-up that writes it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "platform/sim/sim_control.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace {

const char* const FileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

class FileAssociationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
    }
    void TearDown() override {
        EXPECT_EQ(SimOpenRegistryKeyCount(), 0);
        SimReset();
    }
};

struct Entry {
    RegistryHive hive;
    std::string key;
    const char* name;
    uint32_t type;
    std::string text; // for text types
};

std::vector<Entry> ExtensionEntries(const char* extension) {
    std::string key = std::string(FileExts) + "." + extension;
    return {
        {HiveCurrentUser, key, "Application", RegistryTypeText, "mirlow.exe"},
        {HiveCurrentUser, key + "\\OpenWithList", "a", RegistryTypeText, "mirlow.exe"},
        {HiveCurrentUser, key + "\\OpenWithList", "MRUList", RegistryTypeText, "a"},
    };
}

std::vector<Entry> ClassEntries(const std::string& under, const std::string& icon,
                                uint32_t iconType, const std::string& command) {
    std::string app = under + "Applications\\mirlow.exe";
    return {
        {HiveClassesRoot, app + "\\DefaultIcon", "", iconType, icon},
        {HiveClassesRoot, app + "\\shell", "FriendlyCache", RegistryTypeText, "Mirlow"},
        {HiveClassesRoot, app + "\\shell\\open\\command", "", RegistryTypeExpandText, command},
    };
}

void ExpectEntries(const std::vector<Entry>& entries, RegistryHive classesHive) {
    for (const Entry& e : entries) {
        RegistryHive hive = e.hive == HiveClassesRoot ? classesHive : e.hive;
        SimRegistryValue value = SimGetRegistryValue(hive, e.key.c_str(), e.name);
        ASSERT_TRUE(value.exists) << e.key << " " << e.name;
        EXPECT_EQ(value.type, e.type) << e.key << " " << e.name;
        EXPECT_EQ(value.text(), e.text) << e.key << " " << e.name;
    }
}

struct PathCase {
    const char* programPath;
    const char* icon;
    uint32_t iconType;
    const char* command;
};

TEST_F(FileAssociationTest, BothExtensionsGetEveryEntryWithItsType) {
    const PathCase cases[] = {
        {"C:\\Apps\\mirlow.exe", "C:\\Apps\\mirlow.exe,1", RegistryTypeText,
         "C:\\Apps\\mirlow.exe \"%1\""},
        // A blank in the path: quoted in the command, so "C:\Program.exe"
        // can never be started in its place.
        {"C:\\Program Files\\Mirlow\\mirlow.exe", "C:\\Program Files\\Mirlow\\mirlow.exe,1",
         RegistryTypeText, "\"C:\\Program Files\\Mirlow\\mirlow.exe\" \"%1\""},
        {"C:\\100%\\mirlow.exe", "C:\\100%\\mirlow.exe,1", RegistryTypeExpandText,
         "C:\\100%\\mirlow.exe \"%1\""},
    };
    for (const PathCase& c : cases) {
        SimResetRegistry();
        SimSetProgramPath(c.programPath);
        RegisterFileType("mrl", "mirlow.exe", "Mirlow", 2);
        RegisterFileType("mrx", "mirlow.exe", "Mirlow", 2);
        ExpectEntries(ExtensionEntries("mrl"), HiveClassesRoot);
        ExpectEntries(ExtensionEntries("mrx"), HiveClassesRoot);
        ExpectEntries(ClassEntries("", c.icon, c.iconType, c.command), HiveClassesRoot);
        SimRegistryValue cache = SimGetRegistryValue(
            HiveClassesRoot, "Applications\\mirlow.exe\\shell", "FriendlyCacheCTime");
        EXPECT_EQ(cache.type, RegistryTypeBinary);
        EXPECT_EQ(cache.data, (std::vector<uint8_t>{0x80, 0x8E, 0x69, 0x9D, 0xC0, 0x01}));
        EXPECT_TRUE(SimRegistryKeyExists(HiveClassesRoot, "Applications\\mirlow.exe\\shell\\open"));
    }
}

// A standard user can't create keys through HKEY_CLASSES_ROOT; the class
// entries then go to the user's own classes.
TEST_F(FileAssociationTest, ClassEntriesGoPerUserWhenClassesRootIsReadOnly) {
    SimSetRegistryReadOnly(HiveClassesRoot, true);
    SimSetRegistryReadOnly(HiveLocalMachine, true);
    SimSetProgramPath("C:\\Users\\me\\mirlow.exe");
    RegisterFileType("mrx", "mirlow.exe", "Mirlow", 2);
    ExpectEntries(ExtensionEntries("mrx"), HiveCurrentUser);
    ExpectEntries(ClassEntries("Software\\Classes\\", "C:\\Users\\me\\mirlow.exe,1",
                               RegistryTypeText, "C:\\Users\\me\\mirlow.exe \"%1\""),
                  HiveCurrentUser);
    EXPECT_EQ(SimGetRegistryValue(HiveCurrentUser,
                                  "Software\\Classes\\Applications\\mirlow.exe\\shell",
                                  "FriendlyCacheCTime")
                  .type,
              RegistryTypeBinary);
    EXPECT_FALSE(SimRegistryKeyExists(HiveClassesRoot, "Applications"));
}

TEST_F(FileAssociationTest, NothingIsRegisteredWithoutTheWholeProgramPath) {
    const std::string tooLong = "C:\\" + std::string(252, 'd') + "\\m.exe";
    const char* const paths[] = {nullptr, tooLong.c_str()};
    for (const char* path : paths) {
        SimResetRegistry();
        SimSetProgramPath(path);
        RegisterFileType("mrl", "mirlow.exe", "Mirlow", 2);
        EXPECT_TRUE(SimRegistryWrites().empty());
        EXPECT_FALSE(SimRegistryKeyExists(HiveCurrentUser, "Software"));
    }
}

// Every start rewrites the association, in command-line mode too, over
// whatever the user chose since and with the program's current path.
TEST_F(FileAssociationTest, EveryStartRewritesTheAssociation) {
    std::string key = std::string(FileExts) + ".mrl";
    WriteRegistryValue(HiveCurrentUser, (key + "\\Application").c_str(), KindText, "other.exe", 0);
    SimSetProgramPath("D:\\Moved\\mirlow.exe");
    RunMirlow("C:\\a.mrl", ShowNormal); // how the run itself ends does not matter here
    EXPECT_EQ(SimGetRegistryValue(HiveCurrentUser, key.c_str(), "Application").text(),
              "mirlow.exe");
    EXPECT_EQ(
        SimGetRegistryValue(HiveClassesRoot, "Applications\\mirlow.exe\\shell\\open\\command", "")
            .text(),
        "D:\\Moved\\mirlow.exe \"%1\"");
    EXPECT_TRUE(SimGetRegistryValue(HiveCurrentUser, (std::string(FileExts) + ".mrx").c_str(),
                                    "Application")
                    .exists);
}

} // namespace
