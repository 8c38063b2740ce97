#pragma once
// What the "Transmit sample" and "Sample properties" dialogs show and how
// their lists follow each other, apart from the windows that show it.
#include <string>
#include <vector>

#include "sampler/sample_transmit.h"

struct Context;

constexpr int kSampleNumbers = 999;
constexpr int kNoteEntries = 88;  // MIDI notes 21 to 108

// The dialog's last choices, kept for the run. Note list index k stands for
// MIDI note k + 21: the first opening offers MIDI 60 to 71, original key 60.
struct TransmitSettings {
  int originalKey = 39;
  int from = 39;
  int to = 50;
  int place = 1;
};

// The note list's entry text: "C  3" for MIDI 60, "C# 3" for 61.
std::string NoteEntryText(int entry);

// The sample number list's texts, number 1 first: "S%.3d    %s" for a number
// the sampler uses (with the sample's name), "S%.3d" for a free one.
std::vector<std::string> SampleNumberTexts(const Context& ctx, int samplerNode);
// The entry to preselect: the first free number's, or 0 when all are used.
int FirstFreeEntry(const Context& ctx, int samplerNode);

// After the user changed From (movedFrom) or To, the other one follows so
// that To is never below From.
void KeepKeyRange(bool movedFrom, int* from, int* to);

// The notes and number sent for the dialog's selections; with the sample
// not placed, the three notes are the lowest.
TransmitChoice ChoiceFor(const TransmitSettings& settings, int sampleEntry);

// "Sample properties" for the selected rows: one sample's name, number,
// size, channels and length, or for several only their total size.
struct SampleProperties {
  bool single = false;
  std::string name;
  std::string number;
  std::string size;
  std::string channels;
  std::string length;
};
SampleProperties DescribeSamples(const Context& ctx, const int* nodes, int count);
