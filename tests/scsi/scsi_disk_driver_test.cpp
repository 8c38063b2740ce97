// The SCSI disk driver over the simulated bus: the units its scan shows, their
// names and answers, the question before it rewrites sector 0 of a disk in the
// older checksum form, and bank operations on a hard disk and a CD-ROM drive.
// The window test lists a disk's banks; bank_faults_test fails every transfer.
#include "scsi/scsi_disk_driver.h"

#include <gtest/gtest.h>

#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "esifs/disk_info.h"
#include "tests/scsi/scsi_fixture.h"
#include "tests/support/esi_image.h"
#include "tests/support/memory_disk.h"

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

// Adapter 0 holds a unit of every kind; adapter 1 holds disks in the older
// form whose conversion is accepted, cancelled or fails to write, one whose
// sector 0 holds neither checksum, and a read-only one.
TEST(ScsiScan, ShowsEsiDisksAndRemovableDrivesAndAsksBeforeConverting) {
  ScsiFixture f;
  Bytes damaged = esiDisk(true);
  damaged[0x1FF] ^= 0x5A;
  f.media.data("plain.img") = Bytes(64 * 512);
  f.media.data("esi.img") = esiDisk();
  f.media.data("ok") = f.media.data("cancel") = f.media.data("fails") = esiDisk(true);
  f.media.data("damaged") = damaged;
  f.units(
      "0 0 disk plain.img vendor=IBM product=DORS\n"  // no ESi disk
      "0 1 disk esi.img vendor=SEAGATE product=ST32550N\n"
      "0 2 sampler -\n"  // a processor: not this driver's
      "0 3 cdrom esi.img vendor=TOSHIBA product=XM-5701\n"
      "0 4 removable - \"vendor=SYQUEST \" product=SQ5200C\n"
      "0 5 optical esi.img vendor=FUJITSU product=M2512A\n"
      "0 6 removable - \"vendor= \" \"product= \"\n"  // blank texts, as some drives give
      "1 1 disk ok vendor=SEAGATE product=X\n1 2 disk cancel vendor=SEAGATE product=X\n"
      "1 3 disk fails failwrite=1 vendor=SEAGATE product=X\n1 4 disk damaged\n");
  // A fixed unit that cannot be written (a CD-ROM drive that calls its
  // medium fixed) is shown but never asked about, nor written.
  struct FixedCdRom : SimDiskUnit {
    using SimDiskUnit::SimDiskUnit;
    bool removable() const override { return false; }
  };
  f.media.data("fixed-cd") = esiDisk(true);
  f.bus.addUnit(std::make_unique<FixedCdRom>(
      ParseBusText("1 5 cdrom fixed-cd vendor=SEAGATE product=X", "").units.at(0), f.media));
  f.tc.host.answers = {true, false, true};
  f.scan();

  // Type, name, device number, target and QueryReadOnly of each device shown.
  std::vector<int> nodes = f.deviceNodes();
  Texts shown;
  for (int d = 0; d < static_cast<int>(nodes.size()); ++d) {
    const TreeNode& n = f.ctx.nodes[nodes[d]];
    shown.push_back(std::to_string(n.type) + " " + n.name + " " + std::to_string(n.device) + " " +
                    std::to_string(f.ctx.scsi.scsiDevices[f.driver->entry(d).scsiSlot].target) +
                    " " + std::to_string(f.send(makeRequest(QueryReadOnly, d))));
  }
  EXPECT_EQ(shown,
            (Texts{"9 SEAGATE ST32550N (0, 1) 0 1 0", "11 TOSHIBA XM-5701 (0, 3) 1 3 1",
                   "10 SYQUEST SQ5200C (0, 4) 2 4 0", "10 FUJITSU M2512A (0, 5) 3 5 0",
                   "10   (0, 6) 4 6 0", "9 SEAGATE X (1, 1) 5 1 0", "9 SEAGATE X (1, 2) 6 2 0",
                   "9 SEAGATE X (1, 3) 7 3 0", "9 SEAGATE X (1, 5) 8 5 1"}));

  // Only an accepted question rewrites sector 0; a failed write is told.
  auto question = [](int target) {
    return "The following drive is not backwards compatible with ESi OS v2.\r\n\r\n"
           "SEAGATE X (1, " +
           std::to_string(target) + ")\r\n\r\nKorrin will now make the drive backwards compatible";
  };
  const std::string failed = "Unable to make drive backwards compatible";
  EXPECT_EQ(f.tc.host.systemModal, (Texts{question(1), question(2), question(3), failed}));
  EXPECT_EQ(f.tc.host.messages, Texts{failed});
  EXPECT_EQ(f.media.data("ok"), esiDisk(false));
  EXPECT_TRUE(f.media.data("cancel") == esiDisk(true) && f.media.data("fails") == esiDisk(true));
  EXPECT_EQ(f.media.data("damaged"), damaged);
  EXPECT_EQ(f.media.data("fixed-cd"), esiDisk(true));
}

