#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/run_steps.h"

namespace kal {

namespace {

// Forwards "show yourself" requests of later starts to the window, which may
// be waiting for input at the time.
class ShowRequestWatcher {
 public:
  ShowRequestWatcher(SingleInstance& instance, WindowBackend& window) {
    thread_ = std::thread([this, &instance, &window] {
      std::unique_lock<std::mutex> lock(mutex_);
      while (!stop_) {
        wake_.wait_for(lock, std::chrono::milliseconds(200));
        if (!stop_ && instance.PollShowRequest()) window.PostShowRequest();
      }
    });
  }
  ~ShowRequestWatcher() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  ShowRequestWatcher(const ShowRequestWatcher&) = delete;
  ShowRequestWatcher& operator=(const ShowRequestWatcher&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace

void RunMainLoop(Application& app, SingleInstance& instance, WindowBackend& window) {
  Program& p = app.program;
  const ShowRequestWatcher watcher(instance, window);
  while (p.input.quitRequested == 0) {
    const std::int32_t current = std::clamp(p.CurrentScreen, 1, 3);
    app.screens[static_cast<std::size_t>(current - 1)](app);
    p.CurrentScreen = p.NextScreen;
    // A screen that returned without choosing leaves the current one running.
    if (p.CurrentScreen < 1 || p.CurrentScreen > 3) p.CurrentScreen = current;
  }
}

}  // namespace kal
