#include "platform/fake/test_host.h"

#include <cstdio>
#include <string>

bool TestHost::askOkCancel(const std::string& text) {
  questions.push_back(text);
  if (answers.empty())
    return true;
  bool answer = answers.front();
  answers.pop_front();
  return answer;
}

bool TestHost::askOkCancelSystemModal(const std::string& text) {
  systemModal.push_back(text);
  return askOkCancel(text);
}

void TestHost::errorSystemModal(const std::string& text) {
  systemModal.push_back(text);
  message(text);
}

void TestHost::sleep(unsigned milliseconds) {
  clock += milliseconds;
  if (onSleep)
    onSleep(milliseconds);
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

bool TestHost::loadResource(const char* type, int id, std::vector<std::uint8_t>* bytes) {
  std::string path = std::string(KORRIN_GENERATED_DIR) + "/" + type + std::to_string(id) + ".bin";
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  bytes->clear();
  std::uint8_t chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes->insert(bytes->end(), chunk, chunk + n);
  std::fclose(f);
  return true;
}

std::string TestHost::loadString(int id) {
  auto it = strings.find(id);
  return it == strings.end() ? std::string() : it->second;
}
