/*
 * option_values.cpp: the values of the Advanced Options dialog apart from
 * its controls: which control edits which setting, the defaults each page
 * goes back to, and how the fields are read and corrected when OK or
 * Apply takes them.
 *
 * The fields are read as the user typed them and never rewritten; what is
 * corrected is the value taken. Numbers outside the 32-bit range stop at
 * its ends instead of wrapping, and a path longer than its setting can
 * hold is refused rather than cut, since a cut path names another file
 * (which an erased log would then delete).
 */
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "resources/resource.h"

const OptionRow OptionRows[] = {
    // control, page, kind, setting, number field, text field, defaults
    {IDC_OPT_EXCLUDE_OWN, PageConfiguration, OptionSwitch, "ExcludeMirlowAction",
     &Settings::excludeMirlowAction, nullptr, 1, nullptr},
    {IDC_OPT_QUIT_WHEN_DONE, PageConfiguration, OptionSwitch, "QuitWhenDone",
     &Settings::quitWhenDone, nullptr, 0, nullptr},
    {IDC_OPT_PROMPT_SAVE, PageConfiguration, OptionSwitch, "PromptForSave",
     &Settings::promptForSave, nullptr, 1, nullptr},
    {IDC_OPT_MINIMIZE, PageConfiguration, OptionSwitch, "Minimize", &Settings::minimize, nullptr, 0,
     nullptr},
    {IDC_OPT_INTERRUPT_WARNING, PageConfiguration, OptionSwitch, "InterruptWarning",
     &Settings::interruptWarning, nullptr, 1, nullptr},
    {IDC_OPT_EDITOR, PageConfiguration, OptionPath, "Editor", nullptr, &Settings::editor, 0,
     "notepad.exe"},
    {IDC_OPT_FACTOR_FAST, PageValueRanges, OptionFactor, "FactorFast", &Settings::factorFast,
     nullptr, 15, nullptr},
    {IDC_OPT_FACTOR_SLOW, PageValueRanges, OptionFactor, "FactorSlow", &Settings::factorSlow,
     nullptr, 4, nullptr},
    {IDC_OPT_RANDOM_MIN, PageValueRanges, OptionUnsigned, "RandomMin", &Settings::randomMin,
     nullptr, 1000, nullptr},
    {IDC_OPT_RANDOM_MAX, PageValueRanges, OptionMaximum, "RandomMax", &Settings::randomMax, nullptr,
     9999, nullptr},
    {IDC_OPT_LOOP_BASE, PageValueRanges, OptionSigned, "LoopTypeBase", &Settings::loopTypeBase,
     nullptr, 0, nullptr},
    {IDC_OPT_WINDOW_WAIT, PageValueRanges, OptionUnsigned, "WindowWait", &Settings::windowWait,
     nullptr, 10, nullptr},
    {IDC_OPT_LOGFILE, PageLogSettings, OptionPath, "Logfile", nullptr, &Settings::logfile, 0,
     "C:\\Mirlow.log"},
    {IDC_OPT_RESTART_LOG, PageLogSettings, OptionStored, "RestartLog", &Settings::restartLog,
     nullptr, 0, nullptr},
    {IDC_OPT_LOG_LEVEL, PageLogSettings, OptionTrackLevel, "Log", &Settings::log, nullptr, LogOff,
     nullptr},
};
const int OptionRowCount = (int)(sizeof OptionRows / sizeof OptionRows[0]);
static_assert(sizeof OptionRows / sizeof OptionRows[0] <=
                  sizeof(OptionFields::field) / sizeof(OptionField),
              "every row has a field");

/* ---- Reading numbers ---- */

static const int64_t Int32Max = 2147483647;
static const int64_t Int32Min = -Int32Max - 1;

/* Digits after optional blanks (and, where allowed, a sign); *found says
 * whether there was at least one. The value stops growing once it is past
 * the 32-bit range, which is all the caller needs to clamp. */
static int64_t LeadingNumber(const char* text, bool allowSign, bool* found) {
    while (*text == ' ' || *text == '\t')
        text++;
    bool negative = false;
    if (allowSign && (*text == '-' || *text == '+')) {
        negative = *text == '-';
        text++;
    }
    int64_t value = 0;
    *found = false;
    for (; *text >= '0' && *text <= '9'; text++) {
        *found = true;
        if (value <= Int32Max)
            value = value * 10 + (*text - '0');
    }
    return negative ? -value : value;
}

