// The Win32 file and registry ports against Wine's.
#include <gtest/gtest.h>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"

TEST(Win32Registry, KeepsStringsAndNumbersUnderLocalMachine) {
  Win32Registry reg;
  RegKey key = reg.createKey(kLocalMachine, "Software\\Brightfen\\KorrinTest");
  ASSERT_NE(key, kNoKey);
  EXPECT_TRUE(reg.writeString(key, "1", "C:\\a.iso"));
  EXPECT_TRUE(reg.writeNumber(key, "Files", 1));
  std::string text;
  std::uint32_t number = 0;
  EXPECT_TRUE(reg.readString(key, "1", 260, &text));
  EXPECT_EQ(text, "C:\\a.iso");
  EXPECT_FALSE(reg.readString(key, "1", 4, &text));  // longer than allowed
  EXPECT_TRUE(reg.readNumber(key, "Files", &number));
  EXPECT_EQ(number, 1u);
  EXPECT_FALSE(reg.readNumber(key, "1", &number));  // a string is not a number
  EXPECT_TRUE(reg.deleteValue(key, "1"));
  EXPECT_FALSE(reg.readString(key, "1", 260, &text));
  reg.closeKey(key);
}

TEST(Win32Files, WritesReadsAndGrows) {
  Win32Files files;
  std::string path = files.tempFolder() + "korrin_port_test.bin";
  FileHandle f = files.open(path, FileOpen::CreateAlways);
  ASSERT_NE(f, kNoFile);
  EXPECT_EQ(files.open(path, FileOpen::ReadExisting), kNoFile);  // not shared
  EXPECT_TRUE(files.write(f, "abcdef", 6));
  EXPECT_TRUE(files.seek(f, 10));
  EXPECT_TRUE(files.write(f, "z", 1));
  std::uint64_t size = 0;
  EXPECT_TRUE(files.size(f, &size));
  EXPECT_EQ(size, 11u);
  EXPECT_TRUE(files.seek(f, 2));
  char buf[4] = {};
  std::uint32_t got = 0;
  EXPECT_TRUE(files.read(f, buf, 3, &got));
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(std::string(buf, 3), "cde");
  files.close(f);
  EXPECT_TRUE(files.remove(path));
  EXPECT_EQ(files.open(path, FileOpen::ReadExisting), kNoFile);
}
