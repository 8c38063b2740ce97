#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

std::string row(const LcdDisplay& lcd, int page, int r) {
  std::string s;
  for (int c = 0; c < kLcdColumns; ++c)
    s += static_cast<char>(lcd.at(page, r, c));
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

struct StartupTest : ::testing::Test {
  TestContext t;
  Context& ctx = t.ctx;
  FakeDriver scsi{ctx, "SCSI Disks"};
  FakeDriver images{ctx, "CD image files"};
  FakeDriver samplers{ctx, "Samplers", SamplerDiskOsNode};
  void SetUp() override {
    t.addRoot();
    ctx.lcd.LcdInit();
    ctx.splash.ShowSplash(false);
    ctx.busy = 1;  // set at the main window's first paint
  }
};

TEST_F(StartupTest, RegistersInOrderScansAndOpensTheTree) {
  images.scanDevices = {ImageFile, ImageFile};
  std::string seenDuringScan;
  t.host.onSleep = [&](unsigned) {
    if (seenDuringScan.empty() && row(ctx.lcd, kLcdProgressPage, 1) != "") {
      seenDuringScan = row(ctx.lcd, kLcdProgressPage, 0) + "|" + row(ctx.lcd, kLcdProgressPage, 1);
    }
  };
  startupSequence(ctx, {&scsi, &images, &samplers});

  ASSERT_EQ(ctx.diskOses.count, 3);
  EXPECT_EQ(ctx.diskOses.entries[0].handler, &scsi);
  EXPECT_EQ(ctx.diskOses.entries[1].handler, &images);
  EXPECT_EQ(ctx.diskOses.entries[2].handler, &samplers);
  EXPECT_EQ(ctx.diskOses.entries[1].subCodeMask, 7u);  // probed after its scan
  EXPECT_EQ(firstChild(ctx, images.node) != 0, true);
  EXPECT_EQ(seenDuringScan, "Initialising...|Disk Operating Systems:");

  EXPECT_EQ(ctx.busy, 0);
  TreeItem root = ctx.nodes[ctx.nodes.rootIndex].treeItem;
  EXPECT_TRUE(t.views.items[root].expanded);
  EXPECT_EQ(t.views.postedExpands, 0);  // sent, not posted
  EXPECT_EQ(t.screen.splashCloseMs, 1u);
  EXPECT_EQ(ctx.lcd.LcdCurrentPage(), 0);
  for (int c = 0; c < kLcdColumns; ++c)
    EXPECT_EQ(ctx.lcd.at(kLcdProgressPage, 7, c), kBarFull);
}

TEST_F(StartupTest, WithNoDriversTheSequenceStillEndsCleanly) {
  startupSequence(ctx, {});
  EXPECT_EQ(ctx.busy, 0);
  EXPECT_EQ(t.screen.splashCloseMs, 1u);
}

TEST(SettingsKey, OpensTheVersionKeyNamedByCurrentVersionAndNoOther) {
  const std::string program = "Software\\Brightfen\\Korrin\\";
  for (std::string version : {std::string("0.10"), std::string(), std::string(300, 'v')}) {
    TestContext t;
    if (!version.empty()) {
      RegKey setup = t.registry.createKey(kLocalMachine, program + "CurrentVersion");
      t.registry.writeString(setup, "", version);
      t.registry.closeKey(setup);
    }
    RegKey key = openSettingsKey(t.registry, RegistryNames{}, "Korrin");
    ASSERT_NE(key, kNoKey);
    EXPECT_TRUE(t.registry.writeNumber(key, "probe", 1));
    // A missing or overlong version leaves the path ending in a backslash.
    std::string opened = program + (version.size() < 256 ? version : "");
    EXPECT_TRUE(t.registry.key(opened).count("probe")) << version;
    EXPECT_EQ(t.registry.openCount(), 1) << "only the settings key stays open";
    EXPECT_EQ(t.registry.hasKey(program + "CurrentVersion"), !version.empty()) << "read only";
  }
}

}  // namespace
