/*
 * record_queue.h: the queue between the thread that takes the desktop's
 * input as it happens and the thread that records it, for the platforms
 * whose hooks run apart from the recorder. Shared by both platform
 * implementations; portable.
 *
 * One writer and one reader, no lock. The reader may fall behind for
 * seconds (a dialog, a slow log) while a mouse reports a thousand moves a
 * second, so a fixed queue can fill. What it keeps then is what a
 * recording cannot do without: once no more than the reserve is free,
 * moves are merged (the last of a run stands for the run, as the pointer
 * ends up there) and the regular checks are left out, so the reserve is
 * kept for keys, buttons and wheels. Only when even the reserve is spent
 * are events lost, and the next entry that fits says how many.
 */
#ifndef MIRLOW_RECORD_QUEUE_H
#define MIRLOW_RECORD_QUEUE_H

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

struct RecordQueueEntry {
    int code; /* HookAction with the event, or HookRecordCheck */
    EventRecord event;
    RecordContext context;
    RecordedWindow window; /* a press's window; null window otherwise */
};

struct RecordQueue {
    RecordQueueEntry* entries;
    uint32_t capacity;
    uint32_t reserve; /* entries only keys, buttons and wheels may take */
    std::atomic<uint32_t> written;
    std::atomic<uint32_t> read;
    /* The writer's own. */
    bool moveHeld; /* the last move of a run, not yet in the queue */
    RecordQueueEntry heldMove;
    uint32_t lost;
};

/* Empties the queue, which then holds up to capacity entries (at least
 * 4) in entries. Called while neither end is in use. */
void StartRecordQueue(RecordQueue* queue, RecordQueueEntry* entries, uint32_t capacity);

/* The writer. Returns true when something was added that the reader has
 * not seen yet (the reader may need waking). */
bool PushRecordInput(RecordQueue* queue, const RecordQueueEntry& entry);
/* Adds a move held back, if there is room for it; at the end of the input
 * (last), any room will do. Returns true when it was added. */
bool FlushHeldMove(RecordQueue* queue, bool last);

/* The reader: the oldest entry, false when there is none. */
bool TakeRecordInput(RecordQueue* queue, RecordQueueEntry* entry);

#endif
