#include "platform/tray.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "platform/tray_sni.h"
#include "platform/tray_xembed.h"

namespace kal {

namespace {
// Longer than any host needs to answer; a hung session bus must not hang the window.
constexpr auto kShowTimeout = std::chrono::seconds(5);
}  // namespace

std::string TrayShowLabel(const std::string& program) { return "Show " + program; }
std::string TrayExitLabel(const std::string& program) { return "E_xit " + program; }

std::vector<std::uint32_t> FitIcon(const std::vector<IconPixels>& images, int size) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(std::max(0, size)) * static_cast<std::size_t>(std::max(0, size)), 0);
  const IconPixels* best = nullptr;
  for (const IconPixels& image : images) {
    if (image.width <= 0 || image.height <= 0 ||
        image.argb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
      continue;
    }
    const int side = std::max(image.width, image.height);
    const int bestSide = best == nullptr ? 0 : std::max(best->width, best->height);
    // The smallest that is large enough; else the largest there is.
    const bool better = best == nullptr || (side >= size && (bestSide < size || side < bestSide)) ||
                        (side < size && bestSide < size && side > bestSide);
    if (better) best = &image;
  }
  if (best == nullptr || size <= 0) return out;
  // Nearest-pixel scaling keeps the artwork's hard edges; the aspect is kept, centred.
  const int side = std::max(best->width, best->height);
  const int w = std::max(1, best->width * size / side);
  const int h = std::max(1, best->height * size / side);
  const int left = (size - w) / 2;
  const int top = (size - h) / 2;
  for (int y = 0; y < h; ++y) {
    const int sy = y * best->height / h;
    for (int x = 0; x < w; ++x) {
      const int sx = x * best->width / w;
      out[static_cast<std::size_t>(top + y) * size + left + x] = best->argb[static_cast<std::size_t>(sy) * best->width + sx];
    }
  }
  return out;
}

struct TrayIcon::Worker {
  Worker(Post post, const std::string& tip, const std::string& program)
      : sni(post, tip, program), xembed(post, tip, program) {
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) wake[0] = wake[1] = -1;
    thread = std::thread([this] { Loop(); });
  }
  ~Worker() {
    Run([this] { stop = true; });
    thread.join();
    if (wake[0] >= 0) close(wake[0]);
    if (wake[1] >= 0) close(wake[1]);
  }

  void Run(std::function<void()> job) {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      jobs.push_back(std::move(job));
    }
    const char c = 1;
    if (wake[1] >= 0 && write(wake[1], &c, 1) < 0) {
      // The pipe is full, so the worker is awake already.
    }
  }

  void Loop() {
    while (!stop) {
      pollfd fds[3] = {{wake[0], POLLIN, 0}, {sni.fd(), POLLIN, 0}, {xembed.fd(), POLLIN, 0}};
      poll(fds, 3, wake[0] >= 0 ? -1 : 50);
      char buffer[64];
      while (wake[0] >= 0 && read(wake[0], buffer, sizeof buffer) > 0) {
      }
      std::deque<std::function<void()>> now;
      {
        const std::lock_guard<std::mutex> lock(mutex);
        now.swap(jobs);
      }
      for (auto& job : now) job();
      sni.Dispatch();
      xembed.Dispatch();
    }
    sni.Hide();
    xembed.Hide();
  }

  SniTray sni;
  XembedTray xembed;
  std::vector<IconPixels> images;
  std::mutex mutex;
  std::deque<std::function<void()>> jobs;
  int wake[2] = {-1, -1};
  bool stop = false;  // touched by the worker only
  std::thread thread;
};

TrayIcon::TrayIcon(Post post, std::string tip, std::string program)
    : worker_(std::make_unique<Worker>(std::move(post), tip, program)) {}

TrayIcon::~TrayIcon() = default;

void TrayIcon::SetImages(std::vector<IconPixels> images) {
  Worker* w = worker_.get();
  w->Run([w, images = std::move(images)]() mutable { w->images = std::move(images); });
}

TrayHost TrayIcon::Show() {
  Worker* w = worker_.get();
  auto answer = std::make_shared<std::promise<TrayHost>>();
  std::future<TrayHost> result = answer->get_future();
  w->Run([w, answer] {
    // The item on the session bus first: its host draws the menu the desktop's way.
    TrayHost host = TrayHost::None;
    if (w->sni.Show(w->images)) {
      host = TrayHost::StatusNotifier;
    } else if (w->xembed.Show(w->images)) {
      host = TrayHost::XEmbed;
    }
    answer->set_value(host);
  });
  if (result.wait_for(kShowTimeout) != std::future_status::ready) {
    Hide();
    return TrayHost::None;
  }
  return result.get();
}

void TrayIcon::Hide() {
  Worker* w = worker_.get();
  w->Run([w] {
    w->sni.Hide();
    w->xembed.Hide();
  });
}

void TrayIcon::ShowMenu() {
  Worker* w = worker_.get();
  w->Run([w] { w->xembed.ShowMenu(); });
}

}  // namespace kal
