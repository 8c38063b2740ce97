#include "app/shell_input.h"


#include "app/bank_commands.h"
#include "app/shell_context.h"
#include "core/file_names.h"
#include "media/disk_image_driver.h"
#include "media/image_commands.h"
#include "sampler/sample_choices.h"
#include "sampler/sample_transmit.h"

namespace {

// Windows' virtual-key codes for the keys Korrin answers.
constexpr int kVkBack = 0x08, kVkReturn = 0x0D, kVkDelete = 0x2E, kVkF2 = 0x71, kVkF5 = 0x74;

struct KeyRule {
  ShellKey key;
  int type;  // of the node the key acts on
  int command;
};

// The list's keys act on its selection; F5 on the selected device.
constexpr KeyRule kKeyRules[] = {
    {ShellKey::Delete, Bank, CmdDeleteBank},
    {ShellKey::Delete, Sample, CmdDeleteSample},
    {ShellKey::Rename, Bank, CmdRenameBank},
    {ShellKey::Open, Bank, CmdOpenBank},
    {ShellKey::Open, Sample, CmdSampleProperties},
    {ShellKey::Refresh, Sampler, CmdSamplerRefresh},
    {ShellKey::Refresh, FixedDisk, CmdDiskRefresh},
    {ShellKey::Refresh, RemovableDisk, CmdDiskRefresh},
    {ShellKey::Refresh, CdRomDrive, CmdDiskRefresh},
    {ShellKey::Refresh, ImageFile, CmdDiskRefresh},
};

int commandFor(const ShellContext& ctx, ShellKey key, int node) {
  if (!ctx.nodes.valid(node))
    return 0;
  for (const KeyRule& r : kKeyRules) {
    if (r.key == key && r.type == ctx.nodes[node].type)
      return r.command;
  }
  return 0;
}

// The first of the list's selected rows when they are of one class.
int listSelection(ShellContext& ctx) {
  ctx.shell.lastView = View::List;
  return selectionSummary(ctx) > 0 ? ctx.shell.selection[0] : 0;
}

// Whether node's context menu offers command, as it would for node alone.
bool offers(ShellContext& ctx, int node, int command) {
  int count = ctx.shell.selectedCount;
  ctx.shell.selectedCount = 1;
  bool offered = menuEnablesFor(ctx, node).isEnabled(command);
  ctx.shell.selectedCount = count;
  return offered;
}

// Runs command on node as its menu item would, from the view's menu: not
// while busy, and not when the item would be greyed.
bool runAsMenu(ShellContext& ctx, View view, int node, int command) {
  ShellState& s = ctx.shell;
  if (ctx.busy || command == 0)
    return false;
  s.lastView = view;
  if (view == View::Tree) {
    s.selectedCount = 1;
    s.selection[0] = node;
  }
  if (!menuEnablesFor(ctx, node).isEnabled(command))
    return false;
  int& menuNode = view == View::List ? s.menuListNode : s.menuNode;
  menuNode = node;
  runCommand(ctx, command, 0);
  menuNode = 0;
  return true;
}

// From an opened bank back to what holds it, as a click on that item.
void goBack(ShellContext& ctx) {
  NodeTable& t = ctx.nodes;
  int opened = t.selectedNode;
  if (ctx.busy || !t.valid(opened) || t[opened].type != OpenedBank || !t.valid(t[opened].parent))
    return;
  TreeItem parent = t[t[opened].parent].treeItem;
  ctx.views.treeSelect(parent);
  // A view that does not report the change still shows the parent.
  if (t.selectedNode == opened)
    treeSelectionChanged(ctx, parent);
}

}  // namespace

ShellKey keyFor(int virtualKey, bool control) {
  if (control)
    return virtualKey == 'A' ? ShellKey::SelectAll : ShellKey::None;
  switch (virtualKey) {
    case kVkDelete:
      return ShellKey::Delete;
    case kVkF2:
      return ShellKey::Rename;
    case kVkReturn:
      return ShellKey::Open;
    case kVkF5:
      return ShellKey::Refresh;
    case kVkBack:
      return ShellKey::Back;
  }
  return ShellKey::None;
}

bool pressKey(ShellContext& ctx, View view, ShellKey key) {
  switch (key) {
    case ShellKey::None:
      return false;
    case ShellKey::SelectAll:
      return view == View::List;
    case ShellKey::Back:
      goBack(ctx);
      return true;
    case ShellKey::Refresh: {
      // A device row selected in the list, else the device the tree shows.
      int row = view == View::List ? listSelection(ctx) : 0;
      if (ctx.shell.selectedCount == 1 && commandFor(ctx, key, row) != 0)
        runAsMenu(ctx, View::List, row, commandFor(ctx, key, row));
      else
        runAsMenu(ctx, View::Tree, ctx.nodes.selectedNode,
                  commandFor(ctx, key, ctx.nodes.selectedNode));
      return true;
    }
    default:
      break;
  }
  if (view != View::List)
    return false;
  int n = listSelection(ctx);
  runAsMenu(ctx, View::List, n, commandFor(ctx, key, n));
  updateMenus(ctx, ctx.nodes.selectedNode);
  return true;
}

void contextMenuKey(ShellContext& ctx, View view) {
  ctx.shell.menuAtSelection = true;
  if (view == View::List)
    listRightClick(ctx);
  else
    treeContextMenu(ctx, ctx.nodes.selectedNode);
  ctx.shell.menuAtSelection = false;
}

