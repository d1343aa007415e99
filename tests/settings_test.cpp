// The settings store: every setting through the registry and back, the
// start-up corrections, the exit batch, and the two copies (the machine's
// and the user's) on the simulated registry.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/sim/sim_control.h"
#include "settings/settings.h"
#include "tests/scratch_files.h"

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    WindowPosition position = {0, 0};

    void SetUp() override {
        SimReset();
    }
    void TearDown() override {
        EXPECT_EQ(SimOpenRegistryKeyCount(), 0);
        SimReset();
    }

    static std::string PathOf(const char* name) {
        return std::string("SOFTWARE\\Mirlow\\") + name;
    }
    static void Store(RegistryHive hive, const char* name, int32_t number) {
        ASSERT_TRUE(WriteRegistryValue(hive, PathOf(name).c_str(), KindNumber, nullptr, number));
    }
    static void StoreText(RegistryHive hive, const char* name, const std::string& text) {
        ASSERT_TRUE(WriteRegistryValue(hive, PathOf(name).c_str(), KindText, text.c_str(), 0));
    }
    static int32_t Number(const char* name) {
        return gSettings.*(FindSetting(name)->number);
    }
    static SimRegistryValue Stored(RegistryHive hive, const char* name) {
        return SimGetRegistryValue(hive, "SOFTWARE\\Mirlow", name);
    }
    static int32_t StoredNumber(RegistryHive hive, const char* name) {
        SimRegistryValue value = Stored(hive, name);
        int32_t number = 0;
        if (value.data.size() == 4)
            memcpy(&number, value.data.data(), 4);
        return number;
    }
};

// A value of each row that differs from its default and survives the
// start-up corrections.
int32_t OtherNumber(const SettingDefinition& row) {
    return row.defaultNumber + 1;
}
std::string OtherText(const SettingDefinition& row) {
    return std::string(row.defaultText) + ".%USERNAME%";
}

TEST_F(SettingsTest, EverySettingRoundTripsThroughTheExitBatch) {
    LoadSettings(&position);
    for (int i = 0; i < SettingTableSize; i++) {
        const SettingDefinition& row = SettingTable[i];
        if (row.number != nullptr) {
            EXPECT_EQ(gSettings.*row.number, row.defaultNumber) << row.name;
        }
        if (row.text != nullptr) {
            EXPECT_STREQ(gSettings.*row.text, row.defaultText) << row.name;
        }
    }
    EXPECT_EQ(position.x, DefaultWindowPosition); // Left -99 on a first start
    EXPECT_EQ(position.y, DefaultWindowPosition);
    EXPECT_EQ(ReadLastTab(), 1);

    for (int i = 0; i < SettingTableSize; i++) {
        const SettingDefinition& row = SettingTable[i];
        if (row.number != nullptr)
            gSettings.*row.number = OtherNumber(row);
        if (row.text != nullptr)
            strcpy(gSettings.*row.text, OtherText(row).c_str());
    }
    SaveSettings(100, 80, 3);

    for (int i = 0; i < SettingTableSize; i++) {
        const SettingDefinition& row = SettingTable[i];
        SimRegistryValue stored = Stored(HiveLocalMachine, row.name);
        EXPECT_EQ(stored.exists, row.batchPlace != 0) << row.name;
        uint32_t type = row.kind == KindText ? RegistryTypeExpandText : RegistryTypeNumber;
        EXPECT_EQ(stored.type, stored.exists ? type : 0u) << row.name;
    }

    memset(&gSettings, 0x55, sizeof gSettings);
    LoadSettings(&position);
    for (int i = 0; i < SettingTableSize; i++) {
        const SettingDefinition& row = SettingTable[i];
        int32_t expected = row.batchPlace != 0 ? OtherNumber(row) : row.defaultNumber;
        if (row.number != nullptr) {
            EXPECT_EQ(gSettings.*row.number, expected) << row.name;
        }
        if (row.text != nullptr) { // read back exactly, never expanded
            EXPECT_EQ(gSettings.*row.text, OtherText(row)) << row.name;
        }
    }
    EXPECT_EQ(position.x, 100);
    EXPECT_EQ(position.y, 80);
    EXPECT_EQ(ReadLastTab(), 3);
}

