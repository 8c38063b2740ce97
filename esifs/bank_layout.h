#pragma once
// The inside of a bank: its header, the preset and sample offset tables, the
// 92-byte sample header, and the complete empty bank that every bank built
// from WAV files starts from. Decoding here only unpacks fields; whether they
// make sense for the bank at hand is the reader's business.
#include <cstdint>

// The empty bank is the header and both tables up to the sample area.
constexpr std::uint32_t kEmptyBankSize = 11123;
constexpr std::uint32_t kPresetTableAt = 0x17CA;
constexpr std::uint32_t kPresetTableWords = 257;
constexpr std::uint32_t kSampleTableAt = 0x1BD2;
constexpr std::uint32_t kSampleTableWords = 1000;
// Preset offsets count from here; the sample area starts one byte later.
constexpr std::uint32_t kPresetBase = 0x2B72;
constexpr std::uint32_t kSampleOffsetBias = 0x400000;
constexpr std::uint32_t kSampleHeaderSize = 92;
constexpr std::uint32_t kPresetSize = 142;
constexpr int kMaxBankSamples = 999;
constexpr int kMaxBankPresets = 256;
constexpr std::uint32_t kMaxBankBytes = 128u << 20;
constexpr std::uint32_t kLowestRate = 7000;
constexpr std::uint32_t kHighestRate = 44100;
// A sampler refuses a channel whose first or last two frames are not zero,
// and loop points closer than this to either end.
constexpr std::uint32_t kZeroFrames = 2;
constexpr std::uint32_t kLoopMargin = 6;

// Bank header fields.
constexpr std::uint32_t kObjectCountAt = 0x20;
constexpr std::uint32_t kPresetEndFieldAt = 0x30;
constexpr std::uint32_t kSamplesEndAt = 0x34;
constexpr std::uint32_t kPresetBlocksAt = 0x3C;
constexpr std::uint32_t kSampleBlocksAt = 0x40;
constexpr std::uint32_t kTotalBlocksAt = 0x48;

// Sample options.
constexpr std::uint16_t kLoops = 0x0001;
constexpr std::uint16_t kLoopsInRelease = 0x0008;
constexpr std::uint16_t kHasLeft = 0x0020;
constexpr std::uint16_t kHasRight = 0x0040;

// The fields of a sample header as stored: byte offsets from the sample's
// first byte, and positions that older systems read.
struct SampleHeader {
  char name[16];
  std::uint32_t start[2], end[2], loopStart[2], loopEnd[2];  // [0] left, [1] right
  std::uint32_t rate;
  std::uint16_t playback;
  std::uint16_t options;
  std::uint32_t dataPosition[2];
};

SampleHeader DecodeSampleHeader(const std::uint8_t bytes[kSampleHeaderSize]);
void EncodeSampleHeader(const SampleHeader& header, std::uint8_t bytes[kSampleHeaderSize]);

// The header of a new sample of this shape, placed at sampleAreaOffset in the
// sample area with `before` samples ahead of it. Loop points are in frames.
SampleHeader NewSampleHeader(const char name16[16], int channels, std::uint32_t frames,
                             std::uint32_t rate, bool loops, std::uint32_t loopStart,
                             std::uint32_t loopEnd, std::uint32_t sampleAreaOffset,
                             std::uint32_t before);

// The rate's code for the sampler's playback: 0 at 44 100 Hz.
std::uint16_t PlaybackCode(std::uint32_t rate);

// The complete empty bank with the name at both name fields.
void MakeEmptyBank(const char name16[16], std::uint8_t bank[kEmptyBankSize]);

// Adds sample n (1-based) of `bytes` bytes, header included, to a bank header
// holding n - 1 samples: object count, both table words, the end of the
// samples and the block counts.
void AddSampleToHeader(std::uint8_t bank[kEmptyBankSize], int n, std::uint32_t bytes);
