#include "esifs/wav_bank_plan.h"

#include <algorithm>
#include <cstring>

#include "audio/wav.h"
#include "core/file_names.h"
#include "esifs/bank_index.h"
#include "esifs/bank_layout.h"

namespace {

bool beforeIgnoringCase(const std::string& a, const std::string& b) {
  std::string lx = LowerCase(BaseName(a)), ly = LowerCase(BaseName(b));
  return lx != ly ? lx < ly : a < b;
}

std::uint32_t clampLoop(std::uint32_t point, std::uint32_t frames) {
  return std::min(std::max(point, kLoopMargin), frames - 1 - kLoopMargin);
}

// Reads one file's format and loop; empty when it makes a sample, else why not.
std::string planSample(Files& files, FileHandle file, WavSample* s) {
  WavFormat format;
  WavProblem problem = ReadWavFormat(files, file, &format);
  if (problem == WavProblem::None && format.dataOffset == 0)
    problem = WavProblem::NoAudioData;
  if (problem != WavProblem::None)
    return WavProblemText(problem);
  if (format.rate < kLowestRate || format.rate > kHighestRate)
    return "Sample rate must be 7000 to 44100 Hz";
  s->channels = format.channels;
  s->rate = format.rate;
  s->frames = format.audioBytes / (2 * format.channels);
  s->dataOffset = format.dataOffset;
  // Loop points must fit between the margins at both ends.
  if (s->frames < 2 * kLoopMargin + 1)
    return "Sample is too short";
  WavLoop loop;
  problem = GetWavLoop(files, file, format, s->frames, &loop);
  if (problem != WavProblem::None)
    return WavProblemText(problem);
  // The reader gives a found loop's end one past the last frame played; the
  // bank holds the last frame itself, as the chunk does.
  std::uint32_t end = loop.control == 0 ? loop.end - 1 : loop.end;
  s->loops = loop.control == 0 && loop.type == 0;
  s->loopStart = clampLoop(loop.start, s->frames);
  s->loopEnd = clampLoop(end, s->frames);
  return "";
}

}  // namespace

void SampleNameFromFile(const std::string& path, char name16[16]) {
  std::string name = BaseName(path);
  std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos)
    name.erase(dot);
  std::memset(name16, ' ', 16);
  for (std::size_t i = 0; i < name.size() && i < 16; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    name16[i] = c < 32 || c > 126 ? '?' : static_cast<char>(c);
  }
}

bool PlanBank(Files& files, std::vector<std::string> paths, const std::string& bankName,
              BankPlan* plan, std::string* message) {
  *plan = BankPlan();
  std::string name = TypedBankName(bankName);
  std::memset(plan->name, ' ', 16);
  std::memcpy(plan->name, name.data(), name.size());
  if (paths.size() > static_cast<std::size_t>(kMaxBankSamples)) {
    *message = "A bank holds at most 999 samples";
    return false;
  }
  std::sort(paths.begin(), paths.end(), beforeIgnoringCase);
  std::uint64_t size = kEmptyBankSize;
  for (const std::string& path : paths) {
    WavSample s;
    s.path = path;
    SampleNameFromFile(path, s.name);
    FileHandle file = files.open(path, FileOpen::ReadExisting);
    std::string why = file == kNoFile ? "Unable to open Windows file" : planSample(files, file, &s);
    if (file != kNoFile)
      files.close(file);
    if (!why.empty()) {
      *message = BaseName(path) + ": " + why;
      return false;
    }
    size += kSampleHeaderSize + 2ull * s.channels * s.frames;
    if (size > kMaxBankBytes) {
      *message = "A bank holds at most 128 MiB";
      return false;
    }
    plan->samples.push_back(s);
  }
  plan->size = static_cast<std::uint32_t>(size);
  return true;
}
