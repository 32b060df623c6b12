#pragma once
// A read-only page whose facts are slow to read (files under /proc and /sys, base-system programs,
// the sound server): the facts are gathered once, on a named worker thread started by the page's
// first pass, and the page shows its view at once, with placeholders until the facts arrive and
// with the facts from the pass that takes them. Facts that change while the page is shown (who uses
// the camera now) are read again on the same kind of worker at a fixed interval, one reading at a
// time, and the view is rebuilt only when they changed. The page takes no operations and keeps no
// document.
//
// Interface thread only, apart from the workers, which own their readers and a sender.
#include <chrono>
#include <algorithm>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "orvo_log/log.h"
#include "orvo_runtime/channel.h"
#include "orvo_ui/wake.h"
#include "panes/pane_glue.h"
#include "panes/workers/worker_start.h"

namespace settings::panes {

// Starts `work` on a named thread that is never joined; an error text when none can be made.
using StartWorker = std::function<std::expected<void, std::string>(std::string name, std::function<void()> work)>;

inline StartWorker default_start_worker() {
  return [](std::string name, std::function<void()> work) {
    return workers::start_worker(std::move(name), std::move(work));
  };
}

template <typename Facts>
class GatheredPage final : public PaneGlue {
 public:
  struct Parts {
    std::string_view type_name;    // a literal: the page answers it for its whole life
    std::string_view short_name;   // likewise
    std::string_view thread_name;  // the worker's
    orvo_ui::PaneDescriptor descriptor;
    std::function<Facts()> gather;
    // The view of the facts, or of none yet.
    std::function<std::unique_ptr<orvo_ui::Widget>(const Facts* facts)> view;
    StartWorker start_worker = default_start_worker();
    // Reads again what may change while the page is shown: the new facts, or none when nothing
    // changed. No refresh without it.
    std::function<std::optional<Facts>(const Facts& shown)> refresh = nullptr;
    std::chrono::steady_clock::duration refresh_every = std::chrono::seconds(2);
  };

  explicit GatheredPage(Parts parts) : PaneGlue(parts.short_name, DirtyRule::OwnFlagFirst), parts_(std::move(parts)) {
    use_frame_document();
  }

  std::string_view type_name() const override { return parts_.type_name; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override { return parts_.descriptor; }

  std::optional<orvo_ui::Deadline> next_wake_deadline() const override {
    std::optional<orvo_ui::Deadline> deadline = PaneGlue::next_wake_deadline();
    // A running reading wakes the loop itself when it is done.
    if (!facts_ || !parts_.refresh || refreshing_) return deadline;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next_refresh_ - Clock::now());
    const auto due = orvo_ui::Deadline::after_millis(std::max<std::int64_t>(0, left.count()));
    return deadline ? std::min(*deadline, due) : due;
  }

  // The facts once they arrived; none before, and none when the worker could not run.
  const Facts* facts() const { return facts_ ? &*facts_ : nullptr; }
  // Whether the gathering has ended (with facts or without).
  bool gathered() const { return started_ && !receiver_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override { return parts_.view(facts()); }

  void sync_pane(orvo_doc::Document*, orvo_ui::SyncContext&) override {
    if (!started_) start();
    take_refresh();
    if (facts_ && parts_.refresh && !refreshing_ && Clock::now() >= next_refresh_) start_refresh();
    if (!receiver_) return;
    auto received = receiver_->try_recv();
    if (const auto* error = std::get_if<orvo_runtime::TryRecvError>(&received)) {
      if (*error == orvo_runtime::TryRecvError::Empty) return;
      // The worker ended without an answer: the placeholders stay.
      orvo_log::warn("page facts could not be gathered", {{"page", std::string(parts_.short_name)}});
      receiver_.reset();
      return;
    }
    facts_.emplace(std::move(std::get<Facts>(received)));
    receiver_.reset();
    next_refresh_ = Clock::now() + parts_.refresh_every;
    mark_structure_dirty();
  }

 private:
  using Clock = std::chrono::steady_clock;

  void start_refresh() {
    auto [sender, receiver] = orvo_runtime::make_channel<std::optional<Facts>>(1);
    auto started = parts_.start_worker(
        std::string(parts_.thread_name),
        [sender = std::move(sender), refresh = parts_.refresh, shown = *facts_]() mutable {
          (void)sender.send(refresh(shown));
          orvo_ui::WakeHandle().wake();
        });
    if (!started) {
      // Tried again at the next interval.
      next_refresh_ = Clock::now() + parts_.refresh_every;
      return;
    }
    refresh_receiver_.emplace(std::move(receiver));
    refreshing_ = true;
  }

  void take_refresh() {
    if (!refreshing_) return;
    auto received = refresh_receiver_->try_recv();
    if (const auto* error = std::get_if<orvo_runtime::TryRecvError>(&received);
        error && *error == orvo_runtime::TryRecvError::Empty) {
      return;
    }
    if (auto* fresh = std::get_if<std::optional<Facts>>(&received); fresh && fresh->has_value()) {
      facts_.emplace(std::move(**fresh));
      mark_structure_dirty();
    }
    refresh_receiver_.reset();
    refreshing_ = false;
    next_refresh_ = Clock::now() + parts_.refresh_every;
  }

  void start() {
    started_ = true;
    auto [sender, receiver] = orvo_runtime::make_channel<Facts>(1);
    auto started = parts_.start_worker(std::string(parts_.thread_name),
                                       [sender = std::move(sender), gather = parts_.gather]() mutable {
                                         (void)sender.send(gather());
                                         orvo_ui::WakeHandle().wake();
                                       });
    if (!started) {
      orvo_log::warn("page worker could not start",
                     {{"page", std::string(parts_.short_name)}, {"error", started.error()}});
      return;
    }
    receiver_.emplace(std::move(receiver));
  }

  Parts parts_;
  bool started_ = false;
  std::optional<orvo_runtime::Receiver<Facts>> receiver_;
  std::optional<Facts> facts_;
  std::optional<orvo_runtime::Receiver<std::optional<Facts>>> refresh_receiver_;
  bool refreshing_ = false;
  Clock::time_point next_refresh_{};
};

}  // namespace settings::panes
