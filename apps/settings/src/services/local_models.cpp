#include "services/local_models.h"

#include <fmt/format.h>
#include <orvo_runtime/overloaded.h>

namespace settings::panes::agent_models {
namespace {

using orvo_runtime::Overloaded;

bool is_ascii_alphanumeric(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool is_continuation_byte(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::expected<LocalModelSnapshot, std::string> decode_snapshot(std::string_view bytes) {
  auto snapshot = orvo_json::decode<LocalModelSnapshot>(bytes);
  if (!snapshot) return std::unexpected(snapshot.error().text());
  return std::move(*snapshot);
}

std::string_view phase_status_label(const LocalModelPhase& phase) {
  return std::visit(Overloaded{[](const phase::Downloading&) { return std::string_view("Downloading"); },
                               [](const phase::Installing&) { return std::string_view("Installing"); },
                               [](const phase::Ready& ready) { return std::string_view(ready.running ? "Running" : "Ready"); },
                               [](const phase::Error&) { return std::string_view("Needs attention"); }},
                    orvo_json::as_variant(phase));
}

std::optional<float> phase_progress(const LocalModelPhase& phase) {
  if (const auto* download = std::get_if<phase::Downloading>(&phase)) {
    if (download->total_bytes == 0) return std::nullopt;
    return static_cast<float>(download->downloaded_bytes) / static_cast<float>(download->total_bytes);
  }
  if (const auto* install = std::get_if<phase::Installing>(&phase); install && install->percent) {
    return static_cast<float>(*install->percent) / 100.0f;
  }
  return std::nullopt;
}

std::string_view id(LocalModelAction action) {
  switch (action) {
    case LocalModelAction::Start: return "start";
    case LocalModelAction::Stop: return "stop";
    case LocalModelAction::Remove: return "remove";
    case LocalModelAction::Retry: return "retry";
  }
  return "";
}

std::string_view label(LocalModelAction action) {
  switch (action) {
    case LocalModelAction::Start: return "Start";
    case LocalModelAction::Stop: return "Stop";
    case LocalModelAction::Remove: return "Remove\u2026";
    case LocalModelAction::Retry: return "Retry install";
  }
  return "";
}

std::vector<LocalModelAction> phase_actions(const LocalModelPhase& phase) {
  using A = LocalModelAction;
  return std::visit(Overloaded{[](const phase::Downloading&) { return std::vector<A>{}; },
                               [](const phase::Installing&) { return std::vector<A>{}; },
                               [](const phase::Ready& ready) {
                                 return std::vector<A>{ready.running ? A::Stop : A::Start, A::Remove};
                               },
                               [](const phase::Error&) { return std::vector<A>{A::Retry, A::Remove}; }},
                    orvo_json::as_variant(phase));
}

std::string local_model_control_id(std::string_view model_id, LocalModelAction action) {
  std::string sanitised;
  sanitised.reserve(model_id.size());
  for (const char ch : model_id) {
    const auto c = static_cast<unsigned char>(ch);
    // One "_" per character: a multi-byte character's continuation bytes add nothing.
    if (is_continuation_byte(c)) continue;
    sanitised.push_back(is_ascii_alphanumeric(c) ? ch : '_');
  }
  return fmt::format("agent_models.local.{}.{}", sanitised, id(action));
}

std::string format_gib(std::uint64_t bytes) {
  return fmt::format("{:.1f} GiB", static_cast<double>(bytes) / 1073741824.0);
}

}  // namespace settings::panes::agent_models
