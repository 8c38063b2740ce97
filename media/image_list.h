#pragma once
// A list of registered image files in the registry: one key below the
// settings key, its count in a number value and the full paths in the
// values "1".."n", in registration order. The CD image driver and the disk
// image driver each keep one.
#include <cstdint>
#include <string>

#include "platform/registry.h"

struct Context;

// Registered images a list may hold; a count above it is damage.
constexpr int kMaxListEntries = 1000;
constexpr int kImagePathSize = 260;

struct ImageListKey {
  std::string key;    // below the settings key
  std::string count;  // the count value's name
};

// The list's key, created if missing; kNoKey without a settings key or on failure.
RegKey OpenImageListKey(Context& ctx, const ImageListKey& list);
// The stored count; 0 when missing or beyond kMaxListEntries.
int ReadImageListCount(Context& ctx, RegKey key, const ImageListKey& list);
// Entry k (from 1); empty when it does not read.
std::string ReadImageListEntry(Context& ctx, RegKey key, int k);
// Removes entry listIndex + 1 of count, moving the later ones down.
void RemoveImageListEntryAt(Context& ctx, RegKey key, const ImageListKey& list, int listIndex,
                            int count);
// Makes path entry k of count + 1, moving entries k..count up one.
void InsertImageListEntryAt(Context& ctx, RegKey key, const ImageListKey& list, int k, int count,
                            const std::string& path);
