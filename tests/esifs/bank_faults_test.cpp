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
#include "esifs/bank_file.h"
#include "esifs/bank_transfer.h"
#include "tests/support/disk_check.h"
#include "tests/support/memory_disk.h"

namespace {

const char kFile[] = "C:\\Work\\import.e3x";

enum class Op { Import, Delete, Rename, Renumber };
enum Area { BatArea, IndexArea, FirArea, DataArea };

const char* opName(Op op) {
  switch (op) {
    case Op::Import:
      return "import";
    case Op::Delete:
      return "delete";
    case Op::Rename:
      return "rename";
    case Op::Renumber:
      return "renumber";
  }
  return "";
}

// The message each operation gives when a read or write of an area fails.
std::string expectedMessage(Op op, bool write, Area area) {
  switch (op) {
    case Op::Import:
      switch (area) {
        case BatArea:
          return kBatError;
        case IndexArea:
          return write ? "Error updating Bank Index" : "Error reading Bank Index";
        case FirArea:
          return write ? "Error updating File Index Reference"
                       : "Error reading File Index Reference";
        case DataArea:
          return write ? "Error writing bank" : "no data read";
      }
      break;
    case Op::Delete:
      if (area == BatArea)
        return kBatError;
      break;
    case Op::Rename:
      if (area == DataArea)
        return write ? "Error writing Bank" : "Error reading Bank";
      break;
    case Op::Renumber:
      break;
  }
  if (area == IndexArea)
    return write ? "Error writing Bank Index" : "Error reading Bank Index Table";
  return "unexpected area";
}

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
  std::vector<std::uint8_t> file = MakeBankData(100000, "IMPORTED", 99);
  for (std::uint32_t at = 0; at < file.size(); at += kUnitBytes) {
    std::uint32_t n =
        static_cast<std::uint32_t>(std::min<std::size_t>(kUnitBytes, file.size() - at));
    PrepareExportChunk(file.data() + at, n, at);
  }
  s->tc.files.data(kFile) = file;
  return s;
}

void run(Op op, DiskScenario& s) {
  Context& ctx = s.ctx;
  switch (op) {
    case Op::Import:
      ctx.openFile = s.tc.files.open(kFile, FileOpen::ReadExisting);
      ctx.busy = 1;
      ImportBank(ctx, s.device, kFile);
      break;
    case Op::Delete:
      ctx.busy = 1;
      DeleteBank(ctx, s.bank(3));
      break;
    case Op::Rename:
      RenameBank(ctx, s.bank(3), "BANK 3", "RENAMED");
      break;
    case Op::Renumber:
      RenumberBank(ctx, s.bank(3), 0);
      break;
  }
}

void expectSound(DiskScenario& s) {
  EXPECT_EQ(s.ctx.busy, 0);
  EXPECT_EQ(s.ctx.openFile, kNoFile);
  EXPECT_EQ(s.tc.files.openCount(), 0);
  EXPECT_EQ(s.ctx.lcd.LcdCurrentPage(), 0);
  EXPECT_EQ(CheckDiskConsistency(s.image.bytes), "");
}

class BankFaults : public ::testing::TestWithParam<Op> {};

TEST_P(BankFaults, EveryFailedTransferGivesItsMessageAndLeavesTheDiskConsistent) {
  Op op = GetParam();
  auto clean = makeDisk();
  run(op, *clean);
  ASSERT_TRUE(clean->tc.host.messages.empty()) << clean->tc.host.messages[0];
  expectSound(*clean);
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
      SCOPED_TRACE(std::string(opName(op)) + (write ? " write " : " read ") + std::to_string(n) +
                   " at sector " + std::to_string(t.sector));
      run(op, *s);
      Area area = areaOf(d, t.sector);
      EXPECT_EQ(s->tc.host.messages, std::vector<std::string>{expectedMessage(op, write, area)});
      expectSound(*s);
      if (i < firstTableWrite) {
        EXPECT_EQ(0, std::memcmp(before.data(), s->image.bytes.data(), d.dataSector * 512));
      }
      // Only a failing File Index Reference still lets the entry be written.
      if (op == Op::Import) {
        EXPECT_EQ(s->bank(16) != 0, area == FirArea);
      }
      // A File Index Reference sector that could not be read is not written.
      if (area == FirArea && !write) {
        EXPECT_EQ(0, std::memcmp(before.data() + d.firSector * 512,
                                 s->image.bytes.data() + d.firSector * 512, 512));
      }
      if (op == Op::Rename) {
        EXPECT_EQ(s->node(s->bank(3)).name, oldName);
      }
    }
    EXPECT_GT(n, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, BankFaults,
                         ::testing::Values(Op::Import, Op::Delete, Op::Rename, Op::Renumber),
                         [](const ::testing::TestParamInfo<Op>& info) {
                           return std::string(opName(info.param));
                         });

}  // namespace
