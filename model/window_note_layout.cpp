/*
 * window_note_layout.cpp: what a window note knows besides the window's
 * texts and place: the scale the window was shown at, the monitor it was
 * on, and the control a button press went to.
 *
 * Controls are described once each, like windows: a recording with a
 * hundred clicks on one button holds its class and label once.
 */
#include "model/model.h"

#include <cstring>

/* A class too long for its field keeps its beginning followed by '*', so
 * it still matches the whole. */
static void CopyClass(char* field, const char* className) {
    size_t length = strlen(className);
    if (length < (size_t)ControlClassSize) {
        memcpy(field, className, length + 1);
        return;
    }
    memcpy(field, className, ControlClassSize - 2);
    strcpy(field + ControlClassSize - 2, "*");
}

/* A label is kept only whole and on one line: a cut label would match
 * other controls, and a line break cannot stand in a script line. */
static void CopyLabel(char* field, const char* text) {
    size_t length = strlen(text);
    bool fits = length < (size_t)ControlTextSize && strpbrk(text, "\r\n") == nullptr;
    memcpy(field, text, fits ? length + 1 : 1);
    field[fits ? length : 0] = '\0';
}

int32_t AddControlDescription(const char* className, const char* text) {
    WindowNoteTable* windows = gRecording.windows;
    if (windows == nullptr)
        return -1;
    ControlDescription wanted;
    CopyClass(wanted.className, className);
    CopyLabel(wanted.text, text);
    for (int32_t i = windows->controlCount - 1; i >= 0; i--) {
        const ControlDescription& known = windows->controls[i];
        if (strcmp(known.className, wanted.className) == 0 && strcmp(known.text, wanted.text) == 0)
            return i;
    }
    if (windows->controlCount >= MaxControlDescriptions)
        return -1;
    windows->controls[windows->controlCount] = wanted;
    return windows->controlCount++;
}

static WindowNote* NoteAt(int32_t note) {
    WindowNoteTable* windows = gRecording.windows;
    if (windows == nullptr || note < 0 || note >= windows->noteCount)
        return nullptr;
    return &windows->notes[note];
}

bool SetNoteScale(int32_t note, int32_t dpi, const NoteRect* monitor) {
    WindowNote* noted = NoteAt(note);
    if (noted == nullptr)
        return false;
    noted->dpi = dpi > 0 ? dpi : 0;
    noted->hasMonitor = monitor != nullptr ? 1 : 0;
    noted->monitor = monitor != nullptr ? *monitor : NoteRect{0, 0, 0, 0};
    return true;
}

bool SetNoteControl(int32_t note, const NoteControl* control) {
    WindowNote* noted = NoteAt(note);
    if (noted == nullptr ||
        (control != nullptr &&
         (control->description < 0 || control->description >= gRecording.windows->controlCount)))
        return false;
    noted->hasControl = control != nullptr ? 1 : 0;
    noted->control = control != nullptr ? *control : NoteControl{0, 0, -1, -1, -1, 0, 0};
    return true;
}

const ControlDescription& ControlDescriptionOfNote(int32_t note) {
    const WindowNoteTable* windows = gRecording.windows;
    return windows->controls[windows->notes[note].control.description];
}

/* ---- The fields on a note's line ---- */

void ClearNoteLayoutFields(NoteLayoutFields* fields) {
    memset(fields, 0, sizeof *fields);
    fields->controlPlace = NoteControl{0, 0, -1, -1, -1, 0, 0};
}

/* count numbers separated by commas and nothing else, each an optional
 * minus and 1 to 10 digits within the 32-bit range. */
static bool ReadNumbers(const char* text, int32_t* numbers, int count) {
    for (int i = 0; i < count; i++) {
        bool negative = *text == '-';
        text += negative ? 1 : 0;
        int64_t number = 0;
        int digits = 0;
        for (; *text >= '0' && *text <= '9' && digits <= 10; text++, digits++)
            number = number * 10 + (*text - '0');
        if (digits == 0 || digits > 10 || number > (negative ? 2147483648LL : 2147483647LL) ||
            *text != (i + 1 < count ? ',' : '\0'))
            return false;
        numbers[i] = (int32_t)(negative ? -number : number);
        text++;
    }
    return true;
}

