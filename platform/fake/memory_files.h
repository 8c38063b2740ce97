#pragma once
// Files kept in memory, with failures that tests can schedule: the Nth read
// or write from now fails.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"

class MemoryFiles : public Files {
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
  std::string tempFolder() override { return "C:\\Temp\\"; }

  // Test access to the stored bytes.
  std::vector<std::uint8_t>& data(const std::string& path) { return files_[path]; }
  bool exists(const std::string& path) const { return files_.count(path) != 0; }
  int openCount() const { return static_cast<int>(open_.size()); }
  void setReadOnly(const std::string& path) { readOnly_[path] = true; }

  // Failure injection: 0 = never; n = the nth call from now fails.
  int failReadAt = 0;
  int failWriteAt = 0;
  int reads = 0;
  int writes = 0;

 private:
  struct OpenFile {
    std::string path;
    std::uint64_t position = 0;
    bool writable = false;
  };
  OpenFile* find(FileHandle file);

  std::map<std::string, std::vector<std::uint8_t>> files_;
  std::map<std::string, bool> readOnly_;
  std::map<FileHandle, OpenFile> open_;
  FileHandle next_ = 1;
};
