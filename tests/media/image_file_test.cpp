#include "media/image_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "esifs/disk_info.h"
#include "esifs/disk_info_writer.h"
#include "platform/fake/memory_files.h"
#include "tests/support/esi_disk_image.h"

namespace {

const char* kPath = "C:\\Images\\disk.iso";

struct ImageFileTest : ::testing::Test {
  MemoryFiles files;
  FileHandle file = kNoFile;

  void open(const std::vector<std::uint8_t>& bytes) {
    files.data(kPath) = bytes;
    file = files.open(kPath, FileOpen::ReadWriteExisting);
    ASSERT_NE(file, kNoFile);
  }
  std::vector<std::uint8_t>& bytes() { return files.data(kPath); }
  DiskInfo info() { return ReadDiskInfo(bytes().data()); }
};

TEST_F(ImageFileTest, WritePastTheEndGrowsWithZerosInWholeCdSectors) {
  open(std::vector<std::uint8_t>(14336, 0x11));
  std::vector<std::uint8_t> sector(512, 0xAB);
  EXPECT_EQ(WriteImageSectors(files, file, 40, 1, sector.data()), 0u);
  ASSERT_EQ(bytes().size(), 22528u);
  EXPECT_EQ(bytes()[14335], 0x11);
  for (std::size_t i = 14336; i < 20480; ++i)
    ASSERT_EQ(bytes()[i], 0) << i;
  for (std::size_t i = 20480; i < 20992; ++i)
    ASSERT_EQ(bytes()[i], 0xAB) << i;
  for (std::size_t i = 20992; i < 22528; ++i)
    ASSERT_EQ(bytes()[i], 0) << i;

  EXPECT_EQ(WriteImageSectors(files, file, 2, 1, sector.data()), 0u);
  EXPECT_EQ(bytes().size(), 22528u);
  EXPECT_EQ(bytes()[1024], 0xAB);
}

TEST_F(ImageFileTest, WriteWithinTheTemplateSectorsKeepsAnOddLength) {
  open(std::vector<std::uint8_t>(12800, 0));
  std::vector<std::uint8_t> sectors(1024, 0x22);
  EXPECT_EQ(WriteImageSectors(files, file, 24, 2, sectors.data()), 0u);
  EXPECT_EQ(bytes().size(), 13312u);  // no rounding below sector 25
  EXPECT_EQ(WriteImageSectors(files, file, 25, 1, sectors.data()), 0u);
  EXPECT_EQ(bytes().size(), 14336u);
}

TEST_F(ImageFileTest, WriteBeyondACdIsRefusedAndLeavesTheFileAlone) {
  open(std::vector<std::uint8_t>(2048, 0));
  std::vector<std::uint8_t> sectors(1024, 0x33);
  EXPECT_EQ(WriteImageSectors(files, file, kCdCapacitySectors - 1, 2, sectors.data()),
            kImageFileError);
  EXPECT_EQ(WriteImageSectors(files, file, 0xFFFFFFFF, 1, sectors.data()), kImageFileError);
  EXPECT_EQ(bytes().size(), 2048u);
}

TEST_F(ImageFileTest, FailedWriteOrShortReadAnswersTheFileError) {
  open(std::vector<std::uint8_t>(4096, 0x44));
  std::vector<std::uint8_t> buffer(1024, 0x55);
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

TEST_F(ImageFileTest, CheckAcceptsAnEsiDiskOfWholeCdSectorsAndRewindsIt) {
  EsiDiskImage disk(SmallDisk(), 28);
  open(disk.bytes);
  files.seek(file, 777);
  EXPECT_TRUE(CheckImageFile(files, file));
  EXPECT_EQ(bytes(), disk.bytes);  // nothing to clamp
  std::uint8_t first = 0;
  std::uint32_t got = 0;
  files.read(file, &first, 1, &got);
  EXPECT_EQ(first, 'E');
}

TEST_F(ImageFileTest, CheckRefusesWrongLengthsAndForeignDisks) {
  EsiDiskImage disk(SmallDisk(), 28);
  disk.bytes.push_back(0);
  open(disk.bytes);
  EXPECT_FALSE(CheckImageFile(files, file));
  files.close(file);

  disk.bytes.resize(14336);
  disk.sector(0)[0x100] ^= 0xFF;  // checksum no longer matches
  open(disk.bytes);
  EXPECT_FALSE(CheckImageFile(files, file));
  files.close(file);

  open({});
  EXPECT_FALSE(CheckImageFile(files, file));
}

TEST_F(ImageFileTest, DiskLargerThanACdIsClampedAndWrittenBack) {
  DiskInfo d = SmallDisk();
  d.lastSector = 1500000;
  d.dataSector = 200;
  d.blockCount = (1500000 - 200) / 128;
  EsiDiskImage disk(d, 28);
  disk.sector(0)[220] = 0x5A;  // the gapped form ignores it, the v2 form would not
  disk.seal(true);
  open(disk.bytes);
  EXPECT_TRUE(CheckImageFile(files, file));
  EXPECT_EQ(info().lastSector, 1331199u);
  EXPECT_EQ(info().blockCount, (1331200u - 200) / 128);
  EXPECT_EQ(StoredChecksum(bytes().data()), DiskInfoChecksumGapped(bytes().data()));
  EXPECT_TRUE(IsEsiDiskInfo(bytes().data()));
  EXPECT_EQ(std::memcmp(bytes().data() + 512, disk.bytes.data() + 512, 512 * 27), 0);

  // A write that fails leaves the image unopened.
  EsiDiskImage again(d, 28);
  files.close(file);
  open(again.bytes);
  files.failWriteAt = 1;
  EXPECT_FALSE(CheckImageFile(files, file));
}

TEST_F(ImageFileTest, ClampNeverGrowsBlockCountNorDividesByZero) {
  std::uint8_t sector[512] = {};
  DiskInfo d = SmallDisk();
  d.lastSector = 2000000;
  d.blockCount = 5;
  WriteDiskInfo(d, sector);
  EXPECT_TRUE(ClampToCdCapacity(sector));
  EXPECT_EQ(ReadDiskInfo(sector).blockCount, 5u);

  for (std::uint8_t code : {0, 1}) {
    d.blockSizeCode = code;
    d.blockSizeShift = code == 0 ? 0 : 200;
    d.blockCount = 99999;
    WriteDiskInfo(d, sector);
    EXPECT_TRUE(ClampToCdCapacity(sector));
    EXPECT_EQ(ReadDiskInfo(sector).blockCount, 99999u);
    EXPECT_EQ(ReadDiskInfo(sector).lastSector, 1331199u);
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
  EXPECT_EQ(ImageFileName("C:\\Images\\disk.iso"), "disk.iso");
  EXPECT_EQ(ImageFileName("disk.iso"), "disk.iso");
  EXPECT_EQ(ImageFileName("\\disk.iso"), "\\disk.iso");
  EXPECT_EQ(ImageFileName("C:\\Images\\"), "");
}

}  // namespace
