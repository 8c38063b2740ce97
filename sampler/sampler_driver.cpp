#include "sampler/sampler_driver.h"

#include <cstdio>
#include <cstring>

#include "core/context.h"
#include "sampler/smdi.h"
#include "scsi/aspi_transport.h"

namespace {

constexpr std::uint32_t kCodeMask = 0xC0080003;
constexpr std::uint32_t kSubCodeMask = 7;
constexpr const char* kVersionText = "Samplers v1.0";
constexpr const char* kNodeText = "Samplers";
constexpr const char* kScanText = "Scanning samplers";
constexpr std::uint8_t kProcessorDevice = 3;
constexpr int kVendorLength = 8;
constexpr int kProductLength = 16;
constexpr int kLastSample = 999;
// The listing pauses this often, to give the sampler a breath.
constexpr int kPauseEvery = 50;
constexpr unsigned kPauseMs = 100;

// Text of fixed length from a device, cut at the first zero byte and trimmed.
void copyIdText(char* out, const std::uint8_t* bytes, int length) {
  std::memcpy(out, bytes, static_cast<std::size_t>(length));
  out[length] = '\0';
  TrimTrailingBlanks(out);
}

// The sampler node a node names (itself, or a sample's parent); 0 for others.
int samplerNodeOf(const Context& ctx, int node) {
  const NodeTable& t = ctx.nodes;
  if (t.valid(node) && t[node].type == Sample)
    node = t[node].parent;
  return t.valid(node) && t[node].type == Sampler ? node : 0;
}

}  // namespace

bool IsEmuSampler(const char* identification) {
  return std::strstr(identification, "E-mu ") &&
         (std::strstr(identification, "ESi") || std::strstr(identification, "Emulator "));
}

bool SampleAddress(const Context& ctx, int node, int* adapter, int* target) {
  int sampler = samplerNodeOf(ctx, node);
  if (sampler == 0)
    return false;
  int slot = ctx.nodes[sampler].scsiSlot;
  if (slot < 0 || slot >= ctx.scsi.scsiDeviceCount || !ctx.scsi.scsiDevices[slot].isSampler)
    return false;
  *adapter = ctx.scsi.scsiDevices[slot].adapter;
  *target = ctx.scsi.scsiDevices[slot].target;
  return true;
}

SamplersDriver::SamplersDriver(Context& context) : DiskOsDriver(context, kCodeMask, kSubCodeMask) {}

std::uint32_t SamplersDriver::serve(DiskOsRequest& request) {
  switch (request.cg1) {
    case Register:
      return registerDriver();
    case Scan:
      return scan();
    case QueryReadOnly:
      return 0;
    case ListBanks: {
      // A node number past the table names no sampler.
      const int node =
          request.par3 < static_cast<DiskOsWord>(kMaxNodes) ? static_cast<int>(request.par3) : 0;
      return ListSamples(node) ? DiskOsOk : DiskOsListIncomplete;
    }
    case DeviceCount:
      return static_cast<std::uint32_t>(samplerCount_);
    default:
      ReportDiskOsError(ctx, request);
      return DiskOsNotServed;
  }
}

std::uint32_t SamplersDriver::serveSub(DiskOsRequest& request) {
  switch (request.cg2) {
    case AddDevice:
      return addDevice(request);
    default:
      ReportDiskOsError(ctx, request);
      return DiskOsNotServed;
  }
}

std::uint32_t SamplersDriver::registerDriver() {
  samplersNode_ =
      RegisterDriverNode(ctx, ownIndex(), kVersionText, SamplerDiskOsNode, kNodeText, false);
  return 0;
}

std::uint32_t SamplersDriver::scan() {
  return RunScanStep(ctx, kScanText, [this] { ScanSamplers(); });
}

void SamplersDriver::ScanSamplers() {
  ForEachScsiTarget(ctx, [this](int adapter, int target) { ProbeSampler(adapter, target); });
}