namespace {

enum class Dropped { Banks, Wavs, Images, Other };

// What was dropped, when every file is of one kind.
Dropped kindOf(const std::vector<std::string>& paths) {
  Dropped kind = Dropped::Other;
  for (const std::string& p : paths) {
    std::string ext = LowerExtension(p);
    Dropped k = ext == ".e3x" || ext == ".eos"                                     ? Dropped::Banks
                : ext == ".wav"                                                    ? Dropped::Wavs
                : ext == ".iso" || ext == ".img" || ext == ".hda" || ext == ".hds" ? Dropped::Images
                                                                                   : Dropped::Other;
    if (&p != &paths[0] && k != kind)
      return Dropped::Other;
    kind = k;
  }
  return kind;
}

// "a.wav", "a.wav, b.wav" ... with the rest counted.
std::string namesOf(const std::vector<std::string>& paths) {
  constexpr std::size_t kNamed = 3;
  std::string names;
  for (std::size_t i = 0; i < paths.size() && i < kNamed; ++i)
    names += (i ? ", " : "") + paths[i].substr(FolderOf(paths[i]).size());
  if (paths.size() > kNamed)
    names += " and " + std::to_string(paths.size() - kNamed) + " more files";
  return names;
}

// Each bank file in turn onto the device, on one worker, through the same
// worker entry as Import Bank.
void importBanks(ShellContext& ctx, int device, const std::vector<std::string>& paths) {
  auto hook = ctx.shell.hooks.importBank;
  if (!hook)
    return;
  TreeItem item = ctx.nodes[device].treeItem;
  ctx.busy = 1;
  ctx.host.startWorker([&ctx, hook, item, paths] {
    for (const std::string& path : paths) {
      // The listing each import ends with clears the busy flag when done.
      while (&path != &paths[0] && ctx.busy)
        ctx.host.sleep(50);
      ctx.busy = 1;
      // Listing the device again may have moved its node.
      int node = nodeByTreeItem(ctx, item);
      FileHandle file = node != 0 ? ctx.files.open(path, FileOpen::ReadExisting) : kNoFile;
      if (file == kNoFile) {
        ctx.host.message("Unable to open Windows file");
        ctx.busy = 0;
        return;
      }
      ctx.openFile = file;
      hook(ctx, node, path);
    }
  });
}

// Each WAV file to the sampler's next free number with the Transmit dialog's
// last settings, on one worker; then the sampler is listed again. The numbers
// are taken before anything is sent, so that no sample is overwritten.
void transmitWavs(ShellContext& ctx, int sampler, const std::vector<std::string>& paths) {
  std::vector<int> free;
  std::vector<std::string> texts = SampleNumberTexts(ctx, sampler);
  // A used number's text carries its sample's name.
  for (int entry = 0; entry < static_cast<int>(texts.size()); ++entry) {
    if (texts[entry].size() <= 4 && free.size() < paths.size())
      free.push_back(entry);
  }
  if (free.size() < paths.size()) {
    ctx.host.message("The sampler has too few free sample numbers for " + namesOf(paths));
    return;
  }
  TransmitSettings settings = ctx.transmitSettings;
  ctx.busy = 1;
  ctx.host.startWorker([&ctx, sampler, paths, free, settings] {
    bool sent = false;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      ctx.openFile = ctx.files.open(paths[i], FileOpen::ReadExisting);
      if (ctx.openFile == kNoFile) {
        ctx.host.message("Unable to open Windows file");
        break;
      }
      bool ok = TransmitSample(ctx, sampler, ChoiceFor(settings, free[i]), namesOf({paths[i]}));
      ctx.files.close(ctx.openFile);
      ctx.openFile = kNoFile;
      sent = sent || ok;
      if (!ok)
        break;
    }
    // The listing clears the busy flag when done.
    if (sent)
      refreshDevice(ctx, sampler, true);
    else
      ctx.busy = 0;
  });
}

// Each image file in turn, while the driver node offers Add.
void addImages(ShellContext& ctx, int driverNode, const std::vector<std::string>& paths) {
  DiskImageDriver* disks = DiskImageDriverAt(ctx, ctx.nodes[driverNode].diskOs);
  for (const std::string& path : paths) {
    if (!offers(ctx, driverNode, CmdAdd))
      return;
    ctx.busy = 1;
    if (disks)
      disks->AddImageFile(path);
    else
      AddImageFile(ctx, path);
    ctx.busy = 0;
  }
}

}  // namespace

void dropFiles(ShellContext& ctx, int node, const std::vector<std::string>& paths) {
  if (paths.empty())
    return;
  if (ctx.busy) {
    ctx.host.message("Korrin is busy and cannot take " + namesOf(paths) + " now");
    return;
  }
  Dropped kind = kindOf(paths);
  int type = ctx.nodes.valid(node) ? ctx.nodes[node].type : 0;
  bool disk = (type == FixedDisk || type == RemovableDisk || type == ImageFile) &&
              offers(ctx, node, CmdImportBank) && !deviceIsReadOnly(ctx, node);
  // CD images are only ever .iso files.
  bool images = type == DiskOsNode && offers(ctx, node, CmdAdd);
  for (const std::string& p : paths)
    images =
        images && (DiskImageDriverAt(ctx, ctx.nodes[node].diskOs) || LowerExtension(p) == ".iso");
  if (disk && kind == Dropped::Banks)
    importBanks(ctx, node, paths);
  else if (disk && kind == Dropped::Wavs)
    NewBankFromWavFiles(ctx, node, paths);
  else if (type == Sampler && kind == Dropped::Wavs && offers(ctx, node, CmdTransmitSample))
    transmitWavs(ctx, node, paths);
  else if (images && kind == Dropped::Images)
    addImages(ctx, node, paths);
  else
    ctx.host.message("Korrin cannot take " + namesOf(paths) + " there");
}
