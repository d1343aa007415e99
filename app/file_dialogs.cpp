/*
 * file_dialogs.cpp: choosing a file through the system's Open and Save
 * dialogs, and the delimited lists their filters (and the toolbar's
 * tooltips) are kept in.
 */
#include "app/app.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "model/model.h"

/* The dialogs may hand back more than a path may hold; such a choice is
 * refused whole, never cut (a cut path names another file). The buffer
 * holds the longest path the system knows, in any code page. */
static const int DialogPathSize = 3 * 32768;
static char chosen[DialogPathSize];

/* A box is only as wide as the screen, and a path has no blanks to wrap
 * at: the box shows its start and its end. */
static const size_t PathShownHead = 40;
static const size_t PathShownTail = 40;

void ShowPathTooLong(const char* path, bool saving) {
    char shown[PathShownHead + PathShownTail + 4];
    size_t length = strlen(path);
    if (length <= PathShownHead + PathShownTail + 3)
        snprintf(shown, sizeof shown, "%s", path);
    else
        snprintf(shown, sizeof shown, "%.*s...%s", (int)PathShownHead, path,
                 path + length - PathShownTail);
    char text[sizeof shown + 96];
    snprintf(text, sizeof text, "Unable to %s file '%s'!\n\nThe path is longer than %d characters.",
             saving ? "save" : "open", shown, MaxPathLength);
    ShowMessageBox(text, "Error", BoxOk | BoxIconWarning | BoxTaskModal);
}

/* The system would hand such a name over with look-alike characters put
 * in, naming another file than the one the user chose. */
static void ShowNameOutsideCodePage(const char* shownPath, bool saving) {
    char text[MaxPathLength + 320];
    snprintf(text, sizeof text,
             "Unable to %s file '%.*s'!\n\nThe name holds characters (shown as '?') that Mirlow "
             "cannot use with this system's language settings. Please choose a name without "
             "them.",
             saving ? "save" : "open", MaxPathLength, shownPath);
    ShowMessageBox(text, "Error", BoxOk | BoxIconWarning | BoxTaskModal);
}

/* Save mode completes a file name without a dot (in the name itself, not
 * its folders) with the extension of the filter the user left selected;
 * "All Files" adds nothing. */
static bool AddFilterExtension(char* path, const char* filters, int filterIndex) {
    char pattern[16];
    GetDelimitedItem(filters, '\0', 2 * filterIndex - 1, pattern, sizeof pattern);
    if (strchr(FileNameOfPath(path), '.') != nullptr || strncmp(pattern, "*.", 2) != 0 ||
        strcmp(pattern, "*.*") == 0)
        return true;
    if (strlen(path) + strlen(pattern + 1) > (size_t)MaxPathLength)
        return false;
    strcat(path, pattern + 1);
    return true;
}

bool PickFile(WindowHandle owner, char* path, const char* filters, bool saveMode) {
    snprintf(chosen, sizeof chosen, "%s", path);
    int filterIndex = 1;
    FileDialogOutcome outcome =
        PlatformFileDialog(owner, saveMode, filters, &filterIndex, chosen, sizeof chosen);
    if (outcome == FileDialogCancelled)
        return false;
    if (outcome == FileDialogNotInCodePage) {
        ShowNameOutsideCodePage(chosen, saveMode);
        return false;
    }
    if (outcome == FileDialogTooLong || strlen(chosen) > (size_t)MaxPathLength ||
        (saveMode && !AddFilterExtension(chosen, filters, filterIndex))) {
        ShowPathTooLong(chosen, saveMode);
        return false;
    }
    strcpy(path, chosen);
    return true;
}

/* With NUL as the delimiter the list ends at two NULs in a row; otherwise
 * at its terminating zero. */
static const char* ItemStart(const char* list, char delimiter, int index) {
    const char* at = list;
    for (int passed = 0; passed < index; passed++) {
        const char* end = delimiter == '\0' ? at + strlen(at) : strchr(at, delimiter);
        if (end == nullptr || (delimiter == '\0' && end == at))
            return nullptr;
        at = end + 1;
        if (delimiter == '\0' && *at == '\0')
            return nullptr;
    }
    return at;
}

int GetDelimitedItem(const char* list, char delimiter, int index, char* item, int size) {
    if (size <= 0)
        return 0;
    item[0] = '\0';
    const char* start = index >= 0 ? ItemStart(list, delimiter, index) : nullptr;
    if (start == nullptr)
        return 0;
    size_t length = 0;
    while (start[length] != '\0' && start[length] != delimiter)
        length++;
    if (length > (size_t)size - 1)
        length = (size_t)size - 1;
    memcpy(item, start, length);
    item[length] = '\0';
    return (int)length;
}
