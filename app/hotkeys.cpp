/*
 * hotkeys.cpp: the record and play hotkeys, which work whatever program
 * has the focus, with the main window minimized or behind others.
 *
 * The system watches for each chord on the main window's behalf and takes
 * it away from the program in front. A chord is the user's command to
 * Mirlow, never input: the recorder leaves its keys out, and a playback
 * that plays the same chord to its program gets the hotkey out of the way
 * first (the system would take played input away too).
 *
 * What a hotkey does follows the toolbar's states: the record hotkey
 * starts a recording where Start Recording is offered and ends the
 * recording it runs; the play hotkey starts a playback where Playback is
 * offered and ends the playback it runs, as Stop does. Starting waits for
 * the program's own message loop: a hotkey that arrives while one of the
 * program's dialogs or boxes is open (their loops hand it to the main
 * window too) only ends what runs, as the cancel keys do there, and never
 * starts anything under a question the user has not answered yet.
 */
#include "app/app.h"

#include <cstdio>

#include "log/log.h"
#include "playback/playback.h"
#include "record/record.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {

struct Hotkey {
    int32_t chord;
    HotkeyStanding standing;
    bool standingAside; /* let go of while the played input holds asideKey */
    int asideKey;
};

Hotkey hotkeys[2];

/* The system's id of each hotkey: its role plus one. */
const int HotkeyIdBase = 1;

const HotkeyRole BothRoles[] = {RecordHotkeyRole, PlayHotkeyRole};

} // namespace

static int32_t SettingOf(HotkeyRole role) {
    return role == RecordHotkeyRole ? gSettings.recordHotkey : gSettings.playHotkey;
}

static const char* NameOf(HotkeyRole role) {
    return role == RecordHotkeyRole ? "record" : "play";
}

static int IdOf(HotkeyRole role) {
    return HotkeyIdBase + (int)role;
}

static void LogRefusal(HotkeyRole role, const char* why) {
    if (!LogLevelAtLeast(LogLow))
        return;
    char chord[32];
    HotkeyText(hotkeys[role].chord, chord, sizeof chord);
    LogPrintf(LogLow, "The %s hotkey %s is not available: %s", NameOf(role), chord, why);
}

/* A refusal of the system is told in its own number. */
static void Register(HotkeyRole role) {
    Hotkey& hotkey = hotkeys[role];
    uint32_t error = PlatformRegisterHotkey(gApp.mainWindow, IdOf(role), hotkey.chord);
    hotkey.standing = error == 0 ? HotkeyInForce : HotkeyInUseElsewhere;
    if (error == 0)
        return;
    char why[96];
    snprintf(why, sizeof why, "Windows refused it (error %lu)%s", (unsigned long)error,
             error == HotkeyTakenError ? ": another program uses it" : "");
    LogRefusal(role, why);
}

/* A stop key among the chord's keys would end the recording that the
 * chord then starts again; a stored pair like that keeps the stop key. */
static void TakeUp(HotkeyRole role) {
    Hotkey& hotkey = hotkeys[role];
    hotkey = Hotkey{SettingOf(role), HotkeyUnset, false, 0};
    if ((hotkey.chord & 0xFF) == 0)
        return;
    if (ChordUsesKey(hotkey.chord, gSettings.stopKey)) {
        hotkey.standing = HotkeyOnStopKey;
        LogRefusal(role, "the stop key is one of its keys");
        return;
    }
    Register(role);
}

static void LetGo(HotkeyRole role) {
    Hotkey& hotkey = hotkeys[role];
    if (hotkey.standing == HotkeyInForce && !hotkey.standingAside)
        PlatformUnregisterHotkey(gApp.mainWindow, IdOf(role));
    hotkey = Hotkey{0, HotkeyUnset, false, 0};
}

void TakeUpHotkeys(void) {
    if (gApp.commandLineMode || gApp.mainWindow == nullptr)
        return;
    LetGo(RecordHotkeyRole);
    LetGo(PlayHotkeyRole);
    TakeUp(RecordHotkeyRole);
    TakeUp(PlayHotkeyRole);
}

void LetGoOfHotkeys(void) {
    LetGo(RecordHotkeyRole);
    LetGo(PlayHotkeyRole);
}

HotkeyStanding HotkeyStandingOf(HotkeyRole role) {
    return hotkeys[role].standing;
}

/* ---- A chord the playback plays ---- */

void HotkeysStandAsideForPlayedKey(int key, int32_t modifiers) {
    for (HotkeyRole role : BothRoles) {
        Hotkey& hotkey = hotkeys[role];
        bool fires =
            (hotkey.chord & 0xFF) == key && (hotkey.chord & ChordModifiers & ~modifiers) == 0;
        if (hotkey.standing != HotkeyInForce || hotkey.standingAside || key == 0 || !fires)
            continue;
        PlatformUnregisterHotkey(gApp.mainWindow, IdOf(role));
        hotkey.standingAside = true;
        hotkey.asideKey = key;
    }
}

/* Another program may have taken the chord meanwhile: the panel says so. */
void HotkeysBackAfterPlayedKey(int key) {
    bool lost = false;
    for (HotkeyRole role : BothRoles) {
        Hotkey& hotkey = hotkeys[role];
        if (!hotkey.standingAside || (key != 0 && key != hotkey.asideKey))
            continue;
        hotkey.standingAside = false;
        Register(role);
        lost = lost || hotkey.standing != HotkeyInForce;
    }
    if (lost)
        ShowHotkeyStandings();
}

/* ---- A hotkey pressed ---- */

static void OnRecordHotkey(int32_t chord, bool fromOwnLoop) {
    if (RecordingInProgress()) {
        LogPrintf(LogLow, "The record hotkey stops the recording");
        LeaveChordOutOfRecording(chord);
        StopRecording();
        return;
    }
    if (gJournal.hook != nullptr || !fromOwnLoop || !IsCommandOffered(ID_RECORDER_START))
        return;
    LogPrintf(LogLow, "The record hotkey starts a recording");
    StartRecording();
    LeaveChordOutOfRecording(chord);
}

/* The play hotkey during a recording does nothing, but the system took
 * its chord all the same: the recording leaves it out too. */
static void OnPlayHotkey(int32_t chord, bool fromOwnLoop) {
    if (RecordingInProgress()) {
        LeaveChordOutOfRecording(chord);
        return;
    }
    if (PlaybackPassInProgress()) {
        LogPrintf(LogLow, "The play hotkey stops the playback");
        StopRecording(); /* ends the playback, as Stop does */
        return;
    }
    if (gJournal.hook != nullptr || !fromOwnLoop || !IsCommandOffered(ID_RECORDER_PLAYBACK))
        return;
    LogPrintf(LogLow, "The play hotkey starts a playback");
    StartPlaybackAfterChord(chord);
}

void HandleHotkey(uintptr_t id, bool fromOwnLoop) {
    if (id != (uintptr_t)IdOf(RecordHotkeyRole) && id != (uintptr_t)IdOf(PlayHotkeyRole))
        return;
    HotkeyRole role = (HotkeyRole)(id - HotkeyIdBase);
    const Hotkey& hotkey = hotkeys[role];
    if (hotkey.standing != HotkeyInForce || hotkey.standingAside)
        return;
    if (fromOwnLoop && TypeChordIntoFocusedField(hotkey.chord))
        return;
    if (role == RecordHotkeyRole)
        OnRecordHotkey(hotkey.chord, fromOwnLoop);
    else
        OnPlayHotkey(hotkey.chord, fromOwnLoop);
}
