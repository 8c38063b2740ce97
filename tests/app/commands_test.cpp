#include "app/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

namespace {

// Records what the shell asks of the window system and answers from a script.
struct FakeUi : ShellUi {
  explicit FakeUi(Context& context) : ctx(context) {}
  void applyMenus(const MenuEnables& m) override { applied = m; }
  int trackContextMenu(int subMenu) override {
    openedMenus.push_back(subMenu);
    enabledWhenOpen = enabledSet(applied);
    targetWhileOpen = commandTarget(ctx);
    return chooseCommand;
  }
  void sendCommand(int command) override {
    sentCommands.push_back(command);
    runCommand(ctx, command, 0);
  }
  bool chooseFile(FileDialog kind, const std::string& initialName, std::string* path) override {
    dialogs.push_back(kind);
    initialNames.push_back(initialName);
    if (chosenPath.empty())
      return false;
    *path = chosenPath;
    return true;
  }
  void runDialog(int dialog, int node) override {
    dialogsRun.push_back(dialog);
    dialogNode = node;
    busyInDialog = ctx.busy != 0;
  }
  void closeMainWindow() override { closed = true; }
  void setListViewMode(int mode) override { modes.push_back(mode); }

  static std::set<int> enabledSet(const MenuEnables& m) {
    std::set<int> out;
    for (int id : kMenuItems) {
      if (m.isEnabled(id))
        out.insert(id);
    }
    return out;
  }

