#pragma once
// The request packet through which everything reaches a storage driver, and
// its codes and results.
#include <cstdint>

// One machine word: 32 bits on the Windows target, so the packet is exactly
// nineteen 32-bit words there; buffer addresses must fit on 64-bit hosts too.
using DiskOsWord = std::uintptr_t;

struct DiskOsRequest {
  DiskOsWord cg1;
  DiskOsWord cg2;
  DiskOsWord drv;
  DiskOsWord state;
  DiskOsWord par0, par1, par2, par3, par4, par5, par6, par7, par8, par9;
  DiskOsWord bufI;
  DiskOsWord bufO;
  DiskOsWord bIsz;
  DiskOsWord bOsz;
  DiskOsWord diskOs;
};
static_assert(sizeof(DiskOsRequest) == 19 * sizeof(DiskOsWord), "19 words, no padding");

enum DiskOsCode : std::uint32_t {
  // cg1 codes
  Scan = 0x00000001,
  QueryReadOnly = 0x00000002,
  RemoveDevice = 0x00000004,
  CloseDevice = 0x00000010,
  ReadSectors = 0x00010000,
  WriteSectors = 0x00020000,
  CountBanks = 0x00040000,
  ListBanks = 0x00080000,
  Register = 0x40000000,
  DeviceCount = 0x80000000,
};

enum DiskOsSubCode : std::uint32_t {
  // cg2 codes, sent with cg1 = 0
  GetCodeMask = 1,
  GetSubCodeMask = 2,
  AddDevice = 4,
  GetDeviceNames = 8,
};

enum DiskOsResult : std::uint32_t {
  DiskOsOk = 0,
  DiskOsNotServed = 0x40,
  DiskOsBufferTooSmall = 0x100,
  // A listing that could not ask for everything: the device stays unlisted.
  DiskOsListIncomplete = 0x200,
  DiskOsIndexReadFailed = 0x8000,
  DiskOsTransferFailed = 0x10,  // OR-ed into the device's own error code
};

constexpr std::uint32_t kSectorSize = 512;

inline DiskOsRequest makeRequest(std::uint32_t cg1, DiskOsWord drv = 0) {
  DiskOsRequest r{};
  r.cg1 = cg1;
  r.drv = drv;
  return r;
}

inline DiskOsRequest makeSubRequest(std::uint32_t cg2) {
  DiskOsRequest r{};
  r.cg2 = cg2;
  return r;
}

// Checks a sector transfer's buffer against its count (0 means 1). Returns
// the count, or 0 when the buffer cannot hold it.
inline std::uint32_t transferCount(const DiskOsRequest& r) {
  std::uint64_t count = r.par1 == 0 ? 1 : static_cast<std::uint32_t>(r.par1);
  if (r.bufI == 0 || static_cast<std::uint64_t>(r.bIsz) < count * kSectorSize)
    return 0;
  return static_cast<std::uint32_t>(count);
}
