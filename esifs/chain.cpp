#include "esifs/chain.h"

const char* ChainStatusText(ChainStatus status) {
  switch (status) {
    case ChainStatus::Ok:
      return "chain ends correctly";
    case ChainStatus::Short:
      return "chain ends before the bank's last block";
    case ChainStatus::BlockZero:
      return "chain starts at block 0";
    case ChainStatus::OutOfRange:
      return "chain leaves the disk's blocks";
    case ChainStatus::FreeBlock:
      return "chain runs into a free block";
    case ChainStatus::Loop:
      return "chain loops";
  }
  return "chain fault";
}

ChainWalk WalkChain(const Bat& bat, std::uint32_t firstBlock, std::uint32_t blockCount,
                    std::uint32_t maxBlocks) {
  ChainWalk walk{ChainStatus::Ok, {}};
  std::uint32_t last = bat.lastBlock(blockCount);
  std::vector<bool> seen(last + 1);
  std::uint32_t b = firstBlock;
  if (b == 0)
    walk.status = ChainStatus::BlockZero;
  while (walk.status == ChainStatus::Ok && b != kBatEnd) {
    if (walk.blocks.size() >= maxBlocks)
      return walk;
    // Block 0 can only come as the first block: an entry of 0 reads as free.
    if (b > last) {
      walk.status = ChainStatus::OutOfRange;
    } else if (seen[b]) {
      walk.status = ChainStatus::Loop;
    } else if (bat.get(b) == kBatFree) {
      walk.status = ChainStatus::FreeBlock;
    } else {
      seen[b] = true;
      walk.blocks.push_back(static_cast<std::uint16_t>(b));
      b = bat.get(b);
    }
  }
  if (walk.status == ChainStatus::Ok && maxBlocks != kWholeChain && walk.blocks.size() < maxBlocks)
    walk.status = ChainStatus::Short;
  return walk;
}

std::uint32_t BlocksToCover(std::uint32_t bytes, std::uint32_t blockSectors) {
  std::uint64_t blockBytes = static_cast<std::uint64_t>(blockSectors) * 512;
  return static_cast<std::uint32_t>((bytes + blockBytes - 1) / blockBytes);
}

std::uint32_t ImportBlocksNeeded(std::uint32_t bytes, std::uint32_t blockSectors) {
  constexpr std::uint32_t kUnitBytes = 16384;
  std::uint64_t units = (static_cast<std::uint64_t>(bytes) + kUnitBytes - 1) / kUnitBytes;
  if (units == 0)
    units = 1;
  std::uint64_t unitsPerBlock = blockSectors / 32;
  if (unitsPerBlock == 0)
    unitsPerBlock = 1;
  return static_cast<std::uint32_t>(units / unitsPerBlock + 1);
}

ChainStatus FreeChain(Bat& bat, std::uint32_t firstBlock, std::uint32_t blockCount,
                      std::uint32_t* freed) {
  ChainWalk walk = WalkChain(bat, firstBlock, blockCount);
  for (std::uint16_t b : walk.blocks)
    bat.set(b, kBatFree);
  if (freed)
    *freed = static_cast<std::uint32_t>(walk.blocks.size());
  return walk.status;
}

bool ChainsAreSound(const Bat& bat, std::uint32_t blockCount,
                    const std::vector<std::uint16_t>& firstBlocks) {
  std::vector<bool> owned(bat.lastBlock(blockCount) + 1);
  for (std::uint16_t first : firstBlocks) {
    ChainWalk walk = WalkChain(bat, first, blockCount);
    if (walk.status != ChainStatus::Ok)
      return false;
    for (std::uint16_t b : walk.blocks) {
      if (owned[b])
        return false;
      owned[b] = true;
    }
  }
  return true;
}

std::uint16_t ChainBuilder::start() {
  std::uint32_t b = bat_.BatFindFree(1, blockCount_);
  if (b == 0)
    return 0;
  bat_.set(b, kBatEnd);
  blocks_.assign(1, static_cast<std::uint16_t>(b));
  return static_cast<std::uint16_t>(b);
}

std::uint16_t ChainBuilder::extend() {
  if (blocks_.empty())
    return start();
  std::uint16_t cur = blocks_.back();
  // The current block's entry already holds 0x7FFF, so the search passes over it.
  std::uint32_t next = bat_.BatFindFree(cur, blockCount_);
  if (next == 0)
    return 0;
  bat_.set(next, kBatEnd);
  bat_.set(cur, static_cast<std::uint16_t>(next));
  blocks_.push_back(static_cast<std::uint16_t>(next));
  return static_cast<std::uint16_t>(next);
}

void ChainBuilder::abandon() {
  for (std::uint16_t b : blocks_)
    bat_.set(b, kBatFree);
  blocks_.clear();
}
