#include "platform/win32/win32_files.h"

#include <windows.h>

static HANDLE toHandle(FileHandle f) {
  return reinterpret_cast<HANDLE>(f);
}

// SetFilePointerEx and GetFileSizeEx came with Windows 2000; these high-word
// forms work on every version. Their low word alone cannot tell
// 0xFFFFFFFF from a failure, so the error code decides.
bool seekFile(HANDLE file, LONGLONG offset, DWORD from) {
  LONG high = static_cast<LONG>(offset >> 32);
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFF), &high, from);
  return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

bool fileSize(HANDLE file, LONGLONG* size) {
  DWORD high = 0;
  SetLastError(NO_ERROR);
  DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
    return false;
  *size = static_cast<LONGLONG>((static_cast<ULONGLONG>(high) << 32) | low);
  return true;
}

FileHandle Win32Files::open(const std::string& path, FileOpen how) {
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  if (how != FileOpen::ReadExisting)
    access |= GENERIC_WRITE;
  if (how == FileOpen::CreateAlways)
    disposition = CREATE_ALWAYS;
  HANDLE h =
      CreateFileA(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return kNoFile;
  return reinterpret_cast<FileHandle>(h);
}

void Win32Files::close(FileHandle file) {
  if (file != kNoFile)
    CloseHandle(toHandle(file));
}

bool Win32Files::read(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* got) {
  DWORD n = 0;
  BOOL ok = ReadFile(toHandle(file), buffer, count, &n, nullptr);
  *got = n;
  return ok != FALSE;
}

bool Win32Files::write(FileHandle file, const void* buffer, std::uint32_t count) {
  DWORD n = 0;
  return WriteFile(toHandle(file), buffer, count, &n, nullptr) && n == count;
}

bool Win32Files::seek(FileHandle file, std::uint64_t offset) {
  return seekFile(toHandle(file), static_cast<LONGLONG>(offset), FILE_BEGIN);
}

bool Win32Files::seekEnd(FileHandle file) {
  return seekFile(toHandle(file), 0, FILE_END);
}

bool Win32Files::size(FileHandle file, std::uint64_t* bytes) {
  LONGLONG s = 0;
  if (!fileSize(toHandle(file), &s))
    return false;
  *bytes = static_cast<std::uint64_t>(s);
  return true;
}

bool Win32Files::remove(const std::string& path) {
  return DeleteFileA(path.c_str()) != FALSE;
}

std::string Win32Files::fullPath(const std::string& name) {
  char buffer[MAX_PATH];
  DWORD n = GetFullPathNameA(name.c_str(), sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer)
    return name;
  return buffer;
}

std::string Win32Files::tempFolder() {
  char buffer[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer)
    return ".\\";
  return buffer;
}
