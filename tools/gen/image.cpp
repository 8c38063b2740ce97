// Writes BMP and ICO files: little-endian headers, rows bottom-up, each row
// padded to a multiple of 4 bytes.
#include "image.h"

#include <algorithm>

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

int rowBytes(int width, int bitsPerPixel) {
  return (width * bitsPerPixel + 31) / 32 * 4;
}

// BITMAPINFOHEADER; an icon image states twice its height (picture plus mask).
void putInfoHeader(std::vector<std::uint8_t>& out, int width, int height, int bits,
                   std::uint32_t imageBytes, std::uint32_t colours) {
  put32(out, 40);
  put32(out, width);
  put32(out, height);
  put16(out, 1);
  put16(out, bits);
  put32(out, 0);  // uncompressed
  put32(out, imageBytes);
  put32(out, 2835);  // 72 dpi
  put32(out, 2835);
  put32(out, colours);
  put32(out, 0);
}

void putFileHeader(std::vector<std::uint8_t>& out, std::uint32_t fileSize, std::uint32_t bitsAt) {
  out.push_back('B');
  out.push_back('M');
  put32(out, fileSize);
  put32(out, 0);
  put32(out, bitsAt);
}

void putRows24(std::vector<std::uint8_t>& out, const Image& image, bool blackWhereClear) {
  int pad = rowBytes(image.width, 24) - image.width * 3;
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      Rgb c = image.at(x, y);
      if (blackWhereClear && image.clear[y * image.width + x])
        c = Rgb{};
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    out.insert(out.end(), pad, 0);
  }
}

}  // namespace

Image::Image(int w, int h, Rgb fill) : width(w), height(h), pixels(w * h, fill), clear(w * h, 0) {}

void Image::set(int x, int y, Rgb c) {
  if (inside(x, y)) {
    at(x, y) = c;
    clear[y * width + x] = 0;
  }
}

void Image::fillRect(int x, int y, int w, int h, Rgb c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      set(i, j, c);
}

void Image::frameRect(int x, int y, int w, int h, Rgb c) {
  fillRect(x, y, w, 1, c);
  fillRect(x, y + h - 1, w, 1, c);
  fillRect(x, y, 1, h, c);
  fillRect(x + w - 1, y, 1, h, c);
}

std::vector<std::uint8_t> encodeBmp8(const Image& image) {
  std::vector<Rgb> palette;
  std::vector<std::uint8_t> index(image.pixels.size());
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    auto found = std::find(palette.begin(), palette.end(), image.pixels[i]);
    if (found == palette.end()) {
      if (palette.size() == 256)
        return {};
      found = palette.insert(palette.end(), image.pixels[i]);
    }
    index[i] = static_cast<std::uint8_t>(found - palette.begin());
  }
  int stride = rowBytes(image.width, 8);
  std::uint32_t bitsAt = 14 + 40 + 4 * palette.size();
  std::uint32_t imageBytes = stride * image.height;
  std::vector<std::uint8_t> out;
  putFileHeader(out, bitsAt + imageBytes, bitsAt);
  putInfoHeader(out, image.width, image.height, 8, imageBytes, palette.size());
  for (Rgb c : palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    auto row = index.begin() + y * image.width;
    out.insert(out.end(), row, row + image.width);
    out.insert(out.end(), stride - image.width, 0);
  }
  return out;
}

std::vector<std::uint8_t> encodeBmp24(const Image& image) {
  std::uint32_t imageBytes = rowBytes(image.width, 24) * image.height;
  std::vector<std::uint8_t> out;
  putFileHeader(out, 14 + 40 + imageBytes, 14 + 40);
  putInfoHeader(out, image.width, image.height, 24, imageBytes, 0);
  putRows24(out, image, false);
  return out;
}

std::vector<std::uint8_t> encodeIcon(const std::vector<Image>& sizes) {
  std::vector<std::vector<std::uint8_t>> bodies;
  for (const Image& image : sizes) {
    int maskStride = rowBytes(image.width, 1);
    std::uint32_t imageBytes = rowBytes(image.width, 24) * image.height + maskStride * image.height;
    std::vector<std::uint8_t> body;
    putInfoHeader(body, image.width, image.height * 2, 24, imageBytes, 0);
    putRows24(body, image, true);
    for (int y = image.height - 1; y >= 0; --y) {
      std::vector<std::uint8_t> row(maskStride, 0);
      for (int x = 0; x < image.width; ++x)
        if (image.clear[y * image.width + x])
          row[x / 8] |= 0x80 >> (x % 8);
      body.insert(body.end(), row.begin(), row.end());
    }
    bodies.push_back(body);
  }
  std::vector<std::uint8_t> out;
  put16(out, 0);
  put16(out, 1);  // icon
  put16(out, sizes.size());
  std::uint32_t offset = 6 + 16 * sizes.size();
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    out.push_back(sizes[i].width & 0xFF);  // 256 would be written as 0
    out.push_back(sizes[i].height & 0xFF);
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);
    put16(out, 24);
    put32(out, bodies[i].size());
    put32(out, offset);
    offset += bodies[i].size();
  }
  for (const auto& body : bodies)
    out.insert(out.end(), body.begin(), body.end());
  return out;
}
