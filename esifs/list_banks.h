#pragma once
// Listing and counting the banks of an ESi disk. Every driver of disks serves
// ListBanks and CountBanks the same way; it only supplies how its sectors are
// read.
#include <cstdint>
#include <functional>

#include "diskos/request.h"

struct Context;

// Reads count sectors from first into buffer, which has room for count x 512
// bytes. Answers 0, or the driver's nonzero transfer result.
using SectorReader =
    std::function<std::uint32_t(std::uint32_t first, std::uint32_t count, std::uint8_t* buffer)>;

// A hostile disk may claim billions of index sectors; 100 banks need 7.
constexpr std::uint32_t kMaxListedIndexSectors = 4096;

// True when sector 0 holds an ESi disk whose banks can be listed: listing
// reads only the Bank Index, so it asks less than the bank operations do.
bool IsListableDisk(const std::uint8_t* sector0);
// The number of Bank Index sectors that may be visited: the disk's count,
// limited to sectors that lie on the disk and to kMaxListedIndexSectors.
std::uint32_t IndexSectorsToVisit(const std::uint8_t* sector0);

// Serves ListBanks: par0..par1 the bank numbers to list, par3 the device's
// node (0: create no nodes), bufI/bIsz the output area of 32-byte entries.
// Writes par2 (entries copied). The listing ends when the output area is full.
// Sets *blockFactor when sector 0 was accepted. Answers 0, or 0x8000 when an
// index sector failed to read.
std::uint32_t ListDiskBanks(Context& ctx, const SectorReader& read, DiskOsRequest& request,
                            std::uint8_t* blockFactor);

// Serves CountBanks: the entries that are banks in every index sector (a "BB"
// sector does not end the count); 0 when any read fails.
std::uint32_t CountDiskBanks(Context& ctx, const SectorReader& read);
