#include "platform/fake/memory_files.h"

#include <algorithm>
#include <cstring>

FileHandle MemoryFiles::open(const std::string& path, FileOpen how) {
  for (auto& entry : open_) {
    if (entry.second.path == path)
      return kNoFile;  // never shared
  }
  bool writable = how != FileOpen::ReadExisting;
  if (how == FileOpen::CreateAlways) {
    if (readOnly_.count(path))
      return kNoFile;
    files_[path].clear();
  } else if (!files_.count(path) || (writable && readOnly_.count(path))) {
    return kNoFile;
  }
  FileHandle h = next_++;
  open_[h] = OpenFile{path, 0, writable};
  return h;
}

void MemoryFiles::close(FileHandle file) {
  open_.erase(file);
}

MemoryFiles::OpenFile* MemoryFiles::find(FileHandle file) {
  auto it = open_.find(file);
  return it == open_.end() ? nullptr : &it->second;
}

bool MemoryFiles::read(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* got) {
  *got = 0;
  OpenFile* f = find(file);
  if (!f)
    return false;
  ++reads;
  if (failReadAt > 0 && --failReadAt == 0)
    return false;
  const auto& bytes = files_[f->path];
  if (f->position < bytes.size()) {
    std::uint64_t n = std::min<std::uint64_t>(count, bytes.size() - f->position);
    if (n > 0)
      std::memcpy(buffer, bytes.data() + f->position, n);
    f->position += n;
    *got = static_cast<std::uint32_t>(n);
  }
  return true;
}

bool MemoryFiles::write(FileHandle file, const void* buffer, std::uint32_t count) {
  OpenFile* f = find(file);
  if (!f || !f->writable)
    return false;
  ++writes;
  if (failWriteAt > 0 && --failWriteAt == 0)
    return false;
  auto& bytes = files_[f->path];
  if (bytes.size() < f->position + count)
    bytes.resize(f->position + count);
  std::memcpy(bytes.data() + f->position, buffer, count);
  f->position += count;
  return true;
}

bool MemoryFiles::seek(FileHandle file, std::uint64_t offset) {
  OpenFile* f = find(file);
  if (!f)
    return false;
  f->position = offset;
  return true;
}

bool MemoryFiles::seekEnd(FileHandle file) {
  OpenFile* f = find(file);
  if (!f)
    return false;
  f->position = files_[f->path].size();
  return true;
}

bool MemoryFiles::size(FileHandle file, std::uint64_t* bytes) {
  OpenFile* f = find(file);
  if (!f)
    return false;
  *bytes = files_[f->path].size();
  return true;
}

bool MemoryFiles::remove(const std::string& path) {
  for (auto& entry : open_) {
    if (entry.second.path == path)
      return false;
  }
  return files_.erase(path) != 0;
}

std::string MemoryFiles::fullPath(const std::string& name) {
  if (name.size() > 1 && name[1] == ':')
    return name;
  return "C:\\Work\\" + name;
}
