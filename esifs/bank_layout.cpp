#include "esifs/bank_layout.h"

#include <cmath>
#include <cstring>

#include "esifs/disk_info.h"

SampleHeader DecodeSampleHeader(const std::uint8_t bytes[kSampleHeaderSize]) {
  SampleHeader h;
  std::memcpy(h.name, bytes, 16);
  for (int c = 0; c < 2; ++c) {
    h.start[c] = getLe32(bytes + 20 + 4 * c);
    h.end[c] = getLe32(bytes + 28 + 4 * c);
    h.loopStart[c] = getLe32(bytes + 36 + 4 * c);
    h.loopEnd[c] = getLe32(bytes + 44 + 4 * c);
    h.dataPosition[c] = getLe32(bytes + 60 + 4 * c);
  }
  h.rate = getLe32(bytes + 52);
  h.playback = getLe16(bytes + 56);
  h.options = getLe16(bytes + 58);
  return h;
}

void EncodeSampleHeader(const SampleHeader& h, std::uint8_t bytes[kSampleHeaderSize]) {
  std::memset(bytes, 0, kSampleHeaderSize);
  std::memcpy(bytes, h.name, 16);
  for (int c = 0; c < 2; ++c) {
    putLe32(bytes + 20 + 4 * c, h.start[c]);
    putLe32(bytes + 28 + 4 * c, h.end[c]);
    putLe32(bytes + 36 + 4 * c, h.loopStart[c]);
    putLe32(bytes + 44 + 4 * c, h.loopEnd[c]);
    putLe32(bytes + 60 + 4 * c, h.dataPosition[c]);
  }
  putLe32(bytes + 52, h.rate);
  putLe16(bytes + 56, h.playback);
  putLe16(bytes + 58, h.options);
}

std::uint16_t PlaybackCode(std::uint32_t rate) {
  if (rate >= kHighestRate)
    return 0;
  long code = static_cast<long>(std::trunc(-9799.0 + 1108.0 * std::log(double(rate))));
  return static_cast<std::uint16_t>(0xF800 | (code & 0xFFFF));
}

SampleHeader NewSampleHeader(const char name16[16], int channels, std::uint32_t frames,
                             std::uint32_t rate, bool loops, std::uint32_t loopStart,
                             std::uint32_t loopEnd, std::uint32_t sampleAreaOffset,
                             std::uint32_t before) {
  SampleHeader h{};
  std::memcpy(h.name, name16, 16);
  const std::uint32_t channelBytes = 2 * frames;
  for (int c = 0; c < channels; ++c) {
    std::uint32_t shift = c * channelBytes;
    h.start[c] = kSampleHeaderSize + shift;
    h.end[c] = kSampleHeaderSize + shift + channelBytes - 2;
    h.loopStart[c] = kSampleHeaderSize + shift + 2 * loopStart;
    h.loopEnd[c] = kSampleHeaderSize + shift + 2 * loopEnd;
    h.dataPosition[c] = sampleAreaOffset - 2 * before + kSampleHeaderSize + shift;
  }
  h.rate = rate;
  h.playback = PlaybackCode(rate);
  h.options = static_cast<std::uint16_t>((loops ? kLoops | kLoopsInRelease : 0) | kHasLeft |
                                         (channels == 2 ? kHasRight : 0));
  return h;
}

void MakeEmptyBank(const char name16[16], std::uint8_t bank[kEmptyBankSize]) {
  std::memset(bank, 0, kEmptyBankSize);
  std::memcpy(bank, "EMU SI-32 v3   ", 16);
  std::memcpy(bank + 0x10, name16, 16);
  std::memcpy(bank + 0x4C, name16, 16);
  putLe32(bank + kObjectCountAt, 25);
  for (std::uint32_t at : {0x24u, 0x28u, 0x2Cu, 0x60u})
    putLe32(bank + at, 1);
  putLe32(bank + 0x38, 0x00800000);
  putLe32(bank + 0x5C, 0xFFFFFFFF);  // no preset selected
  // Tables that older Emulator systems read, kept as a sampler writes them.
  for (std::uint32_t at = 0x6C; at < 0x200; at += 4)
    putLe32(bank + at, 0x0001A6FE);
  static const std::uint8_t kVoiceDefaults[13] = {0xff, 0xff, 0, 0, 0, 0xfe, 0xff,
                                                  0xff, 0x28, 0, 2, 0, 5};
  std::memcpy(bank + 0x6E2, kVoiceDefaults, sizeof kVoiceDefaults);
  std::memcpy(bank + 0x6F6, kVoiceDefaults, sizeof kVoiceDefaults);
  std::memset(bank + 0x76C, 0x7F, 17);
  std::memset(bank + 0x78E, 0xFF, 16);
  static const std::uint8_t kOldTable[41] = {
      0x54, 0x4d, 0x37, 0x70, 0x01, 0x00, 0x27, 0x70, 0x01, 0x00, 0x29, 0x70, 0x01, 0x00,
      0x2b, 0x70, 0x01, 0x00, 0x2c, 0x70, 0x01, 0x00, 0x2e, 0x70, 0x01, 0x00, 0x30, 0x70,
      0x01, 0x00, 0x32, 0x70, 0x01, 0x00, 0x33, 0x70, 0x01, 0x00, 0x35, 0x70, 0x01};
  std::memcpy(bank + 0xE96, kOldTable, sizeof kOldTable);
  putLe32(bank + kSampleTableAt + 4 * (kSampleTableWords - 1), kSampleOffsetBias);
  bank[kPresetBase] = 0xEE;
  // The derived fields, from the same rule that adds a sample.
  AddSampleToHeader(bank, 0, 0);
}

void AddSampleToHeader(std::uint8_t bank[kEmptyBankSize], int n, std::uint32_t bytes) {
  std::uint8_t* end = bank + kSampleTableAt + 4 * (kSampleTableWords - 1);
  std::uint32_t oldEnd = getLe32(end) - kSampleOffsetBias;
  std::uint32_t newEnd = oldEnd + bytes;
  if (n > 0) {
    putLe32(bank + kObjectCountAt, getLe32(bank + kObjectCountAt) + 1);
    putLe32(bank + kSampleTableAt + 4 * (n - 1), kSampleOffsetBias + oldEnd);
  }
  putLe32(end, kSampleOffsetBias + newEnd);
  putLe32(bank + kSamplesEndAt, newEnd);
  std::uint32_t presetEnd = getLe32(bank + kPresetTableAt + 4 * (kPresetTableWords - 1));
  std::uint32_t areaStart = kPresetBase + 1 + presetEnd;
  std::uint32_t total = (areaStart + newEnd + 511) / 512;
  std::uint32_t presetBlocks = (areaStart - 1 + 511) / 512;
  putLe32(bank + kPresetEndFieldAt, 11047 + presetEnd);
  putLe32(bank + kPresetBlocksAt, presetBlocks);
  putLe32(bank + kSampleBlocksAt, total - presetBlocks);
  putLe32(bank + kTotalBlocksAt, total);
}
