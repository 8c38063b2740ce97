// Every bank operation on hard disk images of real sizes: sparse files on
// the test machine's disk through the POSIX files port, with the banks across
// the 2 GB and 4 GB offsets of a 4.5 GB image. Native only: the Windows
// build's C library has 32-bit file offsets.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "esifs/bank_edit.h"
#include "tests/support/disk_check.h"
#include "tests/support/disk_image_scenario.h"
#include "tests/support/esi_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint64_t kGB = 1ull << 30;

constexpr std::uint64_t kDiskBytes = 4 * kGB + kGB / 2;
constexpr std::uint64_t kBankAt[2] = {2 * kGB, 4 * kGB};  // offsets the two banks must cross

// Read and written apart from the files port the driver uses.
Bytes readFile(const std::string& path, std::uint64_t at, std::size_t n) {
  Bytes b(n);
  std::ifstream f(path, std::ios::binary);
  f.seekg(static_cast<std::streamoff>(at));
  f.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(n));
  b.resize(static_cast<std::size_t>(f.gcount()));
  return b;
}

// Sparse past the bytes given.
void writeFile(const std::string& path, const Bytes& bytes, std::uint64_t length) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  std::filesystem::resize_file(path, length);
}

struct SparseImages : ::testing::Test {
  void SetUp() override { ASSERT_NE(::mkdtemp(&folder[0]), nullptr); }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string folder = "/tmp/korrin-sparse-XXXXXX";
};

TEST_F(SparseImages, EveryBankOperationWorksAcrossLargeOffsets) {
  const std::string image = folder + "/HD0.img", in = folder + "/in.e3x", out = folder + "/out.e3x";
  // The tables of the whole disk; every block but those at the two offsets in use.
  EsiImage disk(EsiLayout{3, 1, 128});
  const std::uint64_t blockBytes = disk.blockSectors() * 512ull;
  const std::uint64_t dataAt = disk.info.dataSector * 512ull;
  disk.info.blockCount = static_cast<std::uint32_t>((kDiskBytes - dataAt) / blockBytes);
  disk.info.lastSector = static_cast<std::uint32_t>(kDiskBytes / 512 - 1);
  disk.storeInfo();
  std::uint64_t first[2] = {(kBankAt[0] - dataAt) / blockBytes + 1,
                            (kBankAt[1] - dataAt) / blockBytes + 1};
  for (std::uint32_t b = 1; b <= disk.info.blockCount; ++b) {
    if (b - first[0] > 3 && b - first[1] > 3)
      disk.setBat(b, 0x7FFF);
  }
  Bytes tables = disk.file(disk.info.dataSector);
  writeFile(image, tables, kDiskBytes);

  SparseDiskImageScenario s({image});
  s.start();
  ASSERT_EQ(s.driver.deviceCount(), 1);
  EXPECT_EQ(readFile(image, 0, tables.size()), tables) << "opening and listing wrote";
  // Three blocks each (and the one import always adds), so both span their offset.
  Bytes data[2] = {MakeBankData(static_cast<std::uint32_t>(3 * blockBytes - 100), "LOW", 1),
                   MakeBankData(static_cast<std::uint32_t>(3 * blockBytes - 512), "HIGH", 2)};
  for (const Bytes& d : data) {
    writeFile(in, MakeBankFile(d), MakeBankFile(d).size());
    s.importBank(in);
  }
  s.list();
  ASSERT_TRUE(s.t.host.messages.empty()) << s.t.host.messages[0];
  for (int i = 0; i < 2; ++i) {
    ASSERT_NE(s.bank(i), 0);
    EXPECT_EQ(readFile(image, dataAt + (first[i] - 1) * blockBytes, data[i].size()), data[i])
        << "bank " << i << " not in place";
    s.exportBank(i, out);
    EXPECT_EQ(readFile(out, 0, data[i].size() + 1), MakeBankFile(data[i]));
  }
  EXPECT_TRUE(RenameBank(s.ctx, s.bank(1), "HIGH", "HIGHER"));
  RenumberBank(s.ctx, s.bank(1), 42);
  s.ctx.busy = 1;
  DeleteBank(s.ctx, s.bank(0));
  s.list();
  EXPECT_EQ(s.bank(0), 0);
  ASSERT_NE(s.bank(42), 0);
  EXPECT_STREQ(s.node(s.bank(42)).name, "HIGHER");
  // The renamed bank's data past its names, unchanged.
  EXPECT_EQ(readFile(image, dataAt + (first[1] - 1) * blockBytes + 92, data[1].size() - 92),
            Bytes(data[1].begin() + 92, data[1].end()));
  EXPECT_TRUE(s.t.host.messages.empty()) << s.t.host.messages[0];
  EXPECT_EQ(readFile(image, kDiskBytes - 1, 2).size(), 1u) << "the file grew or shrank";
  EXPECT_EQ(CheckDiskConsistency(readFile(image, 0, tables.size())), "");
  s.t.files.close(s.driver.device(0).file);
}

}  // namespace

#endif  // _WIN32
