#include "scsi/scsi_disk_driver.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/context.h"
#include "esifs/disk_info.h"
#include "esifs/list_banks.h"
#include "scsi/aspi_transport.h"

namespace {

constexpr std::uint32_t kCodeMask = 0xC08F0003;
constexpr std::uint32_t kSubCodeMask = 15;
constexpr const char* kVersionText = "SCSI Disk  v1.0";
constexpr const char* kNodeText = "SCSI Disks";
constexpr const char* kScanText = "Scanning SCSI disks";
// The disk scan leaves the last record of the unit table to the sampler scan.
constexpr int kDiskScanRecords = kMaxScsiDevices - 1;
constexpr int kNamesDescriptionAt = 12;
constexpr int kNamesDisplayAt = 272;
constexpr int kVendorLength = 8;
constexpr int kProductLength = 16;
constexpr std::uint8_t kDirectAccess = 0;
constexpr std::uint8_t kCdRom = 5;
constexpr std::uint8_t kOpticalMemory = 7;

// Text of fixed length from a device, cut at the first zero byte and trimmed.
void copyIdText(char* out, const std::uint8_t* bytes, int length) {
  std::memcpy(out, bytes, static_cast<std::size_t>(length));
  out[length] = '\0';
  TrimTrailingBlanks(out);
}

}  // namespace

ScsiDiskDriver::ScsiDiskDriver(Context& context) : DiskOsDriver(context, kCodeMask, kSubCodeMask) {}

ScsiDevice& ScsiDiskDriver::unitOf(int drv) {
  return ctx.scsi.scsiDevices[entries_[drv].scsiSlot];
}

std::uint32_t ScsiDiskDriver::serve(DiskOsRequest& request) {
  switch (request.cg1) {
    case Register:
      return registerDriver();
    case Scan:
      return scan();
    case DeviceCount:
      return static_cast<std::uint32_t>(deviceCount_);
    default:
      break;
  }
  if (!validDevice(request.drv)) {
    ReportDiskOsError(ctx, request);
    return DiskOsNotServed;
  }
  const int drv = static_cast<int>(request.drv);
  SectorReader read = [this, drv](std::uint32_t first, std::uint32_t n, std::uint8_t* buffer) {
    return readOwn(drv, first, n, buffer);
  };
  switch (request.cg1) {
    case QueryReadOnly:
      return static_cast<std::uint32_t>(unitOf(drv).readOnly);
    case ReadSectors:
    case WriteSectors: {
      std::uint32_t n = transferCount(request);
      if (n == 0)
        return DiskOsBufferTooSmall;
      return transfer(drv, request.cg1 == WriteSectors, static_cast<std::uint32_t>(request.par0), n,
                      reinterpret_cast<std::uint8_t*>(request.bufI));
    }
    case CountBanks:
      return CountDiskBanks(ctx, read);
    case ListBanks:
      return ListDiskBanks(ctx, read, request, &entries_[drv].blockFactor);
    default:
      ReportDiskOsError(ctx, request);
      return DiskOsNotServed;
  }
}

std::uint32_t ScsiDiskDriver::serveSub(DiskOsRequest& request) {
  switch (request.cg2) {
    case AddDevice:
      return addDevice(request);
    case GetDeviceNames:
      return deviceNames(request);
    default:
      ReportDiskOsError(ctx, request);
      return DiskOsNotServed;
  }
}

std::uint32_t ScsiDiskDriver::transfer(int drv, bool write, std::uint32_t first,
                                       std::uint32_t count, std::uint8_t* buffer) {
  ScsiDevice& unit = unitOf(drv);
  std::uint32_t result = write ? ScsiWriteSectors(ctx, unit, first, count, buffer)
                               : ScsiReadSectors(ctx, unit, first, count, buffer);
  return result == 0 ? 0 : result | DiskOsTransferFailed;
}

std::uint32_t ScsiDiskDriver::readOwn(int drv, std::uint32_t first, std::uint32_t count,
                                      std::uint8_t* buffer) {
  DiskOsRequest read = makeRequest(ReadSectors, static_cast<DiskOsWord>(drv));
  read.par0 = first;
  read.par1 = count;
  read.bufI = reinterpret_cast<DiskOsWord>(buffer);
  read.bIsz = sizeof ctx.sectorBuffer;
  read.diskOs = static_cast<DiskOsWord>(ownIndex());
  return handle(read);
}

std::uint32_t ScsiDiskDriver::registerDriver() {
  driverNode_ = RegisterDriverNode(ctx, ownIndex(), kVersionText, DiskOsNode, kNodeText, false);
  return 0;
}

std::uint32_t ScsiDiskDriver::scan() {
  return RunScanStep(ctx, kScanText, [this] { ScanScsiDisks(); });
}

void ScsiDiskDriver::ScanScsiDisks() {
  ForEachScsiTarget(ctx, [this](int adapter, int target) { ProbeScsiUnit(adapter, target); });
}

