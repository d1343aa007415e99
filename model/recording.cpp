/*
 * recording.cpp: the recording's storage, clearing and the playback
 * snapshot.
 *
 * The snapshot exists because playback grows the list while it plays
 * (typed text and synthesized clicks are inserted at the current place) and
 * moves the anchors of later commands with it. Restoring after every pass
 * makes each pass start from exactly what was recorded or loaded. The
 * window notes are tied to events by index too, so their anchors are put
 * back with the commands'.
 */
#include "model/model.h"

#include <cstring>

#include "platform/platform.h"

Recording gRecording;
Document gDocument;
const char* const ProductWebAddress = "https://mirlow.app/";

const char* const ScriptKeywordNames[ScriptCommandKindCount] = {
    "", "START", "GOTO", "TYPE", "WAIT", "MOUSECLICK", "WINDOWCLICK",
};

const char* KeywordOfKind(int32_t kind) {
    return kind > 0 && kind < ScriptCommandKindCount ? ScriptKeywordNames[kind] : "";
}

static const size_t EventListBytes = sizeof(EventRecord) * MaxEvents;
static const size_t IntegerArrayBytes = sizeof(int32_t) * MaxScriptCommands;

static void* ObtainZeroed(size_t bytes) {
    void* block = PlatformAllocate(bytes);
    if (block != nullptr)
        memset(block, 0, bytes);
    return block;
}

static bool AllocateEventLists(void) {
    gRecording.events = (EventRecord*)ObtainZeroed(EventListBytes);
    if (gRecording.events == nullptr)
        return false;
    gRecording.originalEvents = (EventRecord*)ObtainZeroed(EventListBytes);
    return gRecording.originalEvents != nullptr;
}

static bool AllocateIntegerArrays(void) {
    gRecording.commandAnchors = (int32_t*)ObtainZeroed(IntegerArrayBytes);
    gRecording.savedAnchors = (int32_t*)ObtainZeroed(IntegerArrayBytes);
    gRecording.commandKinds = (int32_t*)ObtainZeroed(IntegerArrayBytes);
    return gRecording.commandAnchors != nullptr && gRecording.savedAnchors != nullptr &&
           gRecording.commandKinds != nullptr;
}

static bool AllocateCommandTexts(void) {
    for (int i = 0; i < MaxScriptCommands; i++) {
        gRecording.commandTexts[i] = (char*)ObtainZeroed(ScriptTextSize);
        if (gRecording.commandTexts[i] == nullptr)
            return false;
    }
    return true;
}

RecordingAllocation AllocateRecording(void) {
    memset(&gRecording, 0, sizeof gRecording);
    if (!AllocateEventLists())
        return AllocationEventsFailed;
    if (!AllocateIntegerArrays())
        return AllocationIntegersFailed;
    if (!AllocateCommandTexts())
        return AllocationTextsFailed;
    gRecording.windows = (WindowNoteTable*)ObtainZeroed(sizeof(WindowNoteTable));
    if (gRecording.windows == nullptr)
        return AllocationWindowsFailed;
    return AllocationSucceeded;
}

static void ReleaseBlock(void* block) {
    if (block != nullptr)
        PlatformRelease(block);
}

void ReleaseRecording(void) {
    ReleaseBlock(gRecording.events);
    ReleaseBlock(gRecording.originalEvents);
    ReleaseBlock(gRecording.commandAnchors);
    ReleaseBlock(gRecording.savedAnchors);
    ReleaseBlock(gRecording.commandKinds);
    for (int i = 0; i < MaxScriptCommands; i++)
        ReleaseBlock(gRecording.commandTexts[i]);
    ReleaseBlock(gRecording.windows);
    memset(&gRecording, 0, sizeof gRecording);
}

void ZeroEventList(void) {
    memset(gRecording.events, 0, EventListBytes);
}

void ClearEventList(void) {
    ZeroEventList();
    gRecording.eventCount = 0;
    ClearWindowNotes();
}

ScriptCommand GetScriptCommand(int index) {
    ScriptCommand command = {CommandNone, "", -1};
    if (index < 0 || index >= MaxScriptCommands)
        return command;
    command.kind = gRecording.commandKinds[index];
    command.text = gRecording.commandTexts[index];
    command.anchor = gRecording.commandAnchors[index];
    return command;
}

bool SetScriptCommand(int index, int32_t kind, const char* text, int32_t anchor) {
    if (index < 0 || index >= MaxScriptCommands)
        return false;
    gRecording.commandKinds[index] = kind;
    gRecording.commandAnchors[index] = anchor;
    char* slot = gRecording.commandTexts[index];
    size_t length = strnlen(text, ScriptTextSize - 1);
    memcpy(slot, text, length);
    slot[length] = '\0';
    return true;
}

int FindCommandAt(int32_t position) {
    for (int i = 0; i < gRecording.commandCount; i++) {
        if (gRecording.commandAnchors[i] == position)
            return i;
    }
    return -1;
}

/* Counts are kept in range by every writer; the clamp makes a stray value
 * cost a short copy rather than a write past the end of a buffer. */
static size_t CountInRange(int32_t count, int32_t capacity) {
    if (count < 0)
        return 0;
    return (size_t)(count < capacity ? count : capacity);
}

void TakePlaybackSnapshot(void) {
    gRecording.originalEventCount = gRecording.eventCount;
    memcpy(gRecording.originalEvents, gRecording.events,
           sizeof(EventRecord) * CountInRange(gRecording.eventCount, MaxEvents));
    memcpy(gRecording.savedAnchors, gRecording.commandAnchors,
           sizeof(int32_t) * CountInRange(gRecording.commandCount, MaxScriptCommands));
    WindowNoteTable* windows = gRecording.windows;
    if (windows != nullptr)
        memcpy(windows->savedAnchors, windows->anchors,
               sizeof(int32_t) * CountInRange(windows->noteCount, MaxWindowNotes));
}

void RestorePlaybackSnapshot(void) {
    ZeroEventList();
    memcpy(gRecording.events, gRecording.originalEvents,
           sizeof(EventRecord) * CountInRange(gRecording.originalEventCount, MaxEvents));
    gRecording.eventCount = gRecording.originalEventCount;
    memcpy(gRecording.commandAnchors, gRecording.savedAnchors,
           sizeof(int32_t) * CountInRange(gRecording.commandCount, MaxScriptCommands));
    WindowNoteTable* windows = gRecording.windows;
    if (windows != nullptr)
        memcpy(windows->anchors, windows->savedAnchors,
               sizeof(int32_t) * CountInRange(windows->noteCount, MaxWindowNotes));
}
