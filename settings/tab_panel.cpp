/*
 * tab_panel.cpp: the settings panel, a child dialog below the main
 * window's toolbar with three pages of everyday settings (Playback,
 * Options, Keyboard) and a bold status line that other parts write.
 *
 * The main window is laid out around the toolbar and the panel whenever
 * the panel paints and whenever Show Tabs turns it over (LayoutMainWindow,
 * the shell's). The panel's template scales with the monitor; what the
 * panel makes itself (the bold font, the tab control's place) is made
 * again at the first paint after the scale changed, and the window's size
 * with it.
 *
 * The procedure only moves values between the controls and the rules in
 * panel_rules.cpp. The hotkey fields take a chord whole, and a changed
 * hotkey counts at once; the note beneath them names the ones the system
 * would not give the program. The repeat edit is also written by the program (here at
 * creation and by the arrows, and by the start of a playback); the repeat
 * rule is applied to the user's typing only, so a stored count of more
 * than seven digits survives those writes.
 */
#include "settings/settings.h"

#include <cstdio>

#include "app/shell.h"
#include "resources/resource.h"

static const PageControl PanelPages[] = {
    {0, IDC_PANEL_SPEED_LABEL},
    {0, IDC_PANEL_SPEED_SLOW},
    {0, IDC_PANEL_SPEED_NORMAL},
    {0, IDC_PANEL_SPEED_FAST},
    {0, IDC_PANEL_SPEED_FASTEST},
    {0, IDC_PANEL_REPEAT_LABEL},
    {0, IDC_PANEL_REPEAT_EDIT},
    {0, IDC_PANEL_REPEAT_ARROWS},
    {0, IDC_PANEL_REPEAT_TIMES},
    {0, IDC_PANEL_CONTINUOUS},
    {1, IDC_PANEL_RELOAD},
    {1, IDC_PANEL_PLAY_AFTER_OPEN},
    {1, IDC_PANEL_TOPMOST},
    {1, IDC_PANEL_ADVANCED},
    {2, IDC_PANEL_STOP_KEY_LABEL},
    {2, IDC_PANEL_STOP_KEY},
    {2, IDC_PANEL_KEY_DIVIDER},
    {2, IDC_PANEL_TYPE_KEY_LABEL},
    {2, IDC_PANEL_TYPE_KEY},
    {2, IDC_PANEL_TYPE_KEY_TAIL},
    {2, IDC_PANEL_TYPE_THIS_LABEL},
    {2, IDC_PANEL_TYPE_THIS},
    {2, IDC_PANEL_TYPE_THIS_TAIL},
    {2, IDC_PANEL_HOTKEY_DIVIDER},
    {2, IDC_PANEL_RECORD_HOTKEY_LABEL},
    {2, IDC_PANEL_RECORD_HOTKEY},
    {2, IDC_PANEL_PLAY_HOTKEY_LABEL},
    {2, IDC_PANEL_PLAY_HOTKEY},
    {2, IDC_PANEL_HOTKEY_NOTE},
};
static const int PanelPageControlCount = (int)(sizeof PanelPages / sizeof PanelPages[0]);

static const char* const PanelTabTexts[] = {"Playback", "Options", "Keyboard"};
static const int PanelTabCount = 3;

/* The speed buttons, by Speed - SpeedSlow. */
static const int SpeedButtons[] = {IDC_PANEL_SPEED_SLOW, IDC_PANEL_SPEED_NORMAL,
                                   IDC_PANEL_SPEED_FAST, IDC_PANEL_SPEED_FASTEST};

static struct {
    FontHandle boldFont;
    int dpi; /* the scale the bold font and the tab control's place were made for */
} panel;

/* ---- Tabbed dialogs (the Options dialog uses these too) ---- */

void ShowDialogPage(WindowHandle dialog, const PageControl* controls, int count, int page) {
    for (int i = 0; i < count; i++)
        PlatformShowDialogItem(dialog, controls[i].controlId, false);
    for (int i = 0; i < count; i++) {
        if (controls[i].page == page)
            PlatformShowDialogItem(dialog, controls[i].controlId, true);
    }
}

/* The tab control takes the dialog's own font rather than the system's
 * stock GUI font: the dialog's is made for the monitor's scale, the stock
 * one only for the scale the system started with. */
WindowHandle CreateDialogTabs(WindowHandle dialog, int controlId, ChildBounds bounds,
                              const char* const* texts, int count) {
    WindowHandle tabs = PlatformCreateTabControl(dialog, controlId, bounds.x, bounds.y,
                                                 bounds.width, bounds.height);
    if (tabs == nullptr)
        return nullptr;
    for (int i = 0; i < count; i++)
        PlatformAddTab(tabs, i, texts[i]);
    PlatformUseFontOf(tabs, dialog);
    return tabs;
}

