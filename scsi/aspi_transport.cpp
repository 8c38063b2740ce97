#include "scsi/aspi_transport.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/context.h"

namespace {

constexpr std::uint32_t kReadyBufferSize = 256;
constexpr std::uint8_t kInquiryLength = 32;
constexpr int kLunSearchLast = 64;
constexpr std::uint8_t kDoneOrError = SS_COMP | SS_ERR;
constexpr std::uint8_t kInquiryEnded = 0x87;

std::string unitText(const char* format, int adapter, int target) {
  char text[96];
  std::snprintf(text, sizeof text, format, adapter, target);
  return text;
}

// The manager may write the status from its own thread.
std::uint8_t statusOf(const SrbExecScsiCmd& srb) {
  return *static_cast<const volatile std::uint8_t*>(&srb.SRB_Status);
}

SrbExecScsiCmd& fill(AspiBlock& block, int adapter, int target, std::uint8_t flags,
                     std::uint32_t length, std::uint8_t* buffer, std::uint8_t cdbLength) {
  std::memset(block.bytes, 0, sizeof block.bytes);
  SrbExecScsiCmd& srb = block.srb;
  srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
  srb.SRB_HaId = static_cast<std::uint8_t>(adapter);
  srb.SRB_Target = static_cast<std::uint8_t>(target);
  srb.SRB_Flags = flags;
  srb.SRB_BufLen = length;
  srb.SRB_BufPointer = buffer;
  srb.SRB_SenseLen = kSenseLength;
  srb.SRB_CDBLen = cdbLength;
  return srb;
}

// Starts the command; false when the manager refused it outright (no such
// adapter or device), which no amount of polling would change.
bool start(Context& ctx, SrbExecScsiCmd& srb) {
  std::uint32_t answer = ctx.scsi.aspi->SendASPI32Command(&srb);
  return answer == SS_PENDING || answer == SS_COMP;
}

// Polls until the status shows one of the bits of `ended`; false when it was
// still pending after `limit` polls or `limit` milliseconds, whichever comes
// first: a sleep of one millisecond may last sixteen. SMDI transfers move the
// progress bar while they wait.
bool waitFor(Context& ctx, const SrbExecScsiCmd& srb, std::uint8_t ended, int limit,
             bool progress) {
  const std::uint32_t start = ctx.host.milliseconds();
  for (int polls = 0;; ++polls) {
    if (statusOf(srb) & ended)
      return true;
    if (polls >= limit || ctx.host.milliseconds() - start >= static_cast<std::uint32_t>(limit))
      return false;
    if (progress) {
      ctx.lcd.LcdExtendProgress(1);
      ctx.lcd.LcdAdvanceProgress(1);
    }
    ctx.host.sleep(1);
  }
}

bool validUnit(int adapter, int target) {
  return adapter >= 0 && adapter < kMaxHostAdapters && target >= 0 && target < kScsiTargets;
}

bool unitHung(const Context& ctx, int adapter, int target) {
  return validUnit(adapter, target) && ctx.scsi.hung[adapter][target];
}

const char kUnableToSend[] = "Unable to send command to SCSI device (%d,%d)";

// A unit that left a command pending for good is named once a run, and from
// then on fails every command at once; those failures are the callers' to
// report.
void reportHung(Context& ctx, int adapter, int target) {
  if (!validUnit(adapter, target) || ctx.scsi.hung[adapter][target])
    return;
  ctx.scsi.hung[adapter][target] = true;
  ctx.scsi.told = true;
  ctx.host.message(unitText(kUnableToSend, adapter, target));
}

// Leaves a command that never finished its block and buffer, and gives the
// later commands new ones, so that a late completion lands nowhere in use.
void retire(Context& ctx, std::vector<std::uint8_t>* buffer) {
  ScsiUnits& scsi = ctx.scsi;
  scsi.retiredBlocks.push_back(std::move(scsi.blocks));
  scsi.blocks = std::make_unique<AspiBlocks>();
  if (buffer)
    scsi.retiredBuffers.push_back(std::move(*buffer));
}

bool ready(const Context& ctx) {
  return ctx.scsi.aspi && ctx.scsi.blocks;
}

void putBe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

// One READ(10) or WRITE(10) through the main block.
AspiAttempt transferCommand(Context& ctx, ScsiDevice& device, bool write, int lun,
                            std::uint32_t lba, std::uint32_t blocks, std::uint32_t length) {
  SrbExecScsiCmd& srb = fill(ctx.scsi.blocks->main, device.adapter, device.target,
                             write ? SRB_DIR_OUT : SRB_DIR_IN, length, device.transfer.data(), 10);
  srb.CDBByte[0] = write ? kWrite10 : kRead10;
  // Only three bits of the logical unit fit the command block.
  srb.CDBByte[1] = static_cast<std::uint8_t>(lun * 32);
  putBe32(srb.CDBByte + 2, lba);
  srb.CDBByte[7] = static_cast<std::uint8_t>(blocks >> 8);
  srb.CDBByte[8] = static_cast<std::uint8_t>(blocks);
  if (!start(ctx, srb))
    return AspiAttempt::Failed;
  if (!waitFor(ctx, srb, kDoneOrError, kTransferPolls, false)) {
    reportHung(ctx, device.adapter, device.target);
    retire(ctx, &device.transfer);
    return AspiAttempt::Hung;
  }
  return statusOf(srb) & SS_ERR ? AspiAttempt::Failed : AspiAttempt::Done;
}

void prepareTransferBuffer(ScsiDevice& device) {
  if (device.transfer.size() < static_cast<std::size_t>(kScsiTransferSize))
    device.transfer.assign(kScsiTransferSize, 0);
}

// SEND and RECEIVE go through the transport's own buffer, which a command
// that never finishes leaves behind with its block; a RECEIVE's answer is
// copied back only once it has completed.
AspiAttempt smdiTransfer(Context& ctx, int adapter, int target, bool send, std::uint8_t* data,
                         std::uint32_t length, std::uint8_t lengthHigh, std::uint8_t lengthLow) {
  // A message longer than a reply may be is no SMDI message.
  if (!ready(ctx) || length > kSmdiReceiveSize)
    return AspiAttempt::Failed;
  if (unitHung(ctx, adapter, target)) {
    AspiTell(ctx, unitText(kUnableToSend, adapter, target));
    return AspiAttempt::Hung;
  }
  std::vector<std::uint8_t>& io = ctx.scsi.smdiTransfer;
  if (io.size() < kSmdiReceiveSize)
    io.assign(kSmdiReceiveSize, 0);
  // A RECEIVE may fill less than the buffer: what it leaves stays the caller's.
  if (length > 0)
    std::memcpy(io.data(), data, length);
  SrbExecScsiCmd& srb = fill(ctx.scsi.blocks->main, adapter, target,
                             send ? SRB_DIR_OUT : SRB_DIR_IN, length, io.data(), 6);
  srb.CDBByte[0] = send ? kSend : kReceive;
  srb.CDBByte[3] = lengthHigh;
  srb.CDBByte[4] = lengthLow;
  if (!start(ctx, srb))
    return AspiAttempt::Failed;
  if (!waitFor(ctx, srb, kDoneOrError, kSmdiPolls, true)) {
    reportHung(ctx, adapter, target);
    retire(ctx, &io);
    return AspiAttempt::Hung;
  }
  if (statusOf(srb) & SS_ERR)
    return AspiAttempt::Failed;
  if (!send)
    std::memcpy(data, io.data(), kSmdiReceiveSize);
  return AspiAttempt::Done;
}

}  // namespace

