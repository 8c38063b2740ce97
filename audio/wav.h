#pragma once
// WAV files, the exchange format for single samples. Korrin writes the
// canonical 44-byte layout; it reads that layout and also the files other
// audio programs write (longer format chunks, extra chunks before "data").
#include <cstdint>

#include "platform/files.h"

constexpr int kWavHeaderSize = 44;
constexpr int kSmplChunkSize = 68;

struct WavHeader {
  std::uint8_t bytes[kWavHeaderSize] = {};
};

// Loop points in sample frames; control 0 loops, 0x7F does not.
struct WavLoop {
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  int control = 0x7F;
  // The "smpl" loop's type: 0 forward, 1 alternating, 2 backward.
  std::uint32_t type = 0;
};

// What a file holds, taken from its real "fmt " and "data" chunks. For the
// canonical layout these are the fields at the fixed offsets 22, 24, 34, 40.
struct WavFormat {
  int channels = 0;
  int bits = 0;
  std::uint32_t rate = 0;
  std::uint64_t dataOffset = 0;  // first audio byte; 0 when there is no "data"
  // Whole frames of audio that the file really holds, never past its end.
  std::uint32_t audioBytes = 0;
  std::uint64_t smplOffset = 0;  // tag of the "smpl" chunk; 0 when there is none
  std::uint64_t fileLength = 0;
};

enum class WavProblem { None, NotRecognised, Not16Bit, ChannelCount, LoopStructure, NoAudioData };

// The message a command shows for a refusal.
const char* WavProblemText(WavProblem problem);

// The first 44 bytes; false when the file is shorter. Leaves the position at 0.
bool ReadWavHeader(Files& files, FileHandle file, WavHeader* header);
// The checks of the fixed header, in the order users see their messages.
WavProblem CheckWavHeader(const WavHeader& header);
// Reads and checks a file's format: RIFF, the format chunk (16-bit PCM, one or
// two channels) and where its audio and loop lie. Missing audio is not
// refused here: callers say so at the step where they need it.
WavProblem ReadWavFormat(Files& files, FileHandle file, WavFormat* format);
// Offset of the chunk with tag, walking chunk heads from start; 0 when absent.
std::uint64_t FindWavChunk(Files& files, FileHandle file, std::uint64_t length, const char* tag,
                           std::uint64_t start);
// The loop of the file's "smpl" chunk, or none (start 0, end defaultEnd).
WavProblem GetWavLoop(Files& files, FileHandle file, const WavFormat& format,
                      std::uint32_t defaultEnd, WavLoop* loop);

WavHeader MakeWavHeader(int channels, std::uint32_t rate, int bits, std::uint32_t frames);
void MakeSmplChunk(std::uint32_t loopStart, std::uint32_t loopEnd,
                   std::uint8_t chunk[kSmplChunkSize]);
// Stores the file's length - 8 at offset 4 and writes the header at offset 0.
bool FinishWavFile(Files& files, FileHandle file, WavHeader* header);

std::uint32_t GetLittle32(const std::uint8_t* bytes);
std::uint16_t GetLittle16(const std::uint8_t* bytes);
void PutLittle32(std::uint8_t* bytes, std::uint32_t value);
void PutLittle16(std::uint8_t* bytes, std::uint16_t value);
