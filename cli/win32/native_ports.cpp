#include "cli/native_ports.h"

#include <io.h>

#include "platform/win32/win32_files.h"

Files& NativeFiles() {
  static Win32Files files;
  return files;
}

bool IsTerminal(std::FILE* stream) {
  return _isatty(_fileno(stream)) != 0;
}
