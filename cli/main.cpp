// korrin: the disk and bank operations of Korrin from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/native_ports.h"
#include "cli/run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  CliStreams io{stdout, stderr, IsTerminal(stdout), IsTerminal(stderr)};
  int status = RunKorrin(args, NativeFiles(), io);
  // A result that did not reach its file is no result.
  if (std::fflush(stdout) != 0 && status == 0)
    status = 1;
  return status;
}
