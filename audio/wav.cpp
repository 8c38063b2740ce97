#include "audio/wav.h"

#include <cstring>

namespace {

// Real files hold a handful of chunks; a walk this long is a hostile file.
constexpr int kMaxChunks = 1024;

bool readAt(Files& files, FileHandle file, std::uint64_t offset, void* buffer,
            std::uint32_t count) {
  std::uint32_t got = 0;
  return files.seek(file, offset) && files.read(file, buffer, count, &got) && got == count;
}

}  // namespace

std::uint32_t GetLittle32(const std::uint8_t* b) {
  return b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
}

std::uint16_t GetLittle16(const std::uint8_t* b) {
  return std::uint16_t(b[0] | (b[1] << 8));
}

void PutLittle32(std::uint8_t* b, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    b[i] = std::uint8_t(value >> (8 * i));
}

void PutLittle16(std::uint8_t* b, std::uint16_t value) {
  b[0] = std::uint8_t(value);
  b[1] = std::uint8_t(value >> 8);
}

const char* WavProblemText(WavProblem problem) {
  switch (problem) {
    case WavProblem::None:
      return "";
    case WavProblem::NotRecognised:
      return "This file is not a recognised format";
    case WavProblem::Not16Bit:
      return "Sample must be 16 bit";
    case WavProblem::ChannelCount:
      return "Sample must be 1 or 2 channels";
    case WavProblem::LoopStructure:
      return "Unrecognised loop structure found in WAV file";
    case WavProblem::NoAudioData:
      return "Cannot locate audio data in WAV file";
  }
  return "";
}

bool ReadWavHeader(Files& files, FileHandle file, WavHeader* header) {
  bool whole = readAt(files, file, 0, header->bytes, kWavHeaderSize);
  files.seek(file, 0);
  return whole;
}

WavProblem CheckWavHeader(const WavHeader& header) {
  if (std::memcmp(header.bytes, "RIFF", 4) != 0)
    return WavProblem::NotRecognised;
  if (GetLittle16(header.bytes + 34) != 16)
    return WavProblem::Not16Bit;
  int channels = GetLittle16(header.bytes + 22);
  if (channels != 1 && channels != 2)
    return WavProblem::ChannelCount;
  return WavProblem::None;
}

std::uint64_t FindWavChunk(Files& files, FileHandle file, std::uint64_t length, const char* tag,
                           std::uint64_t start) {
  std::uint64_t p = start;
  for (int chunk = 0; chunk < kMaxChunks && p + 8 <= length; ++chunk) {
    std::uint8_t head[8];
    if (!readAt(files, file, p, head, 8))
      return 0;
    if (std::memcmp(head, tag, 4) == 0)
      return p;
    // RIFF pads a chunk of odd size with a zero byte; some writers leave the
    // pad out, and then the next tag, never a zero, follows at once.
    std::uint32_t size = GetLittle32(head + 4);
    p += 8 + std::uint64_t(size);
    std::uint8_t pad = 0;
    if ((size & 1) && (!readAt(files, file, p, &pad, 1) || pad == 0))
      ++p;
  }
  return 0;
}

WavProblem ReadWavFormat(Files& files, FileHandle file, WavFormat* format) {
  *format = WavFormat();
  std::uint64_t length = 0;
  WavHeader header;
  if (!files.size(file, &length) || !ReadWavHeader(files, file, &header) ||
      std::memcmp(header.bytes, "RIFF", 4) != 0)
    return WavProblem::NotRecognised;
  format->fileLength = length;

  // The fields are read from the real format chunk: in the canonical layout it
  // lies at 12 and they are the ones at the fixed offsets.
  std::uint64_t fmt = FindWavChunk(files, file, length, "fmt ", 12);
  std::uint8_t body[40] = {};
  if (fmt == 0)
    return WavProblem::NotRecognised;
  std::uint32_t fmtSize = 0;
  if (!readAt(files, file, fmt + 4, body, 4) || (fmtSize = GetLittle32(body)) < 16)
    return WavProblem::NotRecognised;
  std::uint32_t wanted = fmtSize < 40 ? fmtSize : 40;
  if (!readAt(files, file, fmt + 8, body, wanted))
    return WavProblem::NotRecognised;
  int tag = GetLittle16(body);
  format->channels = GetLittle16(body + 2);
  format->rate = GetLittle32(body + 4);
  format->bits = GetLittle16(body + 14);
  // WAVE_FORMAT_EXTENSIBLE names the real format in its sub-format GUID.
  if (tag == 0xFFFE && wanted >= 26)
    tag = GetLittle16(body + 24);

  if (format->bits != 16)
    return WavProblem::Not16Bit;
  if (format->channels != 1 && format->channels != 2)
    return WavProblem::ChannelCount;
  // Compressed or floating-point audio: its bytes are not 16-bit words.
  if (tag != 1)
    return WavProblem::NotRecognised;

  std::uint64_t data = FindWavChunk(files, file, length, "data", 12);
  if (data != 0) {
    std::uint8_t head[8];
    if (!readAt(files, file, data, head, 8))
      return WavProblem::NotRecognised;
    format->dataOffset = data + 8;
    // Never past the file's end, and whole frames only: a stated count larger
    // than the file, or a stray odd byte, must not turn into audio.
    std::uint64_t bytes = GetLittle32(head + 4);
    if (bytes > length - format->dataOffset)
      bytes = length - format->dataOffset;
    format->audioBytes = std::uint32_t(bytes - bytes % (2 * format->channels));
  }
  format->smplOffset = FindWavChunk(files, file, length, "smpl", 12);
  return WavProblem::None;
}

