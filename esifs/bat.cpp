#include "esifs/bat.h"

#include "esifs/disk_info.h"

Bat::Bat(std::uint8_t* bytes, std::uint32_t sectors)
    : bytes_(bytes), entries_((sectors < kMaxBatSectors ? sectors : kMaxBatSectors) * 256) {}

std::uint16_t Bat::get(std::uint32_t block) const {
  if (block == 0 || block >= entries_)
    return kBatEnd;
  return getLe16(bytes_ + 2 * block);
}

void Bat::set(std::uint32_t block, std::uint16_t value) {
  if (block == 0 || block >= entries_)
    return;
  putLe16(bytes_ + 2 * block, value);
}

std::uint32_t Bat::lastBlock(std::uint32_t blockCount) const {
  std::uint32_t last = entries_ == 0 ? 0 : entries_ - 1;
  if (blockCount < last)
    last = blockCount;
  return last < kHighestBlock ? last : kHighestBlock;
}

std::uint32_t Bat::BatFindFree(std::uint32_t start, std::uint32_t blockCount) const {
  std::uint32_t last = lastBlock(blockCount);
  for (std::uint32_t b = start < 1 ? 1 : start; b <= last; ++b) {
    if (getLe16(bytes_ + 2 * b) == kBatFree)
      return b;
  }
  return 0;
}

std::uint32_t Bat::BatCountFree(std::uint32_t blockCount) const {
  std::uint32_t last = lastBlock(blockCount), n = 0;
  for (std::uint32_t b = 1; b <= last; ++b) {
    if (getLe16(bytes_ + 2 * b) == kBatFree)
      ++n;
  }
  return n;
}
