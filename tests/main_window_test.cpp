// The main window's document commands on the simulated desktop, with
// scripted file dialogs and box answers: Save As and its naming rules, the
// save prompt, Open and Reload, saves that fail at every point, script
// commands kept through a save, the busy state, start-up reopening, and
// the View and Tools commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/interactive_program.h"

namespace {

class MainWindowTest : public InteractiveProgramTest {
  protected:
    // As a finished recording leaves the document: count events, modified.
    static void Record(int count) {
        ClearEventList();
        for (int i = 0; i < count; i++)
            gRecording.events[i] = EventRecord{MsgKeyDown, 'A' + i, 0, (uint32_t)(100 * i), 7};
        gRecording.eventCount = count;
        gDocument.modifiedCount = 1;
        SetCommandState(ID_FILE_OPEN);
    }
    static std::string Title() {
        return SimGetWindowInfo(gApp.mainWindow).title;
    }
    static std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const SimMessageBox& box : SimMessageBoxes())
            texts.push_back(box.text);
        return texts;
    }
    static std::string File1() {
        char path[RegistryTextSize];
        ReadSettingValue("SOFTWARE\\Mirlow\\File1", KindText, path, sizeof path, -1);
        return path;
    }
    std::vector<std::string> FolderFiles() const {
        std::vector<std::string> names;
        std::filesystem::path folder = std::filesystem::path(scratch.Path("x")).parent_path();
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // A named, clean document saved at path.
    std::string Saved(const std::string& name, int count) {
        Record(count);
        std::string path = scratch.Path(name);
        SimQueueFileDialog(path.c_str(), 2);
        Command(ID_FILE_SAVE_AS);
        EXPECT_EQ(gDocument.path, path);
        return path;
    }
};

struct SaveAsCase {
    const char* typed;
    int filter;
    const char* saved;
    bool binary;
};

TEST_F(MainWindowTest, SaveOfAnUntitledRecordingNamesItByTheDialogAndFilter) {
    const SaveAsCase cases[] = {
        {"rec", 1, "rec.mrl", true},
        {"rec", 2, "rec.mrx", false},
        {"rec", 3, "rec.mrl", true}, // all files: Save adds ".mrl"
        {"rec.txt", 1, "rec.txt", false},
        // Only a dot in the file's own name keeps it as typed.
        {"jane.doe/rec", 1, "jane.doe/rec.mrl", true},
        {"jane.doe/rec", 2, "jane.doe/rec.mrx", false},
        {"jane.doe/rec", 3, "jane.doe/rec.mrl", true},
        {"a.mrl/b.mrx", 2, "a.mrl/b.mrx", true}, // ".mrl" anywhere is binary
    };
    for (const SaveAsCase& c : cases) {
        Restart();
        Record(3);
        std::string saved = scratch.Path(c.saved);
        SimQueueFileDialog(scratch.Path(c.typed).c_str(), c.filter);
        Command(ID_FILE_SAVE);
        ASSERT_EQ(SimFileDialogs().size(), 1u) << c.typed;
        EXPECT_TRUE(SimFileDialogs()[0].saveMode);
        EXPECT_EQ(SimFileDialogs()[0].initialPath, "Task1");
        std::string bytes = ScratchFolder::Read(saved);
        EXPECT_EQ(bytes.size() == 60, c.binary) << c.typed;
        EXPECT_EQ(bytes.rfind("; This file", 0) == 0, !c.binary) << c.typed;
        EXPECT_EQ(gDocument.path, saved);
        EXPECT_EQ(Title(), "Mirlow - " + saved);
        EXPECT_EQ(gDocument.modifiedCount, 0);
        EXPECT_EQ(File1(), saved);
        EXPECT_EQ(SimMenuItemEnabled(gApp.mainWindow, ID_TOOLS_EDIT_SCRIPT), !c.binary);
        EXPECT_TRUE(SimMessageBoxes().empty()) << c.typed;
    }
}

struct ReplaceCase {
    int promptForSave;
    const char* existing;
    std::vector<int> answers;
    bool replaced;
};

