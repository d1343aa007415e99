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
    *systemError = playback->lastRefusal == InputRefusedBySystem ? 5 : 0;
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

const std::vector<KeyStroke>& SimKeyStrokes(void) {
    return playback->strokes;
}

void SimNoteKeyStrokes(const EventRecord& record) {
    if (!IsKeyMessage(record.message))
        return;
    KeyStroke strokes[MaxKeyStrokes];
    int count = KeyStrokesFor(record, strokes);
    playback->strokes.insert(playback->strokes.end(), strokes, strokes + count);
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
    return (PlatformIsKeyDown(0x10) ? ModifierShift : 0) |
           (PlatformIsKeyDown(0x11) ? ModifierCtrl : 0) |
           (PlatformIsKeyDown(0x12) ? ModifierAlt : 0);
}

CapsLockState PlatformCapsLockState(void) {
    return playback->capsLock;
}

/* Windows-1252 where it differs from the first 256 code points; its five
 * unassigned bytes stand for the control characters of their number, as
 * the system converts them. */
static const uint16_t Western80To9F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

/* The length of the UTF-8 sequence at text (1 to 4), and its code point;
 * a byte that starts no whole sequence is U+FFFD alone. */
static int DecodeUtf8(const uint8_t* text, int left, uint32_t* codePoint) {
    uint8_t lead = text[0];
    int length = lead < 0x80                    ? 1
                 : lead >= 0xF0 && lead <= 0xF4 ? 4
                 : lead >= 0xE0                 ? 3
                 : lead >= 0xC2 && lead <= 0xDF ? 2
                                                : 0;
    if (length == 1 || length == 0 || length > left) {
        *codePoint = length == 1 ? lead : 0xFFFD;
        return 1;
    }
    uint32_t value = lead & (0x7F >> length);
    for (int i = 1; i < length; i++) {
        if ((text[i] & 0xC0) != 0x80) {
            *codePoint = 0xFFFD;
            return 1;
        }
        value = value << 6 | (text[i] & 0x3F);
    }
    static const uint32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    bool valid =
        value >= smallest[length] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
    *codePoint = valid ? value : 0xFFFD;
    return valid ? length : 1;
}

void PlatformTextUnits(const char* text, int length, uint16_t* units) {
    const uint8_t* bytes = (const uint8_t*)text;
    for (int i = 0; i < length;) {
        if (playback->codePage == SimCodePageWestern) {
            units[i] =
                bytes[i] >= 0x80 && bytes[i] < 0xA0 ? Western80To9F[bytes[i] - 0x80] : bytes[i];
            i++;
            continue;
        }
        uint32_t codePoint;
        int size = DecodeUtf8(bytes + i, length - i, &codePoint);
        for (int j = 0; j < size; j++)
            units[i + j] = 0;
        if (codePoint >= 0x10000) {
            units[i] = (uint16_t)(0xD800 + ((codePoint - 0x10000) >> 10));
            units[i + 1] = (uint16_t)(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        } else {
            units[i] = (uint16_t)codePoint;
        }
        i += size;
    }
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
