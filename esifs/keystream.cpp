#include "esifs/keystream.h"

namespace {

// The key moves from byte to byte by amounts that depend on the index alone,
// so the key at index i is the start key plus a fixed offset. A table of the
// offsets over one chunk makes every byte independent of the one before,
// which lets the compiler transform many at once: the keystream runs over
// every byte of every bank copied.
constexpr std::uint32_t kTableLength = 16384;

struct KeyOffsets {
  KeyOffsets() {
    std::uint8_t key = 0;
    for (std::uint32_t i = 0; i <= kTableLength; ++i) {
      at[i] = key;
      key = static_cast<std::uint8_t>(key + (i >> 8) + i + (i % 7 == 0 ? 1 : 0));
    }
  }
  std::uint8_t at[kTableLength + 1];
};

const KeyOffsets& keyOffsets() {
  static const KeyOffsets offsets;
  return offsets;
}

}  // namespace

void BankKeystream(std::uint8_t* buffer, std::uint32_t length, std::uint32_t position) {
  std::uint8_t key =
      static_cast<std::uint8_t>((position >> 24) + (position >> 16) + (position >> 8) + 0x5D);
  // A buffer too short to hold "EMU" is transformed from its first byte; the
  // test must never read past the bytes we were given.
  std::uint32_t start = 0;
  if (length >= 3 && buffer[0] == 'E' && buffer[1] == 'M' && buffer[2] == 'U')
    start = 32;
  const std::uint8_t* offset = keyOffsets().at;
  // Indexes below start do not move the key.
  std::uint8_t base = static_cast<std::uint8_t>(key - offset[start]);
  std::uint32_t end = length < kTableLength ? length : kTableLength;
  for (std::uint32_t i = start; i < end; ++i)
    buffer[i] ^= static_cast<std::uint8_t>(base + offset[i]);
  if (length <= kTableLength)
    return;
  // Past one chunk (only templates are that long) the key runs on step by
  // step; i % 7 kept as a running counter.
  key = static_cast<std::uint8_t>(base + offset[kTableLength]);
  std::uint32_t mod7 = kTableLength % 7;
  for (std::uint32_t i = kTableLength; i < length; ++i) {
    buffer[i] ^= key;
    key = static_cast<std::uint8_t>(key + (i >> 8) + i + (mod7 == 0 ? 1 : 0));
    if (++mod7 == 7)
      mod7 = 0;
  }
}
