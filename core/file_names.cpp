#include "core/file_names.h"

std::string cleanFileName(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    switch (c) {
      case '\\':
      case '/':
      case ':':
      case '?':
      case '"':
      case '<':
      case '>':
      case '|':
      case '#':
        c = '_';
        break;
    }
  }
  return out;
}
