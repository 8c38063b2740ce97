#include "cli/progress_bar.h"

#include "core/lcd.h"

namespace {
constexpr std::chrono::milliseconds kQuiet{1000};
constexpr int kBarWidth = 40;
}  // namespace

void ProgressBar::follow(const LcdDisplay& lcd) {
  lcd_ = &lcd;
  start_ = std::chrono::steady_clock::now();
}

void ProgressBar::refresh() {
  if (!shown_ || !lcd_ || std::chrono::steady_clock::now() - start_ < kQuiet)
    return;
  long long end = lcd_->LcdProgressEnd();
  long long at = lcd_->LcdProgressPosition();
  if (end <= 0)
    return;
  int percent = static_cast<int>(at < 0 ? 0 : at >= end ? 100 : at * 100 / end);
  if (percent == lastPercent_)
    return;
  lastPercent_ = percent;
  char bar[kBarWidth + 1];
  for (int i = 0; i < kBarWidth; ++i)
    bar[i] = i < percent * kBarWidth / 100 ? '#' : '.';
  bar[kBarWidth] = 0;
  std::fprintf(err_, "\r[%s] %3d%%", bar, percent);
  std::fflush(err_);
  drawn_ = true;
}

void ProgressBar::clear() {
  if (!drawn_)
    return;
  std::fprintf(err_, "\r%*s\r", kBarWidth + 8, "");
  std::fflush(err_);
  drawn_ = false;
  lastPercent_ = -1;
}
