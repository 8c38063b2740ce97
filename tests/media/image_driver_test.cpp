// What the CD image driver and the disk image driver share, run over both:
// registration and its texts, which files open and what opening writes, the
// image list kept through the device limit and removals, and where reads and
// writes may go.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "esifs/disk_info.h"
#include "media/image_commands.h"
#include "media/image_file.h"
#include "tests/support/disk_image_scenario.h"
#include "tests/support/esi_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Paths = std::vector<std::string>;
const char kA[] = "C:\\Cards\\HD0.img";
const char kB[] = "C:\\Cards\\HD1.hda";
const char kC[] = "C:\\Cards\\HD10_512.hds";

// A bank on a disk whose file ends in its first block, in whole CD sectors.
Bytes smallDisk(std::uint32_t lastSector = 0) {
  EsiImage image;
  image.addBank(5, "PIANO", MakeBankData(20000, "PIANO", 5));
  image.info.lastSector = lastSector != 0 ? lastSector : image.info.lastSector;
  image.sector(0)[220] = 0x5A;  // in the CD's checksum of a clamped sector, not in v2's
  image.storeInfo();
  return image.file(64);
}

// Reads or writes the buffer's sectors from sector first on device d. The
// scenario's driver is the only one, in slot 0.
template <class S>
std::uint32_t transfer(S& s, std::uint32_t code, std::uint32_t first, Bytes& buffer, int d = 0) {
  DiskOsRequest r = makeRequest(code, static_cast<DiskOsWord>(d));
  r.par0 = first;
  r.par1 = buffer.size() / 512;
  r.bufI = reinterpret_cast<DiskOsWord>(buffer.data());
  r.bIsz = buffer.size();
  return SendDiskOs(s.ctx, r);
}

template <class S>
struct ImageDrivers : ::testing::Test {};
using Scenarios = ::testing::Types<CdImageScenario, DiskImageScenario>;
TYPED_TEST_SUITE(ImageDrivers, Scenarios);

// The driver answers like a disk OS.
// Sectors of the disk past the end of the file read as zeros, as a write
// would have left them; past the disk nothing reads, and nothing is written
// past the driver's limit. A CD image grows in whole CD sectors, or the next
// start drops it; a hard disk image by the sectors written.
TYPED_TEST(ImageDrivers, AnswersLikeADiskOsAndReadsZerosPastTheFile) {
  constexpr bool cd = TypeParam::kCd;
  TypeParam s({kA});
  Bytes expected = smallDisk();
  s.t.files.data(kA) = expected;
  s.start();
  const TreeNode& driverNode = s.node(s.node(s.device).parent);
  EXPECT_STREQ(driverNode.name, cd ? "CD image files" : "Disk image files");
  EXPECT_EQ(driverNode.canAddDevices, 1);
  DiskOsRequest mask = makeSubRequest(GetCodeMask), readOnly = makeRequest(QueryReadOnly);
  EXPECT_EQ(SendDiskOs(s.ctx, mask), 0xC00F001Fu);
  EXPECT_EQ(SendDiskOs(s.ctx, readOnly), 0u);
  std::vector<char> record(532, 'x');
  DiskOsRequest names = makeSubRequest(GetDeviceNames);
  names.par0 = reinterpret_cast<DiskOsWord>(record.data());
  EXPECT_EQ(SendDiskOs(s.ctx, names), 0u);
  EXPECT_STREQ(&record[12], kA);
  EXPECT_STREQ(&record[272], "HD0.img");
  // No such device: the dump, and 64.
  Bytes buffer(1024);
  EXPECT_EQ(transfer(s, ReadSectors, 0, buffer, 1), 64u);
  EXPECT_EQ(s.t.host.messages, Paths{"Disk OS error"});

  // The file holds 64 sectors of the disk.
  const std::uint32_t stored = 64, diskEnd = ReadDiskInfo(expected.data()).lastSector + 1;
  for (std::uint32_t first : {diskEnd - 2, stored - 1}) {
    std::fill(buffer.begin(), buffer.end(), 0xAA);
    EXPECT_EQ(transfer(s, ReadSectors, first, buffer), 0u);
    EXPECT_EQ(buffer, Bytes(1024, 0)) << first;
  }
  EXPECT_EQ(transfer(s, ReadSectors, diskEnd - 1, buffer), 0x40010u);
  const std::uint32_t limit = cd ? kCdCapacitySectors : diskEnd;
  Bytes data(1024, 0x5C);
  for (std::uint32_t first : {limit - 1, 0xFFFFFFFFu})
    EXPECT_EQ(transfer(s, WriteSectors, first, data), 0x40010u) << first;
  s.t.files.failWriteAt = 1;
  EXPECT_EQ(transfer(s, WriteSectors, 3, data), 0x40010u);
  Bytes& file = s.t.files.data(kA);
  EXPECT_EQ(file, expected);
  // Across the end of the file, then past it.
  const std::size_t unit = cd ? 2048 : 512;
  for (std::uint32_t first : {stored - 1, stored + 6}) {
    ASSERT_EQ(transfer(s, WriteSectors, first, data), 0u);
    expected.resize(std::max<std::size_t>(expected.size(), (first + 2) * 512));
    std::fill(expected.begin() + first * 512, expected.begin() + (first + 2) * 512, 0x5C);
    expected.resize((expected.size() + unit - 1) / unit * unit);
    EXPECT_EQ(file, expected) << first;
  }
}