/* A hidden panel also lets go of the keyboard, so nobody types into
 * controls they cannot see. */
void ToggleShowTabs(void) {
    gSettings.showTabs = gSettings.showTabs != 0 ? 0 : 1;
    bool shown = gSettings.showTabs != 0;
    PlatformSetMenuItemChecked(MainWindowHandle(), ID_VIEW_SHOW_TABS, shown);
    if (SettingsPanelHandle() != nullptr) {
        PlatformShowWindow(SettingsPanelHandle(), shown ? ShowShow : ShowHide);
        if (!shown)
            PlatformSetFocus(MainWindowHandle());
    }
    LayoutMainWindow();
}

void FocusTabPanel(void) {
    if (SettingsPanelHandle() != nullptr && gSettings.showTabs != 0)
        PlatformSetFocus(SettingsPanelHandle());
}

/* ---- Creation ---- */

/* Made from the panel's own font, which the status line starts with. */
static void MakeStatusFont(WindowHandle dialog) {
    FontHandle bold = PlatformCreateFontVariant(dialog, FontBold);
    if (bold == nullptr)
        return;
    PlatformSetWindowFont(PlatformGetDialogItem(dialog, IDC_PANEL_STATUS), bold);
    if (panel.boldFont != nullptr)
        PlatformReleaseFont(panel.boldFont);
    panel.boldFont = bold;
}

static ChildBounds PanelTabPlace(WindowHandle dialog) {
    int width = 0, height = 0;
    PlatformGetClientSize(dialog, &width, &height);
    return PanelTabBounds(width, height, PlatformScaledMetric(dialog, ScaledEdgeWidth),
                          PlatformScaledMetric(dialog, ScaledEdgeHeight),
                          PlatformWindowDpi(dialog));
}

/* A stored LastTab outside 1 to 3 would select no tab, show no page and be
 * saved back as 0; the panel opens on the first tab instead. */
static int StartingTab(void) {
    int32_t lastTab = ReadLastTab();
    return lastTab >= 1 && lastTab <= PanelTabCount ? (int)lastTab - 1 : 0;
}

/* Without a tab control the Playback page is the only one. */
static int SelectedPanelPage(WindowHandle dialog) {
    WindowHandle tabs = PlatformGetDialogItem(dialog, IDC_PANEL_TABS);
    return tabs != nullptr ? PlatformGetTabSelection(tabs) : 0;
}

static void ShowSelectedPanelPage(WindowHandle dialog) {
    ShowDialogPage(dialog, PanelPages, PanelPageControlCount, SelectedPanelPage(dialog));
}

static void FillLists(WindowHandle dialog) {
    for (int i = 0; i < KeyListSize; i++) {
        PlatformAddListItem(dialog, IDC_PANEL_STOP_KEY, KeyListText(i));
        PlatformAddListItem(dialog, IDC_PANEL_TYPE_KEY, KeyListText(i));
    }
    for (int i = 0; i < TypeThisListSize; i++)
        PlatformAddListItem(dialog, IDC_PANEL_TYPE_THIS, TypeThisText(i));
}

static void ShowKey(WindowHandle dialog, int boxId, int32_t key) {
    PlatformSetListSelection(dialog, boxId, KeyListIndexForCode(key));
}

static int SpeedButtonFor(int32_t speed) {
    return speed >= SpeedSlow && speed <= SpeedFastest ? SpeedButtons[speed - SpeedSlow]
                                                       : IDC_PANEL_SPEED_NORMAL;
}

static void ShowSpeed(WindowHandle dialog, int32_t speed) {
    for (int button : SpeedButtons)
        PlatformCheckButton(dialog, button, false);
    PlatformCheckButton(dialog, SpeedButtonFor(speed), true);
}

static void ShowRepeatCount(WindowHandle dialog, int32_t count) {
    char text[16];
    snprintf(text, sizeof text, "%ld", (long)count);
    PlatformSetDialogItemText(dialog, IDC_PANEL_REPEAT_EDIT, text);
}

static void EnableRepeatCount(WindowHandle dialog, bool enabled) {
    PlatformEnableDialogItem(dialog, IDC_PANEL_REPEAT_EDIT, enabled);
    PlatformEnableDialogItem(dialog, IDC_PANEL_REPEAT_ARROWS, enabled);
}

