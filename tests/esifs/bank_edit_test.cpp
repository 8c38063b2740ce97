#include "esifs/bank_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "esifs/bank_disk.h"
#include "tests/support/memory_disk.h"

namespace {

using Messages = std::vector<std::string>;

std::string entryName(EsiImage& image, std::uint32_t k, int e) {
  return std::string(reinterpret_cast<char*>(image.indexEntry(k, e)), 16);
}

std::string firstSectorName(EsiImage& image, std::uint16_t block, int at) {
  return std::string(reinterpret_cast<char*>(image.sector(image.blockStart(block)) + at), 16);
}

TEST(DeleteBank, ClearsEveryMatchingEntryThenFreesTheChain) {
  DiskScenario s;
  s.image.addBank(0, "KEEP", MakeBankData(1000, "KEEP", 0));
  std::uint16_t first = s.image.addBank(1, "GONE", MakeBankData(150000, "GONE", 1));
  // A stale entry from an earlier delete that names the same first block.
  std::memcpy(s.image.indexEntry(0, 5), s.image.indexEntry(0, 1), 32);
  s.image.indexEntry(0, 5)[26] = 0;
  s.image.indexEntry(0, 5)[27] = 0x55;
  s.list();
  s.ctx.busy = 1;
  DeleteBank(s.ctx, s.bank(1));
  EXPECT_TRUE(s.tc.host.messages.empty());
  EXPECT_EQ(s.leftOver(), "");
  EXPECT_EQ(s.image.indexEntry(0, 1)[26], 0);
  EXPECT_EQ(s.image.indexEntry(0, 5)[27], 0);
  for (std::uint16_t b : {first, std::uint16_t(first + 1), std::uint16_t(first + 2)})
    EXPECT_EQ(s.image.bat(b), 0) << b;
  EXPECT_EQ(s.image.bat(1), 0x7FFF);
  EXPECT_EQ(s.bankNumbers(), std::vector<int>{0});
  // The index sector is written before the table.
  std::vector<std::uint32_t> written;
  for (const auto& t : s.driver.transfers) {
    if (t.write)
      written.push_back(t.sector);
  }
  EXPECT_EQ(written,
            (std::vector<std::uint32_t>{s.image.info.bankIndexSector, s.image.info.batSector}));
}

TEST(DeleteBank, WritesNothingWithoutASoundChainAndAMatchingEntry) {
  DiskScenario s;
  s.image.addBank(0, "LOOP", MakeBankData(3 * 65536, "LOOP", 0));
  s.image.setBat(3, 2);
  s.image.setBat(30, 0x7FFF);
  s.list();
  s.ctx.busy = 1;
  DeleteBank(s.ctx, s.bank(0));
  s.image.setBat(3, 0x7FFF);
  s.ctx.busy = 1;
  s.ctx.nodes[s.bank(0)].bankWord = swap16(30);  // the disk changed since the listing
  DeleteBank(s.ctx, s.bank(0));
  EXPECT_EQ(s.tc.host.messages, (Messages{kDamagedTable, "Couldn't locate bank on disk"}));
  EXPECT_EQ(s.driver.writes, 0);
  EXPECT_EQ(s.ctx.busy, 0);
  EXPECT_EQ(s.bankNumbers(), std::vector<int>{0});
}

struct RenameCase {
  const char* onDisk;  // bytes 76-91 of the first sector and the entry's name
  const char* newName;
  const char* written;
  const char* shown;
};

TEST(RenameBank, WritesTheNewNameIntoTheBankAndItsEntry) {
  for (RenameCase c : {
           RenameCase{"STRINGS         ", "VIOLINS", "VIOLINS         ", "VIOLINS"},
           // Shown without the final "X", found again by padding with it.
           RenameCase{"EMPTY BANK     X", "FULL BANK", "FULL BANK       ", "FULL BANK"},
           // A final "X" in 16th place is no part of a name.
           RenameCase{"STRINGS         ", "ABCDEFGHIJ     X", "ABCDEFGHIJ      ", "ABCDEFGHIJ"},
       }) {
    SCOPED_TRACE(c.onDisk + std::string(" -> ") + c.newName);
    DiskScenario s;
    std::uint16_t first = s.image.addBank(3, c.onDisk, MakeBankData(1000, c.onDisk, 3));
    s.list();
    int bank = s.bank(3);
    ASSERT_TRUE(RenameBank(s.ctx, bank, s.node(bank).name, c.newName));
    EXPECT_TRUE(s.tc.host.messages.empty());
    EXPECT_STREQ(s.node(bank).name, c.shown);
    EXPECT_EQ(entryName(s.image, 0, 0), c.written);
    EXPECT_EQ(firstSectorName(s.image, first, 16), c.written);
    EXPECT_EQ(firstSectorName(s.image, first, 76), c.written);
    EXPECT_EQ(s.driver.transfers.back().progressEnd, 3 + 3);
  }
}

TEST(RenameBank, OnlyTheEntryWithTheBanksNumberAndBlockIsRenamed) {
  DiskScenario s;
  s.image.addBank(0, "PIANO", MakeBankData(1000, "PIANO", 0));
  s.image.addBank(1, "ORGAN", MakeBankData(1000, "ORGAN", 1));
  // An entry of the same block with another number.
  std::memcpy(s.image.indexEntry(0, 2), s.image.indexEntry(0, 0), 32);
  SetEntryNumber(s.image.indexEntry(0, 2), 150);
  s.list();
  ASSERT_TRUE(RenameBank(s.ctx, s.bank(0), "PIANO", "HARP"));
  EXPECT_EQ(entryName(s.image, 0, 0), "HARP            ");
  EXPECT_EQ(entryName(s.image, 0, 1), "ORGAN           ");
  EXPECT_EQ(entryName(s.image, 0, 2), "PIANO           ");

  // Renumbered elsewhere since the listing: the data is renamed, then the
  // entry is missed and the node keeps its name.
  SetEntryNumber(s.image.indexEntry(0, 1), 7);
  EXPECT_FALSE(RenameBank(s.ctx, s.bank(1), "ORGAN", "FLUTE"));
  EXPECT_EQ(s.tc.host.messages, Messages{"Couldn't locate bank on disk"});
  EXPECT_EQ(firstSectorName(s.image, 2, 76), "FLUTE           ");
  EXPECT_STREQ(s.node(s.bank(1)).name, "ORGAN");
}

TEST(RenameBank, WritesNothingWhenTheNameOnDiskHasChangedOrTheBlockIsOffTheDisk) {
  DiskScenario s;
  std::uint16_t first = s.image.addBank(0, "PIANO", MakeBankData(1000, "PIANO", 0));
  std::memcpy(s.image.sector(s.image.blockStart(first)) + 76, "ORGAN           ", 16);
  s.list();
  EXPECT_FALSE(RenameBank(s.ctx, s.bank(0), "PIANO", "HARP"));
  EXPECT_EQ(s.tc.host.messages, Messages{"Bank name on disk has changed"});
  EXPECT_STREQ(s.node(s.bank(0)).name, "PIANO");
  s.tc.host.messages.clear();
  for (std::uint16_t block : {0, 49, 0x7FFF}) {
    s.ctx.nodes[s.bank(0)].bankWord = swap16(block);
    EXPECT_FALSE(RenameBank(s.ctx, s.bank(0), "ORGAN", "HARP"));
  }
  EXPECT_EQ(s.tc.host.messages, Messages(3, "Error reading Bank"));
  EXPECT_EQ(s.driver.writes, 0);
  EXPECT_EQ(s.driver.reads, 1);
}

TEST(RenumberMap, PushesTheBanksInTheWayUpAndPast99ToTheLowestFreeNumber) {
  bool banks[kMaxBanks] = {};
  for (int n : {0, 1, 2, 3, 4, 5, 99})
    banks[n] = true;
  auto map = RenumberMap(banks, 5, 2);
  const int expected[] = {0, 1, 3, 4, 5, 2, kNoBank};
  for (int n = 0; n <= 6; ++n)
    EXPECT_EQ(map[n], expected[n]) << n;
  EXPECT_EQ(map[99], 99);
  map = RenumberMap(banks, 1, 99);
  EXPECT_EQ(map[1], 99);
  EXPECT_EQ(map[99], 1);
}

TEST(RenumberMap, NeverGivesTwoBanksOneNumber) {
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    bool banks[kMaxBanks] = {};
    int fill = static_cast<int>(random() % 101);
    for (int n = 0; n < kMaxBanks; ++n)
      banks[n] = static_cast<int>(random() % 100) < fill;
    int from = static_cast<int>(random() % kMaxBanks);
    int to = static_cast<int>(random() % kMaxBanks);
    banks[from] = true;
    auto map = RenumberMap(banks, from, to);
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(map[from], to);
    std::set<int> taken;
    for (int n = 0; n < kMaxBanks; ++n) {
      if (!banks[n]) {
        ASSERT_EQ(map[n], kNoBank) << n;
        continue;
      }
      ASSERT_LT(map[n], kMaxBanks) << n;
      ASSERT_TRUE(taken.insert(map[n]).second) << "two banks get " << int(map[n]);
    }
  }
}

TEST(RenumberBank, RenumbersEveryEntryTheTreeShowedAndListsTheDeviceAgain) {
  DiskScenario s;
  for (int n = 0; n <= 5; ++n)
    s.image.addBank(n, "BANK " + std::to_string(n), MakeBankData(1000, "B", n));
  s.list();
  s.image.addBank(7, "ADDED LATER", MakeBankData(1000, "B", 7));
  RenumberBank(s.ctx, s.bank(5), 2);
  EXPECT_TRUE(s.tc.host.messages.empty());
  EXPECT_EQ(s.bankNumbers(), (std::vector<int>{0, 1, 2, 3, 4, 5, 7}));
  EXPECT_STREQ(s.node(s.bank(2)).name, "BANK 5");
  EXPECT_STREQ(s.node(s.bank(3)).name, "BANK 2");
  EXPECT_STREQ(s.node(s.bank(5)).name, "BANK 4");
  EXPECT_STREQ(s.node(s.bank(7)).name, "ADDED LATER");
  // Every index sector is written back, changed or not.
  EXPECT_EQ(s.driver.writes, 3);
  EXPECT_EQ(s.driver.transfers.back().progressEnd, 2 * 3 + 1);
}

}  // namespace
