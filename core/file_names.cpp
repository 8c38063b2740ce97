#include "core/file_names.h"

#include <cctype>

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

std::string BaseName(const std::string& path) {
  return path.substr(FolderOf(path).size());
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string LowerExtension(const std::string& path) {
  std::string name = BaseName(path);
  std::string::size_type dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : LowerCase(name.substr(dot));
}