void AspiAttach(Context& ctx, Aspi* aspi) {
  ctx.scsi.aspi = aspi;
  ctx.scsi.blocks = std::make_unique<AspiBlocks>();
}

void AspiRelease(Context& ctx) {
  ctx.scsi.blocks.reset();
  ctx.scsi.aspi = nullptr;
}

int AspiHostAdapters(Context& ctx) {
  ScsiUnits& scsi = ctx.scsi;
  if (!scsi.supportAsked && scsi.aspi) {
    scsi.supportInfo = scsi.aspi->GetASPI32SupportInfo();
    scsi.supportAsked = true;
  }
  if (((scsi.supportInfo >> 8) & 0xFF) != SS_COMP)
    return 0;
  int adapters = static_cast<int>(scsi.supportInfo & 0xFF);
  return adapters < kMaxHostAdapters ? adapters : kMaxHostAdapters;
}

void ForEachScsiTarget(Context& ctx, const std::function<void(int adapter, int target)>& probe) {
  const int adapters = AspiHostAdapters(ctx);
  if (adapters == 0)
    return;
  // With many adapters the share of each target rounds to nothing; the bar
  // never moves back.
  int step = 100 / (adapters * kScsiTargets) - 1;
  if (step < 0)
    step = 0;
  for (int a = 0; a < adapters; ++a) {
    for (int t = 0; t < kScsiTargets; ++t) {
      probe(a, t);
      ctx.lcd.LcdAdvanceProgress(step);
    }
  }
}

