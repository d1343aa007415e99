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
        int32_t asUnsigned, asSigned;
    } cases[] = {
        {"12abc", 12, 12},
        {"  7", 7, 7},
        {"-5", 0, -5},
        {"abc", 0, 0},
        {"", 0, 0},
        {"2147483647", INT_MAX, INT_MAX},
        {"4294967295", INT_MAX, INT_MAX},
        {"99999999999999999999", INT_MAX, INT_MAX},
        {"-99999999999", 0, INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadUnsignedField(c.text), c.asUnsigned) << c.text;
        EXPECT_EQ(ReadSignedField(c.text), c.asSigned) << c.text;
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

TEST(OptionsTemplate, HoldsEveryControlInItsPlace) {
    SimDialogTemplate dialog;
    ASSERT_TRUE(SimReadDialogTemplate(IDD_OPTIONS, &dialog));
    EXPECT_EQ(dialog.caption, "Options");
    EXPECT_EQ(dialog.width, 260);
    EXPECT_EQ(dialog.height, 177);
    const struct {
        int id;
        const char* text;
        int x, y, width, height;
    } rows[] = {
        {1000, "&Defaults", 196, 134, 50, 14},
        {1, "&OK", 97, 159, 50, 14},
        {2, "&Cancel", 151, 159, 50, 14},
        {1001, "&Apply", 205, 159, 50, 14},
        {1092, "Mirlow Behavior Configurations", 12, 29, 234, 76},
        {1030, "Don't record actions for the Mirlow window", 56, 42, 151, 10},
        {1031, "&Quit Mirlow when playback done", 56, 54, 121, 10},
        {1035, "&Prompt to save/overwrite recordings", 56, 66, 130, 10},
        {1037, "&Minimize Mirlow when recording starts", 56, 78, 136, 10},
        {1039, "Show warning when Windows interrupts", 56, 90, 142, 10},
        {1116, "Text Editor:", 14, 112, 37, 8},
        {1115, "", 54, 110, 122, 12},
        {1117, "...", 180, 110, 13, 12},
        {1093, "Value Ranges", 12, 26, 234, 95},
        {1094, "Fast Playback Factor:", 22, 42, 70, 8},
        {1016, "", 120, 40, 31, 12},
        {1095, "X faster than normal speed", 155, 41, 85, 8},
        {1096, "&Slow Playback Factor:", 22, 57, 72, 8},
        {1013, "", 120, 55, 31, 12},
        {1097, "X slower than normal speed", 155, 58, 88, 8},
        {1098, "M&inimum Random Number:", 22, 72, 86, 8},
        {1025, "", 120, 70, 31, 12},
        {1099, "Ma&ximum Random Number:", 22, 87, 88, 8},
        {1027, "", 120, 85, 31, 12},
        {1100, "When typing \"Playback Loop Number\", add to loop #:", 22, 98, 96, 17},
        {1029, "", 120, 100, 31, 12},
        {1101, "Log Settings", 12, 19, 234, 97},
        {1091, "", 19, 31, 27, 83},
        {1102, "OFF", 56, 35, 14, 8},
        {1105, "LOW  (Useful for software quality assurance testing)", 56, 57, 164, 8},
        {1107, "MEDIUM  (Detailed event tracking)", 56, 79, 112, 8},
        {1108, "HIGH  (Could affect performance; programmers only)", 56, 101, 165, 8},
        {1112, "Log File:", 14, 123, 28, 8},
        {1111, "", 44, 121, 117, 12},
        {1113, "...", 165, 121, 13, 12},
        {1103, "Erase Old Log When Mirlow Starts", 14, 138, 126, 10},
    };
    ASSERT_EQ(dialog.controls.size(), sizeof rows / sizeof rows[0]);
    for (size_t i = 0; i < dialog.controls.size(); i++) {
        const SimTemplateControl& c = dialog.controls[i];
        EXPECT_EQ(c.id, rows[i].id);
        EXPECT_EQ(c.text, rows[i].text) << c.id;
        EXPECT_EQ(std::vector<int>({c.x, c.y, c.width, c.height}),
                  std::vector<int>({rows[i].x, rows[i].y, rows[i].width, rows[i].height}))
            << c.id;
    }
}

} // namespace
