/*
 * injection.cpp: inserting synthesized events into the playing list.
 *
 * Inserted records are played next, so insertion happens while the system
 * waits for the hook's answer. A run of records therefore costs one move of
 * the list's tail however long it is: typing 1,000 characters into a long
 * list moves the tail once, not once per key record. The records land
 * exactly where inserting them one at a time would have put them.
 */
#include "playback/playback.h"

#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "log/log.h"
#include "platform/input_rules.h"
#include "platform/platform.h"

/* ---- The character table ---- */

/* Punctuation of the United States layout: the key that carries the
 * character and whether Shift selects it. */
struct PunctuationKey {
    char character;
    int32_t virtualKey;
    bool shift;
};

static const PunctuationKey PunctuationKeys[] = {
    {'!', 0x31, true},  {'@', 0x32, true}, {'#', 0x33, true},   {'$', 0x34, true},
    {'%', 0x35, true},  {'^', 0x36, true}, {'&', 0x37, true},   {'*', 0x38, true},
    {'(', 0x39, true},  {')', 0x30, true}, {';', 0xBA, false},  {':', 0xBA, true},
    {'=', 0xBB, false}, {'+', 0xBB, true}, {',', 0xBC, false},  {'<', 0xBC, true},
    {'-', 0xBD, false}, {'_', 0xBD, true}, {'.', 0xBE, false},  {'>', 0xBE, true},
    {'/', 0xBF, false}, {'?', 0xBF, true}, {'`', 0xC0, false},  {'~', 0xC0, true},
    {'[', 0xDB, false}, {'{', 0xDB, true}, {'\\', 0xDC, false}, {'|', 0xDC, true},
    {']', 0xDD, false}, {'}', 0xDD, true}, {'\'', 0xDE, false}, {'"', 0xDE, true},
};

CharacterKey KeyForCharacter(char character) {
    if (character >= 'A' && character <= 'Z')
        return CharacterKey{character, true};
    if (character >= 'a' && character <= 'z')
        return CharacterKey{character - 0x20, false};
    if ((character >= '0' && character <= '9') || character == '\t' || character == ' ')
        return CharacterKey{character, false};
    if (character == '\n' || character == '\r')
        return CharacterKey{KeyReturn, false};
    for (const PunctuationKey& key : PunctuationKeys) {
        if (key.character == character)
            return CharacterKey{key.virtualKey, key.shift};
    }
    /* Anything else types the key with its own code; a code above 127 is
     * taken as a signed byte, so only the low byte carries the code. */
    return CharacterKey{(int32_t)(signed char)character, false};
}

/* ---- Room in the list and moving its tail ---- */

/* Free entries behind a list of count records, or 0 when position is not a
 * place in that list (0 to count). */
static int32_t RoomAt(int32_t position, int32_t count) {
    if (count < 0 || count > MaxEvents || position < 0 || position > count)
        return 0;
    return MaxEvents - count;
}

/* Whatever the list had no room for is not played: the run is played
 * only in part, which an unattended run must not report as a success. */
static void ReportRefusedInsertion(int32_t position, int32_t count, int32_t size) {
    ReportRunOutcome(ExitPlayedInPart);
    if (!LogLevelAtLeast(LogLow))
        return;
    char line[200];
    snprintf(line, sizeof line,
             "    ERROR: Unable to inject %d event(s) at (0-based) position [%d] of %d: the "
             "list holds at most %d events",
             (int)size, (int)position, (int)count, MaxEvents);
    WriteLogLine(line);
}

/* Moves the records at position to count - 1 up by size places, in one
 * move. The caller has checked that they fit. */
static void OpenGap(int32_t position, int32_t count, int32_t size) {
    if (size == 0 || count == position)
        return;
    EventRecord* events = gRecording.events;
    memmove(&events[position + size], &events[position],
            sizeof(EventRecord) * (size_t)(count - position));
}

static void PlaceRecord(int32_t position, const EventRecord& record) {
    gRecording.events[position] = record;
    if (LogLevelAtLeast(LogHigh)) {
        char line[96];
        snprintf(line, sizeof line, "        +---Injected new event at (0-based) position [%d]",
                 (int)position);
        WriteLogLine(line);
    }
}

bool InsertEventRun(int32_t position, int32_t count, const EventRecord* records, int32_t size) {
    if (size < 0 || size > RoomAt(position, count)) {
        ReportRefusedInsertion(position, count, size);
        return false;
    }
    OpenGap(position, count, size);
    for (int32_t i = 0; i < size; i++)
        PlaceRecord(position + i, records[i]);
    return true;
}

/* ---- Anchors ---- */

static void LogAnchorShift(int32_t command, int32_t from, int32_t to) {
    char line[ScriptTextSize + 200];
    snprintf(line, sizeof line,
             "        ~~~Adjusting upcoming script command #%d (%s %s) from event (0-based) index "
             "[%d] to [%d]",
             (int)command, KeywordOfKind(gRecording.commandKinds[command]),
             gRecording.commandTexts[command], (int)from, (int)to);
    WriteLogLine(line);
}

void ShiftAnchors(int32_t from, int32_t delta) {
    int32_t commands = gRecording.commandCount;
    if (commands > MaxScriptCommands)
        commands = MaxScriptCommands;
    for (int32_t i = 0; i < commands; i++) {
        int32_t anchor = gRecording.commandAnchors[i];
        if (anchor < from)
            continue;
        if (LogLevelAtLeast(LogHigh))
            LogAnchorShift(i, anchor, anchor + delta);
        gRecording.commandAnchors[i] = anchor + delta;
    }
    /* Window notes stay with their events; they are in anchor order. */
    int32_t notes = WindowNoteCount();
    for (int32_t i = FirstWindowNoteAtOrAfter(from); i < notes; i++)
        gRecording.windows->anchors[i] += delta;
}