TEST_F(MainWindowTest, SaveAsAsksBeforeReplacingAndARefusedNameIsNotKept) {
    const ReplaceCase cases[] = {
        {1, "old", {AnswerNo}, false}, // the dialog opens again, then is cancelled
        {1, "old", {AnswerYes}, true},
        {0, "old", {}, true},
        {1, "", {}, true}, // an empty file counts as missing
    };
    for (const ReplaceCase& c : cases) {
        Restart();
        gSettings.promptForSave = c.promptForSave;
        Record(3);
        std::string target = scratch.Write("target.mrx", c.existing);
        SimQueueFileDialog(target.c_str(), 2);
        SimQueueFileDialogCancel();
        for (int answer : c.answers)
            SimQueueAnswer(answer);
        Command(ID_FILE_SAVE_AS);
        EXPECT_EQ(ScratchFolder::Read(target) != c.existing, c.replaced);
        EXPECT_EQ(gDocument.path, c.replaced ? target : "");
        EXPECT_EQ(SimFileDialogs().size(), c.replaced ? 1u : 2u);
        EXPECT_EQ(SimFileDialogs().back().initialPath, "Task1");
        if (!c.answers.empty()) {
            EXPECT_EQ(SimMessageBoxes()[0].text,
                      target + "\nThis file already exists.\nReplace existing file?");
        }
    }
}

struct PromptCase {
    int promptForSave;
    int events;
    bool named; // saved in a folder that is gone, so a save fails
    int answer; // 0: none queued
    bool dialogChooses;
    bool proceeds;
};

std::string reasonAtBox;
void NoteShutdownReason(const SimMessageBox*) {
    reasonAtBox = SimShutdownReason();
}

// New asks; so does the end of the Windows session, which Cancel (or a
// save that did not happen) keeps from ending, while the system shows why.
TEST_F(MainWindowTest, PromptToSaveGoesOnOnlyWhenToldOrWhenTheSaveWorked) {
    const PromptCase cases[] = {
        {1, 3, false, AnswerCancel, false, false},
        {1, 3, false, AnswerNo, false, true},
        {1, 3, false, AnswerYes, true, true},
        {1, 3, false, AnswerYes, false, false},
        {1, 3, true, AnswerYes, false, false},
        {0, 3, false, 0, false, true},
        {1, 0, false, 0, false, true}, // modified but empty: nothing to lose
    };
    for (const PromptCase& c : cases)
        for (bool sessionEnds : {false, true}) {
            Restart();
            gSettings.promptForSave = c.promptForSave;
            Record(c.events);
            if (c.named)
                strcpy(gDocument.path, (scratch.Path("gone") + "/a.mrx").c_str());
            if (c.answer != 0)
                SimQueueAnswer(c.answer);
            if (c.dialogChooses)
                SimQueueFileDialog(scratch.Path("kept.mrx").c_str(), 2);
            bool asked = c.promptForSave != 0 && c.events > 0;
            if (sessionEnds) {
                std::string reason =
                    std::string("Mirlow is asking whether to save the changes to ") +
                    DocumentDisplayName() + ".";
                reasonAtBox = "none";
                SimSetMessageBoxObserver(NoteShutdownReason);
                intptr_t endsNow = PlatformSendMessage(gApp.mainWindow, MsgQueryEndSession, 0, 0);
                SimSetMessageBoxObserver(nullptr);
                EXPECT_EQ(endsNow != 0, c.proceeds) << c.answer << " named " << c.named;
                EXPECT_EQ(reasonAtBox, asked ? reason : "none");
                EXPECT_EQ(SimShutdownReason(), "") << "taken back once answered";
                EXPECT_TRUE(SimGetWindowInfo(gApp.mainWindow).exists);
                continue;
            }
            Command(ID_FILE_NEW);
            ASSERT_EQ(!SimMessageBoxes().empty(), true);
            EXPECT_EQ(SimMessageBoxes()[0].caption, asked ? "Confirm Action" : "New Recording");
            EXPECT_EQ(gRecording.eventCount == 0 && gDocument.modifiedCount == 0, c.proceeds)
                << c.answer << " named " << c.named;
            EXPECT_EQ(Title() == "Mirlow - (Untitled)", c.proceeds);
        }
    // The close request keeps the window when the prompt is cancelled.
    Restart();
    Record(3);
    SimQueueAnswer(AnswerCancel);
    PlatformSendMessage(gApp.mainWindow, MsgClose, 0, 0);
    EXPECT_TRUE(SimGetWindowInfo(gApp.mainWindow).exists);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Save changes to (Untitled)?"});
}

