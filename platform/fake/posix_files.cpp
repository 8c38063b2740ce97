#include "platform/fake/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

static int fdOf(FileHandle file) {
  return static_cast<int>(file) - 1;
}

FileHandle PosixFiles::open(const std::string& path, FileOpen how) {
  int flags = O_RDONLY;
  if (how == FileOpen::ReadWriteExisting)
    flags = O_RDWR;
  else if (how == FileOpen::CreateAlways)
    flags = O_RDWR | O_CREAT | O_TRUNC;
#ifdef O_BINARY
  flags |= O_BINARY;  // no text translation where the C library offers it
#endif
  int fd = ::open(path.c_str(), flags, 0644);
  return fd < 0 ? kNoFile : static_cast<FileHandle>(fd) + 1;
}

void PosixFiles::close(FileHandle file) {
  if (file != kNoFile)
    ::close(fdOf(file));
}

bool PosixFiles::read(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* got) {
  auto* at = static_cast<char*>(buffer);
  *got = 0;
  while (*got < count) {
    ssize_t n = ::read(fdOf(file), at + *got, count - *got);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return false;
    if (n == 0)
      break;  // end of file
    *got += static_cast<std::uint32_t>(n);
  }
  return true;
}

bool PosixFiles::write(FileHandle file, const void* buffer, std::uint32_t count) {
  const auto* at = static_cast<const char*>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fdOf(file), at + done, count - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::uint32_t>(n);
  }
  return true;
}

bool PosixFiles::seek(FileHandle file, std::uint64_t offset) {
  return lseek(fdOf(file), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool PosixFiles::seekEnd(FileHandle file) {
  return lseek(fdOf(file), 0, SEEK_END) >= 0;
}

bool PosixFiles::size(FileHandle file, std::uint64_t* bytes) {
  struct stat s;
  if (fstat(fdOf(file), &s) != 0)
    return false;
  *bytes = static_cast<std::uint64_t>(s.st_size);
  return true;
}

bool PosixFiles::remove(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

std::string PosixFiles::fullPath(const std::string& name) {
  if (!name.empty() && name[0] == '/')
    return name;
  char here[4096];
  return getcwd(here, sizeof here) ? std::string(here) + "/" + name : name;
}

std::string PosixFiles::tempFolder() {
  const char* dir = std::getenv("TMPDIR");
  std::string folder = dir && *dir ? dir : "/tmp";
  return folder.back() == '/' ? folder : folder + "/";
}
