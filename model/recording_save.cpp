/*
 * recording_save.cpp: saving the recording so that a save that goes wrong
 * (a full disk, a folder that cannot be written, the program killed half
 * way) never costs the user the file they had.
 *
 * The recording is written to a new file in the same folder; only when all
 * of it has been written and reached the disk does that file take the
 * target's name, in one step. Until then the target is untouched, and on
 * any failure the new file is removed again.
 */
#include "model/recording_files.h"

#include <cstring>

static const int TemporaryNameTries = 10;

/* Where the folder part of the path ends: after its last separator. */
static size_t FolderLength(const char* path) {
    const char* backslash = strrchr(path, '\\');
    const char* slash = strrchr(path, '/');
    const char* last = backslash > slash ? backslash : slash;
    return last != nullptr ? (size_t)(last - path) + 1 : 0;
}

/* A name in the target's folder: "~mirlowN.tmp", or "~N" where the longer
 * one would make the path too long. False when neither fits. */
static bool TemporaryPath(const char* path, int attempt, char* temporary) {
    size_t folder = FolderLength(path);
    char name[16];
    snprintf(name, sizeof name, "~mirlow%d.tmp", attempt);
    if (folder + strlen(name) > (size_t)MaxPathLength)
        snprintf(name, sizeof name, "~%d", attempt);
    if (folder + strlen(name) > (size_t)MaxPathLength)
        return false;
    memcpy(temporary, path, folder);
    strcpy(temporary + folder, name);
    return true;
}

/* A new file never takes the name of one that exists: each try takes the
 * next name. */
static FILE* CreateTemporaryFile(const char* path, char* temporary) {
    for (int attempt = 0; attempt < TemporaryNameTries; attempt++) {
        if (!TemporaryPath(path, attempt, temporary))
            return nullptr;
        FILE* file = PlatformCreateNewFile(temporary);
        if (file != nullptr)
            return file;
    }
    return nullptr;
}

static bool WriteRecording(FILE* file, const char* path) {
    return IsBinaryRecordingPath(path) ? WriteBinaryRecording(file, path)
                                       : WriteTextScript(file, path);
}

bool SaveRecordingFile(const char* path) {
    char temporary[MaxPathLength + 1];
    FILE* file = CreateTemporaryFile(path, temporary);
    if (file == nullptr) {
        ReportSaveFailure(path);
        return false;
    }
    /* A writer that fails has closed the file and said so. */
    if (!WriteRecording(file, path)) {
        remove(temporary);
        return false;
    }
    if (fclose(file) != 0 || !PlatformReplaceFile(temporary, path)) {
        remove(temporary);
        ReportSaveFailure(path);
        return false;
    }
    return true;
}

int CountCommandsInList(void) {
    int count = 0;
    size_t events = EventCountToWrite();
    for (size_t i = 0; i < events; i++) {
        if (IsPlaceholderEvent(gRecording.events[i]) && FindCommandAt((int32_t)i) >= 0)
            count++;
    }
    return count;
}
