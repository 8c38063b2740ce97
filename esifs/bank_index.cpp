#include "esifs/bank_index.h"

#include <cstring>

#include "esifs/disk_info.h"

enum EntryOffset {
  kNameAt = 0,
  kNumberAt = 16,
  kFirstBlockAt = 18,
  kBlockFieldAt = 20,
  kSectorFieldAt = 22,
  kByteFieldAt = 24,
  kFlagsAt = 26,
};

static std::uint16_t getBe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

BankEntry DecodeBankEntry(const std::uint8_t* e) {
  BankEntry b;
  std::memcpy(b.name, e + kNameAt, sizeof b.name);
  b.number = getBe16(e + kNumberAt);
  b.firstBlock = getLe16(e + kFirstBlockAt);
  b.blockField = getLe16(e + kBlockFieldAt);
  b.sectorField = getLe16(e + kSectorFieldAt);
  b.byteField = getLe16(e + kByteFieldAt);
  b.flags = e[kFlagsAt];
  return b;
}

void EncodeNewBankEntry(const BankEntry& b, std::uint8_t* out) {
  std::memcpy(out + kNameAt, b.name, sizeof b.name);
  SetEntryNumber(out, b.number);
  putLe16(out + kFirstBlockAt, b.firstBlock);
  putLe16(out + kBlockFieldAt, b.blockField);
  putLe16(out + kSectorFieldAt, b.sectorField);
  putLe16(out + kByteFieldAt, b.byteField);
  out[kFlagsAt] = kNewEntryFlags;
  std::memset(out + kFlagsAt + 1, 0, kBankEntrySize - kFlagsAt - 1);
}

BankEntry NewBankEntry(const char* name16, std::uint16_t number, std::uint16_t firstBlock,
                       std::uint32_t bytes, std::uint32_t blockSectors) {
  BankEntry b{};
  std::memcpy(b.name, name16, sizeof b.name);
  b.number = number;
  b.firstBlock = firstBlock;
  EncodeBankSize(bytes, blockSectors, &b);
  b.flags = kNewEntryFlags;
  return b;
}

bool IsEntryInUse(const std::uint8_t* e) {
  return (e[kFlagsAt] & kEntryInUse) != 0;
}

bool IsBankEntry(const std::uint8_t* e) {
  return IsEntryInUse(e) && EntryNumber(e) < kMaxBanks;
}

std::uint16_t EntryNumber(const std::uint8_t* e) {
  return getBe16(e + kNumberAt);
}

void SetEntryNumber(std::uint8_t* e, std::uint16_t number) {
  e[kNumberAt] = static_cast<std::uint8_t>(number >> 8);
  e[kNumberAt + 1] = static_cast<std::uint8_t>(number);
}

int FirstFreeEntry(const std::uint8_t* sector) {
  for (int i = 0; i < kEntriesPerSector; ++i) {
    if (!IsEntryInUse(sector + i * kBankEntrySize))
      return i;
  }
  return -1;
}

void AddChainStarts(const std::uint8_t* sector, std::vector<std::uint16_t>* firstBlocks) {
  for (int i = 0; i < kEntriesPerSector; ++i) {
    const std::uint8_t* e = sector + i * kBankEntrySize;
    if (IsEntryInUse(e))
      firstBlocks->push_back(DecodeBankEntry(e).firstBlock);
  }
}

bool EndsBankListing(const std::uint8_t* s) {
  return s[16] == 'B' && s[17] == 'B';
}
bool IsUnusedIndexSector(const std::uint8_t* s) {
  if (s[0] != 'B' || s[1] != 'B')
    return false;
  for (int i = 0; i < kEntriesPerSector; ++i) {
    if (IsEntryInUse(s + i * kBankEntrySize))
      return false;
  }
  return true;
}

std::uint32_t DecodeBankSize(const BankEntry& b, std::uint32_t blockSectors) {
  // Unsigned wrap-around is part of the coding: a 0-byte bank has blockField 0.
  std::uint32_t sectors = (b.blockField - 1u) * blockSectors + b.sectorField - 1u;
  return sectors * 512u + b.byteField;
}

void EncodeBankSize(std::uint32_t bytes, std::uint32_t blockSectors, BankEntry* b) {
  std::uint32_t blockBytes = blockSectors * 512u;
  std::uint32_t q = bytes / blockBytes;
  std::uint32_t m = bytes - (q - 1u) * blockBytes;  // in blockBytes .. 2 * blockBytes - 1
  b->blockField = static_cast<std::uint16_t>(q);
  b->sectorField = static_cast<std::uint16_t>(m / 512 + 1);
  b->byteField = static_cast<std::uint16_t>(m % 512);
}

std::string BankDisplayName(const char* name16) {
  std::string s(name16, 16);
  if (s[15] == 'X')
    s.pop_back();
  while (!s.empty() && s.back() == ' ')
    s.pop_back();
  return s;
}

std::string TypedBankName(const std::string& typed) {
  std::string s = typed.substr(0, 16);
  while (!s.empty() && s.back() == ' ')
    s.pop_back();
  if (s.size() == 16 && s[15] == 'X')
    s.pop_back();
  while (!s.empty() && s.back() == ' ')
    s.pop_back();
  return s;
}

FirSlot FirSlotOf(std::uint32_t indexSector) {
  std::uint64_t at = 18 + 2 * static_cast<std::uint64_t>(indexSector);
  return FirSlot{static_cast<std::uint32_t>(at / 512), static_cast<std::uint32_t>(at % 512)};
}

void WriteFirSlot(std::uint8_t* firSectorBytes, std::uint32_t indexSector,
                  std::uint32_t bankIndexSector) {
  // The offset is even and below 512, so both bytes lie in this sector.
  putLe16(firSectorBytes + FirSlotOf(indexSector).offset,
          static_cast<std::uint16_t>(bankIndexSector + indexSector));
}

int LowestFreeBankNumber(const bool used[kMaxBanks]) {
  for (int n = 0; n < kMaxBanks; ++n) {
    if (!used[n])
      return n;
  }
  return -1;
}
