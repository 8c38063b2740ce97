#pragma once
// The logical ESi floppy image of one sample: the floppy template with the
// sample header filled in and the audio appended, as if one floppy were large
// enough, and how it is cut into disks, each starting with its own stamped
// copy of sector 0. Pure functions over memory, shared by the drive and the
// image file commands.
#include <cstdint>

#include "audio/wav.h"
#include "media/floppy_driver.h"

constexpr std::uint32_t kFloppyTemplateSize = 104032;
// Logical image bytes that each disk holds after its sector 0.
constexpr std::uint32_t kFloppyDataPerDisk = kFloppyDiskBytes - kSectorSize;

struct FloppySetSize {
  std::uint32_t len;     // audio bytes per channel
  std::uint32_t frames;  // LEN / 2
  std::uint64_t image;   // the logical image's size
  std::uint64_t total;   // with one more sector 0 for every further disk
  std::uint64_t bytes;   // total rounded up to whole cylinders: the logical buffer
  std::uint32_t disks;
};

FloppySetSize FloppySetSizeFor(std::uint32_t audioBytes, int channels);

struct FloppySample {
  int channels;
  std::uint32_t rate;
  std::uint32_t audioBytes;
  WavLoop loop;
  // The file's audio: little-endian words, channels interleaved. available
  // bounds what is read, whatever audioBytes says.
  const std::uint8_t* audio;
  std::uint64_t available;
};

// Fills sector0 (512 bytes) and logical (size.bytes bytes, zeros on entry;
// logical image byte 512 onward) from the unscrambled template.
void BuildFloppyImage(const std::uint8_t* plainTemplate, const FloppySample& sample,
                      const FloppySetSize& size, std::uint8_t* sector0, std::uint8_t* logical);

// Makes disk (from 1) in the disk buffer (kFloppyDiskBytes): its numbered
// sector 0 followed by its part of the logical image. Returns the number of
// cylinders that belong to it; the rest of the buffer is not its content.
int PrepareFloppyDisk(const FloppySetSize& size, const std::uint8_t* sector0,
                      const std::uint8_t* logical, std::uint32_t disk, std::uint8_t* diskBuffer);
