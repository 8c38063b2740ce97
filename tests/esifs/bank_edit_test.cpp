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

std::string name16(const std::uint8_t* at) {
  return std::string(reinterpret_cast<const char*>(at), 16);
}
std::string entryName(EsiImage& image, std::uint32_t k, int e) {
  return name16(image.indexEntry(k, e));
}
std::string firstSectorName(EsiImage& image, std::uint16_t block, int at) {
  return name16(image.sector(image.blockStart(block)) + at);
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
  EXPECT_EQ(s.image.indexEntry(0, 1)[26] | s.image.indexEntry(0, 5)[27], 0);
  for (std::uint16_t b : {first, std::uint16_t(first + 1), std::uint16_t(first + 2)})
    EXPECT_EQ(s.image.bat(b), 0) << b;
  EXPECT_EQ(s.image.bat(1), 0x7FFF);
  EXPECT_EQ(s.bankNumbers(), std::vector<int>{0});
  // The index sector is written before the table.
  ASSERT_EQ(s.driver.writes, 2);
  EXPECT_EQ(s.driver.transfers.back().sector, s.image.info.batSector);
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

// Only the entry with the bank's number and block is renamed; a rename that
// finds the disk changed since the listing leaves the node's name alone.
TEST(RenameBank, RenamesOnlyWhatTheListingShowedAndWritesNothingWhenTheDiskDiffers) {
  DiskScenario s;
  std::uint16_t first = s.image.addBank(0, "PIANO", MakeBankData(1000, "PIANO", 0));
  s.image.addBank(1, "ORGAN", MakeBankData(1000, "ORGAN", 1));
  std::memcpy(s.image.indexEntry(0, 2), s.image.indexEntry(0, 0), 32);
  SetEntryNumber(s.image.indexEntry(0, 2), 150);
  s.list();
  ASSERT_TRUE(RenameBank(s.ctx, s.bank(0), "PIANO", "HARP"));
  EXPECT_EQ(entryName(s.image, 0, 0) + entryName(s.image, 0, 1) + entryName(s.image, 0, 2),
            "HARP            ORGAN           PIANO           ");

  // Renumbered elsewhere: the data is renamed, then the entry is missed.
  SetEntryNumber(s.image.indexEntry(0, 1), 7);
  EXPECT_FALSE(RenameBank(s.ctx, s.bank(1), "ORGAN", "FLUTE"));
  EXPECT_EQ(firstSectorName(s.image, 2, 76), "FLUTE           ");
  EXPECT_STREQ(s.node(s.bank(1)).name, "ORGAN");

  int writes = s.driver.writes, reads = s.driver.reads;
  std::memcpy(s.image.sector(s.image.blockStart(first)) + 76, "ORGAN           ", 16);
  EXPECT_FALSE(RenameBank(s.ctx, s.bank(0), "HARP", "LUTE"));
  EXPECT_STREQ(s.node(s.bank(0)).name, "HARP");
  for (std::uint16_t block : {0, 49, 0x7FFF}) {
    s.ctx.nodes[s.bank(0)].bankWord = swap16(block);
    EXPECT_FALSE(RenameBank(s.ctx, s.bank(0), "ORGAN", "LUTE"));
  }
  EXPECT_EQ(s.tc.host.messages,
            (Messages{"Couldn't locate bank on disk", "Bank name on disk has changed",
                      "Error reading Bank", "Error reading Bank", "Error reading Bank"}));
  EXPECT_EQ(s.driver.writes, writes);
  EXPECT_EQ(s.driver.reads, reads + 1);
}

TEST(RenumberMap, PushesTheBanksInTheWayUpAndPast99ToTheLowestFreeNumber) {
  bool banks[kMaxBanks] = {};
  for (int n : {0, 1, 2, 3, 4, 5, 99})
    banks[n] = true;
  auto map = RenumberMap(banks, 5, 2);
  EXPECT_EQ(std::vector<int>(map.begin(), map.begin() + 7),
            (std::vector<int>{0, 1, 3, 4, 5, 2, kNoBank}));
  EXPECT_EQ(map[99], 99);
  map = RenumberMap(banks, 1, 99);
  EXPECT_EQ(map[1] * 100 + map[99], 99 * 100 + 1);
}

TEST(RenumberMap, NeverGivesTwoBanksOneNumber) {
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    bool banks[kMaxBanks] = {};
    unsigned fill = random() % 101;
    for (bool& b : banks)
      b = random() % 100 < fill;
    int from = static_cast<int>(random() % kMaxBanks), to = static_cast<int>(random() % kMaxBanks);
    banks[from] = true;
    auto map = RenumberMap(banks, from, to);
    ASSERT_EQ(map[from], to) << round;
    std::set<int> taken;
    for (int n = 0; n < kMaxBanks; ++n) {
      ASSERT_EQ(banks[n], map[n] < kMaxBanks) << round << " " << n;
      ASSERT_TRUE(!banks[n] || taken.insert(map[n]).second) << round;
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
}

}  // namespace
