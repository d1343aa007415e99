/*
 * playback.h: the playback engine.
 *
 * A playback feeds the recording's events to the system through a
 * journal-playback hook, one event per request, paced by the recorded time
 * stamps and the chosen speed. Script commands run where their placeholder
 * events stand; typed text and clicks are inserted into the playing list,
 * which is put back as it was after every pass.
 *
 * The journal hooks' state is kept here: the recorder, which installs the
 * other kind of hook, shares it.
 */
#ifndef MIRLOW_PLAYBACK_H
#define MIRLOW_PLAYBACK_H

#include <cstdint>

#include "model/model.h"
#include "platform/platform.h"

/* The journal hooks' state, shared by the recorder and playback. While
 * recording, position counts the captured events; while playing, it is the
 * index of the event played. */
struct JournalState {
    HookHandle hook; /* the installed record or playback hook; null when none */
    int32_t position;
    bool freshEvent;
    int32_t pendingDelay;
    uint32_t delayStart;
    int32_t surplus;
    WindowHandle gotoWindow;
    bool passInProgress;    /* a playback pass holds the recording's snapshot */
    int32_t loopsCompleted; /* the run's completed playback passes */
};

extern JournalState gJournal;

/* ---- The scheduler ---- */

/* The Playback command: takes the snapshot and installs the hook. */
void StartPlayback(void);
/* The Playback command given by a hotkey's chord (packed as platform.h
 * packs it): the first event waits until the user has let go of the
 * chord's keys, for at most UserKeysWaitLimit ms, so that keys still held
 * for the chord never join the played input. */
void StartPlaybackAfterChord(int32_t chord);
/* How long a playback holds its input back for keys the user holds: the
 * chord that started it, or a modifier pressed while it plays (Ctrl on
 * the way to Ctrl+Esc or to the play hotkey). */
const int32_t UserKeysWaitLimit = 3000;

/* The journal-playback hook. Returns the delay for HookGetNext, otherwise
 * 0 or what the next hook answered; sets *wroteRecord when it filled
 * *record with the event to hand to the system. */
intptr_t PlaybackHookProc(int code, EventRecord* record, bool* wroteRecord);

/* Ends a playback on an error: removes the hook, puts the list back and
 * tells the main window that the run stopped. */
void AbortPlayback(void);

/* A pass that ends before its last event (an error, the cancel keys, the
 * window closing) leaves inserted events and moved anchors in the list;
 * this puts the snapshot back. Does nothing when no pass is in progress. */
void FinishInterruptedPass(void);

/* Forgets a run's completed passes and its timing bookkeeping: at the end
 * of a run, and when a run ends early. */
void ResetRunCounters(void);

/* True while a playback pass holds the snapshot. */
bool PlaybackPassInProgress(void);

/* Shows a message box for an error that ended the playback; in command-line
 * mode the run then ends (after the box is closed, so the box's own message
 * loop never sees the program end beneath it). */
void ReportPlaybackError(const char* text, const char* caption, uint32_t style);

/* ---- Script commands ---- */

/* Bringing another program's window to the front: the one way playback
 * does it (GOTO uses it, and so should anything else that brings a window
 * forward during a playback). The window's thread is asked first whether
 * it answers; it is shown and activated with calls that never wait for
 * it, confirmed as the foreground window, and only then, if the system
 * refused, tried again by sharing the foreground thread's input (never
 * with a thread that does not answer). A window whose program is busy or
 * hung gives FrontNotAnswering within about two seconds; the whole call
 * takes at most about four, unless the cancel keys end it at once. */
enum FrontOutcome {
    FrontReached,      /* it is the foreground window now */
    FrontRefused,      /* the system kept it from the front */
    FrontNotAnswering, /* its program does not answer */
    FrontCancelled,    /* the cancel keys were pressed meanwhile */
};
FrontOutcome BringWindowToFront(WindowHandle window);

/* Runs the command with that index at its placeholder; returns the delay
 * for the hook to answer. */
intptr_t RunScriptCommand(int command);

/* The Special Type key: replaces the key's press by typed text. */
void SubstituteTypeKey(void);

/* Starts a program from a command line; true when it was started. Returns
 * after at most one short wait, whether the program still runs or not. */
bool RunProgram(const char* commandLine);

