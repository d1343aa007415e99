/*
 * settings_store.cpp: the options in memory and in the registry.
 *
 * One table names every stored value with its kind, default, start-up
 * correction and place in the exit batch; the defaults, LoadSettings,
 * SaveSettings and the tests all walk it, so a setting is added in one
 * line.
 *
 * Two copies of the settings: HKEY_LOCAL_MACHINE is where the values have
 * always lived and where machine-wide values still count, but a standard
 * user on current Windows can't write there. Settings therefore persist
 * for such a user through a copy under HKEY_CURRENT_USER at the same path,
 * which wins on reading. Writes go to the machine's copy when it can be
 * written, and then drop the user's copy of the value, so whatever was
 * written last is what the next start reads.
 */
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "platform/platform.h"

Settings gSettings;
static_assert(sizeof gSettings.logfile == LogPathSize, "the log holds the Logfile setting whole");
const char* const SettingsKeyPath = "SOFTWARE\\Mirlow";

static const int32_t MaxRepeats = 2000000000;

/* In reading order; the batch column is the order of the exit batch. */
constexpr SettingDefinition SettingTable[SettingCount] = {
    // id, name, kind, default, text default, correction, minimum, maximum, batch, slot, fields
    {SettingLeft, "Left", KindNumber, -99, nullptr, KeepAsStored, 0, 0, 1, WindowLeft, nullptr,
     nullptr},
    {SettingTop, "Top", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 2, WindowTop, nullptr, nullptr},
    {SettingStopKey, "StopKey", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 3, InSettings,
     &Settings::stopKey, nullptr},
    {SettingTypeKey, "TypeKey", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 4, InSettings,
     &Settings::typeKey, nullptr},
    {SettingTypeThis, "TypeThis", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 5, InSettings,
     &Settings::typeThis, nullptr},
    {SettingExcludeMirlowAction, "ExcludeMirlowAction", KindNumber, 1, nullptr, KeepAsStored, 0, 0,
     6, InSettings, &Settings::excludeMirlowAction, nullptr},
    {SettingPlayImmediately, "PlayImmediately", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 7,
     InSettings, &Settings::playImmediately, nullptr},
    {SettingQuitWhenDone, "QuitWhenDone", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 8, InSettings,
     &Settings::quitWhenDone, nullptr},
    {SettingReload, "Reload", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 9, InSettings,
     &Settings::reload, nullptr},
    {SettingTopmost, "Topmost", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 10, InSettings,
     &Settings::topmost, nullptr},
    {SettingSpeed, "Speed", KindNumber, SpeedNormal, nullptr, DefaultOutsideLimits, SpeedSlow,
     SpeedFastest, 11, InSettings, &Settings::speed, nullptr},
    {SettingPromptForSave, "PromptForSave", KindNumber, 1, nullptr, KeepAsStored, 0, 0, 12,
     InSettings, &Settings::promptForSave, nullptr},
    {SettingVisited, "Visited", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 13, InSettings,
     &Settings::visited, nullptr},
    {SettingRepeats, "Repeats", KindNumber, 1, nullptr, DefaultOutsideLimits, 1, MaxRepeats, 15,
     InSettings, &Settings::repeats, nullptr},
    // The player divides by these; a hand-edited 0 or less must not reach it.
    {SettingFactorFast, "FactorFast", KindNumber, 15, nullptr, RaiseToMinimum, 1, 0, 18, InSettings,
     &Settings::factorFast, nullptr},
    {SettingFactorSlow, "FactorSlow", KindNumber, 4, nullptr, RaiseToMinimum, 1, 0, 19, InSettings,
     &Settings::factorSlow, nullptr},
    {SettingRandomMin, "RandomMin", KindNumber, 1000, nullptr, KeepAsStored, 0, 0, 21, InSettings,
     &Settings::randomMin, nullptr},
    {SettingRandomMax, "RandomMax", KindNumber, 9999, nullptr, KeepAsStored, 0, 0, 22, InSettings,
     &Settings::randomMax, nullptr},
    {SettingLoopTypeBase, "LoopTypeBase", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 23,
     InSettings, &Settings::loopTypeBase, nullptr},
    {SettingLog, "Log", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 24, InSettings, &Settings::log,
     nullptr},
    {SettingShowTabs, "ShowTabs", KindNumber, 1, nullptr, KeepAsStored, 0, 0, 14, InSettings,
     &Settings::showTabs, nullptr},
    {SettingInterruptWarning, "InterruptWarning", KindNumber, 1, nullptr, KeepAsStored, 0, 0, 25,
     InSettings, &Settings::interruptWarning, nullptr},
    {SettingRepeatForever, "RepeatForever", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 16,
     InSettings, &Settings::repeatForever, nullptr},
    {SettingMinimize, "Minimize", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 17, InSettings,
     &Settings::minimize, nullptr},
    {SettingLogfile, "Logfile", KindText, 0, "C:\\Mirlow.log", DefaultWhenEmpty, 0, 0, 26,
     InSettings, nullptr, &Settings::logfile},
    {SettingEditor, "Editor", KindText, 0, "notepad.exe", DefaultWhenEmpty, 0, 0, 27, InSettings,
     nullptr, &Settings::editor},
    // Written at once by the Advanced Options dialog, never by the batch.
    {SettingRestartLog, "RestartLog", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 0, InSettings,
     &Settings::restartLog, nullptr},
    // Seconds playback waits for the window an event was recorded in; 0: never.
    {SettingWindowWait, "WindowWait", KindNumber, 10, nullptr, KeepAsStored, 0, 0, 28, InSettings,
     &Settings::windowWait, nullptr},
    // Seconds a message box of a command-line run waits before it answers itself; 0: for ever.
    {SettingBoxWait, "BoxWait", KindNumber, 0, nullptr, KeepAsStored, 0, 0, 29, InSettings,
     &Settings::boxWait, nullptr},
    // The chords of the hotkeys (platform.h's packing); without a key, none.
    {SettingRecordHotkey, "RecordHotkey", KindNumber, DefaultRecordHotkey, nullptr, KeepAsStored, 0,
     0, 30, InSettings, &Settings::recordHotkey, nullptr},
    {SettingPlayHotkey, "PlayHotkey", KindNumber, DefaultPlayHotkey, nullptr, KeepAsStored, 0, 0,
     31, InSettings, &Settings::playHotkey, nullptr},
    // Read by the settings panel when it is created, not at start-up.
    {SettingLastTab, "LastTab", KindNumber, 1, nullptr, KeepAsStored, 0, 0, 20, PanelLastTab,
     nullptr, nullptr},
};
const int SettingTableSize = SettingCount;

