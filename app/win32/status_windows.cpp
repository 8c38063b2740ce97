#include "app/win32/status_windows.h"

#include <windowsx.h>

#include "app/win32/main_window.h"

constexpr int kCellWidth = 6;
constexpr int kCellHeight = 9;

void Win32StatusScreen::createSurfaces(HWND window) {
  HDC windowDc = GetDC(window);
  displayDc_ = CreateCompatibleDC(windowDc);
  glyphDc_ = CreateCompatibleDC(windowDc);
  ReleaseDC(window, windowDc);
  if (background)
    oldDisplayBitmap_ = SelectObject(displayDc_, background);
  if (glyphs)
    oldGlyphBitmap_ = SelectObject(glyphDc_, glyphs);
}

void Win32StatusScreen::releaseSurfaces() {
  if (displayDc_) {
    if (oldDisplayBitmap_)
      SelectObject(displayDc_, oldDisplayBitmap_);
    DeleteDC(displayDc_);
  }
  if (glyphDc_) {
    if (oldGlyphBitmap_)
      SelectObject(glyphDc_, oldGlyphBitmap_);
    DeleteDC(glyphDc_);
  }
  displayDc_ = glyphDc_ = nullptr;
  oldDisplayBitmap_ = oldGlyphBitmap_ = nullptr;
}

void Win32StatusScreen::drawCell(int column, int row, std::uint8_t code) {
  if (!displayDc_)
    return;
  BitBlt(displayDc_, kCellWidth * column + 3, kCellHeight * row + 2, kCellWidth, kCellHeight,
         glyphDc_, kCellWidth * code, 0, SRCCOPY);
}

void Win32StatusScreen::refresh() {
  if (!displayDc_ || !display)
    return;
  HDC windowDc = GetDC(display);
  BitBlt(windowDc, 0, 0, kLcdShownWidth, kLcdShownHeight, displayDc_, 0, 0, SRCCOPY);
  ReleaseDC(display, windowDc);
}

void Win32StatusScreen::show() {
  if (display)
    SendMessageA(display, kLcdShowMessage, 0, 0);
}

void Win32StatusScreen::hide() {
  if (display)
    SendMessageA(display, kLcdHideMessage, 0, 0);
}

void Win32StatusScreen::splashCreate(bool autoClose) {
  RECT desk;
  GetClientRect(GetDesktopWindow(), &desk);
  splash = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClassName, "", WS_POPUP,
                           (desk.right - 200) / 2, (desk.bottom - 120) / 2, 200, 120, owner,
                           nullptr, instance, windowData);
  if (!splash)
    return;
  // Shown without taking the focus from whatever the user is doing.
  ShowWindow(splash, SW_SHOWNOACTIVATE);
  if (autoClose) {
    SetTimer(splash, 1, 3000, nullptr);
  } else {
    UpdateWindow(splash);
  }
}

void Win32StatusScreen::splashCloseAfter(unsigned milliseconds) {
  if (splash)
    SendMessageA(splash, kSplashCloseAfterMessage, milliseconds, 0);
}

// Keeps the window data of a window being created.
static MainWindow* attachOnCreate(HWND window, UINT message, LPARAM lp) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return mainWindowOf(window);
}

static void paintLcd(MainWindow& app, HWND window) {
  Win32StatusScreen& s = app.screen;
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
  // A repaint renews the countdown like any write.
  app.ctx.lcd.onPaint();
  if (s.firstPaint) {
    s.firstPaint = false;
    GetWindowRect(window, &s.firstRect);
    s.position = {s.firstRect.left, s.firstRect.top};
  }
}

static void dragLcd(MainWindow& app, HWND window, LPARAM lp) {
  Win32StatusScreen& s = app.screen;
  s.position.x += GET_X_LPARAM(lp) - s.dragOrigin.x;
  s.position.y += GET_Y_LPARAM(lp) - s.dragOrigin.y;
  MoveWindow(window, s.position.x, s.position.y, s.firstRect.right - s.firstRect.left,
             s.firstRect.bottom - s.firstRect.top, TRUE);
}

LRESULT CALLBACK lcdWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  MainWindow* app = attachOnCreate(window, message, lp);
  if (!app)
    return DefWindowProcA(window, message, wp, lp);
  Win32StatusScreen& s = app->screen;
  switch (message) {
    case WM_CREATE:
      s.firstPaint = true;
      s.display = window;
      s.createSurfaces(window);
      return 0;
    case WM_PAINT:
      paintLcd(*app, window);
      return 0;
    case WM_CLOSE:
      return 0;  // the display cannot be closed
    case WM_TIMER:
      if (wp == 1)
        app->ctx.lcd.onTimer();
      return 0;
    case WM_LBUTTONDOWN:
      s.dragOrigin = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      SetCapture(window);
      return 0;
    case WM_MOUSEMOVE:
      if ((wp & MK_LBUTTON) && GetCapture() == window && !s.firstPaint)
        dragLcd(*app, window, lp);
      return 0;
    case WM_LBUTTONUP:
      ReleaseCapture();
      return 0;
    case kLcdShowMessage:
      ShowWindow(window, SW_SHOWNOACTIVATE);
      UpdateWindow(window);
      SetTimer(window, 1, 250, nullptr);
      return 0;
    case kLcdHideMessage:
      KillTimer(window, 1);
      ShowWindow(window, SW_HIDE);
      return 0;
  }
  return DefWindowProcA(window, message, wp, lp);
}

static void paintSplash(MainWindow& app, HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HDC picture = CreateCompatibleDC(dc);
  HGDIOBJ oldPicture = SelectObject(picture, app.screen.splashPicture);
  BitBlt(dc, 0, 0, 200, 120, picture, 0, 0, SRCCOPY);
  SelectObject(picture, oldPicture);
  DeleteDC(picture);

  bool alreadyRunning = app.ctx.splash.alreadyRunning();
  HFONT font = CreateFontA(16, 0, 0, 0, alreadyRunning ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                           VARIABLE_PITCH, "Arial");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, alreadyRunning ? RGB(255, 0, 0) : RGB(41, 16, 99));
  RECT line = {3, 98, 197, 118};
  const std::string& text = alreadyRunning ? std::string("Already running") : app.ctx.versionText;
  DrawTextA(dc, text.c_str(), -1, &line, DT_SINGLELINE | DT_CENTER | DT_BOTTOM);
  SelectObject(dc, oldFont);
  DeleteObject(font);
  EndPaint(window, &paint);
}

LRESULT CALLBACK splashWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  MainWindow* app = attachOnCreate(window, message, lp);
  if (!app)
    return DefWindowProcA(window, message, wp, lp);
  switch (message) {
    case WM_PAINT:
      paintSplash(*app, window);
      return 0;
    case WM_CLOSE:
      return 0;
    case WM_TIMER:
      KillTimer(window, wp);
      DestroyWindow(window);
      if (app->screen.splash == window)
        app->screen.splash = nullptr;
      app->ctx.splash.onClosed();
      return 0;
    case kSplashCloseAfterMessage:
      SetTimer(window, 1, static_cast<UINT>(wp), nullptr);
      return 0;
  }
  return DefWindowProcA(window, message, wp, lp);
}
