#include "esifs/bank_edit.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "core/context.h"
#include "esifs/bank_disk.h"
#include "esifs/bank_index.h"
#include "esifs/bat.h"
#include "esifs/chain.h"

static const char* const kIndexReadError = "Error reading Bank Index Table";
static const char* const kIndexWriteError = "Error writing Bank Index";
static const char* const kNotFound = "Couldn't locate bank on disk";

static bool isBankNode(const Context& ctx, int node) {
  return ctx.nodes.valid(node) && ctx.nodes[node].type == Bank;
}

static std::uint16_t firstBlockOf(const TreeNode& bank) {
  return swap16(bank.bankWord);
}

static std::uint16_t entryFirstBlock(const std::uint8_t* entry) {
  return DecodeBankEntry(entry).firstBlock;
}

// One pass over the Bank Index, a sector at a time: edit changes a sector's
// entries and answers whether it did; a changed sector (with everySector,
// every sector) is written back at once. The bar advances one per read and
// per write. False after a message; *changed tells whether any entry changed.
static bool editIndex(Context& ctx, const BankDisk& disk, bool everySector,
                      const std::function<bool(std::uint8_t* entry)>& edit, bool* changed) {
  std::uint8_t* sector = ctx.sectorBuffer;
  *changed = false;
  for (std::uint32_t k = 0; k < disk.info().bankIndexCount; ++k) {
    if (!disk.readIndex(k, sector)) {
      ctx.host.message(kIndexReadError);
      return false;
    }
    ctx.lcd.LcdAdvanceProgress(1);
    bool match = false;
    for (int e = 0; e < kEntriesPerSector; ++e)
      match = edit(sector + e * kBankEntrySize) || match;
    *changed = *changed || match;
    if (!match && !everySector)
      continue;
    if (!disk.writeIndex(k, sector)) {
      ctx.host.message(kIndexWriteError);
      return false;
    }
    ctx.lcd.LcdAdvanceProgress(1);
  }
  return true;
}

// The disk part of a delete. Nothing is written unless the table was read,
// the chain is sound and an entry was found; the entries go before the blocks.
static void deleteOnDisk(Context& ctx, const BankDisk& disk, std::uint16_t first, int number,
                         std::uint32_t size) {
  LcdDisplay& lcd = ctx.lcd;
  const DiskInfo& d = disk.info();
  std::uint32_t blockSectors = disk.blockSectors() ? disk.blockSectors() : 1;
  lcd.LcdSetProgressRange(0, ProgressTotal(std::uint64_t{d.bankIndexCount} +
                                           size / 512 / blockSectors + 2ull * d.batCount + 1));
  lcd.LcdAdvanceProgress(1);
  lcd.LcdSetCursor(0, 0);
  lcd.LcdPrint("Reading Bank Allocation Table");
  std::vector<std::uint8_t> batBytes(kMaxBatSectors * 512);
  if (!disk.loadBat(batBytes.data()))
    return;
  Bat bat(batBytes.data(), d.batCount);
  // Freeing a block that another bank's chain shares would give it away to
  // the next import.
  std::vector<std::uint16_t> chainStarts;
  for (std::uint32_t k = 0; k < d.bankIndexCount; ++k) {
    if (!disk.readIndex(k, ctx.sectorBuffer)) {
      ctx.host.message(kIndexReadError);
      return;
    }
    AddChainStarts(ctx.sectorBuffer, &chainStarts);
  }
  if (!ChainsAreSound(bat, d.blockCount, chainStarts)) {
    ctx.host.message(kDamagedTable);
    return;
  }
  // A chain that loops or leaves the disk would free blocks of other banks.
  if (FreeChain(bat, first, d.blockCount) != ChainStatus::Ok) {
    ctx.host.message(kDamagedChain);
    return;
  }

  ShowStatus(ctx, "Updating Bank Index Table");
  // Entries not in use that name the chain are cleared too; one in use under
  // another number is another bank (empty chains all start at 0x7FFF). Only
  // the bank's own entry lets the blocks go: a stale entry may name a chain
  // that another bank took since the listing.
  bool found = false, changed = false;
  auto clear = [first, number, &found](std::uint8_t* entry) {
    bool inUse = IsEntryInUse(entry);
    if (entryFirstBlock(entry) != first || (inUse && EntryNumber(entry) != number))
      return false;
    found = found || inUse;
    entry[26] = 0;
    entry[27] = 0;
    return true;
  };
  if (!editIndex(ctx, disk, false, clear, &changed))
    return;
  if (!found)
    ctx.host.message(kNotFound);
  ShowStatus(ctx, "Updating Bank Allocation Table");
  if (found && !disk.writeBat(batBytes.data()))
    ctx.host.message(kBatError);
}

