// Feeds arbitrary answers to the SCSI disk driver's scan and listing: an ASPI
// manager whose adapter count, command outcomes, INQUIRY data and sectors all
// come from the input. Like a real manager it accepts a command as pending
// and completes it a few polls later, or never, or too late, into a block the
// program has set aside. Sector 0 gets the magic and a valid checksum (of
// either form) unless the flags say otherwise, so most inputs reach the
// tables behind it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "esifs/disk_info.h"
#include "scsi/aspi_transport.h"
#include "scsi/scsi_disk_driver.h"
#include "tests/support/test_context.h"

namespace {

struct HostileManager : Aspi {
  struct Pending {
    SrbExecScsiCmd* srb;
    int polls;
  };
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t next = 0;
  std::uint8_t flags = 0;
  std::vector<Pending> pending;
  std::uint8_t types[16][8] = {};  // the device type each unit last claimed
  std::uint8_t sink = 0;

  std::uint8_t byte() { return size ? data[next++ % size] : 0; }
  std::uint32_t GetASPI32SupportInfo() override { return 0x100u | (flags & 3); }

  // The answer byte: below 8 no such unit; 8 completes only after every bound
  // has passed; else its top two bits are the polls until it completes.
  std::uint32_t SendASPI32Command(SrbExecScsiCmd* srb) override {
    std::uint8_t answer = byte();
    if (answer < 8)
      return srb->SRB_Status = SS_NO_DEVICE;
    srb->SRB_Status = SS_PENDING;
    pending.push_back({srb, answer == 8 ? 20000 : answer >> 6});
    poll();
    return SS_PENDING;
  }

  // One millisecond passes: commands whose time has come complete.
  void poll() {
    for (std::size_t i = 0; i < pending.size();) {
      if (pending[i].polls-- > 0) {
        ++i;
        continue;
      }
      complete(*pending[i].srb);
      pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }

  void complete(SrbExecScsiCmd& srb) {
    // A write's data goes out whole: all of it must be the program's.
    if (srb.SRB_Flags == SRB_DIR_OUT && srb.SRB_BufPointer)
      for (std::uint32_t i = 0; i < srb.SRB_BufLen; ++i)
        sink += srb.SRB_BufPointer[i];
    if ((byte() & 15) == 0) {  // one in 16 ends in error
      srb.SRB_Status = SS_ERR;
      return;
    }
    std::uint8_t op = srb.CDBByte[0];
    std::uint32_t length = srb.SRB_BufLen;
    std::uint8_t& type = types[srb.SRB_HaId & 15][srb.SRB_Target & 7];
    // A READ(10) moves the blocks asked for, of 2048 bytes on a CD-ROM.
    if (op == kRead10)
      length =
          std::min(length, (srb.CDBByte[7] << 8 | srb.CDBByte[8]) * (type == 5 ? 2048u : 512u));
    if (srb.SRB_BufPointer && (op == kInquiry || op == kRead10)) {
      for (std::uint32_t i = 0; i < length; ++i)
        srb.SRB_BufPointer[i] = byte();
      if (op == kInquiry && length)
        type = srb.SRB_BufPointer[0];
      bool sector0 =
          op == kRead10 && !(srb.CDBByte[2] | srb.CDBByte[3] | srb.CDBByte[4] | srb.CDBByte[5]);
      if (sector0 && length >= 512 && !(flags & 4)) {
        std::uint8_t* b = srb.SRB_BufPointer;
        std::memcpy(b, "EMU3", 4);
        StoreChecksum(b, flags & 16 ? DiskInfoChecksumGapped(b) : DiskInfoChecksumV2(b));
      }
    }
    srb.SRB_Status = SS_COMP;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TestContext* t = new TestContext;
  t->reset();
  Context& ctx = t->ctx;
  HostileManager manager;
  manager.flags = size ? data[0] : 0;
  manager.data = size > 1 ? data + 1 : nullptr;
  manager.size = size > 1 ? size - 1 : 0;
  t->host.answers.assign(4, (manager.flags & 8) != 0);
  t->host.onSleep = [&manager](unsigned ms) {
    for (unsigned i = 0; i < ms; ++i)
      manager.poll();
  };
  t->addRoot();
  AspiAttach(ctx, &manager);
  ScsiDiskDriver driver(ctx);
  if (RegisterDiskOs(ctx, driver)) {
    ProbeDiskOses(ctx);
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (isDeviceType(ctx.nodes[i].type))
        listDevice(ctx, i, false);
    }
  }
  t->host.onSleep = nullptr;
  AspiRelease(ctx);
  return 0;
}
