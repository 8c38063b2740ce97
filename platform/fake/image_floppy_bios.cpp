#include "platform/fake/image_floppy_bios.h"

#include <cstring>

FloppyOpen ImageFloppyBios::open(int drive) {
  opened.push_back(drive);
  isOpen = openAnswer == FloppyOpen::Opened;
  if (isOpen)
    disks.emplace_back(kDiskBytes);
  return openAnswer;
}

FloppyBiosResult ImageFloppyBios::writeTrack(int drive, int cylinder, int head, int firstSector,
                                             int count, const std::uint8_t* buffer) {
  attempts.push_back(FloppyAttempt{drive, cylinder, head, firstSector, count});
  if (!isOpen || disks.empty() || drive < 0 || drive > 1 || !(mask & (1u << drive)))
    return FloppyBiosResult{false, true, 0};
  if (!script.empty()) {
    FloppyBiosResult answer = script.front();
    script.pop_front();
    return answer;
  }
  if (disks.size() == protectedDisk)
    return FloppyBiosResult{true, true, 0x0300};
  // As the BIOS: a track that does not exist is "sector not found".
  if (cylinder < 0 || cylinder >= 80 || head < 0 || head > 1 || firstSector < 1 || count < 1 ||
      firstSector - 1 + count > 18)
    return FloppyBiosResult{true, true, 0x0400};
  std::size_t offset = ((std::size_t(cylinder) * 2 + head) * 18 + (firstSector - 1)) * 512;
  std::memcpy(disks.back().data() + offset, buffer, std::size_t(count) * 512);
  return FloppyBiosResult{true, false, 0};
}
