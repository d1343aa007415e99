/*
 * auto_type.cpp: turning a TYPE command's text into key events.
 *
 * The expansion goes by kind of token, not left to right. Character tokens
 * ({enter}, {tab}, ...) first become their characters. Then at most one
 * event block per kind of key token is inserted, always in this order and
 * always ahead of anything typed: Alt down, Alt up, Shift or Ctrl down,
 * Shift or Ctrl up, one navigation or function key. Last, the value tokens
 * ({date}, {random}, ...) are filled in and what is left is typed character
 * by character. Holding a modifier across other keys therefore takes
 * several TYPE commands; for Alt, autoTypeAltHeld turns the keys typed in
 * between into system keys.
 *
 * The text is changed in place in one fixed buffer on the stack. Tokens
 * match with ASCII letters compared without regard to case.
 */
#include "playback/playback.h"

#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "log/log.h"
#include "platform/platform.h"
#include "settings/settings.h"

int32_t autoTypeAltHeld = 0;

int32_t CurrentLoopNumber(void) {
    /* Unsigned sums wrap where signed ones would be undefined. */
    return (int32_t)((uint32_t)gSettings.loopTypeBase + (uint32_t)gJournal.loopsCompleted + 1u);
}

/* ---- The working text ---- */

static const size_t MaxTextLength = ScriptTextSize - 1;

struct Expansion {
    char text[ScriptTextSize];
    int32_t position; /* where the next event block goes */
    bool cut;         /* a value token made the text longer than the buffer */
};

static bool Contains(Expansion* expansion, const char* token) {
    return FindNoCase(expansion->text, token) >= 0;
}

/* Replaces every occurrence of token; true when there was one. */
static bool ReplaceEvery(Expansion* expansion, const char* token, const char* replacement) {
    return ReplaceAllNoCase(expansion->text, sizeof expansion->text, token, replacement,
                            &expansion->cut) > 0;
}

static bool RemoveEvery(Expansion* expansion, const char* token) {
    return ReplaceEvery(expansion, token, "");
}

static void LogAtMedium(const char* line) {
    if (LogLevelAtLeast(LogMedium))
        WriteLogLine(line);
}

/* ---- Character tokens ---- */

struct CharacterToken {
    const char* token;
    const char* character;
};

static const CharacterToken CharacterTokens[] = {
    {"{\\n}", "\n"},    {"{\\r}", "\r"},   {"{\\t}", "\t"},  {"{newline}", "\n"},
    {"{return}", "\n"}, {"{enter}", "\n"}, {"{space}", " "}, {"{tab}", "\t"},
};

static void ReplaceCharacterTokens(Expansion* expansion) {
    for (const CharacterToken& row : CharacterTokens)
        ReplaceEvery(expansion, row.token, row.character);
}

/* ---- Key tokens ---- */

/* A block goes in whole or not at all, so no key-down goes in without its
 * key-up and no anchor moves for nothing. */
static bool InjectKeyBlock(Expansion* expansion, const EventRecord* records, int32_t size) {
    if (!InjectEvents(expansion->position, records, size))
        return false;
    expansion->position += size;
    return true;
}

static EventRecord KeyRecord(uint32_t message, int32_t virtualKey) {
    EventRecord record = {};
    record.message = message;
    record.paramL = virtualKey;
    return record;
}

/* The Alt key that a group of tokens names: right, left or either. */
static int32_t ChosenAltKey(Expansion* expansion, const char* rightToken, const char* leftToken) {
    if (Contains(expansion, rightToken))
        return KeyRightAlt;
    if (Contains(expansion, leftToken))
        return KeyLeftAlt;
    return KeyAlt;
}

/* The tokens that press or release Alt, and the line each logs. */
struct AltTokens {
    bool press;
    const char* either;
    const char* right;
    const char* left;
    const char* logLine;
};
static const AltTokens AltDownTokens = {true, "{altdown}", "{r_altdown}", "{l_altdown}",
                                        "    ...Injecting an events for {altdown}"};
