/*
 * file_dialogs.cpp: choosing a file through the system's Open and Save
 * dialogs, and the delimited lists their filters (and the toolbar's
 * tooltips) are kept in.
 */
#include "app/app.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"

/* The dialogs may hand back more than a path may hold; such a choice is
 * refused whole, never cut (a cut path names another file). */
static const int DialogPathSize = 1024;

static void RefuseLongPath(const char* path, bool saveMode) {
    char text[DialogPathSize + 64];
    snprintf(text, sizeof text,
             saveMode ? "Unable to save file '%s'!" : "Unable to open file '%s'!", path);
    ShowMessageBox(text, "Error", BoxOk | BoxIconWarning | BoxTaskModal);
}

/* Save mode completes a name without any dot with the extension of the
 * filter the user left selected; "All Files" adds nothing. */
static bool AddFilterExtension(char* path, const char* filters, int filterIndex) {
    char pattern[16];
    GetDelimitedItem(filters, '\0', 2 * filterIndex - 1, pattern, sizeof pattern);
    if (strchr(path, '.') != nullptr || strncmp(pattern, "*.", 2) != 0 ||
        strcmp(pattern, "*.*") == 0)
        return true;
    if (strlen(path) + strlen(pattern + 1) > (size_t)MaxPathLength)
        return false;
    strcat(path, pattern + 1);
    return true;
}

bool PickFile(WindowHandle owner, char* path, const char* filters, bool saveMode) {
    char chosen[DialogPathSize];
    snprintf(chosen, sizeof chosen, "%s", path);
    int filterIndex = 1;
    if (!PlatformFileDialog(owner, saveMode, filters, &filterIndex, chosen, sizeof chosen))
        return false;
    if (strlen(chosen) > (size_t)MaxPathLength ||
        (saveMode && !AddFilterExtension(chosen, filters, filterIndex))) {
        RefuseLongPath(chosen, saveMode);
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
