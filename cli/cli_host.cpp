#include "cli/cli_host.h"

#include <chrono>

#include "cli/progress_bar.h"
#include "cli/templates.h"

void CliHost::message(const std::string& text) {
  ++messages_;
  last_ = text;
  if (bar_)
    bar_->clear();
  // Window messages span lines; one line each keeps them greppable.
  std::string line = text;
  for (char& c : line) {
    if (c == '\n' || c == '\r')
      c = ' ';
  }
  if (subject_.empty())
    std::fprintf(err_, "korrin: %s\n", line.c_str());
  else
    std::fprintf(err_, "korrin: %s: %s\n", subject_.c_str(), line.c_str());
}

bool CliHost::askOkCancel(const std::string& text) {
  message(text + " (cancelled)");
  return false;
}

std::uint32_t CliHost::milliseconds() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  return static_cast<std::uint32_t>(ms) + slept_;
}

bool CliHost::loadResource(const char* type, int id, std::vector<std::uint8_t>* bytes) {
  return LoadTemplate(type, id, bytes);
}

std::string CliHost::loadString(int id) {
  // The string table entries the image drivers read: the CD image list's key.
  switch (id) {
    case 300:
      return "ISO";
    case 301:
      return "Files";
  }
  return std::string();
}
