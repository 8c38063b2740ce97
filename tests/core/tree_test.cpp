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

TEST(TreeText, SizesAndTrimmedNames) {
  EXPECT_EQ(FormatSize(0), "0 bytes");
  EXPECT_EQ(FormatSize(1024), "1024 bytes");
  EXPECT_EQ(FormatSize(1025), "1 K");
  EXPECT_EQ(FormatSize(1536), "1.50 K");
  EXPECT_EQ(FormatSize(1048576), "1024 K");
  EXPECT_EQ(FormatSize(1572864), "1.50 Mb");
  EXPECT_EQ(FormatSize(1049600), "1 Mb");  // hundredths of 1.00098 are 0
  EXPECT_EQ(FormatSize(0xFFFFFFFFu), "4095.99 Mb");
  char a[] = "A B  ";
  char b[] = " ";
  TrimTrailingBlanks(a);
  TrimTrailingBlanks(b);
  EXPECT_STREQ(a, "A B");
  EXPECT_STREQ(b, "");
}

TEST_F(TreeTest, BankRowsStayInNumberOrderAndDevicesAreFoundFromBelow) {
  int dev = driver.addDevice(FixedDisk, "disk");
  EXPECT_EQ(nodes[dev].ready, 0);  // devices wait to be listed
  nodes.selectedNode = dev;
  int b5 = addBankNode(ctx, dev, "five", 5);
  int b1 = addBankNode(ctx, dev, "one", 1);
  int b3 = addBankNode(ctx, dev, "three", 3);
  EXPECT_EQ(t.views.rowTexts(1), (Texts{"B01", "B03", "B05"}));
  // Every node's listItem still names its own row.
  for (int n : {b1, b3, b5})
    EXPECT_EQ(t.views.listNode(nodes[n].listItem), n);
  EXPECT_EQ(nodes[b3].treeItem, kNoItem);  // banks show in the list only

  nodes[b3].size = 1536;
  updateNodeRow(ctx, b3);
  EXPECT_EQ(t.views.rows[nodes[b3].listItem].text[2], "1.50 K");
  EXPECT_EQ(nodes.shownNode, 0);  // the next fill is forced
  EXPECT_EQ(findDeviceNode(ctx, b3), dev);
  EXPECT_EQ(findDiskOsNode(ctx, b3), driver.node);
  EXPECT_EQ(findDeviceNode(ctx, root), 0);
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

TEST_F(TreeTest, ShowingAnUnlistedDeviceListsItAtOnce) {
  driver.banks = {{7, "SEVEN", 100}, {2, "TWO", 1536}};
  int dev = driver.addDevice(FixedDisk, "disk");
  nodes.selectedNode = root;
  showNodeInList(ctx, root);
  ASSERT_EQ(t.views.rows.size(), 1u);
  EXPECT_EQ(t.views.rows[0].text[0], "SCSI Disks");
  EXPECT_EQ(t.views.rows[0].text[1], "");  // drivers show only a name

  nodes.selectedNode = dev;
  showNodeInList(ctx, dev);
  EXPECT_EQ(nodes[dev].ready, 1);
  EXPECT_EQ(t.views.rowTexts(1), (Texts{"B02", "B07"}));
  EXPECT_EQ(t.views.rowTexts(2), (Texts{"1.50 K", "100 bytes"}));
  EXPECT_EQ(ctx.busy, 0);

  // Showing a bank shows its device, which is already shown.
  std::size_t listings = driver.requests.size();
  showNodeInList(ctx, firstChild(ctx, dev));
  EXPECT_EQ(driver.requests.size(), listings);
  showNodeInList(ctx, root);
  showNodeInList(ctx, dev);
  EXPECT_EQ(t.views.rowTexts(1), (Texts{"B02", "B07"}));
}

TEST_F(TreeTest, ListingARemovableDiskWithoutEsiDiskLeavesItNotReady) {
  driver.esiDisk = false;
  int dev = driver.addDevice(RemovableDisk, "zip");
  listDevice(ctx, dev, true);
  EXPECT_EQ(nodes[dev].ready, 0);
  EXPECT_EQ(t.views.postedExpands, 1);
  EXPECT_EQ(ctx.busy, 0);
  EXPECT_EQ(ctx.lcd.LcdCurrentPage(), 0);  // back on the page it found

  driver.esiDisk = true;
  listDevice(ctx, dev, false);
  EXPECT_EQ(nodes[dev].ready, 1);
  // The listing read sector 0 first, then asked for banks 0..99 of this node.
  const DiskOsRequest& list = driver.requests.back();
  EXPECT_EQ(list.cg1, ListBanks);
  EXPECT_EQ(list.par1, 99u);
  EXPECT_EQ(list.par3, static_cast<DiskOsWord>(dev));
  EXPECT_EQ(list.bIsz, 3200u);
}

TEST_F(TreeTest, RefreshListsTheDeviceAgainFromScratch) {
  driver.banks = {{1, "ONE", 10}};
  int dev = driver.addDevice(FixedDisk, "disk");
  nodes.selectedNode = firstChild(ctx, dev);  // the user had selected the placeholder
  t.views.items[nodes[dev].treeItem].expanded = true;

  driver.banks = {{4, "FOUR", 10}, {0, "ZERO", 10}};
  ctx.busy = 1;
  refreshDevice(ctx, dev, true);
  EXPECT_EQ(nodes.selectedNode, dev);
  EXPECT_EQ(t.views.selected, nodes[dev].treeItem);
  EXPECT_EQ(ctx.busy, 0);
  EXPECT_EQ(t.views.rowTexts(1), (Texts{"B00", "B04"}));
  // An unlisted device loses its expansion with its placeholder...
  EXPECT_FALSE(t.views.items[nodes[dev].treeItem].expanded);

  // ...a listed one, which has no tree children, keeps it.
  t.views.items[nodes[dev].treeItem].expanded = true;
  driver.banks = {{9, "NINE", 10}};
  refreshDevice(ctx, dev, true);
  EXPECT_TRUE(t.views.items[nodes[dev].treeItem].expanded);
  EXPECT_EQ(t.views.rowTexts(1), (Texts{"B09"}));

  // Busy until the listing on its worker has run, so that no command starts
  // while the device's nodes are still being made.
  t.host.runWorkersAtOnce = false;
  refreshDevice(ctx, dev, true);
  EXPECT_EQ(ctx.busy, 1);
  EXPECT_TRUE(t.views.rowTexts(1).empty());
  t.host.runWorkers();
  EXPECT_EQ(ctx.busy, 0);
  EXPECT_EQ(t.views.rowTexts(1), (Texts{"B09"}));
}

}  // namespace
