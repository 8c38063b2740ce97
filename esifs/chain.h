#pragma once
// Block chains of the Bank Allocation Table: reading a bank's chain, building
// a new one the way import does, and freeing one. The table may be damaged or
// hostile, so every walk checks each block and reports what stopped it rather
// than looping or touching entries that belong to no block.
#include <cstdint>
#include <vector>

#include "esifs/bat.h"

enum class ChainStatus {
  Ok,          // ended at 0x7FFF, or covered the blocks asked for
  Short,       // ended at 0x7FFF before covering the blocks asked for
  BlockZero,   // the chain starts at block 0
  OutOfRange,  // a block number above the disk's last block
  FreeBlock,   // a block of the chain is marked free
  Loop,        // a block comes round a second time
};

const char* ChainStatusText(ChainStatus status);

constexpr std::uint32_t kWholeChain = 0xFFFFFFFF;

struct ChainWalk {
  ChainStatus status;
  // The sound blocks in read order, up to the fault if there is one; each in
  // 1..lastBlock, distinct, with an entry that is not 0.
  std::vector<std::uint16_t> blocks;
};

// Follows the chain from firstBlock until 0x7FFF or until maxBlocks blocks
// have been taken (kWholeChain: no limit). A firstBlock of 0x7FFF is an empty
// chain. blockCount is the disk's; blocks beyond the table count as outside it.
ChainWalk WalkChain(const Bat& bat, std::uint32_t firstBlock, std::uint32_t blockCount,
                    std::uint32_t maxBlocks = kWholeChain);

// Blocks that hold a bank's bytes when reading it: bytes / block size rounded up.
std::uint32_t BlocksToCover(std::uint32_t bytes, std::uint32_t blockSectors);

// Blocks an import of this many bytes takes: it writes 16 384-byte units (at
// least one, even for 0 bytes), and every unit that completes a block leads
// to one more block, even the last unit.
std::uint32_t ImportBlocksNeeded(std::uint32_t bytes, std::uint32_t blockSectors);

// Frees the chain from firstBlock (delete). On a fault only the sound blocks
// before it are freed, so entry 0, entries of other blocks and entries beyond
// the disk stay as they were. Answers the walk's status; *freed (optional)
// receives the number of blocks freed.
ChainStatus FreeChain(Bat& bat, std::uint32_t firstBlock, std::uint32_t blockCount,
                      std::uint32_t* freed = nullptr);

// True when every chain from firstBlocks is sound (ends, never through block
// 0, a free block or past the disk) and no block lies in two of them. An
// operation that frees or allocates blocks on a disk where this fails would
// hand one bank's blocks to another.
bool ChainsAreSound(const Bat& bat, std::uint32_t blockCount,
                    const std::vector<std::uint16_t>& firstBlocks);

// Builds a chain in the in-memory table the way import does: the first block
// is the lowest free one; each further block is the lowest free one above the
// current, found while the current block's entry holds a temporary 0x7FFF, so
// the chain ascends. Every block taken ends the chain until the next one is
// linked, so the table always holds a well-formed chain.
class ChainBuilder {
 public:
  ChainBuilder(Bat& bat, std::uint32_t blockCount) : bat_(bat), blockCount_(blockCount) {}

  // Takes the first block; 0 when the disk has no free block.
  std::uint16_t start();
  // Takes the next block and links it after the current one; 0 when there is
  // no free block above the current one (the chain then still ends at the
  // current block, never at block 0).
  std::uint16_t extend();
  // Frees every block taken, leaving the table as it was before start().
  void abandon();

  std::uint16_t first() const { return blocks_.empty() ? 0 : blocks_.front(); }
  std::uint16_t current() const { return blocks_.empty() ? 0 : blocks_.back(); }
  const std::vector<std::uint16_t>& blocks() const { return blocks_; }

 private:
  Bat& bat_;
  std::uint32_t blockCount_;
  std::vector<std::uint16_t> blocks_;
};
