// The settings panel on the simulated desktop: its rules alone, then the
// real panel made from the resource script, acted on as a user would.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "playback/playback.h"
#include "platform/sim/sim_control.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/scratch_files.h"

namespace {

TEST(PanelRules, KeyListMapsBothWays) {
    const struct {
        int32_t code;
        int index;
    } cases[] = {{112, 1},  {123, 12}, {27, 13}, {17, 14}, {19, 15}, {144, 16},
                 {145, 17}, {48, 18},  {57, 27}, {65, 0},  {0, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(KeyListIndexForCode(c.code), c.index) << c.code;
        if (c.index > 0) {
            EXPECT_EQ(KeyCodeForListIndex(c.index), c.code) << c.index;
        }
    }
    for (int index : {-1, 0, KeyListSize})
        EXPECT_EQ(KeyCodeForListIndex(index), 0) << index;
    EXPECT_STREQ(KeyListText(13), "Escape");
    EXPECT_STREQ(KeyListText(27), "9");
}

TEST(PanelRules, RepeatCountAndArrows) {
    const struct {
        const char* text;
        int32_t count;
    } typed[] = {{"0", 1}, {"-3", 1},  {"12abc", 12}, {"2100000000", 2100000},
                 {"", 1},  {"abc", 1}, {" 42", 42},   {"9999999", 9999999}};
    for (const auto& c : typed)
        EXPECT_EQ(RepeatCountFromText(c.text), c.count) << c.text;

    const struct {
        const char* text;
        bool up;
        int32_t written; // -1: the arrow writes nothing
    } arrows[] = {{"1", true, 2},
                  {"1", false, -1},
                  {"", true, 1},
                  {"", false, -1},
                  {"9999999", true, -1},
                  {"9999998", true, 9999999},
                  {"12345678", false, 12345677},
                  {"2", false, 1}};
    for (const auto& c : arrows)
        EXPECT_EQ(RepeatArrowResult(c.text, c.up), c.written) << c.text << (c.up ? " up" : " down");
}

TEST(PanelRules, MainWindowSizeWithThePanelShownAndHidden) {
    // Outer 300 x 200 around a client of 294 x 151: a 3-pixel frame and 49
    // pixels of caption and menu; a toolbar 28 high needing 210 pixels of
    // width; the panel 251 x 166.
    MainWindowMeasures m = {96, 300, 200, 294, 151, 210, 28, 251, 166, 30, 20, 4, 23, 2, 2};
    WindowSize shown = MainWindowSizeFor(m, true);
    EXPECT_EQ(shown.width, 251); // the panel's width: the frame covers its right margin
    EXPECT_EQ(shown.height, 49 + 28 + 3 + 166);
    WindowSize hidden = MainWindowSizeFor(m, false);
    EXPECT_EQ(hidden.width, 6 * 30 + 50);
    EXPECT_EQ(hidden.height, 20 + 4 * 4 + 23 + 18); // holds the 49 + 28 it needs
    // A 7-pixel frame would cover the tab control: the window grows instead.
    m.clientWidth = 286;
    EXPECT_EQ(MainWindowSizeFor(m, true).width, 14 + 3 + (251 - 6 - 6) + 3);
    // A toolbar wider than the panel and the menu: the window shows it whole.
    m.toolbarWidth = 400;
    EXPECT_EQ(MainWindowSizeFor(m, true).width, 14 + 400);
    EXPECT_EQ(MainWindowSizeFor(m, false).width, 14 + 400);

    // At 150 % the gaps grow with the rest, and a tall toolbar makes the bar taller.
    MainWindowMeasures large = {144, 450, 300, 441, 227, 320, 60, 376, 249, 45, 30, 6, 34, 3, 3};
    EXPECT_EQ(MainWindowSizeFor(large, true).width, 9 + 5 + (376 - 9 - 9) + 5);
    EXPECT_EQ(MainWindowSizeFor(large, true).height, 73 + 60 + 5 + 249);
    EXPECT_EQ(MainWindowSizeFor(large, false).width, 6 * 45 + 75);
    EXPECT_EQ(MainWindowSizeFor(large, false).height, 73 + 60);

    ChildBounds tabs = PanelTabBounds(251, 166, 2, 2, 96);
    EXPECT_EQ(tabs.x, 3);
    EXPECT_EQ(tabs.width, 251 - 6 - 6);
    EXPECT_EQ(tabs.height, 166 - 6 - 3);
    EXPECT_EQ(OptionsTabBounds(390, 288, 2, 2, 23, 96).height, 288 - 6 - 23 - 13);
}

class PanelTest : public ::testing::Test {
  protected:
    WindowHandle panel = nullptr;

    void SetUp() override {
        SimReset();
    }
    void TearDown() override {
        SimReset();
    }
    static void Store(const char* name, int32_t value) {
        std::string path = std::string("SOFTWARE\\Mirlow\\") + name;
        WriteSettingValue(path.c_str(), KindNumber, nullptr, value);
    }
    static int32_t Stored(const char* name) {
        std::string path = std::string("SOFTWARE\\Mirlow\\") + name;
        return ReadSettingValue(path.c_str(), KindNumber, nullptr, 0, INT32_MIN);
    }
    void Start() {
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        panel = gApp.tabPanel;
        ASSERT_NE(panel, nullptr);
    }
    int VisiblePage() {
        const int firstOfPage[] = {IDC_PANEL_SPEED_SLOW, IDC_PANEL_RELOAD, IDC_PANEL_STOP_KEY};
        int shown = -1;
        for (int page = 0; page < 3; page++) {
            if (SimGetControl(panel, firstOfPage[page]).visible)
                shown = shown == -1 ? page : -2;
        }
        return shown;
    }
    std::string Edit() {
        return SimGetControl(panel, IDC_PANEL_REPEAT_EDIT).text;
    }
};

TEST_F(PanelTest, OpensOnTheStoredTabWithTheStoredSettings) {
    const struct {
        int32_t lastTab;
        int page;
    } tabs[] = {{3, 2}, {2, 1}, {1, 0}, {0, 0}, {7, 0}};
    for (const auto& c : tabs) {
        SimReset();
        Store("LastTab", c.lastTab);
        Start();
        EXPECT_EQ(VisiblePage(), c.page) << c.lastTab;
        EXPECT_TRUE(SimGetControl(panel, IDC_PANEL_STATUS).visible);
    }

    const struct {
        int32_t stopKey;
        int selection;
    } keys[] = {{112, 1}, {65, 0}, {0, -1}};
    for (const auto& c : keys) {
        SimReset();
        Store("StopKey", c.stopKey);
        Store("TypeThis", 3);
        Store("Speed", 3);
        Store("Repeats", 12345678);
        Store("RepeatForever", 1);
        Start();
        SimControlInfo stopBox = SimGetControl(panel, IDC_PANEL_STOP_KEY);
        EXPECT_EQ(stopBox.selection, c.selection) << c.stopKey;
        ASSERT_EQ(stopBox.items.size(), 28u);
        EXPECT_EQ(stopBox.items[1], "F1");
        EXPECT_EQ(SimGetControl(panel, IDC_PANEL_TYPE_THIS).selection, 3);
        EXPECT_EQ(SimGetControl(panel, IDC_PANEL_TYPE_THIS).items[4], "the date & time");
        EXPECT_TRUE(SimGetControl(panel, IDC_PANEL_SPEED_FAST).checked);
        EXPECT_FALSE(SimGetControl(panel, IDC_PANEL_SPEED_NORMAL).checked);
        // The program's own write is not typing: eight digits stay eight.
        EXPECT_EQ(Edit(), "12345678");
        EXPECT_EQ(gSettings.repeats, 12345678);
        EXPECT_TRUE(SimGetControl(panel, IDC_PANEL_CONTINUOUS).checked);
        EXPECT_FALSE(SimGetControl(panel, IDC_PANEL_REPEAT_EDIT).enabled);
        EXPECT_FALSE(SimGetControl(panel, IDC_PANEL_REPEAT_ARROWS).enabled);
        EXPECT_TRUE(SimGetControl(panel, IDC_PANEL_STATUS).bold);
    }
}

TEST_F(PanelTest, RepeatCountFollowsTypingAndArrowsButNotTheProgramsWrites) {
    Start();
    const struct {
        const char* typed;
        int32_t repeats;
    } typed[] = {{"0", 1}, {"-3", 1}, {"12abc", 12}, {"2100000000", 2100000}};
    for (const auto& c : typed) {
        ASSERT_TRUE(SimTypeText(panel, IDC_PANEL_REPEAT_EDIT, c.typed));
        EXPECT_EQ(gSettings.repeats, c.repeats) << c.typed;
        EXPECT_EQ(Edit(), c.typed); // the text stays as typed
    }

    // The start of a playback writes the count back into the edit.
    gSettings.repeats = 12345678;
    PlatformSetDialogItemText(panel, IDC_PANEL_REPEAT_EDIT, "12345678");
    EXPECT_EQ(gSettings.repeats, 12345678);

    const struct {
        const char* before;
        bool up;
        const char* after;
        int32_t repeats;
    } arrows[] = {{"1", false, "1", 1},
                  {"", true, "1", 1},
                  {"9999998", true, "9999999", 9999999},
                  {"9999999", true, "9999999", 9999999},
                  {"12345678", false, "12345677", 12345677}};
    for (const auto& c : arrows) {
        ASSERT_TRUE(SimTypeText(panel, IDC_PANEL_REPEAT_EDIT, c.before));
        ASSERT_TRUE(SimPressArrow(panel, IDC_PANEL_REPEAT_ARROWS, c.up));
        EXPECT_EQ(Edit(), c.after) << c.before;
        EXPECT_EQ(gSettings.repeats, c.repeats) << c.before;
    }

    ASSERT_TRUE(SimClickButton(panel, IDC_PANEL_CONTINUOUS));
    EXPECT_EQ(gSettings.repeatForever, 1);
    EXPECT_FALSE(SimTypeText(panel, IDC_PANEL_REPEAT_EDIT, "5"));
    EXPECT_FALSE(SimPressArrow(panel, IDC_PANEL_REPEAT_ARROWS, true));
    ASSERT_TRUE(SimClickButton(panel, IDC_PANEL_CONTINUOUS));
    EXPECT_EQ(gSettings.repeatForever, 0);
    EXPECT_TRUE(SimTypeText(panel, IDC_PANEL_REPEAT_EDIT, "5"));
}

TEST_F(PanelTest, KeyChoiceRule) {
    Start();
    SimClickTab(panel, IDC_PANEL_TABS, 2);
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_STOP_KEY, 5)); // F5
    EXPECT_EQ(gSettings.stopKey, 116);
    EXPECT_EQ(Stored("StopKey"), 116); // stored at once

