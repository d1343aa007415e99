/*
 * record_queue.cpp: the recording's input queue, which keeps every press
 * and release when it fills. See record_queue.h.
 */
#include "platform/record_queue.h"

void StartRecordQueue(RecordQueue* queue, RecordQueueEntry* entries, uint32_t capacity) {
    queue->entries = entries;
    queue->capacity = capacity < 4 ? 4 : capacity;
    queue->reserve = queue->capacity / 4;
    queue->written.store(0);
    queue->read.store(0);
    queue->moveHeld = false;
    queue->lost = 0;
}

static uint32_t FreeEntries(const RecordQueue* queue) {
    uint32_t used = queue->written.load(std::memory_order_relaxed) -
                    queue->read.load(std::memory_order_acquire);
    return queue->capacity - used;
}

/* The entry says how many events were lost before it. */
static void Publish(RecordQueue* queue, const RecordQueueEntry& entry) {
    uint32_t written = queue->written.load(std::memory_order_relaxed);
    RecordQueueEntry* slot = &queue->entries[written % queue->capacity];
    *slot = entry;
    slot->context.lostEvents = queue->lost;
    queue->lost = 0;
    queue->written.store(written + 1, std::memory_order_release);
}

static bool IsMove(const RecordQueueEntry& entry) {
    return entry.code == HookAction && entry.event.message == MsgMouseMove;
}

bool FlushHeldMove(RecordQueue* queue, bool last) {
    uint32_t free = FreeEntries(queue);
    if (!queue->moveHeld || free == 0 || (!last && free <= queue->reserve))
        return false;
    queue->moveHeld = false;
    Publish(queue, queue->heldMove);
    return true;
}

/* A key, button or wheel event takes the reserve; the move held back
 * before it goes first where both fit, and is merged into it otherwise
 * (a button event carries its own point). */
static bool PushPressOrRelease(RecordQueue* queue, const RecordQueueEntry& entry) {
    uint32_t free = FreeEntries(queue);
    if (queue->moveHeld && free >= 2) {
        Publish(queue, queue->heldMove);
        free--;
    }
    queue->moveHeld = false;
    if (free == 0) {
        queue->lost++;
        return false;
    }
    Publish(queue, entry);
    return true;
}

bool PushRecordInput(RecordQueue* queue, const RecordQueueEntry& entry) {
    if (entry.code == HookAction && !IsMove(entry))
        return PushPressOrRelease(queue, entry);
    bool added = FlushHeldMove(queue, false);
    bool roomy = FreeEntries(queue) > queue->reserve;
    if (IsMove(entry) && !roomy) {
        queue->heldMove = entry;
        queue->moveHeld = true;
        return added;
    }
    if (!roomy)
        return added; /* a check: the next one will do */
    Publish(queue, entry);
    return true;
}

bool TakeRecordInput(RecordQueue* queue, RecordQueueEntry* entry) {
    uint32_t read = queue->read.load(std::memory_order_relaxed);
    if (read == queue->written.load(std::memory_order_acquire))
        return false;
    *entry = queue->entries[read % queue->capacity];
    queue->read.store(read + 1, std::memory_order_release);
    return true;
}
