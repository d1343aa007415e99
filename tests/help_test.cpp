// The Help menu's commands, the About box and the Legal Agreement on the
// simulated desktop.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <regex>
#include <string>

#include "app/app.h"
#include "platform/sim/sim_control.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/scratch_files.h"

namespace {

TEST(HelpPath, NamedAfterTheProgramFile) {
    const struct {
        const char* program;
        const char* help; // empty: refused
    } cases[] = {
        {"C:\\Apps\\mirlow.exe", "C:/Apps/mirlowHelp.htm"},
        {"C:\\Tools 2.0\\mirlow.exe", "C:/Tools 2.0/mirlowHelp.htm"}, // only the last dot
        {"C:\\Tools 2.0\\mirlow", "C:/Tools 2Help.htm"},              // ... wherever it is
        {"\\\\server\\share\\mirlow.exe", "//server/share/mirlowHelp.htm"},
    };
    for (const auto& c : cases) {
        char help[HelpPathSize];
        EXPECT_TRUE(HelpFilePathFor(c.program, help, sizeof help)) << c.program;
        EXPECT_STREQ(help, c.help) << c.program;
    }
    char small[20];
    EXPECT_FALSE(HelpFilePathFor("C:\\Apps\\mirlow.exe", small, sizeof small));
    EXPECT_STREQ(small, "");
}

TEST(HelpPath, FileAddressesKeepEveryCharacter) {
    const struct {
        const char* path;
        const char* url;
    } cases[] = {
        {"C:/Apps/mirlowHelp.htm", "file:///C:/Apps/mirlowHelp.htm"},
        {"C:/Program Files/M#1/100%.htm", "file:///C:/Program%20Files/M%231/100%25.htm"},
        {"//server/share/mirlowHelp.htm", "file://server/share/mirlowHelp.htm"},
        {"C:/J\xFCrgen/mirlowHelp.htm", "file:///C:/J%C3%BCrgen/mirlowHelp.htm"},
    };
    for (const auto& c : cases) {
        char url[200];
        EXPECT_TRUE(FileUrlFromPath(c.path, url, sizeof url)) << c.path;
        EXPECT_STREQ(url, c.url);
    }
    char small[16];
    EXPECT_FALSE(FileUrlFromPath("C:/Apps/mirlowHelp.htm", small, sizeof small));
}

class HelpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset();
        int exitCode = 0;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
        // A folder with a dot in its name, the guide beside the program.
        program = scratch.Path("Mirlow 2.30/mirlow.exe");
        help = scratch.Path("Mirlow 2.30/mirlowHelp.htm");
        SimSetProgramPath(program.c_str());
    }
    void TearDown() override {
        SimReset();
    }
    ScratchFolder scratch;
    std::string program, help;
};

struct HelpCase {
    void (*command)(void);
    bool guidePresent;
    bool browserKnown;
    std::vector<int> shellResults;
    std::vector<std::string> opened; // "%H" stands for the guide's path
    const char* boxText;             // null: no box
    const char* boxCaption;
};

