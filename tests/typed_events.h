// Key records as readable text, so a test compares whole runs of inserted
// events and a failure shows which record differs. Every field is shown,
// so a stray paramH, time or hwnd in a synthesized record shows up too.
#ifndef MIRLOW_TESTS_TYPED_EVENTS_H
#define MIRLOW_TESTS_TYPED_EVENTS_H

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/model.h"
#include "platform/input_rules.h"

typedef std::vector<std::string> EventTexts;

// The mark that tells the input layer a record types a character of text
// is left out here; the typing tests check it on their own.
inline std::string Describe(const EventRecord& event) {
    char text[80];
    uint32_t hwnd = TypedRoleOf(event.hwnd) != TypedNone ? 0 : event.hwnd;
    snprintf(text, sizeof text, "%04X %X %d %u %u", event.message, (unsigned)event.paramL,
             event.paramH, event.time, hwnd);
    return text;
}

inline EventTexts EventsAt(int from, int count) {
    EventTexts texts;
    for (int i = from; i < from + count; i++)
        texts.push_back(Describe(gRecording.events[i]));
    return texts;
}

// Key records: WM_KEYDOWN 0x100, WM_KEYUP 0x101, WM_SYSKEYDOWN 0x104, WM_SYSKEYUP 0x105.
inline EventTexts Keys(std::initializer_list<uint32_t> messages, int32_t key) {
    EventTexts texts;
    for (uint32_t message : messages)
        texts.push_back(Describe(EventRecord{message, key, 0, 0, 0}));
    return texts;
}
inline EventTexts Press(int32_t key) {
    return Keys({0x100, 0x101}, key);
}
inline EventTexts SysPress(int32_t key) {
    return Keys({0x104, 0x105}, key);
}

// Runs of records joined in order.
inline EventTexts Then(std::initializer_list<EventTexts> parts) {
    EventTexts all;
    for (const EventTexts& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline EventTexts Shifted(int32_t key) {
    return Then({Keys({0x100}, KeyShift), Press(key), Keys({0x101}, KeyShift)});
}

#endif
