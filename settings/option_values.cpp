/*
 * option_values.cpp: the values of the Advanced Options dialog apart from
 * its controls: which control edits which setting, the defaults each page
 * goes back to, and how the fields are read and corrected when OK or
 * Apply takes them. A row names its setting; where the value lives and
 * what its default is come from the settings table, so they are written
 * once.
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

#include "resources/resource.h"

const OptionRow OptionRows[] = {
    // control, page, kind, setting
    {IDC_OPT_EXCLUDE_OWN, PageConfiguration, OptionSwitch, "ExcludeMirlowAction"},
    {IDC_OPT_QUIT_WHEN_DONE, PageConfiguration, OptionSwitch, "QuitWhenDone"},
    {IDC_OPT_PROMPT_SAVE, PageConfiguration, OptionSwitch, "PromptForSave"},
    {IDC_OPT_MINIMIZE, PageConfiguration, OptionSwitch, "Minimize"},
    {IDC_OPT_INTERRUPT_WARNING, PageConfiguration, OptionSwitch, "InterruptWarning"},
    {IDC_OPT_EDITOR, PageConfiguration, OptionPath, "Editor"},
    {IDC_OPT_FACTOR_FAST, PageValueRanges, OptionFactor, "FactorFast"},
    {IDC_OPT_FACTOR_SLOW, PageValueRanges, OptionFactor, "FactorSlow"},
    {IDC_OPT_RANDOM_MIN, PageValueRanges, OptionUnsigned, "RandomMin"},
    {IDC_OPT_RANDOM_MAX, PageValueRanges, OptionMaximum, "RandomMax"},
    {IDC_OPT_LOOP_BASE, PageValueRanges, OptionSigned, "LoopTypeBase"},
    {IDC_OPT_WINDOW_WAIT, PageValueRanges, OptionUnsigned, "WindowWait"},
    {IDC_OPT_LOGFILE, PageLogSettings, OptionPath, "Logfile"},
    {IDC_OPT_RESTART_LOG, PageLogSettings, OptionStored, "RestartLog"},
    {IDC_OPT_LOG_LEVEL, PageLogSettings, OptionTrackLevel, "Log"},
};
const int OptionRowCount = (int)(sizeof OptionRows / sizeof OptionRows[0]);
static_assert(sizeof OptionRows / sizeof OptionRows[0] <=
                  sizeof(OptionFields::field) / sizeof(OptionField),
              "every row has a field");

/* The row's setting in the settings table; every row names one (the
 * tests hold the two tables to that). */
static const SettingDefinition& SettingOf(const OptionRow& row) {
    return *FindSetting(row.name);
}

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

/* A setting stored the moment it changes shows its stored value. */
static int32_t StoredNumber(const OptionRow& row) {
    char path[RegistryPathSize];
    snprintf(path, sizeof path, "%s\\%s", SettingsKeyPath, row.name);
    return ReadSettingValue(path, KindNumber, nullptr, 0, SettingOf(row).defaultNumber);
}

void OptionFieldsFromSettings(OptionFields* fields) {
    memset(fields, 0, sizeof *fields);
    for (int i = 0; i < OptionRowCount; i++) {
        const OptionRow& row = OptionRows[i];
        const SettingDefinition& setting = SettingOf(row);
        OptionField* field = &fields->field[i];
        if (row.kind == OptionPath)
            SetFieldText(field, gSettings.*setting.text);
        else if (row.kind == OptionStored)
            field->number = StoredNumber(row) != 0 ? 1 : 0;
        else if (row.kind == OptionSwitch)
            field->number = gSettings.*setting.number != 0 ? 1 : 0;
        else
            SetFieldNumber(field, row.kind, gSettings.*setting.number);
    }
}

void ResetOptionPage(OptionFields* fields, OptionPage page) {
    for (int i = 0; i < OptionRowCount; i++) {
        const OptionRow& row = OptionRows[i];
        if (row.page != page)
            continue;
        const SettingDefinition& setting = SettingOf(row);
        if (row.kind == OptionPath)
            SetFieldText(&fields->field[i], setting.defaultText);
        else
            SetFieldNumber(&fields->field[i], row.kind, setting.defaultNumber);
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
        const SettingDefinition& setting = SettingOf(row);
        if (row.kind == OptionPath) {
            char* text = gSettings.*setting.text;
            size_t length = strnlen(field.text, SettingTextSize - 1);
            memcpy(text, field.text, length);
            text[length] = '\0';
            continue;
        }
        gSettings.*setting.number = TakenNumber(row, field, gSettings.randomMin);
        if (row.kind == OptionStored)
            StoreSettingNow(row.name);
    }
}
