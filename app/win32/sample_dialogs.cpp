// The Sampler menu's "Transmit sample" dialog and the Sample menu's "Sample
// properties" dialog.
#include "app/win32/dialogs.h"
#include "app/win32/file_dialogs.h"
#include "app/win32/main_window.h"
#include "resources/resource_ids.h"
#include "sampler/sample_choices.h"
#include "sampler/sample_transmit.h"

namespace {

struct TransmitDialog {
  MainWindow* app;
  int samplerNode;
};

const int kNoteLists[] = {IDC_ORIGINAL_KEY, IDC_KEY_FROM, IDC_KEY_TO};

int selectedEntry(HWND dialog, int list) {
  LRESULT entry = SendDlgItemMessageA(dialog, list, CB_GETCURSEL, 0, 0);
  return entry == CB_ERR ? 0 : static_cast<int>(entry);
}

void selectEntry(HWND dialog, int list, int entry) {
  SendDlgItemMessageA(dialog, list, CB_SETCURSEL, entry, 0);
}

void addEntry(HWND dialog, int list, const std::string& text) {
  SendDlgItemMessageA(dialog, list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void enableNoteLists(HWND dialog, bool enable) {
  for (int list : kNoteLists)
    EnableWindow(GetDlgItem(dialog, list), enable);
}

bool dontPlace(HWND dialog) {
  return IsDlgButtonChecked(dialog, IDC_DONT_PLACE) == BST_CHECKED;
}

void onTransmitInit(HWND dialog, const TransmitDialog& args) {
  const ShellContext& ctx = args.app->ctx;
  SetDlgItemTextA(dialog, IDC_TRANSMIT_SAMPLER, ctx.nodes[args.samplerNode].name);
  for (const std::string& text : SampleNumberTexts(ctx, args.samplerNode))
    addEntry(dialog, IDC_TRANSMIT_NUMBER, text);
  selectEntry(dialog, IDC_TRANSMIT_NUMBER, FirstFreeEntry(ctx, args.samplerNode));
  for (int list : kNoteLists) {
    for (int entry = 0; entry < kNoteEntries; ++entry)
      addEntry(dialog, list, NoteEntryText(entry));
  }
  const TransmitSettings& s = ctx.transmitSettings;
  selectEntry(dialog, IDC_ORIGINAL_KEY, s.originalKey);
  selectEntry(dialog, IDC_KEY_FROM, s.from);
  selectEntry(dialog, IDC_KEY_TO, s.to);
  if (!s.place) {
    CheckDlgButton(dialog, IDC_DONT_PLACE, BST_CHECKED);
    enableNoteLists(dialog, false);
  }
}

// "Import...": the file is chosen and opened while the dialog stays; the
// transmission runs once the dialog has been told to close.
void onImport(HWND dialog, const TransmitDialog& args) {
  MainWindow& app = *args.app;
  ShellContext& ctx = app.ctx;
  std::string path;
  if (!runFileDialog(dialog, kWavToFloppyFile, "", &path))
    return;
  FileHandle file = ctx.files.open(path, FileOpen::ReadExisting);
  if (file == kNoFile) {
    ctx.host.message("Unable to open Windows file");
    return;
  }
  ctx.openFile = file;
  ctx.busy = 1;
  TransmitSettings& s = ctx.transmitSettings;
  s.originalKey = selectedEntry(dialog, IDC_ORIGINAL_KEY);
  s.from = selectedEntry(dialog, IDC_KEY_FROM);
  s.to = selectedEntry(dialog, IDC_KEY_TO);
  s.place = dontPlace(dialog) ? 0 : 1;
  TransmitChoice choice = ChoiceFor(s, selectedEntry(dialog, IDC_TRANSMIT_NUMBER));
  EndDialog(dialog, IDC_TRANSMIT_IMPORT);
  UpdateWindow(app.window);
  RunTransmission(ctx, args.samplerNode, choice, path.substr(path.find_last_of("\\/:") + 1));
}

void onTransmitCommand(HWND dialog, const TransmitDialog& args, int control) {
  int from = selectedEntry(dialog, IDC_KEY_FROM), to = selectedEntry(dialog, IDC_KEY_TO);
  switch (control) {
    case IDC_DONT_PLACE:
      enableNoteLists(dialog, !dontPlace(dialog));
      break;
    case IDC_KEY_FROM:
    case IDC_KEY_TO:
      KeepKeyRange(control == IDC_KEY_FROM, &from, &to);
      selectEntry(dialog, IDC_KEY_FROM, from);
      selectEntry(dialog, IDC_KEY_TO, to);
      break;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      break;
    case IDC_TRANSMIT_IMPORT:
      onImport(dialog, args);
      break;
  }
}

INT_PTR CALLBACK transmitProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lp);
    onTransmitInit(dialog, *reinterpret_cast<TransmitDialog*>(lp));
    return TRUE;
  }
  if (message != WM_COMMAND)
    return FALSE;
  auto* args = reinterpret_cast<TransmitDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  onTransmitCommand(dialog, *args, LOWORD(wp));
  return TRUE;
}

INT_PTR CALLBACK propertiesProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    const SampleProperties& p = *reinterpret_cast<const SampleProperties*>(lp);
    SetDlgItemTextA(dialog, IDC_SAMPLE_NAME, p.name.c_str());
    SetDlgItemTextA(dialog, IDC_SAMPLE_NUMBER, p.number.c_str());
    SetDlgItemTextA(dialog, IDC_SAMPLE_SIZE, p.size.c_str());
    SetDlgItemTextA(dialog, IDC_SAMPLE_CHANNELS, p.channels.c_str());
    SetDlgItemTextA(dialog, IDC_SAMPLE_LENGTH, p.length.c_str());
    EnableWindow(GetDlgItem(dialog, IDC_SAMPLE_NAME), p.single);
    EnableWindow(GetDlgItem(dialog, IDC_SAMPLE_NUMBER), p.single);
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wp));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void showTransmitSampleDialog(MainWindow& app, int samplerNode) {
  if (!app.ctx.nodes.valid(samplerNode) || app.ctx.nodes[samplerNode].type != Sampler)
    return;
  TransmitDialog args{&app, samplerNode};
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_TRANSMIT_SAMPLE), app.window, transmitProc,
                  reinterpret_cast<LPARAM>(&args));
}

void showSamplePropertiesDialog(MainWindow& app, int) {
  // Properties describe every sample selected in the list.
  const ShellState& shell = app.ctx.shell;
  SampleProperties p = DescribeSamples(app.ctx, shell.selection, shell.selectionCount);
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_SAMPLE_PROPERTIES), app.window, propertiesProc,
                  reinterpret_cast<LPARAM>(&p));
}
