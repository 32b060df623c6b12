#pragma once
// What every argument handler shares: argument reads that fall back to a fixed default. A missing
// argument, or one of another JSON type, reads as the default; a handler never fails.
#include <optional>
#include <string>
#include <string_view>

#include "orvo_actions/action_args.h"

namespace settings::actions::handler_support {

inline bool flag(const orvo_actions::ActionArgs& args, std::string_view key = "value") {
  return args.boolean(key).value_or(false);
}

inline double number(const orvo_actions::ActionArgs& args, std::string_view key = "value") {
  return args.number(key).value_or(0.0);
}

inline std::string text(const orvo_actions::ActionArgs& args, std::string_view key, std::string fallback = {}) {
  std::optional<std::string> value = args.text(key);
  return value ? std::move(*value) : std::move(fallback);
}

inline std::string choice(const orvo_actions::ActionArgs& args, std::string fallback = {}) {
  return text(args, "choice", std::move(fallback));
}

}  // namespace settings::actions::handler_support