    // The same key as Special Type key is refused, not stored, and the box
    // shows the key in force again.
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_TYPE_KEY, 5));
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text,
              "The \"Stop Recording\" key and the \"Special Type\" key cannot be the same.\n\n"
              "Please choose a different key.");
    EXPECT_EQ(SimMessageBoxes()[0].caption, "Mirlow Warning");
    EXPECT_EQ(SimMessageBoxes()[0].style, BoxOk | BoxIconWarning | BoxTaskModal);
    EXPECT_EQ(gSettings.typeKey, 0);
    EXPECT_EQ(Stored("TypeKey"), INT32_MIN);
    EXPECT_EQ(SimGetControl(panel, IDC_PANEL_TYPE_KEY).selection, -1);
    EXPECT_TRUE(SimGetControl(panel, IDC_PANEL_TYPE_KEY).focused);

    // Arrow keys step over the key the other box holds, both ways.
    const struct {
        int key;
        int chosen;
        int shown;
        int32_t typeKey;
    } steps[] = {{KeyDown, 4, 4, 115}, {KeyDown, 5, 6, 117}, {KeyUp, 5, 4, 115}};
    for (const auto& c : steps) {
        SimSetKeyDown(c.key, true);
        ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_TYPE_KEY, c.chosen));
        SimSetKeyDown(c.key, false);
        EXPECT_EQ(SimGetControl(panel, IDC_PANEL_TYPE_KEY).selection, c.shown) << c.chosen;
        EXPECT_EQ(gSettings.typeKey, c.typeKey) << c.chosen;
    }
    EXPECT_EQ(SimMessageBoxes().size(), 1u);
    // With nothing beyond it, the step is refused as a choice is.
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_STOP_KEY, 27)); // "9"
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_TYPE_KEY, 26));
    SimSetKeyDown(KeyDown, true);
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_TYPE_KEY, 27));
    SimSetKeyDown(KeyDown, false);
    EXPECT_EQ(SimGetControl(panel, IDC_PANEL_TYPE_KEY).selection, 26);
    EXPECT_EQ(SimMessageBoxes().size(), 2u);

    // No key is always accepted, for both.
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_TYPE_KEY, 0));
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_STOP_KEY, 0));
    EXPECT_EQ(gSettings.stopKey, 0);
    EXPECT_EQ(Stored("StopKey"), 0);
    EXPECT_EQ(Stored("TypeKey"), 0);
    EXPECT_EQ(SimMessageBoxes().size(), 2u);

    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_TYPE_THIS, 2));
    EXPECT_EQ(Stored("TypeThis"), 2);

    // Ctrl is a key of both hotkeys' chords: no stop key, and arrows step past it.
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_STOP_KEY, 14));
    EXPECT_EQ(SimMessageBoxes().back().text,
              "The \"Stop Recording\" key cannot be a key of a hotkey.\n\nPlease choose a "
              "different key.");
    EXPECT_EQ(gSettings.stopKey, 0);
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_STOP_KEY, 13)); // Escape
    SimSetKeyDown(KeyDown, true);
    ASSERT_TRUE(SimChooseListItem(panel, IDC_PANEL_STOP_KEY, 14));
    SimSetKeyDown(KeyDown, false);
    EXPECT_EQ(gSettings.stopKey, 19); // Break
    EXPECT_EQ(SimMessageBoxes().size(), 3u);
}

