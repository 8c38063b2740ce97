#pragma once
// The status display window and the splash as drawing surfaces; the text,
// cursor, countdown and splash rules live in the portable model.
#include <cstdint>

class StatusScreen {
 public:
  virtual ~StatusScreen() = default;
  // Copies glyph code into the off-screen picture at the cell; no window update.
  virtual void drawCell(int column, int row, std::uint8_t code) = 0;
  // Copies the off-screen picture to the window.
  virtual void refresh() = 0;
  // Shows the window, lets it paint, and starts its 250 ms timer.
  virtual void show() = 0;
  // Stops the timer and hides the window.
  virtual void hide() = 0;

  // Creates the splash window; with autoClose its 3 s timer closes it.
  virtual void splashCreate(bool autoClose) = 0;
  // Restarts the splash timer so that it closes after the given time.
  virtual void splashCloseAfter(unsigned milliseconds) = 0;
};
