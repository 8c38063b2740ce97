#include "core/tree.h"

#include <gtest/gtest.h>

#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

using Texts = std::vector<std::string>;

struct TreeTest : ::testing::Test {
  TestContext t;
  Context& ctx = t.ctx;
  NodeTable& nodes = ctx.nodes;
  int root = 0;
  FakeDriver driver{ctx, "SCSI Disks"};
  void SetUp() override {
    root = t.addRoot();
    ASSERT_TRUE(RegisterDiskOs(ctx, driver));
  }
};

// 1049600 bytes are 1.00098 Mb: no hundredths to show.
TEST(TreeText, SizesShowInBytesUpToOneKAndTruncateToHundredths) {
  const std::pair<std::uint32_t, const char*> sizes[] = {
      {0, "0 bytes"},      {1024, "1024 bytes"}, {1025, "1 K"},     {1536, "1.50 K"},
      {1048576, "1024 K"}, {1572864, "1.50 Mb"}, {1049600, "1 Mb"}, {0xFFFFFFFFu, "4095.99 Mb"}};
  for (const auto& [bytes, text] : sizes)
    EXPECT_EQ(FormatSize(bytes), text) << bytes;
}

TEST_F(TreeTest, RemovingANodeRenumbersParentsAndTheDriversLaterDevices) {
  int devs[3];
  for (int i = 0; i < 3; ++i)
    devs[i] = driver.addDevice(ImageFile, ("img" + std::to_string(i)).c_str());
  int other = addNode(ctx, root, FloppyDiskOsNode, "Floppy drives");
  int floppy = addNode(ctx, other, FloppyDrive, "A:");
  nodes[floppy].device = 2;
  int countBefore = nodes.count;
  TreeItem thirdItem = nodes[devs[2]].treeItem;
  nodes.selectedNode = floppy;

  removeNode(ctx, devs[1], true);
  EXPECT_EQ(nodes.count, countBefore - 2);  // the image and its placeholder
  int third = nodeByTreeItem(ctx, thirdItem);
  EXPECT_EQ(third, devs[1]);
  EXPECT_EQ(nodes[third].device, 1);
  EXPECT_EQ(nodes[third].parent, driver.node);
  EXPECT_EQ(t.views.items[nodes[firstChild(ctx, third)].treeItem].text, "Please wait...");
  // A device of another driver keeps its number; the selection follows its node.
  EXPECT_EQ(nodes.selectedNode, floppy - 2);
  EXPECT_EQ(nodes[floppy - 2].device, 2);
  EXPECT_EQ(nodes[floppy - 2].parent, other - 2);
  // Vacated records are clean for the next addNode.
  EXPECT_EQ(nodes[nodes.count].type, 0);
  EXPECT_EQ(nodes[nodes.count].parent, 0);
}

TEST_F(TreeTest, ShowingADeviceListsItAndBankRowsKeepNumberOrder) {
  driver.banks = {{7, "SEVEN", 100}, {2, "TWO", 1536}};
  int dev = driver.addDevice(FixedDisk, "disk");
  EXPECT_EQ(nodes[dev].ready, 0);  // devices wait to be listed
  nodes.selectedNode = dev;
  showNodeInList(ctx, dev);
  EXPECT_EQ(nodes[dev].ready, 1);
  EXPECT_EQ(driver.requests.back().par3, static_cast<DiskOsWord>(dev));  // banks go under it
  int b5 = addBankNode(ctx, dev, "five", 5);
  int b1 = addBankNode(ctx, dev, "one", 1);
  const Texts numbers = {"B01", "B02", "B05", "B07"};
  EXPECT_EQ(t.views.rowTexts(1), numbers);
  // Every node's listItem still names its own row.
  for (int n = dev + 1; n < nodes.count; ++n)
    EXPECT_EQ(t.views.listNode(nodes[n].listItem), n);
  EXPECT_EQ(nodes[b5].treeItem, kNoItem);  // banks show in the list only
  nodes[b1].size = 1536;
  updateNodeRow(ctx, b1);
  EXPECT_EQ(t.views.rows[nodes[b1].listItem].text[2], "1.50 K");
  EXPECT_EQ(nodes.shownNode, 0);  // the next fill is forced
  showNodeInList(ctx, b5);        // a bank: its device
  EXPECT_EQ(t.views.rowTexts(1), numbers);

  driver.esiDisk = false;
  int zip = driver.addDevice(RemovableDisk, "zip");
  listDevice(ctx, zip, true);
  EXPECT_EQ(nodes[zip].ready, 0);
  EXPECT_EQ(t.views.postedExpands, 1);
  EXPECT_EQ(ctx.busy, 0);
  EXPECT_EQ(ctx.lcd.LcdCurrentPage(), 0);  // back on the page it found
}

TEST_F(TreeTest, RefreshListsTheDeviceAgainFromScratchOnAWorker) {
  int dev = driver.addDevice(FixedDisk, "disk");
  nodes.selectedNode = firstChild(ctx, dev);  // the user had selected the placeholder
  TreeItem item = nodes[dev].treeItem;
  t.views.items[item].expanded = true;
  driver.banks = {{4, "FOUR", 10}, {0, "ZERO", 10}};
  t.host.runWorkersAtOnce = false;
  for (bool listed : {false, true}) {
    refreshDevice(ctx, dev, true);
    // Busy until the listing has run, so that no command starts while the
    // device's nodes are still being made.
    EXPECT_EQ(ctx.busy, 1);
    t.host.runWorkers();
    EXPECT_EQ(ctx.busy, 0);
    EXPECT_EQ(nodes.selectedNode, dev);
    EXPECT_EQ(t.views.selected, item);
    EXPECT_EQ(t.views.rowTexts(1), (Texts{"B00", "B04"}));
    // An unlisted device loses its expansion with its placeholder; a listed
    // one, which has no tree children, keeps it.
    EXPECT_EQ(t.views.items[item].expanded, listed);
    t.views.items[item].expanded = true;
  }
}

}  // namespace