/* Row n is the setting whose id is n, so that SettingTable[id] is its row. */
static constexpr bool RowsInIdOrder(void) {
    for (int i = 0; i < SettingCount; i++) {
        if (SettingTable[i].id != i)
            return false;
    }
    return true;
}
static_assert(RowsInIdOrder(), "the settings table lists its rows in the order of SettingId");

const SettingDefinition* FindSetting(const char* name) {
    for (const SettingDefinition& row : SettingTable) {
        if (strcmp(row.name, name) == 0)
            return &row;
    }
    return nullptr;
}

/* ---- The two copies ---- */

int32_t ReadSettingValue(const char* path, int kind, char* buffer, int bufferSize,
                         int32_t fallback) {
    int32_t number;
    if (TryReadRegistryValue(HiveCurrentUser, path, kind, buffer, bufferSize, &number))
        return number;
    return ReadRegistryValue(HiveLocalMachine, path, kind, buffer, bufferSize, fallback);
}

bool WriteSettingValue(const char* path, int kind, const char* text, int32_t number) {
    if (WriteRegistryValue(HiveLocalMachine, path, kind, text, number)) {
        DeleteRegistryValue(HiveCurrentUser, path);
        return true;
    }
    return WriteRegistryValue(HiveCurrentUser, path, kind, text, number);
}

void DeleteSettingValue(const char* path) {
    DeleteRegistryValue(HiveLocalMachine, path);
    DeleteRegistryValue(HiveCurrentUser, path);
}

/* ---- The table ---- */

static void SettingPath(const SettingDefinition& row, char* path) {
    snprintf(path, RegistryPathSize, "%s\\%s", SettingsKeyPath, row.name);
}

/* Left, Top and LastTab live outside gSettings while they are read or
 * written. */
struct LooseValues {
    int32_t left;
    int32_t top;
    int32_t lastTab;
};

