#pragma once
// The status display of the command-line program: nothing is drawn but the
// progress of the operation, as a bar on standard error, and only on a
// terminal once the operation has run for a second.
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "platform/status_screen.h"

class LcdDisplay;

class ProgressBar : public StatusScreen {
 public:
  // err: where the bar goes; shown: whether it may appear at all.
  ProgressBar(std::FILE* err, bool shown) : err_(err), shown_(shown) {}
  // The display whose progress the bar follows, from now.
  void follow(const LcdDisplay& lcd);
  // Erases the bar, if drawn, before anything else is printed.
  void clear();

  void drawCell(int, int, std::uint8_t) override {}
  void refresh() override;
  void show() override {}
  void hide() override {}
  void splashCreate(bool) override {}
  void splashCloseAfter(unsigned) override {}

 private:
  std::FILE* err_;
  bool shown_;
  const LcdDisplay* lcd_ = nullptr;
  // Real time: the host's clock also counts the pauses it skips.
  std::chrono::steady_clock::time_point start_;
  int lastPercent_ = -1;
  bool drawn_ = false;
};
