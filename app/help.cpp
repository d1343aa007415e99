/*
 * help.cpp: the Help menu's commands, the About box and the Legal
 * Agreement. (Still to come: the commands do nothing yet.)
 */
#include "app/app.h"

void ShowAboutBox(void) {}

void ShowLegalAgreement(void) {}

void OpenHelpContents(void) {}

void OpenScriptReference(void) {}

void EmailTechSupport(void) {}

void OpenProductWebPage(void) {}

void ReleaseAboutBoxFont(void) {}
