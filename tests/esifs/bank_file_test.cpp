#include "esifs/bank_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "esifs/keystream.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The keystream as written down, one step per byte, to hold the tight loop to.
void plainKeystream(std::uint8_t* b, std::uint32_t length, std::uint32_t position) {
  unsigned key = ((position >> 24) + (position >> 16) + (position >> 8) + 0x5D) % 256;
  std::uint32_t start = (length >= 3 && b[0] == 0x45 && b[1] == 0x4D && b[2] == 0x55) ? 32 : 0;
  for (std::uint32_t i = start; i < length; ++i) {
    b[i] ^= key;
    key = (key + (i >> 8) + i + (i % 7 == 0 ? 1 : 0)) % 256;
  }
}

Bytes pattern(std::size_t n, unsigned seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    b[i] = static_cast<std::uint8_t>(seed >> 16);
  }
  return b;
}

// The file format is what the samplers' own software reads, so the fast
// keystream is held to the step-by-step form; a round trip alone would pass
// any keystream.
TEST(Keystream, MatchesTheStepByStepFormOverWholeChunks) {
  for (std::uint32_t position : {0u, 16384u, 0x01020300u, 0xFFFFC000u}) {
    for (bool emu : {false, true}) {
      Bytes a = pattern(kBankChunkSize + 100, position + emu);
      if (emu)
        std::memcpy(a.data(), "EMU", 3);
      Bytes b = a;
      BankKeystream(a.data(), static_cast<std::uint32_t>(a.size()), position);
      plainKeystream(b.data(), static_cast<std::uint32_t>(b.size()), position);
      EXPECT_EQ(a, b) << position << " " << emu;
    }
  }
  std::uint8_t b[3] = {'E', 'M', 'U'};
  BankKeystream(b, 2, 0);  // "EM" alone is no header, and byte 2 is not looked at
  EXPECT_TRUE(b[0] == ('E' ^ 0x5D) && b[1] == ('M' ^ 0x5E) && b[2] == 'U');
}

// A whole bank's export and import through its file is checked with the bank
// operations; here the rules of single chunks.
TEST(BankFile, LaterChunkBeginningWithEmuKeepsItsFirst32BytesPlain) {
  Bytes data = pattern(2 * kBankChunkSize, 5);
  std::memcpy(data.data() + kBankChunkSize, "EMULATOR 3X     OTHER NAME      ", 32);
  Bytes file = data;
  PrepareExportChunk(file.data() + kBankChunkSize, kBankChunkSize, kBankChunkSize);
  EXPECT_EQ(std::memcmp(file.data() + kBankChunkSize, data.data() + kBankChunkSize, 32), 0);
  RestoreImportChunk(file.data() + kBankChunkSize, kBankChunkSize, kBankChunkSize);
  EXPECT_EQ(file, data) << "no name copy outside the first chunk";
}

TEST(BankFile, NameComesFromTheFirst92BytesOrElseFromTheFileName) {
  Bytes head = pattern(kBankNamePeekSize, 1);
  std::memcpy(head.data(), "EMULATOR 3X     ", 16);
  std::memcpy(head.data() + 76, "GRAND PIANO     ", 16);
  EXPECT_TRUE(PrepareExportChunk(head.data(), kBankNamePeekSize, 0));
  char name[16];
  BankFileName(head.data(), kBankNamePeekSize, "ignored.e3x", name);
  EXPECT_EQ(std::memcmp(name, "GRAND PIANO     ", 16), 0);
  Bytes file = pattern(20000, 3);  // no "EMU": the whole head is transformed
  Bytes chunk(file.begin(), file.begin() + kBankChunkSize);
  RestoreImportChunk(chunk.data(), kBankChunkSize, 0);
  BankFileName(file.data(), 20000, "ignored.e3x", name);
  EXPECT_EQ(std::memcmp(name, chunk.data() + 76, 16), 0);

  // Too short for a name (91 bytes): the file's name, cut or padded to 16.
  for (auto [path, expected] : {std::pair{"C:\\Banks\\Strings.e3x", "Strings         "},
                                {"D:/A very long bank name.eos", "A very long bank"},
                                {"C:\\Banks\\", "                "}}) {
    BankFileName(file.data(), 91, path, name);
    EXPECT_EQ(std::string(name, 16), expected);
  }
}

TEST(BankFile, ChunkWhoseTransformWouldReadAsEmuIsReportedUnrestorable) {
  for (std::uint32_t offset : {0u, 5 * kBankChunkSize}) {
    Bytes data = pattern(kBankChunkSize, offset), key(3, 0);
    BankKeystream(key.data(), 3, offset);
    for (int i = 0; i < 3; ++i)
      data[i] = static_cast<std::uint8_t>("EMU"[i] ^ key[i]);
    EXPECT_FALSE(IsExportChunkRestorable(data.data(), kBankChunkSize, offset)) << offset;
    data[2] ^= 1;
    EXPECT_TRUE(IsExportChunkRestorable(data.data(), kBankChunkSize, offset)) << offset;
  }
}

}  // namespace
