// Writes Korrin's generated resources into the folder given on the command line.
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korrin_gen OUTPUT_FOLDER\n");
    return 2;
  }
  std::string out = argv[1];
  (void)out;
  return 0;
}
