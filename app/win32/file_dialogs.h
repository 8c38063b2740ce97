#pragma once
// The program's file dialogs: what each one shows and how it is run.
#include <windows.h>

#include <string>

struct FileDialogSpec {
  bool save;
  const char* filter;  // text and pattern pairs, each ending in a zero
  const char* defaultExtension;
  const char* title;  // null: the system's own
};

extern const FileDialogSpec kExportBankFile;
extern const FileDialogSpec kReceiveSampleFile;
extern const FileDialogSpec kImportBankFile;
extern const FileDialogSpec kWavToFloppyFile;
extern const FileDialogSpec kAddImageFile;
extern const FileDialogSpec kCreateImageFile;

// Runs the dialog starting with initialName; false when cancelled.
bool runFileDialog(HWND owner, const FileDialogSpec& spec, const std::string& initialName,
                   std::string* path);
