/*
 * text_script.cpp: the editable text script, and what its reader
 * (text_script_reader.cpp) and its writer (text_script_writer.cpp) share:
 * the names of event lines' messages.
 *
 * A script is text, one event or script command per line. An event line
 * reads "message=NAME paramH=N paramL=N time=N", NAME one of the names
 * below or a number; a command line is a keyword and its text ("WAIT 2
 * seconds"), and stands at the position of the event list that the
 * command takes as its placeholder; a line whose first non-blank
 * character is not a letter is a comment. A window note (model.h) is a
 * line of its own right before its event's, in a form older versions take
 * for a comment. The writer puts each command back where its placeholder
 * stands, so a script survives being saved.
 *
 * The program holds text in the system's ANSI code page, and most scripts
 * are read and written byte for byte. A script saved as UTF-8 (after a
 * byte-order mark or without one) is read as the characters its author
 * wrote and saved as UTF-8 again.
 */
#include "model/recording_files.h"

/* In the order a message value is tested for them. */
const ScriptMessageName ScriptMessageNames[] = {
    {"WM_MOUSEMOVE", 12, MsgMouseMove}, {"WM_KEYDOWN", 10, MsgKeyDown},
    {"WM_KEYUP", 8, MsgKeyUp},          {"WM_LBUTTONDOWN", 14, MsgLButtonDown},
    {"WM_LBUTTONUP", 12, MsgLButtonUp}, {"WM_CHAR", 7, MsgChar},
    {"WM_COMMAND", 10, MsgCommand},     {"WM_SYSKEYDOWN", 13, MsgSysKeyDown},
    {"WM_SYSKEYUP", 11, MsgSysKeyUp},
};
const int ScriptMessageNameCount = (int)(sizeof ScriptMessageNames / sizeof ScriptMessageNames[0]);

const char* NameOfMessage(uint32_t message) {
    for (const ScriptMessageName& name : ScriptMessageNames) {
        if (name.message == message)
            return name.name;
    }
    return nullptr;
}
