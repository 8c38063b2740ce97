#include "app/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/shell_context.h"
#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

using Log = std::vector<std::string>;
using Commands = std::set<int>;

Commands enabledSet(const MenuEnables& m) {
  Commands out;
  for (int id : kMenuItems) {
    if (m.isEnabled(id))
      out.insert(id);
  }
  return out;
}

// Notes what the shell asks of the window system, a line each, and answers
// from a script.
struct FakeUi : ShellUi {
  explicit FakeUi(ShellContext& context) : ctx(context) {}
  void applyMenus(const MenuEnables& m) override { applied = m; }
  int trackContextMenu(int subMenu) override {
    note("menu " + std::to_string(subMenu) + " for " + std::to_string(commandTarget(ctx)));
    enabledWhenOpen = enabledSet(applied);
    return chooseCommand;
  }
  void sendCommand(int command) override { runCommand(ctx, command, 0); }
  bool chooseFile(FileDialog kind, const std::string& initialName, std::string* path) override {
    note("file " + std::to_string(static_cast<int>(kind)) + " " + initialName);
    *path = chosenPath;
    return !chosenPath.empty();
  }
  void runDialog(int dialog, int node) override {
    note("dialog " + std::to_string(dialog) + " for " + std::to_string(node) +
         (ctx.busy ? " busy" : ""));
  }
  void closeMainWindow() override { note("close"); }
  void setListViewMode(int mode) override { note("mode " + std::to_string(mode)); }
  void note(const std::string& line) { log.push_back(line); }

  ShellContext& ctx;
  MenuEnables applied;
  Commands enabledWhenOpen;
  int chooseCommand = 0;
  std::string chosenPath;
  Log log;
};

std::string menu(int subMenu, int node) {
  return "menu " + std::to_string(subMenu) + " for " + std::to_string(node);
}

constexpr std::uint32_t kImageCodes = Register | Scan | QueryReadOnly | ListBanks | ReadSectors |
                                      DeviceCount | CloseDevice | RemoveDevice;

struct ShellTest : ::testing::Test {
  BasicTestContext<ShellContext> t;
  ShellContext& ctx = t.ctx;
  FakeUi ui{ctx};
  FakeDriver scsi{ctx, "SCSI Disks"};
  FakeDriver images{ctx, "CD image files", DiskOsNode, kImageCodes};
  FakeDriver floppies{ctx, "Floppy drives", FloppyDiskOsNode};
  FakeDriver samplers{ctx, "Samplers", SamplerDiskOsNode};

  void SetUp() override {
    ctx.shell.ui = &ui;
    t.addRoot();
    for (FakeDriver* d : {&scsi, &images, &floppies, &samplers})
      ASSERT_TRUE(RegisterDiskOs(ctx, *d));
    ctx.nodes[images.node].canAddDevices = 1;
    expand(ctx.nodes.rootIndex);
  }

  TreeItem item(int node) { return ctx.nodes[node].treeItem; }
  void expand(int node) { t.views.items[item(node)].expanded = true; }
  // Selects the node's tree item as the user would.
  void select(int node) {
    t.views.selected = item(node);
    treeSelectionChanged(ctx, item(node));
  }
  void selectRows(std::vector<int> rows) {
    for (auto& r : t.views.rows)
      r.selected = false;
    for (int r : rows)
      t.views.rows[r].selected = true;
  }
  void rightClickTree(int node) {
    t.views.hotItem = item(node);
    treeRightClick(ctx);
  }
  Commands enabledFor(int node, int selectedCount = 1) {
    ctx.shell.selectedCount = selectedCount;
    return enabledSet(menuEnablesFor(ctx, node));
  }
  // A listed disk with banks 1, 2 and 3 shown in the list.
  int listedDisk(FakeDriver& driver, int type) {
    driver.banks = {{1, "ONE", 1000}, {2, "TWO", 2000}, {3, "THREE", 3000}};
    int disk = driver.addDevice(type, "disk");
    expand(driver.node);
    select(disk);
    return disk;
  }
};

