/*
 * option_values.cpp: the values of the Advanced Options dialog apart from
 * its controls: which control edits which setting, the defaults each page
 * goes back to, and how the fields are read and corrected when OK or
 * Apply takes them. A row names its setting by its id; its name, where the
 * value lives and what its default is come from the settings table, so
 * they are written once.
 *
 * The fields are read as the user typed them and never rewritten; what is
 * corrected is the value taken. A number field whose text is still the one
 * shown for its value was not edited, and that value is kept exactly as it
 * was, so OK without edits changes nothing (a hand-set value of the
 * registry, negative or beyond the signed range, included). An edited
 * number is read as it is shown, signed; outside the 32-bit range it stops
 * at the range's ends instead of wrapping. A path longer than its setting
 * can hold is refused rather than cut, since a cut path names another file
 * (which an erased log would then delete).
 */
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "resources/resource.h"

const OptionRow OptionRows[] = {
    // control, page, kind, setting
    {IDC_OPT_EXCLUDE_OWN, PageConfiguration, OptionSwitch, SettingExcludeMirlowAction},
    {IDC_OPT_QUIT_WHEN_DONE, PageConfiguration, OptionSwitch, SettingQuitWhenDone},
    {IDC_OPT_PROMPT_SAVE, PageConfiguration, OptionSwitch, SettingPromptForSave},
    {IDC_OPT_MINIMIZE, PageConfiguration, OptionSwitch, SettingMinimize},
    {IDC_OPT_INTERRUPT_WARNING, PageConfiguration, OptionSwitch, SettingInterruptWarning},
    {IDC_OPT_EDITOR, PageConfiguration, OptionPath, SettingEditor},
    {IDC_OPT_FACTOR_FAST, PageValueRanges, OptionFactor, SettingFactorFast},
    {IDC_OPT_FACTOR_SLOW, PageValueRanges, OptionFactor, SettingFactorSlow},
    {IDC_OPT_RANDOM_MIN, PageValueRanges, OptionNumber, SettingRandomMin},
    {IDC_OPT_RANDOM_MAX, PageValueRanges, OptionMaximum, SettingRandomMax},
    {IDC_OPT_LOOP_BASE, PageValueRanges, OptionNumber, SettingLoopTypeBase},
    {IDC_OPT_WINDOW_WAIT, PageValueRanges, OptionNumber, SettingWindowWait},
    {IDC_OPT_LOGFILE, PageLogSettings, OptionPath, SettingLogfile},
    {IDC_OPT_RESTART_LOG, PageLogSettings, OptionStored, SettingRestartLog},
    {IDC_OPT_LOG_LEVEL, PageLogSettings, OptionTrackLevel, SettingLog},
};
const int OptionRowCount = (int)(sizeof OptionRows / sizeof OptionRows[0]);
static_assert(sizeof OptionRows / sizeof OptionRows[0] <=
                  sizeof(OptionFields::field) / sizeof(OptionField),
              "every row has a field");

static const SettingDefinition& SettingOf(const OptionRow& row) {
    return SettingTable[row.setting];
}

/* ---- Reading numbers ---- */

static const int64_t Int32Max = 2147483647;
static const int64_t Int32Min = -Int32Max - 1;

/* Digits after optional blanks and a sign; *found says whether there was
 * at least one. The value stops growing once it is past
 * the 32-bit range, which is all the caller needs to clamp. */
static int64_t LeadingNumber(const char* text, bool* found) {
    while (*text == ' ' || *text == '\t')
        text++;
    bool negative = false;
    if (*text == '-' || *text == '+') {
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

int32_t ReadSignedField(const char* text) {
    bool found;
    int64_t value = LeadingNumber(text, &found);
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
    snprintf(path, sizeof path, "%s\\%s", SettingsKeyPath, SettingOf(row).name);
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

/* The text a number field shows for its value. */
static bool ShowsItsNumber(const OptionField& field) {
    char shown[16];
    snprintf(shown, sizeof shown, "%ld", (long)field.number);
    return strcmp(field.text, shown) == 0;
}

/* The maximum follows the minimum taken just before it. */
static int32_t TakenNumber(const OptionRow& row, const OptionField& field, int32_t minimum) {
    switch (row.kind) {
    case OptionFactor: {
        int32_t factor = ReadSignedField(field.text);
        return factor < 1 ? 1 : factor;
    }
    case OptionNumber:
        return ReadSignedField(field.text);
    case OptionMaximum: {
        int32_t maximum = ReadSignedField(field.text);
        if (maximum >= minimum)
            return maximum;
        return minimum < (int32_t)Int32Max ? minimum + 1 : minimum;
    }
    case OptionSwitch:
    case OptionStored:
        return field.number != 0 ? 1 : 0;
    default:
        return field.number;
    }
}

void TakeOptionValues(const OptionFields* fields) {
    bool minimumEdited = false;
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
        bool edited = IsTextKind(row.kind) && !ShowsItsNumber(field);
        bool kept =
            IsTextKind(row.kind) && !edited && !(row.kind == OptionMaximum && minimumEdited);
        minimumEdited = edited;
        gSettings.*setting.number =
            kept ? field.number : TakenNumber(row, field, gSettings.randomMin);
        if (row.kind == OptionStored)
            StoreSettingNow(setting.name);
    }
}
