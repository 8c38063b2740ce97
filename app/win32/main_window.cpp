#include "app/win32/main_window.h"

#include <algorithm>

#include <shellapi.h>

#include "app/shell_input.h"
#include "app/startup.h"
#include "resources/resource_ids.h"
#include "scsi/aspi_transport.h"

static_assert(CmdExit == IDC_EXIT && CmdAbout == IDC_ABOUT && CmdAdd == IDC_DISK_ADD &&
                  CmdRenameSample == IDC_RENAME_SAMPLE &&
                  CmdImportWav == IDC_IMPORT_WAV_TO_FLOPPY && CmdOpenBank == IDC_OPEN_BANK &&
                  CmdNewBankFileFromWav == IDC_NEW_BANK_FILE_FROM_WAV,
              "menu commands match the resources");
static_assert(DiskMenu == IDM_POS_DISK && BankMenu == IDM_POS_BANK &&
                  SampleMenu == IDM_POS_SAMPLE && FloppyMenu == IDM_POS_FLOPPY &&
                  SamplerMenu == IDM_POS_SAMPLER && BankContentsMenu == IDM_POS_BANK_CONTENTS,
              "sub-menus sit where the resources put them");

namespace {

constexpr int kTreeWidth = 371;
constexpr int kListLeft = 373;

// Adds one picture per node type; a picture that will not load leaves a
// blank in its place so that the later types keep their indexes.
HIMAGELIST makeTreeImages(HINSTANCE instance) {
  HIMAGELIST images = ImageList_Create(32, 17, ILC_COLOR24, kNodeTypeImages, 0);
  for (int id : kTreeBitmapIds) {
    HBITMAP bitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(id));
    if (!bitmap) {
      HDC screen = GetDC(nullptr);
      bitmap = CreateCompatibleBitmap(screen, 32, 17);
      ReleaseDC(nullptr, screen);
    }
    ImageList_Add(images, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  return images;
}

HIMAGELIST makeIconImages(HINSTANCE instance, int size) {
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kNodeTypeImages, 0);
  for (int id : kListIconIds) {
    auto icon = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (icon) {
      ImageList_AddIcon(images, icon);
      DestroyIcon(icon);
    } else {
      ImageList_AddIcon(images, LoadIcon(nullptr, IDI_APPLICATION));
    }
  }
  return images;
}

// Image lists, list columns and the root node.
void initTreeViews(MainWindow& app) {
  app.treeImages = makeTreeImages(app.instance);
  app.largeIcons = makeIconImages(app.instance, 32);
  app.smallIcons = makeIconImages(app.instance, 16);
  ListView_SetImageList(app.list, app.smallIcons, LVSIL_SMALL);
  ListView_SetImageList(app.list, app.largeIcons, LVSIL_NORMAL);
  app.views.listSetColumns(kListColumns, 3);
  TreeView_SetImageList(app.tree, app.treeImages, TVSIL_NORMAL);
  addNode(app.ctx, 0, Root, app.programTitle.c_str());
}

std::string loadString(HINSTANCE instance, UINT id, const char* fallback) {
  char text[261];
  if (LoadStringA(instance, id, text, sizeof text) <= 0)
    return fallback;
  return text;
}

void onPaint(MainWindow& app) {
  PAINTSTRUCT paint;
  BeginPaint(app.window, &paint);
  if (app.firstPaint) {
    app.ctx.busy = 1;
    layoutMainWindow(app);
    app.ctx.lcd.LcdInit();
  }
  EndPaint(app.window, &paint);
  if (app.firstPaint) {
    app.firstPaint = false;
    MainWindow* a = &app;
    app.host.startWorker([a] { startupSequence(a->ctx, a->startupDrivers); });
  }
}

void onMouseWheel(MainWindow& app, WPARAM wp) {
  bool down = countWheelNotch(app.ctx.shell, GET_WHEEL_DELTA_WPARAM(wp));
  MessageBeep(MB_OK);
  SendMessageA(app.list, WM_VSCROLL, down ? SB_LINEDOWN : SB_LINEUP, 0);
}

// Shift+F10 and the context-menu key (at -1, -1); a mouse's right click
// arrives as the views' own notification instead.
void onContextMenu(MainWindow& app, HWND view, LPARAM at) {
  if (at != -1 || (view != app.tree && view != app.list))
    return;
  contextMenuKey(app.ctx, view == app.list ? View::List : View::Tree);
}

// The node under a drop: the tree's item there, or what the list shows.
int dropTarget(MainWindow& app, POINT at) {
  MapWindowPoints(app.window, app.tree, &at, 1);
  RECT tree;
  GetClientRect(app.tree, &tree);
  if (PtInRect(&tree, at)) {
    TVHITTESTINFO hit = {};
    hit.pt = at;
    HTREEITEM item = TreeView_HitTest(app.tree, &hit);
    return item && (hit.flags & TVHT_ONITEM)
               ? nodeByTreeItem(app.ctx, reinterpret_cast<TreeItem>(item))
               : 0;
  }
  MapWindowPoints(app.tree, app.list, &at, 1);
  RECT list;
  GetClientRect(app.list, &list);
  return PtInRect(&list, at) ? app.ctx.nodes.selectedNode : 0;
}

void onDropFiles(MainWindow& app, HDROP drop) {
  std::vector<std::string> paths;
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // Lengths come from the dropping program: ask, then read no more.
    UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::string path(length + 1, '\0');
    UINT got = DragQueryFileA(drop, i, &path[0], length + 1);
    path.resize(std::min(got, length));
    if (!path.empty())
      paths.push_back(path);
  }
  POINT at = {};
  int node = DragQueryPoint(drop, &at) ? dropTarget(app, at) : 0;
  DragFinish(drop);
  dropFiles(app.ctx, node, paths);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE inst, const std::string& title, const std::string& className)
    : instance(inst),
      programTitle(title),
      mainClassName(className),
      host(inst, title),
      ctx(Ports{files, registry, host, views, screen}) {
  ctx.programTitle = title;
  ctx.shell.ui = this;
  ctx.floppyBios = &floppyBios;
  screen.instance = inst;
  screen.windowData = this;
}

