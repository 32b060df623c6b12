#include "offscreen_backend.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

namespace orvo_ui {

OffscreenBackend::OffscreenBackend(std::uint32_t width, std::uint32_t height)
    : frame_(std::make_unique<Frame>(static_cast<int>(width), static_cast<int>(height))) {
  wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  // The loop's thread is the only one that takes these signals; threads started later inherit the mask.
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  signal_fd_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

OffscreenBackend::~OffscreenBackend() {
  if (wake_fd_ >= 0) close(wake_fd_);
  if (signal_fd_ >= 0) close(signal_fd_);
}

BackendEvents OffscreenBackend::take_events() { return std::exchange(pending_, {}); }

void OffscreenBackend::present(const Scene& scene, TextRenderer& text, Color background, double scale) {
  render_into(scene, text, frame_->pixels(), frame_->width(), frame_->height(), frame_->stride(), scale, background);
}

void OffscreenBackend::resize(std::uint32_t width, std::uint32_t height) {
  frame_ = std::make_unique<Frame>(static_cast<int>(width), static_cast<int>(height));
}

void OffscreenBackend::signal() {
  std::uint64_t one = 1;
  [[maybe_unused]] auto n = write(wake_fd_, &one, sizeof one);
}

void OffscreenBackend::wait(std::optional<Deadline> deadline) {
  if (!pending_.events.empty() || pending_.quit) return;
  int timeout = -1;
  if (deadline) {
    Deadline now = Deadline::now();
    if (*deadline <= now) return;
    std::int64_t ms = (deadline->secs - now.secs) * 1000 +
                      (static_cast<std::int64_t>(deadline->nanos) - static_cast<std::int64_t>(now.nanos)) / 1'000'000;
    timeout = static_cast<int>(std::clamp<std::int64_t>(ms + 1, 0, 60'000));
  }
  pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {signal_fd_, POLLIN, 0}};
  int ready = poll(fds, 2, timeout);
  if (ready <= 0) return;
  if (fds[0].revents & POLLIN) {
    std::uint64_t count;
    [[maybe_unused]] auto n = read(wake_fd_, &count, sizeof count);
  }
  if (fds[1].revents & POLLIN) {
    signalfd_siginfo info;
    [[maybe_unused]] auto n = read(signal_fd_, &info, sizeof info);
    pending_.quit = true;
  }
}

}  // namespace orvo_ui