WavProblem GetWavLoop(Files& files, FileHandle file, const WavFormat& format,
                      std::uint32_t defaultEnd, WavLoop* loop) {
  *loop = WavLoop();
  loop->end = defaultEnd;
  if (format.smplOffset == 0)
    return WavProblem::None;
  std::uint8_t chunk[60] = {};
  if (!readAt(files, file, format.smplOffset, chunk, 8))
    return WavProblem::LoopStructure;
  std::uint32_t size = GetLittle32(chunk + 4);
  if (size < 36 || !readAt(files, file, format.smplOffset, chunk, size >= 60 ? 60 : 44))
    return WavProblem::LoopStructure;
  // Sizes 36 and 60 are no loop and one loop; other writers add sampler data
  // after the loops, which the loop count and data size account for.
  std::uint32_t loops = GetLittle32(chunk + 36);
  std::uint64_t described = 36 + 24 * std::uint64_t(loops) + GetLittle32(chunk + 40);
  if (size == 36 || (size == described && loops == 0))
    return WavProblem::None;
  if (size != 60 && !(size == described && loops == 1))
    return WavProblem::LoopStructure;
  loop->type = GetLittle32(chunk + 48);
  loop->start = GetLittle32(chunk + 52);
  loop->end = GetLittle32(chunk + 56) + 1;
  loop->control = 0;
  return WavProblem::None;
}

WavHeader MakeWavHeader(int channels, std::uint32_t rate, int bits, std::uint32_t frames) {
  WavHeader header;
  std::uint8_t* h = header.bytes;
  int blockAlign = channels * (bits / 8);
  std::memcpy(h, "RIFF", 4);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLittle32(h + 16, 16);
  PutLittle16(h + 20, 1);
  PutLittle16(h + 22, std::uint16_t(channels));
  PutLittle32(h + 24, rate);
  PutLittle32(h + 28, rate * blockAlign);
  PutLittle16(h + 32, std::uint16_t(blockAlign));
  PutLittle16(h + 34, std::uint16_t(bits));
  std::memcpy(h + 36, "data", 4);
  PutLittle32(h + 40, frames * blockAlign);
  return header;
}

void MakeSmplChunk(std::uint32_t loopStart, std::uint32_t loopEnd,
                   std::uint8_t chunk[kSmplChunkSize]) {
  std::memset(chunk, 0, kSmplChunkSize);
  std::memcpy(chunk, "smpl", 4);
  PutLittle32(chunk + 4, 60);
  PutLittle32(chunk + 16, 22675);
  PutLittle32(chunk + 20, 60);
  PutLittle32(chunk + 36, 1);
  PutLittle32(chunk + 52, loopStart);
  PutLittle32(chunk + 56, loopEnd);
}

bool FinishWavFile(Files& files, FileHandle file, WavHeader* header) {
  std::uint64_t length = 0;
  if (!files.size(file, &length) || length < 8 || length - 8 > 0xFFFFFFFFu)
    return false;
  PutLittle32(header->bytes + 4, std::uint32_t(length - 8));
  return files.seek(file, 0) && files.write(file, header->bytes, kWavHeaderSize);
}
