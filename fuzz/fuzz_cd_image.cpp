// Feeds arbitrary bytes to the CD image driver as an image file: registers
// it, opens it as the start-up scan does and lists its banks into the tree.
// The input is laid out so that short inputs reach deep: a flags byte, the
// fields of the disk information sector, then the sectors from sector 1 on.
// Unless the flags say otherwise, sector 0 gets the magic and a valid
// checksum, so most inputs get past the disk check to the tables behind it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "esifs/disk_info.h"
#include "media/cd_image_driver.h"
#include "media/image_file.h"
#include "tests/support/test_context.h"

namespace {

void require(bool ok) {
  if (!ok)
    __builtin_trap();
}

const char* kPath = "C:\\fuzz.iso";
constexpr std::size_t kFieldsAt = 4;
constexpr std::size_t kFieldsSize = 0x2A - kFieldsAt;  // lastSector .. blockSizeShift

enum Flags : std::uint8_t {
  kWholeCdSectors = 1,  // round the length up to a multiple of 2048
  kNoFixUp = 2,         // leave the magic and checksum as they come
  kGapped = 4,          // store the gapped checksum rather than the v2 one
};

std::vector<std::uint8_t> imageFrom(const std::uint8_t* data, std::size_t size) {
  std::uint8_t flags = size ? data[0] : 0;
  const std::uint8_t* p = data + (size ? 1 : 0);
  std::size_t left = size ? size - 1 : 0;
  std::size_t fields = left < kFieldsSize ? left : kFieldsSize;
  std::vector<std::uint8_t> image(512 + (left - fields), 0);
  std::memcpy(&image[kFieldsAt], p, fields);
  if (left > fields)
    std::memcpy(&image[512], p + fields, left - fields);
  if (flags & kWholeCdSectors) {
    image.resize((image.size() + kCdSectorSize - 1) / kCdSectorSize * kCdSectorSize, 0);
  }
  if (!(flags & kNoFixUp)) {
    std::memcpy(image.data(), "EMU3", 4);
    StoreChecksum(image.data(), (flags & kGapped) ? DiskInfoChecksumGapped(image.data())
                                                  : DiskInfoChecksumV2(image.data()));
  }
  return image;
}

// One context for the whole run, emptied before each input: a fresh one
// would clear its whole node table every time.
TestContext& freshContext() {
  static TestContext* t = new TestContext;
  t->reset();
  return *t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TestContext& t = freshContext();
  Context& ctx = t.ctx;
  std::vector<std::uint8_t> image = imageFrom(data, size);
  t.files.data(kPath) = image;
  ctx.settingsKey = t.registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\0.10");
  RegKey list = t.registry.createKey(ctx.settingsKey, "ISO");
  t.registry.writeString(list, "1", kPath);
  t.registry.writeNumber(list, "Files", 1);
  t.registry.closeKey(list);

  t.addRoot();
  CdImageDriver driver(ctx);
  require(RegisterDiskOs(ctx, driver));
  ProbeDiskOses(ctx);
  require(driver.deviceCount() <= 1);
  if (driver.deviceCount() == 0)
    return 0;

  // Opening changes at most sector 0 (the clamp to a CD), never the length.
  const std::vector<std::uint8_t>& stored = t.files.data(kPath);
  require(stored.size() == image.size());
  require(std::memcmp(stored.data() + 512, image.data() + 512, image.size() - 512) == 0);

  int node = 0;
  for (int i = 1; i < ctx.nodes.count; ++i) {
    if (ctx.nodes[i].type == ImageFile)
      node = i;
  }
  require(node != 0);
  ctx.nodes.selectedNode = node;
  showNodeInList(ctx, node);
  int banks = 0;
  for (int i = 1; i < ctx.nodes.count; ++i) {
    if (ctx.nodes[i].parent == node && ctx.nodes[i].type == Bank)
      ++banks;
  }
  require(banks <= 100);
  require(t.views.listCount() == banks);

  DiskOsRequest count = makeRequest(CountBanks);
  count.diskOs = static_cast<DiskOsWord>(driver.ownIndex());
  SendDiskOs(ctx, count);
  require(t.files.data(kPath).size() == image.size());
  return 0;
}
