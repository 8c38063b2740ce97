#pragma once
// The floppy port on Windows: INT 13h through the vwin32 device where it
// exists (Windows 9x); on every NT-based Windows and under Wine, the same
// sectors written to the raw drive \\.\A: or \\.\B: at their byte offsets.
#include <windows.h>

#include "platform/floppy_bios.h"

class Win32FloppyBios : public FloppyBios {
 public:
  Win32FloppyBios() = default;
  ~Win32FloppyBios() override { close(); }
  Win32FloppyBios(const Win32FloppyBios&) = delete;
  Win32FloppyBios& operator=(const Win32FloppyBios&) = delete;

  std::uint32_t logicalDrives() override;
  FloppyOpen open(int drive) override;
  void close() override;
  FloppyBiosResult writeTrack(int drive, int cylinder, int head, int firstSector, int count,
                              const std::uint8_t* buffer) override;

 private:
  FloppyBiosResult callInt13(int drive, int cylinder, int head, int firstSector, int count,
                             const std::uint8_t* buffer);
  FloppyBiosResult writeRaw(int drive, int cylinder, int head, int firstSector, int count,
                            const std::uint8_t* buffer);

  enum class Mode { Closed, Vwin32, RawDrive };
  Mode mode_ = Mode::Closed;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  int rawDrive_ = -1;
  bool locked_ = false;
};
