// Feeds arbitrary SMDI replies to the sampler commands: one sampler on the
// bus, whose every RECEIVE answers the next reply of the input. The first
// byte picks the command: the listing, or the deletion or reception of sample
// 1 ("Fuzz"). A sample received must be a WAV file whose sizes agree with its
// length and whose loop lies within its audio; no command shows more than
// one message.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sampler/sample_receive.h"
#include "sampler/sampler_driver.h"
#include "sampler/smdi.h"
#include "scsi/aspi_transport.h"
#include "tests/support/test_context.h"

namespace {

void require(bool ok) {
  if (!ok)
    __builtin_trap();
}

// Each RECEIVE takes one reply: a kind byte (0xFF ends in error, 0xFE never
// completes, else its low three bits pick the ID, 7 an ID of the top five
// bits), two bytes of stated body length, then as much of the body as the
// input and the buffer hold. An input that has run out answers nothing.
struct HostileSampler : Aspi {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t next = 1;  // after the command

  std::uint32_t GetASPI32SupportInfo() override { return 0x101; }
  std::uint32_t SendASPI32Command(SrbExecScsiCmd* srb) override {
    if (srb->SRB_Target != 0)
      return srb->SRB_Status = SS_NO_DEVICE;
    std::uint8_t* b = srb->SRB_BufPointer;
    srb->SRB_Status = SS_COMP;
    if (srb->CDBByte[0] == kInquiry && b && srb->SRB_BufLen >= 32)
      std::memcpy(b, "\3       E-mu    ESi-4000        ", 32);
    else if (srb->CDBByte[0] == kReceive && b && next < size)
      srb->SRB_Status = reply(b, srb->SRB_BufLen);
    return SS_PENDING;
  }
  std::uint8_t reply(std::uint8_t* b, std::uint32_t room) {
    // Wait, ACK, Message Reject, Sample Header, Begin Sample Transfer, Data
    // Packet, End of Procedure.
    static const std::uint16_t ids[] = {0x0102, 0x0100, 0x0002, 0x0121, 0x0122, 0x0110, 0x0104};
    std::uint8_t kind = data[next++];
    if (kind >= 0xFE)
      return kind == 0xFF ? SS_ERR : SS_PENDING;
    std::uint32_t stated = next + 2 <= size ? data[next] << 8 | data[next + 1] : 0;
    next = std::min(next + 2, size);
    std::size_t n = std::min<std::size_t>({stated, size - next, room - kSmdiHeaderSize});
    std::memcpy(b, "SMDI", 4);  // the sub ID stays 0, as the program cleared it
    SmdiPutNumber(b + 4, (kind & 7) < 7 ? ids[kind & 7] : kind >> 3u, 2);
    SmdiPutNumber(b + 8, stated, 3);
    std::memcpy(b + kSmdiHeaderSize, data + next, n);
    next += n;
    return SS_COMP;
  }
};

// Korrin writes the canonical layout: a 44-byte header, the audio, and a
// "smpl" chunk of one loop when the sample loops; nothing else.
void checkWav(const std::vector<std::uint8_t>& f) {
  auto le = [&f](std::size_t at, int width = 4) {
    return f[at] | f[at + 1] << 8 |
           (width == 4 ? f[at + 2] << 16 | std::uint32_t{f[at + 3]} << 24 : 0);
  };
  auto is = [&f](std::size_t at, const char* tag) {
    return !std::memcmp(&f[at], tag, std::strlen(tag));
  };
  require(f.size() >= 44 && is(0, "RIFF") && le(4) == f.size() - 8 && is(8, "WAVEfmt ") &&
          le(16) == 16 && le(20, 2) == 1 && is(36, "data"));
  std::uint32_t channels = le(22, 2), rate = le(24), align = le(32, 2), bytes = le(40);
  require((channels == 1 || channels == 2) && align == 2 * channels && le(34, 2) == 16 &&
          rate > 0 && le(28) == std::uint64_t{rate} * align && bytes % align == 0);
  std::size_t rest = f.size() - 44, s = 44 + std::size_t{bytes};
  if (rest == bytes)
    return;
  // One loop, inside the audio.
  std::uint32_t start = le(s + 52), end = le(s + 56), frames = bytes / align;
  require(rest == bytes + std::size_t{68} && is(s, "smpl") && le(s + 4) == 60 && le(s + 36) == 1 &&
          start <= end && end < frames);
}

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
  require(RegisterDiskOs(ctx, driver));
  ProbeDiskOses(ctx);
  require(driver.samplerCount() == 1);
  int node = driver.entry(0).node;
  int command = size ? data[0] % 3 : 0;
  if (command == 0) {
    listDevice(ctx, node, false);
  } else {
    node = addNode(ctx, node, Sample, "Fuzz");
    ctx.nodes[node].sampleNumber = 1;
  }
  if (command == 1)
    DeleteSampleInSampler(ctx, node, false);
  if (command == 2) {
    ctx.openFile = t->files.open("out.wav", FileOpen::CreateAlways);
    bool received = ReceiveSample(ctx, node);
    t->files.close(ctx.openFile);
    if (received)
      checkWav(t->files.data("out.wav"));
  }
  require(t->files.openCount() == 0 && t->host.messages.size() <= 1);
  AspiRelease(ctx);
  return 0;
}
