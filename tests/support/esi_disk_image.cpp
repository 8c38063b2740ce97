#include "tests/support/esi_disk_image.h"

#include <cstring>

#include "esifs/bank_index.h"
#include "esifs/disk_info.h"
#include "esifs/disk_info_writer.h"

DiskInfo SmallDisk() {
  DiskInfo d{};
  d.lastSector = 1023;
  d.firSector = 1;
  d.bankIndexSector = 2;
  d.bankIndexCount = 4;
  d.batSector = 6;
  d.batCount = 2;
  d.dataSector = 8;
  d.blockCount = 7;
  d.blockSizeCode = 1;
  return d;
}

EsiDiskImage::EsiDiskImage(const DiskInfo& l, std::uint32_t sectors)
    : layout(l), bytes(static_cast<std::size_t>(sectors) * 512, 0) {
  seal();
}

void EsiDiskImage::putBank(std::uint32_t k, int slot, const std::string& name, std::uint16_t number,
                           std::uint16_t firstBlock, std::uint32_t size) {
  char name16[16];
  std::memset(name16, ' ', sizeof name16);
  std::memcpy(name16, name.data(), name.size() < 16 ? name.size() : 16);
  std::uint32_t blockSectors = 128u << (layout.blockSizeCode >= 1 ? layout.blockSizeCode - 1 : 0);
  BankEntry e = NewBankEntry(name16, number, firstBlock, size, blockSectors);
  EncodeNewBankEntry(e, sector(layout.bankIndexSector + k) + slot * kBankEntrySize);
}

void EsiDiskImage::markUnused(std::uint32_t k) {
  std::uint8_t* s = sector(layout.bankIndexSector + k);
  s[0] = s[1] = s[16] = s[17] = 'B';
}

void EsiDiskImage::seal(bool gapped) {
  std::uint8_t* s = sector(0);
  WriteDiskInfo(layout, s);
  StoreChecksum(s, gapped ? DiskInfoChecksumGapped(s) : DiskInfoChecksumV2(s));
}
