#pragma once
// What a bank holds: its presets and samples as a list view shows them, read
// from the bank's tables and 92-byte sample headers only, never the audio.
// The numbers come from the bank and are not trusted: a preset or sample that
// points outside the bank, or into another, comes out marked damaged.
#include <cstdint>
#include <string>
#include <vector>

class BankBytes;

constexpr const char* kBankContentsDamaged = "Bank contents are damaged";

struct BankPreset {
  int number = 0;  // 1-based: "P001"
  std::string name;
  bool damaged = false;
};

struct BankSample {
  int number = 0;  // 1-based: "S001"
  std::string name;
  bool damaged = false;
  // The rest holds only for a sample that is not damaged.
  std::uint32_t offset = 0;  // of its header in the bank
  std::uint32_t size = 0;    // header and audio
  int channels = 0;
  std::uint32_t rate = 0;
  std::uint32_t frames = 0;
  bool loops = false;
  std::uint32_t loopStart = 0, loopEnd = 0;  // frames; the end is the last frame played
  // Byte offsets of each channel's first frame in the bank; a sample with
  // only the right channel bit keeps its audio at the right-hand offset.
  std::uint32_t audio[2] = {};
};

struct BankContents {
  std::string name;  // as a bank's name is shown
  std::vector<BankPreset> presets;
  std::vector<BankSample> samples;
  // Something in the bank points where it must not: say so once.
  bool damaged = false;
};

// Reads the contents; false when the bytes cannot be read at all (a failed
// request), true otherwise, with damage marked.
bool ReadBankContents(BankBytes& bank, BankContents* contents);
