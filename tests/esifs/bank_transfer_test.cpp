// The copy's round trip, owned writes and bank sizes are checked by
// fuzz/fuzz_bank_operations.cpp and tests/media/image_bank_sizes_test.cpp;
// here numbers, names, index sectors and refusals. The empty-bank import
// runs in the fuzz target.
#include "esifs/bank_transfer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_disk.h"
#include "esifs/keystream.h"
#include "tests/support/memory_disk.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Messages = std::vector<std::string>;
const char kBankFile[] = "C:\\Work\\bank.e3x";

// Runs an export or an import as its command would: the file open, the flag set.
const Bytes& exportBank(DiskScenario& s, int number) {
  s.ctx.openFile = s.tc.files.open(kBankFile, FileOpen::CreateAlways);
  s.ctx.busy = 1;
  ExportBank(s.ctx, s.bank(number));
  return s.tc.files.data(kBankFile);
}
void importBank(DiskScenario& s, const std::string& path = kBankFile) {
  s.ctx.openFile = s.tc.files.open(path, FileOpen::ReadExisting);
  s.ctx.busy = 1;
  ImportBank(s.ctx, s.device, path);
}

// Bank 1 free, the first index sector full: the import takes number 1 and the
// next sector into use. A file too short to hold a name names the bank.
TEST(BankTransfer, ImportTakesTheLowestFreeNumberAndAnUnusedIndexSectorIntoUse) {
  DiskScenario s;
  for (int n = 0; n < 16; ++n)
    s.image.putEntry(0, n, "FULL", n + (n > 0), 0x7FFF, 0);
  s.list();
  std::uint8_t* fir = s.image.sector(s.image.info.firSector);
  std::memset(fir, 0xEE, 512);
  s.tc.files.data("C:\\Work\\tiny.e3x") = Bytes(40, 0x11);
  importBank(s, "C:\\Work\\tiny.e3x");
  EXPECT_EQ(s.tc.host.messages, Messages{});
  EXPECT_EQ(s.leftOver(), "");
  // The slot of index sector 1 holds that sector's number; the rest stays.
  EXPECT_EQ(std::vector<int>(fir + 18, fir + 24),
            std::vector<int>({0xEE, 0xEE, int(s.image.info.bankIndexSector + 1), 0, 0xEE, 0xEE}));
  const std::uint8_t* entry = s.image.indexEntry(1, 0);
  EXPECT_EQ(std::string(entry, entry + 18), std::string("tiny            \0\1", 18));
  EXPECT_EQ(s.node(s.bank(1)).size, 40u);
  EXPECT_EQ(Bytes(entry + 32, entry + 512), Bytes(480, 0)) << "the sector starts empty";
}

TEST(BankTransfer, ImportWithoutRoomWritesNothing) {
  // 65535 bytes fit one block, but the fourth unit completes it and so takes
  // a second: with one block free nothing may be written.
  EsiLayout layout;
  layout.indexSectors = layout.usedIndexSectors = 7;
  for (int full : {0, 1, 2}) {  // blocks, bank numbers, index entries
    DiskScenario s(layout);
    s.image.fillBlocks(full == 0 ? 1 : 2);
    for (int n = 0; full > 0 && n < 16 * 7; ++n)
      s.image.putEntry(n / 16, n % 16, "HIDDEN", full == 1 ? n % 100 : 150, 0x7FFF, 0);
    s.list();
    s.tc.files.data(kBankFile) = MakeBankFile(MakeBankData(65535, "TOO BIG", 1));
    importBank(s);
    const char* why[] = {"Not enough disk space", "No free banks on drive",
                         "No free banks on disk"};
    EXPECT_EQ(s.tc.host.messages, Messages{why[full]});
    EXPECT_EQ(s.driver.writes, 0);
    EXPECT_EQ(s.leftOver(), "");
  }
}

TEST(BankTransfer, DamagedChainsUnusableTablesAndFailingFilesStopTheCopy) {
  for (std::uint16_t damage : {1, 0x7000, 0}) {  // a loop, off the disk, a free block
    DiskScenario s;
    s.image.addBank(1, "BANK", MakeBankData(3 * 65536, "BANK", 1));
    s.image.setBat(2, damage);
    s.list();
    EXPECT_TRUE(exportBank(s, 1).empty());
    EXPECT_EQ(s.tc.host.messages, Messages{kDamagedChain});
    EXPECT_EQ(s.ctx.busy + s.tc.files.openCount(), 0) << damage;
  }

  // A bank whose second chunk turns into "EMU" under its key, and failing files.
  DiskScenario s;
  Bytes data = MakeBankData(2 * kUnitBytes + 100, "BANK", 1);
  std::uint8_t key[3] = {0, 0, 0};
  BankKeystream(key, 3, kUnitBytes);
  for (int i = 0; i < 3; ++i)
    data[kUnitBytes + i] = static_cast<std::uint8_t>("EMU"[i] ^ key[i]);
  s.image.addBank(0, "BANK", data);
  s.image.addBank(1, "BANK", MakeBankData(3 * 65536, "BANK", 1));
  s.list();
  EXPECT_EQ(exportBank(s, 0).size(), kUnitBytes);
  s.tc.files.failWriteAt = 2;
  EXPECT_EQ(exportBank(s, 1).size(), kUnitBytes);
  s.tc.files.data(kBankFile) = MakeBankFile(MakeBankData(100000, "NEW", 9));
  s.tc.files.failReadAt = 3;  // the name, the first unit, then the second
  importBank(s);
  s.ctx.nodes[s.device].blockFactor = 2;  // listed with another block size: not worked on
  EXPECT_TRUE(exportBank(s, 1).empty());
  EXPECT_EQ(s.tc.host.messages,
            (Messages{"Bank data cannot be stored in a bank file", "Error writing Windows file",
                      "Error reading Windows file", kBatError}));
  EXPECT_EQ(s.driver.writes, 1) << "no table is written";
  EXPECT_EQ(s.bankNumbers(), (std::vector<int>{0, 1}));
  EXPECT_EQ(s.leftOver(), "");
}

}  // namespace
