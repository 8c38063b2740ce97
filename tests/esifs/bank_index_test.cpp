#include "esifs/bank_index.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(BankEntry, NewEntryRoundTripsWithBigEndianNumberAndFixedTail) {
  std::uint8_t raw[kBankEntrySize];
  std::memset(raw, 0xEE, sizeof raw);  // leftovers of an old entry
  BankEntry e = NewBankEntry("GRAND PIANO     ", 42, 0x1234, 11265, 128);
  e.flags = 0x00;  // a new entry is always written in use
  EncodeNewBankEntry(e, raw);

  EXPECT_EQ(std::memcmp(raw, "GRAND PIANO     ", 16), 0);
  EXPECT_EQ(raw[16], 0x00);
  EXPECT_EQ(raw[17], 42);
  EXPECT_EQ(raw[18], 0x34);
  EXPECT_EQ(raw[19], 0x12);
  EXPECT_EQ(raw[26], kNewEntryFlags);
  for (int i = 27; i < 32; ++i)
    EXPECT_EQ(raw[i], 0) << i;

  BankEntry d = DecodeBankEntry(raw);
  EXPECT_EQ(d.number, 42);
  EXPECT_EQ(d.firstBlock, 0x1234);
  EXPECT_EQ(d.flags, kNewEntryFlags);
  EXPECT_EQ(DecodeBankSize(d, 128), 11265u);
  EXPECT_EQ(EntryNumber(raw), 42);
  EXPECT_TRUE(IsBankEntry(raw));
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
  SetEntryNumber(raw, 1);
  EXPECT_FALSE(IsEntryInUse(raw));
}

TEST(BankIndexSector, BBAtBytes16EndsListingBBAtBytes0MarksUnused) {
  std::uint8_t sector[512] = {};
  sector[16] = 'B';
  sector[17] = 'B';
  EXPECT_TRUE(EndsBankListing(sector));
  EXPECT_FALSE(IsUnusedIndexSector(sector));
  std::memset(sector, 0, sizeof sector);
  sector[0] = 'B';
  sector[1] = 'B';
  EXPECT_FALSE(EndsBankListing(sector));
  EXPECT_TRUE(IsUnusedIndexSector(sector));
  sector[17] = 'B';
  EXPECT_FALSE(EndsBankListing(sector)) << "both bytes";
}

struct SizeFields {
  std::uint16_t block, sector, byte;
};
SizeFields coded(std::uint32_t bytes, std::uint32_t blockSectors) {
  BankEntry e{};
  EncodeBankSize(bytes, blockSectors, &e);
  return {e.blockField, e.sectorField, e.byteField};
}

TEST(BankSize, CodesTheKnownSizes) {
  SizeFields z = coded(0, 128);
  EXPECT_EQ(z.block, 0);
  EXPECT_EQ(z.sector, 129);
  EXPECT_EQ(z.byte, 0);
  SizeFields one = coded(65536, 128);
  EXPECT_EQ(one.block, 1);
  EXPECT_EQ(one.sector, 129);
  EXPECT_EQ(one.byte, 0);
  SizeFields almost = coded(65535, 128);
  EXPECT_EQ(almost.block, 0);
  EXPECT_EQ(almost.sector, 256);
  EXPECT_EQ(almost.byte, 511);

  BankEntry e{};
  e.blockField = 0;
  e.sectorField = 129;
  EXPECT_EQ(DecodeBankSize(e, 128), 0u);
  e.blockField = 2;
  e.sectorField = 1;
  e.byteField = 7;  // the plain form decodes too
  EXPECT_EQ(DecodeBankSize(e, 128), 65536u + 7);
}

TEST(BankSize, RoundTripsForEveryBlockSizeWithSectorFieldInItsRange) {
  for (int code = 1; code <= 8; ++code) {
    std::uint32_t blockSectors = 128u << (code - 1);
    std::uint32_t blockBytes = blockSectors * 512;
    const std::uint32_t sizes[] = {0,
                                   1,
                                   511,
                                   512,
                                   513,
                                   blockBytes - 1,
                                   blockBytes,
                                   blockBytes + 1,
                                   3 * blockBytes + 12345,
                                   0xFFFFFFFF};
    for (std::uint32_t s : sizes) {
      BankEntry e{};
      EncodeBankSize(s, blockSectors, &e);
      EXPECT_EQ(DecodeBankSize(e, blockSectors), s) << code << " " << s;
      EXPECT_EQ(e.blockField, s / blockBytes);
      EXPECT_GT(e.sectorField, blockSectors);
      EXPECT_LE(e.sectorField, 2 * blockSectors);
      EXPECT_LT(e.byteField, 512);
    }
    for (std::uint32_t s = 0; s < 4 * blockBytes; s += 4093) {
      BankEntry e{};
      EncodeBankSize(s, blockSectors, &e);
      ASSERT_EQ(DecodeBankSize(e, blockSectors), s) << code;
    }
  }
}

TEST(BankName, DropsFinalXThenTrailingBlanks) {
  EXPECT_EQ(BankDisplayName("EMPTY BANK     X"), "EMPTY BANK");
  EXPECT_EQ(BankDisplayName("PIANO          X"), "PIANO");
  EXPECT_EQ(BankDisplayName("SIXTEEN CHARS OK"), "SIXTEEN CHARS OK");
  EXPECT_EQ(BankDisplayName("SAX             "), "SAX");
  EXPECT_EQ(BankDisplayName("               X"), "");
  char unterminated[20];
  std::memset(unterminated, 'Q', sizeof unterminated);  // only 16 bytes are read
  EXPECT_EQ(BankDisplayName(unterminated), std::string(16, 'Q'));
}

TEST(FileIndexReference, SlotsStartAtByte18AndCrossIntoTheNextSector) {
  FirSlot s0 = FirSlotOf(0);
  EXPECT_EQ(s0.sector, 0u);
  EXPECT_EQ(s0.offset, 18u);
  FirSlot s246 = FirSlotOf(246);
  EXPECT_EQ(s246.sector, 0u);
  EXPECT_EQ(s246.offset, 510u);
  FirSlot s247 = FirSlotOf(247);
  EXPECT_EQ(s247.sector, 1u);
  EXPECT_EQ(s247.offset, 0u);
  FirSlot far = FirSlotOf(0xFFFFFFFF);  // no 32-bit wrap to a low slot
  EXPECT_GT(far.sector, 1u);
}

TEST(FileIndexReference, SlotHoldsTheIndexSectorNumberCutTo16Bits) {
  std::uint8_t fir[512];
  std::memset(fir, 0xAA, sizeof fir);
  WriteFirSlot(fir, 0, 0x12345);
  EXPECT_EQ(fir[18], 0x45);
  EXPECT_EQ(fir[19], 0x23);
  EXPECT_EQ(fir[17], 0xAA);
  EXPECT_EQ(fir[20], 0xAA);
  WriteFirSlot(fir, 247, 10);  // 257 at bytes 0-1 of the second FIR sector
  EXPECT_EQ(fir[0], 0x01);
  EXPECT_EQ(fir[1], 0x01);
}

}  // namespace
