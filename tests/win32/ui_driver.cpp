#include "tests/win32/ui_driver.h"

#include "media/disk_image_driver.h"
#include "scsi/scsi_disk_driver.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "app/program.h"
#include "platform/win32/win32_registry.h"

namespace {
// Wine without a window manager waits up to two seconds whenever a managed
// window (one with a caption, or once activated) hides or goes. Under Wine
// the tests therefore run with window management off for this program: the
// first run switches it off and runs the tests again in a new process.
bool rerunWithoutWindowManagement(int* code) {
  if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
    return false;
  char self[MAX_PATH], value[8] = {};
  DWORD size = sizeof value;
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string key =
      "Software\\Wine\\AppDefaults\\" + std::string(std::strrchr(self, '\\') + 1) + "\\X11 Driver";
  RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "Managed", RRF_RT_REG_SZ, nullptr, value, &size);
  if (value[0] == 'N' ||
      RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Managed", REG_SZ, "N", 2) != ERROR_SUCCESS)
    return false;
  // The setting is read when a process starts.
  *code = runProgram(self, GetCommandLineA(), INFINITE);
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  int code = 0;
  if (rerunWithoutWindowManagement(&code))
    return code;
  InitCommonControls();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
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

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
  char name[8] = {};
  return GetClassNameA(window, name, sizeof name) && std::string(name) == "#32770";
}
}  // namespace

void ShellWindow::SetUp() {
  active = this;
  menuHook_ = SetWindowsHookExA(WH_CALLWNDPROC, menuHook, nullptr, GetCurrentThreadId());
  dialogHook_ = SetWindowsHookExA(WH_CBT, dialogHook, nullptr, GetCurrentThreadId());
  // The image lists live in the test prefix's registry; each test starts without them.
  Win32Registry registry;
  for (const char* list : {"ISO", "Disk images"}) {
    RegKey key =
        registry.createKey(kLocalMachine, std::string("Software\\Brightfen\\Korrin\\") + list);
    registry.writeNumber(key, "Files", 0);
    registry.closeKey(key);
  }

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
  if (realFloppy)
    floppyDrives = add(std::make_unique<FloppyDriver>(ctx()));
  else
    floppies = add(std::make_unique<FakeDriver>(ctx(), "Floppy drives", FloppyDiskOsNode));
  if (realScsi) {
    samplerDriver = add(std::make_unique<SamplersDriver>(ctx()));
  } else {
    samplers = add(std::make_unique<FakeDriver>(ctx(), "Samplers", SamplerDiskOsNode));
    samplers->scanDevices = {Sampler};
  }
  add(std::make_unique<DiskImageDriver>(ctx()));
  installOperations(ctx());
  createMainWindows(*app, SW_SHOWNORMAL);
  ASSERT_TRUE(pumpUntil([&] { return !ctx().busy && !ctx().splash.shown(); }));
}

