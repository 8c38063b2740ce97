// The glyph strip and the background of the status display.
#include "pictures.h"

Image drawGlyphStrip(const GlyphFont& font) {
  const int cellWidth = kGlyphColumns + 1, cellHeight = kGlyphRows + 1;
  Image strip(256 * cellWidth, cellHeight, kLcdPanel);
  for (int code = 0; code < 256; ++code)
    for (int row = 0; row < kGlyphRows; ++row)
      for (int column = 0; column < kGlyphColumns; ++column)
        strip.set(code * cellWidth + column, row,
                  font.glyphs[code].dot(column, row) ? kLcdInk : kLcdUnlit);
  return strip;
}

Image drawDisplayBackground() {
  return Image(365, 228, kLcdPanel);
}
