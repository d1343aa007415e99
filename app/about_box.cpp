/*
 * about_box.cpp: the About box with its two live links, and the Legal
 * Agreement.
 *
 * The links are plain static texts drawn underlined in link colours: the
 * web page in blue, or purple once any link has been opened (the count
 * `Visited` is kept in the settings, so the colour lasts from run to run);
 * the mail address always in blue. The pointer turns into a hand over
 * either, and a click opens it through the shell.
 *
 * The underlined font is made the first time the box opens and kept for
 * later openings. A font is made for one display scale, so it is made
 * again when the box opens on a monitor with another scale.
 */
#include "app/app.h"

#include <cstdint>
#include <cstdio>

#include "model/model.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "settings/settings.h"

const char* const BuildDate = __DATE__; /* "Mmm dd yyyy", the day padded with a blank */
const char* const BuildTime = __TIME__; /* "hh:mm:ss" */

const uint32_t LinkBlue = 0x0000FF;
const uint32_t LinkPurple = 0x800080;

static FontHandle linkFont;
static int linkFontDpi;

bool IsPointInControl(WindowHandle dialog, int controlId, int x, int y) {
    ScreenRect rect;
    if (!PlatformGetControlRect(dialog, controlId, &rect))
        return false;
    return rect.left <= x && x <= rect.right && rect.top <= y && y <= rect.bottom;
}

static uint32_t AboutLinkColour(int controlId) {
    if (controlId == IDC_ABOUT_WEB_LINK && gSettings.visited != 0)
        return LinkPurple;
    return LinkBlue;
}

static bool IsOverLink(WindowHandle dialog, int x, int y) {
    return IsPointInControl(dialog, IDC_ABOUT_WEB_LINK, x, y) ||
           IsPointInControl(dialog, IDC_ABOUT_EMAIL_LINK, x, y);
}

static void UseLinkFont(WindowHandle dialog) {
    int dpi = PlatformWindowDpi(dialog);
    if (linkFont != nullptr && linkFontDpi != dpi)
        ReleaseAboutBoxFont();
    if (linkFont == nullptr) {
        linkFont = PlatformCreateFontVariant(dialog, FontUnderlined);
        linkFontDpi = dpi;
    }
    if (linkFont == nullptr)
        return;
    static const int links[] = {IDC_ABOUT_WEB_LINK, IDC_ABOUT_EMAIL_LINK};
    for (int link : links) {
        PlatformSetWindowFont(PlatformGetDialogItem(dialog, link), linkFont);
        PlatformFitControlToText(dialog, link);
    }
}

static void InitAboutBox(WindowHandle dialog) {
    char line[80];
    snprintf(line, sizeof line, "Build Date: %s  Time: %s", BuildDate, BuildTime);
    PlatformSetDialogItemText(dialog, IDC_ABOUT_BUILD, line);
    snprintf(line, sizeof line, "Mirlow Version %s", MIRLOW_VERSION_TEXT);
    PlatformSetDialogItemText(dialog, IDC_ABOUT_VERSION, line);
    PlatformSetDialogItemText(dialog, IDC_ABOUT_WEB_LINK, ProductWebAddress);
    PlatformSetDialogItemText(dialog, IDC_ABOUT_EMAIL_LINK, InfoEmailAddress);
    UseLinkFont(dialog);
}

/* A click on the web link opens the link's own text; on the mail link, a
 * message to the information address. Only an opened link counts. */
static void ClickAboutBox(WindowHandle dialog, int x, int y) {
    char target[128];
    if (IsPointInControl(dialog, IDC_ABOUT_WEB_LINK, x, y))
        PlatformGetWindowTitle(PlatformGetDialogItem(dialog, IDC_ABOUT_WEB_LINK), target,
                               sizeof target);
    else if (IsPointInControl(dialog, IDC_ABOUT_EMAIL_LINK, x, y))
        snprintf(target, sizeof target, "mailto:%s", InfoEmailAddress);
    else
        return;
    if (!OpenLink(target))
        return;
    if (gSettings.visited < INT32_MAX)
        gSettings.visited++;
    PlatformRedrawWindow(dialog);
}

