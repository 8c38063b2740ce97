// The program's resources as the window code loads them: menus by position,
// pictures with the sizes and depths the views and the status display expect,
// icons with both sizes, dialogs with their controls, and the manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

HINSTANCE instance() {
  return GetModuleHandleA(nullptr);
}

std::string loadString(int id) {
  char text[261] = {};
  LoadStringA(instance(), id, text, sizeof text);
  return text;
}

struct Item {
  int id;  // 0 for a separator
  const char* text;
};

std::vector<Item> menuItems(HMENU menu) {
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    static char texts[32][64];
    GetMenuStringA(menu, i, texts[i], sizeof texts[i], MF_BYPOSITION);
    items.push_back({static_cast<int>(GetMenuItemID(menu, i)), texts[i]});
  }
  return items;
}

void expectItems(HMENU menu, const std::vector<Item>& expected, const char* what) {
  std::vector<Item> items = menuItems(menu);
  ASSERT_EQ(items.size(), expected.size()) << what;
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].id, expected[i].id) << what << " item " << i;
    EXPECT_STREQ(items[i].text, expected[i].text) << what << " item " << i;
  }
}

TEST(Resources, StringsForTheWindowAndTheRegistry) {
  EXPECT_EQ(loadString(IDS_PROGRAM_TITLE), "Korrin");
  EXPECT_EQ(loadString(IDS_MAIN_CLASS), "Korrin199909");
  EXPECT_EQ(loadString(IDS_SOFTWARE), "Software");
  EXPECT_EQ(loadString(IDS_COMPANY), "Brightfen");
  EXPECT_EQ(loadString(IDS_CURRENT_VERSION), "CurrentVersion");
  EXPECT_EQ(loadString(IDS_ISO), "ISO");
  EXPECT_EQ(loadString(IDS_FILES), "Files");
}

TEST(Resources, MainMenuHoldsExitAndAbout) {
  HMENU menu = LoadMenuA(instance(), MAKEINTRESOURCEA(IDM_MAIN));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  expectItems(GetSubMenu(menu, 0), {{IDC_EXIT, "E&xit"}}, "File");
  expectItems(GetSubMenu(menu, 1), {{IDC_ABOUT, "&About Korrin..."}}, "Help");
  DestroyMenu(menu);
}

TEST(Resources, ContextMenusSitAtTheirPositions) {
  HMENU menu = LoadMenuA(instance(), MAKEINTRESOURCEA(IDM_CONTEXT));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 11);
  const char* titles[] = {"&File", "&Edit",   "Sample&r", "&Disk", "&Bank", "&Preset",
                          "&Zone", "&Sample", "&Floppy",  "&View", "&Help"};
  for (int pos = 0; pos < 11; ++pos) {
    char title[64] = {};
    GetMenuStringA(menu, pos, title, sizeof title, MF_BYPOSITION);
    EXPECT_STREQ(title, titles[pos]);
    bool plain =
        pos == IDM_POS_FILE || pos == IDM_POS_EDIT || pos == IDM_POS_VIEW || pos == IDM_POS_HELP;
    EXPECT_EQ(GetSubMenu(menu, pos) == nullptr, plain) << titles[pos];
  }
  expectItems(GetSubMenu(menu, IDM_POS_SAMPLER),
              {{32819, "&Refresh"}, {32814, "&Transmit Sample..."}}, "Sampler");
  expectItems(GetSubMenu(menu, IDM_POS_DISK),
              {{32817, "Refres&h"},
               {32797, "&Add..."},
               {32816, "&Remove"},
               {32784, "&Import &Bank..."},
               {32822, "Import &Empty Bank"},
               {0, ""},
               {32774, "&Properties..."}},
              "Disk");
  expectItems(GetSubMenu(menu, IDM_POS_BANK),
              {{32782, "&Export..."},
               {32787, "&Delete"},
               {32788, "&Rename..."},
               {32786, "&Renumber..."},
               {0, ""},
               {32775, "&Properties..."}},
              "Bank");
  expectItems(GetSubMenu(menu, IDM_POS_PRESET),
              {{32795, "Place &Sample..."},
               {32790, "&Delete"},
               {32789, "&Rename..."},
               {32783, "&Duplicate..."},
               {0, ""},
               {32776, "&Properties..."}},
              "Preset");
  expectItems(GetSubMenu(menu, IDM_POS_ZONE),
              {{32791, "&Delete"}, {32792, "&Reassign..."}, {0, ""}, {32777, "&Properties..."}},
              "Zone");
  expectItems(GetSubMenu(menu, IDM_POS_SAMPLE),
              {{32793, "&Delete"},
               {32794, "&Rename..."},
               {32780, "&Receive Sample..."},
               {0, ""},
               {32778, "&Properties..."}},
              "Sample");
  expectItems(GetSubMenu(menu, IDM_POS_FLOPPY), {{32823, "&Import WAV to ESi floppy..."}},
              "Floppy");
  // The program drops Rename from the Sample menu when it loads the menu.
  EXPECT_TRUE(DeleteMenu(menu, IDC_RENAME_SAMPLE, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, IDM_POS_SAMPLE)), 4);
  DestroyMenu(menu);
}

