#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

TEST(Startup, RegistersInOrderScansAndOpensTheTree) {
  TestContext t;
  Context& ctx = t.ctx;
  FakeDriver scsi{ctx, "SCSI Disks"};
  FakeDriver images{ctx, "CD image files"};
  FakeDriver samplers{ctx, "Samplers", SamplerDiskOsNode};
  t.addRoot();
  ctx.lcd.LcdInit();
  ctx.splash.ShowSplash(false);
  ctx.busy = 1;  // set at the main window's first paint
  images.scanDevices = {ImageFile, ImageFile};
  startupSequence(ctx, {&scsi, &images, &samplers});

  ASSERT_EQ(ctx.diskOses.count, 3);
  EXPECT_EQ(ctx.diskOses.entries[1].handler, &images);
  EXPECT_EQ(ctx.diskOses.entries[2].handler, &samplers);
  EXPECT_EQ(ctx.diskOses.entries[1].subCodeMask, 7u);  // probed after its scan
  EXPECT_NE(firstChild(ctx, images.node), 0);
  EXPECT_EQ(ctx.busy, 0);
  EXPECT_TRUE(t.views.items[ctx.nodes[ctx.nodes.rootIndex].treeItem].expanded);
  EXPECT_EQ(t.views.postedExpands, 0);  // sent, not posted
  EXPECT_EQ(t.screen.splashCloseMs, 1u);
  EXPECT_EQ(ctx.lcd.LcdCurrentPage(), 0);
  EXPECT_EQ(ctx.lcd.at(kLcdProgressPage, 7, kLcdColumns - 1), kBarFull);  // the bar ran full
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
