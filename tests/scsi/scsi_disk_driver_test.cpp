// The SCSI disk driver's scan, its nodes, names and listing, and the
// checksum conversion, over the simulated bus.
#include "scsi/scsi_disk_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "esifs/disk_info.h"
#include "tests/scsi/scsi_fixture.h"
#include "tests/support/esi_image.h"

namespace {

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
  return image.bytes;
}

TEST(ScsiScan, ShowsEsiFixedDisksAndEveryRemovableDriveInTargetOrder) {
  ScsiFixture f;
  f.media.data("plain.img") = Bytes(64 * 512);
  f.media.data("esi.img") = f.media.data("cd.img") = f.media.data("mo.img") = esiDisk();
  f.units(
      "0 0 disk plain.img vendor=IBM product=DORS\n"  // no ESi disk
      "0 1 disk esi.img vendor=SEAGATE product=ST32550N\n"
      "0 2 sampler -\n"  // a processor: not this driver's
      "0 3 cdrom cd.img vendor=TOSHIBA product=XM-5701\n"
      "0 4 removable - \"vendor=SYQUEST \" product=SQ5200C\n"
      "0 5 optical mo.img vendor=FUJITSU product=M2512A\n"
      "0 6 removable - \"vendor= \" \"product= \"\n");  // blank texts, as some drives give
  const int before = f.ctx.lcd.LcdProgressPosition();
  f.scan();
  EXPECT_EQ(f.ctx.lcd.LcdProgressPosition() - before, 88);  // 11 after each target

  // Type, name, device number, target and QueryReadOnly of each device shown.
  std::vector<int> nodes = f.deviceNodes();
  Texts shownDevices;
  for (int d = 0; d < static_cast<int>(nodes.size()); ++d) {
    const TreeNode& n = f.ctx.nodes[nodes[d]];
    shownDevices.push_back(
        std::to_string(n.type) + " " + n.name + " " + std::to_string(n.device) + " " +
        std::to_string(f.ctx.scsi.scsiDevices[f.driver->entry(d).scsiSlot].target) + " " +
        std::to_string(f.send(makeRequest(QueryReadOnly, d))));
  }
  EXPECT_EQ(shownDevices,
            (Texts{"9 SEAGATE ST32550N (0, 1) 0 1 0", "11 TOSHIBA XM-5701 (0, 3) 1 3 1",
                   "10 SYQUEST SQ5200C (0, 4) 2 4 0", "10 FUJITSU M2512A (0, 5) 3 5 0",
                   "10   (0, 6) 4 6 0"}));
  // The non-ESi disk keeps its record; the processor does not.
  EXPECT_EQ(f.ctx.scsi.scsiDeviceCount, 6);
  EXPECT_STREQ(f.ctx.scsi.scsiDevices[5].description, "<no device name>");
  char record[600] = {};
  DiskOsRequest names = makeSubRequest(GetDeviceNames);
  names.drv = 2;
  names.par0 = reinterpret_cast<DiskOsWord>(record);
  ASSERT_EQ(f.send(names), 0u);
  EXPECT_STREQ(record + 12, "SYQUEST SQ5200C");
  EXPECT_STREQ(record + 272, "SYQUEST SQ5200C (0, 4)");

  // Device 0's listing reaches target 1, not the unit at target 0; the
  // drive without a medium lists nothing and is not ready.
  listDevice(f.ctx, nodes[0], false);
  listDevice(f.ctx, f.deviceNodes()[2], false);
  nodes = f.deviceNodes();
  EXPECT_EQ(f.ctx.nodes[firstChild(f.ctx, nodes[0])].number, 4);
  EXPECT_EQ(firstChild(f.ctx, nodes[2]), 0);
  EXPECT_EQ(f.ctx.nodes[nodes[2]].ready, 0);
  EXPECT_TRUE(f.tc.host.messages.empty());
}

TEST(ScsiConversion, OkWritesTheV2ChecksumCancelAndDamageLeaveSectorZero) {
  ScsiFixture f;
  Bytes damaged = esiDisk(true);
  damaged[0x1FF] ^= 0x5A;  // neither checksum holds
  const Texts images = {"ok", "cancel", "fails", "damaged", "v2"};
  const Bytes contents[] = {esiDisk(true), esiDisk(true), esiDisk(true), damaged, esiDisk(false)};
  for (int i = 0; i < 5; ++i) {
    f.media.data(images[i]) = contents[i];
    f.units("0 " + std::to_string(i + 1) + " disk " + images[i] + (i == 2 ? " failwrite=1" : "") +
            " vendor=SEAGATE product=ST32550N");
  }
  f.tc.host.answers = {true, false, true};
  f.scan();
  auto question = [](int target) {
    return "The following drive is not backwards compatible with ESi OS v2.\r\n\r\n"
           "SEAGATE ST32550N (0, " +
           std::to_string(target) + ")\r\n\r\nKorrin will now make the drive backwards compatible";
  };
  const std::string failed = "Unable to make drive backwards compatible";
  EXPECT_EQ(f.tc.host.messages, Texts{failed});
  EXPECT_EQ(f.tc.host.systemModal, (Texts{question(1), question(2), question(3), failed}));
  EXPECT_EQ(f.media.data("ok"), esiDisk(false));
  for (int i = 1; i < 5; ++i)
    EXPECT_EQ(f.media.data(images[i]), contents[i]) << images[i];
  Texts names;
  for (int node : f.deviceNodes())
    names.push_back(f.ctx.nodes[node].name);
  EXPECT_EQ(names, (Texts{"SEAGATE ST32550N (0, 1)", "SEAGATE ST32550N (0, 2)",
                          "SEAGATE ST32550N (0, 3)", "SEAGATE ST32550N (0, 5)"}));
}

}  // namespace
