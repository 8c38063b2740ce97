// Feeds arbitrary bytes, as a whole WAV file, to the WAV reader and the loop
// reader, and checks that what they promise holds: the audio lies inside the
// file and is whole frames of a format Korrin sends.
#include <cstddef>
#include <cstdint>

#include "audio/wav.h"
#include "platform/fake/memory_files.h"

namespace {

void require(bool ok) {
  if (!ok)
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFiles files;
  files.data("x.wav").assign(data, data + size);
  FileHandle file = files.open("x.wav", FileOpen::ReadExisting);
  WavFormat format;
  if (ReadWavFormat(files, file, &format) == WavProblem::None) {
    require(format.bits == 16 && (format.channels == 1 || format.channels == 2));
    require(format.audioBytes % (2 * format.channels) == 0);
    require(format.dataOffset + format.audioBytes <= size);
    require(format.audioBytes == 0 || format.dataOffset >= 8);
    WavLoop loop;
    std::uint32_t frames = format.audioBytes / format.channels / 2;
    if (GetWavLoop(files, file, format, frames, &loop) == WavProblem::None)
      require(loop.control == 0 || (loop.start == 0 && loop.end == frames));
  }
  files.close(file);
  return 0;
}
