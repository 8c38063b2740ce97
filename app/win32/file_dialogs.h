#pragma once
// The program's file dialogs: what each one shows and how it is run.
#include <windows.h>

#include <string>
#include <vector>

struct FileDialogKind {
  bool save;
  const char* filter;  // text and pattern pairs, each ending in a zero
  const char* defaultExtension;
  const char* title;  // null: the system's own
  // A save dialog asks before replacing the file chosen, unless the command
  // asks for itself.
  bool askReplace = true;
};

extern const FileDialogKind kExportBankFile;
extern const FileDialogKind kReceiveSampleFile;
extern const FileDialogKind kImportBankFile;
extern const FileDialogKind kWavToFloppyFile;
extern const FileDialogKind kAddImageFile;
extern const FileDialogKind kCreateImageFile;
extern const FileDialogKind kAddDiskImageFile;
extern const FileDialogKind kFloppyImageFile;
extern const FileDialogKind kOpenBankFile;
extern const FileDialogKind kExtractSamplesFile;
extern const FileDialogKind kNewBankWavFiles;
extern const FileDialogKind kNewBankFile;

// Runs the dialog starting with initialName; false when cancelled.
bool runFileDialog(HWND owner, const FileDialogKind& kind, const std::string& initialName,
                   std::string* path);

// An Open dialog that picks several files; false when cancelled.
bool runMultiFileDialog(HWND owner, const FileDialogKind& kind, std::vector<std::string>* paths);
