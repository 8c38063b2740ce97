#include "app/win32/entry.h"

#include <memory>

#include "app/program.h"
#include "app/win32/main_window.h"
#include "resources/resource_ids.h"

static std::string loadText(HINSTANCE instance, UINT id, const char* fallback) {
  char text[101];
  if (LoadStringA(instance, id, text, sizeof text) <= 0)
    return fallback;
  return text;
}

int runKorrin(HINSTANCE instance, int show) {
  std::string title = loadText(instance, IDS_PROGRAM_TITLE, "Korrin");
  std::string className = loadText(instance, IDS_MAIN_CLASS, "Korrin199909");

  if (HWND running = FindWindowA(className.c_str(), nullptr)) {
    SetForegroundWindow(running);
    // A hung first copy must not hang this one too.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(running, WM_COMMAND, CmdAbout, 1, SMTO_ABORTIFHUNG, 5000, &ignored);
    return 0;
  }

  auto app = std::make_unique<MainWindow>(instance, title, className);
  loadMenus(*app);
  registerWindowClasses(instance, className);
  app->startupDrivers = createDrivers(app->ctx);
  installOperations(app->ctx);
  createMainWindows(*app, show);

  MSG msg = {};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // A worker still running may use the program's state until the process ends.
  if (app->ctx.busy)
    app.release();
  return static_cast<int>(msg.wParam);
}
