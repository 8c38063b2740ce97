#include "esifs/list_banks.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/context.h"
#include "esifs/bank_index.h"
#include "esifs/disk_info.h"

bool IsListableDisk(const std::uint8_t* sector0) {
  if (!IsEsiDiskInfo(sector0))
    return false;
  return BlockSectors(ReadDiskInfo(sector0)) != 0;
}

std::uint32_t IndexSectorsToVisit(const std::uint8_t* sector0) {
  DiskInfo d = ReadDiskInfo(sector0);
  if (d.bankIndexSector > d.lastSector)
    return 0;
  std::uint64_t onDisk = static_cast<std::uint64_t>(d.lastSector) - d.bankIndexSector + 1;
  std::uint64_t count = std::min<std::uint64_t>(d.bankIndexCount, onDisk);
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, kMaxListedIndexSectors));
}

namespace {

// A device node that bank nodes may be created under; anything else creates none.
int deviceNodeOf(const Context& ctx, DiskOsWord word) {
  if (word > static_cast<DiskOsWord>(kMaxNodes))
    return 0;
  int node = static_cast<int>(word);
  return ctx.nodes.valid(node) && isDeviceType(ctx.nodes[node].type) ? node : 0;
}

// Empties the device node: its placeholder (or old banks) go.
void clearDeviceNode(Context& ctx, int node) {
  ctx.views.treeCollapse(ctx.nodes[node].treeItem);
  removeChildren(ctx, node, true);
}

void addBank(Context& ctx, int device, const std::uint8_t* entry, std::uint32_t blockSectors) {
  BankEntry e = DecodeBankEntry(entry);
  std::string label = BankDisplayName(e.name);
  int bank = addBankNode(ctx, device, label.c_str(), e.number);
  if (bank == 0)
    return;  // table full
  TreeNode& n = ctx.nodes[bank];
  n.bankWord = swap16(e.firstBlock);
  n.size = DecodeBankSize(e, blockSectors);
  updateNodeRow(ctx, bank);
}

}  // namespace

std::uint32_t ListDiskBanks(Context& ctx, const SectorReader& read, DiskOsRequest& request,
                            std::uint8_t* blockFactor) {
  LcdDisplay& lcd = ctx.lcd;
  const int device = deviceNodeOf(ctx, request.par3);
  const DiskOsWord lowest = request.par0;
  const DiskOsWord highest = request.par1;
  std::uint8_t* out = reinterpret_cast<std::uint8_t*>(request.bufI);
  const std::uint32_t room =
      out ? static_cast<std::uint32_t>(request.bIsz / static_cast<DiskOsWord>(kBankEntrySize)) : 0;
  std::uint32_t found = 0;
  int banksAdded = 0;

  lcd.LcdSetProgressRange(0, 100);
  lcd.LcdAdvanceProgress(1);
  std::uint8_t* sector = ctx.sectorBuffer;
  if (read(0, 1, sector) == 0 && IsListableDisk(sector)) {
    DiskInfo d = ReadDiskInfo(sector);
    std::uint8_t factor = static_cast<std::uint8_t>(1u << (d.blockSizeCode - 1));
    *blockFactor = factor;
    if (device != 0) {
      std::memcpy(ctx.nodes[device].diskInfo, sector, kDiskInfoSize);
      ctx.nodes[device].blockFactor = factor;
    }
    const std::uint32_t blockSectors = 128u * factor;
    const std::uint32_t sectors = IndexSectorsToVisit(sector);
    lcd.LcdSetProgressRange(0, static_cast<int>(sectors));
    bool full = found >= room;
    for (std::uint32_t k = 0; k < sectors && !full; ++k) {
      if (read(d.bankIndexSector + k, 1, sector) != 0) {
        request.par2 = found;
        return DiskOsIndexReadFailed;
      }
      if (EndsBankListing(sector)) {
        lcd.LcdAdvanceProgress(lcd.LcdProgressEnd() - lcd.LcdProgressPosition());
        break;
      }
      for (int i = 0; i < kEntriesPerSector && !full; ++i) {
        const std::uint8_t* entry = sector + i * kBankEntrySize;
        if (!IsEntryInUse(entry))
          continue;
        std::uint16_t number = EntryNumber(entry);
        if (number < lowest || number > highest)
          continue;
        std::memcpy(out + static_cast<std::size_t>(found) * kBankEntrySize, entry, kBankEntrySize);
        full = ++found >= room;
        if (device != 0) {
          if (banksAdded == 0)
            clearDeviceNode(ctx, device);
          addBank(ctx, device, entry, blockSectors);
          if (banksAdded++ == 0)
            ctx.views.treeExpand(ctx.nodes[device].treeItem, false);
        }
        lcd.LcdExtendProgress(1);
        lcd.LcdAdvanceProgress(1);
      }
      lcd.LcdAdvanceProgress(1);
    }
  }
  request.par2 = found;
  if (device != 0 && banksAdded == 0)
    clearDeviceNode(ctx, device);
  return DiskOsOk;
}

std::uint32_t CountDiskBanks(Context& ctx, const SectorReader& read) {
  std::uint8_t* sector = ctx.sectorBuffer;
  if (read(0, 1, sector) != 0)
    return 0;
  DiskInfo d = ReadDiskInfo(sector);
  const std::uint32_t sectors = IndexSectorsToVisit(sector);
  std::uint32_t banks = 0;
  for (std::uint32_t k = 0; k < sectors; ++k) {
    if (read(d.bankIndexSector + k, 1, sector) != 0)
      return 0;
    for (int i = 0; i < kEntriesPerSector; ++i) {
      if (IsBankEntry(sector + i * kBankEntrySize))
        ++banks;
    }
  }
  return banks;
}
