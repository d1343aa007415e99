/*
 * playback.h: the playback engine.
 *
 * A playback feeds the recording's events to the system through a
 * journal-playback hook, one event per request, paced by the recorded time
 * stamps and the chosen speed. Script commands run where their placeholder
 * events stand; typed text and clicks are inserted into the playing list,
 * which is put back as it was after every pass.
 */
#ifndef MIRLOW_PLAYBACK_H
#define MIRLOW_PLAYBACK_H

#include <cstdint>

#include "model/model.h"

/* ---- The scheduler ---- */

/* The Playback command: takes the snapshot and installs the hook. */
void StartPlayback(void);

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

/* True while a playback pass holds the snapshot. */
bool PlaybackPassInProgress(void);

/* Shows a message box for an error that ended the playback; in command-line
 * mode the run then ends (after the box is closed, so the box's own message
 * loop never sees the program end beneath it). */
void ReportPlaybackError(const char* text, const char* caption, uint32_t style);

/* ---- Script commands ---- */

/* Runs the command with that index at its placeholder; returns the delay
 * for the hook to answer. */
intptr_t RunScriptCommand(int command);

/* The Special Type key: replaces the key's press by typed text. */
void SubstituteTypeKey(void);

/* Starts a program from a command line; true when it was started. Returns
 * after at most one short wait, whether the program still runs or not. */
bool RunProgram(const char* commandLine);

/* ---- Pseudo-random numbers ----
 * The program's own generator: the classic 15-bit linear congruential
 * formula, so the same seed gives the same numbers on every platform and C
 * library. */
void SeedRandom(uint32_t seed);
/* The next number, 0 to 32,767. */
int NextRandom(void);

#endif