void AspiBeginCommand(Context& ctx) {
  ctx.scsi.told = false;
}

void AspiTell(Context& ctx, const std::string& text) {
  if (ctx.scsi.told)
    return;
  ctx.scsi.told = true;
  ctx.host.message(text);
}

bool AspiTestUnitReady(Context& ctx, int adapter, int target) {
  if (!ready(ctx) || unitHung(ctx, adapter, target))
    return false;
  std::vector<std::uint8_t> scratch(kReadyBufferSize, 0);
  SrbExecScsiCmd& srb = fill(ctx.scsi.blocks->ready, adapter, target, SRB_DIR_IN, kReadyBufferSize,
                             scratch.data(), 10);
  srb.CDBByte[0] = kTestUnitReady;
  if (!start(ctx, srb))
    return false;
  if (!waitFor(ctx, srb, kDoneOrError, kReadyPolls, false)) {
    reportHung(ctx, adapter, target);
    retire(ctx, &scratch);
    return false;
  }
  return statusOf(srb) == SS_COMP;
}

bool AspiWaitReady(Context& ctx, int adapter, int target) {
  const std::uint32_t start = ctx.host.milliseconds();
  for (int test = 0; test < kReadyTests; ++test) {
    if (AspiTestUnitReady(ctx, adapter, target))
      return true;
    if (unitHung(ctx, adapter, target)) {
      AspiTell(ctx, unitText(kUnableToSend, adapter, target));
      return false;
    }
    if (ctx.host.milliseconds() - start >= kReadyWaitMs)
      break;
    ctx.host.sleep(1);
  }
  AspiTell(ctx, unitText("SCSI device not ready (%d,%d)", adapter, target));
  return false;
}

bool AspiInquiry(Context& ctx, int adapter, int target) {
  if (!ready(ctx) || unitHung(ctx, adapter, target))
    return false;
  AspiBlocks& blocks = *ctx.scsi.blocks;
  // A unit that answers short must not inherit the previous unit's texts.
  std::memset(blocks.inquiryData, 0, kInquiryLength);
  SrbExecScsiCmd& srb =
      fill(blocks.inquiry, adapter, target, SRB_DIR_IN, kInquiryLength, blocks.inquiryData, 6);
  srb.CDBByte[0] = kInquiry;
  srb.CDBByte[4] = kInquiryLength;
  if (ctx.scsi.aspi->SendASPI32Command(&srb) != SS_PENDING)
    return false;
  if (!waitFor(ctx, srb, kInquiryEnded, kInquiryPolls, false)) {
    reportHung(ctx, adapter, target);
    retire(ctx, nullptr);
    return false;
  }
  return (statusOf(srb) & 0x86) == 0;
}

