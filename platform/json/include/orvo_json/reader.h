#pragma once
// Strict pull reader over JSON text. Codecs drive it token by token, so duplicate keys, the nesting
// limit and trailing characters are all seen (a DOM parser would have hidden the first two).
//
// Failures are raised as `DecodeFailure`, an exception private to the decode call: the public entry
// points (`orvo_json::decode`, `decode_value`) catch it and return an `Error` value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "orvo_json/error.h"

namespace orvo_json {

inline constexpr std::size_t kMaxDepth = 128;

struct DecodeFailure {
  Error error;
};

// A JSON number as read: a non-negative integer, a negative integer, or anything else as a double
// (fractions, exponents and integers beyond 64 bits).
struct Number {
  enum class Kind { Unsigned, Signed, Float } kind = Kind::Unsigned;
  std::uint64_t u = 0;
  std::int64_t i = 0;
  double f = 0;
};

class Reader {
 public:
  // Text mode reports positions; value mode (decoding an already parsed JSON value) does not, and
  // reports an overlong array as a length error as a value would.
  enum class Mode { Text, Value };

  explicit Reader(std::string_view text, Mode mode = Mode::Text) : text_(text), mode_(mode) {}

  // Skips whitespace and returns the next byte without consuming it; -1 at the end of input.
  int peek();

  // Objects: `begin_object` consumes '{' (the caller has peeked it); `next_key` is called with a
  // flag that starts true and returns false once it consumed the closing '}'.
  void begin_object();
  bool next_key(bool& first, std::string& scratch, std::string_view& key);
  void begin_array();
  bool next_element(bool& first);
  // After the last wanted element: ']' must follow. An extra element is refused.
  void end_array(std::size_t read);

  void read_null();
  bool read_bool();
  Number read_number();
  // Returns a view into the input, or into `scratch` when the string had escapes.
  std::string_view read_string(std::string& scratch);
  void skip_value();
  // Skips one value and returns its text exactly as it stands in the input.
  std::string_view read_raw_value();

  // Only whitespace may follow the value.
  void finish();

  // Position bookmarks, for readers that look ahead (internally tagged enumerations).
  struct Mark {
    std::size_t pos;
    std::size_t depth;
  };
  Mark mark() const { return {pos_, depth_}; }
  void rewind(Mark m) {
    pos_ = m.pos;
    depth_ = m.depth;
  }

  // Errors. `fail` positions the message after what was consumed; `fail_here` at the next byte.
  [[noreturn]] void fail(std::string reason) const;
  [[noreturn]] void fail_here(std::string reason) const;
  // "invalid type: <what is next>, expected <expected>"; consumes nothing that matters.
  [[noreturn]] void invalid_type(std::string_view expected);
  [[noreturn]] void invalid_value(const Number& n, std::string_view expected) const;
  [[noreturn]] void invalid_length(std::size_t read, std::string_view expected) const;

  Mode mode() const { return mode_; }

 private:
  [[noreturn]] void fail_at(std::size_t consumed, std::string reason) const;
  void enter();
  void expect_literal(std::string_view rest);
  std::string describe_next();
  void parse_escape(std::string& out);

  std::string_view text_;
  Mode mode_;
  std::size_t pos_ = 0;
  std::size_t depth_ = 0;
};

// Texts shared by the codecs.
std::string unknown_variant(std::string_view name, const std::string_view* names, std::size_t count);
// "unknown field `x`, expected one of `a`, `b`" ("expected `a`", "there are no fields").
std::string unknown_field(std::string_view name, const std::string_view* names, std::size_t count);
std::string describe_number(const Number& n);

}  // namespace orvo_json
