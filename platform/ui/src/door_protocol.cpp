#include "door_protocol.h"

#include <nlohmann/json.hpp>

#include "orvo_actions/action_args.h"
#include "orvo_ui/action_door.h"

namespace orvo_ui::door {
namespace {

using Json = nlohmann::ordered_json;

// Arguments may nest as deep as the action library allows; the request object adds one level.
constexpr std::size_t kMaxNesting = orvo_actions::kMaxArgumentNesting + 1;

std::string compact(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }


std::string malformed(std::string_view why) { return "malformed request: " + std::string(why); }

// nlohmann's messages start with "[json.exception.parse_error.101] "; the rest reads well.
std::string parse_error_text(const std::exception& error) {
  std::string_view text = error.what();
  if (auto end = text.find("] "); text.starts_with("[json.exception") && end != std::string_view::npos) {
    text.remove_prefix(end + 2);
  }
  return std::string(text);
}

std::expected<std::string, std::string> text_field(const Json& request, const char* name) {
  auto it = request.find(name);
  if (it == request.end()) return std::unexpected(malformed(std::string("missing field `") + name + "`"));
  if (!it->is_string()) return std::unexpected(malformed(std::string("field `") + name + "` must be a text"));
  return it->get<std::string>();
}

std::expected<Request, std::string> invoke_request(const Json& request) {
  InvokeRequest invoke;
  auto resource = text_field(request, "resource");
  if (!resource) return std::unexpected(resource.error());
  auto action = text_field(request, "action");
  if (!action) return std::unexpected(action.error());
  invoke.address = {std::move(*resource), std::move(*action)};

  if (auto it = request.find("arguments"); it != request.end()) {
    if (!it->is_object()) return std::unexpected(malformed("field `arguments` must be a JSON object"));
    invoke.args_json = compact(*it);
  }
  invoke.timeout_ms = kDefaultTimeoutMillis;
  if (auto it = request.find("timeout_ms"); it != request.end()) {
    const bool whole = it->is_number_unsigned() || it->is_number_integer();
    const long long value = whole ? it->get<long long>() : 0;
    if (!whole || value < 1 || value > kMaxTimeoutMillis) {
      return std::unexpected(malformed("field `timeout_ms` must be a whole number from 1 to " +
                                       std::to_string(kMaxTimeoutMillis)));
    }
    invoke.timeout_ms = static_cast<long>(value);
  }
  return invoke;
}

std::string outcome_sentence(const OperationOutcome& outcome) {
  if (outcome.value) {
    Json value = Json::parse(*outcome.value, nullptr, false);
    if (value.is_string()) return value.get<std::string>();
  }
  std::string joined;
  for (const auto& item : outcome.items) {
    if (!joined.empty()) joined += "\n";
    joined += item;
  }
  return joined.empty() ? "Done." : joined;
}

Json outcome_json(const OperationOutcome& outcome) {
  Json out = Json::object();
  out["items"] = outcome.items;
  Json value = outcome.value ? Json::parse(*outcome.value, nullptr, false) : Json(nullptr);
  out["value"] = value.is_discarded() ? Json(*outcome.value) : value;
  return out;
}

Json operation_answer(bool ok, std::string_view start, std::string_view status, std::string message) {
  Json out = Json::object();
  out["ok"] = ok;
  out["start"] = start;
  out["status"] = status;
  out["message"] = std::move(message);
  return out;
}

}  // namespace

std::expected<Request, std::string> parse_request(std::string_view line) {
  // The parser would take a NUL byte for the end of the text and read only what comes before it.
  if (line.find('\0') != std::string_view::npos) return std::unexpected(malformed("a request holds no NUL byte"));
  if (orvo_actions::json_nested_deeper_than(line, kMaxNesting)) return std::unexpected(malformed("nested more than 128 levels deep"));
  Json request;
  try {
    request = Json::parse(line);
  } catch (const Json::exception& error) {
    return std::unexpected(malformed(parse_error_text(error)));
  }
  if (!request.is_object()) return std::unexpected(malformed("a request is a JSON object"));
  auto name = text_field(request, "request");
  if (!name) return std::unexpected(name.error());
  if (*name == "tree") return TreeRequest{};
  if (*name == "invoke") return invoke_request(request);
  return std::unexpected("unknown request " + compact(Json(*name)) + " (use \"tree\" or \"invoke\")");
}

std::string error_answer(std::string_view message) {
  Json out = Json::object();
  out["ok"] = false;
  out["error"] = message;
  return compact(out);
}

std::string tree_answer(std::string_view resources_json) {
  return R"({"ok":true,"resources":)" + std::string(resources_json) + "}";
}

std::string start_answer(const StartAnswer& answer) {
  if (const auto* rejected = std::get_if<start::Rejected>(&answer)) {
    return compact(operation_answer(false, "rejected", "rejected", rejected->message));
  }
  if (const auto* completed = std::get_if<start::Completed>(&answer)) {
    Json out = operation_answer(true, "completed", "completed", outcome_sentence(completed->outcome));
    out["outcome"] = outcome_json(completed->outcome);
    return compact(out);
  }
  if (std::holds_alternative<start::InFlight>(answer)) {
    // An in-flight start is answered with its completion; this only guards a misuse.
    return compact(operation_answer(false, "in-flight", "in-flight", "the operation is still running"));
  }
  return compact(
      operation_answer(false, "not-handled", "not-handled", "no part of the application carries out this operation"));
}

std::string completion_answer(const OperationCompletion& completion) {
  if (const auto* succeeded = std::get_if<completion::Succeeded>(&completion)) {
    return compact(operation_answer(true, "in-flight", "succeeded", succeeded->message));
  }
  if (const auto* failed = std::get_if<completion::Failed>(&completion)) {
    Json out = operation_answer(false, "in-flight", "failed", failed->message);
    out["code"] = failed->code;
    return compact(out);
  }
  return compact(
      operation_answer(false, "in-flight", "cancelled", std::get<completion::Cancelled>(completion).message));
}

std::string timed_out_answer(long timeout_ms, TimedOut how) {
  const std::string within = " within " + std::to_string(timeout_ms) + " ms";
  switch (how) {
    case TimedOut::Withdrawn:
      return compact(operation_answer(false, "queued", "timed-out",
                                      "the operation did not start" + within + " and was withdrawn; nothing changed"));
    case TimedOut::Cancelled:
      return compact(
          operation_answer(false, "in-flight", "timed-out", "the operation did not finish" + within + " and was cancelled"));
    case TimedOut::Unsettled:
      break;
  }
  return compact(operation_answer(false, "in-flight", "timed-out",
                                  "the operation did not finish" + within +
                                      "; it was asked to stop, but whether it did is not known yet"));
}

}  // namespace orvo_ui::door
