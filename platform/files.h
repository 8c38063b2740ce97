#pragma once
// The file system as Korrin needs it. A handle fits in one request word, so a
// driver can receive an open file through a DiskOsRequest.
#include <cstdint>
#include <string>

using FileHandle = std::uintptr_t;
constexpr FileHandle kNoFile = 0;

enum class FileOpen {
  ReadExisting,       // read only, not shared, must exist
  ReadWriteExisting,  // read and write, not shared, must exist
  CreateAlways,       // read and write, not shared, replaces any file
};

class Files {
 public:
  virtual ~Files() = default;
  virtual FileHandle open(const std::string& path, FileOpen how) = 0;
  virtual void close(FileHandle file) = 0;
  // Reads up to count bytes at the current position; *got receives what was read.
  virtual bool read(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* got) = 0;
  virtual bool write(FileHandle file, const void* buffer, std::uint32_t count) = 0;
  virtual bool seek(FileHandle file, std::uint64_t offset) = 0;
  virtual bool seekEnd(FileHandle file) = 0;
  virtual bool size(FileHandle file, std::uint64_t* bytes) = 0;
  virtual bool remove(const std::string& path) = 0;
  // The full path of a name as the user chose it (relative to the working folder).
  virtual std::string fullPath(const std::string& name) = 0;
  // A folder where a normal user may write temporary files, ending in a separator.
  virtual std::string tempFolder() = 0;
};

// Whether a file of that name can be opened: asked before anything replaces one.
inline bool FileExists(Files& files, const std::string& path) {
  FileHandle file = files.open(path, FileOpen::ReadExisting);
  if (file == kNoFile)
    return false;
  files.close(file);
  return true;
}
