// The main window, its views, menus, status display and splash, driven
// in-process by messages as the user would drive them.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>
#include <memory>
#include <set>

#include "app/win32/main_window.h"
#include "media/cd_image_driver.h"
#include "tests/support/fake_driver.h"
#include "tests/win32/ui_driver.h"

namespace {

std::set<UINT> ids(std::initializer_list<UINT> list) {
  return std::set<UINT>(list);
}

class ShellWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    forgetRegisteredImages();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    app = std::make_unique<MainWindow>(instance, "Korrin", "Korrin199909");
    ShellContext& c = app->ctx;
    loadMenus(*app);
    ASSERT_TRUE(registerWindowClasses(instance, app->mainClassName));
    scsi = add(std::make_unique<FakeDriver>(c, "SCSI Disks"));
    scsi->scanDevices = {FixedDisk, CdRomDrive};
    scsi->banks = {{1, "ONE", 1000}, {2, "TWO", 2000}};
    images = add(std::make_unique<CdImageDriver>(c));
    floppies = add(std::make_unique<FakeDriver>(c, "Floppy drives", FloppyDiskOsNode));
    samplers = add(std::make_unique<FakeDriver>(c, "Samplers", SamplerDiskOsNode));
    samplers->scanDevices = {Sampler};
    createMainWindows(*app, SW_SHOWNORMAL);
    ASSERT_TRUE(pumpUntil([&] { return !c.busy && !c.splash.shown(); }));
  }

  void TearDown() override {
    if (!app)
      return;
    pumpUntil([&] { return !app->ctx.busy; });
    if (IsWindow(app->window))
      DestroyWindow(app->window);
    pumpFor(20);
    app.reset();
  }

  template <typename Driver>
  Driver* add(std::unique_ptr<Driver> driver) {
    Driver* raw = driver.get();
    app->ctx.drivers.push_back(std::move(driver));
    app->startupDrivers.push_back(raw);
    return raw;
  }

  ShellContext& ctx() { return app->ctx; }
  HTREEITEM item(int node) { return reinterpret_cast<HTREEITEM>(ctx().nodes[node].treeItem); }
  int device(const FakeDriver& driver, int type) {
    for (int i = 1; i < ctx().nodes.count; ++i) {
      if (ctx().nodes[i].parent == driver.node && ctx().nodes[i].type == type)
        return i;
    }
    return 0;
  }
  void expand(int node) { TreeView_Expand(app->tree, item(node), TVE_EXPAND); }
  void select(int node) { TreeView_SelectItem(app->tree, item(node)); }
  HTREEITEM selectedItem() { return TreeView_GetSelection(app->tree); }
  int rows() { return ListView_GetItemCount(app->list); }
  std::string rowText(int row, int column) { return listCellText(app->list, row, column); }
  void selectRows(std::initializer_list<int> chosen) {
    ListView_SetItemState(app->list, -1, 0, LVIS_SELECTED);
    for (int row : chosen)
      ListView_SetItemState(app->list, row, LVIS_SELECTED, LVIS_SELECTED);
  }
  void notify(HWND from, UINT code) {
    NMHDR header = {from, 0, code};
    SendMessageA(app->window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  }
  // Right-clicks the item (or empty space below the items) with the pointer over it.
  void rightClickTree(int node) {
    POINT at = {200, 500};
    if (node != 0) {
      // The message takes the item in the rectangle it fills.
      RECT r;
      HTREEITEM handle = item(node);
      std::memcpy(&r, &handle, sizeof handle);
      ASSERT_TRUE(SendMessageA(app->tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
      at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    ClientToScreen(app->tree, &at);
    SetCursorPos(at.x, at.y);
    notify(app->tree, NM_RCLICK);
  }
  void rightClickList() { notify(app->list, NM_RCLICK); }
  HMENU subMenu(int position) { return GetSubMenu(app->contextMenus, position); }
  std::set<UINT> enabled(const OpenedMenu& m) {
    return std::set<UINT>(m.enabled.begin(), m.enabled.end());
  }
  RECT childRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, app->window, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  std::unique_ptr<MainWindow> app;
  FakeDriver* scsi = nullptr;
  CdImageDriver* images = nullptr;
  FakeDriver* floppies = nullptr;
  FakeDriver* samplers = nullptr;
};

TEST_F(ShellWindow, StartUpRegistersTheDriversAndOpensTheTree) {
  ShellContext& c = ctx();
  ASSERT_EQ(c.diskOses.count, 4);
  EXPECT_EQ(c.diskOses.entries[1].handler, images);
  HTREEITEM root = item(c.nodes.rootIndex);
  EXPECT_TRUE(TreeView_GetItemState(app->tree, root, TVIS_EXPANDED) & TVIS_EXPANDED);
  std::vector<std::string> drivers;
  for (HTREEITEM i = TreeView_GetChild(app->tree, root); i;
       i = TreeView_GetNextSibling(app->tree, i)) {
    char text[64] = {};
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = i;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    TreeView_GetItem(app->tree, &tv);
    drivers.push_back(text);
  }
  EXPECT_EQ(drivers, (std::vector<std::string>{"SCSI Disks", "CD image files", "Floppy drives",
                                               "Samplers"}));
  EXPECT_EQ(windowText(app->window), "Korrin");

  // Details view with its three columns and a header that ignores clicks.
  EXPECT_EQ(GetWindowLongA(app->list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  const char* columns[] = {"Name", "ID", "Size"};
  for (int i = 0; i < 3; ++i) {
    char text[32] = {};
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    ASSERT_TRUE(SendMessageA(app->list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(text, columns[i]);
  }
  EXPECT_FALSE(IsWindowEnabled(ListView_GetHeader(app->list)));
  // The sample rename item is gone from the Sample menu.
  EXPECT_EQ(GetMenuState(app->contextMenus, CmdRenameSample, MF_BYCOMMAND), UINT(-1));
}

TEST_F(ShellWindow, SelectingADeviceListsItAndBusyKeepsTheSelection) {
  int disk = device(*scsi, FixedDisk);
  expand(scsi->node);
  select(disk);
  int cdrom = device(*scsi, CdRomDrive);  // moved down when the disk's placeholder went
  EXPECT_EQ(ctx().nodes.selectedNode, disk);
  ASSERT_EQ(rows(), 2);
  EXPECT_EQ(rowText(0, 0), "ONE");
  EXPECT_EQ(rowText(1, 1), "B02");
  EXPECT_EQ(rowText(0, 2), "1000 bytes");
  EXPECT_EQ(rowText(1, 2), "1.95 K");
  EXPECT_EQ(ctx().nodes[disk].ready, 1);

  select(ctx().nodes.rootIndex);
  ASSERT_EQ(rows(), 4);
  EXPECT_EQ(rowText(3, 0), "Samplers");
  EXPECT_EQ(rowText(3, 1), "");

  ctx().busy = 1;
  select(cdrom);
  EXPECT_EQ(selectedItem(), item(ctx().nodes.rootIndex));
  EXPECT_EQ(rows(), 4);
  EXPECT_EQ(TreeView_EditLabel(app->tree, item(cdrom)), nullptr);
  ctx().busy = 0;
  EXPECT_EQ(TreeView_EditLabel(app->tree, item(cdrom)), nullptr);
  EXPECT_EQ(ListView_EditLabel(app->list, 0), nullptr);
}

TEST_F(ShellWindow, TreeMenusOpenOnlyForNodesWithCommands) {
  MenuWatcher menus;
  int disk = device(*scsi, FixedDisk);
  expand(scsi->node);
  expand(disk);  // lists the disk, whose placeholder goes: later nodes move down
  pumpUntil([&] { return !ctx().busy; });
  int sampler = device(*samplers, Sampler);
  int floppy = addNode(ctx(), floppies->node, FloppyDrive, "A:");
  expand(samplers->node);
  expand(floppies->node);
  int placeholder = firstChild(ctx(), sampler);
  ctx().nodes[sampler].ready = 1;  // shows its placeholder without listing
  expand(sampler);
  ASSERT_EQ(ctx().nodes[placeholder].type, Placeholder);
  for (int node : {ctx().nodes.rootIndex, samplers->node, floppies->node, placeholder})
    rightClickTree(node);
  EXPECT_TRUE(menus.opened.empty());

  rightClickTree(disk);
  rightClickTree(images->driverNode());
  rightClickTree(scsi->node);
  rightClickTree(floppy);
  ASSERT_EQ(menus.opened.size(), 4u);
  EXPECT_EQ(menus.opened[0].menu, subMenu(DiskMenu));
  EXPECT_EQ(enabled(menus.opened[0]), ids({CmdDiskRefresh, CmdImportBank, CmdImportEmptyBank}));
  EXPECT_EQ(enabled(menus.opened[1]), ids({CmdAdd}));
  EXPECT_EQ(enabled(menus.opened[2]), ids({}));
  EXPECT_EQ(menus.opened[3].menu, subMenu(FloppyMenu));
  EXPECT_EQ(enabled(menus.opened[3]), ids({CmdImportWav}));

  // Empty space: the selected node's menu.
  select(sampler);
  rightClickTree(0);
  ASSERT_EQ(menus.opened.size(), 5u);
  EXPECT_EQ(menus.opened[4].menu, subMenu(SamplerMenu));
  EXPECT_EQ(enabled(menus.opened[4]), ids({CmdSamplerRefresh, CmdTransmitSample}));

  // Hidden under a collapsed driver, or while busy: nothing.
  TreeView_Expand(app->tree, item(scsi->node), TVE_COLLAPSE);
  TreeView_SelectDropTarget(app->tree, item(disk));
  rightClickTree(0);
  TreeView_SelectDropTarget(app->tree, nullptr);
  ctx().busy = 1;
  rightClickTree(sampler);
  ctx().busy = 0;
  EXPECT_EQ(menus.opened.size(), 5u);
}

TEST_F(ShellWindow, ListMenusFollowTheSelectedRows) {
  MenuWatcher menus;
  int disk = device(*scsi, FixedDisk);
  expand(scsi->node);
  select(disk);
  selectRows({0, 1});
  rightClickList();
  ASSERT_EQ(menus.opened.size(), 1u);
  EXPECT_EQ(menus.opened[0].menu, subMenu(BankMenu));
  EXPECT_EQ(enabled(menus.opened[0]), ids({CmdBankProperties}));

  selectRows({1});
  rightClickList();
  EXPECT_EQ(enabled(menus.opened[1]),
            ids({CmdExportBank, CmdDeleteBank, CmdRenameBank, CmdRenumberBank, CmdBankProperties}));

  int sample = addNode(ctx(), disk, Sample, "KICK");
  selectRows({0, ctx().nodes[sample].listItem});
  rightClickList();
  selectRows({});
  rightClickList();
  EXPECT_EQ(menus.opened.size(), 2u);
  selectRows({ctx().nodes[sample].listItem});
  rightClickList();
  ASSERT_EQ(menus.opened.size(), 3u);
  EXPECT_EQ(menus.opened[2].menu, subMenu(SampleMenu));
  EXPECT_EQ(enabled(menus.opened[2]),
            ids({CmdDeleteSample, CmdReceiveSample, CmdSampleProperties}));
}

TEST_F(ShellWindow, AChosenMenuCommandRunsForTheClickedNode) {
  MenuWatcher menus;
  int disk = device(*scsi, FixedDisk);
  expand(scsi->node);
  select(disk);
  int lists = 0;
  for (const DiskOsRequest& r : scsi->requests)
    lists += r.cg1 == ListBanks;
  menus.keys = {'h'};  // Refres&h
  rightClickTree(disk);
  // The refresh empties the list and a listing fills it again.
  ASSERT_TRUE(pumpUntil([&] { return rows() == 2 && !ctx().busy; }));
  int listsAfter = 0;
  for (const DiskOsRequest& r : scsi->requests)
    listsAfter += r.cg1 == ListBanks;
  EXPECT_EQ(listsAfter, lists + 1);
  EXPECT_EQ(scsi->requests.back().par3, static_cast<DiskOsWord>(disk));
  EXPECT_EQ(rows(), 2);
}

TEST_F(ShellWindow, AddCreatesAnImageAndRemoveDropsIt) {
  MenuWatcher menus;
  DialogAnswerer dialogs;
  std::string path = app->files.tempFolder() + "korrin_shell_test.iso";
  DeleteFileA(path.c_str());
  std::vector<std::string> filters;
  dialogs.actions.push_back([](HWND d) { PostMessageA(d, WM_COMMAND, 1020, 0); });  // Create...
  dialogs.actions.push_back([&](HWND d) {
    filters = comboTexts(GetDlgItem(d, cmb1));
    SetDlgItemTextA(d, cmb13, path.c_str());
    SetDlgItemTextA(d, edt1, path.c_str());
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  });
  menus.keys = {'a'};  // &Add...
  rightClickTree(images->driverNode());
  ASSERT_EQ(dialogs.titles.size(), 2u);
  EXPECT_EQ(dialogs.titles[0], "Add ISO image");
  EXPECT_EQ(dialogs.titles[1], "Create ISO image file");
  EXPECT_EQ(filters, (std::vector<std::string>{"ISO image files (*.iso)", "All files (*.*)"}));
  ASSERT_EQ(images->deviceCount(), 1);
  int image = images->device(0).node;
  EXPECT_EQ(ctx().nodes[image].type, ImageFile);
  EXPECT_STREQ(ctx().nodes[image].name, "korrin_shell_test.iso");
  EXPECT_EQ(ctx().busy, 0);

  expand(images->driverNode());
  menus.keys = {'r'};  // &Remove
  rightClickTree(image);
  ASSERT_EQ(menus.opened.size(), 2u);
  EXPECT_EQ(enabled(menus.opened[1]), ids({CmdRemove}));
  EXPECT_EQ(images->deviceCount(), 0);
  EXPECT_EQ(images->imageListCount(), 0);
  EXPECT_EQ(firstChild(ctx(), images->driverNode()), 0);
  EXPECT_TRUE(DeleteFileA(path.c_str()));  // closed
}

TEST_F(ShellWindow, WheelScrollsByTheRunningCount) {
  for (int i = 0; i < 100; ++i)
    app->views.listInsert(i, "row", Bank, 0);
  for (int delta : {120, 120, 120, -120})
    SendMessageA(app->window, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
  EXPECT_EQ(ctx().shell.wheelCount, 2);
  EXPECT_EQ(ListView_GetTopIndex(app->list), 4);
}

TEST_F(ShellWindow, ANarrowWindowKeepsTheTreeWidth) {
  SetWindowPos(app->window, nullptr, 0, 0, 250, 300, SWP_NOMOVE | SWP_NOZORDER);
  RECT tree = childRect(app->tree), list = childRect(app->list), client;
  GetClientRect(app->window, &client);
  EXPECT_EQ(tree.left, 0);
  EXPECT_EQ(tree.right - tree.left, 371);
  EXPECT_EQ(tree.bottom - tree.top, client.bottom);
  EXPECT_EQ(list.left, 373);
  EXPECT_EQ(list.right - list.left, 0);
  SetWindowPos(app->window, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
  list = childRect(app->list);
  GetClientRect(app->window, &client);
  EXPECT_EQ(list.right, client.right);
  EXPECT_EQ(list.top, 1);
  EXPECT_EQ(list.bottom, client.bottom - 1);
}

TEST_F(ShellWindow, StatusDisplayPopsUpHidesOnTicksAndCannotBeClosed) {
  HWND display = app->screen.display;
  ctx().lcd.LcdSelectPage(4);
  ctx().lcd.LcdPrint("H");
  EXPECT_TRUE(IsWindowVisible(display));
  // The glyph's dots are drawn in ink in its cell; the next cell stays unlit.
  HDC dc = GetDC(display);
  auto inkDots = [dc](int column) {
    int dots = 0;
    for (int y = 2; y < 11; ++y)
      for (int x = 6 * column + 3; x < 6 * column + 9; ++x)
        dots += GetPixel(dc, x, y) == RGB(0, 0, 0);
    return dots;
  };
  EXPECT_EQ(inkDots(0), 17);  // two 7-dot uprights and the bar's 3 inner dots
  EXPECT_EQ(inkDots(1), 0);
  ReleaseDC(display, dc);
  for (int tick = 0; tick < 20 && ctx().lcd.visible(); ++tick)
    SendMessageA(display, WM_TIMER, 1, 0);
  EXPECT_FALSE(IsWindowVisible(display));
  EXPECT_FALSE(ctx().lcd.visible());

  ctx().lcd.LcdPrint("again");
  ASSERT_TRUE(IsWindowVisible(display));
  EXPECT_EQ(ctx().lcd.countdown(), 5u);
  SendMessageA(display, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(display));

  // Dragging moves the window by the pointer's travel.
  RECT before, after;
  GetWindowRect(display, &before);
  SendMessageA(display, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageA(display, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 25));
  SendMessageA(display, WM_LBUTTONUP, 0, MAKELPARAM(30, 25));
  GetWindowRect(display, &after);
  EXPECT_EQ(after.left - before.left, 20);
  EXPECT_EQ(after.top - before.top, 15);
  EXPECT_EQ(after.right - after.left, 255);
}

TEST_F(ShellWindow, AboutShowsTheSplashWhichIgnoresCloseAndGoesOnItsTimer) {
  SendMessageA(app->window, WM_COMMAND, CmdAbout, 0);
  HWND splash = app->screen.splash;
  ASSERT_TRUE(IsWindow(splash));
  EXPECT_TRUE(ctx().splash.shown());
  EXPECT_FALSE(ctx().splash.alreadyRunning());
  SendMessageA(splash, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(splash));
  SendMessageA(splash, WM_TIMER, 1, 0);
  EXPECT_FALSE(IsWindow(splash));
  EXPECT_FALSE(ctx().splash.shown());
}

TEST_F(ShellWindow, ASecondCopyMakesTheFirstSayAlreadyRunning) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string korrin = self;
  korrin = korrin.substr(0, korrin.find_last_of('\\') + 1) + "Korrin.exe";
  if (GetFileAttributesA(korrin.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "Korrin.exe not built";
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(korrin.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &start, &process));
  bool ended =
      pumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 20000);
  if (!ended)
    TerminateProcess(process.hProcess, 1);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  ASSERT_TRUE(ended);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(ctx().splash.shown());
  EXPECT_TRUE(ctx().splash.alreadyRunning());
  SendMessageA(app->screen.splash, WM_TIMER, 1, 0);
  EXPECT_FALSE(ctx().splash.alreadyRunning());
}

TEST_F(ShellWindow, ExitClosesTheWindowAndTheSettingsKey) {
  SendMessageA(app->window, WM_COMMAND, CmdExit, 0);
  EXPECT_FALSE(IsWindow(app->window));
  EXPECT_EQ(ctx().settingsKey, kNoKey);
  EXPECT_EQ(app->contextMenus, nullptr);
}

}  // namespace
