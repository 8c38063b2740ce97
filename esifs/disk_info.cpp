#include "esifs/disk_info.h"

#include <cstring>

#include "esifs/bat.h"

DiskInfo ReadDiskInfo(const std::uint8_t* s) {
  DiskInfo d;
  d.lastSector = getLe32(s + kLastSectorAt);
  d.firSector = getLe32(s + kFirSectorAt);
  d.bankIndexSector = getLe32(s + kBankIndexSectorAt);
  d.bankIndexCount = getLe32(s + kBankIndexCountAt);
  d.batSector = getLe32(s + kBatSectorAt);
  d.batCount = getLe32(s + kBatCountAt);
  d.dataSector = getLe32(s + kDataSectorAt);
  d.blockCount = getLe32(s + kBlockCountAt);
  d.blockSizeCode = s[kBlockSizeCodeAt];
  d.blockSizeShift = s[kBlockSizeShiftAt];
  return d;
}

static std::uint16_t checksum(const std::uint8_t* s, bool gapped) {
  std::uint64_t even = 0, odd = 0;
  for (int i = 0; i < 510; ++i) {
    if (gapped && i >= 220 && i <= 223)
      continue;
    if (i % 2 == 0) {
      even += s[i];
    } else {
      odd += s[i];
    }
  }
  std::uint64_t o = (even >> 8) + odd;
  return static_cast<std::uint16_t>((even & 0xFF) << 8 | (o & 0xFF));
}

std::uint16_t DiskInfoChecksumV2(const std::uint8_t* sector) {
  return checksum(sector, false);
}
std::uint16_t DiskInfoChecksumGapped(const std::uint8_t* sector) {
  return checksum(sector, true);
}

std::uint16_t StoredChecksum(const std::uint8_t* s) {
  return static_cast<std::uint16_t>(s[kChecksumAt] << 8 | s[kChecksumAt + 1]);
}

void StoreChecksum(std::uint8_t* s, std::uint16_t checksum) {
  s[kChecksumAt] = static_cast<std::uint8_t>(checksum >> 8);
  s[kChecksumAt + 1] = static_cast<std::uint8_t>(checksum);
}

static bool hasMagic(const std::uint8_t* s) {
  return std::memcmp(s, "EMU3", 4) == 0;
}

bool IsEsiDiskInfo(const std::uint8_t* s) {
  if (!hasMagic(s))
    return false;
  std::uint16_t stored = StoredChecksum(s);
  return stored == DiskInfoChecksumGapped(s) || stored == DiskInfoChecksumV2(s);
}

bool IsV2Compatible(const std::uint8_t* s) {
  return hasMagic(s) && StoredChecksum(s) == DiskInfoChecksumV2(s);
}

void ConvertToV2Checksum(std::uint8_t* s) {
  StoreChecksum(s, DiskInfoChecksumV2(s));
}

// Limits of what Korrin handles safely; a disk beyond them is refused.
constexpr std::uint8_t kLargestBlockSizeCode = 8;
// No real disk needs more than a few index sectors for its 100 banks.
constexpr std::uint32_t kLargestBankIndex = 4096;

std::uint32_t BlockSectors(const DiskInfo& d) {
  if (d.blockSizeCode < 1 || d.blockSizeCode > kLargestBlockSizeCode)
    return 0;
  return 128u << (d.blockSizeCode - 1);
}

std::uint32_t FirstSectorOfBlock(const DiskInfo& d, std::uint32_t block) {
  return d.dataSector + (block - 1) * BlockSectors(d);
}

std::uint32_t FirSlotSectors(const DiskInfo& d) {
  if (d.bankIndexCount == 0)
    return 0;
  // The last slot's two bytes end at byte 18 + 2 * bankIndexCount.
  const std::uint64_t end = 18 + 2 * static_cast<std::uint64_t>(d.bankIndexCount);
  return static_cast<std::uint32_t>((end + 511) / 512);
}

namespace {

struct Area {
  const char* name;
  std::uint64_t first;
  std::uint64_t count;
};

bool refuse(std::string* why, const std::string& text) {
  if (why)
    *why = text;
  return false;
}

}  // namespace

bool IsUsableEsiDisk(const DiskInfo& d, std::string* why) {
  if (d.blockSizeCode < 1 || d.blockSizeCode > kLargestBlockSizeCode)
    return refuse(why, "block size code outside 1..8");
  if (d.batCount < 1 || d.batCount > kMaxBatSectors)
    return refuse(why, "Bank Allocation Table size outside 1..128 sectors");
  if (d.bankIndexCount < 1 || d.bankIndexCount > kLargestBankIndex)
    return refuse(why, "Bank Index size outside 1..4096 sectors");
  if (d.blockCount > d.batCount * 256u - 1)
    return refuse(why, "more blocks than the Bank Allocation Table describes");

  const Area areas[] = {
      {"disk information sector", 0, 1},
      {"Bank Allocation Table", d.batSector, d.batCount},
      {"Bank Index", d.bankIndexSector, d.bankIndexCount},
      {"File Index Reference", d.firSector, FirSlotSectors(d)},
      {"data area", d.dataSector, static_cast<std::uint64_t>(d.blockCount) * BlockSectors(d)},
  };
  const std::uint64_t sectors = static_cast<std::uint64_t>(d.lastSector) + 1;
  for (const Area& a : areas) {
    if (a.first + a.count > sectors)
      return refuse(why, std::string(a.name) + " beyond the disk");
  }
  for (const Area& a : areas) {
    for (const Area& b : areas) {
      if (&a >= &b || a.count == 0 || b.count == 0)
        continue;
      if (a.first < b.first + b.count && b.first < a.first + a.count)
        return refuse(why, std::string(a.name) + " overlaps " + b.name);
    }
  }
  return true;
}