struct Dib {
  HBITMAP bitmap = nullptr;
  DIBSECTION info = {};
  explicit Dib(int id) {
    bitmap = static_cast<HBITMAP>(
        LoadImageA(instance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap)
      GetObjectA(bitmap, sizeof info, &info);
  }
  ~Dib() { DeleteObject(bitmap); }
  COLORREF pixel(int x, int y) const {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
  }
};

::testing::AssertionResult hasShape(const Dib& dib, int width, int height, int bits) {
  const BITMAP& bm = dib.info.dsBm;
  if (dib.bitmap && bm.bmWidth == width && bm.bmHeight == height && bm.bmBitsPixel == bits)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << (dib.bitmap ? "" : "missing ") << bm.bmWidth << "x"
                                       << bm.bmHeight << "x" << bm.bmBitsPixel;
}

const COLORREF kPanel = RGB(140, 165, 132), kUnlit = RGB(120, 160, 120), kInk = RGB(0, 0, 0);

TEST(Resources, StatusDisplayPicturesHaveTheirSizesAndColours) {
  Dib strip(IDB_GLYPHS);
  ASSERT_TRUE(hasShape(strip, 1536, 9, 8));
  // The full cell (code 127) and the blank (code 32): ink or unlit dots, then
  // the spacing column and row in the panel colour.
  for (int y = 0; y < 8; ++y) {
    EXPECT_EQ(strip.pixel(127 * 6 + 2, y), kInk);
    EXPECT_EQ(strip.pixel(32 * 6 + 2, y), kUnlit);
    EXPECT_EQ(strip.pixel(127 * 6 + 5, y), kPanel);
  }
  EXPECT_EQ(strip.pixel(127 * 6 + 2, 8), kPanel);
  // The empty middle segment (code 0): frame lines only.
  EXPECT_EQ(strip.pixel(2, 0), kInk);
  EXPECT_EQ(strip.pixel(2, 4), kUnlit);
  EXPECT_EQ(strip.pixel(2, 7), kInk);

  Dib background(IDB_LCD_BACKGROUND);
  ASSERT_TRUE(hasShape(background, 365, 228, 8));
  EXPECT_EQ(background.pixel(0, 0), kPanel);
  EXPECT_EQ(background.pixel(244, 74), kPanel);
}

TEST(Resources, SplashKeepsItsTextStripPlain) {
  Dib splash(IDB_SPLASH);
  ASSERT_TRUE(hasShape(splash, 200, 120, 8));
  COLORREF strip = splash.pixel(3, 98);
  for (int y = 98; y <= 118; y += 2)
    for (int x = 3; x <= 197; x += 2)
      ASSERT_EQ(splash.pixel(x, y), strip) << x << "," << y;
}

TEST(Resources, TreePicturesAreThirtyTwoBySeventeenInTrueColour) {
  for (int type = 0; type < 18; ++type)
    EXPECT_TRUE(hasShape(Dib(kTreeBitmapIds[type]), 32, 17, 24)) << "type " << type;
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(Resources, ListIconsCarryBothSizesWithMasks) {
  for (int type = 0; type < 18; ++type) {
    int id = kListIconIds[type];
    HRSRC found = FindResourceA(instance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
    ASSERT_NE(found, nullptr) << "icon " << id;
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(instance(), found)));
    WORD count = *reinterpret_cast<const WORD*>(group + 4);
    ASSERT_EQ(count, 2) << "icon " << id;
    const GroupIconEntry* entries = reinterpret_cast<const GroupIconEntry*>(group + 6);
    EXPECT_EQ(entries[0].width, 32);
    EXPECT_EQ(entries[1].width, 16);
    for (int i = 0; i < 2; ++i)
      EXPECT_EQ(entries[i].bitCount, 24) << "icon " << id;
    for (int size : {16, 32}) {
      HICON icon = static_cast<HICON>(
          LoadImageA(instance(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << "icon " << id << " size " << size;
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      EXPECT_NE(info.hbmMask, nullptr);
      DeleteObject(info.hbmMask);
      DeleteObject(info.hbmColor);
      DestroyIcon(icon);
    }
  }
}

struct Control {
  int id;
  const char* className;
  DWORD style;  // bits the control must have
};

INT_PTR CALLBACK passiveDialog(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

void expectDialog(int id, const char* caption, const std::vector<Control>& controls) {
  HWND dialog = CreateDialogParamA(instance(), MAKEINTRESOURCEA(id), nullptr, passiveDialog, 0);
  ASSERT_NE(dialog, nullptr) << "dialog " << id;
  char text[128] = {};
  GetWindowTextA(dialog, text, sizeof text);
  EXPECT_STREQ(text, caption);
  for (const Control& c : controls) {
    HWND control = GetDlgItem(dialog, c.id);
    ASSERT_NE(control, nullptr) << caption << " control " << c.id;
    char cls[64] = {};
    GetClassNameA(control, cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, c.className) << caption << " control " << c.id;
    DWORD style = GetWindowLongA(control, GWL_STYLE);
    EXPECT_EQ(style & c.style, c.style) << caption << " control " << c.id;
  }
  DestroyWindow(dialog);
}

TEST(Resources, DialogsHoldTheControlsTheCodeAddresses) {
  const DWORD readOnly = ES_READONLY;
  const DWORD dropList = CBS_DROPDOWNLIST;
  expectDialog(IDD_BANK_PROPERTIES, "Bank properties",
               {{IDC_BANK_NAME, "Edit", readOnly},
                {IDC_BANK_NUMBER, "Edit", readOnly},
                {IDC_BANK_SIZE, "Edit", readOnly},
                {IDOK, "Button", BS_DEFPUSHBUTTON}});
  expectDialog(
      IDD_ADD_ISO_IMAGE, "Add ISO image",
      {{IDC_ADD_IMAGE, "Button", 0}, {IDC_CREATE_IMAGE, "Button", 0}, {IDCANCEL, "Button", 0}});
  expectDialog(IDD_SAMPLE_PROPERTIES, "Sample properties",
               {{IDC_SAMPLE_NAME, "Edit", readOnly},
                {IDC_SAMPLE_NUMBER, "Edit", readOnly},
                {IDC_SAMPLE_SIZE, "Edit", readOnly},
                {IDC_SAMPLE_CHANNELS, "Edit", readOnly},
                {IDC_SAMPLE_LENGTH, "Edit", readOnly},
                {IDOK, "Button", 0}});
  expectDialog(IDD_TRANSMIT_SAMPLE, "Transmit sample",
               {{IDC_TRANSMIT_SAMPLER, "Edit", readOnly | ES_CENTER},
                {IDC_TRANSMIT_NUMBER, "ComboBox", dropList | CBS_SORT},
                {IDC_ORIGINAL_KEY, "ComboBox", dropList},
                {IDC_KEY_FROM, "ComboBox", dropList},
                {IDC_KEY_TO, "ComboBox", dropList},
                {IDC_DONT_PLACE, "Button", BS_AUTOCHECKBOX},
                {IDC_TRANSMIT_IMPORT, "Button", BS_DEFPUSHBUTTON},
                {IDCANCEL, "Button", 0}});
  expectDialog(IDD_RENAME_BANK, "Rename bank",
               {{IDC_BANK_NAME, "Edit", 0}, {IDOK, "Button", 0}, {IDCANCEL, "Button", 0}});
  expectDialog(IDD_RENUMBER_BANK, "Renumber bank",
               {{IDC_BANK_NAME, "Static", SS_NOPREFIX},
                {IDC_BANK_NUMBER, "ComboBox", dropList},
                {IDOK, "Button", 0},
                {IDCANCEL, "Button", 0}});
}

TEST(Resources, ManifestAsksForCommonControlsOnly) {
  HRSRC found = FindResourceA(instance(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(instance(), found))),
                   SizeofResource(instance(), found));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_EQ(text.find("requestedExecutionLevel"), std::string::npos);
}

TEST(Resources, TemplatesHaveTheirSizes) {
  HRSRC image = FindResourceA(instance(), MAKEINTRESOURCEA(IDR_CD_IMAGE_TEMPLATE), "ISO");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(SizeofResource(instance(), image), 12800u);
  HRSRC bank = FindResourceA(instance(), MAKEINTRESOURCEA(IDR_EMPTY_BANK_TEMPLATE), "E3X");
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(SizeofResource(instance(), bank), 11265u);
}

}  // namespace
