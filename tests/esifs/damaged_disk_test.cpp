// Disks that an ordinary sequence of operations, or earlier damage, leaves in
// a state where a literal reading of the tables would lose banks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "esifs/bank_disk.h"
#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "tests/support/memory_disk.h"

namespace {

using Messages = std::vector<std::string>;
using Numbers = std::vector<int>;
const char kFile[] = "C:\\Work\\bank.e3x";

void importBank(DiskScenario& s, const std::string& name) {
  s.tc.files.data(kFile) = MakeBankFile(MakeBankData(70000, name, 5));
  s.ctx.openFile = s.tc.files.open(kFile, FileOpen::ReadExisting);
  s.ctx.busy = 1;
  ImportBank(s.ctx, s.device, kFile);
}

void deleteBank(DiskScenario& s, int number) {
  s.ctx.busy = 1;
  DeleteBank(s.ctx, s.bank(number));
}

// A Bank Index sector whose first bank is named "BB..." looks like one not
// yet taken into use; the next import must not clear it.
TEST(DamagedDisk, BanksNamedBbSurviveTheNextImport) {
  struct Case {
    const char* what;
    std::function<void(DiskScenario&)> setUp;
    Numbers left;
  };
  const Case cases[] = {
      {"imported", [](DiskScenario& s) { importBank(s, "BBQ KIT"); }, {0, 1}},
      {"renamed",
       [](DiskScenario& s) {
         s.image.addBank(0, "PIANO", MakeBankData(1000, "PIANO", 1));
         s.list();
         RenameBank(s.ctx, s.bank(0), "PIANO", "BBC BRASS");
       },
       {0, 1}},
      {"deleted",
       [](DiskScenario& s) {
         s.image.addBank(0, "BBC BRASS", MakeBankData(1000, "BBC BRASS", 1));
         s.image.addBank(1, "KEEP", MakeBankData(1000, "KEEP", 2));
         s.list();
         deleteBank(s, 0);
       },
       {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DiskScenario s;
    c.setUp(s);
    importBank(s, "NEXT");
    EXPECT_EQ(s.tc.host.messages, Messages{});
    EXPECT_EQ(s.bankNumbers(), c.left);
    EXPECT_EQ(s.leftOver(), "");
  }
}

// Freeing or allocating blocks on a disk whose chains share blocks, or run
// into free ones, would hand one bank's blocks to another: refused, and
// nothing written.
TEST(DamagedDisk, ImportAndDeleteRefuseCrossLinkedChains) {
  const std::function<void(EsiImage&)> damage[] = {
      [](EsiImage& d) {  // A 1->2, B 3->2
        d.addBank(0, "A", MakeBankData(65537, "A", 1));
        d.addBank(1, "B", MakeBankData(65537, "B", 2));
        d.setBat(3, 2);
        d.setBat(4, 0);
      },
      [](EsiImage& d) {  // an entry pointing at a free block
        d.addBank(0, "A", MakeBankData(1000, "A", 1));
        d.putEntry(0, 1, "GHOST", 1, 5, 1000);
      },
  };
  for (const auto& setUp : damage) {
    for (bool del : {false, true}) {
      DiskScenario s;
      setUp(s.image);
      s.list();
      if (del)
        deleteBank(s, 0);
      else
        importBank(s, "NEW");
      EXPECT_EQ(s.tc.host.messages, Messages{kDamagedTable});
      EXPECT_EQ(s.driver.writes, 0);
      EXPECT_EQ(s.bankNumbers(), (Numbers{0, 1}));
      EXPECT_EQ(s.ctx.busy, 0);
    }
  }
}

// The disk changed since the listing: the bank's node names a chain that is
// now another bank's, and only a stale entry, not in use, still names it.
TEST(DamagedDisk, DeleteLeavesAChainThatIsNowAnotherBanks) {
  DiskScenario s;
  s.image.addBank(0, "GONE", MakeBankData(1000, "GONE", 1));
  std::uint16_t other = s.image.addBank(1, "KEEP", MakeBankData(1000, "KEEP", 2));
  s.image.putEntry(0, 2, "STALE", 7, other, 1000);
  s.image.indexEntry(0, 2)[26] = 0;
  s.list();
  s.ctx.nodes[s.bank(0)].bankWord = swap16(other);
  deleteBank(s, 0);
  EXPECT_EQ(s.tc.host.messages, Messages{"Couldn't locate bank on disk"});
  EXPECT_EQ(s.leftOver(), "");
}

}  // namespace
