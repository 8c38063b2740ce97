#pragma once
// A small RGB picture and the Windows file formats the resource compiler takes:
// BMP (8-bit with palette, or 24-bit) and ICO (24-bit images with a mask).
#include <cstdint>
#include <vector>

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
};

inline bool operator==(Rgb a, Rgb b) {
  return a.r == b.r && a.g == b.g && a.b == b.b;
}
inline bool operator!=(Rgb a, Rgb b) {
  return !(a == b);
}

struct Image {
  Image(int width, int height, Rgb fill);

  Rgb& at(int x, int y) { return pixels[y * width + x]; }
  Rgb at(int x, int y) const { return pixels[y * width + x]; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // Sets a pixel; points outside the picture are ignored so shapes may overhang.
  void set(int x, int y, Rgb c);
  void fillRect(int x, int y, int w, int h, Rgb c);
  void frameRect(int x, int y, int w, int h, Rgb c);

  int width;
  int height;
  std::vector<Rgb> pixels;
  // Icons only: 1 where the picture is see-through.
  std::vector<std::uint8_t> clear;
};

// 8 bits per pixel with a palette of the colours used; empty when the picture
// holds more than 256 colours.
std::vector<std::uint8_t> encodeBmp8(const Image& image);
std::vector<std::uint8_t> encodeBmp24(const Image& image);
// An icon file holding the given pictures, each 24-bit with its mask.
std::vector<std::uint8_t> encodeIcon(const std::vector<Image>& sizes);
