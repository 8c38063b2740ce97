#include "diskos/driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

struct DiskOsTest : ::testing::Test {
  TestContext t;
  Context& ctx = t.ctx;
  void SetUp() override { t.addRoot(); }

  std::string row(int r) {
    std::string s;
    for (int c = 0; c < kLcdColumns; ++c)
      s += static_cast<char>(ctx.lcd.at(kLcdProgressPage, r, c));
    while (!s.empty() && s.back() == ' ')
      s.pop_back();
    return s;
  }
};

TEST_F(DiskOsTest, DriversTakeTheNextSlotAndKeepTheSlotOfTheirFirstRequest) {
  FakeDriver scsi(ctx, "SCSI Disks"), images(ctx, "CD image files"), b(ctx, "B");
  scsi.registerResult = 1;
  EXPECT_FALSE(RegisterDiskOs(ctx, scsi));
  EXPECT_TRUE(RegisterDiskOs(ctx, images));
  EXPECT_TRUE(RegisterDiskOs(ctx, b));
  EXPECT_EQ(ctx.diskOses.count, 2);
  EXPECT_EQ(ctx.diskOses.entries[0].handler, &images);
  EXPECT_EQ(images.ownIndex(), 0);
  EXPECT_STREQ(ctx.diskOses.entries[0].name, "CD image files");
  EXPECT_EQ(ctx.nodes[images.node].diskOs, 0);

  DiskOsRequest r = makeRequest(DeviceCount);
  r.diskOs = 0;  // a wrong slot later does not change what b learned
  b.handle(r);
  EXPECT_EQ(b.ownIndex(), 1);
  r.diskOs = 2;
  EXPECT_EQ(SendDiskOs(ctx, r), DiskOsNotServed);

  // Ten slots: the eleventh driver is refused.
  std::vector<std::unique_ptr<FakeDriver>> more;
  for (int i = 2; i <= kMaxDiskOses; ++i) {
    more.push_back(std::make_unique<FakeDriver>(ctx, "more"));
    EXPECT_EQ(RegisterDiskOs(ctx, *more.back()), i < kMaxDiskOses) << i;
  }
  EXPECT_EQ(ctx.diskOses.count, kMaxDiskOses);
}

TEST_F(DiskOsTest, ProbeScansEveryDriverAndMovesTheBarToTheNextHundred) {
  FakeDriver a(ctx, "A"), b(ctx, "B"), c(ctx, "C");
  for (FakeDriver* d : {&a, &b, &c})
    ASSERT_TRUE(RegisterDiskOs(ctx, *d));
  b.scanResult = 5;
  ctx.lcd.LcdBeginProgress();
  ProbeDiskOses(ctx);
  EXPECT_EQ(ctx.lcd.LcdProgressEnd(), 300);
  EXPECT_EQ(ctx.lcd.LcdProgressPosition(), 300);
  EXPECT_EQ(ctx.diskOses.entries[0].subCodeMask, 7u);
  EXPECT_EQ(ctx.diskOses.entries[1].codeMask, 0u);  // scan failed: masks skipped
  EXPECT_EQ(ctx.diskOses.entries[2].codeMask, 0xC0000003u);
  EXPECT_EQ(b.requests.back().cg1, Scan);
}

TEST_F(DiskOsTest, UnservedRequestShowsTheDumpAndAnswers64) {
  FakeDriver floppy(ctx, "Floppy drives", FloppyDiskOsNode, Register | Scan);
  ASSERT_TRUE(RegisterDiskOs(ctx, floppy));
  std::vector<std::vector<std::string>> screens;
  t.host.onSleep = [&](unsigned ms) {
    if (ms == 5000)
      screens.push_back({row(0), row(1), row(2), row(3), row(4)});
  };
  DiskOsRequest r = makeRequest(ReadSectors, 0x12);
  r.state = 0xAB;
  r.bufI = 0x1000;
  r.bIsz = 0x8000;
  r.par0 = 1;
  r.par9 = 0xFFFFFFFF;
  r.diskOs = 0;
  EXPECT_EQ(SendDiskOs(ctx, r), DiskOsNotServed);
  EXPECT_EQ(t.host.messages, std::vector<std::string>{"Disk OS error"});
  ASSERT_EQ(screens.size(), 2u);
  EXPECT_EQ(screens[0], (std::vector<std::string>{
                            "cg1:00010000 cg2:00000000", "drv:00000012 state:AB",
                            "bufI:00001000 bufO:00000000", "bIsz:00008000 bOsz:00000000", ""}));
  EXPECT_EQ(screens[1][0] + "|" + screens[1][4],
            "par0:00000001 par1:00000000|par8:00000000 par9:FFFFFFFF");
  EXPECT_EQ(ctx.lcd.LcdCurrentPage(), 0);
  EXPECT_EQ(t.host.clock % 10000, 100u);  // two 5 s waits and the pop-up pause

  // A cg2 nobody serves, and several cg1 bits at once, are not served either.
  for (DiskOsRequest other : {makeSubRequest(GetDeviceNames), makeRequest(Register | Scan)}) {
    other.diskOs = 0;
    EXPECT_EQ(SendDiskOs(ctx, other), DiskOsNotServed);
  }
}

TEST(DiskOsRequestTest, TransferCountChecksTheBuffer) {
  std::uint8_t buffer[1024];
  DiskOsRequest r = makeRequest(ReadSectors);
  r.bufI = reinterpret_cast<DiskOsWord>(buffer);
  struct Case {
    DiskOsWord count, size;
    std::uint32_t answer;
  };
  // 0 means one sector; a huge count never wraps into a small product.
  for (Case c : {Case{0, 512, 1}, Case{0, 511, 0}, Case{2, 1024, 2}, Case{3, 1024, 0},
                 Case{0xFFFFFFFF, 1024, 0}, Case{0x800001, 1024, 0}, Case{1, 1024, 0}}) {
    r.par1 = c.count;
    r.bIsz = c.size;
    if (c.count == 1)
      r.bufI = 0;  // no buffer
    EXPECT_EQ(transferCount(r), c.answer) << c.count << " " << c.size;
  }
}

}  // namespace
