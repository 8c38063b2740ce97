#include "app/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/shell_context.h"
#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

using Log = std::vector<std::string>;
using Commands = std::set<int>;

Commands enabledSet(const MenuEnables& m) {
  Commands out;
  for (int id : kMenuItems)
    if (m.isEnabled(id))
      out.insert(id);
  return out;
}

// Notes what the shell asks of the window system, a line each, and answers
// from a script.
struct FakeUi : ShellUi {
  explicit FakeUi(ShellContext& context) : ctx(context) {}
  void applyMenus(const MenuEnables&) override {}
  int trackContextMenu(int subMenu) override {
    log.push_back("menu " + std::to_string(subMenu) + " for " + std::to_string(commandTarget(ctx)));
    return chooseCommand;
  }
  void sendCommand(int command) override { runCommand(ctx, command, 0); }
  bool chooseFile(FileDialog kind, const std::string& initialName, std::string* path) override {
    log.push_back("file " + std::to_string(static_cast<int>(kind)) + " " + initialName);
    *path = chosenPath;
    return !chosenPath.empty();
  }
  bool chooseFiles(FileDialog, std::vector<std::string>*) override { return false; }
  bool askBankName(std::string*) override { return false; }
  void runDialog(int, int) override {}
  void closeMainWindow() override {}
  void setListViewMode(int) override {}

  ShellContext& ctx;
  int chooseCommand = 0;
  std::string chosenPath;
  Log log;
};

struct ShellTest : ::testing::Test {
  BasicTestContext<ShellContext> t;
  ShellContext& ctx = t.ctx;
  FakeUi ui{ctx};
  FakeDriver scsi{ctx, "SCSI Disks"}, images{ctx, "CD image files"};
  FakeDriver floppies{ctx, "Floppy drives", FloppyDiskOsNode},
      samplers{ctx, "Samplers", SamplerDiskOsNode};
  int disk = 0;  // listed, with banks 1, 2 and 3, and selected

  void SetUp() override {
    ctx.shell.ui = &ui;
    t.addRoot();
    for (FakeDriver* d : {&scsi, &images, &floppies, &samplers})
      ASSERT_TRUE(RegisterDiskOs(ctx, *d));
    ctx.nodes[images.node].canAddDevices = 1;
    scsi.banks = {{1, "ONE", 1000}, {2, "TWO", 2000}, {3, "THREE", 3000}};
    disk = scsi.addDevice(FixedDisk, "disk");
    for (int node : {ctx.nodes.rootIndex, scsi.node})
      t.views.items[item(node)].expanded = true;
    treeSelectionChanged(ctx, item(disk));
  }
  TreeItem item(int node) { return ctx.nodes[node].treeItem; }
  void selectRows(std::set<int> rows) {
    for (std::size_t r = 0; r < t.views.rows.size(); ++r)
      t.views.rows[r].selected = rows.count(static_cast<int>(r)) > 0;
  }
  void rightClickTree(int node) {
    t.views.hotItem = item(node);
    treeRightClick(ctx);
  }
  // Makes node the one the next command acts on, as a menu opened for it does.
  void aimAt(int node, View view) {
    ctx.shell.lastView = view;
    ctx.shell.menuNode = ctx.shell.menuListNode = ctx.shell.selection[0] = node;
  }
};

TEST_F(ShellTest, MenuItemsFollowTypeReadinessSelectionAndWritableDevice) {
  int cdrom = scsi.addDevice(CdRomDrive, "cdrom"), image = images.addDevice(ImageFile, "a.iso");
  int sampler = samplers.addDevice(Sampler, "e4");
  int floppy = addNode(ctx, floppies.node, FloppyDrive, "A:");
  int bank = firstChild(ctx, disk), sample = addNode(ctx, disk, Sample, "s");
  // {node, ready, selected rows, open images, enabled}: only the image driver
  // adds devices, and only while fewer than four are open.
  const std::tuple<int, int, int, int, Commands> cases[] = {
      {disk, 0, 1, 3, {CmdDiskRefresh}},
      {disk, 1, 2, 3, {}},
      {cdrom, 1, 1, 3, {CmdDiskRefresh}},
      {image, 0, 1, 3, {CmdRemove}},
      {image, 1, 1, 3, {CmdRemove, CmdImportBank, CmdImportEmptyBank, CmdNewBankFromWav}},
      {sampler, 0, 1, 3, {CmdSamplerRefresh}},
      {floppy, 1, 0, 3, {}},
      {scsi.node, 1, 1, 3, {}},
      {images.node, 1, 1, 3, {CmdAdd}},
      {images.node, 1, 2, 3, {}},
      {bank,
       1,
       1,
       3,
       {CmdOpenBank, CmdExportBank, CmdDeleteBank, CmdRenameBank, CmdRenumberBank,
        CmdBankProperties}},
      {bank, 1, 2, 3, {CmdBankProperties}},
      {sample, 1, 3, 3, {CmdDeleteSample, CmdSampleProperties}},
      {images.node, 1, 1, 4, {}}};
  for (const auto& [node, ready, selected, open, enabled] : cases) {
    ctx.nodes[node].ready = ready;
    ctx.shell.selectedCount = selected;
    images.devices = open;
    EXPECT_EQ(enabledSet(menuEnablesFor(ctx, node)), enabled) << node << " " << ready << selected;
  }
  // A device that cannot be written offers no changes to its banks.
  scsi.readOnly = 1;
  EXPECT_EQ(enabledSet(menuEnablesFor(ctx, bank)),
            (Commands{CmdOpenBank, CmdExportBank, CmdBankProperties}));
  // An opened bank extracts all its samples, or those among the rows selected.
  int opened = addNode(ctx, disk, OpenedBank, "b"), preset = addNode(ctx, opened, Preset, "p");
  ctx.shell.selection[1] = addNode(ctx, opened, SampleInBank, "s");
  ctx.shell.selection[0] = preset;
  for (int count : {1, 2}) {
    ctx.shell.selectionCount = count;
    EXPECT_EQ(enabledSet(menuEnablesFor(ctx, preset)).count(CmdExtractSamples), count - 1u);
    EXPECT_EQ(enabledSet(menuEnablesFor(ctx, opened)).count(CmdExtractAllSamples), 1u);
  }
}