static void ShowHotkeyNote(WindowHandle dialog) {
    char note[160];
    HotkeyNote(HotkeyStandingOf(RecordHotkeyRole), HotkeyStandingOf(PlayHotkeyRole), note,
               sizeof note);
    PlatformSetDialogItemText(dialog, IDC_PANEL_HOTKEY_NOTE, note);
}

void ShowHotkeyStandings(void) {
    if (SettingsPanelHandle() != nullptr)
        ShowHotkeyNote(SettingsPanelHandle());
}

/* A changed hotkey counts at once, and the panel says whether the system
 * let the program have it. */
static void TakeUpHotkeysAndShow(WindowHandle dialog) {
    TakeUpHotkeys();
    ShowHotkeyNote(dialog);
}

/* A key alone, or with Shift alone, would take the user's typing away
 * from every program: the field makes it a Ctrl+Alt chord. */
static void SetUpHotkeyField(WindowHandle dialog, int fieldId, int32_t chord) {
    PlatformSetHotkeyFieldRules(dialog, fieldId, HotkeyCombNone | HotkeyCombShift,
                                ChordControl | ChordAlt);
    PlatformSetHotkeyField(dialog, fieldId, chord);
}

static void SetUpPanel(WindowHandle dialog) {
    panel.dpi = PlatformWindowDpi(dialog);
    PlacePanelBelowToolbar(dialog);
    MakeStatusFont(dialog);
    WindowHandle tabs = CreateDialogTabs(dialog, IDC_PANEL_TABS, PanelTabPlace(dialog),
                                         PanelTabTexts, PanelTabCount);
    if (tabs != nullptr)
        PlatformSetTabSelection(tabs, StartingTab());
    ShowSelectedPanelPage(dialog);
    FillLists(dialog);
    ShowKey(dialog, IDC_PANEL_STOP_KEY, gSettings.stopKey);
    ShowKey(dialog, IDC_PANEL_TYPE_KEY, gSettings.typeKey);
    if (gSettings.typeThis != 0)
        PlatformSetListSelection(dialog, IDC_PANEL_TYPE_THIS, gSettings.typeThis);
    ShowSpeed(dialog, gSettings.speed);
    ShowRepeatCount(dialog, gSettings.repeats);
    PlatformCheckButton(dialog, IDC_PANEL_PLAY_AFTER_OPEN, gSettings.playImmediately != 0);
    PlatformCheckButton(dialog, IDC_PANEL_TOPMOST, gSettings.topmost != 0);
    PlatformCheckButton(dialog, IDC_PANEL_RELOAD, gSettings.reload != 0);
    PlatformCheckButton(dialog, IDC_PANEL_CONTINUOUS, gSettings.repeatForever != 0);
    EnableRepeatCount(dialog, gSettings.repeatForever == 0);
    SetUpHotkeyField(dialog, IDC_PANEL_RECORD_HOTKEY, gSettings.recordHotkey);
    SetUpHotkeyField(dialog, IDC_PANEL_PLAY_HOTKEY, gSettings.playHotkey);
    ShowHotkeyNote(dialog);
}

/* After a change of scale the platform has laid out the template's
 * controls and given them the new font (the status line too, in regular
 * weight); what the panel made itself is made again. */
static void RefreshPanelScale(WindowHandle dialog) {
    int dpi = PlatformWindowDpi(dialog);
    if (dpi == panel.dpi)
        return;
    panel.dpi = dpi;
    MakeStatusFont(dialog);
    WindowHandle tabs = PlatformGetDialogItem(dialog, IDC_PANEL_TABS);
    if (tabs != nullptr) {
        ChildBounds place = PanelTabPlace(dialog);
        PlatformPlaceChild(tabs, place.x, place.y, place.width, place.height);
        PlatformUseFontOf(tabs, dialog);
    }
    PlacePanelBelowToolbar(dialog);
}

/* ---- The controls ---- */

static bool IsChecked(WindowHandle dialog, int controlId) {
    return PlatformIsButtonChecked(dialog, controlId);
}

static void TakeSpeed(WindowHandle dialog) {
    int32_t speed = SpeedNormal;
    if (IsChecked(dialog, IDC_PANEL_SPEED_SLOW))
        speed = SpeedSlow;
    else if (IsChecked(dialog, IDC_PANEL_SPEED_FAST))
        speed = SpeedFast;
    else if (IsChecked(dialog, IDC_PANEL_SPEED_FASTEST))
        speed = SpeedFastest;
    gSettings.speed = speed;
    ShowSpeed(dialog, speed);
}

/* The program's own writes into the edit (at creation, by the arrows, at
 * the start of a playback) are not the user's typing. */
