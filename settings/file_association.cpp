/*
 * file_association.cpp: registers the program with the shell for one file
 * extension, at every start, so a recording opens with the program that
 * last started, from wherever it was started.
 *
 * The per-extension entries go under HKEY_CURRENT_USER. The class entries
 * that describe the program (its icon, display name and open command) go
 * through HKEY_CLASSES_ROOT; where a standard user can't create keys
 * there, the same entries are written to that user's own classes
 * (HKEY_CURRENT_USER\Software\Classes), which the shell reads the same
 * way.
 */
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "settings/registry.h"

namespace {

/* What one step stores. */
enum StepData {
    OnlyTheKey,
    ProgramName,
    MruList,
    IconLocation,
    DisplayName,
    CacheTime,
    OpenCommand,
};

struct AssociationStep {
    RegistryHive hive;
    const char* keyFormat; /* %s: the extension or the program name */
    bool keyByExtension;   /* which of the two fills keyFormat */
    const char* valueName; /* "": the key's default value */
    StepData data;
};

const AssociationStep Steps[] = {
    {HiveCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%s", true,
     "Application", ProgramName},
    {HiveCurrentUser,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%s\\OpenWithList", true,
     "", OnlyTheKey},
    {HiveCurrentUser,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%s\\OpenWithList", true,
     "a", ProgramName},
    {HiveCurrentUser,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%s\\OpenWithList", true,
     "MRUList", MruList},
    {HiveClassesRoot, "Applications\\%s", false, "", OnlyTheKey},
    {HiveClassesRoot, "Applications\\%s\\DefaultIcon", false, "", IconLocation},
    {HiveClassesRoot, "Applications\\%s\\shell", false, "FriendlyCache", DisplayName},
    {HiveClassesRoot, "Applications\\%s\\shell", false, "FriendlyCacheCTime", CacheTime},
    {HiveClassesRoot, "Applications\\%s\\shell\\open", false, "", OnlyTheKey},
    {HiveClassesRoot, "Applications\\%s\\shell\\open\\command", false, "", OpenCommand},
};

/* The six bytes 80 8E 69 9D C0 01, in the three-character steps that
 * binary values are handed over in. */
const char* const CacheTimeBytes = "80,8e,69,9d,c0,01";

struct Registration {
    const char* extension;
    const char* programName;
    const char* displayName;
    int iconIndex;
    char programPath[RegistryPathSize];
};

/* Text larger than a path, for the icon location and the open command. */
const int StepTextSize = RegistryPathSize + 16;

/* A program path with a blank is quoted in the open command: unquoted,
 * the system would first try to start "C:\Program.exe" for a program in
 * "C:\Program Files". Other paths are written as they are. */
void FormatOpenCommand(const char* programPath, char* text) {
    bool blank = strpbrk(programPath, " \t") != nullptr;
    snprintf(text, StepTextSize, blank ? "\"%s\" \"%%1\"" : "%s \"%%1\"", programPath);
}

/* The data of a step as text; null for a step that only makes the key. */
const char* StepText(const AssociationStep& step, const Registration& what, char* text) {
    switch (step.data) {
    case OnlyTheKey:
        return nullptr;
    case ProgramName:
        return what.programName;
    case MruList:
        return "a";
    case IconLocation:
        snprintf(text, StepTextSize, "%s,%d", what.programPath, what.iconIndex);
        return text;
    case DisplayName:
        return what.displayName;
    case CacheTime:
        return CacheTimeBytes;
    case OpenCommand:
        FormatOpenCommand(what.programPath, text);
        return text;
    }
    return nullptr;
}

/* The value path of a step; false when it would not fit whole. */
bool StepPath(const AssociationStep& step, const Registration& what, char* path) {
    char key[RegistryPathSize];
    const char* filler = step.keyByExtension ? what.extension : what.programName;
    int keyLength = snprintf(key, sizeof key, step.keyFormat, filler);
    if (keyLength < 0 || keyLength >= (int)sizeof key)
        return false;
    int length = snprintf(path, RegistryPathSize, "%s\\%s", key, step.valueName);
    return length >= 0 && length < RegistryPathSize;
}

/* A class entry the user can't write through HKEY_CLASSES_ROOT is written
 * to the user's own classes instead. */
void WriteClassEntry(const char* path, int kind, const char* text) {
    if (WriteRegistryValue(HiveClassesRoot, path, kind, text, 0))
        return;
    char userPath[RegistryPathSize];
    int length = snprintf(userPath, sizeof userPath, "Software\\Classes\\%s", path);
    if (length >= 0 && length < (int)sizeof userPath)
        WriteRegistryValue(HiveCurrentUser, userPath, kind, text, 0);
}

void WriteStep(const AssociationStep& step, const Registration& what) {
    char path[RegistryPathSize];
    char text[StepTextSize];
    if (!StepPath(step, what, path))
        return;
    int kind = step.data == CacheTime ? KindBinary : KindText;
    const char* data = StepText(step, what, text);
    if (step.hive == HiveClassesRoot)
        WriteClassEntry(path, kind, data);
    else
        WriteRegistryValue(step.hive, path, kind, data, 0);
}

} // namespace

/* Without the program's whole path there is no command to register; a cut
 * one would start something else, so nothing is written at all. */
void RegisterFileType(const char* extension, const char* programName, const char* displayName,
                      int iconNumber) {
    Registration what;
    what.extension = extension;
    what.programName = programName;
    what.displayName = displayName;
    what.iconIndex = iconNumber - 1;
    if (PlatformProgramPath(what.programPath, sizeof what.programPath) < 0)
        return;
    for (const AssociationStep& step : Steps)
        WriteStep(step, what);
}
