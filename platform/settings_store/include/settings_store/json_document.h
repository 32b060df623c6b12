#pragma once
// The whole-file JSON text of the settings file and of the other JSON files beside it: parsing
// that keeps key order (a repeated key keeps its first place and its last value), and the pretty
// form the files are written in.
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace settings_store::json_document {

// Nesting deeper than this does not parse, as in the strict JSON layer.
inline constexpr int kMaxNesting = 128;

// The parsed text, or none when it is not one JSON value (or is nested too deeply, or holds a NUL).
std::optional<nlohmann::ordered_json> parse(std::string_view text);

// Two spaces of indentation per level, one member or element per line, ": " after keys, {} and []
// when empty, no newline at the end. Floating-point numbers in the shortest form that reads back,
// always with a fraction or an exponent; strings with only '"', '\' and control characters escaped.
std::string pretty(const nlohmann::ordered_json& value);

}  // namespace settings_store::json_document
