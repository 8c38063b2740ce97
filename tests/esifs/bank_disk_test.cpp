#include "esifs/bank_disk.h"

#include <gtest/gtest.h>

#include "tests/support/memory_disk.h"

namespace {

// The disk's tables come from the disk: no position outside them may reach
// the driver, and a disk listed with another block size is not worked on.
TEST(BankDisk, KeepsEveryTransferOnTheDiskItWasListedAs) {
  DiskScenario s;
  BankDisk disk(s.ctx, s.device);
  ASSERT_TRUE(disk.usable());
  std::uint32_t sector = 0;
  EXPECT_TRUE(disk.blockStart(48, &sector));
  EXPECT_EQ(sector, s.image.blockStart(48));
  EXPECT_FALSE(disk.blockStart(0, &sector));
  EXPECT_FALSE(disk.blockStart(49, &sector));
  std::uint8_t buffer[1024];
  EXPECT_FALSE(disk.read(s.image.info.lastSector, 2, buffer));
  EXPECT_FALSE(disk.readIndex(s.image.info.bankIndexCount, buffer));
  EXPECT_FALSE(disk.writeIndex(s.image.info.bankIndexCount, buffer));
  EXPECT_TRUE(s.driver.transfers.empty());

  s.ctx.nodes[s.device].blockFactor = 2;
  EXPECT_FALSE(BankDisk(s.ctx, s.device).usable());
}

}  // namespace
