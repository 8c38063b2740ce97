#pragma once
// The start-up sequence that registers the drivers and lets them scan, and
// the opening of the program's settings key.
#include <string>
#include <vector>

#include "platform/registry.h"

struct Context;
class DiskOsDriver;

// Names from the program's string table.
struct RegistryNames {
  std::string software = "Software";
  std::string company = "Brightfen";
  std::string currentVersion = "CurrentVersion";
};

// Opens HKEY_LOCAL_MACHINE\Software\Brightfen\<title>\<version>, where
// <version> is the default value of the program key's subkey
// "CurrentVersion" (empty when missing). Failures are not reported: the
// result is then kNoKey.
RegKey openSettingsKey(Registry& registry, const RegistryNames& names, const std::string& title);

// Runs on the start-up worker with the busy flag set: registers the drivers
// in the order given, lets them scan, clears the busy flag, opens the root and
// closes the splash.
void startupSequence(Context& ctx, const std::vector<DiskOsDriver*>& drivers);