/* ---- Waiting for the window an event was meant for ----
 * An event that carries a window note (model.h) is sent only once a
 * visible top-level window with the noted title, class and program is
 * there and in front, for at most WindowWaitLimit(); the wait is done
 * by answering the system with short delays, so the cancel keys end it
 * at once. When the window's top-left corner is no longer where it was,
 * the clicks and moves from its note on (up to the next note or script
 * command) are played at the same offset from its corner. A window that
 * does not come ends the run as a GOTO that fails. A START waits the same
 * way, within the same limit, for the program it started to be ready for
 * input. A limit of 0 turns all of it off: a recording plays as it would
 * without notes. */

/* The limit in milliseconds, from the WindowWait setting (seconds). */
int32_t WindowWaitLimit(void);
/* How often a wait looks again, in milliseconds. */
const int32_t WindowWaitInterval = 50;
/* AwaitEventWindow's answer when the event may go now. */
const intptr_t WindowReady = -1;
/* Before the event at the current position is sent, or its command run:
 * WindowReady, or what the hook answers the system meanwhile: the time
 * to wait before asking again, or 0 when the run has ended because the
 * window did not come. */
intptr_t AwaitEventWindow(void);
/* While the system waits out the current event's delay: when its window
 * is there already, it is made ready (brought to the front, followed), so
 * the event goes when it is due with only a look at the foreground
 * window; when it is not, it is waited for then. False when the run ended
 * (the window would not come to the front). */
bool LookAheadForEventWindow(void);
/* True while the wait for the current event's window is undecided. */
bool AwaitingEventWindow(void);
/* ---- Landing on the same spot (window_follow.cpp) ----
 * The mouse records after a note are played at the same spot of its
 * window, measured from the window's corner and scaled by the ratio of
 * the window's scale now to its scale then; a press noted with its
 * control goes to the same spot of that control, found again where the
 * layout differs, and its moves and release follow it. */
/* Starts following the window of the note at the current position, now
 * in front; finds the control of a press. */
void FollowNotedWindow(int32_t note, WindowHandle window, const char* title);
/* Nothing follows any window (a script command plays its own points). */
void StopFollowing(void);
/* StopFollowing, and the log names each window's scale afresh. */
void ForgetFollowedWindows(void);
/* Moves a mouse record handed to the system to where its spot of the
 * window (or control) is now; other records are left alone. */
void FollowMovedWindow(EventRecord* record);
/* A pass starts, or ends: no note looked at, nothing followed, a program
 * still being waited for is let go. */
void ResetWindowWaits(void);

/* START: begins to wait for the started program to be ready for input
 * (the process handle is the wait's until it ends) and returns the hook's
 * answer; 0 when it is ready with a window of its own, or waiting is
 * off. A program that ends, takes no input or shows no window of its own
 * (one that hands over to another process) is followed by waiting, within
 * the same limit, for a new window to come to the front: another than
 * frontBefore, the foreground window when it was started. */
intptr_t AwaitProgramReady(ProcessHandle process, const char* commandLine,
                           WindowHandle frontBefore);
bool AwaitingProgram(void);
intptr_t ContinueProgramWait(void);

/* GOTO: a window that is not there yet is waited for within the same
 * limit, looked for again every WindowWaitInterval (script_commands.cpp). */
bool AwaitingGotoWindow(void);
intptr_t ContinueGotoWait(void);
void ForgetGotoWait(void);

/* True when text matches pattern: '*' in the pattern stands for any run of
 * characters, none included, and every other character for itself. The
 * caller compares capitals with capitals (PlatformUpperCase). */
bool WindowTextMatches(const char* pattern, const char* text);

/* ---- Pseudo-random numbers ----
 * The program's own generator: the classic 15-bit linear congruential
 * formula, so the same seed gives the same numbers on every platform and C
 * library. */
void SeedRandom(uint32_t seed);
/* The next number, 0 to 32,767. */
int NextRandom(void);

/* ---- Typing and event injection ----
 *
 * While a pass plays, typed text and synthesized clicks are inserted into
 * the live event list right after the current position, so the playback
 * hook plays them next as if they had been recorded. Positions are 0-based
 * indexes into gRecording.events; script commands are tied to the list by
 * index, so whoever inserts also moves the anchors of the commands after
 * the insertion point (ShiftAnchors).
 *
 * The list never grows past MaxEvents. An insertion that does not fit is
 * refused whole and logged (an ERROR line at LOW): nothing is written and
 * the result says so. Typing never splits a key press: a key-down goes in
 * only together with its key-up, a Shift-wrapped character only with both
 * Shift records, so a full list cannot leave a key held down.
 */