TEST_F(ShellTest, ViewsRefuseWhileBusyAndMenusActOnTheClickedNode) {
  int other = scsi.addDevice(FixedDisk, "other");
  t.views.items[item(other)].expanded = true;  // shows its placeholder
  t.host.runWorkersAtOnce = false;
  ctx.busy = 1;
  EXPECT_TRUE(treeItemExpanding(ctx, item(other), true));
  rightClickTree(disk);
  selectRows({0});
  listRightClick(ctx);
  aimAt(disk, View::Tree);
  runCommand(ctx, CmdDiskRefresh, 0);
  ctx.busy = 0;
  EXPECT_EQ(t.host.workersStarted, 0);
  for (int node : {ctx.nodes.rootIndex, samplers.node, floppies.node, firstChild(ctx, other)})
    rightClickTree(node);  // none of these has a menu
  EXPECT_TRUE(ui.log.empty());

  // Expanding an unlisted device lists it on a worker, busy from the start.
  EXPECT_FALSE(treeItemExpanding(ctx, item(other), true));
  EXPECT_EQ(ctx.busy, 1);
  t.host.runWorkers();
  EXPECT_EQ(ctx.nodes[other].ready, 1);
  EXPECT_FALSE(treeItemExpanding(ctx, item(other), true));
  EXPECT_EQ(t.host.workersStarted, 1);  // listed: nothing more

  // The chosen command runs for the clicked node, not the selected one.
  ui.chooseCommand = CmdDiskRefresh;
  rightClickTree(other);
  EXPECT_EQ(ui.log, Log{"menu 3 for " + std::to_string(other)});
  t.host.runWorkers();
  EXPECT_EQ(scsi.requests.back().par3, static_cast<DiskOsWord>(other));

  // The list refuses a selection that mixes classes.
  int sample = addNode(ctx, disk, Sample, "s");  // shown at once: its parent is selected
  selectRows({1, ctx.nodes[sample].listItem});
  EXPECT_LT(selectionSummary(ctx), 0);
  listRightClick(ctx);
  EXPECT_EQ(ui.log.size(), 1u);
}

// Export and import run end to end in the Windows scenario; what a removal
// does is the image driver's to test.
TEST_F(ShellTest, CommandsOnThisThreadLeaveNothingBehindWhenTheyFail) {
  aimAt(addNode(ctx, disk, Sample, "Kick:1"), View::List);
  bool arrives = false, busy = false;
  ctx.shell.hooks.receiveSample = [&](Context& c, int) {
    busy = c.busy != 0;
    c.files.write(c.openFile, "RIFF", 4);
    return arrives;
  };
  ui.chosenPath = "C:\\kick.wav";
  for (bool whole : {false, true}) {
    arrives = whole;
    runCommand(ctx, CmdReceiveSample, 0);
    EXPECT_EQ(t.files.exists(ui.chosenPath), whole);
  }
  t.files.setReadOnly(ui.chosenPath);
  runCommand(ctx, CmdReceiveSample, 0);
  EXPECT_EQ(ui.log, (Log{"file 1 Kick_1", "file 1 Kick_1", "file 1 Kick_1"}));
  EXPECT_EQ(t.host.messages, Log{"Unable to create Windows file"});
  EXPECT_TRUE(busy);
  EXPECT_EQ(t.files.openCount(), 0);

  // An image that will not close stays.
  FakeDriver stubborn{ctx, "more images", DiskOsNode};  // serves no CloseDevice
  ASSERT_TRUE(RegisterDiskOs(ctx, stubborn));
  int x = stubborn.addDevice(ImageFile, "x.iso");
  aimAt(x, View::Tree);
  runCommand(ctx, CmdRemove, 0);
  EXPECT_STREQ(ctx.nodes[x].name, "x.iso");
  EXPECT_EQ(t.host.messages.back(), "Disk OS error");
  EXPECT_EQ(ctx.busy, 0);
}

}  // namespace
