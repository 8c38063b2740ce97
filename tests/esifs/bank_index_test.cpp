#include "esifs/bank_index.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

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
  EXPECT_TRUE(IsEntryInUse(raw) && !IsBankEntry(raw));
  raw[26] = 0x7F;  // every other flag bit set: still free
  EXPECT_FALSE(IsEntryInUse(raw));

  std::uint8_t sector[512] = {};
  sector[16] = sector[17] = 'B';
  EXPECT_TRUE(EndsBankListing(sector) && !IsUnusedIndexSector(sector));
  sector[17] = 0;
  EXPECT_FALSE(EndsBankListing(sector)) << "both bytes";
}

TEST(BankSize, CodesKnownSizesAndRoundTripsForEveryBlockSize) {
  BankEntry z{}, almost{}, plain{};
  EncodeBankSize(0, 128, &z);  // a 0-byte bank: block field 0, wrapping on decode
  EncodeBankSize(65535, 128, &almost);
  EXPECT_EQ(std::vector<int>({z.blockField, z.sectorField, z.byteField, almost.blockField,
                              almost.sectorField, almost.byteField}),
            std::vector<int>({0, 129, 0, 0, 256, 511}));
  plain.blockField = 2;
  plain.sectorField = 1;
  plain.byteField = 7;  // the plain form decodes too
  EXPECT_EQ(DecodeBankSize(plain, 128), 65536u + 7);

  for (std::uint32_t blockSectors = 128; blockSectors <= 16384; blockSectors *= 2) {
    std::uint32_t blockBytes = blockSectors * 512;
    for (std::uint32_t s : {0u, 1u, 511u, 512u, 513u, blockBytes - 1, blockBytes, blockBytes + 1,
                            3 * blockBytes + 12345, 0xFFFFFFFFu}) {
      BankEntry e{};
      EncodeBankSize(s, blockSectors, &e);
      EXPECT_EQ(DecodeBankSize(e, blockSectors), s) << blockSectors << " " << s;
      EXPECT_TRUE(e.sectorField > blockSectors && e.sectorField <= 2 * blockSectors) << s;
    }
  }
}

TEST(FileIndexReference, SlotsFromByte18HoldTheIndexSectorNumberCutTo16Bits) {
  EXPECT_EQ(FirSlotOf(246).sector * 1000 + FirSlotOf(246).offset, 510u);
  EXPECT_EQ(FirSlotOf(247).sector * 1000 + FirSlotOf(247).offset, 1000u);
  EXPECT_GT(FirSlotOf(0xFFFFFFFF).sector, 1u) << "no 32-bit wrap to a low slot";

  std::uint8_t fir[512];
  std::memset(fir, 0xAA, sizeof fir);
  WriteFirSlot(fir, 0, 0x12345);
  EXPECT_EQ(std::vector<int>(fir + 17, fir + 21), std::vector<int>({0xAA, 0x45, 0x23, 0xAA}));
  WriteFirSlot(fir, 247, 10);  // 257 at bytes 0-1 of the second FIR sector
  EXPECT_TRUE(fir[0] == 1 && fir[1] == 1);
}

}  // namespace
