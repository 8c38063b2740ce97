#pragma once
// ESi disks built byte by byte for tests: a disk information sector with the
// given layout, Bank Index entries and "BB" sectors, in a plain byte vector
// that can stand for a CD image file or a SCSI disk.
#include <cstdint>
#include <string>
#include <vector>

#include "esifs/disk_info.h"

// A small disk: FIR at 1, four index sectors from 2, a two-sector BAT at 6,
// seven blocks of 128 sectors from sector 8.
DiskInfo SmallDisk();

class EsiDiskImage {
 public:
  // sectors: the length of the image in sectors (at least 1).
  EsiDiskImage(const DiskInfo& layout, std::uint32_t sectors);

  std::uint8_t* sector(std::uint32_t n) { return &bytes[n * 512]; }
  // Puts an entry in use in slot (0..15) of Bank Index sector k. name: up to
  // 16 characters, padded with blanks.
  void putBank(std::uint32_t k, int slot, const std::string& name, std::uint16_t number,
               std::uint16_t firstBlock, std::uint32_t size);
  // Marks Bank Index sector k "BB" (not yet in use).
  void markUnused(std::uint32_t k);
  // Rewrites sector 0 from layout and stores its checksum (gapped or v2).
  void seal(bool gapped = false);

  DiskInfo layout;
  std::vector<std::uint8_t> bytes;
};