TEST_F(ShellTest, MenuRulesFollowTypeReadinessAndSingleSelection) {
  int fixed = scsi.addDevice(FixedDisk, "fixed");
  int cdrom = scsi.addDevice(CdRomDrive, "cdrom");
  int image = images.addDevice(ImageFile, "a.iso");
  int sampler = samplers.addDevice(Sampler, "e4");
  int floppy = addNode(ctx, floppies.node, FloppyDrive, "A:");
  const Commands none;
  EXPECT_EQ(enabledFor(fixed), Commands{CmdDiskRefresh});
  EXPECT_EQ(enabledFor(image), Commands{CmdRemove});
  EXPECT_EQ(enabledFor(sampler), Commands{CmdSamplerRefresh});
  for (int n : {fixed, cdrom, image, sampler})
    ctx.nodes[n].ready = 1;
  EXPECT_EQ(enabledFor(fixed), (Commands{CmdDiskRefresh, CmdImportBank, CmdImportEmptyBank}));
  EXPECT_EQ(enabledFor(fixed, 2), none);
  EXPECT_EQ(enabledFor(cdrom), Commands{CmdDiskRefresh});
  EXPECT_EQ(enabledFor(image), (Commands{CmdRemove, CmdImportBank, CmdImportEmptyBank}));
  EXPECT_EQ(enabledFor(sampler), (Commands{CmdSamplerRefresh, CmdTransmitSample}));
  EXPECT_EQ(enabledFor(floppy), Commands{CmdImportWav});
  EXPECT_EQ(enabledFor(floppy, 0), none);
  for (int other : {ctx.nodes.rootIndex, samplers.node, floppies.node, firstChild(ctx, fixed)})
    EXPECT_EQ(enabledFor(other), none) << "node type " << ctx.nodes[other].type;

  // Add is offered by the image driver alone, while fewer than four images are open.
  EXPECT_EQ(enabledFor(scsi.node), none);
  for (int i = 0; i < 2; ++i)
    images.addDevice(ImageFile, "x.iso");
  EXPECT_EQ(enabledFor(images.node), Commands{CmdAdd});
  EXPECT_EQ(enabledFor(images.node, 2), none);
  images.addDevice(ImageFile, "y.iso");
  EXPECT_EQ(enabledFor(images.node), none);
}

TEST_F(ShellTest, BankMenuAsksTheDriverWhetherTheDeviceIsReadOnly) {
  int disk = listedDisk(scsi, CdRomDrive);
  int bank = firstChild(ctx, disk);
  ASSERT_EQ(ctx.nodes[bank].type, Bank);
  EXPECT_EQ(enabledFor(bank), (Commands{CmdExportBank, CmdDeleteBank, CmdRenameBank,
                                        CmdRenumberBank, CmdBankProperties}));
  scsi.readOnly = 1;
  scsi.requests.clear();
  EXPECT_EQ(enabledFor(bank), (Commands{CmdExportBank, CmdBankProperties}));
  ASSERT_FALSE(scsi.requests.empty());
  EXPECT_EQ(scsi.requests.back().cg1, QueryReadOnly);
  EXPECT_EQ(scsi.requests.back().drv, static_cast<DiskOsWord>(ctx.nodes[disk].device));
  EXPECT_EQ(enabledFor(bank, 2), Commands{CmdBankProperties});

  int sample = addNode(ctx, disk, Sample, "s");
  EXPECT_EQ(enabledFor(sample), (Commands{CmdDeleteSample, CmdSampleProperties, CmdReceiveSample}));
  EXPECT_EQ(enabledFor(sample, 3), (Commands{CmdDeleteSample, CmdSampleProperties}));
}

