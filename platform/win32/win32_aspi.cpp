#include "platform/win32/win32_aspi.h"

Win32Aspi::Win32Aspi() {
  module_ = LoadLibraryA("WNASPI32.DLL");
  if (!module_)
    return;
  support_ = reinterpret_cast<SupportFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(1))));
  send_ = reinterpret_cast<SendFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(2))));
}

Win32Aspi::~Win32Aspi() {
  if (module_)
    FreeLibrary(module_);
}

std::uint32_t Win32Aspi::GetASPI32SupportInfo() {
  // No manager reads as "no adapters", which the scans take as nothing to scan.
  if (!loaded())
    return static_cast<std::uint32_t>(SS_NO_ADAPTERS) << 8;
  return support_();
}

std::uint32_t Win32Aspi::SendASPI32Command(SrbExecScsiCmd* srb) {
  if (!loaded()) {
    srb->SRB_Status = SS_INVALID_HA;
    return SS_INVALID_HA;
  }
  return send_(srb);
}
