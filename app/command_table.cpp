// The menu commands: what each one opens or starts for the node it acts on.
#include "app/bank_commands.h"
#include "app/commands.h"
#include "app/shell_context.h"
#include "core/file_names.h"
#include "media/disk_image_driver.h"
#include "media/floppy_driver.h"
#include "media/image_commands.h"

namespace {

// A file chosen in a dialog and opened as the operation needs it.
struct ChosenFile {
  std::string path;
  FileHandle file = kNoFile;
};

// Shows the dialog and opens the chosen file. False when the dialog was
// cancelled or the file would not open (then after the failure message).
bool chooseAndOpen(ShellContext& ctx, FileDialog kind, const std::string& initialName, FileOpen how,
                   const char* failure, ChosenFile* chosen) {
  ShellUi* ui = ctx.shell.ui;
  if (!ui || !ui->chooseFile(kind, initialName, &chosen->path))
    return false;
  chosen->file = ctx.files.open(chosen->path, how);
  if (chosen->file == kNoFile) {
    ctx.host.message(failure);
    return false;
  }
  ctx.openFile = chosen->file;
  return true;
}

const char kOpenFailed[] = "Unable to open Windows file";
const char kCreateFailed[] = "Unable to create Windows file";

// The first node of the selection, the one single-item commands act on.
int firstSelected(const ShellContext& ctx) {
  int first = ctx.shell.selection[0];
  return ctx.nodes.valid(first) ? first : 0;
}

// Sets the busy flag and runs work on a worker, which clears the flag when done.
void startBusyWorker(Context& ctx, std::function<void()> work) {
  ctx.busy = 1;
  ctx.host.startWorker(std::move(work));
}

// The file-based worker commands: a file dialog, the file opened as the
// operation needs it, then the operation on a worker with that file.
void startWithFile(ShellContext& ctx, FileDialog kind, const std::string& initialName, FileOpen how,
                   const std::function<void(Context&, const std::string&)>& work) {
  ChosenFile chosen;
  if (!chooseAndOpen(ctx, kind, initialName, how, kOpenFailed, &chosen))
    return;
  std::string path = chosen.path;
  startBusyWorker(ctx, [&ctx, work, path] { work(ctx, path); });
}

void addImage(ShellContext& ctx, int target) {
  ctx.busy = 1;
  ShellUi* ui = ctx.shell.ui;
  // Disk images are only ever added, never created: the sampler formats them.
  if (auto* driver = DiskImageDriverAt(ctx, ctx.nodes[target].diskOs)) {
    std::string path;
    if (ui && ui->chooseFile(FileDialog::AddDiskImage, "", &path))
      driver->AddImageFile(path);
  } else if (ui) {
    ui->runDialog(AddImageDialog, target);
  }
  ctx.busy = 0;
}

void receiveSample(ShellContext& ctx) {
  auto& hook = ctx.shell.hooks.receiveSample;
  int sample = firstSelected(ctx);
  ChosenFile chosen;
  if (!hook || sample == 0 ||
      !chooseAndOpen(ctx, FileDialog::ReceiveSample, cleanFileName(ctx.nodes[sample].name),
                     FileOpen::CreateAlways, kCreateFailed, &chosen)) {
    return;
  }
  ctx.busy = 1;
  bool received = hook(ctx, sample);
  ctx.files.close(chosen.file);
  ctx.openFile = kNoFile;
  // A half-received sample is no use to anyone.
  if (!received)
    ctx.files.remove(chosen.path);
  ctx.busy = 0;
}

// The WAV file, then the name of the image set; the file is closed again
// when the second dialog is cancelled.
void importWavToImages(ShellContext& ctx, int target) {
  auto hook = ctx.shell.hooks.wavToFloppyImages;
  ChosenFile wav;
  std::string images;
  if (!hook ||
      !chooseAndOpen(ctx, FileDialog::WavToFloppy, "", FileOpen::ReadExisting, kOpenFailed, &wav))
    return;
  if (!ctx.shell.ui->chooseFile(FileDialog::FloppyImage, "", &images)) {
    ctx.files.close(wav.file);
    ctx.openFile = kNoFile;
    return;
  }
  startBusyWorker(ctx, [&ctx, hook, target, images] { hook(ctx, target, images); });
}

void openDialog(ShellContext& ctx, int dialog, int target) {
  if (ctx.shell.ui)
    ctx.shell.ui->runDialog(dialog, target);
}

// The commands that act on the node a menu was opened for.
bool actsOnNode(int command) {
  static const int commands[] = {
      CmdSamplerRefresh,
      CmdDiskRefresh,
      CmdAdd,
      CmdRemove,
      CmdImportBank,
      CmdImportEmptyBank,
      CmdExportBank,
      CmdDeleteBank,
      CmdRenameBank,
      CmdRenumberBank,
      CmdBankProperties,
      CmdTransmitSample,
      CmdSampleProperties,
      CmdDeleteSample,
      CmdReceiveSample,
      CmdImportWav,
      CmdOpenBank,
      CmdExtractSamples,
      CmdExtractAllSamples,
      CmdNewBankFromWav,
  };
  for (int c : commands) {
    if (c == command)
      return true;
  }
  return false;
}

}  // namespace