TEST_F(ShellTest, ExpandingAnUnlistedDeviceListsItOnAWorker) {
  int disk = scsi.addDevice(FixedDisk, "disk");
  ctx.busy = 1;
  EXPECT_TRUE(treeItemExpanding(ctx, item(disk), true));
  ctx.busy = 0;
  t.host.runWorkersAtOnce = false;
  EXPECT_FALSE(treeItemExpanding(ctx, item(disk), true));
  EXPECT_EQ(ctx.busy, 1);  // nothing else may start before the worker runs
  t.host.runWorkers();
  EXPECT_EQ(ctx.busy, 0);
  EXPECT_EQ(ctx.nodes[disk].ready, 1);
  EXPECT_EQ(t.views.postedExpands, 1);
  // A listed device, or a collapse, starts nothing.
  EXPECT_FALSE(treeItemExpanding(ctx, item(disk), true));
  ctx.nodes[disk].ready = 0;
  EXPECT_FALSE(treeItemExpanding(ctx, item(disk), false));
  EXPECT_EQ(t.host.workersStarted, 1);
}

TEST_F(ShellTest, TreeRightClickOpensAShownNodesMenuAndRunsTheChoiceForThatNode) {
  int disk = scsi.addDevice(FixedDisk, "disk");
  int other = scsi.addDevice(FixedDisk, "other");
  expand(scsi.node);
  expand(disk);
  for (int node : {ctx.nodes.rootIndex, samplers.node, floppies.node, firstChild(ctx, disk)})
    rightClickTree(node);
  EXPECT_TRUE(ui.log.empty());

  select(other);
  t.host.runWorkersAtOnce = false;
  ui.chooseCommand = CmdDiskRefresh;
  rightClickTree(disk);
  EXPECT_EQ(ui.log, Log{menu(DiskMenu, disk)});
  EXPECT_EQ(ui.enabledWhenOpen, Commands{CmdDiskRefresh});
  EXPECT_EQ(ctx.shell.menuNode, 0);
  EXPECT_EQ(ctx.busy, 1);
  scsi.requests.clear();
  t.host.runWorkers();
  EXPECT_EQ(ctx.busy, 0);
  // The refresh went to the clicked disk, not the selected one.
  ASSERT_FALSE(scsi.requests.empty());
  EXPECT_EQ(scsi.requests.back().cg1, ListBanks);
  EXPECT_EQ(scsi.requests.back().par3, static_cast<DiskOsWord>(disk));

  // Hidden under a collapsed driver: no menu.
  t.views.items[item(scsi.node)].expanded = false;
  rightClickTree(disk);
  EXPECT_EQ(ui.log.size(), 1u);
}

TEST_F(ShellTest, ListSelectionsCountClassesAndRefuseMixedOnes) {
  select(ctx.nodes.rootIndex);
  ASSERT_EQ(t.views.rows.size(), 4u);  // the four drivers
  selectRows({0, 3});                  // SCSI Disks with Samplers, which is in no class
  EXPECT_EQ(selectionSummary(ctx), 1);
  listRightClick(ctx);
  EXPECT_EQ(ui.enabledWhenOpen, Commands{});

  int disk = listedDisk(scsi, FixedDisk);
  int sample = addNode(ctx, disk, Sample, "s");  // shown at once: its parent is selected
  selectRows({1, ctx.nodes[sample].listItem});
  EXPECT_LT(selectionSummary(ctx), 0);
  listRightClick(ctx);
  EXPECT_EQ(ui.log, Log{menu(DiskMenu, scsi.node)});
}

TEST(ShellRules, FileNamesAndTheWheel) {
  EXPECT_EQ(cleanFileName("a\\b/c:d?e\"f<g>h|i#j k*"), "a_b_c_d_e_f_g_h_i_j k*");
  ShellState s;
  std::vector<bool> downs;
  for (int delta : {120, -120, -120})  // scrolls by the running count, not the notch
    downs.push_back(countWheelNotch(s, delta));
  EXPECT_EQ(downs, (std::vector<bool>{true, true, false}));
}

