// The simulated bus as an ASPI manager DLL, for the demo and the Wine tests:
// its units come from korrin-bus.txt beside the DLL, or from the file named
// by KORRIN_BUS. Lines that do not read go to the debugger output.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/win32_files.h"
#include "sim/bus_file.h"
#include "sim/scsi_bus.h"

namespace {

void debugLine(const std::string& text) {
  OutputDebugStringA(("WNASPI32 (simulated): " + text + "\n").c_str());
}

std::string busFilePath() {
  char path[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA("KORRIN_BUS", path, sizeof path);
  if (n > 0 && n < sizeof path)
    return path;
  HMODULE self = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&debugLine), &self);
  n = GetModuleFileNameA(self, path, sizeof path);
  if (n == 0 || n >= sizeof path)
    return "korrin-bus.txt";
  std::string dll(path, n);
  return dll.substr(0, dll.find_last_of("\\/") + 1) + "korrin-bus.txt";
}

std::string readBusText(Files& files, const std::string& path) {
  std::string text;
  FileHandle file = files.open(path, FileOpen::ReadExisting);
  if (file == kNoFile) {
    debugLine("no bus file " + path);
    return text;
  }
  char chunk[4096];
  std::uint32_t got = 0;
  // A bus file is a few lines; anything past a megabyte is not one.
  while (text.size() < (1u << 20) && files.read(file, chunk, sizeof chunk, &got) && got > 0)
    text.append(chunk, got);
  files.close(file);
  return text;
}

struct Manager {
  Win32Files files;
  SimScsiBus bus{files};

  Manager() {
    std::string path = busFilePath();
    std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    BusDescription description = ParseBusText(readBusText(files, path), folder);
    for (const std::string& why : description.skipped)
      debugLine(path + " " + why + " (skipped)");
    for (const SimUnitConfig& unit : description.units) {
      if (!bus.addUnit(unit))
        debugLine("unit " + std::to_string(unit.adapter) + "," + std::to_string(unit.target) +
                  " not added");
      else if (SimDiskUnit* disk = bus.disk(unit.adapter, unit.target);
               disk && !unit.source.empty() && !disk->hasMedium())
        debugLine("cannot open " + unit.source + ": the unit has no medium");
      else if (auto* sampler = dynamic_cast<SimSamplerUnit*>(bus.unit(unit.adapter, unit.target)))
        for (const std::string& why : sampler->skipped)
          debugLine(unit.source + ": " + why + " (left out)");
    }
  }
};

Manager& manager() {
  static Manager m;
  return m;
}

}  // namespace

extern "C" DWORD __cdecl GetASPI32SupportInfo() {
  return manager().bus.GetASPI32SupportInfo();
}

extern "C" DWORD __cdecl SendASPI32Command(void* srb) {
  return manager().bus.SendASPI32Command(static_cast<SrbExecScsiCmd*>(srb));
}
