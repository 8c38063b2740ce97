#include "media/image_commands.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/context.h"
#include "esifs/keystream.h"
#include "media/cd_image_driver.h"
#include "media/image_file.h"

namespace {

constexpr int kTemplateId = 198;
// Where the creating program's version is stamped into a new image.
constexpr std::size_t kVersionAt = 992;
constexpr std::size_t kVersionSize = 4;
constexpr const char* kCreateFailed = "Unable to create ISO image file";

}  // namespace

bool AddImageFile(Context& ctx, const std::string& chosenName) {
  CdImageDriver* driver = FindCdImageDriver(ctx);
  if (!driver)
    return false;
  driver->AddImageFile(chosenName);
  return true;
}

bool CreateImageFile(Context& ctx, const std::string& chosenName) {
  Files& files = ctx.files;
  std::string path = files.fullPath(chosenName);
  // The template first, so that a missing one leaves any existing file alone.
  std::vector<std::uint8_t> image;
  if (!ctx.host.loadResource("ISO", kTemplateId, &image) || image.size() != kImageTemplateSize) {
    ctx.host.message(kCreateFailed);
    return false;
  }
  BankKeystream(image.data(), kImageTemplateSize, 0);
  std::memcpy(image.data(), "EMU", 3);
  std::uint8_t* stamp = image.data() + kVersionAt;
  std::memset(stamp, 0, 2 * kVersionSize);
  std::memcpy(stamp, ctx.versionNumberText.data(),
              std::min(kVersionSize, ctx.versionNumberText.size()));

  FileHandle file = files.open(path, FileOpen::CreateAlways);
  if (file == kNoFile) {
    ctx.host.message(kCreateFailed);
    return false;
  }
  static const std::uint8_t zeros[512] = {};
  bool ok = files.write(file, image.data(), kImageTemplateSize);
  for (std::uint32_t length = kImageTemplateSize; ok && length % kCdSectorSize != 0;
       length += sizeof zeros) {
    ok = files.write(file, zeros, sizeof zeros);
  }
  files.close(file);
  if (!ok) {
    // A half-written image would only be dropped from the list unexplained.
    files.remove(path);
    ctx.host.message(kCreateFailed);
  }
  return ok;
}

void RemoveImageCommand(Context& ctx, int target) {
  NodeTable& nodes = ctx.nodes;
  ctx.busy = 1;
  int diskOsNode =
      nodes.valid(target) && nodes[target].type == ImageFile ? findDiskOsNode(ctx, target) : 0;
  if (diskOsNode == 0) {
    ctx.busy = 0;
    return;
  }
  const int device = nodes[target].device;
  const int slot = nodes[diskOsNode].diskOs;
  if (slot < 0 || slot >= ctx.diskOses.count) {
    ctx.busy = 0;
    return;
  }
  DiskOsRequest request = makeRequest(CloseDevice, static_cast<DiskOsWord>(device));
  request.diskOs = static_cast<DiskOsWord>(slot);
  if (SendDiskOs(ctx, request) != 0) {
    ctx.busy = 0;
    return;
  }
  request.cg1 = RemoveDevice;
  SendDiskOs(ctx, request);
  auto* driver = dynamic_cast<CdImageDriver*>(ctx.diskOses.entries[slot].handler);
  if (driver)
    driver->RemoveImageListEntry(device);
  removeNode(ctx, target, true);
  ctx.busy = 0;
}
