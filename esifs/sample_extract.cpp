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

// WAV audio written per step. Each write to a new file costs the file system
// far more than its bytes do, so a step writes four transfer units' worth.
constexpr std::uint32_t kStepBytes = 4 * kUnitBytes;

// What went wrong, for the one message.
enum class Fault { None, Bank, File };

Fault writeAudio(Context& ctx, BankBytes& bank, const BankSample& s, FileHandle file) {
  const std::uint32_t stepFrames = kStepBytes / (2 * s.channels);
  // A mono sample's words go straight out; stereo reads its channels apart.
  std::vector<std::uint8_t> out(kStepBytes), apart(s.channels == 2 ? kStepBytes : 0);
  std::uint8_t* channel[2] = {s.channels == 2 ? apart.data() : out.data(),
                              apart.data() + apart.size() / 2};
  for (std::uint32_t done = 0; done < s.frames;) {
    std::uint32_t n = s.frames - done < stepFrames ? s.frames - done : stepFrames;
    for (int c = 0; c < s.channels; ++c) {
      if (!bank.read(s.audio[c] + 2 * done, 2 * n, channel[c]))
        return Fault::Bank;
    }
    if (s.channels == 2) {
      // Bank channels lie one after the other; a WAV file interleaves them.
      std::uint8_t* frame = out.data();
      for (std::uint32_t i = 0; i < n; ++i, frame += 4) {
        std::memcpy(frame, channel[0] + 2 * i, 2);
        std::memcpy(frame + 2, channel[1] + 2 * i, 2);
      }
    }
    if (!ctx.files.write(file, out.data(), 2 * n * s.channels))
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
