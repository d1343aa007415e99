// The toolbar: its buttons, their pictures at every display scale, their
// tooltips, and the enabled state that menu items and buttons share.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "platform/sim/sim_control.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {

class ToolbarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
    }
    void TearDown() override {
        SimReset();
    }
    void Start() {
        int exitCode = 0;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        ASSERT_NE(gApp.toolbar, nullptr);
    }
    bool ButtonEnabled(int command) {
        for (const SimToolbarButton& button : SimGetToolbar(gApp.toolbar).buttons) {
            if (button.commandId == command)
                return button.enabled;
        }
        ADD_FAILURE() << "no button " << command;
        return false;
    }
};

TEST_F(ToolbarTest, ElevenPositionsWithSeparatorsAtZeroFourAndEight) {
    Start();
    const SimToolbarButton expected[] = {
        {0, 0, true},
        {ID_FILE_NEW, 0, false},
        {ID_FILE_OPEN, 1, true},
        {ID_FILE_SAVE_AS, 2, false},
        {0, 0, true},
        {ID_RECORDER_START, 3, true},
        {ID_RECORDER_STOP, 4, false},
        {ID_RECORDER_PLAYBACK, 5, false},
        {0, 0, true},
        {ID_HELP_CONTENTS, 6, true},
        {ID_HELP_ABOUT, 7, true},
    };
    SimToolbarInfo toolbar = SimGetToolbar(gApp.toolbar);
    ASSERT_EQ(toolbar.buttons.size(), 11u);
    for (size_t i = 0; i < 11; i++) {
        EXPECT_EQ(toolbar.buttons[i].commandId, expected[i].commandId) << i;
        if (expected[i].commandId != 0) {
            EXPECT_EQ(toolbar.buttons[i].image, expected[i].image) << i;
        }
        // Start-up leaves the commands in the state without a document.
        EXPECT_EQ(toolbar.buttons[i].enabled, expected[i].enabled) << i;
    }
    EXPECT_EQ(toolbar.imageCount, 11);
    EXPECT_TRUE(toolbar.shown);
    EXPECT_GT(toolbar.fits, 0);
}

struct ScaleCase {
    int dpi;
    int imageSize;
    int buttonSize;
};

TEST_F(ToolbarTest, PicturesAndButtonsFollowTheDisplayScale) {
    const ScaleCase cases[] = {
        {96, 16, 18}, {120, 20, 23}, {144, 24, 27}, {192, 32, 36}, {480, 80, 90},
    };
    for (const ScaleCase& c : cases) {
        EXPECT_EQ(ToolbarImageSize(c.dpi), c.imageSize) << c.dpi;
        EXPECT_EQ(ToolbarButtonSize(c.dpi), c.buttonSize) << c.dpi;
    }
    SimSetDpi(144);
    Start();
    EXPECT_EQ(SimGetToolbar(gApp.toolbar).imageSize, 24);
    EXPECT_EQ(SimGetToolbar(gApp.toolbar).buttonWidth, 27);
    // Moved to a monitor of another scale, it is drawn again for that one.
    int fits = SimGetToolbar(gApp.toolbar).fits;
    SimSetDpi(192);
    ScreenRect suggested = {0, 0, 600, 400};
    PlatformSendMessage(gApp.mainWindow, MsgDpiChanged, 192, (intptr_t)&suggested);
    SimToolbarInfo toolbar = SimGetToolbar(gApp.toolbar);
    EXPECT_EQ(toolbar.imageSize, 32);
    EXPECT_EQ(toolbar.disabledImageSize, 32);
    EXPECT_EQ(toolbar.buttonHeight, 36);
    EXPECT_GT(toolbar.fits, fits);
}

TEST_F(ToolbarTest, WithoutAToolbarTheProgramGoesOn) {
    SimFailToolbar(true);
    int exitCode = 0;
    ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    EXPECT_EQ(gApp.toolbar, nullptr);
    SetCommandState(ID_FILE_OPEN);
    EXPECT_TRUE(SimMenuItemEnabled(gApp.mainWindow, ID_RECORDER_PLAYBACK));
    EXPECT_FALSE(SimAskTooltip(gApp.mainWindow, ID_FILE_OPEN).text.empty());
}