TEST_F(SettingsTest, TheExitBatchKeepsItsOrder) {
    LoadSettings(&position);
    SaveSettings(0, 0, 1);
    // clang-format off
    const char* const order[] = {
        "Left", "Top", "StopKey", "TypeKey", "TypeThis", "ExcludeMirlowAction",
        "PlayImmediately", "QuitWhenDone", "Reload", "Topmost", "Speed", "PromptForSave",
        "Visited", "ShowTabs", "Repeats", "RepeatForever", "Minimize", "FactorFast",
        "FactorSlow", "LastTab", "RandomMin", "RandomMax", "LoopTypeBase", "Log",
        "InterruptWarning", "Logfile", "Editor", "WindowWait", "BoxWait", "RecordHotkey",
        "PlayHotkey"};
    // clang-format on
    std::vector<std::string> expected;
    for (const char* name : order)
        expected.push_back("HKLM\\SOFTWARE\\Mirlow\\" + std::string(name));
    EXPECT_EQ(SimRegistryWrites(), expected);
}

struct CorrectionCase {
    const char* name;
    int32_t stored;
    int32_t loaded;
};

TEST_F(SettingsTest, StartUpCorrectsStoredNumbersAtTheirLimits) {
    const CorrectionCase cases[] = {
        {"Speed", 0, 2},
        {"Speed", 1, 1},
        {"Speed", 4, 4},
        {"Speed", 5, 2},
        {"Repeats", 0, 1},
        {"Repeats", 1, 1},
        {"Repeats", 2000000000, 2000000000},
        {"Repeats", 2000000001, 1},
        {"Repeats", -3, 1},
        {"FactorFast", 0, 1},
        {"FactorFast", -20, 1},
        {"FactorFast", 1, 1},
        {"FactorSlow", 0, 1},
        {"FactorSlow", 9, 9},
        {"Log", 7, 7},
        {"Log", -1, -1}, // the level is not validated
        {"RandomMax", 5, 5},
        {"StopKey", 0x7B, 0x7B},
    };
    for (const CorrectionCase& c : cases) {
        SimResetRegistry();
        Store(HiveLocalMachine, c.name, c.stored);
        LoadSettings(&position);
        EXPECT_EQ(Number(c.name), c.loaded) << c.name << " stored as " << c.stored;
    }
    // A number stored as text longer than 4 bytes can't be read: the default.
    for (const char* name : {"Speed", "Repeats", "FactorFast", "ExcludeMirlowAction"}) {
        SimResetRegistry();
        StoreText(HiveLocalMachine, name, "12345");
        LoadSettings(&position);
        EXPECT_EQ(Number(name), FindSetting(name)->defaultNumber) << name;
    }
}

struct PositionCase {
    int32_t left, top;
    bool used;
};

TEST_F(SettingsTest, ASavedPositionIsUsedOnlyOnTheScreen) {
    const int width = PlatformSystemMetric(MetricFullScreenWidth);
    const int height = PlatformSystemMetric(MetricFullScreenHeight);
    const PositionCase cases[] = {
        {-4, -4, true},    {-5, -4, false},    {-4, -5, false},
        {-5, 0, false},    {-99, 0, false},    {width - 1, height - 1, true},
        {width, 0, false}, {0, height, false}, {-32000, -32000, false},
    };
    for (const PositionCase& c : cases) {
        SimResetRegistry();
        Store(HiveLocalMachine, "Left", c.left);
        Store(HiveLocalMachine, "Top", c.top);
        LoadSettings(&position);
        EXPECT_EQ(position.x, c.used ? c.left : DefaultWindowPosition) << c.left << "," << c.top;
        EXPECT_EQ(position.y, c.used ? c.top : DefaultWindowPosition) << c.left << "," << c.top;
    }
}