static void TakeTypedRepeatCount(WindowHandle dialog) {
    if (!PlatformTakeEditModified(dialog, IDC_PANEL_REPEAT_EDIT))
        return;
    char text[16];
    PlatformGetDialogItemText(dialog, IDC_PANEL_REPEAT_EDIT, text, sizeof text);
    gSettings.repeats = RepeatCountFromText(text);
}

static void StepRepeatCount(WindowHandle dialog, int scrollCode) {
    if (scrollCode != ScrollLineUp && scrollCode != ScrollLineDown)
        return;
    char text[32];
    PlatformGetDialogItemText(dialog, IDC_PANEL_REPEAT_EDIT, text, sizeof text);
    int32_t written = RepeatArrowResult(text, scrollCode == ScrollLineUp);
    if (written < 0)
        return;
    ShowRepeatCount(dialog, written);
    gSettings.repeats = written < 1 ? 1 : written;
}

/* A closed list moves with the arrow and paging keys while it has the
 * focus, one change at a time. */
static bool SteppingByKeyboard(void) {
    const int keys[] = {KeyUp, KeyDown, KeyLeft, KeyRight, KeyPageUp, KeyPageDown, KeyHome, KeyEnd};
    for (int key : keys) {
        if (PlatformIsKeyDown(key))
            return true;
    }
    return false;
}

/* A refused key leaves the box showing the key still in force. The
 * keyboard steps over a key that is taken instead: were that key refused,
 * the box would go back and the next step would land on it again, so the
 * keys beyond it could never be reached. A new stop key may let a hotkey
 * that held it come into force. */
static void ChooseKey(WindowHandle dialog, int boxId, const char* name, int32_t* setting,
                      int32_t otherKey) {
    int chosen = PlatformGetListSelection(dialog, boxId);
    if (SteppingByKeyboard()) {
        int past = KeyListIndexPastTaken(name, chosen, KeyListIndexForCode(*setting), otherKey);
        if (past != chosen)
            PlatformSetListSelection(dialog, boxId, past);
        chosen = past;
    }
    if (ApplyKeyChoice(name, setting, otherKey, chosen)) {
        if (boxId == IDC_PANEL_STOP_KEY)
            TakeUpHotkeysAndShow(dialog);
        return;
    }
    ShowKey(dialog, boxId, *setting);
    PlatformFocusDialogItem(dialog, boxId);
}

/* ---- The hotkey fields ---- */

static bool ModifierHeld(void) {
    return PlatformIsKeyDown(KeyShift) || PlatformIsKeyDown(KeyControl) ||
           PlatformIsKeyDown(KeyAlt);
}

/* The field tells every key of a chord being pressed; the chord counts
 * once it is whole (or once the keys are up without one: no hotkey). A
 * refused chord leaves the field showing the one in force. */
static void ChooseHotkey(WindowHandle dialog, int fieldId) {
    bool record = fieldId == IDC_PANEL_RECORD_HOTKEY;
    int32_t* setting = record ? &gSettings.recordHotkey : &gSettings.playHotkey;
    int32_t other = record ? gSettings.playHotkey : gSettings.recordHotkey;
    int32_t chord = SettledHotkeyChord(PlatformGetHotkeyField(dialog, fieldId), ModifierHeld());
    if (chord < 0 || chord == *setting)
        return;
    if (ApplyHotkeyChoice(record ? "RecordHotkey" : "PlayHotkey", setting, other, chord)) {
        TakeUpHotkeysAndShow(dialog);
        return;
    }
    PlatformSetHotkeyField(dialog, fieldId, *setting);
    PlatformFocusDialogItem(dialog, fieldId);
}

bool TypeChordIntoFocusedField(int32_t chord) {
    WindowHandle dialog = SettingsPanelHandle();
    WindowHandle focus = PlatformFocusedWindow();
    if (dialog == nullptr || focus == nullptr)
        return false;
    const int fields[] = {IDC_PANEL_RECORD_HOTKEY, IDC_PANEL_PLAY_HOTKEY};
    for (int fieldId : fields) {
        if (focus != PlatformGetDialogItem(dialog, fieldId))
            continue;
        PlatformSetHotkeyField(dialog, fieldId, chord);
        ChooseHotkey(dialog, fieldId);
        return true;
    }
    return false;
}

static void TakeTypeThis(WindowHandle dialog) {
    int selected = PlatformGetListSelection(dialog, IDC_PANEL_TYPE_THIS);
    gSettings.typeThis = selected < 0 ? 0 : selected;
    StoreSettingNow("TypeThis");
}

