/*
 * sim_documents.cpp: the simulated desktop's file dialogs, its safe file
 * replacement, the items of the main window's File menu and the keyboard
 * focus.
 *
 * Files are real files on the host's file system. A test can make the
 * disk fill up after a number of bytes, or the final replacement fail, so
 * that every way a save can go wrong is seen. Dialogs are answered from a
 * queue the test fills, like message boxes; while one is open, what is
 * posted to windows is dispatched, as the system's modal loop does.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <unistd.h>

#include "resources/resource.h"

namespace {

struct DialogAnswer {
    bool chosen;
    std::string path;
    int filterIndex;
};

struct DocumentsState {
    std::deque<DialogAnswer> answers;
    std::vector<SimFileDialog> dialogs;
    long writeLimit = -1;
    bool failReplace = false;
    std::map<WindowHandle, std::vector<SimMenuItem>> fileMenus;
    WindowHandle focus = nullptr;
};

DocumentsState* state = new DocumentsState;

/* The File menu as the menu resource makes it. */
const SimMenuItem ResourceFileMenu[] = {
    {ID_FILE_NEW, "&New\tCtrl+N"},
    {ID_FILE_OPEN, "&Open...\tCtrl+O"},
    {ID_FILE_RELOAD, "Reload Current File\tCtrl+R"},
    {ID_FILE_CLOSE, "&Close"},
    {0, ""},
    {ID_FILE_SAVE, "&Save\tCtrl+S"},
    {ID_FILE_SAVE_AS, "Save &As..."},
    {0, ""},
    {ID_FILE_RESET_RECENT, "&Reset Recent Files"},
    {0, ""},
    {ID_FILE_EXIT, "E&xit"},
};

std::vector<SimMenuItem>* FileMenuOf(WindowHandle window) {
    if (!SimGetWindowInfo(window).exists)
        return nullptr;
    auto found = state->fileMenus.find(window);
    if (found == state->fileMenus.end())
        found = state->fileMenus
                    .emplace(window, std::vector<SimMenuItem>(std::begin(ResourceFileMenu),
                                                              std::end(ResourceFileMenu)))
                    .first;
    return &found->second;
}

int PositionOf(const std::vector<SimMenuItem>& items, int commandId) {
    for (size_t i = 0; i < items.size(); i++) {
        if (commandId != 0 && items[i].id == commandId)
            return (int)i;
    }
    return -1;
}

/* A file that takes the bytes left under the limit and then fails, as a
 * full disk does. */
struct LimitedFile {
    int descriptor;
    long left;
};

ssize_t WriteLimited(void* cookie, const char* data, size_t size) {
    LimitedFile* file = static_cast<LimitedFile*>(cookie);
    if (file->left <= 0) {
        errno = ENOSPC;
        return -1;
    }
    size_t allowed = size < (size_t)file->left ? size : (size_t)file->left;
    ssize_t written = write(file->descriptor, data, allowed);
    if (written > 0)
        file->left -= written;
    return written;
}

int CloseLimited(void* cookie) {
    LimitedFile* file = static_cast<LimitedFile*>(cookie);
    int result = close(file->descriptor);
    delete file;
    return result;
}

FILE* OpenLimited(int descriptor, long limit) {
    cookie_io_functions_t functions = {nullptr, WriteLimited, nullptr, CloseLimited};
    LimitedFile* cookie = new LimitedFile{descriptor, limit};
    FILE* file = fopencookie(cookie, "wb", functions);
    if (file == nullptr)
        delete cookie;
    return file;
}

} // namespace

/* ---- Control ---- */

void SimResetDocuments(void) {
    delete state;
    state = new DocumentsState;
}

void SimQueueFileDialog(const char* path, int filterIndex) {
    state->answers.push_back(DialogAnswer{true, path, filterIndex});
}

void SimQueueFileDialogCancel(void) {
    state->answers.push_back(DialogAnswer{false, "", 0});
}

const std::vector<SimFileDialog>& SimFileDialogs(void) {
    return state->dialogs;
}

void SimFailWritesAfter(long bytes) {
    state->writeLimit = bytes;
}

void SimFailReplace(bool fail) {
    state->failReplace = fail;
}

std::vector<SimMenuItem> SimFileMenuItems(WindowHandle window) {
    std::vector<SimMenuItem>* items = FileMenuOf(window);
    return items != nullptr ? *items : std::vector<SimMenuItem>();
}

/* ---- The seam ---- */

/* The list ends at two NULs in a row. */
static std::string FilterList(const char* filters) {
    const char* end = filters;
    while (end[0] != '\0' || end[1] != '\0')
        end++;
    return std::string(filters, (size_t)(end - filters) + 1);
}

bool PlatformFileDialog(WindowHandle owner, bool saveMode, const char* filters, int* filterIndex,
                        char* path, int size) {
    (void)owner;
    state->dialogs.push_back(SimFileDialog{saveMode, path, *filterIndex, FilterList(filters)});
    DialogAnswer answer = {false, "", 0};
    if (!state->answers.empty()) {
        answer = state->answers.front();
        state->answers.pop_front();
    }
    SimRunModalLoop();
    if (!answer.chosen || answer.path.size() >= (size_t)size)
        return false;
    memcpy(path, answer.path.c_str(), answer.path.size() + 1);
    *filterIndex = answer.filterIndex;
    return true;
}

FILE* PlatformCreateNewFile(const char* path) {
    int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (descriptor < 0)
        return nullptr;
    FILE* file = state->writeLimit >= 0 ? OpenLimited(descriptor, state->writeLimit)
                                        : fdopen(descriptor, "wb");
    if (file == nullptr) {
        close(descriptor);
        unlink(path);
    }
    return file;
}

bool PlatformReplaceFile(const char* source, const char* target) {
    if (state->failReplace)
        return false;
    return rename(source, target) == 0;
}

bool PlatformInsertMenuItemAfter(WindowHandle window, int afterCommandId, int commandId,
                                 const char* text) {
    std::vector<SimMenuItem>* items = FileMenuOf(window);
    int after = items != nullptr ? PositionOf(*items, afterCommandId) : -1;
    if (after < 0)
        return false;
    items->insert(items->begin() + after + 1, SimMenuItem{commandId, text});
    return true;
}

bool PlatformDeleteMenuItem(WindowHandle window, int commandId) {
    std::vector<SimMenuItem>* items = FileMenuOf(window);
    int at = items != nullptr ? PositionOf(*items, commandId) : -1;
    if (at < 0)
        return false;
    items->erase(items->begin() + at);
    return true;
}
