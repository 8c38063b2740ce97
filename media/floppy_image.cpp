#include "media/floppy_image.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kMonoImageStart = 104032;
// A stereo image carries a 98-byte gap between the two channels.
constexpr std::uint32_t kStereoGap = 98;
constexpr std::uint32_t kAudioStart = kFloppyTemplateSize;
constexpr std::uint32_t kSampleHeader = 11884;
// Sector 0's multi-disk fields.
constexpr int kDiskNumberAt = 40;
constexpr int kDiskCountAt = 44;
constexpr int kSampleBytesAt = 56;
constexpr int kSampleSectorsAt = 68;

void putBig32(std::uint8_t* at, std::uint32_t value) {
  at[0] = std::uint8_t(value >> 24);
  at[1] = std::uint8_t(value >> 16);
  at[2] = std::uint8_t(value >> 8);
  at[3] = std::uint8_t(value);
}

// The sample header's fields, in the order they follow one another.
void writeSampleHeader(const FloppySample& s, std::uint32_t len, std::uint8_t* header) {
  const bool stereo = s.channels == 2;
  const bool loops = s.loop.control == 0;
  // A "smpl" loop (in frames) that runs past the audio is pulled back onto
  // it rather than refused: files that end a loop one past the last frame
  // are common and imported before. Short samples and loops keep their end
  // fields at 0 instead of wrapping.
  std::uint32_t start = s.loop.start, last = s.loop.end;
  if (loops) {
    const std::uint32_t frames = len / 2;
    last = std::min(last, frames);
    start = std::min(start, frames == 0 ? 0 : frames - 1);
  }
  const std::uint32_t end = len + 6;
  const std::uint32_t loopStart = start + 12;
  const std::uint32_t loopEnd = last < 10 ? 0 : last - 10;
  std::uint32_t flags = stereo ? 0x00011E00 : 0x00011A00;
  if (loops)
    flags |= 0x00004000;
  const std::uint32_t fields[13] = {
      0,
      0,
      0,
      end,
      stereo ? end : 0,
      loopStart,
      stereo ? loopStart : 0,
      loopEnd,
      stereo ? loopEnd : 0,
      s.rate,
      flags,
      92,  // where the left channel's words begin, from the sample's own header
      stereo ? len + 190 : 0,
  };
  for (int i = 0; i < 13; ++i)
    putBig32(header + 4 * i, fields[i]);
}

// Copies frames words from src (every stride bytes) to dst, most
// significant byte first.
void swapWords(const std::uint8_t* src, std::uint32_t stride, std::uint32_t frames,
               std::uint8_t* dst) {
  for (std::uint32_t j = 0; j < frames; ++j, src += stride, dst += 2) {
    dst[0] = src[1];
    dst[1] = src[0];
  }
}

}  // namespace

FloppySetSize FloppySetSizeFor(std::uint32_t audioBytes, int channels) {
  FloppySetSize size{};
  const std::uint32_t c = channels == 2 ? 2 : 1;
  size.len = audioBytes / c;
  size.frames = size.len / 2;
  size.image =
      (c == 2 ? kMonoImageStart + kStereoGap : kMonoImageStart) + std::uint64_t(audioBytes);
  size.total = size.image + kSectorSize * (size.image / kFloppyDataPerDisk);
  size.bytes =
      (size.total + kFloppyCylinderBytes - 1) / kFloppyCylinderBytes * kFloppyCylinderBytes;
  size.disks = std::uint32_t((size.bytes + kFloppyDiskBytes - 1) / kFloppyDiskBytes);
  return size;
}

void BuildFloppyImage(const std::uint8_t* plainTemplate, const FloppySample& sample,
                      const FloppySetSize& size, std::uint8_t* sector0, std::uint8_t* logical) {
  const std::uint32_t c = sample.channels == 2 ? 2 : 1;
  std::memcpy(sector0, plainTemplate, kSectorSize);
  std::memcpy(logical, plainTemplate + kSectorSize, kFloppyTemplateSize - kSectorSize);
  writeSampleHeader(sample, size.len, logical + kSampleHeader - kSectorSize);

  // Never more frames than the file holds.
  std::uint64_t frames = std::min<std::uint64_t>(size.frames, sample.available / (2 * c));
  std::uint8_t* audio = logical + (kAudioStart - kSectorSize);
  if (c == 1) {
    swapWords(sample.audio, 2, std::uint32_t(frames), audio);
  } else {
    swapWords(sample.audio, 4, std::uint32_t(frames), audio);
    swapWords(sample.audio + 2, 4, std::uint32_t(frames), audio + size.len + kStereoGap);
  }

  const std::uint32_t sampleBytes = (size.len + 98) * c + 94;
  putBig32(sector0 + kDiskCountAt, size.disks);
  putBig32(sector0 + kSampleBytesAt, sampleBytes);
  putBig32(sector0 + kSampleSectorsAt, (sampleBytes + 511) / 512);
}

int PrepareFloppyDisk(const FloppySetSize& size, const std::uint8_t* sector0,
                      const std::uint8_t* logical, std::uint32_t disk, std::uint8_t* diskBuffer) {
  if (disk < 1 || disk > size.disks)
    return 0;
  const std::uint64_t remaining = size.bytes - std::uint64_t(disk - 1) * kFloppyDiskBytes;
  const std::uint32_t count = std::uint32_t(std::min<std::uint64_t>(remaining, kFloppyDiskBytes));
  std::memcpy(diskBuffer, sector0, kSectorSize);
  putBig32(diskBuffer + kDiskNumberAt, disk);
  std::memcpy(diskBuffer + kSectorSize, logical + std::uint64_t(disk - 1) * kFloppyDataPerDisk,
              count - kSectorSize);
  return int(count / kFloppyCylinderBytes);
}
