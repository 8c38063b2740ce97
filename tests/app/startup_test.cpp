#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

// What start-up shows is the Windows tests' to check.
TEST(Startup, RegistersInOrderScansAndProbesEachDriverAfterItsScan) {
  TestContext t;
  FakeDriver scsi{t.ctx, "SCSI Disks"}, images{t.ctx, "CD image files"};
  FakeDriver samplers{t.ctx, "Samplers", SamplerDiskOsNode};
  t.addRoot();
  t.ctx.lcd.LcdInit();
  images.scanDevices = {ImageFile, ImageFile};
  startupSequence(t.ctx, {&scsi, &images, &samplers});
  ASSERT_EQ(t.ctx.diskOses.count, 3);
  EXPECT_EQ(t.ctx.diskOses.entries[2].handler, &samplers);
  EXPECT_EQ(t.ctx.diskOses.entries[1].subCodeMask, 7u);
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
    ASSERT_TRUE(key != kNoKey && t.registry.writeNumber(key, "probe", 1));
    // A missing or overlong version leaves the path ending in a backslash.
    EXPECT_TRUE(t.registry.key(program + (version.size() < 256 ? version : "")).count("probe"));
    EXPECT_EQ(t.registry.openCount(), 1) << "only the settings key stays open";
    EXPECT_EQ(t.registry.hasKey(program + "CurrentVersion"), !version.empty()) << "read only";
  }
}

}  // namespace
