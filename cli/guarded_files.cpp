#include "cli/guarded_files.h"

FileHandle GuardedFiles::open(const std::string& path, FileOpen how) {
  bool guarded = guard_ && how == FileOpen::ReadWriteExisting;
  FileHandle file = files_.open(path, guarded ? FileOpen::ReadExisting : how);
  if (guarded && file != kNoFile)
    readOnly_.insert(file);
  return file;
}

void GuardedFiles::close(FileHandle file) {
  readOnly_.erase(file);
  files_.close(file);
}

bool GuardedFiles::write(FileHandle file, const void* buffer, std::uint32_t count) {
  if (readOnly_.count(file) != 0) {
    refused_ = true;
    return false;
  }
  return files_.write(file, buffer, count);
}
