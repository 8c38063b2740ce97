#pragma once
#include "platform/registry.h"

class Win32Registry : public Registry {
 public:
  RegKey createKey(RegKey parent, const std::string& path) override;
  RegKey openKey(RegKey parent, const std::string& path) override;
  void closeKey(RegKey key) override;
  bool readString(RegKey key, const std::string& name, std::size_t maxBytes,
                  std::string* value) override;
  bool readNumber(RegKey key, const std::string& name, std::uint32_t* value) override;
  bool writeString(RegKey key, const std::string& name, const std::string& value) override;
  bool writeNumber(RegKey key, const std::string& name, std::uint32_t value) override;
  bool deleteValue(RegKey key, const std::string& name) override;
};
