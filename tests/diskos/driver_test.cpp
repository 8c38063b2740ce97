#include "diskos/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

struct DiskOsTest : ::testing::Test {
  TestContext t;
  Context& ctx = t.ctx;
  void SetUp() override { t.addRoot(); }
};

TEST_F(DiskOsTest, TenSlotsTakenInTurnEachDriverKeepingItsFirstAndProbedAHundredEach) {
  FakeDriver declined(ctx, "SCSI Disks"), images(ctx, "CD image files"), b(ctx, "B");
  declined.registerResult = 1;
  EXPECT_FALSE(RegisterDiskOs(ctx, declined));  // takes no slot: b gets slot 1
  EXPECT_TRUE(RegisterDiskOs(ctx, images) && RegisterDiskOs(ctx, b));
  DiskOsRequest r = makeRequest(DeviceCount);
  b.handle(r);   // slot 0 now does not change what b learned at registration
  r.diskOs = 2;  // an empty slot
  EXPECT_TRUE(b.ownIndex() == 1 && SendDiskOs(ctx, r) == DiskOsNotServed);

  b.scanResult = 5;
  ctx.lcd.LcdBeginProgress();
  ProbeDiskOses(ctx);
  EXPECT_EQ(std::tuple(ctx.lcd.LcdProgressEnd(), ctx.lcd.LcdProgressPosition()),
            std::tuple(200, 200));
  // The masks the driver was made with.
  EXPECT_EQ(ctx.diskOses.entries[0].codeMask,
            std::uint32_t(Register | Scan | QueryReadOnly | ListBanks | ReadSectors | DeviceCount));
  EXPECT_EQ(ctx.diskOses.entries[0].subCodeMask, 7u);
  EXPECT_EQ(ctx.diskOses.entries[1].codeMask, 0u);  // scan failed: masks skipped

  std::vector<FakeDriver> more(kMaxDiskOses - 1, FakeDriver(ctx, "more"));
  for (std::size_t i = 0; i < more.size(); ++i)
    EXPECT_EQ(RegisterDiskOs(ctx, more[i]), i + 2 < kMaxDiskOses) << i;
}

TEST_F(DiskOsTest, UnservedRequestShowsTheDumpAndAnswers64) {
  FakeDriver floppy(ctx, "Floppy drives", FloppyDiskOsNode, Register | Scan);
  ASSERT_TRUE(RegisterDiskOs(ctx, floppy));
  std::string screens;  // rows 0-4 of each 5 s screen, trailing blanks cut
  t.host.onSleep = [&](unsigned ms) {
    for (int r = 0; ms == 5000 && r < 5; ++r) {
      std::string row(kLcdColumns, ' ');
      for (int c = 0; c < kLcdColumns; ++c)
        row[c] = static_cast<char>(ctx.lcd.at(kLcdProgressPage, r, c));
      screens += row.substr(0, row.find_last_not_of(' ') + 1) + (r == 4 ? "\n" : "|");
    }
  };
  DiskOsRequest r = makeRequest(ReadSectors, 0x12);
  std::tie(r.state, r.bufI, r.par9) = std::tuple(0xAB, 0x1000, 0xFFFFFFFF);
  EXPECT_EQ(SendDiskOs(ctx, r), DiskOsNotServed);
  EXPECT_EQ(screens,
            "cg1:00010000 cg2:00000000|drv:00000012 state:AB|bufI:00001000 bufO:00000000|"
            "bIsz:00000000 bOsz:00000000|\n"
            "par0:00000000 par1:00000000|par2:00000000 par3:00000000|par4:00000000 par5:00000000|"
            "par6:00000000 par7:00000000|par8:00000000 par9:FFFFFFFF\n");
  EXPECT_EQ(ctx.lcd.LcdCurrentPage(), 0);

  // A cg2 nobody serves, and several cg1 bits at once, are not served either.
  DiskOsRequest sub = makeSubRequest(GetDeviceNames), both = makeRequest(Register | Scan);
  EXPECT_EQ(floppy.handle(sub) | floppy.handle(both), DiskOsNotServed);
}

TEST(DiskOsRequestTest, TransferCountChecksTheBuffer) {
  DiskOsRequest r = makeRequest(ReadSectors);
  // {count, buffer size, answer}: 0 means one sector; a huge count never
  // wraps into a small product; count 1 is sent without a buffer.
  const std::tuple<DiskOsWord, DiskOsWord, std::uint32_t> cases[] = {
      {0, 512, 1},           {0, 511, 0},         {2, 1024, 2}, {3, 1024, 0},
      {0xFFFFFFFF, 1024, 0}, {0x800001, 1024, 0}, {1, 1024, 0}};
  for (auto [count, size, answer] : cases) {
    std::tie(r.par1, r.bIsz) = std::tie(count, size);
    r.bufI = count == 1 ? 0 : 0x1000;
    EXPECT_EQ(transferCount(r), answer) << count << " " << size;
  }
}

}  // namespace
