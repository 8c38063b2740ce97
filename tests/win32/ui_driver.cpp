#include "tests/win32/ui_driver.h"

#include "media/disk_image_driver.h"
#include "scsi/scsi_disk_driver.h"

#include <commctrl.h>
#include <dlgs.h>

#include <cstring>

#include "app/program.h"
#include "platform/win32/win32_registry.h"

bool rerunWithoutWindowManagement(int* code) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version"))
    return false;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string key =
      "Software\\Wine\\AppDefaults\\" + std::string(std::strrchr(self, '\\') + 1) + "\\X11 Driver";
  char value[8] = {};
  DWORD size = sizeof value;
  if ((RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "Managed", RRF_RT_REG_SZ, nullptr, value,
                    &size) == ERROR_SUCCESS &&
       value[0] == 'N') ||
      RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Managed", REG_SZ, "N", 2) != ERROR_SUCCESS)
    return false;
  // The setting is read when a process starts.
  *code = runProgram(self, GetCommandLineA(), INFINITE);
  return true;
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done())
      return true;
    if (GetTickCount() - start > timeoutMs)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

int runProgram(const std::string& path, std::string commandLine, DWORD timeoutMs) {
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &start, &process))
    return -1;
  DWORD code = DWORD(-1);
  if (!pumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; },
                 timeoutMs))
    TerminateProcess(process.hProcess, code);
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(code);
}

std::string windowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

DialogAction choosePath(const std::string& path) {
  return [path](HWND d) {
    SetDlgItemTextA(d, cmb13, path.c_str());
    SetDlgItemTextA(d, edt1, path.c_str());
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  };
}

namespace {
ShellWindow* active = nullptr;  // the hooks' and timers' test
constexpr UINT_PTR kAnswerTimer = 0x4B52;

// A menu whose key did not close it (a greyed item) must not hang the test.
void CALLBACK endStuckMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMenu();
}

bool isDialog(HWND window) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  return std::string(name) == "#32770";
}
}  // namespace

void ShellWindow::SetUp() {
  active = this;
  menuHook_ = SetWindowsHookExA(WH_CALLWNDPROC, menuHook, nullptr, GetCurrentThreadId());
  dialogHook_ = SetWindowsHookExA(WH_CBT, dialogHook, nullptr, GetCurrentThreadId());
  // The image list lives in the test prefix's registry; each test starts without one.
  Win32Registry registry;
  RegKey key = registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\ISO");
  registry.writeNumber(key, "Files", 0);
  registry.closeKey(key);

  HINSTANCE instance = GetModuleHandleA(nullptr);
  app = std::make_unique<MainWindow>(instance, "Korrin", "Korrin199909");
  loadMenus(*app);
  ASSERT_TRUE(registerWindowClasses(instance, app->mainClassName));
  auto add = [this](auto driver) {
    auto* raw = driver.get();
    ctx().drivers.push_back(std::move(driver));
    app->startupDrivers.push_back(raw);
    return raw;
  };
  if (realScsi) {
    add(std::make_unique<ScsiDiskDriver>(ctx()));
  } else {
    scsi = add(std::make_unique<FakeDriver>(ctx(), "SCSI Disks"));
    scsi->scanDevices = {FixedDisk, CdRomDrive};
    scsi->banks = {{1, "ONE", 1000}, {2, "TWO", 2000}};
  }
  images = add(std::make_unique<CdImageDriver>(ctx()));
  floppies = add(std::make_unique<FakeDriver>(ctx(), "Floppy drives", FloppyDiskOsNode));
  samplers = add(std::make_unique<FakeDriver>(ctx(), "Samplers", SamplerDiskOsNode));
  samplers->scanDevices = {Sampler};
  if (withDiskImages) {
    RegKey list = registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\Disk images");
    registry.writeNumber(list, "Files", 0);
    registry.closeKey(list);
    add(std::make_unique<DiskImageDriver>(ctx()));
  }
  installOperations(ctx());
  createMainWindows(*app, SW_SHOWNORMAL);
  ASSERT_TRUE(pumpUntil([&] { return !ctx().busy && !ctx().splash.shown(); }));
}

void ShellWindow::TearDown() {
  if (app) {
    idle();
    if (IsWindow(app->window))
      DestroyWindow(app->window);
    pumpUntil([] { return false; }, 20);
    app.reset();
  }
  for (const std::string& path : made)
    DeleteFileA(path.c_str());
  UnhookWindowsHookEx(menuHook_);
  UnhookWindowsHookEx(dialogHook_);
  active = nullptr;
}