// A choice the program cannot hold whole is refused, never cut or changed:
// a path too long (a box showing its start and end), or a name with
// characters the code page lacks (the system shows them as "?").
TEST_F(MainWindowTest, PathsThatCannotBeHeldAreRefusedNeverChanged) {
    const std::string tooLong = "/" + std::string(MaxPathLength, 'p');
    const std::string noRoomForExtension = "/" + std::string(MaxPathLength - 4, 'p');
    const std::string hugePath = "/" + std::string(40000, 'p');
    const std::string lodz = "/tmp/?\xF3"
                             "d?"; // a name the code page lacks two letters of
    const std::string shown = "/" + std::string(39, 'p') + "..." + std::string(40, 'p');
    const std::string longer = "'!\n\nThe path is longer than 259 characters.";
    const std::string lacking = "'!\n\nThe name holds characters (shown as '?') that Mirlow "
                                "cannot use with this system's language settings. Please choose "
                                "a name without them.";
    struct {
        int command;
        std::string chosen;
        bool refusedByDialog;
        std::string message;
    } cases[] = {
        {ID_FILE_OPEN, tooLong, false, "Unable to open file '" + shown + longer},
        {ID_FILE_SAVE_AS, tooLong, false, "Unable to save file '" + shown + longer},
        {ID_FILE_SAVE_AS, noRoomForExtension, false, "Unable to save file '" + shown + longer},
        {ID_FILE_OPEN, hugePath, false, "Unable to open file '" + shown + longer},
        {ID_FILE_OPEN, lodz + ".mrl", true, "Unable to open file '" + lodz + ".mrl" + lacking},
        {ID_FILE_SAVE_AS, lodz, true, "Unable to save file '" + lodz + lacking},
        // a name without a dot
        {ID_FILE_SAVE, noRoomForExtension, false,
         "Unable to save file '" + noRoomForExtension + "'!"},
    };
    for (const auto& c : cases) {
        Restart();
        Record(3);
        gDocument.modifiedCount = 0; // Open asks nothing first
        if (c.command == ID_FILE_SAVE)
            strcpy(gDocument.path, c.chosen.c_str());
        else if (c.refusedByDialog)
            SimQueueFileDialogRefusal(c.chosen.c_str());
        else
            SimQueueFileDialog(c.chosen.c_str(), 1);
        Command(c.command);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(File1(), "");
        EXPECT_EQ(gRecording.eventCount, 3);
        EXPECT_EQ(gDocument.path, c.command == ID_FILE_SAVE ? c.chosen : "");
    }
}

TEST_F(MainWindowTest, AFailedOpenLeavesTheNameAndTitleOfTheDocument) {
    std::string good = Saved("good.mrx", 3);
    std::string bad = scratch.Write("bad.mrx", "CLICK 1,2\r\n");
    std::string missing = scratch.Path("missing.mrx");
    for (const std::string& path : {missing, bad}) {
        SimQueueFileDialog(path.c_str());
        Command(ID_FILE_OPEN);
        EXPECT_EQ(SimFileDialogs().back().initialPath, good);
        EXPECT_EQ(gDocument.path, good);
        EXPECT_EQ(Title(), "Mirlow - " + good);
        EXPECT_EQ(File1(), path); // listed before it was loaded
    }
    // The failed load emptied the list: a Save now writes nowhere.
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ScratchFolder::Read(bad), "CLICK 1,2\r\n");
    EXPECT_EQ(SimMessageBoxes().back().caption, "Save Error");
}

