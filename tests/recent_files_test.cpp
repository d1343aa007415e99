// The recent-file list: its order, its menu entries, choosing an entry
// (including one that cannot be opened), Reset, long paths, and a standard
// user who cannot write the machine's copy.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/interactive_program.h"

namespace {

typedef std::vector<std::string> Paths;

class RecentFilesTest : public InteractiveProgramTest {
  protected:
    static std::string SlotPath(int slot) {
        return "SOFTWARE\\Mirlow\\File" + std::to_string(slot);
    }
    static void Store(const Paths& slots) {
        for (size_t i = 0; i < slots.size(); i++)
            WriteRegistryValue(HiveLocalMachine, SlotPath((int)i + 1).c_str(), KindText,
                               slots[i].c_str(), 0);
        RebuildRecentMenu();
    }
    // The non-empty slots as the program reads them, in order.
    static Paths Stored() {
        Paths paths;
        for (int slot = 1; slot <= RecentFileCount; slot++) {
            char path[RegistryTextSize];
            ReadSettingValue(SlotPath(slot).c_str(), KindText, path, sizeof path, -1);
            if (path[0] != '\0')
                paths.push_back(path);
        }
        return paths;
    }
    // The entries of the File menu (the first popup), which must follow
    // Reset Recent Files with their own identifiers in order.
    static Paths Menu() {
        Paths entries;
        std::vector<SimMenuItem> items = SimMenuPopupItems(gApp.mainWindow, 0);
        size_t at = 0;
        while (at < items.size() && items[at].id != ID_FILE_RESET_RECENT)
            at++;
        for (at++; at < items.size() && items[at].id != 0; at++) {
            EXPECT_EQ(items[at].id, ID_FILE_RESET_RECENT + 1 + (int)entries.size());
            entries.push_back(items[at].text);
        }
        return entries;
    }
    static void Choose(int slot) {
        Command(ID_FILE_RESET_RECENT + slot);
    }
};

struct OrderCase {
    Paths added;
    Paths expected;
};

TEST_F(RecentFilesTest, MostRecentFirstEachPathOnceAtMostEight) {
    const OrderCase cases[] = {
        {{"A", "B", "C"}, {"C", "B", "A"}},
        {{"A", "B", "C", "A"}, {"A", "C", "B"}},
        {{"A", "B", "C", "c"}, {"C", "B", "A"}}, // the first entry keeps its letter case
        {{"A", "B", "a"}, {"a", "B"}},
        {{"A", "(Untitled)"}, {"A"}},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9"}, {"9", "8", "7", "6", "5", "4", "3", "2"}},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "2"},
         {"2", "9", "8", "7", "6", "5", "4", "3"}},
    };
    for (const OrderCase& c : cases) {
        Restart();
        for (const std::string& path : c.added)
            AddRecentFile(path.c_str());
        RebuildRecentMenu();
        EXPECT_EQ(Stored(), c.expected);
        EXPECT_EQ(Menu(), c.expected);
    }
    RemoveRecentFile("9");
    EXPECT_EQ(Stored(), (Paths{"2", "8", "7", "6", "5", "4", "3"}));
}

TEST_F(RecentFilesTest, TheMenuStopsAtAGapAndShowsWholePaths) {
    Store({"first", "", "third"});
    EXPECT_EQ(Menu(), Paths{"first"});
    for (size_t length = 255; length <= 259; length++) {
        const std::string path = "C:\\" + std::string(length - 3, 'p');
        Store({path});
        EXPECT_EQ(Menu(), Paths{path}) << length;
    }
}

struct ChoiceCase {
    const char* slot;
    int answer;
    bool opened;
    Paths remaining;
};