/* The virtual key that types a character on the United States layout, and
 * whether it needs Shift. The table is fixed; it does not consult the
 * active keyboard layout. */
struct CharacterKey {
    int32_t virtualKey;
    bool shift;
};
CharacterKey KeyForCharacter(char character);

/* Inserts size records at position into a list that holds count valid
 * records, in one move of the list's tail, with the same result as
 * inserting them one after another at position, position + 1, ... All or
 * nothing: false, with nothing written, when they do not all fit (the list
 * would pass MaxEvents) or position is not within 0 to count. Use it for
 * records that belong together (a click's button down and up). eventCount
 * is not touched: the caller keeps a running count. */
bool InsertEventRun(int32_t position, int32_t count, const EventRecord* records, int32_t size);

/* Adds delta to the anchor of every valid command, and of every window
 * note, anchored at from or later. */
void ShiftAnchors(int32_t from, int32_t delta);

/* Inserts a block of records that belong together (a click, a key's down
 * and up) at position in the playing list: moves the anchors from position
 * on, inserts the records and counts them into eventCount. All or nothing:
 * false, with nothing changed and the refusal logged, when they do not
 * fit. */
bool InjectEvents(int32_t position, const EventRecord* records, int32_t size);
/* InjectEvents in its two steps, for a caller that logs between them: the
 * room for size records at position, with the anchors moved (false, with
 * nothing changed and the refusal logged, when they do not fit), then the
 * records themselves. */
bool MakeRoomForEvents(int32_t position, int32_t size);
void PlaceEvents(int32_t position, const EventRecord* records, int32_t size);

/* Inserts the key records that type text, from position on, into a list of
 * count valid records: a key-down and key-up per character, wrapped in
 * Shift down and up when the character needs Shift and altHeld is 0; with
 * altHeld nonzero the pair is WM_SYSKEYDOWN/WM_SYSKEYUP and never shifted.
 * Returns the number of records inserted. The characters that no longer
 * fit are left out (logged), so the result may be short of the full text.
 * Neither eventCount nor any anchor changes: the caller adds the result to
 * eventCount and calls ShiftAnchors(position, result). */
int32_t TypeTextEvents(int32_t position, int32_t count, const char* text, int32_t altHeld);

/* Nonzero while an auto-typed Alt key is down. Every start of a pass sets
 * it to 0; {altdown} raises it and {altup} clears it. */
extern int32_t autoTypeAltHeld;

/* Expands a TYPE command's text and inserts its events from position on
 * (the command's placeholder + 1). Key tokens ({altdown}, {ctrlup}, {F5},
 * ...) become their own event blocks, inserted first, already counted into
 * eventCount and already reflected in the anchors. The rest of the text,
 * with character and value tokens replaced, is typed behind them; the
 * number of those records is returned, for the caller to add to eventCount
 * and pass to ShiftAnchors(position, result). */
int32_t ExpandAutoType(int32_t position, const char* text);

/* A pseudo-random number from minimum to maximum inclusive, scaled from
 * NextRandom(): minimum + (r * 3.0516646 * 0.00001 * (maximum - minimum
 * + 1)) truncated, in single precision. Bounds the wrong way round give a
 * number between them (never the smaller one). */
int32_t RandomInRange(int32_t minimum, int32_t maximum);

/* The number that {playbackloop} and the type key type for the pass being
 * played: LoopTypeBase + passes completed + 1, wrapping as 32-bit. */
int32_t CurrentLoopNumber(void);

/* ---- Keys and buttons held down by the played input ----
 * Every record handed to the system is noted, on either way of playing,
 * so that every end of a run can let go of what is still down. */

/* Notes the keys and buttons the record presses or releases. */
void NoteHandedOver(const EventRecord& record);
/* True while the played input holds Ctrl or Alt down, so a typed
 * character is a shortcut key rather than text. */
bool PlaybackHoldsShortcutModifier(void);
/* Hands the system a release of every key and button still down, the last
 * pressed first (once the hook is gone), and forgets them. */
void SendReleasesOfHeldInput(void);

#endif
