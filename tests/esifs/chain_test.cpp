#include "esifs/chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "esifs/disk_info.h"

namespace {

using Blocks = std::vector<std::uint16_t>;

// A table of the given size whose raw bytes tests can inspect.
struct Table {
  std::vector<std::uint8_t> bytes;
  Bat bat;
  explicit Table(std::uint32_t sectors = 1) : bytes(sectors * 512), bat(bytes.data(), sectors) {}
  // Links the blocks in order; the last ends the chain unless it names an
  // earlier block, which makes a loop.
  void link(std::initializer_list<std::uint16_t> chain) {
    const std::uint16_t* p = chain.begin();
    for (; p + 1 != chain.end(); ++p)
      bat.set(*p, p[1]);
    if (std::find(chain.begin(), p, *p) == p)
      bat.set(*p, kBatEnd);
  }
  void fill() {
    for (std::uint32_t b = 1; b < bat.entryCount(); ++b)
      bat.set(b, kBatEnd);
  }
};

TEST(BatTable, OnlyBlocksTheTableDescribesAreReadWrittenOrHandedOut) {
  Table t;
  putLe16(t.bytes.data(), 0x1234);
  EXPECT_EQ(t.bat.get(0), kBatEnd);
  t.bat.set(0, 5);
  t.bat.set(256, 5);
  EXPECT_EQ(getLe16(t.bytes.data()), 0x1234);
  EXPECT_EQ(t.bat.get(256), kBatEnd);
  t.bat.set(255, 0x0102);
  EXPECT_EQ(t.bytes[510] | t.bytes[511] << 8, 0x0102);
  std::vector<std::uint8_t> big(kMaxBatSectors * 512);
  EXPECT_EQ(Bat(big.data(), 500).entryCount(), kMaxBatEntries) << "never past 128 sectors";

  t.fill();
  t.bat.set(10, kBatFree);
  EXPECT_EQ(t.bat.BatFindFree(1, 10), 10u) << "up to and including blockCount";
  EXPECT_EQ(t.bat.BatFindFree(1, 9) + t.bat.BatFindFree(11, 255) + t.bat.BatCountFree(9), 0u);
  EXPECT_EQ(t.bat.BatCountFree(10), 1u);
  t.bat.set(10, kBatEnd);
  EXPECT_EQ(t.bat.BatFindFree(0, 255), 0u) << "entry 0 is no block, even when it reads 0";
  // A disk claiming more blocks than its table holds: only the table's blocks count.
  t.bat.set(255, kBatFree);
  EXPECT_EQ(t.bat.BatFindFree(1, 60000) + t.bat.BatCountFree(60000), 256u);

  // Block 0x7FFF would read as the end marker.
  Table full(kMaxBatSectors);
  full.fill();
  putLe16(full.bytes.data() + 2 * 0x7FFF, kBatFree);
  EXPECT_EQ(full.bat.BatFindFree(1, 0x7FFF) + full.bat.BatCountFree(0x7FFF), 0u);
  full.bat.set(0x7FFE, kBatFree);
  EXPECT_EQ(full.bat.BatFindFree(1, 0x7FFF), 0x7FFEu);
}

TEST(ChainWalk, GivesTheSoundBlocksUpToTheEndTheLimitOrTheFault) {
  struct Case {
    const char* what;
    std::initializer_list<std::uint16_t> chain;
    std::uint32_t first;
    std::uint32_t blockCount;
    std::uint32_t limit;
    ChainStatus status;
    Blocks sound;
  };
  const Case cases[] = {
      {"whole chain", {3, 9, 4}, 3, 255, kWholeChain, ChainStatus::Ok, {3, 9, 4}},
      {"bytes end in block 9", {3, 9, 4}, 3, 255, 2, ChainStatus::Ok, {3, 9}},
      {"ends before the bytes", {3, 9, 4}, 3, 255, 5, ChainStatus::Short, {3, 9, 4}},
      {"empty chain", {3, 9}, kBatEnd, 255, 0, ChainStatus::Ok, {}},
      {"loop", {3, 5, 7, 5}, 3, 255, kWholeChain, ChainStatus::Loop, {3, 5, 7}},
      {"loop within the limit", {3, 4, 3}, 3, 255, 1000, ChainStatus::Loop, {3, 4}},
      {"self loop", {3, 3}, 3, 255, kWholeChain, ChainStatus::Loop, {3}},
      {"past blockCount", {3, 5, 101}, 3, 100, kWholeChain, ChainStatus::OutOfRange, {3, 5}},
      {"past the table", {3, 5}, 300, 255, kWholeChain, ChainStatus::OutOfRange, {}},
      {"first block 0", {3, 5}, 0, 255, kWholeChain, ChainStatus::BlockZero, {}},
      {"first block free", {3, 5}, 8, 255, kWholeChain, ChainStatus::FreeBlock, {}},
      {"runs into a free block", {3, 5, 6}, 3, 255, kWholeChain, ChainStatus::FreeBlock, {3, 5}},
  };
  for (const Case& c : cases) {
    Table t;
    t.link(c.chain);
    t.bat.set(6, kBatFree);  // a chain through 6 runs into a free block
    ChainWalk w = WalkChain(t.bat, c.first, c.blockCount, c.limit);
    EXPECT_EQ(w.status, c.status) << c.what;
    EXPECT_EQ(w.blocks, c.sound) << c.what;
  }
}

TEST(ChainFree, FreesTheWholeChainOrItsSoundPartAndNothingElse) {
  Table ok;
  ok.link({3, 9, 4});
  ok.link({5, 6});
  std::uint32_t freed = 0;
  EXPECT_EQ(FreeChain(ok.bat, 3, 255, &freed), ChainStatus::Ok);
  EXPECT_EQ(freed, 3u);
  EXPECT_EQ(ok.bat.get(3) | ok.bat.get(9) | ok.bat.get(4), kBatFree);
  EXPECT_EQ(ok.bat.get(5), 6);

  Table t;
  t.link({3, 5, 3});  // loops
  putLe16(t.bytes.data(), 0xBEEF);
  EXPECT_EQ(FreeChain(t.bat, 3, 255), ChainStatus::Loop);
  EXPECT_EQ(t.bat.get(3) | t.bat.get(5), kBatFree);
  EXPECT_EQ(getLe16(t.bytes.data()), 0xBEEF);

  Table u;
  u.link({3, 200});  // leaves a disk of 100 blocks; 200 is someone else's entry
  u.bat.set(200, 0x55);
  EXPECT_EQ(FreeChain(u.bat, 3, 100), ChainStatus::OutOfRange);
  EXPECT_EQ(u.bat.get(3), kBatFree);
  EXPECT_EQ(u.bat.get(200), 0x55);
  std::vector<std::uint8_t> before = u.bytes;
  EXPECT_EQ(FreeChain(u.bat, 0, 100), ChainStatus::BlockZero);
  EXPECT_EQ(u.bytes, before);
}

TEST(ChainBuild, TakesAscendingFreeBlocksAndRunningOutNeverLinksBlockZero) {
  Table t;
  t.fill();
  for (std::uint16_t b : {2, 5, 7, 9})
    t.bat.set(b, kBatFree);
  ChainBuilder c(t.bat, 8);  // block 9 lies beyond this disk
  EXPECT_EQ(c.start(), 2);
  EXPECT_EQ(t.bat.get(2), kBatEnd);
  EXPECT_EQ(c.extend(), 5);
  t.bat.set(2 + 1, kBatFree);  // freed below the current block: not taken
  EXPECT_EQ(c.extend(), 7);
  EXPECT_EQ(c.extend(), 0);
  EXPECT_EQ(t.bat.get(9), kBatFree);
  EXPECT_EQ(c.first() * 10 + c.current(), 27);
  EXPECT_EQ(WalkChain(t.bat, c.first(), 8).blocks, (Blocks{2, 5, 7}));

  c.abandon();  // an import that stops gives its blocks back
  EXPECT_EQ(t.bat.get(2) | t.bat.get(5) | t.bat.get(7), kBatFree);
  EXPECT_TRUE(c.blocks().empty());

  Table full;
  full.fill();
  std::vector<std::uint8_t> before = full.bytes;
  ChainBuilder none(full.bat, 255);
  EXPECT_EQ(none.start(), 0);
  EXPECT_EQ(none.extend(), 0);
  EXPECT_EQ(full.bytes, before);
}

TEST(ChainSizes, ImportTakesABlockMoreWheneverAUnitCompletesOne) {
  // Units of 16 384 bytes, at least one; 4 units fill a 128-sector block.
  EXPECT_EQ(ImportBlocksNeeded(0, 128), 1u);
  EXPECT_EQ(ImportBlocksNeeded(131072, 256), 2u);
  EXPECT_EQ(ImportBlocksNeeded(131071, 1024), 1u);
  EXPECT_EQ(BlocksToCover(0xFFFFFFFF, 16384), 512u);
}

}  // namespace
