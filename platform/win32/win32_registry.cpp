#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <vector>

static HKEY toKey(RegKey key) {
  return key == kLocalMachine ? HKEY_LOCAL_MACHINE : reinterpret_cast<HKEY>(key);
}

RegKey Win32Registry::createKey(RegKey parent, const std::string& path) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(toKey(parent), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
    return kNoKey;
  }
  return reinterpret_cast<RegKey>(key);
}

RegKey Win32Registry::openKey(RegKey parent, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(toKey(parent), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return kNoKey;
  return reinterpret_cast<RegKey>(key);
}

void Win32Registry::closeKey(RegKey key) {
  if (key != kNoKey && key != kLocalMachine)
    RegCloseKey(toKey(key));
}

bool Win32Registry::readString(RegKey key, const std::string& name, std::size_t maxBytes,
                               std::string* value) {
  if (maxBytes == 0)
    return false;
  std::vector<char> buffer(maxBytes + 1, '\0');
  DWORD type = 0, bytes = static_cast<DWORD>(maxBytes);
  if (RegQueryValueExA(toKey(key), name.empty() ? nullptr : name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    return false;
  // A stored value need not end in a zero; never read past what was returned.
  buffer[bytes < maxBytes ? bytes : maxBytes] = '\0';
  *value = buffer.data();
  return true;
}

bool Win32Registry::readNumber(RegKey key, const std::string& name, std::uint32_t* value) {
  DWORD type = 0, data = 0, bytes = sizeof data;
  if (RegQueryValueExA(toKey(key), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data),
                       &bytes) != ERROR_SUCCESS ||
      type != REG_DWORD || bytes != sizeof data) {
    return false;
  }
  *value = data;
  return true;
}

bool Win32Registry::writeString(RegKey key, const std::string& name, const std::string& value) {
  return RegSetValueExA(toKey(key), name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool Win32Registry::writeNumber(RegKey key, const std::string& name, std::uint32_t value) {
  DWORD data = value;
  return RegSetValueExA(toKey(key), name.c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

bool Win32Registry::deleteValue(RegKey key, const std::string& name) {
  return RegDeleteValueA(toKey(key), name.c_str()) == ERROR_SUCCESS;
}