struct CommandTest : ShellTest {
  int disk = 0;
  void SetUp() override {
    ShellTest::SetUp();
    disk = listedDisk(scsi, FixedDisk);
    t.host.runWorkersAtOnce = false;
  }
  // Right-clicks a list row so that commands act on its node.
  int pickRow(int row) {
    selectRows({row});
    listRightClick(ctx);
    ctx.shell.lastView = View::List;
    ctx.shell.menuListNode = ctx.shell.selection[0];
    ui.log.clear();
    return ctx.shell.selection[0];
  }
  void pickTreeNode(int node) {
    ctx.shell.lastView = View::Tree;
    ctx.shell.menuNode = node;
  }
};

TEST_F(CommandTest, ExportOffersTheCleanedBankNameAndStartsTheWorkerWithTheFile) {
  setNodeName(ctx.nodes[firstChild(ctx, disk)], "Pad/Lead?#2");
  int bank = pickRow(0);
  int exported = 0;
  ctx.shell.hooks.exportBank = [&](Context& c, int b) {
    exported = b;
    c.files.close(c.openFile);
    c.busy = 0;
  };
  ui.chosenPath = "C:\\out\\pad.e3x";
  runCommand(ctx, CmdExportBank, 0);
  EXPECT_EQ(ui.log, Log{"file 0 Pad_Lead__2"});
  EXPECT_EQ(ctx.busy, 1);
  t.host.runWorkers();
  EXPECT_EQ(exported, bank);
  EXPECT_TRUE(t.files.exists("C:\\out\\pad.e3x"));
  EXPECT_EQ(t.files.openCount(), 0);
}

TEST_F(CommandTest, ImportGoesToTheMenusDeviceWithTheOpenedFile) {
  int target = 0;
  std::string named;
  ctx.shell.hooks.importBank = [&](Context& c, int device, const std::string& path) {
    target = device;
    named = path;
    c.files.close(c.openFile);
    c.busy = 0;
  };
  ctx.shell.hooks.wavToFloppy = [](Context&, int) {};
  pickTreeNode(0);
  ui.chosenPath = "C:\\bank.e3x";
  runCommand(ctx, CmdImportWav, 0);  // no such file
  EXPECT_EQ(t.host.messages, Log{"Unable to open Windows file"});
  EXPECT_EQ(t.host.workersStarted, 0);
  EXPECT_EQ(ctx.busy, 0);

  t.files.data("C:\\bank.e3x") = {1, 2, 3};
  runCommand(ctx, CmdImportBank, 0);
  EXPECT_EQ(ui.log, (Log{"file 3 ", "file 2 "}));
  t.host.runWorkers();
  EXPECT_EQ(target, disk);
  EXPECT_EQ(named, "C:\\bank.e3x");
  EXPECT_EQ(t.files.openCount(), 0);
}

TEST_F(CommandTest, AFailedReceptionDeletesTheHalfWrittenFile) {
  int sample = addNode(ctx, disk, Sample, "Kick:1");
  pickRow(ctx.nodes[sample].listItem);
  bool succeed = false;
  bool busyWhileReceiving = false;
  ctx.shell.hooks.receiveSample = [&](Context& c, int) {
    busyWhileReceiving = c.busy != 0;
    c.files.write(c.openFile, "RIFF", 4);
    return succeed;
  };
  ui.chosenPath = "C:\\kick.wav";
  runCommand(ctx, CmdReceiveSample, 0);
  EXPECT_EQ(ui.log, Log{"file 1 Kick_1"});
  EXPECT_TRUE(busyWhileReceiving);
  EXPECT_FALSE(t.files.exists("C:\\kick.wav"));
  succeed = true;
  runCommand(ctx, CmdReceiveSample, 0);
  EXPECT_TRUE(t.files.exists("C:\\kick.wav"));
  EXPECT_EQ(t.files.openCount(), 0);
  EXPECT_EQ(ctx.busy, 0);

  t.files.setReadOnly("C:\\kick.wav");
  runCommand(ctx, CmdReceiveSample, 0);
  EXPECT_EQ(t.host.messages, Log{"Unable to create Windows file"});
}

