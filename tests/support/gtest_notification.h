#pragma once
// GoogleTest's Notification is built on std::mutex, which the win32 thread
// model of the Windows build does not have. Only GoogleTest's own thread
// tests wait on it, so a flag polled in a loop serves. Included ahead of
// every GoogleTest header of the Windows build.
#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { notified_ = true; }
  void WaitForNotification() {
    while (!notified_) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing
