// The main window's wiring: view notifications, menus, the status display,
// the splash and the window's own messages reach the shell's portable rules,
// whose own tests hold the rules themselves.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "tests/win32/ui_driver.h"

namespace {

using Texts = std::vector<std::string>;
using Menu = std::pair<int, std::vector<UINT>>;

TEST_F(ShellWindow, StartUpFillsTheTreeTheListFollowsAndExitClosesAll) {
  EXPECT_EQ(GetMenuState(app->contextMenus, CmdRenameSample, MF_BYCOMMAND), UINT(-1));
  for (UINT command : {CmdExit, CmdAbout})
    EXPECT_NE(GetMenuState(app->mainMenu, command, MF_BYCOMMAND), UINT(-1)) << command;

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

  // View > Large Icons, Small Icons, List and Details, whose ids follow one another.
  const LONG styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  for (int i = 0; i < 4; ++i) {
    SendMessageA(app->window, WM_COMMAND, CmdViewIcons + i, 0);
    EXPECT_EQ(GetWindowLongA(app->list, GWL_STYLE) & LVS_TYPEMASK, styles[i]) << i;
  }

  // The list fills what the tree leaves, down to nothing.
  for (int width : {700, 250}) {
    SetWindowPos(app->window, nullptr, 0, 0, width, 400, SWP_NOMOVE | SWP_NOZORDER);
    RECT client, list;
    GetClientRect(app->window, &client);
    GetWindowRect(app->list, &list);
    MapWindowPoints(nullptr, app->window, reinterpret_cast<POINT*>(&list), 2);
    EXPECT_EQ(list.right, std::max(client.right, list.left)) << width;
    EXPECT_EQ(list.bottom, client.bottom - 1) << width;
  }

  SendMessageA(app->window, WM_COMMAND, CmdExit, 0);
  EXPECT_FALSE(IsWindow(app->window));
  EXPECT_EQ(ctx().settingsKey, kNoKey);
  EXPECT_EQ(app->contextMenus, nullptr);
}

TEST_F(ShellWindow, ContextMenusOpenForShownNodesWithTheShellsItemsEnabled) {
  int disk = firstChild(ctx(), scsi->node);
  expand(scsi->node);
  expand(disk);  // lists the disk, whose placeholder goes: later nodes move down
  ASSERT_TRUE(idle());
  int sampler = firstChild(ctx(), samplers->node);
  int floppy = addNode(ctx(), floppies->node, FloppyDrive, "A:");
  expand(samplers->node);
  expand(floppies->node);
  ctx().nodes[sampler].ready = 1;
  // The sub-menu's position in the real menus, then its enabled items in order.
  auto lastMenu = [&] {
    int position = 0;
    while (position < 16 && GetSubMenu(app->contextMenus, position) != opened.back().menu)
      ++position;
    return Menu{position, opened.back().enabled};
  };
  const std::pair<int, Menu> menus[] = {
      {disk, {DiskMenu, {CmdDiskRefresh, CmdImportBank, CmdImportEmptyBank}}},
      {images->driverNode(), {DiskMenu, {CmdAdd}}},
      {floppy, {FloppyMenu, {CmdImportWav}}},
      {sampler, {SamplerMenu, {CmdSamplerRefresh, CmdTransmitSample}}},
  };
  for (const auto& m : menus) {
    onTree(m.first, 0);
    EXPECT_EQ(lastMenu(), m.second) << "node " << m.first;
  }
  select(disk);
  onRows({ctx().nodes[addNode(ctx(), disk, Sample, "KICK")].listItem}, 0);
  EXPECT_EQ(lastMenu(),
            (Menu{SampleMenu, {CmdDeleteSample, CmdReceiveSample, CmdSampleProperties}}));

  // Empty space stands for the drop target: here the disk, hidden under its
  // collapsed driver, which has no menu.
  std::size_t before = opened.size();
  TreeView_Expand(app->tree, item(scsi->node), TVE_COLLAPSE);
  TreeView_SelectDropTarget(app->tree, item(disk));
  onTree(0, 0);
  EXPECT_EQ(opened.size(), before);
}

TEST_F(ShellWindow, StatusDisplayDrawsPopsUpGoesOnTicksAndCannotBeClosed) {
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
  ASSERT_TRUE(IsWindowVisible(display));
  SendMessageA(display, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(display));
  // Dragging moves the window by the pointer's travel and keeps its size.
  RECT before, after;
  GetWindowRect(display, &before);
  SendMessageA(display, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageA(display, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 25));
  SendMessageA(display, WM_LBUTTONUP, 0, MAKELPARAM(30, 25));
  GetWindowRect(display, &after);
  EXPECT_EQ(after.left - before.left, 20);
  EXPECT_EQ(after.top - before.top, 15);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
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