void DeleteBank(Context& ctx, int bankNode) {
  if (!isBankNode(ctx, bankNode)) {
    ctx.busy = 0;
    return;
  }
  LcdDisplay& lcd = ctx.lcd;
  int page = lcd.LcdCurrentPage();
  lcd.LcdBeginProgress();
  BankDisk disk(ctx, bankNode);
  if (disk.found())
    deleteOnDisk(ctx, disk, firstBlockOf(ctx.nodes[bankNode]), ctx.nodes[bankNode].number,
                 ctx.nodes[bankNode].size);
  lcd.LcdSelectPage(page);
  int device = disk.deviceNode();
  if (device == 0) {
    ctx.busy = 0;
    return;
  }
  removeChildren(ctx, device, true);
  refreshDevice(ctx, device, true);
}

static std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ')
    s.pop_back();
  return s;
}

static std::string padded16(std::string s) {
  s.resize(16, ' ');
  return s;
}

// The disk part of a rename; true when the first sector and at least one
// entry carry the new name.
static bool renameOnDisk(Context& ctx, const BankDisk& disk, const TreeNode& bank,
                         const std::string& oldName, const std::string& newName16) {
  LcdDisplay& lcd = ctx.lcd;
  const DiskInfo& d = disk.info();
  lcd.LcdSetProgressRange(0, ProgressTotal(std::uint64_t{d.bankIndexCount} + 3));
  ShowStatus(ctx, "Reading Bank");
  lcd.LcdAdvanceProgress(1);
  std::uint16_t first = firstBlockOf(bank);
  std::uint32_t at = 0;
  std::uint8_t head[512];
  if (!disk.blockStart(first, &at) || !disk.read(at, 1, head)) {
    ctx.host.message("Error reading Bank");
    return false;
  }
  std::string onDisk = trimmed(std::string(reinterpret_cast<char*>(head + 76), 16));
  if (onDisk != oldName) {
    std::string withX = padded16(oldName);
    withX[15] = 'X';
    if (onDisk != withX) {
      ctx.host.message("Bank name on disk has changed");
      return false;
    }
  }
  std::memcpy(head + 16, newName16.data(), 16);
  std::memcpy(head + 76, newName16.data(), 16);
  ShowStatus(ctx, "Renaming Bank");
  lcd.LcdAdvanceProgress(1);
  if (!disk.write(at, 1, head)) {
    ctx.host.message("Error writing Bank");
    return false;
  }
  lcd.LcdAdvanceProgress(1);

  bool found = false;
  auto rename = [&](std::uint8_t* entry) {
    if (entryFirstBlock(entry) != first || EntryNumber(entry) != bank.number)
      return false;
    std::memcpy(entry, newName16.data(), 16);
    return true;
  };
  if (!editIndex(ctx, disk, false, rename, &found))
    return false;
  if (!found) {
    ctx.host.message(kNotFound);
    return false;
  }
  return true;
}

bool RenameBank(Context& ctx, int bankNode, const std::string& oldName,
                const std::string& newName) {
  if (!isBankNode(ctx, bankNode))
    return false;
  BankDisk disk(ctx, bankNode);
  if (!disk.found())
    return false;
  std::string oldT = trimmed(oldName);
  std::string newT = TypedBankName(newName);

  LcdDisplay& lcd = ctx.lcd;
  int page = lcd.LcdCurrentPage();
  lcd.LcdBeginProgress();
  bool ok = renameOnDisk(ctx, disk, ctx.nodes[bankNode], oldT, padded16(newT));
  if (ok) {
    setNodeName(ctx.nodes[bankNode], newT.c_str());
    updateNodeRow(ctx, bankNode);
  }
  lcd.LcdSelectPage(page);
  return ok;
}

