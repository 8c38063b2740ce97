#include "esifs/keystream.h"

void BankKeystream(std::uint8_t* buffer, std::uint32_t length, std::uint32_t position) {
  std::uint8_t key =
      static_cast<std::uint8_t>((position >> 24) + (position >> 16) + (position >> 8) + 0x5D);
  // A buffer too short to hold "EMU" is transformed from its first byte; the
  // test must never read past the bytes we were given.
  std::uint32_t i = 0;
  if (length >= 3 && buffer[0] == 'E' && buffer[1] == 'M' && buffer[2] == 'U')
    i = 32;
  // i % 7 kept as a running counter: this loop runs over every byte of a bank.
  std::uint32_t mod7 = i % 7;
  for (; i < length; ++i) {
    buffer[i] ^= key;
    key = static_cast<std::uint8_t>(key + (i >> 8) + i + (mod7 == 0 ? 1 : 0));
    if (++mod7 == 7)
      mod7 = 0;
  }
}
