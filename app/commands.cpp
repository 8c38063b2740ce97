#include "app/commands.h"

#include "app/shell_context.h"
#include "media/disk_image_driver.h"

NodeClass nodeClass(int type) {
  switch (type) {
    case Root:
      return RootClass;
    case DiskOsNode:
      return DiskOsClass;
    case FixedDisk:
    case RemovableDisk:
    case CdRomDrive:
    case ImageFile:
      return DiskDeviceClass;
    case Bank:
      return BankClass;
    case Sampler:
      return SamplerClass;
    case Sample:
      return SampleClass;
    case FloppyDrive:
      return FloppyDriveClass;
    case FloppyDiskOsNode:
      return FloppyDiskOsClass;
    case Preset:
    case SampleInBank:
      return BankContentsClass;
    case OpenedBank:
      return OpenedBankClass;
  }
  return NoClass;
}

SubMenu subMenuFor(int type) {
  switch (type) {
    case Sampler:
      return SamplerMenu;
    case DiskOsNode:
    case FixedDisk:
    case RemovableDisk:
    case CdRomDrive:
    case ImageFile:
      return DiskMenu;
    case Bank:
      return BankMenu;
    case Sample:
      return SampleMenu;
    case FloppyDrive:
      return FloppyMenu;
    case OpenedBank:
    case Preset:
    case SampleInBank:
      return BankContentsMenu;
  }
  return NoSubMenu;
}

static int menuItemIndex(int command) {
  for (int i = 0; i < kMenuItemCount; ++i) {
    if (kMenuItems[i] == command)
      return i;
  }
  return -1;
}

bool MenuEnables::isEnabled(int command) const {
  int i = menuItemIndex(command);
  return i >= 0 && enabled[i];
}

void MenuEnables::enable(int command) {
  int i = menuItemIndex(command);
  if (i >= 0)
    enabled[i] = true;
}

bool deviceIsReadOnly(Context& ctx, int node) {
  int device = findDeviceNode(ctx, node);
  int diskOs = findDiskOsNode(ctx, device);
  // Without a driver to ask, writing is not offered.
  if (device == 0 || diskOs == 0)
    return true;
  DiskOsRequest query =
      makeRequest(QueryReadOnly, static_cast<DiskOsWord>(ctx.nodes[device].device));
  query.diskOs = static_cast<DiskOsWord>(ctx.nodes[diskOs].diskOs);
  return SendDiskOs(ctx, query) != 0;
}

// The number of devices the driver behind a driver node has open.
static std::uint32_t deviceCount(ShellContext& ctx, int diskOsNode) {
  DiskOsRequest count = makeRequest(DeviceCount);
  count.diskOs = static_cast<DiskOsWord>(ctx.nodes[diskOsNode].diskOs);
  return SendDiskOs(ctx, count);
}

constexpr std::uint32_t kMaxOpenImages = 4;

// The images a driver node's driver can hold open.
static std::uint32_t openImageLimit(ShellContext& ctx, int diskOsNode) {
  return DiskImageDriverAt(ctx, ctx.nodes[diskOsNode].diskOs) ? kMaxDiskImages : kMaxOpenImages;
}

// Whether a device node belongs to the disk image driver, whose images can
// be listed anew (a CD image cannot).
static bool isDiskImage(ShellContext& ctx, int node) {
  int diskOs = findDiskOsNode(ctx, node);
  return diskOs != 0 && DiskImageDriverAt(ctx, ctx.nodes[diskOs].diskOs);
}

int commandTarget(const ShellContext& ctx) {
  const ShellState& s = ctx.shell;
  if (s.lastView == View::List)
    return s.menuListNode;
  return s.menuNode != 0 ? s.menuNode : ctx.nodes.selectedNode;
}

int selectionSummary(ShellContext& ctx) {
  ShellState& s = ctx.shell;
  int counts[kNodeClasses] = {};
  s.selectionCount = 0;
  for (int row = 0, rows = ctx.views.listCount(); row < rows; ++row) {
    if (!ctx.views.listIsSelected(row))
      continue;
    int node = ctx.views.listNode(row);
    if (s.selectionCount < kSelectionSize)
      s.selection[s.selectionCount++] = node;
    if (!ctx.nodes.valid(node))
      continue;
    NodeClass c = nodeClass(ctx.nodes[node].type);
    if (c != NoClass)
      ++counts[c];
  }
  int total = 0, classes = 0;
  for (int c : counts) {
    total += c;
    if (c != 0)
      ++classes;
  }
  s.selectedCount = total;
  if (classes > 1)
    return static_cast<int>(static_cast<std::uint32_t>(total) | 0x80000000u);
  return total;
}

