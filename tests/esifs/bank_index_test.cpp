#include "esifs/bank_index.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(BankEntry, NewEntryHasItsBytesWhereTheSamplerReadsThem) {
  std::uint8_t raw[kBankEntrySize];
  std::memset(raw, 0xEE, sizeof raw);  // leftovers of an old entry
  BankEntry e = NewBankEntry("GRAND PIANO     ", 42, 0x1234, 11265, 128);
  e.flags = 0x00;  // a new entry is always written in use
  EncodeNewBankEntry(e, raw);
  const std::uint8_t expected[16] = {0, 42, 0x34, 0x12, 0, 0, 151, 0, 1, 0, 0x81, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(raw, "GRAND PIANO     ", 16), 0);
  EXPECT_EQ(std::memcmp(raw + 16, expected, 16), 0);

  BankEntry d = DecodeBankEntry(raw);
  EXPECT_EQ(d.number, 42);
  EXPECT_EQ(d.firstBlock, 0x1234);
  EXPECT_EQ(DecodeBankSize(d, 128), 11265u);
  EXPECT_EQ(EntryNumber(raw), 42);
}

TEST(BankEntry, ABankIsInUseAndNumberedBelow100) {
  std::uint8_t raw[kBankEntrySize] = {};
  SetEntryNumber(raw, 99);
  EXPECT_FALSE(IsBankEntry(raw)) << "flag bit clear";
  raw[26] = 0x80;
  EXPECT_TRUE(IsBankEntry(raw));
  raw[16] = 0x63;  // 99 read in the wrong byte order would pass
  raw[17] = 0x00;
  EXPECT_FALSE(IsBankEntry(raw));
  SetEntryNumber(raw, 100);
  EXPECT_TRUE(IsEntryInUse(raw));
  EXPECT_FALSE(IsBankEntry(raw));
  raw[26] = 0x7F;  // every other flag bit set: still free
  EXPECT_FALSE(IsEntryInUse(raw));

  std::uint8_t sector[512] = {};
  sector[16] = sector[17] = 'B';
  EXPECT_TRUE(EndsBankListing(sector));
  EXPECT_FALSE(IsUnusedIndexSector(sector));
  sector[17] = 0;
  EXPECT_FALSE(EndsBankListing(sector)) << "both bytes";
  sector[0] = sector[1] = 'B';
  EXPECT_TRUE(IsUnusedIndexSector(sector));
}

TEST(BankSize, CodesKnownSizesAndRoundTripsForEveryBlockSize) {
  BankEntry z{};
  EncodeBankSize(0, 128, &z);  // a 0-byte bank: block field 0, wrapping on decode
  EXPECT_EQ(z.blockField, 0);
  EXPECT_EQ(z.sectorField, 129);
  EXPECT_EQ(z.byteField, 0);
  BankEntry almost{};
  EncodeBankSize(65535, 128, &almost);
  EXPECT_EQ(almost.blockField, 0);
  EXPECT_EQ(almost.sectorField, 256);
  EXPECT_EQ(almost.byteField, 511);
  BankEntry plain{};
  plain.blockField = 2;
  plain.sectorField = 1;
  plain.byteField = 7;  // the plain form decodes too
  EXPECT_EQ(DecodeBankSize(plain, 128), 65536u + 7);

  for (int code = 1; code <= 8; ++code) {
    std::uint32_t blockSectors = 128u << (code - 1);
    std::uint32_t blockBytes = blockSectors * 512;
    for (std::uint32_t s : {0u, 1u, 511u, 512u, 513u, blockBytes - 1, blockBytes, blockBytes + 1,
                            3 * blockBytes + 12345, 0xFFFFFFFFu}) {
      BankEntry e{};
      EncodeBankSize(s, blockSectors, &e);
      EXPECT_EQ(DecodeBankSize(e, blockSectors), s) << code << " " << s;
      EXPECT_EQ(e.blockField, s / blockBytes);
      EXPECT_GT(e.sectorField, blockSectors);
      EXPECT_LE(e.sectorField, 2 * blockSectors);
    }
  }
}

TEST(BankName, DropsFinalXThenTrailingBlanks) {
  EXPECT_EQ(BankDisplayName("EMPTY BANK     X"), "EMPTY BANK");
  EXPECT_EQ(BankDisplayName("SIXTEEN CHARS OK"), "SIXTEEN CHARS OK");
  EXPECT_EQ(BankDisplayName("               X"), "");
  char unterminated[20];
  std::memset(unterminated, 'Q', sizeof unterminated);  // only 16 bytes are read
  EXPECT_EQ(BankDisplayName(unterminated), std::string(16, 'Q'));
}

TEST(FileIndexReference, SlotsFromByte18HoldTheIndexSectorNumberCutTo16Bits) {
  EXPECT_EQ(FirSlotOf(246).sector, 0u);
  EXPECT_EQ(FirSlotOf(246).offset, 510u);
  EXPECT_EQ(FirSlotOf(247).sector, 1u);
  EXPECT_EQ(FirSlotOf(247).offset, 0u);
  EXPECT_GT(FirSlotOf(0xFFFFFFFF).sector, 1u) << "no 32-bit wrap to a low slot";

  std::uint8_t fir[512];
  std::memset(fir, 0xAA, sizeof fir);
  WriteFirSlot(fir, 0, 0x12345);
  EXPECT_EQ(fir[17], 0xAA);
  EXPECT_EQ(fir[18], 0x45);
  EXPECT_EQ(fir[19], 0x23);
  EXPECT_EQ(fir[20], 0xAA);
  WriteFirSlot(fir, 247, 10);  // 257 at bytes 0-1 of the second FIR sector
  EXPECT_EQ(fir[0], 0x01);
  EXPECT_EQ(fir[1], 0x01);
}

}  // namespace