TEST_F(MainWindowTest, ReloadAsksFirstAndClearsTheMark) {
    Command(ID_FILE_RELOAD); // untitled: nothing at all
    EXPECT_TRUE(SimMessageBoxes().empty());
    std::string path = Saved("doc.mrx", 3);
    struct {
        int answer;
        int32_t events;
        int32_t modified;
    } cases[] = {{AnswerCancel, 5, 1}, {AnswerNo, 3, 0}};
    for (const auto& c : cases) {
        Record(5);
        SimQueueAnswer(c.answer);
        Command(ID_FILE_RELOAD);
        EXPECT_EQ(SimMessageBoxes().back().text, "Save changes to " + path + "?");
        EXPECT_EQ(gRecording.eventCount, c.events);
        EXPECT_EQ(gDocument.modifiedCount, c.modified);
    }
}

// The size of the file the recording makes in that format.
long WrittenSize(bool binary) {
    FILE* file = tmpfile();
    bool written = binary ? WriteBinaryRecording(file, "x") : WriteTextScript(file, "x");
    long size = written ? ftell(file) : -1;
    fclose(file);
    return size;
}

TEST_F(MainWindowTest, ASaveThatFailsAnywhereLeavesTheOldFileAndNoOther) {
    const char* const names[] = {"old.mrl", "old.mrx"};
    for (size_t n = 0; n < 2; n++) {
        bool binary = n == 0;
        std::string path = Saved(names[n], 3);
        const std::string old = ScratchFolder::Read(path);
        Record(5);
        long size = WrittenSize(binary);
        // Every byte of a binary recording; a text script in steps, and its
        // last byte.
        std::vector<long> failures;
        for (long bytes = 0; bytes < size; bytes += binary ? 1 : 97)
            failures.push_back(bytes);
        failures.push_back(size - 1);
        for (long at : failures) {
            SimFailWritesAfter(at);
            Command(ID_FILE_SAVE);
            EXPECT_EQ(SimMessageBoxes().back().text, "Unable to save file '" + path + "'!");
            EXPECT_EQ(ScratchFolder::Read(path), old) << at;
            EXPECT_EQ(FolderFiles().size(), n + 1) << at;
            EXPECT_EQ(gDocument.modifiedCount, 1);
        }
        SimFailWritesAfter(-1);
        SimFailReplace(true);
        Command(ID_FILE_SAVE);
        EXPECT_EQ(ScratchFolder::Read(path), old);
        EXPECT_EQ(FolderFiles().size(), n + 1);
        SimFailReplace(false);
        Command(ID_FILE_SAVE);
        EXPECT_EQ(ScratchFolder::Read(path).size(), (size_t)size);
        EXPECT_EQ(gDocument.modifiedCount, 0);
    }
    EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"old.mrl", "old.mrx"}));
}

