#pragma once
// The host port on Windows: message boxes owned by the main window, real
// sleeps, detached worker threads and the program's custom resources.
#include <windows.h>

#include "platform/host.h"

class Win32Host : public Host {
 public:
  Win32Host(HINSTANCE instance, std::string title)
      : instance_(instance), title_(std::move(title)) {}
  // Message boxes are owned by this window from now on.
  void setOwner(HWND owner) { owner_ = owner; }

  void message(const std::string& text) override;
  bool askOkCancel(const std::string& text) override;
  bool askOkCancelSystemModal(const std::string& text) override;
  void errorSystemModal(const std::string& text) override;
  void sleep(unsigned milliseconds) override;
  std::uint32_t milliseconds() override;
  void startWorker(std::function<void()> work) override;
  bool loadResource(const char* type, int id, std::vector<std::uint8_t>* bytes) override;
  std::string loadString(int id) override;

 private:
  HINSTANCE instance_;
  std::string title_;
  HWND owner_ = nullptr;
};
