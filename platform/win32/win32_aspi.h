#pragma once
// The ASPI port on Windows: WNASPI32.dll loaded at run time by ordinal, so a
// PC without an ASPI manager still starts and simply finds no SCSI devices.
#include <windows.h>

#include "platform/aspi.h"

class Win32Aspi : public Aspi {
 public:
  Win32Aspi();
  ~Win32Aspi() override;
  Win32Aspi(const Win32Aspi&) = delete;
  Win32Aspi& operator=(const Win32Aspi&) = delete;

  // False when the DLL or one of its two functions is missing.
  bool loaded() const { return support_ && send_; }

  std::uint32_t GetASPI32SupportInfo() override;
  std::uint32_t SendASPI32Command(SrbExecScsiCmd* srb) override;

 private:
  using SupportFn = DWORD(__cdecl*)();
  using SendFn = DWORD(__cdecl*)(void*);

  HMODULE module_ = nullptr;
  SupportFn support_ = nullptr;
  SendFn send_ = nullptr;
};