std::vector<std::string> ShellWindow::shownRows() {
  std::vector<std::string> out;
  for (int row = 0; row < ListView_GetItemCount(app->list); ++row) {
    char cells[3][64] = {};
    for (int column = 0; column < 3; ++column)
      ListView_GetItemText(app->list, row, column, cells[column], sizeof cells[column]);
    out.push_back(std::string(cells[0]) + "|" + cells[1] + "|" + cells[2]);
  }
  return out;
}

void ShellWindow::rightClickTree(int node) {
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
  NMHDR header = {app->tree, 0, UINT(NM_RCLICK)};
  SendMessageA(app->window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

void ShellWindow::rightClickRows(std::initializer_list<int> chosen) {
  ListView_SetItemState(app->list, -1, 0, LVIS_SELECTED);
  for (int row : chosen)
    ListView_SetItemState(app->list, row, LVIS_SELECTED, LVIS_SELECTED);
  NMHDR header = {app->list, 0, UINT(NM_RCLICK)};
  SendMessageA(app->window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

bool ShellWindow::idle() {
  // Long enough for any command here on a slow machine, short enough that a
  // command that never ends fails the test instead of holding up the run.
  return pumpUntil(
      [&] {
        EnumWindows(answerWorkerBox, reinterpret_cast<LPARAM>(this));
        return !ctx().busy;
      },
      8000);
}

BOOL CALLBACK ShellWindow::answerWorkerBox(HWND window, LPARAM self) {
  DWORD process = 0;
  DWORD thread = GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && thread != GetCurrentThreadId() && isDialog(window) &&
      IsWindowVisible(window)) {
    char text[512] = {};
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
    reinterpret_cast<ShellWindow*>(self)->workerTexts.push_back(text);
    // Sent, not posted: the box has hidden itself when the answer returns.
    SendMessageA(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}

LRESULT CALLBACK ShellWindow::menuHook(int code, WPARAM wp, LPARAM lp) {
  auto* call = reinterpret_cast<CWPSTRUCT*>(lp);
  if (code == HC_ACTION && active && call->message == WM_INITMENUPOPUP &&
      HIWORD(call->lParam) == 0) {
    // The items' states are final once the menu opens: the shell sets them first.
    OpenedMenu seen{reinterpret_cast<HMENU>(call->wParam), {}};
    for (int i = 0, n = GetMenuItemCount(seen.menu); i < n; ++i) {
      UINT id = GetMenuItemID(seen.menu, i);
      UINT state = GetMenuState(seen.menu, i, MF_BYPOSITION);
      if (id != 0 && id != UINT(-1) && !(state & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)))
        seen.enabled.push_back(id);
    }
    active->opened.push_back(seen);
    if (active->commands.empty()) {
      PostMessageA(call->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
      // The first Down highlights the first item; separators are skipped.
      UINT command = active->commands.front();
      active->commands.pop_front();
      for (int i = 0, n = GetMenuItemCount(seen.menu); i < n; ++i) {
        if (!(GetMenuState(seen.menu, i, MF_BYPOSITION) & MF_SEPARATOR))
          PostMessageA(call->hwnd, WM_KEYDOWN, VK_DOWN, 0);
        if (GetMenuItemID(seen.menu, i) == command)
          break;
      }
      PostMessageA(call->hwnd, WM_KEYDOWN, VK_RETURN, 0);
    }
    SetTimer(nullptr, 0, 3000, endStuckMenu);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK ShellWindow::dialogHook(int code, WPARAM wp, LPARAM lp) {
  // Answered once the dialog runs its own message loop; activated again
  // before that, it is still answered once.
  if (code == HCBT_ACTIVATE && isDialog(reinterpret_cast<HWND>(wp)))
    SetTimer(reinterpret_cast<HWND>(wp), kAnswerTimer, 100, answerDialog);
  return CallNextHookEx(nullptr, code, wp, lp);
}

void CALLBACK ShellWindow::answerDialog(HWND dialog, UINT, UINT_PTR timer, DWORD) {
  KillTimer(dialog, timer);
  if (!active)
    return;
  DialogAction action = [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); };
  if (!active->actions.empty()) {
    action = std::move(active->actions.front());
    active->actions.pop_front();
  }
  action(dialog);
}
