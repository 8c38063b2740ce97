#include "sampler/sample_receive.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/wav.h"
#include "core/context.h"
#include "sampler/sampler_driver.h"
#include "sampler/smdi.h"
#include "scsi/aspi_transport.h"

namespace {

const char kRenamed[] = "Sample in machine has been renamed";
const char kWillNotSend[] = "Unable to receive sample (sampler will not send it)";
const char kNoSampleData[] = "Unable to receive sample (sampler will not send sample data)";
const char kTransferFailed[] = "Unable to transfer file";
const char kWillNotDelete[] = "Unable to delete sample (sampler will not delete it)";

constexpr std::uint32_t kPacketSize = 512;
// A WAV file counts its length in 32 bits, header and loop chunk included.
constexpr std::uint64_t kMaxAudioBytes = 0xFFFFFFFFull - kWavHeaderSize - kSmplChunkSize - 8;

bool isSample(const Context& ctx, int node) {
  return ctx.nodes.valid(node) && ctx.nodes[node].type == Sample;
}

// Opens the dialogue and fetches the sample's header; true when the sampler
// still holds the sample under the name shown. A sampler that stopped
// answering has been reported once; asking further would report it again.
bool fetchNamedHeader(Context& ctx, int node, int adapter, int target,
                      SmdiSampleHeaderReply* header) {
  if (SmdiAbortProcedure(ctx, adapter, target) && SmdiAwaitReply(ctx, adapter, target) == 0)
    return false;
  std::uint32_t number = static_cast<std::uint32_t>(ctx.nodes[node].sampleNumber);
  if (!SmdiRequestSampleHeader(ctx, adapter, target, number) ||
      SmdiAwaitHeaderReply(ctx, adapter, target) != kSmdiSampleHeader)
    return false;
  *header = SmdiReadSampleHeader(ctx);
  if (std::strcmp(header->name, ctx.nodes[node].name) != 0) {
    AspiTell(ctx, kRenamed);
    return false;
  }
  return true;
}

// The sampler's loop end is one past the last frame played, where a "smpl"
// chunk names that frame itself (transmission adds the one back). Points a
// sampler states past its audio are kept within it.
WavLoop receivedLoop(const SmdiSampleHeaderReply& header) {
  WavLoop loop;
  loop.end = std::min(header.loopEnd == 0 ? 0 : header.loopEnd - 1, header.length - 1);
  loop.start = std::min(header.loopStart, loop.end);
  return loop;
}

bool writeAll(Context& ctx, const void* bytes, std::uint32_t count) {
  if (ctx.files.write(ctx.openFile, bytes, count))
    return true;
  AspiTell(ctx, kTransferFailed);
  return false;
}

// Asks for packets until the announced audio has arrived, writing each as it
// comes. The words arrive most significant byte first; a packet with an odd
// byte count leaves its last byte to pair with the next packet's first, and
// bytes past the announced audio are dropped, so the file holds exactly the
// audio its header states.
bool receiveAudio(Context& ctx, int adapter, int target, std::uint64_t total,
                  std::uint32_t packetLength) {
  std::vector<std::uint8_t> out(kSmdiMaxPacketData + 1);
  std::uint32_t pending = 0;  // bytes in out waiting for their partner
  std::uint64_t received = 0;
  for (std::uint32_t packet = 0; received < total; ++packet) {
    if (!SmdiSendNextPacket(ctx, adapter, target, packet))
      return false;
    std::uint16_t id = SmdiAwaitReply(ctx, adapter, target);
    if (id != kSmdiDataPacket) {
      AspiTell(ctx, kNoSampleData);
      return false;
    }
    ctx.lcd.LcdAdvanceProgress(1);
    std::uint32_t length = SmdiGetNumber(ctx.smdiMessageBuffer + 8, 3);
    std::uint64_t carried = length > 3 ? length - 3 : 0;
    // A packet without data would never end the transfer; one longer than
    // announced is not the sample's (and may not even fit the buffer).
    if (carried == 0 || carried > packetLength || carried > kSmdiMaxPacketData) {
      AspiTell(ctx, kNoSampleData);
      return false;
    }
    carried = std::min(carried, total - received);
    std::memcpy(out.data() + pending, ctx.smdiMessageBuffer + 14, carried);
    std::uint32_t bytes = pending + static_cast<std::uint32_t>(carried);
    std::uint32_t whole = bytes & ~1u;
    for (std::uint32_t i = 0; i < whole; i += 2)
      std::swap(out[i], out[i + 1]);
    if (whole != 0 && !writeAll(ctx, out.data(), whole))
      return false;
    pending = bytes - whole;
    if (pending)
      out[0] = out[whole];
    received += carried;
  }
  return true;
}

bool receive(Context& ctx, int node) {
  LcdDisplay& lcd = ctx.lcd;
  int adapter = 0, target = 0;
  if (!SampleAddress(ctx, node, &adapter, &target))
    return false;
  int number = ctx.nodes[node].sampleNumber;
  lcd.LcdBeginProgress();
  lcd.LcdSetProgressRange(0, 100);
  lcd.LcdAdvanceProgress(1);
  char text[32];
  std::snprintf(text, sizeof text, "Receiving sample S%.3d", number);
  lcd.LcdSetCursor(0, 0);
  lcd.LcdPrint(text);

  SmdiSampleHeaderReply header;
  if (!fetchNamedHeader(ctx, node, adapter, target, &header))
    return false;
  // Korrin writes 16-bit mono and stereo files only; a header claiming
  // anything else, no rate, or more audio than a WAV file holds, is no sample
  // to save.
  std::uint64_t total = std::uint64_t(header.length) * header.channels * 2;
  if (header.bits != 16 || (header.channels != 1 && header.channels != 2) || header.period == 0 ||
      total > kMaxAudioBytes) {
    AspiTell(ctx, kWillNotSend);
    return false;
  }
  WavHeader wav =
      MakeWavHeader(header.channels, SmdiRateOfPeriod(header.period), 16, header.length);

  if (!SmdiBeginSampleTransfer(ctx, adapter, target, static_cast<std::uint32_t>(number),
                               kPacketSize))
    return false;
  std::uint16_t id = SmdiAwaitReply(ctx, adapter, target);
  std::uint32_t packetLength = SmdiGetNumber(ctx.smdiMessageBuffer + 14, 3);
  // A packet length of 0 would leave nothing to count the packets by.
  if (id != kSmdiBeginSampleTransfer || packetLength == 0) {
    AspiTell(ctx, kWillNotSend);
    return false;
  }
  std::uint64_t packets = (packetLength + total - 1) / packetLength + 3;
  lcd.LcdSetProgressRange(0, static_cast<int>(std::min<std::uint64_t>(packets, INT_MAX)));

  if (!writeAll(ctx, wav.bytes, kWavHeaderSize))
    return false;
  lcd.LcdAdvanceProgress(1);
  if (!receiveAudio(ctx, adapter, target, total, packetLength))
    return false;
  // A loop needs a frame to lie on.
  if (header.loopControl == 0 && header.length > 0) {
    std::uint8_t smpl[kSmplChunkSize];
    WavLoop loop = receivedLoop(header);
    MakeSmplChunk(loop.start, loop.end, smpl);
    if (!writeAll(ctx, smpl, kSmplChunkSize))
      return false;
  }
  lcd.LcdAdvanceProgress(1);
  if (!FinishWavFile(ctx.files, ctx.openFile, &wav)) {
    AspiTell(ctx, kTransferFailed);
    return false;
  }
  lcd.LcdAdvanceProgress(1);
  return true;
}

}  // namespace

