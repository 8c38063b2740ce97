#include "esifs/bank_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "esifs/keystream.h"
#include "tests/support/esi_image.h"

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

// The file format is what the samplers' own software reads, so the fast
// keystream is held to the step-by-step form; a round trip alone would pass
// any keystream.
TEST(Keystream, MatchesTheStepByStepFormOverWholeChunks) {
  for (std::uint32_t position : {0u, 16384u, 0x01020300u, 0xFFFFC000u}) {
    for (bool emu : {false, true}) {
      Bytes a = MakeBankData(kBankChunkSize + 100, "", position);
      a[0] = emu ? 'E' : 0;
      Bytes b = a;
      BankKeystream(a.data(), static_cast<std::uint32_t>(a.size()), position);
      plainKeystream(b.data(), static_cast<std::uint32_t>(b.size()), position);
      EXPECT_EQ(a, b) << position << " " << emu;
    }
  }
}

// Whole banks go through their files with the bank operations; here the
// name rules of single chunks.
TEST(BankFile, NameIsCopiedIntoTheFirstChunkOnlyAndReadFromItOrElseFromTheFileName) {
  Bytes data = MakeBankData(2 * kBankChunkSize, "", 1);
  for (std::uint32_t at : {0u, kBankChunkSize}) {
    std::memcpy(data.data() + at, "EMULATOR 3X     OTHER NAME      ", 32);
    std::memcpy(data.data() + at + 76, "GRAND PIANO     ", 16);
  }
  Bytes file = data;
  PrepareExportChunk(file.data(), kBankChunkSize, 0);
  PrepareExportChunk(file.data() + kBankChunkSize, kBankChunkSize, kBankChunkSize);
  EXPECT_EQ(std::string(file.begin() + 16, file.begin() + 32), "GRAND PIANO     ");
  EXPECT_EQ(0, std::memcmp(&file[kBankChunkSize], &data[kBankChunkSize], 32));
  char name[16];
  BankFileName(file.data(), kBankNamePeekSize, "ignored.e3x", name);
  EXPECT_EQ(std::string(name, 16), "GRAND PIANO     ");
  RestoreImportChunk(file.data() + kBankChunkSize, kBankChunkSize, kBankChunkSize);
  EXPECT_TRUE(std::equal(file.begin() + kBankChunkSize, file.end(), data.begin() + kBankChunkSize));
  // Too short for a name (91 bytes): the file's name, cut to 16.
  BankFileName(file.data(), 91, "D:/Banks/A very long bank name.eos", name);
  EXPECT_EQ(std::string(name, 16), "A very long bank");
}

}  // namespace
