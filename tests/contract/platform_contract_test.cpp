/*
 * platform_contract_test.cpp: what the program relies on from the platform
 * seam, stated once and proved on both sides. The same cases run natively
 * against the simulated desktop and, built for Windows, against the real
 * system under Wine; a case that holds on one side only is a fault of the
 * simulation (or of the Windows side), never something to test around.
 * Each switch of the simulated desktop that the native tests lean on is
 * proved here, or argued below where Wine cannot show it.
 *
 * What the program relies on, one case each:
 *   - two spellings of one file name the same file, and the log is kept
 *     out of the recording by that answer (PlatformSameFile);
 *   - a file another program holds (a scanner, an indexer: a handle
 *     without sharing on Windows) is still there, so its name is taken,
 *     and cannot be replaced, nor replace another, until it is let go: the
 *     refusal is a sharing violation, error 32, which the save waits out;
 *   - registry values come back with the type and bytes they were stored
 *     with (REG_EXPAND_SZ unexpanded, zero bytes kept, an empty value),
 *     names without regard to case, an empty name the key's default value,
 *     and a value larger than the room given is not handed over at all;
 *   - a save's steps: a move never takes a name another file has, and a
 *     replace leaves no backup behind;
 *   - window titles compare as Windows compares them: the GOTO lookup
 *     (PlatformFindGotoWindow) compares the titles of shown windows with
 *     lstrcmpiA, the user's locale without regard to case, and never finds
 *     a hidden window;
 *   - a message box, a modal dialog and a file dialog run modal loops that
 *     dispatch what is posted to the program's windows meanwhile and lose
 *     what is posted to the thread without a window, except the cancel
 *     notice, which reaches the window named for it; and what the system
 *     sends meanwhile (the end of the session) reaches the window inside
 *     the box's loop, where the default answer lets the session end;
 *   - posted messages come back in order, a sent one is handled at once,
 *     the quit message only once nothing else is waiting;
 *   - a window has its class's menu as the resource script writes it
 *     (items, first states), the program's changes go by command, and
 *     which items exist can be told (the recent-file list inserts after an
 *     item and deletes items);
 *   - accelerators turn keys into the main window's commands, and do
 *     nothing for a grayed menu item, nor for a menu item of a minimised
 *     window; a command that is no menu item goes in any case;
 *   - a modeless dialog's keys: Tab, Shift+Tab, arrows in a radio group,
 *     Enter, Escape, and the messages it leaves to others;
 *   - a box told to close itself does so with the answer it was given once
 *     its time is up, its loop going on meanwhile, and one answered in time
 *     gives the user's answer;
 *   - a chord is one hotkey's at a time: a second registration, the
 *     program's own or another program's, is refused with error 1409 until
 *     the first lets go, and other modifiers make another chord; a hotkey
 *     field shows the chord the program gives it, and the window with the
 *     keyboard focus is known;
 *   - the tick count counts milliseconds, and a playback hook's delay is
 *     waited out before it is asked again;
 *   - what a recording notes of a window and playback looks for again: the
 *     top-level window a child belongs to, its title, class and program
 *     file name, whether it is shown, the list of shown windows, and
 *     capitals as names are compared; its scale and monitor, and its
 *     controls: the visible ones in the order they were made, each with its
 *     class, ID, label, rectangle on the screen and whether it is enabled;
 *     and a minimized window never reports its minimized place (Windows
 *     reports the place it is restored to, Wine none at all);
 *   - typed text is converted from the code page as a whole (Windows-1252,
 *     the code page of the systems these cases run on), and a window
 *     answers when asked whether its thread takes messages if it does, and
 *     after the whole time limit does not if its thread has stopped.
 *
 * Switches of the simulated desktop that Wine cannot show, and why the
 * simulated rule is the system's (from the Win32 documentation):
 *   - Input refused (SimRefuseInputAfter; SimSetHigherRights for the
 *     recorder): the system drops input aimed at a window of a process
 *     with a higher integrity level without a word (SendInput's
 *     documentation: neither its result nor the last error says so), so
 *     the Windows side compares integrity levels itself and refuses the
 *     record with access denied, as the simulation refuses it; any other
 *     refusal is SendInput inserting fewer events than it was given. Wine
 *     runs every program with the same rights.
 *   - A locked or switched session (SimLockSessionAfter; for the recorder
 *     SimSetInputDesktopOurs): the input desktop is then Winlogon's, which
 *     OpenInputDesktop does not open or names otherwise, and the Windows
 *     side ends the playback as the cancel keys end it, as the simulation
 *     does. Wine's input desktop stays the same after SwitchDesktop
 *     (measured).
 *   - A refused foreground (SimRefuseForeground): SetForegroundWindow is
 *     refused unless the caller is the foreground process, had the last
 *     input, or the foreground lock time-out has passed; the window's
 *     taskbar button flashes and the foreground stays where it was, as in
 *     the simulation; a thread attached to the foreground thread's input
 *     may set it, which is the second attempt. Wine grants every request.
 *   - A read-only hive (SimSetRegistryReadOnly): a standard user may not
 *     write HKEY_LOCAL_MACHINE, and with the manifest's asInvoker level no
 *     write is redirected to a virtual store: it is refused. Wine runs
 *     programs as an administrator.
 *   - A held folder (SimHoldFile on a folder) stands for a program that
 *     holds each file as it appears there; each such file is refused as
 *     the held files of this suite are.
 *   - Record hooks the system takes away (SimStallRecordHooks): a low-level
 *     hook that answers later than the system's time-out is removed without
 *     a word (LowLevelKeyboardProc's documentation); the recorder learns
 *     it by the system's last input time running ahead of its hooks'
 *     (GetLastInputInfo), the two times the simulation reports. A journal installed and never
 * called (SimSetJournalNeverCalled) is what Wine 8 does with every playback journal, which the Wine
 * tests of playback go through.
 *   - Hotkeys firing (SimRecordInput, played records): RegisterHotKey's
 *     documentation has the system post WM_HOTKEY for a key pressed with
 *     exactly the hotkey's modifiers and keep that press from the window
 *     with the focus, for injected input as for the keyboard; this suite
 *     cannot press keys into a window of its own, but the Wine test of
 *     hotkeys does (a chord from the display starts and stops recordings
 *     and playbacks, and a chord a playback plays reaches its window), and
 *     an experiment under Wine showed SendInput's chord taken as the
 *     hotkey and kept from the focused window.
 *   - A cloaked window (SimSetWindowCloaked): a window on another virtual
 *     desktop, or the frame of a suspended Store app, is visible to
 *     IsWindowVisible but cloaked (DwmGetWindowAttribute with
 *     DWMWA_CLOAKED reports why); the Windows side reads that attribute, as
 *     the simulation reports its switch. Wine cloaks nothing (the attribute
 *     is not implemented there: measured), which the case of controls
 *     shows for a shown window on both sides.
 *   - Another display scale for one window (SimSetWindowDpi): a window that
 *     scales itself per monitor reports its own DPI (GetDpiForWindow); for
 *     one the system scales, the system draws it at its monitor's DPI
 *     (GetDpiForMonitor), which the Windows side reports. Wine draws every
 *     window at the one scale it was started with, which the case of
 *     controls shows; the Wine tests replay at another scale.
 *   - Failures no test system can be made to produce on demand (no memory,
 *     a hook or a control that cannot be made, a full disk, a replacement
 *     the file system refuses, a program or browser that does not start):
 *     each switch makes the seam return the failure its contract names,
 *     which is all the program reads of it.
 *
 * Differences between the simulated desktop and Windows that remain, and
 * why each is harmless:
 *   - Time: the simulated clock moves only when the program waits, by exactly
 *     what it waits (or what a test asks), where Windows' clock runs on. The
 *     contract promises a lower bound, which both keep.
 *   - Files: the simulated files are the host's, whose names tell letter case
 *     apart. Two files that differ only in case count as one, so the log goes
 *     beside a recording instead of into the other file: nothing is lost.
 *   - Letter case beyond ASCII: simulated titles and paths ignore the case of
 *     ASCII letters only; Windows also folds other letters of the code page.
 *     The simulation then finds fewer windows and files, never a wrong one, so
 *     a test can fail where Windows succeeds but never pass where it fails.
 *     lstrcmpiA's other linguistic rules are not copied either, for the same
 *     reason.
 *   - Modal loops: the simulated ones dispatch what is waiting and then answer
 *     at once, where a person may take longer; what comes in meanwhile is
 *     what a test queued with the answer (a message box's), delivered before
 *     the box returns, where Windows would deliver it whenever it came. A quit
 *     posted while a modal window is open stays for the program's own loop and
 *     the window gets its answer, where Windows ends the modal window at once
 *     and posts the quit again: the program posts the quit only when its main
 *     window is destroyed, which Exit, Close and the end of a command-line run
 *     do from its own loop; what its boxes' loops dispatch (the Stop Recording
 *     a cancelled journal posts) never destroys it. While a modal window is
 *     open the simulated journal is not driven, as Windows does not drive an
 *     emulated one either (a system journal would go on); the program shows no
 *     modal window during a playback except after ending it.
 *   - Keys: the simulated dialog manager knows Tab, the arrows, Enter and
 *     Escape, not mnemonics (Alt+letter) or the keys a control itself handles
 *     (Space on a button, arrows in an edit), and key messages are not
 *     translated into character messages: native tests act on controls through
 *     the simulation's control actions, which send the notifications the
 *     program reads. Controls do not tell their dialog when they gain or lose
 *     the focus (edits' and lists' focus notifications), which the program does
 *     not read. A disabled window still takes accelerators in the simulation:
 *     the program's windows are disabled only under its own modal windows,
 *     whose loops offer no key to its table.
 *   - Started programs: the simulation records them and calls them ready for
 *     input at once unless a test says how long they take, where Windows
 *     runs them; which programs a case could start is not the same on both
 *     sides, so readiness is tested natively. The order of the shown windows
 *     is the foreground window first and then the newest, where Windows keeps
 *     a stacking order that a desktop without a window manager may not
 *     change on activation; the program takes the foreground window first
 *     itself and needs no order beyond it.
 *   - The keyboard layout and Caps Lock: the simulated layout has only the
 *     characters a test gives it (none at first) and Caps Lock is what a test
 *     says; Windows has the user's. The typing rule sends a character the
 *     layout lacks as Unicode input, so the simulation types more of the text
 *     that way, never a wrong key. Its code page is Windows-1252 unless a test
 *     asks for UTF-8.
 *   - The end of the process: the simulated one keeps the exit code for the
 *     test and lets the program's loop end, where Windows ends the process at
 *     once; the program calls it last, after its window is destroyed. Where
 *     the session ends inside a box, the simulated box then returns to code
 *     that Windows never runs; native tests read the run's end as it stood.
 */
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/control_facts.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "tests/contract/contract_desktop.h"