TEST(PanelRules, HotkeyTextsSettledChordsAndNotes) {
    const struct {
        int32_t chord;
        const char* text;
    } texts[] = {{DefaultRecordHotkey, "Ctrl+Shift+Alt+R"},
                 {ChordAlt | 0x78, "Alt+F9"},
                 {ChordControl | ChordExtended | KeyDelete, "Ctrl+Delete"},
                 {ChordControl | ChordAlt | 0x61, "Ctrl+Alt+Num 1"},
                 {ChordShift | 0xE9, "Shift+key 0xE9"},
                 {ChordControl, ""}};
    for (const auto& c : texts) {
        char text[32];
        EXPECT_EQ(HotkeyText(c.chord, text, sizeof text), (int)strlen(c.text));
        EXPECT_STREQ(text, c.text);
    }
    // Ctrl and Alt down, no key yet: nothing; let go without one: none.
    const struct {
        int32_t field;
        bool modifierHeld;
        int32_t chord;
    } settled[] = {{0x752, true, 0x752}, {0x752, false, 0x752}, {0, true, -1},
                   {0, false, 0},        {0x600, true, -1},     {0x600, false, 0}};
    for (const auto& c : settled)
        EXPECT_EQ(SettledHotkeyChord(c.field, c.modifierHeld), c.chord) << c.field;
    const struct {
        HotkeyStanding record, play;
        const char* note;
    } notes[] = {{HotkeyInForce, HotkeyUnset, ""},
                 {HotkeyInUseElsewhere, HotkeyInForce, "Record hotkey in use elsewhere"},
                 {HotkeyUnset, HotkeyOnStopKey, "Play hotkey uses the stop key"},
                 {HotkeyInUseElsewhere, HotkeyInUseElsewhere,
                  "Record hotkey in use elsewhere\nPlay hotkey in use elsewhere"}};
    for (const auto& c : notes) {
        char note[128];
        HotkeyNote(c.record, c.play, note, sizeof note);
        EXPECT_STREQ(note, c.note);
    }
}