static int32_t* NumberOf(const SettingDefinition& row, LooseValues* loose) {
    switch (row.slot) {
    case WindowLeft:
        return &loose->left;
    case WindowTop:
        return &loose->top;
    case PanelLastTab:
        return &loose->lastTab;
    case InSettings:
        break;
    }
    return row.number != nullptr ? &(gSettings.*row.number) : nullptr;
}

static void SetDefaults(LooseValues* loose) {
    memset(&gSettings, 0, sizeof gSettings);
    for (const SettingDefinition& row : SettingTable) {
        if (row.kind == KindText)
            strcpy(gSettings.*row.text, row.defaultText);
        else
            *NumberOf(row, loose) = row.defaultNumber;
    }
}

/* A text that can't be read whole (missing, not text, longer than the
 * 129 characters kept in memory) takes the default: a cut path would name
 * another file, which RestartLog might then delete. */
static void ReadRow(const SettingDefinition& row, LooseValues* loose) {
    char path[RegistryPathSize];
    SettingPath(row, path);
    if (row.kind == KindText) {
        char* text = gSettings.*row.text;
        if (ReadSettingValue(path, KindText, text, SettingTextSize, -1) != 0)
            strcpy(text, row.defaultText);
        return;
    }
    int32_t* number = NumberOf(row, loose);
    *number = ReadSettingValue(path, KindNumber, nullptr, 0, row.defaultNumber);
}

static void CorrectRow(const SettingDefinition& row, LooseValues* loose) {
    if (row.correction == DefaultWhenEmpty) {
        char* text = gSettings.*row.text;
        if (text[0] == '\0')
            strcpy(text, row.defaultText);
        return;
    }
    int32_t* number = row.kind == KindNumber ? NumberOf(row, loose) : nullptr;
    if (number == nullptr)
        return;
    if (row.correction == DefaultOutsideLimits && (*number < row.minimum || *number > row.maximum))
        *number = row.defaultNumber;
    if (row.correction == RaiseToMinimum && *number < row.minimum)
        *number = row.minimum;
}

/* A saved position is used only when it puts the window's corner on the
 * screen; anything else (the default -99, a minimized window's far-off
 * position) leaves both coordinates to the system. */
static void ChooseWindowPosition(int left, int top, WindowPosition* position) {
    int width = PlatformSystemMetric(MetricFullScreenWidth);
    int height = PlatformSystemMetric(MetricFullScreenHeight);
    bool usable = left >= -4 && left < width && top >= -4 && top < height;
    position->x = usable ? left : DefaultWindowPosition;
    position->y = usable ? top : DefaultWindowPosition;
}

void LoadSettings(WindowPosition* position) {
    LooseValues loose;
    SetDefaults(&loose);
    for (const SettingDefinition& row : SettingTable) {
        if (row.slot != PanelLastTab)
            ReadRow(row, &loose);
    }
    for (const SettingDefinition& row : SettingTable)
        CorrectRow(row, &loose);
    ChooseWindowPosition(loose.left, loose.top, position);
}

static bool WriteRow(const SettingDefinition& row, LooseValues* loose) {
    char path[RegistryPathSize];
    SettingPath(row, path);
    if (row.kind == KindText)
        return WriteSettingValue(path, KindText, gSettings.*row.text, 0);
    return WriteSettingValue(path, KindNumber, nullptr, *NumberOf(row, loose));
}

void SaveSettings(int left, int top, int lastTab) {
    LooseValues loose = {left, top, lastTab};
    for (int place = 1; place <= SettingTableSize; place++) {
        for (const SettingDefinition& row : SettingTable) {
            if (row.batchPlace == place)
                WriteRow(row, &loose);
        }
    }
}

bool StoreSettingNow(const char* name) {
    const SettingDefinition* row = FindSetting(name);
    if (row == nullptr || row->slot != InSettings)
        return false;
    LooseValues unused = {0, 0, 0};
    return WriteRow(*row, &unused);
}

int32_t ReadLastTab(void) {
    const SettingDefinition* row = FindSetting("LastTab");
    char path[RegistryPathSize];
    SettingPath(*row, path);
    return ReadSettingValue(path, KindNumber, nullptr, 0, row->defaultNumber);
}
