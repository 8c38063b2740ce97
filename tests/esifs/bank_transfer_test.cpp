#include "esifs/bank_transfer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_disk.h"
#include "esifs/bank_index.h"
#include "esifs/keystream.h"
#include "tests/support/disk_check.h"
#include "tests/support/memory_disk.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const char kBankFile[] = "C:\\Work\\bank.e3x";

// Runs an export as the command would: the file created, the flag set.
void exportBank(DiskScenario& s, int bank, const std::string& path = kBankFile) {
  s.ctx.openFile = s.tc.files.open(path, FileOpen::CreateAlways);
  ASSERT_NE(s.ctx.openFile, kNoFile);
  s.ctx.busy = 1;
  ExportBank(s.ctx, bank);
}

void importBank(DiskScenario& s, const std::string& path = kBankFile) {
  s.ctx.openFile = s.tc.files.open(path, FileOpen::ReadExisting);
  ASSERT_NE(s.ctx.openFile, kNoFile);
  s.ctx.busy = 1;
  ImportBank(s.ctx, s.device, path);
}

// The bank file of some data, as an export writes it.
Bytes bankFile(Bytes data) {
  for (std::uint32_t at = 0; at < data.size(); at += kUnitBytes) {
    std::uint32_t n =
        static_cast<std::uint32_t>(std::min<std::size_t>(kUnitBytes, data.size() - at));
    if (at == 0 && n >= 92 && std::memcmp(data.data(), "EMU", 3) == 0)
      std::memcpy(data.data() + 16, data.data() + 76, 16);
    BankKeystream(data.data() + at, n, at);
  }
  return data;
}

// Every operation ends the same way whatever happened.
void expectEnded(DiskScenario& s) {
  EXPECT_EQ(s.ctx.busy, 0);
  EXPECT_EQ(s.ctx.openFile, kNoFile);
  EXPECT_EQ(s.tc.files.openCount(), 0);
  EXPECT_EQ(s.ctx.lcd.LcdCurrentPage(), 0);
  EXPECT_EQ(CheckDiskConsistency(s.image.bytes), "");
}

int diskWrites(const DiskScenario& s) {
  int n = 0;
  for (const auto& t : s.driver.transfers)
    n += t.write;
  return n;
}

std::vector<std::uint16_t> chainOf(const EsiImage& image, std::uint16_t first) {
  std::vector<std::uint16_t> chain;
  for (std::uint32_t b = first; b != 0x7FFF && chain.size() < 100; b = image.bat(b))
    chain.push_back(static_cast<std::uint16_t>(b));
  return chain;
}

TEST(BankTransfer, ExportThenImportReproducesTheBankButItsNameCopy) {
  DiskScenario s;
  Bytes data = MakeBankData(150000, "GRAND PIANO", 7);
  std::memcpy(data.data() + 16, "OLD NAME COPY   ", 16);
  std::uint16_t first = s.image.addBank(0, "GRAND PIANO", data);
  s.list();

  exportBank(s, s.bank(0));
  expectEnded(s);
  EXPECT_TRUE(s.tc.host.messages.empty());
  const Bytes& file = s.tc.files.data(kBankFile);
  ASSERT_EQ(file.size(), data.size());
  EXPECT_EQ(0, std::memcmp(file.data(), "EMULATOR 3X", 11));
  EXPECT_EQ(0, std::memcmp(file.data() + 16, "GRAND PIANO     ", 16));
  EXPECT_EQ(file, bankFile(data));
  EXPECT_EQ(s.driver.transfers.back().progressEnd, 150000 / 512 + 1 + 1);

  importBank(s);
  expectEnded(s);
  EXPECT_TRUE(s.tc.host.messages.empty());
  ASSERT_EQ(s.bankNumbers(), (std::vector<int>{0, 1}));
  const TreeNode& copy = s.node(s.bank(1));
  EXPECT_STREQ(copy.name, "GRAND PIANO");
  EXPECT_EQ(copy.size, data.size());
  std::uint16_t copyFirst = swap16(copy.bankWord);
  EXPECT_NE(copyFirst, first);
  Bytes expected = data;
  std::memcpy(expected.data() + 16, "GRAND PIANO     ", 16);
  EXPECT_EQ(s.image.bankData(copyFirst, copy.size), expected);
}

