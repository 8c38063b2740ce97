#include "platform/win32/win32_host.h"

#include <memory>

void Win32Host::message(const std::string& text) {
  MessageBoxA(owner_, text.c_str(), title_.c_str(), MB_OK);
}

bool Win32Host::askOkCancel(const std::string& text) {
  return MessageBoxA(owner_, text.c_str(), title_.c_str(), MB_OKCANCEL) == IDOK;
}

bool Win32Host::askOkCancelSystemModal(const std::string& text) {
  return MessageBoxA(owner_, text.c_str(), title_.c_str(),
                     MB_OKCANCEL | MB_ICONQUESTION | MB_SYSTEMMODAL) == IDOK;
}

void Win32Host::errorSystemModal(const std::string& text) {
  MessageBoxA(owner_, text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}

void Win32Host::sleep(unsigned milliseconds) {
  Sleep(milliseconds);
}

std::uint32_t Win32Host::milliseconds() {
  return GetTickCount();
}

namespace {

DWORD WINAPI runWorker(void* argument) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(argument));
  (*work)();
  return 0;
}

}  // namespace

void Win32Host::startWorker(std::function<void()> work) {
  auto* owned = new std::function<void()>(std::move(work));
  // Windows 9x refuses CreateThread without somewhere to put the thread's id.
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, runWorker, owned, 0, &id);
  if (thread) {
    CloseHandle(thread);
    return;
  }
  // Without a thread the work still runs, here, so that it clears the busy
  // flag as it ends.
  runWorker(owned);
}

bool Win32Host::loadResource(const char* type, int id, std::vector<std::uint8_t>* bytes) {
  HRSRC found = FindResourceA(instance_, MAKEINTRESOURCEA(id), type);
  if (!found)
    return false;
  HGLOBAL loaded = LoadResource(instance_, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data)
    return false;
  const auto* first = static_cast<const std::uint8_t*>(data);
  bytes->assign(first, first + SizeofResource(instance_, found));
  return true;
}

std::string Win32Host::loadString(int id) {
  char text[256];
  int length = LoadStringA(instance_, static_cast<UINT>(id), text, sizeof text);
  return length > 0 ? std::string(text, static_cast<std::size_t>(length)) : std::string();
}
