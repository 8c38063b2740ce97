#include "media/disk_image_file.h"

#include "esifs/disk_info.h"
#include "media/image_file.h"

namespace {
constexpr std::uint64_t kSectorBytes = 512;
}  // namespace

bool CheckDiskImageFile(Files& files, FileHandle file, std::uint64_t* diskSectors) {
  std::uint64_t length = 0;
  if (!files.size(file, &length) || length == 0 || length % kSectorBytes != 0)
    return false;
  std::uint8_t sector[512];
  if (!ReadEsiSectorZero(files, file, sector))
    return false;
  // Writes go where the tables say; a disk whose tables leave it or overlap
  // would have them written anywhere.
  DiskInfo d = ReadDiskInfo(sector);
  if (!IsUsableEsiDisk(d))
    return false;
  *diskSectors = std::uint64_t{d.lastSector} + 1;
  return files.seek(file, 0);
}

std::uint32_t WriteDiskImageSectors(Files& files, FileHandle file, std::uint64_t diskSectors,
                                    std::uint32_t first, std::uint32_t n,
                                    const std::uint8_t* buffer) {
  std::uint64_t bytes = n * kSectorBytes;
  if (first + std::uint64_t{n} > diskSectors || bytes > UINT32_MAX)
    return kImageFileError;
  std::uint64_t offset = first * kSectorBytes;
  std::uint64_t length = 0;
  if (!files.size(file, &length))
    return kImageFileError;
  // Zeros written, not left to the file system: not every one of them
  // promises zeros in a gap.
  if (length < offset && !AppendZeros(files, file, length, offset))
    return kImageFileError;
  if (!files.seek(file, offset) || !files.write(file, buffer, static_cast<std::uint32_t>(bytes)))
    return kImageFileError;
  return 0;
}
