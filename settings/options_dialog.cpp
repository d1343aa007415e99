/*
 * options_dialog.cpp: the Advanced Options dialog, modal over the main
 * window, with three pages (Configuration, Value Ranges, Log Settings)
 * under a tab control it makes itself.
 *
 * The procedure moves values between the controls and the fields of
 * option_values.cpp, which know the settings, their defaults and their
 * corrections. It opens on the first page every time; nothing of it
 * outlives one opening.
 */
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "log/log.h"
#include "resources/resource.h"

static const PageControl OptionPages[] = {
    {0, IDC_OPT_BEHAVIOR_GROUP},    {0, IDC_OPT_EXCLUDE_OWN},
    {0, IDC_OPT_QUIT_WHEN_DONE},    {0, IDC_OPT_PROMPT_SAVE},
    {0, IDC_OPT_MINIMIZE},          {0, IDC_OPT_INTERRUPT_WARNING},
    {0, IDC_OPT_EDITOR_LABEL},      {0, IDC_OPT_EDITOR},
    {0, IDC_OPT_EDITOR_BROWSE},     {1, IDC_OPT_RANGES_GROUP},
    {1, IDC_OPT_FACTOR_FAST_LABEL}, {1, IDC_OPT_FACTOR_FAST},
    {1, IDC_OPT_FACTOR_FAST_TAIL},  {1, IDC_OPT_FACTOR_SLOW_LABEL},
    {1, IDC_OPT_FACTOR_SLOW},       {1, IDC_OPT_FACTOR_SLOW_TAIL},
    {1, IDC_OPT_RANDOM_MIN_LABEL},  {1, IDC_OPT_RANDOM_MIN},
    {1, IDC_OPT_RANDOM_MAX_LABEL},  {1, IDC_OPT_RANDOM_MAX},
    {1, IDC_OPT_LOOP_BASE_LABEL},   {1, IDC_OPT_LOOP_BASE},
    {1, IDC_OPT_WINDOW_WAIT_LABEL}, {1, IDC_OPT_WINDOW_WAIT},
    {1, IDC_OPT_WINDOW_WAIT_TAIL},  {2, IDC_OPT_LOG_GROUP},
    {2, IDC_OPT_LOG_LEVEL},         {2, IDC_OPT_LOG_OFF_LABEL},
    {2, IDC_OPT_LOG_LOW_LABEL},     {2, IDC_OPT_LOG_MEDIUM_LABEL},
    {2, IDC_OPT_LOG_HIGH_LABEL},    {2, IDC_OPT_LOGFILE_LABEL},
    {2, IDC_OPT_LOGFILE},           {2, IDC_OPT_LOGFILE_BROWSE},
    {2, IDC_OPT_RESTART_LOG},
};
static const int OptionPageControlCount = (int)(sizeof OptionPages / sizeof OptionPages[0]);

static const char* const OptionTabTexts[] = {"Configuration", "Value Ranges", "Log Settings"};
static const int OptionTabCount = 3;

static const char* const LogFileFilters = "Log Files (*.log)\0*.log\0"
                                          "Text Files (*.txt)\0*.txt\0"
                                          "All Files (*.*)\0*.*\0";
static const char* const EditorFilters = "Program Files (*.exe)\0*.exe\0"
                                         "All Files (*.*)\0*.*\0";

static const char* const MinimizeWarning =
    "If you choose the \"Minimize\" option, you should choose a key to stop recordings.\n"
    "Right now you do not have a stop recording key selected.\n\n"
    "Go to tab #3 (\"Keyboard\") to choose a key.";

/* ---- Fields and controls ---- */

static bool IsCheckBox(OptionKind kind) {
    return kind == OptionSwitch || kind == OptionStored;
}

/* Writes the fields of one page (or of all, for -1) into their controls. */
static void ShowFields(WindowHandle dialog, const OptionFields* fields, int page) {
    for (int i = 0; i < OptionRowCount; i++) {
        const OptionRow& row = OptionRows[i];
        const OptionField& field = fields->field[i];
        if (page >= 0 && row.page != page)
            continue;
        if (IsCheckBox(row.kind))
            PlatformCheckButton(dialog, row.controlId, field.number != 0);
        else if (row.kind == OptionTrackLevel)
            PlatformSetTrackbarPosition(dialog, row.controlId, field.number);
        else
            PlatformSetDialogItemText(dialog, row.controlId, field.text);
    }
}

static void ReadFields(WindowHandle dialog, OptionFields* fields) {
    for (int i = 0; i < OptionRowCount; i++) {
        const OptionRow& row = OptionRows[i];
        OptionField* field = &fields->field[i];
        if (IsCheckBox(row.kind))
            field->number = PlatformIsButtonChecked(dialog, row.controlId) ? 1 : 0;
        else if (row.kind == OptionTrackLevel)
            field->number = PlatformGetTrackbarPosition(dialog, row.controlId);
        else
            field->length =
                PlatformGetDialogItemText(dialog, row.controlId, field->text, OptionTextSize);
    }
}

/* ---- Pages ---- */

static WindowHandle OptionTabs(WindowHandle dialog) {
    return PlatformGetDialogItem(dialog, IDC_OPT_TABS);
}

/* Without a tab control the Configuration page is the only one. */
static int SelectedOptionPage(WindowHandle dialog) {
    WindowHandle tabs = OptionTabs(dialog);
    return tabs != nullptr ? PlatformGetTabSelection(tabs) : PageConfiguration;
}

