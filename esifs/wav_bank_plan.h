#pragma once
// The plan of a bank built from WAV files: every file read and checked, and
// turned into the sample it becomes, before a byte of the bank is written.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

// One WAV file as a sample.
struct WavSample {
  std::string path;
  char name[16];  // the file's name, cut or padded, characters 32-126
  int channels = 0;
  std::uint32_t rate = 0;
  std::uint32_t frames = 0;
  std::uint64_t dataOffset = 0;  // the file's first audio byte
  bool loops = false;
  std::uint32_t loopStart = 0, loopEnd = 0;  // frames, clamped as a sampler wants
};

struct BankPlan {
  char name[16];
  std::vector<WavSample> samples;  // sample 1 first
  std::uint32_t size = 0;          // of the whole bank
};

// The sample a file of this name becomes is named so.
void SampleNameFromFile(const std::string& path, char name16[16]);

// Reads every file and plans the bank: the samples take the numbers 1, 2, 3...
// in the order of the files' names, compared without regard to case. False
// with *message (naming the file, when one is at fault) for a file that is not
// 16-bit mono or stereo at 7 000 to 44 100 Hz, or a bank too large. bankName
// follows the rules of Rename.
bool PlanBank(Files& files, std::vector<std::string> paths, const std::string& bankName,
              BankPlan* plan, std::string* message);
