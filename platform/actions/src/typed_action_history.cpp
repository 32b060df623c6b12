#include "orvo_actions/typed_action_history.h"

#include <map>
#include <mutex>
#include <utility>

namespace orvo_actions {
namespace {

// Reports nobody takes stop accumulating here.
constexpr std::size_t kMaxReports = 256;

struct History {
  std::mutex mutex;
  std::map<const orvo_doc::Document*, Heads> pending;
  std::vector<TypedActionReport> reports;
};

History& history() {
  static History h;
  return h;
}

}  // namespace

void record_typed_action_before(const orvo_doc::Document& document, Heads heads) {
  auto& h = history();
  std::lock_guard lock(h.mutex);
  h.pending.insert_or_assign(&document, std::move(heads));
}

std::optional<Heads> typed_action_before(const orvo_doc::Document& document) {
  auto& h = history();
  std::lock_guard lock(h.mutex);
  auto it = h.pending.find(&document);
  if (it == h.pending.end()) return std::nullopt;
  return it->second;
}

void report_typed_action(const orvo_doc::Document& document, Heads before, Heads after) {
  auto& h = history();
  std::lock_guard lock(h.mutex);
  h.pending.erase(&document);
  if (h.reports.size() == kMaxReports) h.reports.erase(h.reports.begin());
  h.reports.push_back({&document, std::move(before), std::move(after)});
}

std::vector<TypedActionReport> take_typed_action_reports() {
  auto& h = history();
  std::lock_guard lock(h.mutex);
  return std::exchange(h.reports, {});
}

}  // namespace orvo_actions
