#include "esifs/disk_info.h"

#include <cstring>

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
