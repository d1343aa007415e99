/*
 * message_boxes.cpp: every message box of the program goes through here,
 * so what happens to a box that nobody could see or answer is decided in
 * one place.
 */
#include "app/app.h"

int ShowMessageBox(const char* text, const char* caption, uint32_t style) {
    return PlatformMessageBox(text, caption, style);
}

int ShowMessageWithIcon(const char* text, const char* caption, uint32_t style, int iconId) {
    return PlatformMessageBoxWithIcon(text, caption, style, iconId);
}