struct OpenCase {
  const char* what;
  std::uint32_t lastSector;  // 0: the disk's own
  int extraBytes;            // on the file's length
  bool esi, present, writesFail;
  bool opens[2];  // by the CD image driver, the disk image driver
};

const OpenCase kOpenCases[] = {
    {"a disk larger than a CD", 1500000, 0, true, true, false, {true, true}},
    {"a disk larger than a CD, writes failing", 1500000, 0, true, true, true, {false, true}},
    {"no whole number of CD sectors", 0, -512, true, true, false, {false, true}},
    {"no whole number of sectors", 0, 1, true, true, false, {false, false}},
    {"no ESi disk", 0, 0, false, true, false, {false, false}},
    {"tables that leave the disk", 6, 0, true, true, false, {true, false}},
    {"a missing file", 0, 0, true, false, false, {false, false}},
};

// The CD image driver drops what does not open from its list; the disk image
// driver keeps it, as a memory card may be out of its reader today. Only the
// CD image driver writes on opening, to clamp a disk larger than a CD.
TYPED_TEST(ImageDrivers, OpensWhatItCanUseAndKeepsItsListEntries) {
  constexpr bool cd = TypeParam::kCd;
  for (const OpenCase& c : kOpenCases) {
    SCOPED_TRACE(c.what);
    TypeParam s({kA, kB});
    Bytes bytes = smallDisk(c.lastSector);
    bytes.resize(bytes.size() + c.extraBytes);
    bytes[0] ^= c.esi ? 0 : 0xFF;
    if (c.present)
      s.t.files.data(kA) = bytes;
    s.t.files.data(kB) = smallDisk();
    s.t.files.failWriteAt = c.writesFail ? 1 : 0;
    s.start();
    bool opens = c.opens[cd ? 0 : 1];
    EXPECT_EQ(s.driver.deviceCount(), opens ? 2 : 1);
    EXPECT_EQ(s.node(s.deviceNode(0)).name, std::string(opens ? "HD0.img" : "HD1.hda"));
    EXPECT_NE(s.bank(5), 0);
    EXPECT_EQ(s.entries(), (opens || !cd ? Paths{kA, kB} : Paths{kB}));
    EXPECT_TRUE(s.t.host.messages.empty());
    Bytes& file = s.t.files.data(kA);
    if (cd && opens && ReadDiskInfo(bytes.data()).lastSector >= kCdCapacitySectors) {
      EXPECT_EQ(ReadDiskInfo(file.data()).lastSector, kCdCapacitySectors - 1);
      EXPECT_EQ(StoredChecksum(file.data()), DiskInfoChecksumGapped(file.data()));
      EXPECT_TRUE(std::equal(file.begin() + 512, file.end(), bytes.begin() + 512, bytes.end()));
    } else {
      EXPECT_EQ(file, c.present ? bytes : Bytes{});
    }
  }
}

