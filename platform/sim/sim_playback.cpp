/*
 * sim_playback.cpp: how the simulated system treats played input beyond
 * handing it over: refusals, a locked session, refused activation, a
 * desktop nobody sees, a journal never called, the reasons programs fail
 * to start, the releases of what a playback left held down, and the
 * keyboard: its layout, Caps Lock, the code page of typed text and the
 * key strokes that reach the system, as a raw-input reader sees them.
 */
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/sim_control.h"
#include "platform/input_rules.h"
#include "platform/sim/sim_internal.h"

namespace {

struct SimPlayback {
    int refuseAfter = 0;
    InputRefusal refusal = InputRefusalNone;
    InputRefusal lastRefusal = InputRefusalNone;
    int lockAfter = 0;
    int foregroundRefusals = 0;
    bool desktopVisible = true;
    bool journalNeverCalled = false;
    bool injectionPreferred = false;
    StartFailure startFailure = StartFailedOther;
    std::string startFailureText = "The system cannot find the file specified.";
    std::vector<EventRecord> released;
    std::vector<SimLayoutKey> layout;
    CapsLockState capsLock = CapsLockOff;
    bool inputMethodComposing = false;
    SimCodePage codePage = SimCodePageWestern;
    std::vector<KeyStroke> strokes;
};

SimPlayback* playback = new SimPlayback;

} // namespace

void SimResetPlayback(void) {
    *playback = SimPlayback();
}

/* ---- Controls ---- */

void SimRefuseInputAfter(int deliveredCount, InputRefusal reason) {
    playback->refuseAfter = deliveredCount;
    playback->refusal = reason;
}

void SimLockSessionAfter(int deliveredCount) {
    playback->lockAfter = deliveredCount;
}

void SimRefuseForeground(int attempts) {
    playback->foregroundRefusals = attempts;
}

void SimSetDesktopVisible(bool visible) {
    playback->desktopVisible = visible;
}

void SimSetJournalNeverCalled(bool neverCalled) {
    playback->journalNeverCalled = neverCalled;
}

void SimSetStartFailure(StartFailure kind, const char* text) {
    playback->startFailure = kind;
    playback->startFailureText = text;
}

const std::vector<EventRecord>& SimReleasedInput(void) {
    return playback->released;
}

bool SimInjectedInputPreferred(void) {
    return playback->injectionPreferred;
}

/* ---- Answers to the window and journal side ---- */

InputDelivery SimJudgeDelivery(int delivered) {
    if (playback->lockAfter > 0 && delivered >= playback->lockAfter)
        return InputCancelled;
    if (playback->refuseAfter > 0 && delivered >= playback->refuseAfter) {
        playback->lastRefusal = playback->refusal;
        return InputRefused;
    }
    return InputDelivered;
}

bool SimTakeForegroundRefusal(void) {
    if (playback->foregroundRefusals <= 0)
        return false;
    playback->foregroundRefusals--;
    return true;
}

bool SimJournalIsNeverCalled(void) {
    return playback->journalNeverCalled;
}

/* ---- The seam ---- */

InputRefusal PlatformInputRefusal(WindowHandle* target, uint32_t* systemError) {
    *target = PlatformForegroundWindow();
    *systemError = playback->lastRefusal != InputRefusalNone ? 5 : 0; /* access denied */
    return playback->lastRefusal;
}

void PlatformPreferInjectedInput(bool prefer) {
    playback->injectionPreferred = prefer;
}

void PlatformReleaseInput(const EventRecord* releases, int count) {
    playback->released.insert(playback->released.end(), releases, releases + count);
    for (int i = 0; i < count; i++)
        SimNoteKeyStrokes(releases[i]);
}

/* ---- The keyboard ---- */

void SimSetKeyboardLayout(const std::vector<SimLayoutKey>& keys) {
    playback->layout = keys;
}

void SimSetCapsLock(CapsLockState state) {
    playback->capsLock = state;
}

void SimSetAnsiCodePage(SimCodePage codePage) {
    playback->codePage = codePage;
}

bool SimAnsiCodePageIsUtf8(void) {
    return playback->codePage == SimCodePageUtf8;
}

const std::vector<KeyStroke>& SimKeyStrokes(void) {
    return playback->strokes;
}

void SimNoteKeyStrokes(const EventRecord& record) {
    if (!IsKeyMessage(record.message))
        return;
    KeyStroke strokes[MaxKeyStrokes];
    int count = KeyStrokesFor(record, strokes);
    playback->strokes.insert(playback->strokes.end(), strokes, strokes + count);
    SimNotePlayedStrokes(strokes, count);
}

bool PlatformLayoutKeyFor(uint16_t unit, LayoutKey* key) {
    for (const SimLayoutKey& entry : playback->layout) {
        if (entry.unit == unit) {
            *key = LayoutKey{entry.key, entry.modifiers};
            return true;
        }
    }
    return false;
}

/* Caps Lock works as Shift does on the keys it applies to. */
uint16_t PlatformLayoutTypes(int key, int modifiers, bool capsLock) {
    for (const SimLayoutKey& entry : playback->layout) {
        int effective = entry.capsLock && capsLock ? modifiers ^ ModifierShift : modifiers;
        if (entry.key == key && entry.modifiers == effective)
            return entry.dead ? 0 : entry.unit;
    }
    return 0;
}

int PlatformHeldModifiers(void) {
    return (PlatformIsKeyDown(KeyShift) ? ModifierShift : 0) |
           (PlatformIsKeyDown(KeyControl) ? ModifierCtrl : 0) |
           (PlatformIsKeyDown(KeyAlt) ? ModifierAlt : 0);
}

CapsLockState PlatformCapsLockState(void) {
    return playback->capsLock;
}

void SimSetInputMethodComposing(bool composing) {
    playback->inputMethodComposing = composing;
}

bool PlatformInputMethodComposes(void) {
    return playback->inputMethodComposing;
}

StartFailure PlatformLastStartFailure(char* text, int size) {
    if (size > 0)
        snprintf(text, (size_t)size, "%s", playback->startFailureText.c_str());
    return playback->startFailure;
}

bool PlatformDesktopVisible(void) {
    return playback->desktopVisible;
}

int PlatformDisplayDpi(void) {
    return 96;
}

int PlatformTimerResolution(void) {
    return 1000;
}