struct TextCase {
    std::string stored;
    bool asNumber;
    std::string loaded; // empty: the default
};

TEST_F(SettingsTest, TextsThatCantBeKeptWholeTakeTheirDefaults) {
    const std::string longest(SettingTextSize - 1, 'p');
    const TextCase cases[] = {
        {"", false, ""},
        {longest, false, longest},
        {longest + "q", false, ""}, // never cut: a cut path names another file
        {std::string(300, 'p'), false, ""},
        {"%APPDATA%\\Mirlow\\run.log", false, "%APPDATA%\\Mirlow\\run.log"},
        {"", true, ""},
    };
    const char* const names[] = {"Logfile", "Editor"};
    for (const char* name : names) {
        const SettingDefinition* row = FindSetting(name);
        for (const TextCase& c : cases) {
            SimResetRegistry();
            if (c.asNumber)
                Store(HiveLocalMachine, name, 1);
            else
                StoreText(HiveLocalMachine, name, c.stored);
            LoadSettings(&position);
            std::string expected = c.loaded.empty() ? row->defaultText : c.loaded;
            EXPECT_EQ(gSettings.*row->text, expected) << name << " stored as " << c.stored;
        }
    }
}

// A standard user can't write HKEY_LOCAL_MACHINE: settings persist in the
// user's copy, and machine-wide values still count where the user has none.
TEST_F(SettingsTest, AStandardUserKeepsSettingsInTheirOwnCopy) {
    Store(HiveLocalMachine, "Speed", 3);
    Store(HiveLocalMachine, "Repeats", 7);
    SimSetRegistryReadOnly(HiveLocalMachine, true);

    LoadSettings(&position);
    EXPECT_EQ(gSettings.speed, 3);
    EXPECT_EQ(gSettings.repeats, 7);

    gSettings.speed = 4;
    SaveSettings(10, 20, 2);
    EXPECT_EQ(StoredNumber(HiveLocalMachine, "Speed"), 3);
    EXPECT_FALSE(Stored(HiveLocalMachine, "Left").exists);
    EXPECT_EQ(StoredNumber(HiveCurrentUser, "Speed"), 4);
    EXPECT_EQ(StoredNumber(HiveCurrentUser, "Repeats"), 7);

    LoadSettings(&position);
    EXPECT_EQ(gSettings.speed, 4);
    EXPECT_EQ(position.x, 10);
    EXPECT_EQ(ReadLastTab(), 2);

    gSettings.stopKey = 0x7A;
    EXPECT_TRUE(StoreSettingNow("StopKey"));
    EXPECT_EQ(StoredNumber(HiveCurrentUser, "StopKey"), 0x7A);
}

TEST_F(SettingsTest, TheUsersReadableCopyWinsOnReading) {
    Store(HiveLocalMachine, "Speed", 3);
    Store(HiveCurrentUser, "Speed", 1);
    Store(HiveLocalMachine, "Repeats", 9);
    StoreText(HiveCurrentUser, "Repeats", "not a number");
    LoadSettings(&position);
    EXPECT_EQ(gSettings.speed, 1);
    EXPECT_EQ(gSettings.repeats, 9);
}

// Where the machine's copy can be written, a write lands there and drops
// the user's stale copy, so the value written last is the one read next.
TEST_F(SettingsTest, AWriteToTheMachineCopyDropsTheUsersCopy) {
    Store(HiveCurrentUser, "Speed", 1);
    LoadSettings(&position);
    gSettings.speed = 4;
    SaveSettings(0, 0, 1);
    EXPECT_EQ(StoredNumber(HiveLocalMachine, "Speed"), 4);
    EXPECT_FALSE(Stored(HiveCurrentUser, "Speed").exists);
    LoadSettings(&position);
    EXPECT_EQ(gSettings.speed, 4);

    StoreText(HiveCurrentUser, "File1", "a.mrx");
    StoreText(HiveLocalMachine, "File1", "b.mrx");
    DeleteSettingValue(PathOf("File1").c_str());
    EXPECT_FALSE(Stored(HiveCurrentUser, "File1").exists);
    EXPECT_FALSE(Stored(HiveLocalMachine, "File1").exists);
}

