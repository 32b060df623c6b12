#pragma once
// Operations a pane takes from the shell and the outcomes it reports.
//
// The shell publishes a checked operation into a shared cell (the `PaneOperation` cell, or the
// `DeviceMeshOperation` cell) and then Running with the operation's key into the shared status.
// The pane whose operation it is takes it (a snapshot, then none is published; an operation that
// is not the pane's stays in the cell), carries it out, and reports Succeeded or Failed only while
// the status still holds Running with exactly that key: a later operation, or one the runner has
// already cancelled, is never written over.
//
// Every operation a pane takes ends. `PaneOperations` keeps the one in hand: at the end of a pass
// with nothing pending for it, it ends with the sentence its pane gives (`settle`), and a pane
// dropped with one in hand ends it Failed with `kInterruptedSentence`.
//
// Interface thread only; the cells carry their own locking.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "actions/account_operations.h"
#include "orvo_ui/published_cell.h"
#include "panes/operation_status.h"
#include "panes/pane_operation.h"

namespace settings::panes {

using StatusCell = orvo_ui::PublishedCell<settings_app::OperationStatus>;

inline constexpr std::string_view kInterruptedSentence = "The page was closed before this finished; its result is not known.";

// The operation key, as the runner forms it: the operation's kind, ":", its compact JSON.
std::string handed_operation_key(const settings_app::PaneOperation& operation);
std::string handed_operation_key(const actions::DeviceMeshOperation& operation);

// How an operation ended: a whole sentence either way.
struct PaneOutcome {
  bool succeeded = false;
  std::string message;

  static PaneOutcome success(std::string message) { return {true, std::move(message)}; }
  static PaneOutcome failure(std::string message) { return {false, std::move(message)}; }
};

// One operation taken from its cell, with the key it runs under.
template <typename Handed>
class TakenOperation {
 public:
  using Cell = orvo_ui::PublishedCell<std::optional<Handed>>;

  explicit TakenOperation(Handed operation) : operation_(std::move(operation)), key_(handed_operation_key(operation_)) {}

  // Takes the operation waiting in `cell` when `mine(operation)` says it is the pane's.
  template <typename Mine>
  static std::optional<TakenOperation> take(const Cell& cell, Mine&& mine) {
    std::optional<Handed> waiting = cell.snapshot();
    if (!waiting || !mine(*waiting)) return std::nullopt;
    (void)cell.publish(std::nullopt);
    return TakenOperation(std::move(*waiting));
  }

  const Handed& operation() const { return operation_; }
  const std::string& key() const { return key_; }
  bool finished() const { return finished_; }

  // Publishes the outcome while the status holds Running with exactly this key; answers whether it
  // did. An operation finishes once.
  bool finish(const StatusCell& status, PaneOutcome outcome) {
    if (finished_ || !status.snapshot().is_running(key_)) return false;
    settings_app::OperationStatus ended =
        outcome.succeeded ? settings_app::OperationStatus(settings_app::OperationStatus::Succeeded{key_, std::move(outcome.message)})
                          : settings_app::OperationStatus(settings_app::OperationStatus::Failed{key_, std::move(outcome.message)});
    finished_ = status.publish(std::move(ended)).has_value();
    return finished_;
  }

 private:
  Handed operation_;
  std::string key_;
  bool finished_ = false;
};

// What a pane keeps of the shell's cells and the operation in hand.
template <typename Handed>
class PaneOperations {
 public:
  using Cell = typename TakenOperation<Handed>::Cell;

  PaneOperations() = default;
  PaneOperations(PaneOperations&& other) noexcept
      : cell_(std::move(other.cell_)), status_(std::move(other.status_)), in_hand_(std::exchange(other.in_hand_, std::nullopt)) {}
  PaneOperations& operator=(PaneOperations&& other) noexcept {
    if (this != &other) {
      interrupt();
      cell_ = std::move(other.cell_);
      status_ = std::move(other.status_);
      in_hand_ = std::exchange(other.in_hand_, std::nullopt);
    }
    return *this;
  }
  PaneOperations(const PaneOperations&) = delete;
  PaneOperations& operator=(const PaneOperations&) = delete;
  ~PaneOperations() { interrupt(); }

  // The shell's cells replace the pane's own (`with_pane_operation`, `with_operation_status`).
  void attach_operation_cell(Cell cell) { cell_ = std::move(cell); }
  void attach_status_cell(StatusCell status) { status_ = std::move(status); }
  const Cell& operation_cell() const { return cell_; }
  const StatusCell& status_cell() const { return status_; }

  // Takes the waiting operation when it is the pane's; the operation stays in hand until it ends.
  // An operation still in hand is not replaced (the runner hands over one at a time).
  template <typename Mine>
  const Handed* take(Mine&& mine) {
    if (in_hand_) return nullptr;
    in_hand_ = TakenOperation<Handed>::take(cell_, std::forward<Mine>(mine));
    return in_hand_ ? &in_hand_->operation() : nullptr;
  }

  const TakenOperation<Handed>* in_hand() const { return in_hand_ ? &*in_hand_ : nullptr; }

  // Reports the outcome of the operation in hand (under its exact key) and lets it go.
  void finish(PaneOutcome outcome) {
    if (!in_hand_) return;
    in_hand_->finish(status_, std::move(outcome));
    in_hand_.reset();
  }

  // End of a pass: with nothing pending for it, the operation in hand ends with `settled` (the
  // "already so" sentence as a success, or the "cannot" sentence as a failure).
  void settle(bool pending, PaneOutcome settled) {
    if (in_hand_ && !pending) finish(std::move(settled));
  }

 private:
  void interrupt() {
    if (in_hand_) finish(PaneOutcome::failure(std::string(kInterruptedSentence)));
  }

  Cell cell_;
  StatusCell status_;
  std::optional<TakenOperation<Handed>> in_hand_;
};

}  // namespace settings::panes
