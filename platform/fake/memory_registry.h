#pragma once
// A registry in memory: keys by full path, each with its named values.
#include <cstdint>
#include <map>
#include <string>

#include "platform/registry.h"

class MemoryRegistry : public Registry {
 public:
  struct Value {
    bool isNumber = false;
    std::uint32_t number = 0;
    std::string text;
  };
  using Values = std::map<std::string, Value>;

  RegKey createKey(RegKey parent, const std::string& path) override;
  RegKey openKey(RegKey parent, const std::string& path) override;
  void closeKey(RegKey key) override { open_.erase(key); }
  bool readString(RegKey key, const std::string& name, std::size_t maxBytes,
                  std::string* value) override;
  bool readNumber(RegKey key, const std::string& name, std::uint32_t* value) override;
  bool writeString(RegKey key, const std::string& name, const std::string& value) override;
  bool writeNumber(RegKey key, const std::string& name, std::uint32_t value) override;
  bool deleteValue(RegKey key, const std::string& name) override;

  // Test access: the values of a key by its full path below HKEY_LOCAL_MACHINE.
  Values& key(const std::string& path) { return keys_[path]; }
  bool hasKey(const std::string& path) const { return keys_.count(path) != 0; }
  int openCount() const { return static_cast<int>(open_.size()); }

 private:
  Values* values(RegKey key);
  // The full path of path below parent; false when parent is not open.
  bool fullPath(RegKey parent, const std::string& path, std::string* full) const;
  RegKey openPath(const std::string& full);

  std::map<std::string, Values> keys_;
  std::map<RegKey, std::string> open_;
  RegKey next_ = 100;
};