TEST_F(ToolbarTest, EveryPositionHasItsTooltip) {
    Start();
    const struct {
        int command;
        const char* text;
    } cases[] = {
        {ID_FILE_NEW, "New Recording (Ctrl+N)"},
        {ID_FILE_OPEN, "Open (Ctrl+O)"},
        {ID_FILE_SAVE_AS, "Save (Ctrl+S)"}, // the button saves under a new name
        {ID_RECORDER_START, "Start Recording"},
        {ID_RECORDER_STOP, "Stop Recording"},
        {ID_RECORDER_PLAYBACK, "Playback"},
        {ID_HELP_CONTENTS, "Mirlow Help and Reference File"},
        {ID_HELP_ABOUT, "About Mirlow"},
        {0, " "},           // a separator's item is one blank
        {ID_FILE_SAVE, ""}, // menu only: no position, no text
        {ID_FILE_EXIT, ""},
    };
    for (const auto& c : cases) {
        SimTooltipAnswer answer = SimAskTooltip(gApp.mainWindow, c.command);
        EXPECT_TRUE(answer.instanceCleared) << c.command;
        EXPECT_EQ(answer.text, c.text) << c.command;
    }
    // Other notifications are not tooltip requests.
    EXPECT_FALSE(AnswerToolbarTooltip(0));
}

TEST_F(ToolbarTest, MenuItemsAndButtonsShareTheThreeStates) {
    Start();
    // command, has a button, then on/off in the states empty, document, busy
    const struct {
        int command;
        bool button;
        bool on[3];
    } rows[] = {
        {ID_RECORDER_START, true, {true, true, false}},
        {ID_FILE_OPEN, true, {true, true, false}},
        {ID_RECORDER_STOP, true, {false, false, true}},
        {ID_FILE_NEW, true, {false, true, false}},
        {ID_RECORDER_PLAYBACK, true, {false, true, false}},
        {ID_FILE_CLOSE, false, {false, true, false}},
        {ID_FILE_SAVE, false, {false, true, false}},
        {ID_FILE_SAVE_AS, true, {false, true, false}},
        {ID_FILE_RELOAD, false, {false, true, false}},
        // Offered for a text script before each state: only "no document"
        // takes it away; the others leave it to the document's kind.
        {ID_TOOLS_EDIT_SCRIPT, false, {false, true, true}},
        {ID_HELP_CONTENTS, true, {true, true, true}},
        {ID_HELP_ABOUT, true, {true, true, true}},
    };
    const int states[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_RECORDER_START};
    for (int column = 0; column < 3; column++) {
        OfferEditScriptFor("daily.mrx");
        SetCommandState(states[column]);
        SetCommandState(ID_FILE_SAVE); // not a state: changes nothing
        for (const auto& row : rows) {
            EXPECT_EQ(SimMenuItemEnabled(gApp.mainWindow, row.command), row.on[column])
                << row.command << " in state " << states[column];
            if (row.button) {
                EXPECT_EQ(ButtonEnabled(row.command), row.on[column])
                    << row.command << " in state " << states[column];
            }
        }
    }
}

