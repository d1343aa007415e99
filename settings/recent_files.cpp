/*
 * recent_files.cpp: the list of the last eight recordings opened or
 * saved, and its entries in the File menu.
 *
 * The stored values are the list; the menu is only a view of it, rebuilt
 * after every change. Values are read and written through the settings'
 * rule of two copies, so a standard user, who cannot write the machine's
 * copy, keeps a list of their own that hides the machine's.
 */
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "log/log.h"
#include "model/model.h"
#include "resources/resource.h"

/* A slot may hold more than a path can be (a hand-edited value): it is
 * shown and kept as it is, and refused when chosen. */
typedef char RecentSlot[RegistryTextSize];

/* The list while one operation works on it. */
static RecentSlot slots[RecentFileCount];

static const char* const UntitledName = "(Untitled)";

static void SlotValuePath(int slot, char* path) {
    snprintf(path, RegistryPathSize, "%s\\File%d", SettingsKeyPath, slot);
}

/* A slot that cannot be read counts as empty. */
static void ReadSlot(int slot, char* text) {
    char path[RegistryPathSize];
    SlotValuePath(slot, path);
    ReadSettingValue(path, KindText, text, RegistryTextSize, -1);
}

static void ReadAllSlots(void) {
    for (int slot = 1; slot <= RecentFileCount; slot++)
        ReadSlot(slot, slots[slot - 1]);
}

/* Empty slots are written as empty text. */
static void WriteAllSlots(void) {
    char path[RegistryPathSize];
    for (int slot = 1; slot <= RecentFileCount; slot++) {
        SlotValuePath(slot, path);
        WriteSettingValue(path, KindText, slots[slot - 1], 0);
    }
}

static bool SamePath(const char* a, const char* b) {
    return strlen(a) == strlen(b) && FindNoCase(a, b) == 0;
}

/* The 0-based index of the first slot holding the path, from first on;
 * RecentFileCount when none does. */
static int FindSlot(const char* path, int first) {
    for (int i = first; i < RecentFileCount; i++) {
        if (SamePath(slots[i], path))
            return i;
    }
    return RecentFileCount;
}

void AddRecentFile(const char* path) {
    if (path[0] == '\0' || strcmp(path, UntitledName) == 0)
        return;
    ReadAllSlots();
    if (SamePath(slots[0], path))
        return;
    /* The slots in front of the path's old place (or all but the last)
     * move down one; the path goes first. */
    int from = FindSlot(path, 1);
    if (from == RecentFileCount)
        from = RecentFileCount - 1;
    for (int i = from; i > 0; i--)
        strcpy(slots[i], slots[i - 1]);
    snprintf(slots[0], sizeof slots[0], "%s", path);
    WriteAllSlots();
}

void RemoveRecentFile(const char* path) {
    if (strcmp(path, UntitledName) == 0)
        return;
    ReadAllSlots();
    int at = FindSlot(path, 0);
    if (at == RecentFileCount)
        return;
    for (int i = at; i < RecentFileCount - 1; i++)
        strcpy(slots[i], slots[i + 1]);
    slots[RecentFileCount - 1][0] = '\0';
    WriteAllSlots();
}

/* Each entry goes after the one before it (the first after Reset Recent
 * Files), so the menu stops at the first empty slot. */
void RebuildRecentMenu(void) {
    for (int slot = 1; slot <= RecentFileCount; slot++)
        PlatformDeleteMenuItem(MainWindowHandle(), ID_FILE_RESET_RECENT + slot);
    ReadAllSlots();
    for (int slot = 1; slot <= RecentFileCount; slot++) {
        if (slots[slot - 1][0] != '\0')
            PlatformInsertMenuItemAfter(MainWindowHandle(), ID_FILE_RESET_RECENT + slot - 1,
                                        ID_FILE_RESET_RECENT + slot, slots[slot - 1]);
    }
}

/* A machine's copy that this user may not delete would come back at the
 * next read: an empty copy of the user's own then hides it. */
static void EmptySlot(int slot) {
    char path[RegistryPathSize];
    char left[RegistryTextSize];
    SlotValuePath(slot, path);
    DeleteSettingValue(path);
    ReadSettingValue(path, KindText, left, sizeof left, -1);
    if (left[0] != '\0')
        WriteSettingValue(path, KindText, "", 0);
}

void ResetRecentFiles(void) {
    if (ShowMessageBox("This command will remove all of the previous links to recent "
                       "files.\n\nAre you sure that you want to proceed?",
                       "Reset Recent Files",
                       BoxYesNo | BoxIconQuestion | BoxTaskModal) != AnswerYes)
        return;
    for (int slot = 1; slot <= RecentFileCount; slot++) {
        PlatformDeleteMenuItem(MainWindowHandle(), ID_FILE_RESET_RECENT + slot);
        EmptySlot(slot);
    }
}

/* A path longer than a path may be is never cut to fit: it names another
 * file. */
static bool CanBeOpened(const char* path) {
    return path[0] != '\0' && strlen(path) <= (size_t)MaxPathLength && FileExistsNonEmpty(path);
}

static void OpenPath(const char* stored) {
    char path[MaxPathLength + 1];
    strcpy(path, stored);
    OpenDocumentFile(path);
}

static void OfferToRemove(const char* path) {
    char text[RegistryTextSize + 128];
    snprintf(text, sizeof text,
             "Unable to open recent file %s!\n\nDo you want to remove it from the recent file "
             "list menu?",
             path);
    if (ShowMessageBox(text, path, BoxYesNo | BoxIconQuestion | BoxTaskModal) == AnswerYes) {
        RemoveRecentFile(path);
        RebuildRecentMenu();
    }
}

/* The stored value counts, not the menu's text. Whatever the answer about
 * an entry that cannot be opened, the recording in memory stays, but no
 * longer under a name. */
void OpenRecentFile(int slot) {
    char path[RegistryTextSize];
    ReadSlot(slot, path);
    if (CanBeOpened(path)) {
        OpenPath(path);
        return;
    }
    OfferToRemove(path);
    gDocument.path[0] = '\0';
    ShowProgramTitle();
}

void ReopenMostRecentFile(void) {
    char path[RegistryTextSize];
    ReadSlot(1, path);
    if (CanBeOpened(path))
        OpenPath(path);
}