TEST(BankTransfer, ExportOfAWholeNumberOfUnitsEndsWithAnEmptyWriteOrTheChain) {
  DiskScenario s;
  Bytes data = MakeBankData(2 * kUnitBytes, "TWO UNITS", 3);
  s.image.addBank(4, "TWO UNITS", data);
  s.list();
  exportBank(s, s.bank(4));
  EXPECT_TRUE(s.tc.host.messages.empty());
  EXPECT_EQ(s.tc.files.data(kBankFile), bankFile(data));
  // Two units of data and the one after them, in the same block.
  EXPECT_EQ(s.driver.transfers.size(), 1u + 3u);

  DiskScenario whole;
  Bytes block = MakeBankData(4 * kUnitBytes, "ONE BLOCK", 5);
  whole.image.addBank(0, "ONE BLOCK", block);
  whole.list();
  exportBank(whole, whole.bank(0));
  EXPECT_TRUE(whole.tc.host.messages.empty());
  EXPECT_EQ(whole.tc.files.data(kBankFile), bankFile(block));
  // The chain ends with the block, before a fifth unit.
  EXPECT_EQ(whole.driver.transfers.size(), 1u + 4u);
}

TEST(BankTransfer, ImportOf65535BytesWritesFourUnitsAndChainsASecondBlock) {
  DiskScenario s;
  s.tc.files.data(kBankFile) = bankFile(MakeBankData(65535, "ALMOST A BLOCK", 11));
  importBank(s);
  expectEnded(s);
  EXPECT_TRUE(s.tc.host.messages.empty());

  int unitWrites = 0;
  for (const auto& t : s.driver.transfers)
    unitWrites += t.write && t.count == kUnitSectors;
  EXPECT_EQ(unitWrites, 4);
  ASSERT_NE(s.bank(0), 0);
  std::uint16_t first = swap16(s.node(s.bank(0)).bankWord);
  EXPECT_EQ(chainOf(s.image, first), (std::vector<std::uint16_t>{1, 2}));
  BankEntry e = DecodeBankEntry(s.image.indexEntry(0, 0));
  EXPECT_EQ(e.blockField, 0);
  EXPECT_EQ(e.sectorField, 256);
  EXPECT_EQ(e.byteField, 511);
  EXPECT_EQ(0, std::memcmp(e.name, "ALMOST A BLOCK  ", 16));
  EXPECT_EQ(s.node(s.bank(0)).size, 65535u);
}

