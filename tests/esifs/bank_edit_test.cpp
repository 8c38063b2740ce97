// Which sectors and entry bytes each edit may write, and that a success keeps
// the disk sound, is checked by fuzz/fuzz_bank_operations.cpp; here what it
// cannot know: which entries and blocks are the bank's, and the numbering.
#include "esifs/bank_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/support/memory_disk.h"

namespace {

using Messages = std::vector<std::string>;

std::string name16(const std::uint8_t* at) {
  return std::string(reinterpret_cast<const char*>(at), 16);
}

TEST(DeleteBank, ClearsEveryEntryOfTheChainThenFreesItUnlessTheDiskChanged) {
  DiskScenario s;
  s.image.addBank(0, "KEEP", MakeBankData(1000, "KEEP", 0));
  std::uint16_t first = s.image.addBank(1, "GONE", MakeBankData(150000, "GONE", 1));
  // A stale entry from an earlier delete that names the same first block.
  std::memcpy(s.image.indexEntry(0, 5), s.image.indexEntry(0, 1), 32);
  s.image.indexEntry(0, 5)[26] = 0;
  s.image.indexEntry(0, 5)[27] = 0x55;
  s.list();
  s.ctx.busy = 1;
  s.image.setBat(30, 0x7FFF);
  s.ctx.nodes[s.bank(0)].bankWord = swap16(30);  // the disk changed since the listing
  DeleteBank(s.ctx, s.bank(0));
  EXPECT_EQ(s.tc.host.messages, Messages{"Couldn't locate bank on disk"});
  EXPECT_EQ(s.driver.writes, 0);
  s.ctx.busy = 1;
  DeleteBank(s.ctx, s.bank(1));
  EXPECT_EQ(s.leftOver(), "");
  EXPECT_EQ(s.image.indexEntry(0, 1)[26] | s.image.indexEntry(0, 5)[27], 0);
  EXPECT_EQ(s.image.bat(first) | s.image.bat(first + 1) | s.image.bat(first + 2), 0);
  EXPECT_EQ(s.bankNumbers(), std::vector<int>{0});
}

TEST(RenameBank, WritesTheNewNameIntoTheBankAndItsEntry) {
  struct Case {
    const char *onDisk, *newName, *written, *shown;  // onDisk: first sector and entry
  };
  for (Case c : {
           Case{"STRINGS         ", "VIOLINS", "VIOLINS         ", "VIOLINS"},
           // Shown without the final "X", found again by padding with it.
           Case{"EMPTY BANK     X", "FULL BANK", "FULL BANK       ", "FULL BANK"},
           // A final "X" in 16th place is no part of a name.
           Case{"STRINGS         ", "ABCDEFGHIJ     X", "ABCDEFGHIJ      ", "ABCDEFGHIJ"},
       }) {
    SCOPED_TRACE(c.onDisk + std::string(" -> ") + c.newName);
    DiskScenario s;
    std::uint16_t first = s.image.addBank(3, c.onDisk, MakeBankData(1000, c.onDisk, 3));
    s.list();
    ASSERT_TRUE(RenameBank(s.ctx, s.bank(3), s.node(s.bank(3)).name, c.newName));
    EXPECT_STREQ(s.node(s.bank(3)).name, c.shown);
    const std::uint8_t* head = s.image.sector(s.image.blockStart(first));
    EXPECT_EQ(name16(s.image.indexEntry(0, 0)) + name16(head + 16) + name16(head + 76),
              std::string(c.written) + c.written + c.written);
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
  EXPECT_EQ(name16(s.image.indexEntry(0, 0)) + name16(s.image.indexEntry(0, 2)),
            "HARP            PIANO           ");

  int writes = s.driver.writes;
  std::memcpy(s.image.sector(s.image.blockStart(first)) + 76, "ORGAN           ", 16);
  EXPECT_FALSE(RenameBank(s.ctx, s.bank(0), "HARP", "LUTE"));
  EXPECT_STREQ(s.node(s.bank(0)).name, "HARP");
  EXPECT_EQ(s.tc.host.messages, Messages{"Bank name on disk has changed"});
  EXPECT_EQ(s.driver.writes, writes);
}

TEST(Renumber, PushesBanksUpPast99ToTheLowestFreeNumberNeverDoublesOneAndSkipsUnlisted) {
  bool banks[kMaxBanks] = {};
  for (int n : {0, 1, 2, 3, 4, 5, 99})
    banks[n] = true;
  auto map = RenumberMap(banks, 1, 99);
  EXPECT_EQ(map[1] * 100 + map[99], 99 * 100 + 1);

  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    unsigned fill = random() % 101;
    for (bool& b : banks)
      b = random() % 100 < fill;
    int from = static_cast<int>(random() % kMaxBanks), to = static_cast<int>(random() % kMaxBanks);
    banks[from] = true;
    map = RenumberMap(banks, from, to);
    ASSERT_EQ(map[from], to) << round;
    std::set<int> taken;
    for (int n = 0; n < kMaxBanks; ++n) {
      ASSERT_EQ(banks[n], map[n] < kMaxBanks) << round << " " << n;
      ASSERT_TRUE(!banks[n] || taken.insert(map[n]).second) << round;
    }
  }

  // The tree showed banks 0-5: 5 moves to 2, pushing 2-4 up; 7 came later.
  DiskScenario s;
  for (int n = 0; n <= 5; ++n)
    s.image.addBank(n, "BANK " + std::to_string(n), MakeBankData(1000, "B", n));
  s.list();
  s.image.addBank(7, "ADDED LATER", MakeBankData(1000, "B", 7));
  RenumberBank(s.ctx, s.bank(5), 2);
  EXPECT_TRUE(s.tc.host.messages.empty());
  std::string names;
  for (int n : s.bankNumbers())
    names += std::to_string(n) + s.node(s.bank(n)).name + ",";
  EXPECT_EQ(names, "0BANK 0,1BANK 1,2BANK 5,3BANK 2,4BANK 3,5BANK 4,7ADDED LATER,");
}

}  // namespace
