// The playback tests' fixture: a fresh simulated desktop with the program
// started, recordings put straight into the list, plays through the
// message loop and direct calls of the hook.
#ifndef MIRLOW_TESTS_PLAYBACK_FIXTURE_H
#define MIRLOW_TESTS_PLAYBACK_FIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "app/app.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "resources/resource.h"

namespace {

inline EventRecord Key(uint32_t message, int key, uint32_t time) {
    return EventRecord{message, key, 0, time, 0};
}

inline EventRecord Mouse(uint32_t message, int x, int y, uint32_t time) {
    return EventRecord{message, x, y, time, 0};
}

const EventRecord Placeholder = {};

class PlaybackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
        Start("");
    }
    void TearDown() override {
        SimReset();
    }

    void Start(const char* tail) {
        int exitCode;
        ASSERT_TRUE(StartMirlow(tail, ShowNormal, &exitCode));
    }

    void Load(const std::vector<EventRecord>& events) {
        ClearEventList();
        for (size_t i = 0; i < events.size(); i++)
            gRecording.events[i] = events[i];
        gRecording.eventCount = (int32_t)events.size();
        gRecording.commandCount = 0;
    }

    void AddCommand(int32_t kind, const char* text, int32_t anchor) {
        SetScriptCommand(gRecording.commandCount, kind, text, anchor);
        gRecording.commandCount++;
    }

    // Plays through the message loop until the program is idle or ends.
    int Play() {
        PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_PLAYBACK, 0);
        return RunMessageLoop();
    }

    static std::vector<uint32_t> Gaps() {
        std::vector<uint32_t> gaps;
        const std::vector<SimDelivered>& delivered = SimDeliveredEvents();
        for (size_t i = 1; i < delivered.size(); i++)
            gaps.push_back(delivered[i].tick - delivered[i - 1].tick);
        return gaps;
    }

    static std::vector<uint32_t> Messages() {
        std::vector<uint32_t> messages;
        for (const SimDelivered& d : SimDeliveredEvents())
            messages.push_back(d.record.message);
        return messages;
    }

    // Direct calls of the hook, as the system makes them.
    intptr_t GetNext(bool* wrote) {
        EventRecord record;
        return PlaybackHookProc(HookGetNext, &record, wrote);
    }
    void Skip() {
        bool wrote;
        PlaybackHookProc(HookSkip, nullptr, &wrote);
    }
};

} // namespace

#endif
