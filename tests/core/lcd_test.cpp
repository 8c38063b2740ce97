#include "core/lcd.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_context.h"

namespace {

struct LcdTest : ::testing::Test {
  TestContext t;
  LcdDisplay& lcd = t.ctx.lcd;
  void SetUp() override { lcd.LcdInit(); }

  // The codes of a row, trailing blanks dropped.
  std::string row(int page, int r) {
    std::string s;
    for (int c = 0; c < kLcdColumns; ++c)
      s += static_cast<char>(lcd.at(page, r, c));
    return s.substr(0, s.find_last_not_of(' ') + 1);
  }
  std::string cursor() {
    return std::to_string(lcd.cursorColumn()) + "," + std::to_string(lcd.cursorRow());
  }
};

TEST_F(LcdTest, TextWrapsToTheNextRowAndFromTheLastRowToTheFirstAndPagesKeepTheirText) {
  lcd.LcdSetCursor(3, 7);
  lcd.LcdNewLine();
  EXPECT_EQ(cursor(), "0,0");
  lcd.LcdPrint(std::string(45, 'a').c_str());
  EXPECT_EQ(row(0, 1) + "|" + cursor(), "aaaaa|5,1");
  lcd.LcdSetCursor(38, 7);
  lcd.LcdPrint("xyz");
  EXPECT_EQ(row(0, 0), "z" + std::string(39, 'a'));

  // Clearing a line keeps the cursor; each page keeps its own text.
  lcd.LcdSetCursor(10, 5);
  lcd.LcdClearLine(1, false);
  EXPECT_EQ(row(0, 1) + "|" + cursor(), "|10,5");
  lcd.LcdSelectPage(2);
  lcd.LcdPrint("page two");
  lcd.LcdSelectPage(0);
  EXPECT_EQ(row(2, 0), "page two");
  lcd.LcdSetCursor(5, 5);
  lcd.LcdClearPage();
  EXPECT_EQ(row(0, 0) + "|" + cursor(), "|0,0");
}

// Which codes draw each fill is held to the glyphs by the glyph tests.
TEST_F(LcdTest, ProgressKeepsRowsZeroToSixAndItsBarStaysBetweenEmptyAndFull) {
  lcd.LcdSelectPage(3);
  lcd.LcdSetCursor(0, 6);
  lcd.LcdPrint("six");
  EXPECT_EQ(lcd.LcdBeginProgress(), 3);
  EXPECT_EQ(row(kLcdProgressPage, 6) + "|" + cursor(), "six|0,6");
  const std::string emptyBar = row(kLcdProgressPage, 7);
  EXPECT_EQ(lcd.LcdBeginProgress(), kLcdProgressPage);  // begun again
  lcd.LcdSetProgressRange(5, 5);                        // an empty range: an empty bar
  lcd.LcdAdvanceProgress(3);
  EXPECT_EQ(row(kLcdProgressPage, 7), emptyBar);

  lcd.LcdSetProgressRange(0, 100);
  lcd.LcdAdvanceProgress(50);
  for (int i = 0; i < 4; ++i)
    lcd.onTimer();
  lcd.LcdAdvanceProgress(0);  // the bar does not move, but the display stays up
  EXPECT_EQ(lcd.countdown(), 5u);
  lcd.LcdAdvanceProgress(500);  // past the end: full, not cycling
  EXPECT_EQ(row(kLcdProgressPage, 7), std::string(kLcdColumns, static_cast<char>(kBarFull)));
  lcd.LcdAdvanceProgress(-1000);
  EXPECT_EQ(row(kLcdProgressPage, 7), emptyBar);
}

TEST_F(LcdTest, TheDisplayPopsUpOnAWriteAndHidesOnItsCountdown) {
  for (unsigned hold : {5u, 15u}) {  // the least a write keeps it up, and a longer hold
    if (hold > 5)
      lcd.LcdHoldFor(hold);
    lcd.LcdPrint("hi");
    for (unsigned tick = 1; tick < hold; ++tick)
      lcd.onTimer();
    EXPECT_TRUE(lcd.visible()) << hold;
    lcd.onTimer();
    EXPECT_FALSE(lcd.visible() || t.screen.shown) << hold;
  }
  EXPECT_EQ(t.host.clock, 200u);  // a pause at each pop-up
}

}  // namespace