void ScsiDiskDriver::ProbeScsiUnit(int adapter, int target) {
  ScsiUnits& scsi = ctx.scsi;
  if (scsi.scsiDeviceCount >= kDiskScanRecords || !AspiInquiry(ctx, adapter, target))
    return;
  const std::uint8_t* data = scsi.blocks->inquiryData;
  ScsiDevice& unit = scsi.scsiDevices[scsi.scsiDeviceCount];
  unit.deviceType = data[0];
  unit.removable = data[1] == 0x80 ? 1 : 0;
  unit.adapter = adapter;
  unit.target = target;
  unit.lun = -1;
  unit.readOnly = 0;
  unit.blocks2048 = 0;
  unit.isSampler = 0;
  switch (unit.deviceType) {
    case kDirectAccess:
    case kOpticalMemory:
      break;
    case kCdRom:
      unit.readOnly = 1;
      unit.blocks2048 = 1;
      break;
    default:
      return;
  }
  copyIdText(unit.vendor, data + 8, kVendorLength);
  copyIdText(unit.product, data + 16, kProductLength);
  std::string description = std::string(unit.vendor) + " " + unit.product;
  if (unit.vendor[0] == '\0' && unit.product[0] == '\0')
    description = "<no device name>";
  std::snprintf(unit.description, sizeof unit.description, "%s", description.c_str());

  LcdDisplay& lcd = ctx.lcd;
  char id[32];
  std::snprintf(id, sizeof id, "SCSI ID: %d,%d", adapter, target);
  lcd.LcdSetCursor(0, 3);
  lcd.LcdPrint(id);
  lcd.LcdNewLine();
  lcd.LcdPrint(unit.description);
  ctx.host.sleep(50);
  lcd.LcdClearLine(3, false);
  lcd.LcdClearLine(4, false);

  // Vendor and product travel four characters to a word, first character in
  // the most significant byte, padded with zero bytes.
  std::uint8_t text[kVendorLength + kProductLength] = {};
  std::memcpy(text, unit.vendor, std::strlen(unit.vendor));
  std::memcpy(text + kVendorLength, unit.product, std::strlen(unit.product));
  DiskOsWord words[6] = {};
  for (int i = 0; i < 24; ++i)
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
  add.par8 = static_cast<DiskOsWord>(unit.removable);
  add.par9 = unit.deviceType;
  add.diskOs = static_cast<DiskOsWord>(ownIndex());
  SendDiskOs(ctx, add);
  ++scsi.scsiDeviceCount;
}

std::uint32_t ScsiDiskDriver::addDevice(const DiskOsRequest& request) {
  ScsiUnits& scsi = ctx.scsi;
  if (deviceCount_ >= kMaxScsiDevices || scsi.scsiDeviceCount >= kMaxScsiDevices)
    return 0;
  const int d = deviceCount_;
  const int slot = scsi.scsiDeviceCount;
  const ScsiDevice& unit = scsi.scsiDevices[slot];
  std::uint8_t text[kVendorLength + kProductLength];
  const DiskOsWord words[6] = {request.par2, request.par3, request.par4,
                               request.par5, request.par6, request.par7};
  for (int i = 0; i < 24; ++i)
    text[i] = static_cast<std::uint8_t>(words[i / 4] >> (8 * (3 - i % 4)));
  char vendor[kVendorLength + 1], product[kProductLength + 1];
  copyIdText(vendor, text, kVendorLength);
  copyIdText(product, text + kVendorLength, kProductLength);

  ScsiDiskEntry& e = entries_[d];
  e = ScsiDiskEntry{};
  std::snprintf(e.description, sizeof e.description, "%s %s", vendor, product);
  std::snprintf(e.displayName, sizeof e.displayName, "%s %s (%d, %d)", vendor, product,
                unit.adapter, unit.target);
  e.removable = request.par8 != 0 ? 1 : 0;
  e.scsiSlot = slot;

  int type = unit.blocks2048 ? CdRomDrive : RemovableDisk;
  if (!e.removable) {
    // A fixed disk is shown only when it holds an ESi disk.
    std::uint8_t* sector = ctx.sectorBuffer;
    if (transfer(d, false, 0, 1, sector) != 0)
      return 0;
    // Only a sector that already checks out is rewritten: a damaged one
    // stays as it is and the disk is not shown.
    if (IsEsiDiskInfo(sector) && !IsV2Compatible(sector))
      offerV2Conversion(d, sector);
    if (!IsEsiDiskInfo(sector))
      return 0;
    type = FixedDisk;
  }
  e.node = addNode(ctx, driverNode_, type, e.displayName);
  if (e.node != 0) {
    TreeNode& n = ctx.nodes[e.node];
    n.device = d;
    n.diskOs = ownIndex();
    n.scsiSlot = slot;
    addPlaceholder(ctx, e.node);
  }
  ++deviceCount_;
  return 0;
}

void ScsiDiskDriver::offerV2Conversion(int drv, std::uint8_t* sector) {
  // A unit that cannot be written cannot be converted; asking would only
  // lead to the failure message.
  if (unitOf(drv).readOnly)
    return;
  std::string question = "The following drive is not backwards compatible with ESi OS v2.\r\n\r\n" +
                         std::string(entries_[drv].displayName) +
                         "\r\n\r\nKorrin will now make the drive backwards compatible";
  if (!ctx.host.askOkCancelSystemModal(question))
    return;
  ConvertToV2Checksum(sector);
  if (transfer(drv, true, 0, 1, sector) != 0)
    ctx.host.errorSystemModal("Unable to make drive backwards compatible");
}

std::uint32_t ScsiDiskDriver::deviceNames(const DiskOsRequest& request) {
  char* record = reinterpret_cast<char*>(request.par0);
  if (!record || !validDevice(request.drv)) {
    ReportDiskOsError(ctx, request);
    return DiskOsNotServed;
  }
  const ScsiDiskEntry& e = entries_[request.drv];
  std::snprintf(record + kNamesDescriptionAt, kScsiDescriptionSize, "%s", e.description);
  // The caller's field holds 260 characters; a display name is far shorter.
  std::snprintf(record + kNamesDisplayAt, kScsiDescriptionSize, "%.259s", e.displayName);
  return 0;
}
