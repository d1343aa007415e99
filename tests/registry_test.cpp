// The four registry operations: paths, kinds, the hex rules, reading with
// fallbacks and deleting with the key fallback, on the simulated registry.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/sim_control.h"
#include "settings/registry.h"

namespace {

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
    }
    void TearDown() override {
        EXPECT_EQ(SimOpenRegistryKeyCount(), 0); // no operation leaves a key open
        SimReset();
    }
};

struct SplitCase {
    std::string path;
    bool accepted;
    std::string key;
    std::string name;
};

TEST(RegistryPath, SplitsAtTheLastBackslash) {
    const std::string longest = std::string(250, 'k') + "\\name";
    const SplitCase cases[] = {
        {"SOFTWARE\\Mirlow\\Speed", true, "SOFTWARE\\Mirlow", "Speed"},
        {"Applications\\mirlow.exe\\DefaultIcon\\", true, "Applications\\mirlow.exe\\DefaultIcon",
         ""},
        {"Speed", true, "", "Speed"},
        {longest, true, std::string(250, 'k'), "name"},
        {longest + "x", false, "", ""},
    };
    for (const SplitCase& c : cases) {
        char key[RegistryPathSize], name[RegistryPathSize];
        EXPECT_EQ(SplitRegistryPath(c.path.c_str(), key, name), c.accepted) << c.path;
        EXPECT_EQ(key, c.key);
        EXPECT_EQ(name, c.name);
    }
}

struct HexCase {
    std::string text;
    std::vector<uint8_t> bytes;
};

TEST(RegistryHex, ReadsPairsInThreeCharacterSteps) {
    const HexCase cases[] = {
        {"80,8e,69,9d,c0,01", {0x80, 0x8E, 0x69, 0x9D, 0xC0, 0x01}},
        {"0A-ff Bc;", {0x0A, 0xFF, 0xBC}},
        {"7F", {0x7F}},                             // ends right after a pair
        {"7F,8", {0x7F}},                           // a lone digit is no byte
        {"808e699dc001", {0x80, 0xE6, 0x9D, 0x00}}, // without separators every third digit is lost
        {"12,G4,56", {0x12}},                       // reading stops at a pair that isn't hex
        {"", {}},
        {std::string(300 * 3, 'f'), std::vector<uint8_t>(MaxBinaryValueBytes, 0xFF)}, // the limit
    };
    for (const HexCase& c : cases) {
        uint8_t bytes[MaxBinaryValueBytes];
        int count = HexTextToBytes(c.text.c_str(), bytes, MaxBinaryValueBytes);
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + count), c.bytes) << c.text;
    }
}

TEST_F(RegistryTest, EachValueGoesUnderTheHiveItNames) {
    const RegistryHive hives[] = {HiveClassesRoot, HiveCurrentUser, HiveLocalMachine, HiveUsers};
    for (RegistryHive hive : hives) {
        SimResetRegistry();
        ASSERT_TRUE(WriteRegistryValue(hive, "K\\V", KindNumber, nullptr, 5));
        for (RegistryHive other : hives)
            EXPECT_EQ(SimGetRegistryValue(other, "K", "V").exists, other == hive) << hive << other;
    }
}

struct KindCase {
    int kind;
    const char* text;
    int32_t number;
    uint32_t type;
    std::vector<uint8_t> data;
};

TEST_F(RegistryTest, EachKindIsStoredWithItsType) {
    const KindCase cases[] = {
        {KindNumber, nullptr, -2, RegistryTypeNumber, {0xFE, 0xFF, 0xFF, 0xFF}},
        {KindNumber, "ignored", 0x01020304, RegistryTypeNumber, {4, 3, 2, 1}},
        {KindText, "C:\\a.log", 0, RegistryTypeText, {'C', ':', '\\', 'a', '.', 'l', 'o', 'g', 0}},
        {KindText, "%TEMP%", 0, RegistryTypeExpandText, {'%', 'T', 'E', 'M', 'P', '%', 0}},
        {KindText, "", 0, RegistryTypeText, {0}},
        {7, "50%", 0, RegistryTypeExpandText, {'5', '0', '%', 0}}, // any other kind is text
        {KindBinary, "01,02", 0, RegistryTypeBinary, {1, 2}},
    };
    for (const KindCase& c : cases) {
        ASSERT_TRUE(
            WriteRegistryValue(HiveCurrentUser, "Software\\Kinds\\V", c.kind, c.text, c.number));
        SimRegistryValue stored = SimGetRegistryValue(HiveCurrentUser, "Software\\Kinds", "V");
        EXPECT_EQ(stored.type, c.type) << c.kind << " " << (c.text ? c.text : "");
        EXPECT_EQ(stored.data, c.data);
    }
}

