/*
 * help.cpp: the Help menu's commands: the user guide beside the program,
 * its script reference, mail to support and the product's web page.
 *
 * The guide is one page, named after the program file: mirlow.exe in
 * C:\Apps gives C:/Apps/mirlowHelp.htm. The reference is a section of that
 * page. A fragment such as "#refgoto" means nothing to the shell's open of
 * a file path (it looks for a file whose name ends in "#refgoto"), so the
 * reference is opened as a file: address in the user's browser, which
 * keeps the fragment.
 */
#include "app/app.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "model/model.h"

const char* const InfoEmailAddress = "info@mirlow.app";
const char* const SupportEmailAddress = "support@mirlow.app";
const char* const ReferenceFragment = "#refgoto";

static void ShowWarning(const char* text, const char* caption) {
    ShowMessageBox(text, caption, BoxOk | BoxIconWarning | BoxTaskModal);
}

bool HelpFilePathFor(const char* programPath, char* path, int size) {
    static const char suffix[] = "Help.htm";
    const char* dot = strrchr(programPath, '.');
    size_t stem = dot != nullptr ? (size_t)(dot - programPath) : strlen(programPath);
    if (size <= 0 || stem + sizeof suffix > (size_t)size) {
        if (size > 0)
            path[0] = '\0';
        return false;
    }
    memcpy(path, programPath, stem);
    memcpy(path + stem, suffix, sizeof suffix);
    for (char* at = path; *at != '\0'; at++) {
        if (*at == '\\')
            *at = '/';
    }
    return true;
}

/* The guide beside the running program; empty when the program's own path
 * cannot be had (the box then names no file). */
static void HelpFilePath(char* path, int size) {
    char program[MaxProgramPath + 1];
    if (PlatformProgramPath(program, sizeof program) < 0 || !HelpFilePathFor(program, path, size))
        path[0] = '\0';
}

static bool IsPlainUrlCharacter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           strchr("-._~/:", c) != nullptr;
}

bool FileUrlFromPath(const char* path, char* url, int size) {
    static char utf8[HelpPathSize * 3 + 1];
    if (!PlatformAnsiToUtf8(path, utf8, sizeof utf8))
        return false;
    /* A network path (//server/share) keeps its server as the address's host. */
    int length =
        snprintf(url, (size_t)size, "%s", strncmp(utf8, "//", 2) == 0 ? "file:" : "file:///");
    for (const unsigned char* at = (const unsigned char*)utf8; *at != '\0'; at++) {
        int room = size - length;
        int written = IsPlainUrlCharacter(*at)
                          ? snprintf(url + length, (size_t)room, "%c", *at)
                          : snprintf(url + length, (size_t)room, "%%%02X", *at);
        if (written >= room)
            return false;
        length += written;
    }
    return true;
}

/* The browser is asked first; where none is known the shell gets the
 * address, and opens the page, at worst without going to the section. */
static bool OpenGuideAddress(const char* path, const char* fragment) {
    static char url[HelpPathSize * 9 + 16];
    int room = (int)(sizeof url - strlen(fragment));
    if (PlatformFileSize(path) <= 0 || !FileUrlFromPath(path, url, room))
        return false;
    strcat(url, fragment);
    return PlatformOpenInBrowser(url) > 32 || PlatformShellOpen(url) > 32;
}

/* The shell opens the guide with the program registered for web pages.
 * Where that fails although the guide is there (no such program, or a
 * shell that does not take forward slashes), the browser shows it. */
void OpenHelpContents(void) {
    char path[HelpPathSize];
    HelpFilePath(path, sizeof path);
    if (PlatformShellOpen(path) <= 32 && !OpenGuideAddress(path, ""))
        ShowWarning("Unable to open the help file!", path);
}

void OpenScriptReference(void) {
    char path[HelpPathSize];
    char caption[HelpPathSize + 16];
    HelpFilePath(path, sizeof path);
    snprintf(caption, sizeof caption, "%s%s", path, ReferenceFragment);
    if (!OpenGuideAddress(path, ReferenceFragment))
        ShowWarning("Unable to open the help file!", caption);
}

/* Opens a link through the shell; on failure says which one. */
bool OpenLink(const char* target) {
    if (PlatformShellOpen(target) > 32)
        return true;
    char text[300];
    snprintf(text, sizeof text, "Unable to locate '%s'", target);
    ShowWarning(text, "Internet Error");
    return false;
}

void EmailTechSupport(void) {
    char target[64];
    snprintf(target, sizeof target, "mailto:%s", SupportEmailAddress);
    OpenLink(target);
}

/* The host name of an address: between "//" and the next "/". */
static void HostOf(const char* address, char* host, int size) {
    const char* start = strstr(address, "//");
    start = start != nullptr ? start + 2 : address;
    size_t length = strcspn(start, "/");
    snprintf(host, (size_t)size, "%.*s", (int)length, start);
}

void OpenProductWebPage(void) {
    if (PlatformShellOpen(ProductWebAddress) > 32)
        return;
    char host[64], text[200];
    HostOf(ProductWebAddress, host, sizeof host);
    snprintf(text, sizeof text,
             "Unable to connect to the Mirlow web site \"%s\".\n\nPlease check your Internet "
             "connection and try again.",
             host);
    ShowWarning(text, "Internet Error");
}
