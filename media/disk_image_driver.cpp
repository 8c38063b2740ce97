#include "media/disk_image_driver.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/context.h"
#include "esifs/list_banks.h"
#include "media/disk_image_file.h"
#include "media/image_file.h"

namespace {

constexpr std::uint32_t kCodeMask = 0xC00F001F;
constexpr std::uint32_t kSubCodeMask = 15;
constexpr const char* kVersionText = "Disk Image v1.0";
constexpr const char* kNodeText = "Disk image files";
constexpr const char* kScanText = "Locating disk image files";
const ImageListKey kList{"Disk images", "Files"};

constexpr const char* kAlreadyOpen = "This disk image file is already open";
constexpr const char* kUnopenable =
    "Unable to open the disk image file: it is missing, read-only or in use by another program";
constexpr const char* kNotEsiDisk = "The file holds no ESi disk that Korrin can use";
constexpr const char* kFull = "No more disk image files can be open";

// Windows names files without regard to case.
bool samePath(const char* a, const std::string& b) {
  std::size_t i = 0;
  for (; a[i] != 0 && i < b.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return a[i] == 0 && i == b.size();
}

}  // namespace

DiskImageDriver::DiskImageDriver(Context& context)
    : DiskOsDriver(context, kCodeMask, kSubCodeMask) {}

std::uint32_t DiskImageDriver::serve(DiskOsRequest& request) {
  switch (request.cg1) {
    case Register:
      return registerDriver();
    case Scan:
      return RunScanStep(ctx, kScanText, [this] { ScanImageList(); });
    case QueryReadOnly:
      return 0;
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
  auto read = [this, drv](std::uint32_t first, std::uint32_t n, std::uint8_t* buffer) {
    return readSectors(drv, first, n, buffer);
  };
  switch (request.cg1) {
    case RemoveDevice:
      removeDevice(drv);
      return 0;
    case CloseDevice:
      ctx.files.close(devices_[drv].file);
      devices_[drv].file = kNoFile;
      return 0;
    case ReadSectors:
      return transfer(request, false);
    case WriteSectors:
      return transfer(request, true);
    case CountBanks:
      return CountDiskBanks(ctx, read);
    case ListBanks:
      return ListDiskBanks(ctx, read, request, &devices_[drv].blockFactor);
    default:
      ReportDiskOsError(ctx, request);
      return DiskOsNotServed;
  }
}

std::uint32_t DiskImageDriver::serveSub(DiskOsRequest& request) {
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

std::uint32_t DiskImageDriver::registerDriver() {
  driverNode_ = RegisterDriverNode(ctx, ownIndex(), kVersionText, DiskOsNode, kNodeText, true);
  return 0;
}

void DiskImageDriver::ScanImageList() {
  RegKey key = OpenImageListKey(ctx, kList);
  listCount_ = ReadImageListCount(ctx, key, kList);
  int shown = std::min(listCount_, kMaxDiskImages);
  for (int k = 1; k <= listCount_ && deviceCount_ < kMaxDiskImages; ++k) {
    openImage(k, ReadImageListEntry(ctx, key, k));
    ctx.lcd.LcdAdvanceProgress(100 / shown - 1);
  }
  if (key != kNoKey)
    ctx.registry.closeKey(key);
}

bool DiskImageDriver::AddImageFile(const std::string& chosenName) {
  std::string path = ctx.files.fullPath(chosenName);
  RegKey key = OpenImageListKey(ctx, kList);
  // A registered image that did not open at start-up keeps its entry.
  int entry = listCount_ + 1;
  for (int k = 1; k <= listCount_; ++k) {
    if (samePath(ReadImageListEntry(ctx, key, k).c_str(), path))
      entry = k;
  }
  LcdDisplay& lcd = ctx.lcd;
  int page = lcd.LcdCurrentPage();
  lcd.LcdBeginProgress();
  lcd.LcdSetProgressRange(0, 2);
  Opened opened = entry <= kMaxListEntries ? openImage(entry, path) : Opened::Full;
  lcd.LcdSelectPage(page);
  if (opened == Opened::Yes && entry > listCount_) {
    InsertImageListEntryAt(ctx, key, kList, entry, listCount_, path);
    ++listCount_;
  }
  if (key != kNoKey)
    ctx.registry.closeKey(key);
  switch (opened) {
    case Opened::Yes:
      return true;
    case Opened::Unopenable:
      ctx.host.message(kUnopenable);
      break;
    case Opened::NotEsiDisk:
      ctx.host.message(kNotEsiDisk);
      break;
    case Opened::AlreadyOpen:
      ctx.host.message(kAlreadyOpen);
      break;
    case Opened::Full:
      ctx.host.message(kFull);
      break;
  }
  return false;
}

int DiskImageDriver::openDeviceOf(const std::string& path) const {
  for (int i = 0; i < deviceCount_; ++i) {
    if (samePath(devices_[i].path, path))
      return i;
  }
  return -1;
}

DiskImageDriver::Opened DiskImageDriver::openImage(int listEntry, const std::string& path) {
  if (deviceCount_ >= kMaxDiskImages)
    return Opened::Full;
  // The second of two entries naming one file would have both write it.
  if (openDeviceOf(path) >= 0)
    return Opened::AlreadyOpen;
  Files& files = ctx.files;
  FileHandle file = path.empty() || path.size() >= kImagePathSize
                        ? kNoFile
                        : files.open(path, FileOpen::ReadWriteExisting);
  if (file == kNoFile)
    return Opened::Unopenable;
  std::uint64_t diskSectors = 0;
  if (!CheckDiskImageFile(files, file, &diskSectors)) {
    files.close(file);
    return Opened::NotEsiDisk;
  }
  std::string name = ImageFileName(path);
  LcdDisplay& lcd = ctx.lcd;
  lcd.LcdSetCursor(0, 3);
  lcd.LcdPrint(name.c_str());
  ctx.host.sleep(50);
  lcd.LcdClearLine(3, false);
  lcd.LcdClearLine(4, false);
  DiskOsRequest add = makeSubRequest(AddDevice);
  add.par0 = static_cast<DiskOsWord>(file);
  add.par1 = reinterpret_cast<DiskOsWord>(path.c_str());
  add.par2 = reinterpret_cast<DiskOsWord>(name.c_str());
  add.diskOs = static_cast<DiskOsWord>(ownIndex());
  if (handle(add) != 0) {
    files.close(file);
    return Opened::Full;
  }
  DiskImageDevice& r = devices_[deviceCount_ - 1];
  r.diskSectors = diskSectors;
  r.listEntry = listEntry;
  return Opened::Yes;
}

void DiskImageDriver::removeDevice(int drv) {
  const int entry = devices_[drv].listEntry;
  std::copy(devices_ + drv + 1, devices_ + deviceCount_, devices_ + drv);
  devices_[--deviceCount_] = DiskImageDevice{};
  if (entry < 1 || entry > listCount_)
    return;
  RegKey key = OpenImageListKey(ctx, kList);
  if (key != kNoKey) {
    RemoveImageListEntryAt(ctx, key, kList, entry - 1, listCount_);
    ctx.registry.closeKey(key);
  }
  --listCount_;
  for (int i = 0; i < deviceCount_; ++i) {
    if (devices_[i].listEntry > entry)
      --devices_[i].listEntry;
  }
}

std::uint32_t DiskImageDriver::addDevice(const DiskOsRequest& request) {
  if (deviceCount_ >= kMaxDiskImages)
    return DiskOsNotServed;
  devices_[deviceCount_] = DiskImageDevice{};
  if (!TakeImageDevice(ctx, request, driverNode_, ownIndex(), deviceCount_,
                       &devices_[deviceCount_]))
    return DiskOsNotServed;
  ++deviceCount_;
  return 0;
}

std::uint32_t DiskImageDriver::deviceNames(const DiskOsRequest& request) {
  char* record = reinterpret_cast<char*>(request.par0);
  if (!record || !validDevice(request.drv)) {
    ReportDiskOsError(ctx, request);
    return DiskOsNotServed;
  }
  CopyImageDeviceNames(devices_[request.drv], record);
  return 0;
}

std::uint32_t DiskImageDriver::transfer(DiskOsRequest& request, bool write) {
  std::uint32_t n = transferCount(request);
  if (n == 0)
    return DiskOsBufferTooSmall;
  const DiskImageDevice& r = devices_[request.drv];
  std::uint8_t* buffer = reinterpret_cast<std::uint8_t*>(request.bufI);
  std::uint32_t first = static_cast<std::uint32_t>(request.par0);
  std::uint32_t result =
      write ? WriteDiskImageSectors(ctx.files, r.file, r.diskSectors, first, n, buffer)
            : ReadImageSectors(ctx.files, r.file, first, n, buffer);
  return result == 0 ? 0 : result | DiskOsTransferFailed;
}

std::uint32_t DiskImageDriver::readSectors(int drv, std::uint32_t first, std::uint32_t n,
                                           std::uint8_t* buffer) {
  std::uint32_t result = ReadImageSectors(ctx.files, devices_[drv].file, first, n, buffer);
  return result == 0 ? 0 : result | DiskOsTransferFailed;
}

DiskImageDriver* DiskImageDriverAt(Context& ctx, int slot) {
  if (slot < 0 || slot >= ctx.diskOses.count)
    return nullptr;
  return dynamic_cast<DiskImageDriver*>(ctx.diskOses.entries[slot].handler);
}
