// The Advanced Options dialog on the simulated desktop: how its fields are
// read, and the real dialog made from the resource script, driven by a
// test acting as the user.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "app/app.h"
#include "platform/sim/sim_control.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {

TEST(OptionFieldsRead, NumbersClampInsteadOfWrapping) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"12abc", 12},
        {"  7", 7},
        {"-5", -5},
        {"abc", 0},
        {"", 0},
        {"2147483647", INT_MAX},
        {"4294967295", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadSignedField(c.text), c.value) << c.text;
}

// The field a row edits and its default are those of its setting's row in
// the settings table, which must have a field of the row's kind.
TEST(OptionRows, EachEditsASettingOfTheTable) {
    for (int i = 0; i < OptionRowCount; i++) {
        const SettingDefinition& setting = SettingTable[OptionRows[i].setting];
        EXPECT_TRUE(OptionRows[i].kind == OptionPath ? setting.text != nullptr
                                                     : setting.number != nullptr)
            << setting.name;
    }
}

class OptionsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    }
    void TearDown() override {
        SimReset();
    }
    // Opens the dialog and lets the user do what the driver does.
    static void Run(std::function<void(WindowHandle)> user) {
        SimQueueDialogDriver(std::move(user));
        PlatformSendMessage(gApp.mainWindow, MsgCommand, ID_TOOLS_OPTIONS, 0);
    }
    static std::string Text(WindowHandle dialog, int id) {
        return SimGetControl(dialog, id).text;
    }
    static int32_t StoredRestartLog() {
        return ReadSettingValue("SOFTWARE\\Mirlow\\RestartLog", KindNumber, nullptr, 0, -1);
    }
};

TEST_F(OptionsDialogTest, TakesTheValuesCorrectedButLeavesTheFieldsAsTyped) {
    const struct {
        const char *fast, *minimum, *maximum, *loop;
        int32_t factorFast, randomMin, randomMax, loopTypeBase;
    } cases[] = {
        {"0", "500", "100", "-5", 1, 500, 501, -5},
        {"abc", "500", "500", "x", 1, 500, 500, 0},
        {"-3", "-5", "-7", "-9", 1, -5, -4, -9},
        {"4294967295", "2147483647", "5", "3", INT_MAX, INT_MAX, INT_MAX, 3},
    };
    for (const auto& c : cases) {
        Run([&](WindowHandle dialog) {
            ASSERT_TRUE(SimClickTab(dialog, IDC_OPT_TABS, PageValueRanges));
            SimTypeText(dialog, IDC_OPT_FACTOR_FAST, c.fast);
            SimTypeText(dialog, IDC_OPT_RANDOM_MIN, c.minimum);
            SimTypeText(dialog, IDC_OPT_RANDOM_MAX, c.maximum);
            SimTypeText(dialog, IDC_OPT_LOOP_BASE, c.loop);
            SimClickButton(dialog, IDC_OPT_APPLY);
            EXPECT_EQ(Text(dialog, IDC_OPT_FACTOR_FAST), c.fast);
            EXPECT_EQ(Text(dialog, IDC_OPT_RANDOM_MAX), c.maximum);
            SimClickButton(dialog, DialogOk);
        });
        EXPECT_EQ(gSettings.factorFast, c.factorFast) << c.fast;
        EXPECT_EQ(gSettings.randomMin, c.randomMin) << c.minimum;
        EXPECT_EQ(gSettings.randomMax, c.randomMax) << c.maximum;
        EXPECT_EQ(gSettings.loopTypeBase, c.loopTypeBase) << c.loop;
    }
    // The next opening shows what was taken.
    Run([](WindowHandle dialog) {
        EXPECT_EQ(Text(dialog, IDC_OPT_LOOP_BASE), "3");
        EXPECT_EQ(Text(dialog, IDC_OPT_RANDOM_MIN), "2147483647");
    });
}

