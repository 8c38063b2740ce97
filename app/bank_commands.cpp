#include "app/bank_commands.h"

#include <algorithm>
#include <memory>

#include "app/shell_context.h"
#include "core/file_names.h"
#include "esifs/bank_builder.h"
#include "esifs/bank_bytes.h"
#include "esifs/bank_contents.h"
#include "esifs/sample_extract.h"

namespace {

const char kReadFailed[] = "Error reading bank";

// Lists the contents under parent as the one opened bank, replacing any
// other, and selects it so that the list shows its rows.
void showOpenedBank(ShellContext& ctx, int parent, const std::string& name, int number,
                    const BankContents& contents) {
  NodeTable& t = ctx.nodes;
  // Indexes move as nodes go; tree items stay.
  TreeItem parentItem = t[parent].treeItem;
  for (int i = t.count - 1; i >= 1; --i) {
    if (t[i].type == OpenedBank)
      removeNode(ctx, i, false);
  }
  parent = nodeByTreeItem(ctx, parentItem);
  int opened = addNode(ctx, parent, OpenedBank, name.c_str());
  if (opened == 0)
    return;
  t[opened].number = number;
  for (const BankPreset& p : contents.presets) {
    int n = p.damaged ? 0 : addNode(ctx, opened, Preset, p.name.c_str());
    if (n != 0)
      t[n].number = p.number;
  }
  for (const BankSample& s : contents.samples) {
    int n = s.damaged ? 0 : addNode(ctx, opened, SampleInBank, s.name.c_str());
    if (n == 0)
      continue;
    t[n].sampleNumber = s.number;
    t[n].size = s.size;
    t[n].channels = s.channels;
    t[n].rate = s.rate;
    t[n].frames = s.frames;
    t[n].loops = s.loops ? 1 : 0;
  }
  ctx.views.treeExpand(parentItem, false);
  ctx.views.treeSelect(t[opened].treeItem);
  // The view has reported the selection already; a view that does not
  // report it still shows the rows.
  t.selectedNode = opened;
  showNodeInList(ctx, opened);
  updateMenus(ctx, opened);
  if (contents.damaged)
    ctx.host.message(kBankContentsDamaged);
}

// Reads what bytes hold; false after a message.
bool readContents(ShellContext& ctx, BankBytes& bytes, BankContents* contents) {
  ctx.busy = 1;
  bool read = ReadBankContents(bytes, contents);
  ctx.busy = 0;
  if (!read)
    ctx.host.message(kReadFailed);
  return read;
}

std::unique_ptr<BankBytes> openFile(ShellContext& ctx, const std::string& path) {
  auto bytes = OpenBankFile(ctx.files, path);
  if (!bytes)
    ctx.host.message("Unable to open Windows file");
  return bytes;
}

// The bytes of the opened bank: its device's bank of the same number, or its
// bank file. Null after a message.
std::unique_ptr<BankBytes> openSource(ShellContext& ctx, int opened) {
  NodeTable& t = ctx.nodes;
  int parent = t[opened].parent;
  if (!isDeviceType(t[parent].type))
    return openFile(ctx, ctx.shell.openedBankFile);
  for (int i = 1; i < t.count; ++i) {
    if (t[i].parent == parent && t[i].type == Bank && t[i].number == t[opened].number) {
      ctx.busy = 1;
      auto bytes = OpenBankOnDisk(ctx, i);
      ctx.busy = 0;
      return bytes;
    }
  }
  return nullptr;  // never: the bank goes only when its device is listed again
}

int openedBankOf(const ShellContext& ctx, int node) {
  if (!ctx.nodes.valid(node))
    return 0;
  if (ctx.nodes[node].type != OpenedBank)
    node = ctx.nodes[node].parent;
  return ctx.nodes.valid(node) && ctx.nodes[node].type == OpenedBank ? node : 0;
}

// Worker entry of the extraction; stops at the first failure or refusal.
void extractTo(ShellContext& ctx, BankBytes& bytes, const std::vector<BankSample>& samples,
               const std::string& folder) {
  for (const BankSample& s : samples) {
    std::string name = ExtractFileName(s), path = folder + name;
    if (FileExists(ctx.files, path) &&
        !ctx.host.askOkCancel(name + " already exists.\nDo you want to replace it?"))
      break;
    if (!ExtractSample(ctx, bytes, s, path))
      break;
  }
  ctx.busy = 0;
}

// The bank's name for the WAV files, then the plan; false when cancelled or
// after the message that refuses a file.
bool planFromWav(ShellContext& ctx, const std::vector<std::string>& paths, BankPlan* plan) {
  ShellUi* ui = ctx.shell.ui;
  if (!ui || paths.empty())
    return false;
  // Samples of one instrument are often kept in a folder of that name.
  std::string folder = FolderOf(paths[0]);
  std::string name = folder.empty() ? "" : BaseName(folder.substr(0, folder.size() - 1));
  name = name.substr(0, 16);
  if (!ui->askBankName(&name))
    return false;
  std::string why;
  if (!PlanBank(ctx.files, paths, name, plan, &why)) {
    ctx.host.message(why);
    return false;
  }
  return true;
}

}  // namespace

