// Freeing and building chains over tables of arbitrary bytes is checked by
// fuzz/fuzz_disk_tables.cpp, and by the delete and import tests; here the
// table's bounds and what a walk reports.
#include "esifs/chain.h"

#include <gtest/gtest.h>

#include <vector>

#include "esifs/disk_info.h"

namespace {

using Blocks = std::vector<std::uint16_t>;

// A table of the given size whose raw bytes tests can inspect.
struct Table {
  std::vector<std::uint8_t> bytes;
  Bat bat;
  explicit Table(std::uint32_t sectors = 1) : bytes(sectors * 512), bat(bytes.data(), sectors) {}
  // Links each block to the next; the last is what the chain's last block holds.
  void link(std::initializer_list<std::uint16_t> chain) {
    for (const std::uint16_t* p = chain.begin(); p + 1 != chain.end(); ++p)
      bat.set(*p, p[1]);
  }
  void fill() {
    for (std::uint32_t b = 1; b < bat.entryCount(); ++b)
      bat.set(b, kBatEnd);
  }
};

TEST(BatTable, OnlyBlocksTheTableDescribesAreReadWrittenOrHandedOut) {
  Table t;
  putLe16(t.bytes.data(), 0x1234);
  t.bat.set(0, 5);
  t.bat.set(256, 5);
  EXPECT_EQ(getLe16(t.bytes.data()), 0x1234);
  EXPECT_EQ(t.bat.get(0) & t.bat.get(256), kBatEnd);

  t.fill();
  t.bat.set(10, kBatFree);
  EXPECT_EQ(t.bat.BatFindFree(1, 10), 10u) << "up to and including blockCount";
  EXPECT_EQ(t.bat.BatFindFree(1, 9) + t.bat.BatFindFree(11, 255) + t.bat.BatCountFree(9), 0u);
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
  constexpr std::uint16_t E = kBatEnd;
  struct Case {
    std::initializer_list<std::uint16_t> chain;
    std::uint32_t first, blockCount, limit;
    ChainStatus status;
    Blocks sound;
  };
  const Case cases[] = {
      {{3, 9, 4, E}, 3, 255, kWholeChain, ChainStatus::Ok, {3, 9, 4}},
      {{3, 9, 4, E}, 3, 255, 2, ChainStatus::Ok, {3, 9}},  // the bytes end in block 9
      {{3, 9, 4, E}, 3, 255, 5, ChainStatus::Short, {3, 9, 4}},
      {{3, 9, E}, kBatEnd, 255, 0, ChainStatus::Ok, {}},  // an empty chain
      {{3, 5, 7, 5}, 3, 255, kWholeChain, ChainStatus::Loop, {3, 5, 7}},
      {{3, 5, 101, E}, 3, 100, kWholeChain, ChainStatus::OutOfRange, {3, 5}},
      {{3, 5, E}, 300, 255, kWholeChain, ChainStatus::OutOfRange, {}},  // past the table
      {{3, 5, E}, 0, 255, kWholeChain, ChainStatus::BlockZero, {}},
      {{3, 5, E}, 8, 255, kWholeChain, ChainStatus::FreeBlock, {}},
      {{3, 5, 6, E}, 3, 255, kWholeChain, ChainStatus::FreeBlock, {3, 5}},
  };
  for (const Case& c : cases) {
    Table t;
    t.link(c.chain);
    t.bat.set(6, kBatFree);  // a chain through 6 runs into a free block
    ChainWalk w = WalkChain(t.bat, c.first, c.blockCount, c.limit);
    EXPECT_EQ(w.status, c.status) << &c - cases;
    EXPECT_EQ(w.blocks, c.sound) << &c - cases;
  }
}

TEST(ChainSizes, ImportTakesABlockMoreWheneverAUnitCompletesOne) {
  // Units of 16 384 bytes, at least one; 4 units fill a 128-sector block.
  EXPECT_EQ(ImportBlocksNeeded(0, 128), 1u);
  EXPECT_EQ(ImportBlocksNeeded(131072, 256), 2u);
  EXPECT_EQ(ImportBlocksNeeded(131071, 1024), 1u);
}

}  // namespace
