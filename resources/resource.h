/*
 * resource.h: every resource, command and control identifier of Mirlow.
 *
 * Shared by mirlow.rc (read by the resource compiler) and by the C++ code, so
 * it holds nothing but plain #defines and comments. Each number here is the
 * one the program has always used: the registry, the menu, the toolbar and
 * the dialog code all rely on them, so do not renumber.
 *
 * A few numbers are used twice on purpose, each time under its own name:
 *   1019  the About command and the About dialog;
 *   1076  the Legal Agreement command and the Legal Agreement dialog;
 *   1013, 1016  a speed button on the settings panel and a factor field of
 *         the Options dialog (different dialogs, so no clash).
 */
#ifndef MIRLOW_RESOURCE_H
#define MIRLOW_RESOURCE_H

/* ---- Resources ---------------------------------------------------------- */

#define IDR_ACCELERATORS 1003
#define IDC_HAND_CURSOR 1005 /* cursor over the About box links */
#define IDI_MIRLOW 1006      /* program icon (window, shell index 0) */
#define IDI_ABOUT 1008       /* About box icon (shell index 1: file types) */
#define IDS_LEGAL_PART1 1009 /* licence text, first half */
#define IDR_MAIN_MENU 1010
#define IDS_LEGAL_PART2 1011 /* licence text, second half */
#define IDD_ABOUT 1019
#define IDB_TOOLBAR 1020 /* toolbar strip: 11 images of 16 x 16, 8 bpp */
#define IDD_TAB_PANEL 1028
#define IDD_LEGAL 1076
#define IDD_OPTIONS 1079

/* ---- Menu commands (menu IDR_MAIN_MENU) --------------------------------- */

/* File */
#define ID_FILE_NEW 1057
#define ID_FILE_OPEN 1040
#define ID_FILE_RELOAD 1104
#define ID_FILE_CLOSE 1059
#define ID_FILE_SAVE 1058
#define ID_FILE_SAVE_AS 1052
#define ID_FILE_RESET_RECENT 1060
/* Recent-file entries: not in the menu resource, inserted at run time
   directly after "&Reset Recent Files"; entry n has ID_FILE_RESET_RECENT + n. */
#define ID_FILE_RECENT_1 1061
#define ID_FILE_RECENT_2 1062
#define ID_FILE_RECENT_3 1063
#define ID_FILE_RECENT_4 1064
#define ID_FILE_RECENT_5 1065
#define ID_FILE_RECENT_6 1066
#define ID_FILE_RECENT_7 1067
#define ID_FILE_RECENT_8 1068
#define ID_FILE_EXIT 1018

/* Recorder */
#define ID_RECORDER_START 1044
#define ID_RECORDER_STOP 1049
#define ID_RECORDER_PLAYBACK 1047

/* View */
#define ID_VIEW_SHOW_TABS 1086
#define ID_VIEW_TOTAL_ACTIONS 1056

/* Tools */
#define ID_TOOLS_EDIT_SCRIPT 1106
#define ID_TOOLS_EDIT_LOG 1118
#define ID_TOOLS_OPTIONS 1110

/* Help */
#define ID_HELP_CONTENTS 1082
#define ID_HELP_SCRIPT_REFERENCE 1087
#define ID_HELP_LEGAL 1076 /* same number as IDD_LEGAL */
#define ID_HELP_EMAIL_SUPPORT 1088
#define ID_HELP_WEB 1084
#define ID_HELP_ABOUT 1019 /* same number as IDD_ABOUT */

/* ---- About box (IDD_ABOUT) ---------------------------------------------- */

#define IDC_ABOUT_VERSION 1114    /* "Mirlow Version " and the version */
#define IDC_ABOUT_BUILD 1012      /* "Build Date: ...  Time: ..." */
#define IDC_ABOUT_WEB_LINK 1070   /* product web page, underlined */
#define IDC_ABOUT_EMAIL_LINK 1072 /* information e-mail, underlined */

/* ---- Legal Agreement (IDD_LEGAL) ---------------------------------------- */

#define IDC_LEGAL_TEXT 1071 /* read-only multi-line edit with the licence */

/* ---- Settings tab panel (IDD_TAB_PANEL) --------------------------------- */

#define IDC_PANEL_TABS 5001 /* tab control, created at run time */

/* Playback page */
#define IDC_PANEL_SPEED_LABEL 1023   /* "Playback Speed:" */
#define IDC_PANEL_SPEED_SLOW 1013    /* radio "&Slow" */
#define IDC_PANEL_SPEED_NORMAL 1014  /* radio "&Normal" */
#define IDC_PANEL_SPEED_FAST 1016    /* radio "F&ast" */
#define IDC_PANEL_SPEED_FASTEST 1017 /* radio "As Fast As &Possible" */
#define IDC_PANEL_REPEAT_LABEL 1024  /* "R&epeat:" */
#define IDC_PANEL_REPEAT_EDIT 1022   /* repeat count */
#define IDC_PANEL_REPEAT_ARROWS 1021 /* scroll bar used as up/down arrows */
#define IDC_PANEL_REPEAT_TIMES 1026  /* "times" */
#define IDC_PANEL_CONTINUOUS 1090    /* check "Continuous" */

