#pragma once
// The registry as Korrin needs it: keys opened below HKEY_LOCAL_MACHINE and
// plain string and number values.
#include <cstdint>
#include <string>

using RegKey = std::uintptr_t;
constexpr RegKey kNoKey = 0;
constexpr RegKey kLocalMachine = 1;  // stands for HKEY_LOCAL_MACHINE

class Registry {
 public:
  virtual ~Registry() = default;
  // Creates the key if missing; kNoKey on failure.
  virtual RegKey createKey(RegKey parent, const std::string& path) = 0;
  // Opens an existing key for reading; kNoKey when it is missing.
  virtual RegKey openKey(RegKey parent, const std::string& path) = 0;
  virtual void closeKey(RegKey key) = 0;
  // Reads a REG_SZ value of at most maxBytes bytes (its zero included); name ""
  // is the key's default value.
  virtual bool readString(RegKey key, const std::string& name, std::size_t maxBytes,
                          std::string* value) = 0;
  virtual bool readNumber(RegKey key, const std::string& name, std::uint32_t* value) = 0;
  virtual bool writeString(RegKey key, const std::string& name, const std::string& value) = 0;
  virtual bool writeNumber(RegKey key, const std::string& name, std::uint32_t value) = 0;
  virtual bool deleteValue(RegKey key, const std::string& name) = 0;
};
