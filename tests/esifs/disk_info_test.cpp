// The disk information sector and the Bank Index entries.
#include "esifs/disk_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_index.h"

namespace {

struct Sector {
  std::uint8_t b[512] = {};
  Sector() { std::memcpy(b, "EMU3", 4); }
};

TEST(DiskInfoChecksum, MatchesHandWorkedSumsAndTheGappedFormSkipsBytes220To223) {
  Sector s;
  // Even bytes: 0x45 + 0x55 = 0x9A; odd: 0x4D + 0x33 = 0x80.
  EXPECT_EQ(DiskInfoChecksumV2(s.b), 0x9A80);
  s.b[4] = 0xFF;
  s.b[6] = 0xFF;    // even sum 0x298: 0x98 high, carry 2 into the odd sum
  s.b[510] = 0x12;  // the stored checksum itself is not covered
  EXPECT_EQ(DiskInfoChecksumV2(s.b) + DiskInfoChecksumGapped(s.b), 2 * 0x9882);

  for (int at = 220; at <= 223; ++at)
    s.b[at] = static_cast<std::uint8_t>(0x11 * at);
  EXPECT_EQ(DiskInfoChecksumGapped(s.b), 0x9882);
  EXPECT_NE(DiskInfoChecksumV2(s.b), 0x9882);

  // Stored high byte first; either form is an ESi disk, but only with the
  // magic. (Which form is compatible, and the conversion: the SCSI tests.)
  StoreChecksum(s.b, 0x9882);
  EXPECT_TRUE(s.b[0x1FE] == 0x98 && s.b[0x1FF] == 0x82 && IsEsiDiskInfo(s.b));
  s.b[3] = '2';
  EXPECT_FALSE(IsEsiDiskInfo(s.b));
}

// Sectors 1 (FIR), 2-8 (Bank Index), 9-12 (BAT), then 781 blocks of 128 sectors.
const DiskInfo kGoodDisk{99999, 1, 2, 7, 9, 4, 13, 781, 1, 0};

TEST(DiskLayout, AcceptsADiskUpToItsLastSectorAndRefusesOneItCannotHandleSafely) {
  // Data area ending at the disk's end; one BAT sector's 255 blocks; FIR slots
  // that end at byte 510, and one more that starts a second sector.
  std::string why;
  for (DiskInfo d : {kGoodDisk, DiskInfo{13 + 781 * 128 - 1, 1, 2, 7, 9, 4, 13, 781, 1, 0},
                     DiskInfo{99999, 1, 2, 246, 249, 1, 250, 255, 1, 0}})
    EXPECT_TRUE(IsUsableEsiDisk(d, &why)) << why;
  EXPECT_EQ(FirSlotSectors(DiskInfo{99999, 1, 2, 246, 0, 0, 0, 0, 0, 0}), 1u);
  EXPECT_EQ(FirSlotSectors(DiskInfo{99999, 1, 2, 248, 0, 0, 0, 0, 0, 0}), 2u);

  struct Case {
    const char* what;
    void (*change)(DiskInfo&);
  };
  const Case cases[] = {
      {"one sector too many", [](DiskInfo& d) { d.blockCount = 782; }},
      {"block size code 0", [](DiskInfo& d) { d.blockSizeCode = 0; }},
      {"block size code 9", [](DiskInfo& d) { d.blockSizeCode = 9; }},
      {"no BAT", [](DiskInfo& d) { d.batCount = 0; }},
      {"BAT of 129 sectors", [](DiskInfo& d) { d.batCount = 129; }},
      {"no Bank Index", [](DiskInfo& d) { d.bankIndexCount = 0; }},
      {"Bank Index of 4097 sectors",
       [](DiskInfo& d) { d = {0xFFFFFFFF, 300000, 200000, 4097, 9, 4, 13, 781, 1, 0}; }},
      {"more blocks than BAT entries", [](DiskInfo& d) { d.batCount = 1, d.blockCount = 256; }},
      {"BAT beyond the disk", [](DiskInfo& d) { d.batSector = 99997; }},
      {"data area wraps 32 bits",
       [](DiskInfo& d) { d.lastSector = 0xFFFFFFFF, d.dataSector = 0xFFFFFF00; }},
      {"BAT over sector 0", [](DiskInfo& d) { d.batSector = 0; }},
      {"Bank Index over the BAT", [](DiskInfo& d) { d.bankIndexSector = 5; }},
      {"data area over the BAT", [](DiskInfo& d) { d.dataSector = 12; }},
      {"FIR slots run into the Bank Index",
       [](DiskInfo& d) { d = {99999, 1, 2, 248, 250, 4, 254, 700, 1, 0}; }},
  };
  for (const Case& c : cases) {
    DiskInfo d = kGoodDisk;
    c.change(d);
    why.clear();
    EXPECT_FALSE(IsUsableEsiDisk(d, &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
}

TEST(BankEntry, NewEntryHasItsBytesWhereTheSamplerReadsThem) {
  std::uint8_t raw[kBankEntrySize];
  std::memset(raw, 0xEE, sizeof raw);  // leftovers of an old entry
  BankEntry e = NewBankEntry("GRAND PIANO     ", 42, 0x1234, 11265, 128);
  e.flags = 0x00;  // a new entry is always written in use
  EncodeNewBankEntry(e, raw);
  const std::uint8_t expected[16] = {0, 42, 0x34, 0x12, 0, 0, 151, 0, 1, 0, 0x81, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(raw, "GRAND PIANO     ", 16), 0);
  EXPECT_EQ(std::memcmp(raw + 16, expected, 16), 0);
  EXPECT_EQ(DecodeBankEntry(raw).firstBlock, 0x1234);
}

TEST(BankEntry, ABankIsInUseAndNumberedBelow100AndOnlyBBAtBytes16And17EndsTheListing) {
  std::uint8_t raw[kBankEntrySize] = {};
  SetEntryNumber(raw, 99);
  EXPECT_FALSE(IsBankEntry(raw)) << "flag bit clear";
  raw[26] = 0x80;
  EXPECT_TRUE(IsBankEntry(raw) && EntryNumber(raw) == 99);
  SetEntryNumber(raw, 0x6300);  // 99 read in the wrong byte order would pass
  EXPECT_FALSE(IsBankEntry(raw));
  SetEntryNumber(raw, 100);
  EXPECT_FALSE(IsBankEntry(raw));
  raw[26] = 0x7F;  // every other flag bit set: still free
  EXPECT_FALSE(IsEntryInUse(raw));

  std::uint8_t sector[512] = {};
  sector[16] = sector[17] = 'B';
  EXPECT_TRUE(EndsBankListing(sector) && !IsUnusedIndexSector(sector));
  sector[17] = 0;
  EXPECT_FALSE(EndsBankListing(sector)) << "both bytes";
}

TEST(BankSize, CodesKnownSizesAndRoundTripsForEveryBlockSize) {
  BankEntry z{}, almost{}, plain{{}, 0, 0, 2, 1, 7, 0};  // the plain form decodes too
  EncodeBankSize(0, 128, &z);  // a 0-byte bank: block field 0, wrapping on decode
  EncodeBankSize(65535, 128, &almost);
  EXPECT_EQ(std::vector<int>({z.blockField, z.sectorField, z.byteField, almost.blockField,
                              almost.sectorField, almost.byteField}),
            std::vector<int>({0, 129, 0, 0, 256, 511}));
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

}  // namespace