MainWindow* mainWindowOf(HWND window) {
  return reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void loadMenus(MainWindow& app) {
  app.contextMenus = LoadMenuA(app.instance, MAKEINTRESOURCEA(IDM_CONTEXT));
  if (app.contextMenus)
    DeleteMenu(app.contextMenus, CmdRenameSample, MF_BYCOMMAND);
  app.mainMenu = LoadMenuA(app.instance, MAKEINTRESOURCEA(IDM_MAIN));
}

bool registerWindowClasses(HINSTANCE instance, const std::string& mainClassName) {
  struct WindowClassKind {
    const char* name;
    WNDPROC proc;
    bool mainWindow;
  };
  const WindowClassKind classes[] = {{mainClassName.c_str(), mainWindowProc, true},
                                     {kLcdClassName, lcdWindowProc, false},
                                     {kSplashClassName, splashWindowProc, false}};
  bool ok = true;
  for (const WindowClassKind& kind : classes) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = kind.proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kind.name;
    if (kind.mainWindow) {
      wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN));
      wc.hIconSm = wc.hIcon;
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    }
    // A class left from an earlier main window in this process is still good.
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      ok = false;
  }
  return ok;
}

void createMainWindows(MainWindow& app, int show) {
  RECT desk;
  GetClientRect(GetDesktopWindow(), &desk);
  int width = desk.right, height = desk.bottom;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);

  app.screen.background = LoadBitmapA(app.instance, MAKEINTRESOURCEA(IDB_LCD_BACKGROUND));
  app.screen.glyphs = LoadBitmapA(app.instance, MAKEINTRESOURCEA(IDB_GLYPHS));
  app.screen.splashPicture = LoadBitmapA(app.instance, MAKEINTRESOURCEA(IDB_SPLASH));
  app.ctx.splash.setAlreadyRunning(false);
  app.ctx.splash.ShowSplash(false);

  RegistryNames names;
  names.software = loadString(app.instance, IDS_SOFTWARE, "Software");
  names.company = loadString(app.instance, IDS_COMPANY, "Brightfen");
  names.currentVersion = loadString(app.instance, IDS_CURRENT_VERSION, "CurrentVersion");
  app.ctx.settingsKey = openSettingsKey(app.registry, names, app.programTitle);
  // A PC without an ASPI manager starts all the same and finds no SCSI units.
  app.aspi = std::make_unique<Win32Aspi>();
  AspiAttach(app.ctx, app.aspi.get());

  app.window = CreateWindowExA(WS_EX_APPWINDOW, app.mainClassName.c_str(), app.programTitle.c_str(),
                               WS_OVERLAPPEDWINDOW, (width - 800) / 2, (height - 600) / 2, 800, 600,
                               nullptr, app.mainMenu, app.instance, &app);
  SetWindowTextA(app.window, "Korrin");
  app.host.setOwner(app.window);
  app.screen.owner = app.window;

  HWND display = CreateWindowExA(
      WS_EX_CLIENTEDGE, kLcdClassName, "", WS_POPUP | WS_CLIPSIBLINGS | WS_DLGFRAME,
      (width - 255) / 2, (height - 85) / 2 + 120, 255, 85, app.window, nullptr, app.instance, &app);
  // Visible from the start, but never taking the focus.
  ShowWindow(display, SW_SHOWNOACTIVATE);

  app.tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                             WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                                 TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                             0, 0, 0, 0, app.window, nullptr, app.instance, nullptr);
  app.list =
      CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | LVS_SHOWSELALWAYS |
                          LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE | LVS_EDITLABELS | LVS_NOSORTHEADER,
                      0, 0, 0, 0, app.window, nullptr, app.instance, nullptr);
  app.views.attach(app.tree, app.list);
  initTreeViews(app);
  SetListViewMode(app, 1);
  EnableWindow(ListView_GetHeader(app.list), FALSE);
  DragAcceptFiles(app.window, TRUE);
  updateMenus(app.ctx, 0);
  ShowWindow(app.window, show);
  UpdateWindow(app.window);
}

