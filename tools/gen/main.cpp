// Writes Korrin's generated resources into the folder given on the command line.
#include <cstdio>
#include <string>

#include "gen.h"

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korrin_gen OUTPUT_FOLDER\n");
    return 2;
  }
  std::string out = argv[1];
  if (!writePictures(out) || !writeTemplates(out)) {
    std::fprintf(stderr, "korrin_gen: cannot write into %s\n", out.c_str());
    return 1;
  }
  return 0;
}
