#pragma once
// The disk information sector (sector 0) of an ESi disk: its fields and its
// two checksum forms.
#include <cstdint>
#include <string>

constexpr int kDiskInfoSize = 512;

struct DiskInfo {
  std::uint32_t lastSector;
  std::uint32_t firSector;
  std::uint32_t bankIndexSector;
  std::uint32_t bankIndexCount;
  std::uint32_t batSector;
  std::uint32_t batCount;
  std::uint32_t dataSector;
  std::uint32_t blockCount;
  std::uint8_t blockSizeCode;
  std::uint8_t blockSizeShift;
};

enum DiskInfoOffset {
  kLastSectorAt = 0x004,
  kFirSectorAt = 0x008,
  kBankIndexSectorAt = 0x010,
  kBankIndexCountAt = 0x014,
  kBatSectorAt = 0x018,
  kBatCountAt = 0x01C,
  kDataSectorAt = 0x020,
  kBlockCountAt = 0x024,
  kBlockSizeCodeAt = 0x028,
  kBlockSizeShiftAt = 0x029,
  kChecksumAt = 0x1FE,
};

inline std::uint32_t getLe32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint16_t getLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline void putLe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void putLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
// The one byte exchange of 16-bit values between the disk's and the host's order.
inline std::uint16_t swap16(std::uint16_t v) {
  return static_cast<std::uint16_t>(v << 8 | v >> 8);
}

DiskInfo ReadDiskInfo(const std::uint8_t* sector);
std::uint16_t DiskInfoChecksumV2(const std::uint8_t* sector);
std::uint16_t DiskInfoChecksumGapped(const std::uint8_t* sector);
// The checksum as stored: high byte at 0x1FE, low byte at 0x1FF.
std::uint16_t StoredChecksum(const std::uint8_t* sector);
void StoreChecksum(std::uint8_t* sector, std::uint16_t checksum);
bool IsEsiDiskInfo(const std::uint8_t* sector);
bool IsV2Compatible(const std::uint8_t* sector);
// Rewrites the stored checksum in the form older ESi systems read.
void ConvertToV2Checksum(std::uint8_t* sector);

// Sectors per block (128 << (blockSizeCode - 1)); 0 for a code outside 1..8,
// whose blocks would not fit a one-byte block factor.
std::uint32_t BlockSectors(const DiskInfo& d);
// First sector of block b (1..blockCount) of a disk that IsUsableEsiDisk accepts.
std::uint32_t FirstSectorOfBlock(const DiskInfo& d, std::uint32_t block);
// Sectors from firSector that hold the File Index Reference slots of all
// bankIndexCount Bank Index sectors.
std::uint32_t FirSlotSectors(const DiskInfo& d);
// Whether Korrin can work on this disk without reading or writing outside its
// tables: the BAT fits the in-memory table and describes every block, the
// block size code is 1..8, the Bank Index has 1..4096 sectors, and sector 0, the BAT, the Bank
// Index, the FIR slots and the data area lie inside the disk without overlapping. Says why not in
// *why (optional).
bool IsUsableEsiDisk(const DiskInfo& d, std::string* why = nullptr);
