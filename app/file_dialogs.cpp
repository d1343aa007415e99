/*
 * file_dialogs.cpp: choosing a file through the system's Open and Save
 * dialogs, and the delimited lists their filters (and the toolbar's
 * tooltips) are kept in.
 */
#include "app/app.h"

#include <cstring>

/* Not offered yet: every dialog counts as cancelled. */
bool PickFile(WindowHandle owner, char* path, const char* filters, bool saveMode) {
    (void)owner;
    (void)path;
    (void)filters;
    (void)saveMode;
    return false;
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
