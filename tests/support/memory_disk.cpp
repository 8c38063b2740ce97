#include "tests/support/memory_disk.h"

#include <algorithm>
#include <cstring>

#include "esifs/list_banks.h"
#include "tests/support/disk_check.h"

MemoryDisk::MemoryDisk(Context& ctx, std::vector<std::uint8_t>& image)
    : DiskOsDriver(ctx,
                   Register | Scan | QueryReadOnly | ReadSectors | WriteSectors | CountBanks |
                       ListBanks | DeviceCount,
                   GetCodeMask | GetSubCodeMask),
      image_(image) {}

int MemoryDisk::addDevice(int type, const char* name) {
  int n = addNode(ctx, node, type, name);
  ctx.nodes[n].diskOs = ownIndex();
  ctx.nodes[n].device = devices_++;
  addPlaceholder(ctx, n);
  return n;
}

std::uint32_t MemoryDisk::copy(std::uint32_t first, std::uint32_t count, std::uint8_t* buffer,
                               bool write) const {
  std::uint64_t at = std::uint64_t{first} * 512, n = std::uint64_t{count} * 512;
  if (at + n > image_.size())
    return 0x02 | DiskOsTransferFailed;
  if (write)
    std::memcpy(image_.data() + at, buffer, n);
  else
    std::memcpy(buffer, image_.data() + at, n);
  return 0;
}

std::uint32_t MemoryDisk::serve(DiskOsRequest& r) {
  switch (r.cg1) {
    case Register:
      node = addNode(ctx, ctx.nodes.rootIndex, DiskOsNode, "Memory disks");
      ctx.nodes[node].diskOs = ownIndex();
      return 0;
    case ReadSectors:
    case WriteSectors: {
      std::uint32_t count = transferCount(r);
      if (count == 0)
        return DiskOsBufferTooSmall;
      bool write = r.cg1 == WriteSectors;
      std::uint32_t first = static_cast<std::uint32_t>(r.par0);
      transfers.push_back(Transfer{write, first, count, ctx.lcd.LcdProgressEnd()});
      int& failAt = write ? failWriteAt : failReadAt;
      ++(write ? writes : reads);
      if (failAt > 0 && --failAt == 0)
        return 0x04 | DiskOsTransferFailed;
      return copy(first, count, reinterpret_cast<std::uint8_t*>(r.bufI), write);
    }
    case ListBanks:
    case CountBanks: {
      // Listing reads the image directly: only the operations' own transfers
      // are counted and failed.
      SectorReader read = [this](std::uint32_t first, std::uint32_t count, std::uint8_t* buffer) {
        return copy(first, count, buffer, false);
      };
      if (r.cg1 == CountBanks)
        return CountDiskBanks(ctx, read);
      std::uint8_t factor = 0;
      return ListDiskBanks(ctx, read, r, &factor);
    }
    case DeviceCount:
      return static_cast<std::uint32_t>(devices_);
  }
  return 0;
}

std::uint32_t MemoryDisk::serveSub(DiskOsRequest& r) {
  return r.cg2 == GetCodeMask ? 0xC00F0003u : 15u;
}

DiskScenario::DiskScenario(const EsiLayout& layout) : image(layout), driver(ctx, image.bytes) {
  tc.addRoot();
  RegisterDiskOs(ctx, driver);
  device = driver.addDevice(ImageFile, "Test disk");
  list();
}

void DiskScenario::list() {
  listDevice(ctx, device, false);
}

int FindBank(const Context& ctx, int device, int number) {
  const NodeTable& t = ctx.nodes;
  for (int i = 1; i < t.count; ++i) {
    if (t[i].parent == device && t[i].type == Bank && t[i].number == number)
      return i;
  }
  return 0;
}

std::vector<int> DiskScenario::bankNumbers() const {
  std::vector<int> numbers;
  const NodeTable& t = ctx.nodes;
  for (int i = 1; i < t.count; ++i) {
    if (t[i].parent == device && t[i].type == Bank)
      numbers.push_back(t[i].number);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::string LeftOver(const TestContext& tc, const std::vector<std::uint8_t>& disk) {
  const Context& ctx = tc.ctx;
  std::string left;
  if (ctx.busy)
    left += "busy; ";
  if (ctx.openFile != kNoFile || tc.files.openCount() != 0)
    left += "open file; ";
  if (ctx.lcd.LcdCurrentPage() != 0)
    left += "progress page; ";
  return left + CheckDiskConsistency(disk);
}
