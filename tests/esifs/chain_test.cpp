#include "esifs/chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "esifs/disk_info.h"

namespace {

using Blocks = std::vector<std::uint16_t>;

// A one-sector table (blocks 1..255) whose raw bytes tests can inspect.
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
};

TEST(BatTable, EntryZeroAndEntriesPastTheEndBelongToNoBlock) {
  Table t;
  putLe16(t.bytes.data(), 0x1234);
  EXPECT_EQ(t.bat.get(0), kBatEnd);
  t.bat.set(0, 5);
  t.bat.set(256, 5);
  EXPECT_EQ(getLe16(t.bytes.data()), 0x1234);
  EXPECT_EQ(t.bat.get(256), kBatEnd);
  t.bat.set(255, 0x0102);
  EXPECT_EQ(t.bytes[510], 0x02);
  EXPECT_EQ(t.bytes[511], 0x01);
  EXPECT_EQ(t.bat.BatNext(255), 0x0102);

  std::vector<std::uint8_t> big(kMaxBatSectors * 512);
  EXPECT_EQ(Bat(big.data(), 500).entryCount(), kMaxBatEntries) << "never past 128 sectors";
}

TEST(BatTable, FindFreeSearchesUpToAndIncludingBlockCount) {
  Table t;
  for (std::uint32_t b = 1; b <= 255; ++b)
    t.bat.set(b, kBatEnd);
  t.bat.set(10, kBatFree);
  EXPECT_EQ(t.bat.BatFindFree(1, 10), 10u);
  EXPECT_EQ(t.bat.BatFindFree(10, 10), 10u);
  EXPECT_EQ(t.bat.BatFindFree(1, 9), 0u);
  EXPECT_EQ(t.bat.BatFindFree(11, 255), 0u);
  EXPECT_EQ(t.bat.BatCountFree(10), 1u);
  EXPECT_EQ(t.bat.BatCountFree(9), 0u);

  t.bat.set(10, kBatEnd);
  EXPECT_EQ(t.bat.BatFindFree(0, 255), 0u) << "entry 0 is no block, even when it reads 0";
  // A disk claiming more blocks than its table holds: only the table's blocks count.
  t.bat.set(255, kBatFree);
  EXPECT_EQ(t.bat.BatFindFree(1, 60000), 255u);
  EXPECT_EQ(t.bat.BatCountFree(60000), 1u);
}

TEST(BatTable, Block7FFFIsNeverHandedOut) {
  std::vector<std::uint8_t> bytes(kMaxBatSectors * 512, 0xFF);
  Bat bat(bytes.data(), kMaxBatSectors);
  bat.set(0x7FFF - 0, kBatFree);  // the entry exists but names the end marker
  EXPECT_EQ(bat.BatFindFree(1, 0x7FFF), 0u);
  EXPECT_EQ(bat.BatCountFree(0x7FFF), 0u);
  bat.set(0x7FFE, kBatFree);
  EXPECT_EQ(bat.BatFindFree(1, 0x7FFF), 0x7FFEu);
}

TEST(ChainWalk, FollowsTheChainInReadOrder) {
  Table t;
  t.link({3, 9, 4});
  ChainWalk w = WalkChain(t.bat, 3, 255);
  EXPECT_EQ(w.status, ChainStatus::Ok);
  EXPECT_EQ(w.blocks, (Blocks{3, 9, 4}));

  w = WalkChain(t.bat, 3, 255, 2);  // the bank's bytes end in block 9
  EXPECT_EQ(w.status, ChainStatus::Ok);
  EXPECT_EQ(w.blocks, (Blocks{3, 9}));

  w = WalkChain(t.bat, 3, 255, 5);
  EXPECT_EQ(w.status, ChainStatus::Short);
  EXPECT_EQ(w.blocks, (Blocks{3, 9, 4}));

  w = WalkChain(t.bat, kBatEnd, 255, 0);
  EXPECT_EQ(w.status, ChainStatus::Ok);
  EXPECT_TRUE(w.blocks.empty());
}

TEST(ChainWalk, ReportsDamagedChainsWithTheSoundPartBeforeTheFault) {
  struct Case {
    const char* what;
    std::initializer_list<std::uint16_t> chain;
    std::uint32_t first;
    std::uint32_t blockCount;
    ChainStatus status;
    Blocks sound;
  };
  const Case cases[] = {
      {"loop", {3, 5, 7, 5}, 3, 255, ChainStatus::Loop, {3, 5, 7}},
      {"self loop", {3, 3}, 3, 255, ChainStatus::Loop, {3}},
      {"past blockCount", {3, 5, 101}, 3, 100, ChainStatus::OutOfRange, {3, 5}},
      {"past the table", {3, 5}, 300, 255, ChainStatus::OutOfRange, {}},
      {"first block 0", {3, 5}, 0, 255, ChainStatus::BlockZero, {}},
      {"free block", {3, 5, 6}, 8, 255, ChainStatus::FreeBlock, {}},
  };
  for (const Case& c : cases) {
    Table t;
    t.link(c.chain);
    ChainWalk w = WalkChain(t.bat, c.first, c.blockCount);
    EXPECT_EQ(w.status, c.status) << c.what;
    EXPECT_EQ(w.blocks, c.sound) << c.what;
  }
  Table t;
  t.link({3, 5, 6});
  t.bat.set(6, kBatFree);  // 5 points at a block marked free
  ChainWalk w = WalkChain(t.bat, 3, 255);
  EXPECT_EQ(w.status, ChainStatus::FreeBlock);
  EXPECT_EQ(w.blocks, (Blocks{3, 5}));
  // A walk limited to the bank's bytes still stops a loop before the limit.
  t.link({3, 4, 3});
  w = WalkChain(t.bat, 3, 255, 1000);
  EXPECT_EQ(w.status, ChainStatus::Loop);
}

