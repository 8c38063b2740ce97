#pragma once
// Korrin's dot-matrix character set: 256 glyphs of 5 dot columns by 8 dot rows.
// Codes 32..126 are ASCII, 128..255 Windows-1252 letters and symbols (the
// accented letters composed from their base letter), and codes 0..8 and 127
// the progress bar segments. Header-only so that the tests check the very
// table the generator draws.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "glyph_sheets.h"

constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 8;

struct Glyph {
  std::array<std::uint8_t, kGlyphRows> rows{};  // bit 4 is the leftmost dot column

  bool dot(int column, int row) const { return (rows[row] >> (4 - column)) & 1; }
  bool operator==(const Glyph& other) const { return rows == other.rows; }
  bool operator!=(const Glyph& other) const { return rows != other.rows; }
};

struct GlyphFont {
  std::array<Glyph, 256> glyphs{};
  std::string error;  // what is wrong with the tables; empty when they are well formed
};

// One row of 5 dots from "#.#.."; false when the text is not exactly that.
inline bool parseGlyphRow(const char* text, std::uint8_t* bits) {
  *bits = 0;
  for (int c = 0; c < kGlyphColumns; ++c) {
    if (text[c] != '#' && text[c] != '.')
      return false;
    *bits = static_cast<std::uint8_t>((*bits << 1) | (text[c] == '#'));
  }
  return true;
}

inline bool readGlyphSheet(const GlyphSheet& sheet, GlyphFont& font) {
  int count = 0;
  while (count < 8 && sheet.codes[count] != 0)
    ++count;
  for (int r = 0; r < kGlyphRows; ++r) {
    const char* row = sheet.rows[r];
    if (count == 0 || !row || std::strlen(row) != static_cast<std::size_t>(count * 6 - 1))
      return false;
    for (int g = 0; g < count; ++g) {
      if (g > 0 && row[g * 6 - 1] != ' ')
        return false;
      int code = sheet.codes[g];
      if (code < 0 || code > 255 || !parseGlyphRow(row + g * 6, &font.glyphs[code].rows[r]))
        return false;
    }
  }
  return true;
}

// Squeezes a capital's 7 body rows into 5 so an accent fits above it: drops one
// of two equal neighbouring rows where there is one (straight strokes), else
// the second and the second-to-last row.
inline std::vector<std::uint8_t> squeezeCapital(const Glyph& base) {
  std::vector<std::uint8_t> body(base.rows.begin(), base.rows.begin() + 7);
  for (int pass = 0; pass < 2; ++pass) {
    std::size_t drop = pass == 0 ? 1 : body.size() - 2;
    for (std::size_t i = 0; i + 1 < body.size(); ++i) {
      if (body[i] == body[i + 1]) {
        drop = i;
        break;
      }
    }
    body.erase(body.begin() + drop);
  }
  return body;
}

inline bool composeGlyph(const ComposedGlyph& composed, GlyphFont& font) {
  const char* const* marks = kAccentRows[static_cast<int>(composed.accent)];
  Glyph base = font.glyphs[static_cast<unsigned char>(composed.base)];
  Glyph& glyph = font.glyphs[composed.code];
  glyph = base;
  if (composed.accent == Accent::Cedilla)
    return parseGlyphRow(marks[0], &glyph.rows[7]);
  if (composed.base >= 'A' && composed.base <= 'Z') {
    std::vector<std::uint8_t> body = squeezeCapital(base);
    for (int r = 0; r < 5; ++r)
      glyph.rows[2 + r] = body[r];
  }
  // Lower-case letters have their x-height body on rows 2..6 already; the
  // accent replaces whatever is above it (the dot of the i).
  return parseGlyphRow(marks[0], &glyph.rows[0]) && parseGlyphRow(marks[1], &glyph.rows[1]);
}

// The progress bar segments: top and bottom frame lines on rows 0 and 7,
// filled dot columns from the left, and the right end's frame line.
inline Glyph progressSegment(int filledColumns, bool rightEnd) {
  Glyph g;
  for (int r = 0; r < kGlyphRows; ++r) {
    std::uint8_t bits = 0;
    if (r == 0 || r == kGlyphRows - 1)
      bits = 0x1F;
    for (int c = 0; c < filledColumns; ++c)
      bits |= 0x10 >> c;
    if (rightEnd)
      bits |= 0x01;
    g.rows[r] = bits;
  }
  return g;
}

inline GlyphFont buildGlyphFont() {
  GlyphFont font;
  for (const GlyphSheet& sheet : kAsciiSheets)
    if (!readGlyphSheet(sheet, font))
      font.error = "malformed sheet starting with code " + std::to_string(sheet.codes[0]);
  for (const GlyphSheet& sheet : kExtraSheets)
    if (!readGlyphSheet(sheet, font))
      font.error = "malformed sheet starting with code " + std::to_string(sheet.codes[0]);
  for (const ComposedGlyph& composed : kComposedGlyphs)
    if (!composeGlyph(composed, font))
      font.error = "malformed accent for code " + std::to_string(composed.code);
  for (int filled = 0; filled <= 4; ++filled)
    font.glyphs[filled] = progressSegment(filled, false);  // 0 empty middle, 1 empty left end
  for (int filled = 0; filled <= 3; ++filled)
    font.glyphs[5 + filled] = progressSegment(filled, true);
  font.glyphs[127] = progressSegment(kGlyphColumns, false);
  return font;
}
