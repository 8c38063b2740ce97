// The main window's wiring: view notifications, menus, the status display,
// the splash and the window's own messages reach the shell's portable rules,
// whose own tests hold the rules themselves.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win32/ui_driver.h"

namespace {

using Texts = std::vector<std::string>;

TEST_F(ShellWindow, StartUpFillsTheTreeTheListFollowsAndExitClosesAll) {
  EXPECT_EQ(GetMenuState(app->contextMenus, CmdRenameSample, MF_BYCOMMAND), UINT(-1));

  int disk = firstChild(ctx(), scsi->node);
  expand(scsi->node);
  select(disk);
  EXPECT_EQ(shownRows(), (Texts{"ONE|B01|1000 bytes", "TWO|B02|1.95 K"}));
  // While busy the selection stays; labels are never edited in place.
  HTREEITEM cdrom = TreeView_GetNextSibling(app->tree, item(disk));
  ctx().busy = 1;
  TreeView_SelectItem(app->tree, cdrom);
  ctx().busy = 0;
  EXPECT_EQ(TreeView_GetSelection(app->tree), item(disk));
  EXPECT_EQ(TreeView_EditLabel(app->tree, cdrom), nullptr);
  EXPECT_EQ(ListView_EditLabel(app->list, 0), nullptr);

  // The wheel scrolls by the running count of notches, not by the notch.
  for (int i = 0; i < 100; ++i)
    app->views.listInsert(i, "row", Bank, 0);
  for (int delta : {120, 120, 120, -120})
    SendMessageA(app->window, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
  EXPECT_EQ(ListView_GetTopIndex(app->list), 4);

  SendMessageA(app->window, WM_COMMAND, CmdExit, 0);
  EXPECT_FALSE(IsWindow(app->window));
  EXPECT_EQ(ctx().settingsKey, kNoKey);
  EXPECT_EQ(app->contextMenus, nullptr);
}

TEST_F(ShellWindow, ContextMenusOpenForShownNodes) {
  int disk = firstChild(ctx(), scsi->node);
  expand(scsi->node);
  expand(disk);  // lists the disk, whose placeholder goes: later nodes move down
  ASSERT_TRUE(idle());
  int sampler = firstChild(ctx(), samplers->node);
  int floppy = addNode(ctx(), floppies->node, FloppyDrive, "A:");
  expand(samplers->node);
  expand(floppies->node);
  // The sub-menu's position in the real menus; the bank scenarios choose its items.
  auto lastMenu = [&] {
    int position = 0;
    while (position < 16 && GetSubMenu(app->contextMenus, position) != opened.back().menu)
      ++position;
    return position;
  };
  std::vector<int> shown;
  for (int node : {disk, images->driverNode(), floppy, sampler}) {
    onTree(node, 0);
    shown.push_back(lastMenu());
  }
  EXPECT_EQ(shown, (std::vector<int>{DiskMenu, DiskMenu, FloppyMenu, SamplerMenu}));
  select(disk);
  onRows({ctx().nodes[addNode(ctx(), disk, Sample, "KICK")].listItem}, 0);
  EXPECT_EQ(lastMenu(), SampleMenu);

  // Empty space stands for the drop target: here the disk, hidden under its
  // collapsed driver, which has no menu.
  std::size_t before = opened.size();
  TreeView_Expand(app->tree, item(scsi->node), TVE_COLLAPSE);
  TreeView_SelectDropTarget(app->tree, item(disk));
  onTree(0, 0);
  EXPECT_EQ(opened.size(), before);
}

TEST_F(ShellWindow, StatusDisplayDrawsPopsUpAndGoesOnTicks) {
  HWND display = app->screen.display;
  ctx().lcd.LcdSelectPage(4);
  ctx().lcd.LcdPrint("H");
  // The glyph's dots are drawn in ink in its cell; the next cell stays unlit.
  HDC dc = GetDC(display);
  int dots[2] = {};
  for (int y = 2; y < 11; ++y)
    for (int x = 3; x < 15; ++x)
      dots[x >= 9] += GetPixel(dc, x, y) == RGB(0, 0, 0);
  ReleaseDC(display, dc);
  EXPECT_EQ(dots[0], 17);  // two 7-dot uprights and the bar's 3 inner dots
  EXPECT_EQ(dots[1], 0);
  for (int tick = 0; tick < 20 && ctx().lcd.visible(); ++tick)
    SendMessageA(display, WM_TIMER, 1, 0);
  EXPECT_FALSE(IsWindowVisible(display));

  ctx().lcd.LcdPrint("again");
  EXPECT_TRUE(IsWindowVisible(display));
}

TEST_F(ShellWindow, ASecondCopyMakesTheFirstSayAlreadyRunningUntilItsSplashGoes) {
  char self[MAX_PATH];
  std::string korrin(self, GetModuleFileNameA(nullptr, self, sizeof self));
  korrin.replace(korrin.rfind('\\') + 1, std::string::npos, "Korrin.exe");
  EXPECT_EQ(runProgram(korrin, "Korrin.exe", 20000), 0);
  HWND splash = app->screen.splash;
  ASSERT_TRUE(IsWindow(splash));
  EXPECT_TRUE(ctx().splash.alreadyRunning());
  SendMessageA(splash, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(splash));
  SendMessageA(splash, WM_TIMER, 1, 0);
  EXPECT_FALSE(IsWindow(splash));
  EXPECT_FALSE(ctx().splash.shown() || ctx().splash.alreadyRunning());
}

}  // namespace
