// The program's resources as the window code loads them: the strings it
// reads, the menus by position with the commands it answers, pictures and
// icons in the shapes the views take, the dialogs' controls and the templates.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

HINSTANCE instance() {
  return GetModuleHandleA(nullptr);
}

TEST(Resources, StringsForTheWindowAndTheRegistry) {
  const std::pair<int, const char*> strings[] = {{IDS_PROGRAM_TITLE, "Korrin"},
                                                 {IDS_MAIN_CLASS, "Korrin199909"},
                                                 {IDS_SOFTWARE, "Software"},
                                                 {IDS_COMPANY, "Brightfen"},
                                                 {IDS_CURRENT_VERSION, "CurrentVersion"},
                                                 {IDS_ISO, "ISO"},
                                                 {IDS_FILES, "Files"}};
  for (const auto& s : strings) {
    char text[64] = {};
    LoadStringA(instance(), s.first, text, sizeof text);
    EXPECT_STREQ(text, s.second) << s.first;
  }
}

// The command ids of a menu's items, 0 for a separator, and their texts joined.
std::string menuItems(HMENU menu) {
  std::string out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[64] = {};
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    out += std::to_string(GetMenuItemID(menu, i)) + " " + text + "|";
  }
  return out;
}

TEST(Resources, MenusSitAtTheirPositions) {
  HMENU main = LoadMenuA(instance(), MAKEINTRESOURCEA(IDM_MAIN));
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(
      menuItems(GetSubMenu(main, 0)) + menuItems(GetSubMenu(main, 1)),
      std::to_string(IDC_EXIT) + " E&xit|" + std::to_string(IDC_ABOUT) + " &About Korrin...|");
  DestroyMenu(main);

  HMENU menu = LoadMenuA(instance(), MAKEINTRESOURCEA(IDM_CONTEXT));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 11);
  const char* items[] = {
      "",
      "",
      "32819 &Refresh|32814 &Transmit Sample...|",
      "32817 Refres&h|32797 &Add...|32816 &Remove|32784 &Import &Bank...|"
      "32822 Import &Empty Bank|0 |32774 &Properties...|",
      "32782 &Export...|32787 &Delete|32788 &Rename...|32786 &Renumber...|0 |32775 "
      "&Properties...|",
      "32795 Place &Sample...|32790 &Delete|32789 &Rename...|32783 &Duplicate...|0 |32776 "
      "&Properties...|",
      "32791 &Delete|32792 &Reassign...|0 |32777 &Properties...|",
      "32793 &Delete|32794 &Rename...|32780 &Receive Sample...|0 |32778 &Properties...|",
      "32823 &Import WAV to ESi floppy...|",
      "",
      ""};
  for (int pos = 0; pos < 11; ++pos)
    EXPECT_EQ(menuItems(GetSubMenu(menu, pos)), items[pos]) << "position " << pos;
  DestroyMenu(menu);
}

TEST(Resources, PicturesAndIconsHaveTheShapesTheViewsTake) {
  auto shape = [](int id) {
    BITMAP bm = {};
    HANDLE b =
        LoadImageA(instance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    GetObjectA(b, sizeof bm, &bm);
    DeleteObject(b);
    return std::to_string(bm.bmWidth) + "x" + std::to_string(bm.bmHeight) + "x" +
           std::to_string(bm.bmBitsPixel);
  };
  EXPECT_EQ(shape(IDB_GLYPHS), "1536x9x8");
  EXPECT_EQ(shape(IDB_LCD_BACKGROUND), "365x228x8");
  EXPECT_EQ(shape(IDB_SPLASH), "200x120x8");
  for (int type = 0; type < 18; ++type) {
    EXPECT_EQ(shape(kTreeBitmapIds[type]), "32x17x24") << "type " << type;
    for (int size : {16, 32}) {
      HICON icon = static_cast<HICON>(
          LoadImageA(instance(), MAKEINTRESOURCEA(kListIconIds[type]), IMAGE_ICON, size, size, 0));
      ICONINFO info = {};
      ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << "type " << type << " size " << size;
      EXPECT_NE(info.hbmMask, nullptr);
      DeleteObject(info.hbmMask);
      DeleteObject(info.hbmColor);
      DestroyIcon(icon);
    }
  }
}

INT_PTR CALLBACK passiveDialog(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

TEST(Resources, DialogsHoldTheControlsTheCodeAddresses) {
  const std::pair<int, std::vector<int>> dialogs[] = {
      {IDD_BANK_PROPERTIES, {IDC_BANK_NAME, IDC_BANK_NUMBER, IDC_BANK_SIZE, IDOK}},
      {IDD_ADD_ISO_IMAGE, {IDC_ADD_IMAGE, IDC_CREATE_IMAGE, IDCANCEL}},
      {IDD_SAMPLE_PROPERTIES,
       {IDC_SAMPLE_NAME, IDC_SAMPLE_NUMBER, IDC_SAMPLE_SIZE, IDC_SAMPLE_CHANNELS, IDC_SAMPLE_LENGTH,
        IDOK}},
      {IDD_TRANSMIT_SAMPLE,
       {IDC_TRANSMIT_SAMPLER, IDC_TRANSMIT_NUMBER, IDC_ORIGINAL_KEY, IDC_KEY_FROM, IDC_KEY_TO,
        IDC_DONT_PLACE, IDC_TRANSMIT_IMPORT, IDCANCEL}},
      {IDD_RENAME_BANK, {IDC_BANK_NAME, IDOK, IDCANCEL}},
      {IDD_RENUMBER_BANK, {IDC_BANK_NAME, IDC_BANK_NUMBER, IDOK, IDCANCEL}}};
  for (const auto& d : dialogs) {
    HWND dialog =
        CreateDialogParamA(instance(), MAKEINTRESOURCEA(d.first), nullptr, passiveDialog, 0);
    ASSERT_NE(dialog, nullptr) << "dialog " << d.first;
    for (int id : d.second)
      EXPECT_NE(GetDlgItem(dialog, id), nullptr) << "dialog " << d.first << " control " << id;
    DestroyWindow(dialog);
  }
}

TEST(Resources, TemplatesAndManifest) {
  HRSRC image = FindResourceA(instance(), MAKEINTRESOURCEA(IDR_CD_IMAGE_TEMPLATE), "ISO");
  HRSRC bank = FindResourceA(instance(), MAKEINTRESOURCEA(IDR_EMPTY_BANK_TEMPLATE), "E3X");
  EXPECT_EQ(SizeofResource(instance(), image), 12800u);
  EXPECT_EQ(SizeofResource(instance(), bank), 11265u);
  HRSRC found = FindResourceA(instance(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(instance(), found))),
                   SizeofResource(instance(), found));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_EQ(text.find("requestedExecutionLevel"), std::string::npos);
}

}  // namespace