static const AltTokens AltUpTokens = {false, "{altup}", "{r_altup}", "{l_altup}",
                                      "    ...Injecting 2 events for {altup}"};

/* Pressing while Alt is already held, or releasing while it is not, does
 * nothing: the tokens then stay in the text. */
static void PressOrReleaseAlt(Expansion* expansion, const AltTokens& tokens) {
    if ((autoTypeAltHeld != 0) == tokens.press)
        return;
    if (!Contains(expansion, tokens.either) && !Contains(expansion, tokens.right) &&
        !Contains(expansion, tokens.left))
        return;
    LogAtMedium(tokens.logLine);
    int32_t key = ChosenAltKey(expansion, tokens.right, tokens.left);
    RemoveEvery(expansion, tokens.either);
    RemoveEvery(expansion, tokens.right);
    RemoveEvery(expansion, tokens.left);
    EventRecord record = KeyRecord(tokens.press ? MsgSysKeyDown : MsgSysKeyUp, key);
    if (InjectKeyBlock(expansion, &record, 1))
        autoTypeAltHeld = tokens.press ? autoTypeAltHeld + 1 : 0;
}

/* One Shift or Ctrl event for both tokens of a group, Ctrl when its token
 * was there. Plain key messages, also while Alt is held. */
static void ShiftOrControl(Expansion* expansion, const char* shiftToken, const char* controlToken,
                           uint32_t message, const char* logLine) {
    if (!Contains(expansion, shiftToken) && !Contains(expansion, controlToken))
        return;
    LogAtMedium(logLine);
    RemoveEvery(expansion, shiftToken);
    bool control = RemoveEvery(expansion, controlToken);
    EventRecord record = KeyRecord(message, control ? KeyControl : KeyShift);
    InjectKeyBlock(expansion, &record, 1);
}

struct NavigationToken {
    const char* token;
    int32_t virtualKey;
};

/* In order of removal; when a text holds several, the last row wins. */
static const NavigationToken NavigationTokens[] = {
    {"{F1}", KeyF1},
    {"{F2}", KeyF1 + 1},
    {"{F3}", KeyF1 + 2},
    {"{F4}", KeyF1 + 3},
    {"{F5}", KeyF1 + 4},
    {"{F6}", KeyF1 + 5},
    {"{F7}", KeyF1 + 6},
    {"{F8}", KeyF1 + 7},
    {"{F9}", KeyF1 + 8},
    {"{F10}", KeyF1 + 9},
    {"{F11}", KeyF1 + 10},
    {"{F12}", KeyF1 + 11},
    {"{uparrow}", KeyUp},
    {"{downarrow}", KeyDown},
    {"{rightarrow}", KeyRight},
    {"{leftarrow}", KeyLeft},
    {"{pageup}", KeyPageUp},
    {"{pagedown}", KeyPageDown},
    {"{end}", KeyEnd},
    {"{home}", KeyHome},
    {"{insert}", KeyInsert},
    {"{delete}", KeyDelete},
    {"{backspace}", KeyBackspace},
    {"{add}", KeyAdd},
    {"{subtract}", KeySubtract},
    {"{decimal}", KeyDecimal},
    {"{divide}", KeyDivide},
    {"{esc}", KeyEscape},
};

/* A key block is due for any brace followed by F and any "arrow}", even
 * when no token of the table matches; the key is then 0. */
static bool HasNavigationTrigger(Expansion* expansion) {
    static const char* const Triggers[] = {
        "{F",       "arrow}",      "{pagedown}", "{pageup}",   "{home}",    "{end}",    "{insert}",
        "{delete}", "{backspace}", "{add}",      "{subtract}", "{decimal}", "{divide}", "{esc}",
    };
    for (const char* trigger : Triggers) {
        if (Contains(expansion, trigger))
            return true;
    }
    return false;
}