static void ShowOptionPage(WindowHandle dialog, int page) {
    WindowHandle tabs = OptionTabs(dialog);
    if (tabs != nullptr)
        PlatformSetTabSelection(tabs, page);
    ShowDialogPage(dialog, OptionPages, OptionPageControlCount, SelectedOptionPage(dialog));
}

static void MakeOptionTabs(WindowHandle dialog) {
    int width = 0, height = 0, okWidth = 0, okHeight = 0;
    PlatformGetClientSize(dialog, &width, &height);
    PlatformGetClientSize(PlatformGetDialogItem(dialog, DialogOk), &okWidth, &okHeight);
    ChildBounds place = OptionsTabBounds(
        width, height, PlatformScaledMetric(dialog, ScaledEdgeWidth),
        PlatformScaledMetric(dialog, ScaledEdgeHeight), okHeight, PlatformWindowDpi(dialog));
    CreateDialogTabs(dialog, IDC_OPT_TABS, place, OptionTabTexts, OptionTabCount);
}

static void SetUpOptions(WindowHandle dialog) {
    OptionFields fields;
    OptionFieldsFromSettings(&fields);
    PlatformSetTrackbarRange(dialog, IDC_OPT_LOG_LEVEL, LogOff, LogHigh, 1);
    ShowFields(dialog, &fields, -1);
    MakeOptionTabs(dialog);
    ShowOptionPage(dialog, PageConfiguration);
}

/* ---- The buttons ---- */

/* A path the setting cannot hold whole is refused: nothing is taken, and
 * the field is shown with the focus so it can be shortened. */
static void RefusePath(WindowHandle dialog, const OptionRow& row) {
    char text[256];
    snprintf(text, sizeof text,
             "The %s path is longer than %d characters and cannot be kept.\n\n"
             "Please choose a shorter path.",
             row.controlId == IDC_OPT_EDITOR ? "text editor" : "log file", SettingTextSize - 1);
    ShowMessageBox(text, "Mirlow Warning", BoxOk | BoxIconWarning | BoxTaskModal);
    ShowOptionPage(dialog, row.page);
    PlatformFocusDialogItem(dialog, row.controlId);
}

static bool TakeValues(WindowHandle dialog) {
    OptionFields fields;
    ReadFields(dialog, &fields);
    int refused = RefusedOptionRow(&fields);
    if (refused >= 0) {
        RefusePath(dialog, OptionRows[refused]);
        return false;
    }
    TakeOptionValues(&fields);
    return true;
}

/* Only the controls of the page shown go back to their defaults; the
 * settings follow only if OK or Apply comes after. */
static void LoadPageDefaults(WindowHandle dialog) {
    if (ShowMessageBox("Are you sure that you want to load all the default settings?",
                       "Load Defaults", BoxYesNo | BoxIconWarning | BoxTaskModal) != AnswerYes)
        return;
    int page = SelectedOptionPage(dialog);
    OptionFields fields;
    memset(&fields, 0, sizeof fields);
    ResetOptionPage(&fields, (OptionPage)page);
    ShowFields(dialog, &fields, page);
}

static void WarnAboutMinimize(WindowHandle dialog) {
    if (PlatformIsButtonChecked(dialog, IDC_OPT_MINIMIZE) && gSettings.stopKey == 0)
        ShowMessageBox(MinimizeWarning, "Mirlow Warning", BoxOk | BoxIconWarning | BoxTaskModal);
}

/* The Save dialog lets a file that doesn't exist yet be named. The field's
 * whole text is the first suggestion when the dialog can hold it: a cut
 * one would suggest another file. */
static void Browse(WindowHandle dialog, int fieldId, const char* filters) {
    char path[MaxPathLength + 1];
    if (PlatformGetDialogItemText(dialog, fieldId, path, sizeof path) > MaxPathLength)
        path[0] = '\0';
    if (PickFile(dialog, path, filters, true))
        PlatformSetDialogItemText(dialog, fieldId, path);
}

static void OnOptionsCommand(WindowHandle dialog, int controlId, int code) {
    if (code != ButtonClicked)
        return;
    switch (controlId) {
    case DialogOk:
        if (TakeValues(dialog))
            PlatformEndDialog(dialog, DialogOk);
        return;
    case IDC_OPT_APPLY:
        TakeValues(dialog);
        return;
    case DialogCancel:
        PlatformEndDialog(dialog, DialogCancel);
        return;
    case IDC_OPT_DEFAULTS:
        LoadPageDefaults(dialog);
        return;
    case IDC_OPT_MINIMIZE:
        WarnAboutMinimize(dialog);
        return;
    case IDC_OPT_EDITOR_BROWSE:
        Browse(dialog, IDC_OPT_EDITOR, EditorFilters);
        return;
    case IDC_OPT_LOGFILE_BROWSE:
        Browse(dialog, IDC_OPT_LOGFILE, LogFileFilters);
        return;
    default:
        return;
    }
}

static intptr_t OptionsProc(WindowHandle dialog, uint32_t message, uintptr_t wParam,
                            intptr_t lParam) {
    switch (message) {
    case MsgInitDialog:
        SetUpOptions(dialog);
        return 1;
    case MsgNotify:
        if (PlatformNotificationCode(lParam) != TabSelectionChanged)
            return 0;
        ShowDialogPage(dialog, OptionPages, OptionPageControlCount, SelectedOptionPage(dialog));
        return 1;
    case MsgCommand:
        OnOptionsCommand(dialog, (int)(wParam & 0xFFFF), (int)((wParam >> 16) & 0xFFFF));
        return 1;
    default:
        return 0;
    }
}

void RunOptionsDialog(void) {
    PlatformRunModalDialog(MainWindowHandle(), IDD_OPTIONS, OptionsProc);
}