TEST_F(HelpTest, CommandsOpenTheirTargetsOrSayWhyNot) {
    // The simulated program lives at a Unix path: its address is file:///
    // followed by the path, the blank encoded.
    std::string url = "file:///" + help;
    url.replace(url.find(' '), 1, "%20");
    const HelpCase cases[] = {
        {OpenHelpContents, true, true, {}, {"%H"}, nullptr, nullptr},
        {OpenHelpContents, false, true, {2}, {"%H"}, "Unable to open the help file!", "%H"},
        // The guide is there but the shell cannot open it: the browser can.
        {OpenHelpContents, true, true, {31}, {"%H", "browser %U"}, nullptr, nullptr},
        {OpenHelpContents,
         true,
         false,
         {31, 31},
         {"%H", "%U"},
         "Unable to open the help file!",
         "%H"},
        {OpenScriptReference, true, true, {}, {"browser %U#refgoto"}, nullptr, nullptr},
        {OpenScriptReference, true, false, {}, {"%U#refgoto"}, nullptr, nullptr},
        {OpenScriptReference,
         true,
         true,
         {2, 31},
         {"browser %U#refgoto", "%U#refgoto"},
         "Unable to open the help file!",
         "%H#refgoto"},
        {OpenScriptReference, false, true, {}, {}, "Unable to open the help file!", "%H#refgoto"},
        {EmailTechSupport, true, true, {}, {"mailto:support@mirlow.app"}, nullptr, nullptr},
        {EmailTechSupport,
         true,
         true,
         {31},
         {"mailto:support@mirlow.app"},
         "Unable to locate 'mailto:support@mirlow.app'",
         "Internet Error"},
        {OpenProductWebPage, true, true, {}, {"https://mirlow.app/"}, nullptr, nullptr},
        {OpenProductWebPage,
         true,
         true,
         {5},
         {"https://mirlow.app/"},
         "Unable to connect to the Mirlow web site \"mirlow.app\".\n\nPlease check your "
         "Internet connection and try again.",
         "Internet Error"},
    };
    auto expand = [&](std::string text) {
        for (size_t at; (at = text.find("%H")) != std::string::npos;)
            text.replace(at, 2, help);
        for (size_t at; (at = text.find("%U")) != std::string::npos;)
            text.replace(at, 2, url);
        return text;
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        const HelpCase& c = cases[i];
        SimResetUserInterface();
        SimClearMessageBoxes();
        std::remove(help.c_str());
        if (c.guidePresent)
            scratch.Write("Mirlow 2.30/mirlowHelp.htm", "<html></html>");
        SimSetBrowserKnown(c.browserKnown);
        for (int result : c.shellResults)
            SimQueueShellResult(result);
        c.command();
        std::vector<std::string> opened;
        for (const std::string& target : c.opened)
            opened.push_back(expand(target));
        EXPECT_EQ(SimShellOpens(), opened) << "case " << i;
        if (c.boxText == nullptr) {
            EXPECT_TRUE(SimMessageBoxes().empty()) << "case " << i;
            continue;
        }
        ASSERT_EQ(SimMessageBoxes().size(), 1u) << "case " << i;
        EXPECT_EQ(SimMessageBoxes()[0].text, c.boxText) << "case " << i;
        EXPECT_EQ(SimMessageBoxes()[0].caption, expand(c.boxCaption)) << "case " << i;
        EXPECT_EQ(SimMessageBoxes()[0].style, BoxOk | BoxIconWarning | BoxTaskModal);
    }
}

// The About box's controls as a template lays them out (client coordinates).
const int WebLeft = 72, WebTop = 140, WebRight = 180, WebBottom = 153;
const int MailLeft = 110, MailTop = 158, MailRight = 200, MailBottom = 171;

std::function<void(WindowHandle)> dialogUser;

class AboutBoxTest : public HelpTest {
  protected:
    void SetUp() override {
        HelpTest::SetUp();
        SimDefineDialog(IDD_ABOUT,
                        {{IDC_ABOUT_VERSION, "Mirlow Version", 72, 20, 300, 33},
                         {IDC_ABOUT_BUILD, "Build Date:", 72, 114, 300, 127},
                         {IDC_ABOUT_WEB_LINK, "", WebLeft, WebTop, WebRight, WebBottom},
                         {IDC_ABOUT_EMAIL_LINK, "", MailLeft, MailTop, MailRight, MailBottom}});
        SimSetDialogUser([](WindowHandle dialog) { dialogUser(dialog); });
        gSettings.visited = 0;
        ReleaseAboutBoxFont(); // as a new run of the program starts without one
    }
    static std::string Text(WindowHandle dialog, int control) {
        static char text[9000];
        PlatformGetWindowTitle(PlatformGetDialogItem(dialog, control), text, sizeof text);
        return text;
    }
    static int64_t Colour(WindowHandle dialog, int control) {
        uintptr_t deviceContext = 0x100 + (uintptr_t)control;
        WindowHandle item = PlatformGetDialogItem(dialog, control);
        if (AboutBoxProc(dialog, MsgCtlColorStatic, deviceContext, (intptr_t)item) == 0)
            return -1;
        return SimStaticColour(deviceContext);
    }
    static intptr_t Point(int x, int y) {
        return (intptr_t)((y << 16) | (x & 0xFFFF));
    }
};

