#pragma once
// Numeric identifiers of Korrin's resources, shared by the resource script and
// the code. Plain numbers only above the RC_INVOKED guard: the resource
// compiler reads this file too.

// Strings.
#define IDS_PROGRAM_TITLE 103
#define IDS_MAIN_CLASS 109
#define IDS_SOFTWARE 110
#define IDS_COMPANY 111
#define IDS_CURRENT_VERSION 112
#define IDS_ISO 300
#define IDS_FILES 301

// Menus. The context menu resource holds one sub-menu per kind of node, by position.
#define IDM_CONTEXT 109
#define IDM_MAIN 111
#define IDM_POS_FILE 0
#define IDM_POS_EDIT 1
#define IDM_POS_SAMPLER 2
#define IDM_POS_DISK 3
#define IDM_POS_BANK 4
#define IDM_POS_PRESET 5
#define IDM_POS_ZONE 6
#define IDM_POS_SAMPLE 7
#define IDM_POS_FLOPPY 8
#define IDM_POS_VIEW 9
#define IDM_POS_HELP 10
#define IDM_POS_BANK_CONTENTS 11

// Menu commands.
#define IDC_EXIT 105
#define IDC_ABOUT 32809
#define IDC_SAMPLER_REFRESH 32819
#define IDC_TRANSMIT_SAMPLE 32814
#define IDC_DISK_REFRESH 32817
#define IDC_DISK_ADD 32797
#define IDC_DISK_REMOVE 32816
#define IDC_IMPORT_BANK 32784
#define IDC_IMPORT_EMPTY_BANK 32822
#define IDC_DISK_PROPERTIES 32774
#define IDC_EXPORT_BANK 32782
#define IDC_DELETE_BANK 32787
#define IDC_RENAME_BANK 32788
#define IDC_RENUMBER_BANK 32786
#define IDC_BANK_PROPERTIES 32775
#define IDC_PLACE_SAMPLE 32795
#define IDC_DELETE_PRESET 32790
#define IDC_RENAME_PRESET 32789
#define IDC_DUPLICATE_PRESET 32783
#define IDC_PRESET_PROPERTIES 32776
#define IDC_DELETE_ZONE 32791
#define IDC_REASSIGN_ZONE 32792
#define IDC_ZONE_PROPERTIES 32777
#define IDC_DELETE_SAMPLE 32793
#define IDC_RENAME_SAMPLE 32794  // removed from the menu when it is loaded
#define IDC_RECEIVE_SAMPLE 32780
#define IDC_SAMPLE_PROPERTIES 32778
#define IDC_IMPORT_WAV_TO_FLOPPY 32823
#define IDC_OPEN_BANK 32824
#define IDC_OPEN_BANK_FILE 32825
#define IDC_EXTRACT_SAMPLES 32826
#define IDC_EXTRACT_ALL_SAMPLES 32827
#define IDC_NEW_BANK_FROM_WAV 32828
#define IDC_NEW_BANK_FILE_FROM_WAV 32829
#define IDC_VIEW_ICONS 32800  // the list view modes; no menu offers them
#define IDC_VIEW_SMALL_ICONS 32801
#define IDC_VIEW_LIST 32802
#define IDC_VIEW_DETAILS 32803

// Pictures of the status display and the splash.
#define IDB_LCD_BACKGROUND 202
#define IDB_GLYPHS 165
#define IDB_SPLASH 130

// Tree view pictures (32x17, 24-bit), named by what they show. Several node
// types share one: see kTreeBitmapIds for the order of the image list.
#define IDB_TREE_ROOT 181
#define IDB_TREE_DISK_OS 194
#define IDB_TREE_BANK 174
#define IDB_TREE_SAMPLER 176
#define IDB_TREE_PRESET 172
#define IDB_TREE_ZONE 177
#define IDB_TREE_SAMPLE 173
#define IDB_TREE_FLOPPY_DRIVE 179
#define IDB_TREE_FIXED_DISK 182
#define IDB_TREE_REMOVABLE_DISK 180
#define IDB_TREE_CDROM_DRIVE 183
#define IDB_TREE_IMAGE_FILE 195
#define IDB_TREE_PLACEHOLDER 196
#define IDB_TREE_FLOPPY_DISK_OS 203
#define IDB_TREE_FOLDER 213
#define IDB_TREE_DOCUMENT 214

