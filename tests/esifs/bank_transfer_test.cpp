// Banks of awkward sizes are in tests/media/image_bank_sizes_test.cpp; here
// the copy's paths through names, tables and failures.
#include "esifs/bank_transfer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_disk.h"
#include "esifs/bank_index.h"
#include "esifs/chain.h"
#include "esifs/keystream.h"
#include "tests/support/memory_disk.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Messages = std::vector<std::string>;

const char kBankFile[] = "C:\\Work\\bank.e3x";

// Runs an export as the command would: the file created, the flag set.
void exportBank(DiskScenario& s, int bank) {
  s.ctx.openFile = s.tc.files.open(kBankFile, FileOpen::CreateAlways);
  s.ctx.busy = 1;
  ExportBank(s.ctx, bank);
}

void importBank(DiskScenario& s, const std::string& path = kBankFile) {
  s.ctx.openFile = s.tc.files.open(path, FileOpen::ReadExisting);
  s.ctx.busy = 1;
  ImportBank(s.ctx, s.device, path);
}

void importData(DiskScenario& s, std::uint32_t size, const std::string& name) {
  s.tc.files.data(kBankFile) = MakeBankFile(MakeBankData(size, name, size));
  importBank(s);
}

TEST(BankTransfer, ExportThenImportReproducesTheBankButItsNameCopy) {
  DiskScenario s;
  Bytes data = MakeBankData(150000, "GRAND PIANO", 7);
  std::memcpy(data.data() + 16, "OLD NAME COPY   ", 16);
  s.image.addBank(0, "KEEP", MakeBankData(1000, "KEEP", 0));
  std::uint16_t first = s.image.addBank(2, "GRAND PIANO", data);
  s.list();

  exportBank(s, s.bank(2));
  EXPECT_EQ(s.leftOver(), "");
  const Bytes& file = s.tc.files.data(kBankFile);
  ASSERT_EQ(file.size(), data.size());
  EXPECT_EQ(0, std::memcmp(file.data(), "EMULATOR 3X     GRAND PIANO     ", 32));
  EXPECT_EQ(file, MakeBankFile(data));
  EXPECT_EQ(s.driver.transfers.back().progressEnd, 150000 / 512 + 1 + 1);

  importBank(s);
  EXPECT_EQ(s.tc.host.messages, Messages{});
  EXPECT_EQ(s.leftOver(), "");
  ASSERT_EQ(s.bankNumbers(), (std::vector<int>{0, 1, 2}));  // the lowest free number
  const TreeNode& copy = s.node(s.bank(1));
  EXPECT_STREQ(copy.name, "GRAND PIANO");
  EXPECT_NE(swap16(copy.bankWord), first);
  std::memcpy(data.data() + 16, "GRAND PIANO     ", 16);
  EXPECT_EQ(s.image.bankData(swap16(copy.bankWord), copy.size), data);
}

TEST(BankTransfer, ImportWithoutRoomWritesNothing) {
  // 65535 bytes fit one block, but the fourth unit completes it and so takes
  // a second: with one block free nothing may be written.
  for (std::uint32_t keep : {1u, 2u}) {
    DiskScenario s;
    s.image.fillBlocks(keep);
    Bytes before = s.image.bytes;
    importData(s, 65535, "TOO BIG");
    EXPECT_EQ(s.tc.host.messages, keep == 1 ? Messages{"Not enough disk space"} : Messages{});
    EXPECT_EQ(s.image.bytes == before, keep == 1);
    EXPECT_EQ(s.leftOver(), "");
  }

  // Every entry in use, with numbers no listing shows.
  DiskScenario noEntry;
  for (std::uint32_t k = 0; k < 3; ++k) {
    for (int e = 0; e < 16; ++e)
      noEntry.image.putEntry(k, e, "HIDDEN", 150, kBatEnd, 0);
  }
  importData(noEntry, 1000, "NEW");
  EXPECT_EQ(noEntry.tc.host.messages, Messages{"No free banks on disk"});
  EXPECT_EQ(noEntry.driver.writes, 0);
  EXPECT_EQ(noEntry.leftOver(), "");

  // A hundred banks shown: refused before the file is read.
  EsiLayout layout;
  layout.blockCount = 120;
  layout.indexSectors = layout.usedIndexSectors = 8;
  DiskScenario full(layout);
  for (int n = 0; n < 100; ++n)
    full.image.addBank(n, "FULL", MakeBankData(100, "FULL", n));
  full.list();
  full.tc.files.data(kBankFile) = Bytes(1000, 1);
  importBank(full);
  EXPECT_EQ(full.tc.host.messages, Messages{"No free banks on drive"});
  EXPECT_EQ(full.tc.files.reads, 0);
  EXPECT_TRUE(full.driver.transfers.empty());
  EXPECT_EQ(full.leftOver(), "");
}

