#pragma once
// Numeric identifiers of Korrin's resources, shared by the resource script and the code.
#define IDS_PROGRAM_TITLE 103
#define IDS_MAIN_CLASS 109
#define IDS_SOFTWARE 110
#define IDS_COMPANY 111
#define IDS_CURRENT_VERSION 112
#define IDS_ISO 300
#define IDS_FILES 301

#define IDM_CONTEXT 109
#define IDM_MAIN 111
#define IDI_MAIN 133

#define IDB_LCD_BACKGROUND 202
#define IDB_GLYPHS 165
#define IDB_SPLASH 130

#define IDC_EXIT 105
#define IDC_ABOUT 32809
