#include "media/floppy_driver.h"

#include <cstdio>

#include "core/context.h"

namespace {

constexpr std::uint32_t kCodeMask = 0xC0030003;
constexpr std::uint32_t kSubCodeMask = 15;
constexpr const char* kVersionText = "Floppy disk v1.0";
constexpr const char* kNodeText = "Floppy drives";
constexpr const char* kScanText = "Scanning floppy drives";
constexpr const char* kImageFilesText = "Floppy image files";

constexpr int kSectorsPerTrack = 18;
constexpr std::uint32_t kTrackBytes = kSectorsPerTrack * kSectorSize;
constexpr int kSectorsPerCylinder = 2 * kSectorsPerTrack;
constexpr std::uint32_t kWriteFailed = 0x8000;
constexpr int kAttempts = 5;
// "Disk changed" answers are retried without counting as failures, but a
// drive that gives nothing else must not hold the worker for ever.
constexpr int kMaxDiskChangedRetries = 16;
constexpr std::uint32_t kDiskChanged = 0x0600;

FloppyDriver* floppyDriverAt(Context& ctx, int slot) {
  if (slot < 0 || slot >= ctx.diskOses.count)
    return nullptr;
  return dynamic_cast<FloppyDriver*>(ctx.diskOses.entries[slot].handler);
}

}  // namespace

FloppyDriver::FloppyDriver(Context& context) : DiskOsDriver(context, kCodeMask, kSubCodeMask) {}

std::uint32_t FloppyDriver::serve(DiskOsRequest& request) {
  switch (request.cg1) {
    case Register:
      return registerDriver();
    case Scan:
      return scan();
    case QueryReadOnly:
      return 0;
    case DeviceCount:
      return static_cast<std::uint32_t>(deviceCount_);
    case WriteSectors:
      if (validDevice(request.drv))
        return writeCylinder(request);
      break;
    default:
      break;
  }
  ReportDiskOsError(ctx, request);
  return DiskOsNotServed;
}