void SamplersDriver::ProbeSampler(int adapter, int target) {
  ScsiUnits& scsi = ctx.scsi;
  // The INQUIRY poll is bounded by the transport.
  if (scsi.scsiDeviceCount >= kMaxScsiDevices || !AspiInquiry(ctx, adapter, target))
    return;
  const std::uint8_t* data = scsi.blocks->inquiryData;
  if (data[0] != kProcessorDevice)
    return;
  char vendor[kVendorLength + 1], product[kProductLength + 1];
  copyIdText(vendor, data + 8, kVendorLength);
  copyIdText(product, data + 16, kProductLength);
  char identification[kVendorLength + kProductLength + 2];
  std::snprintf(identification, sizeof identification, "%s %s", vendor, product);
  if (!IsEmuSampler(identification))
    return;

  ScsiDevice& unit = scsi.scsiDevices[scsi.scsiDeviceCount];
  unit = ScsiDevice{};
  unit.adapter = adapter;
  unit.target = target;
  unit.lun = -1;
  unit.deviceType = kProcessorDevice;
  std::memcpy(unit.vendor, vendor, sizeof vendor);
  std::memcpy(unit.product, product, sizeof product);
  std::snprintf(unit.description, sizeof unit.description, "%s", identification);
  unit.isSampler = 1;

  LcdDisplay& lcd = ctx.lcd;
  char id[32];
  std::snprintf(id, sizeof id, "SCSI ID: %d,%d", adapter, target);
  lcd.LcdSetCursor(0, 3);
  lcd.LcdPrint(id);
  lcd.LcdNewLine();
  lcd.LcdPrint(identification);
  ctx.host.sleep(50);
  lcd.LcdClearLine(3, false);
  lcd.LcdClearLine(4, false);

  // Vendor and product travel four characters to a word, first character in
  // the most significant byte, padded with zero bytes.
  std::uint8_t text[kVendorLength + kProductLength] = {};
  std::memcpy(text, vendor, std::strlen(vendor));
  std::memcpy(text + kVendorLength, product, std::strlen(product));
  DiskOsWord words[6] = {};
  for (int i = 0; i < kVendorLength + kProductLength; ++i)
    words[i / 4] |= static_cast<DiskOsWord>(text[i]) << (8 * (3 - i % 4));
  DiskOsRequest add = makeSubRequest(AddDevice);
  add.par0 = static_cast<DiskOsWord>(adapter);
  add.par1 = static_cast<DiskOsWord>(target);
  add.par2 = words[0];
  add.par3 = words[1];
  add.par4 = words[2];
  add.par5 = words[3];
  add.par6 = words[4];
  add.par7 = words[5];
  add.par9 = kProcessorDevice;
  add.diskOs = static_cast<DiskOsWord>(ownIndex());
  SendDiskOs(ctx, add);
  ++scsi.scsiDeviceCount;
}

std::uint32_t SamplersDriver::addDevice(const DiskOsRequest& request) {
  ScsiUnits& scsi = ctx.scsi;
  if (samplerCount_ >= kMaxScsiDevices || scsi.scsiDeviceCount >= kMaxScsiDevices)
    return 0;
  const int slot = scsi.scsiDeviceCount;
  const ScsiDevice& unit = scsi.scsiDevices[slot];
  std::uint8_t text[kVendorLength + kProductLength];
  const DiskOsWord words[6] = {request.par2, request.par3, request.par4,
                               request.par5, request.par6, request.par7};
  for (int i = 0; i < kVendorLength + kProductLength; ++i)
    text[i] = static_cast<std::uint8_t>(words[i / 4] >> (8 * (3 - i % 4)));
  char vendor[kVendorLength + 1], product[kProductLength + 1];
  copyIdText(vendor, text, kVendorLength);
  copyIdText(product, text + kVendorLength, kProductLength);

  SamplerEntry& e = entries_[samplerCount_];
  e = SamplerEntry{};
  std::snprintf(e.identification, sizeof e.identification, "%s %s", vendor, product);
  std::snprintf(e.displayName, sizeof e.displayName, "%s %s (%d, %d)", vendor, product,
                unit.adapter, unit.target);
  e.scsiSlot = slot;
  e.node = addNode(ctx, samplersNode_, Sampler, e.displayName);
  if (e.node != 0) {
    TreeNode& n = ctx.nodes[e.node];
    n.scsiSlot = slot;
    n.device = samplerCount_;
    n.diskOs = ownIndex();
    addPlaceholder(ctx, e.node);
  }
  ++samplerCount_;
  return 0;
}

