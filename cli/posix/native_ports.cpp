#include "cli/native_ports.h"

#include <unistd.h>

#include "platform/fake/posix_files.h"

Files& NativeFiles() {
  static PosixFiles files;
  return files;
}

bool IsTerminal(std::FILE* stream) {
  return isatty(fileno(stream)) != 0;
}
