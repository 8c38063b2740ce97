// Disks on which a literal reading of the tables would lose banks. Banks named
// "BB..." and cross-linked disks are held by the seeds of the bank operation
// fuzz target; what it cannot reach, a listing gone stale, is here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "esifs/bank_edit.h"
#include "tests/support/memory_disk.h"

namespace {

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
  s.ctx.busy = 1;
  DeleteBank(s.ctx, s.bank(0));
  EXPECT_EQ(s.tc.host.messages, std::vector<std::string>{"Couldn't locate bank on disk"});
  EXPECT_EQ(s.leftOver(), "");
}

}  // namespace
