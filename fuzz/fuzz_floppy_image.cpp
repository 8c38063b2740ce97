// Feeds arbitrary bytes, read as a WAV file, to the floppy image builder and
// cuts the image into disks, checking that the set holds the whole image.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/wav.h"
#include "media/floppy_image.h"
#include "platform/fake/memory_files.h"

namespace {
void require(bool ok) {
  if (!ok)
    __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFiles files;
  files.data("in.wav").assign(data, data + size);
  FileHandle file = files.open("in.wav", FileOpen::ReadExisting);
  WavFormat format;
  if (ReadWavFormat(files, file, &format) != WavProblem::None || format.dataOffset == 0)
    return 0;
  FloppySetSize set = FloppySetSizeFor(format.audioBytes, format.channels);
  WavLoop loop;
  if (GetWavLoop(files, file, format, set.len, &loop) != WavProblem::None)
    return 0;
  require(set.bytes >= set.image + 512 * (set.disks - 1) && set.disks >= 1 &&
          std::uint64_t(set.disks) * kFloppyDataPerDisk + 512 >= set.image);

  std::vector<std::uint8_t> plain(kFloppyTemplateSize, 0xA5), sector0(512), disk(kFloppyDiskBytes);
  std::vector<std::uint8_t> logical(set.bytes);
  FloppySample sample{format.channels,          format.rate,
                      format.audioBytes,        loop,
                      data + format.dataOffset, size - format.dataOffset};
  BuildFloppyImage(plain.data(), sample, set, sector0.data(), logical.data());
  int cylinders = 0;
  for (std::uint32_t k = 1; k <= set.disks; ++k) {
    int c = PrepareFloppyDisk(set, sector0.data(), logical.data(), k, disk.data());
    require(c >= 1 && c <= 80 && (k == set.disks || c == 80));
    cylinders += c;
  }
  require(std::uint64_t(cylinders) * kFloppyCylinderBytes == set.bytes);
  return 0;
}
