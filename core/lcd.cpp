#include "core/lcd.h"

#include <cstring>

#include "platform/host.h"
#include "platform/status_screen.h"

LcdDisplay::LcdDisplay(StatusScreen& screen, Host& host) : screen_(screen), host_(host) {
  std::memset(text_, ' ', sizeof text_);
}

void LcdDisplay::LcdInit() {
  std::memset(text_, ' ', sizeof text_);
  page_ = 0;
  column_ = 0;
  row_ = 0;
}

void LcdDisplay::LcdSetCursor(int column, int row) {
  if (column >= kLcdColumns) {
    column = 0;
    ++row;
  }
  if (row >= kLcdRows)
    row = 0;
  column_ = column;
  row_ = row;
  LcdKeepVisible();
}

void LcdDisplay::LcdPutChar(std::uint8_t code, bool refresh) {
  text_[page_][row_][column_] = code;
  screen_.drawCell(column_, row_, code);
  if (refresh)
    LcdRefresh();
  if (++column_ >= kLcdColumns) {
    column_ = 0;
    if (++row_ >= kLcdRows)
      row_ = 0;
  }
}

void LcdDisplay::LcdRefresh() {
  screen_.refresh();
  LcdKeepVisible();
}

void LcdDisplay::LcdKeepVisible() {
  if (countdown_ < 5)
    countdown_ = 5;
  if (!visible_) {
    screen_.show();
    visible_ = true;
    host_.sleep(100);
  }
}

void LcdDisplay::onTimer() {
  if (countdown_ > 0)
    --countdown_;
  if (countdown_ == 0 && visible_) {
    screen_.hide();
    visible_ = false;
  }
}

void LcdDisplay::LcdPrint(const char* text) {
  if (text) {
    for (; *text; ++text)
      LcdPutChar(static_cast<std::uint8_t>(*text), false);
  }
  LcdRefresh();
}

void LcdDisplay::LcdNewLine() {
  column_ = 0;
  if (++row_ >= kLcdRows)
    row_ = 0;
  LcdKeepVisible();
}

void LcdDisplay::LcdClearLine(int row, bool refresh) {
  int keptColumn = column_, keptRow = row_;
  column_ = 0;
  row_ = row;
  for (int i = 0; i < kLcdColumns; ++i)
    LcdPutChar(' ', false);
  column_ = keptColumn;
  row_ = keptRow;
  if (refresh)
    LcdRefresh();
  LcdKeepVisible();
}

void LcdDisplay::LcdClearPage() {
  column_ = row_ = 0;
  for (int i = 0; i < kLcdRows * kLcdColumns; ++i)
    LcdPutChar(' ', false);
  column_ = row_ = 0;
  LcdRefresh();
}

void LcdDisplay::LcdSelectPage(int page) {
  page_ = page;
  column_ = row_ = 0;
  for (int i = 0; i < kLcdRows * kLcdColumns; ++i) {
    bool last = i == kLcdRows * kLcdColumns - 1;
    LcdPutChar(text_[page_][row_][column_], last);
  }
  column_ = row_ = 0;
  LcdKeepVisible();
}

int LcdDisplay::LcdBeginProgress() {
  int previous = page_;
  if (previous != kLcdProgressPage) {
    std::memcpy(text_[kLcdProgressPage], text_[previous], 7 * kLcdColumns);
  }
  LcdSelectPage(kLcdProgressPage);
  LcdClearLine(7, false);
  LcdSetCursor(0, 7);
  LcdPutChar(kBarLeftEmpty, false);
  for (int i = 1; i < kLcdColumns - 1; ++i)
    LcdPutChar(kBarEmpty, false);
  LcdPutChar(kBarRightEmpty, false);
  LcdSetCursor(0, 6);
  LcdPrint(nullptr);
  return previous;
}

void LcdDisplay::LcdSetProgressRange(int start, int end) {
  progressStart_ = start;
  progressEnd_ = end;
  progressPosition_ = start;
  lastFill_ = -1;
  LcdKeepVisible();
}

void LcdDisplay::LcdAdvanceProgress(int delta) {
  progressPosition_ += delta;
  LcdDrawProgressBar();
  // Also when the bar did not move: a slow operation advancing in small steps
  // must not let the display hide.
  LcdKeepVisible();
}

void LcdDisplay::LcdHoldFor(unsigned ticks) {
  countdown_ = ticks;
}

void LcdDisplay::LcdDrawProgressBar() {
  // Exact integer arithmetic: x87 doubles on the 32-bit target would round
  // 2/198 x 198 below 2 and draw a different bar than other builds.
  std::int64_t fill = 0;
  if (progressEnd_ != progressStart_) {
    fill = static_cast<std::int64_t>(progressPosition_ - progressStart_) * 198 /
           (static_cast<std::int64_t>(progressEnd_) - progressStart_);
    // Outside the range the bar stays empty or full rather than cycling.
    if (fill < 0)
      fill = 0;
    if (fill > 198)
      fill = 198;
  }
  if (fill == lastFill_)
    return;

  std::uint8_t codes[kLcdColumns];
  codes[0] = kBarLeftEmpty;
  for (int i = 1; i < kLcdColumns - 1; ++i)
    codes[i] = kBarEmpty;
  codes[kLcdColumns - 1] = kBarRightEmpty;
  if (fill < 4) {
    codes[0] = static_cast<std::uint8_t>(fill + 1);
  } else if (fill <= 194) {
    codes[0] = kBarFull;
    int q = static_cast<int>(fill - 4) / 5, r = static_cast<int>(fill - 4) % 5;
    for (int i = 1; i <= q; ++i)
      codes[i] = kBarFull;
    if (q < 38)
      codes[q + 1] = static_cast<std::uint8_t>(r);
  } else {
    for (int i = 0; i < kLcdColumns - 1; ++i)
      codes[i] = kBarFull;
    int r = static_cast<int>(fill - 4) % 5;
    codes[kLcdColumns - 1] = r + 5 == 9 ? kBarFull : static_cast<std::uint8_t>(r + 5);
  }
  LcdSetCursor(0, 7);
  for (int i = 0; i < kLcdColumns; ++i)
    LcdPutChar(codes[i], i == kLcdColumns - 1);
  lastFill_ = static_cast<int>(fill);
  LcdKeepVisible();
}

void Splash::ShowSplash(bool autoClose) {
  if (shown_.exchange(true))
    return;
  screen_.splashCreate(autoClose);
  if (!autoClose)
    host_.sleep(50);
}

void Splash::CloseSplash() {
  screen_.splashCloseAfter(1);
}

void Splash::onClosed() {
  alreadyRunning_ = false;
  shown_ = false;
}
