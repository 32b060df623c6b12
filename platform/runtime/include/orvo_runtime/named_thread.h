#pragma once
// Worker threads with names that show in `top -H`, debuggers and crash reports. Linux keeps 15
// bytes of a thread name: longer names are cut (never inside a UTF-8 character), and a failure to
// set the name is logged and otherwise ignored, since the work matters more than the label.
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>

namespace orvo_runtime {

inline constexpr std::size_t kThreadNameLimit = 15;

// The name as the kernel will keep it.
std::string fit_thread_name(std::string_view name);

// Names the calling thread; false when the system refused (the thread runs on regardless).
bool set_current_thread_name(std::string_view name);

// Starts `work` on a new thread that names itself first. `work` may take a std::stop_token.
template <typename Work>
std::jthread spawn_named(std::string name, Work&& work) {
  return std::jthread([name = std::move(name), work = std::forward<Work>(work)](std::stop_token stop) mutable {
    set_current_thread_name(name);
    if constexpr (std::is_invocable_v<Work&, std::stop_token>) {
      work(std::move(stop));
    } else {
      work();
    }
  });
}

}  // namespace orvo_runtime
