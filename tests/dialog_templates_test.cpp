// The dialog templates of the resource script: every control with its id,
// class, text and place in dialog units, in tab order.
#include <gtest/gtest.h>

#include "platform/sim/sim_control.h"
#include "resources/resource.h"
#include "resources/version.h"

namespace {

// The template's controls: id, class, text and place in dialog units.
struct TemplateRow {
    int id;
    const char* className;
    const char* text;
    int x, y, width, height;
};

void ExpectTemplate(int templateId, const char* caption, int width, int height,
                    const TemplateRow* rows, size_t count) {
    SimDialogTemplate dialog;
    ASSERT_TRUE(SimReadDialogTemplate(templateId, &dialog));
    EXPECT_EQ(dialog.caption, caption);
    EXPECT_EQ(dialog.width, width);
    EXPECT_EQ(dialog.height, height);
    ASSERT_EQ(dialog.controls.size(), count);
    for (size_t i = 0; i < count; i++) {
        const SimTemplateControl& c = dialog.controls[i];
        const TemplateRow& r = rows[i];
        EXPECT_EQ(c.id, r.id);
        EXPECT_EQ(c.className, r.className) << r.id;
        EXPECT_EQ(c.text, r.text) << r.id;
        EXPECT_EQ(c.x, r.x) << r.id;
        EXPECT_EQ(c.y, r.y) << r.id;
        EXPECT_EQ(c.width, r.width) << r.id;
        EXPECT_EQ(c.height, r.height) << r.id;
    }
}

TEST(PanelTemplate, HoldsEveryControlInItsPlace) {
    const TemplateRow rows[] = {
        {1023, "Static", "Playback Speed:", 17, 24, 55, 8},
        {1013, "Button", "&Slow", 76, 24, 31, 10},
        {1014, "Button", "&Normal", 76, 34, 38, 10},
        {1016, "Button", "F&ast", 76, 44, 29, 10},
        {1017, "Button", "As Fast As &Possible", 76, 54, 77, 10},
        {1024, "Static", "R&epeat:", 14, 72, 26, 8},
        {1022, "Edit", "", 45, 70, 26, 12},
        {1021, "ScrollBar", "", 73, 70, 9, 12},
        {1026, "Static", "times", 84, 72, 19, 8},
        {1090, "Button", "Continuous", 106, 72, 51, 10},
        {1046, "Button", "Re&load last recorded file", 26, 27, 92, 10},
        {1033, "Button", "&Immediately start playing after open", 26, 38, 130, 10},
        {1042, "Button", "Always on top", 26, 49, 60, 10},
        {1089, "Button", "Advanced &Options...", 39, 68, 90, 15},
        {1034, "Static", "Stop recording when I press:", 7, 24, 95, 8},
        {1038, "ComboBox", "", 104, 22, 44, 151},
        {1053, "Static", "", 9, 41, 148, 1},
        {1036, "Static", "When I press:", 8, 52, 45, 8},
        {1043, "ComboBox", "", 56, 50, 44, 151},
        {1051, "Static", "while recording,", 102, 52, 54, 8},
        {1048, "Static", "type:", 6, 68, 18, 8},
        {1045, "ComboBox", "", 26, 66, 74, 151},
        {1050, "Static", "during playback.", 102, 68, 55, 8},
        {1122, "Static", "", 9, 82, 148, 1},
        {1123, "Static", "Record hotkey:", 7, 89, 50, 8},
        {1124, "msctls_hotkey32", "", 60, 87, 97, 12},
        {1125, "Static", "Play hotkey:", 7, 103, 50, 8},
        {1126, "msctls_hotkey32", "", 60, 101, 97, 12},
        {1127, "Static", "", 9, 115, 148, 16},
        {1069, "Static", "", 11, 134, 144, 8},
    };
    ExpectTemplate(IDD_TAB_PANEL, "", 167, 149, rows, sizeof rows / sizeof rows[0]);
    // The tab control's border runs just beyond the dividers' end: a
    // control reaching past it covers the border.
    for (const TemplateRow& r : rows)
        EXPECT_LE(r.x + r.width, 157) << r.id;
}

TEST(OptionsTemplate, HoldsEveryControlInItsPlace) {
    const TemplateRow rows[] = {
        {1000, "Button", "&Defaults", 196, 134, 50, 14},
        {1, "Button", "&OK", 97, 159, 50, 14},
        {2, "Button", "&Cancel", 151, 159, 50, 14},
        {1001, "Button", "&Apply", 205, 159, 50, 14},
        {1092, "Button", "Mirlow Behavior Configurations", 12, 29, 240, 76},
        {1030, "Button", "Don't record actions for the Mirlow window", 56, 42, 151, 10},
        {1031, "Button", "&Quit Mirlow when playback done", 56, 54, 121, 10},
        {1035, "Button", "&Prompt to save/overwrite recordings", 56, 66, 130, 10},
        {1037, "Button", "&Minimize Mirlow when recording starts", 56, 78, 136, 10},
        {1039, "Button", "Show warning when Windows interrupts", 56, 90, 142, 10},
        {1116, "Static", "Text Editor:", 13, 112, 39, 8},
        {1115, "Edit", "", 54, 110, 122, 12},
        {1117, "Button", "...", 180, 110, 13, 12},
        {1093, "Button", "Value Ranges", 12, 26, 240, 95},
        {1094, "Static", "Fast Playback Factor:", 22, 42, 70, 8},
        {1016, "Edit", "", 120, 40, 31, 12},
        {1095, "Static", "X faster than normal speed", 155, 41, 91, 8},
        {1096, "Static", "&Slow Playback Factor:", 22, 57, 72, 8},
        {1013, "Edit", "", 120, 55, 31, 12},
        {1097, "Static", "X slower than normal speed", 155, 58, 93, 8},
        {1098, "Static", "M&inimum Random Number:", 22, 72, 90, 8},
        {1025, "Edit", "", 120, 70, 31, 12},
        {1099, "Static", "Ma&ximum Random Number:", 22, 87, 93, 8},
        {1027, "Edit", "", 120, 85, 31, 12},
        {1100, "Static", "When typing \"Playback Loop Number\", add to loop #:", 22, 98, 96, 17},
        {1029, "Edit", "", 120, 100, 31, 12},
        {1119, "Static", "Wait for a recorded &window:", 14, 127, 100, 8},
        {1120, "Edit", "", 116, 125, 31, 12},
        {1121, "Static", "seconds", 151, 127, 32, 8},
        {1101, "Button", "Log Settings", 12, 19, 240, 97},
        {1091, "msctls_trackbar32", "", 19, 31, 27, 83},
        {1102, "Static", "OFF", 56, 35, 14, 8},
        {1105, "Static", "LOW  (Useful for software quality assurance testing)", 56, 57, 171, 8},
        {1107, "Static", "MEDIUM  (Detailed event tracking)", 56, 79, 112, 8},
        {1108, "Static", "HIGH  (Could affect performance; programmers only)", 56, 101, 175, 8},
        {1112, "Static", "Log File:", 14, 123, 28, 8},
        {1111, "Edit", "", 44, 121, 117, 12},
        {1113, "Button", "...", 165, 121, 13, 12},
        {1103, "Button", "Erase Old Log When Mirlow Starts", 14, 138, 126, 10},
    };
    ExpectTemplate(IDD_OPTIONS, "Options", 260, 177, rows, sizeof rows / sizeof rows[0]);
}

// Statements that go on over two lines are read whole.
TEST(AboutAndLegalTemplates, HoldEveryControlInItsPlace) {
    const TemplateRow about[] = {
        {-1, "Static", "IDI_ABOUT", 14, 14, 21, 20},
        {1114, "Static", "Mirlow Version " MIRLOW_VERSION_TEXT, 48, 14, 192, 8},
        {-1, "Static", "Records what you do with the keyboard and the mouse,", 48, 28, 192, 8},
        {-1, "Static", "and plays it back as often as you like.", 48, 38, 192, 8},
        {-1, "Static", "Copyright (C) 2024 the Mirlow authors. Free to use and to", 48, 52, 192, 8},
        {-1, "Static", "pass on; see Help, Legal Agreement.", 48, 62, 192, 8},
        {1012, "Static", "Build Date:", 48, 76, 192, 8},
        {1070, "Static", "https://mirlow.app/", 48, 92, 192, 8},
        {-1, "Static", "Email:", 48, 104, 24, 8},
        {1072, "Static", "info@mirlow.app", 74, 104, 166, 8},
        {1, "Button", "OK", 190, 114, 50, 14},
    };
    ExpectTemplate(IDD_ABOUT, "About Mirlow", 252, 136, about, sizeof about / sizeof about[0]);
    const TemplateRow legal[] = {
        {1071, "Edit", "", 7, 7, 306, 194},
        {1, "Button", "OK", 263, 210, 50, 14},
    };
    ExpectTemplate(IDD_LEGAL, "Mirlow Legal Agreement", 320, 232, legal,
                   sizeof legal / sizeof legal[0]);
    SimDialogTemplate dialog;
    ASSERT_TRUE(SimReadDialogTemplate(IDD_LEGAL, &dialog));
    EXPECT_NE(dialog.controls[0].style.find("ES_MULTILINE | ES_READONLY"), std::string::npos);
}

} // namespace
