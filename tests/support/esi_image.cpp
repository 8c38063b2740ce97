#include "tests/support/esi_image.h"

#include <algorithm>
#include <cstring>

#include "esifs/bank_file.h"
#include "esifs/bank_index.h"
#include "esifs/bat.h"
#include "esifs/disk_info_writer.h"

std::vector<std::uint8_t> MakeBankData(std::uint32_t size, const std::string& name,
                                       std::uint32_t seed) {
  std::vector<std::uint8_t> data(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& b : data) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 16);
  }
  char header[92];
  std::memset(header, ' ', sizeof header);
  std::memcpy(header, "EMULATOR 3X", 11);
  std::memcpy(header + 16, name.data(), name.size() < 16 ? name.size() : 16);
  std::memcpy(header + 76, name.data(), name.size() < 16 ? name.size() : 16);
  std::memcpy(data.data(), header, size < sizeof header ? size : sizeof header);
  return data;
}

std::vector<std::uint8_t> MakeBankFile(std::vector<std::uint8_t> data) {
  for (std::size_t at = 0; at < data.size(); at += kBankChunkSize) {
    std::size_t n = data.size() - at < kBankChunkSize ? data.size() - at : kBankChunkSize;
    PrepareExportChunk(data.data() + at, static_cast<std::uint32_t>(n),
                       static_cast<std::uint32_t>(at));
  }
  return data;
}

EsiImage::EsiImage(const EsiLayout& l) {
  info.blockSizeCode = l.blockSizeCode;
  info.firSector = 1;
  info.batSector = 2;
  info.batCount = l.batSectors;
  info.bankIndexSector = info.batSector + l.batSectors;
  info.bankIndexCount = l.indexSectors;
  info.dataSector = info.bankIndexSector + l.indexSectors;
  info.blockCount = l.blockCount;
  info.lastSector = info.dataSector + l.blockCount * blockSectors() - 1;
  bytes.assign(std::size_t{info.lastSector + 1} * 512, 0);
  for (std::uint32_t k = l.usedIndexSectors; k < l.indexSectors; ++k)
    markUnused(k);
  storeInfo();
}

void EsiImage::storeInfo(bool gapped) {
  WriteDiskInfo(info, sector(0));
  StoreChecksum(sector(0),
                gapped ? DiskInfoChecksumGapped(sector(0)) : DiskInfoChecksumV2(sector(0)));
}

void EsiImage::markUnused(std::uint32_t k) {
  std::memset(sector(info.bankIndexSector + k), 'B', 512);
}

void EsiImage::putEntry(std::uint32_t k, int e, const std::string& name, int number,
                        std::uint16_t firstBlock, std::uint32_t size) {
  char name16[16];
  std::memset(name16, ' ', 16);
  std::memcpy(name16, name.data(), name.size() < 16 ? name.size() : 16);
  EncodeNewBankEntry(
      NewBankEntry(name16, static_cast<std::uint16_t>(number), firstBlock, size, blockSectors()),
      indexEntry(k, e));
}

std::uint16_t EsiImage::bat(std::uint32_t block) const {
  return getLe16(sector(info.batSector) + 2 * block);
}

void EsiImage::setBat(std::uint32_t block, std::uint16_t value) {
  putLe16(sector(info.batSector) + 2 * block, value);
}

void EsiImage::fillBlocks(std::uint32_t keep) {
  std::vector<std::uint32_t> free;
  for (std::uint32_t b = 1; b <= info.blockCount; ++b) {
    if (bat(b) == kBatFree)
      free.push_back(b);
  }
  for (std::size_t i = 0; i + keep < free.size(); ++i)
    setBat(free[i], kBatEnd);
}

std::uint16_t EsiImage::addBank(int number, const std::string& name,
                                const std::vector<std::uint8_t>& data) {
  std::uint32_t blockBytes = blockSectors() * 512;
  std::size_t blocks = std::max<std::size_t>(1, (data.size() + blockBytes - 1) / blockBytes);
  std::vector<std::uint16_t> chain;
  for (std::uint32_t b = 1; b <= info.blockCount && chain.size() < blocks; ++b) {
    if (bat(b) == kBatFree)
      chain.push_back(static_cast<std::uint16_t>(b));
  }
  if (chain.size() < blocks)
    return 0;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    setBat(chain[i], i + 1 < chain.size() ? chain[i + 1] : kBatEnd);
    std::size_t at = i * blockBytes;
    std::size_t n = data.size() - at < blockBytes ? data.size() - at : blockBytes;
    if (at < data.size())
      std::memcpy(sector(blockStart(chain[i])), data.data() + at, n);
  }
  for (std::uint32_t k = 0; k < info.bankIndexCount; ++k) {
    std::uint8_t* s = sector(info.bankIndexSector + k);
    int e = IsUnusedIndexSector(s) ? -1 : FirstFreeEntry(s);
    if (e >= 0) {
      putEntry(k, e, name, number, chain[0], static_cast<std::uint32_t>(data.size()));
      return chain[0];
    }
  }
  return 0;
}

std::vector<std::uint8_t> EsiImage::bankData(std::uint16_t first, std::uint32_t size) const {
  std::vector<std::uint8_t> data;
  std::uint32_t blockBytes = blockSectors() * 512;
  for (std::uint32_t b = first; b != kBatEnd && data.size() < size; b = bat(b)) {
    if (b == 0 || b > info.blockCount)
      break;
    const std::uint8_t* from = sector(blockStart(b));
    std::uint32_t n = size - data.size() < blockBytes
                          ? size - static_cast<std::uint32_t>(data.size())
                          : blockBytes;
    data.insert(data.end(), from, from + n);
  }
  return data;
}
