#include "esifs/bank_contents.h"

#include "esifs/bank_bytes.h"
#include "esifs/bank_index.h"
#include "esifs/bank_layout.h"
#include "esifs/disk_info.h"

namespace {

std::string shownName(const std::uint8_t* name16) {
  std::string s(reinterpret_cast<const char*>(name16), 16);
  for (char& c : s) {
    if (c < 32 || c > 126)
      c = '?';
  }
  while (!s.empty() && s.back() == ' ')
    s.pop_back();
  return s;
}

// Fills in the sample from its header, which lies in a range of `room` bytes
// of the bank; false when the header points outside that range.
bool describe(const std::uint8_t* bytes, std::uint32_t room, BankSample* s) {
  SampleHeader h = DecodeSampleHeader(bytes);
  bool left = h.options & kHasLeft, right = h.options & kHasRight;
  if (!left && !right)
    return false;
  int first = left ? 0 : 1;
  s->channels = left && right ? 2 : 1;
  std::uint32_t st = h.start[first], en = h.end[first];
  if (st < kSampleHeaderSize || en < st || h.rate == 0)
    return false;
  s->frames = (en - st) / 2 + 1;
  std::uint64_t bytesPerChannel = 2ull * s->frames;
  for (int c = first; c < first + s->channels; ++c) {
    if (h.start[c] < kSampleHeaderSize || h.end[c] < h.start[c] ||
        (h.end[c] - h.start[c]) / 2 + 1 != s->frames || h.start[c] + bytesPerChannel > room)
      return false;
    s->audio[c - first] = s->offset + h.start[c];
  }
  // Two channels that share bytes are one channel read twice.
  if (s->channels == 2 && h.start[0] < h.start[1] + bytesPerChannel &&
      h.start[1] < h.start[0] + bytesPerChannel)
    return false;
  if (h.loopStart[first] < st || h.loopEnd[first] < st)
    return false;
  s->loopStart = (h.loopStart[first] - st) / 2;
  s->loopEnd = (h.loopEnd[first] - st) / 2;
  if (s->loopStart >= s->frames || s->loopEnd >= s->frames)
    return false;
  s->loops = h.options & kLoops;
  s->rate = h.rate;
  s->size = room;
  return true;
}

}  // namespace

bool ReadBankContents(BankBytes& bank, BankContents* contents) {
  *contents = BankContents();
  contents->damaged = bank.damaged();
  const std::uint64_t size = bank.size();
  std::vector<std::uint8_t> head(kPresetBase);
  if (size < kEmptyBankSize) {
    contents->damaged = true;
    return true;
  }
  if (!bank.read(0, kPresetBase, head.data()))
    return false;
  if (head[0] != 'E' || head[1] != 'M' || head[2] != 'U') {
    contents->damaged = true;
    return true;
  }
  contents->name = BankDisplayName(reinterpret_cast<const char*>(&head[76]));
  auto presetWord = [&](int p) { return getLe32(&head[kPresetTableAt + 4 * p]); };
  auto sampleWord = [&](int n) { return getLe32(&head[kSampleTableAt + 4 * n]); };

  const std::uint64_t presetEnd = kPresetBase + std::uint64_t{presetWord(kMaxBankPresets)};
  const std::uint64_t areaStart = presetEnd + 1;
  if (areaStart > size) {
    contents->damaged = true;
    return true;
  }
  // An end of the samples past the bank (a bank cut short) leaves the samples
  // before it readable.
  const std::uint32_t endWord = sampleWord(kSampleTableWords - 1);
  contents->damaged |=
      endWord < kSampleOffsetBias || areaStart + endWord - kSampleOffsetBias > size;

  std::uint64_t reached = kPresetBase;
  for (int p = 0; p < kMaxBankPresets && presetWord(p) != presetWord(p + 1); ++p) {
    BankPreset preset;
    preset.number = p + 1;
    std::uint64_t begin = kPresetBase + std::uint64_t{presetWord(p)};
    std::uint64_t end = kPresetBase + std::uint64_t{presetWord(p + 1)};
    std::uint8_t name[16];
    preset.damaged = begin < reached || end < begin + kPresetSize || end > presetEnd;
    if (!preset.damaged) {
      if (!bank.read(static_cast<std::uint32_t>(begin), 16, name))
        return false;
      preset.name = shownName(name);
      reached = end;
    }
    contents->damaged |= preset.damaged;
    contents->presets.push_back(preset);
  }

  reached = areaStart;
  for (int n = 1; n <= kMaxBankSamples && sampleWord(n - 1) != 0; ++n) {
    BankSample sample;
    sample.number = n;
    std::uint32_t nextWord = n < kMaxBankSamples && sampleWord(n) != 0 ? sampleWord(n) : endWord;
    std::uint64_t begin = areaStart + sampleWord(n - 1) - kSampleOffsetBias;
    std::uint64_t end = areaStart + nextWord - kSampleOffsetBias;
    std::uint8_t header[kSampleHeaderSize];
    sample.damaged = sampleWord(n - 1) < kSampleOffsetBias || nextWord < kSampleOffsetBias ||
                     begin < reached || end < begin + kSampleHeaderSize || end > size;
    if (!sample.damaged) {
      if (!bank.read(static_cast<std::uint32_t>(begin), kSampleHeaderSize, header))
        return false;
      sample.name = shownName(header);
      sample.offset = static_cast<std::uint32_t>(begin);
      sample.damaged = !describe(header, static_cast<std::uint32_t>(end - begin), &sample);
      reached = end;
    }
    contents->damaged |= sample.damaged;
    contents->samples.push_back(sample);
  }
  return true;
}