// Another program holding the file or its folder for a moment delays a
// save by at most two seconds; a longer hold, or any other refusal, is
// reported with the system's reason and leaves the old file alone. The
// system's replace may stop half way in its documented ways: the old file
// is never lost with the new one, and a file left under another name is
// named in the box.
TEST_F(MainWindowTest, ASaveWaitsBrieflyForAFileAnotherProgramHolds) {
    const std::string busy = "Windows says: The process cannot access the file because it is "
                             "being used by another process. (error 32)";
    const std::string halfway = "Windows says: Unable to move the replacement file to the file "
                                "to be replaced. (error 1177)";
    const std::string protectedMedia = "Windows says: The media is write protected. (error 19)";
    enum Left { OnlyTheFile, NewKept, BothKept }; // what the folder holds afterwards
    const struct {
        bool folder;
        uint32_t hold;
        bool failReplace;
        int halfwayError, failingMoves;
        bool saved;
        const char* reason;
        uint32_t waitedAtLeast, waitedAtMost;
        Left left;
    } cases[] = {
        {false, 1500, false, 0, 0, true, "", 1500, 1600, OnlyTheFile},
        {false, 5000, false, 0, 0, false, busy.c_str(), 2000, 2100, OnlyTheFile},
        {true, 800, false, 0, 0, true, "", 800, 900, OnlyTheFile},
        {true, 5000, false, 0, 0, false, busy.c_str(), 2000, 2100, OnlyTheFile},
        {false, 0, true, 0, 0, false, "Windows says: The request is not supported. (error 50)", 0,
         0, OnlyTheFile},
        {false, 0, false, 1175, 0, true, "", 0, 0, OnlyTheFile},
        {false, 0, false, 1176, 1, false, protectedMedia.c_str(), 0, 0, OnlyTheFile},
        {false, 0, false, 1177, 0, true, "", 0, 0, OnlyTheFile},
        {false, 0, false, 1177, 1, false, halfway.c_str(), 0, 0, NewKept},
        {false, 0, false, 1177, 2, false, halfway.c_str(), 0, 0, BothKept},
    };
    std::string path = Saved("held.mrx", 3);
    const std::string old = ScratchFolder::Read(path);
    const std::string folder = std::filesystem::path(path).parent_path().string() + "/";
    for (const auto& c : cases) {
        Record(5);
        SimClearMessageBoxes();
        std::string held = c.folder ? std::filesystem::path(path).parent_path().string() : path;
        SimHoldFile(held.c_str(), c.hold);
        SimFailReplace(c.failReplace);
        SimStopReplaceHalfway(c.halfwayError);
        SimFailMoves(c.failingMoves);
        uint32_t before = PlatformTickCount();
        Command(ID_FILE_SAVE);
        uint32_t waited = PlatformTickCount() - before;
        EXPECT_GE(waited, c.waitedAtLeast) << c.hold;
        EXPECT_LE(waited, c.waitedAtMost) << c.hold;
        EXPECT_EQ(gDocument.modifiedCount, c.saved ? 0 : 1);
        std::vector<std::string> files = FolderFiles();
        std::vector<std::string> others; // every file but the document, oldest first
        for (const std::string& name : files)
            if (name != "held.mrx")
                others.push_back(name);
        ASSERT_EQ(others.size(), (size_t)c.left) << c.halfwayError << "/" << c.failingMoves;
        std::string expected = "Unable to save file '" + path + "'!\n\n" + c.reason;
        if (c.left == NewKept) {
            EXPECT_EQ(ScratchFolder::Read(path), old);
            expected += "\n\nThe file is as it was. What was being saved is in '" + folder +
                        others[0] + "'.";
        } else if (c.left == BothKept) {
            EXPECT_EQ(std::count(files.begin(), files.end(), "held.mrx"), 0);
            // The backup took a later number than the new file.
            EXPECT_EQ(ScratchFolder::Read(folder + others[1]), old);
            EXPECT_NE(ScratchFolder::Read(folder + others[0]), old);
            expected += "\n\nNo file has that name now: the file as it was is '" + folder +
                        others[1] + "', and what was being saved is in '" + folder + others[0] +
                        "'.";
        } else {
            EXPECT_EQ(ScratchFolder::Read(path) != old, c.saved) << c.hold;
        }
        EXPECT_EQ(BoxTexts(),
                  c.saved ? std::vector<std::string>{} : std::vector<std::string>{expected});
        SimFailReplace(false);
        SimStopReplaceHalfway(0);
        SimFailMoves(0);
        for (const std::string& name : others)
            std::filesystem::remove(folder + name);
        SimAdvanceClock(5000);
        Saved("held.mrx", 3);
    }
}

// Temporary files that a crash left behind cost one try each, however
// many there are.
TEST_F(MainWindowTest, LeftoverTemporaryFilesNeverBlockASave) {
    std::string path = Saved("doc.mrl", 3);
    std::vector<std::string> names = {"doc.mrl"};
    for (uint32_t i = 0; i < 300; i++) {
        std::string name = "~mirlow" + std::to_string(PlatformTickCount() + i) + ".tmp";
        scratch.Write(name, "left over");
        names.push_back(name);
    }
    Record(5);
    Command(ID_FILE_SAVE);
    EXPECT_TRUE(SimMessageBoxes().empty());
    EXPECT_EQ(gDocument.modifiedCount, 0);
    EXPECT_EQ(ScratchFolder::Read(path).size(), 5 * sizeof(EventRecord));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(FolderFiles(), names);
}

