#include "tests/support/disk_check.h"

#include <algorithm>

#include "esifs/disk_info.h"

// Written apart from the chain code it checks, so that a fault there cannot
// hide itself.
std::string CheckDiskConsistency(const std::vector<std::uint8_t>& image) {
  if (image.size() < 512)
    return "no disk information sector";
  DiskInfo d = ReadDiskInfo(image.data());
  if (!IsEsiDiskInfo(image.data()) || !IsUsableEsiDisk(d))
    return "disk information sector unusable";
  auto sector = [&image](std::uint32_t n) { return image.data() + std::size_t{n} * 512; };
  // Only the tables are read. A CD image file holds no more of its disk than
  // has been written, so its data area may end well before the disk does.
  std::uint64_t tablesEnd = std::max(std::uint64_t{d.batSector} + d.batCount,
                                     std::uint64_t{d.bankIndexSector} + d.bankIndexCount);
  if (tablesEnd * 512 > image.size())
    return "image shorter than its tables";
  auto bat = [&](std::uint32_t b) { return getLe16(sector(d.batSector) + 2 * b); };

  std::vector<int> owner(d.blockCount + 1, 0);  // entry (1-based) whose chain holds the block
  int entries = 0;
  for (std::uint32_t k = 0; k < d.bankIndexCount; ++k) {
    // A sector that starts with "BB" but holds entries in use (a bank named
    // "BB...") is in use all the same.
    const std::uint8_t* s = sector(d.bankIndexSector + k);
    for (int e = 0; e < 16; ++e) {
      const std::uint8_t* entry = s + e * 32;
      if (!(entry[26] & 0x80))
        continue;
      ++entries;
      std::string where = "index sector " + std::to_string(k) + " entry " + std::to_string(e);
      std::uint32_t b = getLe16(entry + 18);
      if (b == 0x7FFF)
        continue;  // an empty chain
      while (b != 0x7FFF) {
        std::string at = where + " block " + std::to_string(b);
        if (b == 0)
          return at + ": chain through block 0";
        if (b > d.blockCount)
          return at + ": chain leaves the disk";
        if (bat(b) == 0)
          return at + ": chain through a free block";
        if (owner[b] == entries)
          return at + ": chain loops";
        if (owner[b] != 0)
          return at + ": block in two chains";
        owner[b] = entries;
        b = bat(b);
      }
    }
  }
  return "";
}