void layoutMainWindow(MainWindow& app) {
  RECT client;
  GetClientRect(app.window, &client);
  int w = client.right, h = client.bottom;
  // However narrow the window, the tree keeps its width; the list shrinks to nothing.
  MoveWindow(app.list, kListLeft, 1, std::max(0, w - kListLeft), std::max(0, h - 2), TRUE);
  MoveWindow(app.tree, 0, 0, kTreeWidth, h, TRUE);
}

void SetListViewMode(MainWindow& app, int mode) {
  LONG_PTR style = GetWindowLongPtrA(app.list, GWL_STYLE);
  if ((style & LVS_TYPEMASK) != mode)
    SetWindowLongPtrA(app.list, GWL_STYLE, (style & ~LVS_TYPEMASK) | mode);
}

void shutdown(MainWindow& app) {
  app.registry.closeKey(app.ctx.settingsKey);
  app.ctx.settingsKey = kNoKey;
  AspiRelease(app.ctx);
  app.aspi.reset();
  ImageList_Destroy(app.treeImages);
  ImageList_Destroy(app.largeIcons);
  ImageList_Destroy(app.smallIcons);
  app.treeImages = app.largeIcons = app.smallIcons = nullptr;
  app.screen.releaseSurfaces();
  for (HBITMAP* picture : {&app.screen.background, &app.screen.glyphs, &app.screen.splashPicture}) {
    DeleteObject(*picture);
    *picture = nullptr;
  }
  SetMenu(app.window, nullptr);
  DestroyMenu(app.contextMenus);
  DestroyMenu(app.mainMenu);
  app.contextMenus = app.mainMenu = nullptr;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
    auto* app = static_cast<MainWindow*>(create->lpCreateParams);
    app->window = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app));
  }
  MainWindow* app = mainWindowOf(window);
  if (!app)
    return DefWindowProcA(window, message, wp, lp);
  switch (message) {
    case WM_CREATE:
      app->firstPaint = true;
      return 0;
    case WM_DESTROY:
      shutdown(*app);
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      layoutMainWindow(*app);
      return 0;
    case WM_PAINT:
      onPaint(*app);
      return 0;
    case WM_MOUSEWHEEL:
      onMouseWheel(*app, wp);
      return 0;
    case WM_NOTIFY:
      return onViewNotify(*app, *reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU:
      onContextMenu(*app, reinterpret_cast<HWND>(wp), lp);
      return 0;
    case WM_DROPFILES:
      onDropFiles(*app, reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_COMMAND:
      if (runCommand(app->ctx, LOWORD(wp), static_cast<std::intptr_t>(lp)))
        return 0;
      break;
  }
  return DefWindowProcA(window, message, wp, lp);
}
