// Every read and every write that a bank operation makes is failed in turn:
// the operation must give the message of what failed, end cleanly, and leave
// a consistent disk.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "esifs/bank_disk.h"
#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "tests/support/memory_disk.h"

namespace {

const char kFile[] = "C:\\Work\\import.e3x";

enum Op { Import, Delete, Rename, Renumber };
enum Area { BatArea, IndexArea, FirArea, DataArea };
const char* const kOpNames[] = {"import", "delete", "rename", "renumber"};

// The message each operation gives when a read or a write of an area fails;
// null where the operation makes no such transfer.
const char* const kMessages[4][4][2] = {
    {{kBatError, kBatError},
     {"Error reading Bank Index", "Error updating Bank Index"},
     {"Error reading File Index Reference", "Error updating File Index Reference"},
     {nullptr, "Error writing bank"}},
    {{kBatError, kBatError},
     {"Error reading Bank Index Table", "Error writing Bank Index"},
     {},
     {}},
    {{},
     {"Error reading Bank Index Table", "Error writing Bank Index"},
     {},
     {"Error reading Bank", "Error writing Bank"}},
    {{}, {"Error reading Bank Index Table", "Error writing Bank Index"}, {}, {}},
};

Area areaOf(const DiskInfo& d, std::uint32_t sector) {
  auto in = [sector](std::uint32_t first, std::uint32_t count) {
    return sector >= first && sector - first < count;
  };
  if (in(d.batSector, d.batCount))
    return BatArea;
  if (in(d.bankIndexSector, d.bankIndexCount))
    return IndexArea;
  if (in(d.firSector, FirSlotSectors(d)))
    return FirArea;
  return DataArea;
}

// Sixteen banks fill the first Bank Index sector, so an import takes the
// next one into use and writes its File Index Reference slot. Bank 3 spans
// three blocks. The only free blocks are 255 and up, so the imported bank's
// chain spans both sectors of the BAT and a half-written table shows.
std::unique_ptr<DiskScenario> makeDisk() {
  EsiLayout layout;
  layout.batSectors = 2;
  layout.blockCount = 260;
  auto s = std::make_unique<DiskScenario>(layout);
  for (int n = 0; n < 16; ++n) {
    std::string name = "BANK " + std::to_string(n);
    s->image.addBank(n, name, MakeBankData(n == 3 ? 150000 : 2000, name, n));
  }
  s->image.fillBlocks(6);
  s->list();
  s->tc.files.data(kFile) = MakeBankFile(MakeBankData(100000, "IMPORTED", 99));
  return s;
}

void run(Op op, DiskScenario& s) {
  Context& ctx = s.ctx;
  switch (op) {
    case Import:
      ctx.openFile = s.tc.files.open(kFile, FileOpen::ReadExisting);
      ctx.busy = 1;
      ImportBank(ctx, s.device, kFile);
      break;
    case Delete:
      ctx.busy = 1;
      DeleteBank(ctx, s.bank(3));
      break;
    case Rename:
      RenameBank(ctx, s.bank(3), "BANK 3", "RENAMED");
      break;
    case Renumber:
      RenumberBank(ctx, s.bank(3), 0);
      break;
  }
}

class BankFaults : public ::testing::TestWithParam<Op> {};

TEST_P(BankFaults, EveryFailedTransferGivesItsMessageAndLeavesTheDiskConsistent) {
  Op op = GetParam();
  auto clean = makeDisk();
  run(op, *clean);
  ASSERT_TRUE(clean->tc.host.messages.empty()) << clean->tc.host.messages[0];
  EXPECT_EQ(clean->leftOver(), "");
  std::vector<MemoryDisk::Transfer> log = clean->driver.transfers;
  ASSERT_FALSE(log.empty());

  // Transfers before the first write to a table change no table when they fail.
  std::size_t firstTableWrite = 0;
  while (firstTableWrite < log.size() &&
         !(log[firstTableWrite].write &&
           areaOf(clean->image.info, log[firstTableWrite].sector) != DataArea))
    ++firstTableWrite;

  for (bool write : {false, true}) {
    int n = 0;
    for (std::size_t i = 0; i < log.size(); ++i) {
      const MemoryDisk::Transfer& t = log[i];
      if (t.write != write)
        continue;
      ++n;
      auto s = makeDisk();
      const DiskInfo d = s->image.info;
      std::vector<std::uint8_t> before = s->image.bytes;
      std::string oldName = s->node(s->bank(3)).name;
      (write ? s->driver.failWriteAt : s->driver.failReadAt) = n;
      SCOPED_TRACE(std::string(kOpNames[op]) + (write ? " write " : " read ") + std::to_string(n) +
                   " at sector " + std::to_string(t.sector));
      run(op, *s);
      Area area = areaOf(d, t.sector);
      const char* message = kMessages[op][area][write];
      ASSERT_NE(message, nullptr) << "no such transfer expected";
      EXPECT_EQ(s->tc.host.messages, std::vector<std::string>{message});
      EXPECT_EQ(s->leftOver(), "");
      if (i < firstTableWrite) {
        EXPECT_EQ(0, std::memcmp(before.data(), s->image.bytes.data(), d.dataSector * 512));
      }
      // Only a failing File Index Reference still lets the entry be written.
      if (op == Import) {
        EXPECT_EQ(s->bank(16) != 0, area == FirArea);
      }
      // A File Index Reference sector that could not be read is not written.
      if (area == FirArea && !write) {
        EXPECT_EQ(0, std::memcmp(before.data() + d.firSector * 512,
                                 s->image.bytes.data() + d.firSector * 512, 512));
      }
      if (op == Rename) {
        EXPECT_EQ(s->node(s->bank(3)).name, oldName);
      }
    }
    EXPECT_GT(n, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, BankFaults,
                         ::testing::Values(Import, Delete, Rename, Renumber),
                         [](const ::testing::TestParamInfo<Op>& info) {
                           return std::string(kOpNames[info.param]);
                         });

}  // namespace