bool runCommand(ShellContext& ctx, int command, std::intptr_t extra) {
  ShellUi* ui = ctx.shell.ui;
  switch (command) {
    case CmdExit:
      if (ui)
        ui->closeMainWindow();
      return true;
    case CmdAbout:
      // A splash already up keeps its text, so an About during start-up
      // changes nothing.
      if (!ctx.splash.shown()) {
        ctx.splash.setAlreadyRunning(extra != 0);
        ctx.splash.ShowSplash(true);
      }
      return true;
    case CmdViewIcons:
    case CmdViewSmallIcons:
    case CmdViewList:
    case CmdViewDetails: {
      static const int modes[] = {0, 2, 3, 1};
      if (ui)
        ui->setListViewMode(modes[command - CmdViewIcons]);
      return true;
    }
    case CmdOpenBankFile:
    case CmdNewBankFileFromWav:
      // The menu bar stays open while an operation runs.
      if (ctx.busy)
        return true;
      if (command == CmdOpenBankFile)
        OpenBankFileCommand(ctx);
      else
        NewBankFromWavCommand(ctx, 0);
      return true;
  }

  if (!actsOnNode(command))
    return false;
  // Menus cannot open while an operation runs; a command arriving anyway
  // must not start a second one.
  if (ctx.busy)
    return true;
  int target = commandTarget(ctx);
  if (!ctx.nodes.valid(target))
    return true;
  int first = firstSelected(ctx);
  const CommandHooks& hooks = ctx.shell.hooks;

  switch (command) {
    case CmdSamplerRefresh:
    case CmdDiskRefresh:
      startBusyWorker(ctx, [&ctx, target] { refreshDevice(ctx, target, true); });
      break;
    case CmdAdd:
      addImage(ctx, target);
      break;
    case CmdRemove:
      RemoveImageCommand(ctx, target);
      break;
    case CmdImportBank:
      if (auto hook = hooks.importBank) {
        startWithFile(
            ctx, FileDialog::ImportBank, "", FileOpen::ReadExisting,
            [hook, target](Context& c, const std::string& path) { hook(c, target, path); });
      }
      break;
    case CmdNewBankFromWav:
      NewBankFromWavCommand(ctx, target);
      break;
    case CmdOpenBank:
      OpenBankCommand(ctx, target);
      break;
    case CmdExtractSamples:
    case CmdExtractAllSamples:
      ExtractSamplesCommand(ctx, target, command == CmdExtractAllSamples);
      break;
    case CmdImportEmptyBank:
      if (hooks.importEmptyBank)
        hooks.importEmptyBank(ctx, target);
      break;
    case CmdExportBank:
      if (auto hook = hooks.exportBank; hook && first != 0) {
        startWithFile(ctx, FileDialog::ExportBank, cleanFileName(ctx.nodes[first].name),
                      FileOpen::CreateAlways,
                      [hook, first](Context& c, const std::string&) { hook(c, first); });
      }
      break;
    case CmdDeleteBank:
      // A key press must not cost a bank: Delete asks first, from the key
      // and the menu alike.
      if (auto hook = hooks.deleteBank;
          hook && ctx.nodes.valid(target) &&
          ctx.host.askOkCancel("Delete bank " + BankNumberText(ctx.nodes[target].number) + " " +
                               ctx.nodes[target].name + "?"))
        startBusyWorker(ctx, [&ctx, hook, target] { hook(ctx, target); });
      break;
    case CmdRenameBank:
      openDialog(ctx, RenameBankDialog, target);
      break;
    case CmdRenumberBank:
      openDialog(ctx, RenumberBankDialog, target);
      break;
    case CmdBankProperties:
      openDialog(ctx, BankPropertiesDialog, target);
      break;
    case CmdTransmitSample:
      openDialog(ctx, TransmitSampleDialog, target);
      break;
    case CmdSampleProperties:
      openDialog(ctx, SamplePropertiesDialog, target);
      break;
    case CmdDeleteSample:
      if (hooks.deleteSamples &&
          ctx.host.askOkCancel("Delete the selected samples from the sampler's memory?"))
        hooks.deleteSamples(ctx);
      break;
    case CmdReceiveSample:
      receiveSample(ctx);
      break;
    case CmdImportWav:
      if (IsFloppyImageFilesNode(ctx, target)) {
        importWavToImages(ctx, target);
      } else if (auto hook = hooks.wavToFloppy) {
        startWithFile(ctx, FileDialog::WavToFloppy, "", FileOpen::ReadExisting,
                      [hook, target](Context& c, const std::string&) { hook(c, target); });
      }
      break;
  }
  return true;
}
