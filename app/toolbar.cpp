/*
 * toolbar.cpp: the main window's toolbar and its tooltips.
 * (Still to come: the program has no toolbar yet.)
 */
#include "app/app.h"

void CreateMainToolbar(void) {}

void FitToolbarToWindow(void) {}

bool AnswerToolbarTooltip(intptr_t notification) {
    (void)notification;
    return false;
}
