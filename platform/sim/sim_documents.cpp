/*
 * sim_documents.cpp: the simulated desktop's file dialogs and its safe
 * file replacement.
 *
 * Files are real files on the host's file system. A test can make the
 * disk fill up after a number of bytes, the final replacement fail, or
 * another program hold a file for a while, so that every way a save can
 * go wrong is seen. Dialogs are answered from a
 * queue the test fills, like message boxes; while one is open, what is
 * posted to windows is dispatched, as the system's modal loop does.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct DialogAnswer {
    FileDialogOutcome outcome;
    std::string path;
    int filterIndex;
};

struct DocumentsState {
    std::deque<DialogAnswer> answers;
    std::vector<SimFileDialog> dialogs;
    long writeLimit = -1;
    bool failReplace = false;
    int halfwayError = 0; /* the system's replace stops half way with it */
    int failingMoves = 0;
    std::vector<SimFileHold> holds;
    std::string errorText;
};

DocumentsState* state = new DocumentsState;

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

/* A hold on a folder covers every file in it, as a scanner holds each
 * file as it appears there. */
bool IsHeld(const std::string& path) {
    uint32_t now = PlatformTickCount();
    for (const SimFileHold& hold : state->holds) {
        bool covered = path == hold.path || (path.size() > hold.path.size() &&
                                             path.compare(0, hold.path.size(), hold.path) == 0 &&
                                             path[hold.path.size()] == '/');
        if (covered && now - hold.since < hold.milliseconds)
            return true;
    }
    return false;
}

/* The words and numbers the system gives for these refusals. */
FileOutcome Refuse(FileOutcome outcome, const char* reason) {
    state->errorText = reason;
    return outcome;
}

const char* const SharingViolation =
    "The process cannot access the file because it is being used by another process. (error 32)";

FileOutcome RefuseWithErrno(void) {
    int error = errno;
    state->errorText = std::string(strerror(error)) + " (errno " + std::to_string(error) + ")";
    return error == EACCES || error == EPERM || error == EBUSY ? FileBusy : FileFailed;
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
    state->answers.push_back(DialogAnswer{FileDialogChosen, path, filterIndex});
}

void SimQueueFileDialogCancel(void) {
    state->answers.push_back(DialogAnswer{FileDialogCancelled, "", 0});
}

void SimQueueFileDialogRefusal(const char* shownPath) {
    state->answers.push_back(DialogAnswer{FileDialogNotInCodePage, shownPath, 0});
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

void SimStopReplaceHalfway(int systemError) {
    state->halfwayError = systemError;
}

void SimFailMoves(int count) {
    state->failingMoves = count;
}

void SimHoldFile(const char* path, uint32_t milliseconds) {
    state->holds.push_back(SimFileHold{path, PlatformTickCount(), milliseconds});
}

/* ---- The seam ---- */

/* The list ends at two NULs in a row. */
static std::string FilterList(const char* filters) {
    const char* end = filters;
    while (end[0] != '\0' || end[1] != '\0')
        end++;
    return std::string(filters, (size_t)(end - filters) + 1);
}

/* A choice longer than the buffer hands over as much as fits. */
FileDialogOutcome PlatformFileDialog(WindowHandle owner, bool saveMode, const char* filters,
                                     int* filterIndex, char* path, int size) {
    (void)owner;
    state->dialogs.push_back(SimFileDialog{saveMode, path, *filterIndex, FilterList(filters)});
    DialogAnswer answer = {FileDialogCancelled, "", 0};
    if (!state->answers.empty()) {
        answer = state->answers.front();
        state->answers.pop_front();
    }
    SimRunModalLoop();
    if (answer.outcome == FileDialogCancelled || size <= 0)
        return FileDialogCancelled;
    snprintf(path, (size_t)size, "%s", answer.path.c_str());
    if (answer.path.size() >= (size_t)size)
        return FileDialogTooLong;
    if (answer.outcome == FileDialogChosen)
        *filterIndex = answer.filterIndex;
    return answer.outcome;
}

/* A file another program holds is there all the same: its name is taken.
 * A file not there yet is held by nobody. */
FileOutcome PlatformCreateNewFile(const char* path, FILE** file) {
    *file = nullptr;
    int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (descriptor < 0) {
        if (errno == EEXIST)
            return Refuse(FileNameTaken, "The file exists. (error 80)");
        return RefuseWithErrno();
    }
    *file = state->writeLimit >= 0 ? OpenLimited(descriptor, state->writeLimit)
                                   : fdopen(descriptor, "wb");
    if (*file == nullptr) {
        FileOutcome outcome = RefuseWithErrno();
        close(descriptor);
        unlink(path);
        return outcome;
    }
    return FileDone;
}

/* A file under the target's name is never replaced. */
FileOutcome PlatformMoveFile(const char* source, const char* target) {
    if (state->failingMoves > 0) {
        state->failingMoves--;
        return Refuse(FileFailed, "The media is write protected. (error 19)");
    }
    if (IsHeld(source) || IsHeld(target))
        return Refuse(FileBusy, SharingViolation);
    if (access(target, F_OK) == 0)
        return Refuse(FileNameTaken, "Cannot create a file when that file already exists. "
                                     "(error 183)");
    return rename(source, target) == 0 ? FileDone : RefuseWithErrno();
}

/* As the Windows side: the system's replace, with its half-way ends; the
 * two that leave both names as they were fall back on a rename over the
 * target, which the failing moves fail too. */
FileOutcome PlatformReplaceFile(const char* source, const char* target, const char* backup) {
    if (state->failReplace)
        return Refuse(FileFailed, "The request is not supported. (error 50)");
    if (IsHeld(source) || IsHeld(target))
        return Refuse(FileBusy, SharingViolation);
    if (state->halfwayError == 1177) {
        rename(target, backup);
        return Refuse(FileSetAside, "Unable to move the replacement file to the file to be "
                                    "replaced. (error 1177)");
    }
    if (state->halfwayError != 0 && state->failingMoves > 0) {
        state->failingMoves--;
        return Refuse(FileFailed, "The media is write protected. (error 19)");
    }
    return rename(source, target) == 0 ? FileDone : RefuseWithErrno();
}

void PlatformFileErrorText(char* text, int size) {
    if (size > 0)
        snprintf(text, (size_t)size, "%s", state->errorText.c_str());
}