// List view icons (32x32 and 16x16, 24-bit with mask); IDI_MAIN is also the
// program's icon. See kListIconIds for the order of the image lists.
#define IDI_MAIN 133
#define IDI_DISK_OS 196
#define IDI_BANK 184
#define IDI_SAMPLER 183
#define IDI_PRESET 179
#define IDI_ZONE 182
#define IDI_SAMPLE 180
#define IDI_FLOPPY_DRIVE 188
#define IDI_FIXED_DISK 187
#define IDI_REMOVABLE_DISK 189
#define IDI_CDROM_DRIVE 186
#define IDI_IMAGE_FILE 194
#define IDI_PLACEHOLDER 195
#define IDI_FLOPPY_DISK_OS 197
#define IDI_FOLDER 210
#define IDI_DOCUMENT 209

// Templates: custom resources of type "ISO" and "E3X".
#define IDR_CD_IMAGE_TEMPLATE 198
#define IDR_EMPTY_BANK_TEMPLATE 203
#define IDR_FLOPPY_TEMPLATE 204

// Dialogs.
#define IDD_BANK_PROPERTIES 197
#define IDD_ADD_ISO_IMAGE 198
#define IDD_SAMPLE_PROPERTIES 202
#define IDD_TRANSMIT_SAMPLE 203
#define IDD_RENAME_BANK 204
#define IDD_RENUMBER_BANK 205
#define IDD_NEW_BANK 206

// Dialog controls. The bank dialogs share Name/Number/Size; the Renumber
// dialog shows the name in a static control and the number in a combo box.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_BANK_NAME 1018
#define IDC_BANK_NUMBER 1019
#define IDC_BANK_SIZE 1020
#define IDC_ADD_IMAGE 1019
#define IDC_CREATE_IMAGE 1020
#define IDC_SAMPLE_NAME 1018
#define IDC_SAMPLE_NUMBER 1019
#define IDC_SAMPLE_SIZE 1020
#define IDC_SAMPLE_CHANNELS 1021
#define IDC_SAMPLE_LENGTH 1022
#define IDC_TRANSMIT_SAMPLER 1023
#define IDC_TRANSMIT_NUMBER 1022
#define IDC_ORIGINAL_KEY 1006
#define IDC_KEY_FROM 1007
#define IDC_KEY_TO 1008
#define IDC_DONT_PLACE 1001
#define IDC_TRANSMIT_IMPORT 1021

#ifndef RC_INVOKED
// The image lists hold one picture per node type, in type order (0..19);
// node types 3, 5, 16 and 17 have pictures but no nodes. An opened bank and
// its samples show the bank's and the sample's pictures.
inline constexpr int kTreeBitmapIds[20] = {
    IDB_TREE_ROOT,         IDB_TREE_DISK_OS,     IDB_TREE_BANK,           IDB_TREE_SAMPLER,
    IDB_TREE_PRESET,       IDB_TREE_ZONE,        IDB_TREE_SAMPLE,         IDB_TREE_SAMPLER,
    IDB_TREE_FLOPPY_DRIVE, IDB_TREE_FIXED_DISK,  IDB_TREE_REMOVABLE_DISK, IDB_TREE_CDROM_DRIVE,
    IDB_TREE_IMAGE_FILE,   IDB_TREE_PLACEHOLDER, IDB_TREE_BANK,           IDB_TREE_FLOPPY_DISK_OS,
    IDB_TREE_FOLDER,       IDB_TREE_DOCUMENT,    IDB_TREE_BANK,           IDB_TREE_SAMPLE,
};
inline constexpr int kListIconIds[20] = {
    IDI_MAIN,           IDI_DISK_OS,     IDI_BANK,       IDI_SAMPLER,      IDI_PRESET,
    IDI_ZONE,           IDI_SAMPLE,      IDI_SAMPLER,    IDI_FLOPPY_DRIVE, IDI_FIXED_DISK,
    IDI_REMOVABLE_DISK, IDI_CDROM_DRIVE, IDI_IMAGE_FILE, IDI_PLACEHOLDER,  IDI_BANK,
    IDI_FLOPPY_DISK_OS, IDI_FOLDER,      IDI_DOCUMENT,   IDI_BANK,         IDI_SAMPLE,
};
#endif
