// Feeds arbitrary SMDI replies to the samplers driver: one sampler on the bus
// whose every RECEIVE answers the next piece of the input (two bytes of
// length, then that many bytes), listed through the driver as a user would.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sampler/sampler_driver.h"
#include "sampler/smdi.h"
#include "scsi/aspi_transport.h"
#include "tests/support/test_context.h"

namespace {

struct HostileSampler : Aspi {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t next = 0;

  std::uint32_t GetASPI32SupportInfo() override { return 0x101; }
  std::uint32_t SendASPI32Command(SrbExecScsiCmd* srb) override {
    if (srb->SRB_Target != 0)
      return srb->SRB_Status = SS_NO_DEVICE;
    std::uint8_t* buffer = srb->SRB_BufPointer;
    if (srb->CDBByte[0] == kInquiry && buffer && srb->SRB_BufLen >= 32) {
      std::memcpy(buffer, "\3       E-mu    ESi-4000        ", 32);
    } else if (srb->CDBByte[0] == kReceive && buffer) {
      std::size_t n = next + 2 <= size ? std::size_t(data[next] << 8 | data[next + 1]) : 0;
      next = std::min(next + 2, size);
      n = std::min({n, size - next, std::size_t{srb->SRB_BufLen}});
      if (n)
        std::memcpy(buffer, data + next, n);
      next += n;
    }
    srb->SRB_Status = SS_COMP;
    return SS_PENDING;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TestContext* t = new TestContext;
  t->reset();
  Context& ctx = t->ctx;
  HostileSampler sampler;
  sampler.data = data;
  sampler.size = size;
  t->addRoot();
  AspiAttach(ctx, &sampler);
  SamplersDriver driver(ctx);
  if (RegisterDiskOs(ctx, driver)) {
    ProbeDiskOses(ctx);
    if (driver.samplerCount() == 1)
      listDevice(ctx, driver.entry(0).node, false);
    // Whatever the last reply left in the buffer reads within its bounds.
    SmdiSampleHeaderReply h = SmdiReadSampleHeader(ctx);
    if (std::strlen(h.name) > 255)
      __builtin_trap();
  }
  AspiRelease(ctx);
  return 0;
}