TEST_F(RegistryTest, NoTextOnlyMakesTheKeyAndABackslashNamesTheDefaultValue) {
    EXPECT_TRUE(
        WriteRegistryValue(HiveClassesRoot, "Applications\\m.exe\\shell\\", KindText, nullptr, 0));
    EXPECT_TRUE(SimRegistryKeyExists(HiveClassesRoot, "Applications\\m.exe\\shell"));
    EXPECT_FALSE(SimGetRegistryValue(HiveClassesRoot, "Applications\\m.exe\\shell", "").exists);

    EXPECT_TRUE(WriteRegistryValue(HiveClassesRoot, "Applications\\m.exe\\DefaultIcon\\", KindText,
                                   "C:\\m.exe,1", 0));
    EXPECT_EQ(SimGetRegistryValue(HiveClassesRoot, "Applications\\m.exe\\DefaultIcon", "").text(),
              "C:\\m.exe,1");
}

// Values stored by hand, read back by kind.
const char* const StoredValues = "Windows Registry Editor Version 5.00\r\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n"
                                 "\"Number\"=dword:0000002a\r\n"
                                 "\"LongText\"=\"12345\"\r\n"
                                 "\"ShortText\"=\"1\"\r\n"
                                 "\"Empty\"=hex:\r\n"
                                 "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                                 "\"Unterminated\"=hex(1):61,00,62,00\r\n";

struct ReadCase {
    const char* name;
    int kind;
    int bufferSize;
    int32_t result; // with fallback -1
    const char* text;
};

TEST_F(RegistryTest, ReadsByKindWithFallbacks) {
    ASSERT_TRUE(SimImportRegistryText(StoredValues));
    // Any path the program stores reads back; a value past the read limit
    // does not, whatever the buffer.
    const std::string full(RegistryTextSize - 1, 'x');
    const std::string tooLong(RegistryTextSize, 'x');
    WriteRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow\\Full", KindText, full.c_str(), 0);
    WriteRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow\\TooLong", KindText, tooLong.c_str(), 0);
    const ReadCase cases[] = {
        {"Number", KindNumber, 0, 42, ""},
        {"Number", KindBinary, 0, 42, ""},
        {"LongText", KindNumber, 0, -1, ""}, // more than 4 bytes: not a number
        {"ShortText", KindNumber, 0, '1', ""},
        {"Empty", KindNumber, 0, 0, ""},
        {"Missing", KindNumber, 0, -1, ""},
        {"Expand", KindText, 130, 0, "%A%"}, // never expanded
        {"Unterminated", KindText, 130, 0, "ab"},
        {"Number", KindText, 130, -1, ""}, // a number is not text
        {"LongText", KindText, 6, 0, "12345"},
        {"LongText", KindText, 5, -1, ""}, // does not fit the buffer
        {"Full", KindText, RegistryTextSize, 0, full.c_str()},
        {"Full", KindText, RegistryTextSize - 1, -1, ""},
        {"TooLong", KindText, RegistryTextSize + 1, -1, ""},
    };
    for (const ReadCase& c : cases) {
        char buffer[RegistryTextSize + 1];
        memset(buffer, 'z', sizeof buffer);
        std::string path = std::string("SOFTWARE\\Mirlow\\") + c.name;
        int32_t got = ReadRegistryValue(HiveLocalMachine, path.c_str(), c.kind,
                                        c.kind == KindText ? buffer : nullptr, c.bufferSize, -1);
        EXPECT_EQ(got, c.result) << c.name << " kind " << c.kind << " size " << c.bufferSize;
        if (c.kind == KindText) {
            EXPECT_EQ(std::string(buffer), c.text) << c.name;
        }
    }
    EXPECT_EQ(
        ReadRegistryValue(HiveLocalMachine, "SOFTWARE\\None\\Number", KindNumber, nullptr, 0, 9),
        9);
}

TEST_F(RegistryTest, DeleteFallsBackToAKeyOfTheSamePath) {
    ASSERT_TRUE(SimImportRegistryText("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n"
                                      "\"File1\"=\"a.mrx\"\r\n"
                                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow\\File2]\r\n"
                                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow\\File3\\Sub]\r\n"));
    DeleteRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow\\File1");
    EXPECT_FALSE(SimGetRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow", "File1").exists);

    DeleteRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow\\File2"); // an empty key of that name
    EXPECT_FALSE(SimRegistryKeyExists(HiveLocalMachine, "SOFTWARE\\Mirlow\\File2"));

    uint32_t revision = SimRegistryRevision();
    DeleteRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow\\File3");  // has a subkey: kept
    DeleteRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow\\File8");  // neither value nor key
    DeleteRegistryValue(HiveLocalMachine, "SOFTWARE\\Missing\\File1"); // no key to open
    EXPECT_EQ(SimRegistryRevision(), revision);
    EXPECT_TRUE(SimRegistryKeyExists(HiveLocalMachine, "SOFTWARE\\Mirlow\\File3\\Sub"));
}

} // namespace
