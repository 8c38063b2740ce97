// What the shell's commands ask of Windows: menus, file dialogs, dialogs.
#include "app/win32/dialogs.h"
#include "app/win32/file_dialogs.h"
#include "app/win32/main_window.h"
#include "esifs/win32/bank_dialogs.h"

namespace {

// The screen point just inside the selected item of the view last used.
POINT selectionPoint(MainWindow& app) {
  RECT r = {};
  HWND view = app.ctx.shell.lastView == View::List ? app.list : app.tree;
  if (view == app.list) {
    int row = ListView_GetNextItem(app.list, -1, LVNI_SELECTED);
    ListView_GetItemRect(app.list, row, &r, LVIR_LABEL);
  } else {
    TreeView_GetItemRect(app.tree, TreeView_GetSelection(app.tree), &r, TRUE);
  }
  POINT at = {r.left, r.top};
  ClientToScreen(view, &at);
  return at;
}

}  // namespace

void MainWindow::applyMenus(const MenuEnables& menus) {
  if (!contextMenus)
    return;
  for (int command : kMenuItems) {
    UINT state = menus.isEnabled(command) ? MF_ENABLED : MF_GRAYED;
    EnableMenuItem(contextMenus, command, MF_BYCOMMAND | state);
  }
}

int MainWindow::trackContextMenu(int subMenu) {
  HMENU popup = GetSubMenu(contextMenus, subMenu);
  if (!popup)
    return 0;
  POINT at;
  GetCursorPos(&at);
  if (ctx.shell.menuAtSelection)
    at = selectionPoint(*this);
  return TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                        at.x + 8, at.y + 8, 0, window, nullptr);
}

void MainWindow::sendCommand(int command) {
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

bool MainWindow::chooseFile(FileDialog which, const std::string& initialName, std::string* path) {
  const FileDialogKind* kind = &kExportBankFile;
  switch (which) {
    case FileDialog::ExportBank:
      kind = &kExportBankFile;
      break;
    case FileDialog::ReceiveSample:
      kind = &kReceiveSampleFile;
      break;
    case FileDialog::ImportBank:
      kind = &kImportBankFile;
      break;
    case FileDialog::WavToFloppy:
      kind = &kWavToFloppyFile;
      break;
    case FileDialog::AddDiskImage:
      kind = &kAddDiskImageFile;
      break;
    case FileDialog::FloppyImage:
      kind = &kFloppyImageFile;
      break;
    case FileDialog::OpenBankFile:
      kind = &kOpenBankFile;
      break;
    case FileDialog::ExtractSamples:
      kind = &kExtractSamplesFile;
      break;
    case FileDialog::NewBankWavFiles:
      kind = &kNewBankWavFiles;
      break;
    case FileDialog::NewBankFile:
      kind = &kNewBankFile;
      break;
  }
  return runFileDialog(window, *kind, initialName, path);
}

bool MainWindow::chooseFiles(FileDialog, std::vector<std::string>* paths) {
  // Only WAV files are ever chosen several at a time.
  return runMultiFileDialog(window, kNewBankWavFiles, paths);
}

bool MainWindow::askBankName(std::string* name) {
  return askNewBankName(window, name);
}

void MainWindow::runDialog(int dialog, int node) {
  if (DialogRunner run = dialogFor(dialog))
    run(*this, node);
}

void MainWindow::closeMainWindow() {
  DestroyWindow(window);
}

void MainWindow::setListViewMode(int mode) {
  SetListViewMode(*this, mode);
}
