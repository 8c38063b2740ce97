#include "app/win32/file_dialogs.h"

#include <commdlg.h>

#include <cstdio>

#include "core/file_names.h"

namespace {
const char kBankFilter[] =
    "ESi bank files (*.e3x)\0*.e3x\0EOS bank files (*.eos)\0*.eos\0All files (*.*)\0*.*\0";
const char kSampleFilter[] = "Wave bank files (*.wav)\0*.wav\0All files (*.*)\0*.*\0";
const char kWavFilter[] = "Wave files (*.wav)\0*.wav\0All files (*.*)\0*.*\0";
const char kImageFilter[] = "ISO image files (*.iso)\0*.iso\0All files (*.*)\0*.*\0";
const char kDiskImageFilter[] =
    "Disk images (*.img;*.hda;*.hds;*.iso)\0*.img;*.hda;*.hds;*.iso\0All files (*.*)\0*.*\0";
const char kFloppyImageFilter[] = "Floppy image files (*.img)\0*.img\0All files (*.*)\0*.*\0";
}  // namespace

const FileDialogKind kExportBankFile = {true, kBankFilter, "e3x", "Export bank as"};
const FileDialogKind kReceiveSampleFile = {true, kSampleFilter, "wav", "Export sample as"};
const FileDialogKind kImportBankFile = {false, kBankFilter, "e3x", "Import bank"};
const FileDialogKind kWavToFloppyFile = {false, kWavFilter, "wav", nullptr};
const FileDialogKind kAddImageFile = {false, kImageFilter, "iso", "Add ISO image file"};
const FileDialogKind kCreateImageFile = {true, kImageFilter, "iso", "Create ISO image file"};
const FileDialogKind kAddDiskImageFile = {false, kDiskImageFilter, "img", "Add disk image file"};
const FileDialogKind kFloppyImageFile = {true, kFloppyImageFilter, "img", "Save floppy images as"};
const FileDialogKind kOpenBankFile = {false, kBankFilter, "e3x", "Open bank file"};
// Extraction asks about each file it would replace, not only the one chosen.
const FileDialogKind kExtractSamplesFile = {true, kWavFilter, "wav", "Extract samples to", false};
const FileDialogKind kNewBankWavFiles = {false, kWavFilter, "wav", "New bank from WAV files"};
const FileDialogKind kNewBankFile = {true, kBankFilter, "e3x", "Save new bank as"};

namespace {
// The dialog's fields for kind, choosing into buffer.
OPENFILENAMEA dialogFor(HWND owner, const FileDialogKind& kind, char* buffer, DWORD size) {
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kind.filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer;
  dialog.nMaxFile = size;
  dialog.lpstrTitle = kind.title;
  dialog.lpstrDefExt = kind.defaultExtension;
  dialog.Flags = OFN_HIDEREADONLY;
  return dialog;
}
}  // namespace

bool runFileDialog(HWND owner, const FileDialogKind& kind, const std::string& initialName,
                   std::string* path) {
  char file[MAX_PATH];
  std::snprintf(file, sizeof file, "%s", initialName.c_str());
  OPENFILENAMEA dialog = dialogFor(owner, kind, file, sizeof file);
  if (kind.askReplace)
    dialog.Flags |= OFN_OVERWRITEPROMPT;
  BOOL chosen = kind.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen)
    return false;
  *path = file;
  return true;
}

bool runMultiFileDialog(HWND owner, const FileDialogKind& kind, std::vector<std::string>* paths) {
  // Room for a full bank's 999 names.
  std::vector<char> files(65536);
  OPENFILENAMEA dialog = dialogFor(owner, kind, files.data(), static_cast<DWORD>(files.size()));
  dialog.Flags |= OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameA(&dialog))
    return false;
  *paths = SplitChosenFiles(files.data(), files.size());
  return !paths->empty();
}