TEST_F(RecentFilesTest, ChoosingAnEntryOpensItOrOffersToRemoveIt) {
    const std::string good = scratch.Write("good.mrl", std::string(20, '\0'));
    const std::string empty = scratch.Write("empty.mrl", "");
    const std::string gone = scratch.Path("gone.mrl");
    const std::string tooLong = "C:\\" + std::string(300, 'p') + ".mrl";
    const ChoiceCase cases[] = {
        {good.c_str(), 0, true, {good, "later"}},
        {gone.c_str(), AnswerYes, false, {"later"}},
        {gone.c_str(), AnswerNo, false, {gone, "later"}},
        {empty.c_str(), AnswerYes, false, {"later"}},
        {tooLong.c_str(), AnswerYes, false, {"later"}},
    };
    for (const ChoiceCase& c : cases) {
        Restart();
        Store({c.slot, "later"});
        strcpy(gDocument.path, "C:\\current.mrl");
        gRecording.eventCount = 7;
        gDocument.modifiedCount = 1;
        gSettings.promptForSave = 0;
        if (c.answer != 0)
            SimQueueAnswer(c.answer);
        Choose(1);
        EXPECT_EQ(Stored(), c.remaining) << c.slot;
        EXPECT_EQ(Menu(), c.remaining);
        if (c.opened) {
            EXPECT_EQ(gDocument.path, std::string(c.slot));
            EXPECT_EQ(gRecording.eventCount, 1);
            continue;
        }
        ASSERT_EQ(SimMessageBoxes().size(), 1u);
        EXPECT_EQ(SimMessageBoxes()[0].text, "Unable to open recent file " + std::string(c.slot) +
                                                 "!\n\nDo you want to remove it from the recent "
                                                 "file list menu?");
        EXPECT_EQ(SimMessageBoxes()[0].caption, c.slot);
        EXPECT_EQ(gDocument.path, std::string());
        EXPECT_EQ(SimGetWindowInfo(gApp.mainWindow).title, "Mirlow");
        EXPECT_EQ(gRecording.eventCount, 7);
        EXPECT_EQ(gDocument.modifiedCount, 1);
    }
}

TEST_F(RecentFilesTest, AChangedDocumentIsSavedUnderItsOwnNameFirst) {
    const std::string other = scratch.Write("other.mrl", std::string(40, '\0'));
    const std::string current = scratch.Path("current.mrl");
    Store({other});
    strcpy(gDocument.path, current.c_str());
    gRecording.eventCount = 3;
    gDocument.modifiedCount = 1;
    SimQueueAnswer(AnswerYes);
    Choose(1);
    EXPECT_EQ(SimMessageBoxes()[0].text, "Save changes to " + current + "?");
    EXPECT_EQ(ScratchFolder::Read(current).size(), 60u);
    EXPECT_EQ(gDocument.path, other);
    EXPECT_EQ(Stored(), (Paths{other, current}));
}

TEST_F(RecentFilesTest, ResetAsksThenEmptiesBothCopies) {
    for (bool standardUser : {false, true}) {
        Restart();
        Store({"a", "b", "c"});
        WriteRegistryValue(HiveCurrentUser, SlotPath(2).c_str(), KindText, "user b", 0);
        SimSetRegistryReadOnly(HiveLocalMachine, standardUser);
        SimQueueAnswer(AnswerNo);
        Command(ID_FILE_RESET_RECENT);
        EXPECT_EQ(Stored(), (Paths{"a", "user b", "c"}));
        SimQueueAnswer(AnswerYes);
        Command(ID_FILE_RESET_RECENT);
        EXPECT_EQ(SimMessageBoxes()[0].caption, "Reset Recent Files");
        EXPECT_EQ(Menu(), Paths{});
        EXPECT_EQ(Stored(), Paths{}) << standardUser;
        EXPECT_EQ(SimGetRegistryValue(HiveLocalMachine, "SOFTWARE\\Mirlow", "File1").exists,
                  standardUser);
        // A standard user's list is their own from now on.
        AddRecentFile("d");
        EXPECT_EQ(Stored(), Paths{"d"});
        EXPECT_EQ(SimGetRegistryValue(HiveCurrentUser, "SOFTWARE\\Mirlow", "File1").exists,
                  standardUser);
    }
}

} // namespace
