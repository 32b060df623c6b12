#pragma once
// A read-only page whose facts are slow to read (files under /proc and /sys, base-system programs,
// the sound server): the facts are gathered once, on a named worker thread started by the page's
// first pass, and the page shows its view at once, with placeholders until the facts arrive and
// with the facts from the pass that takes them. The page takes no operations and keeps no document.
//
// Interface thread only, apart from the worker, which owns its gatherer and a sender.
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
  };

  explicit GatheredPage(Parts parts) : PaneGlue(parts.short_name, DirtyRule::OwnFlagFirst), parts_(std::move(parts)) {
    use_frame_document();
  }

  std::string_view type_name() const override { return parts_.type_name; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override { return parts_.descriptor; }

  // The facts once they arrived; none before, and none when the worker could not run.
  const Facts* facts() const { return facts_ ? &*facts_ : nullptr; }
  // Whether the gathering has ended (with facts or without).
  bool gathered() const { return started_ && !receiver_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override { return parts_.view(facts()); }

  void sync_pane(orvo_doc::Document*, orvo_ui::SyncContext&) override {
    if (!started_) start();
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
    mark_structure_dirty();
  }

 private:
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
};

}  // namespace settings::panes