namespace {

namespace fs = std::filesystem;

/* The first message number a program may use for its own messages
 * (system value). */
const uint32_t MsgApp = 0x8000;
const uint32_t MsgAnswered = MsgApp + 1; /* posted before a modal window opens */
const uint32_t MsgToThread = MsgApp + 2; /* posted to the thread, without a window */
const uint32_t MsgMarker = MsgApp + 3;   /* posted after, to find the queue's end */
const uint32_t MsgAsk = MsgApp + 4;      /* sent: answered with 42 */

struct Seen {
    WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
    bool modalOpen; /* a modal call of the case had not returned yet */
};
std::vector<Seen> seen;
bool modalOpen;

bool Recorded(uint32_t message) {
    return message == MsgCreate || message == MsgDestroy || message == MsgCommand ||
           message == MsgCancelJournal || message == MsgQueryEndSession ||
           message == MsgEndSession || message >= MsgApp;
}

intptr_t RecordingWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    if (Recorded(message))
        seen.push_back(Seen{window, message, wParam, modalOpen});
    if (message == MsgAnswered)
        ContractModalMayClose();
    if (message == MsgAsk)
        return 42;
    if (message >= MsgApp)
        return 0;
    return PlatformDefaultWindowProc(window, message, wParam, lParam);
}

intptr_t RecordingDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    (void)lParam;
    if (message == MsgInitDialog)
        return 1;
    if (!Recorded(message))
        return 0;
    seen.push_back(Seen{dialog, message, wParam, modalOpen});
    return 1;
}

const int ModalResult = 77;

intptr_t ModalDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    intptr_t result = RecordingDialogProc(dialog, message, wParam, lParam);
    if (message == MsgCommand && (wParam & 0xFFFF) == DialogOk)
        PlatformEndDialog(dialog, ModalResult);
    if (message == MsgCommand && (wParam & 0xFFFF) == DialogCancel)
        PlatformEndDialog(dialog, DialogCancel);
    return result;
}

const char* const WindowClass = "MirlowContract";

std::vector<WindowHandle> madeWindows;

WindowHandle MakeWindow(const char* title, bool shown) {
    WindowHandle window = PlatformCreateWindow(WindowClass, title, StyleCaption, 10, 10, 300, 200);
    if (window != nullptr && shown)
        PlatformShowWindow(window, ShowShow);
    madeWindows.push_back(window);
    return window;
}

