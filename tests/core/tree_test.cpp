#include "core/tree.h"

#include <gtest/gtest.h>

#include "core/file_names.h"
#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

using Texts = std::vector<std::string>;

struct TreeTest : ::testing::Test {
  TestContext t;
  Context& ctx = t.ctx;
  NodeTable& nodes = ctx.nodes;
  FakeDriver driver{ctx, "SCSI Disks"};
  void SetUp() override {
    t.addRoot();
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
  int devs[3] = {driver.addDevice(ImageFile, "a"), driver.addDevice(ImageFile, "b"),
                 driver.addDevice(ImageFile, "c")};
  int other = addNode(ctx, nodes.rootIndex, FloppyDiskOsNode, "Floppy drives");
  int floppy = nodes.selectedNode = addNode(ctx, other, FloppyDrive, "A:");
  nodes[floppy].device = 2;
  int countBefore = nodes.count;
  TreeItem thirdItem = nodes[devs[2]].treeItem;

  removeNode(ctx, devs[1], true);
  EXPECT_EQ(nodes.count, countBefore - 2);  // the image and its placeholder
  int third = devs[1];                      // the third image's node, with its placeholder under it
  EXPECT_EQ(nodeByTreeItem(ctx, thirdItem), third);
  EXPECT_TRUE(nodes[third].device == 1 && nodes[firstChild(ctx, third)].parent == third);
  // A device of another driver keeps its number; the selection follows its node.
  EXPECT_EQ(nodes.selectedNode, floppy - 2);
  EXPECT_TRUE(nodes[floppy - 2].device == 2 && nodes[floppy - 2].parent == other - 2);
  // Vacated records are clean for the next addNode.
  EXPECT_EQ(nodes[nodes.count].type + nodes[nodes.count].parent, 0);
}

TEST_F(TreeTest, ShowingADeviceListsItAndBankRowsKeepNumberOrder) {
  driver.banks = {{7, "SEVEN", 100}, {2, "TWO", 1536}};
  int dev = driver.addDevice(FixedDisk, "disk");
  nodes.selectedNode = dev;
  showNodeInList(ctx, dev);
  int b5 = addBankNode(ctx, dev, "five", 5);
  addBankNode(ctx, dev, "one", 1);
  const Texts numbers = {"B01", "B02", "B05", "B07"};
  EXPECT_EQ(t.views.rowTexts(1), numbers);
  // Every node's listItem still names its own row.
  for (int n = dev + 1; n < nodes.count; ++n)
    EXPECT_EQ(t.views.listNode(nodes[n].listItem), n);
  showNodeInList(ctx, b5);  // a bank: its device
  EXPECT_EQ(t.views.rowTexts(1), numbers);

  driver.esiDisk = false;
  int zip = driver.addDevice(RemovableDisk, "zip");
  listDevice(ctx, zip, true);  // not an ESi disk: unlisted, idle, on the page it found
  EXPECT_EQ(nodes[zip].ready + ctx.busy + ctx.lcd.LcdCurrentPage(), 0);
}

TEST_F(TreeTest, AnOpenedBankListsItsRowsAndGoesWithItsDevicesBanks) {
  driver.banks = {{0, "PIANO", 100}};
  int dev = driver.addDevice(FixedDisk, "disk");
  nodes.selectedNode = dev;
  showNodeInList(ctx, dev);
  int opened = addNode(ctx, dev, OpenedBank, "PIANO");
  nodes[addNode(ctx, opened, Preset, "Grand")].number = 1;
  TreeNode& s = nodes[addNode(ctx, opened, SampleInBank, "C3")];
  s.sampleNumber = 2, s.size = 1536, s.channels = 2, s.rate = 44100, s.frames = 22050, s.loops = 1;
  EXPECT_EQ(t.views.rowTexts(0), Texts{"PIANO"});  // the device's own bank only
  nodes.selectedNode = opened;
  showNodeInList(ctx, opened);
  EXPECT_EQ(t.views.columns, 7);
  Texts rows;
  for (const auto& row : t.views.rows) {
    rows.emplace_back();
    for (const std::string& cell : row.text)
      rows.back() += cell + "|";
  }
  EXPECT_EQ(rows, (Texts{"Grand|P001||||||", "C3|S002|1.50 K|2|44100|0.50|Yes|"}));
  TreeItem item = nodes[opened].treeItem;
  removeChildren(ctx, dev, true);
  EXPECT_EQ(nodes.count, dev + 1);  // no row of the opened bank is left behind
  EXPECT_EQ(t.views.items.count(item), 0u);
}

TEST(FileNames, SeveralChosenFilesAreAFolderAndNamesOneFileIsAPath) {
  const std::pair<std::string, Texts> cases[] = {
      {std::string("C:\\a.wav\0", 10), {"C:\\a.wav"}},
      {std::string("C:\\w\0b.wav\0a.wav\0\0", 19), {"C:\\w\\b.wav", "C:\\w\\a.wav"}},
      {std::string("C:\\\0b.wav\0\0", 12), {"C:\\b.wav"}},
      {std::string("C:\\w\0b.w", 8), {"C:\\w\\b.w"}},  // cut short: never read past it
      {std::string(), {}}};
  for (const auto& [buffer, paths] : cases)
    EXPECT_EQ(SplitChosenFiles(buffer.data(), buffer.size()), paths) << buffer;
}

TEST_F(TreeTest, RefreshListsTheDeviceAgainFromScratchOnAWorker) {
  int dev = driver.addDevice(FixedDisk, "disk");
  nodes.selectedNode = firstChild(ctx, dev);  // the user had selected the placeholder
  TreeItem item = nodes[dev].treeItem;
  driver.banks = {{4, "FOUR", 10}, {0, "ZERO", 10}};
  t.host.runWorkersAtOnce = false;
  for (bool listed : {false, true}) {
    t.views.items[item].expanded = true;
    refreshDevice(ctx, dev, true);
    // Busy until the listing has run, so that no command starts while the
    // device's nodes are still being made.
    EXPECT_EQ(ctx.busy, 1);
    t.host.runWorkers();
    EXPECT_TRUE(ctx.busy == 0 && nodes.selectedNode == dev && t.views.selected == item);
    EXPECT_EQ(t.views.rowTexts(1), (Texts{"B00", "B04"}));
    // An unlisted device loses its expansion with its placeholder; a listed
    // one, which has no tree children, keeps it.
    EXPECT_EQ(t.views.items[item].expanded, listed);
  }
}

}  // namespace