const char* const EveryCommandScript = "START notepad.exe\r\n"
                                       "GOTO Untitled - Notepad\r\n"
                                       "message=WM_MOUSEMOVE paramH=5 paramL=6 time=1000\r\n"
                                       "WAIT 1 second\r\n"
                                       "TYPE hi{enter}\r\n"
                                       "MOUSECLICK 10,20\r\n"
                                       "WINDOWCLICK 5,5\r\n"
                                       "message=WM_KEYDOWN paramH=0 paramL=65 time=1100\r\n";

TEST_F(MainWindowTest, AScriptSavedAndOpenedAgainPlaysAsBefore) {
    SimAddDesktopWindow("Untitled - Notepad", 100, 50, 400, 300, false);
    std::string path = scratch.Write("every.mrx", EveryCommandScript);
    // What reached the system, and when, relative to the run's start.
    std::vector<std::vector<std::tuple<uint32_t, uint32_t, int32_t, int32_t>>> runs;
    for (int run = 0; run < 2; run++) {
        SimQueueFileDialog(path.c_str());
        Command(ID_FILE_OPEN);
        ASSERT_EQ(gRecording.commandCount, 6);
        EXPECT_TRUE(SimMenuItemEnabled(gApp.mainWindow, ID_TOOLS_EDIT_SCRIPT));
        int before = SimDeliveredCount();
        PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_PLAYBACK, 0);
        RunMessageLoop();
        runs.emplace_back();
        const std::vector<SimDelivered>& delivered = SimDeliveredEvents();
        for (size_t i = (size_t)before; i < delivered.size(); i++)
            runs.back().emplace_back(delivered[i].tick - delivered[before].tick,
                                     delivered[i].record.message, delivered[i].record.paramL,
                                     delivered[i].record.paramH);
        gDocument.modifiedCount = 1;
        Command(ID_FILE_SAVE);
    }
    EXPECT_GT(runs[0].size(), 10u);
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ(SimStartedPrograms().size(), 2u);
}

TEST_F(MainWindowTest, ABinarySaveAsksBeforeDroppingScriptCommands) {
    std::string script = scratch.Write("s.mrx", EveryCommandScript);
    std::string binary = scratch.Path("s.mrl");
    for (int answer : {AnswerNo, AnswerYes}) {
        SimQueueFileDialog(script.c_str());
        Command(ID_FILE_OPEN);
        SimQueueFileDialog(binary.c_str(), 1);
        SimQueueAnswer(answer);
        Command(ID_FILE_SAVE_AS);
        EXPECT_NE(SimMessageBoxes().back().text.find("the 6 script command(s)"), std::string::npos);
        EXPECT_EQ(gDocument.path, answer == AnswerYes ? binary : script);
        EXPECT_EQ(ScratchFolder::Read(binary).size(), answer == AnswerYes ? 8u * 20 : 0u);
    }
}

TEST_F(MainWindowTest, NoDocumentCommandRunsWhileRecordingOrPlaying) {
    std::string path = Saved("doc.mrx", 3);
    HookHandle busy = (HookHandle)1;
    gJournal.hook = busy;
    SetCommandState(ID_RECORDER_START);
    EXPECT_FALSE(SimMenuItemEnabled(gApp.mainWindow, ID_FILE_RECENT_1));
    SimQueueFileDialog(scratch.Path("other.mrx").c_str());
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_RELOAD, ID_FILE_CLOSE, ID_FILE_SAVE,
                   ID_FILE_SAVE_AS, ID_FILE_RECENT_1})
        Command(id);
    EXPECT_EQ(SimFileDialogs().size(), 1u); // only the one that named the document
    EXPECT_TRUE(SimMessageBoxes().empty());
    EXPECT_EQ(gDocument.path, path);
    EXPECT_EQ(gRecording.eventCount, 3);
    gJournal.hook = nullptr;
    SetCommandState(ID_FILE_OPEN);
    EXPECT_TRUE(SimMenuItemEnabled(gApp.mainWindow, ID_FILE_RECENT_1));
}

