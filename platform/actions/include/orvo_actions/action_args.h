#pragma once
// The argument object of one invocation (a JSON object) with typed reads.
#include <cstddef>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace orvo_actions {

class ActionArgs {
 public:
  // The empty object.
  ActionArgs();
  // Takes a JSON value; anything other than an object stands for the empty object, so a read
  // never sees a stray value. Use `parse` where a non-object must be refused.
  explicit ActionArgs(nlohmann::ordered_json object);

  // Reads JSON text that must be one object.
  static std::expected<ActionArgs, std::string> parse(std::string_view json_text);

  // Each answers the value under the key only when it has that JSON type. A number read accepts
  // integers and floats; a boolean or text never counts as a number.
  std::optional<bool> boolean(std::string_view key) const;
  std::optional<double> number(std::string_view key) const;
  std::optional<std::string> text(std::string_view key) const;

  bool contains(std::string_view key) const;
  bool empty() const;
  const nlohmann::ordered_json& json() const;
  // Compact JSON text; a number that is not finite is written as null.
  std::string to_json_text() const;

  friend bool operator==(const ActionArgs& a, const ActionArgs& b);

 private:
  // Shared and never changed after construction, so copies are cheap.
  std::shared_ptr<const nlohmann::ordered_json> object_;
};

// Whether the JSON text opens more than `limit` arrays or objects inside one another. A scan of the
// text, without parsing it, so that deeper values can be refused before anything recurses on them.
bool json_nested_deeper_than(std::string_view text, std::size_t limit);

// How deep an argument object may nest.
inline constexpr std::size_t kMaxArgumentNesting = 128;

}  // namespace orvo_actions
