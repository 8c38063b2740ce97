#pragma once
// Files on a POSIX file system: real files for benchmarks and tools that run
// the portable code on Linux. Handles are file descriptors plus one.
#include "platform/files.h"

class PosixFiles : public Files {
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