bool SeenWith(uint32_t message, bool modal) {
    for (const Seen& s : seen) {
        if (s.message == message && s.modalOpen == modal)
            return true;
    }
    return false;
}

/* Commands with notification code 0 (a click, Enter, Escape) or 1 (an
 * accelerator); what a control says of its own focus is left out. */
std::vector<uintptr_t> CommandsSeen(void) {
    std::vector<uintptr_t> commands;
    for (const Seen& s : seen) {
        if (s.message == MsgCommand && (s.wParam >> 16) <= 1)
            commands.push_back(s.wParam);
    }
    return commands;
}

/* What retrieving and dispatching until the marker met: whether the
 * marker came, and the thread messages (without a window) before it. */
struct Retrieved {
    bool marker;
    std::vector<uint32_t> threadMessages;
};
Retrieved RetrieveUntilMarker(void) {
    Retrieved retrieved = {false, {}};
    PlatformMessage got;
    for (int i = 0; i < 1000 && !retrieved.marker && PlatformGetMessage(&got) > 0; i++) {
        if (got.window == nullptr)
            retrieved.threadMessages.push_back(got.message);
        PlatformTranslateAndDispatch(&got);
        retrieved.marker = got.message == MsgMarker;
    }
    return retrieved;
}

class PlatformContract : public ::testing::Test {
  protected:
    void SetUp() override {
        ContractStartCase();
        // Registered once per process on Windows, after every reset on the
        // simulated desktop; a second registration fails harmlessly.
        WindowClassSpec spec = {WindowClass, RecordingWindowProc, IDI_MIRLOW, IDR_MAIN_MENU, false};
        PlatformRegisterWindowClass(&spec);
        seen.clear();
        modalOpen = false;
    }
    void TearDown() override {
        for (WindowHandle window : madeWindows)
            PlatformDestroyWindow(window);
        madeWindows.clear();
    }
};

/* ---- Files ---- */

std::string Upper(std::string text) {
    for (char& c : text)
        c = (char)toupper((unsigned char)c);
    return text;
}

std::string OtherSlashes(std::string text) {
    for (char& c : text)
        c = c == '/' ? '\\' : c == '\\' ? '/' : c;
    return text;
}

