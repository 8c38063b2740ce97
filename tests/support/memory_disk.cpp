#include "tests/support/memory_disk.h"

#include <algorithm>

#include "esifs/list_banks.h"
#include "tests/support/disk_check.h"

std::uint32_t MemoryDisk::serve(DiskOsRequest& r) {
  switch (r.cg1) {
    case ReadSectors:
    case WriteSectors: {
      std::uint32_t count = transferCount(r);
      if (count == 0)
        return DiskOsBufferTooSmall;
      if (logFails(r))
        return 0x04 | DiskOsTransferFailed;
      return copy(static_cast<std::uint32_t>(r.par0), count,
                  reinterpret_cast<std::uint8_t*>(r.bufI), r.cg1 == WriteSectors);
    }
    case ListBanks:
    case CountBanks: {
      // Listing reads the image directly: only the operations' own transfers
      // are counted and failed.
      SectorReader read = [this](std::uint32_t first, std::uint32_t count, std::uint8_t* buffer) {
        return copy(first, count, buffer, false);
      };
      std::uint8_t factor = 0;
      return r.cg1 == CountBanks ? CountDiskBanks(ctx, read) : ListDiskBanks(ctx, read, r, &factor);
    }
  }
  return FakeDriver::serve(r);
}

int FindBank(const Context& ctx, int device, int number) {
  for (int i = 1; i < ctx.nodes.count; ++i) {
    if (ctx.nodes[i].parent == device && ctx.nodes[i].type == Bank && ctx.nodes[i].number == number)
      return i;
  }
  return 0;
}

std::vector<int> DiskScenario::bankNumbers() const {
  std::vector<int> numbers;
  for (int i = 1; i < ctx.nodes.count; ++i) {
    if (node(i).parent == device && node(i).type == Bank)
      numbers.push_back(node(i).number);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::string LeftOver(const TestContext& tc, const std::vector<std::uint8_t>& disk) {
  bool open = tc.ctx.openFile != kNoFile || tc.files.openCount() != 0;
  return std::string(tc.ctx.busy ? "busy; " : "") + (open ? "open file; " : "") +
         (tc.ctx.lcd.LcdCurrentPage() != 0 ? "progress page; " : "") + CheckDiskConsistency(disk);
}
