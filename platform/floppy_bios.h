#pragma once
// The PC's floppy drives as Korrin writes them: the BIOS disk service's
// "write sectors" (INT 13h function 03h), one track per call. Windows 9x
// offers it through the vwin32 device; elsewhere the Win32 side writes the
// same sectors to the raw drive.
#include <cstdint>

// One attempt's answer. The carry flag set means the write failed, and then
// AH holds the BIOS status (06h: the disk was changed, nothing written).
struct FloppyBiosResult {
  bool called;  // false when the device call itself failed
  bool carry;
  std::uint32_t eax;
};

// How opening a drive for one disk ended. A raw drive is written only when
// its medium reads as a 1.44 MB floppy.
enum class FloppyOpen { Opened, Failed, NotFloppy, SizeUnknown };

class FloppyBios {
 public:
  virtual ~FloppyBios() = default;
  // The logical drive mask: bit 0 is A:, bit 1 is B:.
  virtual std::uint32_t logicalDrives() = 0;
  // The device through which one disk in drive is written; writes work only
  // between open and close.
  virtual FloppyOpen open(int drive) = 0;
  virtual void close() = 0;
  // Writes count sectors of one track from buffer, the first one numbered
  // firstSector (from 1).
  virtual FloppyBiosResult writeTrack(int drive, int cylinder, int head, int firstSector, int count,
                                      const std::uint8_t* buffer) = 0;
};
