#include "esifs/bank_bytes.h"

#include <algorithm>
#include <cstring>

#include "core/context.h"
#include "esifs/bank_file.h"
#include "esifs/bat.h"
#include "esifs/chain.h"

static_assert(kUnitBytes == kBankChunkSize, "a disk unit is a bank file chunk");

bool BankBytes::read(std::uint32_t offset, std::uint32_t count, std::uint8_t* out) {
  if (std::uint64_t{offset} + count > size_)
    return false;
  bool kept = false;
  for (int i = 0; i < kCachedUnits; ++i)
    kept |= loaded_[i] == offset / kUnitBytes;
  return count < 512 && !kept ? readFew(offset, count, out) : readUnits(offset, count, out);
}

bool BankBytes::readUnits(std::uint32_t offset, std::uint32_t count, std::uint8_t* out) {
  while (count > 0) {
    std::uint32_t index = offset / kUnitBytes;
    int slot = 0;
    for (int i = 0; i < kCachedUnits; ++i) {
      if (loaded_[i] == index || (loaded_[slot] != index && used_[i] < used_[slot]))
        slot = i;
    }
    if (loaded_[slot] != index) {
      loaded_[slot] = -1;
      if (!loadUnit(index, &units_[slot * kUnitBytes]))
        return false;
      loaded_[slot] = index;
    }
    used_[slot] = ++clock_;
    std::uint32_t at = offset % kUnitBytes;
    std::uint32_t n = count < kUnitBytes - at ? count : kUnitBytes - at;
    std::memcpy(out, &units_[slot * kUnitBytes + at], n);
    out += n;
    offset += n;
    count -= n;
  }
  return true;
}

namespace {

class ChainBytes : public BankBytes {
 public:
  ChainBytes(Context& ctx, int bankNode) : disk_(ctx, bankNode) {}

  // Walks the chain once; only its sound blocks are ever read.
  bool open(const TreeNode& bank) {
    std::vector<std::uint8_t> batBytes(kMaxBatSectors * 512);
    if (!disk_.found() || !disk_.loadBat(batBytes.data()))
      return false;
    const DiskInfo& d = disk_.info();
    Bat bat(batBytes.data(), d.batCount);
    ChainWalk walk = WalkChain(bat, swap16(bank.bankWord), d.blockCount,
                               BlocksToCover(bank.size, disk_.blockSectors()));
    blocks_ = std::move(walk.blocks);
    std::uint64_t covered = std::uint64_t{blocks_.size()} * disk_.blockSectors() * 512;
    size_ = covered < bank.size ? static_cast<std::uint32_t>(covered) : bank.size;
    damaged_ = walk.status != ChainStatus::Ok || covered < bank.size;
    return true;
  }

 protected:
  bool loadUnit(std::uint32_t index, std::uint8_t* buffer) override {
    std::uint32_t unitsPerBlock = disk_.blockSectors() / kUnitSectors;
    std::uint32_t b = index / unitsPerBlock;
    std::uint32_t sector = 0;
    return b < blocks_.size() && disk_.blockStart(blocks_[b], &sector) &&
           disk_.read(sector + index % unitsPerBlock * kUnitSectors, kUnitSectors, buffer);
  }

  // The sector or two that hold the bytes, one request per block they lie in.
  bool readFew(std::uint32_t offset, std::uint32_t count, std::uint8_t* out) override {
    std::uint8_t sectors[2 * 512];
    std::uint32_t first = offset / 512, last = (offset + count - 1) / 512;
    for (std::uint32_t s = first; s <= last;) {
      std::uint32_t b = s / disk_.blockSectors(), within = s % disk_.blockSectors();
      std::uint32_t n = std::min(last - s + 1, disk_.blockSectors() - within), sector = 0;
      if (b >= blocks_.size() || !disk_.blockStart(blocks_[b], &sector) ||
          !disk_.read(sector + within, n, sectors + (s - first) * 512))
        return false;
      s += n;
    }
    std::memcpy(out, sectors + offset % 512, count);
    return true;
  }

 private:
  BankDisk disk_;
  std::vector<std::uint16_t> blocks_;
};

class FileBytes : public BankBytes {
 public:
  FileBytes(Files& files, FileHandle file, std::uint32_t size) : files_(files), file_(file) {
    size_ = size;
  }
  ~FileBytes() override { files_.close(file_); }

 protected:
  bool loadUnit(std::uint32_t index, std::uint8_t* buffer) override {
    std::uint32_t at = index * kUnitBytes;
    std::uint32_t n = size_ - at < kUnitBytes ? size_ - at : kUnitBytes;
    std::uint32_t got = 0;
    if (!files_.seek(file_, at) || !files_.read(file_, buffer, n, &got) || got != n)
      return false;
    RestoreImportChunk(buffer, n, at);
    return true;
  }

 private:
  Files& files_;
  FileHandle file_;
};

}  // namespace

std::unique_ptr<BankBytes> OpenBankOnDisk(Context& ctx, int bankNode) {
  if (!ctx.nodes.valid(bankNode) || ctx.nodes[bankNode].type != Bank)
    return nullptr;
  auto bytes = std::make_unique<ChainBytes>(ctx, bankNode);
  if (!bytes->open(ctx.nodes[bankNode]))
    return nullptr;
  return bytes;
}

std::unique_ptr<BankBytes> OpenBankFile(Files& files, const std::string& path) {
  FileHandle file = files.open(path, FileOpen::ReadExisting);
  if (file == kNoFile)
    return nullptr;
  std::uint64_t size = 0;
  // A bank never reaches 4 GiB; such a file is no bank file.
  if (!files.size(file, &size) || size > 0xFFFFFFFFu) {
    files.close(file);
    return nullptr;
  }
  return std::make_unique<FileBytes>(files, file, static_cast<std::uint32_t>(size));
}