std::uint32_t FloppyDriver::serveSub(DiskOsRequest& request) {
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

std::uint32_t FloppyDriver::registerDriver() {
  driverNode_ =
      RegisterDriverNode(ctx, ownIndex(), kVersionText, FloppyDiskOsNode, kNodeText, false);
  return 0;
}

std::uint32_t FloppyDriver::scan() {
  return RunScanStep(ctx, kScanText, [this] {
    ScanFloppyDrives();
    if (driverNode_ == 0)
      return;
    int node = addNode(ctx, driverNode_, FloppyDrive, kImageFilesText);
    if (node != 0) {
      ctx.nodes[node].device = kFloppyImageFilesDevice;
      ctx.nodes[node].diskOs = ownIndex();
      ctx.nodes[node].ready = 1;
    }
  });
}

void FloppyDriver::ScanFloppyDrives() {
  std::uint32_t mask = ctx.floppyBios ? ctx.floppyBios->logicalDrives() : 0;
  for (int drive = 0; drive < kMaxFloppyDrives; ++drive) {
    if (mask & (1u << drive))
      AddFloppyDrive(drive);
    ctx.lcd.LcdAdvanceProgress(40);
  }
}

void FloppyDriver::AddFloppyDrive(int drive) {
  char text[] = "Drive X";
  text[6] = static_cast<char>('A' + drive);
  LcdDisplay& lcd = ctx.lcd;
  lcd.LcdSetCursor(0, 3);
  lcd.LcdPrint(text);
  ctx.host.sleep(50);
  lcd.LcdClearLine(3, false);
  lcd.LcdClearLine(4, false);
  DiskOsRequest add = makeSubRequest(AddDevice);
  add.diskOs = static_cast<DiskOsWord>(ownIndex());
  add.par0 = static_cast<DiskOsWord>(drive);
  add.par1 = reinterpret_cast<DiskOsWord>(text);
  add.par2 = reinterpret_cast<DiskOsWord>(text);
  SendDiskOs(ctx, add);
}

std::uint32_t FloppyDriver::addDevice(const DiskOsRequest& request) {
  const char* path = reinterpret_cast<const char*>(request.par1);
  const char* name = reinterpret_cast<const char*>(request.par2);
  if (deviceCount_ >= kMaxFloppyDrives || !path || !name || request.par0 >= kMaxFloppyDrives)
    return DiskOsNotServed;
  FloppyDevice& r = devices_[deviceCount_];
  r = FloppyDevice{};
  r.diskOs = ownIndex();
  r.drive = static_cast<int>(request.par0);
  std::snprintf(r.path, sizeof r.path, "%s", path);
  std::snprintf(r.displayName, sizeof r.displayName, "%s", name);
  r.node = addNode(ctx, driverNode_, FloppyDrive, r.displayName);
  if (r.node != 0) {
    ctx.nodes[r.node].device = deviceCount_;
    ctx.nodes[r.node].ready = 1;
    ctx.nodes[r.node].diskOs = ownIndex();
  }
  ++deviceCount_;
  return 0;
}

std::uint32_t FloppyDriver::deviceNames(const DiskOsRequest& request) {
  char* record = reinterpret_cast<char*>(request.par0);
  if (!record || !validDevice(request.drv)) {
    ReportDiskOsError(ctx, request);
    return DiskOsNotServed;
  }
  const FloppyDevice& r = devices_[request.drv];
  std::snprintf(record + 12, kFloppyNameSize, "%s", r.path);
  std::snprintf(record + 272, kFloppyNameSize, "%s", r.displayName);
  return 0;
}

std::uint32_t FloppyDriver::writeCylinder(DiskOsRequest& request) {
  // The transfer is always one whole cylinder, whatever the count: the buffer
  // must hold it all, not only the sectors the count names.
  if (transferCount(request) == 0 || request.bIsz < kFloppyCylinderBytes)
    return DiskOsBufferTooSmall;
  std::uint32_t cylinder = static_cast<std::uint32_t>(request.par0) / kSectorsPerCylinder;
  // The BIOS keeps only 8 bits of the cylinder: a larger number would land
  // on a cylinder near the start of the disk.
  if (cylinder >= kFloppyCylinders)
    return kWriteFailed | DiskOsTransferFailed;
  const auto* buffer = reinterpret_cast<const std::uint8_t*>(request.bufI);
  int drive = devices_[request.drv].drive;
  int c = static_cast<int>(cylinder);
  std::uint32_t result = BiosWriteSectors(drive, c, 0, 1, kSectorsPerTrack, buffer);
  if (result == 0)
    result = BiosWriteSectors(drive, c, 1, 1, kSectorsPerTrack, buffer + kTrackBytes);
  return result == 0 ? 0 : result | DiskOsTransferFailed;
}

std::uint32_t FloppyDriver::BiosWriteSectors(int drive, int cylinder, int head, int firstSector,
                                             int count, const std::uint8_t* buffer) {
  if (!ctx.floppyBios)
    return kWriteFailed;
  int failures = 0;
  int diskChanged = 0;
  for (;;) {
    FloppyBiosResult r =
        ctx.floppyBios->writeTrack(drive, cylinder, head, firstSector, count, buffer);
    if (!r.called)
      return kWriteFailed;
    if (!r.carry)
      return 0;
    if (r.eax == kDiskChanged && diskChanged < kMaxDiskChangedRetries) {
      ++diskChanged;
      continue;
    }
    if (++failures >= kAttempts)
      return kWriteFailed;
  }
}

bool WriteFloppyCylinder(Context& ctx, int diskOs, int device, int cylinder,
                         const std::uint8_t* buffer) {
  DiskOsRequest write = makeRequest(WriteSectors, static_cast<DiskOsWord>(device));
  write.diskOs = static_cast<DiskOsWord>(diskOs);
  write.par0 = static_cast<DiskOsWord>(kSectorsPerCylinder * cylinder);
  write.par1 = kSectorsPerCylinder;
  write.bufI = reinterpret_cast<DiskOsWord>(buffer);
  write.bIsz = kFloppyCylinderBytes;
  return SendDiskOs(ctx, write) == 0;
}

FloppyOpen OpenFloppyDevice(Context& ctx, int diskOs, int device) {
  FloppyDriver* driver = floppyDriverAt(ctx, diskOs);
  if (!ctx.floppyBios || !driver || device < 0 || device >= driver->deviceCount())
    return FloppyOpen::Failed;
  return ctx.floppyBios->open(driver->device(device).drive);
}

void CloseFloppyDevice(Context& ctx) {
  if (ctx.floppyBios)
    ctx.floppyBios->close();
}

bool IsFloppyImageFilesNode(const Context& ctx, int node) {
  return ctx.nodes.valid(node) && ctx.nodes[node].type == FloppyDrive &&
         ctx.nodes[node].device == kFloppyImageFilesDevice;
}
