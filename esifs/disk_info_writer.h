#pragma once
// Writing a disk information sector: what making a new ESi disk needs.
#include <cstdint>

#include "esifs/disk_info.h"

// Writes the magic "EMU3" and every field of d into sector; the other bytes,
// the checksum included, stay as they are.
void WriteDiskInfo(const DiskInfo& d, std::uint8_t* sector);
