#include "tests/win32/ui_driver.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/win32_registry.h"

bool rerunWithoutWindowManagement(int* code) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version"))
    return false;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string name = self;
  name = name.substr(name.find_last_of('\\') + 1);
  std::string path = "Software\\Wine\\AppDefaults\\" + name + "\\X11 Driver";
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  char value[8] = {};
  DWORD size = sizeof value - 1;
  bool off = RegQueryValueExA(key, "Managed", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                              &size) == ERROR_SUCCESS &&
             value[0] == 'N';
  if (!off)
    RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(key);
  if (off)
    return false;
  // The setting is read when a process starts.
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(self, GetCommandLineA(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                      &process))
    return false;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  *code = static_cast<int>(exitCode);
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

void pumpFor(DWORD milliseconds) {
  pumpUntil([] { return false; }, milliseconds);
}

namespace {
MenuWatcher* activeWatcher = nullptr;
DialogAnswerer* activeAnswerer = nullptr;
std::deque<HWND> dialogsUp;

// A menu whose key did not close it (a greyed item) must not hang the test.
void CALLBACK endStuckMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMenu();
}
}  // namespace

MenuWatcher::MenuWatcher() {
  activeWatcher = this;
  hook_ = SetWindowsHookExA(WH_CALLWNDPROC, hook, nullptr, GetCurrentThreadId());
}

MenuWatcher::~MenuWatcher() {
  UnhookWindowsHookEx(hook_);
  activeWatcher = nullptr;
}

LRESULT CALLBACK MenuWatcher::hook(int code, WPARAM wp, LPARAM lp) {
  auto* call = reinterpret_cast<CWPSTRUCT*>(lp);
  if (code == HC_ACTION && activeWatcher && call->message == WM_INITMENUPOPUP &&
      HIWORD(call->lParam) == 0) {
    // The items' states are final once the menu opens: the shell sets them first.
    OpenedMenu seen{reinterpret_cast<HMENU>(call->wParam), {}};
    for (int i = 0, n = GetMenuItemCount(seen.menu); i < n; ++i) {
      UINT id = GetMenuItemID(seen.menu, i);
      UINT state = GetMenuState(seen.menu, i, MF_BYPOSITION);
      if (id != 0 && id != UINT(-1) && !(state & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)))
        seen.enabled.push_back(id);
    }
    activeWatcher->opened.push_back(seen);
    if (!activeWatcher->keys.empty()) {
      PostMessageA(call->hwnd, WM_CHAR, activeWatcher->keys.front(), 0);
      activeWatcher->keys.pop_front();
    } else if (!activeWatcher->commands.empty()) {
      // The first Down highlights the first item; separators are skipped.
      UINT command = activeWatcher->commands.front();
      activeWatcher->commands.pop_front();
      for (int i = 0, n = GetMenuItemCount(seen.menu); i < n; ++i) {
        if (!(GetMenuState(seen.menu, i, MF_BYPOSITION) & MF_SEPARATOR))
          PostMessageA(call->hwnd, WM_KEYDOWN, VK_DOWN, 0);
        if (GetMenuItemID(seen.menu, i) == command)
          break;
      }
      PostMessageA(call->hwnd, WM_KEYDOWN, VK_RETURN, 0);
    } else {
      PostMessageA(call->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    SetTimer(nullptr, 0, 3000, endStuckMenu);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

DialogAnswerer::DialogAnswerer() {
  activeAnswerer = this;
  dialogsUp.clear();
  hook_ = SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId());
}

DialogAnswerer::~DialogAnswerer() {
  UnhookWindowsHookEx(hook_);
  activeAnswerer = nullptr;
}

LRESULT CALLBACK DialogAnswerer::hook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE && activeAnswerer) {
    HWND window = reinterpret_cast<HWND>(wp);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    bool known = false;
    for (HWND up : dialogsUp)
      known = known || up == window;
    if (std::string(cls) == "#32770" && !known) {
      dialogsUp.push_back(window);
      // Act once the dialog runs its own message loop.
      SetTimer(nullptr, 0, 100, answer);
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

void CALLBACK DialogAnswerer::answer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!activeAnswerer || dialogsUp.empty())
    return;
  HWND dialog = dialogsUp.front();
  dialogsUp.pop_front();
  if (!IsWindow(dialog))
    return;
  activeAnswerer->titles.push_back(windowText(dialog));
  if (activeAnswerer->actions.empty()) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  Action action = std::move(activeAnswerer->actions.front());
  activeAnswerer->actions.pop_front();
  action(dialog);
}

void WorkerMessageBoxes::answer() {
  // Handles of boxes that went may come back for new ones.
  answered_.erase(
      std::remove_if(answered_.begin(), answered_.end(), [](HWND box) { return !IsWindow(box); }),
      answered_.end());
  EnumWindows(visit, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK WorkerMessageBoxes::visit(HWND window, LPARAM self) {
  auto* boxes = reinterpret_cast<WorkerMessageBoxes*>(self);
  DWORD process = 0;
  DWORD thread = GetWindowThreadProcessId(window, &process);
  char cls[32] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (process != GetCurrentProcessId() || thread == GetCurrentThreadId() ||
      std::string(cls) != "#32770" || !IsWindowVisible(window))
    return TRUE;
  // A box goes a moment after its answer: answer and record it once.
  for (HWND seen : boxes->answered_) {
    if (seen == window)
      return TRUE;
  }
  boxes->answered_.push_back(window);
  boxes->texts.push_back(messageBoxText(window));
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

std::string windowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string messageBoxText(HWND box) {
  char text[512] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

std::vector<std::string> comboTexts(HWND combo) {
  std::vector<std::string> out;
  int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char text[256] = {};
    if (SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    out.push_back(text);
  }
  return out;
}

void forgetRegisteredImages() {
  Win32Registry registry;
  RegKey key = registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\ISO");
  registry.writeNumber(key, "Files", 0);
  registry.closeKey(key);
}

std::string listCellText(HWND list, int row, int column) {
  char text[64] = {};
  ListView_GetItemText(list, row, column, text, sizeof text);
  return text;
}
