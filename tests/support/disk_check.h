#pragma once
// The consistency rules an ESi disk must keep whatever befalls a bank
// operation: no Bank Index entry in use refers to a free block, no chain
// passes through block 0 or a free block or leaves the disk, every chain ends,
// and no block belongs to two chains. Blocks in use that no entry refers to
// are allowed: an interrupted operation may leave them.
#include <cstdint>
#include <string>
#include <vector>

// Empty when the image keeps the rules; otherwise what breaks them.
std::string CheckDiskConsistency(const std::vector<std::uint8_t>& image);