bool ReceiveSample(Context& ctx, int sampleNode) {
  if (!isSample(ctx, sampleNode))
    return false;
  int page = ctx.lcd.LcdCurrentPage();
  AspiBeginCommand(ctx);
  bool received = receive(ctx, sampleNode);
  // Whatever step stopped it, the user hears why once.
  if (!received)
    AspiTell(ctx, kWillNotSend);
  ctx.lcd.LcdSelectPage(page);
  return received;
}

bool DeleteSampleInSampler(Context& ctx, int sampleNode, bool refreshList) {
  int adapter = 0, target = 0;
  if (!isSample(ctx, sampleNode) || !SampleAddress(ctx, sampleNode, &adapter, &target))
    return false;
  SmdiSampleHeaderReply header;
  if (!fetchNamedHeader(ctx, sampleNode, adapter, target, &header))
    return false;
  if (!SmdiAbortProcedure(ctx, adapter, target))
    return false;
  std::uint16_t id = SmdiAwaitReply(ctx, adapter, target);
  if (id != kSmdiAck && id != kSmdiMessageReject)
    return false;
  // The send's own result does not matter: the reply decides.
  SmdiDeleteSample(ctx, adapter, target,
                   static_cast<std::uint32_t>(ctx.nodes[sampleNode].sampleNumber));
  id = SmdiAwaitReply(ctx, adapter, target);
  if (id != kSmdiAck && id != kSmdiEndOfProcedure)
    return false;
  removeNode(ctx, sampleNode, refreshList);
  return true;
}

void DeleteSamplesCommand(Context& ctx, const int* selection, int count) {
  LcdDisplay& lcd = ctx.lcd;
  int page = lcd.LcdCurrentPage();
  lcd.LcdBeginProgress();
  lcd.LcdSetProgressRange(0, 2 * count);
  // Message boxes pump messages: the flag keeps a second command out.
  ctx.busy = 1;
  AspiBeginCommand(ctx);
  std::vector<int> nodes(selection, selection + count);
  bool listStale = false;
  for (int i = count - 1; i >= 0; --i) {
    int node = nodes[i];
    if (!isSample(ctx, node))
      continue;
    char text[32];
    std::snprintf(text, sizeof text, "Deleting sample S%.3d", ctx.nodes[node].sampleNumber);
    lcd.LcdAdvanceProgress(1);
    lcd.LcdSetCursor(0, 0);
    lcd.LcdPrint(text);
    if (!DeleteSampleInSampler(ctx, node, i == 0)) {
      AspiTell(ctx, kWillNotDelete);
      break;
    }
    listStale = i != 0;
    // Removing a node moves every later one down.
    for (int k = 0; k < i; ++k) {
      if (nodes[k] > node)
        --nodes[k];
    }
  }
  // A stop part way leaves rows of samples already gone.
  if (listStale) {
    ctx.nodes.shownNode = 0;
    showNodeInList(ctx, ctx.nodes.selectedNode);
  }
  ctx.busy = 0;
  lcd.LcdSelectPage(page);
}
