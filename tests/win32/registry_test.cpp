// The Win32 registry port against Wine's. The file port carries the
// scenario on a real image file.
#include <gtest/gtest.h>

#include "platform/win32/win32_registry.h"

TEST(Win32Registry, KeepsStringsAndNumbersUnderLocalMachine) {
  Win32Registry reg;
  RegKey key = reg.createKey(kLocalMachine, "Software\\Brightfen\\KorrinTest");
  ASSERT_NE(key, kNoKey);
  EXPECT_TRUE(reg.writeString(key, "1", "C:\\a.iso") && reg.writeNumber(key, "Files", 1));
  std::string text;
  std::uint32_t number = 0;
  EXPECT_TRUE(reg.readString(key, "1", 260, &text) && text == "C:\\a.iso");
  EXPECT_TRUE(reg.readNumber(key, "Files", &number) && number == 1);
  EXPECT_TRUE(reg.deleteValue(key, "1") && !reg.readString(key, "1", 260, &text));
  reg.closeKey(key);
}
