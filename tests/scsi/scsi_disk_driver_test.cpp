// The SCSI disk driver's scan, its nodes and the checksum conversion, over
// the simulated bus.
#include "scsi/scsi_disk_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "esifs/disk_info.h"
#include "tests/scsi/scsi_fixture.h"
#include "tests/support/esi_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::string_literals;

// An ESi disk with one bank. Sector 0 has bytes in the gap that only the
// older checksum leaves out, so the two forms differ.
Bytes esiDisk(bool gapped = false) {
  EsiImage image;
  image.addBank(4, "PIANO", MakeBankData(3000, "PIANO", 4));
  image.storeInfo();
  std::uint8_t* s = image.sector(0);
  s[220] = 0x21;
  s[223] = 0x7E;
  StoreChecksum(s, gapped ? DiskInfoChecksumGapped(s) : DiskInfoChecksumV2(s));
  return image.file(static_cast<std::uint32_t>(image.bytes.size() / 512));
}

const char kQuestion[] =
    "The following drive is not backwards compatible with ESi OS v2.\r\n\r\n"
    "SEAGATE ST32550N (0, 1)\r\n\r\nKorrin will now make the drive backwards compatible";

TEST(ScsiScan, ShowsEsiFixedDisksAndEveryRemovableDriveInTargetOrder) {
  ScsiFixture f;
  Bytes plain(64 * 512, 0);
  f.unit(0, SimUnitKind::Disk, plain, "IBM", "DORS");  // no ESi disk: not shown
  f.unit(1, SimUnitKind::Disk, esiDisk());
  f.unit(2, SimUnitKind::Sampler, {}, "E-MU", "E4");  // processor: not this driver's
  f.unit(3, SimUnitKind::CdRom, esiDisk(), "TOSHIBA", "XM-5701");
  f.unit(4, SimUnitKind::Removable, {}, "SYQUEST", "SQ5200C");
  f.unit(5, SimUnitKind::Optical, esiDisk(), "FUJITSU", "M2512A");
  int before = f.ctx.lcd.LcdProgressPosition();
  f.scan();
  // One adapter: 11 after each of the 8 targets.
  EXPECT_EQ(f.ctx.lcd.LcdProgressPosition() - before, 88);

  struct Shown {
    int type;
    const char* name;
    int target;
  } expected[] = {{FixedDisk, "SEAGATE ST32550N (0, 1)", 1},
                  {CdRomDrive, "TOSHIBA XM-5701 (0, 3)", 3},
                  {RemovableDisk, "SYQUEST SQ5200C (0, 4)", 4},
                  {RemovableDisk, "FUJITSU M2512A (0, 5)", 5}};
  std::vector<int> nodes = f.deviceNodes();
  ASSERT_EQ(nodes.size(), 4u);
  ASSERT_EQ(f.driver->deviceCount(), 4);
  for (int d = 0; d < 4; ++d) {
    const TreeNode& n = f.ctx.nodes[nodes[d]];
    EXPECT_EQ(n.type, expected[d].type);
    EXPECT_STREQ(n.name, expected[d].name);
    EXPECT_EQ(n.device, d);
    const ScsiDevice& unit = f.ctx.scsi.scsiDevices[f.driver->entry(d).scsiSlot];
    EXPECT_EQ(unit.target, expected[d].target);
    EXPECT_EQ(f.send(makeRequest(QueryReadOnly, d)), d == 1 ? 1u : 0u);
  }
  // The non-ESi disk keeps its record; the processor does not.
  EXPECT_EQ(f.ctx.scsi.scsiDeviceCount, 5);
  // Device 0's requests reach target 1, not the unit at target 0.
  Bytes sector(512);
  f.bus.sent.clear();
  ASSERT_EQ(f.transfer(ReadSectors, 0, 0, 1, sector.data(), 512), 0u);
  for (const SrbExecScsiCmd& srb : f.bus.sent)
    EXPECT_EQ(srb.SRB_Target, 1);
  EXPECT_TRUE(f.tc.host.messages.empty());
}

TEST(ScsiScan, NoWorkingManagerMeansNoDevicesAndNoMessage) {
  for (std::uint32_t info : {0xE800u, 0x0100u}) {
    ScsiFixture f;
    f.bus.setSupportInfo(info);
    f.unit(1, SimUnitKind::Disk, esiDisk());
    f.scan();
    EXPECT_TRUE(f.deviceNodes().empty());
    EXPECT_EQ(f.bus.sent.size(), 0u);
    EXPECT_TRUE(f.tc.host.messages.empty());
  }
}

