// Korrin's entry point.
#include <windows.h>

#include "resources/resource_ids.h"

static LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDC_EXIT) {
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  char title[101] = "Korrin", className[101] = "Korrin199909";
  LoadStringA(instance, IDS_PROGRAM_TITLE, title, sizeof title);
  LoadStringA(instance, IDS_MAIN_CLASS, className, sizeof className);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = mainWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  RegisterClassExA(&wc);
  RECT desk;
  GetClientRect(GetDesktopWindow(), &desk);
  HWND window = CreateWindowExA(WS_EX_APPWINDOW, className, title, WS_OVERLAPPEDWINDOW,
                                (desk.right - 800) / 2, (desk.bottom - 600) / 2, 800, 600,
                                nullptr, LoadMenuA(instance, MAKEINTRESOURCEA(IDM_MAIN)),
                                instance, nullptr);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
