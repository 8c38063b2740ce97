#pragma once
// The Bank Allocation Table in memory: 16-bit entries, one per block, entry 0
// belonging to no block. Every lookup is bounds-checked against the table
// read from the disk, which may be damaged or hostile.
#include <cstdint>

constexpr std::uint16_t kBatFree = 0x0000;
constexpr std::uint16_t kBatEnd = 0x7FFF;
constexpr std::uint32_t kMaxBatSectors = 128;
constexpr std::uint32_t kMaxBatEntries = kMaxBatSectors * 512 / 2;  // 32 768

class Bat {
 public:
  // bytes: the table as read from the disk, sectors x 512 bytes (at most 128 sectors).
  Bat(std::uint8_t* bytes, std::uint32_t sectors);

  std::uint32_t entryCount() const { return entries_; }
  std::uint16_t get(std::uint32_t block) const;  // 0x7FFF past the table's end
  void set(std::uint32_t block, std::uint16_t value);  // ignored past the end

  // Lowest free block in start..blockCount (inclusive), 0 if none.
  std::uint32_t BatFindFree(std::uint32_t start, std::uint32_t blockCount) const;
  std::uint32_t BatCountFree(std::uint32_t blockCount) const;
  std::uint16_t BatNext(std::uint32_t block) const { return get(block); }

 private:
  std::uint8_t* bytes_;
  std::uint32_t entries_;
};

// Walks a chain from first, calling visit(block) for each block; stops at
// 0x7FFF or after maxBlocks. Returns false for a chain that loops, meets a
// free block or block 0, or leaves 1..blockCount.
// (Implemented in esifs/chain.cpp.)
