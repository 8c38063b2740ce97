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

std::vector<std::string> SplitChosenFiles(const char* buffer, std::size_t size) {
  std::vector<std::string> parts;
  for (std::size_t at = 0; at < size && buffer[at] != '\0';) {
    std::size_t end = at;
    while (end < size && buffer[end] != '\0')
      ++end;
    parts.emplace_back(buffer + at, end - at);
    at = end + 1;
  }
  if (parts.size() < 2)
    return parts;
  std::string folder = parts[0];
  if (folder.back() != '\\' && folder.back() != '/')
    folder += '\\';
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < parts.size(); ++i)
    paths.push_back(folder + parts[i]);
  return paths;
}

std::string FolderOf(const std::string& path) {
  std::string::size_type cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}