TEST_F(SettingsTest, ValuesWrittenAtOnceWriteOnlyThemselves) {
    LoadSettings(&position);
    gSettings.typeThis = 3;
    gSettings.restartLog = 1;
    EXPECT_TRUE(StoreSettingNow("TypeThis"));
    EXPECT_TRUE(StoreSettingNow("RestartLog"));
    EXPECT_FALSE(StoreSettingNow("Left")); // not kept in memory
    EXPECT_FALSE(StoreSettingNow("NoSuchValue"));
    EXPECT_EQ(SimRegistryWrites(),
              (std::vector<std::string>{"HKLM\\SOFTWARE\\Mirlow\\TypeThis",
                                        "HKLM\\SOFTWARE\\Mirlow\\RestartLog"}));
}

TEST_F(SettingsTest, RestartLogErasesTheLogOnceAtStartUp) {
    std::string log = testing::TempDir() + "mirlow_restart.log";
    for (int restart = 0; restart <= 1; restart++) {
        FILE* file = fopen(log.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        fputs("old line\r\n", file);
        fclose(file);
        SimReset();
        StoreText(HiveLocalMachine, "Logfile", log);
        Store(HiveLocalMachine, "RestartLog", restart);
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        file = fopen(log.c_str(), "rb");
        EXPECT_EQ(file != nullptr, restart == 0) << "RestartLog " << restart;
        if (file != nullptr)
            fclose(file);
    }
    remove(log.c_str());
}

class SettingsStartupTest : public SettingsTest {
  protected:
    size_t writesBefore = 0;

    // Whether the program wrote a setting since the test's own writes.
    bool WroteSettings() const {
        const std::vector<std::string>& writes = SimRegistryWrites();
        for (size_t i = writesBefore; i < writes.size(); i++) {
            if (writes[i].find("SOFTWARE\\Mirlow") != std::string::npos)
                return true;
        }
        return false;
    }
};

TEST_F(SettingsStartupTest, TheMainWindowOpensWhereItWasLeftAndSavesItsPlace) {
    Store(HiveLocalMachine, "Left", 100);
    Store(HiveLocalMachine, "Top", 80);
    Store(HiveLocalMachine, "LastTab", 3);
    writesBefore = SimRegistryWrites().size();
    int exitCode;
    ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    SimWindowInfo info = SimGetWindowInfo(gApp.mainWindow);
    EXPECT_EQ(info.x, 100);
    EXPECT_EQ(info.y, 80);
    EXPECT_FALSE(WroteSettings()); // nothing until the exit batch

    PlatformPostMessage(gApp.mainWindow, MsgClose, 0, 0);
    EXPECT_EQ(RunMessageLoop(), ExitSuccess);
    EXPECT_EQ(StoredNumber(HiveLocalMachine, "Left"), 100);
    EXPECT_EQ(StoredNumber(HiveLocalMachine, "Top"), 80);
    EXPECT_EQ(StoredNumber(HiveLocalMachine, "LastTab"), 3); // no panel: kept as it was
    EXPECT_TRUE(Stored(HiveLocalMachine, "Editor").exists);
}

TEST_F(SettingsStartupTest, ACommandLineRunWritesNoExitBatch) {
    Store(HiveLocalMachine, "Speed", 3);
    writesBefore = SimRegistryWrites().size();
    uint32_t before = SimRegistryRevision();
    RunMirlow("C:\\a.mrx", ShowNormal); // how the run itself ends does not matter here
    EXPECT_FALSE(WroteSettings());
    EXPECT_FALSE(Stored(HiveLocalMachine, "Left").exists);
    EXPECT_NE(SimRegistryRevision(), before); // the file types were registered
}

// A number as the settings document writes it in a sentence: in groups of
// three digits from five digits on.
std::string Written(int64_t number) {
    std::string digits = std::to_string(number < 0 ? -number : number);
    for (int at = (int)digits.size() - 3; at > 0 && digits.size() > 4; at -= 3)
        digits.insert((size_t)at, ",");
    return (number < 0 ? "-" : "") + digits;
}

// What the document must say of a start-up correction.
std::string CorrectionSaid(const SettingDefinition& row) {
    switch (row.correction) {
    case DefaultOutsideLimits:
        return "Outside " + Written(row.minimum) + " to " + Written(row.maximum) + ", it becomes " +
               Written(row.defaultNumber) + ".";
    case RaiseToMinimum:
        return "Below " + Written(row.minimum) + ", it becomes " + Written(row.minimum);
    case DefaultWhenEmpty:
        return "Empty, missing or longer than " + Written(SettingTextSize - 1) +
               " characters: the default.";
    default:
        return "";
    }
}

// docs/settings.md lists every setting once, in a table row of
// "| `Name`, `Name` | default, default | correction |" (one default for
// all the names, or one each), with the settings table's defaults and
// corrections; a correction cell may borrow the one of a row above.
TEST(SettingsDocument, ListsEverySettingAsTheTableHasIt) {
    std::string text = ScratchFolder::Read(MIRLOW_SOURCE_DIR "/docs/settings.md");
    size_t table = text.find("| Value | Default | Start-up correction |");
    ASSERT_NE(table, std::string::npos);
    std::map<std::string, int> listed;
    std::map<std::string, std::string> corrections;
    const std::regex row("^\\|\\s*(`[^|]*?)\\s*\\|\\s*([^|]*?)\\s*\\|\\s*([^|]*?)\\s*\\|$");
    const std::regex name("`(\\w+)`");
    const std::regex borrowed("^Same rule as `(\\w+)`\\.$");
    std::istringstream lines(text.substr(table));
    for (std::string line; std::getline(lines, line) && line[0] == '|';) {
        std::smatch cells, borrow;
        if (!std::regex_match(line, cells, row))
            continue;
        std::vector<std::string> names, defaults;
        std::string cell = cells[1];
        for (std::sregex_iterator it(cell.begin(), cell.end(), name), end; it != end; ++it)
            names.push_back((*it)[1]);
        std::istringstream list(cells[2]);
        for (std::string one; std::getline(list >> std::ws, one, ',');)
            defaults.push_back(one);
        std::string correction = cells[3];
        if (std::regex_match(correction, borrow, borrowed))
            correction = corrections[borrow[1]];
        ASSERT_TRUE(defaults.size() == 1 || defaults.size() == names.size()) << line;
        for (size_t i = 0; i < names.size(); i++) {
            const SettingDefinition* setting = FindSetting(names[i].c_str());
            ASSERT_NE(setting, nullptr) << names[i];
            listed[names[i]]++;
            corrections[names[i]] = correction;
            std::string shown = setting->kind == KindText
                                    ? "`" + std::string(setting->defaultText) + "`"
                                    : std::to_string(setting->defaultNumber);
            EXPECT_EQ(defaults[defaults.size() == 1 ? 0 : i], shown) << names[i];
            std::string said = CorrectionSaid(*setting);
            EXPECT_NE(correction.find(said), std::string::npos) << names[i] << ": " << said;
            EXPECT_EQ(correction.find("it becomes") != std::string::npos,
                      said.find("it becomes") != std::string::npos)
                << names[i];
        }
    }
    for (int i = 0; i < SettingTableSize; i++)
        EXPECT_EQ(listed[SettingTable[i].name], 1) << SettingTable[i].name;
}

} // namespace
