#pragma once
// The JSON names of the preference enumerations, for code that shows or compares them.
#include <optional>
#include <string_view>
#include <type_traits>

#include "orvo_json/codec.h"

namespace settings::preferences {

template <class E>
  requires(std::is_enum_v<E> && orvo_json::Described<E>)
constexpr std::string_view to_string(E value) {
  return describe_json(orvo_json::Tag<E>{}).name_of(value);
}

// The value named exactly `text` (case included), if any.
template <class E>
  requires(std::is_enum_v<E> && orvo_json::Described<E>)
constexpr std::optional<E> from_string(std::string_view text) {
  return describe_json(orvo_json::Tag<E>{}).from_name(text);
}

}  // namespace settings::preferences