TEST(ScsiScan, NamesComeFromInquiryTextsAndGoOutThroughGetDeviceNames) {
  struct Blank : SimScsiUnit {
    using SimScsiUnit::SimScsiUnit;
    SimOutcome inquiry(const SimCommand& c) override {
      std::memset(c.data, 0, c.dataLength);
      c.data[1] = 0x80;
      std::memset(c.data + 8, ' ', 24);
      return {true, SS_COMP};
    }
  };
  ScsiFixture f;
  SimUnitConfig blank;
  blank.target = 2;
  f.bus.addUnit(std::make_unique<Blank>(blank));
  f.unit(3, SimUnitKind::Removable, {}, "IOMEGA  ", "ZIP 100");
  std::vector<std::string> shown;
  f.tc.host.onSleep = [&](unsigned) {
    std::string row;
    for (int c = 0; c < 40; ++c)
      row += static_cast<char>(f.ctx.lcd.at(f.ctx.lcd.LcdCurrentPage(), 4, c));
    shown.push_back(row.substr(0, row.find_last_not_of(" \0"s) + 1));
  };
  f.scan();
  EXPECT_STREQ(f.ctx.scsi.scsiDevices[0].description, "<no device name>");
  EXPECT_NE(std::find(shown.begin(), shown.end(), "<no device name>"), shown.end());
  ASSERT_EQ(f.driver->deviceCount(), 2);
  char record[600] = {};
  DiskOsRequest names = makeSubRequest(GetDeviceNames);
  names.drv = 1;
  names.par0 = reinterpret_cast<DiskOsWord>(record);
  ASSERT_EQ(f.send(names), 0u);
  EXPECT_STREQ(record + 12, "IOMEGA ZIP 100");
  EXPECT_STREQ(record + 272, "IOMEGA ZIP 100 (0, 3)");
}

TEST(ScsiConversion, OkWritesTheV2ChecksumAndCancelLeavesSectorZero) {
  for (bool ok : {true, false}) {
    ScsiFixture f;
    f.unit(1, SimUnitKind::Disk, esiDisk(true));
    const Bytes before = f.image(1);
    f.tc.host.answers.push_back(ok);
    f.scan();
    EXPECT_EQ(f.tc.host.questions, std::vector<std::string>{kQuestion});
    ASSERT_EQ(f.deviceNodes().size(), 1u) << "shown either way";
    Bytes expected = before;
    if (ok)
      expected = esiDisk(false);
    EXPECT_EQ(0, std::memcmp(f.image(1).data(), expected.data(), 512)) << ok;
    EXPECT_EQ(0, std::memcmp(f.image(1).data() + 512, before.data() + 512, before.size() - 512));
    EXPECT_TRUE(f.tc.host.messages.empty());
  }
}

TEST(ScsiConversion, AFailedWriteIsReportedAndADamagedSectorIsNeverWritten) {
  ScsiFixture f;
  f.unit(1, SimUnitKind::Disk, esiDisk(true)).failWrite = 1;
  Bytes damaged = esiDisk(true);
  damaged[0x1FF] ^= 0x5A;  // neither checksum holds
  f.unit(2, SimUnitKind::Disk, damaged);
  f.unit(3, SimUnitKind::Disk, esiDisk(false));  // already compatible
  f.scan();
  EXPECT_EQ(f.tc.host.questions.size(), 1u);
  EXPECT_EQ(f.tc.host.messages,
            std::vector<std::string>{"Unable to make drive backwards compatible"});
  EXPECT_EQ(f.image(2), damaged);
  std::vector<int> nodes = f.deviceNodes();
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_STREQ(f.ctx.nodes[nodes[0]].name, "SEAGATE ST32550N (0, 1)");
  EXPECT_STREQ(f.ctx.nodes[nodes[1]].name, "SEAGATE ST32550N (0, 3)");
}

TEST(ScsiListing, RemovableDriveWithoutMediumListsNothingAndIsNotReady) {
  ScsiFixture f;
  f.unit(4, SimUnitKind::Removable, {});
  f.unit(5, SimUnitKind::Removable, esiDisk());
  f.scan();
  std::vector<int> nodes = f.deviceNodes();
  ASSERT_EQ(nodes.size(), 2u);
  listDevice(f.ctx, nodes[0], false);
  nodes = f.deviceNodes();  // the placeholder went, later nodes moved down
  listDevice(f.ctx, nodes[1], false);
  nodes = f.deviceNodes();
  EXPECT_EQ(firstChild(f.ctx, nodes[0]), 0);
  EXPECT_EQ(f.ctx.nodes[nodes[0]].ready, 0);
  EXPECT_EQ(f.ctx.nodes[nodes[1]].ready, 1);
  int bank = firstChild(f.ctx, nodes[1]);
  ASSERT_NE(bank, 0);
  EXPECT_EQ(f.ctx.nodes[bank].type, Bank);
  EXPECT_EQ(f.ctx.nodes[bank].number, 4);
  EXPECT_TRUE(f.tc.host.messages.empty());
}

}  // namespace
