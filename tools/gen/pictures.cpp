// Writes the pictures: the status display's glyph strip and background, the
// splash, and for every pictogram a tree bitmap and an icon.
#include <cstdio>

#include "gen.h"
#include "pictograms.h"
#include "pictures.h"

namespace {

bool writeBmp8(const std::string& path, const Image& image) {
  std::vector<std::uint8_t> bytes = encodeBmp8(image);
  if (bytes.empty()) {
    std::fprintf(stderr, "korrin_gen: %s has more than 256 colours\n", path.c_str());
    return false;
  }
  return writeFile(path, bytes);
}

}  // namespace

bool writePictures(const std::string& out) {
  GlyphFont font = buildGlyphFont();
  if (!font.error.empty()) {
    std::fprintf(stderr, "korrin_gen: glyphs: %s\n", font.error.c_str());
    return false;
  }
  if (!writeBmp8(out + "/lcd_glyphs.bmp", drawGlyphStrip(font)) ||
      !writeBmp8(out + "/lcd_background.bmp", drawDisplayBackground()) ||
      !writeBmp8(out + "/splash.bmp", drawSplash(font)))
    return false;
  for (const Pictogram& pictogram : pictograms()) {
    std::string error;
    Image small = drawPictogram(pictogram, 1, &error);
    Image large = drawPictogram(pictogram, 2, &error);
    if (!error.empty()) {
      std::fprintf(stderr, "korrin_gen: pictogram %s\n", error.c_str());
      return false;
    }
    if (!writeFile(out + "/tree_" + pictogram.name + ".bmp", encodeBmp24(treeBitmap(small))) ||
        !writeFile(out + "/icon_" + pictogram.name + ".ico", encodeIcon({large, small})))
      return false;
  }
  return true;
}
