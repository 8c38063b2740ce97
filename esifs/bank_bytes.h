#pragma once
// Random access to one bank's bytes, wherever they are kept: in its block
// chain on an ESi disk, or in a bank file. Both are read in whole 16 384-byte
// units (a disk's transfer unit, a bank file's chunk), the last one kept, so
// reading the tables and then each sample header in order costs one request
// per unit; the last few units read are kept, so the two channels of a
// stereo sample stream side by side without reading any unit twice. A few
// bytes outside the units kept (a sample header) are read by the sector on a
// disk, so listing does not read the audio around them. Nothing outside the
// bank is ever read: offsets past size() fail.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "esifs/bank_disk.h"
#include "platform/files.h"

struct Context;

class BankBytes {
 public:
  virtual ~BankBytes() = default;
  // The bytes that can be read: the bank's size, or less when its chain is
  // damaged or ends early (damaged() then says so).
  std::uint32_t size() const { return size_; }
  bool damaged() const { return damaged_; }
  // False for a range past size() or a failed read.
  bool read(std::uint32_t offset, std::uint32_t count, std::uint8_t* out);

 protected:
  BankBytes() : units_(kCachedUnits * kUnitBytes) {}
  // Reads unit `index` (16 384 bytes from index * 16 384) into buffer.
  virtual bool loadUnit(std::uint32_t index, std::uint8_t* buffer) = 0;
  // Reads fewer than 512 bytes that no kept unit holds; through a unit unless
  // the bank's store can do better.
  virtual bool readFew(std::uint32_t offset, std::uint32_t count, std::uint8_t* out) {
    return readUnits(offset, count, out);
  }
  bool readUnits(std::uint32_t offset, std::uint32_t count, std::uint8_t* out);

  std::uint32_t size_ = 0;
  bool damaged_ = false;

 private:
  static constexpr int kCachedUnits = 4;
  std::vector<std::uint8_t> units_;
  std::int64_t loaded_[kCachedUnits] = {-1, -1, -1, -1};
  std::uint32_t used_[kCachedUnits] = {};
  std::uint32_t clock_ = 0;
};

// The bank of a bank node through its device's driver. Null after a message
// (the disk is not usable, its table cannot be read).
std::unique_ptr<BankBytes> OpenBankOnDisk(Context& ctx, int bankNode);
// The bank held in a bank file, with its keystream undone; the file stays
// open for as long as the object lives. Null when it cannot be opened.
std::unique_ptr<BankBytes> OpenBankFile(Files& files, const std::string& path);
