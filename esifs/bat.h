#pragma once
// The Bank Allocation Table in memory: 16-bit entries, one per block, entry 0
// belonging to no block. Every lookup is bounds-checked against the table
// read from the disk, which may be damaged or hostile.
#include <cstdint>

constexpr std::uint16_t kBatFree = 0x0000;
constexpr std::uint16_t kBatEnd = 0x7FFF;
constexpr std::uint32_t kMaxBatSectors = 128;
constexpr std::uint32_t kMaxBatEntries = kMaxBatSectors * 512 / 2;  // 32 768
// Block 0x7FFF would read as the end marker, so no chain can name it.
constexpr std::uint32_t kHighestBlock = 0x7FFE;

class Bat {
 public:
  // bytes: the table as read from the disk, sectors x 512 bytes (at most 128 sectors).
  Bat(std::uint8_t* bytes, std::uint32_t sectors);

  std::uint32_t entryCount() const { return entries_; }
  // Entry 0 and entries past the table's end belong to no block: get answers
  // 0x7FFF for them and set leaves them as they are.
  std::uint16_t get(std::uint32_t block) const;
  void set(std::uint32_t block, std::uint16_t value);
  // Highest block number this table can describe for a disk of blockCount
  // blocks: limited by the table's size and by 0x7FFE.
  std::uint32_t lastBlock(std::uint32_t blockCount) const;

  // Lowest free block in start..blockCount (inclusive), 0 if none.
  std::uint32_t BatFindFree(std::uint32_t start, std::uint32_t blockCount) const;
  std::uint32_t BatCountFree(std::uint32_t blockCount) const;
  std::uint16_t BatNext(std::uint32_t block) const { return get(block); }

 private:
  std::uint8_t* bytes_;
  std::uint32_t entries_;
};

// Walking, building and freeing chains: esifs/chain.h.
