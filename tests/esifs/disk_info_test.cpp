#include "esifs/disk_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
  for (int at : {219, 224}) {
    Sector t = s;
    t.b[at] = 1;
    EXPECT_NE(DiskInfoChecksumGapped(t.b), 0x9882) << at;
  }
}

TEST(DiskInfoRecognition, EitherFormMakesAnEsiDiskOnlyV2IsCompatibleAndConversionKeepsTheRest) {
  Sector s;
  for (int i = 4; i < 510; ++i)
    s.b[i] = static_cast<std::uint8_t>(i * 7);  // bytes 220-223 make the two forms differ
  StoreChecksum(s.b, DiskInfoChecksumGapped(s.b));
  EXPECT_TRUE(IsEsiDiskInfo(s.b));
  EXPECT_FALSE(IsV2Compatible(s.b));

  Sector before = s;
  ConvertToV2Checksum(s.b);
  EXPECT_TRUE(IsEsiDiskInfo(s.b) && IsV2Compatible(s.b));
  EXPECT_EQ(std::memcmp(s.b, before.b, 510), 0);
  EXPECT_EQ(s.b[0x1FE] << 8 | s.b[0x1FF], DiskInfoChecksumV2(s.b)) << "high byte first";

  StoreChecksum(s.b, static_cast<std::uint16_t>(DiskInfoChecksumV2(s.b) + 1));
  EXPECT_FALSE(IsEsiDiskInfo(s.b) || IsV2Compatible(s.b));
  s.b[3] = '2';
  ConvertToV2Checksum(s.b);
  EXPECT_FALSE(IsEsiDiskInfo(s.b)) << "the magic is required";
}

// Sectors 1 (FIR), 2-8 (Bank Index), 9-12 (BAT), then 781 blocks of 128 sectors.
const DiskInfo kGoodDisk{99999, 1, 2, 7, 9, 4, 13, 781, 1, 0};

TEST(DiskLayout, AcceptsAnOrdinaryDiskUpToItsLastSector) {
  DiskInfo d = kGoodDisk;
  std::string why;
  EXPECT_TRUE(IsUsableEsiDisk(d, &why)) << why;
  d.lastSector = 13 + 781 * 128 - 1;  // data area ends exactly at the disk's end
  EXPECT_TRUE(IsUsableEsiDisk(d, &why)) << why;
  d.batCount = 1;
  d.blockCount = 255;  // all the entries one BAT sector has for blocks
  EXPECT_TRUE(IsUsableEsiDisk(d, &why)) << why;
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
    std::string why;
    EXPECT_FALSE(IsUsableEsiDisk(d, &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
}

}  // namespace
