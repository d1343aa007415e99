/*
 * settings_store.cpp: the options in memory.
 *
 * Until the registry store exists the program runs on the defaults; the
 * window-position rule is already the real one, so the main window is
 * placed the way it will be once positions are stored.
 */
#include "settings/settings.h"

#include <cstring>

#include "platform/platform.h"

Settings gSettings;

static const int UnsetLeft = -99;
static const int UnsetTop = 0;

static void SetDefaults(void) {
    memset(&gSettings, 0, sizeof gSettings);
    gSettings.excludeMirlowAction = 1;
    gSettings.speed = 2;
    gSettings.promptForSave = 1;
    gSettings.repeats = 1;
    gSettings.factorFast = 15;
    gSettings.factorSlow = 4;
    gSettings.randomMin = 1000;
    gSettings.randomMax = 9999;
    gSettings.showTabs = 1;
    gSettings.interruptWarning = 1;
    strcpy(gSettings.logfile, "C:\\Mirlow.log");
    strcpy(gSettings.editor, "notepad.exe");
}

/* A saved position is used only when it puts the window's corner on the
 * screen; anything else (the default -99, a minimized window's far-off
 * position) leaves both coordinates to the system. */
static void ChooseWindowPosition(int left, int top, WindowPosition* position) {
    int width = PlatformSystemMetric(MetricFullScreenWidth);
    int height = PlatformSystemMetric(MetricFullScreenHeight);
    bool usable = left >= -4 && left < width && top >= -4 && top < height;
    position->x = usable ? left : DefaultWindowPosition;
    position->y = usable ? top : DefaultWindowPosition;
}

void LoadSettings(WindowPosition* position) {
    SetDefaults();
    ChooseWindowPosition(UnsetLeft, UnsetTop, position);
}

void SaveSettings(int left, int top, int lastTab) {
    (void)left;
    (void)top;
    (void)lastTab;
}