/* The anchors move before the records go in, so the log shows each
 * adjustment ahead of the insertion it makes room for. */
bool MakeRoomForEvents(int32_t position, int32_t size) {
    int32_t count = gRecording.eventCount;
    if (size < 0 || size > RoomAt(position, count)) {
        ReportRefusedInsertion(position, count, size);
        return false;
    }
    ShiftAnchors(position, size);
    return true;
}

void PlaceEvents(int32_t position, const EventRecord* records, int32_t size) {
    int32_t count = gRecording.eventCount;
    if (InsertEventRun(position, count, records, size))
        gRecording.eventCount = count + size;
}

bool InjectEvents(int32_t position, const EventRecord* records, int32_t size) {
    if (!MakeRoomForEvents(position, size))
        return false;
    PlaceEvents(position, records, size);
    return true;
}

/* ---- Typing ---- */

static int32_t RecordsForCharacter(char character, bool altHeld) {
    return KeyForCharacter(character).shift && !altHeld ? 4 : 2;
}

static void LogTypedCharacter(char character, const CharacterKey& key) {
    char line[120];
    snprintf(line, sizeof line,
             key.shift ? "    Injecting VK_SHIFT + WM_KEYDOWN + WM_KEYUP + VK_SHIFT for '%c' (%d) "
                         "into event stream..."
                       : "    Injecting WM_KEYDOWN + WM_KEYUP for '%c' (%d) into event stream...",
             character, (int)key.virtualKey);
    WriteLogLine(line);
}

/* The text typed by one call, converted once: for each byte, the UTF-16
 * unit its records carry (0 for a later byte of a character). Each byte
 * costs at least two records, so no more bytes than half the list's
 * entries are ever typed at once. */
static uint16_t unitOfByte[MaxEvents / 2];

/* Writes one character's records from position on, into room already
 * made for them; returns the position after them. While Alt is held the
 * keys go as system keys and Shift is left out. unit is what the byte
 * stands for in the text (0: it is a later byte of a character). */
static int32_t WriteCharacter(int32_t position, char character, uint16_t unit, bool altHeld) {
    CharacterKey key = KeyForCharacter(character);
    bool wrapInShift = key.shift && !altHeld;
    /* Printable characters are marked, so the input layer can send them as
     * characters whatever the keyboard layout; named keys stay keys, and
     * the later bytes of a character send nothing. */
    bool marked = IsTypedAsCharacter(character) || unit == 0;
    TypedRole keyRole = unit == 0 ? TypedSilent : TypedCharacter;
    uint32_t keyMark = marked ? TypedMark(keyRole, unit) : 0;
    uint32_t shiftMark = marked ? TypedMark(unit == 0 ? TypedSilent : TypedShift, unit) : 0;
    EventRecord record = {};
    if (wrapInShift) {
        record.message = MsgKeyDown;
        record.paramL = KeyShift;
        record.hwnd = shiftMark;
        PlaceRecord(position++, record);
    }
    if (LogLevelAtLeast(LogHigh))
        LogTypedCharacter(character, key);
    record.paramL = key.virtualKey;
    record.hwnd = keyMark;
    record.message = altHeld ? MsgSysKeyDown : MsgKeyDown;
    PlaceRecord(position++, record);
    record.message = altHeld ? MsgSysKeyUp : MsgKeyUp;
    PlaceRecord(position++, record);
    if (wrapInShift) {
        record.message = MsgKeyUp;
        record.paramL = KeyShift;
        record.hwnd = shiftMark;
        PlaceRecord(position++, record);
    }
    return position;
}

static void ReportUntypedCharacters(const char* untyped) {
    ReportRunOutcome(ExitPlayedInPart);
    if (!LogLevelAtLeast(LogLow))
        return;
    char line[160];
    snprintf(line, sizeof line,
             "    ERROR: The event list is full (%d events); %d character(s) left untyped",
             MaxEvents, (int)strlen(untyped));
    WriteLogLine(line);
}

static void LogTypedTotal(int32_t records) {
    char line[120];
    snprintf(line, sizeof line,
             "    ...Injected a total of %d additional events for a new total of %d", (int)records,
             (int)(gRecording.eventCount + records));
    WriteLogLine(line);
}

int32_t TypeTextEvents(int32_t position, int32_t count, const char* text, int32_t altHeld) {
    if (text == nullptr)
        text = "";
    bool alt = altHeld != 0;
    /* Count the whole characters that fit, then make room for all of them
     * at once. */
    int32_t room = RoomAt(position, count);
    int32_t fitting = 0;
    int32_t records = 0;
    while (text[fitting] != '\0') {
        int32_t needed = RecordsForCharacter(text[fitting], alt);
        if (needed > room - records)
            break;
        records += needed;
        fitting++;
    }
    OpenGap(position, count, records);
    PlatformTextUnits(text, fitting, unitOfByte);
    int32_t next = position;
    for (int32_t i = 0; i < fitting; i++)
        next = WriteCharacter(next, text[i], unitOfByte[i], alt);
    if (text[fitting] != '\0')
        ReportUntypedCharacters(text + fitting);
    if (LogLevelAtLeast(LogHigh))
        LogTypedTotal(records);
    return records;
}
