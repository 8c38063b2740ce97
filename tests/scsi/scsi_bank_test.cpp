// The bank operations on SCSI units: a hard disk takes every one, a CD-ROM
// drive exports and refuses writing; failed transfers leave a consistent disk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "tests/scsi/scsi_fixture.h"
#include "tests/support/memory_disk.h"

namespace {

const char kBankFile[] = "C:\\Work\\bank.e3x";
enum Op { Import, Delete, Rename, Renumber };

// Banks 0, 2 and 4 (bank 2 over three blocks) on a unit at target 1, listed.
struct ScsiBanks {
  ScsiFixture f;
  Context& ctx = f.ctx;
  std::vector<Bytes> data;

  explicit ScsiBanks(const std::string& kind = "disk", const std::string& switches = "") {
    EsiImage disk;
    for (int n = 0; n < 3; ++n) {
      data.push_back(MakeBankData(n == 1 ? 150000 : 4000, "BANK " + std::to_string(n), n));
      disk.addBank(n * 2, "BANK " + std::to_string(n), data.back());
    }
    f.media.data("esi.img") = disk.bytes;
    f.units("0 1 " + kind + " esi.img " + switches);
    f.scan();
    listDevice(ctx, device(), false);
  }
  int device() const { return f.deviceNodes().at(0); }
  int bank(int number) const { return FindBank(ctx, device(), number); }
  Bytes exported(int number) {
    ctx.openFile = f.tc.files.open(kBankFile, FileOpen::CreateAlways);
    ctx.busy = 1;
    ExportBank(ctx, bank(number));
    return f.tc.files.data(kBankFile);
  }
  // Runs an operation on bank 2 and lists the device again; true when its
  // result shows.
  bool run(Op op) {
    ctx.busy = op == Import || op == Delete;  // the worker operations
    switch (op) {
      case Import:
        f.tc.files.data(kBankFile) = MakeBankFile(MakeBankData(70000, "IMPORTED", 9));
        ctx.openFile = f.tc.files.open(kBankFile, FileOpen::ReadExisting);
        ImportBank(ctx, device(), kBankFile);
        return exported(1) == MakeBankFile(MakeBankData(70000, "IMPORTED", 9));
      case Delete:
        DeleteBank(ctx, bank(2));
        return bank(2) == 0 && bank(4) != 0;
      case Rename:
        RenameBank(ctx, bank(2), "BANK 1", "RENAMED");
        listDevice(ctx, device(), false);
        return std::string(ctx.nodes[bank(2)].name) == "RENAMED";
      case Renumber:
        RenumberBank(ctx, bank(2), 0);
        return exported(0) == MakeBankFile(data[1]);
    }
    return false;
  }
  std::string leftOver() { return LeftOver(f.tc, f.media.data("esi.img")); }
};

// Every operation works on a hard disk. Then each read, then each write, of
// every operation fails in turn on the unit itself: the operation ends with
// at most its one message and the disk stays consistent.
TEST(ScsiBanks, EveryOperationWorksOnAHardDiskAndFailuresLeaveItConsistent) {
  const int readsBefore = ScsiBanks().f.bus.disk(0, 1)->reads;
  for (Op op : {Import, Delete, Rename, Renumber}) {
    ScsiBanks clean;
    EXPECT_TRUE(clean.run(op)) << op;
    EXPECT_EQ(clean.leftOver(), "");
    EXPECT_EQ(clean.f.tc.host.messages, std::vector<std::string>{}) << op;
    for (bool write : {false, true}) {
      int n = 1;
      for (;; ++n) {
        ScsiBanks s("disk", (write ? "failwrite=" : "failread=") +
                                std::to_string(write ? n : readsBefore + n));
        s.run(op);
        const SimDiskUnit& unit = *s.f.bus.disk(0, 1);
        if ((write ? unit.writes : unit.reads - readsBefore) < n)
          break;
        SCOPED_TRACE(std::to_string(op) + (write ? " write " : " read ") + std::to_string(n));
        EXPECT_LE(s.f.tc.host.messages.size(), 1u);
        EXPECT_EQ(s.leftOver(), "");
      }
      EXPECT_GT(n, 1) << op << write;
    }
  }
}

TEST(ScsiBanks, ACdRomDriveExportsAndIsNeverWritten) {
  ScsiBanks cd("cdrom");
  for (int n : {0, 2, 4})
    EXPECT_EQ(cd.exported(n), MakeBankFile(cd.data[n / 2])) << n;
  Bytes sector(512);
  DiskOsRequest write = makeRequest(WriteSectors, 0);
  write.bufI = reinterpret_cast<DiskOsWord>(sector.data());
  write.bIsz = 512;
  EXPECT_EQ(cd.f.send(write), kScsiCommandFailed | DiskOsTransferFailed);
  EXPECT_EQ(cd.f.bus.disk(0, 1)->writes, 0);
  EXPECT_EQ(cd.leftOver(), "");
}

}  // namespace