// Numbers are shown signed; one the user leaves alone is kept exactly,
// whatever a hand-edited registry put there. A maximum left alone still
// follows a minimum that was edited.
TEST_F(OptionsDialogTest, OkWithoutEditsKeepsEveryNumberAsItWas) {
    const int32_t aboveSigned = (int32_t)3000000000u;
    const struct {
        const char* minimum; // typed, or null for none
        int32_t randomMinBefore, randomMaxBefore, factorBefore, waitBefore;
        int32_t randomMin, randomMax;
    } cases[] = {
        {nullptr, -5, aboveSigned, 0, -1, -5, aboveSigned},
        {nullptr, 7000, 20, -4, INT_MIN, 7000, 20},
        {"10", 7000, 20, 15, 0, 10, 20},
        {"70", 7000, 20, 15, 0, 70, 71},
    };
    for (const auto& c : cases) {
        gSettings.randomMin = c.randomMinBefore;
        gSettings.randomMax = c.randomMaxBefore;
        gSettings.factorSlow = c.factorBefore;
        gSettings.windowWait = c.waitBefore;
        Run([&](WindowHandle dialog) {
            SimClickTab(dialog, IDC_OPT_TABS, PageValueRanges);
            if (c.minimum != nullptr)
                SimTypeText(dialog, IDC_OPT_RANDOM_MIN, c.minimum);
            SimClickButton(dialog, DialogOk);
        });
        EXPECT_EQ(gSettings.randomMin, c.randomMin);
        EXPECT_EQ(gSettings.randomMax, c.randomMax);
        EXPECT_EQ(gSettings.factorSlow, c.factorBefore);
        EXPECT_EQ(gSettings.windowWait, c.waitBefore);
    }
}

TEST_F(OptionsDialogTest, OpensOnConfigurationAndShowsOnePageAtATime) {
    Run([](WindowHandle dialog) {
        EXPECT_EQ(SimGetControl(dialog, IDC_OPT_TABS).items,
                  (std::vector<std::string>{"Configuration", "Value Ranges", "Log Settings"}));
        EXPECT_TRUE(SimGetControl(dialog, IDC_OPT_EXCLUDE_OWN).visible);
        EXPECT_FALSE(SimGetControl(dialog, IDC_OPT_FACTOR_FAST).visible);
        EXPECT_EQ(Text(dialog, IDC_OPT_EDITOR), "notepad.exe");
        SimClickTab(dialog, IDC_OPT_TABS, PageLogSettings);
        EXPECT_FALSE(SimGetControl(dialog, IDC_OPT_EXCLUDE_OWN).visible);
        EXPECT_TRUE(SimGetControl(dialog, IDC_OPT_LOG_LEVEL).visible);
        EXPECT_TRUE(SimGetControl(dialog, IDC_OPT_DEFAULTS).visible);
        EXPECT_EQ(Text(dialog, IDC_OPT_LOGFILE), "C:\\Mirlow.log");
    });
}

TEST_F(OptionsDialogTest, DefaultsResetOnlyThePageShownAndOnlyOkOrApplyTakesThem) {
    gSettings.factorFast = 7;
    gSettings.log = 2;
    // Value Ranges, then Cancel: the fields went back, the settings did not.
    Run([](WindowHandle dialog) {
        SimClickTab(dialog, IDC_OPT_TABS, PageValueRanges);
        SimClickButton(dialog, IDC_OPT_DEFAULTS);
        EXPECT_EQ(Text(dialog, IDC_OPT_FACTOR_FAST), "15");
        EXPECT_EQ(Text(dialog, IDC_OPT_RANDOM_MAX), "9999");
    });
    EXPECT_EQ(gSettings.factorFast, 7);
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].text,
              "Are you sure that you want to load all the default settings?");
    EXPECT_EQ(SimMessageBoxes()[0].caption, "Load Defaults");
    EXPECT_EQ(SimMessageBoxes()[0].style, BoxYesNo | BoxIconWarning | BoxTaskModal);

    // Log Settings, then OK: that page's values only; answered No, nothing.
    Run([](WindowHandle dialog) {
        SimClickButton(dialog, IDC_OPT_QUIT_WHEN_DONE);
        SimClickTab(dialog, IDC_OPT_TABS, PageLogSettings);
        SimTypeText(dialog, IDC_OPT_LOGFILE, "D:\\other.log");
        SimClickButton(dialog, IDC_OPT_RESTART_LOG);
        SimClickButton(dialog, IDC_OPT_DEFAULTS);
        EXPECT_EQ(Text(dialog, IDC_OPT_LOGFILE), "C:\\Mirlow.log");
        SimTypeText(dialog, IDC_OPT_LOGFILE, "D:\\kept.log");
        SimQueueAnswer(AnswerNo);
        SimClickButton(dialog, IDC_OPT_DEFAULTS);
        SimClickButton(dialog, DialogOk);
    });
    EXPECT_EQ(gSettings.quitWhenDone, 1);
    EXPECT_STREQ(gSettings.logfile, "D:\\kept.log");
    EXPECT_EQ(gSettings.log, 0);
    EXPECT_EQ(gSettings.factorFast, 7);
    EXPECT_EQ(StoredRestartLog(), 0);
}

