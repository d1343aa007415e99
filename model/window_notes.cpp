/*
 * window_notes.cpp: the notes of which top-level window each noted event
 * was meant for, and their line in a text script.
 *
 * The notes are kept in anchor order, one per event at most, so playback
 * can walk them with a cursor as it walks the list and a writer can put
 * each note's line right before its event's. Descriptions are kept once
 * each: a recording with hundreds of clicks into one window holds its
 * title, class and program file name once.
 *
 * The line form begins with a semicolon, so a version of the program that
 * knows nothing of window notes reads it as a comment and plays the script
 * as a plain recording.
 */
#include "model/model.h"

#include <cstdio>
#include <cstring>

static const char* const NoteLineTag = ";@window";
static const size_t NoteLineTagLength = 8;

void ClearWindowNotes(void) {
    if (gRecording.windows == nullptr)
        return;
    gRecording.windows->noteCount = 0;
    gRecording.windows->descriptionCount = 0;
    gRecording.windows->controlCount = 0;
}

/* A text as a note keeps it: a line end becomes '*' (a script line cannot
 * hold one, and '*' still matches it), and a text too long for its field
 * keeps its beginning followed by '*', so it still matches the whole. */
static void CopyPattern(char* field, size_t size, const char* text) {
    size_t length = strlen(text);
    bool cut = length > size - 1;
    if (cut)
        length = size - 2;
    for (size_t i = 0; i < length; i++)
        field[i] = text[i] == '\r' || text[i] == '\n' ? '*' : text[i];
    if (cut)
        field[length++] = '*';
    field[length] = '\0';
}

static bool SameDescription(const WindowDescription& a, const WindowDescription& b) {
    return strcmp(a.title, b.title) == 0 && strcmp(a.className, b.className) == 0 &&
           strcmp(a.program, b.program) == 0;
}

/* Recent descriptions are the likeliest to come again, so the search runs
 * from the newest. */
int32_t AddWindowDescription(const char* title, const char* className, const char* program) {
    WindowNoteTable* windows = gRecording.windows;
    if (windows == nullptr)
        return -1;
    WindowDescription wanted;
    CopyPattern(wanted.title, sizeof wanted.title, title);
    CopyPattern(wanted.className, sizeof wanted.className, className);
    CopyPattern(wanted.program, sizeof wanted.program, program);
    for (int32_t i = windows->descriptionCount - 1; i >= 0; i--) {
        if (SameDescription(windows->descriptions[i], wanted))
            return i;
    }
    if (windows->descriptionCount >= MaxWindowDescriptions)
        return -1;
    windows->descriptions[windows->descriptionCount] = wanted;
    return windows->descriptionCount++;
}

bool AddWindowNote(int32_t anchor, int32_t description, const NoteRect* rect) {
    WindowNoteTable* windows = gRecording.windows;
    if (windows == nullptr || description < 0 || description >= windows->descriptionCount ||
        anchor < 0)
        return false;
    int32_t index = windows->noteCount;
    if (index > 0 && windows->anchors[index - 1] >= anchor) {
        if (windows->anchors[index - 1] > anchor)
            return false;
        index--; /* the same event: the newer note counts */
    } else if (index >= MaxWindowNotes) {
        return false;
    }
    windows->anchors[index] = anchor;
    windows->notes[index].description = description;
    windows->notes[index].hasRect = rect != nullptr ? 1 : 0;
    windows->notes[index].rect = rect != nullptr ? *rect : NoteRect{0, 0, 0, 0};
    /* Nothing of an earlier note in the slot (or of the one it replaces)
     * stays: the scale and the control are given afterwards. */
    windows->notes[index].dpi = 0;
    windows->notes[index].hasMonitor = 0;
    windows->notes[index].hasControl = 0;
    windows->noteCount = index + 1;
    return true;
}

void DropWindowNotesFrom(int32_t position) {
    WindowNoteTable* windows = gRecording.windows;
    if (windows == nullptr)
        return;
    while (windows->noteCount > 0 && windows->anchors[windows->noteCount - 1] >= position)
        windows->noteCount--;
}

int32_t WindowNoteCount(void) {
    return gRecording.windows != nullptr ? gRecording.windows->noteCount : 0;
}

