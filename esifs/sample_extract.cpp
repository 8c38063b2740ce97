#include "esifs/sample_extract.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/wav.h"
#include "core/context.h"
#include "core/file_names.h"
#include "esifs/bank_bytes.h"

std::string ExtractFileName(const BankSample& sample) {
  char number[8];
  std::snprintf(number, sizeof number, "%.3d", sample.number);
  std::string name = cleanFileName(sample.name);
  return std::string(number) + (name.empty() ? "" : " " + name) + ".wav";
}

namespace {

// Frames moved per step: one transfer unit of each channel.
constexpr std::uint32_t kStepFrames = kUnitBytes / 2;

// What went wrong, for the one message.
enum class Fault { None, Bank, File };

Fault writeAudio(Context& ctx, BankBytes& bank, const BankSample& s, FileHandle file) {
  std::vector<std::uint8_t> channel[2], out(kStepFrames * 2 * s.channels);
  for (int c = 0; c < s.channels; ++c)
    channel[c].resize(kStepFrames * 2);
  for (std::uint32_t done = 0; done < s.frames;) {
    std::uint32_t n = s.frames - done < kStepFrames ? s.frames - done : kStepFrames;
    for (int c = 0; c < s.channels; ++c) {
      if (!bank.read(s.audio[c] + 2 * done, 2 * n, channel[c].data()))
        return Fault::Bank;
    }
    const std::uint8_t* words = channel[0].data();
    if (s.channels == 2) {
      // Bank channels lie one after the other; a WAV file interleaves them.
      const std::uint8_t *left = channel[0].data(), *right = channel[1].data();
      std::uint8_t* frame = out.data();
      for (std::uint32_t i = 0; i < n; ++i, frame += 4) {
        std::memcpy(frame, left + 2 * i, 2);
        std::memcpy(frame + 2, right + 2 * i, 2);
      }
      words = out.data();
    }
    if (!ctx.files.write(file, words, 2 * n * s.channels))
      return Fault::File;
    done += n;
  }
  return Fault::None;
}

Fault writeWav(Context& ctx, BankBytes& bank, const BankSample& s, FileHandle file) {
  WavHeader header = MakeWavHeader(s.channels, s.rate, 16, s.frames);
  if (!ctx.files.write(file, header.bytes, kWavHeaderSize))
    return Fault::File;
  Fault fault = writeAudio(ctx, bank, s, file);
  if (fault != Fault::None)
    return fault;
  if (s.loops) {
    std::uint8_t smpl[kSmplChunkSize];
    MakeSmplChunk(s.loopStart, s.loopEnd, smpl);
    if (!ctx.files.write(file, smpl, kSmplChunkSize))
      return Fault::File;
  }
  return FinishWavFile(ctx.files, file, &header) ? Fault::None : Fault::File;
}

}  // namespace

bool ExtractSample(Context& ctx, BankBytes& bank, const BankSample& sample,
                   const std::string& path) {
  if (sample.damaged || sample.channels < 1 || sample.channels > 2) {
    ctx.host.message(kBankContentsDamaged);
    return false;
  }
  FileHandle file = ctx.files.open(path, FileOpen::CreateAlways);
  if (file == kNoFile) {
    ctx.host.message("Unable to open Windows file");
    return false;
  }
  Fault fault = writeWav(ctx, bank, sample, file);
  ctx.files.close(file);
  if (fault == Fault::None)
    return true;
  ctx.files.remove(path);
  ctx.host.message(fault == Fault::Bank ? "Error reading bank" : "Error writing Windows file");
  return false;
}
