#include "app/win32/dialogs.h"

#include "app/win32/main_window.h"
#include "esifs/win32/bank_dialogs.h"

namespace {

void bankProperties(MainWindow& app, int) {
  // Properties describe every bank selected in the list, not just the first.
  const ShellState& shell = app.ctx.shell;
  showBankPropertiesDialog(app.ctx, app.window, shell.selection, shell.selectionCount);
}

void renameBank(MainWindow& app, int node) {
  showRenameBankDialog(app.ctx, app.window, node);
}

void renumberBank(MainWindow& app, int node) {
  showRenumberBankDialog(app.ctx, app.window, node);
}

}  // namespace

DialogRunner dialogFor(int dialog) {
  struct Entry {
    int id;
    DialogRunner run;
  };
  static const Entry entries[] = {
      {AddImageDialog, showAddImageDialog},
      {BankPropertiesDialog, bankProperties},
      {RenameBankDialog, renameBank},
      {RenumberBankDialog, renumberBank},
      {TransmitSampleDialog, showTransmitSampleDialog},
      {SamplePropertiesDialog, showSamplePropertiesDialog},
  };
  for (const Entry& e : entries) {
    if (e.id == dialog)
      return e.run;
  }
  return nullptr;
}
