#include "esifs/disk_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Sector {
  std::uint8_t b[512] = {};
  Sector() { std::memcpy(b, "EMU3", 4); }
};

TEST(DiskInfoChecksum, MatchesHandWorkedSumsWithCarryFromEvenIntoOdd) {
  Sector s;
  // Even bytes: 0x45 + 0x55 = 0x9A; odd: 0x4D + 0x33 = 0x80.
  EXPECT_EQ(DiskInfoChecksumV2(s.b), 0x9A80);
  s.b[4] = 0xFF;
  s.b[6] = 0xFF;  // even sum 0x298: 0x98 high, carry 2 into the odd sum
  EXPECT_EQ(DiskInfoChecksumV2(s.b), 0x9882);
  EXPECT_EQ(DiskInfoChecksumGapped(s.b), 0x9882);
  // The stored checksum itself is not covered.
  s.b[510] = 0x12;
  s.b[511] = 0x34;
  EXPECT_EQ(DiskInfoChecksumV2(s.b), 0x9882);
}

TEST(DiskInfoChecksum, GappedFormIgnoresBytes220To223Only) {
  Sector s;
  std::uint16_t v2 = DiskInfoChecksumV2(s.b), gapped = DiskInfoChecksumGapped(s.b);
  for (int at = 220; at <= 223; ++at)
    s.b[at] = static_cast<std::uint8_t>(0x11 * at);
  EXPECT_EQ(DiskInfoChecksumGapped(s.b), gapped);
  EXPECT_NE(DiskInfoChecksumV2(s.b), v2);
  s.b[219] = 1;
  EXPECT_NE(DiskInfoChecksumGapped(s.b), gapped);
  s.b[219] = 0;
  s.b[224] = 1;
  EXPECT_NE(DiskInfoChecksumGapped(s.b), gapped);
}

TEST(DiskInfoRecognition, EitherChecksumFormMakesAnEsiDiskButOnlyV2IsCompatible) {
  Sector s;
  s.b[221] = 0x77;  // makes the two forms differ
  StoreChecksum(s.b, DiskInfoChecksumGapped(s.b));
  EXPECT_TRUE(IsEsiDiskInfo(s.b));
  EXPECT_FALSE(IsV2Compatible(s.b));

  StoreChecksum(s.b, DiskInfoChecksumV2(s.b));
  EXPECT_TRUE(IsEsiDiskInfo(s.b));
  EXPECT_TRUE(IsV2Compatible(s.b));

  StoreChecksum(s.b, static_cast<std::uint16_t>(DiskInfoChecksumV2(s.b) + 1));
  EXPECT_FALSE(IsEsiDiskInfo(s.b));
  EXPECT_FALSE(IsV2Compatible(s.b));

  ConvertToV2Checksum(s.b);
  s.b[3] = '2';
  ConvertToV2Checksum(s.b);
  EXPECT_FALSE(IsEsiDiskInfo(s.b)) << "the magic is required";
}

TEST(DiskInfoRecognition, ConversionChangesOnlyTheChecksumWhateverBytes220To223Hold) {
  for (int fill : {0x00, 0x20, 0xA5, 0xFF}) {
    Sector s;
    for (int i = 4; i < 510; ++i)
      s.b[i] = static_cast<std::uint8_t>(i * 7);
    std::memset(s.b + 220, fill, 4);
    StoreChecksum(s.b, DiskInfoChecksumGapped(s.b));
    ASSERT_TRUE(IsEsiDiskInfo(s.b));
    Sector before = s;
    ConvertToV2Checksum(s.b);
    EXPECT_TRUE(IsEsiDiskInfo(s.b)) << fill;
    EXPECT_TRUE(IsV2Compatible(s.b)) << fill;
    EXPECT_EQ(std::memcmp(s.b, before.b, 510), 0);
    EXPECT_EQ(StoredChecksum(s.b), DiskInfoChecksumV2(s.b));
    EXPECT_EQ(s.b[0x1FE], DiskInfoChecksumV2(s.b) >> 8) << "high byte first";
  }
}

DiskInfo goodDisk() {
  DiskInfo d{};
  d.lastSector = 99999;
  d.firSector = 1;
  d.bankIndexSector = 2;
  d.bankIndexCount = 7;
  d.batSector = 9;
  d.batCount = 4;
  d.dataSector = 13;
  d.blockCount = 781;  // (99999 - 13 + 1) / 128
  d.blockSizeCode = 1;
  return d;
}

TEST(DiskLayout, AcceptsAnOrdinaryDiskUpToItsLastSector) {
  DiskInfo d = goodDisk();
  std::string why;
  EXPECT_TRUE(IsUsableEsiDisk(d, &why)) << why;
  d.blockCount = 782;  // one sector too many
  EXPECT_FALSE(IsUsableEsiDisk(d));
  d.blockCount = 781;
  d.lastSector = 13 + 781 * 128 - 1;  // data area ends exactly at the disk's end
  EXPECT_TRUE(IsUsableEsiDisk(d, &why)) << why;
  d.blockCount = 0;
  EXPECT_TRUE(IsUsableEsiDisk(d, &why)) << why;
  EXPECT_EQ(FirstSectorOfBlock(d, 3), 13u + 256);
  d.bankIndexCount = 246;  // slots end at byte 510
  EXPECT_EQ(FirSlotSectors(d), 1u);
  d.bankIndexCount = 248;  // slot 247 is bytes 0-1 of the next sector
  EXPECT_EQ(FirSlotSectors(d), 2u);
}

TEST(DiskLayout, RefusesDisksItCannotHandleSafely) {
  struct Case {
    const char* what;
    void (*change)(DiskInfo&);
  };
  const Case cases[] = {
      {"block size code 0", [](DiskInfo& d) { d.blockSizeCode = 0; }},
      {"block size code 9", [](DiskInfo& d) { d.blockSizeCode = 9; }},
      {"no BAT", [](DiskInfo& d) { d.batCount = 0; }},
      {"BAT of 129 sectors", [](DiskInfo& d) { d.batCount = 129; }},
      {"no Bank Index", [](DiskInfo& d) { d.bankIndexCount = 0; }},
      {"huge Bank Index", [](DiskInfo& d) { d.bankIndexCount = 0xFFFFFFFF; }},
      {"more blocks than BAT entries", [](DiskInfo& d) { d.batCount = 1; }},
      {"BAT beyond the disk", [](DiskInfo& d) { d.batSector = 99997; }},
      {"data area wraps 32 bits",
       [](DiskInfo& d) {
         d.lastSector = 0xFFFFFFFF;
         d.dataSector = 0xFFFFFF00;
       }},
      {"BAT over sector 0", [](DiskInfo& d) { d.batSector = 0; }},
      {"Bank Index over the BAT", [](DiskInfo& d) { d.bankIndexSector = 5; }},
      {"data area over the BAT", [](DiskInfo& d) { d.dataSector = 12; }},
      {"FIR slots run into the Bank Index",
       [](DiskInfo& d) {
         d.bankIndexSector = 2;
         d.bankIndexCount = 248;
         d.batSector = 250;
         d.dataSector = 254;
         d.blockCount = 700;
       }},
  };
  for (const Case& c : cases) {
    DiskInfo d = goodDisk();
    c.change(d);
    std::string why;
    EXPECT_FALSE(IsUsableEsiDisk(d, &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
}

}  // namespace
