#pragma once
// The accessibility record a widget answers from `accessibility`, built from a blank node by steps
// that take the node by value and give it back changed.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvo_ui {

// Roles of the toolkit's role list that the application uses.
namespace role {
inline constexpr std::uint8_t kGeneric = 2;
inline constexpr std::uint8_t kListItem = 20;
}  // namespace role

enum class TriState : std::uint8_t { Unset, False, True };

struct AccessibilityNode {
  std::optional<std::uint64_t> key;
  std::optional<std::string> id;
  std::optional<std::string> activation_address;
  std::optional<std::string> label;
  std::optional<std::string> description;
  std::optional<std::string> value;
  std::vector<std::string> actions;
  std::optional<double> numeric_value;
  std::optional<double> min_value;
  std::optional<double> max_value;
  std::uint8_t role = role::kGeneric;
  bool focused = false;
  bool focusable = false;
  bool selected = false;
  bool disabled = false;
  std::array<TriState, 3> tri_state{TriState::Unset, TriState::Unset, TriState::Unset};

  [[nodiscard]] AccessibilityNode with_label(std::string_view text) &&;
  [[nodiscard]] AccessibilityNode with_description(std::string_view text) &&;
  [[nodiscard]] AccessibilityNode with_value(std::string text) &&;
  [[nodiscard]] AccessibilityNode with_id(std::string_view text) &&;
  // Keyed identity: the key becomes the FNV-1a 64 hash of the text's bytes followed by 0xff, and the
  // text becomes both the id and the activation address.
  [[nodiscard]] AccessibilityNode with_activation_address(std::string text) &&;

  friend bool operator==(const AccessibilityNode&, const AccessibilityNode&) = default;
};

std::uint64_t keyed_identity_hash(std::string_view text);

// Actions that assistive technology (and the key-action path) can ask a widget to perform.
namespace a11y {
struct Activate {};
struct Focus {};
struct Increment {};
struct Decrement {};
struct SetValue {
  std::string value;
};
}  // namespace a11y
using AccessibilityAction = std::variant<a11y::Activate, a11y::Focus, a11y::Increment, a11y::Decrement, a11y::SetValue>;

}  // namespace orvo_ui
