#include "sampler/sample_choices.h"

#include <cstdint>
#include <cstdio>

#include "core/context.h"

namespace {

constexpr int kLowestNote = 21;

// The numbers the sampler's listed samples use, each naming its sample.
std::vector<const char*> usedNumbers(const Context& ctx, int samplerNode) {
  std::vector<const char*> names(kSampleNumbers + 1, nullptr);
  const NodeTable& t = ctx.nodes;
  for (int i = 1; i < t.count; ++i) {
    int number = t[i].sampleNumber;
    if (t[i].parent == samplerNode && t[i].type == Sample && number >= 1 &&
        number <= kSampleNumbers && !names[number])
      names[number] = t[i].name;
  }
  return names;
}

}  // namespace

std::string NoteEntryText(int entry) {
  static const char kNames[] = "C C#D D#E F F#G G#A A#B ";
  int note = entry + kLowestNote;
  char text[16];
  std::snprintf(text, sizeof text, "%.2s %d", kNames + note % 12 * 2, note / 12 - 2);
  return text;
}

std::vector<std::string> SampleNumberTexts(const Context& ctx, int samplerNode) {
  std::vector<const char*> names = usedNumbers(ctx, samplerNode);
  // One text per number, so that entry k of the sorted list is number k + 1.
  std::vector<std::string> texts;
  for (int number = 1; number <= kSampleNumbers; ++number) {
    char text[16];
    std::snprintf(text, sizeof text, "S%.3d", number);
    texts.push_back(names[number] ? std::string(text) + "    " + names[number] : text);
  }
  return texts;
}

int FirstFreeEntry(const Context& ctx, int samplerNode) {
  std::vector<const char*> names = usedNumbers(ctx, samplerNode);
  for (int number = 1; number <= kSampleNumbers; ++number) {
    if (!names[number])
      return number - 1;
  }
  return 0;
}

void KeepKeyRange(bool movedFrom, int* from, int* to) {
  if (*to >= *from)
    return;
  if (movedFrom)
    *to = *from;
  else
    *from = *to;
}

TransmitChoice ChoiceFor(const TransmitSettings& settings, int sampleEntry) {
  TransmitChoice choice;
  choice.sampleEntry = sampleEntry;
  if (settings.place) {
    choice.originalKey = settings.originalKey;
    choice.from = settings.from;
    choice.to = settings.to;
  }
  return choice;
}

SampleProperties DescribeSamples(const Context& ctx, const int* nodes, int count) {
  SampleProperties p;
  const NodeTable& t = ctx.nodes;
  std::uint64_t total = 0;
  int samples = 0, last = 0;
  for (int i = 0; i < count; ++i) {
    if (t.valid(nodes[i]) && t[nodes[i]].type == Sample) {
      total += t[nodes[i]].size;
      last = nodes[i];
      ++samples;
    }
  }
  // Several samples may add up past 32 bits; the total then shows as the
  // most the size text can say.
  p.size = FormatSize(total > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(total));
  if (samples != 1)
    return p;
  const TreeNode& sample = t[last];
  char text[32];
  p.single = true;
  p.name = sample.name;
  std::snprintf(text, sizeof text, "S%.3d", sample.sampleNumber);
  p.number = text;
  std::snprintf(text, sizeof text, "%d", sample.channels);
  p.channels = text;
  // The length is figured at 44 100 Hz whatever the sample's rate.
  std::uint64_t frames = sample.channels > 0 ? sample.size / 2 / sample.channels : 0;
  std::uint64_t hundredths = frames * 100 / 44100;
  std::snprintf(text, sizeof text, "%d.%.2d sec", static_cast<int>(hundredths / 100),
                static_cast<int>(hundredths % 100));
  p.length = text;
  return p;
}