const char kBankFile[] = "C:\\Work\\bank.e3x";

// Banks 0 and 2 (bank 2 over three blocks) on a listed unit at target 1,
// behind a disk without a medium that keeps target 0's record.
struct ScsiBanks : ScsiFixture {
  std::vector<Bytes> data;
  int device = 0;

  explicit ScsiBanks(const std::string& unit) {
    EsiImage disk;
    data = {MakeBankData(4000, "BANK 0", 0), MakeBankData(150000, "BANK 1", 1)};
    for (int n = 0; n < 2; ++n)
      disk.addBank(n * 2, "BANK " + std::to_string(n), data[n]);
    media.data("esi.img") = disk.bytes;
    units("0 0 disk -\n0 1 " + unit);
    scan();
    listDevice(ctx, device = deviceNodes().at(0), false);
  }
  int bank(int number) const { return FindBank(ctx, device, number); }
  // Imports the file given, or exports the bank numbered when none is.
  Bytes transfer(int number, const Bytes& file = {}) {
    tc.files.data(kBankFile) = file;
    ctx.openFile =
        tc.files.open(kBankFile, file.empty() ? FileOpen::CreateAlways : FileOpen::ReadExisting);
    ctx.busy = 1;
    file.empty() ? ExportBank(ctx, bank(number)) : ImportBank(ctx, device, kBankFile);
    return tc.files.data(kBankFile);
  }
  std::string leftOver() { return LeftOver(tc, media.data("esi.img")); }
};

TEST(ScsiBanks, AHardDiskImportsExportsAndDeletesAndACdRomDriveIsNeverWritten) {
  const Bytes imported = MakeBankFile(MakeBankData(70000, "IMPORTED", 9));
  ScsiBanks s("disk esi.img");
  s.transfer(1, imported);
  EXPECT_EQ(s.transfer(1), imported);
  s.ctx.busy = 1;
  DeleteBank(s.ctx, s.bank(2));
  EXPECT_TRUE(s.bank(2) == 0 && s.bank(0) != 0);
  EXPECT_EQ(s.tc.host.messages, Texts{});
  EXPECT_EQ(s.leftOver(), "");

  // A refused write ends the operation with its one message, as a drive
  // that cannot write does: the CD-ROM drive is never asked.
  for (const char* unit : {"disk esi.img failwrite=1", "cdrom esi.img"}) {
    ScsiBanks failing(unit);
    EXPECT_EQ(failing.transfer(2), MakeBankFile(failing.data[1])) << unit;
    failing.transfer(1, imported);
    EXPECT_EQ(failing.tc.host.messages.size(), 1u) << unit;
    EXPECT_EQ(failing.bus.disk(0, 1)->writes, unit[0] == 'd') << unit;
    EXPECT_EQ(failing.leftOver(), "") << unit;
  }
}

}  // namespace
