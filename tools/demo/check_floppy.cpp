// Checks a floppy set that Korrin wrote against the WAV file it came from:
// each disk's numbered sector 0, the sample header and every audio word at
// its offset, read here straight from the disk images. Usage:
//   korrin_check_floppy SAMPLE.wav DISK1.img [DISK2.img ...]
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wav.h"
#include "platform/fake/memory_files.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kDiskBytes = 1474560;

Bytes readAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t big32(const Bytes& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

int failures = 0;

void expect(bool ok, const std::string& what) {
  if (!ok && ++failures <= 10)
    std::fprintf(stderr, "korrin_check_floppy: %s\n", what.c_str());
}

void field(const Bytes& b, std::size_t at, std::uint32_t wanted, const std::string& where) {
  std::uint32_t got = big32(b, at);
  expect(got == wanted, where + " field " + std::to_string(at) + " is " + std::to_string(got) +
                            ", not " + std::to_string(wanted));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: korrin_check_floppy SAMPLE.wav DISK1.img [DISK2.img ...]\n");
    return 2;
  }
  MemoryFiles files;
  files.data("wav") = readAll(argv[1]);
  const Bytes& wav = files.data("wav");
  FileHandle file = files.open("wav", FileOpen::ReadExisting);
  WavFormat f;
  WavLoop loop;
  if (ReadWavFormat(files, file, &f) != WavProblem::None || f.dataOffset == 0) {
    std::fprintf(stderr, "korrin_check_floppy: %s is no 16-bit WAV file with audio\n", argv[1]);
    return 1;
  }
  const std::uint32_t c = std::uint32_t(f.channels), len = f.audioBytes / c;
  GetWavLoop(files, file, f, len, &loop);

  // The logical image: disk 1 whole, then every further disk after its sector 0.
  const std::uint32_t disks = std::uint32_t(argc - 2);
  const std::uint32_t sampleBytes = (len + 98) * c + 94;
  Bytes image;
  for (std::uint32_t k = 1; k <= disks; ++k) {
    Bytes d = readAll(argv[k + 1]);
    std::string name = argv[k + 1];
    expect(d.size() == kDiskBytes, name + " is not 1 474 560 bytes long");
    if (d.size() != kDiskBytes)
      return 1;
    field(d, 40, k, name);
    field(d, 44, disks, name);
    field(d, 56, sampleBytes, name);
    field(d, 68, (sampleBytes + 511) / 512, name);
    image.insert(image.end(), d.begin() + (k == 1 ? 0 : 512), d.end());
  }
  const bool stereo = c == 2, loops = loop.control == 0;
  const std::uint32_t frames = len / 2;
  // A loop past the audio is expected on its last frames; end fields below
  // 10 are expected as 0.
  if (loops && loop.end > frames)
    loop.end = frames;
  if (loops && loop.start >= frames)
    loop.start = frames == 0 ? 0 : frames - 1;
  const std::uint32_t loopEnd = loop.end < 10 ? 0 : loop.end - 10;
  const std::uint32_t header[13] = {0,
                                    0,
                                    0,
                                    len + 6,
                                    stereo ? len + 6 : 0,
                                    loop.start + 12,
                                    stereo ? loop.start + 12 : 0,
                                    loopEnd,
                                    stereo ? loopEnd : 0,
                                    f.rate,
                                    (stereo ? 0x00011E00u : 0x00011A00u) | (loops ? 0x4000u : 0),
                                    92,
                                    stereo ? len + 190 : 0};
  for (int i = 0; i < 13; ++i)
    field(image, 11884 + 4 * i, header[i], "sample header");

  expect(image.size() >= 104032 + std::uint64_t(c) * (len + 98), "the set is too short");
  for (std::uint32_t ch = 0; ch < c && failures == 0; ++ch) {
    for (std::uint32_t j = 0; j < frames; ++j) {
      const std::uint8_t* in = &wav[f.dataOffset + (j * c + ch) * 2];
      std::size_t at = 104032 + ch * (len + 98) + 2 * std::size_t(j);
      if (image[at] != in[1] || image[at + 1] != in[0]) {
        expect(false, "audio word " + std::to_string(j) + " of channel " + std::to_string(ch) +
                          " differs at " + std::to_string(at));
        break;
      }
    }
  }
  if (failures != 0)
    return 1;
  std::printf("OK: %u disk%s, %u frames of %u channel%s at %u Hz%s\n", disks, disks > 1 ? "s" : "",
              frames, c, c > 1 ? "s" : "", f.rate, loops ? ", looped" : "");
  return 0;
}
