#pragma once
#include <windows.h>

#include "platform/files.h"

// 64-bit file offsets through calls that every Win32 version has.
bool seekFile(HANDLE file, LONGLONG offset, DWORD from);
bool fileSize(HANDLE file, LONGLONG* size);

class Win32Files : public Files {
 public:
  FileHandle open(const std::string& path, FileOpen how) override;
  void close(FileHandle file) override;
  bool read(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* got) override;
  bool write(FileHandle file, const void* buffer, std::uint32_t count) override;
  bool seek(FileHandle file, std::uint64_t offset) override;
  bool seekEnd(FileHandle file) override;
  bool size(FileHandle file, std::uint64_t* bytes) override;
  bool remove(const std::string& path) override;
  std::string fullPath(const std::string& name) override;
  std::string tempFolder() override;
};
