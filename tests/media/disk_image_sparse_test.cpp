// Every bank operation on hard disk images of real sizes: sparse files on
// the test machine's disk through the POSIX files port, with the banks on a
// 1 GB image and across the 2 GB and 4 GB offsets of a 4.5 GB one. Native
// only: the Windows build's C library has 32-bit file offsets.
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
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

Bytes preadFile(const std::string& path, std::uint64_t at, std::size_t n) {
  Bytes b(n);
  int fd = ::open(path.c_str(), O_RDONLY);
  ssize_t got = fd >= 0 ? ::pread(fd, b.data(), n, static_cast<off_t>(at)) : -1;
  if (fd >= 0)
    ::close(fd);
  b.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return b;
}

void writeFile(const std::string& path, const Bytes& bytes, std::uint64_t length) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(length)), 0);
  ::close(fd);
}

std::uint64_t fileLength(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 ? static_cast<std::uint64_t>(s.st_size) : 0;
}

class SparseImages : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/korrin-sparse-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    folder = dir;
  }
  void TearDown() override {
    for (const char* name : {"/HD0.img", "/in.e3x", "/out.e3x"})
      ::unlink((folder + name).c_str());
    ::rmdir(folder.c_str());
  }
  std::string folder;
};

TEST_F(SparseImages, EveryBankOperationWorksAcrossLargeOffsets) {
  for (const SparseCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const std::string image = folder + "/HD0.img", in = folder + "/in.e3x",
                      out = folder + "/out.e3x";
    // The tables of the whole disk; every block but those at the two offsets in use.
    EsiLayout layout;
    layout.blockSizeCode = c.blockSizeCode;
    layout.blockCount = 1;
    layout.batSectors = 128;
    EsiImage disk(layout);
    const std::uint64_t blockBytes = disk.blockSectors() * 512ull;
    disk.info.blockCount =
        static_cast<std::uint32_t>((c.diskBytes - disk.info.dataSector * 512ull) / blockBytes);
    disk.info.lastSector = static_cast<std::uint32_t>(c.diskBytes / 512 - 1);
    disk.storeInfo();
    std::uint32_t first[2];
    for (int i = 0; i < 2; ++i)
      first[i] = static_cast<std::uint32_t>((c.bankAt[i] / 512 - disk.info.dataSector) /
                                            disk.blockSectors()) +
                 1;
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
    Context& ctx = s.ctx;
    // Three blocks each (and the one import always adds), so both span their offset.
    Bytes data[2] = {MakeBankData(static_cast<std::uint32_t>(3 * blockBytes - 100), "LOW", 1),
                     MakeBankData(static_cast<std::uint32_t>(3 * blockBytes - 512), "HIGH", 2)};
    for (const Bytes& d : data) {
      writeFile(in, MakeBankFile(d), MakeBankFile(d).size());
      ctx.openFile = s.t.files.open(in, FileOpen::ReadExisting);
      ctx.busy = 1;
      ImportBank(ctx, s.device, in);
    }
    s.list();
    ASSERT_TRUE(s.messages().empty()) << s.messages()[0];
    ASSERT_NE(s.bank(0), 0);
    ASSERT_NE(s.bank(1), 0);
    for (int i = 0; i < 2; ++i) {
      std::uint64_t at = (disk.info.dataSector + (first[i] - 1ull) * disk.blockSectors()) * 512;
      EXPECT_EQ(preadFile(image, at, data[i].size()), data[i]) << "bank " << i << " not in place";
      ctx.openFile = s.t.files.open(out, FileOpen::CreateAlways);
      ctx.busy = 1;
      ExportBank(ctx, s.bank(i));
      EXPECT_EQ(preadFile(out, 0, data[i].size() + 1), MakeBankFile(data[i]));
    }
    EXPECT_TRUE(RenameBank(ctx, s.bank(1), "HIGH", "HIGHER"));
    RenumberBank(ctx, s.bank(1), 42);
    ctx.busy = 1;
    DeleteBank(ctx, s.bank(0));
    s.list();
    EXPECT_EQ(s.bank(0), 0);
    ASSERT_NE(s.bank(42), 0);
    EXPECT_STREQ(s.node(s.bank(42)).name, "HIGHER");
    ctx.openFile = s.t.files.open(out, FileOpen::CreateAlways);
    ctx.busy = 1;
    ExportBank(ctx, s.bank(42));
    // The renamed bank's data past its names, unchanged.
    Bytes high = MakeBankFile(data[1]);
    EXPECT_EQ(preadFile(out, 92, high.size()), Bytes(high.begin() + 92, high.end()));
    EXPECT_TRUE(s.messages().empty()) << s.messages()[0];
    EXPECT_EQ(fileLength(image), c.diskBytes);
    EXPECT_EQ(CheckDiskConsistency(preadFile(image, 0, tables.size())), "");
    s.t.files.close(s.driver.device(0).file);
  }
}

}  // namespace

#endif  // _WIN32
