#pragma once
// What the portable code asks of the running program: message boxes owned by
// the main window, sleeping, and worker threads. Tests script the answers and
// run a virtual clock.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Host {
 public:
  virtual ~Host() = default;
  // A message box with an OK button and the program title as caption.
  virtual void message(const std::string& text) = 0;
  // A question with OK and Cancel buttons; true for OK.
  virtual bool askOkCancel(const std::string& text) = 0;
  // The same two for what concerns a whole drive and must be answered before
  // anything else: system-modal, with the question or the error icon.
  virtual bool askOkCancelSystemModal(const std::string& text) = 0;
  virtual void errorSystemModal(const std::string& text) = 0;
  virtual void sleep(unsigned milliseconds) = 0;
  // A clock in milliseconds that wraps around; waits on devices bound
  // themselves by it, since a short sleep may last far longer than asked.
  virtual std::uint32_t milliseconds() = 0;
  // Runs work on a new thread that nothing waits for.
  virtual void startWorker(std::function<void()> work) = 0;
  // A custom resource of the program (templates), e.g. type "ISO", id 198.
  virtual bool loadResource(const char* type, int id, std::vector<std::uint8_t>* bytes) = 0;
  // An entry of the program's string table; empty when it has none.
  virtual std::string loadString(int id) = 0;
};
