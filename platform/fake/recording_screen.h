#pragma once
// A status screen that records what was drawn.
#include <cstdint>

#include "platform/status_screen.h"

class RecordingScreen : public StatusScreen {
 public:
  void drawCell(int column, int row, std::uint8_t code) override {
    cells[row][column] = code;
    ++cellsDrawn;
  }
  void refresh() override { ++refreshes; }
  void show() override {
    shown = true;
    ++shows;
  }
  void hide() override { shown = false; }
  void splashCreate(bool autoClose) override {
    splashUp = true;
    splashAutoClose = autoClose;
    ++splashCreates;
  }
  void splashCloseAfter(unsigned milliseconds) override { splashCloseMs = milliseconds; }

  std::uint8_t cells[8][40] = {};
  int cellsDrawn = 0;
  int refreshes = 0;
  int shows = 0;
  bool shown = false;
  bool splashUp = false;
  bool splashAutoClose = false;
  int splashCreates = 0;
  unsigned splashCloseMs = 0;
};
