/*
 * control_facts.h: how a control (a child window) inside another
 * program's window is described, by one rule for the recording that notes
 * it and the playback that looks for it again: its class, its control ID,
 * its label where it shows one, its place among the window's controls of
 * its class, and its rectangle.
 *
 * Kept beside the platform because the Windows side describes the control
 * of a press on the thread of its input hooks, at the moment of the press,
 * and the simulated desktop does the same when a test hands it input.
 * Everything is read through the platform seam, so no message goes to
 * the other program.
 */
#ifndef MIRLOW_CONTROL_FACTS_H
#define MIRLOW_CONTROL_FACTS_H

#include "platform/platform.h"

/* A longer class keeps its first 127 characters and '*'; a label has at
 * most 63 characters. */
const int ControlFactClassSize = RecordedControlClassSize;
const int ControlFactTextSize = RecordedControlTextSize;
/* The controls a window may have that are looked at; a window with more
 * is described by its first ones. */
const int MaxListedControls = 2048;

struct ControlFacts {
    WindowHandle control;
    char className[ControlFactClassSize];
    char text[ControlFactTextSize]; /* its label; empty for a control that shows none */
    int id;
    int place; /* among the window's visible controls of its class, from 0 */
    ScreenRect rect;
};

/* Whether controls of the class show a label of their own as their text
 * (buttons, check boxes, static texts, links, the pages of a tab dialog),
 * which tells them apart where IDs do not. Texts of other controls (edit
 * fields, lists, combo boxes) are what the user typed or chose, possibly
 * a password: they are never read. */
bool ShowsLabel(const char* className);
/* The control of topLevel that input aimed at target went to: target
 * itself when it is a visible child window of topLevel (at any depth),
 * described; false for input to the window itself, to no window, or to a
 * window of another. */
bool DescribeControl(WindowHandle topLevel, WindowHandle target, ControlFacts* facts);
/* Reads the class (cut to fit), ID, label and rectangle of a control;
 * false when it is gone. The place is left for the caller. */
bool ReadControlFacts(WindowHandle control, ControlFacts* facts);

/* What a recording notes of the window a press went to (RecordedWindow),
 * read at the press: the top-level window of target, and, for a mouse
 * button press (buttonPress), the control of target. False, with a null
 * window, where the window cannot be read (gone, or none). */
bool LookAtPressWindow(WindowHandle target, bool buttonPress, RecordedWindow* seen);

#endif
