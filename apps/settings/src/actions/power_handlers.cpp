#include "actions/power_handlers.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

#include "actions/handler_support.h"
#include "actions/operation_encoding.h"

namespace settings::actions {
namespace {

// The whole text as an unsigned 32-bit decimal once the trailing "%" signs are gone: digits with at
// most a leading "+", no blanks, nothing after them.
std::optional<std::uint32_t> parse_percent(std::string_view text) {
  while (!text.empty() && text.back() == '%') text.remove_suffix(1);
  if (text.starts_with('+')) text.remove_prefix(1);
  std::uint32_t value = 0;
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || rest != end) return std::nullopt;
  return value;
}

}  // namespace

orvo_actions::ArgumentHandler power_auto_suspend_handler() {
  return [](const orvo_actions::ActionArgs& args) {
    return encode_operation(PowerOperation{PowerOperation::SetAutoSuspend{handler_support::flag(args)}});
  };
}

orvo_actions::ArgumentHandler power_button_choice_handler(std::string name) {
  return [name = std::move(name)](const orvo_actions::ActionArgs& args) {
    std::string action = handler_support::choice(args);
    if (name == "lid") return encode_operation(PowerOperation{PowerOperation::SetLidAction{std::move(action)}});
    if (name == "power-key") {
      return encode_operation(PowerOperation{PowerOperation::SetPowerKeyAction{std::move(action)}});
    }
    return encode_operation(PowerOperation{PowerOperation::SetCriticalAction{std::move(action)}});
  };
}

orvo_actions::ArgumentHandler power_timeout_choice_handler(std::string name) {
  return [name = std::move(name)](const orvo_actions::ActionArgs& args) {
    std::string label = handler_support::choice(args);
    if (name == "active") return encode_operation(PowerOperation{PowerOperation::SetProfile{std::move(label)}});
    if (name == "blank") return encode_operation(PowerOperation{PowerOperation::SetBlankTimeout{std::move(label)}});
    if (name == "lock") return encode_operation(PowerOperation{PowerOperation::SetLockTimeout{std::move(label)}});
    return encode_operation(PowerOperation{PowerOperation::SetSuspendTimeout{name, std::move(label)}});
  };
}

orvo_actions::ArgumentHandler charge_limit_handler(std::uint32_t default_percent) {
  return [default_percent](const orvo_actions::ActionArgs& args) {
    std::optional<std::uint32_t> percent;
    if (auto text = args.text("percent")) percent = parse_percent(*text);
    return encode_operation(PowerOperation{PowerOperation::SetChargeLimit{percent.value_or(default_percent)}});
  };
}

}  // namespace settings::actions