TEST_F(OptionsDialogTest, ApplyThenCancelKeepsTheAppliedValues) {
    Run([](WindowHandle dialog) {
        SimClickButton(dialog, IDC_OPT_PROMPT_SAVE);
        SimTypeText(dialog, IDC_OPT_EDITOR, "write.exe");
        SimClickTab(dialog, IDC_OPT_TABS, PageLogSettings);
        SimMoveTrackbar(dialog, IDC_OPT_LOG_LEVEL, 3);
        SimClickButton(dialog, IDC_OPT_RESTART_LOG);
        SimClickButton(dialog, IDC_OPT_APPLY);
        SimTypeText(dialog, IDC_OPT_LOGFILE, "D:\\not taken.log");
        SimClickButton(dialog, DialogCancel);
    });
    EXPECT_EQ(gSettings.promptForSave, 0);
    EXPECT_STREQ(gSettings.editor, "write.exe");
    EXPECT_EQ(gSettings.log, 3);
    EXPECT_STREQ(gSettings.logfile, "C:\\Mirlow.log");
    EXPECT_EQ(StoredRestartLog(), 1); // at once; the rest waits for the exit batch
    // RestartLog comes from the registry when the dialog opens.
    gSettings.restartLog = 0;
    Run([](WindowHandle dialog) {
        EXPECT_TRUE(SimGetControl(dialog, IDC_OPT_RESTART_LOG).checked);
    });
}

TEST_F(OptionsDialogTest, APathLongerThanTheSettingHoldsIsRefusedNotCut) {
    const std::string longest = "C:\\" + std::string(SettingTextSize - 4, 'a');
    const std::string tooLong = longest + "b";
    Run([&](WindowHandle dialog) {
        SimClickButton(dialog, IDC_OPT_QUIT_WHEN_DONE);
        SimTypeText(dialog, IDC_OPT_EDITOR, tooLong.c_str());
        SimClickTab(dialog, IDC_OPT_TABS, PageLogSettings);
        SimClickButton(dialog, DialogOk); // stays open, on the editor's page
        EXPECT_TRUE(SimGetControl(dialog, IDC_OPT_EDITOR).visible);
        EXPECT_TRUE(SimGetControl(dialog, IDC_OPT_EDITOR).focused);
    });
    ASSERT_EQ(SimMessageBoxes().size(), 1u);
    EXPECT_EQ(SimMessageBoxes()[0].caption, "Mirlow Warning");
    EXPECT_STREQ(gSettings.editor, "notepad.exe");
    EXPECT_EQ(gSettings.quitWhenDone, 0); // nothing was taken

    Run([&](WindowHandle dialog) {
        SimClickTab(dialog, IDC_OPT_TABS, PageLogSettings);
        SimTypeText(dialog, IDC_OPT_LOGFILE, longest.c_str());
        SimClickButton(dialog, DialogOk);
    });
    EXPECT_EQ(gSettings.logfile, longest);
}

TEST_F(OptionsDialogTest, MinimizeWarnsOnlyWhenCheckedWithoutAStopKey) {
    const struct {
        int32_t stopKey;
        int clicks;
        size_t boxes;
    } cases[] = {{0, 1, 1}, {0, 2, 1}, {116, 1, 0}};
    for (const auto& c : cases) {
        SimClearMessageBoxes();
        gSettings.stopKey = c.stopKey;
        Run([&](WindowHandle dialog) {
            for (int i = 0; i < c.clicks; i++)
                SimClickButton(dialog, IDC_OPT_MINIMIZE);
            EXPECT_EQ(SimGetControl(dialog, IDC_OPT_MINIMIZE).checked, c.clicks % 2 == 1);
        });
        ASSERT_EQ(SimMessageBoxes().size(), c.boxes) << c.stopKey << " " << c.clicks;
        if (c.boxes > 0) {
            EXPECT_EQ(SimMessageBoxes()[0].text,
                      "If you choose the \"Minimize\" option, you should choose a key to stop "
                      "recordings.\nRight now you do not have a stop recording key selected.\n\n"
                      "Go to tab #3 (\"Keyboard\") to choose a key.");
        }
    }
}

} // namespace
