// Every bank operation on hard disk images of real sizes: sparse files on
// the test machine's disk through the POSIX files port, with the banks on a
// 1 GB image and across the 2 GB and 4 GB offsets of a 4.5 GB one. Native
// only: the Windows build's C library has 32-bit file offsets.
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "esifs/bank_edit.h"
#include "tests/support/disk_check.h"
#include "tests/support/disk_image_scenario.h"
#include "tests/support/esi_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint64_t kGB = 1ull << 30;

struct SparseCase {
  const char* what;
  std::uint8_t blockSizeCode;
  std::uint64_t diskBytes;
  std::uint64_t bankAt[2];  // byte offsets the two banks must cross
};

const SparseCase kCases[] = {
    {"1 GB", 1, 1 * kGB, {64 * 1024 * 1024, kGB - 2 * 1024 * 1024}},
    {"4.5 GB", 3, 4 * kGB + kGB / 2, {2 * kGB, 4 * kGB}},
};

// Read and written apart from the files port the driver uses.
Bytes preadFile(const std::string& path, std::uint64_t at, std::size_t n) {
  Bytes b(n);
  int fd = ::open(path.c_str(), O_RDONLY);
  ssize_t got = fd >= 0 ? ::pread(fd, b.data(), n, static_cast<off_t>(at)) : -1;
  ::close(fd);
  b.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return b;
}

void writeFile(const std::string& path, const Bytes& bytes, std::uint64_t length) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(length)), 0);
  ::close(fd);
}

class SparseImages : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(::mkdtemp(&folder[0]), nullptr);
    image = folder + "/HD0.img", in = folder + "/in.e3x", out = folder + "/out.e3x";
  }
  void TearDown() override {
    for (const std::string& path : {image, in, out})
      ::unlink(path.c_str());
    ::rmdir(folder.c_str());
  }
  std::string folder = "/tmp/korrin-sparse-XXXXXX", image, in, out;
};

TEST_F(SparseImages, EveryBankOperationWorksAcrossLargeOffsets) {
  for (const SparseCase& c : kCases) {
    SCOPED_TRACE(c.what);
    // The tables of the whole disk; every block but those at the two offsets in use.
    EsiLayout layout;
    layout.blockSizeCode = c.blockSizeCode;
    layout.blockCount = 1;
    layout.batSectors = 128;
    EsiImage disk(layout);
    const std::uint64_t blockBytes = disk.blockSectors() * 512ull;
    const std::uint64_t dataAt = disk.info.dataSector * 512ull;
    disk.info.blockCount = static_cast<std::uint32_t>((c.diskBytes - dataAt) / blockBytes);
    disk.info.lastSector = static_cast<std::uint32_t>(c.diskBytes / 512 - 1);
    disk.storeInfo();
    std::uint64_t first[2] = {(c.bankAt[0] - dataAt) / blockBytes + 1,
                              (c.bankAt[1] - dataAt) / blockBytes + 1};
    for (std::uint32_t b = 1; b <= disk.info.blockCount; ++b) {
      if (b - first[0] > 3 && b - first[1] > 3)
        disk.setBat(b, 0x7FFF);
    }
    Bytes tables = disk.file(disk.info.dataSector);
    writeFile(image, tables, c.diskBytes);

    SparseDiskImageScenario s({image});
    s.start();
    ASSERT_EQ(s.driver.deviceCount(), 1);
    EXPECT_EQ(preadFile(image, 0, tables.size()), tables) << "opening and listing wrote";
    // Three blocks each (and the one import always adds), so both span their offset.
    Bytes data[2] = {MakeBankData(static_cast<std::uint32_t>(3 * blockBytes - 100), "LOW", 1),
                     MakeBankData(static_cast<std::uint32_t>(3 * blockBytes - 512), "HIGH", 2)};
    for (const Bytes& d : data) {
      writeFile(in, MakeBankFile(d), MakeBankFile(d).size());
      s.importBank(in);
    }
    s.list();
    ASSERT_TRUE(s.messages().empty()) << s.messages()[0];
    for (int i = 0; i < 2; ++i) {
      ASSERT_NE(s.bank(i), 0);
      EXPECT_EQ(preadFile(image, dataAt + (first[i] - 1) * blockBytes, data[i].size()), data[i])
          << "bank " << i << " not in place";
      s.exportBank(i, out);
      EXPECT_EQ(preadFile(out, 0, data[i].size() + 1), MakeBankFile(data[i]));
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
    EXPECT_EQ(preadFile(image, dataAt + (first[1] - 1) * blockBytes + 92, data[1].size() - 92),
              Bytes(data[1].begin() + 92, data[1].end()));
    EXPECT_TRUE(s.messages().empty()) << s.messages()[0];
    EXPECT_EQ(preadFile(image, c.diskBytes - 1, 2).size(), 1u) << "the file grew or shrank";
    EXPECT_EQ(CheckDiskConsistency(preadFile(image, 0, tables.size())), "");
    s.t.files.close(s.driver.device(0).file);
  }
}

}  // namespace

#endif  // _WIN32
