#pragma once
// Stored records that keep what they do not know: a newer version of the program may have written
// top-level keys this one has no field for, and a save must not drop them.
#include <string>
#include <string_view>
#include <vector>

#include "orvo_json/json.h"

namespace orvo_json {

// Appends to `object_text` (a compact object) the members of the object in `existing` whose keys
// are not in `known`, in their order. Text that is not a JSON object adds nothing.
void append_unknown_members(std::string& object_text, std::string_view existing,
                            const std::vector<std::string_view>& known);

// The compact text of a record, keeping the top-level members of the stored text `existing` that
// the record has no field for.
template <Described T>
std::string encode_keeping_unknown(const T& value, std::string_view existing) {
  std::string out = encode(value);
  std::vector<std::string_view> known;
  Codec<T>::kDescription.fields.each([&](auto, const auto& f) { known.push_back(f.name); });
  append_unknown_members(out, existing, known);
  return out;
}

}  // namespace orvo_json