bool SamplersDriver::ListSamples(int node) {
  LcdDisplay& lcd = ctx.lcd;
  lcd.LcdSetProgressRange(0, 1000);
  lcd.LcdAdvanceProgress(1);
  const NodeTable& t = ctx.nodes;
  if (!t.valid(node) || t[node].type != Sampler || t[node].device < 0 ||
      t[node].device >= samplerCount_)
    return true;
  ctx.views.treeCollapse(t[node].treeItem);
  removeChildren(ctx, node, true);
  const int slot = entries_[t[node].device].scsiSlot;
  const int adapter = ctx.scsi.scsiDevices[slot].adapter;
  const int target = ctx.scsi.scsiDevices[slot].target;
  AspiBeginCommand(ctx);
  if (listEveryNumber(node, adapter, target))
    return true;
  // Numbers not asked for may hold samples: the listing must not pass for
  // complete, or a transmission could replace one unasked.
  char text[80];
  std::snprintf(text, sizeof text, "Unable to list all samples of sampler (%d,%d)", adapter,
                target);
  AspiTell(ctx, text);
  return false;
}

bool SamplersDriver::listEveryNumber(int node, int adapter, int target) {
  LcdDisplay& lcd = ctx.lcd;
  if (!SmdiAbortProcedure(ctx, adapter, target) || SmdiAwaitReply(ctx, adapter, target) != kSmdiAck)
    return false;
  bool complete = true;
  int found = 0;
  std::uint16_t reply = 0;
  for (int i = 1; i <= kLastSample; ++i) {
    if (i % kPauseEvery == 1)
      ctx.host.sleep(kPauseMs);
    reply = 0;
    if (!SmdiRequestSampleHeader(ctx, adapter, target, static_cast<std::uint32_t>(i))) {
      // A request the sampler refused leaves its number unknown; one the
      // transport gave up on, after telling why, ends the listing, since the
      // remaining numbers would only fail the same way.
      if (ctx.scsi.told)
        return false;
      complete = false;
      continue;
    }
    reply = SmdiAwaitListedHeader(ctx, adapter, target);
    if (reply == kSmdiWait)
      return false;
    if (reply == kSmdiSampleHeader) {
      addSample(node, i);
      if (found++ == 0)
        ctx.views.treeExpand(ctx.nodes[node].treeItem, false);
    }
    lcd.LcdAdvanceProgress(1);
  }
  // The sampler keeps the last header's procedure open until told otherwise.
  if (reply == kSmdiSampleHeader && SmdiAbortProcedure(ctx, adapter, target))
    SmdiAwaitReply(ctx, adapter, target);
  return complete;
}

void SamplersDriver::addSample(int node, int number) {
  SmdiSampleHeaderReply h = SmdiReadSampleHeader(ctx);
  int sample = addNode(ctx, node, Sample, h.name);
  if (sample == 0)
    return;
  TreeNode& n = ctx.nodes[sample];
  n.sampleNumber = number;
  n.channels = h.channels;
  // A sampler's word count times its channels can pass 32 bits: the size
  // stays at the largest, never wraps to a small one.
  std::uint64_t bytes = std::uint64_t{h.length} * static_cast<std::uint32_t>(h.channels) * 2;
  n.size = bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(bytes);
  updateNodeRow(ctx, sample);
}
