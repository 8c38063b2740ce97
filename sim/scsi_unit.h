#pragma once
// Simulated SCSI units: what a device does with the command blocks and data
// an ASPI manager hands it. Disk units serve TEST UNIT READY, INQUIRY,
// READ(10) and WRITE(10) from an image file; a sampler unit serves SEND and
// RECEIVE (sim/sampler_unit.h).
#include <cstdint>
#include <string>

#include "platform/files.h"

enum class SimUnitKind { Disk, Removable, Optical, CdRom, Sampler };
enum class SimHang { None, TestUnitReady, Inquiry, Read, Write };
// How a sampler unit misbehaves on SMDI: never answers, answers Wait for
// ever, rejects every message, announces packets of 0 bytes, sends Data
// Packets longer than the host's buffer or of an odd length, or renames its
// samples after each listing.
enum class SimSmdiFault { None, Silent, WaitForever, Reject, ZeroPacket, Oversize, Odd, Rename };

// One unit as the bus description gives it.
struct SimUnitConfig {
  int adapter = 0;
  int target = 0;
  SimUnitKind kind = SimUnitKind::Disk;
  std::string source;  // the image file; empty: no medium
  std::string vendor;
  std::string product;
  int lun = 0;  // the only logical unit that answers reads and writes
  int notReady = 0;
  int failRead = 0;
  int failWrite = 0;
  SimHang hang = SimHang::None;
  SimSmdiFault smdi = SimSmdiFault::None;
};

// A command as the device receives it.
struct SimCommand {
  const std::uint8_t* cdb;
  int cdbLength;
  std::uint8_t* data;  // the data buffer, dataLength bytes
  std::uint32_t dataLength;
  bool dataIn;
  bool dataOut;
};

// What a command does: finish with an ASPI status, or never finish.
struct SimOutcome {
  bool completes;
  std::uint8_t status;
};

class SimScsiUnit {
 public:
  explicit SimScsiUnit(const SimUnitConfig& config) : config_(config) {}
  virtual ~SimScsiUnit() = default;
  SimScsiUnit(const SimScsiUnit&) = delete;
  SimScsiUnit& operator=(const SimScsiUnit&) = delete;

  SimOutcome execute(const SimCommand& command);
  const SimUnitConfig& config() const { return config_; }

  // How many of each command arrived, for tests that check what was sent.
  int testUnitReadys = 0;
  int inquiries = 0;
  int reads = 0;
  int writes = 0;

 protected:
  virtual SimOutcome testUnitReady();
  virtual SimOutcome inquiry(const SimCommand& command);
  virtual SimOutcome read(const SimCommand& command);
  virtual SimOutcome write(const SimCommand& command);
  // SEND (0x0A) and RECEIVE (0x08) carry SMDI; disks refuse them.
  virtual SimOutcome send(const SimCommand& command);
  virtual SimOutcome receive(const SimCommand& command);
  // INQUIRY byte 0 and whether byte 1 reports a removable medium.
  virtual std::uint8_t deviceType() const;
  virtual bool removable() const;

  SimUnitConfig config_;
};

// A disk unit of any kind but the sampler, over an image file opened through
// files. A cdrom unit reads the 512-byte-sector image in 2048-byte blocks and
// refuses writes.
class SimDiskUnit : public SimScsiUnit {
 public:
  SimDiskUnit(const SimUnitConfig& config, Files& files);
  ~SimDiskUnit() override;

  bool hasMedium() const { return file_ != kNoFile; }
  std::uint32_t blockSize() const { return config_.kind == SimUnitKind::CdRom ? 2048 : 512; }

  // The LBA and block count of the last READ(10) or WRITE(10).
  std::uint32_t lastLba = 0;
  std::uint32_t lastBlocks = 0;
  int lastLun = -1;

 protected:
  SimOutcome testUnitReady() override;
  SimOutcome read(const SimCommand& command) override;
  SimOutcome write(const SimCommand& command) override;

 private:
  // Checks a READ(10)/WRITE(10) against the medium; the byte count on success.
  bool transferBytes(const SimCommand& command, std::uint64_t* offset, std::uint32_t* bytes);

  Files& files_;
  FileHandle file_ = kNoFile;
  std::uint64_t size_ = 0;
  int readsSeen_ = 0;
  int writesSeen_ = 0;
};
