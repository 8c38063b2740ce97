// The dot-matrix character set: its tables are well formed, the progress bar
// segments fill exactly the dot columns their codes stand for, and the letters
// keep to their rows.
#include "tools/gen/glyphs.h"

#include <gtest/gtest.h>

#include <set>

#include "core/lcd.h"
#include "tests/support/test_context.h"

namespace {

const GlyphFont& font() {
  static const GlyphFont f = buildGlyphFont();
  return f;
}

bool solidColumn(const Glyph& g, int column) {
  for (int row = 0; row < kGlyphRows; ++row)
    if (!g.dot(column, row))
      return false;
  return true;
}

bool blankRow(const Glyph& g, int row) {
  return g.rows[row] == 0;
}

bool blank(const Glyph& g) {
  return g == Glyph{};
}

TEST(Glyphs, TablesAreWellFormed) {
  EXPECT_EQ(font().error, "");
}

TEST(Glyphs, ProgressSegmentsFillTheColumnsTheirCodesStandFor) {
  struct Segment {
    int code;
    const char* solid;  // which of the 5 dot columns are solid
  };
  const Segment segments[] = {{0, "....."}, {1, "#...."},  {2, "##..."}, {3, "###.."},
                              {4, "####."}, {5, "....#"},  {6, "#...#"}, {7, "##..#"},
                              {8, "###.#"}, {127, "#####"}};
  for (const Segment& s : segments) {
    const Glyph& g = font().glyphs[s.code];
    for (int column = 0; column < kGlyphColumns; ++column) {
      EXPECT_EQ(solidColumn(g, column), s.solid[column] == '#')
          << "code " << s.code << " column " << column;
      // The frame lines run through every segment; nothing else is lit.
      EXPECT_TRUE(g.dot(column, 0) && g.dot(column, kGlyphRows - 1)) << "code " << s.code;
      if (s.solid[column] == '.') {
        for (int row = 1; row < kGlyphRows - 1; ++row)
          EXPECT_FALSE(g.dot(column, row)) << "code " << s.code;
      }
    }
  }
}

// Every fill the status display draws shows that many fifth-columns solid from
// the left, after the left frame line and before the right one.
TEST(Glyphs, ProgressBarShowsItsFillInSolidColumns) {
  TestContext t;
  LcdDisplay& lcd = t.ctx.lcd;
  lcd.LcdInit();
  lcd.LcdBeginProgress();
  lcd.LcdSetProgressRange(0, 198);
  for (int fill = 0; fill <= 198; ++fill) {
    if (fill > 0)
      lcd.LcdAdvanceProgress(1);
    std::string shown;
    for (int cell = 0; cell < kLcdColumns; ++cell)
      for (int column = 0; column < kGlyphColumns; ++column)
        shown += solidColumn(font().glyphs[lcd.at(kLcdProgressPage, 7, cell)], column) ? '#' : '.';
    ASSERT_EQ(shown, std::string(fill + 1, '#') + std::string(198 - fill, '.') + "#") << fill;
  }
}

TEST(Glyphs, EveryCharacterIsDrawnDistinctAndLettersSitOnTheBaseline) {
  const std::set<int> undefined = {129, 141, 143, 144, 157, 160};  // and 160 is a blank
  std::set<std::array<std::uint8_t, kGlyphRows>> seen;
  for (int code = 33; code <= 255; ++code) {
    const Glyph& g = font().glyphs[code];
    EXPECT_EQ(blank(g), undefined.count(code) == 1) << "code " << code;
    EXPECT_TRUE(code > 126 || seen.insert(g.rows).second) << "code " << code << " repeated";
  }
  EXPECT_TRUE(blank(font().glyphs[' ']));
  for (char c : std::string("ABCZ09bdhkacemxz")) {
    const Glyph& g = font().glyphs[static_cast<unsigned char>(c)];
    EXPECT_FALSE(blankRow(g, 6)) << c;
    EXPECT_TRUE(blankRow(g, 7)) << c;
  }
  for (char c : std::string("gjpqy"))
    EXPECT_FALSE(blankRow(font().glyphs[static_cast<unsigned char>(c)], 7)) << c;
}

TEST(Glyphs, AccentedLettersKeepTheirBaseLetterUnderTheAccent) {
  for (const ComposedGlyph& composed : kComposedGlyphs) {
    const Glyph& g = font().glyphs[composed.code];
    const Glyph& base = font().glyphs[static_cast<unsigned char>(composed.base)];
    EXPECT_NE(g, base) << "code " << composed.code;
    EXPECT_EQ(g.rows[6], base.rows[6]) << "code " << composed.code;  // same baseline
  }
  // Capital and small letter carry the same accent: À and à.
  EXPECT_EQ(font().glyphs[192].rows[0], font().glyphs[224].rows[0]);
  // The small i loses its dot under an accent.
  EXPECT_EQ(font().glyphs[236].rows[1], 0b00100);
}

}  // namespace
