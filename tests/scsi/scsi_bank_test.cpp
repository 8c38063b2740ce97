// The bank operations on SCSI units: a hard disk takes every one, a CD-ROM
// drive exports and refuses writing; failed transfers leave a consistent disk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "tests/scsi/scsi_fixture.h"
#include "tests/support/disk_check.h"
#include "tests/support/esi_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const char kBankFile[] = "C:\\Work\\bank.e3x";

struct ScsiBanks {
  ScsiFixture f;
  Context& ctx = f.ctx;
  EsiImage disk;
  std::vector<Bytes> data;

  explicit ScsiBanks(SimUnitKind kind = SimUnitKind::Disk, int failRead = 0, int failWrite = 0) {
    for (int n = 0; n < 3; ++n) {
      std::string name = "BANK " + std::to_string(n);
      data.push_back(MakeBankData(n == 1 ? 150000 : 4000, name, n));
      disk.addBank(n * 2, name, data.back());
    }
    SimUnitConfig& c = f.unit(1, kind, disk.bytes);
    c.failRead = failRead;
    c.failWrite = failWrite;
    f.scan();
    listDevice();
  }
  void listDevice() { ::listDevice(ctx, device(), false); }
  int device() const { return f.deviceNodes().at(0); }
  int bank(int number) const {
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].parent == device() && ctx.nodes[i].type == Bank &&
          ctx.nodes[i].number == number)
        return i;
    }
    return 0;
  }
  Bytes exported(int number) {
    ctx.openFile = f.tc.files.open(kBankFile, FileOpen::CreateAlways);
    ctx.busy = 1;
    ExportBank(ctx, bank(number));
    return f.tc.files.data(kBankFile);
  }
  void import(const Bytes& file) {
    f.tc.files.data(kBankFile) = file;
    ctx.openFile = f.tc.files.open(kBankFile, FileOpen::ReadExisting);
    ctx.busy = 1;
    ImportBank(ctx, device(), kBankFile);
  }
  std::string leftOver() {
    std::string left = CheckDiskConsistency(f.image(1));
    if (ctx.busy)
      left += " busy";
    if (ctx.openFile != kNoFile || f.tc.files.openCount() != 0)
      left += " open file";
    return left;
  }
};

TEST(ScsiBanks, EveryOperationWorksOnAHardDisk) {
  ScsiBanks s;
  EXPECT_EQ(s.exported(2), MakeBankFile(s.data[1]));

  Bytes incoming = MakeBankFile(MakeBankData(70000, "IMPORTED", 9));
  s.import(incoming);
  ASSERT_NE(s.bank(1), 0) << "the lowest free number";
  EXPECT_EQ(s.exported(1), incoming);

  ASSERT_TRUE(RenameBank(s.ctx, s.bank(4), "BANK 2", "RENAMED"));
  s.listDevice();
  EXPECT_STREQ(s.ctx.nodes[s.bank(4)].name, "RENAMED");

  RenumberBank(s.ctx, s.bank(4), 0);
  EXPECT_NE(s.bank(0), 0);
  EXPECT_STREQ(s.ctx.nodes[s.bank(0)].name, "RENAMED");

  s.ctx.busy = 1;
  DeleteBank(s.ctx, s.bank(0));
  EXPECT_EQ(s.bank(0), 0);
  EXPECT_EQ(s.leftOver(), "");
  EXPECT_TRUE(s.f.tc.host.messages.empty()) << s.f.tc.host.messages[0];
}

TEST(ScsiBanks, ACdRomDriveExportsAndIsNeverWritten) {
  ScsiBanks s(SimUnitKind::CdRom);
  ASSERT_EQ(s.ctx.nodes[s.device()].type, CdRomDrive);
  EXPECT_EQ(s.f.send(makeRequest(QueryReadOnly, 0)), 1u);
  for (int n : {0, 2, 4})
    EXPECT_EQ(s.exported(n), MakeBankFile(s.data[n / 2])) << n;
  const Bytes before = s.f.image(1);
  Bytes sector(512);
  EXPECT_EQ(s.f.transfer(WriteSectors, 0, 0, 1, sector.data(), 512),
            kScsiCommandFailed | DiskOsTransferFailed);
  EXPECT_EQ(s.f.bus.disk(0, 1)->writes, 0);
  EXPECT_EQ(s.f.image(1), before);
  EXPECT_EQ(s.leftOver(), "");
}

// Each read, then each write, of every operation fails in turn on the unit
// itself: the operation ends with at most its one message and the disk
// stays consistent.
TEST(ScsiBanks, FailedTransfersLeaveAConsistentDisk) {
  enum Op { Import, Delete, Rename, Renumber };
  const Bytes incoming = MakeBankFile(MakeBankData(70000, "IMPORTED", 9));
  auto run = [&](Op op, ScsiBanks& s) {
    switch (op) {
      case Import:
        s.import(incoming);
        break;
      case Delete:
        s.ctx.busy = 1;
        DeleteBank(s.ctx, s.bank(2));
        break;
      case Rename:
        RenameBank(s.ctx, s.bank(2), "BANK 1", "RENAMED");
        break;
      case Renumber:
        RenumberBank(s.ctx, s.bank(2), 0);
        break;
    }
  };
  for (Op op : {Import, Delete, Rename, Renumber}) {
    for (bool write : {false, true}) {
      int failures = 0;
      for (int n = 1;; ++n) {
        ScsiBanks probe;
        const int readsBefore = probe.f.bus.disk(0, 1)->reads;
        ScsiBanks s(SimUnitKind::Disk, write ? 0 : readsBefore + n, write ? n : 0);
        run(op, s);
        const SimDiskUnit& unit = *s.f.bus.disk(0, 1);
        if ((write ? unit.writes : unit.reads - readsBefore) < n)
          break;
        ++failures;
        SCOPED_TRACE("op " + std::to_string(op) + (write ? " write " : " read ") +
                     std::to_string(n));
        EXPECT_LE(s.f.tc.host.messages.size(), 1u);
        EXPECT_EQ(s.leftOver(), "");
      }
      EXPECT_GT(failures, 0) << op << write;
    }
  }
}

}  // namespace
