#include "media/cd_image_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/context.h"
#include "esifs/list_banks.h"
#include "media/image_file.h"

namespace {

constexpr std::uint32_t kCodeMask = 0xC00F001F;
constexpr std::uint32_t kSubCodeMask = 15;
constexpr const char* kVersionText = "ISO Image  v1.0";
constexpr const char* kNodeText = "CD image files";
constexpr const char* kScanText = "Locating CD image files";
// String table entries naming the image list's key and its count value.
constexpr int kListKeyString = 300;
constexpr int kCountValueString = 301;

}  // namespace

CdImageDriver::CdImageDriver(Context& context) : DiskOsDriver(context, kCodeMask, kSubCodeMask) {}

std::uint32_t CdImageDriver::serve(DiskOsRequest& request) {
  switch (request.cg1) {
    case Register:
      return registerDriver();
    case Scan:
      return scan();
    case QueryReadOnly:
      return 0;  // images are always writable
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
  switch (request.cg1) {
    case RemoveDevice:
      std::copy(devices_ + drv + 1, devices_ + deviceCount_, devices_ + drv);
      devices_[--deviceCount_] = ImageDevice{};
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
      return CountDiskBanks(
          ctx, [this, drv](std::uint32_t first, std::uint32_t n, std::uint8_t* buffer) {
            return readSectors(drv, first, n, buffer);
          });
    case ListBanks:
      return ListDiskBanks(
          ctx,
          [this, drv](std::uint32_t first, std::uint32_t n, std::uint8_t* buffer) {
            return readSectors(drv, first, n, buffer);
          },
          request, &devices_[drv].blockFactor);
    default:
      ReportDiskOsError(ctx, request);
      return DiskOsNotServed;
  }
}

std::uint32_t CdImageDriver::serveSub(DiskOsRequest& request) {
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

std::uint32_t CdImageDriver::registerDriver() {
  driverNode_ = RegisterDriverNode(ctx, ownIndex(), kVersionText, DiskOsNode, kNodeText, true);
  return 0;
}

std::uint32_t CdImageDriver::scan() {
  return RunScanStep(ctx, kScanText, [this] { ScanImageList(); });
}

std::uint32_t CdImageDriver::addDevice(const DiskOsRequest& request) {
  // Declined without a dump: the list is full (OpenImageFile checks first).
  if (deviceCount_ >= kMaxImages)
    return DiskOsNotServed;
  devices_[deviceCount_] = ImageDevice{};
  if (!TakeImageDevice(ctx, request, driverNode_, ownIndex(), deviceCount_,
                       &devices_[deviceCount_]))
    return DiskOsNotServed;
  ++deviceCount_;
  return 0;
}

std::uint32_t CdImageDriver::deviceNames(const DiskOsRequest& request) {
  char* record = reinterpret_cast<char*>(request.par0);
  if (!record || !validDevice(request.drv)) {
    ReportDiskOsError(ctx, request);
    return DiskOsNotServed;
  }
  CopyImageDeviceNames(devices_[request.drv], record);
  return 0;
}

std::uint32_t CdImageDriver::transfer(DiskOsRequest& request, bool write) {
  std::uint32_t n = transferCount(request);
  if (n == 0)
    return DiskOsBufferTooSmall;
  const ImageDevice& r = devices_[request.drv];
  std::uint8_t* buffer = reinterpret_cast<std::uint8_t*>(request.bufI);
  std::uint32_t first = static_cast<std::uint32_t>(request.par0);
  std::uint32_t result = write ? WriteImageSectors(ctx.files, r.file, first, n, buffer)
                               : ReadImageSectors(ctx.files, r.file, first, n, buffer);
  return result == 0 ? 0 : result | DiskOsTransferFailed;
}

std::uint32_t CdImageDriver::readSectors(int drv, std::uint32_t first, std::uint32_t n,
                                         std::uint8_t* buffer) {
  std::uint32_t result = ReadImageSectors(ctx.files, devices_[drv].file, first, n, buffer);
  return result == 0 ? 0 : result | DiskOsTransferFailed;
}

ImageListKey CdImageDriver::listKey() {
  return ImageListKey{ctx.host.loadString(kListKeyString), ctx.host.loadString(kCountValueString)};
}

void CdImageDriver::ScanImageList() {
  const ImageListKey list = listKey();
  RegKey key = OpenImageListKey(ctx, list);
  // The whole stored list is kept, though only the first kMaxImages that
  // open are used: renumbering a clamped count would lose the entries past
  // it. A count beyond any real list is taken as no list at all.
  listCount_ = ReadImageListCount(ctx, key, list);
  // An entry that fails to open is removed and the next one moves into its
  // place, so i advances only past entries that stayed.
  for (int i = 1; i <= listCount_ && deviceCount_ < kMaxImages;) {
    std::string path = ReadImageListEntry(ctx, key, i);
    int before = listCount_;
    OpenImageFile(i - 1, path);
    if (listCount_ == before)
      ++i;
    int shown = std::min(listCount_, kMaxImages);
    if (shown > 0)
      ctx.lcd.LcdAdvanceProgress(100 / shown - 1);
  }
  if (key != kNoKey)
    ctx.registry.closeKey(key);
}

void CdImageDriver::OpenImageFile(int listIndex, const std::string& path) {
  Files& files = ctx.files;
  FileHandle file = kNoFile;
  if (deviceCount_ < kMaxImages && !path.empty()) {
    file = files.open(path, FileOpen::ReadWriteExisting);
  }
  if (file != kNoFile && !CheckImageFile(files, file)) {
    files.close(file);
    file = kNoFile;
  }
  if (file == kNoFile) {
    RemoveImageListEntry(listIndex);
    return;
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
    RemoveImageListEntry(listIndex);
  }
}

void CdImageDriver::RemoveImageListEntry(int listIndex) {
  if (listIndex < 0 || listIndex >= listCount_)
    return;
  const ImageListKey list = listKey();
  RegKey key = OpenImageListKey(ctx, list);
  if (key != kNoKey) {
    RemoveImageListEntryAt(ctx, key, list, listIndex, listCount_);
    ctx.registry.closeKey(key);
  }
  --listCount_;
}

void CdImageDriver::AddImageFile(const std::string& chosenName) {
  std::string path = ctx.files.fullPath(chosenName);
  if (listCount_ >= kMaxListEntries)
    return;
  // Entry k stands for device k - 1, so the new entry goes right after the
  // open images; registered images that were never opened move up one.
  int entry = deviceCount_ + 1;
  const ImageListKey list = listKey();
  RegKey key = OpenImageListKey(ctx, list);
  if (key != kNoKey) {
    InsertImageListEntryAt(ctx, key, list, entry, listCount_, path);
    ctx.registry.closeKey(key);
  }
  ++listCount_;
  LcdDisplay& lcd = ctx.lcd;
  int page = lcd.LcdCurrentPage();
  lcd.LcdBeginProgress();
  lcd.LcdSetProgressRange(0, 2);
  OpenImageFile(entry - 1, path);
  lcd.LcdSelectPage(page);
}

CdImageDriver* FindCdImageDriver(Context& ctx) {
  for (int i = 0; i < ctx.diskOses.count; ++i) {
    if (auto* driver = dynamic_cast<CdImageDriver*>(ctx.diskOses.entries[i].handler)) {
      return driver;
    }
  }
  return nullptr;
}
