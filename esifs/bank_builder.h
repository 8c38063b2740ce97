#pragma once
// A bank built from WAV files, produced byte by byte in order: the empty
// bank's header and tables with every sample entered, then each sample's
// header and audio, read from its file as it is needed. No more than a unit
// of audio is held at a time, so a bank of any size streams to a disk or a
// bank file.
#include <cstdint>
#include <vector>

#include "esifs/bank_layout.h"
#include "esifs/bank_transfer.h"
#include "esifs/wav_bank_plan.h"

class BankBuilder : public ImportSource {
 public:
  // The plan must outlive the builder.
  BankBuilder(Files& files, const BankPlan& plan);
  ~BankBuilder() override;
  BankBuilder(const BankBuilder&) = delete;
  BankBuilder& operator=(const BankBuilder&) = delete;

  bool begin(char name16[16], std::uint64_t* size) override;
  // False when a WAV file cannot be read as planned (it changed meanwhile),
  // or when asked for bytes past the bank's end.
  bool read(std::uint8_t* buffer, std::uint32_t count) override;

 private:
  // Up to count bytes from position_ on, within one region; answers how many.
  std::uint32_t readPart(std::uint8_t* out, std::uint32_t count);
  std::uint32_t audio(const WavSample& s, std::uint32_t at, std::uint8_t* out, std::uint32_t count);

  Files& files_;
  const BankPlan& plan_;
  std::vector<std::uint8_t> head_;
  std::vector<std::uint32_t> starts_;  // of each sample in the bank
  std::uint32_t position_ = 0;
  // The WAV file being read, and the sample it belongs to.
  FileHandle file_ = kNoFile;
  std::size_t fileOf_ = 0;
  std::vector<std::uint8_t> frames_, words_;
};

struct Context;

// Writes the planned bank as a bank file at path; false after a message, and
// then no file is left at path.
bool WriteBankFile(Context& ctx, const BankPlan& plan, const std::string& path);

// Worker entry of a bank built from WAV files: puts it on the device as the
// next free bank through Import Bank. The command has set the busy flag.
void ImportNewBank(Context& ctx, int deviceNode, const BankPlan& plan);