TEST(BankTransfer, ImportTakesTheLowestFreeNumber) {
  DiskScenario s;
  for (int n : {0, 1, 3})
    s.image.addBank(n, "B", MakeBankData(1000, "B", n));
  s.list();
  s.tc.files.data(kBankFile) = bankFile(MakeBankData(1000, "NEW", 9));
  importBank(s);
  EXPECT_EQ(s.bankNumbers(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_STREQ(s.node(s.bank(2)).name, "NEW");
}

TEST(BankTransfer, ImportRefusesADeviceWithAHundredBanksBeforeReadingTheFile) {
  EsiLayout layout;
  layout.blockCount = 120;
  layout.indexSectors = layout.usedIndexSectors = 8;
  DiskScenario s(layout);
  for (int n = 0; n < 100; ++n)
    s.image.addBank(n, "FULL", MakeBankData(100, "FULL", n));
  s.list();
  s.tc.files.data(kBankFile) = bankFile(MakeBankData(1000, "NEW", 9));
  importBank(s);
  EXPECT_EQ(s.tc.host.messages, (std::vector<std::string>{"No free banks on drive"}));
  EXPECT_EQ(s.tc.files.reads, 0);
  EXPECT_TRUE(s.driver.transfers.empty());
  expectEnded(s);
}

TEST(BankTransfer, ImportAsksForTheBlockThatACompletedUnitAdds) {
  // 65535 bytes fit one block, but the fourth unit completes it and so takes
  // a second: with one block free nothing may be written.
  DiskScenario s;
  s.image.fillBlocks(1);
  s.tc.files.data(kBankFile) = bankFile(MakeBankData(65535, "TOO BIG", 1));
  Bytes before = s.image.bytes;
  importBank(s);
  EXPECT_EQ(s.tc.host.messages, (std::vector<std::string>{"Not enough disk space"}));
  EXPECT_EQ(diskWrites(s), 0);
  EXPECT_EQ(s.image.bytes, before);
  expectEnded(s);

  DiskScenario fits;
  fits.image.fillBlocks(2);
  fits.tc.files.data(kBankFile) = bankFile(MakeBankData(65535, "FITS", 1));
  importBank(fits);
  EXPECT_TRUE(fits.tc.host.messages.empty());
  EXPECT_EQ(fits.image.freeBlocks(), 0u);
  expectEnded(fits);
}

TEST(BankTransfer, ImportWithoutAFreeEntryWritesNothing) {
  DiskScenario s;
  // Entries in use whose numbers no listing shows.
  for (std::uint32_t k = 0; k < 3; ++k) {
    for (int e = 0; e < 16; ++e) {
      std::uint8_t* entry = s.image.indexEntry(k, e);
      entry[26] = 0x80;
      SetEntryNumber(entry, 150);
      putLe16(entry + 18, 0x7FFF);
    }
  }
  s.tc.files.data(kBankFile) = bankFile(MakeBankData(1000, "NEW", 9));
  importBank(s);
  EXPECT_EQ(s.tc.host.messages, (std::vector<std::string>{"No free banks on disk"}));
  EXPECT_EQ(diskWrites(s), 0);
  expectEnded(s);
}

TEST(BankTransfer, ImportTakesAnUnusedIndexSectorIntoUse) {
  DiskScenario s;
  for (int n = 0; n < 16; ++n)
    s.image.addBank(n, "FIRST SECTOR", MakeBankData(100, "FIRST SECTOR", n));
  s.list();
  std::uint8_t* fir = s.image.sector(s.image.info.firSector);
  std::memset(fir, 0xEE, 512);
  s.tc.files.data(kBankFile) = bankFile(MakeBankData(1000, "SECOND SECTOR", 9));
  importBank(s);
  EXPECT_TRUE(s.tc.host.messages.empty());
  // The slot of index sector 1 holds that sector's number; the rest stays.
  EXPECT_EQ(getLe16(fir + 20), s.image.info.bankIndexSector + 1);
  EXPECT_EQ(fir[18], 0xEE);
  EXPECT_EQ(fir[22], 0xEE);
  const std::uint8_t* entry = s.image.indexEntry(1, 0);
  EXPECT_EQ(0, std::memcmp(entry, "SECOND SECTOR   ", 16));
  EXPECT_EQ(EntryNumber(entry), 16);
  for (int i = 32; i < 512; ++i)
    ASSERT_EQ(s.image.indexEntry(1, 0)[i], 0) << i;
  EXPECT_NE(s.bank(16), 0);
  // The two File Index Reference requests lengthen the bar.
  EXPECT_EQ(s.driver.transfers.back().progressEnd, 1000 / 512 + 2 * 1 + 3 + 1 + 2);
  expectEnded(s);
}

TEST(BankTransfer, AFileTooShortForANameIsNamedAfterItself) {
  DiskScenario s;
  s.tc.files.data("C:\\Work\\tiny.e3x") = Bytes(40, 0x11);
  importBank(s, "C:\\Work\\tiny.e3x");
  EXPECT_TRUE(s.tc.host.messages.empty());
  ASSERT_NE(s.bank(0), 0);
  EXPECT_STREQ(s.node(s.bank(0)).name, "tiny");
  EXPECT_EQ(s.node(s.bank(0)).size, 40u);
}

TEST(BankTransfer, ExportStopsAtADamagedChain) {
  struct Damage {
    const char* what;
    std::uint16_t secondEntry;
  };
  for (Damage damage : {Damage{"loop", 1}, Damage{"leaves the disk", 0x7000},
                        Damage{"free block", 0}, Damage{"ends early", 0x7FFF}}) {
    SCOPED_TRACE(damage.what);
    DiskScenario s;
    s.image.addBank(0, "BROKEN", MakeBankData(3 * 65536, "BROKEN", 1));  // blocks 1, 2, 3
    s.image.setBat(2, damage.secondEntry);
    s.list();
    exportBank(s, s.bank(0));
    EXPECT_EQ(s.tc.host.messages, (std::vector<std::string>{kDamagedChain}));
    EXPECT_TRUE(s.tc.files.data(kBankFile).empty());
    EXPECT_EQ(s.ctx.busy, 0);
    EXPECT_EQ(s.tc.files.openCount(), 0);
  }
}

TEST(BankTransfer, ADiskWhoseTablesCannotBeHandledIsRefused) {
  DiskScenario s;
  s.image.addBank(0, "BANK", MakeBankData(1000, "BANK", 1));
  s.image.info.batCount = 200;  // more than the table buffer holds
  s.image.storeInfo();
  s.list();
  ASSERT_NE(s.bank(0), 0);

  exportBank(s, s.bank(0));
  EXPECT_EQ(s.tc.host.messages, (std::vector<std::string>{kBatError}));
  s.tc.files.data(kBankFile) = bankFile(MakeBankData(1000, "NEW", 9));
  importBank(s);
  EXPECT_EQ(s.tc.host.messages, (std::vector<std::string>{kBatError, kBatError}));
  EXPECT_TRUE(s.driver.transfers.empty());
  EXPECT_EQ(s.ctx.busy, 0);
  EXPECT_EQ(s.tc.files.openCount(), 0);
}

TEST(BankTransfer, FileFailuresStopTheCopy) {
  DiskScenario s;
  s.image.addBank(0, "BANK", MakeBankData(100000, "BANK", 1));
  s.list();
  s.tc.files.failWriteAt = 2;
  exportBank(s, s.bank(0));
  EXPECT_EQ(s.tc.host.messages, (std::vector<std::string>{"Error writing Windows file"}));
  EXPECT_EQ(s.tc.files.data(kBankFile).size(), kUnitBytes);

  s.tc.host.messages.clear();
  s.tc.files.data(kBankFile) = bankFile(MakeBankData(100000, "NEW", 9));
  s.tc.files.failReadAt = 3;  // the name, the first unit, then the second
  Bytes before = s.image.bytes;
  s.driver.transfers.clear();
  importBank(s);
  EXPECT_EQ(s.tc.host.messages, (std::vector<std::string>{"Error reading Windows file"}));
  for (const auto& t : s.driver.transfers)
    EXPECT_TRUE(!t.write || t.count == kUnitSectors) << "a table was written";
  EXPECT_EQ(s.bankNumbers(), std::vector<int>{0});
  expectEnded(s);
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
  EXPECT_EQ(s.tc.host.messages,
            (std::vector<std::string>{"Bank data cannot be stored in a bank file"}));
  EXPECT_EQ(s.tc.files.data(kBankFile).size(), kUnitBytes);
}

TEST(BankTransfer, EmptyBankImportUsesTheTemplateAndATemporaryFile) {
  Bytes bank;
  TestHost probe;
  if (!probe.loadResource("E3X", 203, &bank))
    GTEST_SKIP() << "templates not generated";
  DiskScenario s;
  for (int n : {0, 2})
    s.image.addBank(n, "B", MakeBankData(1000, "B", n));
  s.list();
  ImportEmptyBank(s.ctx, s.device);
  EXPECT_TRUE(s.tc.host.messages.empty());
  EXPECT_FALSE(s.tc.files.exists("C:\\Temp\\Korrin.tmp"));
  ASSERT_NE(s.bank(1), 0);
  EXPECT_EQ(s.node(s.bank(1)).size, 11265u);
  Bytes head(bank.begin(), bank.begin() + 92);
  BankKeystream(head.data(), 92, 0);
  EXPECT_EQ(s.node(s.bank(1)).name, BankDisplayName(reinterpret_cast<char*>(head.data() + 76)));
  expectEnded(s);
}

TEST(BankTransfer, EmptyBankImportWithoutATemporaryFile) {
  DiskScenario s;
  s.tc.files.setReadOnly("C:\\Temp\\Korrin.tmp");
  s.ctx.busy = 1;  // as when the command starts it on a worker
  ImportEmptyBank(s.ctx, s.device);
  EXPECT_EQ(s.tc.host.messages, (std::vector<std::string>{"Unable to create empty bank"}));
  EXPECT_TRUE(s.driver.transfers.empty());
  expectEnded(s);
}

}  // namespace