static void TakeTopmost(WindowHandle dialog) {
    gSettings.topmost = IsChecked(dialog, IDC_PANEL_TOPMOST) ? 1 : 0;
    if (gSettings.topmost != 0)
        PlatformMakeTopmost(MainWindowHandle());
    else
        PlatformMakeNotTopmost(MainWindowHandle());
}

static void TakeCheckBox(WindowHandle dialog, int controlId, int32_t* setting) {
    *setting = IsChecked(dialog, controlId) ? 1 : 0;
}

static void OnButton(WindowHandle dialog, int controlId) {
    switch (controlId) {
    case IDC_PANEL_SPEED_SLOW:
    case IDC_PANEL_SPEED_NORMAL:
    case IDC_PANEL_SPEED_FAST:
    case IDC_PANEL_SPEED_FASTEST:
        TakeSpeed(dialog);
        return;
    case IDC_PANEL_CONTINUOUS:
        TakeCheckBox(dialog, controlId, &gSettings.repeatForever);
        EnableRepeatCount(dialog, gSettings.repeatForever == 0);
        return;
    case IDC_PANEL_RELOAD:
        TakeCheckBox(dialog, controlId, &gSettings.reload);
        return;
    case IDC_PANEL_PLAY_AFTER_OPEN:
        TakeCheckBox(dialog, controlId, &gSettings.playImmediately);
        return;
    case IDC_PANEL_TOPMOST:
        TakeTopmost(dialog);
        return;
    case IDC_PANEL_ADVANCED:
        RunOptionsDialog();
        return;
    default:
        return;
    }
}

static void OnListChoice(WindowHandle dialog, int controlId) {
    if (controlId == IDC_PANEL_STOP_KEY)
        ChooseKey(dialog, controlId, "StopKey", &gSettings.stopKey, gSettings.typeKey);
    else if (controlId == IDC_PANEL_TYPE_KEY)
        ChooseKey(dialog, controlId, "TypeKey", &gSettings.typeKey, gSettings.stopKey);
    else if (controlId == IDC_PANEL_TYPE_THIS)
        TakeTypeThis(dialog);
}

static void OnPanelCommand(WindowHandle dialog, int controlId, int code) {
    bool hotkeyField = controlId == IDC_PANEL_RECORD_HOTKEY || controlId == IDC_PANEL_PLAY_HOTKEY;
    if (code == ButtonClicked)
        OnButton(dialog, controlId);
    else if (code == ListSelectionChanged)
        OnListChoice(dialog, controlId);
    else if (code == EditChanged && controlId == IDC_PANEL_REPEAT_EDIT)
        TakeTypedRepeatCount(dialog);
    else if (code == EditChanged && hotkeyField)
        ChooseHotkey(dialog, controlId);
}

/* The main loop's Ctrl+Page Down and Ctrl+Page Up send the same tab
 * notification as a click on a tab; the code alone decides. */
static intptr_t PanelProc(WindowHandle dialog, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) {
    switch (message) {
    case MsgInitDialog:
        SetUpPanel(dialog);
        return 1; /* the platform gives the first control the focus */
    case MsgPaint:
        RefreshPanelScale(dialog);
        LayoutMainWindow();
        return 0; /* the platform paints */
    case MsgNotify:
        if (PlatformNotificationCode(lParam) != TabSelectionChanged)
            return 0;
        ShowSelectedPanelPage(dialog);
        return 1;
    case MsgCommand:
        OnPanelCommand(dialog, (int)(wParam & 0xFFFF), (int)((wParam >> 16) & 0xFFFF));
        return 1;
    case MsgVScroll:
        StepRepeatCount(dialog, (int)(wParam & 0xFFFF));
        return 1;
    default:
        return 0;
    }
}

/* ---- What the rest of the program calls ---- */

WindowHandle CreateTabPanel(void) {
    return PlatformCreateChildDialog(MainWindowHandle(), IDD_TAB_PANEL, PanelProc);
}

void ShowTabPanelIfChosen(void) {
    if (SettingsPanelHandle() != nullptr && gSettings.showTabs != 0)
        PlatformShowWindow(SettingsPanelHandle(), ShowShow);
}

/* A hidden panel (Show Tabs off) takes no keys. */
void FocusPanelSpeedButton(void) {
    if (SettingsPanelHandle() != nullptr && gSettings.showTabs != 0)
        PlatformFocusDialogItem(SettingsPanelHandle(), SpeedButtonFor(gSettings.speed));
}

void ReleaseTabPanelFont(void) {
    if (panel.boldFont != nullptr)
        PlatformReleaseFont(panel.boldFont);
    panel.boldFont = nullptr;
}
