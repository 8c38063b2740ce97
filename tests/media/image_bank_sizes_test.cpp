// Banks of awkward sizes through the real image driver, on image files that
// end where their tables do, so that every bank is the last thing written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_disk.h"
#include "esifs/bank_transfer.h"
#include "media/cd_image_driver.h"
#include "media/image_file.h"
#include "tests/support/disk_check.h"
#include "tests/support/esi_image.h"
#include "tests/support/test_context.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Messages = std::vector<std::string>;
const char kImage[] = "C:\\Disks\\esi.iso";
const char kIn[] = "C:\\Work\\in.e3x";
const char kOut[] = "C:\\Work\\out.e3x";

// A context with the image driver and one registered, listed image.
struct ImageScenario {
  explicit ImageScenario(const Bytes& image) {
    t.files.data(kImage) = image;
    ctx.settingsKey = t.registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\0.10");
    RegKey list = t.registry.createKey(ctx.settingsKey, "ISO");
    t.registry.writeString(list, "1", kImage);
    t.registry.writeNumber(list, "Files", 1);
    t.addRoot();
    ctx.drivers.push_back(std::make_unique<CdImageDriver>(ctx));
    RegisterDiskOs(ctx, *ctx.drivers.back());
    ProbeDiskOses(ctx);
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].type == ImageFile)
        device = i;
    }
    listDevice(ctx, device, false);
  }
  int bank(int number) const {
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].parent == device && ctx.nodes[i].number == number)
        return i;
    }
    return 0;
  }
  void importFile(const Bytes& bankFile) {
    t.files.data(kIn) = bankFile;
    ctx.openFile = t.files.open(kIn, FileOpen::ReadExisting);
    ctx.busy = 1;
    ImportBank(ctx, device, kIn);
  }
  const Bytes& exportBank(int number) {
    ctx.openFile = t.files.open(kOut, FileOpen::CreateAlways);
    ctx.busy = 1;
    ExportBank(ctx, bank(number));
    return t.files.data(kOut);
  }
  Bytes& image() { return t.files.data(kImage); }

  TestContext t;
  Context& ctx = t.ctx;
  int device = 0;
};

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
    ImageScenario s(disk.file(c.imported ? 8 : (disk.info.lastSector + 4) / 4 * 4));
    if (c.imported) {
      s.importFile(MakeBankFile(data));
      ASSERT_EQ(s.t.host.messages, Messages{});
      // Whole CD sectors, or the next start drops the image.
      EXPECT_EQ(s.image().size() % 2048, 0u);
    }
    Bytes expected = MakeBankFile(data);
    expected.resize(c.exported);
    EXPECT_EQ(s.exportBank(0), expected);
    EXPECT_EQ(s.t.host.messages, c.exported < c.size ? Messages{kCutShort} : Messages{});
    EXPECT_EQ(CheckDiskConsistency(s.image()), "");
    EXPECT_EQ(s.ctx.busy, 0);
  }
}

// A disk that claims more than a CD holds is clamped so that its data area
// ends on the clamped disk, whatever byte 0x29 says; the clamp starts at the
// first sector a CD cannot hold.
TEST(ImageBankSizes, ClampedDisksKeepTheirDataAreaOnTheDisk) {
  struct Case {
    std::uint32_t lastSector;
    std::uint8_t code, shift;
    bool clamped;
  };
  for (Case c : {Case{1331199, 4, 0, false}, Case{1331200, 1, 0, true}, Case{1500000, 4, 0, true},
                 Case{1500000, 3, 0, true}, Case{1500000, 2, 1, true}}) {
    SCOPED_TRACE(std::to_string(c.lastSector) + " code " + std::to_string(c.code));
    EsiLayout layout;
    layout.blockSizeCode = c.code;
    layout.blockCount = 8;
    layout.batSectors = 16;
    EsiImage disk(layout);
    std::uint32_t blockSectors = 128u << (c.code - 1);
    disk.info.lastSector = c.lastSector;
    disk.info.blockCount = (c.lastSector + 1 - disk.info.dataSector) / blockSectors;
    disk.info.blockSizeShift = c.shift;
    disk.storeInfo();
    Bytes sector0(disk.sector(0), disk.sector(0) + 512);
    EXPECT_EQ(ClampToCdCapacity(sector0.data()), c.clamped);
    std::uint32_t last = getLe32(&sector0[4]), blocks = getLe32(&sector0[0x24]);
    EXPECT_EQ(last, c.clamped ? 1331199 : c.lastSector);
    EXPECT_LE(disk.info.dataSector + std::uint64_t{blocks} * blockSectors, last + 1ull);
  }
}

TEST(ImageBankSizes, ImportAndExportWorkOnAClampedDisk) {
  EsiLayout layout;
  layout.blockSizeCode = 4;  // byte 0x29 stays 0, which reads as the wrong size
  layout.batSectors = 16;
  EsiImage disk(layout);
  disk.info.lastSector = 1500000;
  disk.info.blockCount = (1500000 - disk.info.dataSector) / 1024;
  disk.storeInfo();
  ImageScenario s(disk.file(8));
  Bytes data = MakeBankData(20000, "CLAMPED", 3);
  s.importFile(MakeBankFile(data));
  EXPECT_EQ(s.exportBank(0), MakeBankFile(data));
  EXPECT_EQ(s.t.host.messages, Messages{});
}

}  // namespace