std::array<std::uint8_t, kMaxBanks> RenumberMap(const bool present[kMaxBanks], int oldNumber,
                                                int newNumber) {
  std::array<std::uint8_t, kMaxBanks> map;
  for (int n = 0; n < kMaxBanks; ++n)
    map[n] = present[n] ? static_cast<std::uint8_t>(n) : kNoBank;
  map[oldNumber] = kNoBank;
  // The lowest number below limit without a bank; keep when there is none.
  auto wrap = [&map](int limit, std::uint8_t keep) -> std::uint8_t {
    for (int k = 0; k < limit; ++k) {
      if (map[k] == kNoBank)
        return static_cast<std::uint8_t>(k);
    }
    return keep;
  };
  // Moves the bank at index i up by one, or below when it would pass 99.
  auto push = [&map, &wrap](int i, int limit) {
    map[i] = map[i] == kMaxBanks - 1 ? wrap(limit, map[i]) : static_cast<std::uint8_t>(map[i] + 1);
  };
  for (int j = 0; j < kMaxBanks; ++j) {
    if (j == newNumber && map[j] != kNoBank)
      push(j, j);
    int t = map[j];
    if (t != j && t != kNoBank && map[t] != kNoBank)
      push(t, j);
  }
  map[oldNumber] = static_cast<std::uint8_t>(newNumber);
  return map;
}

// The disk part of a renumber: every Bank Index sector in turn, each written
// back as soon as its numbers are changed.
static void renumberOnDisk(Context& ctx, const BankDisk& disk,
                           const std::array<std::uint8_t, kMaxBanks>& map) {
  LcdDisplay& lcd = ctx.lcd;
  const DiskInfo& d = disk.info();
  lcd.LcdSetProgressRange(0, ProgressTotal(2ull * d.bankIndexCount + 1));
  ShowStatus(ctx, "Renumbering Bank");
  lcd.LcdAdvanceProgress(1);
  if (!disk.usable()) {
    ctx.host.message(kIndexReadError);
    return;
  }
  auto renumber = [&map](std::uint8_t* entry) {
    // An entry the tree did not show (the disk changed since it was listed)
    // keeps its number rather than receive the marker.
    if (!IsBankEntry(entry) || map[EntryNumber(entry)] == kNoBank)
      return false;
    SetEntryNumber(entry, map[EntryNumber(entry)]);
    return true;
  };
  bool changed = false;
  editIndex(ctx, disk, true, renumber, &changed);
}

void RenumberBank(Context& ctx, int bankNode, int newNumber) {
  if (!isBankNode(ctx, bankNode) || newNumber < 0 || newNumber >= kMaxBanks)
    return;
  int oldNumber = ctx.nodes[bankNode].number;
  BankDisk disk(ctx, bankNode);
  if (!disk.found() || oldNumber < 0 || oldNumber >= kMaxBanks)
    return;
  int device = disk.deviceNode();
  bool present[kMaxBanks] = {};
  const NodeTable& t = ctx.nodes;
  for (int i = 1; i < t.count; ++i) {
    if (t[i].parent == device && t[i].type == Bank && t[i].number >= 0 && t[i].number < kMaxBanks)
      present[t[i].number] = true;
  }
  std::array<std::uint8_t, kMaxBanks> map = RenumberMap(present, oldNumber, newNumber);

  LcdDisplay& lcd = ctx.lcd;
  int page = lcd.LcdCurrentPage();
  lcd.LcdBeginProgress();
  renumberOnDisk(ctx, disk, map);
  lcd.LcdSelectPage(page);
  removeChildren(ctx, device, true);
  refreshDevice(ctx, device, true);
}

BankProperties DescribeBanks(const Context& ctx, const int* nodes, int count) {
  BankProperties p;
  const NodeTable& t = ctx.nodes;
  if (count == 1 && t.valid(nodes[0])) {
    const TreeNode& bank = t[nodes[0]];
    char number[16];
    std::snprintf(number, sizeof number, "B%.2d", bank.number);
    p.single = true;
    p.name = bank.name;
    p.number = number;
    p.size = FormatSize(bank.size);
    return p;
  }
  // Several banks may add up past 32 bits; the total then shows as the most
  // the size text can say.
  std::uint64_t total = 0;
  for (int i = 0; i < count; ++i) {
    if (t.valid(nodes[i]))
      total += t[nodes[i]].size;
  }
  p.size = FormatSize(total > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(total));
  return p;
}
