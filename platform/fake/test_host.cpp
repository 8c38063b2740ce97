#include "platform/fake/test_host.h"

bool TestHost::askOkCancel(const std::string& text) {
  questions.push_back(text);
  if (answers.empty()) return true;
  bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void TestHost::sleep(unsigned milliseconds) {
  clock += milliseconds;
  if (onSleep) onSleep(milliseconds);
}

void TestHost::startWorker(std::function<void()> work) {
  ++workersStarted;
  if (runWorkersAtOnce) {
    work();
  } else {
    queued_.push_back(std::move(work));
  }
}

void TestHost::runWorkers() {
  while (!queued_.empty()) {
    auto work = std::move(queued_.front());
    queued_.pop_front();
    work();
  }
}
