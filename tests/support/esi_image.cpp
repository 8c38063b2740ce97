#include "tests/support/esi_image.h"

#include <algorithm>

#include "esifs/bank_file.h"
#include "esifs/bank_index.h"
#include "esifs/bat.h"
#include "esifs/disk_info_writer.h"

static std::string name16(const std::string& name) {
  return (name + std::string(16, ' ')).substr(0, 16);
}

std::vector<std::uint8_t> MakeBankData(std::uint32_t size, const std::string& name,
                                       std::uint32_t seed) {
  std::vector<std::uint8_t> data(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& b : data)
    b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 16);
  std::string head = "EMULATOR 3X     " + name16(name) + std::string(44, ' ') + name16(name);
  std::memcpy(data.data(), head.data(), std::min<std::size_t>(size, head.size()));
  return data;
}

std::vector<std::uint8_t> MakeBankFile(std::vector<std::uint8_t> data) {
  for (std::size_t at = 0; at < data.size(); at += kBankChunkSize) {
    std::size_t n = std::min<std::size_t>(data.size() - at, kBankChunkSize);
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

void EsiImage::putEntry(std::uint32_t k, int e, const std::string& name, int number,
                        std::uint16_t firstBlock, std::uint32_t size) {
  EncodeNewBankEntry(NewBankEntry(name16(name).c_str(), static_cast<std::uint16_t>(number),
                                  firstBlock, size, blockSectors()),
                     indexEntry(k, e));
}

void EsiImage::fillBlocks(std::uint32_t keep) {
  std::uint32_t kept = 0;
  for (std::uint32_t b = info.blockCount; b >= 1; --b) {
    if (bat(b) == kBatFree && ++kept > keep)
      setBat(b, kBatEnd);
  }
}

std::uint16_t EsiImage::addBank(int number, const std::string& name,
                                const std::vector<std::uint8_t>& data) {
  std::size_t blockBytes = blockSectors() * 512;
  std::size_t blocks = std::max<std::size_t>(1, (data.size() + blockBytes - 1) / blockBytes);
  std::vector<std::uint16_t> chain;
  for (std::uint32_t b = 1; b <= info.blockCount && chain.size() < blocks; ++b) {
    if (bat(b) == kBatFree)
      chain.push_back(static_cast<std::uint16_t>(b));
  }
  for (std::uint32_t k = 0; k < info.bankIndexCount && chain.size() == blocks; ++k) {
    const std::uint8_t* s = sector(info.bankIndexSector + k);
    int e = IsUnusedIndexSector(s) ? -1 : FirstFreeEntry(s);
    if (e < 0)
      continue;
    for (std::size_t i = 0; i < blocks; ++i) {
      setBat(chain[i], i + 1 < blocks ? chain[i + 1] : kBatEnd);
      std::size_t at = std::min(i * blockBytes, data.size());
      std::copy(data.data() + at, data.data() + std::min(at + blockBytes, data.size()),
                sector(blockStart(chain[i])));
    }
    putEntry(k, e, name, number, chain[0], static_cast<std::uint32_t>(data.size()));
    return chain[0];
  }
  return 0;
}

std::vector<std::uint8_t> EsiImage::bankData(std::uint16_t first, std::uint32_t size) const {
  std::vector<std::uint8_t> data;
  for (std::uint32_t b = first; b >= 1 && b <= info.blockCount && data.size() < size; b = bat(b)) {
    data.insert(data.end(), sector(blockStart(b)), sector(blockStart(b) + blockSectors()));
  }
  data.resize(std::min<std::size_t>(data.size(), size));
  return data;
}