TEST_F(AboutBoxTest, ShowsVersionBuildAndTheTwoLinks) {
    dialogUser = [](WindowHandle dialog) {
        EXPECT_EQ(Text(dialog, IDC_ABOUT_VERSION), "Mirlow Version 2.30");
        EXPECT_TRUE(std::regex_match(Text(dialog, IDC_ABOUT_BUILD),
                                     std::regex("Build Date: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}  "
                                                "Time: [0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
            << Text(dialog, IDC_ABOUT_BUILD);
        EXPECT_EQ(Text(dialog, IDC_ABOUT_WEB_LINK), "https://mirlow.app/");
        EXPECT_EQ(Text(dialog, IDC_ABOUT_EMAIL_LINK), "info@mirlow.app");
        EXPECT_TRUE(SimControlHasOwnFont(dialog, IDC_ABOUT_WEB_LINK));
        EXPECT_TRUE(SimControlHasOwnFont(dialog, IDC_ABOUT_EMAIL_LINK));
        EXPECT_EQ(Colour(dialog, IDC_ABOUT_WEB_LINK), 0x0000FF);
        EXPECT_EQ(Colour(dialog, IDC_ABOUT_EMAIL_LINK), 0x0000FF);
        EXPECT_EQ(Colour(dialog, IDC_ABOUT_VERSION), -1); // default colours
        AboutBoxProc(dialog, MsgCommand, AnswerOk, 0);
    };
    ShowAboutBox();
    ASSERT_EQ(SimDialogsRun(), std::vector<int>{IDD_ABOUT});
    // The underlined font is made once, again only for another display
    // scale, and released with the main window.
    dialogUser = [](WindowHandle) {};
    ShowAboutBox();
    EXPECT_EQ(SimFontsMade(), 1);
    SimSetDpi(144);
    ShowAboutBox();
    EXPECT_EQ(SimFontsMade(), 2);
    EXPECT_EQ(SimLiveFonts(), 1);
    PlatformDestroyWindow(gApp.mainWindow);
    EXPECT_EQ(SimLiveFonts(), 0);
}

TEST(AboutBoxPoint, IsPointInControlCountsItsEdges) {
    SimReset();
    SimDefineDialog(IDD_ABOUT, {{IDC_ABOUT_WEB_LINK, "", 10, 20, 50, 28}});
    SimSetDialogUser([](WindowHandle dialog) {
        const struct {
            int x, y;
            bool inside;
        } cases[] = {
            {10, 20, true},  {50, 28, true},  {30, 24, true},  {9, 20, false},
            {10, 19, false}, {51, 28, false}, {50, 29, false}, {-5, -5, false},
        };
        for (const auto& c : cases)
            EXPECT_EQ(IsPointInControl(dialog, IDC_ABOUT_WEB_LINK, c.x, c.y), c.inside)
                << c.x << "," << c.y;
        EXPECT_FALSE(IsPointInControl(dialog, IDC_ABOUT_EMAIL_LINK, 30, 24)); // no such control
    });
    PlatformRunDialog(IDD_ABOUT, nullptr, AboutBoxProc);
    ReleaseAboutBoxFont();
    SimReset();
}

struct ClickCase {
    int x, y;
    int shellResult; // 0: none asked for
    const char* opened;
    int visited;        // afterwards
    uint32_t webColour; // afterwards
    const char* box;
};

TEST_F(AboutBoxTest, ClicksOpenLinksAndOnlySuccessCounts) {
    static const ClickCase cases[] = {
        {WebLeft - 1, WebTop, 0, nullptr, 0, 0x0000FF, nullptr},      // beside the link
        {MailLeft, MailBottom + 1, 0, nullptr, 0, 0x0000FF, nullptr}, // below the other
        {MailLeft + 3, MailTop + 3, 2, "mailto:info@mirlow.app", 0, 0x0000FF,
         "Unable to locate 'mailto:info@mirlow.app'"},
        {MailRight, MailBottom, 42, "mailto:info@mirlow.app", 1, 0x800080, nullptr},
        {WebLeft, WebTop, 42, "https://mirlow.app/", 2, 0x800080, nullptr},
    };
    static const ClickCase* current;
    dialogUser = [](WindowHandle dialog) {
        int redraws = SimRedraws(dialog);
        if (current->shellResult != 0)
            SimQueueShellResult(current->shellResult);
        AboutBoxProc(dialog, MsgLButtonDown, 1, Point(current->x, current->y));
        bool opened = current->shellResult > 32; // then repainted in the new colour
        EXPECT_EQ(SimRedraws(dialog), redraws + (opened ? 1 : 0));
        EXPECT_EQ(Colour(dialog, IDC_ABOUT_WEB_LINK), current->webColour);
        EXPECT_EQ(Colour(dialog, IDC_ABOUT_EMAIL_LINK), 0x0000FF);
    };
    for (const ClickCase& c : cases) {
        current = &c;
        SimResetUserInterface();
        SimDefineDialog(IDD_ABOUT,
                        {{IDC_ABOUT_WEB_LINK, "", WebLeft, WebTop, WebRight, WebBottom},
                         {IDC_ABOUT_EMAIL_LINK, "", MailLeft, MailTop, MailRight, MailBottom}});
        SimSetDialogUser([](WindowHandle dialog) { dialogUser(dialog); });
        SimClearMessageBoxes();
        ShowAboutBox();
        std::vector<std::string> opened;
        if (c.opened != nullptr)
            opened.push_back(c.opened);
        EXPECT_EQ(SimShellOpens(), opened) << c.x << "," << c.y;
        EXPECT_EQ(gSettings.visited, c.visited) << c.x << "," << c.y;
        ASSERT_EQ(SimMessageBoxes().size(), c.box != nullptr ? 1u : 0u);
        if (c.box != nullptr) {
            EXPECT_EQ(SimMessageBoxes()[0].text, c.box);
            EXPECT_EQ(SimMessageBoxes()[0].caption, "Internet Error");
        }
    }
}

TEST_F(AboutBoxTest, TheHandShowsOverTheLinksOnly) {
    dialogUser = [](WindowHandle dialog) {
        SimSetPointer(WebLeft + 5, WebTop + 5);
        EXPECT_EQ(AboutBoxProc(dialog, MsgSetCursor, 0, 0), 1);
        EXPECT_EQ(SimCursorResource(), IDC_HAND_CURSOR);
        SimSetPointer(WebRight + 1, WebTop + 5);
        EXPECT_EQ(AboutBoxProc(dialog, MsgSetCursor, 0, 0), 0); // the arrow stays
        int sets = SimCursorSets();
        AboutBoxProc(dialog, MsgMouseMove, 0, Point(MailLeft + 1, MailTop + 1));
        AboutBoxProc(dialog, MsgMouseMove, 0, Point(5, 5));
        EXPECT_EQ(SimCursorSets(), sets + 1);
    };
    ShowAboutBox();
}

TEST_F(AboutBoxTest, LegalAgreementJoinsItsTwoStrings) {
    const std::string longPart(5000, 'a');
    const struct {
        std::string first, second, shown;
    } cases[] = {
        {"Part one.\r\n\r\n", "Part two.", "Part one.\r\n\r\nPart two."},
        {longPart, "b", std::string(4080, 'a') + "b"}, // each part holds 4,080 characters
        {"", "", ""},
    };
    static std::string shown;
    dialogUser = [](WindowHandle dialog) {
        shown = Text(dialog, IDC_LEGAL_TEXT);
        EXPECT_EQ(SimFocusedControl(), AnswerOk);
    };
    for (const auto& c : cases) {
        SimDefineDialog(IDD_LEGAL, {{IDC_LEGAL_TEXT, "", 7, 7, 300, 200}});
        SimSetString(IDS_LEGAL_PART1, c.first.c_str());
        SimSetString(IDS_LEGAL_PART2, c.second.c_str());
        ShowLegalAgreement();
        EXPECT_EQ(shown, c.shown);
    }
}

} // namespace
