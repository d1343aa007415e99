/*
 * shell_win32.cpp: the shell's open of documents, web and mail addresses,
 * and the user's browser started on an address.
 */
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

/* Some handlers the shell hands an open to are COM objects. */
static void PrepareShell(void) {
    static bool prepared;
    if (!prepared) {
        prepared = true;
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
}

int PlatformShellOpen(const char* target) {
    PrepareShell();
    return (int)(INT_PTR)ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

/* The program registered for web addresses is the user's browser. It is
 * started with the command line it registered, the address in place of
 * its "%1" (added at the end when there is none), so the browser's own
 * switches come along. */
static bool BrowserCommand(const char* address, char* line, int size) {
    char command[2048];
    DWORD length = sizeof command;
    if (AssocQueryStringA(ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, "http", "open", command, &length) !=
        S_OK)
        return false;
    const char* slot = strstr(command, "%1");
    if (slot == nullptr)
        slot = strstr(command, "%L");
    int written = slot != nullptr ? snprintf(line, (size_t)size, "%.*s%s%s", (int)(slot - command),
                                             command, address, slot + 2)
                                  : snprintf(line, (size_t)size, "%s \"%s\"", command, address);
    return written > 0 && written < size;
}

/* A command line longer than a program start takes is not tried; the
 * caller then hands the address to the shell. */
int PlatformOpenInBrowser(const char* address) {
    char line[1024];
    if (!BrowserCommand(address, line, sizeof line))
        return 0;
    ProcessHandle browser = PlatformStartProcess(line);
    if (browser == nullptr)
        return SE_ERR_FNF;
    PlatformCloseProcess(browser);
    return 33; /* what the shell answers for a started program */
}
