#pragma once
// Floppy drives for tests: every open stands for a fresh 1.44 MB disk put in
// the drive, kept in memory; every attempt is recorded, and the answers of
// the next attempts can be scripted (carry set with a BIOS status) to stand
// for a failing drive.
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/floppy_bios.h"

struct FloppyAttempt {
  int drive, cylinder, head, firstSector, count;
};

class ImageFloppyBios : public FloppyBios {
 public:
  static constexpr std::uint32_t kDiskBytes = 1474560;

  explicit ImageFloppyBios(std::uint32_t driveMask = 1) : mask(driveMask) {}

  std::uint32_t logicalDrives() override { return mask; }
  FloppyOpen open(int drive) override;
  void close() override { isOpen = false; }
  FloppyBiosResult writeTrack(int drive, int cylinder, int head, int firstSector, int count,
                              const std::uint8_t* buffer) override;

  // The disks in the order they were put in, all zeros until written.
  std::vector<std::vector<std::uint8_t>> disks;

  std::uint32_t mask;
  FloppyOpen openAnswer = FloppyOpen::Opened;
  bool isOpen = false;
  std::vector<int> opened;  // the drive of every open, in turn
  // The disk (from 1) whose every write fails as write-protected; 0: none.
  std::size_t protectedDisk = 0;
  std::vector<FloppyAttempt> attempts;
  // Answers of the next attempts, in turn; an attempt answered from here
  // writes nothing.
  std::deque<FloppyBiosResult> script;
};