MenuEnables menuEnablesFor(ShellContext& ctx, int node) {
  MenuEnables m;
  if (!ctx.nodes.valid(node))
    return m;
  const TreeNode& n = ctx.nodes[node];
  bool one = ctx.shell.selectedCount == 1;
  switch (n.type) {
    case DiskOsNode:
      if (one && n.canAddDevices == 1 && deviceCount(ctx, node) < openImageLimit(ctx, node))
        m.enable(CmdAdd);
      break;
    case Bank:
      m.enable(CmdBankProperties);
      if (one) {
        m.enable(CmdOpenBank);
        m.enable(CmdExportBank);
        if (!deviceIsReadOnly(ctx, node)) {
          m.enable(CmdDeleteBank);
          m.enable(CmdRenameBank);
          m.enable(CmdRenumberBank);
        }
      }
      break;
    case Sample:
      m.enable(CmdDeleteSample);
      m.enable(CmdSampleProperties);
      if (one)
        m.enable(CmdReceiveSample);
      break;
    case Sampler:
      if (one) {
        m.enable(CmdSamplerRefresh);
        if (n.ready)
          m.enable(CmdTransmitSample);
      }
      break;
    case FloppyDrive:
      if (one)
        m.enable(CmdImportWav);
      break;
    case FixedDisk:
    case RemovableDisk:
      if (one) {
        m.enable(CmdDiskRefresh);
        if (n.ready) {
          m.enable(CmdImportBank);
          m.enable(CmdImportEmptyBank);
          m.enable(CmdNewBankFromWav);
        }
      }
      break;
    case OpenedBank:
      m.enable(CmdExtractAllSamples);
      break;
    case Preset:
    case SampleInBank:
      // Rows: the list's selection was just taken.
      m.enable(CmdExtractAllSamples);
      for (int i = 0; i < ctx.shell.selectionCount; ++i) {
        int row = ctx.shell.selection[i];
        if (ctx.nodes.valid(row) && ctx.nodes[row].type == SampleInBank)
          m.enable(CmdExtractSamples);
      }
      break;
    case CdRomDrive:
      if (one)
        m.enable(CmdDiskRefresh);
      break;
    case ImageFile:
      if (one) {
        m.enable(CmdRemove);
        if (isDiskImage(ctx, node))
          m.enable(CmdDiskRefresh);
        if (n.ready) {
          m.enable(CmdImportBank);
          m.enable(CmdImportEmptyBank);
          m.enable(CmdNewBankFromWav);
        }
      }
      break;
  }
  return m;
}

void updateMenus(ShellContext& ctx, int node) {
  ctx.shell.menus = menuEnablesFor(ctx, node);
  if (ctx.shell.ui)
    ctx.shell.ui->applyMenus(ctx.shell.menus);
}

// Opens the node's sub-menu and runs the chosen command while the menu's
// node is still recorded.
static void showContextMenu(ShellContext& ctx, int node, SubMenu subMenu) {
  updateMenus(ctx, node);
  if (!ctx.shell.ui)
    return;
  int command = ctx.shell.ui->trackContextMenu(subMenu);
  if (command != 0)
    ctx.shell.ui->sendCommand(command);
}

bool treeSelectionChanging(ShellContext& ctx) {
  ctx.shell.lastView = View::Tree;
  return ctx.busy != 0;
}

void treeSelectionChanged(ShellContext& ctx, TreeItem item) {
  ShellState& s = ctx.shell;
  s.lastView = View::Tree;
  int n = nodeByTreeItem(ctx, item);
  if (n != 0)
    ctx.nodes.selectedNode = n;
  s.selectedCount = 1;
  s.selection[0] = ctx.nodes.selectedNode;
  if (n == 0)
    return;
  ctx.busy = 1;
  showNodeInList(ctx, n);
  ctx.busy = 0;
  updateMenus(ctx, n);
}

bool treeItemExpanding(ShellContext& ctx, TreeItem item, bool expanding) {
  ctx.shell.lastView = View::Tree;
  if (ctx.busy)
    return true;
  int n = nodeByTreeItem(ctx, item);
  if (expanding && n != 0 && !ctx.nodes[n].ready) {
    // Busy from now, not from when the worker gets going, so that nothing
    // else starts in between.
    ctx.busy = 1;
    ctx.host.startWorker([&ctx, n] { listDevice(ctx, n, true); });
  }
  return false;
}

bool treeBeginLabelEdit(ShellContext& ctx) {
  ctx.shell.lastView = View::Tree;
  // Every tree item belongs to a node, and nodes are never renamed in place.
  return true;
}

void treeRightClick(ShellContext& ctx) {
  int n = nodeByTreeItem(ctx, ctx.views.treeHotItem());
  treeContextMenu(ctx, n != 0 ? n : ctx.nodes.selectedNode);
}

void treeContextMenu(ShellContext& ctx, int n) {
  ShellState& s = ctx.shell;
  s.lastView = View::Tree;
  if (ctx.busy || !ctx.nodes.valid(n))
    return;
  s.menuNode = n;
  s.selectedCount = 1;
  s.selection[0] = n;
  SubMenu menu = subMenuFor(ctx.nodes[n].type);
  if (ctx.views.treeIsShown(ctx.nodes[n].treeItem) && menu != NoSubMenu) {
    showContextMenu(ctx, n, menu);
  }
  s.menuNode = 0;
  updateMenus(ctx, ctx.nodes.selectedNode);
}

bool listBeginLabelEdit(ShellContext&) {
  return true;
}

void listRightClick(ShellContext& ctx) {
  ShellState& s = ctx.shell;
  s.lastView = View::List;
  if (ctx.busy)
    return;
  if (selectionSummary(ctx) < 0)
    return;
  if (s.selectedCount == 0)
    return;
  int n = s.selection[0];
  if (!ctx.nodes.valid(n))
    return;
  s.menuListNode = n;
  SubMenu menu = subMenuFor(ctx.nodes[n].type);
  if (ctx.nodes[n].listItem >= 0 && menu != NoSubMenu)
    showContextMenu(ctx, n, menu);
  s.menuListNode = 0;
  updateMenus(ctx, ctx.nodes.selectedNode);
}

void listDoubleClick(ShellContext& ctx) {
  ShellState& s = ctx.shell;
  s.lastView = View::List;
  if (ctx.busy || selectionSummary(ctx) != 1)
    return;
  int n = s.selection[0];
  if (!ctx.nodes.valid(n) || ctx.nodes[n].type != Bank)
    return;
  s.menuListNode = n;
  runCommand(ctx, CmdOpenBank, 0);
  s.menuListNode = 0;
}

bool countWheelNotch(ShellState& shell, int delta) {
  shell.wheelCount += delta >= 0 ? 1 : -1;
  return shell.wheelCount >= 0;
}
