#pragma once
// SCSI commands through the ASPI manager: readiness, INQUIRY, sector reads and
// writes of 512-byte sectors (also on units with 2048-byte blocks), and the
// SEND and RECEIVE of SMDI. Every wait is bounded: a unit that never
// completes a command costs one message, not a frozen program.
#include <cstdint>
#include <functional>
#include <string>

#include "core/scsi_units.h"

struct Context;

// Results of the sector operations; the disk driver adds bit 0x10.
constexpr std::uint32_t kScsiCommandFailed = 0x40000;
constexpr std::uint32_t kScsiNotReady = 0x80000;

// Polls of one command before it counts as never completing, a millisecond
// apart; also the most milliseconds it may take.
constexpr int kTransferPolls = 8000;
constexpr int kSmdiPolls = 800;
constexpr int kReadyPolls = 1000;
constexpr int kInquiryPolls = 1000;
constexpr int kReadyTests = 250;
constexpr std::uint32_t kReadyWaitMs = 2000;
// The most one sector command moves.
constexpr std::uint32_t kMaxScsiTransfer = 32768;
constexpr std::uint32_t kSmdiReceiveSize = 16640;

// Makes the request blocks and starts using the manager; AspiRelease frees
// them at shutdown. Without them every command fails.
void AspiAttach(Context& ctx, Aspi* aspi);
void AspiRelease(Context& ctx);

// The host adapters to scan: GetASPI32SupportInfo, asked once a run; 0 when
// the manager does not work; at most 16.
int AspiHostAdapters(Context& ctx);
// Probes every target of every adapter to scan, sharing a hundred steps of
// the progress bar between them.
void ForEachScsiTarget(Context& ctx, const std::function<void(int adapter, int target)>& probe);

// A command to a sampler begins here; every message on its way goes through
// AspiTell, so that the user hears why it stopped once, not once per step.
void AspiBeginCommand(Context& ctx);
void AspiTell(Context& ctx, const std::string& text);

// A unit that once left a command pending fails these at once.
bool AspiTestUnitReady(Context& ctx, int adapter, int target);
// Up to 250 tests within about two seconds; then "SCSI device not ready
// (%d,%d)", or for a hung unit the message of one, through AspiTell.
bool AspiWaitReady(Context& ctx, int adapter, int target);
// The 32 bytes of standard INQUIRY data land in ctx.scsi.blocks->inquiryData.
bool AspiInquiry(Context& ctx, int adapter, int target);
// Sectors are 512 bytes; buffer holds count of them. Answers 0,
// kScsiCommandFailed or kScsiNotReady.
std::uint32_t ScsiReadSectors(Context& ctx, ScsiDevice& device, std::uint32_t sector,
                              std::uint32_t count, std::uint8_t* buffer);
std::uint32_t ScsiWriteSectors(Context& ctx, ScsiDevice& device, std::uint32_t sector,
                               std::uint32_t count, const std::uint8_t* buffer);
// How a command ended: a hung one has been reported to the user, a failed
// one has not.
enum class AspiAttempt { Done, Failed, Hung };

bool AspiSend(Context& ctx, int adapter, int target, const std::uint8_t* data,
              std::uint8_t lengthHigh, std::uint8_t lengthLow);
// The answer lands in buffer, which holds kSmdiReceiveSize bytes.
AspiAttempt AspiReceive(Context& ctx, int adapter, int target, std::uint8_t* buffer);