static void PressNavigationKey(Expansion* expansion) {
    if (!HasNavigationTrigger(expansion))
        return;
    LogAtMedium("    ...Injecting an events for {some movement key}");
    int32_t key = 0;
    for (const NavigationToken& row : NavigationTokens) {
        if (RemoveEvery(expansion, row.token))
            key = row.virtualKey;
    }
    bool alt = autoTypeAltHeld != 0;
    EventRecord records[2] = {KeyRecord(alt ? MsgSysKeyDown : MsgKeyDown, key),
                              KeyRecord(alt ? MsgSysKeyUp : MsgKeyUp, key)};
    InjectKeyBlock(expansion, records, 2);
}

/* ---- Value tokens ---- */

static const size_t ValueSize = 96;

static void FormatRandom(char* value) {
    snprintf(value, ValueSize, "%ld",
             (long)RandomInRange(gSettings.randomMin, gSettings.randomMax));
}

static void FormatDate(char* value) {
    LocalTime now;
    PlatformLocalTime(&now);
    snprintf(value, ValueSize, "%02d/%02d/%02d", now.month, now.day, now.year);
}

static void FormatTime(char* value) {
    LocalTime now;
    PlatformLocalTime(&now);
    snprintf(value, ValueSize, "%02d:%02d:%02d", now.hour, now.minute, now.second);
}

static void FormatDateTimeNumber(char* value) {
    LocalTime now;
    PlatformLocalTime(&now);
    snprintf(value, ValueSize, "%04d%02d%02d%02d%02d%02d%04d", now.year, now.month, now.day,
             now.hour, now.minute, now.second, now.milliseconds);
}

static void FormatLoopNumber(char* value) {
    snprintf(value, ValueSize, "%ld", (long)CurrentLoopNumber());
}

struct ValueToken {
    const char* token;
    void (*format)(char* value);
};

static const ValueToken ValueTokens[] = {
    {"{random}", FormatRandom},
    {"{date}", FormatDate},
    {"{time}", FormatTime},
    {"{dtnumber}", FormatDateTimeNumber},
    {"{playbackloop}", FormatLoopNumber},
};

/* Each token's value is made once, so every occurrence gets the same one,
 * and only when the token is there: an absent {random} draws no number. */
static void FillValueTokens(Expansion* expansion) {
    char value[ValueSize];
    for (const ValueToken& row : ValueTokens) {
        if (!Contains(expansion, row.token))
            continue;
        row.format(value);
        ReplaceEvery(expansion, row.token, value);
    }
    if (expansion->cut)
        ReportRunOutcome(ExitPlayedInPart);
    if (expansion->cut && LogLevelAtLeast(LogLow)) {
        char line[120];
        snprintf(line, sizeof line,
                 "    ERROR: The text to type grew past %d characters and was cut",
                 (int)MaxTextLength);
        WriteLogLine(line);
    }
}

/* ---- The expansion ---- */

int32_t ExpandAutoType(int32_t position, const char* text) {
    Expansion expansion;
    memset(&expansion, 0, sizeof expansion);
    if (text != nullptr)
        memcpy(expansion.text, text, strnlen(text, MaxTextLength));
    expansion.position = position;

    ReplaceCharacterTokens(&expansion);
    PressOrReleaseAlt(&expansion, AltDownTokens);
    PressOrReleaseAlt(&expansion, AltUpTokens);
    ShiftOrControl(&expansion, "{shiftdown}", "{ctrldown}", MsgKeyDown,
                   "    ...Injecting an events for {shift/ctrl/down}");
    ShiftOrControl(&expansion, "{shiftup}", "{ctrlup}", MsgKeyUp,
                   "    ...Injecting an events for {shift/ctrl/up}");
    PressNavigationKey(&expansion);
    FillValueTokens(&expansion);
    return TypeTextEvents(expansion.position, gRecording.eventCount, expansion.text,
                          autoTypeAltHeld);
}
