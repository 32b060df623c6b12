#include "orvo_ui/accessibility.h"

namespace orvo_ui {

std::uint64_t keyed_identity_hash(std::string_view text) {
  constexpr std::uint64_t kOffsetBasis = 0xcbf29ce484222325ULL;
  constexpr std::uint64_t kPrime = 0x100000001b3ULL;
  std::uint64_t hash = kOffsetBasis;
  for (unsigned char byte : text) {
    hash ^= byte;
    hash *= kPrime;
  }
  hash ^= 0xffu;
  hash *= kPrime;
  return hash;
}

AccessibilityNode AccessibilityNode::with_label(std::string_view text) && {
  label = std::string(text);
  return std::move(*this);
}
AccessibilityNode AccessibilityNode::with_description(std::string_view text) && {
  description = std::string(text);
  return std::move(*this);
}
AccessibilityNode AccessibilityNode::with_value(std::string text) && {
  value = std::move(text);
  return std::move(*this);
}
AccessibilityNode AccessibilityNode::with_id(std::string_view text) && {
  id = std::string(text);
  return std::move(*this);
}
AccessibilityNode AccessibilityNode::with_activation_address(std::string text) && {
  key = keyed_identity_hash(text);
  id = text;
  activation_address = std::move(text);
  return std::move(*this);
}

}  // namespace orvo_ui
