// The program's resources as the window code loads them: pictures and icons in the shapes the views
// take, and the manifest. The shell's tests open every menu and dialog the code uses.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/tree.h"
#include "resources/resource_ids.h"

namespace {

HINSTANCE instance() {
  return GetModuleHandleA(nullptr);
}

// A picture or icon that will not load is replaced without a word at run time.
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
  EXPECT_EQ(shape(IDB_GLYPHS), "1536x9x8");  // a 6x9 cell for each of 256 codes
  EXPECT_EQ(shape(IDB_LCD_BACKGROUND), "365x228x8");
  EXPECT_EQ(shape(IDB_SPLASH), "200x120x8");
  for (int type = 0; type < kNodeTypeImages; ++type) {
    EXPECT_EQ(shape(kTreeBitmapIds[type]), "32x17x24") << "type " << type;
    HANDLE icon = LoadImageA(instance(), MAKEINTRESOURCEA(kListIconIds[type]), IMAGE_ICON, 0, 0, 0);
    EXPECT_NE(icon, nullptr) << "type " << type;
    DestroyIcon(static_cast<HICON>(icon));
  }
}

TEST(Resources, TheManifestAsksForCommonControlsAndNoElevation) {
  HRSRC found = FindResourceA(instance(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(instance(), found))),
                   SizeofResource(instance(), found));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_EQ(text.find("requestedExecutionLevel"), std::string::npos);
}

}  // namespace