// The main window holds the toolbar and, below it, the panel, at every
// scale: the panel starts 3 pixels (at 96 dpi) below the toolbar's real
// height, the window is as high as both and never narrower than the whole
// toolbar; the bar without the panel shows the whole toolbar too.
TEST_F(ToolbarTest, ToolbarAndPanelShareTheWindowAtEveryScale) {
    for (int dpi : {96, 144, 192}) {
        SimReset();
        SimSetDpi(dpi);
        Start();
        int neededWidth = 0, toolbarHeight = 0, width = 0, height = 0;
        PlatformGetToolbarExtent(gApp.toolbar, &neededWidth, &toolbarHeight);
        EXPECT_EQ(toolbarHeight, ToolbarImageSize(dpi) + 7 + 2) << dpi; // the system's button
        ScreenRect panel = SimChildRect(gApp.tabPanel);
        EXPECT_EQ(panel.top, toolbarHeight + ScaleForDpi(3, dpi)) << dpi;
        PlatformGetClientSize(gApp.mainWindow, &width, &height);
        EXPECT_EQ(height, panel.bottom) << dpi;
        SimControlInfo tabs = SimGetControl(gApp.tabPanel, IDC_PANEL_TABS);
        EXPECT_GE(width, tabs.x + tabs.width + tabs.x) << dpi; // the tab control, whole
        EXPECT_GE(width, neededWidth) << dpi;

        PlatformSendMessage(gApp.mainWindow, MsgCommand, ID_VIEW_SHOW_TABS, 0);
        PlatformGetClientSize(gApp.mainWindow, &width, &height);
        EXPECT_GE(width, neededWidth) << dpi;
        EXPECT_GE(width, 6 * PlatformMenuBarItemWidth(gApp.mainWindow, 0)) << dpi;
        EXPECT_GE(height, toolbarHeight) << dpi;
    }
    // Moved to a monitor of another scale, toolbar and panel take the new
    // one and the panel moves below the taller toolbar.
    ScreenRect suggested = {0, 0, 900, 600};
    PlatformSendMessage(gApp.mainWindow, MsgCommand, ID_VIEW_SHOW_TABS, 0);
    SimSetDpi(96);
    PlatformSendMessage(gApp.mainWindow, MsgDpiChanged, 96, (intptr_t)&suggested);
    PlatformSendMessage(gApp.tabPanel, MsgPaint, 0, 0);
    EXPECT_EQ(SimChildRect(gApp.tabPanel).top, 16 + 7 + 2 + 3);
}

// Strip pixels: 0xFFRRGGBB; the light gray background becomes transparent.
const uint32_t Gray = 0xFFC0C0C0, Red = 0xFFE02028, Blue = 0xFF2458D0;

struct ArtCase {
    int size;
    int x, y;      // a pixel of the second image
    uint32_t want; // what it becomes
};

TEST(ToolbarArt, EachImageIsRedrawnAtTheAskedSizeWithoutBleeding) {
    // Two images: the first all red; the second gray with blue at (0, 0)
    // and (15, 15) and red in the column x = 8.
    static uint32_t strip[2 * 16 * 16];
    for (int y = 0; y < 16; y++) {
        for (int x = 0; x < 32; x++)
            strip[y * 32 + x] = x < 16 ? Red : (x == 24 ? Red : Gray);
    }
    strip[16] = Blue;
    strip[15 * 32 + 31] = Blue;
    const ArtCase cases[] = {
        {16, 0, 0, Blue},
        {16, 1, 0, 0},
        {16, 8, 5, Red},
        {16, 15, 15, Blue},
        {32, 0, 0, Blue},
        {32, 1, 1, Blue},
        {32, 2, 2, 0},
        {32, 16, 9, Red},
        {32, 17, 9, Red},
        {32, 18, 9, 0},
        {32, 31, 31, Blue},
        // At 1.5 times a drawn pixel spreads over a pixel and a half: a new
        // pixel half on it is drawn, one a quarter on it (diagonally) is not.
        {24, 0, 0, Blue},
        {24, 1, 0, Blue},
        {24, 1, 1, 0},
        {24, 2, 2, 0},
        {24, 11, 4, 0},
        {24, 12, 4, Red},
        {24, 13, 4, Red},
        {24, 14, 4, 0},
        {24, 23, 23, Blue},
        {24, 22, 22, 0},
    };
    static uint32_t images[2 * 32 * 32], disabled[2 * 32 * 32];
    for (const ArtCase& c : cases) {
        ScaleToolbarArt(strip, 2, c.size, images, disabled);
        int width = 2 * c.size;
        EXPECT_EQ(images[c.y * width + c.size + c.x], c.want) << c.size << " " << c.x << "," << c.y;
        // The first image is red to its very edge, and nothing of it leaks.
        EXPECT_EQ(images[c.y * width + c.size - 1], Red) << c.size;
        uint32_t gray = disabled[c.y * width + c.size + c.x];
        if (c.want == 0) {
            EXPECT_EQ(gray, 0u);
        } else {
            EXPECT_EQ(gray >> 24, 0xFFu);
            EXPECT_EQ(gray & 0xFF, (gray >> 8) & 0xFF); // a shade of gray
            EXPECT_EQ(gray & 0xFF, (gray >> 16) & 0xFF);
        }
    }
}

} // namespace