TEST_F(CommandTest, RemoveClosesThenDropsTheImageButNotWhenItWillNotClose) {
  images.addDevice(ImageFile, "a.iso");
  int b = images.addDevice(ImageFile, "b.iso");
  images.addDevice(ImageFile, "c.iso");
  FakeDriver stubborn{ctx, "more images", DiskOsNode};  // serves no CloseDevice
  ASSERT_TRUE(RegisterDiskOs(ctx, stubborn));
  int x = stubborn.addDevice(ImageFile, "x.iso");
  images.requests.clear();
  pickTreeNode(b);
  runCommand(ctx, CmdRemove, 0);
  ASSERT_EQ(images.requests.size(), 2u);
  EXPECT_EQ(images.requests[0].cg1, CloseDevice);
  EXPECT_EQ(images.requests[1].cg1, RemoveDevice);
  EXPECT_STREQ(ctx.nodes[b].name, "c.iso");  // the later image moved into its place

  x -= 2;  // the image and its placeholder went before it
  pickTreeNode(x);
  runCommand(ctx, CmdRemove, 0);
  EXPECT_STREQ(ctx.nodes[x].name, "x.iso");
  EXPECT_EQ(t.host.messages, Log{"Disk OS error"});
  EXPECT_EQ(ctx.busy, 0);
}

TEST_F(CommandTest, DialogCommandsOpenTheirDialogForTheTarget) {
  int bank = pickRow(1);
  for (int command : {CmdRenameBank, CmdRenumberBank, CmdBankProperties})
    runCommand(ctx, command, 0);
  pickTreeNode(images.node);
  runCommand(ctx, CmdAdd, 0);
  std::string b = " for " + std::to_string(bank);
  EXPECT_EQ(ui.log, (Log{"dialog 204" + b, "dialog 205" + b, "dialog 197" + b,
                         "dialog 198 for " + std::to_string(images.node) + " busy"}));
  EXPECT_EQ(ctx.busy, 0);
}

TEST_F(CommandTest, CommandsNeverStartWorkWhileBusyButExitAboutAndViewsStillWork) {
  pickRow(0);
  ctx.busy = 1;
  EXPECT_TRUE(runCommand(ctx, CmdDiskRefresh, 0));
  runCommand(ctx, CmdBankProperties, 0);
  EXPECT_EQ(t.host.workersStarted, 0);
  for (int command : {CmdViewIcons, CmdViewSmallIcons, CmdViewList, CmdViewDetails, CmdExit})
    runCommand(ctx, command, 0);
  EXPECT_EQ(ui.log, (Log{"mode 0", "mode 2", "mode 3", "mode 1", "close"}));
  EXPECT_FALSE(runCommand(ctx, 32795, 0));  // a preset command: no handler
  EXPECT_FALSE(runCommand(ctx, CmdDiskProperties, 0));
}

TEST_F(CommandTest, AboutShowsAlreadyRunningOnlyOnAFreshSplash) {
  runCommand(ctx, CmdAbout, 1);
  EXPECT_TRUE(ctx.splash.shown());
  EXPECT_TRUE(ctx.splash.alreadyRunning());
  EXPECT_TRUE(t.screen.splashAutoClose);
  ctx.splash.onClosed();

  ctx.splash.ShowSplash(false);  // the start-up splash
  runCommand(ctx, CmdAbout, 1);
  EXPECT_FALSE(ctx.splash.alreadyRunning());
  EXPECT_EQ(t.screen.splashCreates, 2);
}

}  // namespace