// The first sector full: the import takes the next one into use. The file is
// too short to hold a name, so the bank is named after the file.
TEST(BankTransfer, ImportTakesAnUnusedIndexSectorIntoUse) {
  DiskScenario s;
  for (int n = 0; n < 16; ++n)
    s.image.addBank(n, "FIRST SECTOR", MakeBankData(100, "FIRST SECTOR", n));
  s.list();
  std::uint8_t* fir = s.image.sector(s.image.info.firSector);
  std::memset(fir, 0xEE, 512);
  s.tc.files.data("C:\\Work\\tiny.e3x") = Bytes(40, 0x11);
  importBank(s, "C:\\Work\\tiny.e3x");
  EXPECT_EQ(s.tc.host.messages, Messages{});
  // The slot of index sector 1 holds that sector's number; the rest stays.
  EXPECT_EQ(getLe16(fir + 20), s.image.info.bankIndexSector + 1);
  EXPECT_EQ(fir[18], 0xEE);
  EXPECT_EQ(fir[22], 0xEE);
  const std::uint8_t* entry = s.image.indexEntry(1, 0);
  EXPECT_EQ(0, std::memcmp(entry, "tiny            ", 16));
  EXPECT_EQ(EntryNumber(entry), 16);
  EXPECT_EQ(s.node(s.bank(16)).size, 40u);
  for (int i = 32; i < 512; ++i)
    ASSERT_EQ(entry[i], 0) << i;
  EXPECT_EQ(s.leftOver(), "");
}

TEST(BankTransfer, DamagedChainsAndUnusableTablesAreRefused) {
  for (int damage : {1, 0x7000, 0, -1}) {  // loop, off the disk, free; a BAT too big
    DiskScenario s;
    s.image.addBank(1, "BANK", MakeBankData(3 * 65536, "BANK", 1));
    if (damage >= 0)
      s.image.setBat(2, static_cast<std::uint16_t>(damage));
    s.image.info.batCount = damage < 0 ? 200 : 1;  // more than the table buffer holds
    s.image.storeInfo();
    s.list();
    exportBank(s, s.bank(1));
    EXPECT_EQ(s.tc.host.messages, Messages{damage < 0 ? kBatError : kDamagedChain}) << damage;
    EXPECT_TRUE(s.tc.files.data(kBankFile).empty());
    if (damage < 0) {
      importData(s, 1000, "NEW");
      EXPECT_EQ(s.tc.host.messages, (Messages{kBatError, kBatError}));
      EXPECT_TRUE(s.driver.transfers.empty());
    }
    EXPECT_EQ(s.ctx.busy, 0);
    EXPECT_EQ(s.tc.files.openCount(), 0);
  }
}

TEST(BankTransfer, FileFailuresStopTheCopy) {
  DiskScenario s;
  s.image.addBank(1, "BANK", MakeBankData(3 * 65536, "BANK", 1));
  s.list();
  s.tc.files.failWriteAt = 2;
  exportBank(s, s.bank(1));
  EXPECT_EQ(s.tc.host.messages, Messages{"Error writing Windows file"});
  EXPECT_EQ(s.tc.files.data(kBankFile).size(), kUnitBytes);

  s.tc.host.messages.clear();
  s.tc.files.data(kBankFile) = MakeBankFile(MakeBankData(100000, "NEW", 9));
  s.tc.files.failReadAt = 3;  // the name, the first unit, then the second
  s.driver.transfers.clear();
  importBank(s);
  EXPECT_EQ(s.tc.host.messages, Messages{"Error reading Windows file"});
  for (const auto& t : s.driver.transfers)
    EXPECT_TRUE(!t.write || t.count == kUnitSectors) << "a table was written";
  EXPECT_EQ(s.bankNumbers(), std::vector<int>{1});
  EXPECT_EQ(s.leftOver(), "");
}