/* Options page */
#define IDC_PANEL_RELOAD 1046          /* check "Re&load last recorded file" */
#define IDC_PANEL_PLAY_AFTER_OPEN 1033 /* check "&Immediately start playing..." */
#define IDC_PANEL_TOPMOST 1042         /* check "Always on top" */
#define IDC_PANEL_ADVANCED 1089        /* button "Advanced &Options..." */

/* Keyboard page */
#define IDC_PANEL_STOP_KEY_LABEL 1034  /* "Stop recording when I press:" */
#define IDC_PANEL_STOP_KEY 1038        /* drop-down list: stop key */
#define IDC_PANEL_KEY_DIVIDER 1053     /* etched horizontal line */
#define IDC_PANEL_TYPE_KEY_LABEL 1036  /* "When I press:" */
#define IDC_PANEL_TYPE_KEY 1043        /* drop-down list: Special Type key */
#define IDC_PANEL_TYPE_KEY_TAIL 1051   /* "while recording," */
#define IDC_PANEL_TYPE_THIS_LABEL 1048 /* "type:" */
#define IDC_PANEL_TYPE_THIS 1045       /* drop-down list: what to type */
#define IDC_PANEL_TYPE_THIS_TAIL 1050  /* "during playback." */
#define IDC_PANEL_HOTKEY_DIVIDER 1122  /* etched horizontal line above the hotkeys */
#define IDC_PANEL_RECORD_HOTKEY_LABEL 1123 /* "Record hotkey:" */
#define IDC_PANEL_RECORD_HOTKEY 1124   /* hotkey field: RecordHotkey */
#define IDC_PANEL_PLAY_HOTKEY_LABEL 1125 /* "Play hotkey:" */
#define IDC_PANEL_PLAY_HOTKEY 1126     /* hotkey field: PlayHotkey */
#define IDC_PANEL_HOTKEY_NOTE 1127     /* which hotkeys are not available; empty when all are */

/* All pages */
#define IDC_PANEL_STATUS 1069 /* bold status line */

/* ---- Advanced Options dialog (IDD_OPTIONS) ------------------------------ */

#define IDC_OPT_TABS 5002 /* tab control, created at run time */

/* Bottom buttons, on every page (OK and Cancel are IDOK and IDCANCEL) */
#define IDC_OPT_DEFAULTS 1000
#define IDC_OPT_APPLY 1001

/* Configuration page */
#define IDC_OPT_BEHAVIOR_GROUP 1092
#define IDC_OPT_EXCLUDE_OWN 1030       /* ExcludeMirlowAction */
#define IDC_OPT_QUIT_WHEN_DONE 1031    /* QuitWhenDone */
#define IDC_OPT_PROMPT_SAVE 1035       /* PromptForSave */
#define IDC_OPT_MINIMIZE 1037          /* Minimize */
#define IDC_OPT_INTERRUPT_WARNING 1039 /* InterruptWarning */
#define IDC_OPT_EDITOR_LABEL 1116
#define IDC_OPT_EDITOR 1115
#define IDC_OPT_EDITOR_BROWSE 1117

/* Value Ranges page */
#define IDC_OPT_RANGES_GROUP 1093
#define IDC_OPT_FACTOR_FAST_LABEL 1094
#define IDC_OPT_FACTOR_FAST 1016 /* FactorFast */
#define IDC_OPT_FACTOR_FAST_TAIL 1095
#define IDC_OPT_FACTOR_SLOW_LABEL 1096
#define IDC_OPT_FACTOR_SLOW 1013 /* FactorSlow */
#define IDC_OPT_FACTOR_SLOW_TAIL 1097
#define IDC_OPT_RANDOM_MIN_LABEL 1098
#define IDC_OPT_RANDOM_MIN 1025 /* RandomMin */
#define IDC_OPT_RANDOM_MAX_LABEL 1099
#define IDC_OPT_RANDOM_MAX 1027 /* RandomMax */
#define IDC_OPT_LOOP_BASE_LABEL 1100
#define IDC_OPT_LOOP_BASE 1029 /* LoopTypeBase */
#define IDC_OPT_WINDOW_WAIT_LABEL 1119
#define IDC_OPT_WINDOW_WAIT 1120 /* WindowWait */
#define IDC_OPT_WINDOW_WAIT_TAIL 1121

/* Log Settings page */
#define IDC_OPT_LOG_GROUP 1101
#define IDC_OPT_LOG_LEVEL 1091 /* vertical trackbar, 0 OFF to 3 HIGH */
#define IDC_OPT_LOG_OFF_LABEL 1102
#define IDC_OPT_LOG_LOW_LABEL 1105
#define IDC_OPT_LOG_MEDIUM_LABEL 1107
#define IDC_OPT_LOG_HIGH_LABEL 1108
#define IDC_OPT_LOGFILE_LABEL 1112
#define IDC_OPT_LOGFILE 1111
#define IDC_OPT_LOGFILE_BROWSE 1113
#define IDC_OPT_RESTART_LOG 1103 /* RestartLog */

/* ---- Shared ------------------------------------------------------------- */

#ifndef IDC_STATIC
#define IDC_STATIC (-1) /* labels the code never addresses */
#endif

#endif /* MIRLOW_RESOURCE_H */
