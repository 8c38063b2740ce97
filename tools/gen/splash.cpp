// The splash picture: the program's name on a dot-matrix display over a
// keyboard, on an indigo gradient, with a plain strip at the bottom for the
// version line.
#include <cstring>

#include "pictures.h"

namespace {

constexpr int kWidth = 200, kHeight = 120;
constexpr int kStripTop = 96;  // the text strip (3,98)-(197,118) lies inside
constexpr Rgb kStrip{236, 232, 244};

Rgb blend(Rgb a, Rgb b, int step, int steps) {
  auto mix = [&](int x, int y) { return static_cast<std::uint8_t>(x + (y - x) * step / steps); };
  return Rgb{mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

void drawBackground(Image& image) {
  const Rgb top{28, 20, 70}, bottom{104, 84, 160};
  for (int y = 0; y < kStripTop; ++y)
    image.fillRect(0, y, kWidth, 1, blend(top, bottom, y, kStripTop - 1));
  image.fillRect(0, kStripTop - 1, kWidth, 1, Rgb{168, 156, 208});
  image.fillRect(0, kStripTop, kWidth, kHeight - kStripTop, kStrip);
}

// The word as the status display would show it, each dot 3x3 on a 4-pixel pitch.
void drawDotMatrixWord(Image& image, const GlyphFont& font, const char* word, int left, int top) {
  const int pitch = 4, dot = 3;
  int cells = static_cast<int>(std::strlen(word));
  int width = (cells * (kGlyphColumns + 1) - 1) * pitch, height = kGlyphRows * pitch;
  image.fillRect(left - 11, top - 11, width + 22, height + 22, Rgb{16, 10, 40});
  image.fillRect(left - 9, top - 9, width + 18, height + 18, Rgb{60, 52, 96});
  image.fillRect(left - 8, top - 8, width + 16, height + 16, kLcdPanel);
  for (int i = 0; i < cells; ++i) {
    const Glyph& glyph = font.glyphs[static_cast<unsigned char>(word[i])];
    for (int row = 0; row < kGlyphRows; ++row)
      for (int column = 0; column < kGlyphColumns; ++column)
        image.fillRect(left + (i * (kGlyphColumns + 1) + column) * pitch, top + row * pitch, dot,
                       dot, glyph.dot(column, row) ? Rgb{24, 32, 24} : kLcdUnlit);
  }
}

// Two octaves from C: black keys follow C, D, F, G and A.
void drawKeyboard(Image& image, int left, int top, int whiteKeys) {
  const int keyWidth = 12, whiteHeight = 18, blackHeight = 11, blackWidth = 7;
  const Rgb white{246, 244, 250}, gap{60, 50, 96}, black{20, 14, 40};
  image.fillRect(left - 1, top - 1, whiteKeys * keyWidth + 1, whiteHeight + 2, gap);
  for (int k = 0; k < whiteKeys; ++k)
    image.fillRect(left + k * keyWidth, top, keyWidth - 1, whiteHeight, white);
  for (int k = 0; k + 1 < whiteKeys; ++k) {
    int note = k % 7;
    if (note == 2 || note == 6)
      continue;
    image.fillRect(left + (k + 1) * keyWidth - 1 - blackWidth / 2, top, blackWidth, blackHeight,
                   black);
  }
}

}  // namespace

Image drawSplash(const GlyphFont& font) {
  Image image(kWidth, kHeight, kStrip);
  drawBackground(image);
  const char* word = "Korrin";
  int wordWidth = (6 * (kGlyphColumns + 1) - 1) * 4;
  drawDotMatrixWord(image, font, word, (kWidth - wordWidth) / 2, 18);
  drawKeyboard(image, (kWidth - 14 * 12) / 2 + 1, 72, 14);
  return image;
}