static bool CopyText(char* field, size_t size, const char* value) {
    size_t length = strlen(value);
    if (length >= size)
        return false;
    memcpy(field, value, length + 1);
    return true;
}

/* Sizes and places are never negative; a scale is between 1 and 9999
 * dots per inch. */
bool ReadNoteLayoutField(const char* name, const char* value, NoteLayoutFields* fields) {
    NoteControl& control = fields->controlPlace;
    int32_t numbers[4];
    if (strcmp(name, "dpi") == 0)
        return ReadNumbers(value, &fields->dpi, 1) && fields->dpi > 0 && fields->dpi < 10000;
    if (strcmp(name, "monitor") == 0) {
        fields->hasMonitor = ReadNumbers(value, numbers, 4);
        fields->monitor = NoteRect{numbers[0], numbers[1], numbers[2], numbers[3]};
        return fields->hasMonitor;
    }
    if (strcmp(name, "control") == 0)
        return (fields->hasControl =
                    CopyText(fields->control.className, sizeof fields->control.className, value));
    if (strcmp(name, "text") == 0)
        return CopyText(fields->control.text, sizeof fields->control.text, value) &&
               strpbrk(value, "\r\n") == nullptr;
    if (strcmp(name, "id") == 0)
        return ReadNumbers(value, &control.id, 1);
    if (strcmp(name, "place") == 0)
        return ReadNumbers(value, &control.place, 1) && control.place >= 0;
    if (strcmp(name, "at") == 0) {
        bool good = ReadNumbers(value, numbers, 2) && numbers[0] >= 0 && numbers[1] >= 0;
        control.x = good ? numbers[0] : -1;
        control.y = good ? numbers[1] : -1;
        return good;
    }
    if (strcmp(name, "size") == 0) {
        bool good = ReadNumbers(value, numbers, 2) && numbers[0] >= 0 && numbers[1] >= 0;
        control.width = good ? numbers[0] : 0;
        control.height = good ? numbers[1] : 0;
        return good;
    }
    return true;
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
    *out = '\0';
    return out;
}

int FormatNoteLayoutFields(int32_t note, char* out, int size) {
    const WindowNote& noted = gRecording.windows->notes[note];
    char text[NoteLayoutLineSize];
    char* at = text;
    *at = '\0';
    if (noted.dpi > 0)
        at += sprintf(at, " dpi=%ld", (long)noted.dpi);
    if (noted.hasMonitor)
        at +=
            sprintf(at, " monitor=%ld,%ld,%ld,%ld", (long)noted.monitor.left,
                    (long)noted.monitor.top, (long)noted.monitor.right, (long)noted.monitor.bottom);
    const NoteControl& control = noted.control;
    if (noted.hasControl) {
        const ControlDescription& described = ControlDescriptionOfNote(note);
        at = PutQuoted(at, "control", described.className);
        at += sprintf(at, " id=%ld", (long)control.id);
        if (described.text[0] != '\0')
            at = PutQuoted(at, "text", described.text);
        if (control.place >= 0)
            at += sprintf(at, " place=%ld", (long)control.place);
        if (control.x >= 0 && control.y >= 0)
            at += sprintf(at, " at=%ld,%ld", (long)control.x, (long)control.y);
        if (control.width > 0 || control.height > 0)
            at += sprintf(at, " size=%ld,%ld", (long)control.width, (long)control.height);
    }
    return snprintf(out, (size_t)size, "%s", text);
}

bool ApplyNoteLayoutFields(int32_t note, const NoteLayoutFields& fields) {
    if (!SetNoteScale(note, fields.dpi, fields.hasMonitor ? &fields.monitor : nullptr))
        return false;
    if (!fields.hasControl)
        return SetNoteControl(note, nullptr);
    NoteControl control = fields.controlPlace;
    control.description = AddControlDescription(fields.control.className, fields.control.text);
    return SetNoteControl(note, control.description >= 0 ? &control : nullptr) &&
           control.description >= 0;
}
