#pragma once
// Starting a pane's worker: a named thread that runs on its own and is never joined, so a pane (or
// the root) that goes away while the job runs never waits for it; the job's channel tells the job
// that nobody listens any more. A thread the system refuses to start is a failure text.
#include <expected>
#include <string>
#include <system_error>
#include <utility>

#include "orvo_runtime/named_thread.h"

namespace settings::panes::workers {

template <typename Work>
std::expected<void, std::string> start_worker(std::string name, Work&& work) {
  try {
    orvo_runtime::spawn_named(std::move(name), std::forward<Work>(work)).detach();
  } catch (const std::system_error& error) {
    return std::unexpected(std::string(error.what()));
  }
  return {};
}

}  // namespace settings::panes::workers