static intptr_t LinkColours(WindowHandle dialog, uintptr_t deviceContext, intptr_t control) {
    WindowHandle web = PlatformGetDialogItem(dialog, IDC_ABOUT_WEB_LINK);
    WindowHandle email = PlatformGetDialogItem(dialog, IDC_ABOUT_EMAIL_LINK);
    if (control == (intptr_t)web)
        return PlatformSetStaticColours(deviceContext, AboutLinkColour(IDC_ABOUT_WEB_LINK));
    if (control == (intptr_t)email)
        return PlatformSetStaticColours(deviceContext, AboutLinkColour(IDC_ABOUT_EMAIL_LINK));
    return 0;
}

static int PointX(intptr_t lParam) {
    return (int16_t)(lParam & 0xFFFF);
}

static int PointY(intptr_t lParam) {
    return (int16_t)((lParam >> 16) & 0xFFFF);
}

/* The dialog closes on OK, on Escape and on the caption's close button. */
static bool IsCloseCommand(uintptr_t wParam) {
    int command = (int)(wParam & 0xFFFF);
    return command == DialogOk || command == DialogCancel;
}

static intptr_t AboutBoxProc(WindowHandle dialog, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    int x = 0, y = 0;
    switch (message) {
    case MsgInitDialog:
        InitAboutBox(dialog);
        return 1;
    case MsgCtlColorStatic:
        return LinkColours(dialog, wParam, lParam);
    case MsgSetCursor:
        PlatformGetPointerPosition(dialog, &x, &y);
        if (!IsOverLink(dialog, x, y))
            return 0;
        PlatformSetCursorResource(IDC_HAND_CURSOR);
        return 1;
    case MsgMouseMove:
        if (IsOverLink(dialog, PointX(lParam), PointY(lParam)))
            PlatformSetCursorResource(IDC_HAND_CURSOR);
        return 1;
    case MsgLButtonDown:
        ClickAboutBox(dialog, PointX(lParam), PointY(lParam));
        return 1;
    case MsgCommand:
        if (!IsCloseCommand(wParam))
            return 0;
        PlatformEndDialog(dialog, (int)(wParam & 0xFFFF));
        return 1;
    default:
        return 0;
    }
}

void ShowAboutBox(void) {
    PlatformRunModalDialog(gApp.mainWindow, IDD_ABOUT, AboutBoxProc);
}

void ReleaseAboutBoxFont(void) {
    if (linkFont != nullptr)
        PlatformReleaseFont(linkFont);
    linkFont = nullptr;
    linkFontDpi = 0;
}

/* ---- Legal Agreement ---- */

/* Each half of the agreement is read with room for 4,080 characters. */
const int LegalPartLength = 4080;

static void InitLegalAgreement(WindowHandle dialog) {
    static char text[2 * LegalPartLength + 1];
    int length = PlatformLoadString(IDS_LEGAL_PART1, text, LegalPartLength + 1);
    PlatformLoadString(IDS_LEGAL_PART2, text + length, LegalPartLength + 1);
    PlatformSetDialogItemText(dialog, IDC_LEGAL_TEXT, text);
    PlatformFocusDialogItem(dialog, DialogOk);
}

static intptr_t LegalAgreementProc(WindowHandle dialog, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
    (void)lParam;
    if (message == MsgInitDialog) {
        InitLegalAgreement(dialog);
        return 0; /* the focus is given already */
    }
    if (message == MsgCommand && IsCloseCommand(wParam)) {
        PlatformEndDialog(dialog, (int)(wParam & 0xFFFF));
        return 1;
    }
    return 0;
}

void ShowLegalAgreement(void) {
    PlatformRunModalDialog(gApp.mainWindow, IDD_LEGAL, LegalAgreementProc);
}
