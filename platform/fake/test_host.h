#pragma once
// A host for tests: records messages, answers questions from a script, keeps
// a virtual clock, and runs workers at once on the calling thread.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/host.h"

class TestHost : public Host {
 public:
  void message(const std::string& text) override { messages.push_back(text); }
  bool askOkCancel(const std::string& text) override;
  bool askOkCancelSystemModal(const std::string& text) override;
  void errorSystemModal(const std::string& text) override;
  void sleep(unsigned milliseconds) override;
  std::uint32_t milliseconds() override { return static_cast<std::uint32_t>(clock); }
  void startWorker(std::function<void()> work) override;
  // Reads the generator's output file <type><id>.bin from the build.
  bool loadResource(const char* type, int id, std::vector<std::uint8_t>* bytes) override;
  std::string loadString(int id) override;

  // Runs the workers queued while runWorkersAtOnce was false.
  void runWorkers();

  std::vector<std::string> messages;
  // The string table entries the portable code reads.
  std::map<int, std::string> strings{{300, "ISO"}, {301, "Files"}};
  std::vector<std::string> questions;
  // The texts of the questions and messages above that were system-modal.
  std::vector<std::string> systemModal;
  std::deque<bool> answers;      // empty: answer OK
  unsigned long long clock = 0;  // virtual milliseconds slept
  bool runWorkersAtOnce = true;
  int workersStarted = 0;
  // Called on every sleep with the time asleep; tests use it to see what
  // the display showed during a wait.
  std::function<void(unsigned)> onSleep;

 private:
  std::deque<std::function<void()>> queued_;
};
