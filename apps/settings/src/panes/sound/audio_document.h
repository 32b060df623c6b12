#pragma once
// Reading and writing the sound pane's document keys (all at the document root). A write that
// would store the value already there records no change.
#include <optional>
#include <string>
#include <string_view>

#include "lib/settings_document.h"
#include "orvo_doc/document.h"

namespace settings::panes::sound {

inline void put_number(orvo_doc::Document& document, std::string_view key, double value) {
  (void)lib::put_if_changed(document, orvo_doc::kRoot, key, orvo_doc::ScalarValue::f64(value));
}
inline void put_flag(orvo_doc::Document& document, std::string_view key, bool value) {
  (void)lib::put_if_changed(document, orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(value));
}
inline void put_text(orvo_doc::Document& document, std::string_view key, std::string value) {
  (void)lib::put_if_changed(document, orvo_doc::kRoot, key, orvo_doc::ScalarValue::str(std::move(value)));
}

inline std::optional<double> read_number(const orvo_doc::Document& document, std::string_view key) {
  return lib::read_f64(document, orvo_doc::kRoot, key);
}
inline std::optional<bool> read_flag(const orvo_doc::Document& document, std::string_view key) {
  return lib::read_bool(document, orvo_doc::kRoot, key);
}
inline std::optional<std::string> read_text(const orvo_doc::Document& document, std::string_view key) {
  return lib::read_string(document, orvo_doc::kRoot, key);
}

// Two levels differ when they are more than 0.001 apart.
inline bool levels_differ(float a, float b) { return a - b > 0.001F || b - a > 0.001F; }

}  // namespace settings::panes::sound