TEST_F(PlatformContract, TwoSpellingsOfOneFileNameTheSameFile) {
    fs::path folder =
        fs::temp_directory_path() / ("mirlow-contract-" + std::to_string(PlatformTickCount()));
    fs::create_directories(folder);
    fs::path previous = fs::current_path();
    fs::current_path(folder);
    std::string sep(1, (char)fs::path::preferred_separator), dir = folder.string() + sep;
    std::string file = dir + "Rec.mrx";
    fclose(fopen(file.c_str(), "wb"));
    fclose(fopen((dir + "other.mrx").c_str(), "wb"));
    fs::create_hard_link(file, dir + "link.mrx");
    const struct {
        std::string first, second;
        bool same;
    } cases[] = {
        {file, file, true},
        {file, Upper(file), true},
        {file, OtherSlashes(file), true},
        {file, dir + "." + sep + "Rec.mrx", true},
        {file, dir + "sub" + sep + ".." + sep + "Rec.mrx", true},
        {file, "Rec.mrx", true}, // relative to the current folder
        {file, file + ".", true},
        {file, dir + "link.mrx", true}, // another name of the same file
        {file, dir + "other.mrx", false},
        {file, "", false},
        {dir + "missing.mrx", dir + "." + sep + "MISSING.mrx", true},
        {dir + "missing.mrx", dir + "missing2.mrx", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlatformSameFile(c.first.c_str(), c.second.c_str()), c.same) << c.second;
    fs::current_path(previous);
    fs::remove_all(folder);
}

std::string Content(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& file, const char* text) {
    std::ofstream(file, std::ios::binary) << text;
}

/* The first two stand for what a save does while another program (a
 * scanner, an indexer) holds the old file or the new one. */
TEST_F(PlatformContract, AFileAnotherProgramHoldsIsBusyUntilLetGo) {
    fs::path folder =
        fs::temp_directory_path() / ("mirlow-held-" + std::to_string(PlatformTickCount()));
    fs::create_directories(folder);
    const std::string target = (folder / "held.mrx").string(),
                      source = (folder / "new.tmp").string(),
                      backup = (folder / "old.tmp").string();
    const struct {
        const char* name;
        const std::string* held;
        FileOutcome replaced;
        const char* left;
    } cases[] = {
        {"target held", &target, FileBusy, "old"},
        {"source held", &source, FileBusy, "old"},
        {"let go", nullptr, FileDone, "new"},
    };
    for (const auto& c : cases) {
        Write(target, "old");
        Write(source, "new");
        if (c.held != nullptr)
            ContractHoldFile(c.held->c_str());
        FILE* file = nullptr;
        EXPECT_EQ(PlatformCreateNewFile(target.c_str(), &file), FileNameTaken) << c.name;
        EXPECT_EQ(PlatformReplaceFile(source.c_str(), target.c_str(), backup.c_str()), c.replaced)
            << c.name;
        char reason[300];
        PlatformFileErrorText(reason, sizeof reason);
        bool sharingViolation = strstr(reason, "(error 32)") != nullptr;
        EXPECT_TRUE(c.replaced != FileBusy || sharingViolation) << c.name << ": " << reason;
        ContractLetFilesGo();
        EXPECT_EQ(Content(target), c.left) << c.name;
        EXPECT_EQ(fs::exists(source), c.replaced != FileDone) << c.name;
    }
    fs::remove_all(folder);
}

/* ---- Registry values ---- */

TEST_F(PlatformContract, RegistryValuesComeBackAsStoredWhereTheyFit) {
    const char* const keyPath = "Software\\MirlowContract";
    RegistryKeyHandle key = PlatformCreateRegistryKey(HiveCurrentUser, keyPath);
    ASSERT_NE(key, nullptr);
    const struct {
        const char* name;
        uint32_t type;
        std::string data;
        const char* asked;
        uint32_t capacity;
        int size; /* -1: not handed over */
    } cases[] = {
        {"Number", RegistryTypeNumber, std::string("\x07\0\0\0", 4), "Number", 4, 4},
        {"Number", RegistryTypeNumber, std::string("\x07\0\0\0", 4), "Number", 3, -1},
        {"Text", RegistryTypeText, std::string("caf\xE9", 5), "TEXT", 5, 5}, // any case
        {"Text", RegistryTypeText, std::string("caf\xE9", 5), "Text", 4, -1},
        {"Path", RegistryTypeExpandText, std::string("%TEMP%\\x", 9), "Path", 64, 9},
        {"", RegistryTypeText, std::string("default", 8), "", 64, 8}, // the key's default
        {"Bytes", RegistryTypeBinary, std::string("\x01\0\x02\0", 4), "Bytes", 4, 4},
        {"None", RegistryTypeBinary, std::string(), "None", 0, 0},
        {"Number", RegistryTypeNumber, std::string("\x07\0\0\0", 4), "Missing", 64, -1},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(
            PlatformSetRegistryValue(key, c.name, c.type, c.data.data(), (uint32_t)c.data.size()));
        uint32_t type = 0;
        char data[64] = {};
        EXPECT_EQ(PlatformQueryRegistryValue(key, c.asked, &type, data, c.capacity), c.size)
            << c.asked << " in " << c.capacity;
        if (c.size >= 0) {
            EXPECT_EQ(type, c.type) << c.asked;
            EXPECT_EQ(std::string(data, (size_t)c.size), c.data) << c.asked;
        }
    }
    for (const char* name : {"Number", "Text", "Path", "", "Bytes", "None"})
        EXPECT_TRUE(PlatformDeleteRegistryValue(key, name)) << name;
    uint32_t type;
    char data[8];
    EXPECT_EQ(PlatformQueryRegistryValue(key, "Number", &type, data, sizeof data), -1);
    PlatformCloseRegistryKey(key);
    // A doubled backslash in a key's path names the key a single one does.
    RegistryKeyHandle inner =
        PlatformCreateRegistryKey(HiveCurrentUser, "Software\\MirlowContract\\\\Inner");
    EXPECT_NE(inner, nullptr);
    PlatformCloseRegistryKey(inner);
    inner = PlatformOpenRegistryKey(HiveCurrentUser, "Software\\MirlowContract\\Inner", false);
    EXPECT_NE(inner, nullptr);
    PlatformCloseRegistryKey(inner);
    EXPECT_TRUE(PlatformDeleteRegistryKey(HiveCurrentUser, "Software\\MirlowContract\\Inner"));
    EXPECT_TRUE(PlatformDeleteRegistryKey(HiveCurrentUser, keyPath));
}

/* A save's steps: a move never takes a name another file has; a replace
 * leaves the new file under the target's name and nothing under the
 * backup name or its own. */
TEST_F(PlatformContract, AMoveTakesOnlyAFreeNameAndAReplaceLeavesNoBackup) {
    fs::path folder =
        fs::temp_directory_path() / ("mirlow-contract-" + std::to_string(PlatformTickCount()));
    fs::create_directories(folder);
    auto path = [&](const char* name) { return (folder / name).string(); };
    auto write = [](const std::string& file, const char* text) {
        FILE* stream = fopen(file.c_str(), "wb");
        fputs(text, stream);
        fclose(stream);
    };
    auto read = [](const std::string& file) {
        char text[16] = "";
        FILE* stream = fopen(file.c_str(), "rb");
        if (stream == nullptr)
            return std::string("(none)");
        text[fread(text, 1, sizeof text - 1, stream)] = '\0';
        fclose(stream);
        return std::string(text);
    };
    write(path("old.mrx"), "old");
    write(path("new.tmp"), "new");
    EXPECT_EQ(PlatformMoveFile(path("new.tmp").c_str(), path("old.mrx").c_str()), FileNameTaken);
    EXPECT_EQ(read(path("old.mrx")), "old");
    EXPECT_EQ(PlatformReplaceFile(path("new.tmp").c_str(), path("old.mrx").c_str(),
                                  path("backup.tmp").c_str()),
              FileDone);
    EXPECT_EQ(read(path("old.mrx")), "new");
    EXPECT_EQ(read(path("new.tmp")), "(none)");
    EXPECT_EQ(read(path("backup.tmp")), "(none)");
    EXPECT_EQ(PlatformMoveFile(path("old.mrx").c_str(), path("free.mrx").c_str()), FileDone);
    EXPECT_EQ(read(path("free.mrx")), "new");
    fs::remove_all(folder);
}

/* ---- Window titles ---- */

TEST_F(PlatformContract, WindowTitlesCompareWithoutRegardToCase) {
    WindowHandle alpha = MakeWindow("Contract Title Alpha", true);
    WindowHandle hidden = MakeWindow("Contract Title Hidden", false);
    WindowHandle twinShown = MakeWindow("CONTRACT TWIN", true);
    MakeWindow("Contract Twin", false); // on top of its twin, but hidden
    const struct {
        const char* title;
        WindowHandle expected;
    } cases[] = {
        {"Contract Title Alpha", alpha},    {"contract title alpha", alpha},
        {"CONTRACT TITLE ALPHA", alpha},    {"Contract Title Alph", nullptr},
        {"Contract Title Alpha ", nullptr}, {"contract title HIDDEN", nullptr},
        {"contract twin", twinShown}, // the shown one of two
    };
    (void)hidden;
    for (const auto& c : cases)
        EXPECT_EQ(PlatformFindGotoWindow(c.title), c.expected) << c.title;
}

/* ---- What a recording notes of a window ---- */

std::string ProgramFileName(void) {
    char path[300];
    std::string whole = PlatformProgramPath(path, sizeof path) > 0 ? path : "";
    size_t folder = whole.find_last_of("\\/");
    return folder == std::string::npos ? whole : whole.substr(folder + 1);
}

std::string Text(WindowHandle window, WindowTextKind kind) {
    char text[300];
    return PlatformGetWindowText(window, kind, text, sizeof text) >= 0 ? text : "(none)";
}

bool Listed(WindowHandle window) {
    WindowHandle shown[1024];
    int count = PlatformListShownWindows(shown, 1024);
    for (int i = 0; i < count; i++) {
        if (shown[i] == window)
            return true;
    }
    return false;
}

TEST_F(PlatformContract, WindowsTellWhatARecordingNotesOfThem) {
    WindowHandle noted = MakeWindow("Contract Noted", true);
    WindowHandle hidden = MakeWindow("Contract Unnoted", false);
    WindowHandle panel = PlatformCreateChildDialog(noted, IDD_TAB_PANEL, RecordingDialogProc);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(PlatformTopLevelWindowOf(panel), noted);
    EXPECT_EQ(PlatformTopLevelWindowOf(noted), noted);
    EXPECT_EQ(PlatformTopLevelWindowOf(nullptr), nullptr);
    EXPECT_EQ(Text(noted, WindowTitleText), "Contract Noted");
    EXPECT_EQ(Text(noted, WindowClassText), WindowClass);
    EXPECT_EQ(Text(noted, WindowProgramText), ProgramFileName());
    EXPECT_TRUE(PlatformIsWindowShown(noted));
    EXPECT_FALSE(PlatformIsWindowShown(hidden));
    EXPECT_TRUE(Listed(noted));
    EXPECT_FALSE(Listed(hidden));
    EXPECT_FALSE(Listed(panel)) << "only top-level windows";
    char capitals[] = "Contract noted - Notepad.exe";
    PlatformUpperCase(capitals);
    EXPECT_STREQ(capitals, "CONTRACT NOTED - NOTEPAD.EXE");
    PlatformDestroyWindow(hidden);
    EXPECT_EQ(Text(hidden, WindowTitleText), "(none)");
    EXPECT_EQ(PlatformTopLevelWindowOf(hidden), nullptr);
    EXPECT_FALSE(PlatformIsWindowShown(hidden));
}

/* ---- Controls, scale and place ---- */

std::string Rect(WindowHandle window) {
    ScreenRect r;
    if (!PlatformGetWindowRect(window, &r))
        return "(none)";
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

TEST_F(PlatformContract, ControlsTellWhatARecordingNotesOfThem) {
    WindowHandle made[3];
    WindowHandle window = ContractWindowWithControls(made);
    ASSERT_NE(window, nullptr);
    WindowHandle listed[8];
    ASSERT_EQ(PlatformListControls(window, listed, 8), 3) << "the hidden button is not listed";
    const struct {
        const char* className;
        int id;
        const char* text;
        const char* rect;
        bool enabled;
    } expected[] = {
        {"BUTTON", 1, "OK", "400,350,475,373", true},
        {"STATIC", -1, "Name:", "110,150,170,170", true},
        {"EDIT", 103, "", "180,148,380,170", false},
    };
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(listed[i], made[i]) << i;
        std::string className = Text(listed[i], WindowClassText);
        PlatformUpperCase(&className[0]);
        EXPECT_EQ(className, expected[i].className) << i;
        EXPECT_EQ(PlatformControlId(listed[i]), expected[i].id) << i;
        EXPECT_EQ(Text(listed[i], WindowTitleText), expected[i].text) << i;
        EXPECT_EQ(Rect(listed[i]), expected[i].rect) << i;
        EXPECT_EQ(PlatformIsWindowEnabled(listed[i]), expected[i].enabled) << i;
        EXPECT_EQ(PlatformTopLevelWindowOf(listed[i]), window) << i;
        EXPECT_EQ(PlatformShownDpi(listed[i]), PlatformShownDpi(window)) << i;
    }
    EXPECT_EQ(PlatformControlId(window), 0) << "a top-level window has no control ID";
    ControlFacts facts;
    ASSERT_TRUE(DescribeControl(window, made[0], &facts));
    EXPECT_EQ(facts.place, 0) << "the hidden button does not count";
    EXPECT_STREQ(facts.text, "OK");
    EXPECT_FALSE(DescribeControl(window, window, &facts));
    EXPECT_EQ(PlatformShownDpi(window), PlatformDisplayDpi());
    ScreenRect monitor;
    ASSERT_TRUE(PlatformGetWindowMonitor(window, &monitor));
    EXPECT_TRUE(monitor.left <= 100 && monitor.top <= 100 && monitor.right >= 500 &&
                monitor.bottom >= 400);
    EXPECT_FALSE(PlatformIsWindowCloaked(window));
}

/* Windows reports the place a minimized window is restored to, Wine none:
 * either way never the minimized one. */
TEST_F(PlatformContract, AMinimizedWindowNeverReportsItsMinimizedPlace) {
    WindowHandle window = MakeWindow("Contract Minimized", true);
    std::string restored = Rect(window);
    PlatformShowWindow(window, ShowMinimize);
    ASSERT_TRUE(PlatformIsWindowMinimized(window));
    std::string minimized = Rect(window);
    EXPECT_TRUE(minimized == restored || minimized == "(none)") << minimized;
    PlatformShowWindow(window, ShowRestore);
    EXPECT_FALSE(PlatformIsWindowMinimized(window));
    EXPECT_EQ(Rect(window), restored);
}

/* ---- Typed text and windows that answer ---- */

/* A window whose thread has stopped taking messages lets the check's
 * whole time limit pass before it counts as not answering. */
TEST_F(PlatformContract, TypedTextConvertsFromTheCodePageAndWindowsAnswerIfTheirThreadsDo) {
    const char text[] = "a\x80\xE9\x81 ~";
    const uint16_t expected[] = {0x0061, 0x20AC, 0x00E9, 0x0081, 0x0020, 0x007E};
    uint16_t units[6] = {};
    PlatformTextUnits(text, 6, units);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(units[i], expected[i]) << i;
    EXPECT_TRUE(PlatformWindowAnswers(MakeWindow("Contract Answers", true), 200));
    EXPECT_FALSE(PlatformWindowAnswers(nullptr, 0));
    WindowHandle silent = ContractSilentWindow();
    ASSERT_NE(silent, nullptr);
    uint32_t before = PlatformTickCount();
    EXPECT_FALSE(PlatformWindowAnswers(silent, 200));
    EXPECT_GE((int32_t)(PlatformTickCount() - before), 199);
}

/* ---- Modal loops ---- */

int ShowBox(WindowHandle owner) {
    (void)owner;
    return PlatformMessageBox("Contract question", "Contract Box",
                              BoxYesNo | BoxIconQuestion | BoxTaskModal);
}

int ShowModalDialog(WindowHandle owner) {
    return PlatformRunModalDialog(owner, IDD_ABOUT, ModalDialogProc);
}

int ShowFileDialog(WindowHandle owner) {
    char path[260] = "";
    int filter = 1;
    return PlatformFileDialog(owner, false, "All Files (*.*)\0*.*\0", &filter, path, sizeof path)
               ? 1
               : 0;
}

TEST_F(PlatformContract, ModalLoopsDispatchWindowMessagesAndLoseThreadMessages) {
    const struct {
        const char* name;
        ContractModal kind;
        int answer;
        int (*show)(WindowHandle owner);
        int result;
    } cases[] = {
        {"message box", ContractMessageBox, AnswerNo, ShowBox, AnswerNo},
        {"modal dialog", ContractModalDialog, DialogOk, ShowModalDialog, ModalResult},
        {"file dialog", ContractFileDialog, DialogCancel, ShowFileDialog, 0},
    };
    WindowHandle window = MakeWindow("Contract Modal Owner", true);
    PlatformSetCancelNoticeWindow(window);
    for (const auto& c : cases) {
        seen.clear();
        PlatformPostMessage(window, MsgAnswered, 0, 0);
        PlatformPostMessage(nullptr, MsgToThread, 0, 0);
        PlatformPostMessage(nullptr, MsgCancelJournal, 0, 0); // as the system posts it
        ContractCloseNextModal(c.kind, c.answer);
        modalOpen = true;
        EXPECT_EQ(c.show(window), c.result) << c.name;
        modalOpen = false;
        EXPECT_TRUE(SeenWith(MsgAnswered, true)) << c.name << ": not dispatched while open";
        EXPECT_TRUE(SeenWith(MsgCancelJournal, true)) << c.name << ": the cancel notice was lost";
        PlatformPostMessage(window, MsgMarker, 0, 0);
        Retrieved after = RetrieveUntilMarker();
        EXPECT_TRUE(after.marker) << c.name;
        EXPECT_EQ(after.threadMessages, std::vector<uint32_t>{}) << c.name << ": not lost";
    }
    PlatformSetCancelNoticeWindow(nullptr);
}

/* The system's own thread sends the end of the session while a box of
 * the program is open: the box's loop hands it to the window, whose
 * default answer lets the session end. */
TEST_F(PlatformContract, TheSessionsEndReachesAWindowWhileAMessageBoxIsOpen) {
    WindowHandle window = MakeWindow("Contract Session", true);
    PlatformPostMessage(window, MsgAnswered, 0, 0);
    ContractEndSessionDuringNextModal(window);
    ContractCloseNextModal(ContractMessageBox, AnswerNo);
    modalOpen = true;
    EXPECT_EQ(ShowBox(window), AnswerNo);
    modalOpen = false;
    std::vector<std::pair<uint32_t, uintptr_t>> ending;
    for (const Seen& s : seen) {
        if (s.message == MsgQueryEndSession || s.message == MsgEndSession)
            ending.push_back({s.message, s.modalOpen ? s.wParam : 99});
    }
    std::vector<std::pair<uint32_t, uintptr_t>> expected = {{MsgQueryEndSession, 0},
                                                            {MsgEndSession, 1}};
    EXPECT_EQ(ending, expected) << "99: after the box had closed";
}

/* A box that closes itself: nobody answers the first, which gives the
 * answer it was told once its time is up; the second is answered in time
 * by the user. Its loop dispatches meanwhile, as any box's does. */
TEST_F(PlatformContract, ATimedBoxAnswersItselfOnceItsTimeIsUp) {
    WindowHandle window = MakeWindow("Contract Timed Box", true);
    const uint32_t style = BoxYesNo | 0x100 | BoxIconQuestion | BoxTaskModal;
    bool closedItself = false;
    uint32_t before = PlatformTickCount();
    int answer = PlatformTimedMessageBox("Contract question", "Contract Timed Box", style, 0, 300,
                                         AnswerNo, &closedItself);
    EXPECT_EQ(answer, AnswerNo);
    EXPECT_TRUE(closedItself);
    EXPECT_GE((int32_t)(PlatformTickCount() - before), 299);

    PlatformPostMessage(window, MsgAnswered, 0, 0);
    ContractCloseNextModal(ContractMessageBox, AnswerYes);
    modalOpen = true;
    answer = PlatformTimedMessageBox("Contract question", "Contract Timed Box", style, 0, 30000,
                                     AnswerNo, &closedItself);
    modalOpen = false;
    EXPECT_EQ(answer, AnswerYes);
    EXPECT_FALSE(closedItself);
    EXPECT_TRUE(SeenWith(MsgAnswered, true));
}

/* ---- Hotkeys ---- */

TEST_F(PlatformContract, AChordIsOneHotkeysAtATime) {
    WindowHandle window = MakeWindow("Contract Hotkeys", false);
    const int32_t chord = ChordControl | ChordShift | ChordAlt | (KeyF1 + 10); /* F11 */
    EXPECT_EQ(PlatformRegisterHotkey(window, 1, chord), 0u);
    EXPECT_EQ(PlatformRegisterHotkey(window, 2, chord), HotkeyTakenError) << "the program's own";
    PlatformUnregisterHotkey(window, 1);
    EXPECT_EQ(PlatformRegisterHotkey(window, 2, chord), 0u) << "let go of, it is free";
    PlatformUnregisterHotkey(window, 2);
    ContractHoldHotkey(chord);
    EXPECT_EQ(PlatformRegisterHotkey(window, 1, chord), HotkeyTakenError) << "another program's";
    EXPECT_EQ(PlatformRegisterHotkey(window, 1, chord & ~ChordShift), 0u) << "another chord";
    PlatformUnregisterHotkey(window, 1);
}

/* ---- Message order ---- */

TEST_F(PlatformContract, PostedMessagesComeInOrderAndTheQuitLast) {
    WindowHandle window = MakeWindow("Contract Order", false);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().message, MsgCreate) << "seen before the window is made";
    seen.clear();
    for (uint32_t i = 1; i <= 3; i++)
        PlatformPostMessage(window, MsgApp + 10 + i, i, 0);
    PlatformPostMessage(nullptr, MsgApp + 20, 0, 0);
    EXPECT_EQ(PlatformSendMessage(window, MsgAsk, 0, 0), 42);
    ASSERT_EQ(seen.size(), 1u) << "a sent message is handled at once, before the posted ones";
    PlatformPostQuitMessage(3);
    PlatformPostMessage(window, MsgApp + 30, 0, 0);

    std::vector<std::pair<WindowHandle, uint32_t>> retrieved;
    PlatformMessage got;
    int result;
    while ((result = PlatformGetMessage(&got)) > 0) {
        if (got.message >= MsgApp)
            retrieved.push_back({got.window, got.message});
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(got.wParam, 3u);
    std::vector<std::pair<WindowHandle, uint32_t>> expected = {{window, MsgApp + 11},
                                                               {window, MsgApp + 12},
                                                               {window, MsgApp + 13},
                                                               {nullptr, MsgApp + 20},
                                                               {window, MsgApp + 30}};
    EXPECT_EQ(retrieved, expected);

    PlatformSendMessage(window, MsgClose, 0, 0);
    EXPECT_EQ(seen.back().message, MsgDestroy) << "closing by default destroys";
    EXPECT_FALSE(PlatformPostMessage(window, MsgApp, 0, 0));
}

/* ---- Menus ---- */

/* A window has its class's menu as the resource writes it; the program
 * changes states by command, and inserts and deletes items, as the
 * recent-file list does, and an item that is not there stays so. */
TEST_F(PlatformContract, AWindowHasItsClassMenuWhoseItemsCanBeToldApart) {
    WindowHandle window = MakeWindow("Contract Menu", true);
    EXPECT_TRUE(
        PlatformInsertMenuItemAfter(window, ID_FILE_RESET_RECENT, ID_FILE_RECENT_1, "C:\\a.mrx"));
    EXPECT_FALSE(PlatformInsertMenuItemAfter(window, ID_FILE_RECENT_8, ID_FILE_RECENT_2, "b"));
    EXPECT_TRUE(PlatformDeleteMenuItem(window, ID_VIEW_TOTAL_ACTIONS));
    EXPECT_FALSE(PlatformDeleteMenuItem(window, ID_VIEW_TOTAL_ACTIONS));
    PlatformSetMenuItemEnabled(window, ID_RECORDER_PLAYBACK, true);
    PlatformSetMenuItemChecked(window, ID_FILE_NEW, true);
    PlatformSetMenuItemEnabled(window, ID_FILE_RECENT_2, true); // not there: nothing
    const struct {
        int command;
        ContractMenuItemState state;
        bool checked;
    } cases[] = {
        {ID_FILE_OPEN, ContractItemEnabled, false},
        {ID_RECORDER_STOP, ContractItemGrayed, false},  // as the resource has it
        {ID_VIEW_SHOW_TABS, ContractItemEnabled, true}, // as the resource has it
        {ID_RECORDER_PLAYBACK, ContractItemEnabled, false},
        {ID_FILE_NEW, ContractItemEnabled, true},
        {ID_HELP_ABOUT, ContractItemEnabled, false},    // the last popup's last item
        {ID_FILE_RECENT_1, ContractItemEnabled, false}, // inserted
        {ID_FILE_RECENT_2, ContractItemMissing, false}, // never inserted
        {ID_VIEW_TOTAL_ACTIONS, ContractItemMissing, false},
    };
    for (const auto& c : cases) {
        bool checked = false;
        EXPECT_EQ(ContractMenuItem(window, c.command, &checked), c.state) << c.command;
        EXPECT_EQ(checked, c.checked) << c.command;
    }
    EXPECT_GT(PlatformMenuBarItemWidth(window, 4), 0) << "Help, the fifth popup";
    EXPECT_EQ(PlatformMenuBarItemWidth(window, 5), 0) << "no sixth";
}

/* ---- Accelerators ---- */

TEST_F(PlatformContract, AcceleratorsBecomeCommandsUnlessTheirMenuItemIsGrayedOrMinimised) {
    WindowHandle window = MakeWindow("Contract Accelerators", true);
    AcceleratorHandle table = PlatformLoadAccelerators(IDR_ACCELERATORS);
    ASSERT_NE(table, nullptr);
    PlatformSetMenuItemEnabled(window, ID_FILE_SAVE, false);
    ASSERT_TRUE(PlatformDeleteMenuItem(window, ID_FILE_NEW));
    const struct {
        bool control, shift;
        uint32_t message;
        int key;
        bool minimised, taken;
        int command; /* 0: none */
    } cases[] = {
        {true, false, MsgKeyDown, 'O', false, true, ID_FILE_OPEN},
        {false, false, MsgKeyDown, KeyF1, false, true, ID_HELP_CONTENTS},
        {false, false, MsgKeyDown, 'O', false, false, 0},
        {true, true, MsgKeyDown, 'O', false, false, 0},
        {true, false, MsgKeyUp, 'O', false, false, 0},
        {true, false, MsgKeyDown, 'P', false, false, 0},
        {true, false, MsgKeyDown, 'S', false, true, 0}, // Save is grayed
        {true, false, MsgKeyDown, 'O', true, true, 0},
        {true, false, MsgKeyDown, 'N', true, true, ID_FILE_NEW}, // no menu item: it goes
    };
    for (const auto& c : cases) {
        PlatformShowWindow(window, c.minimised ? ShowMinimize : ShowRestore);
        seen.clear();
        ContractSetKeyDown(KeyControl, c.control);
        ContractSetKeyDown(KeyShift, c.shift);
        PlatformMessage key = {window, c.message, (uintptr_t)c.key, 1, 0, 0, 0};
        EXPECT_EQ(PlatformTranslateAccelerator(window, table, &key), c.taken) << c.key;
        std::vector<uintptr_t> expected;
        if (c.command != 0)
            expected.push_back((uintptr_t)c.command | (1u << 16)); // 1: from an accelerator
        EXPECT_EQ(CommandsSeen(), expected) << c.key;
    }
}

/* ---- A modeless dialog's keys ---- */

struct DialogKeyCase {
    const char* name;
    int from, key;
    bool shift;
    int hidden, checked, to, command; /* 0: none */
};

/* Presses the key in the panel as the case sets it up; the focus is then
 * where the key took it. */
void PressDialogKey(WindowHandle panel, const DialogKeyCase& c) {
    const int radios[] = {IDC_PANEL_SPEED_SLOW, IDC_PANEL_SPEED_NORMAL, IDC_PANEL_SPEED_FAST,
                          IDC_PANEL_SPEED_FASTEST};
    for (int radio : radios)
        PlatformCheckButton(panel, radio, radio == c.checked);
    if (c.hidden != 0)
        PlatformShowDialogItem(panel, c.hidden, false);
    PlatformFocusDialogItem(panel, c.from);
    ContractSetKeyDown(KeyShift, c.shift);
    seen.clear();
    PlatformMessage key = {ContractFocus(), MsgKeyDown, (uintptr_t)c.key, 1, 0, 0, 0};
    EXPECT_TRUE(PlatformIsDialogMessage(panel, &key)) << c.name;
    if (c.hidden != 0)
        PlatformShowDialogItem(panel, c.hidden, true);
    ContractSetKeyDown(KeyShift, false);
}

TEST_F(PlatformContract, DialogKeysMoveTheFocusAndPressButtons) {
    WindowHandle window = MakeWindow("Contract Dialog Keys", true);
    WindowHandle panel = PlatformCreateChildDialog(window, IDD_TAB_PANEL, RecordingDialogProc);
    ASSERT_NE(panel, nullptr);
    PlatformShowWindow(panel, ShowShow);
    const int slow = IDC_PANEL_SPEED_SLOW, edit = IDC_PANEL_REPEAT_EDIT;
    const DialogKeyCase cases[] = {
        {"Tab", edit, KeyTab, false, 0, slow, IDC_PANEL_CONTINUOUS, 0},
        {"Shift+Tab", IDC_PANEL_CONTINUOUS, KeyTab, true, 0, slow, edit, 0},
        {"Tab past a hidden control", edit, KeyTab, false, IDC_PANEL_CONTINUOUS, slow,
         IDC_PANEL_RELOAD, 0},
        {"Tab into a radio group", IDC_PANEL_PLAY_HOTKEY, KeyTab, false, 0, IDC_PANEL_SPEED_FAST,
         IDC_PANEL_SPEED_FAST, 0},
        {"Down in a radio group", slow, KeyDown, false, 0, slow, IDC_PANEL_SPEED_NORMAL,
         IDC_PANEL_SPEED_NORMAL},
        {"Enter", edit, KeyReturn, false, 0, slow, edit, DialogOk},
        {"Enter on a push button", IDC_PANEL_ADVANCED, KeyReturn, false, 0, slow,
         IDC_PANEL_ADVANCED, IDC_PANEL_ADVANCED},
        {"Escape", edit, KeyEscape, false, 0, slow, edit, DialogCancel},
    };
    for (const DialogKeyCase& c : cases) {
        PressDialogKey(panel, c);
        EXPECT_EQ(ContractFocus(), PlatformGetDialogItem(panel, c.to)) << c.name;
        std::vector<uintptr_t> expected;
        if (c.command != 0)
            expected.push_back((uintptr_t)c.command);
        EXPECT_EQ(CommandsSeen(), expected) << c.name;
        EXPECT_TRUE(c.key != KeyDown || PlatformIsButtonChecked(panel, c.to)) << c.name;
    }
    EXPECT_EQ(PlatformFocusedWindow(), ContractFocus());
    PlatformSetHotkeyField(panel, IDC_PANEL_RECORD_HOTKEY, ChordControl | ChordAlt | 'K');
    EXPECT_EQ(PlatformGetHotkeyField(panel, IDC_PANEL_RECORD_HOTKEY),
              ChordControl | ChordAlt | 'K');
    seen.clear();
    PlatformMessage forWindow = {window, MsgApp, 0, 0, 0, 0, 0};
    EXPECT_FALSE(PlatformIsDialogMessage(panel, &forWindow)) << "another window's message";
    PlatformMessage forPanel = {panel, MsgApp, 0, 0, 0, 0, 0};
    EXPECT_TRUE(PlatformIsDialogMessage(panel, &forPanel));
    EXPECT_TRUE(SeenWith(MsgApp, false)) << "the dialog's own message is dispatched";
}

/* ---- Time ---- */

const uint32_t HookDelay = 40;
uint32_t askedAt[2];
int asks;
HookHandle timingHook;
WindowHandle timingWindow;

intptr_t TimingHookProc(int code, EventRecord* record, bool* wroteRecord) {
    (void)record;
    *wroteRecord = false;
    if (code == HookGetNext) {
        if (asks < 2)
            askedAt[asks] = PlatformTickCount();
        return asks++ == 0 ? (intptr_t)HookDelay : 0;
    }
    if (code == HookSkip) {
        PlatformRemoveJournalHook(timingHook);
        PlatformPostMessage(timingWindow, MsgMarker, 0, 0);
    }
    return 0;
}

TEST_F(PlatformContract, TheTickCountCountsMillisecondsAndAHookDelayIsWaitedOut) {
    timingWindow = MakeWindow("Contract Timing", false);
    asks = 0;
    uint32_t before = PlatformTickCount();
    timingHook = PlatformInstallPlaybackHook(TimingHookProc);
    ASSERT_NE(timingHook, nullptr);
    EXPECT_TRUE(RetrieveUntilMarker().marker) << "the loop drove the hook to its skip";
    ASSERT_EQ(asks, 2);
    int32_t waited = (int32_t)(askedAt[1] - askedAt[0]);
    // The tick count counts whole milliseconds: a wait may read 1 short.
    EXPECT_GE(waited, (int32_t)HookDelay - 1);
    EXPECT_LT(waited, (int32_t)HookDelay + 1000);
    EXPECT_GE((int32_t)(askedAt[0] - before), 0);
    EXPECT_GE((int32_t)(PlatformTickCount() - askedAt[1]), 0);

    LocalTime now;
    PlatformLocalTime(&now);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.dayOfWeek >= 0 && now.dayOfWeek <= 6 && now.hour >= 0 && now.hour <= 23);
    EXPECT_TRUE(now.minute >= 0 && now.minute <= 59 && now.milliseconds >= 0 &&
                now.milliseconds <= 999);
}

