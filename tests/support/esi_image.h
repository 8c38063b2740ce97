#pragma once
// An ESi disk image built in memory for tests: the disk information sector,
// a File Index Reference, the Bank Allocation Table, a Bank Index whose
// unused sectors read "BB", and a data area, with banks put on it directly.
// The same bytes stand for a CD image file or a SCSI disk.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "esifs/disk_info.h"

struct EsiLayout {
  std::uint8_t blockSizeCode = 1;  // 128 sectors a block
  std::uint32_t blockCount = 48;
  std::uint32_t batSectors = 1;
  std::uint32_t indexSectors = 3;
  std::uint32_t usedIndexSectors = 1;  // the rest read "BB"
};

// Bank data as a sampler writes it: "EMULATOR 3X" and the name at bytes
// 16-31 and 76-91, then bytes that differ with the seed.
std::vector<std::uint8_t> MakeBankData(std::uint32_t size, const std::string& name,
                                       std::uint32_t seed);

// The bank file an export writes of the data: the name copied into plain
// view, each chunk transformed.
std::vector<std::uint8_t> MakeBankFile(std::vector<std::uint8_t> data);

class EsiImage {
 public:
  explicit EsiImage(const EsiLayout& layout = EsiLayout());

  // Puts a bank on the disk: its data in the lowest free blocks (enough to
  // hold it, at least one), chained in order, and an entry in the first Bank
  // Index sector with room. Answers the first block.
  std::uint16_t addBank(int number, const std::string& name, const std::vector<std::uint8_t>& data);
  // Writes entry e (0..15) of Bank Index sector k as import would, without
  // touching the table or the data. name: up to 16 characters, padded with blanks.
  void putEntry(std::uint32_t k, int e, const std::string& name, int number,
                std::uint16_t firstBlock, std::uint32_t size);
  // Marks Bank Index sector k "BB" throughout: not in use, and listing stops there.
  void markUnused(std::uint32_t k) { std::memset(sector(info.bankIndexSector + k), 'B', 512); }
  // The bank's data as its entry and chain give it.
  std::vector<std::uint8_t> bankData(std::uint16_t firstBlock, std::uint32_t size) const;

  std::uint8_t* sector(std::uint32_t n) { return bytes.data() + std::size_t{n} * 512; }
  const std::uint8_t* sector(std::uint32_t n) const { return bytes.data() + std::size_t{n} * 512; }
  std::uint8_t* indexEntry(std::uint32_t k, int e) {
    return sector(info.bankIndexSector + k) + e * 32;
  }
  std::uint16_t bat(std::uint32_t block) const {
    return getLe16(sector(info.batSector) + 2 * block);
  }
  void setBat(std::uint32_t block, std::uint16_t value) {
    putLe16(sector(info.batSector) + 2 * block, value);
  }
  std::uint32_t blockSectors() const { return 128u << (info.blockSizeCode - 1); }
  std::uint32_t blockStart(std::uint32_t block) const {
    return info.dataSector + (block - 1) * blockSectors();
  }
  // Marks every free block but the last `keep` ones as used by no bank.
  void fillBlocks(std::uint32_t keep);
  // Rewrites sector 0 from info, with a valid checksum of either form.
  void storeInfo(bool gapped = false);
  // The image as a file of this many sectors, cut or padded with zeros.
  std::vector<std::uint8_t> file(std::uint32_t sectors) const {
    std::vector<std::uint8_t> f(bytes);
    f.resize(std::size_t{sectors} * 512);
    return f;
  }

  DiskInfo info{};
  std::vector<std::uint8_t> bytes;
};