int32_t ReadUnsignedField(const char* text) {
    bool found;
    int64_t value = LeadingNumber(text, false, &found);
    if (!found)
        return 0;
    return (int32_t)(value > Int32Max ? Int32Max : value);
}

int32_t ReadSignedField(const char* text) {
    bool found;
    int64_t value = LeadingNumber(text, true, &found);
    if (!found)
        return 0;
    if (value > Int32Max)
        return (int32_t)Int32Max;
    return (int32_t)(value < Int32Min ? Int32Min : value);
}

/* ---- The fields ---- */

static bool IsTextKind(OptionKind kind) {
    return kind != OptionSwitch && kind != OptionStored && kind != OptionTrackLevel;
}

static void SetFieldText(OptionField* field, const char* text) {
    snprintf(field->text, sizeof field->text, "%s", text);
    field->length = (int)strlen(field->text);
}

/* Numbers show as the signed value they hold: a negative one (only a
 * hand-edited registry can make it) is then seen as what it is rather
 * than as a huge unsigned number. */
static void SetFieldNumber(OptionField* field, OptionKind kind, int32_t number) {
    field->number = number;
    if (IsTextKind(kind) && kind != OptionPath) {
        char text[16];
        snprintf(text, sizeof text, "%ld", (long)number);
        SetFieldText(field, text);
    }
}

static int32_t StoredRestartLog(void) {
    char path[RegistryPathSize];
    snprintf(path, sizeof path, "%s\\RestartLog", SettingsKeyPath);
    return ReadSettingValue(path, KindNumber, nullptr, 0, 0);
}

void OptionFieldsFromSettings(OptionFields* fields) {
    memset(fields, 0, sizeof *fields);
    for (int i = 0; i < OptionRowCount; i++) {
        const OptionRow& row = OptionRows[i];
        OptionField* field = &fields->field[i];
        if (row.kind == OptionPath)
            SetFieldText(field, gSettings.*row.text);
        else if (row.kind == OptionStored)
            field->number = StoredRestartLog() != 0 ? 1 : 0;
        else if (row.kind == OptionSwitch)
            field->number = gSettings.*row.number != 0 ? 1 : 0;
        else
            SetFieldNumber(field, row.kind, gSettings.*row.number);
    }
}

void ResetOptionPage(OptionFields* fields, OptionPage page) {
    for (int i = 0; i < OptionRowCount; i++) {
        const OptionRow& row = OptionRows[i];
        if (row.page != page)
            continue;
        if (row.kind == OptionPath)
            SetFieldText(&fields->field[i], row.defaultText);
        else
            SetFieldNumber(&fields->field[i], row.kind, row.defaultNumber);
    }
}

int RefusedOptionRow(const OptionFields* fields) {
    for (int i = 0; i < OptionRowCount; i++) {
        if (OptionRows[i].kind == OptionPath && fields->field[i].length > SettingTextSize - 1)
            return i;
    }
    return -1;
}

/* The maximum follows the minimum taken just before it. */
static int32_t TakenNumber(const OptionRow& row, const OptionField& field, int32_t minimum) {
    switch (row.kind) {
    case OptionFactor: {
        int32_t factor = ReadUnsignedField(field.text);
        return factor < 1 ? 1 : factor;
    }
    case OptionUnsigned:
        return ReadUnsignedField(field.text);
    case OptionMaximum: {
        int32_t maximum = ReadUnsignedField(field.text);
        if (maximum >= minimum)
            return maximum;
        return minimum < (int32_t)Int32Max ? minimum + 1 : minimum;
    }
    case OptionSigned:
        return ReadSignedField(field.text);
    case OptionSwitch:
    case OptionStored:
        return field.number != 0 ? 1 : 0;
    default:
        return field.number;
    }
}

void TakeOptionValues(const OptionFields* fields) {
    for (int i = 0; i < OptionRowCount; i++) {
        const OptionRow& row = OptionRows[i];
        const OptionField& field = fields->field[i];
        if (row.kind == OptionPath) {
            char* setting = gSettings.*row.text;
            size_t length = strnlen(field.text, SettingTextSize - 1);
            memcpy(setting, field.text, length);
            setting[length] = '\0';
            continue;
        }
        gSettings.*row.number = TakenNumber(row, field, gSettings.randomMin);
        if (row.kind == OptionStored)
            StoreSettingNow(row.name);
    }
}