int32_t FirstWindowNoteAtOrAfter(int32_t position) {
    const WindowNoteTable* windows = gRecording.windows;
    int32_t low = 0;
    int32_t high = WindowNoteCount();
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (windows->anchors[middle] < position)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

int32_t WindowNoteAt(int32_t* cursor, int32_t position) {
    int32_t count = WindowNoteCount();
    if (*cursor < 0)
        *cursor = 0;
    if (count == 0)
        return -1;
    const int32_t* anchors = gRecording.windows->anchors;
    while (*cursor < count && anchors[*cursor] < position)
        (*cursor)++;
    return *cursor < count && anchors[*cursor] == position ? *cursor : -1;
}

const WindowDescription& DescriptionOfNote(int32_t note) {
    const WindowNoteTable* windows = gRecording.windows;
    return windows->descriptions[windows->notes[note].description];
}

/* ---- The line in a text script ----
 * A script line is read up to LongestReadLine characters of the code
 * page; the rest would be read as a line of its own, which is no window
 * note. A note whose texts, with their quotes doubled, would make a longer
 * line has its longest texts cut, each to the same length, so the shorter
 * ones stay whole; a cut text ends in '*', so it still matches the whole. */

static const size_t LongestReadLine = ScriptTextSize - 1;

static size_t QuotedLength(const char* text) {
    size_t length = 0;
    for (; *text != '\0'; text++)
        length += *text == '"' ? 2 : 1;
    return length;
}

/* The largest length each text may take in quotes so that all of them
 * together take at most budget. */
static size_t FairShare(const size_t lengths[3], size_t budget) {
    size_t share = lengths[0] > lengths[1] ? lengths[0] : lengths[1];
    share = share > lengths[2] ? share : lengths[2];
    for (;; share--) {
        size_t total = 0;
        for (int i = 0; i < 3; i++)
            total += lengths[i] < share ? lengths[i] : share;
        if (total <= budget || share == 0)
            return share;
    }
}

/* A byte that begins a character of the code page: not a later byte of
 * one, nor the second half of a character outside the Basic Multilingual
 * Plane. */
static bool BeginsCharacter(uint16_t unit) {
    return unit != 0 && (unit < 0xDC00 || unit > 0xDFFF);
}

/* The text cut to whole characters that take, in quotes and with the '*'
 * after them, at most share bytes. */
static void CutToShare(const char* text, size_t share, char* cut) {
    uint16_t units[WindowProgramSize];
    int length = (int)strlen(text);
    PlatformTextUnits(text, length, units);
    size_t quoted = 0;
    int kept = 0;
    for (int at = 0; at < length; at++) {
        quoted += text[at] == '"' ? 2 : 1;
        if (quoted + 1 > share)
            break;
        if (at + 1 == length || BeginsCharacter(units[at + 1]))
            kept = at + 1;
    }
    memcpy(cut, text, (size_t)kept);
    strcpy(cut + kept, "*");
}

/* A text in quotes, each '"' in it written twice. */
static char* PutQuoted(char* out, const char* name, const char* text) {
    out += sprintf(out, " %s=\"", name);
    for (; *text != '\0'; text++) {
        if (*text == '"')
            *out++ = '"';
        *out++ = *text;
    }
    *out++ = '"';
    return out;
}

int FormatWindowNoteLine(int32_t note, char* line, int size) {
    static const char* const names[3] = {"title", "class", "program"};
    const WindowDescription& description = DescriptionOfNote(note);
    const char* texts[3] = {description.title, description.className, description.program};
    const WindowNote& noted = gRecording.windows->notes[note];
    char rect[64] = "";
    if (noted.hasRect)
        snprintf(rect, sizeof rect, " rect=%ld,%ld,%ld,%ld", (long)noted.rect.left,
                 (long)noted.rect.top, (long)noted.rect.right, (long)noted.rect.bottom);
    char layout[NoteLayoutLineSize];
    FormatNoteLayoutFields(note, layout, sizeof layout);
    size_t frame = NoteLineTagLength + strlen(rect) + strlen(layout);
    size_t lengths[3];
    for (int i = 0; i < 3; i++) {
        frame += strlen(names[i]) + 4; /* the blank, '=' and both quotes */
        lengths[i] = QuotedLength(texts[i]);
    }
    size_t share = FairShare(lengths, LongestReadLine - frame);
    char cuts[3][WindowProgramSize];
    char text[WindowNoteLineSize];
    char* out = text + sprintf(text, "%s", NoteLineTag);
    for (int i = 0; i < 3; i++) {
        if (lengths[i] > share) {
            CutToShare(texts[i], share, cuts[i]);
            texts[i] = cuts[i];
        }
        out = PutQuoted(out, names[i], texts[i]);
    }
    out += sprintf(out, "%s%s", rect, layout);
    return snprintf(line, (size_t)size, "%s", text);
}

static bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

static bool EndsLine(char c) {
    return c == '\0' || c == '\r' || c == '\n';
}

static const char* SkipBlanks(const char* at) {
    while (IsBlank(*at))
        at++;
    return at;
}

/* The tag is matched in any letter case. */
static const char* AfterTag(const char* line) {
    const char* at = SkipBlanks(line);
    for (size_t i = 0; i < NoteLineTagLength; i++) {
        char c = at[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != NoteLineTag[i])
            return nullptr;
    }
    return at + NoteLineTagLength;
}

bool IsWindowNoteLine(const char* line) {
    const char* after = AfterTag(line);
    return after != nullptr && (IsBlank(*after) || EndsLine(*after));
}

/* A value in quotes (a doubled '"' stands for one) or up to the next
 * blank; copied into value (size bytes). Returns where it ends, or null
 * for an unclosed quote or a value too long. */
static const char* ReadValue(const char* at, char* value, size_t size) {
    bool quoted = *at == '"';
    if (quoted)
        at++;
    size_t length = 0;
    for (;; at++) {
        bool doubledQuote = quoted && at[0] == '"' && at[1] == '"';
        if (quoted && at[0] == '"' && !doubledQuote) {
            at++;
            break;
        }
        if (quoted && EndsLine(*at))
            return nullptr;
        if (!quoted && (EndsLine(*at) || IsBlank(*at)))
            break;
        if (doubledQuote)
            at++;
        if (length + 1 >= size)
            return nullptr;
        value[length++] = *at;
    }
    value[length] = '\0';
    return at;
}

/* An optional minus and 1 to 10 digits within the 32-bit range; null
 * when there is none. */
static const char* ReadCoordinate(const char* at, int32_t* value) {
    bool negative = *at == '-';
    if (negative)
        at++;
    int64_t number = 0;
    int digits = 0;
    for (; *at >= '0' && *at <= '9' && digits <= 10; at++, digits++)
        number = number * 10 + (*at - '0');
    if (digits == 0 || digits > 10 || number > (negative ? 2147483648LL : 2147483647LL))
        return nullptr;
    *value = (int32_t)(negative ? -number : number);
    return at;
}

/* Four numbers separated by commas, and nothing else. */
static bool ReadRect(const char* text, NoteRect* rect) {
    int32_t* fields[4] = {&rect->left, &rect->top, &rect->right, &rect->bottom};
    for (int i = 0; i < 4; i++) {
        text = ReadCoordinate(text, fields[i]);
        if (text == nullptr || *text != (i < 3 ? ',' : '\0'))
            return false;
        text++;
    }
    return true;
}

/* The field the name stands for, or null for a name of another field. */
static char* FieldNamed(const char* name, WindowDescription* description, size_t* size) {
    struct Field {
        const char* name;
        char* text;
        size_t size;
    };
    const Field fields[] = {
        {"title", description->title, sizeof description->title},
        {"class", description->className, sizeof description->className},
        {"program", description->program, sizeof description->program},
    };
    for (const Field& field : fields) {
        if (strcmp(field.name, name) == 0) {
            *size = field.size;
            return field.text;
        }
    }
    return nullptr;
}

bool ReadWindowNoteLine(const char* line, WindowDescription* description, NoteRect* rect,
                        bool* hasRect, NoteLayoutFields* layout) {
    const char* at = AfterTag(line);
    if (at == nullptr)
        return false;
    strcpy(description->title, "*");
    strcpy(description->className, "*");
    strcpy(description->program, "*");
    *hasRect = false;
    NoteLayoutFields ignored;
    if (layout == nullptr)
        layout = &ignored;
    ClearNoteLayoutFields(layout);
    char name[16];
    char value[WindowProgramSize];
    for (at = SkipBlanks(at); !EndsLine(*at); at = SkipBlanks(at)) {
        size_t length = strcspn(at, "= \t\r\n");
        if (at[length] != '=' || length >= sizeof name)
            return false;
        memcpy(name, at, length);
        name[length] = '\0';
        size_t size = sizeof value;
        char* field = FieldNamed(name, description, &size);
        at = ReadValue(at + length + 1, value, size);
        if (at == nullptr)
            return false;
        if (field != nullptr)
            strcpy(field, value);
        else if (strcmp(name, "rect") == 0 && !(*hasRect = ReadRect(value, rect)))
            return false;
        else if (!ReadNoteLayoutField(name, value, layout))
            return false;
    }
    return true;
}
