/*
 * options_dialog.cpp: the Advanced Options dialog.
 * (Still to come: the command does nothing yet.)
 */
#include "settings/settings.h"

void RunOptionsDialog(void) {}
