/*
 * recording_save.cpp: saving the recording so that a save that goes wrong
 * (a full disk, a folder that cannot be written, the program killed half
 * way) never costs the user the file they had.
 *
 * The recording is written to a new file in the same folder; only when all
 * of it has been written and reached the disk does that file take the
 * target's name, in one step. Until then the target is untouched, and on
 * any failure the new file is removed again. The system's replace may
 * stop half way, with the old file set aside under a name of its own:
 * then one of the two files is put under the target's name, and neither
 * is deleted unless the other is there.
 *
 * On an ordinary machine other programs open files for a moment (a virus
 * scanner reads each new file, the search indexer and sync clients read
 * each changed one), and the system then refuses the program's own
 * request. Such a refusal is asked again for up to two seconds before the
 * save is reported as failed, with the system's reason.
 */
#include "model/recording_files.h"

#include <cstring>

static const uint32_t BusyPatience = 2000; /* milliseconds */
static const int BusyPause = 50;

/* Temporary names start at a number that differs from run to run and go
 * on from there, so files that an earlier crash left behind only cost a
 * try each; this many are tried before a save gives up. */
static const uint32_t TemporaryNameTries = 100000;

/* Where the folder part of the path ends: where the file's name begins. */
static size_t FolderLength(const char* path) {
    return (size_t)(FileNameOfPath(path) - path);
}

/* A name in the target's folder: "~mirlowN.tmp", or "~N" where the longer
 * one would make the path too long. False when neither fits. */
static bool TemporaryPath(const char* path, uint32_t number, char* temporary) {
    size_t folder = FolderLength(path);
    char name[24];
    snprintf(name, sizeof name, "~mirlow%lu.tmp", (unsigned long)number);
    if (folder + strlen(name) > (size_t)MaxPathLength)
        snprintf(name, sizeof name, "~%lx", (unsigned long)number);
    if (folder + strlen(name) > (size_t)MaxPathLength)
        return false;
    memcpy(temporary, path, folder);
    strcpy(temporary + folder, name);
    return true;
}

/* The first refusal starts the clock; false once the patience is spent. */
struct BusyWait {
    bool waiting;
    uint32_t since;
};

static bool WaitWhileBusy(BusyWait* wait) {
    uint32_t now = PlatformTickCount();
    if (!wait->waiting) {
        wait->waiting = true;
        wait->since = now;
    }
    if (now - wait->since >= BusyPatience)
        return false;
    PlatformSleep(BusyPause);
    return true;
}

static void ReportWithReason(const char* path) {
    char reason[200];
    PlatformFileErrorText(reason, sizeof reason);
    ReportSaveFailureBecause(path, reason);
}

/* A new file never takes the name of one that exists: each try takes the
 * next name. */
static FILE* CreateTemporaryFile(const char* path, char* temporary) {
    uint32_t number = PlatformTickCount();
    BusyWait wait = {false, 0};
    for (uint32_t tries = 0; tries < TemporaryNameTries; tries++, number++) {
        if (!TemporaryPath(path, number, temporary))
            break;
        FILE* file = nullptr;
        FileOutcome outcome = PlatformCreateNewFile(temporary, &file);
        if (outcome == FileDone)
            return file;
        if (outcome == FileFailed || (outcome == FileBusy && !WaitWhileBusy(&wait))) {
            ReportWithReason(path);
            return nullptr;
        }
    }
    ReportSaveFailure(path);
    return nullptr;
}

/* The name the old file takes while the new one takes its place: a
 * temporary name made free again, so the system never overwrites a file
 * an earlier save left behind. */
static bool FreeBackupName(const char* path, char* backup) {
    FILE* reserved = CreateTemporaryFile(path, backup);
    if (reserved == nullptr)
        return false;
    fclose(reserved);
    PlatformDeletePlainFile(backup);
    return true;
}

/* A move refused while another program holds a file is asked again. */
static FileOutcome MoveWhileBusy(const char* source, const char* target) {
    BusyWait wait = {false, 0};
    for (;;) {
        FileOutcome outcome = PlatformMoveFile(source, target);
        if (outcome != FileBusy || !WaitWhileBusy(&wait))
            return outcome;
    }
}

/* The system stopped half way: the old file is under the backup name and
 * the new one under the temporary name. Neither is deleted unless the
 * other holds the target's name: the new one is moved there, or else the
 * old one back, and the message names where each file is. */
static bool FinishHalfwayReplace(const char* temporary, const char* path, const char* backup) {
    char reason[200];
    PlatformFileErrorText(reason, sizeof reason);
    if (MoveWhileBusy(temporary, path) == FileDone) {
        PlatformDeletePlainFile(backup);
        return true;
    }
    char where[3 * (MaxPathLength + 1) + 160];
    if (MoveWhileBusy(backup, path) == FileDone)
        snprintf(where, sizeof where, "The file is as it was. What was being saved is in '%s'.",
                 temporary);
    else
        snprintf(where, sizeof where,
                 "No file has that name now: the file as it was is '%s', and what was being "
                 "saved is in '%s'.",
                 backup, temporary);
    ReportSaveFailureWhere(path, reason, where);
    return false;
}

/* The temporary file is gone unless it is the only copy of what was
 * being saved. */
static bool ReplaceTarget(const char* temporary, const char* path) {
    char backup[MaxPathLength + 1];
    if (!FreeBackupName(path, backup)) {
        remove(temporary);
        return false;
    }
    BusyWait wait = {false, 0};
    for (;;) {
        FileOutcome outcome = PlatformReplaceFile(temporary, path, backup);
        if (outcome == FileDone)
            return true;
        if (outcome == FileSetAside)
            return FinishHalfwayReplace(temporary, path, backup);
        if (outcome != FileBusy || !WaitWhileBusy(&wait)) {
            ReportWithReason(path);
            remove(temporary);
            return false;
        }
    }
}

static bool WriteRecording(FILE* file, const char* path) {
    return IsBinaryRecordingPath(path) ? WriteBinaryRecording(file, path)
                                       : WriteTextScript(file, path);
}

bool SaveRecordingFile(const char* path) {
    char temporary[MaxPathLength + 1];
    FILE* file = CreateTemporaryFile(path, temporary);
    if (file == nullptr)
        return false;
    /* A writer that fails has closed the file and said so. */
    if (!WriteRecording(file, path)) {
        remove(temporary);
        return false;
    }
    if (fclose(file) != 0) {
        remove(temporary);
        ReportSaveFailure(path);
        return false;
    }
    return ReplaceTarget(temporary, path);
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
