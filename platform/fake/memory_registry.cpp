#include "platform/fake/memory_registry.h"

bool MemoryRegistry::fullPath(RegKey parent, const std::string& path, std::string* full) const {
  if (parent == kLocalMachine) {
    *full = path;
    return true;
  }
  auto it = open_.find(parent);
  if (it == open_.end())
    return false;
  *full = it->second + "\\" + path;
  return true;
}

RegKey MemoryRegistry::openPath(const std::string& full) {
  RegKey k = next_++;
  open_[k] = full;
  return k;
}

RegKey MemoryRegistry::createKey(RegKey parent, const std::string& path) {
  std::string full;
  if (!fullPath(parent, path, &full))
    return kNoKey;
  keys_[full];
  return openPath(full);
}

RegKey MemoryRegistry::openKey(RegKey parent, const std::string& path) {
  std::string full;
  if (!fullPath(parent, path, &full) || keys_.count(full) == 0)
    return kNoKey;
  return openPath(full);
}

MemoryRegistry::Values* MemoryRegistry::values(RegKey key) {
  auto it = open_.find(key);
  return it == open_.end() ? nullptr : &keys_[it->second];
}

bool MemoryRegistry::readString(RegKey key, const std::string& name, std::size_t maxBytes,
                                std::string* value) {
  Values* v = values(key);
  if (!v || !v->count(name) || (*v)[name].isNumber)
    return false;
  const std::string& text = (*v)[name].text;
  if (text.size() + 1 > maxBytes)
    return false;
  *value = text;
  return true;
}

bool MemoryRegistry::readNumber(RegKey key, const std::string& name, std::uint32_t* value) {
  Values* v = values(key);
  if (!v || !v->count(name) || !(*v)[name].isNumber)
    return false;
  *value = (*v)[name].number;
  return true;
}

bool MemoryRegistry::writeString(RegKey key, const std::string& name, const std::string& value) {
  Values* v = values(key);
  if (!v)
    return false;
  (*v)[name] = Value{false, 0, value};
  return true;
}

bool MemoryRegistry::writeNumber(RegKey key, const std::string& name, std::uint32_t value) {
  Values* v = values(key);
  if (!v)
    return false;
  (*v)[name] = Value{true, value, ""};
  return true;
}

bool MemoryRegistry::deleteValue(RegKey key, const std::string& name) {
  Values* v = values(key);
  return v && v->erase(name) != 0;
}