// More registered images than the driver opens, one of them missing: the
// next one opens in its place, and no entry past the limit is lost, through
// a removal and an addition either.
TYPED_TEST(ImageDrivers, ImagesPastTheLimitStayRegistered) {
  constexpr bool cd = TypeParam::kCd;
  const int limit = cd ? kMaxImages : kMaxDiskImages;
  Paths paths;
  for (int i = 0; i < limit + 2; ++i)
    paths.push_back("C:\\Cards\\HD" + std::to_string(i) + ".img");
  TypeParam s(paths);
  for (const std::string& path : paths)
    s.t.files.data(path) = smallDisk();
  s.t.files.remove(paths[1]);
  s.start();
  if (cd)
    paths.erase(paths.begin() + 1);
  ASSERT_EQ(s.driver.deviceCount(), limit);
  EXPECT_EQ(s.driver.device(limit - 1).path, "C:\\Cards\\HD" + std::to_string(limit) + ".img");
  EXPECT_EQ(s.entries(), paths);

  // Device 1 is entry 2 of the CD list, entry 3 of the disk list.
  RemoveImageCommand(s.ctx, s.deviceNode(1));
  EXPECT_EQ(s.ctx.busy, 0);
  paths.erase(paths.begin() + (cd ? 1 : 2));
  EXPECT_EQ(s.entries(), paths);
  EXPECT_STREQ(s.node(s.deviceNode(1)).name, "HD3.img");
  Bytes sector(512);
  EXPECT_EQ(transfer(s, ReadSectors, 0, sector, limit - 1), 64u);
  EXPECT_EQ(s.t.files.openCount(), limit - 1);
  EXPECT_TRUE(s.t.files.exists("C:\\Cards\\HD2.img"));

  s.t.files.data("C:\\new.img") = smallDisk();
  s.driver.AddImageFile("C:\\new.img");
  ASSERT_EQ(s.driver.deviceCount(), limit);
  EXPECT_STREQ(s.driver.device(limit - 1).path, "C:\\new.img");
  Paths added = paths;
  added.insert(cd ? added.begin() + limit - 1 : added.end(), "C:\\new.img");
  EXPECT_EQ(s.entries(), added);
  // HD3.img moved up an entry with the first removal; new.img, a device.
  RemoveImageCommand(s.ctx, s.deviceNode(1));
  RemoveImageCommand(s.ctx, s.deviceNode(limit - 2));
  paths.erase(paths.begin() + (cd ? 1 : 2));
  EXPECT_EQ(s.entries(), paths);
}

// Add says why an image does not open; one registered before but missing at
// the start takes its old entry.
TEST(DiskImageDriver, AddSaysWhyAnImageDoesNotOpenAndKeepsOldEntries) {
  DiskImageScenario s({kA, kB});
  s.t.files.data(kA) = smallDisk();
  s.start();  // kB is missing today
  EXPECT_FALSE(s.driver.AddImageFile("c:\\CARDS\\hd0.img"));
  s.t.files.data(kC) = Bytes(4096, 0);
  EXPECT_FALSE(s.driver.AddImageFile(kC));
  s.t.files.data(kC) = smallDisk();
  s.t.files.open(kC, FileOpen::ReadExisting);  // another program has it
  EXPECT_FALSE(s.driver.AddImageFile(kC));
  s.t.files.data(kB) = smallDisk();
  EXPECT_TRUE(s.driver.AddImageFile(kB));
  EXPECT_EQ(s.t.host.messages,
            (Paths{"This disk image file is already open",
                   "The file holds no ESi disk that Korrin can use",
                   "Unable to open the disk image file: it is missing, read-only or "
                   "in use by another program"}));
  EXPECT_EQ(s.driver.deviceCount(), 2);
  EXPECT_EQ(s.entries(), (Paths{kA, kB}));
}

}  // namespace
