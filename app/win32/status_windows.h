#pragma once
// The status display window and the splash window: their drawing surfaces,
// their window procedures and the splash painting.
#include <windows.h>

#include "platform/status_screen.h"

constexpr char kLcdClassName[] = "KorrinLcdClass";
constexpr char kSplashClassName[] = "KorrinSplashClass";
constexpr int kLcdShownWidth = 245;
constexpr int kLcdShownHeight = 75;

// Requests other threads send to the windows: timers and showing belong to
// the thread that owns a window.
constexpr UINT kLcdShowMessage = WM_APP + 1;
constexpr UINT kLcdHideMessage = WM_APP + 2;
constexpr UINT kSplashCloseAfterMessage = WM_APP + 3;

class Win32StatusScreen : public StatusScreen {
 public:
  void drawCell(int column, int row, std::uint8_t code) override;
  void refresh() override;
  void show() override;
  void hide() override;
  void splashCreate(bool autoClose) override;
  void splashCloseAfter(unsigned milliseconds) override;

  // The display surface, compatible with the display window, holding the
  // background, and the glyph strip surface.
  void createSurfaces(HWND window);
  void releaseSurfaces();

  // Set by the main window before anything is drawn.
  HINSTANCE instance = nullptr;
  HBITMAP background = nullptr;
  HBITMAP glyphs = nullptr;
  HBITMAP splashPicture = nullptr;
  HWND display = nullptr;
  HWND splash = nullptr;
  HWND owner = nullptr;        // the main window once it exists
  void* windowData = nullptr;  // handed to the windows at creation

  // Dragging the display window.
  bool firstPaint = true;
  RECT firstRect = {};
  POINT dragOrigin = {};
  POINT position = {};

 private:
  HDC displayDc_ = nullptr;
  HDC glyphDc_ = nullptr;
  HGDIOBJ oldDisplayBitmap_ = nullptr;
  HGDIOBJ oldGlyphBitmap_ = nullptr;
};

LRESULT CALLBACK lcdWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp);
LRESULT CALLBACK splashWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp);
