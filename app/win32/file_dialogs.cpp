#include "app/win32/file_dialogs.h"

#include <commdlg.h>

#include <cstdio>

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

bool runFileDialog(HWND owner, const FileDialogKind& kind, const std::string& initialName,
                   std::string* path) {
  char file[MAX_PATH];
  std::snprintf(file, sizeof file, "%s", initialName.c_str());
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kind.filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.lpstrTitle = kind.title;
  dialog.lpstrDefExt = kind.defaultExtension;
  dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  BOOL chosen = kind.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen)
    return false;
  *path = file;
  return true;
}
