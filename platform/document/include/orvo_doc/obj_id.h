#pragma once
// The id of an object (map, list, text) inside a Document: a small value type that widgets and
// sync contexts hold alongside a Document pointer. The root map has the id `kRoot`.
#include <compare>
#include <cstdint>
#include <string>

namespace orvo_doc {

struct ObjId {
  // Counter of the operation that created the object; 0 is the root map, which no operation creates.
  std::uint64_t counter = 0;

  constexpr bool is_root() const { return counter == 0; }
  friend constexpr auto operator<=>(ObjId, ObjId) = default;
};

inline constexpr ObjId kRoot{};

// "Root" for the root map, "Id(<counter>)" for any other object.
std::string to_debug_string(ObjId id);

}  // namespace orvo_doc
