/*
 * message_boxes.cpp: every message box of the program goes through here,
 * so what happens to a box that nobody could see or answer is decided in
 * one place.
 *
 * Where nobody can see the desktop (a scheduled task that runs whether the
 * user is signed in or not), a box would wait for ever and an unattended
 * run would never end. There the box is not shown: its text goes to the
 * log, and it is answered with its default button, so the run goes on to
 * its end and its exit code. An unattended run may also be told not to
 * wait long for an answer even where a box can be seen: it then takes
 * its default answer by itself after a while, and the log says so.
 */
#include "log/log.h"

#include <cstdio>

#include "platform/platform.h"

/* The buttons of each button set, in order (the system's answer values). */
static const int ButtonSets[][3] = {
    {AnswerOk, 0, 0},            /* OK */
    {AnswerOk, AnswerCancel, 0}, /* OK, Cancel */
    {3, 4, 5},                   /* Abort, Retry, Ignore */
    {AnswerYes, AnswerNo, AnswerCancel},
    {AnswerYes, AnswerNo, 0},
    {4, AnswerCancel, 0}, /* Retry, Cancel */
};

/* The answer of the button the box would have focused first. */
static int DefaultAnswer(uint32_t style) {
    uint32_t set = style & 0x0F;
    uint32_t button = (style >> 8) & 0x0F; /* the default-button bits */
    if (set >= sizeof ButtonSets / sizeof ButtonSets[0])
        set = 0;
    if (button > 2 || ButtonSets[set][button] == 0)
        button = 0;
    return ButtonSets[set][button];
}

static const char* AnswerName(int answer) {
    static const char* const names[] = {"",      "OK",     "Cancel", "Abort",
                                        "Retry", "Ignore", "Yes",    "No"};
    return answer > 0 && answer < 8 ? names[answer] : "";
}

/* The text on one line: each run of line breaks becomes one blank. */
static void Flatten(const char* text, char* line, size_t size) {
    size_t length = 0;
    for (; *text != '\0' && length + 1 < size; text++) {
        bool lineBreak = *text == '\n' || *text == '\r';
        if (!lineBreak)
            line[length++] = *text;
        else if (length > 0 && line[length - 1] != ' ')
            line[length++] = ' ';
    }
    line[length] = '\0';
}

static int AnswerUnseenBox(const char* text, const char* caption, uint32_t style) {
    int answer = DefaultAnswer(style);
    if (LogLevelAtLeast(LogLow)) {
        char line[LogLineSize];
        Flatten(text, line, sizeof line);
        LogPrintf(LogLow, "Message box '%s' (nobody can see the desktop; answered %s): %s", caption,
                  AnswerName(answer), line);
    }
    return answer;
}

/* Seconds a box waits before it answers itself; 0: until it is answered. */
static int32_t boxWait;
static const int32_t LongestBoxWait = 24 * 60 * 60;

void SetMessageBoxWait(int32_t seconds) {
    boxWait = seconds <= 0 ? 0 : seconds > LongestBoxWait ? LongestBoxWait : seconds;
}

static int ShowTimedBox(const char* text, const char* caption, uint32_t style, int iconId) {
    int answer = DefaultAnswer(style);
    bool closedItself = false;
    int result = PlatformTimedMessageBox(text, caption, style, iconId, boxWait * 1000, answer,
                                         &closedItself);
    if (closedItself && LogLevelAtLeast(LogLow)) {
        char line[LogLineSize];
        Flatten(text, line, sizeof line);
        LogPrintf(LogLow, "Message box '%s' closed itself after %ld s (answered %s): %s", caption,
                  (long)boxWait, AnswerName(answer), line);
    }
    return result;
}

int ShowMessageBox(const char* text, const char* caption, uint32_t style) {
    if (!PlatformDesktopVisible())
        return AnswerUnseenBox(text, caption, style);
    if (boxWait > 0)
        return ShowTimedBox(text, caption, style, 0);
    return PlatformMessageBox(text, caption, style);
}

int ShowMessageWithIcon(const char* text, const char* caption, uint32_t style, int iconId) {
    if (!PlatformDesktopVisible())
        return AnswerUnseenBox(text, caption, style);
    if (boxWait > 0)
        return ShowTimedBox(text, caption, style, iconId);
    return PlatformMessageBoxWithIcon(text, caption, style, iconId);
}
