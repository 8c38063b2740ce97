#pragma once
// The ASPI manager (WNASPI32.dll) as Korrin uses it: the two functions it
// exports and the one request block it is given, SRB_ExecSCSICmd. Field
// names are the published ones, so the block reads like the documentation.
#include <cstddef>
#include <cstdint>

constexpr std::uint8_t SC_EXEC_SCSI_CMD = 2;

// SRB_Status values.
constexpr std::uint8_t SS_PENDING = 0x00;
constexpr std::uint8_t SS_COMP = 0x01;
constexpr std::uint8_t SS_ABORTED = 0x02;
constexpr std::uint8_t SS_ERR = 0x04;
constexpr std::uint8_t SS_INVALID_HA = 0x81;
constexpr std::uint8_t SS_NO_DEVICE = 0x82;
constexpr std::uint8_t SS_INVALID_SRB = 0xE0;
constexpr std::uint8_t SS_NO_ADAPTERS = 0xE8;

// SRB_Flags: direction of the data phase.
constexpr std::uint8_t SRB_DIR_IN = 0x08;
constexpr std::uint8_t SRB_DIR_OUT = 0x10;

constexpr int kSenseLength = 14;

// The SCSI commands Korrin sends and the simulated units answer.
constexpr std::uint8_t kTestUnitReady = 0x00;
constexpr std::uint8_t kReceive = 0x08;
constexpr std::uint8_t kSend = 0x0A;
constexpr std::uint8_t kInquiry = 0x12;
constexpr std::uint8_t kRead10 = 0x28;
constexpr std::uint8_t kWrite10 = 0x2A;

// The published layout on 32-bit Windows, where every field falls on its
// natural alignment; on other hosts only the simulator reads it.
struct SrbExecScsiCmd {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  std::uint8_t SRB_Target;
  std::uint8_t SRB_Lun;
  std::uint16_t SRB_Rsvd1;
  std::uint32_t SRB_BufLen;
  std::uint8_t* SRB_BufPointer;
  std::uint8_t SRB_SenseLen;
  std::uint8_t SRB_CDBLen;
  std::uint8_t SRB_HaStat;
  std::uint8_t SRB_TargStat;
  void* SRB_PostProc;
  std::uint8_t SRB_Rsvd2[20];
  std::uint8_t CDBByte[16];
  std::uint8_t SenseArea[kSenseLength + 2];
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(SrbExecScsiCmd, SRB_BufLen) == 12, "published layout");
static_assert(offsetof(SrbExecScsiCmd, SRB_BufPointer) == 16, "published layout");
static_assert(offsetof(SrbExecScsiCmd, SRB_PostProc) == 24, "published layout");
static_assert(offsetof(SrbExecScsiCmd, CDBByte) == 48, "published layout");
static_assert(sizeof(SrbExecScsiCmd) == 80, "published layout");
#endif

// Korrin keeps each block in 256 bytes, more than any manager reads.
union AspiBlock {
  SrbExecScsiCmd srb;
  std::uint8_t bytes[256];
};

class Aspi {
 public:
  virtual ~Aspi() = default;
  // Bits 0-7: host adapters; bits 8-15: status, SS_COMP when the manager works.
  virtual std::uint32_t GetASPI32SupportInfo() = 0;
  // Starts the command; SS_PENDING when it was accepted, and completion then
  // shows in the block's SRB_Status.
  virtual std::uint32_t SendASPI32Command(SrbExecScsiCmd* srb) = 0;
};
