#pragma once
// The disk a bank operation works on: the device's driver and number, its
// table positions taken from the device node's copy of the disk information
// sector, and sector requests to its driver. The positions came from the disk,
// so every table is checked to lie where a sector number can reach and to fit
// its buffer before it is read or written.
#include <cstdint>
#include <string>

#include "esifs/disk_info.h"

struct Context;

// Bank data moves in units of 32 sectors.
constexpr std::uint32_t kUnitSectors = 32;
constexpr std::uint32_t kUnitBytes = kUnitSectors * 512;
// The transfer buffer holds a unit and two sectors to spare.
constexpr std::uint32_t kTransferBufferBytes = (kUnitSectors + 2) * 512;

// Messages more than one bank operation gives.
constexpr const char* kBatError = "Error reading Bank Allocation Table";
// A chain that loops, leaves the disk or runs into a free block: following it
// would read or free the wrong blocks.
constexpr const char* kDamagedChain = "Bank chain on disk is damaged";
// Chains that share blocks or run into free blocks: freeing or allocating
// blocks there would give one bank's blocks to another.
constexpr const char* kDamagedTable = "Bank Allocation Table on disk is damaged";
// An export whose chain ended before the bank's size.
constexpr const char* kCutShort =
    "Bank on disk ends before its size: the file holds only the part found";

class BankDisk {
 public:
  // The disk below a bank or device node. usable() is false when the node
  // lies under no device of a registered driver.
  BankDisk(Context& ctx, int node);

  bool found() const { return deviceNode_ != 0; }
  // The tables lie where Korrin can read and write them safely (the BAT fits
  // its buffer, every table and the data area lie on the disk, apart), and the
  // node's block factor agrees with the sector. Nothing else may be used
  // without it.
  bool usable() const { return usable_; }
  int deviceNode() const { return deviceNode_; }
  const DiskInfo& info() const { return info_; }
  std::uint32_t blockSectors() const { return blockSectors_; }
  std::string deviceName() const;

  // First sector of a block; false for a block outside 1..blockCount.
  bool blockStart(std::uint32_t block, std::uint32_t* sector) const;

  // One request each; false for any nonzero result. Buffers hold count sectors.
  bool read(std::uint32_t sector, std::uint32_t count, std::uint8_t* buffer) const;
  bool write(std::uint32_t sector, std::uint32_t count, const std::uint8_t* buffer) const;
  // The whole table, one sector per request, advancing the progress bar by one
  // per sector. bat holds batCount sectors.
  bool readBat(std::uint8_t* bat) const;
  // Reads the table into a buffer of kMaxBatSectors sectors, or shows the
  // BAT message: false also for a disk that is not usable.
  bool loadBat(std::uint8_t* bat) const;
  bool writeBat(const std::uint8_t* bat) const;
  // Bank Index sector k (0-based) of 512 bytes.
  bool readIndex(std::uint32_t k, std::uint8_t* sector) const;
  bool writeIndex(std::uint32_t k, const std::uint8_t* sector) const;

 private:
  bool transfer(std::uint32_t code, std::uint32_t sector, std::uint32_t count,
                const std::uint8_t* buffer) const;

  Context& ctx_;
  int deviceNode_ = 0;
  int diskOs_ = 0;
  int device_ = 0;
  bool usable_ = false;
  DiskInfo info_{};
  std::uint32_t blockSectors_ = 0;
};

// Progress totals come from disk fields; keep them within the bar's range.
int ProgressTotal(std::uint64_t total);
// "Show T" of the status display: the text alone on row 0.
void ShowStatus(Context& ctx, const char* text);
// Closes the operation's Windows file, if one is open.
void CloseOpenFile(Context& ctx);