// A chord pressed in a hotkey field counts at once: stored, and the
// system's hotkey moves to it, unless the rule refuses it.
TEST_F(PanelTest, HotkeyFieldsTakeAChordAtOnceUnlessItIsRefused) {
    Start();
    SimClickTab(panel, IDC_PANEL_TABS, 2);
    EXPECT_EQ(PlatformGetHotkeyField(panel, IDC_PANEL_RECORD_HOTKEY), DefaultRecordHotkey);
    EXPECT_EQ(PlatformGetHotkeyField(panel, IDC_PANEL_PLAY_HOTKEY), DefaultPlayHotkey);
    EXPECT_TRUE(SimHotkeyInForce(DefaultRecordHotkey));
    const int32_t ctrlAltJ = ChordControl | ChordAlt | 'J';
    const char* const same = "The record hotkey and the play hotkey cannot be the same.";
    const char* const stopKey = "A hotkey cannot use the \"Stop Recording\" key.";
    const struct {
        const char* name;
        int field;
        int32_t pressed;
        int32_t taken; // what the field holds and the setting stores
        const char* box;
    } rows[] = {
        {"a chord", IDC_PANEL_RECORD_HOTKEY, ChordControl | ChordAlt | 'K', 0x64B, ""},
        {"a key alone gets Ctrl+Alt", IDC_PANEL_RECORD_HOTKEY, 'J', ctrlAltJ, ""},
        {"Shift alone gets them too", IDC_PANEL_PLAY_HOTKEY, ChordShift | 'J', 0x74A, ""},
        {"the other hotkey's chord", IDC_PANEL_PLAY_HOTKEY, ctrlAltJ, 0x74A, same},
        {"a chord holding the stop key", IDC_PANEL_PLAY_HOTKEY, ChordControl | 0x78, 0x74A,
         stopKey},
        {"Ctrl alone turns it off", IDC_PANEL_RECORD_HOTKEY, ChordControl, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gSettings.stopKey = 0x78; // F9
        size_t boxes = SimMessageBoxes().size();
        const char* name = row.field == IDC_PANEL_RECORD_HOTKEY ? "RecordHotkey" : "PlayHotkey";
        ASSERT_TRUE(SimPressChordInField(panel, row.field, row.pressed));
        EXPECT_EQ(PlatformGetHotkeyField(panel, row.field), row.taken);
        EXPECT_EQ(*(row.field == IDC_PANEL_RECORD_HOTKEY ? &gSettings.recordHotkey
                                                         : &gSettings.playHotkey),
                  row.taken);
        EXPECT_EQ(SimMessageBoxes().size(), boxes + (row.box[0] != '\0' ? 1 : 0));
        if (row.box[0] != '\0')
            EXPECT_EQ(SimMessageBoxes().back().text.substr(0, strlen(row.box)), row.box);
        else
            EXPECT_EQ(Stored(name), row.taken);
        EXPECT_EQ(SimHotkeyInForce(row.taken), row.taken != 0);
        EXPECT_TRUE(SimGetControl(panel, row.field).focused);
    }
    EXPECT_FALSE(SimHotkeyInForce(DefaultRecordHotkey));
    EXPECT_FALSE(SimHotkeyInForce(ctrlAltJ));
}

// The user presses a chord: its modifiers, its key, then lets go of all.
void PressChord(int32_t chord) {
    const int modifiers[] = {KeyControl, KeyShift, KeyAlt};
    const int32_t bits[] = {ChordControl, ChordShift, ChordAlt};
    std::vector<EventRecord> keys;
    for (int i = 0; i < 3; i++) {
        if (chord & bits[i])
            keys.push_back(EventRecord{MsgKeyDown, modifiers[i], 1, 100, 0});
    }
    keys.push_back(EventRecord{MsgKeyDown, chord & 0xFF, 1, 110, 0});
    size_t pressed = keys.size();
    for (size_t i = pressed; i-- > 0;)
        keys.push_back(EventRecord{MsgKeyUp, keys[i].paramL | 0xC00000, 1, 120, 0});
    for (const EventRecord& key : keys)
        SimRecordInput(key);
}

// Another program holds the play hotkey: the panel and the log say so,
// and a free chord for it counts at once. The record hotkey's chord
// pressed in the play field is that field's choice, not the hotkey.
TEST_F(PanelTest, AHotkeyHeldElsewhereIsShownAndAChordPressedInAFieldIsTyped) {
    ScratchFolder scratch;
    std::string log = scratch.Path("hotkeys.log");
    Store("Log", LogLow);
    WriteSettingValue("SOFTWARE\\Mirlow\\Logfile", KindText, log.c_str(), 0);
    SimHoldHotkey(DefaultPlayHotkey);
    Start();
    SimClickTab(panel, IDC_PANEL_TABS, 2);
    EXPECT_EQ(SimGetControl(panel, IDC_PANEL_HOTKEY_NOTE).text, "Play hotkey in use elsewhere");
    EXPECT_NE(ScratchFolder::Read(log).find(
                  "The play hotkey Ctrl+Shift+Alt+P is not available: Windows refused it (error "
                  "1409): another program uses it\r\n"),
              std::string::npos);
    EXPECT_EQ(PlatformGetHotkeyField(panel, IDC_PANEL_PLAY_HOTKEY), DefaultPlayHotkey);
    ASSERT_TRUE(SimPressChordInField(panel, IDC_PANEL_PLAY_HOTKEY, ChordControl | ChordAlt | 'P'));
    EXPECT_EQ(SimGetControl(panel, IDC_PANEL_HOTKEY_NOTE).text, "");
    EXPECT_TRUE(SimHotkeyInForce(ChordControl | ChordAlt | 'P'));

    PressChord(DefaultRecordHotkey); // the play field has the focus
    RunMessageLoop();
    EXPECT_EQ(gJournal.hook, nullptr);
    EXPECT_EQ(PlatformGetHotkeyField(panel, IDC_PANEL_PLAY_HOTKEY), ChordControl | ChordAlt | 'P');
    EXPECT_EQ(SimMessageBoxes().back().text.substr(0, 26), "The record hotkey and the ");
}

// Open puts the focus on the speed button in force, but never into a
// hidden panel (Show Tabs off), where keys would work controls unseen.
TEST_F(PanelTest, OpenFocusesTheSpeedButtonOfAShownPanelOnly) {
    ScratchFolder scratch;
    std::string script = scratch.Write("a.mrx", "message=WM_KEYDOWN paramH=0 paramL=65 time=1\r\n");
    for (bool shown : {true, false}) {
        SimReset();
        Store("Speed", 3);
        Store("ShowTabs", shown ? 1 : 0);
        Start();
        SimQueueFileDialog(script.c_str());
        PlatformSendMessage(gApp.mainWindow, MsgCommand, ID_FILE_OPEN, 0);
        EXPECT_EQ(gRecording.eventCount, 1);
        EXPECT_EQ(SimGetControl(panel, IDC_PANEL_SPEED_FAST).focused, shown);
    }
}

TEST_F(PanelTest, ButtonsAndCheckBoxesSetTheirSettings) {
    Start();
    const struct {
        int button;
        int32_t speed;
    } speeds[] = {{IDC_PANEL_SPEED_SLOW, 1},
                  {IDC_PANEL_SPEED_FASTEST, 4},
                  {IDC_PANEL_SPEED_NORMAL, 2},
                  {IDC_PANEL_SPEED_FAST, 3}};
    for (const auto& c : speeds) {
        ASSERT_TRUE(SimClickButton(panel, c.button));
        EXPECT_EQ(gSettings.speed, c.speed);
        for (int other : {IDC_PANEL_SPEED_SLOW, IDC_PANEL_SPEED_NORMAL, IDC_PANEL_SPEED_FAST,
                          IDC_PANEL_SPEED_FASTEST})
            EXPECT_EQ(SimGetControl(panel, other).checked, other == c.button);
    }

    SimClickTab(panel, IDC_PANEL_TABS, 1);
    ASSERT_TRUE(SimClickButton(panel, IDC_PANEL_RELOAD));
    ASSERT_TRUE(SimClickButton(panel, IDC_PANEL_PLAY_AFTER_OPEN));
    EXPECT_EQ(gSettings.reload, 1);
    EXPECT_EQ(gSettings.playImmediately, 1);
    ASSERT_TRUE(SimClickButton(panel, IDC_PANEL_TOPMOST));
    EXPECT_TRUE(SimGetWindowInfo(gApp.mainWindow).topmost);
    ASSERT_TRUE(SimClickButton(panel, IDC_PANEL_TOPMOST));
    EXPECT_FALSE(SimGetWindowInfo(gApp.mainWindow).topmost);
    EXPECT_EQ(gSettings.topmost, 0);

    ASSERT_TRUE(SimClickButton(panel, IDC_PANEL_ADVANCED));
    EXPECT_EQ(SimModalDialogsShown(), std::vector<int>{IDD_OPTIONS});

    // Only the exit batch stores these, with the tab shown.
    PlatformPostMessage(gApp.mainWindow, MsgClose, 0, 0);
    RunMessageLoop();
    EXPECT_EQ(Stored("Speed"), 3);
    EXPECT_EQ(Stored("Reload"), 1);
    EXPECT_EQ(Stored("LastTab"), 2);
}

TEST_F(PanelTest, CtrlPageDownCyclesThePages) {
    Start();
    SimSetKeyDown(KeyControl, true);
    for (int expected : {1, 2, 0}) {
        PlatformMessage key = {panel, MsgKeyDown, (uintptr_t)KeyPageDown, 0, 0, 0, 0};
        HandleLoopMessage(&key);
        EXPECT_EQ(VisiblePage(), expected);
    }
}

TEST_F(PanelTest, WithoutATabControlThePlaybackPageStays) {
    Store("LastTab", 3);
    SimFailTabControls(true);
    Start();
    EXPECT_EQ(VisiblePage(), 0);
}

TEST_F(PanelTest, MainWindowFitsThePanelShownHiddenAndAtAnotherScale) {
    Start();
    auto size = [] {
        SimWindowInfo info = SimGetWindowInfo(gApp.mainWindow);
        return std::make_pair(info.width, info.height);
    };
    int panelWidth, panelHeight, clientWidth, clientHeight, toolbarWidth, toolbarHeight;
    PlatformGetClientSize(panel, &panelWidth, &panelHeight);
    PlatformGetClientSize(gApp.mainWindow, &clientWidth, &clientHeight);
    PlatformGetToolbarExtent(gApp.toolbar, &toolbarWidth, &toolbarHeight);
    auto shown = size();
    EXPECT_EQ(shown.first, panelWidth);
    EXPECT_EQ(clientHeight, toolbarHeight + 3 + panelHeight); // the toolbar, the gap, the panel

    PlatformSendMessage(gApp.mainWindow, MsgCommand, ID_VIEW_SHOW_TABS, 0);
    EXPECT_FALSE(SimMenuItemChecked(gApp.mainWindow, ID_VIEW_SHOW_TABS));
    EXPECT_FALSE(SimGetWindowInfo(panel).visible);
    EXPECT_EQ(size().first, 6 * PlatformMenuBarItemWidth(gApp.mainWindow, 0) + 50);
    EXPECT_EQ(size().second, 19 + 4 * 4 + 19 + 18);
    EXPECT_FALSE(SimClickButton(panel, IDC_PANEL_SPEED_SLOW)); // nobody reaches a hidden panel

    PlatformSendMessage(gApp.mainWindow, MsgCommand, ID_VIEW_SHOW_TABS, 0);
    EXPECT_TRUE(SimGetWindowInfo(panel).visible);
    EXPECT_EQ(size(), shown);

    // A monitor at 150 %: the system suggests a size, the panel's template
    // grows, and at its next paint the panel refits the window and remakes
    // its bold font, releasing the old one.
    SimSetDpi(144);
    ScreenRect suggested = {0, 0, shown.first * 3 / 2, shown.second * 3 / 2};
    PlatformSendMessage(gApp.mainWindow, MsgDpiChanged, 144, (intptr_t)&suggested);
    PlatformSendMessage(panel, MsgPaint, 0, 0);
    PlatformGetClientSize(panel, &panelWidth, &panelHeight);
    PlatformGetToolbarExtent(gApp.toolbar, &toolbarWidth, &toolbarHeight);
    EXPECT_EQ(size().first, 2 * 5 + 5 + (panelWidth - 3 * 3 - 9) + 5);
    EXPECT_EQ(size().second, 2 * 5 + 29 + 29 + toolbarHeight + 5 + panelHeight);
    EXPECT_TRUE(SimGetControl(panel, IDC_PANEL_STATUS).bold);
    EXPECT_EQ(SimLiveFontCount(), 1);
    SimControlInfo tabs = SimGetControl(panel, IDC_PANEL_TABS);
    EXPECT_EQ(tabs.width, panelWidth - 3 * 3 - 9);

    PlatformPostMessage(gApp.mainWindow, MsgClose, 0, 0);
    RunMessageLoop();
    EXPECT_EQ(SimLiveFontCount(), 0);
}

} // namespace