void ShellWindow::TearDown() {
  if (app) {
    idle();
    DestroyWindow(app->window);  // fails harmlessly once the test has closed it
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
  int columns = Header_GetItemCount(ListView_GetHeader(app->list));
  for (int row = 0; row < ListView_GetItemCount(app->list); ++row) {
    std::string cells;
    for (int column = 0; column < columns; ++column) {
      char cell[64] = {};
      ListView_GetItemText(app->list, row, column, cell, sizeof cell);
      cells += (column ? "|" : "") + std::string(cell);
    }
    out.push_back(cells);
  }
  return out;
}

bool ShellWindow::idle() {
  // Long enough for any command here on a slow machine, short enough that a
  // command that never ends fails the test instead of holding up the run.
  // EnumWindows is true once it has offered every window to answerWorkerBox.
  return pumpUntil([&] { return EnumWindows(answerWorkerBox, LPARAM(this)) && !ctx().busy; }, 8000);
}

bool ShellWindow::onTree(int node, UINT command, std::deque<DialogAction> answers) {
  RECT r = {200, 500, 200, 500};  // empty space, below the items
  if (node != 0 && !TreeView_GetItemRect(app->tree, item(node), &r, TRUE))
    ADD_FAILURE() << "node " << node << " has no item to click";
  POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(app->tree, &at);
  SetCursorPos(at.x, at.y);
  return choose(app->tree, command, std::move(answers));
}

bool ShellWindow::onRows(std::initializer_list<int> rows, UINT command,
                         std::deque<DialogAction> answers) {
  ListView_SetItemState(app->list, -1, 0, LVIS_SELECTED);
  for (int row : rows)
    ListView_SetItemState(app->list, row, LVIS_SELECTED, LVIS_SELECTED);
  return choose(app->list, command, std::move(answers));
}

bool ShellWindow::choose(HWND view, UINT command, std::deque<DialogAction> answers) {
  actions = std::move(answers);
  commands = std::deque<UINT>(command != 0, command);
  NMHDR header = {view, 0, UINT(NM_RCLICK)};
  SendMessageA(app->window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  return idle();
}

std::string ShellWindow::tempFile(const std::string& name, const Bytes& bytes) {
  char folder[MAX_PATH] = {};
  GetTempPathA(sizeof folder, folder);
  std::string path = folder + name;
  made.push_back(path);
  DeleteFileA(path.c_str());
  EXPECT_TRUE(bytes.empty() ||
              std::ofstream(path, std::ios::binary)
                  .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))
                  .flush())
      << path;
  return path;
}

int ShellWindow::nodeNamed(const std::string& name) {
  for (int i = 1; i < ctx().nodes.count; ++i)
    if (ctx().nodes[i].name == name)
      return i;
  return 0;
}

void ShellWindow::key(HWND view, int rowSelected, WORD vk, bool control) {
  if (rowSelected >= 0) {
    ListView_SetItemState(app->list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(app->list, rowSelected, LVIS_SELECTED, LVIS_SELECTED);
  }
  BYTE keys[256] = {};
  keys[VK_CONTROL] = control ? 0x80 : 0;
  SetKeyboardState(keys);
  PostMessageA(view, WM_KEYDOWN, vk, 1);
  pumpUntil([] { return false; }, 200);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  idle();
}

void ShellWindow::drop(int node, const std::vector<std::string>& files) {
  RECT r;
  HWND view = node ? app->tree : app->list;
  if (node)
    TreeView_GetItemRect(app->tree, item(node), &r, TRUE);
  else
    GetClientRect(app->list, &r);
  POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  MapWindowPoints(view, app->window, &at, 1);
  std::string names;
  for (const std::string& f : files)
    names += f + '\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 1);
  auto* head = static_cast<DROPFILES*>(GlobalLock(memory));
  *head = DROPFILES{sizeof(DROPFILES), at, FALSE, FALSE};
  std::memcpy(head + 1, names.data(), names.size());
  GlobalUnlock(memory);
  PostMessageA(app->window, WM_DROPFILES, WPARAM(memory), 0);
  pumpUntil([] { return false; }, 200);
  idle();
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
    std::deque<UINT>& commands = active->commands;
    bool choosing = !commands.empty();
    for (int i = 0, n = GetMenuItemCount(seen.menu); i < n; ++i) {
      UINT id = GetMenuItemID(seen.menu, i);  // 0 for a separator
      if (id != 0 && id != UINT(-1) &&
          !(GetMenuState(seen.menu, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)))
        seen.enabled.push_back(id);
      // The first Down highlights the first item; separators are skipped.
      if (choosing && id != 0)
        PostMessageA(call->hwnd, WM_KEYDOWN, VK_DOWN, 0);
      choosing = choosing && id != commands.front();
    }
    active->opened.push_back(seen);
    PostMessageA(call->hwnd, WM_KEYDOWN, commands.empty() ? VK_ESCAPE : VK_RETURN, 0);
    if (!commands.empty())
      commands.pop_front();
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
  if (active->actions.empty())
    active->actions.push_back([](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
  DialogAction action = std::move(active->actions.front());
  active->actions.pop_front();
  action(dialog);
}