  Context& ctx;
  MenuEnables applied;
  std::vector<int> openedMenus;
  std::set<int> enabledWhenOpen;
  int targetWhileOpen = -1;
  int chooseCommand = 0;
  std::vector<int> sentCommands;
  std::vector<FileDialog> dialogs;
  std::vector<std::string> initialNames;
  std::string chosenPath;
  std::vector<int> dialogsRun;
  int dialogNode = 0;
  bool busyInDialog = false;
  bool closed = false;
  std::vector<int> modes;
};

constexpr std::uint32_t kImageCodes = Register | Scan | QueryReadOnly | ListBanks | ReadSectors |
                                      DeviceCount | CloseDevice | RemoveDevice;

struct ShellTest : ::testing::Test {
  TestContext t;
  Context& ctx = t.ctx;
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
    t.views.items[ctx.nodes[ctx.nodes.rootIndex].treeItem].expanded = true;
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
  std::set<int> enabledFor(int node, int selectedCount = 1) {
    ctx.shell.selectedCount = selectedCount;
    return FakeUi::enabledSet(menuEnablesFor(ctx, node));
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

TEST_F(ShellTest, MenuRulesForDevicesFollowTypeReadinessAndSingleSelection) {
  int fixed = scsi.addDevice(FixedDisk, "fixed");
  EXPECT_EQ(enabledFor(fixed), std::set<int>{CmdDiskRefresh});
  ctx.nodes[fixed].ready = 1;
  EXPECT_EQ(enabledFor(fixed), (std::set<int>{CmdDiskRefresh, CmdImportBank, CmdImportEmptyBank}));
  EXPECT_EQ(enabledFor(fixed, 2), std::set<int>{});

  int cdrom = scsi.addDevice(CdRomDrive, "cdrom");
  ctx.nodes[cdrom].ready = 1;
  EXPECT_EQ(enabledFor(cdrom), std::set<int>{CmdDiskRefresh});

  int image = images.addDevice(ImageFile, "a.iso");
  EXPECT_EQ(enabledFor(image), std::set<int>{CmdRemove});
  ctx.nodes[image].ready = 1;
  EXPECT_EQ(enabledFor(image), (std::set<int>{CmdRemove, CmdImportBank, CmdImportEmptyBank}));

  int sampler = samplers.addDevice(Sampler, "e4");
  EXPECT_EQ(enabledFor(sampler), std::set<int>{CmdSamplerRefresh});
  ctx.nodes[sampler].ready = 1;
  EXPECT_EQ(enabledFor(sampler), (std::set<int>{CmdSamplerRefresh, CmdTransmitSample}));

  int floppy = addNode(ctx, floppies.node, FloppyDrive, "A:");
  EXPECT_EQ(enabledFor(floppy), std::set<int>{CmdImportWav});
  EXPECT_EQ(enabledFor(floppy, 0), std::set<int>{});

  for (int other : {ctx.nodes.rootIndex, samplers.node, floppies.node, firstChild(ctx, fixed)}) {
    EXPECT_EQ(enabledFor(other), std::set<int>{}) << "node type " << ctx.nodes[other].type;
  }
}

TEST_F(ShellTest, AddIsOfferedOnlyByTheImageDriverWhileFewerThanFourImagesAreOpen) {
  EXPECT_EQ(enabledFor(scsi.node), std::set<int>{});
  for (int i = 0; i < 3; ++i)
    images.addDevice(ImageFile, "x.iso");
  EXPECT_EQ(enabledFor(images.node), std::set<int>{CmdAdd});
  EXPECT_EQ(enabledFor(images.node, 2), std::set<int>{});
  images.addDevice(ImageFile, "y.iso");
  EXPECT_EQ(enabledFor(images.node), std::set<int>{});
}

TEST_F(ShellTest, BankMenuAsksTheDriverWhetherTheDeviceIsReadOnly) {
  int disk = listedDisk(scsi, CdRomDrive);
  int bank = firstChild(ctx, disk);
  ASSERT_EQ(ctx.nodes[bank].type, Bank);
  EXPECT_EQ(enabledFor(bank), (std::set<int>{CmdExportBank, CmdDeleteBank, CmdRenameBank,
                                             CmdRenumberBank, CmdBankProperties}));
  scsi.readOnly = 1;
  scsi.requests.clear();
  EXPECT_EQ(enabledFor(bank), (std::set<int>{CmdExportBank, CmdBankProperties}));
  ASSERT_FALSE(scsi.requests.empty());
  EXPECT_EQ(scsi.requests.back().cg1, QueryReadOnly);
  EXPECT_EQ(scsi.requests.back().drv, static_cast<DiskOsWord>(ctx.nodes[disk].device));
  EXPECT_EQ(enabledFor(bank, 2), std::set<int>{CmdBankProperties});

  int sample = addNode(ctx, disk, Sample, "s");
  EXPECT_EQ(enabledFor(sample),
            (std::set<int>{CmdDeleteSample, CmdSampleProperties, CmdReceiveSample}));
  EXPECT_EQ(enabledFor(sample, 3), (std::set<int>{CmdDeleteSample, CmdSampleProperties}));
}

TEST_F(ShellTest, BusyRefusesSelectionExpansionEditsAndMenus) {
  int disk = scsi.addDevice(FixedDisk, "disk");
  expand(scsi.node);
  ctx.busy = 1;
  EXPECT_TRUE(treeSelectionChanging(ctx));
  EXPECT_TRUE(treeItemExpanding(ctx, item(disk), true));
  EXPECT_EQ(t.host.workersStarted, 0);
  t.views.hotItem = item(disk);
  treeRightClick(ctx);
  t.views.rows.push_back({{"disk", "", ""}, FixedDisk, disk, true});
  listRightClick(ctx);
  EXPECT_TRUE(ui.openedMenus.empty());
  ctx.busy = 0;
  EXPECT_FALSE(treeSelectionChanging(ctx));
  EXPECT_TRUE(treeBeginLabelEdit(ctx));
  EXPECT_TRUE(listBeginLabelEdit(ctx));
}

TEST_F(ShellTest, ExpandingAnUnlistedDeviceListsItOnAWorker) {
  int disk = scsi.addDevice(FixedDisk, "disk");
  scsi.banks = {{4, "FOUR", 10}};
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

TEST_F(ShellTest, TreeRightClickOpensTheNodesMenuOnlyForMenuTypesThatAreShown) {
  int disk = scsi.addDevice(FixedDisk, "disk");
  int placeholder = firstChild(ctx, disk);
  expand(scsi.node);
  for (int node : {ctx.nodes.rootIndex, samplers.node, floppies.node}) {
    t.views.hotItem = item(node);
    treeRightClick(ctx);
  }
  expand(disk);
  t.views.hotItem = item(placeholder);
  treeRightClick(ctx);
  EXPECT_TRUE(ui.openedMenus.empty());

  t.views.hotItem = item(disk);
  treeRightClick(ctx);
  EXPECT_EQ(ui.openedMenus, std::vector<int>{DiskMenu});
  EXPECT_EQ(ui.enabledWhenOpen, std::set<int>{CmdDiskRefresh});
  EXPECT_EQ(ui.targetWhileOpen, disk);
  EXPECT_EQ(ctx.shell.menuNode, 0);

  // Hidden under a collapsed driver: no menu.
  t.views.items[item(scsi.node)].expanded = false;
  treeRightClick(ctx);
  EXPECT_EQ(ui.openedMenus.size(), 1u);
}

TEST_F(ShellTest, ChosenMenuCommandRunsWhileTheMenusNodeIsRecorded) {
  int disk = scsi.addDevice(FixedDisk, "disk");
  int other = scsi.addDevice(FixedDisk, "other");
  expand(scsi.node);
  select(other);
  t.host.runWorkersAtOnce = false;
  t.views.hotItem = item(disk);
  ui.chooseCommand = CmdDiskRefresh;
  treeRightClick(ctx);
  EXPECT_EQ(ui.sentCommands, std::vector<int>{CmdDiskRefresh});
  EXPECT_EQ(ctx.busy, 1);
  scsi.requests.clear();
  t.host.runWorkers();
  EXPECT_EQ(ctx.busy, 0);
  // The refresh went to the clicked disk, not the selected one.
  ASSERT_FALSE(scsi.requests.empty());
  EXPECT_EQ(scsi.requests.back().cg1, ListBanks);
  EXPECT_EQ(scsi.requests.back().par3, static_cast<DiskOsWord>(disk));
}

TEST_F(ShellTest, ListRightClickCountsClassesAndRefusesMixedSelections) {
  int disk = listedDisk(scsi, FixedDisk);
  selectRows({0, 2});
  listRightClick(ctx);
  EXPECT_EQ(ui.openedMenus, std::vector<int>{BankMenu});
  EXPECT_EQ(ui.enabledWhenOpen, std::set<int>{CmdBankProperties});
  EXPECT_EQ(ctx.shell.selectionCount, 2);
  EXPECT_EQ(ctx.shell.menuListNode, 0);
  EXPECT_EQ(ctx.shell.lastView, View::List);

  int sample = addNode(ctx, disk, Sample, "s");  // shown at once: its parent is selected
  ASSERT_GE(ctx.nodes[sample].listItem, 0);
  selectRows({1, ctx.nodes[sample].listItem});
  EXPECT_LT(selectionSummary(ctx), 0);
  listRightClick(ctx);
  EXPECT_EQ(ui.openedMenus.size(), 1u);

  selectRows({});
  listRightClick(ctx);
  EXPECT_EQ(ui.openedMenus.size(), 1u);
}

TEST_F(ShellTest, ListRowsOfUncountedNodesOpenNoMenu) {
  expand(ctx.nodes.rootIndex);
  select(ctx.nodes.rootIndex);
  ASSERT_EQ(t.views.rows.size(), 4u);  // the four drivers
  selectRows({3});                     // Samplers
  EXPECT_EQ(selectionSummary(ctx), 0);
  selectRows({0, 3});  // SCSI Disks with Samplers: one class only
  EXPECT_EQ(selectionSummary(ctx), 1);
  listRightClick(ctx);
  EXPECT_EQ(ui.openedMenus, std::vector<int>{DiskMenu});
  EXPECT_EQ(ui.enabledWhenOpen, std::set<int>{});
}

TEST(CleanFileName, ReplacesCharactersWindowsRefuses) {
  EXPECT_EQ(cleanFileName("Pad/Lead?#2"), "Pad_Lead__2");
  EXPECT_EQ(cleanFileName("a\\b:c\"d<e>f|g h*"), "a_b_c_d_e_f_g h*");
}

TEST(WheelCount, ScrollDirectionFollowsTheRunningCount) {
  ShellState s;
  std::vector<bool> downs;
  for (int delta : {120, 120, 120, -120, -120, -120, -120})
    downs.push_back(countWheelNotch(s, delta));
  EXPECT_EQ(downs, (std::vector<bool>{true, true, true, true, true, true, false}));
  EXPECT_EQ(s.wheelCount, -1);
}

struct CommandTest : ShellTest {
  int disk = 0;
  void SetUp() override {
    ShellTest::SetUp();
    disk = listedDisk(scsi, FixedDisk);
    t.host.runWorkersAtOnce = false;
  }
  // Right-clicks a bank row so that commands act on it.
  int pickRow(int row) {
    selectRows({row});
    listRightClick(ctx);
    ctx.shell.lastView = View::List;
    ctx.shell.menuListNode = ctx.shell.selection[0];
    return ctx.shell.selection[0];
  }
};

TEST_F(CommandTest, ExportOffersTheCleanedBankNameAndStartsTheWorkerWithTheFile) {
  setNodeName(ctx.nodes[firstChild(ctx, disk)], "Pad/Lead?#2");
  int bank = pickRow(0);
  int exported = 0;
  FileHandle file = kNoFile;
  ctx.shell.hooks.exportBank = [&](Context& c, int b) {
    exported = b;
    file = c.openFile;
    c.files.close(c.openFile);
    c.busy = 0;
  };
  runCommand(ctx, CmdExportBank, 0);  // cancelled
  EXPECT_EQ(ui.initialNames, std::vector<std::string>{"Pad_Lead__2"});
  EXPECT_EQ(t.host.workersStarted, 0);
  EXPECT_EQ(ctx.busy, 0);

  ui.chosenPath = "C:\\out\\pad.e3x";
  runCommand(ctx, CmdExportBank, 0);
  EXPECT_EQ(ctx.busy, 1);
  t.host.runWorkers();
  EXPECT_EQ(exported, bank);
  EXPECT_NE(file, kNoFile);
  EXPECT_TRUE(t.files.exists("C:\\out\\pad.e3x"));
  EXPECT_EQ(ui.dialogs.back(), FileDialog::ExportBank);
}

TEST_F(CommandTest, AFileThatWillNotOpenIsReportedAndNothingStarts) {
  pickRow(0);
  ctx.shell.hooks.importBank = [](Context&, int, const std::string&) {};
  ctx.shell.hooks.wavToFloppy = [](Context&, int) {};
  ctx.shell.lastView = View::Tree;
  ui.chosenPath = "C:\\missing.e3x";
  runCommand(ctx, CmdImportBank, 0);
  runCommand(ctx, CmdImportWav, 0);
  EXPECT_EQ(t.host.messages, (std::vector<std::string>{"Unable to open Windows file",
                                                       "Unable to open Windows file"}));
  EXPECT_EQ(ui.dialogs, (std::vector<FileDialog>{FileDialog::ImportBank, FileDialog::WavToFloppy}));
  EXPECT_EQ(t.host.workersStarted, 0);
  EXPECT_EQ(ctx.busy, 0);
}

TEST_F(CommandTest, ImportGoesToTheMenusDeviceWithTheOpenedFile) {
  t.files.data("C:\\bank.e3x") = {1, 2, 3};
  int target = 0;
  std::string named;
  ctx.shell.hooks.importBank = [&](Context& c, int device, const std::string& path) {
    target = device;
    named = path;
    c.files.close(c.openFile);
    c.busy = 0;
  };
  ui.chosenPath = "C:\\bank.e3x";
  ctx.shell.lastView = View::Tree;
  runCommand(ctx, CmdImportBank, 0);
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
  EXPECT_EQ(ui.initialNames.back(), "Kick_1");
  EXPECT_TRUE(busyWhileReceiving);
  EXPECT_FALSE(t.files.exists("C:\\kick.wav"));
  succeed = true;
  runCommand(ctx, CmdReceiveSample, 0);
  EXPECT_TRUE(t.files.exists("C:\\kick.wav"));
  EXPECT_EQ(t.files.openCount(), 0);
  EXPECT_EQ(ctx.busy, 0);

  t.files.setReadOnly("C:\\kick.wav");
  runCommand(ctx, CmdReceiveSample, 0);
  EXPECT_EQ(t.host.messages.back(), "Unable to create Windows file");
}

TEST_F(CommandTest, RemoveClosesThenDropsTheImageAndRenumbersLaterOnes) {
  images.addDevice(ImageFile, "a.iso");
  int b = images.addDevice(ImageFile, "b.iso");
  images.addDevice(ImageFile, "c.iso");
  images.requests.clear();
  ctx.shell.lastView = View::Tree;
  ctx.shell.menuNode = b;
  runCommand(ctx, CmdRemove, 0);
  ctx.shell.menuNode = 0;
  ASSERT_EQ(images.requests.size(), 2u);
  EXPECT_EQ(images.requests[0].cg1, CloseDevice);
  EXPECT_EQ(images.requests[1].cg1, RemoveDevice);
  EXPECT_EQ(images.requests[1].drv, 1u);
  // The later image moved down into the removed one's place, number and all.
  EXPECT_STREQ(ctx.nodes[b].name, "c.iso");
  EXPECT_EQ(ctx.nodes[b].device, 1);
  EXPECT_EQ(ctx.busy, 0);
}

TEST_F(CommandTest, RemoveStopsWhenTheDriverWillNotCloseTheImage) {
  FakeDriver stubborn{ctx, "more images", DiskOsNode};  // serves no CloseDevice
  ASSERT_TRUE(RegisterDiskOs(ctx, stubborn));
  int image = stubborn.addDevice(ImageFile, "x.iso");
  ctx.shell.lastView = View::Tree;
  ctx.shell.menuNode = image;
  runCommand(ctx, CmdRemove, 0);
  EXPECT_STREQ(ctx.nodes[image].name, "x.iso");
  EXPECT_EQ(t.host.messages, std::vector<std::string>{"Disk OS error"});
  EXPECT_EQ(ctx.busy, 0);
}

TEST_F(CommandTest, DialogCommandsOpenTheirDialogForTheTarget) {
  int bank = pickRow(1);
  const std::pair<int, int> dialogs[] = {{CmdRenameBank, RenameBankDialog},
                                         {CmdRenumberBank, RenumberBankDialog},
                                         {CmdBankProperties, BankPropertiesDialog}};
  for (auto [command, dialog] : dialogs) {
    runCommand(ctx, command, 0);
    EXPECT_EQ(ui.dialogsRun.back(), dialog);
    EXPECT_EQ(ui.dialogNode, bank);
  }
  ctx.shell.lastView = View::Tree;
  ctx.shell.menuNode = images.node;
  runCommand(ctx, CmdAdd, 0);
  EXPECT_EQ(ui.dialogsRun.back(), AddImageDialog);
  EXPECT_EQ(ui.dialogNode, images.node);
  EXPECT_TRUE(ui.busyInDialog);
  EXPECT_EQ(ctx.busy, 0);
}

TEST_F(CommandTest, CommandsNeverStartWorkWhileBusyButExitAboutAndViewsStillWork) {
  pickRow(0);
  ctx.busy = 1;
  EXPECT_TRUE(runCommand(ctx, CmdDiskRefresh, 0));
  runCommand(ctx, CmdBankProperties, 0);
  EXPECT_EQ(t.host.workersStarted, 0);
  EXPECT_TRUE(ui.dialogsRun.empty());
  runCommand(ctx, CmdViewIcons, 0);
  runCommand(ctx, CmdViewSmallIcons, 0);
  runCommand(ctx, CmdViewList, 0);
  runCommand(ctx, CmdViewDetails, 0);
  EXPECT_EQ(ui.modes, (std::vector<int>{0, 2, 3, 1}));
  runCommand(ctx, CmdExit, 0);
  EXPECT_TRUE(ui.closed);
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
