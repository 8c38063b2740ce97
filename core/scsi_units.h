#pragma once
// The SCSI units found on the host adapters and the ASPI request blocks. The
// SCSI disk driver fills the table and the sampler driver appends its
// samplers; both reach the units through the same blocks.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/aspi.h"

constexpr int kMaxScsiDevices = 64;
constexpr int kScsiTransferSize = 65540;
constexpr int kInquiryBufferSize = 32768;
constexpr int kMaxHostAdapters = 16;
constexpr int kScsiTargets = 8;

struct ScsiDevice {
  int adapter;
  int target;
  int lun;  // -1 until the first successful read
  int readOnly;
  std::uint8_t deviceType;
  int removable;
  char vendor[9];
  char product[17];
  char description[34];
  int isSampler;
  int blocks2048;
  // The data buffer of every sector command to this unit (kScsiTransferSize
  // bytes once the unit is probed).
  std::vector<std::uint8_t> transfer;
};

// The three request blocks and the INQUIRY data, made at start-up and kept
// for the whole run.
struct AspiBlocks {
  AspiBlock main{};
  AspiBlock inquiry{};
  AspiBlock ready{};
  std::uint8_t inquiryData[kInquiryBufferSize] = {};
};

struct ScsiUnits {
  Aspi* aspi = nullptr;
  std::unique_ptr<AspiBlocks> blocks;
  ScsiDevice scsiDevices[kMaxScsiDevices] = {};
  int scsiDeviceCount = 0;
  // GetASPI32SupportInfo's answer, asked once a run.
  bool supportAsked = false;
  std::uint32_t supportInfo = 0;
  // Units that left a command pending for good: every later command to them
  // fails at once, since the unit would only leave it pending too.
  bool hung[kMaxHostAdapters][kScsiTargets] = {};
  // Whether the sampler command under way has told the user why it stops;
  // each tells once.
  bool told = false;
  // The data of every SEND and RECEIVE: set aside with its block when the
  // command never finishes, so that a late completion lands nowhere in use.
  std::vector<std::uint8_t> smdiTransfer;
  // The blocks and buffers of commands that never finished: the manager may
  // still complete them, so they are kept, unused, for the rest of the run.
  std::vector<std::unique_ptr<AspiBlocks>> retiredBlocks;
  std::vector<std::vector<std::uint8_t>> retiredBuffers;
};
