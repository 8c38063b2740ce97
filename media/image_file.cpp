#include "media/image_file.h"

#include <algorithm>

#include "esifs/disk_info.h"

namespace {

constexpr std::uint64_t kSectorBytes = 512;

// Sectors on the disk the image holds, from its disk information sector; 0
// when the file holds none.
std::uint64_t diskSectors(Files& files, FileHandle file) {
  std::uint8_t sector[512];
  if (!ReadEsiSectorZero(files, file, sector))
    return 0;
  return std::uint64_t{ReadDiskInfo(sector).lastSector} + 1;
}

std::uint64_t roundUpToCdSector(std::uint64_t bytes) {
  return (bytes + kCdSectorSize - 1) / kCdSectorSize * kCdSectorSize;
}

}  // namespace

bool AppendZeros(Files& files, FileHandle file, std::uint64_t from, std::uint64_t length) {
  static const std::uint8_t zeros[32768] = {};
  if (from >= length)
    return true;
  if (!files.seekEnd(file))
    return false;
  while (from < length) {
    std::uint32_t step =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(length - from, sizeof zeros));
    if (!files.write(file, zeros, step))
      return false;
    from += step;
  }
  return true;
}

bool ClampToCdCapacity(std::uint8_t* s) {
  DiskInfo d = ReadDiskInfo(s);
  if (d.lastSector < kCdCapacitySectors)
    return false;
  putLe32(s + kLastSectorAt, kCdCapacitySectors - 1);
  // The block size as the clamp has always read it. A divisor that is zero or
  // beyond reason leaves blockCount alone, and the clamp never grows it: more
  // blocks than the disk was made with would lie past its tables or its end.
  std::uint64_t divisor =
      d.blockSizeShift < 32
          ? (static_cast<std::uint64_t>(d.blockSizeCode) << d.blockSizeShift) * 128
          : 0;
  std::uint64_t room = d.dataSector < kCdCapacitySectors ? kCdCapacitySectors - d.dataSector : 0;
  std::uint64_t blocks = d.blockCount;
  if (divisor != 0)
    blocks = std::min(blocks, room / divisor);
  // Byte 0x29 need not match the block size the rest of the program uses;
  // the data area must end on the clamped disk all the same, or no bank
  // operation could use the disk.
  if (BlockSectors(d) != 0)
    blocks = std::min<std::uint64_t>(blocks, room / BlockSectors(d));
  if (blocks < d.blockCount)
    putLe32(s + kBlockCountAt, static_cast<std::uint32_t>(blocks));
  StoreChecksum(s, DiskInfoChecksumGapped(s));
  return true;
}

bool ReadEsiSectorZero(Files& files, FileHandle file, std::uint8_t* sector) {
  std::uint32_t got = 0;
  return files.seek(file, 0) && files.read(file, sector, 512, &got) && got == 512 &&
         IsEsiDiskInfo(sector);
}

bool CheckImageFile(Files& files, FileHandle file) {
  std::uint64_t length = 0;
  if (!files.size(file, &length) || length % kCdSectorSize != 0)
    return false;
  std::uint8_t sector[512];
  if (!ReadEsiSectorZero(files, file, sector))
    return false;
  if (ClampToCdCapacity(sector)) {
    if (!files.seek(file, 0) || !files.write(file, sector, sizeof sector))
      return false;
  }
  return files.seek(file, 0);
}

std::uint32_t ReadImageSectors(Files& files, FileHandle file, std::uint32_t first, std::uint32_t n,
                               std::uint8_t* buffer) {
  std::uint64_t bytes = n * kSectorBytes;
  if (bytes > UINT32_MAX)
    return kImageFileError;
  std::uint32_t got = 0;
  bool read = files.seek(file, first * kSectorBytes) &&
              files.read(file, buffer, static_cast<std::uint32_t>(bytes), &got);
  if (read && got == bytes)
    return 0;
  // Never hand back what the buffer held before as if it had been read.
  std::fill(buffer + std::min<std::uint64_t>(got, bytes), buffer + bytes, 0);
  // A write grows the file with zeros only as far as it reaches, so sectors
  // of the disk past the end of the file hold zeros. Past the disk's last
  // sector there is nothing to read.
  return read && first + std::uint64_t{n} <= diskSectors(files, file) ? 0 : kImageFileError;
}

std::uint32_t WriteImageSectors(Files& files, FileHandle file, std::uint32_t first, std::uint32_t n,
                                const std::uint8_t* buffer) {
  std::uint64_t offset = first * kSectorBytes;
  std::uint64_t bytes = n * kSectorBytes;
  // A CD holds no more; a disk table pointing further is damaged or hostile,
  // and following it would fill the PC's disk with zeros.
  if (static_cast<std::uint64_t>(first) + n > kCdCapacitySectors)
    return kImageFileError;
  std::uint64_t length = 0;
  if (!files.size(file, &length))
    return kImageFileError;
  // Zeros in whole CD sectors until the file reaches the first sector written.
  if (length < offset && !AppendZeros(files, file, length, roundUpToCdSector(offset))) {
    return kImageFileError;
  }
  if (!files.seek(file, offset) || !files.write(file, buffer, static_cast<std::uint32_t>(bytes))) {
    return kImageFileError;
  }
  // Every write that extends the file keeps it a whole number of CD sectors
  // long, also below the template's sectors: any other length is refused
  // when the image is opened next. The new length follows from the writes,
  // so the file system is not asked again for every unit.
  std::uint64_t end =
      std::max(length < offset ? roundUpToCdSector(offset) : length, offset + bytes);
  if (!AppendZeros(files, file, end, roundUpToCdSector(end)))
    return kImageFileError;
  return 0;
}

std::string ImageFileName(const std::string& path) {
  std::string::size_type slash = path.rfind('\\');
  if (slash == std::string::npos || slash == 0)
    return path;
  return path.substr(slash + 1);
}
