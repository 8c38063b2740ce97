#pragma once
// A simulated E-mu sampler on the SCSI bus: a processor device that takes
// SMDI messages with SEND and answers them with RECEIVE. Its memory holds
// 999 sample slots, seeded from a folder of "NNN name.wav" files (16-bit
// mono or stereo); what the host sends or deletes changes the memory for as
// long as the unit lives, and the folder is never written.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "sim/scsi_unit.h"

constexpr int kSimSampleSlots = 999;
// The most audio one sample may hold, in bytes.
constexpr std::uint32_t kSimMaxSampleBytes = 64u << 20;
// The sample memory of a fully fitted ESi-4000. The unit runs inside a 32-bit
// program: without a limit, a folder of large files or a few transmissions
// would take its address space.
constexpr std::uint64_t kSimMemoryBytes = 128u << 20;

struct SimSample {
  bool present = false;
  std::string name;  // at most 16 characters
  int channels = 1;
  std::uint32_t period = 0;  // nanoseconds
  std::uint32_t frames = 0;  // words per channel
  std::uint32_t loopStart = 0;
  std::uint32_t loopEnd = 0;
  int loopControl = 0x7F;
  std::vector<std::uint8_t> data;  // 16-bit words, most significant byte first
};

// The names of the files in a folder (not its subfolders).
using FolderLister = std::function<std::vector<std::string>(const std::string& folder)>;
std::vector<std::string> ListFolderFiles(const std::string& folder);

class SimSamplerUnit : public SimScsiUnit {
 public:
  // Seeds the memory from config.source, a folder ("" for empty memory);
  // files that do not read are left out and said why in skipped.
  SimSamplerUnit(const SimUnitConfig& config, Files& files,
                 const FolderLister& list = ListFolderFiles);

  const SimSample& slot(int number) const { return slots_[number]; }
  SimSample& slot(int number) { return slots_[number]; }
  std::vector<std::string> skipped;
  // Every SMDI message ID received, in order, for tests.
  std::vector<std::uint16_t> received;
  // The sample memory fitted; samples that would not fit are refused.
  std::uint64_t memoryBytes = kSimMemoryBytes;

 protected:
  SimOutcome send(const SimCommand& command) override;
  SimOutcome receive(const SimCommand& command) override;

 private:
  enum class Procedure { None, HeaderTaken, TakingData, GivingData };

  void seed(Files& files, const std::string& folder, const std::string& name);
  void answer(const std::uint8_t* message, std::uint32_t length);
  void reply(std::uint16_t id, const std::vector<std::uint8_t>& body, bool waitFirst = false);
  void reject(int why);
  void takeHeader(const std::uint8_t* body, std::uint32_t length);
  void beginTransfer(std::uint32_t number, std::uint32_t packetLength);
  void takeData(const std::uint8_t* body, std::uint32_t length);
  void giveData(std::uint32_t packet);
  void sendHeader(std::uint32_t number);
  void renameAll();
  // Whether bytes of audio fit, stored in slot number in place of its sample.
  bool fits(int number, std::uint64_t bytes) const;

  SimSample slots_[kSimSampleSlots + 1];
  std::vector<std::uint8_t> reply_;
  bool replyReady_ = false;
  bool waitFirst_ = false;
  Procedure procedure_ = Procedure::None;
  std::uint32_t number_ = 0;  // the sample of the open procedure
  std::uint32_t packetLength_ = 0;
  std::uint32_t nextPacket_ = 0;
  SimSample incoming_;
  std::uint32_t incomingBytes_ = 0;
  int sendsSeen_ = 0;
};
