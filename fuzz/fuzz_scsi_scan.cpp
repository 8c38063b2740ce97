// Feeds arbitrary answers to the SCSI disk driver's scan and listing: an ASPI
// manager whose adapter count, command outcomes, INQUIRY data and sectors all
// come from the input. Like a real manager it accepts a command as pending
// and completes it a few polls later, with or without an error, or only after
// the program has given up on it and set its block aside. Sector 0 gets the
// magic and a valid checksum (of either form) unless the flags say otherwise,
// so most inputs reach the tables behind it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <utility>
#include <vector>

#include "esifs/disk_info.h"
#include "scsi/aspi_transport.h"
#include "scsi/scsi_disk_driver.h"
#include "tests/support/test_context.h"

namespace {

struct HostileManager : Aspi {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0, next = 0;
  std::uint8_t flags = 0, sink = 0;
  std::vector<std::pair<SrbExecScsiCmd*, int>> pending;  // with the polls left

  std::uint8_t byte() { return size ? data[next++ % size] : 0; }
  std::uint32_t GetASPI32SupportInfo() override { return 0x100u | (flags & 3); }

  // The answer byte: below 8 no such unit; 8 completes only after every bound
  // has passed; else its top two bits are the polls until it completes.
  std::uint32_t SendASPI32Command(SrbExecScsiCmd* srb) override {
    std::uint8_t answer = byte();
    if (answer < 8)
      return srb->SRB_Status = SS_NO_DEVICE;
    srb->SRB_Status = SS_PENDING;
    pending.emplace_back(srb, answer == 8 ? 20000 : answer >> 6);
    poll();
    return SS_PENDING;
  }

  // Milliseconds pass: the commands whose time has come complete.
  void poll(unsigned ms = 1) {
    for (std::size_t i = pending.size(); i-- > 0;) {
      if ((pending[i].second -= static_cast<int>(ms)) < 0) {
        complete(*pending[i].first);
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  }

  void complete(SrbExecScsiCmd& srb) {
    std::uint8_t* b = srb.SRB_BufPointer;
    std::uint8_t op = srb.CDBByte[0];
    // A write's data goes out whole: all of it must be the program's.
    if (srb.SRB_Flags == SRB_DIR_OUT && b)
      sink = std::accumulate(b, b + srb.SRB_BufLen, sink);
    srb.SRB_Status = byte() & 15 ? SS_COMP : SS_ERR;  // one in 16 fails
    if (srb.SRB_Status == SS_ERR || !b || (op != kInquiry && op != kRead10))
      return;
    // A READ(10) fills 512 bytes a block asked for (a CD-ROM's blocks are
    // longer: the rest is what the buffer held).
    std::uint32_t length = srb.SRB_BufLen;
    if (op == kRead10)
      length = std::min(length, (srb.CDBByte[7] << 8 | srb.CDBByte[8]) * 512u);
    for (std::uint32_t i = 0; i < length; ++i)
      b[i] = byte();
    if (op == kRead10 && !(srb.CDBByte[2] | srb.CDBByte[3] | srb.CDBByte[4] | srb.CDBByte[5]) &&
        length >= 512 && !(flags & 4)) {
      std::memcpy(b, "EMU3", 4);
      StoreChecksum(b, flags & 16 ? DiskInfoChecksumGapped(b) : DiskInfoChecksumV2(b));
    }
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
  t->host.onSleep = [&manager](unsigned ms) { manager.poll(ms); };
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
  AspiRelease(ctx);
  return 0;
}