TEST(BankTransfer, ExportStopsAtAChunkTheFileCouldNotRestore) {
  DiskScenario s;
  Bytes data = MakeBankData(2 * kUnitBytes + 100, "BANK", 1);
  // The second chunk's bytes turn into "EMU" under its key.
  std::uint8_t key[3] = {0, 0, 0};
  BankKeystream(key, 3, kUnitBytes);
  for (int i = 0; i < 3; ++i)
    data[kUnitBytes + i] = static_cast<std::uint8_t>("EMU"[i] ^ key[i]);
  s.image.addBank(0, "BANK", data);
  s.list();
  exportBank(s, s.bank(0));
  EXPECT_EQ(s.tc.host.messages, Messages{"Bank data cannot be stored in a bank file"});
  EXPECT_EQ(s.tc.files.data(kBankFile).size(), kUnitBytes);
}

TEST(BankTransfer, EmptyBankImportUsesTheTemplateInATemporaryFile) {
  Bytes bank;
  TestHost probe;
  if (!probe.loadResource("E3X", 203, &bank))
    GTEST_SKIP() << "templates not generated";
  DiskScenario s;
  s.image.addBank(0, "B", MakeBankData(1000, "B", 0));
  s.list();
  ImportEmptyBank(s.ctx, s.device);
  EXPECT_EQ(s.tc.host.messages, Messages{});
  EXPECT_FALSE(s.tc.files.exists("C:\\Temp\\Korrin.tmp"));
  ASSERT_NE(s.bank(1), 0);
  EXPECT_EQ(s.node(s.bank(1)).size, 11265u);
  BankKeystream(bank.data(), 92, 0);
  EXPECT_EQ(s.node(s.bank(1)).name, BankDisplayName(reinterpret_cast<char*>(bank.data() + 76)));
  EXPECT_EQ(s.leftOver(), "");

  s.tc.files.setReadOnly("C:\\Temp\\Korrin.tmp");
  s.driver.transfers.clear();
  s.ctx.busy = 1;  // as when the command starts it on a worker
  ImportEmptyBank(s.ctx, s.device);
  EXPECT_EQ(s.tc.host.messages, Messages{"Unable to create empty bank"});
  EXPECT_TRUE(s.driver.transfers.empty());
  EXPECT_EQ(s.leftOver(), "");
}

// The disk's tables come from the disk: no position outside them may reach
// the driver, and a disk listed with another block size is not worked on.
TEST(BankDisk, KeepsEveryTransferOnTheDiskItWasListedAs) {
  DiskScenario s;
  BankDisk disk(s.ctx, s.device);
  ASSERT_TRUE(disk.usable());
  std::uint32_t sector = 0;
  EXPECT_TRUE(disk.blockStart(48, &sector));
  EXPECT_EQ(sector, s.image.blockStart(48));
  EXPECT_FALSE(disk.blockStart(0, &sector) || disk.blockStart(49, &sector));
  std::uint8_t buffer[1024];
  EXPECT_FALSE(disk.read(s.image.info.lastSector, 2, buffer));
  EXPECT_FALSE(disk.readIndex(s.image.info.bankIndexCount, buffer));
  EXPECT_FALSE(disk.writeIndex(s.image.info.bankIndexCount, buffer));
  EXPECT_TRUE(s.driver.transfers.empty());
  s.ctx.nodes[s.device].blockFactor = 2;
  EXPECT_FALSE(BankDisk(s.ctx, s.device).usable());
}

}  // namespace
