/*
 * tab_panel.cpp: the settings panel inside the main window.
 * (Still to come: the program has no panel yet.)
 */
#include "settings/settings.h"

void CreateTabPanel(void) {}

void FocusPanelSpeedButton(void) {}

void ReleaseTabPanelFont(void) {}