void OpenBankCommand(ShellContext& ctx, int bankNode) {
  if (!ctx.nodes.valid(bankNode) || ctx.nodes[bankNode].type != Bank)
    return;
  ctx.busy = 1;
  auto bytes = OpenBankOnDisk(ctx, bankNode);
  ctx.busy = 0;
  BankContents contents;
  if (!bytes || !readContents(ctx, *bytes, &contents))
    return;
  showOpenedBank(ctx, ctx.nodes[bankNode].parent, ctx.nodes[bankNode].name,
                 ctx.nodes[bankNode].number, contents);
}

void OpenBankFileCommand(ShellContext& ctx) {
  std::string path;
  if (!ctx.shell.ui || !ctx.shell.ui->chooseFile(FileDialog::OpenBankFile, "", &path))
    return;
  auto bytes = openFile(ctx, path);
  BankContents contents;
  if (!bytes || !readContents(ctx, *bytes, &contents))
    return;
  ctx.shell.openedBankFile = path;
  showOpenedBank(ctx, ctx.nodes.rootIndex, BaseName(path), 0, contents);
}

void ExtractSamplesCommand(ShellContext& ctx, int target, bool all) {
  int opened = openedBankOf(ctx, target);
  if (opened == 0 || !ctx.shell.ui)
    return;
  const NodeTable& t = ctx.nodes;
  auto isSample = [&](int n) {
    return t.valid(n) && t[n].type == SampleInBank && t[n].parent == opened;
  };
  std::vector<int> numbers;
  for (int i = 1; i < t.count && all; ++i) {
    if (isSample(i))
      numbers.push_back(t[i].sampleNumber);
  }
  for (int k = 0; k < ctx.shell.selectionCount && !all; ++k) {
    if (isSample(ctx.shell.selection[k]))
      numbers.push_back(t[ctx.shell.selection[k]].sampleNumber);
  }
  if (numbers.empty())
    return;
  std::sort(numbers.begin(), numbers.end());
  BankSample first;
  first.number = numbers[0];
  for (int i = 1; i < t.count; ++i) {
    if (isSample(i) && t[i].sampleNumber == numbers[0])
      first.name = t[i].name;
  }
  std::string path;
  if (!ctx.shell.ui->chooseFile(FileDialog::ExtractSamples, ExtractFileName(first), &path))
    return;
  std::shared_ptr<BankBytes> bytes = openSource(ctx, opened);
  BankContents contents;
  if (!bytes || !readContents(ctx, *bytes, &contents))
    return;
  std::vector<BankSample> samples;
  for (const BankSample& s : contents.samples) {
    if (!s.damaged && std::binary_search(numbers.begin(), numbers.end(), s.number))
      samples.push_back(s);
  }
  std::string folder = FolderOf(ctx.files.fullPath(path));
  ctx.busy = 1;
  ctx.host.startWorker([&ctx, bytes, samples, folder] { extractTo(ctx, *bytes, samples, folder); });
}

void NewBankFromWavCommand(ShellContext& ctx, int deviceNode) {
  std::vector<std::string> paths;
  if (ctx.shell.ui && ctx.shell.ui->chooseFiles(FileDialog::NewBankWavFiles, &paths))
    NewBankFromWavFiles(ctx, deviceNode, paths);
}

void NewBankFromWavFiles(ShellContext& ctx, int deviceNode, const std::vector<std::string>& paths) {
  auto plan = std::make_shared<BankPlan>();
  if (!planFromWav(ctx, paths, plan.get()))
    return;
  if (deviceNode != 0) {
    ctx.busy = 1;
    ctx.host.startWorker([&ctx, deviceNode, plan] { ImportNewBank(ctx, deviceNode, *plan); });
    return;
  }
  std::string name(plan->name, 16), path;
  name = cleanFileName(name.substr(0, name.find_last_not_of(' ') + 1));
  if (!ctx.shell.ui->chooseFile(FileDialog::NewBankFile, name, &path))
    return;
  // Writing starts by emptying the file: a WAV file it reads from would be lost.
  std::string full = LowerCase(ctx.files.fullPath(path));
  for (const WavSample& s : plan->samples) {
    if (LowerCase(ctx.files.fullPath(s.path)) == full) {
      ctx.host.message("A bank cannot replace one of its own WAV files");
      return;
    }
  }
  ctx.busy = 1;
  ctx.host.startWorker([&ctx, plan, path] {
    WriteBankFile(ctx, *plan, path);
    ctx.busy = 0;
  });
}
