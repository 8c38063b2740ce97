#include "media/image_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "esifs/disk_info.h"
#include "esifs/disk_info_writer.h"
#include "platform/fake/memory_files.h"
#include "tests/support/esi_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const char* kPath = "C:\\Images\\disk.iso";

struct ImageFileTest : ::testing::Test {
  MemoryFiles files;
  FileHandle file = kNoFile;

  void open(const Bytes& bytes) {
    if (file != kNoFile)
      files.close(file);
    files.data(kPath) = bytes;
    file = files.open(kPath, FileOpen::ReadWriteExisting);
    ASSERT_NE(file, kNoFile);
  }
  Bytes& bytes() { return files.data(kPath); }
  DiskInfo info() { return ReadDiskInfo(bytes().data()); }
};

TEST_F(ImageFileTest, WritesGrowTheFileWithZerosInWholeCdSectorsUpToACdsCapacity) {
  open(Bytes(14336, 0x11));
  Bytes sector(1024, 0xAB);
  EXPECT_EQ(WriteImageSectors(files, file, 40, 1, sector.data()), 0u);
  ASSERT_EQ(bytes().size(), 22528u);
  Bytes expected(22528, 0);
  std::fill(expected.begin(), expected.begin() + 14336, 0x11);
  std::fill(expected.begin() + 20480, expected.begin() + 20992, 0xAB);
  EXPECT_EQ(bytes(), expected);
  EXPECT_EQ(WriteImageSectors(files, file, 2, 1, sector.data()), 0u);
  EXPECT_EQ(bytes().size(), 22528u);
  EXPECT_EQ(bytes()[1024], 0xAB);

  // Within the template's 25 sectors too, or the next start would drop it.
  open(Bytes(12800, 0));
  EXPECT_EQ(WriteImageSectors(files, file, 24, 2, sector.data()), 0u);
  EXPECT_EQ(bytes().size(), 14336u);

  EXPECT_EQ(WriteImageSectors(files, file, kCdCapacitySectors - 1, 2, sector.data()),
            kImageFileError);
  EXPECT_EQ(WriteImageSectors(files, file, 0xFFFFFFFF, 1, sector.data()), kImageFileError);
  EXPECT_EQ(bytes().size(), 14336u);
}

TEST_F(ImageFileTest, FailedWriteOrShortReadAnswersTheFileError) {
  open(Bytes(4096, 0x44));
  Bytes buffer(1024, 0x55);
  files.failWriteAt = 1;
  EXPECT_EQ(WriteImageSectors(files, file, 1, 1, buffer.data()), kImageFileError);

  // Sector 7 lies in the file, sector 8 does not: nothing stale comes back.
  EXPECT_EQ(ReadImageSectors(files, file, 7, 2, buffer.data()), kImageFileError);
  EXPECT_EQ(buffer[0], 0x44);
  EXPECT_EQ(buffer[600], 0);
  files.failReadAt = 1;
  EXPECT_EQ(ReadImageSectors(files, file, 0, 1, buffer.data()), kImageFileError);
  EXPECT_EQ(ReadImageSectors(files, file, 3, 1, buffer.data()), 0u);
}

TEST_F(ImageFileTest, CheckAcceptsOnlyAnEsiDiskOfWholeCdSectorsAndRewindsIt) {
  Bytes good = EsiImage().file(28);
  open(good);
  files.seek(file, 777);
  EXPECT_TRUE(CheckImageFile(files, file));
  EXPECT_EQ(bytes(), good);  // nothing to clamp
  std::uint8_t first = 0;
  std::uint32_t got = 0;
  files.read(file, &first, 1, &got);
  EXPECT_EQ(first, 'E');

  Bytes longer = good;
  longer.push_back(0);
  Bytes foreign = good;
  foreign[0x100] ^= 0xFF;  // the checksum no longer matches
  for (const Bytes& b : {longer, foreign, Bytes()}) {
    open(b);
    EXPECT_FALSE(CheckImageFile(files, file)) << b.size();
  }
}

TEST_F(ImageFileTest, DiskLargerThanACdIsClampedAndWrittenBack) {
  EsiImage big;
  big.info.lastSector = 1500000;
  big.info.blockCount = (1500000 - big.info.dataSector) / 128;
  big.sector(0)[220] = 0x5A;  // the gapped form ignores it, the v2 form would not
  big.storeInfo(true);
  Bytes image = big.file(28);
  open(image);
  EXPECT_TRUE(CheckImageFile(files, file));
  EXPECT_EQ(info().lastSector, 1331199u);
  EXPECT_EQ(StoredChecksum(bytes().data()), DiskInfoChecksumGapped(bytes().data()));
  EXPECT_NE(StoredChecksum(bytes().data()), DiskInfoChecksumV2(bytes().data()));
  EXPECT_EQ(std::memcmp(bytes().data() + 512, image.data() + 512, 512 * 27), 0);

  // A write that fails leaves the image unopened.
  open(image);
  files.failWriteAt = 1;
  EXPECT_FALSE(CheckImageFile(files, file));
}

TEST(ImageClamp, NeverGrowsBlockCountNorDividesByZero) {
  std::uint8_t sector[512] = {};
  DiskInfo d = EsiImage().info;
  d.lastSector = 2000000;
  for (std::uint8_t shift : {0, 200}) {  // block size as read: code << shift
    for (std::uint8_t code : {0, 1}) {
      d.blockSizeCode = code;
      d.blockSizeShift = shift;
      WriteDiskInfo(d, sector);
      EXPECT_TRUE(ClampToCdCapacity(sector));
      EXPECT_EQ(ReadDiskInfo(sector).blockCount, d.blockCount);
    }
  }
  d.blockSizeCode = 1;
  d.blockSizeShift = 0;
  d.dataSector = 1400000;  // data beyond the CD: no block fits
  WriteDiskInfo(d, sector);
  EXPECT_TRUE(ClampToCdCapacity(sector));
  EXPECT_EQ(ReadDiskInfo(sector).blockCount, 0u);

  d.lastSector = 1331199;
  WriteDiskInfo(d, sector);
  EXPECT_FALSE(ClampToCdCapacity(sector));
}

TEST(ImageFileName, IsTheTextAfterTheLastBackslash) {
  EXPECT_EQ(ImageFileName("C:\\Images\\disk.iso") + ImageFileName("disk.iso"), "disk.isodisk.iso");
  EXPECT_EQ(ImageFileName("\\disk.iso") + ImageFileName("C:\\Images\\"), "\\disk.iso");
}

}  // namespace