TEST(ChainFree, FreesTheWholeChainOrItsSoundPartAndNothingElse) {
  Table ok;
  ok.link({3, 9, 4});
  ok.link({5, 6});
  std::uint32_t freed = 0;
  EXPECT_EQ(FreeChain(ok.bat, 3, 255, &freed), ChainStatus::Ok);
  EXPECT_EQ(freed, 3u);
  for (std::uint16_t b : {3, 9, 4})
    EXPECT_EQ(ok.bat.get(b), kBatFree) << b;
  EXPECT_EQ(ok.bat.get(5), 6);

  Table t;
  t.link({3, 5, 3});  // loops
  putLe16(t.bytes.data(), 0xBEEF);
  EXPECT_EQ(FreeChain(t.bat, 3, 255), ChainStatus::Loop);
  EXPECT_EQ(t.bat.get(3), kBatFree);
  EXPECT_EQ(t.bat.get(5), kBatFree);
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

TEST(ChainBuild, TakesTheLowestFreeBlocksInAscendingOrder) {
  Table t;
  t.link({1, 2});
  t.link({4});
  ChainBuilder c(t.bat, 255);
  EXPECT_EQ(c.start(), 3);
  EXPECT_EQ(t.bat.get(3), kBatEnd);
  EXPECT_EQ(c.extend(), 5);
  EXPECT_EQ(c.extend(), 6);
  EXPECT_EQ(c.first(), 3);
  EXPECT_EQ(c.current(), 6);
  ChainWalk w = WalkChain(t.bat, 3, 255);
  EXPECT_EQ(w.status, ChainStatus::Ok);
  EXPECT_EQ(w.blocks, (Blocks{3, 5, 6}));
}

TEST(ChainBuild, RunningOutLeavesAWellFormedChainAndNeverBlockZero) {
  Table t;
  for (std::uint32_t b = 1; b <= 255; ++b)
    t.bat.set(b, kBatEnd);
  t.bat.set(7, kBatFree);
  t.bat.set(9, kBatFree);
  t.bat.set(2, kBatFree);
  ChainBuilder c(t.bat, 8);  // block 9 lies beyond this disk
  EXPECT_EQ(c.start(), 2);
  EXPECT_EQ(c.extend(), 7);
  EXPECT_EQ(c.extend(), 0);
  EXPECT_EQ(t.bat.get(7), kBatEnd);
  EXPECT_EQ(t.bat.get(9), kBatFree);
  ChainWalk w = WalkChain(t.bat, c.first(), 8);
  EXPECT_EQ(w.status, ChainStatus::Ok);
  EXPECT_EQ(w.blocks, (Blocks{2, 7}));

  Table full;
  for (std::uint32_t b = 1; b <= 255; ++b)
    full.bat.set(b, kBatEnd);
  std::vector<std::uint8_t> before = full.bytes;
  ChainBuilder none(full.bat, 255);
  EXPECT_EQ(none.start(), 0);
  EXPECT_EQ(none.extend(), 0);
  EXPECT_EQ(full.bytes, before);

  c.abandon();  // an import that stops gives its blocks back
  EXPECT_EQ(t.bat.get(2), kBatFree);
  EXPECT_EQ(t.bat.get(7), kBatFree);
  EXPECT_TRUE(c.blocks().empty());
}

// The import copy loop, step by step: one unit of 32 sectors at a time, a
// new block whenever a unit completes one.
std::uint32_t blocksTheCopyLoopTakes(std::uint32_t bytes, std::uint32_t blockSectors) {
  std::uint32_t blocks = 1, left = blockSectors, remaining = bytes;
  for (;;) {
    std::uint32_t n = remaining < 16384 ? remaining : 16384;
    left -= 32;
    if (left == 0) {
      ++blocks;
      left = blockSectors;
    }
    if (n == remaining)
      return blocks;
    remaining -= n;
  }
}

TEST(ChainSizes, ImportNeedsWhatTheCopyLoopTakes) {
  EXPECT_EQ(ImportBlocksNeeded(0, 128), 1u);
  EXPECT_EQ(ImportBlocksNeeded(65535, 128), 2u);
  EXPECT_EQ(ImportBlocksNeeded(65536, 128), 2u);
  EXPECT_EQ(ImportBlocksNeeded(65537, 128), 2u);
  EXPECT_EQ(ImportBlocksNeeded(11265, 128), 1u);
  for (std::uint32_t blockSectors : {128u, 256u, 1024u}) {
    for (std::uint32_t s = 0; s < 600000; s += 4001) {
      ASSERT_EQ(ImportBlocksNeeded(s, blockSectors), blocksTheCopyLoopTakes(s, blockSectors))
          << s << " " << blockSectors;
    }
  }
  EXPECT_EQ(BlocksToCover(0, 128), 0u);
  EXPECT_EQ(BlocksToCover(65536, 128), 1u);
  EXPECT_EQ(BlocksToCover(65537, 128), 2u);
  EXPECT_EQ(BlocksToCover(0xFFFFFFFF, 16384), 512u);
}

}  // namespace
