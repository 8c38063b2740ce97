#pragma once
// The files of a command that must not write to the image: the drivers open
// images for reading and writing, so here such opens are turned into opens
// for reading, and a write to a file opened that way fails. Files the command
// creates (an exported bank) are written as usual.
#include <set>

#include "platform/files.h"

class GuardedFiles : public Files {
 public:
  GuardedFiles(Files& files, bool guard) : files_(files), guard_(guard) {}

  FileHandle open(const std::string& path, FileOpen how) override;
  void close(FileHandle file) override;
  bool read(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* got) override {
    return files_.read(file, buffer, count, got);
  }
  bool write(FileHandle file, const void* buffer, std::uint32_t count) override;
  bool seek(FileHandle file, std::uint64_t offset) override { return files_.seek(file, offset); }
  bool seekEnd(FileHandle file) override { return files_.seekEnd(file); }
  bool size(FileHandle file, std::uint64_t* bytes) override { return files_.size(file, bytes); }
  bool remove(const std::string& path) override { return files_.remove(path); }
  std::string fullPath(const std::string& name) override { return files_.fullPath(name); }
  std::string tempFolder() override { return files_.tempFolder(); }

  // Whether a write was refused: the command then tells the user.
  bool refusedWrite() const { return refused_; }

 private:
  Files& files_;
  bool guard_;
  bool refused_ = false;
  std::set<FileHandle> readOnly_;
};