TEST_F(MainWindowTest, StartUpReopensTheLastFileAndMayPlayItAtOnce) {
    const EventRecord keys[] = {{MsgKeyDown, 'A', 0, 0, 0}, {MsgKeyUp, 'A', 0, 10, 0}};
    std::string path = scratch.Write("last.mrl", std::string((const char*)keys, sizeof keys));
    struct {
        const char* file1;
        int playImmediately;
        bool opened;
    } cases[] = {{path.c_str(), 1, true}, {path.c_str(), 0, true}, {"/no/such.mrl", 1, false}};
    for (const auto& c : cases) {
        SimReset();
        WriteRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow\\File1", KindText, c.file1, 0);
        WriteRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow\\Reload", KindNumber, nullptr, 1);
        WriteRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow\\PlayImmediately", KindNumber,
                           nullptr, c.playImmediately);
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        EXPECT_EQ(gDocument.path, c.opened ? path : "");
        EXPECT_EQ(gJournal.hook != nullptr, c.opened && c.playImmediately != 0);
        EXPECT_TRUE(SimMessageBoxes().empty());
        RunMessageLoop();
        EXPECT_EQ(SimDeliveredCount(), c.opened && c.playImmediately != 0 ? 2 : 0);
    }
}

int endSessionAfter; // records handed over before the session ends
void EndSessionMidway(uint32_t, const EventRecord*) {
    if (--endSessionAfter == 0)
        PlatformPostMessage(gApp.mainWindow, MsgEndSession, 1, 0);
}

void EndTheSession(void) {
    intptr_t mayEnd = PlatformSendMessage(gApp.mainWindow, MsgQueryEndSession, 0, 0);
    PlatformSendMessage(gApp.mainWindow, MsgEndSession, mayEnd != 0 ? 1 : 0, 0);
}

// The session's end is an exit: what runs ends and lets go of what it
// holds, the window's place and the settings are written, and an
// unattended run ends as a cancelled one, saying why; an unattended run
// that an error stopped, ending while its error box waits for an answer,
// keeps the error's exit code.
TEST_F(MainWindowTest, TheSessionsEndWritesWhatExitWritesAndEndsWhatRuns) {
    struct {
        bool commandLine, playing, refused;
        int exitCode;
    } cases[] = {{false, false, false, ExitSuccess},
                 {false, true, false, ExitSuccess},
                 {true, true, false, ExitCancelled},
                 {true, false, false, ExitCancelled},
                 {true, true, true, ExitPlaybackError}};
    for (const auto& c : cases) {
        Restart();
        std::string log = scratch.Path("session.log");
        remove(log.c_str());
        strcpy(gSettings.logfile, log.c_str());
        gSettings.log = LogLow;
        gApp.commandLineMode = c.commandLine;
        SimMoveWindow(gApp.mainWindow, 123, 45);
        Record(0);
        gRecording.events[0] = EventRecord{MsgKeyDown, 0x10, 0, 10, 0};
        gRecording.events[1] = EventRecord{MsgKeyDown, 'A', 0, 20, 0};
        gRecording.events[2] = EventRecord{MsgKeyUp, 'A', 0, 30, 0};
        gRecording.eventCount = 3;
        endSessionAfter = c.refused ? -1 : 2;
        SimSetDeliveryObserver(EndSessionMidway);
        if (c.refused) {
            SimRefuseInputAfter(1, InputRefusedBySystem);
            SimQueueAnswer(AnswerOk, EndTheSession);
        }
        if (c.playing)
            Command(ID_RECORDER_PLAYBACK);
        else
            PlatformPostMessage(gApp.mainWindow, MsgEndSession, 1, 0);
        int exitCode = RunMessageLoop();
        SimSetDeliveryObserver(nullptr);
        EXPECT_FALSE(SimGetWindowInfo(gApp.mainWindow).exists);
        EXPECT_EQ(exitCode, c.exitCode) << c.commandLine << c.playing;
        EXPECT_EQ(SimProcessEndedWith(), c.exitCode) << "ended before the system stops it";
        EXPECT_EQ(SimDeliveredCount(), c.refused ? 1 : c.playing ? 2 : 0);
        EXPECT_EQ(SimReleasedInput().size(), c.playing ? 2u : 0u) << "Shift and A let go";
        EXPECT_EQ(SimMessageBoxes().size(), c.refused ? 1u : 0u);
        EXPECT_EQ(gJournal.hook, nullptr);
        SimRegistryValue left = SimGetRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow", "Left");
        EXPECT_EQ(left.exists, !c.commandLine) << "the exit batch, interactive only";
        if (left.exists) {
            EXPECT_EQ(left.data, (std::vector<uint8_t>{123, 0, 0, 0}));
        }
        std::string text = ScratchFolder::Read(log);
        EXPECT_NE(text.find("The Windows session is ending: Mirlow ends too"), std::string::npos);
        EXPECT_EQ(text.find("CANCELLED RECORDING") != std::string::npos, c.playing && !c.refused);
    }
    // A session end that was called off changes nothing.
    Restart();
    PlatformSendMessage(gApp.mainWindow, MsgEndSession, 0, 0);
    EXPECT_TRUE(SimGetWindowInfo(gApp.mainWindow).exists);
}

