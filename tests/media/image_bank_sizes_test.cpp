// Banks of awkward sizes through the real CD image driver, on image files
// that end where their tables do, so that every bank is the last thing
// written; and the clamp of a disk larger than a CD.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_disk.h"
#include "esifs/disk_info_writer.h"
#include "media/image_file.h"
#include "tests/support/disk_check.h"
#include "tests/support/disk_image_scenario.h"
#include "tests/support/esi_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Messages = std::vector<std::string>;
const char kImage[] = "C:\\Disks\\esi.iso";
const char kIn[] = "C:\\Work\\in.e3x";
const char kOut[] = "C:\\Work\\out.e3x";

struct SizeCase {
  std::uint32_t size;
  bool imported;              // by Korrin's import, else put there as a sampler would
  std::uint32_t chainBlocks;  // the chain cut after this many blocks; 0: whole
  std::uint32_t exported;     // bytes the file gets
};

const SizeCase kSizes[] = {
    {1, true, 0, 1},
    {16383, true, 0, 16383},
    {16384, true, 0, 16384},
    {16385, true, 0, 16385},
    {65536, true, 0, 65536},
    {65537, true, 0, 65537},
    {131072, false, 0, 131072},  // no spare block after the last unit
    {131072, false, 1, 65536},   // one block short
    {3 * 65536 + 100, false, 3, 3 * 65536},
};

TEST(ImageBankSizes, ExportGivesEveryByteOrSaysTheChainWasShort) {
  for (const SizeCase& c : kSizes) {
    SCOPED_TRACE(std::to_string(c.size) + (c.imported ? " imported" : " on disk"));
    Bytes data = MakeBankData(c.size, "SIZE", c.size);
    EsiImage disk;
    std::uint16_t first = c.imported ? 0 : disk.addBank(0, "SIZE", data);
    for (std::uint32_t b = 1; c.chainBlocks != 0 && b < c.chainBlocks; ++b)
      first = disk.bat(first);
    if (c.chainBlocks != 0)
      disk.setBat(first, 0x7FFF);
    // The tables and two sectors of the data area: the data lies past the end.
    CdImageScenario s({kImage});
    s.t.files.data(kImage) = disk.file(c.imported ? 8 : (disk.info.lastSector + 4) / 4 * 4);
    s.start();
    if (c.imported) {
      s.t.files.data(kIn) = MakeBankFile(data);
      s.importBank(kIn);
      ASSERT_EQ(s.t.host.messages, Messages{});
      // Whole CD sectors, or the next start drops the image.
      EXPECT_EQ(s.t.files.data(kImage).size() % 2048, 0u);
    }
    s.exportBank(0, kOut);
    EXPECT_EQ(s.t.files.data(kOut), MakeBankFile(Bytes(data.begin(), data.begin() + c.exported)));
    EXPECT_EQ(s.t.host.messages, c.exported < c.size ? Messages{kCutShort} : Messages{});
    EXPECT_EQ(CheckDiskConsistency(s.t.files.data(kImage)), "");
    EXPECT_EQ(s.ctx.busy, 0);
  }
}

// A disk that claims more than a CD holds is clamped so that its data area
// ends on the clamped disk, whatever byte 0x29 says (code << shift, as the
// clamp has always read the block size); the clamp starts at the first
// sector a CD cannot hold, never adds blocks, and divides by no zero.
TEST(ImageBankSizes, ClampedDisksKeepTheirDataAreaOnTheDisk) {
  struct Case {
    std::uint32_t lastSector;
    std::uint8_t code, shift;
    std::uint32_t dataSector, blocks, clampedBlocks;
  };
  for (Case c : {Case{1331199, 4, 0, 6, 1299, 1299}, Case{1331200, 1, 0, 6, 10399, 10399},
                 Case{1500000, 4, 0, 6, 1464, 1299}, Case{1500000, 3, 0, 6, 2929, 2599},
                 Case{1500000, 2, 1, 6, 5859, 2599}, Case{2000000, 0, 0, 6, 300, 300},
                 Case{2000000, 1, 200, 6, 48, 48}, Case{2000000, 1, 0, 6, 48, 48},
                 Case{2000000, 1, 0, 1400000, 48, 0}}) {
    SCOPED_TRACE(std::to_string(c.lastSector) + " " + std::to_string(c.blocks));
    DiskInfo d = EsiImage().info;
    d.lastSector = c.lastSector;
    d.blockSizeCode = c.code;
    d.blockSizeShift = c.shift;
    d.dataSector = c.dataSector;
    d.blockCount = c.blocks;
    std::uint8_t sector0[512] = {};
    WriteDiskInfo(d, sector0);
    const bool clamped = c.lastSector >= 1331200;
    EXPECT_EQ(ClampToCdCapacity(sector0), clamped);
    EXPECT_EQ(getLe32(&sector0[4]), clamped ? 1331199 : c.lastSector);
    EXPECT_EQ(getLe32(&sector0[0x24]), c.clampedBlocks);
  }
}

}  // namespace