/* ---- The user's keys during a playback ---- */

HookHandle ownKeysHook;
WindowHandle ownKeysWindow;
int ownKeysStep;
bool heldForOwnControl;

/* Plays Ctrl down, waits a while, notes whether that counts as the user's,
 * and plays Ctrl up. */
intptr_t OwnControlHookProc(int code, EventRecord* record, bool* wroteRecord) {
    *wroteRecord = false;
    if (code == HookSkip && ++ownKeysStep == 3) {
        PlatformRemoveJournalHook(ownKeysHook);
        PlatformPostMessage(ownKeysWindow, MsgMarker, 0, 0);
    }
    if (code != HookGetNext || ownKeysStep >= 3)
        return 0;
    if (ownKeysStep == 1) {
        ownKeysStep = 2;
        return 100;
    }
    if (ownKeysStep == 2)
        heldForOwnControl = PlatformUserHoldsModifier();
    *record = EventRecord{ownKeysStep == 0 ? MsgKeyDown : MsgKeyUp, KeyControl, 1,
                          PlatformTickCount(), 0};
    *wroteRecord = true;
    return 0;
}

TEST_F(PlatformContract, AModifierTheUserHoldsDuringAnInjectedPlaybackIsToldApartFromItsOwn) {
    EXPECT_FALSE(PlatformUserHoldsModifier()) << "no playback";
    ownKeysWindow = MakeWindow("Contract Own Keys", false);
    ownKeysStep = 0;
    heldForOwnControl = true;
    PlatformPreferInjectedInput(true);
    ownKeysHook = PlatformInstallPlaybackHook(OwnControlHookProc);
    ASSERT_NE(ownKeysHook, nullptr);
    // Alt is never let go alone, which would open a menu.
    const struct {
        int key;
        bool down;
        bool held;
    } steps[] = {{KeyControl, true, true}, {KeyControl, false, false}, {KeyAlt, true, true},
                 {KeyShift, true, true},   {KeyShift, false, true},    {KeyAlt, false, false}};
    for (const auto& step : steps) {
        ContractUserPressesKey(step.key, step.down);
        EXPECT_EQ(PlatformUserHoldsModifier(), step.held) << step.key << " " << step.down;
    }
    EXPECT_TRUE(RetrieveUntilMarker().marker) << "the loop played Ctrl down and up";
    EXPECT_FALSE(heldForOwnControl) << "the playback's own Ctrl is not the user's";
    EXPECT_FALSE(PlatformUserHoldsModifier()) << "after the playback";
    PlatformPreferInjectedInput(false);
}

} // namespace
