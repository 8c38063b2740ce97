#pragma once
// The Disk OS driver of E-mu samplers on the SCSI bus: finds them, shows one
// node each under "Samplers", and lists the samples in their memory.
#include <cstdint>

#include "core/scsi_units.h"
#include "diskos/driver.h"

constexpr int kSamplerIdentificationSize = 260;
constexpr int kSamplerDisplayNameSize = 520;

struct SamplerEntry {
  int node;
  char identification[kSamplerIdentificationSize];  // "vendor product"
  char displayName[kSamplerDisplayNameSize];        // also the node's name
  int scsiSlot;                                     // index in ctx.scsi.scsiDevices
};

// "E-mu " and either "ESi" or "Emulator ", case-sensitive, in "vendor product".
bool IsEmuSampler(const char* identification);

// The SCSI address of a sampler node, or of a sample node's sampler; false
// for any other node.
bool SampleAddress(const Context& ctx, int node, int* adapter, int* target);

class SamplersDriver : public DiskOsDriver {
 public:
  explicit SamplersDriver(Context& context);

  // Probes every target of every host adapter the ASPI manager reports.
  void ScanSamplers();
  void ProbeSampler(int adapter, int target);
  // Replaces the sampler node's children by the samples in its memory; false,
  // after one message, when some numbers could not be asked for.
  bool ListSamples(int node);

  int samplerCount() const { return samplerCount_; }
  const SamplerEntry& entry(int index) const { return entries_[index]; }
  int samplersNode() const { return samplersNode_; }

 protected:
  std::uint32_t serve(DiskOsRequest& request) override;
  std::uint32_t serveSub(DiskOsRequest& request) override;

 private:
  std::uint32_t registerDriver();
  std::uint32_t scan();
  std::uint32_t addDevice(const DiskOsRequest& request);
  bool listEveryNumber(int node, int adapter, int target);
  void addSample(int node, int number);

  SamplerEntry entries_[kMaxScsiDevices] = {};
  int samplerCount_ = 0;
  int samplersNode_ = 0;
};
