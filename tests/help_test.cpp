// The Help menu's commands, the About box and the Legal Agreement on the
// simulated desktop.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/sim/sim_control.h"
#include "resources/resource.h"
#include "resources/version.h"
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

// The user guide and the read-me of the release show the build's version
// where they name one: in the places listed, and in every "Mirlow N.N" or
// "Mirlow Version N.N" they hold, the guide's log samples included.
TEST(HelpGuide, ShowsTheVersionOfTheBuild) {
    const std::string version = MIRLOW_VERSION_TEXT;
    const struct {
        const char* file;
        std::vector<std::string> places;
    } documents[] = {
        {"resources/mirlowHelp.htm",
         {"<title>Mirlow " + version + " User Guide</title>",
          "<h1>Mirlow " + version + " User Guide</h1>"}},
        {"docs/windows-readme.txt", {"Mirlow " + version + " - keyboard and mouse recorder"}},
    };
    const std::regex named("Mirlow,?\\s+(?:[Vv]ersion\\s+|v)?([0-9]+(\\.[0-9]+)+)");
    for (const auto& document : documents) {
        std::string text = ScratchFolder::Read(std::string(MIRLOW_SOURCE_DIR "/") + document.file);
        ASSERT_FALSE(text.empty()) << document.file;
        for (const std::string& place : document.places)
            EXPECT_NE(text.find(place), std::string::npos) << document.file << ": " << place;
        for (std::sregex_iterator it(text.begin(), text.end(), named), end; it != end; ++it)
            EXPECT_EQ((*it)[1], version) << document.file << ": " << it->str();
    }
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
        SimResetToolbarAndShell();
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

class AboutBoxTest : public HelpTest {
  protected:
    void SetUp() override {
        HelpTest::SetUp();
        gSettings.visited = 0;
        ReleaseAboutBoxFont(); // as a new run of the program starts without one
    }
    // Opens the box; user acts on it, then it is cancelled if still open.
    static void Show(std::function<void(WindowHandle)> user) {
        SimQueueDialogDriver(std::move(user));
        ShowAboutBox();
    }
    static std::string Text(WindowHandle dialog, int control) {
        return SimGetControl(dialog, control).text;
    }
    static ScreenRect Place(WindowHandle dialog, int control) {
        return SimChildRect(PlatformGetDialogItem(dialog, control));
    }
    static int64_t Colour(WindowHandle dialog, int control) {
        uintptr_t deviceContext = 0x100 + (uintptr_t)control;
        WindowHandle item = PlatformGetDialogItem(dialog, control);
        if (PlatformSendMessage(dialog, MsgCtlColorStatic, deviceContext, (intptr_t)item) == 0)
            return -1;
        return SimStaticColour(deviceContext);
    }
    static intptr_t Point(int x, int y) {
        return (intptr_t)((y << 16) | (x & 0xFFFF));
    }
};

TEST_F(AboutBoxTest, ShowsVersionBuildAndTheTwoLinks) {
    Show([](WindowHandle dialog) {
        EXPECT_EQ(Text(dialog, IDC_ABOUT_VERSION), "Mirlow Version " MIRLOW_VERSION_TEXT);
        EXPECT_TRUE(std::regex_match(Text(dialog, IDC_ABOUT_BUILD),
                                     std::regex("Build Date: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}  "
                                                "Time: [0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
            << Text(dialog, IDC_ABOUT_BUILD);
        for (int link : {IDC_ABOUT_WEB_LINK, IDC_ABOUT_EMAIL_LINK}) {
            SimControlInfo info = SimGetControl(dialog, link);
            EXPECT_TRUE(info.underlined) << link;
            EXPECT_EQ(info.width, SimTextWidth(info.text.c_str()))
                << link; // no wider than its text
            EXPECT_EQ(Colour(dialog, link), 0x0000FF) << link;
        }
        EXPECT_EQ(Text(dialog, IDC_ABOUT_WEB_LINK), "https://mirlow.app/");
        EXPECT_EQ(Text(dialog, IDC_ABOUT_EMAIL_LINK), "info@mirlow.app");
        EXPECT_EQ(Colour(dialog, IDC_ABOUT_VERSION), -1); // default colours
        EXPECT_TRUE(SimClickButton(dialog, DialogOk));
    });
    ASSERT_EQ(SimModalDialogsShown(), std::vector<int>{IDD_ABOUT});
    // The underlined font is made once, again only for another display
    // scale, and released with the main window.
    int made = SimFontsMade(), live = SimLiveFontCount();
    Show([](WindowHandle) {});
    EXPECT_EQ(SimFontsMade(), made);
    SimSetDpi(144);
    Show([](WindowHandle) {});
    EXPECT_EQ(SimFontsMade(), made + 1);
    EXPECT_EQ(SimLiveFontCount(), live);
    PlatformDestroyWindow(gApp.mainWindow);
    EXPECT_EQ(SimLiveFontCount(), 0);
}

TEST_F(AboutBoxTest, IsPointInControlCountsItsEdges) {
    Show([](WindowHandle dialog) {
        ScreenRect r = Place(dialog, IDC_ABOUT_WEB_LINK);
        const struct {
            int x, y;
            bool inside;
        } cases[] = {
            {r.left, r.top, true},          {r.right, r.bottom, true},
            {r.left + 3, r.top + 2, true},  {r.left - 1, r.top, false},
            {r.left, r.top - 1, false},     {r.right + 1, r.bottom, false},
            {r.right, r.bottom + 1, false},
        };
        for (const auto& c : cases)
            EXPECT_EQ(IsPointInControl(dialog, IDC_ABOUT_WEB_LINK, c.x, c.y), c.inside)
                << c.x << "," << c.y;
        EXPECT_FALSE(IsPointInControl(dialog, 9999, r.left, r.top)); // no such control
    });
}

enum Spot { InsideWeb, RightOfWebText, BelowMail, InsideMail, MailCorner, WebCorner };

struct ClickCase {
    Spot spot;
    int shellResult; // 0: none asked for
    const char* opened;
    int visited;        // afterwards
    uint32_t webColour; // afterwards
    const char* box;
};

TEST_F(AboutBoxTest, ClicksOpenLinksAndOnlySuccessCounts) {
    static const ClickCase cases[] = {
        // Beside the link's text, though inside the template's wider place.
        {RightOfWebText, 0, nullptr, 0, 0x0000FF, nullptr},
        {BelowMail, 0, nullptr, 0, 0x0000FF, nullptr},
        {InsideMail, 2, "mailto:info@mirlow.app", 0, 0x0000FF,
         "Unable to locate 'mailto:info@mirlow.app'"},
        {MailCorner, 42, "mailto:info@mirlow.app", 1, 0x800080, nullptr},
        {WebCorner, 42, "https://mirlow.app/", 2, 0x800080, nullptr},
    };
    for (const ClickCase& c : cases) {
        SimResetToolbarAndShell();
        SimClearMessageBoxes();
        Show([&c](WindowHandle dialog) {
            ScreenRect web = Place(dialog, IDC_ABOUT_WEB_LINK);
            ScreenRect mail = Place(dialog, IDC_ABOUT_EMAIL_LINK);
            const int points[][2] = {{web.left + 3, web.top + 3},  {web.right + 1, web.top + 3},
                                     {mail.left, mail.bottom + 1}, {mail.left + 3, mail.top + 3},
                                     {mail.right, mail.bottom},    {web.left, web.top}};
            int redraws = SimRedraws(dialog);
            if (c.shellResult != 0)
                SimQueueShellResult(c.shellResult);
            PlatformSendMessage(dialog, MsgLButtonDown, 1,
                                Point(points[c.spot][0], points[c.spot][1]));
            bool opened = c.shellResult > 32; // then repainted in the new colour
            EXPECT_EQ(SimRedraws(dialog), redraws + (opened ? 1 : 0));
            EXPECT_EQ(Colour(dialog, IDC_ABOUT_WEB_LINK), c.webColour);
            EXPECT_EQ(Colour(dialog, IDC_ABOUT_EMAIL_LINK), 0x0000FF);
        });
        std::vector<std::string> opened;
        if (c.opened != nullptr)
            opened.push_back(c.opened);
        EXPECT_EQ(SimShellOpens(), opened) << c.spot;
        EXPECT_EQ(gSettings.visited, c.visited) << c.spot;
        ASSERT_EQ(SimMessageBoxes().size(), c.box != nullptr ? 1u : 0u);
        if (c.box != nullptr) {
            EXPECT_EQ(SimMessageBoxes()[0].text, c.box);
            EXPECT_EQ(SimMessageBoxes()[0].caption, "Internet Error");
        }
    }
}

TEST_F(AboutBoxTest, TheHandShowsOverTheLinksOnly) {
    Show([](WindowHandle dialog) {
        ScreenRect web = Place(dialog, IDC_ABOUT_WEB_LINK);
        ScreenRect mail = Place(dialog, IDC_ABOUT_EMAIL_LINK);
        SimSetPointer(web.left + 5, web.top + 5);
        EXPECT_EQ(PlatformSendMessage(dialog, MsgSetCursor, 0, 0), 1);
        EXPECT_EQ(SimCursorResource(), IDC_HAND_CURSOR);
        SimSetPointer(web.right + 1, web.top + 5);
        EXPECT_EQ(PlatformSendMessage(dialog, MsgSetCursor, 0, 0), 0); // the arrow stays
        int sets = SimCursorSets();
        PlatformSendMessage(dialog, MsgMouseMove, 0, Point(mail.left + 1, mail.top + 1));
        PlatformSendMessage(dialog, MsgMouseMove, 0, Point(5, 5));
        EXPECT_EQ(SimCursorSets(), sets + 1);
    });
}

TEST_F(AboutBoxTest, LegalAgreementJoinsItsTwoStrings) {
    static std::string shown;
    auto show = [] {
        SimQueueDialogDriver([](WindowHandle dialog) {
            shown = SimGetControl(dialog, IDC_LEGAL_TEXT).text;
            EXPECT_TRUE(SimGetControl(dialog, DialogOk).focused);
        });
        ShowLegalAgreement();
    };
    // The program's own text: each half fits the 4,080 characters it is read with.
    std::string first, second;
    ASSERT_TRUE(SimReadResourceString(IDS_LEGAL_PART1, &first));
    ASSERT_TRUE(SimReadResourceString(IDS_LEGAL_PART2, &second));
    EXPECT_LE(first.size(), 4080u);
    EXPECT_LE(second.size(), 4080u);
    EXPECT_EQ(first.substr(0, 35), "MIRLOW END-USER LICENCE AGREEMENT\r\n");
    show();
    EXPECT_EQ(shown, first + second);

    const std::string longPart(5000, 'a');
    const struct {
        std::string first, second, shown;
    } cases[] = {
        {"Part one.\r\n\r\n", "Part two.", "Part one.\r\n\r\nPart two."},
        {longPart, "b", std::string(4080, 'a') + "b"}, // each part holds 4,080 characters
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SimSetString(IDS_LEGAL_PART1, c.first.c_str());
        SimSetString(IDS_LEGAL_PART2, c.second.c_str());
        show();
        EXPECT_EQ(shown, c.shown);
    }
    EXPECT_EQ(SimModalDialogsShown(), std::vector<int>(4, IDD_LEGAL));
}

} // namespace
