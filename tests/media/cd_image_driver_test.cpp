// What only the CD image driver does: new images from the template, and the
// list named by the string table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_index.h"
#include "esifs/disk_info.h"
#include "media/image_commands.h"
#include "media/image_file.h"
#include "tests/support/disk_image_scenario.h"
#include "tests/support/esi_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Messages = std::vector<std::string>;

// Creating fails on a read-only file and on a failing write, leaving no file;
// a created image is stamped, opens without a write and lists no banks.
TEST(CdImageDriver, CreatedImagesAreStampedOpenAndListNoBanks) {
  CdImageScenario s({});
  s.start();
  s.t.files.data("C:\\ro.iso") = {1, 2, 3};
  s.t.files.setReadOnly("C:\\ro.iso");
  EXPECT_FALSE(CreateImageFile(s.ctx, "C:\\ro.iso"));
  EXPECT_EQ(s.t.files.data("C:\\ro.iso").size(), 3u);
  s.t.files.failWriteAt = 2;
  EXPECT_FALSE(CreateImageFile(s.ctx, "C:\\w.iso"));
  EXPECT_FALSE(s.t.files.exists("C:\\w.iso"));
  EXPECT_EQ(s.t.host.messages, Messages(2, "Unable to create ISO image file"));
  // The name is registered all the same and drops out again.
  AddImageFile(s.ctx, "C:\\w.iso");
  EXPECT_EQ(s.driver.deviceCount(), 0);
  EXPECT_EQ(s.entries(), Messages{});

  ASSERT_TRUE(CreateImageFile(s.ctx, "new.iso"));
  const std::string path = "C:\\Work\\new.iso";
  Bytes bytes = s.t.files.data(path);
  ASSERT_EQ(bytes.size(), 14336u);
  EXPECT_EQ(std::memcmp(bytes.data() + 992, "0.10\0\0\0\0", 8), 0);
  EXPECT_EQ(std::count(bytes.begin() + 12800, bytes.end(), 0), 14336 - 12800);
  DiskInfo d = ReadDiskInfo(bytes.data());
  EXPECT_TRUE(IsV2Compatible(bytes.data()) && d.lastSector == 1331199u);
  // Every Bank Index sector waits to be taken into use.
  for (std::uint32_t k = 0; k < d.bankIndexCount; ++k) {
    const std::uint8_t* sector = &bytes[(d.bankIndexSector + k) * 512];
    EXPECT_TRUE(IsUnusedIndexSector(sector) && EndsBankListing(sector) &&
                FirstFreeEntry(sector) == 0);
  }
  // Blocks 1..blockCount are free; entry 0 and those past blockCount are not.
  const std::uint8_t* bat = &bytes[d.batSector * 512];
  for (std::uint32_t b : {0u, 1u, d.blockCount, d.blockCount + 1, d.batCount * 256 - 1})
    EXPECT_EQ(getLe16(bat + 2 * b), b == 0 || b > d.blockCount ? 0x7FFF : 0) << b;

  ASSERT_TRUE(AddImageFile(s.ctx, "new.iso"));
  EXPECT_EQ(s.entries(), Messages{path});
  ASSERT_EQ(s.driver.deviceCount(), 1);
  EXPECT_EQ(s.t.files.data(path), bytes);
  s.device = s.deviceNode(0);
  s.list();
  EXPECT_EQ(firstChild(s.ctx, s.device), 0);  // no banks, and the placeholder went
}

TEST(CdImageDriver, ListNamesComeFromTheStringTable) {
  CdImageScenario s({});
  s.t.host.strings = {{300, "IMAGES"}, {301, "Count"}};
  s.t.files.data("C:\\x.iso") = EsiImage().file(4);
  RegKey list = s.t.registry.createKey(s.ctx.settingsKey, "IMAGES");
  s.t.registry.writeString(list, "1", "C:\\x.iso");
  s.t.registry.writeNumber(list, "Count", 1);
  s.start();
  EXPECT_EQ(s.driver.deviceCount(), 1);
}

}  // namespace
