#pragma once
// A hard disk image file, as SCSI disk emulators keep them on a memory
// card: the 512-byte sectors of an ESi disk one after the other, as large as
// the disk the sampler formatted (gigabytes; offsets are 64-bit throughout).
#include <cstdint>

#include "platform/files.h"

// Accepts a file whose length is a whole number of sectors and whose sector
// 0 holds an ESi disk the bank operations can use; *diskSectors receives the
// disk's size in sectors. Only reads: opening an image never changes it.
bool CheckDiskImageFile(Files& files, FileHandle file, std::uint64_t* diskSectors);

// n sectors from buffer to first. A write past the end of the file fills the
// gap with zeros; nothing is written beyond the disk's last sector. 0 or
// kImageFileError.
std::uint32_t WriteDiskImageSectors(Files& files, FileHandle file, std::uint64_t diskSectors,
                                    std::uint32_t first, std::uint32_t n,
                                    const std::uint8_t* buffer);
