#pragma once
// A CD image file: the sectors of an ESi disk one after the other, its length
// a whole number of 2048-byte CD sectors.
#include <cstdint>
#include <string>

#include "platform/files.h"

constexpr std::uint32_t kCdSectorSize = 2048;
// What a CD holds, in 512-byte sectors.
constexpr std::uint32_t kCdCapacitySectors = 1331200;
// A fresh image holds this many sectors of template.
constexpr std::uint32_t kTemplateSectors = 25;
constexpr std::uint32_t kImageTemplateSize = kTemplateSectors * 512;  // 12 800
// The result of any failed file call during a transfer.
constexpr std::uint32_t kImageFileError = 0x40000;

// Reads sector 0 of an image file into sector; false unless it is a whole
// sector holding an ESi disk information sector.
bool ReadEsiSectorZero(Files& files, FileHandle file, std::uint8_t* sector);
// Accepts a file that holds an ESi disk, clamping a disk that claims more than
// a CD holds (and writing the clamped sector back). Leaves the file at 0.
bool CheckImageFile(Files& files, FileHandle file);
// Clamps a disk information sector to the CD's capacity and stores the gapped
// checksum; false when it needed no change.
bool ClampToCdCapacity(std::uint8_t* sector0);

// n sectors from first into buffer; 0 or kImageFileError (a short read too).
std::uint32_t ReadImageSectors(Files& files, FileHandle file, std::uint32_t first, std::uint32_t n,
                               std::uint8_t* buffer);
// n sectors from buffer to first, growing the file with zeros in CD sectors;
// 0 or kImageFileError. Refuses to grow an image beyond a CD's capacity.
std::uint32_t WriteImageSectors(Files& files, FileHandle file, std::uint32_t first, std::uint32_t n,
                                const std::uint8_t* buffer);

// Appends zero bytes at the end of a file from bytes long until it is length
// bytes long; false when a write fails.
bool AppendZeros(Files& files, FileHandle file, std::uint64_t from, std::uint64_t length);

// The text after the last backslash (one in the first character does not
// count); the whole path when there is none.
std::string ImageFileName(const std::string& path);
