#include "platform/win32/win32_floppy_bios.h"

#include "platform/win32/win32_files.h"

#include <winioctl.h>

#include <cstdint>

namespace {

// The vwin32 device's register block and its INT 13h control code, as
// published for Windows 9x.
struct DiocRegisters {
  DWORD reg_EBX;
  DWORD reg_EDX;
  DWORD reg_ECX;
  DWORD reg_EAX;
  DWORD reg_EDI;
  DWORD reg_ESI;
  DWORD reg_Flags;
};
static_assert(sizeof(DiocRegisters) == 28, "published layout");
constexpr DWORD VWIN32_DIOC_DOS_INT13 = 4;
constexpr DWORD kCarryFlag = 1;

constexpr int kSectorsPerTrack = 18;
constexpr LONGLONG kFloppyBytes = 1474560;
constexpr int kHeads = 2;
constexpr DWORD kSectorBytes = 512;
// BIOS statuses given for a raw write that failed.
constexpr DWORD kStatusWriteProtected = 0x0300;
constexpr DWORD kStatusSectorNotFound = 0x0400;

// The size of the medium in a drive (or of the file Wine maps it to); false
// when it cannot be told.
bool knownSize(HANDLE drive, LONGLONG* size) {
  GET_LENGTH_INFORMATION length = {};
  DWORD returned = 0;
  if (DeviceIoControl(drive, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length,
                      &returned, nullptr)) {
    *size = length.Length.QuadPart;
    return true;
  }
  LONGLONG bytes = 0;
  if (fileSize(drive, &bytes) && bytes != 0) {
    *size = bytes;
    return true;
  }
  // Windows before XP knows only the geometry of the medium.
  DISK_GEOMETRY geometry = {};
  if (DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry,
                      &returned, nullptr)) {
    *size = geometry.Cylinders.QuadPart * geometry.TracksPerCylinder * geometry.SectorsPerTrack *
            geometry.BytesPerSector;
    return true;
  }
  return false;
}

}  // namespace

std::uint32_t Win32FloppyBios::logicalDrives() {
  return GetLogicalDrives();
}

FloppyOpen Win32FloppyBios::open(int drive) {
  close();
  handle_ = CreateFileA("\\\\.\\vwin32", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle_ != INVALID_HANDLE_VALUE) {
    mode_ = Mode::Vwin32;
    return FloppyOpen::Opened;
  }
  if (drive < 0 || drive > 1)
    return FloppyOpen::Failed;
  char path[] = "\\\\.\\A:";
  path[4] = static_cast<char>('A' + drive);
  handle_ = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE)
    return FloppyOpen::Failed;
  // A: or B: may be a USB stick or a partition today: only a medium that
  // reads as a 1.44 MB disk gets a floppy written over it, and one whose
  // size cannot be read may be anything.
  LONGLONG size = 0;
  bool known = knownSize(handle_, &size);
  if (!known || size != kFloppyBytes) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return known ? FloppyOpen::NotFloppy : FloppyOpen::SizeUnknown;
  }
  // Current Windows refuses raw writes to a mounted volume. Where locking or
  // dismounting is not supported (Wine, a drive without a file system), the
  // writes go ahead all the same.
  DWORD ignored = 0;
  locked_ = DeviceIoControl(handle_, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &ignored, nullptr);
  DeviceIoControl(handle_, FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0, &ignored, nullptr);
  mode_ = Mode::RawDrive;
  rawDrive_ = drive;
  return FloppyOpen::Opened;
}

void Win32FloppyBios::close() {
  if (handle_ != INVALID_HANDLE_VALUE) {
    DWORD ignored = 0;
    if (locked_)
      DeviceIoControl(handle_, FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, &ignored, nullptr);
    CloseHandle(handle_);
  }
  handle_ = INVALID_HANDLE_VALUE;
  mode_ = Mode::Closed;
  rawDrive_ = -1;
  locked_ = false;
}

FloppyBiosResult Win32FloppyBios::writeTrack(int drive, int cylinder, int head, int firstSector,
                                             int count, const std::uint8_t* buffer) {
  switch (mode_) {
    case Mode::Vwin32:
      return callInt13(drive, cylinder, head, firstSector, count, buffer);
    case Mode::RawDrive:
      return writeRaw(drive, cylinder, head, firstSector, count, buffer);
    case Mode::Closed:
      break;
  }
  return FloppyBiosResult{false, true, 0};
}

FloppyBiosResult Win32FloppyBios::callInt13(int drive, int cylinder, int head, int firstSector,
                                            int count, const std::uint8_t* buffer) {
  DiocRegisters regs = {};
  regs.reg_EAX = 0x0300 + static_cast<DWORD>(count);
  regs.reg_ECX = static_cast<DWORD>(cylinder) * 256 + static_cast<DWORD>(firstSector);
  regs.reg_EDX = static_cast<DWORD>(head) * 256 + static_cast<DWORD>(drive);
  regs.reg_EBX = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(buffer));
  // Preset: a call that leaves the flags alone has failed.
  regs.reg_Flags = kCarryFlag;
  DWORD returned = 0;
  if (!DeviceIoControl(handle_, VWIN32_DIOC_DOS_INT13, &regs, sizeof regs, &regs, sizeof regs,
                       &returned, nullptr))
    return FloppyBiosResult{false, true, 0};
  return FloppyBiosResult{true, (regs.reg_Flags & kCarryFlag) != 0, regs.reg_EAX};
}

FloppyBiosResult Win32FloppyBios::writeRaw(int drive, int cylinder, int head, int firstSector,
                                           int count, const std::uint8_t* buffer) {
  // The handle is the drive's own: a request for the other drive cannot be
  // served through it.
  if (drive != rawDrive_ || firstSector < 1 || count < 1 ||
      firstSector - 1 + count > kSectorsPerTrack)
    return FloppyBiosResult{true, true, kStatusSectorNotFound};
  DWORD sector =
      static_cast<DWORD>((cylinder * kHeads + head) * kSectorsPerTrack + (firstSector - 1));
  LONGLONG at = static_cast<LONGLONG>(sector) * kSectorBytes;
  DWORD bytes = static_cast<DWORD>(count) * kSectorBytes;
  DWORD written = 0;
  if (!seekFile(handle_, at, FILE_BEGIN) || !WriteFile(handle_, buffer, bytes, &written, nullptr) ||
      written != bytes) {
    DWORD status =
        GetLastError() == ERROR_WRITE_PROTECT ? kStatusWriteProtected : kStatusSectorNotFound;
    return FloppyBiosResult{true, true, status};
  }
  return FloppyBiosResult{true, false, 0};
}
