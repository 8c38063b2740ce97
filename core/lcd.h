#pragma once
// The status display: 10 pages of 8 x 40 character codes, a cursor and a
// progress bar on row 7, drawn through the status screen port. The window
// pops up on any write and hides after the countdown of 250 ms ticks runs out.
#include <atomic>
#include <cstdint>

class Host;
class StatusScreen;

constexpr int kLcdPages = 10;
constexpr int kLcdRows = 8;
constexpr int kLcdColumns = 40;
constexpr int kLcdProgressPage = 9;

// Glyph codes of the progress bar segments.
constexpr std::uint8_t kBarEmpty = 0;       // middle cell, frame lines only
constexpr std::uint8_t kBarLeftEmpty = 1;   // 1..4: first 1..4 dot columns filled
constexpr std::uint8_t kBarRightEmpty = 5;  // 6..8: right end with 1..3 columns filled
constexpr std::uint8_t kBarFull = 127;

class LcdDisplay {
 public:
  LcdDisplay(StatusScreen& screen, Host& host);

  void LcdInit();
  void LcdSetCursor(int column, int row);
  void LcdPrint(const char* text);
  void LcdNewLine();
  void LcdClearLine(int row, bool refresh);
  void LcdClearPage();
  void LcdSelectPage(int page);
  int LcdBeginProgress();
  void LcdSetProgressRange(int start, int end);
  void LcdAdvanceProgress(int delta);
  void LcdHoldFor(unsigned ticks);
  int LcdCurrentPage() const { return page_; }
  void LcdExtendProgress(int delta) { progressEnd_ += delta; }
  int LcdProgressEnd() const { return progressEnd_; }
  int LcdProgressPosition() const { return progressPosition_; }

  // The window's 250 ms timer.
  void onTimer();
  // The window asks to be painted.
  void onPaint() { LcdRefresh(); }

  std::uint8_t at(int page, int row, int column) const { return text_[page][row][column]; }
  int cursorColumn() const { return column_; }
  int cursorRow() const { return row_; }
  bool visible() const { return visible_; }
  unsigned countdown() const { return countdown_; }

 private:
  void LcdPutChar(std::uint8_t code, bool refresh);
  void LcdRefresh();
  void LcdKeepVisible();
  void LcdDrawProgressBar();

  StatusScreen& screen_;
  Host& host_;
  std::uint8_t text_[kLcdPages][kLcdRows][kLcdColumns];
  int page_ = 0;
  int column_ = 0;
  int row_ = 0;
  int progressStart_ = 0;
  int progressEnd_ = 0;
  int progressPosition_ = 0;
  int lastFill_ = -1;
  // Written by worker threads and the window's timer alike.
  std::atomic<unsigned> countdown_{0};
  std::atomic<bool> visible_{false};
};

// The splash picture's state: shown, and which line it carries.
class Splash {
 public:
  explicit Splash(StatusScreen& screen, Host& host) : screen_(screen), host_(host) {}
  void ShowSplash(bool autoClose);
  void CloseSplash();
  // The splash window's timer fired and the window was destroyed.
  void onClosed();
  void setAlreadyRunning(bool on) { alreadyRunning_ = on; }
  bool alreadyRunning() const { return alreadyRunning_; }
  bool shown() const { return shown_; }

 private:
  StatusScreen& screen_;
  Host& host_;
  std::atomic<bool> shown_{false};
  std::atomic<bool> alreadyRunning_{false};
};