TEST_F(MainWindowTest, ToolsAndViewCommands) {
    gSettings.showTabs = 1;
    strcpy(gSettings.logfile, "C:\\My Logs\\m.log");
    SimFailProgram("broken.exe");
    Command(ID_TOOLS_EDIT_SCRIPT); // untitled: the editor alone
    Command(ID_TOOLS_EDIT_LOG);
    EXPECT_EQ(SimStartedPrograms(),
              (std::vector<std::string>{"notepad.exe", "notepad.exe \"C:\\My Logs\\m.log\""}));
    strcpy(gSettings.editor, "broken.exe");
    Command(ID_TOOLS_EDIT_LOG);
    EXPECT_EQ(SimMessageBoxes().back().text,
              "Unable to edit C:\\My Logs\\m.log with \"broken.exe\"");
    EXPECT_EQ(SimMessageBoxes().back().caption, "Edit Error");

    struct {
        int events;
        const char* name;
        const char* text;
    } totals[] = {{3, "", "Total number of actions in the current recording: 3"},
                  {2, "C:\\a.mrl", "Total number of actions in C:\\a.mrl: 2"},
                  {0, "", NoActionsText}};
    for (const auto& t : totals) {
        Record(t.events);
        strcpy(gDocument.path, t.name);
        Command(ID_VIEW_TOTAL_ACTIONS);
        EXPECT_EQ(SimMessageBoxes().back().text, t.text);
        EXPECT_EQ(SimMessageBoxes().back().caption, "Total Commands");
        EXPECT_EQ(SimMessageBoxes().back().style, BoxOk | BoxIconInformation | BoxTaskModal);
    }

    Command(ID_VIEW_SHOW_TABS);
    EXPECT_EQ(gSettings.showTabs, 0);
    EXPECT_FALSE(SimMenuItemChecked(gApp.mainWindow, ID_VIEW_SHOW_TABS));
    gApp.tabPanel = SimCreateChild(gApp.mainWindow, "Panel", 0, nullptr);
    PlatformSendMessage(gApp.mainWindow, MsgSetFocus, 0, 0);
    EXPECT_NE(SimFocusedWindow(), gApp.tabPanel); // a hidden panel takes no keys
    gSettings.showTabs = 1;
    PlatformSendMessage(gApp.mainWindow, MsgSetFocus, 0, 0);
    EXPECT_EQ(SimFocusedWindow(), gApp.tabPanel);
}

} // namespace
