#include "core/lcd.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_context.h"

namespace {

struct LcdTest : ::testing::Test {
  TestContext t;
  LcdDisplay& lcd = t.ctx.lcd;

  std::string row(int page, int r) {
    std::string s;
    for (int c = 0; c < kLcdColumns; ++c)
      s += static_cast<char>(lcd.at(page, r, c));
    return s;
  }
  std::vector<int> barCodes() {
    std::vector<int> codes;
    for (int c = 0; c < kLcdColumns; ++c)
      codes.push_back(lcd.at(kLcdProgressPage, 7, c));
    return codes;
  }
  void SetUp() override { lcd.LcdInit(); }
};

TEST_F(LcdTest, TextAndCursorWrapToTheNextRowAndFromTheLastRowToTheFirst) {
  lcd.LcdSetCursor(45, 3);
  EXPECT_EQ(lcd.cursorColumn(), 0);
  EXPECT_EQ(lcd.cursorRow(), 4);
  lcd.LcdSetCursor(40, 7);
  EXPECT_EQ(lcd.cursorRow(), 0);
  lcd.LcdSetCursor(3, 7);
  lcd.LcdNewLine();
  EXPECT_EQ(lcd.cursorColumn(), 0);
  EXPECT_EQ(lcd.cursorRow(), 0);

  int before = t.screen.refreshes;
  lcd.LcdPrint(std::string(45, 'a').c_str());
  EXPECT_EQ(row(0, 0), std::string(40, 'a'));
  EXPECT_EQ(row(0, 1).substr(0, 6), "aaaaa ");
  EXPECT_EQ(lcd.cursorColumn(), 5);
  EXPECT_EQ(t.screen.refreshes, before + 1);
  EXPECT_EQ(t.screen.cells[1][4], 'a');
  lcd.LcdSetCursor(38, 7);
  lcd.LcdPrint("xyz");
  EXPECT_EQ(lcd.at(0, 0, 0), 'z');
}

TEST_F(LcdTest, ClearLineKeepsTheCursorAndPagesKeepTheirText) {
  lcd.LcdSetCursor(0, 3);
  lcd.LcdPrint("hello");
  lcd.LcdSetCursor(10, 5);
  lcd.LcdClearLine(3, false);
  EXPECT_EQ(row(0, 3), std::string(40, ' '));
  EXPECT_EQ(lcd.cursorColumn(), 10);
  EXPECT_EQ(lcd.cursorRow(), 5);

  lcd.LcdSetCursor(0, 0);
  lcd.LcdPrint("page zero");
  lcd.LcdSelectPage(2);
  lcd.LcdPrint("page two");
  int refreshes = t.screen.refreshes;
  lcd.LcdSelectPage(0);
  EXPECT_EQ(t.screen.refreshes, refreshes + 1);  // once, after the last cell
  EXPECT_EQ(t.screen.cells[0][5], 'z');
  EXPECT_EQ(row(2, 0).substr(0, 8), "page two");
  lcd.LcdClearPage();
  EXPECT_EQ(row(0, 0), std::string(40, ' '));
  EXPECT_EQ(lcd.cursorColumn(), 0);
  EXPECT_EQ(lcd.cursorRow(), 0);
}

TEST_F(LcdTest, BeginProgressCopiesRowsZeroToSixAndDrawsAnEmptyBar) {
  lcd.LcdSelectPage(3);
  for (int r = 0; r < 8; ++r) {
    lcd.LcdSetCursor(0, r);
    lcd.LcdPrint(("row " + std::to_string(r)).c_str());
  }
  EXPECT_EQ(lcd.LcdBeginProgress(), 3);
  EXPECT_EQ(lcd.LcdCurrentPage(), kLcdProgressPage);
  for (int r = 0; r < 7; ++r)
    EXPECT_EQ(row(9, r), row(3, r));
  std::vector<int> empty(40, kBarEmpty);
  empty[0] = kBarLeftEmpty;
  empty[39] = kBarRightEmpty;
  EXPECT_EQ(barCodes(), empty);
  EXPECT_EQ(lcd.cursorRow(), 6);
  // Beginning again on the progress page keeps its rows.
  EXPECT_EQ(lcd.LcdBeginProgress(), kLcdProgressPage);
  EXPECT_EQ(row(9, 2), row(3, 2));

  lcd.LcdSetProgressRange(5, 5);  // an empty range: an empty bar
  lcd.LcdAdvanceProgress(3);
  EXPECT_EQ(barCodes(), empty);
}

// Which codes draw each fill is held to the glyphs by the glyph tests.
TEST_F(LcdTest, ProgressBarRedrawsOnlyWhenItsFillChangesAndStopsFull) {
  lcd.LcdBeginProgress();
  lcd.LcdSetProgressRange(0, 100);
  lcd.LcdAdvanceProgress(50);  // fill 99
  std::vector<int> expected(40, kBarEmpty);
  std::fill(expected.begin(), expected.begin() + 20, kBarFull);
  expected[39] = kBarRightEmpty;
  EXPECT_EQ(barCodes(), expected);
  int drawn = t.screen.cellsDrawn;
  for (int i = 0; i < 4; ++i)
    lcd.onTimer();
  lcd.LcdAdvanceProgress(0);  // no redraw, but the display stays up
  EXPECT_EQ(t.screen.cellsDrawn, drawn);
  EXPECT_EQ(lcd.countdown(), 5u);
  lcd.LcdAdvanceProgress(500);  // past the end: full, not cycling
  EXPECT_EQ(barCodes(), std::vector<int>(40, kBarFull));
  lcd.LcdAdvanceProgress(-1000);
  EXPECT_EQ(barCodes()[0], kBarLeftEmpty);
}

TEST_F(LcdTest, WindowPopsUpOnWriteAndHidesAfterCountdown) {
  EXPECT_FALSE(lcd.visible());
  lcd.LcdPrint("hi");
  EXPECT_TRUE(lcd.visible());
  EXPECT_TRUE(t.screen.shown);
  EXPECT_EQ(t.host.clock, 100u);  // the pause at pop-up
  for (int i = 0; i < 4; ++i)
    lcd.onTimer();
  EXPECT_TRUE(lcd.visible());
  lcd.onTimer();
  EXPECT_FALSE(lcd.visible());
  EXPECT_FALSE(t.screen.shown);

  lcd.LcdHoldFor(15);
  lcd.LcdPrint("again");
  for (int i = 0; i < 14; ++i)
    lcd.onTimer();
  EXPECT_TRUE(lcd.visible());
  lcd.onTimer();
  EXPECT_FALSE(lcd.visible());
  EXPECT_EQ(t.screen.shows, 2);
}

TEST_F(LcdTest, SecondSplashWhileShownChangesNothing) {
  Splash& s = t.ctx.splash;
  s.ShowSplash(false);
  EXPECT_TRUE(t.screen.splashUp);
  EXPECT_EQ(t.host.clock, 50u);
  s.setAlreadyRunning(true);
  s.ShowSplash(true);
  EXPECT_EQ(t.screen.splashCreates, 1);
  EXPECT_FALSE(t.screen.splashAutoClose);
  s.CloseSplash();
  EXPECT_EQ(t.screen.splashCloseMs, 1u);
  s.onClosed();
  EXPECT_FALSE(s.alreadyRunning());
  s.ShowSplash(true);
  EXPECT_EQ(t.screen.splashCreates, 2);
}

}  // namespace
