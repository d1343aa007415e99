// libFuzzer target: any bytes as the headless program's registry file.
// A file that imports must survive the program's own use of the registry:
// the settings load with its corrections, the exit batch (which must read
// back as written), the file-type association; and the registry must then
// export to a file that imports to the same registry, byte for byte.
// A broken rule aborts, so the fuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "platform/sim/sim_control.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string folder;

void RemoveFolder(void) {
    rmdir(folder.c_str());
}

// The log and RestartLog name files of the fuzzed input: RestartLog is
// taken out before the settings are read and the log is switched off and
// pointed into the scratch folder before anything could write it, so no
// input can delete or write a file of the machine that runs the fuzzer.
void DisarmFileSettings(void) {
    DeleteSettingValue("SOFTWARE\\Mirlow\\RestartLog");
}

void CheckCorrections(void) {
    Require(gSettings.speed >= 1 && gSettings.speed <= 4, "Speed is 1 to 4");
    Require(gSettings.repeats >= 1 && gSettings.repeats <= 2000000000, "Repeats is in range");
    Require(gSettings.factorFast >= 1 && gSettings.factorSlow >= 1, "the factors are 1 or more");
    for (const char* text : {gSettings.logfile, gSettings.editor})
        Require(text[0] != '\0' && strnlen(text, SettingTextSize) < (size_t)SettingTextSize,
                "Logfile and Editor are whole and not empty");
}

bool SameSettings(const Settings& a, const Settings& b) {
    for (int i = 0; i < SettingTableSize; i++) {
        const SettingDefinition& row = SettingTable[i];
        if (row.slot != InSettings)
            continue;
        if (row.kind == KindText ? strcmp(a.*row.text, b.*row.text) != 0
                                 : a.*row.number != b.*row.number)
            return false;
    }
    return true;
}

void UseSettingsLikeTheProgram(void) {
    DisarmFileSettings();
    WindowPosition position;
    LoadSettings(&position);
    CheckCorrections();
    gSettings.log = 0;
    snprintf(gSettings.logfile, sizeof gSettings.logfile, "%s/fuzz.log", folder.c_str());
    Settings written = gSettings;
    SaveSettings(10, 20, 2);
    LoadSettings(&position);
    Require(SameSettings(written, gSettings), "the exit batch reads back as it was written");
    Require(position.x == 10 && position.y == 20, "the window position reads back");
    Require(ReadLastTab() == 2, "LastTab reads back");
    RegisterFileType("mrl", "mirlow.exe", "Mirlow", 2);
    RegisterFileType("mrx", "mirlow.exe", "Mirlow", 2);
    Require(SimOpenRegistryKeyCount() == 0, "every key opened is closed");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SimReset();
    folder = MakeFuzzFolder(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SimResetRegistry();
    if (!SimImportRegistryText(std::string((const char*)data, size)))
        return 0;
    UseSettingsLikeTheProgram();
    std::string exported = SimExportRegistryText();
    SimResetRegistry();
    Require(SimImportRegistryText(exported), "an exported file imports");
    Require(SimExportRegistryText() == exported, "an exported file imports to the same registry");
    return 0;
}
