// The dot-matrix character set: its tables are well formed, the progress bar
// shows every fill in exactly its dot columns, and the letters keep to their
// rows.
#include "tools/gen/glyphs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "core/lcd.h"
#include "tests/support/test_context.h"

namespace {

const GlyphFont& font() {
  static const GlyphFont f = buildGlyphFont();
  return f;
}

// A dot column as the bar shows it: '#' solid, '.' only the frame lines that
// run through every segment, '?' anything else.
char column(const Glyph& g, int column) {
  int lit = 0;
  for (int row = 0; row < kGlyphRows; ++row)
    lit += g.dot(column, row);
  return lit == kGlyphRows                                               ? '#'
         : lit == 2 && g.dot(column, 0) && g.dot(column, kGlyphRows - 1) ? '.'
                                                                         : '?';
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
    lcd.LcdAdvanceProgress(fill > 0);
    std::string shown;
    for (int cell = 0; cell < kLcdColumns; ++cell)
      for (int c = 0; c < kGlyphColumns; ++c)
        shown += column(font().glyphs[lcd.at(kLcdProgressPage, 7, cell)], c);
    ASSERT_EQ(shown, std::string(fill + 1, '#') + std::string(198 - fill, '.') + "#") << fill;
  }
}

TEST(Glyphs, TablesAreWellFormedAndLettersSitOnTheBaseline) {
  EXPECT_EQ(font().error, "");
  const std::set<int> blank = {32,  129, 141, 143,
                               144, 157, 160};  // space, no-break space, undefined
  std::set<std::array<std::uint8_t, kGlyphRows>> seen;
  for (int code = 32; code <= 255; ++code) {
    const Glyph& g = font().glyphs[code];
    EXPECT_EQ(g == Glyph{}, blank.count(code) == 1) << "code " << code;
    EXPECT_TRUE(code > 126 || seen.insert(g.rows).second) << "code " << code << " repeated";
  }
  for (unsigned char c : std::string("ABCZ09bdhkacemxzgjpqy")) {
    const Glyph& g = font().glyphs[c];  // only descenders reach the lowest row
    EXPECT_TRUE(g.rows[6] != 0 && (g.rows[7] == 0) == !std::strchr("gjpqy", c)) << c;
  }
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
