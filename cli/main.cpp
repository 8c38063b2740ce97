// korrin: the disk and bank operations of Korrin from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/run.h"

#ifdef _WIN32
#include <io.h>

#include "platform/win32/win32_files.h"
using NativeFiles = Win32Files;
static bool isTerminal(std::FILE* f) {
  return _isatty(_fileno(f)) != 0;
}
#else
#include <unistd.h>

#include "platform/fake/posix_files.h"
using NativeFiles = PosixFiles;
static bool isTerminal(std::FILE* f) {
  return isatty(fileno(f)) != 0;
}
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  NativeFiles files;
  CliStreams io{stdout, stderr, isTerminal(stdout), isTerminal(stderr)};
  int status = RunKorrin(args, files, io);
  // A result that did not reach its file is no result.
  if (std::fflush(stdout) != 0 && status == 0)
    status = 1;
  return status;
}
