// Key records as readable text, so that a test compares whole runs of
// inserted events and a failure shows which record differs.
#ifndef MIRLOW_TESTS_TYPED_EVENTS_H
#define MIRLOW_TESTS_TYPED_EVENTS_H

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/model.h"

typedef std::vector<std::string> EventTexts;

// Every field, so a synthesized record with a stray paramH, time or hwnd
// shows up too.
inline std::string Describe(const EventRecord& event) {
    char text[80];
    snprintf(text, sizeof text, "%04X %X %d %u %u", event.message, (unsigned)event.paramL,
             event.paramH, event.time, event.hwnd);
    return text;
}

inline EventTexts EventsAt(int from, int count) {
    EventTexts texts;
    for (int i = from; i < from + count; i++)
        texts.push_back(Describe(gRecording.events[i]));
    return texts;
}

inline std::string KeyText(uint32_t message, int32_t key) {
    EventRecord record = {};
    record.message = message;
    record.paramL = key;
    return Describe(record);
}

inline EventTexts Down(int32_t key) {
    return {KeyText(0x0100, key)};
}
inline EventTexts Up(int32_t key) {
    return {KeyText(0x0101, key)};
}
inline EventTexts SysDown(int32_t key) {
    return {KeyText(0x0104, key)};
}
inline EventTexts SysUp(int32_t key) {
    return {KeyText(0x0105, key)};
}
inline EventTexts Press(int32_t key) {
    return {KeyText(0x0100, key), KeyText(0x0101, key)};
}
inline EventTexts SysPress(int32_t key) {
    return {KeyText(0x0104, key), KeyText(0x0105, key)};
}
inline EventTexts Shifted(int32_t key) {
    return {KeyText(0x0100, 0x10), KeyText(0x0100, key), KeyText(0x0101, key),
            KeyText(0x0101, 0x10)};
}

// Runs of records joined in order.
inline EventTexts Then(std::initializer_list<EventTexts> parts) {
    EventTexts all;
    for (const EventTexts& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

#endif