std::uint32_t ScsiReadSectors(Context& ctx, ScsiDevice& device, std::uint32_t sector,
                              std::uint32_t count, std::uint8_t* buffer) {
  if (!ready(ctx) || count == 0 || unitHung(ctx, device.adapter, device.target))
    return kScsiCommandFailed;
  std::uint32_t lba = sector, offset = 0, blockSize = 512;
  std::uint64_t bytes = std::uint64_t{count} * 512;
  if (device.blocks2048) {
    lba = sector / 4;
    offset = (sector % 4) * 512;
    blockSize = 2048;
  }
  // Whole blocks covering every sector asked for, and no block past them,
  // so the last sectors of a medium read too.
  std::uint64_t blocks = (offset + bytes + blockSize - 1) / blockSize;
  if (blocks * blockSize > kMaxScsiTransfer)
    return kScsiCommandFailed;
  prepareTransferBuffer(device);
  if (!AspiTestUnitReady(ctx, device.adapter, device.target))
    return kScsiNotReady;
  const std::uint32_t n = static_cast<std::uint32_t>(blocks);
  AspiAttempt outcome = AspiAttempt::Failed;
  int lun = device.lun;
  if (lun >= 0) {
    outcome = transferCommand(ctx, device, false, lun, lba, n, kMaxScsiTransfer);
  } else {
    // The unit's logical unit is not known yet: the first that reads is it.
    // A unit that hangs will not answer the next one either.
    for (lun = 0; lun <= kLunSearchLast; ++lun) {
      outcome = transferCommand(ctx, device, false, lun, lba, n, kMaxScsiTransfer);
      if (outcome != AspiAttempt::Failed)
        break;
    }
  }
  if (outcome != AspiAttempt::Done)
    return kScsiCommandFailed;
  device.lun = lun;
  std::memcpy(buffer, device.transfer.data() + offset, static_cast<std::size_t>(bytes));
  return 0;
}

std::uint32_t ScsiWriteSectors(Context& ctx, ScsiDevice& device, std::uint32_t sector,
                               std::uint32_t count, const std::uint8_t* buffer) {
  // Units with 2048-byte blocks are CD-ROM drives: a write addressed in
  // 512-byte sectors would land four times too far, so none is sent.
  if (!ready(ctx) || device.lun < 0 || device.blocks2048 || count == 0 ||
      std::uint64_t{count} * 512 > kMaxScsiTransfer || unitHung(ctx, device.adapter, device.target))
    return kScsiCommandFailed;
  const std::uint32_t length = count * 512;
  prepareTransferBuffer(device);
  std::memcpy(device.transfer.data(), buffer, length);
  if (!AspiTestUnitReady(ctx, device.adapter, device.target))
    return kScsiNotReady;
  AspiAttempt outcome = transferCommand(ctx, device, true, device.lun, sector, count, length);
  return outcome == AspiAttempt::Done ? 0 : kScsiCommandFailed;
}

bool AspiSend(Context& ctx, int adapter, int target, const std::uint8_t* data,
              std::uint8_t lengthHigh, std::uint8_t lengthLow) {
  std::uint32_t length = static_cast<std::uint32_t>(lengthHigh) << 8 | lengthLow;
  // Only read: a SEND's data is copied into the transport's buffer.
  return smdiTransfer(ctx, adapter, target, true, const_cast<std::uint8_t*>(data), length,
                      lengthHigh, lengthLow) == AspiAttempt::Done;
}

AspiAttempt AspiReceive(Context& ctx, int adapter, int target, std::uint8_t* buffer) {
  return smdiTransfer(ctx, adapter, target, false, buffer, kSmdiReceiveSize, 0x41, 0x00);
}
