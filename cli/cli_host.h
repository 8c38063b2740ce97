#pragma once
// The host of the command-line program: messages go to standard error under
// the name of the file and bank a command is working on, questions are
// declined (nobody is there to answer them), workers run at once, and the
// templates come from inside the program.
#include <cstdio>
#include <string>

#include "platform/host.h"

class ProgressBar;

class CliHost : public Host {
 public:
  explicit CliHost(std::FILE* err) : err_(err) {}

  void message(const std::string& text) override;
  bool askOkCancel(const std::string& text) override;
  bool askOkCancelSystemModal(const std::string& text) override { return askOkCancel(text); }
  void errorSystemModal(const std::string& text) override { message(text); }
  // Pauses that let a display be read cost nothing here; the clock still
  // moves by them, so waits bounded by it end as they would.
  void sleep(unsigned milliseconds) override { slept_ += milliseconds; }
  std::uint32_t milliseconds() override;
  void startWorker(std::function<void()> work) override { work(); }
  bool loadResource(const char* type, int id, std::vector<std::uint8_t>* bytes) override;
  std::string loadString(int id) override;

  // What messages are about, e.g. "HD0.img: B03 PIANO"; empty for none.
  void setSubject(const std::string& subject) { subject_ = subject; }
  int messageCount() const { return messages_; }
  const std::string& lastMessage() const { return last_; }
  // The bar a message must first erase.
  void setBar(ProgressBar* bar) { bar_ = bar; }

 private:
  std::FILE* err_;
  std::string subject_;
  int messages_ = 0;
  std::string last_;
  ProgressBar* bar_ = nullptr;
  std::uint32_t slept_ = 0;
};
