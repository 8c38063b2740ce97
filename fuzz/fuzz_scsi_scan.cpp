// Feeds arbitrary answers to the SCSI disk driver's scan and listing: an ASPI
// manager whose adapter count, command results, INQUIRY data and sectors all
// come from the input. Sector 0 gets the magic and a valid checksum unless
// the flags say otherwise, so most inputs reach the tables behind it.
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
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t next = 0;
  std::uint8_t flags = 0;

  std::uint8_t byte() { return size ? data[next++ % size] : 0; }
  std::uint32_t GetASPI32SupportInfo() override { return 0x100u | (flags & 3); }
  std::uint32_t SendASPI32Command(SrbExecScsiCmd* srb) override {
    std::uint8_t answer = byte();
    if (answer < 16)
      return srb->SRB_Status = SS_NO_DEVICE;
    srb->SRB_Status = answer < 32 ? SS_ERR : answer < 36 ? SS_PENDING : SS_COMP;
    std::uint8_t* buffer = srb->SRB_BufPointer;
    std::uint32_t length = srb->SRB_BufLen;
    if (!buffer || srb->SRB_Status != SS_COMP)
      return srb->SRB_Status;
    // READ(10) of sector 0 as an ESi disk when asked for; else input bytes.
    bool sector0 = srb->CDBByte[0] == 0x28 && srb->CDBByte[2] == 0 && srb->CDBByte[3] == 0 &&
                   srb->CDBByte[4] == 0 && srb->CDBByte[5] == 0;
    for (std::uint32_t i = 0; i < length; ++i)
      buffer[i] = byte();
    if (sector0 && length >= 512 && !(flags & 4)) {
      std::memcpy(buffer, "EMU3", 4);
      StoreChecksum(buffer, DiskInfoChecksumV2(buffer));
    }
    return srb->SRB_Status;
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
